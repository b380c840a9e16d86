// A photograph-like stereo pair made up for tests and benchmarks: a sky, a
// horizon and textured ground far away, and objects at several depths in
// front, each seen from two viewpoints (a near object moves sideways more
// than a far one between the eyes). The RIGHT picture may also sit lower by
// a known number of rows and be darker, as a handheld pair would.
#pragma once

#include "raster/bitmap.h"

#include <cstdint>
#include <memory>

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

}  // namespace testing_support
