// Which compositions a batch makes from the files it is given: every MPO or
// JPS file on its own, and every pair of pictures named X_L and X_R, X_l and
// X_r, or XL and XR (in the same folder, with the same extension in any
// case), each into X.jpg. With the side-by-side choice every file stands on
// its own.
#pragma once

#include <string>
#include <vector>

namespace tremalu {

struct TBatchJob {
    std::vector<std::string> Inputs;  // one stereo file, or LEFT then RIGHT
    std::string Name;                 // X: the output is X.jpg
};

struct TBatchPlan {
    std::vector<TBatchJob> Jobs;       // in the order of their first file
    std::vector<std::string> Unpaired;  // files that make no composition
};

TBatchPlan PlanBatch(const std::vector<std::string>& files, bool sideBySide);

// Said of a file that makes no composition.
inline constexpr const char* UnpairedText =
    "ni fichier MPO ou JPS, ni image d'une paire X_L/X_R, X_l/X_r ou XL/XR";
// Said of a composition whose output another one of the batch already makes.
inline constexpr const char* SameOutputText = "une autre composition du lot produit déjà %s";

}  // namespace tremalu
