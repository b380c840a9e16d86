#include "anaglyph_reference.h"

using namespace tremalu;

namespace testing_support {

std::unique_ptr<TBitmap> ComposeWithRasterOps(TGraphic* left, TGraphic* right, int32_t width, int32_t height)
{
    auto make = [&] {
        auto b = std::make_unique<TBitmap>();
        b->SetPixelWidth(width);
        b->SetPixelHeight(height);
        return b;
    };
    auto l = make(), r = make(), m = make();
    l->Surface().CopyMode = SRCCOPY;
    l->Surface().DrawAt(0, 0, left);
    r->Surface().CopyMode = SRCCOPY;
    r->Surface().DrawAt(0, 0, right);

    auto result = std::make_unique<TBitmap>();
    result->CopyFrom(l.get());

    m->Surface().Brush().SetColor(clRed);
    m->Surface().Brush().SetStyle(TBrushStyle::bsSolid);
    m->Surface().FillRectangle({0, 0, width, height});
    m->Surface().CopyMode = SRCAND;
    m->Surface().DrawAt(0, 0, l.get());

    TCanvas& out = result->Surface();
    out.Brush().SetColor(clAqua);
    out.Brush().SetStyle(TBrushStyle::bsSolid);
    out.FillRectangle({0, 0, width, height});
    out.CopyMode = SRCAND;
    out.DrawAt(0, 0, r.get());
    out.CopyMode = SRCPAINT;
    out.DrawAt(0, 0, m.get());
    return result;
}

}  // namespace testing_support
