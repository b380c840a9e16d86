// Which compositions a batch makes from the files it is given: every MPO or
// JPS file on its own, and every pair of pictures named X_L and X_R, X_l and
// X_r, or XL and XR (in the same folder, with the same extension in any
// case), each into X.jpg. With the side-by-side choice every file stands on
// its own.
#pragma once

#include <optional>
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

// Where a job of the batch writes: folder/X.jpg.
std::string BatchOutputOf(const std::string& folder, const TBatchJob& job);

// An input of one job that another job of the plan writes into `folder`
// (the first found, by writing job); none when every input is only read.
// Such a batch would compose whatever the file holds when its reader gets
// there, which depends on the two threads' timing. A file is the same when
// it has the output's name in the output folder (however either folder is
// written, so also before the output exists) or is the output file itself
// under another name (a link).
std::optional<std::string> ChainedInput(const TBatchPlan& plan, const std::string& folder);

// Said of a file that makes no composition.
inline constexpr const char* UnpairedText =
    "ni fichier MPO ou JPS, ni image d'une paire X_L/X_R, X_l/X_r ou XL/XR";
// Said of a composition whose output another one of the batch already makes.
inline constexpr const char* SameOutputText = "une autre composition du lot produit déjà %s";
// Said of a batch refused because one composition would read what another
// writes.
inline constexpr const char* ChainedInputText = "%s serait écrit par une composition du lot et lu par une autre";

}  // namespace tremalu
