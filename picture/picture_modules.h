// Start-up and shut-down of the picture modules, in the one order that
// gives the format registry its entries:
//   made with the registry:  bmp
//   JPEG module:             jpeg, jpg
//   OLE picture module:      (empty extension)
// Shut-down runs the modules in the reverse order and frees the registry.
#pragma once

namespace tremalu {

class TFileFormatsList;

// The formats added when the registry is first made.
void AddRegistryCreationFormats(TFileFormatsList& registry);

void StartPictureModules();
void StopPictureModules();

// Starts the modules for its lifetime.
class TPictureModules {
public:
    TPictureModules() { StartPictureModules(); }
    ~TPictureModules() { StopPictureModules(); }
    TPictureModules(const TPictureModules&) = delete;
    TPictureModules& operator=(const TPictureModules&) = delete;
};

}  // namespace tremalu
