#include "device_image.h"

#include "core/errors.h"
#include "core/graphic.h"
#include "screen_facts.h"

namespace tremalu {

TDeviceImage::TDeviceImage(int width, int height, TColor color)
{
    if (width <= 0 || height <= 0)
        return;
    FImage = QImage(width, height, QImage::Format_RGB32);
    if (FImage.isNull())
        throw EOutOfMemory(texts::OutOfMemory);
    TPixelLayout layout;
    layout.Width = width;
    layout.Height = height;
    layout.BitsPerPixel = ScreenBitsPerPixel;
    layout.TopDown = true;
    FPixels = std::make_unique<TPixelBuffer>(layout, FImage.bits(), static_cast<size_t>(FImage.bytesPerLine()));
    FCanvas = std::make_unique<TPixelCanvas>(*FPixels);
    FCanvas->Brush().SetColor(color);
    FCanvas->FillRectangle({0, 0, width, height});
}

const QImage& TDeviceImage::PrepareForQt()
{
    for (int y = 0; y < FImage.height(); ++y) {
        auto* row = reinterpret_cast<uint32_t*>(FImage.scanLine(y));
        for (int x = 0; x < FImage.width(); ++x)
            row[x] |= 0xFF000000u;
    }
    return FImage;
}

QImage ImageOfGraphic(TGraphic& graphic)
{
    TDeviceImage image(graphic.PixelWidth(), graphic.PixelHeight(), clBlack);
    if (image.IsEmpty())
        return {};
    image.Canvas().DrawAt(0, 0, &graphic);
    return image.PrepareForQt().copy();
}

}  // namespace tremalu
