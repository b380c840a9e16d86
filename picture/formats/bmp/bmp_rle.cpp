#include "formats/bmp/bmp_rle.h"

namespace tremalu {

namespace {

class RleCursor {
public:
    RleCursor(int32_t width, int32_t height, uint8_t* pixels, size_t stride, const uint32_t* colors)
        : Width(width), Height(height), Pixels(pixels), Stride(stride), Colors(colors) {}

    bool Done() const { return Y >= Height; }

    void Put(uint8_t index)
    {
        if (X < Width && Y < Height)
            reinterpret_cast<uint32_t*>(Pixels + static_cast<size_t>(Y) * Stride)[X] = Colors[index];
        if (X < Width)
            ++X;
    }

    void EndOfLine()
    {
        X = 0;
        ++Y;
    }

    void Move(uint8_t dx, uint8_t dy)
    {
        X = X + dx > Width ? Width : X + dx;
        Y += dy;
    }

private:
    int32_t Width, Height;
    int32_t X = 0, Y = 0;
    uint8_t* Pixels;
    size_t Stride;
    const uint32_t* Colors;
};

}  // namespace

void DecodeRle(const uint8_t* data, size_t size, int bitsPerPixel, int32_t width, int32_t height, uint8_t* pixels,
               size_t stride, const uint32_t colors[256])
{
    RleCursor cursor(width, height, pixels, stride, colors);
    const bool four = bitsPerPixel == 4;
    size_t i = 0;
    while (i + 1 < size && !cursor.Done()) {
        const uint8_t count = data[i];
        const uint8_t value = data[i + 1];
        i += 2;
        if (count > 0) {
            for (int k = 0; k < count; ++k)
                cursor.Put(four ? static_cast<uint8_t>((k & 1) ? (value & 0x0F) : (value >> 4)) : value);
            continue;
        }
        switch (value) {
        case 0:
            cursor.EndOfLine();
            break;
        case 1:
            return;
        case 2:
            if (i + 1 >= size)
                return;
            cursor.Move(data[i], data[i + 1]);
            i += 2;
            break;
        default: {
            const size_t bytes = four ? (value + 1u) / 2 : value;
            for (int k = 0; k < value; ++k) {
                const size_t at = i + (four ? static_cast<size_t>(k / 2) : static_cast<size_t>(k));
                if (at >= size)
                    return;
                cursor.Put(four ? static_cast<uint8_t>((k & 1) ? (data[at] & 0x0F) : (data[at] >> 4)) : data[at]);
            }
            i += bytes + (bytes & 1);  // absolute runs are padded to a 16-bit boundary
            break;
        }
        }
    }
}

}  // namespace tremalu
