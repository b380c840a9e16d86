// Installing the program: `cmake --install` of this build tree into a
// temporary DESTDIR, for the default prefix and for one user's ~/.local.
// The files installed, the menu entry as the desktop's validator and the
// program see it, the icons, and the manual page against the batch tool's
// own usage text; the manual pages as installed, and the software-centre
// metadata against the validator and the menu entry.
#include "core/format_registry.h"
#include "generated/program_version.h"
#include "picture_modules.h"
#include "temp_dir.h"

#include <QMimeDatabase>

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>

namespace fs = std::filesystem;
using testing_support::TempDir;

namespace {

struct TCommandOutput {
    int Status = -1;
    std::string Text;  // standard output and standard error together
};

TCommandOutput RunCommand(const std::string& command)
{
    TCommandOutput result;
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr)
        return result;
    std::array<char, 4096> buffer;
    while (size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe))
        result.Text.append(buffer.data(), n);
    const int status = ::pclose(pipe);
    result.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

std::string Quoted(const std::string& text) { return "'" + text + "'"; }

std::string ReadText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The keys of the [Desktop Entry] group.
std::map<std::string, std::string> EntryKeys(const std::string& entry)
{
    std::map<std::string, std::string> keys;
    std::istringstream lines(entry);
    for (std::string line; std::getline(lines, line);)
        if (const size_t equals = line.find('='); equals != std::string::npos && line[0] != '#')
            keys[line.substr(0, equals)] = line.substr(equals + 1);
    return keys;
}

std::set<std::string> Split(const std::string& list)
{
    std::set<std::string> items;
    std::istringstream in(list);
    for (std::string item; std::getline(in, item, ';');)
        if (!item.empty())
            items.insert(item);
    return items;
}

// Width and height from a PNG file's header chunk.
std::pair<uint32_t, uint32_t> PngSize(const fs::path& path)
{
    const std::string bytes = ReadText(path);
    if (bytes.size() < 24 || bytes.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0 || bytes.compare(12, 4, "IHDR") != 0)
        return {0, 0};
    const auto be32 = [&](size_t at) {
        return uint32_t(uint8_t(bytes[at])) << 24 | uint32_t(uint8_t(bytes[at + 1])) << 16 |
               uint32_t(uint8_t(bytes[at + 2])) << 8 | uint32_t(uint8_t(bytes[at + 3]));
    };
    return {be32(16), be32(20)};
}

struct InstallCase {
    const char* Name;
    const char* PrefixOption;  // empty: the build's own prefix
};

class Installing : public ::testing::TestWithParam<InstallCase> {
protected:
    void SetUp() override
    {
        Prefix = *GetParam().PrefixOption ? GetParam().PrefixOption : TREMALU_DEFAULT_PREFIX;
        std::string command = "DESTDIR=" + Quoted(Destination.Path()) + " " + Quoted(CMAKE_COMMAND) + " --install " +
                              Quoted(TREMALU_BUILD_DIR);
        if (*GetParam().PrefixOption)
            command += " --prefix " + Quoted(Prefix);
        const TCommandOutput install = RunCommand(command);
        ASSERT_EQ(install.Status, 0) << install.Text;
        Root = fs::path(Destination.Path()) / fs::path(Prefix).relative_path();
    }

    std::set<std::string> InstalledFiles() const
    {
        std::set<std::string> files;
        for (const auto& entry : fs::recursive_directory_iterator(Destination.Path()))
            if (!entry.is_directory())
                files.insert(fs::relative(entry.path(), Root).string());
        return files;
    }

    TempDir Destination;
    std::string Prefix;
    fs::path Root;  // the prefix inside the destination
};

TEST_P(Installing, PutsTheProgramsFilesUnderThePrefixAndNothingElse)
{
    EXPECT_EQ(InstalledFiles(), (std::set<std::string>{
                                    "bin/tremalu",
                                    "bin/tremalu-cli",
                                    "share/applications/tremalu.desktop",
                                    "share/bash-completion/completions/tremalu",
                                    "share/bash-completion/completions/tremalu-cli",
                                    "share/icons/hicolor/256x256/apps/tremalu.png",
                                    "share/icons/hicolor/48x48/apps/tremalu.png",
                                    "share/man/man1/tremalu-cli.1.gz",
                                    "share/man/man1/tremalu.1.gz",
                                    "share/metainfo/fr.tremalu.tremalu.metainfo.xml",
                                    "share/tremalu/index.htm",
                                }));
    for (const char* program : {"bin/tremalu", "bin/tremalu-cli"})
        EXPECT_TRUE((fs::status(Root / program).permissions() & fs::perms::owner_exec) != fs::perms::none) << program;
    EXPECT_EQ(PngSize(Root / "share/icons/hicolor/48x48/apps/tremalu.png"), std::make_pair(48u, 48u));
    EXPECT_EQ(PngSize(Root / "share/icons/hicolor/256x256/apps/tremalu.png"), std::make_pair(256u, 256u));
}

