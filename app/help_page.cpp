#include "help_page.h"

#include "core/errors.h"

#include <cerrno>
#include <unistd.h>
#include <vector>

namespace tremalu {

std::string HelpPagePath(const std::string& directory)
{
    std::string path = directory;
    if (path.empty() || path.back() != '/')
        path += '/';
    return path + HelpPageName;
}

std::string CurrentDirectory()
{
    std::vector<char> buffer(256);
    while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE)
            throw EFOpenError(FormatMessage(texts::CannotOpenFile, {HelpPageName}));
        buffer.resize(buffer.size() * 2);
    }
    return buffer.data();
}

}  // namespace tremalu
