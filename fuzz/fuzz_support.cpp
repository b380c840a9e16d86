#include "fuzz_support.h"

#include "raster/bitmap.h"

namespace fuzz_support {

void Touch(const uint8_t* bytes, size_t size)
{
    volatile uint8_t sink = 0;
    uint8_t sum = 0;
    for (size_t i = 0; i < size; ++i)
        sum = static_cast<uint8_t>(sum + bytes[i]);
    sink = sum;
    (void)sink;
}

void DrawAndTouch(tremalu::TGraphic& graphic)
{
    using namespace tremalu;
    TBitmap target;
    target.SetPixelWidth(16);
    target.SetPixelHeight(12);
    target.Surface().CopyMode = SRCCOPY;
    target.Surface().DrawAt(0, 0, &graphic);
    target.Surface().DrawStretched({1, 1, 15, 11}, &graphic);
    const TPixelBuffer* pixels = target.PeekPixels();
    Touch(pixels->Bits(), pixels->ByteSize());
}

}  // namespace fuzz_support
