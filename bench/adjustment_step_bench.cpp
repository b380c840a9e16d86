// Speed of one step of the stereo adjustment in the result window: an arrow
// key moves the RIGHT picture and the view is recomposed from the copies of
// both sides reduced to the view's size, against composing the anaglyph of
// the same pair at full size. Two 6000 × 4000 JPEG photographs are loaded
// as the load buttons load them and decoded as their previews decode them.
#include "photo_input.h"
#include "ratio_report.h"

#include "fitting.h"
#include "picture_modules.h"
#include "raster/bitmap.h"
#include "stereo/side_picture.h"
#include "stereo_adjustment.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

using namespace tremalu;

namespace {

struct PhotoPair {
    std::unique_ptr<TPicture> Left;
    std::unique_ptr<TPicture> Right;
    TStereoSides Sides() const
    {
        return {Left->Graphic(),     Right->Graphic(),     Left->PixelWidth(), Left->PixelHeight(),
                Right->PixelWidth(), Right->PixelHeight(), {},                 std::nullopt};
    }
};

// Made once for the whole run; the files are removed once loaded.
PhotoPair& Photos()
{
    static PhotoPair pair = [] {
        char pattern[] = "/tmp/tremalu-step-XXXXXX";
        const std::string dir = ::mkdtemp(pattern);
        bench_support::WritePhotoJpeg(dir + "/left.jpg", 1);
        bench_support::WritePhotoJpeg(dir + "/right.jpg", 2);
        PhotoPair loaded{LoadSidePicture(dir + "/left.jpg"), LoadSidePicture(dir + "/right.jpg")};
        std::filesystem::remove_all(dir);
        // Decoded as the previews' first painting decodes them.
        for (TPicture* side : {loaded.Left.get(), loaded.Right.get()}) {
            TBitmap preview;
            preview.SetPixelWidth(290);
            preview.SetPixelHeight(193);
            preview.Surface().DrawStretched({0, 0, 290, 193}, side->Graphic());
        }
        return loaded;
    }();
    return pair;
}

void Step_baseline(benchmark::State& state)
{
    TStereoAdjustment adjustment(Photos().Sides());
    adjustment.MoveBy(10, 0);
    for (auto _ : state) {
        std::unique_ptr<TBitmap> anaglyph = adjustment.ComposeFullSize();
        benchmark::DoNotOptimize(anaglyph->PeekPixels()->Bits());
    }
}

void Step_subject(benchmark::State& state)
{
    TStereoAdjustment adjustment(Photos().Sides());
    adjustment.ComposeReduced(ResultBox);  // the copies are made once, at the first step
    int64_t direction = 1;
    for (auto _ : state) {
        if (!adjustment.MoveBy(direction * 10, 0))
            state.SkipWithError("step refused");
        direction = -direction;
        std::unique_ptr<TBitmap> view = adjustment.ComposeReduced(ResultBox);
        benchmark::DoNotOptimize(view->PeekPixels()->Bits());
    }
}

}  // namespace

BENCHMARK(Step_baseline)->Name("Step/baseline")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Step_subject)->Name("Step/subject")->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv)
{
    TPictureModules modules;
    bench_support::Budget("Step", 0.05,
                          "an arrow key's step recomposed from the reduced copies / the full-size recomposition, "
                          "two 6000x4000 JPEG photographs");
    return bench_support::RunAndReportRatios(argc, argv);
}
