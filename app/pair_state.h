// The pair state: what is known of the LEFT and RIGHT pictures. The
// pictures themselves live in the preview image views; this holds whether
// each side was loaded, its natural size and the file it came from.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tremalu {

struct TPairState {
    bool LeftLoaded = false;   // a LEFT picture has been loaded successfully at least once
    bool RightLoaded = false;  // the same for the RIGHT picture
    int32_t LeftWidth = 0;     // natural size of the last LEFT picture loaded
    int32_t LeftHeight = 0;
    int32_t RightWidth = 0;    // natural size of the last RIGHT picture loaded
    int32_t RightHeight = 0;
    std::string LeftFileName;   // full path of the file last chosen for each side
    std::string RightFileName;
    // The parallax the camera recorded, in percent of the width, when both
    // sides came from one MPO file that has one.
    std::optional<double> ParallaxPercent;
    // Changes with every picture loaded: the result window keeps its
    // adjustment for as long as the pair stays the same.
    uint64_t Identity = 0;
};

}  // namespace tremalu
