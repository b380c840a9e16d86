// The peak memory of the windows' work on two large photographs: the logic
// the program's handlers run, scripted without windows. Two 6000 × 4000 JPEG
// files are loaded as the load buttons load them and drawn as the previews
// draw them (which decodes each into its bitmap), the anaglyph is composed as
// the glasses button composes it into the result window's picture, drawn as
// that window draws it, and saved as the floppy-disk button saves it, as BMP
// and as JPEG. Its peak, less that of a process that only starts the same
// way, must stay within 10 % of the pictures the program has to hold: the
// two decoded sides (24 bits a pixel) and the 32-bit result.
//
// A second script adjusts the stereo window before saving: the anaglyph is
// composed and shown as above, then ten arrow-key steps recompose the view
// from reduced copies of the sides, and the adjusted anaglyph is saved as
// BMP, composed row by row into the file. Its limit is 15 % over the same
// pictures.
//
//   windows_memory_bench            runs the scripts as child processes
//   windows_memory_bench --script windows|adjusted|start DIR   (what the children run)
#include "photo_input.h"

#include "stereo/anaglyph.h"
#include "core/graphic.h"
#include "picture_modules.h"
#include "raster/bitmap.h"
#include "stereo/save_rules.h"
#include "stereo/side_picture.h"
#include "fitting.h"
#include "stereo_adjustment.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <unistd.h>

using namespace tremalu;

namespace {

constexpr double AllowedOverPictures = 1.10;
constexpr double AllowedWhenAdjusted = 1.15;

// Draws a picture fitted into a frame, as an image view paints it.
void Paint(TGraphic* graphic, int32_t width, int32_t height)
{
    TBitmap surface;
    surface.SetPixelWidth(width);
    surface.SetPixelHeight(height);
    surface.Surface().DrawStretched({0, 0, width, height}, graphic);
}

void WindowsScript(const std::string& dir)
{
    TPicture leftView, rightView, resultView;
    leftView.CopyFrom(LoadSidePicture(dir + "/left.jpg").get());
    rightView.CopyFrom(LoadSidePicture(dir + "/right.jpg").get());
    Paint(leftView.Graphic(), 290, 193);
    Paint(rightView.Graphic(), 290, 193);
    {
        std::unique_ptr<TBitmap> anaglyph = ComposeAnaglyph(leftView.Graphic(), rightView.Graphic(),
                                                            leftView.PixelWidth(), leftView.PixelHeight());
        resultView.AsBitmap().CopyFrom(anaglyph.get());
        Paint(resultView.Graphic(), 425, 283);
        SaveBitmapByName(resultView.AsBitmap(), dir + "/anaglyph.bmp");
        SaveBitmapByName(resultView.AsBitmap(), dir + "/anaglyph.jpg");
    }
}

void AdjustedScript(const std::string& dir)
{
    TPicture leftView, rightView, resultView;
    leftView.CopyFrom(LoadSidePicture(dir + "/left.jpg").get());
    rightView.CopyFrom(LoadSidePicture(dir + "/right.jpg").get());
    Paint(leftView.Graphic(), 290, 193);
    Paint(rightView.Graphic(), 290, 193);
    TStereoAdjustment adjustment({leftView.Graphic(), rightView.Graphic(), leftView.PixelWidth(),
                                  leftView.PixelHeight(), rightView.PixelWidth(), rightView.PixelHeight(), {},
                                  std::nullopt});
    // The glasses button: the full-size anaglyph in the result window's view.
    resultView.AsBitmap().CopyFrom(adjustment.ComposeFullSize().get());
    Paint(resultView.Graphic(), 425, 283);
    // Ten steps: each view replaces the last one.
    for (int step = 0; step < 10; ++step) {
        adjustment.MoveBy(step % 2 == 0 ? 10 : 1, step % 3 == 0 ? 1 : 0);
        resultView.AsBitmap().CopyFrom(adjustment.ComposeReduced(ResultBox).get());
        Paint(resultView.Graphic(), 425, 283);
    }
    adjustment.SaveFullSize(dir + "/anaglyph.bmp");
}

int RunScript(const std::string& script, const std::string& dir)
{
    TPictureModules modules;
    if (script == "windows")
        WindowsScript(dir);
    else if (script == "adjusted")
        AdjustedScript(dir);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::strcmp(argv[1], "--script") == 0)
        return RunScript(argv[2], argv[3]);

    char pattern[] = "/tmp/tremalu-windows-XXXXXX";
    const std::string dir = ::mkdtemp(pattern);
    {
        TPictureModules modules;
        bench_support::WritePhotoJpeg(dir + "/left.jpg", 1);
        bench_support::WritePhotoJpeg(dir + "/right.jpg", 2);
    }
    const std::string self = std::filesystem::canonical("/proc/self/exe").string();
    long startKiB = 0, windowsKiB = 0, adjustedKiB = 0;
    const bool ran = bench_support::RunProcess({self, "--script", "start", dir}, startKiB) &&
                     bench_support::RunProcess({self, "--script", "windows", dir}, windowsKiB) &&
                     bench_support::RunProcess({self, "--script", "adjusted", dir}, adjustedKiB);
    std::filesystem::remove_all(dir);
    if (!ran) {
        std::printf("the scripted run failed\n");
        return 1;
    }
    const double pixels = double(bench_support::PhotoWidth) * bench_support::PhotoHeight;
    const double picturesMiB = (2 * 3 * pixels + 4 * pixels) / (1024.0 * 1024.0);
    const double usedMiB = double(windowsKiB - startKiB) / 1024.0;
    std::printf("windows' logic on two 6000x4000 JPEGs, composed, saved as BMP and JPEG:\n"
                "  peak %.0f MiB, of which %.0f MiB above a process that only starts\n"
                "  the pictures held: %.0f MiB; ratio %.3f (limit %.2f)\n",
                double(windowsKiB) / 1024.0, usedMiB, picturesMiB, usedMiB / picturesMiB, AllowedOverPictures);
    const double adjustedMiB = double(adjustedKiB - startKiB) / 1024.0;
    std::printf("the same, composed, ten steps of the stereo adjustment, saved as BMP:\n"
                "  peak %.0f MiB, of which %.0f MiB above a process that only starts\n"
                "  ratio %.3f (limit %.2f)\n",
                double(adjustedKiB) / 1024.0, adjustedMiB, adjustedMiB / picturesMiB, AllowedWhenAdjusted);
    return usedMiB <= picturesMiB * AllowedOverPictures && adjustedMiB <= picturesMiB * AllowedWhenAdjusted ? 0 : 1;
}
