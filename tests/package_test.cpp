// The Debian package as scripts/package writes it: its fields, its files,
// nothing of the build left inside, and lintian finding no error. Writing
// the package means a Release build of everything, so this runs only when
// asked: TREMALU_TEST_PACKAGE=1 (CI does, once).
#include "generated/program_version.h"
#include "shell_run.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>

namespace fs = std::filesystem;
using testing_support::RunShell;
using testing_support::ShellQuoted;

namespace {

class DebianPackage : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (std::getenv("TREMALU_TEST_PACKAGE") == nullptr)
            return;
        Made = RunShell(ShellQuoted(std::string(TREMALU_SOURCE_DIR) + "/scripts/package"));
    }

    void SetUp() override
    {
        if (std::getenv("TREMALU_TEST_PACKAGE") == nullptr)
            GTEST_SKIP() << "the package is made only when asked: TREMALU_TEST_PACKAGE=1";
        ASSERT_EQ(Made.Status, 0) << Made.Err;
        ASSERT_TRUE(fs::is_regular_file(Deb)) << Made.Out;
    }

    static std::string Field(const std::string& name)
    {
        std::string value = RunShell("dpkg-deb -f " + ShellQuoted(Deb) + " " + name).Out;
        while (!value.empty() && value.back() == '\n')
            value.pop_back();
        return value;
    }

    static inline testing_support::TShellRun Made;
    static inline const std::string Deb = std::string(TREMALU_SOURCE_DIR) + "/build/package/tremalu_" +
                                          tremalu::ProgramVersion + "_amd64.deb";
};

TEST_F(DebianPackage, FieldsAreWhatDebianExpects)
{
    EXPECT_EQ(Field("Package"), "tremalu");
    EXPECT_EQ(Field("Version"), tremalu::ProgramVersion);
    EXPECT_EQ(Field("Architecture"), "amd64");
    EXPECT_EQ(Field("Section"), "graphics");
    EXPECT_NE(Field("Maintainer").find('@'), std::string::npos);
    // A one-line summary, then a paragraph.
    const std::string description = Field("Description");
    EXPECT_NE(description.find("\n "), std::string::npos) << description;
    // The linked libraries, found by dpkg-shlibdeps, and what is loaded
    // without being linked.
    const std::string depends = Field("Depends");
    for (const char* package : {"libc6", "libqt6widgets6", "libjpeg62-turbo", "libcairo2", "libpng16-16",
                                "qt6-qpa-plugins", "fonts-liberation2", "fonts-dejavu-core"})
        EXPECT_NE(depends.find(package), std::string::npos) << package << " in " << depends;
}

TEST_F(DebianPackage, HoldsTheProgramsFilesUnderUsrAndNothingOfTheBuild)
{
    testing_support::TempDir unpacked;
    ASSERT_EQ(RunShell("dpkg-deb -x " + ShellQuoted(Deb) + " " + ShellQuoted(unpacked.Path())).Status, 0);
    std::set<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(unpacked.Path())) {
        if (entry.is_directory())
            continue;
        const std::string name = fs::relative(entry.path(), unpacked.Path()).string();
        files.insert(name);
        // No path of the source or build folder (debugging paths, RPATH, a
        // staging folder in the menu entry).
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        EXPECT_EQ(bytes.find(TREMALU_SOURCE_DIR), std::string::npos) << name;
    }
    EXPECT_EQ(files, (std::set<std::string>{
                         "usr/bin/tremalu",
                         "usr/bin/tremalu-cli",
                         "usr/share/applications/tremalu.desktop",
                         "usr/share/bash-completion/completions/tremalu",
                         "usr/share/bash-completion/completions/tremalu-cli",
                         "usr/share/doc/tremalu/changelog.gz",
                         "usr/share/doc/tremalu/copyright",
                         "usr/share/icons/hicolor/256x256/apps/tremalu.png",
                         "usr/share/icons/hicolor/48x48/apps/tremalu.png",
                         "usr/share/man/man1/tremalu-cli.1.gz",
                         "usr/share/man/man1/tremalu.1.gz",
                         "usr/share/metainfo/fr.tremalu.tremalu.metainfo.xml",
                         "usr/share/tremalu/index.htm",
                     }));
    // The menu entry starts the program beside its installed help page.
    std::ifstream entry(fs::path(unpacked.Path()) / "usr/share/applications/tremalu.desktop");
    const std::string text{std::istreambuf_iterator<char>(entry), std::istreambuf_iterator<char>()};
    EXPECT_NE(text.find("\nPath=/usr/share/tremalu\n"), std::string::npos) << text;
}

TEST_F(DebianPackage, LintianFindsNoError)
{
    const testing_support::TShellRun lintian = RunShell("lintian --fail-on error " + ShellQuoted(Deb));
    EXPECT_EQ(lintian.Status, 0) << lintian.Out << lintian.Err;
}

}  // namespace
