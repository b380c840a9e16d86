#include "temp_dir.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <iterator>
#include <stdexcept>

namespace testing_support {

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "tremalu-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("mkdtemp failed");
    Root = pattern;
}

TempDir::~TempDir()
{
    std::error_code ignored;
    // Permissions a test took away must not keep the tree from going.
    for (const auto& entry : std::filesystem::recursive_directory_iterator(Root, ignored))
        std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(Root, ignored);
}

std::vector<std::string> TempDir::Entries() const
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(Root))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TWorkingDirectory::TWorkingDirectory(const std::string& path) : Saved(std::filesystem::current_path().string())
{
    std::filesystem::current_path(path);
}

TWorkingDirectory::~TWorkingDirectory()
{
    std::error_code ignored;  // a test may have removed nothing we restore to
    std::filesystem::current_path(Saved, ignored);
}

std::vector<std::string> NonRegularPictureNames(const TempDir& dir)
{
    const std::vector<std::string> names = {dir.File("tube.bmp"), dir.File("dossier.jpg"), dir.File("zero.bmp")};
    if (!std::filesystem::exists(names[1])) {
        if (::mkfifo(names[0].c_str(), 0600) != 0)
            throw std::runtime_error("cannot make " + names[0]);
        std::filesystem::create_directory(names[1]);
        std::filesystem::create_symlink("/dev/zero", names[2]);
    }
    return names;
}

void WriteBytes(const std::string& path, const std::vector<unsigned char>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

std::vector<unsigned char> ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace testing_support
