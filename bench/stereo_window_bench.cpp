// The automatic stereo window at 24 MP: the estimate alone (the reduced grey
// copies, the block matching, the refinement at full size, on the two
// decoded pictures) against the whole `tremalu-cli compose --fenetre-auto` of
// the same 6000 × 4000 pair as a user runs it (both decodes, the estimate,
// the composition and its encoding), measured in the same run. The pair is a
// layered scene whose nearest layer's disparity is known; the estimate's
// error is printed.
#include "photo_input.h"
#include "ratio_report.h"

#include "formats/jpeg/jpeg_image.h"
#include "picture_modules.h"
#include "raster/bitmap.h"
#include "stereo_scene.h"
#include "stereo/stereo_window.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

using namespace tremalu;

namespace {

constexpr int32_t NearestLayer = 143;  // the disparity of the nearest layer, in pixels

std::string Dir;
std::string ToolDir;
TStereoWindowEstimate InProcessEstimate;

void StereoWindow_baseline(benchmark::State& state)
{
    long peakKiB = 0;
    for (auto _ : state)
        if (!bench_support::RunProcess({ToolDir + "/tremalu-cli", "compose", "--fenetre-auto", Dir + "/scene_l.jpg",
                                        Dir + "/scene_r.jpg", Dir + "/window.jpg"},
                                       peakKiB, Dir + "/window.txt")) {
            state.SkipWithError("the process failed");
            return;
        }
}

// Run last: the decoded pictures are held only here, so that no process
// started by this one inherits them.
void StereoWindow_subject(benchmark::State& state)
{
    TJPEGImage left, right;
    left.ReadFromFile(Dir + "/scene_l.jpg");
    right.ReadFromFile(Dir + "/scene_r.jpg");
    const TPixelView l{left.DecodedBitmap().PeekPixels(), 0, 0, bench_support::PhotoWidth, bench_support::PhotoHeight};
    const TPixelView r{right.DecodedBitmap().PeekPixels(), 0, 0, bench_support::PhotoWidth, bench_support::PhotoHeight};
    for (auto _ : state)
        InProcessEstimate = EstimateStereoWindow(l, r, 0);
}

// Far ground, two layers between and the nearest one, with the RIGHT
// picture a little darker, as quality-92 JPEG files.
void WriteScene()
{
    testing_support::LayeredScene scene;
    scene.Width = bench_support::PhotoWidth;
    scene.Height = bench_support::PhotoHeight;
    scene.BackgroundDisparity = 12;
    scene.Layers = {{0.05, 0.45, 0.4, 0.95, 48}, {0.55, 0.2, 0.95, 0.7, 96}, {0.3, 0.35, 0.6, 0.85, NearestLayer}};
    scene.RightGain = 0.92;
    scene.RightOffset = 4;
    bench_support::WriteSceneJpegs(Dir, [&](bool right) { return RenderLayeredEye(scene, right); });
}

}  // namespace

BENCHMARK(StereoWindow_baseline)->Name("StereoWindow/baseline")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(StereoWindow_subject)->Name("StereoWindow/subject")->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv)
{
    // tremalu-cli sits beside this program's build, in tools/.
    const std::filesystem::path self = std::filesystem::canonical("/proc/self/exe").parent_path();
    ToolDir = self.parent_path().string() + "/tools";
    char pattern[] = "/tmp/tremalu-window-XXXXXX";
    Dir = ::mkdtemp(pattern);
    TPictureModules modules;
    WriteScene();
    bench_support::Budget("StereoWindow", 0.15,
                          "the stereo window's estimate / the whole compose --fenetre-auto of a 6000x4000 pair");
    const int status = bench_support::RunAndReportRatios(argc, argv);
    std::ifstream said(Dir + "/window.txt");
    std::string shift, depth;
    std::getline(said, shift);
    std::getline(said, depth);
    std::printf("stereo window of a pair whose nearest layer lies %d pixels apart: the tool says \"%s\" and \"%s\"; "
                "the estimate alone gives %d (error %d)\n",
                NearestLayer, shift.c_str(), depth.c_str(), InProcessEstimate.ShiftX,
                InProcessEstimate.ShiftX + NearestLayer);
    std::filesystem::remove_all(Dir);
    return status;
}
