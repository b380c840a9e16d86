// What the program's command line asks before any window exists:
//
//   tremalu [GAUCHE [DROITE]]
//   tremalu --help | -h
//   tremalu --version
//
// These are answered before the windowing toolkit starts, so they work
// without a display. Any other name is a picture, except a name that starts
// with "-" and is no file: that is an option the program does not know.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace tremalu {

// The exit code when the program must end here (0 after --help or
// --version, their answer on out; 2 after an unknown option, the usage on
// err), or nothing when the names are pictures and the windows may open.
// The first name that looks like an option decides.
std::optional<int> AnswerCommandLine(const std::vector<std::string>& names, std::ostream& out, std::ostream& err);

}  // namespace tremalu
