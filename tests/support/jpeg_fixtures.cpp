#include "jpeg_fixtures.h"

#include "formats/jpeg/jpeg_image.h"
#include "core/streams.h"

#include <cstdlib>
#include <stdexcept>
#include <string>

#include <jerror.h>

using namespace tremalu;

namespace testing_support {

namespace {

void Paint(TBitmap& bitmap, int32_t width, int32_t height, const PixelAt& pixel)
{
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* row = bitmap.Row(y);
        const int step = bitmap.PeekPixels()->BitsPerPixel() / 8;
        for (int32_t x = 0; x < width; ++x, row += step) {
            const uint32_t p = pixel(x, y);
            row[0] = static_cast<uint8_t>(p);        // blue
            row[1] = static_cast<uint8_t>(p >> 8);   // green
            row[2] = static_cast<uint8_t>(p >> 16);  // red
        }
    }
}

[[noreturn]] void CodecFailed(j_common_ptr codec)
{
    throw std::runtime_error("test codec error " + std::to_string(codec->err->msg_code));
}

}  // namespace

std::unique_ptr<TBitmap> DeviceBitmap(int32_t width, int32_t height, const PixelAt& pixel)
{
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetPixelWidth(width);
    bitmap->SetPixelHeight(height);
    Paint(*bitmap, width, height, pixel);
    return bitmap;
}

std::unique_ptr<TBitmap> Bitmap24(int32_t width, int32_t height, const PixelAt& pixel)
{
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetPixelFormat(TPixelFormat::pf24bit);
    bitmap->SetPixelWidth(width);
    bitmap->SetPixelHeight(height);
    Paint(*bitmap, width, height, pixel);
    return bitmap;
}

std::vector<uint8_t> WithSecondFrameHeader(std::vector<uint8_t> file)
{
    size_t sof = 2;
    while (!(file[sof] == 0xFF && file[sof + 1] == 0xC0))
        ++sof;
    const auto header = static_cast<long>(sof);
    const long length = file[sof + 2] << 8 | file[sof + 3];
    const std::vector<uint8_t> copy(file.begin() + header, file.begin() + header + 2 + length);
    file.insert(file.end() - 2, copy.begin(), copy.end());
    return file;
}

std::vector<uint8_t> EncodeJpeg(const TBitmap& bitmap, int quality, bool gray, bool progressive)
{
    TJPEGImage jpeg;
    jpeg.SetEncodeQuality(static_cast<uint8_t>(quality));
    jpeg.SetGrayMode(gray);
    jpeg.SetWriteProgressive(progressive);
    jpeg.CopyFrom(&bitmap);
    TMemoryStream out;
    jpeg.WriteToStream(out);
    return {out.Memory(), out.Memory() + out.ByteCount()};
}

std::vector<uint8_t> EncodeWithCodec(const CodecFileFields& f, const SamplesAt& samples)
{
    jpeg_compress_struct codec{};
    jpeg_error_mgr errors{};
    codec.err = jpeg_std_error(&errors);
    errors.error_exit = CodecFailed;
    jpeg_create_compress(&codec);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    std::vector<uint8_t> file;
    try {
        jpeg_mem_dest(&codec, &buffer, &size);
        codec.image_width = static_cast<JDIMENSION>(f.Width);
        codec.image_height = static_cast<JDIMENSION>(f.Height);
        codec.input_components = f.Components;
        codec.in_color_space = f.Components == 1 ? JCS_GRAYSCALE : f.Components == 4 ? JCS_CMYK : JCS_RGB;
        jpeg_set_defaults(&codec);
        if (f.FileColorSpace != JCS_UNKNOWN)
            jpeg_set_colorspace(&codec, f.FileColorSpace);
        codec.write_Adobe_marker = codec.write_Adobe_marker && f.AdobeMarker;
        jpeg_set_quality(&codec, f.Quality, TRUE);
        codec.comp_info[0].h_samp_factor = f.LumaSampling;
        codec.comp_info[0].v_samp_factor = f.LumaSamplingV != 0 ? f.LumaSamplingV : f.LumaSampling;
        codec.arith_code = f.Arithmetic ? TRUE : FALSE;
        codec.restart_interval = f.RestartInterval;
        if (f.Progressive)
            jpeg_simple_progression(&codec);
        jpeg_start_compress(&codec, TRUE);
        for (const auto& [marker, data] : f.Markers)
            jpeg_write_marker(&codec, marker, data.data(), static_cast<unsigned>(data.size()));
        std::vector<uint8_t> row(static_cast<size_t>(f.Width) * static_cast<size_t>(f.Components));
        while (codec.next_scanline < codec.image_height) {
            const auto y = static_cast<int32_t>(codec.next_scanline);
            for (int32_t x = 0; x < f.Width; ++x)
                samples(x, y, row.data() + static_cast<size_t>(x) * static_cast<size_t>(f.Components));
            JSAMPROW rows[1] = {row.data()};
            jpeg_write_scanlines(&codec, rows, 1);
        }
        jpeg_finish_compress(&codec);
        file.assign(buffer, buffer + size);
    } catch (...) {
        jpeg_destroy_compress(&codec);
        std::free(buffer);
        throw;
    }
    jpeg_destroy_compress(&codec);
    std::free(buffer);
    return file;
}

uint32_t Shown(const TBitmap& bitmap, int32_t x, int32_t y) { return bitmap.PeekPixels()->PixelAt(x, y); }

int ChannelDistance(uint32_t a, uint32_t b)
{
    int worst = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const int d = std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF));
        worst = std::max(worst, d);
    }
    return worst;
}

}  // namespace testing_support
