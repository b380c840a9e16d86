#include "core/errors.h"
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

TEST(HelpPage, CurrentDirectoryIsTheProcessWorkingDirectory)
{
    testing_support::TempDir dir;
    testing_support::TWorkingDirectory inside(dir.Path());
    EXPECT_EQ(std::filesystem::path(CurrentDirectory()), std::filesystem::canonical(dir.Path()));
}

TEST(HelpPage, RemovedWorkingDirectoryCannotGiveThePage)
{
    testing_support::TempDir dir;
    const std::string gone = dir.File("gone");
    std::filesystem::create_directory(gone);
    testing_support::TWorkingDirectory inside(gone);
    std::filesystem::remove(gone);
    try {
        CurrentDirectory();
        FAIL() << "no failure";
    } catch (const EFOpenError& failure) {
        EXPECT_EQ(failure.message(), "Impossible d'ouvrir le fichier index.htm");
    }
}
