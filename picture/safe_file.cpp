#include "safe_file.h"

#include "errors.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace tremalu {

namespace {

[[noreturn]] void CannotCreate(const std::string& fileName)
{
    throw EFCreateError(FormatMessage(texts::CannotCreateFile, {fileName}));
}

std::string DirectoryOf(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

// Follows symbolic links from path to the file they end at (which may not
// exist yet); gives up, as the system does, after 40 links.
std::string FollowLinks(const std::string& fileName)
{
    std::string path = fileName;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st;
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return path;
        std::vector<char> target(static_cast<size_t>(st.st_size > 0 ? st.st_size : PATH_MAX) + 1);
        const ssize_t n = ::readlink(path.c_str(), target.data(), target.size() - 1);
        if (n < 0)
            CannotCreate(fileName);
        const std::string link(target.data(), static_cast<size_t>(n));
        path = (!link.empty() && link[0] == '/') ? link : DirectoryOf(path) + "/" + link;
    }
    CannotCreate(fileName);
}

mode_t CurrentUmask()
{
    // The mask can only be read by setting it; done once, under a lock.
    static std::once_flag once;
    static mode_t mask = 022;
    std::call_once(once, [] {
        mask = ::umask(022);
        ::umask(mask);
    });
    return mask;
}

// A read-only file is one we may not write or, for a user whom permissions do
// not bind, one that nobody has write permission on.
bool IsReadOnly(const std::string& path, const struct stat& st)
{
    if (::access(path.c_str(), W_OK) != 0)
        return true;
    return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

bool WriteAll(int fd, const void* data, size_t size)
{
    const auto* p = static_cast<const unsigned char*>(data);
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, p + done, size - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

void WriteFileSafely(const std::string& fileName, const void* data, size_t size)
{
    if (fileName.empty())
        CannotCreate(fileName);
    const std::string target = FollowLinks(fileName);

    mode_t mode = 0666 & ~CurrentUmask();
    struct stat existing;
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    if (exists) {
        if (!S_ISREG(existing.st_mode) || IsReadOnly(target, existing))
            CannotCreate(fileName);
        mode = existing.st_mode & 07777;
    }

    // The new file is made beside the target so that the rename stays on one
    // file system and is atomic.
    const size_t slash = target.find_last_of('/');
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    std::string temporary = DirectoryOf(target) + "/." + base + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0)
        CannotCreate(fileName);

    bool written = WriteAll(fd, data, size);
    written = written && ::fchmod(fd, mode) == 0;
    if (written && exists && ::geteuid() == 0) {
        // Keep the owner of a file replaced on someone else's behalf; where
        // that is refused the file simply becomes ours, as a new file would.
        if (::fchown(fd, existing.st_uid, existing.st_gid) != 0)
            errno = 0;
    }
    written = written && ::fsync(fd) == 0;
    written = (::close(fd) == 0) && written;
    if (!written) {
        ::unlink(temporary.c_str());
        throw EWriteError(texts::StreamWrite);
    }
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        ::unlink(temporary.c_str());
        CannotCreate(fileName);
    }
}

}  // namespace tremalu
