// Where the help page is looked for: "index.htm" in the current working
// directory at start-up, not in the program's own folder.
#pragma once

#include <string>

namespace tremalu {

inline constexpr const char* HelpPageName = "index.htm";

// directory + "/" + "index.htm"; a directory that already ends in "/" (the
// root, for one) gets no second one.
std::string HelpPagePath(const std::string& directory);

// The current working directory. When the system cannot tell it (the
// directory was removed), the page cannot be opened either: EFOpenError
// "Impossible d'ouvrir le fichier index.htm".
std::string CurrentDirectory();

}  // namespace tremalu
