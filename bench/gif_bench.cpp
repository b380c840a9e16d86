// Speed of GIF reading and first drawing, against a plain LZW decode loop of
// our own over the same files (the floor: the work any GIF reader must do).
//   GifAnimation  200 frames of 500 x 500, read, then drawn once onto a
//                 white bitmap of the screen's size (the animation buffer is
//                 made, the painter started and frame 1 painted), then freed
//                 (the painter stopped and joined)
//   GifLarge      one frame of 4000 x 3000, read and drawn the same way
// The files are made with our own LZW encoder from pictures that look like
// dithered photographs: smooth colour with noise, which is where LZW works
// hardest.
#include "ratio_report.h"

#include "core/streams.h"
#include "formats/gif/gif_image.h"
#include "formats/gif/gif_lzw_encoder.h"
#include "raster/bitmap.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <vector>

using namespace tremalu;

namespace {

// A GIF file: global table of 256 grays and colours, then the frames, each
// with a graphic control extension (delay 5) and one shifted picture.
std::vector<uint8_t> MakeFile(int32_t width, int32_t height, int frames)
{
    TMemoryStream out;
    out.WriteBuffer("GIF89a", 6);
    out.WriteU16(static_cast<uint16_t>(width));
    out.WriteU16(static_cast<uint16_t>(height));
    out.WriteU8(0xF7);  // global table of 256 entries
    out.WriteU8(0);
    out.WriteU8(0);
    for (int i = 0; i < 256; ++i) {
        out.WriteU8(static_cast<uint8_t>(i));
        out.WriteU8(static_cast<uint8_t>(255 - i));
        out.WriteU8(static_cast<uint8_t>(i * 7));
    }
    std::mt19937 random(12345);
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height);
    for (int f = 0; f < frames; ++f) {
        for (int32_t y = 0; y < height; ++y)
            for (int32_t x = 0; x < width; ++x) {
                const int smooth = ((x + f * 3) * 160 / width + y * 80 / height) & 0xFF;
                pixels[static_cast<size_t>(y) * width + x] = static_cast<uint8_t>(smooth + random() % 4);
            }
        const uint8_t control[] = {0x21, 0xF9, 4, 4, 5, 0, 0, 0};
        out.WriteBuffer(control, sizeof control);
        out.WriteU8(0x2C);
        out.WriteU16(0);
        out.WriteU16(0);
        out.WriteU16(static_cast<uint16_t>(width));
        out.WriteU16(static_cast<uint16_t>(height));
        out.WriteU8(0);
        EncodeGIFPixels(out, pixels.data(), pixels.size());
    }
    out.WriteU8(0x3B);
    return {out.Memory(), out.Memory() + out.ByteCount()};
}

const std::vector<uint8_t>& Animation()
{
    static const std::vector<uint8_t> file = MakeFile(500, 500, 200);
    return file;
}

const std::vector<uint8_t>& Large()
{
    static const std::vector<uint8_t> file = MakeFile(4000, 3000, 1);
    return file;
}

// ---------------------------------------------------------------- the floor

// The textbook decoder: a prefix/suffix table, each string pushed on a
// stack backwards and popped into the pixels. Only image descriptors and
// their data are looked at; extensions are skipped. It reads the file in
// place, as our reader reads a file it holds in memory.
class PlainDecoder {
public:
    explicit PlainDecoder(const std::vector<uint8_t>& file) : Data(file.data()), Size(file.size()) {}

