#include "bmp_builder.h"

#include <cstddef>

namespace testing_support {

namespace {
void Put16(std::vector<uint8_t>& out, uint32_t v)
{
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v)
{
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}
}  // namespace

std::vector<uint8_t> BuildBmp(const BmpFields& f)
{
    const bool os2 = f.HeaderSize == 12;
    std::vector<uint8_t> header;
    Put32(header, f.HeaderSize);
    if (os2) {
        Put16(header, static_cast<uint32_t>(f.Width));
        Put16(header, static_cast<uint32_t>(f.Height));
        Put16(header, f.Planes);
        Put16(header, f.BitCount);
    } else {
        Put32(header, static_cast<uint32_t>(f.Width));
        Put32(header, static_cast<uint32_t>(f.Height));
        Put16(header, f.Planes);
        Put16(header, f.BitCount);
        Put32(header, f.Compression);
        Put32(header, static_cast<uint32_t>(f.SizeImage >= 0 ? f.SizeImage : static_cast<int64_t>(f.Pixels.size())));
        Put32(header, static_cast<uint32_t>(f.XPelsPerMeter));
        Put32(header, static_cast<uint32_t>(f.YPelsPerMeter));
        Put32(header, static_cast<uint32_t>(f.ClrUsed >= 0 ? f.ClrUsed : static_cast<int64_t>(f.Colors.size())));
        Put32(header, f.ClrImportant);
        for (int i = 0; header.size() < f.HeaderSize; ++i)
            Put32(header, i < 4 ? f.Masks[i] : 0);
    }
    if (f.SeparateMasks)
        for (int i = 0; i < 3; ++i)
            Put32(header, f.Masks[i]);
    for (uint32_t c : f.Colors) {
        header.push_back(static_cast<uint8_t>(c));
        header.push_back(static_cast<uint8_t>(c >> 8));
        header.push_back(static_cast<uint8_t>(c >> 16));
        if (!os2)
            header.push_back(0);
    }
    header.insert(header.end(), f.Gap, 0);

    std::vector<uint8_t> file;
    file.push_back(static_cast<uint8_t>(f.Signature[0]));
    file.push_back(static_cast<uint8_t>(f.Signature[1]));
    const uint32_t total = static_cast<uint32_t>(14 + header.size() + f.Pixels.size());
    Put32(file, static_cast<uint32_t>(f.FileSizeField >= 0 ? f.FileSizeField : total));
    Put32(file, 0);
    Put32(file, static_cast<uint32_t>(f.OffsetField >= 0 ? f.OffsetField : static_cast<int64_t>(14 + header.size())));
    file.insert(file.end(), header.begin(), header.end());
    file.insert(file.end(), f.Pixels.begin(), f.Pixels.end());
    return file;
}

std::vector<uint8_t> Rows24(int32_t width, const std::vector<std::vector<uint32_t>>& topDown)
{
    const size_t stride = (static_cast<size_t>(width) * 24 + 31) / 32 * 4;
    std::vector<uint8_t> out;
    for (auto row = topDown.rbegin(); row != topDown.rend(); ++row) {
        const size_t start = out.size();
        for (uint32_t c : *row) {
            out.push_back(static_cast<uint8_t>(c));
            out.push_back(static_cast<uint8_t>(c >> 8));
            out.push_back(static_cast<uint8_t>(c >> 16));
        }
        out.resize(start + stride, 0);
    }
    return out;
}

}  // namespace testing_support
