// The commands of tremalu-cli, callable in-process (the tests do).
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace tremalu {

// Runs one command line (without the program name). Returns the exit code:
// 0 on success, 1 after a failure (its message on err, as the program's
// message box would show it: a memory failure as "Mémoire insuffisante.",
// any other standard failure with its own text), 2 after a usage error (the
// usage on err). A failure writes nothing. `--help` or `-h` in the
// command's place writes the usage on out and `--version` the tool's name
// and version; both return 0.
// errIsTerminal: err is shown on a terminal, where lot draws its progress
// line.
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, bool errIsTerminal = false);

}  // namespace tremalu
