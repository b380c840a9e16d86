// The bash completion of both programs, driven through bash and
// bash-completion's own helpers as Tab would drive it: the words of the line
// so far in COMP_WORDS, the completion function called, COMPREPLY read back.
// The files offered are checked against the formats the registry reads.
#include "core/format_registry.h"
#include "picture_modules.h"
#include "shell_run.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <sstream>
#include <vector>

using testing_support::RunShell;
using testing_support::ShellQuoted;

namespace {

using TNames = std::set<std::string>;

// What the folder holds: one picture per extension the registry knows, as
// registered and in capitals, the stereo cameras' files, a text file and a
// folder.
struct TPictureFolder {
    TPictureFolder()
    {
        tremalu::TPictureModules modules;
        for (const tremalu::TFileFormat& format : tremalu::FormatRegistry().Entries()) {
            if (format.Extension.empty())
                continue;
            std::string capitals = format.Extension;
            std::ranges::transform(capitals, capitals.begin(), [](unsigned char c) { return char(std::toupper(c)); });
            for (const std::string& name : {"vue." + format.Extension, "VUE." + capitals}) {
                testing_support::WriteBytes(Dir.File(name), {});
                Pictures.insert(name);
            }
        }
        for (const char* name : {"paire.mpo", "DSCF0012.MPO", "vue.jps", "notes.txt"})
            testing_support::WriteBytes(Dir.File(name), {});
        std::filesystem::create_directory(Dir.File("sorties"));
    }
    testing_support::TempDir Dir;
    TNames Pictures;  // every picture file above, without the stereo files
};

const TNames Folders = {"sorties"};
const TNames StereoFiles = {"paire.mpo", "DSCF0012.MPO", "vue.jps"};

TNames Union(std::initializer_list<TNames> sets)
{
    TNames all;
    for (const TNames& s : sets)
        all.insert(s.begin(), s.end());
    return all;
}

enum class TOffer { Exactly, PicturesAndFolders, StereoFilesPicturesAndFolders };

struct CompletionCase {
    const char* Name;
    const char* Script;     // under resources/completions
    const char* Function;   // the function the script makes for the command
    std::vector<std::string> Words;  // the line so far; the last one is being completed
    TOffer Offer;
    TNames Exactly = {};
};

class Completing : public testing::TestWithParam<CompletionCase> {
protected:
    // COMPREPLY for the words, one name a line, read back as a set.
    TNames Complete(const CompletionCase& c)
    {
        // The line as typed: bash makes "=" a word of its own, with no
        // spaces around it on the line.
        std::string words, line, previous;
        for (const std::string& word : c.Words) {
            words += ShellQuoted(word) + " ";
            line += (line.empty() || word == "=" || previous == "=" ? "" : " ") + word;
            previous = word;
        }
        const std::string script = "cd " + ShellQuoted(Folder.Dir.Path()) + " && source " +
                                   ShellQuoted(BASH_COMPLETION_SCRIPT) + " && source " +
                                   ShellQuoted(std::string(TREMALU_SOURCE_DIR) + "/resources/completions/" + c.Script) +
                                   " && COMP_WORDS=(" + words + ") && COMP_CWORD=" +
                                   std::to_string(c.Words.size() - 1) + " && COMP_LINE=" + ShellQuoted(line) +
                                   " && COMP_POINT=${#COMP_LINE} && " + c.Function +
                                   "; printf '%s\\n' \"${COMPREPLY[@]}\"";
        const testing_support::TShellRun run = RunShell("bash --norc --noprofile -c " + ShellQuoted(script));
        EXPECT_EQ(run.Status, 0) << run.Err;
        TNames names;
        std::istringstream lines(run.Out);
        for (std::string name; std::getline(lines, name);)
            if (!name.empty())
                names.insert(name);
        return names;
    }
    TPictureFolder Folder;
};

TEST_P(Completing, OffersWhatFitsTheWord)
{
    const CompletionCase& c = GetParam();
    const TNames expected = c.Offer == TOffer::Exactly                ? c.Exactly
                            : c.Offer == TOffer::PicturesAndFolders ? Union({Folder.Pictures, Folders})
                                                                      : Union({Folder.Pictures, StereoFiles, Folders});
    EXPECT_EQ(Complete(c), expected);
}

const CompletionCase CompletionCases[] = {
    {"TheCommands", "tremalu-cli", "_tremalu_cli", {"tremalu-cli", ""}, TOffer::Exactly,
     {"info", "render", "resave", "compose", "lot", "--help", "-h", "--version"}},
    {"InfoReadsPictures", "tremalu-cli", "_tremalu_cli", {"tremalu-cli", "info", ""}, TOffer::PicturesAndFolders},
    {"RenderWritesJpegOrBitmap", "tremalu-cli", "_tremalu_cli", {"tremalu-cli", "render", "vue.gif", "V"},
     TOffer::Exactly, {"VUE.BMP", "VUE.JPG"}},
    {"MethodValues", "tremalu-cli", "_tremalu_cli", {"tremalu-cli", "compose", "--methode", ""}, TOffer::Exactly,
     {"couleur", "demi-couleur", "gris", "dubois"}},
    // Bash splits "--lunettes=v" at the equals sign.
    {"GlassesValueAfterEquals", "tremalu-cli", "_tremalu_cli", {"tremalu-cli", "lot", "--lunettes", "=", "v"},
     TOffer::Exactly, {"vert-magenta"}},
    {"Options", "tremalu-cli", "_tremalu_cli", {"tremalu-cli", "compose", "g.jpg", "--"}, TOffer::Exactly,
     {"--methode", "--lunettes", "--decalage", "--aligner", "--inverser", "--parallaxe", "--cote-a-cote",
      "--fenetre-auto", "--"}},
    {"ShiftTakesNumbers", "tremalu-cli", "_tremalu_cli", {"tremalu-cli", "compose", "--decalage", ""}, TOffer::Exactly},
    {"ComposeReadsCameraFilesToo", "tremalu-cli", "_tremalu_cli", {"tremalu-cli", "compose", "--aligner", ""},
     TOffer::StereoFilesPicturesAndFolders},
    {"BatchOutputIsAFolder", "tremalu-cli", "_tremalu_cli", {"tremalu-cli", "lot", "--methode", "gris", ""},
     TOffer::Exactly, {"sorties"}},
    {"BatchFilesAfterTheFolder", "tremalu-cli", "_tremalu_cli", {"tremalu-cli", "lot", "sorties", "--inverser", ""},
     TOffer::StereoFilesPicturesAndFolders},
    {"NoOptionsAfterTheirEnd", "tremalu-cli", "_tremalu_cli", {"tremalu-cli", "lot", "--", "--a"}, TOffer::Exactly},
    {"ProgramPictures", "tremalu", "_tremalu", {"tremalu", ""}, TOffer::StereoFilesPicturesAndFolders},
    {"ProgramOptions", "tremalu", "_tremalu", {"tremalu", "--"}, TOffer::Exactly, {"--help", "--version"}},
};

INSTANTIATE_TEST_SUITE_P(, Completing, testing::ValuesIn(CompletionCases), [](const auto& info) { return info.param.Name; });

}  // namespace
