#include "picture_modules.h"

#include "core/format_registry.h"
#include "core/ole_graphic.h"
#include "core/ui_handover.h"
#include "formats/bmp/bmp_module.h"
#include "formats/gif/gif_module.h"
#include "formats/icon/icon_module.h"
#include "formats/jpeg/jpeg_module.h"
#include "formats/metafile/metafile_module.h"

#include <iterator>

namespace tremalu {

namespace {

// The modules in start-up order; the order of the registry's entries, and so
// of the open dialog's filter, follows from it. The formats the registry is
// made with come first.
constexpr const TPictureModule* Modules[] = {
    &MetafileModule,    // wmf, emf
    &IconModule,        // ico
    &BmpModule,         // bmp
    &JpegModule,        // jpeg, jpg
    &GifModule,         // gif
    &OlePictureModule,  // the empty extension
};

int StartCount = 0;

}  // namespace

void StartPictureModules()
{
    if (StartCount++ != 0)
        return;
    // The modules start on the thread that runs the windows (or the batch
    // tool's main): it becomes the user-interface thread, the only one that
    // runs what animation painters hand over. This is the one place the
    // binding is made.
    UiHandOver().BindToCurrentThread();
    TFileFormatsList& registry = FormatRegistry();
    for (const TPictureModule* module : Modules)
        module->Start(registry);
}

void StopPictureModules()
{
    if (StartCount == 0 || --StartCount != 0)
        return;
    if (FormatRegistryExists())
        for (auto it = std::rbegin(Modules); it != std::rend(Modules); ++it)
            if ((*it)->Stop != nullptr)
                (*it)->Stop(FormatRegistry());
    FreeFormatRegistry();
}

}  // namespace tremalu
