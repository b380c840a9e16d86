// A photograph-like stereo pair made up for tests and benchmarks: a sky, a
// horizon and textured ground far away, and objects at several depths in
// front, each seen from two viewpoints (a near object moves sideways more
// than a far one between the eyes). The RIGHT picture may also sit lower by
// a known number of rows and be darker, as a handheld pair would.
#pragma once

#include "raster/bitmap.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace testing_support {

struct StereoScene {
    int32_t Width = 400;
    int32_t Height = 300;
    unsigned Seed = 1;
    int32_t RightLower = 0;     // what row y of the LEFT shows is at row y + RightLower of the RIGHT
    double NearParallax = 0.03;  // sideways shift of the nearest object, in widths
    double RightGain = 1.0;     // the RIGHT picture's exposure: gain, then offset
    double RightOffset = 0.0;
};

// The picture of one eye as a 24-bit bitmap.
std::unique_ptr<tremalu::TBitmap> RenderStereoEye(const StereoScene& scene, bool rightEye);

// A scene of flat textured layers, each at one known disparity (the LEFT
// column minus the RIGHT column of every point of it: a near layer lies
// further left in the RIGHT picture). The texture is the same scene
// texture in both eyes, at several scales so that it survives reduction,
// with a little noise of its own in each eye.
struct SceneLayer {
    double Left, Top, Right, Bottom;  // the layer in the LEFT picture, in shares of the width and height
    int32_t Disparity;
};

struct LayeredScene {
    int32_t Width = 640;
    int32_t Height = 480;
    unsigned Seed = 1;
    int32_t BackgroundDisparity = 0;  // of the layer behind all, filling the picture
    std::vector<SceneLayer> Layers;   // each in front of those before it
    int32_t RightLower = 0;           // as StereoScene's
    double RightGain = 1.0;
    double RightOffset = 0.0;
};

std::unique_ptr<tremalu::TBitmap> RenderLayeredEye(const LayeredScene& scene, bool rightEye);

}  // namespace testing_support