    // Decodes every frame into a buffer of its own, all kept until the end
    // as a reader must keep them; returns a checksum.
    size_t DecodeAll()
    {
        std::vector<std::unique_ptr<uint8_t[]>> frames;
        size_t at = 13 + ((Data[10] & 0x80) != 0 ? 3 * (2u << (Data[10] & 7)) : 0);
        size_t sum = 0;
        while (at < Size && Data[at] != 0x3B) {
            if (Data[at] == 0x21) {
                at += 2;
                while (Data[at] != 0)
                    at += Data[at] + 1u;
                ++at;
                continue;
            }
            const size_t w = Data[at + 5] | (Data[at + 6] << 8), h = Data[at + 7] | (Data[at + 8] << 8);
            at += 10;
            std::unique_ptr<uint8_t[]> pixels(new uint8_t[w * h]);
            at = DecodeFrame(at, pixels.get(), w * h);
            sum += pixels[w * h / 2];
            frames.push_back(std::move(pixels));
        }
        return sum;
    }

private:
    size_t DecodeFrame(size_t at, uint8_t* out, size_t count)
    {
        const int m = Data[at++];
        const int clear = 1 << m, end = clear + 1;
        int width = m + 1, next = clear + 2, previous = -1;
        uint8_t first = 0;
        uint32_t bits = 0;
        int have = 0;
        size_t block = 0;  // bytes left in the current sub-block
        size_t pos = 0;
        for (int i = 0; i < clear; ++i)
            Suffix[i] = static_cast<uint8_t>(i);
        for (;;) {
            while (have < width) {
                if (block == 0) {
                    block = Data[at++];
                    if (block == 0)
                        return at;
                }
                bits |= static_cast<uint32_t>(Data[at++]) << have;
                have += 8;
                --block;
            }
            const int code = static_cast<int>(bits & ((1u << width) - 1));
            bits >>= width;
            have -= width;
            if (code == clear) {
                width = m + 1;
                next = clear + 2;
                previous = -1;
                continue;
            }
            if (code == end)
                break;
            if (previous < 0) {
                out[pos++] = first = Suffix[code];
                previous = code;
                continue;
            }
            int c = code;
            int top = 0;
            if (code >= next) {
                Stack[top++] = first;
                c = previous;
            }
            while (c >= clear) {
                Stack[top++] = Suffix[c];
                c = Prefix[c];
            }
            Stack[top++] = first = Suffix[c];
            while (top > 0 && pos < count)
                out[pos++] = Stack[--top];
            if (next < 4096) {
                Prefix[next] = static_cast<uint16_t>(previous);
                Suffix[next] = first;
                if (++next == (1 << width) && width < 12)
                    ++width;
            }
            previous = code;
        }
        at += block;
        while (Data[at] != 0)
            at += Data[at] + 1u;
        return at + 1;
    }

    const uint8_t* Data;
    size_t Size;
    uint16_t Prefix[4096];
    uint8_t Suffix[4096];
    uint8_t Stack[4097];
};

void Floor(benchmark::State& state, const std::vector<uint8_t>& file)
{
    for (auto _ : state) {
        PlainDecoder decoder(file);
        benchmark::DoNotOptimize(decoder.DecodeAll());
    }
}

// ---------------------------------------------------------------- ours

void ReadAndDraw(benchmark::State& state, const std::vector<uint8_t>& file)
{
    TBitmap white;
    white.SetPixelWidth(file[6] | (file[7] << 8));
    white.SetPixelHeight(file[8] | (file[9] << 8));
    for (auto _ : state) {
        TGIFImage gif;
        TReadOnlyMemoryStream in(file.data(), file.size());
        gif.ReadFromStream(in);
        white.Surface().DrawAt(0, 0, &gif);
        benchmark::DoNotOptimize(white.PeekPixels()->Bits());
    }
}

void GifAnimation_baseline(benchmark::State& state) { Floor(state, Animation()); }
void GifAnimation_subject(benchmark::State& state) { ReadAndDraw(state, Animation()); }
void GifLarge_baseline(benchmark::State& state) { Floor(state, Large()); }
void GifLarge_subject(benchmark::State& state) { ReadAndDraw(state, Large()); }

}  // namespace

#define TREMALU_PAIR(Group)                                                                              \
    BENCHMARK(Group##_baseline)->Name(#Group "/baseline")->Unit(benchmark::kMillisecond)->UseRealTime(); \
    BENCHMARK(Group##_subject)->Name(#Group "/subject")->Unit(benchmark::kMillisecond)->UseRealTime()

TREMALU_PAIR(GifAnimation);
TREMALU_PAIR(GifLarge);

int main(int argc, char** argv)
{
    bench_support::Budget("GifAnimation", 1.5,
                          "reading a 200-frame 500x500 GIF and its first draw / a plain LZW decode of its frames");
    bench_support::Budget("GifLarge", 1.5, "reading a 4000x3000 GIF and its first draw / a plain LZW decode of it");
    return bench_support::RunAndReportRatios(argc, argv);
}
