// A stereo camera's file (MPO, JPS) as the two sides of the image-choice
// window take it: each eye's picture in a container of its own, as if it had
// been loaded from a file of its own. The files are read by the batch tool's
// readers (stereo_pair.h), so the program and the tool see the same pairs.
#pragma once

#include "core/graphic.h"

#include <memory>
#include <optional>
#include <string>

namespace tremalu {

struct TSidePictures {
    std::unique_ptr<TPicture> Left;
    std::unique_ptr<TPicture> Right;
    // The parallax the camera recorded (TStereoPair::ParallaxPercent).
    std::optional<double> ParallaxPercent;
};

// Whether the file, given alone, fills both sides: by its extension, .mpo
// or .jps in any case.
bool FillsBothSides(const std::string& fileName);

// Reads the file's two pictures. A view that is a whole picture (an MPO
// file's images) keeps its kind (a JPEG picture decoded at its first
// drawing); a view that is part of a picture (a JPS file's halves) becomes
// a bitmap of that part, as it is drawn on white. Failures are the readers'.
TSidePictures LoadStereoSides(const std::string& fileName);

}  // namespace tremalu
