#include "formats/metafile/metafile_module.h"

#include "core/format_registry.h"
#include "formats/metafile/metafile.h"

namespace tremalu {

const TPictureModule MetafileModule = {
    [](TFileFormatsList& registry) {
        registry.AddFormat("wmf", "MétaFichiers", TMetafile::StaticClass(), 0);
        registry.AddFormat("emf", "MétaFichiers évolués", TMetafile::StaticClass(), 0);
    },
    nullptr,
};

}  // namespace tremalu
