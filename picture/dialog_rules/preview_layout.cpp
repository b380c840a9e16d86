#include "dialog_rules/preview_layout.h"

#include "core/checked_math.h"

namespace tremalu {

TPreviewPlacement PlacePreview(int32_t w, int32_t h, const TRect& box)
{
    TPreviewPlacement p;
    if (w <= 0)
        return p;
    if (w <= box.Width() && h <= box.Height()) {
        p.How = TPreviewPlacement::Kind::AtOwnSize;
        p.At = {box.Left + Div(box.Width() - w, 2), box.Top + Div(box.Height() - h, 2)};
        return p;
    }
    p.How = TPreviewPlacement::Kind::Stretched;
    p.Into = box;
    if (w > h)
        p.Into.Bottom = box.Top + MulDiv(h, box.Width(), w);
    else
        p.Into.Right = box.Left + MulDiv(w, box.Height(), h);
    return p;
}

TPoint CentredText(int32_t textWidth, int32_t textHeight, const TRect& box)
{
    return {box.Left + Div(box.Width() - textWidth, 2), box.Top + Div(box.Height() - textHeight, 2)};
}

std::string PreviewSizeLabel(int32_t width, int32_t height)
{
    return " (" + std::to_string(width) + "x" + std::to_string(height) + ")";
}

}  // namespace tremalu
