// The program entry: picture modules, the toolkit, the application title,
// the three windows in their order and the event loop of the main window.
//
//   tremalu [GAUCHE [DROITE]]
//
//   tremalu --help | -h
//   tremalu --version
//
// Those two, and an option the program does not know, are answered before
// the toolkit starts (command_line.h), so they need no display.
// Pictures named on the command line are loaded into the LEFT and RIGHT
// sides once the main window is shown, as if chosen in its open dialog; a
// stereo camera's file (MPO, JPS) named alone fills both sides.
// Nothing else on the command line is read, by the program or by Qt.
#include "application.h"
#include "command_line.h"
#include "failure_guard.h"
#include "outside_pictures.h"
#include "picture_modules.h"
#include "program_icon.h"
#include "toolkit.h"
#include "image_choice_window.h"
#include "result_window.h"
#include "help_window.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char* argv[])
{
    using namespace tremalu;
    const std::vector<std::string> names(argv + 1, argv + argc);
    if (const std::optional<int> answered = AnswerCommandLine(names, std::cout, std::cerr))
        return *answered;
    // Declared first, so that the modules unregister their formats only
    // after the windows are gone.
    TPictureModules modules;
    TToolkit toolkit(argv[0]);
    TApplication application;
    application.SetTitle("TREMALU");
    // The artwork is part of the program; a window that cannot be built is
    // shown as a failure and the program stops.
    const bool built = Guarded([&] {
        InstallProgramIcon();
        application.CreateForm(Depart);
        application.CreateForm(Result);
        application.CreateForm(Faide);
    });
    if (!built)
        return 1;
    return application.Run([&] { Depart->OpenPictures(CommandLinePictures(names)); });
}
