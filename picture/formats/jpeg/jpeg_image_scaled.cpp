// The drawing cache of a JPEG picture: the reduced copy that previews are
// drawn from (see jpeg_image.h and jpeg_scaled_decode.h).
#include "formats/jpeg/jpeg_image.h"

#include "formats/jpeg/jpeg_scaled_decode.h"
#include "raster/bitmap.h"

#include <utility>

namespace tremalu {

void TJPEGImage::DropScaled()
{
    Scaled.reset();
    ScaledFailure = nullptr;
}

void TJPEGImage::CopyScaledFrom(const TJPEGImage& other)
{
    if (&other == this)
        return;
    DropScaled();
    if (!other.Scaled || !SameDecode(other.Scaled->Settings, FSettings))
        return;
    auto mine = std::make_unique<TScaledDecode>();
    mine->Bitmap = std::make_unique<TBitmap>();
    mine->Bitmap->CopyFrom(other.Scaled->Bitmap.get());  // shares the pixels until one side changes them
    mine->Reduction = other.Scaled->Reduction;
    mine->Settings = other.Scaled->Settings;
    Scaled = std::move(mine);
    ScaledFailure = other.ScaledFailure;
}

TJPEGReduction TJPEGImage::DrawReduction(int32_t width, int32_t height) const
{
    // A bitmap already made is drawn as before; a reduction set or a palette
    // given from outside change what the full decode gives, which the
    // reduced copy does not follow.
    if (Decoded || !Shared->Encoded || Shared->Encoded->ByteCount() == 0 ||
        FSettings.ReduceBy != TJPEGReduction::ReduceNone || HeldPalette)
        return TJPEGReduction::ReduceNone;
    return CoveringReduction(Shared->HeaderWidth, Shared->HeaderHeight, width, height);
}

TBitmap* TJPEGImage::ScaledBitmap(int32_t width, int32_t height)
{
    const TJPEGReduction wanted = DrawReduction(width, height);
    if (wanted == TJPEGReduction::ReduceNone)
        return nullptr;
    if (ScaledFailure)
        std::rethrow_exception(std::exchange(ScaledFailure, nullptr));
    // A copy at least as large as the one wanted serves as well.
    const bool fits = Scaled && static_cast<unsigned>(Scaled->Reduction) <= static_cast<unsigned>(wanted) &&
                      SameDecode(Scaled->Settings, FSettings);
    if (!fits) {
        auto decode = std::make_unique<TScaledDecode>();
        struct TKeep {
            std::unique_ptr<TScaledDecode>& Into;
            std::unique_ptr<TScaledDecode>& Decode;
            // Kept whether the decode succeeds or fails: a failed decode
            // keeps the rows it made, as the full decode does.
            ~TKeep() { Into = std::move(Decode); }
        } keep{Scaled, decode};
        DecodeScaled(Shared->Encoded->Memory(), Shared->Encoded->ByteCount(), FSettings, wanted, *decode);
    }
    return Scaled->Bitmap.get();
}

void TJPEGImage::DecodeScaledAhead(int32_t width, int32_t height)
{
    try {
        ScaledBitmap(width, height);
    } catch (...) {
        ScaledFailure = std::current_exception();  // raised by the next draw
    }
}

}  // namespace tremalu
