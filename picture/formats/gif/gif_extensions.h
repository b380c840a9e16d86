// GIF89a extensions: blocks that begin with the introducer 0x21 and a label,
// placed before the image descriptor of the frame they belong to.
//
//   0xF9 graphic control   delay, disposal, transparent colour index
//   0xFE comment           text lines, kept and never shown
//   0x01 plain text        a text grid and its lines, kept and never drawn
//   0xFF application       an 11-byte identifier and data sub-blocks; the
//                          Netscape/AnimExts loop extension is understood,
//                          any other is kept as its raw sub-blocks
#pragma once

#include "formats/gif/gif_items.h"

#include <array>
#include <string>
#include <vector>

namespace tremalu {

class TGIFSubImage;

class TGIFExtension : public TGIFItem {
    TREMALU_DECLARE_CLASS()
public:
    explicit TGIFExtension(TGIFSubImage* frame);

    TGIFSubImage* SubImage() const { return FFrame; }
    int Version() const override { return 2; }
    virtual uint8_t ExtensionType() const = 0;
    // A copy belonging to another frame.
    virtual std::unique_ptr<TGIFExtension> Clone(TGIFSubImage* frame) const = 0;

    // The introducer and the label ("Invalid extension introducer",
    // "Internal error: Extension Instance does not match Extension Label"),
    // then the body.
    void ReadFromStream(TStream& stream) final;
    void WriteToStream(TStream& stream) const final;

protected:
    virtual void ReadBody(TStream& stream) = 0;
    virtual void WriteBody(TStream& stream) const = 0;

private:
    TGIFSubImage* FFrame;
};

using TGIFExtensionFactory = std::unique_ptr<TGIFExtension> (*)(TGIFSubImage* frame);

// The kind of extension whose label is at the stream's position, looking
// ahead as far as the kind needs (application extensions by their
// identifier); the position is left as it was. A label that no kind claims,
// or the end of the stream, fails with "Unknown extension type".
TGIFExtensionFactory FindGIFExtensionKind(TStream& stream);

class TGIFGraphicControlExtension : public TGIFExtension {
    TREMALU_DECLARE_CLASS()
public:
    static constexpr uint8_t Label = 0xF9;
    using TGIFExtension::TGIFExtension;
    uint8_t ExtensionType() const override { return Label; }
    std::unique_ptr<TGIFExtension> Clone(TGIFSubImage* frame) const override;

    // Packed bits 2 to 4.
    uint8_t Disposal() const { return static_cast<uint8_t>((Packed >> 2) & 7); }
    bool UserInput() const { return (Packed & 2) != 0; }
    bool Transparent() const { return (Packed & 1) != 0; }

    // The six stored bytes after the label, as read.
    uint8_t BlockSize = 4;
    uint8_t Packed = 0;
    uint16_t Delay = 0;  // hundredths of a second
    uint8_t TransparentColorIndex = 0;
    uint8_t Terminator = 0;

protected:
    // Fewer than six bytes: the warning "Premature end of data", the rest 0.
    void ReadBody(TStream& stream) override;
    void WriteBody(TStream& stream) const override;
};

class TGIFCommentExtension : public TGIFExtension {
    TREMALU_DECLARE_CLASS()
public:
    static constexpr uint8_t Label = 0xFE;
    using TGIFExtension::TGIFExtension;
    uint8_t ExtensionType() const override { return Label; }
    std::unique_ptr<TGIFExtension> Clone(TGIFSubImage* frame) const override;

    std::vector<std::string> Lines;  // one per sub-block

protected:
    void ReadBody(TStream& stream) override;
    void WriteBody(TStream& stream) const override;
};

class TGIFTextExtension : public TGIFExtension {
    TREMALU_DECLARE_CLASS()
public:
    static constexpr uint8_t Label = 0x01;
    using TGIFExtension::TGIFExtension;
    uint8_t ExtensionType() const override { return Label; }
    std::unique_ptr<TGIFExtension> Clone(TGIFSubImage* frame) const override;

    // The block size byte and the twelve bytes of the text grid.
    std::array<uint8_t, 13> Grid{};
    std::vector<std::string> Lines;

protected:
    void ReadBody(TStream& stream) override;
    void WriteBody(TStream& stream) const override;
};

// An application extension of no known kind also stands for one whose
// block size is too small: reading it fails with "Unsupported Application
// Extension block size".
class TGIFApplicationExtension : public TGIFExtension {
    TREMALU_DECLARE_CLASS()
public:
    static constexpr uint8_t Label = 0xFF;
    using TGIFExtension::TGIFExtension;
    uint8_t ExtensionType() const override { return Label; }
    std::unique_ptr<TGIFExtension> Clone(TGIFSubImage* frame) const override;

    std::array<uint8_t, 11> Identifier{};  // 8 bytes of name, 3 of authentication code
    uint8_t BlockSize = 11;

protected:
    void ReadBody(TStream& stream) final;
    void WriteBody(TStream& stream) const final;
    virtual void ReadData(TStream& stream);
    virtual void WriteData(TStream& stream) const;
    void CopyIdentifier(const TGIFApplicationExtension& from);
};

// NETSCAPE2.0 or ANIMEXTS1.0: how many times an animation is played.
class TGIFAppExtNSLoop : public TGIFApplicationExtension {
    TREMALU_DECLARE_CLASS()
public:
    explicit TGIFAppExtNSLoop(TGIFSubImage* frame);
    std::unique_ptr<TGIFExtension> Clone(TGIFSubImage* frame) const override;

    uint16_t Loops = 0;        // 0: without end
    uint32_t BufferSize = 0;

protected:
    // Sub-block id 1: the loop count (at least 3 bytes, else "Invalid GIF
    // data"); id 2: the buffer size (at least 5 bytes); others skipped.
    void ReadData(TStream& stream) override;
    void WriteData(TStream& stream) const override;
};

class TGIFUnknownAppExtension : public TGIFApplicationExtension {
    TREMALU_DECLARE_CLASS()
public:
    using TGIFApplicationExtension::TGIFApplicationExtension;
    std::unique_ptr<TGIFExtension> Clone(TGIFSubImage* frame) const override;

    std::vector<TGIFBlock> Blocks;

protected:
    void ReadData(TStream& stream) override;
    void WriteData(TStream& stream) const override;
};

}  // namespace tremalu
