#include "preview_decode.h"

#include "formats/jpeg/jpeg_image.h"

#include <exception>
#include <thread>

namespace tremalu {

void RunOnTwoThreads(const std::function<void()>& here, const std::function<void()>& there)
{
    std::exception_ptr failure;
    std::thread second([&] {
        // The second thread's own work: its pictures' reduced copies only.
        try {
            there();
        } catch (...) {
            failure = std::current_exception();  // raised below, after the join
        }
    });
    try {
        here();
    } catch (...) {
        second.join();
        throw;
    }
    second.join();
    if (failure)
        std::rethrow_exception(failure);
}

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
    RunOnTwoThreads([&] { DecodeAhead(draws, 0, half); }, [&] { DecodeAhead(draws, half, draws.size()); });
}

}  // namespace tremalu
