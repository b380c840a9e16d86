#include "core/safe_file.h"

#include "core/errors.h"
#include "core/streams.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <mutex>
#include <random>
#include <string>
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

// ".name." beside the file: hidden, and recognisably ours.
std::string HiddenNameBeside(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    return DirectoryOf(path) + "/." + base + ".";
}

std::string RandomSuffix()
{
    static constexpr char Letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    static std::mutex lock;
    static std::mt19937_64 random{std::random_device{}()};
    std::lock_guard<std::mutex> guard(lock);
    std::string suffix(6, 'x');
    for (char& c : suffix)
        c = Letters[random() % (sizeof Letters - 1)];
    return suffix;
}

// Makes the new name itself durable; a folder that cannot be synced changes
// nothing of what was written.
void SyncDirectory(const std::string& directory)
{
    const int handle = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (handle >= 0) {
        ::fsync(handle);
        ::close(handle);
    }
}

}  // namespace

TSafeFileStream::TSafeFileStream(const std::string& fileName) : Name(fileName)
{
    if (fileName.empty())
        CannotCreate(fileName);
    Target = FollowLinks(fileName);

    Mode = 0666 & ~CurrentUmask();
    struct stat existing;
    if (::stat(Target.c_str(), &existing) == 0) {
        if (!S_ISREG(existing.st_mode) || IsReadOnly(Target, existing))
            CannotCreate(fileName);
        Mode = existing.st_mode & 07777;
        Replaces = true;
        Owner = existing.st_uid;
        Group = existing.st_gid;
    }

    // The new file is made beside the target so that the rename stays on one
    // file system and is atomic. It has no name until it is complete: a
    // crash while it is written leaves nothing behind. Where the file system
    // cannot make nameless files, a hidden named one stands in.
    Directory = DirectoryOf(Target);
    Handle = ::open(Directory.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, Mode);
    if (Handle >= 0 && ::access("/proc/self/fd", X_OK) != 0) {
        // Naming it later goes through /proc; without it, a named file.
        ::close(Handle);
        Handle = -1;
    }
    if (Handle < 0) {
        Temporary = HiddenNameBeside(Target) + "XXXXXX";
        Handle = ::mkstemp(Temporary.data());
        if (Handle < 0)
            CannotCreate(fileName);
    }
    Buffer.reserve(BufferSize);
}

TSafeFileStream::~TSafeFileStream()
{
    // Not committed: the new file goes (a nameless one with its handle), the
    // target was never touched.
    if (Handle >= 0)
        ::close(Handle);
    if (!Committed && !Temporary.empty())
        ::unlink(Temporary.c_str());
}

size_t TSafeFileStream::Write(const void* buffer, size_t count)
{
    // A full disk is the file's failure, whoever writes: an encoder learns
    // it as the write failure, not as a count it might misread.
    const auto* bytes = static_cast<const uint8_t*>(buffer);
    if (Buffer.size() + count > BufferSize && !Flush())
        throw EWriteError(texts::StreamWrite);
    if (count >= BufferSize) {
        Failed = !WriteAll(Handle, bytes, count);
        if (Failed)
            throw EWriteError(texts::StreamWrite);
        Written += static_cast<int64_t>(count);
        return count;
    }
    Buffer.insert(Buffer.end(), bytes, bytes + count);
    return count;
}

int64_t TSafeFileStream::Seek(int64_t offset, TSeekOrigin origin)
{
    if (offset == 0 && origin == TSeekOrigin::Current)
        return Written + static_cast<int64_t>(Buffer.size());
    // Moving writes out what is buffered first; the bytes that follow go to
    // the new place (a file written out of order, last rows first).
    if (!Flush())
        throw EWriteError(texts::StreamWrite);
    const int whence = origin == TSeekOrigin::Beginning ? SEEK_SET : origin == TSeekOrigin::Current ? SEEK_CUR : SEEK_END;
    const off_t at = ::lseek(Handle, static_cast<off_t>(offset), whence);
    if (at < 0)
        return -1;
    Written = static_cast<int64_t>(at);
    return Written;
}

bool TSafeFileStream::Flush()
{
    if (!Buffer.empty()) {
        Failed = Failed || !WriteAll(Handle, Buffer.data(), Buffer.size());
        Written += static_cast<int64_t>(Buffer.size());
        Buffer.clear();
    }
    return !Failed;
}

void TSafeFileStream::Commit()
{
    bool written = Flush();
    written = written && ::fchmod(Handle, Mode) == 0;
    if (written && Replaces && ::geteuid() == 0) {
        // Keep the owner of a file replaced on someone else's behalf; where
        // that is refused the file simply becomes ours, as a new file would.
        if (::fchown(Handle, Owner, Group) != 0)
            errno = 0;
    }
    written = written && ::fsync(Handle) == 0;
    if (!written)
        throw EWriteError(texts::StreamWrite);
    if (Temporary.empty()) {
        NameNamelessFile();
        if (Committed)
            return;  // it took the target's name
    }
    written = ::close(Handle) == 0;
    Handle = -1;
    if (!written)
        throw EWriteError(texts::StreamWrite);
    if (::rename(Temporary.c_str(), Target.c_str()) != 0)
        CannotCreate(Name);
    Committed = true;
    SyncDirectory(Directory);
}

void TSafeFileStream::NameNamelessFile()
{
    const std::string self = "/proc/self/fd/" + std::to_string(Handle);
    // A new file takes the target's name directly, in one step.
    if (!Replaces) {
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, Target.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            Committed = true;
            ::close(Handle);
            Handle = -1;
            SyncDirectory(Directory);
            return;
        }
        if (errno != EEXIST)
            CannotCreate(Name);
    }
    // A name cannot be linked over an existing file: the complete file gets a
    // unique hidden name, which the rename then puts in the target's place.
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = HiddenNameBeside(Target) + RandomSuffix();
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            Temporary = std::move(name);
            return;
        }
        if (errno != EEXIST)
            break;
    }
    CannotCreate(Name);
}

void WriteFileSafely(const std::string& fileName, const void* data, size_t size)
{
    TSafeFileStream file(fileName);
    file.WriteBuffer(data, size);
    file.Commit();
}

}  // namespace tremalu
