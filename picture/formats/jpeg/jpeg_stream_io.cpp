#include "formats/jpeg/jpeg_stream_io.h"

#include "core/streams.h"

#include <algorithm>
#include <typeinfo>

namespace tremalu {

namespace {

// Both managers live in the codec's permanent pool; the codec sees only their
// first member.
struct TStreamSource {
    jpeg_source_mgr Pub;
    TStream* Stream;
    JOCTET* Buffer;
    bool AtStartOfData;
};

struct TStreamDestination {
    jpeg_destination_mgr Pub;
    TStream* Stream;
    JOCTET* Buffer;
};

TStreamSource& SourceOf(j_decompress_ptr codec) { return *reinterpret_cast<TStreamSource*>(codec->src); }
TStreamDestination& DestinationOf(j_compress_ptr codec) { return *reinterpret_cast<TStreamDestination*>(codec->dest); }

void InitSource(j_decompress_ptr codec) { SourceOf(codec).AtStartOfData = true; }

// The stream itself when it is a plain stream over bytes in memory, whose
// reading is nothing but a copy (not a kind that reads its own way).
const TCustomMemoryStream* PlainMemory(TStream& stream)
{
    const std::type_info& kind = typeid(stream);
    return kind == typeid(TReadOnlyMemoryStream) || kind == typeid(TMemoryStream)
               ? static_cast<const TCustomMemoryStream*>(&stream)
               : nullptr;
}

boolean FillInputBuffer(j_decompress_ptr codec)
{
    TStreamSource& src = SourceOf(codec);
    size_t count;
    if (const TCustomMemoryStream* memory = PlainMemory(*src.Stream)) {
        // The next bytes, up to a buffer's worth, handed to the codec where
        // they lie rather than copied: the codec only reads them, and the
        // bytes of a picture do not change while it decodes.
        const auto position = static_cast<size_t>(src.Stream->Position());
        count = position < memory->ByteCount() ? std::min(CodecBufferSize, memory->ByteCount() - position) : 0;
        src.Pub.next_input_byte = memory->Memory() + position;
        src.Stream->Seek(static_cast<int64_t>(count), TSeekOrigin::Current);
    } else {
        count = src.Stream->Read(src.Buffer, CodecBufferSize);
        src.Pub.next_input_byte = src.Buffer;
    }
    if (count == 0) {
        if (src.AtStartOfData)
            ERREXIT(codec, JERR_INPUT_EMPTY);
        // A premature end: the codec is told (a warning, ignored), and the
        // data is ended as a complete file would be.
        WARNMS(codec, JWRN_JPEG_EOF);
        src.Buffer[0] = 0xFF;
        src.Buffer[1] = JPEG_EOI;
        src.Pub.next_input_byte = src.Buffer;
        count = 2;
    }
    src.Pub.bytes_in_buffer = count;
    src.AtStartOfData = false;
    return TRUE;
}

void SkipInputData(j_decompress_ptr codec, long count)
{
    if (count <= 0)
        return;
    TStreamSource& src = SourceOf(codec);
    auto left = static_cast<size_t>(count);
    while (left > src.Pub.bytes_in_buffer) {
        left -= src.Pub.bytes_in_buffer;
        FillInputBuffer(codec);
    }
    src.Pub.next_input_byte += left;
    src.Pub.bytes_in_buffer -= left;
}

void TermSource(j_decompress_ptr) {}

void InitDestination(j_compress_ptr codec)
{
    TStreamDestination& dest = DestinationOf(codec);
    dest.Buffer = static_cast<JOCTET*>(
        (*codec->mem->alloc_small)(reinterpret_cast<j_common_ptr>(codec), JPOOL_IMAGE, CodecBufferSize));
    dest.Pub.next_output_byte = dest.Buffer;
    dest.Pub.free_in_buffer = CodecBufferSize;
}

boolean EmptyOutputBuffer(j_compress_ptr codec)
{
    TStreamDestination& dest = DestinationOf(codec);
    if (dest.Stream->Write(dest.Buffer, CodecBufferSize) != CodecBufferSize)
        ERREXIT(codec, JERR_FILE_WRITE);
    dest.Pub.next_output_byte = dest.Buffer;
    dest.Pub.free_in_buffer = CodecBufferSize;
    return TRUE;
}

void TermDestination(j_compress_ptr codec)
{
    TStreamDestination& dest = DestinationOf(codec);
    const size_t count = CodecBufferSize - dest.Pub.free_in_buffer;
    if (count > 0 && dest.Stream->Write(dest.Buffer, count) != count)
        ERREXIT(codec, JERR_FILE_WRITE);
}

}  // namespace

void SetStreamSource(j_decompress_ptr codec, TStream& stream)
{
    const auto common = reinterpret_cast<j_common_ptr>(codec);
    if (codec->src == nullptr) {
        auto* src = static_cast<TStreamSource*>((*codec->mem->alloc_small)(common, JPOOL_PERMANENT, sizeof(TStreamSource)));
        src->Buffer = static_cast<JOCTET*>((*codec->mem->alloc_small)(common, JPOOL_PERMANENT, CodecBufferSize));
        codec->src = &src->Pub;
    }
    TStreamSource& src = SourceOf(codec);
    src.Pub.init_source = InitSource;
    src.Pub.fill_input_buffer = FillInputBuffer;
    src.Pub.skip_input_data = SkipInputData;
    src.Pub.resync_to_restart = jpeg_resync_to_restart;
    src.Pub.term_source = TermSource;
    src.Pub.next_input_byte = nullptr;
    src.Pub.bytes_in_buffer = 0;
    src.Stream = &stream;
    src.AtStartOfData = true;
}

void SetStreamDestination(j_compress_ptr codec, TStream& stream)
{
    if (codec->dest == nullptr) {
        codec->dest = static_cast<jpeg_destination_mgr*>((*codec->mem->alloc_small)(
            reinterpret_cast<j_common_ptr>(codec), JPOOL_PERMANENT, sizeof(TStreamDestination)));
    }
    TStreamDestination& dest = DestinationOf(codec);
    dest.Pub.init_destination = InitDestination;
    dest.Pub.empty_output_buffer = EmptyOutputBuffer;
    dest.Pub.term_destination = TermDestination;
    dest.Stream = &stream;
    dest.Buffer = nullptr;
}

}  // namespace tremalu
