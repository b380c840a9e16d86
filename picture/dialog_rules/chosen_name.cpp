#include "dialog_rules/chosen_name.h"

#include "core/graphic.h"

#include <sys/stat.h>
#include <unistd.h>

namespace tremalu {

bool IsExistingFile(const std::string& path)
{
    struct stat status {};
    return !path.empty() && ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

std::string CompleteChosenName(const std::string& name, const TFilterPair* selected,
                               const std::string& defaultExtension, bool saving)
{
    if (!saving && IsExistingFile(name))
        return name;
    return WithDefaultExtension(name, selected, defaultExtension);
}

bool IsReadOnlyFile(const std::string& path)
{
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0)
        return false;
    // access() says yes to root whatever the mode; the mode tells what the
    // file's owner meant.
    return ::access(path.c_str(), W_OK) != 0 || (status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

bool HasOtherExtension(const std::string& name, const std::string& defaultExtension)
{
    if (defaultExtension.empty())
        return false;
    return AsciiLowerCase(ExtractPictureExtension(name)) != AsciiLowerCase(defaultExtension);
}

}  // namespace tremalu
