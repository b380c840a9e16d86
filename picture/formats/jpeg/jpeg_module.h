// Start-up and shut-down of the JPEG module (see picture_modules.cpp for the
// order of the modules).
#pragma once

namespace tremalu {

// Run once (a start counter guards it): picks the default decoding depth from
// the screen, then registers "jpeg" and "jpg".
void StartJpegModule();
// Run once, with the last stop: unregisters the JPEG picture kind.
void StopJpegModule();

}  // namespace tremalu
