#include "raster/image_view.h"

#include "raster/bitmap.h"
#include "core/errors.h"

#include <cstring>

namespace tremalu {

namespace {

// Icons and metafiles keep their own transparency: they draw only what they
// hold.
bool KeepsOwnTransparency(const TGraphic& graphic)
{
    for (const TClass* c = &graphic.ClassType(); c != nullptr; c = c->ClassParent())
        if (std::strcmp(c->ClassName(), "TIcon") == 0 || std::strcmp(c->ClassName(), "TMetafile") == 0)
            return true;
    return false;
}

}  // namespace

TImage::TImage()
{
    FPicture.OnChange = [this](TObject&) { PictureChanged(); };
    FPicture.OnProgress = [this](TObject& sender, TProgressStage stage, uint8_t percent, bool redraw, const TRect& r,
                                 const std::string& msg) { PictureProgress(sender, stage, percent, redraw, r, msg); };
}

TImage::~TImage()
{
    FPicture.OnChange = nullptr;
    FPicture.OnProgress = nullptr;
}

void TImage::Invalidate()
{
    if (OnInvalidate)
        OnInvalidate();
}

void TImage::SetAutoSize(bool value)
{
    if (value == FAutoSize)
        return;
    FAutoSize = value;
    if (FAutoSize)
        SetBounds(FLeft, FTop, FWidth, FHeight);
}

void TImage::SetCenter(bool value)
{
    if (value == FCenter)
        return;
    FCenter = value;
    PictureChanged();
}

void TImage::SetStretch(bool value)
{
    if (value == FStretch)
        return;
    FStretch = value;
    PictureChanged();
}

void TImage::SetTransparent(bool value)
{
    if (value == FTransparent)
        return;
    FTransparent = value;
    PictureChanged();
}

void TImage::AutoSizeOf(int32_t& width, int32_t& height) const
{
    if (Align == TAlign::alNone || Align == TAlign::alLeft || Align == TAlign::alRight)
        width = FPicture.PixelWidth();
    if (Align == TAlign::alNone || Align == TAlign::alTop || Align == TAlign::alBottom)
        height = FPicture.PixelHeight();
}

void TImage::SetBounds(int32_t left, int32_t top, int32_t width, int32_t height)
{
    if (FAutoSize)
        AutoSizeOf(width, height);
    if (left == FLeft && top == FTop && width == FWidth && height == FHeight)
        return;
    FLeft = left;
    FTop = top;
    FWidth = width;
    FHeight = height;
    if (OnBoundsChanged)
        OnBoundsChanged();
    Invalidate();
}

TRect TImage::TargetRect() const
{
    if (FStretch)
        return {0, 0, FWidth, FHeight};
    const int32_t w = FPicture.PixelWidth();
    const int32_t h = FPicture.PixelHeight();
    if (FCenter)
        return Bounds((FWidth - w) / 2, (FHeight - h) / 2, w, h);
    return {0, 0, w, h};
}

void TImage::Paint(TCanvas& target)
{
    struct DrawingFlag {
        bool& flag;
        bool saved;
        explicit DrawingFlag(bool& f) : flag(f), saved(f) { flag = true; }
        ~DrawingFlag() { flag = saved; }
    } drawing(FDrawing);
    target.CopyMode = SRCCOPY;
    target.DrawStretched(TargetRect(), FPicture.Graphic());
}

void TImage::PictureChanged()
{
    const int32_t w = FPicture.PixelWidth();
    const int32_t h = FPicture.PixelHeight();
    if (FAutoSize && w > 0 && h > 0)
        SetBounds(FLeft, FTop, w, h);
    if (TGraphic* graphic = FPicture.Graphic()) {
        if (!KeepsOwnTransparency(*graphic))
            graphic->SetTransparent(FTransparent);
        FOpaque = !(graphic->Transparent() ||
                    (!FStretch && (graphic->PixelWidth() < FWidth || graphic->PixelHeight() < FHeight)));
    } else {
        FOpaque = false;
    }
    if (!FDrawing)
        Invalidate();
}

void TImage::PictureProgress(TObject& sender, TProgressStage stage, uint8_t percent, bool redrawNow, const TRect& r,
                             const std::string& msg)
{
    if (redrawNow && IncrementalDisplay && OnRepaintNow)
        OnRepaintNow();
    if (OnProgress)
        OnProgress(sender, stage, percent, redrawNow, r, msg);
}

TCanvas& TImage::Surface()
{
    if (FPicture.Graphic() == nullptr) {
        TBitmap white;
        white.SetPixelWidth(FWidth);
        white.SetPixelHeight(FHeight);
        FPicture.SetGraphic(&white);
    }
    if (auto* bitmap = dynamic_cast<TBitmap*>(FPicture.Graphic()))
        return bitmap->Surface();
    throw EInvalidOperation(texts::ImageNeedsBitmap);
}

}  // namespace tremalu
