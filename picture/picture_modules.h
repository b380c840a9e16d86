// Start-up and shut-down of the picture modules. The module list in
// picture_modules.cpp is the one place that names every format and fixes the
// order of their registration; shut-down runs it backwards and frees the
// registry.
#pragma once

namespace tremalu {

// The first start also binds the calling thread as the user-interface
// thread of the hand-over queue (core/ui_handover.h).
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
