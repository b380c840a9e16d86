#include "shell_run.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace testing_support {

TShellRun RunShell(const std::string& command)
{
    // Standard error goes to a file of its own, read once the command ends,
    // so a command that fills both streams cannot block on either.
    char errName[] = "/tmp/tremalu_shell_err_XXXXXX";
    const int errFile = ::mkstemp(errName);
    if (errFile < 0)
        throw std::runtime_error("mkstemp failed");
    ::close(errFile);

    TShellRun run;
    FILE* pipe = ::popen(("{ " + command + "\n} 2>" + ShellQuoted(errName)).c_str(), "r");
    if (pipe == nullptr) {
        ::unlink(errName);
        throw std::runtime_error("popen failed: " + command);
    }
    std::array<char, 4096> buffer;
    while (const size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe))
        run.Out.append(buffer.data(), n);
    const int status = ::pclose(pipe);
    run.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream err(errName, std::ios::binary);
    run.Err.assign(std::istreambuf_iterator<char>(err), std::istreambuf_iterator<char>());
    ::unlink(errName);
    return run;
}

std::string ShellQuoted(const std::string& text)
{
    std::string quoted = "'";
    for (const char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

}  // namespace testing_support
