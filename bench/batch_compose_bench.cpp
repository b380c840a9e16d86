// The batch composition as a whole process: `tremalu-cli compose` of two
// 6000 × 4000 JPEG files (quality 92, 4:2:0) into a quality-100 JPEG file,
// against the codec's own floor for the same work (codec_floor: both decodes
// and the encode, one after the other), both run as separate processes in
// the same run. The composition reads and decodes its two sides as it
// encodes, the work shared by two threads, so on two cores it must take well
// under the floor's time. Also the peak memory of the batch composition, read from the
// finished process, into a JPEG and into a BMP file.
//
// And the vertical alignment: `compose --aligner` of a photograph-like
// 6000 × 4000 pair whose RIGHT picture sits a known number of rows lower
// (the whole process), against which the estimate itself (the reduced
// copies, the search and its refinement, on the two decoded pictures) must
// stay a small share; the estimate's error is printed.
#include "photo_input.h"
#include "ratio_report.h"

#include "formats/jpeg/jpeg_image.h"
#include "picture_modules.h"
#include "raster/bitmap.h"
#include "stereo_scene.h"
#include "stereo/vertical_alignment.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

using namespace tremalu;

namespace {

constexpr double PeakMemoryLimitMiB = 48;
// A BMP output is written in place row by row, never held whole.
constexpr double BmpPeakMemoryLimitMiB = 48;
constexpr int32_t KnownOffset = 57;  // rows the RIGHT picture of the aligned pair sits lower

std::string Dir;
std::string ToolDir;
long LastPeakKiB = 0;
long ComposePeakKiB = 0;
long AlignmentPeakKiB = 0;
int32_t InProcessEstimate = 0;

void Run(benchmark::State& state, const std::vector<std::string>& args, const std::string& errorFile = std::string())
{
    long peak = 0;
    for (auto _ : state) {
        if (!bench_support::RunProcess(args, LastPeakKiB, errorFile)) {
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
    ComposePeakKiB = LastPeakKiB;
    if (static_cast<double>(LastPeakKiB) / 1024.0 > PeakMemoryLimitMiB)
        state.SkipWithError("peak memory over 48 MiB");
}

// The whole aligned composition, as a user runs it.
void Alignment_baseline(benchmark::State& state)
{
    Run(state,
        {ToolDir + "/tremalu-cli", "compose", "--aligner", Dir + "/scene_l.jpg", Dir + "/scene_r.jpg", Dir + "/aligned.jpg"},
        Dir + "/aligned.txt");
    AlignmentPeakKiB = LastPeakKiB;
}

// The estimate alone, on the pictures as the tool decodes them. Run last:
// the decoded pictures are held only here, so that no process started by
// this one inherits them in its peak memory.
void Alignment_subject(benchmark::State& state)
{
    TJPEGImage left, right;
    left.ReadFromFile(Dir + "/scene_l.jpg");
    right.ReadFromFile(Dir + "/scene_r.jpg");
    const TPixelView l{left.DecodedBitmap().PeekPixels(), 0, 0, bench_support::PhotoWidth, bench_support::PhotoHeight};
    const TPixelView r{right.DecodedBitmap().PeekPixels(), 0, 0, bench_support::PhotoWidth, bench_support::PhotoHeight};
    for (auto _ : state)
        InProcessEstimate = EstimateVerticalOffset(l, r);
}

// The photograph-like pair of the alignment, as quality-92 JPEG files.
void WriteScene()
{
    testing_support::StereoScene scene;
    scene.Width = bench_support::PhotoWidth;
    scene.Height = bench_support::PhotoHeight;
    scene.RightLower = KnownOffset;
    scene.RightGain = 0.92;
    scene.RightOffset = 4;
    bench_support::WriteSceneJpegs(Dir, [&](bool right) { return RenderStereoEye(scene, right); });
}

}  // namespace

BENCHMARK(BatchCompose_baseline)->Name("BatchCompose/baseline")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BatchCompose_subject)->Name("BatchCompose/subject")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Alignment_baseline)->Name("Alignment/baseline")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Alignment_subject)->Name("Alignment/subject")->Unit(benchmark::kMillisecond)->UseRealTime();

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
    TPictureModules modules;
    bench_support::WritePhotoJpeg(Dir + "/left.jpg", 1);
    bench_support::WritePhotoJpeg(Dir + "/right.jpg", 2);
    WriteScene();
    bench_support::Budget("BatchCompose", 0.65,
                          "tremalu-cli compose of two 6000x4000 q92 JPEGs to q100 / the codec's own floor (one core)");
    bench_support::Budget("Alignment", 0.10, "the alignment's estimate / the whole compose --aligner of a 6000x4000 pair");
    int status = bench_support::RunAndReportRatios(argc, argv);
    std::printf("peak memory of the batch composition: %.1f MiB (limit %.0f MiB)\n",
                static_cast<double>(ComposePeakKiB) / 1024.0, PeakMemoryLimitMiB);
    std::ifstream said(Dir + "/aligned.txt");
    std::string line;
    std::getline(said, line);
    std::printf("alignment of a pair %d rows apart: the tool says \"%s\"; the estimate alone gives %d "
                "(error %d); peak memory of compose --aligner: %.0f MiB\n",
                KnownOffset, line.c_str(), InProcessEstimate, InProcessEstimate - KnownOffset,
                static_cast<double>(AlignmentPeakKiB) / 1024.0);
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
