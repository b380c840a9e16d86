// What the whole-process benchmarks share: photograph-like JPEG inputs and
// running a program to its end with its peak memory.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tremalu {
class TBitmap;
}

namespace bench_support {

// A 6000 × 4000 photograph-like picture (smooth shading with some detail, so
// that the file has the size of a real photograph's) saved as a quality-92
// JPEG file. Needs the picture modules started.
inline constexpr int PhotoWidth = 6000;
inline constexpr int PhotoHeight = 4000;
void WritePhotoJpeg(const std::string& name, unsigned seed);

// A stereo scene's two eyes, eye(false) the LEFT and eye(true) the RIGHT,
// saved as the quality-92 JPEG files dir/scene_l.jpg and dir/scene_r.jpg.
void WriteSceneJpegs(const std::string& dir, const std::function<std::unique_ptr<tremalu::TBitmap>(bool right)>& eye);

// Runs a program to its end; returns false when it failed. peakKiB receives
// its peak resident memory; its standard error goes to errorFile when one
// is named.
bool RunProcess(const std::vector<std::string>& args, long& peakKiB, const std::string& errorFile = std::string());

}  // namespace bench_support
