// The batch composition as a whole process: `tremalu-cli compose` of two
// 6000 × 4000 JPEG files (quality 92, 4:2:0) into a quality-100 JPEG file,
// against the codec's own floor for the same work (codec_floor), both run as
// separate processes in the same run. Also the peak memory of the batch
// composition, read from the finished process.
#include "ratio_report.h"

#include "raster/bitmap.h"
#include "formats/jpeg/jpeg_image.h"
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

constexpr int32_t Width = 6000;
constexpr int32_t Height = 4000;
constexpr double PeakMemoryLimitMiB = 300;

std::string Dir;
std::string ToolDir;
long LastPeakKiB = 0;

// A photograph-like picture: smooth shading with some detail, so that the
// file has the size of a real photograph's.
void WriteInput(const std::string& name, unsigned seed)
{
    TBitmap b;
    b.SetPixelFormat(TPixelFormat::pf24bit);
    b.SetPixelWidth(Width);
    b.SetPixelHeight(Height);
    for (int32_t y = 0; y < Height; ++y) {
        uint8_t* row = b.Row(y);
        for (int32_t x = 0; x < Width; ++x) {
            const unsigned detail = ((x * 7 + y * 13 + seed) * 2654435761u) >> 28;
            row[3 * x] = static_cast<uint8_t>((x / 24 + detail) & 255);
            row[3 * x + 1] = static_cast<uint8_t>((y / 16 + seed + detail) & 255);
            row[3 * x + 2] = static_cast<uint8_t>(((x + y) / 40 + detail) & 255);
        }
    }
    TJPEGImage jpeg;
    jpeg.SetEncodeQuality(92);
    jpeg.CopyFrom(&b);
    jpeg.WriteToFile(name);
}

// Runs a program to its end; returns false when it failed.
bool RunProcess(const std::vector<std::string>& args)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        std::vector<char*> argv;
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    LastPeakKiB = usage.ru_maxrss;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

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
        WriteInput(Dir + "/left.jpg", 1);
        WriteInput(Dir + "/right.jpg", 2);
    }
    bench_support::Budget("BatchCompose", 1.25, "tremalu-cli compose of two 6000x4000 q92 JPEGs to q100 / the codec's own floor");
    const int status = bench_support::RunAndReportRatios(argc, argv);
    std::printf("peak memory of the batch composition: %.0f MiB (limit %.0f MiB)\n",
                static_cast<double>(LastPeakKiB) / 1024.0, PeakMemoryLimitMiB);
    std::filesystem::remove_all(Dir);
    return status;
}
