// Speed of JPEG decoding and encoding against the codec alone doing the same
// work in the same run:
//  - JpegDecode: reading a 6000 × 4000 colour file (quality 92, 4:2:0) and
//    decoding it into its bitmap, against the codec decoding the same bytes
//    with the same settings into a freshly allocated plain buffer;
//  - JpegSave: saving a 32-bit 6000 × 4000 bitmap as a quality-100 file into
//    memory, against the codec compressing the same pixels with the same
//    settings into its own memory destination.
#include "ratio_report.h"

#include "raster/bitmap.h"
#include "formats/jpeg/jpeg_codec.h"
#include "formats/jpeg/jpeg_image.h"
#include "core/streams.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <vector>

using namespace tremalu;

namespace {

constexpr int32_t Width = 6000;
constexpr int32_t Height = 4000;
constexpr int RowsPerCall = 16;

// A photograph-like picture: smooth gradients with some fine noise, so that
// the file has a realistic size.
std::unique_ptr<TBitmap> Picture32()
{
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetPixelWidth(Width);
    bitmap->SetPixelHeight(Height);
    uint32_t noise = 12345;
    for (int32_t y = 0; y < Height; ++y) {
        uint8_t* row = bitmap->Row(y);
        for (int32_t x = 0; x < Width; ++x, row += 4) {
            noise = noise * 1103515245u + 12345u;
            const int n = static_cast<int>((noise >> 16) & 15) - 8;
            row[0] = static_cast<uint8_t>(std::clamp((x / 24 + y / 31) % 256 + n, 0, 255));
            row[1] = static_cast<uint8_t>(std::clamp((y / 16) % 256 + n, 0, 255));
            row[2] = static_cast<uint8_t>(std::clamp(((x + y) / 40) % 256 + n, 0, 255));
        }
    }
    return bitmap;
}

const TBitmap& Source()
{
    static const std::unique_ptr<TBitmap> picture = Picture32();
    return *picture;
}

const TMemoryStream& File92()
{
    static const std::unique_ptr<TMemoryStream> file = [] {
        TJPEGImage jpeg;
        jpeg.SetEncodeQuality(92);
        jpeg.CopyFrom(&Source());
        auto out = std::make_unique<TMemoryStream>();
        jpeg.WriteToStream(*out);
        return out;
    }();
    return *file;
}

// The codec alone: the same bytes, the same output (blue, green, red rows,
// the accurate DCT, fancy upsampling, block smoothing), 16 rows per call,
// into rows of the given memory, or of fresh memory when none is given.
void CodecDecode(const TMemoryStream& file, uint8_t* into)
{
    jpeg_decompress_struct codec{};
    jpeg_error_mgr errors{};
    codec.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&codec);
    jpeg_mem_src(&codec, file.Memory(), file.ByteCount());
    jpeg_read_header(&codec, TRUE);
    codec.out_color_space = JCS_EXT_BGR;
    jpeg_start_decompress(&codec);
    const size_t stride = static_cast<size_t>(codec.output_width) * 3;
    uint8_t* pixels = into != nullptr ? into : static_cast<uint8_t*>(std::malloc(stride * codec.output_height));
    JSAMPROW rows[RowsPerCall];
    while (codec.output_scanline < codec.output_height) {
        const JDIMENSION first = codec.output_scanline;
        const JDIMENSION count = std::min<JDIMENSION>(RowsPerCall, codec.output_height - first);
        for (JDIMENSION i = 0; i < count; ++i)
            rows[i] = pixels + (first + i) * stride;
        jpeg_read_scanlines(&codec, rows, count);
    }
    jpeg_finish_decompress(&codec);
    jpeg_destroy_decompress(&codec);
    benchmark::DoNotOptimize(pixels);
    benchmark::ClobberMemory();
    if (into == nullptr)
        std::free(pixels);
}

