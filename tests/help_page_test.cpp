#include "errors.h"
#include "help_page.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace tremalu;

TEST(HelpPage, PathJoinsDirectoryAndPageWithOneSlash)
{
    EXPECT_EQ(HelpPagePath("/home/ana/photos"), "/home/ana/photos/index.htm");
    // The root, and any directory given with its closing slash, gets no second one.
    EXPECT_EQ(HelpPagePath("/"), "/index.htm");
    EXPECT_EQ(HelpPagePath("/srv/tremalu/"), "/srv/tremalu/index.htm");
    // A name with a dot is a directory like any other.
    EXPECT_EQ(HelpPagePath("/a.b"), "/a.b/index.htm");
}

namespace {

// Changes the working directory for one test and restores it afterwards.
class WorkingDirectory {
public:
    explicit WorkingDirectory(const std::string& path) : Saved(std::filesystem::current_path())
    {
        std::filesystem::current_path(path);
    }
    ~WorkingDirectory() { std::filesystem::current_path(Saved); }

private:
    std::filesystem::path Saved;
};

}  // namespace

TEST(HelpPage, CurrentDirectoryIsTheProcessWorkingDirectory)
{
    testing_support::TempDir dir;
    WorkingDirectory inside(dir.Path());
    EXPECT_EQ(std::filesystem::path(CurrentDirectory()), std::filesystem::canonical(dir.Path()));
}

TEST(HelpPage, RemovedWorkingDirectoryCannotGiveThePage)
{
    testing_support::TempDir dir;
    const std::string gone = dir.File("gone");
    std::filesystem::create_directory(gone);
    WorkingDirectory inside(gone);
    std::filesystem::remove(gone);
    try {
        CurrentDirectory();
        FAIL() << "no failure";
    } catch (const EFOpenError& failure) {
        EXPECT_EQ(failure.message(), "Impossible d'ouvrir le fichier index.htm");
    }
}
