// The parts of a GIF picture: the item base, lists of items, colour tables,
// the header (signature, logical screen descriptor, global colour table),
// the trailer, and data sub-blocks.
//
// Every item belongs to one TGIFImage and sends its warnings there; a
// warning never stops reading. Fatal problems raise GIFException with the
// module's English texts (core/errors.h, texts::gif).
#pragma once

#include "core/palette.h"
#include "core/persistent.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tremalu {

class TGIFImage;
class TStream;

enum class TGIFSeverity { Info, Warning, Error };

class TGIFItem : public TPersistent {
    TREMALU_DECLARE_CLASS()
public:
    explicit TGIFItem(TGIFImage* image) : FImage(image) {}
    ~TGIFItem() override = default;
    TGIFItem(const TGIFItem&) = delete;
    TGIFItem& operator=(const TGIFItem&) = delete;

    TGIFImage* Image() const { return FImage; }
    // 1 for what GIF87a can hold, 2 for GIF89a content (extensions).
    virtual int Version() const { return 1; }
    // Hands the warning to the owning picture.
    virtual void Warn(TGIFSeverity severity, const char* text) const;
    virtual void WriteToStream(TStream& stream) const = 0;
    virtual void ReadFromStream(TStream& stream) = 0;

protected:
    TGIFImage* FImage;
};

// An ordered list of items that it owns.
template <class Item>
class TGIFList {
public:
    explicit TGIFList(TGIFImage* image) : FImage(image) {}

    size_t Count() const { return Items.size(); }
    bool Empty() const { return Items.empty(); }
    Item& operator[](size_t i) const { return *Items[i]; }
    Item& First() const { return *Items.front(); }
    Item& Add(std::unique_ptr<Item> item)
    {
        Items.push_back(std::move(item));
        return *Items.back();
    }
    void Clear() { Items.clear(); }
    auto begin() const { return Items.begin(); }
    auto end() const { return Items.end(); }
    TGIFImage* Image() const { return FImage; }

    void WriteToStream(TStream& stream) const
    {
        for (const auto& item : Items)
            item->WriteToStream(stream);
    }

private:
    TGIFImage* FImage;
    std::vector<std::unique_ptr<Item>> Items;
};

struct TGIFColor {
    uint8_t Red = 0;
    uint8_t Green = 0;
    uint8_t Blue = 0;
    friend bool operator==(const TGIFColor&, const TGIFColor&) = default;
};

// A colour table: up to 256 RGB triples.
class TGIFColorMap {
public:
    explicit TGIFColorMap(const TGIFItem& owner) : Owner(owner) {}
    TGIFColorMap(const TGIFColorMap&) = delete;
    TGIFColorMap& operator=(const TGIFColorMap&) = delete;

    int Count() const { return static_cast<int>(Colors.size()); }
    const std::vector<TGIFColor>& Entries() const { return Colors; }
    // Entry index; outside the table, entry 0 with the warning "Invalid
    // color index"; "Color table is empty" when there is none.
    TGIFColor Lookup(int index) const;
    void Assign(const TGIFColorMap& other);
    void Clear() { Colors.clear(); }
    void Add(TGIFColor color) { Colors.push_back(color); }
    // Reads count entries of 3 bytes ("Premature end of data" when short).
    void ReadFromStream(TStream& stream, int count);
    // Writes the entries, padded with black to the next power of two (at
    // least 2), as the packed size field requires.
    void WriteToStream(TStream& stream) const;
    // The size field of a packed byte that announces this table.
    uint8_t PackedSize() const;
    // One palette entry per colour, in order, each marked not to be merged
    // with other entries of the palette.
    HPALETTE ExportPalette() const;

    bool Sorted = false;  // only written, never used to decode

private:
    const TGIFItem& Owner;
    std::vector<TGIFColor> Colors;
};

class TGIFGlobalColorMap : public TGIFColorMap {
    using TGIFColorMap::TGIFColorMap;
};

class TGIFLocalColorMap : public TGIFColorMap {
    using TGIFColorMap::TGIFColorMap;
};

// The header: signature and version, the logical screen descriptor as
// stored, and the global colour table.
class TGIFHeader : public TGIFItem {
    TREMALU_DECLARE_CLASS()
public:
    explicit TGIFHeader(TGIFImage* image) : TGIFItem(image), ColorMap(*this) {}

    // Signature in any case, a 4-byte prefix tolerated, any version.
    void ReadFromStream(TStream& stream) override;
    // Always as GIF89a, which holds whatever GIF87a holds.
    void WriteToStream(TStream& stream) const override;
    void Clear();
    void Assign(const TGIFHeader& other);

    uint16_t Width = 0;
    uint16_t Height = 0;
    uint8_t Packed = 0;
    uint8_t BackgroundColorIndex = 0;
    uint8_t AspectRatio = 0;
    TGIFGlobalColorMap ColorMap;
};

// The trailer byte 0x3B.
class TGIFTrailer : public TGIFItem {
    TREMALU_DECLARE_CLASS()
public:
    using TGIFItem::TGIFItem;
    // Reads one byte; another value than 0x3B gives the warning "Invalid
    // Image trailer"; none at all (the end of the stream) is accepted.
    void ReadFromStream(TStream& stream) override;
    void WriteToStream(TStream& stream) const override;
};

// A data sub-block kept as it was read.
struct TGIFBlock {
    std::vector<uint8_t> Data;  // at most 255 bytes
};

// Reads data sub-blocks until a 0 length or the end of the stream, each
// into one entry; one shorter than its length fails with "Premature end of
// data".
std::vector<std::vector<uint8_t>> ReadGIFSubBlocks(TStream& stream);
// Writes data as sub-blocks of at most 255 bytes each, without the 0-length
// terminator.
void WriteGIFSubBlocks(TStream& stream, const uint8_t* data, size_t size);

// Reads exactly count bytes or fails with "Premature end of data".
void ReadGIFBytes(TStream& stream, void* buffer, size_t count);
// The next byte; false at the end of the stream.
bool ReadGIFByte(TStream& stream, uint8_t& byte);

}  // namespace tremalu
