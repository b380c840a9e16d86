// The GIF module's settings and draw options.
#pragma once

#include <cstdint>

namespace tremalu {

// Draw options: a set kept per picture and copied into each painter.
using TGIFDrawOptions = uint16_t;
inline constexpr TGIFDrawOptions gdThreaded = 1 << 0;      // animations are painted by a worker thread
inline constexpr TGIFDrawOptions gdTransparent = 1 << 1;   // transparent pixels leave the destination
inline constexpr TGIFDrawOptions gdAnimate = 1 << 2;       // several frames are animated (else frame 1 only)
inline constexpr TGIFDrawOptions gdLoop = 1 << 3;          // passes repeat as the loop count says
inline constexpr TGIFDrawOptions gdLoopForever = 1 << 4;   // passes repeat without end
inline constexpr TGIFDrawOptions gdCheckSurface = 1 << 5;  // a painter stops when its surface's pixels go
inline constexpr TGIFDrawOptions gdDirect = 1 << 6;        // painted straight onto the destination
inline constexpr TGIFDrawOptions gdClearFirst = 1 << 7;    // each pass starts from the background
inline constexpr TGIFDrawOptions gdTile = 1 << 8;          // repeated at natural size instead of stretched
inline constexpr TGIFDrawOptions gdDither = 1 << 9;        // frames may be dithered to the colour cube
inline constexpr TGIFDrawOptions gdAutoDither = 1 << 10;   // ... only on a palette display

inline constexpr TGIFDrawOptions DefaultDrawOptions =
    gdThreaded | gdTransparent | gdAnimate | gdLoop | gdDither | gdAutoDither;
// Percent of the stored delays.
inline constexpr int DefaultAnimationSpeed = 100;

// Frame delays are stored in hundredths of a second but waited in units of
// 12 ms; a frame without a delay waits 10 units, none waits fewer than 3,
// and a painter without a thread waits at most 1000.
inline constexpr int DelayUnitMs = 12;
inline constexpr int DefaultDelay = 10;
inline constexpr int MinimumDelay = 3;
inline constexpr int MaximumDelay = 1000;

struct TGIFSettings {
    // A display of 8 bits per pixel or fewer, which shows frames dithered.
    // Set by the module's start from the display's depth.
    bool PaletteDisplay = false;
    // Render each frame's bitmap as soon as it is read.
    bool RenderOnLoad = false;
};

TGIFSettings& GIFSettings();

}  // namespace tremalu