void JpegDecode_baseline(benchmark::State& state)
{
    for (auto _ : state)
        CodecDecode(File92(), nullptr);
}

// For information, without a limit: the codec into memory already touched,
// which leaves out the cost of first touching a new picture's pages that both
// sides of JpegDecode pay.
void JpegDecodeIntoTouchedMemory_baseline(benchmark::State& state)
{
    std::vector<uint8_t> pixels(static_cast<size_t>(Width) * 3 * Height, 1);
    for (auto _ : state)
        CodecDecode(File92(), pixels.data());
}

void JpegDecode_subject(benchmark::State& state)
{
    const TMemoryStream& file = File92();
    for (auto _ : state) {
        TJPEGImage jpeg;
        TReadOnlyMemoryStream in(file.Memory(), file.ByteCount());
        jpeg.ReadFromStream(in);
        benchmark::DoNotOptimize(jpeg.DecodedBitmap().PeekPixels()->Bits());
    }
}

void JpegDecodeIntoTouchedMemory_subject(benchmark::State& state) { JpegDecode_subject(state); }

void JpegSave_baseline(benchmark::State& state)
{
    const TPixelBuffer& pixels = *Source().PeekPixels();
    for (auto _ : state) {
        jpeg_compress_struct codec{};
        jpeg_error_mgr errors{};
        codec.err = jpeg_std_error(&errors);
        jpeg_create_compress(&codec);
        unsigned char* buffer = nullptr;
        unsigned long size = 0;
        jpeg_mem_dest(&codec, &buffer, &size);
        codec.image_width = Width;
        codec.image_height = Height;
        codec.input_components = 4;
        codec.in_color_space = JCS_EXT_BGRX;
        jpeg_set_defaults(&codec);
        jpeg_set_quality(&codec, 100, TRUE);
        jpeg_start_compress(&codec, TRUE);
        JSAMPROW rows[RowsPerCall];
        while (codec.next_scanline < codec.image_height) {
            const JDIMENSION first = codec.next_scanline;
            const JDIMENSION count = std::min<JDIMENSION>(RowsPerCall, codec.image_height - first);
            for (JDIMENSION i = 0; i < count; ++i)
                rows[i] = const_cast<JSAMPROW>(pixels.ScanLine(static_cast<int32_t>(first + i)));
            jpeg_write_scanlines(&codec, rows, count);
        }
        jpeg_finish_compress(&codec);
        jpeg_destroy_compress(&codec);
        benchmark::DoNotOptimize(buffer);
        std::free(buffer);
    }
}

void JpegSave_subject(benchmark::State& state)
{
    for (auto _ : state) {
        TJPEGImage jpeg;
        jpeg.SetEncodeQuality(100);
        jpeg.SetGrayMode(false);
        jpeg.CopyFrom(&Source());
        TMemoryStream out;
        jpeg.WriteToStream(out);
        benchmark::DoNotOptimize(out.Memory());
    }
}

}  // namespace

#define TREMALU_PAIR(Group)                                                                              \
    BENCHMARK(Group##_baseline)->Name(#Group "/baseline")->Unit(benchmark::kMillisecond)->UseRealTime(); \
    BENCHMARK(Group##_subject)->Name(#Group "/subject")->Unit(benchmark::kMillisecond)->UseRealTime()

TREMALU_PAIR(JpegDecode);
TREMALU_PAIR(JpegSave);
TREMALU_PAIR(JpegDecodeIntoTouchedMemory);

int main(int argc, char** argv)
{
    bench_support::Budget("JpegDecode", 1.1, "reading + decoding a 6000x4000 q92 JPEG into its bitmap / the codec alone into a plain buffer");
    bench_support::Budget("JpegSave", 1.1, "saving a 32-bit 6000x4000 bitmap as q100 JPEG to memory / the codec alone, same pixels and settings");
    // The shared inputs are made before anything is timed.
    File92();
    return bench_support::RunAndReportRatios(argc, argv);
}
