#include "formats/icon/icon_module.h"

#include "core/format_registry.h"
#include "formats/icon/icon.h"

namespace tremalu {

const TPictureModule IconModule = {
    [](TFileFormatsList& registry) { registry.AddFormat("ico", "Icônes", TIcon::StaticClass(), 0); },
    nullptr,
};

}  // namespace tremalu