TEST_P(Installing, TheMenuEntryIsValidAndStartsTheProgramBesideItsHelpPage)
{
    const fs::path entry = Root / "share/applications/tremalu.desktop";
    const TCommandOutput validation = RunCommand(Quoted(DESKTOP_FILE_VALIDATE) + " " + Quoted(entry.string()));
    EXPECT_EQ(validation.Status, 0);
    EXPECT_EQ(validation.Text, "");

    std::map<std::string, std::string> keys = EntryKeys(ReadText(entry));
    EXPECT_EQ(keys["Exec"], "tremalu %F");
    EXPECT_EQ(keys["Icon"], "tremalu");
    // The program reads index.htm from the folder it is started in; the
    // folder is named as it is once installed, outside DESTDIR.
    EXPECT_EQ(keys["Path"], Prefix + "/share/tremalu");
    EXPECT_TRUE(fs::is_regular_file(fs::path(Destination.Path()) / fs::path(keys["Path"]).relative_path() / "index.htm"));
}

// The pages are compressed as Debian wants them, carry the project's version
// and have nothing left for the build to fill in.
TEST_P(Installing, ManualPagesAreCompressedAndDated)
{
    for (const char* page : {"share/man/man1/tremalu.1.gz", "share/man/man1/tremalu-cli.1.gz"}) {
        const TCommandOutput text = RunCommand("gzip -dc " + Quoted((Root / page).string()));
        ASSERT_EQ(text.Status, 0) << page;
        EXPECT_NE(text.Text.find(std::string("\"TREMALU ") + tremalu::ProgramVersion + "\""), std::string::npos) << page;
        EXPECT_EQ(text.Text.find('@'), std::string::npos) << page;
    }
}

// What software centres read: valid for AppStream's own validator, the
// program's version, and the same media types as the menu entry offers.
TEST_P(Installing, TheMetainfoIsValidAndAgreesWithTheMenuEntry)
{
    const fs::path metainfo = Root / "share/metainfo/fr.tremalu.tremalu.metainfo.xml";
    const std::string text = ReadText(metainfo);
    EXPECT_NE(text.find(std::string("<release version=\"") + tremalu::ProgramVersion + "\""), std::string::npos);
    std::set<std::string> mediaTypes;
    const std::regex mediaType("<mediatype>([^<]+)</mediatype>");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), mediaType); it != std::sregex_iterator(); ++it)
        mediaTypes.insert((*it)[1]);
    EXPECT_EQ(mediaTypes, Split(EntryKeys(ReadText(Root / "share/applications/tremalu.desktop"))["MimeType"]));
    if (*APPSTREAMCLI == '\0')
        GTEST_SKIP() << "appstreamcli is not installed (scripts/setup installs appstream)";
    const TCommandOutput validation = RunCommand(Quoted(APPSTREAMCLI) + " validate --no-net " + Quoted(metainfo.string()));
    EXPECT_EQ(validation.Status, 0) << validation.Text;
}

INSTANTIATE_TEST_SUITE_P(Prefixes, Installing,
                         ::testing::Values(InstallCase{"BuildsOwnPrefix", ""},
                                           InstallCase{"OneUsersLocalFolder", "/home/utilisateur/.local"}),
                         [](const auto& info) { return std::string(info.param.Name); });

// The menu entry offers the program every kind of file its registry reads,
// by the desktop's own MIME names.
TEST(MenuEntry, OpensEveryPictureFormatTheProgramReads)
{
    const std::set<std::string> offered =
        Split(EntryKeys(ReadText(fs::path(TREMALU_SOURCE_DIR) / "resources/tremalu.desktop.in"))["MimeType"]);
    tremalu::TPictureModules modules;
    const QMimeDatabase mime;
    int formats = 0;
    for (const tremalu::TFileFormat& format : tremalu::FormatRegistry().Entries()) {
        if (format.Extension.empty())
            continue;
        ++formats;
        const QMimeType type = mime.mimeTypeForFile(QString::fromStdString("x." + format.Extension), QMimeDatabase::MatchExtension);
        EXPECT_TRUE(offered.contains(type.name().toStdString())) << format.Extension << " is " << type.name().toStdString();
    }
    EXPECT_GE(formats, 3);
}

// Every command and option that the batch tool's usage text lists has an
// entry of its own in the manual page (a line in bold that starts with it).
TEST(Manual, NamesEveryCommandAndOptionOfTheBatchTool)
{
    const TCommandOutput usage = RunCommand(Quoted(TREMALU_CLI));
    ASSERT_EQ(usage.Status, 2);
    std::string manual = ReadText(fs::path(TREMALU_SOURCE_DIR) / "tools/tremalu-cli.1");
    // Roff writes a hyphen as "\-".
    manual = std::regex_replace(manual, std::regex(R"(\\-)"), "-");
    std::set<std::string> names;
    const std::regex command(R"(tremalu-cli ([a-z]+))"), option(R"(--[a-z][a-z-]*)");
    for (auto it = std::sregex_iterator(usage.Text.begin(), usage.Text.end(), command); it != std::sregex_iterator(); ++it)
        names.insert((*it)[1]);
    for (auto it = std::sregex_iterator(usage.Text.begin(), usage.Text.end(), option); it != std::sregex_iterator(); ++it)
        names.insert(it->str());
    EXPECT_GE(names.size(), 4u) << usage.Text;
    for (const std::string& name : names)
        EXPECT_TRUE(std::regex_search(manual, std::regex(R"((^|\n)\.B[IR]? "?)" + name + R"(\b)"))) << name;
}

}  // namespace
