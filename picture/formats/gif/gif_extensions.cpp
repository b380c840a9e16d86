#include "formats/gif/gif_extensions.h"

#include "core/errors.h"
#include "core/little_endian.h"
#include "core/streams.h"
#include "formats/gif/gif_sub_image.h"

#include <cstring>
#include <iterator>

namespace tremalu {

TREMALU_DEFINE_ABSTRACT_CLASS(TGIFExtension, TGIFItem)
TREMALU_DEFINE_ABSTRACT_CLASS(TGIFGraphicControlExtension, TGIFExtension)
TREMALU_DEFINE_ABSTRACT_CLASS(TGIFCommentExtension, TGIFExtension)
TREMALU_DEFINE_ABSTRACT_CLASS(TGIFTextExtension, TGIFExtension)
TREMALU_DEFINE_ABSTRACT_CLASS(TGIFApplicationExtension, TGIFExtension)
TREMALU_DEFINE_ABSTRACT_CLASS(TGIFAppExtNSLoop, TGIFApplicationExtension)
TREMALU_DEFINE_ABSTRACT_CLASS(TGIFUnknownAppExtension, TGIFApplicationExtension)

namespace {

constexpr uint8_t Introducer = 0x21;

// Skips count bytes that must be there ("Premature end of data").
void SkipGIFBytes(TStream& stream, size_t count)
{
    if (count == 0)
        return;
    const int64_t left = stream.Size() - stream.Position();
    if (left < 0 || static_cast<uint64_t>(left) < count)
        throw GIFException(texts::gif::PrematureEnd);
    stream.Seek(static_cast<int64_t>(count), TSeekOrigin::Current);
}

std::vector<std::string> ReadLines(TStream& stream)
{
    std::vector<std::string> lines;
    for (const std::vector<uint8_t>& block : ReadGIFSubBlocks(stream))
        lines.emplace_back(block.begin(), block.end());
    return lines;
}

void WriteLines(TStream& stream, const std::vector<std::string>& lines)
{
    for (const std::string& line : lines)
        WriteGIFSubBlocks(stream, reinterpret_cast<const uint8_t*>(line.data()), line.size());
    stream.WriteU8(0);
}

template <class Kind>
std::unique_ptr<TGIFExtension> Make(TGIFSubImage* frame)
{
    return std::make_unique<Kind>(frame);
}

// The kinds by label.
struct ExtensionKind {
    uint8_t Label;
    TGIFExtensionFactory Create;
};
constexpr ExtensionKind TExtensionList[] = {
    {TGIFTextExtension::Label, &Make<TGIFTextExtension>},
    {TGIFGraphicControlExtension::Label, &Make<TGIFGraphicControlExtension>},
    {TGIFCommentExtension::Label, &Make<TGIFCommentExtension>},
    {TGIFApplicationExtension::Label, &Make<TGIFApplicationExtension>},
};

// The application kinds by their 11-byte identifier; searched from the last
// entry to the first.
struct AppExtensionKind {
    const char* Identifier;
    TGIFExtensionFactory Create;
};
constexpr AppExtensionKind TAppExtensionList[] = {
    {"NETSCAPE2.0", &Make<TGIFAppExtNSLoop>},
    {"ANIMEXTS1.0", &Make<TGIFAppExtNSLoop>},
};

// The application kind, chosen by looking ahead at the block size and,
// with 11, at the identifier.
TGIFExtensionFactory FindApplicationKind(TStream& stream)
{
    uint8_t size = 0;
    if (!ReadGIFByte(stream, size) || size < 10)
        return &Make<TGIFApplicationExtension>;  // its reading fails
    if (size == 10) {
        uint8_t ten[10];
        if (stream.Read(ten, sizeof ten) != sizeof ten)
            throw GIFException(texts::gif::UnknownExtension);
        return &Make<TGIFUnknownAppExtension>;
    }
    if (size > 11)
        return &Make<TGIFUnknownAppExtension>;
    uint8_t identifier[11];
    if (stream.Read(identifier, sizeof identifier) == sizeof identifier)
        for (auto it = std::rbegin(TAppExtensionList); it != std::rend(TAppExtensionList); ++it)
            if (std::memcmp(identifier, it->Identifier, sizeof identifier) == 0)
                return it->Create;
    return &Make<TGIFUnknownAppExtension>;
}

}  // namespace

TGIFExtensionFactory FindGIFExtensionKind(TStream& stream)
{
    const int64_t start = stream.Position();
    uint8_t label = 0;
    TGIFExtensionFactory found = nullptr;
    if (ReadGIFByte(stream, label))
        for (const ExtensionKind& kind : TExtensionList)
            if (kind.Label == label)
                found = kind.Create;
    if (found == nullptr)
        throw GIFException(texts::gif::UnknownExtension);
    if (label == TGIFApplicationExtension::Label)
        found = FindApplicationKind(stream);
    stream.SetPosition(start);
    return found;
}

// ---------------------------------------------------------------- every extension

TGIFExtension::TGIFExtension(TGIFSubImage* frame) : TGIFItem(frame != nullptr ? frame->Image() : nullptr), FFrame(frame)
{
}

void TGIFExtension::ReadFromStream(TStream& stream)
{
    uint8_t opening[2];
    ReadGIFBytes(stream, opening, sizeof opening);
    if (opening[0] != Introducer)
        throw GIFException(texts::gif::InvalidIntroducer);
    if (opening[1] != ExtensionType())
        throw GIFException(texts::gif::ExtensionMismatch);
    ReadBody(stream);
}

void TGIFExtension::WriteToStream(TStream& stream) const
{
    stream.WriteU8(Introducer);
    stream.WriteU8(ExtensionType());
    WriteBody(stream);
}

// ---------------------------------------------------------------- graphic control

std::unique_ptr<TGIFExtension> TGIFGraphicControlExtension::Clone(TGIFSubImage* frame) const
{
    auto copy = std::make_unique<TGIFGraphicControlExtension>(frame);
    copy->BlockSize = BlockSize;
    copy->Packed = Packed;
    copy->Delay = Delay;
    copy->TransparentColorIndex = TransparentColorIndex;
    copy->Terminator = Terminator;
    return copy;
}

void TGIFGraphicControlExtension::ReadBody(TStream& stream)
{
    uint8_t bytes[6] = {0, 0, 0, 0, 0, 0};
    if (stream.Read(bytes, sizeof bytes) != sizeof bytes)
        Warn(TGIFSeverity::Warning, texts::gif::PrematureEnd);
    // The block size and the terminator are kept, not checked.
    const TLittleEndianReader fields(bytes, sizeof bytes);
    BlockSize = fields.U8(0);
    Packed = fields.U8(1);
    Delay = fields.U16(2);
    TransparentColorIndex = fields.U8(4);
    Terminator = fields.U8(5);
}

void TGIFGraphicControlExtension::WriteBody(TStream& stream) const
{
    stream.WriteU8(4);
    stream.WriteU8(Packed);
    stream.WriteU16(Delay);
    stream.WriteU8(TransparentColorIndex);
    stream.WriteU8(0);
}

// ---------------------------------------------------------------- comment and plain text

std::unique_ptr<TGIFExtension> TGIFCommentExtension::Clone(TGIFSubImage* frame) const
{
    auto copy = std::make_unique<TGIFCommentExtension>(frame);
    copy->Lines = Lines;
    return copy;
}

void TGIFCommentExtension::ReadBody(TStream& stream) { Lines = ReadLines(stream); }
void TGIFCommentExtension::WriteBody(TStream& stream) const { WriteLines(stream, Lines); }

std::unique_ptr<TGIFExtension> TGIFTextExtension::Clone(TGIFSubImage* frame) const
{
    auto copy = std::make_unique<TGIFTextExtension>(frame);
    copy->Grid = Grid;
    copy->Lines = Lines;
    return copy;
}

void TGIFTextExtension::ReadBody(TStream& stream)
{
    ReadGIFBytes(stream, Grid.data(), Grid.size());
    Lines = ReadLines(stream);
}

void TGIFTextExtension::WriteBody(TStream& stream) const
{
    stream.WriteBuffer(Grid.data(), Grid.size());
    WriteLines(stream, Lines);
}

// ---------------------------------------------------------------- application

std::unique_ptr<TGIFExtension> TGIFApplicationExtension::Clone(TGIFSubImage* frame) const
{
    auto copy = std::make_unique<TGIFApplicationExtension>(frame);
    copy->CopyIdentifier(*this);
    return copy;
}

void TGIFApplicationExtension::CopyIdentifier(const TGIFApplicationExtension& from)
{
    Identifier = from.Identifier;
    BlockSize = from.BlockSize;
}

void TGIFApplicationExtension::ReadBody(TStream& stream)
{
    ReadGIFBytes(stream, &BlockSize, 1);
    if (BlockSize < 10)
        throw GIFException(texts::gif::AppExtensionSize);
    ReadGIFBytes(stream, Identifier.data(), Identifier.size());
    if (BlockSize == 10) {
        // Ten stored bytes: the eleventh read is the first length byte of
        // the data, read again from there.
        stream.Seek(-1, TSeekOrigin::Current);
    } else {
        SkipGIFBytes(stream, BlockSize - 11u);
    }
    ReadData(stream);
}

void TGIFApplicationExtension::WriteBody(TStream& stream) const
{
    stream.WriteU8(11);
    stream.WriteBuffer(Identifier.data(), Identifier.size());
    WriteData(stream);
}

void TGIFApplicationExtension::ReadData(TStream& stream) { ReadGIFSubBlocks(stream); }
void TGIFApplicationExtension::WriteData(TStream& stream) const { stream.WriteU8(0); }

// ---------------------------------------------------------------- loop count

TGIFAppExtNSLoop::TGIFAppExtNSLoop(TGIFSubImage* frame) : TGIFApplicationExtension(frame)
{
    std::memcpy(Identifier.data(), "NETSCAPE2.0", Identifier.size());
}

std::unique_ptr<TGIFExtension> TGIFAppExtNSLoop::Clone(TGIFSubImage* frame) const
{
    auto copy = std::make_unique<TGIFAppExtNSLoop>(frame);
    copy->CopyIdentifier(*this);
    copy->Loops = Loops;
    copy->BufferSize = BufferSize;
    return copy;
}

void TGIFAppExtNSLoop::ReadData(TStream& stream)
{
    for (;;) {
        uint8_t length = 0;
        ReadGIFBytes(stream, &length, 1);
        if (length == 0)
            return;
        uint8_t id = 0;
        ReadGIFBytes(stream, &id, 1);
        switch (id & 7) {
        case 1: {
            if (length < 3)
                throw GIFException(texts::gif::InvalidData);
            uint8_t count[2];
            ReadGIFBytes(stream, count, sizeof count);
            Loops = TLittleEndianReader(count, sizeof count).U16(0);
            SkipGIFBytes(stream, length - 3u);
            break;
        }
        case 2: {
            if (length < 5)
                throw GIFException(texts::gif::InvalidData);
            uint8_t size[4];
            ReadGIFBytes(stream, size, sizeof size);
            BufferSize = TLittleEndianReader(size, sizeof size).U32(0);
            SkipGIFBytes(stream, length - 5u);
            break;
        }
        default:
            SkipGIFBytes(stream, length - 1u);
            break;
        }
    }
}

void TGIFAppExtNSLoop::WriteData(TStream& stream) const
{
    stream.WriteU8(3);
    stream.WriteU8(1);
    stream.WriteU16(Loops);
    if (BufferSize != 0) {
        stream.WriteU8(5);
        stream.WriteU8(2);
        stream.WriteU32(BufferSize);
    }
    stream.WriteU8(0);
}

// ---------------------------------------------------------------- any other application

std::unique_ptr<TGIFExtension> TGIFUnknownAppExtension::Clone(TGIFSubImage* frame) const
{
    auto copy = std::make_unique<TGIFUnknownAppExtension>(frame);
    copy->CopyIdentifier(*this);
    copy->Blocks = Blocks;
    return copy;
}

void TGIFUnknownAppExtension::ReadData(TStream& stream)
{
    Blocks.clear();
    for (std::vector<uint8_t>& data : ReadGIFSubBlocks(stream))
        Blocks.push_back({std::move(data)});
}

void TGIFUnknownAppExtension::WriteData(TStream& stream) const
{
    for (const TGIFBlock& block : Blocks)
        WriteGIFSubBlocks(stream, block.Data.data(), block.Data.size());
    stream.WriteU8(0);
}

}  // namespace tremalu
