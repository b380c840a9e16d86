// A fresh directory for one test, removed with everything in it afterwards.
#pragma once

#include <string>
#include <vector>

namespace testing_support {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return Root; }
    std::string File(const std::string& name) const { return Root + "/" + name; }
    // Names of the entries in the directory, sorted.
    std::vector<std::string> Entries() const;

private:
    std::string Root;
};

// Changes the working directory for its lifetime and restores it afterwards.
class TWorkingDirectory {
public:
    explicit TWorkingDirectory(const std::string& path);
    ~TWorkingDirectory();
    TWorkingDirectory(const TWorkingDirectory&) = delete;
    TWorkingDirectory& operator=(const TWorkingDirectory&) = delete;

private:
    std::string Saved;
};

// Names in dir that have a picture's extension but are no regular file: a
// named pipe without a writer (opening it for reading would wait for one), a
// folder, and a link to /dev/zero (endless). Made on first call.
std::vector<std::string> NonRegularPictureNames(const TempDir& dir);

void WriteBytes(const std::string& path, const std::vector<unsigned char>& bytes);
std::vector<unsigned char> ReadBytes(const std::string& path);

}  // namespace testing_support
