// The filter of a file dialog: pairs of a description and a pattern list,
// every part separated from the next by "|", the patterns of one pair by
// ";" ("Bitmaps (*.bmp)|*.bmp|Icônes (*.ico)|*.ico").
#pragma once

#include <string>
#include <vector>

namespace tremalu {

struct TFilterPair {
    std::string Description;
    std::vector<std::string> Patterns;
};

std::vector<TFilterPair> ParseFilter(const std::string& filter);

// Whether a file name (without its folder) matches one of the patterns, as
// the system's file dialogs match them: "*" any run of characters, "?" one
// character, letters compared without regard to ASCII case.
bool MatchesPatterns(const std::string& fileName, const std::vector<std::string>& patterns);

// A name typed without an extension gets the extension of the selected
// pair's first pattern ("*.jpg" gives ".jpg"), or defaultExtension when that
// pattern names no single extension ("*.*", "*"); a name with an extension,
// or with nothing to add, is returned as it is.
std::string WithDefaultExtension(const std::string& fileName, const TFilterPair* selected,
                                 const std::string& defaultExtension);

}  // namespace tremalu
