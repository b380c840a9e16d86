// Runs a command line through the shell and gathers what it writes, for the
// tests that drive the programs, the completion scripts and the packaging
// tools as a user's shell would.
#pragma once

#include <string>

namespace testing_support {

struct TShellRun {
    int Status = -1;  // the exit code; -1 when the command did not exit
    std::string Out;  // standard output
    std::string Err;  // standard error
};

TShellRun RunShell(const std::string& command);

// text in single quotes, for a command line (quotes inside it kept).
std::string ShellQuoted(const std::string& text);

}  // namespace testing_support
