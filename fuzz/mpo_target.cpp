// Fuzz target of the readers of stereo camera files: the multi-picture index
// of an MPO file, then the Fujifilm parallax of every image it lists (and of
// the input itself, read as one JPEG stream). The ranges the index gives must
// lie within the input, apart from each other; they are touched.
#include "fuzz_support.h"

#include "core/errors.h"
#include "formats/jpeg/fujifilm_parallax.h"
#include "formats/jpeg/mpo_index.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace tremalu;
    try {
        std::vector<TMpoImage> images = ReadMpoIndex(data, size);
        if (images.size() < 2)
            std::abort();  // fewer than two images must be refused
        for (const TMpoImage& image : images) {
            if (image.Offset > size || size - image.Offset < image.Size)
                std::abort();  // an image outside the input must be refused
            fuzz_support::Touch(data + image.Offset, static_cast<size_t>(image.Size));
            const std::optional<double> parallax = ReadFujifilmParallax(data + image.Offset, image.Size);
            if (parallax && !std::isfinite(*parallax))
                std::abort();
        }
        std::sort(images.begin(), images.end(), [](const TMpoImage& a, const TMpoImage& b) { return a.Offset < b.Offset; });
        for (size_t k = 1; k < images.size(); ++k)
            if (images[k].Offset < images[k - 1].Offset + images[k - 1].Size)
                std::abort();  // overlapping images must be refused
    } catch (const Exception&) {
        // Refused with the reader's own failure text: fine.
    }
    const std::optional<double> parallax = ReadFujifilmParallax(data, size);
    if (parallax && !std::isfinite(*parallax))
        std::abort();
    return 0;
}
