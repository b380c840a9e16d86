// Window pixels that the picture subsystem draws on.
//
// A 32-bit QImage stores each pixel as the bytes blue, green, red and one
// more, which is the program's device format; wrapped as a top-down pixel
// buffer it becomes a surface for our own drawing. Qt wants that fourth
// byte at 0xFF while our drawing keeps it 0, so PrepareForQt sets it before
// the image is handed to Qt.
#pragma once

#include "raster/drawing.h"
#include "raster/pixel_buffer.h"

#include <QImage>

#include <memory>

namespace tremalu {

class TDeviceImage {
public:
    // An image of width × height pixels (none for an empty size), filled
    // with color.
    TDeviceImage(int width, int height, TColor color);
    TDeviceImage(const TDeviceImage&) = delete;
    TDeviceImage& operator=(const TDeviceImage&) = delete;

    bool IsEmpty() const { return !FPixels; }
    // The surface to draw on; only when not empty.
    TCanvas& Canvas() { return *FCanvas; }
    TPixelBuffer& Pixels() { return *FPixels; }

    // The pixels as Qt shows them.
    const QImage& PrepareForQt();

private:
    QImage FImage;
    std::unique_ptr<TPixelBuffer> FPixels;
    std::unique_ptr<TPixelCanvas> FCanvas;
};

// A picture drawn at its natural size onto a new image (black where it
// draws nothing), for uses such as the window icon.
class TGraphic;
QImage ImageOfGraphic(TGraphic& graphic);

}  // namespace tremalu
