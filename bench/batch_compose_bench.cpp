// The batch composition as a whole process: `tremalu-cli compose` of two
// 6000 × 4000 JPEG files (quality 92, 4:2:0) into a quality-100 JPEG file,
// against the codec's own floor for the same work (codec_floor), both run as
// separate processes in the same run. Also the peak memory of the batch
// composition, read from the finished process, into a JPEG and into a BMP
// file.
#include "photo_input.h"
#include "ratio_report.h"

#include "picture_modules.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace tremalu;

namespace {

constexpr double PeakMemoryLimitMiB = 300;
// A BMP output is written in place row by row, never held whole.
constexpr double BmpPeakMemoryLimitMiB = 48;

std::string Dir;
std::string ToolDir;
long LastPeakKiB = 0;

bool RunProcess(const std::vector<std::string>& args) { return bench_support::RunProcess(args, LastPeakKiB); }

void Run(benchmark::State& state, const std::vector<std::string>& args)
{
    long peak = 0;
    for (auto _ : state) {
        if (!RunProcess(args)) {
            state.SkipWithError("the process failed");
            return;
        }
        peak = std::max(peak, LastPeakKiB);
    }
    state.counters["peak_MiB"] = static_cast<double>(peak) / 1024.0;
}

void BatchCompose_baseline(benchmark::State& state)
{
    Run(state, {ToolDir + "/codec_floor", Dir + "/left.jpg", Dir + "/right.jpg", Dir + "/floor.jpg"});
}

void BatchCompose_subject(benchmark::State& state)
{
    Run(state, {ToolDir + "/tremalu-cli", "compose", Dir + "/left.jpg", Dir + "/right.jpg", Dir + "/anaglyph.jpg"});
    if (static_cast<double>(LastPeakKiB) / 1024.0 > PeakMemoryLimitMiB)
        state.SkipWithError("peak memory over 300 MiB");
}

}  // namespace

BENCHMARK(BatchCompose_baseline)->Name("BatchCompose/baseline")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BatchCompose_subject)->Name("BatchCompose/subject")->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv)
{
    // The two programs sit beside this one's build: bench/ and tools/.
    const std::filesystem::path self = std::filesystem::canonical("/proc/self/exe").parent_path();
    ToolDir = (self / "tools-link").string();
    std::filesystem::create_directories(ToolDir);
    for (const auto& [link, target] : {std::pair{"codec_floor", self / "codec_floor"},
                                       std::pair{"tremalu-cli", self.parent_path() / "tools" / "tremalu-cli"}}) {
        std::error_code ignored;
        std::filesystem::remove(ToolDir + "/" + link, ignored);
        std::filesystem::create_symlink(target, ToolDir + "/" + link);
    }
    char pattern[] = "/tmp/tremalu-batch-XXXXXX";
    Dir = ::mkdtemp(pattern);
    {
        TPictureModules modules;
        bench_support::WritePhotoJpeg(Dir + "/left.jpg", 1);
        bench_support::WritePhotoJpeg(Dir + "/right.jpg", 2);
    }
    bench_support::Budget("BatchCompose", 1.25, "tremalu-cli compose of two 6000x4000 q92 JPEGs to q100 / the codec's own floor");
    int status = bench_support::RunAndReportRatios(argc, argv);
    std::printf("peak memory of the batch composition: %.0f MiB (limit %.0f MiB)\n",
                static_cast<double>(LastPeakKiB) / 1024.0, PeakMemoryLimitMiB);
    long bmpPeakKiB = 0;
    const bool bmpComposed = bench_support::RunProcess(
        {ToolDir + "/tremalu-cli", "compose", Dir + "/left.jpg", Dir + "/right.jpg", Dir + "/anaglyph.bmp"}, bmpPeakKiB);
    const double bmpPeakMiB = static_cast<double>(bmpPeakKiB) / 1024.0;
    std::printf("peak memory of the batch composition into a BMP file: %.0f MiB (limit %.0f MiB)\n", bmpPeakMiB,
                BmpPeakMemoryLimitMiB);
    if (!bmpComposed || bmpPeakMiB > BmpPeakMemoryLimitMiB)
        status = 1;
    std::filesystem::remove_all(Dir);
    return status;
}
