// The program's icon, shown by the desktop on every window.
#pragma once

namespace tremalu {

// Reads the icon's artwork through our BMP reader and makes it the icon of
// every window.
void InstallProgramIcon();

}  // namespace tremalu
