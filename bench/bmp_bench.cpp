// Speed of the BMP reader and writer and of drawing a bitmap, on a
// 6000 × 4000 picture, against plain memory copies of the same bytes made
// into freshly allocated buffers (so both pay for first touching the memory).
#include "ratio_report.h"

#include "raster/bitmap.h"
#include "core/streams.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <memory>

using namespace tremalu;

namespace {

constexpr int32_t Width = 6000;
constexpr int32_t Height = 4000;

// A 24-bit BMP file of the benchmark's size with varied pixels.
const TMemoryStream& File24()
{
    static const std::unique_ptr<TMemoryStream> file = [] {
        TBitmap b;
        b.SetPixelFormat(TPixelFormat::pf24bit);
        b.SetPixelWidth(Width);
        b.SetPixelHeight(Height);
        for (int32_t y = 0; y < Height; ++y) {
            uint8_t* row = b.Row(y);
            for (int32_t x = 0; x < Width * 3; ++x)
                row[x] = static_cast<uint8_t>(x * 7 + y * 3);
        }
        auto out = std::make_unique<TMemoryStream>();
        b.WriteToStream(*out);
        return out;
    }();
    return *file;
}

// Copies bytes into a freshly allocated buffer, as the readers and writers
// must fill fresh memory too.
void FreshCopy(benchmark::State& state, const uint8_t* source, size_t bytes)
{
    for (auto _ : state) {
        auto* fresh = static_cast<uint8_t*>(std::malloc(bytes));
        std::memcpy(fresh, source, bytes);
        benchmark::DoNotOptimize(fresh);
        benchmark::ClobberMemory();
        std::free(fresh);
    }
}

void BmpRead24_baseline(benchmark::State& state)
{
    const TMemoryStream& file = File24();
    FreshCopy(state, file.Memory() + 54, file.ByteCount() - 54);
}

void BmpRead24_subject(benchmark::State& state)
{
    const TMemoryStream& file = File24();
    for (auto _ : state) {
        TBitmap b;
        TReadOnlyMemoryStream in(file.Memory(), file.ByteCount());
        b.ReadFromStream(in);
        benchmark::DoNotOptimize(b.PeekPixels()->Bits());
    }
}

std::unique_ptr<TBitmap> Read24()
{
    auto b = std::make_unique<TBitmap>();
    TReadOnlyMemoryStream in(File24().Memory(), File24().ByteCount());
    b->ReadFromStream(in);
    return b;
}

void DrawOnDevice_baseline(benchmark::State& state)
{
    auto device = TPixelBuffer::MakeDevice(Width, Height);
    FreshCopy(state, device->Bits(), device->ByteSize());
}

void DrawOnDevice_subject(benchmark::State& state)
{
    auto picture = Read24();
    for (auto _ : state) {
        TBitmap target;
        target.SetPixelWidth(Width);
        target.SetPixelHeight(Height);
        target.Surface().CopyMode = SRCCOPY;
        target.Surface().DrawAt(0, 0, picture.get());
        benchmark::DoNotOptimize(target.PeekPixels()->Bits());
    }
}

void BmpWrite32_baseline(benchmark::State& state)
{
    auto device = TPixelBuffer::MakeDevice(Width, Height);
    FreshCopy(state, device->Bits(), device->ByteSize());
}

void BmpWrite32_subject(benchmark::State& state)
{
    TBitmap device;
    device.SetPixelWidth(Width);
    device.SetPixelHeight(Height);
    device.Surface().DrawAt(0, 0, Read24().get());
    for (auto _ : state) {
        TMemoryStream out;
        device.WriteToStream(out);
        benchmark::DoNotOptimize(out.Memory());
    }
}

}  // namespace

#define TREMALU_PAIR(Group)                                                                              \
    BENCHMARK(Group##_baseline)->Name(#Group "/baseline")->Unit(benchmark::kMillisecond)->UseRealTime(); \
    BENCHMARK(Group##_subject)->Name(#Group "/subject")->Unit(benchmark::kMillisecond)->UseRealTime()

TREMALU_PAIR(BmpRead24);
TREMALU_PAIR(DrawOnDevice);
TREMALU_PAIR(BmpWrite32);

int main(int argc, char** argv)
{
    bench_support::Budget("BmpRead24", 1.5, "reading a 24-bit 6000x4000 BMP / memcpy of its pixels");
    bench_support::Budget("DrawOnDevice", 2.0, "new 6000x4000 device bitmap + drawing the 24-bit one / memcpy of 32-bit bytes");
    bench_support::Budget("BmpWrite32", 1.5, "writing the 32-bit bitmap as BMP to memory / memcpy of its bytes");
    return bench_support::RunAndReportRatios(argc, argv);
}
