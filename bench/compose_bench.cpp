// Speed of the anaglyph composition of two 6000 × 4000 pictures already
// decoded into 24-bit bitmaps, against allocating a fresh buffer of the
// result's size and copying the result's bytes into it.
#include "ratio_report.h"

#include "stereo/anaglyph.h"
#include "raster/bitmap.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>

using namespace tremalu;

namespace {

constexpr int32_t Width = 6000;
constexpr int32_t Height = 4000;

std::unique_ptr<TBitmap> Picture24(unsigned seed)
{
    auto b = std::make_unique<TBitmap>();
    b->SetPixelFormat(TPixelFormat::pf24bit);
    b->SetPixelWidth(Width);
    b->SetPixelHeight(Height);
    for (int32_t y = 0; y < Height; ++y) {
        uint8_t* row = b->Row(y);
        for (int32_t x = 0; x < Width * 3; ++x)
            row[x] = static_cast<uint8_t>(x * seed + y);
    }
    return b;
}

void Compose_baseline(benchmark::State& state)
{
    auto result = TPixelBuffer::MakeDevice(Width, Height);
    const size_t bytes = result->ByteSize();
    for (auto _ : state) {
        auto* fresh = static_cast<uint8_t*>(std::malloc(bytes));
        std::memcpy(fresh, result->Bits(), bytes);
        benchmark::DoNotOptimize(fresh);
        benchmark::ClobberMemory();
        std::free(fresh);
    }
}

void Compose_subject(benchmark::State& state)
{
    auto left = Picture24(3), right = Picture24(5);
    for (auto _ : state) {
        std::unique_ptr<TBitmap> anaglyph = ComposeAnaglyph(left.get(), right.get(), Width, Height);
        benchmark::DoNotOptimize(anaglyph->PeekPixels()->Bits());
    }
}

}  // namespace

BENCHMARK(Compose_baseline)->Name("Compose/baseline")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Compose_subject)->Name("Compose/subject")->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv)
{
    bench_support::Budget("Compose", 1.5, "composing two 24-bit 6000x4000 bitmaps / fresh buffer + memcpy of the result");
    return bench_support::RunAndReportRatios(argc, argv);
}
