// --help, --version and an unknown option, asked of both programs as a shell
// would: answered at once, with no display to open (the program's toolkit
// would fail without one), on the right stream and with the right exit code.
#include "command_line.h"
#include "generated/program_version.h"
#include "shell_run.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <sstream>

using testing_support::RunShell;
using testing_support::ShellQuoted;

namespace {

struct AskingCase {
    const char* Name;
    const char* Program;  // the path of the built program
    const char* Argument;
    int Status;
    const char* OutHolds;  // "" : nothing on standard output
    const char* ErrHolds;  // "" : nothing on standard error
    bool OutIsWhole = false;  // OutHolds is all of standard output
};

class Asking : public testing::TestWithParam<AskingCase> {};

TEST_P(Asking, AnswersWithoutADisplay)
{
    const AskingCase& c = GetParam();
    // No display at all, and Qt told to use the X11 one: starting the
    // toolkit would end the program with a failure of its own.
    const testing_support::TShellRun run =
        RunShell("env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb " + ShellQuoted(c.Program) + " " +
                 ShellQuoted(c.Argument));
    EXPECT_EQ(run.Status, c.Status) << run.Err;
    if (c.OutIsWhole) {
        EXPECT_EQ(run.Out, c.OutHolds);
    }
    for (const auto& [stream, holds] : {std::pair{&run.Out, c.OutHolds}, std::pair{&run.Err, c.ErrHolds}}) {
        if (*holds == '\0') {
            EXPECT_EQ(*stream, "");
        } else {
            EXPECT_NE(stream->find(holds), std::string::npos) << *stream;
        }
    }
}

const std::string ProgramVersionLine = std::string("tremalu ") + tremalu::ProgramVersion + "\n";
const std::string ToolVersionLine = std::string("tremalu-cli ") + tremalu::ProgramVersion + "\n";

const AskingCase AskingCases[] = {
    {"ProgramHelp", TREMALU_PROGRAM, "--help", 0, "  tremalu [GAUCHE [DROITE]]\n", ""},
    {"ProgramShortHelp", TREMALU_PROGRAM, "-h", 0, "  tremalu [GAUCHE [DROITE]]\n", ""},
    {"ProgramVersion", TREMALU_PROGRAM, "--version", 0, ProgramVersionLine.c_str(), "", true},
    {"ProgramUnknownOption", TREMALU_PROGRAM, "--plein-ecran", 2, "", "  tremalu [GAUCHE [DROITE]]\n"},
    {"ProgramLoneDash", TREMALU_PROGRAM, "-", 2, "", "Usage :"},
    {"ToolHelp", TREMALU_CLI, "--help", 0, "tremalu-cli compose [OPTIONS] GAUCHE DROITE SORTIE", ""},
    {"ToolShortHelp", TREMALU_CLI, "-h", 0, "tremalu-cli lot [OPTIONS]", ""},
    {"ToolVersion", TREMALU_CLI, "--version", 0, ToolVersionLine.c_str(), "", true},
    {"ToolUnknownOption", TREMALU_CLI, "--aide", 2, "", "Usage :"},
};

INSTANTIATE_TEST_SUITE_P(, Asking, testing::ValuesIn(AskingCases), [](const auto& info) { return info.param.Name; });

// A file whose name starts with "-" is a picture, not an option, and the
// first name that looks like an option decides.
TEST(CommandLine, NamesOfExistingFilesArePicturesWhateverTheirFirstCharacter)
{
    testing_support::TempDir dir;
    testing_support::WriteBytes(dir.File("-gauche.bmp"), {'B', 'M'});
    const testing_support::TWorkingDirectory inside(dir.Path());
    std::ostringstream out, err;
    EXPECT_EQ(tremalu::AnswerCommandLine({"-gauche.bmp", "droite.bmp"}, out, err), std::nullopt);
    EXPECT_EQ(tremalu::AnswerCommandLine({"-gauche.bmp", "--version", "--inconnue"}, out, err), 0);
    EXPECT_EQ(tremalu::AnswerCommandLine({"-droite.bmp", "--help"}, out, err), 2);
    EXPECT_EQ(out.str(), ProgramVersionLine);
}

}  // namespace
