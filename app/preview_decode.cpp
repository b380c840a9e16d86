#include "preview_decode.h"

#include "core/second_thread.h"
#include "formats/jpeg/jpeg_image.h"

namespace tremalu {

namespace {

// The JPEG pictures of the list whose draw uses a reduced copy.
std::vector<TPreviewDraw> ScaledDraws(const std::vector<TPreviewDraw>& previews)
{
    std::vector<TPreviewDraw> scaled;
    for (const TPreviewDraw& p : previews) {
        auto* jpeg = dynamic_cast<TJPEGImage*>(p.Graphic);
        if (jpeg != nullptr && !jpeg->HasScaledBitmap() && !jpeg->HasBitmap() && !jpeg->IsEmpty())
            scaled.push_back(p);
    }
    return scaled;
}

void DecodeAhead(const std::vector<TPreviewDraw>& draws, size_t first, size_t end)
{
    for (size_t i = first; i < end; ++i)
        static_cast<TJPEGImage*>(draws[i].Graphic)->DecodeScaledAhead(draws[i].Width, draws[i].Height);
}

}  // namespace

void DecodePreviewsAtOnce(const std::vector<TPreviewDraw>& previews)
{
    const std::vector<TPreviewDraw> draws = ScaledDraws(previews);
    if (draws.size() < 2) {
        DecodeAhead(draws, 0, draws.size());
        return;
    }
    const size_t half = (draws.size() + 1) / 2;
    RunOnTwoThreads([&] { DecodeAhead(draws, half, draws.size()); }, [&] { DecodeAhead(draws, 0, half); });
}

}  // namespace tremalu
