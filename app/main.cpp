// The program entry: picture modules, the toolkit, the application title,
// the three windows in their order and the event loop of the main window.
// No command-line arguments are read.
#include "application.h"
#include "failure_guard.h"
#include "picture_modules.h"
#include "program_icon.h"
#include "toolkit.h"
#include "unit1.h"
#include "unit2.h"
#include "unit3.h"

int main(int, char* argv[])
{
    using namespace tremalu;
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
    return application.Run();
}
