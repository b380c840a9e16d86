// The codec's own floor for the batch composition's work: decode two JPEG
// files and encode their red/cyan anaglyph (the red of the LEFT row, the
// green and blue of the RIGHT one: the very rows the composition encodes) as
// one quality-100 file, through libjpeg directly, row by row, one step after
// the other on one core, with nothing held but one row of each.
//   codec_floor LEFT.jpg RIGHT.jpg OUT.jpg
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

namespace {

struct Decoder {
    jpeg_decompress_struct info{};
    jpeg_error_mgr errors{};
    FILE* file = nullptr;

    explicit Decoder(const char* name)
    {
        file = std::fopen(name, "rb");
        if (file == nullptr) {
            std::perror(name);
            std::exit(1);
        }
        info.err = jpeg_std_error(&errors);
        jpeg_create_decompress(&info);
        jpeg_stdio_src(&info, file);
        jpeg_read_header(&info, TRUE);
        info.out_color_space = JCS_EXT_BGR;
        jpeg_start_decompress(&info);
    }
    ~Decoder()
    {
        jpeg_finish_decompress(&info);
        jpeg_destroy_decompress(&info);
        std::fclose(file);
    }
};

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: codec_floor LEFT.jpg RIGHT.jpg OUT.jpg\n");
        return 2;
    }
    Decoder left(argv[1]), right(argv[2]);
    const JDIMENSION width = left.info.output_width, height = left.info.output_height;
    std::vector<JSAMPLE> leftRow(width * 3), rightRow(right.info.output_width * 3);

    FILE* out = std::fopen(argv[3], "wb");
    if (out == nullptr) {
        std::perror(argv[3]);
        return 1;
    }
    jpeg_compress_struct c{};
    jpeg_error_mgr errors{};
    c.err = jpeg_std_error(&errors);
    jpeg_create_compress(&c);
    jpeg_stdio_dest(&c, out);
    c.image_width = width;
    c.image_height = height;
    c.input_components = 3;
    c.in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 100, TRUE);
    jpeg_start_compress(&c, TRUE);
    while (c.next_scanline < height) {
        JSAMPROW l = leftRow.data(), r = rightRow.data();
        jpeg_read_scanlines(&left.info, &l, 1);
        if (right.info.output_scanline < right.info.output_height)
            jpeg_read_scanlines(&right.info, &r, 1);
        // Blue and green from the RIGHT row; the LEFT row keeps its red.
        for (size_t x = 0; x < std::min(leftRow.size(), rightRow.size()); x += 3) {
            leftRow[x] = rightRow[x];
            leftRow[x + 1] = rightRow[x + 1];
        }
        jpeg_write_scanlines(&c, &l, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    std::fclose(out);
    return 0;
}
