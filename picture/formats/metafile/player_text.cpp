// Text: fonts chosen by face name, weight and slant through cairo's
// fontconfig font selection, sized by the logical font height, turned by
// the escapement, placed by the text alignment and, when the record gives
// them, by its per-character advances.
#include "formats/metafile/player.h"

#include "core/color.h"

#include <algorithm>
#include <numbers>

namespace tremalu {

namespace {

// Distinct faces kept open during one playback; further names fall back on
// the default face of their weight and slant.
constexpr size_t MaxFaces = 64;
// Glyphs larger than this (in pixels) are not drawn.
constexpr double MaxGlyphPixels = 4096;
// Glyphs up to this size are drawn from cairo's cache of glyph images.
constexpr double MaxCachedGlyphPixels = 256;
constexpr double DefaultCellPixels = 16;
// The size at which a font's proportions are measured.
constexpr double MetricsSize = 256;

std::string Utf8Of(const std::u32string& text)
{
    std::string out;
    for (char32_t c : text) {
        if (c < 0x20)
            c = ' ';
        else if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF)
            c = 0xFFFD;
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

// The generic family a font without a face name asks for, by its pitch and
// family byte.
std::string GenericFamily(uint8_t pitchAndFamily)
{
    switch (pitchAndFamily & 0xF0) {
    case 0x10:  // roman
        return "serif";
    case 0x30:  // modern
        return "monospace";
    default:
        return (pitchAndFamily & 3) == 1 ? "monospace" : "sans-serif";
    }
}

void SetColor(cairo_t* cr, TColorRef color)
{
    cairo_set_source_rgb(cr, (color & 0xFF) / 255.0, ((color >> 8) & 0xFF) / 255.0, ((color >> 16) & 0xFF) / 255.0);
}

double Length(TPointD v) { return std::hypot(v.X, v.Y); }

}  // namespace

cairo_font_face_t* TPlayer::FontFace(const TFontSpec& font)
{
    const bool bold = font.Weight >= 600;
    std::string family = font.Face.empty() ? GenericFamily(font.PitchAndFamily) : font.Face;
    if (Faces.size() >= MaxFaces && Faces.find({family, bold, font.Italic}) == Faces.end())
        family = "sans-serif";
    auto key = std::make_tuple(family, bold, font.Italic);
    const auto found = Faces.find(key);
    if (found != Faces.end())
        return found->second;
    cairo_font_face_t* face =
        cairo_toy_font_face_create(family.c_str(), font.Italic ? CAIRO_FONT_SLANT_ITALIC : CAIRO_FONT_SLANT_NORMAL,
                                   bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    Faces.emplace(std::move(key), face);
    return face;
}

void TPlayer::TextOut(TPointD reference, const std::u32string& text, const std::vector<double>& advances,
                      uint32_t options, const TRect* rect)
{
    const bool updateCurrent = (State.TextAlign & TA_UPDATECP) != 0;
    if (updateCurrent)
        reference = State.Current;
    ApplyClip();
    // The opaque rectangle comes first, text or no text.
    if (rect != nullptr && (options & ETO_OPAQUE) != 0) {
        TPath box;
        Builder(box).Box(rect->Left, rect->Top, rect->Right, rect->Bottom);
        const int rop = State.Rop2;
        State.Rop2 = R2_COPYPEN;
        Paint(box, true, State.BkColor, nullptr);
        State.Rop2 = rop;
    }
    if (text.empty())
        return;

    const TPointD origin = ToOutput.Apply(reference);
    const double xScale = Length(ToOutput.ApplyVector({1, 0}));
    const double yScale = Length(ToOutput.ApplyVector({0, 1}));
    if (!std::isfinite(origin.X) || !std::isfinite(origin.Y) || std::fabs(origin.X) > (1 << 22) ||
        std::fabs(origin.Y) > (1 << 22))
        return;

    cairo_save(Cairo);
    // Metrics as the font designs them, not rounded to whole pixels: the
    // records place every character themselves.
    cairo_font_options_t* fontOptions = cairo_font_options_create();
    cairo_font_options_set_hint_metrics(fontOptions, CAIRO_HINT_METRICS_OFF);
    cairo_set_font_options(Cairo, fontOptions);
    cairo_font_options_destroy(fontOptions);
    cairo_set_font_face(Cairo, FontFace(State.Font));
    cairo_set_font_size(Cairo, MetricsSize);
    cairo_font_extents_t unit;
    cairo_font_extents(Cairo, &unit);
    unit.ascent /= MetricsSize;
    unit.descent /= MetricsSize;
    const double cell = unit.ascent + unit.descent;
    double em;
    if (State.Font.Height < 0)
        em = -double(State.Font.Height) * yScale;
    else if (State.Font.Height > 0)
        em = cell > 0 ? State.Font.Height * yScale / cell : 0;
    else
        em = cell > 0 ? DefaultCellPixels / cell : DefaultCellPixels;
    const uint64_t cost = static_cast<uint64_t>(std::min(em, MaxGlyphPixels) * std::min(em, MaxGlyphPixels)) *
                          (text.size() + 1);
    if (!std::isfinite(em) || em < 0.5 || em > MaxGlyphPixels || !Budget.Spend(cost)) {
        cairo_restore(Cairo);
        return;
    }
    if (rect != nullptr && (options & ETO_CLIPPED) != 0) {
        TPath box;
        Builder(box).Box(rect->Left, rect->Top, rect->Right, rect->Bottom);
        cairo_new_path(Cairo);
        const std::vector<TPointD>& p = box.Points();
        cairo_move_to(Cairo, p[0].X, p[0].Y);
        for (size_t i = 1; i < p.size(); ++i)
            cairo_line_to(Cairo, p[i].X, p[i].Y);
        cairo_close_path(Cairo);
        cairo_clip(Cairo);
    }

    // Lay the line out along its baseline, turned by the escapement
    // (counter-clockwise on the page, so against the angles of a y-down
    // output).
    cairo_translate(Cairo, origin.X, origin.Y);
    cairo_rotate(Cairo, -double(State.Font.Escapement) / 10.0 * std::numbers::pi / 180);
    cairo_set_font_size(Cairo, em);
    const double ascent = unit.ascent * em, descent = unit.descent * em;
    const std::string utf8 = Utf8Of(text);
    cairo_scaled_font_t* font = cairo_get_scaled_font(Cairo);
    cairo_glyph_t* glyphs = nullptr;
    int count = 0;
    if (cairo_scaled_font_text_to_glyphs(font, 0, 0, utf8.data(), static_cast<int>(utf8.size()), &glyphs, &count,
                                         nullptr, nullptr, nullptr) != CAIRO_STATUS_SUCCESS) {
        cairo_restore(Cairo);
        return;
    }
    double width;
    if (advances.size() >= text.size() && static_cast<size_t>(count) == text.size()) {
        double x = 0;
        for (int i = 0; i < count; ++i) {
            glyphs[i].x = x;
            glyphs[i].y = 0;
            x += advances[static_cast<size_t>(i)] * xScale;
        }
        width = x;
    } else {
        cairo_text_extents_t extents;
        cairo_scaled_font_glyph_extents(font, glyphs, count, &extents);
        width = extents.x_advance;
    }
    if (!std::isfinite(width) || std::fabs(width) > (1 << 22)) {
        cairo_glyph_free(glyphs);
        cairo_restore(Cairo);
        return;
    }
    double x0 = 0;
    if ((State.TextAlign & TA_HORIZONTAL_MASK) == TA_CENTER)
        x0 = -width / 2;
    else if ((State.TextAlign & TA_HORIZONTAL_MASK) == TA_RIGHT)
        x0 = -width;
    double baseline = ascent;
    if ((State.TextAlign & TA_VERTICAL_MASK) == TA_BASELINE)
        baseline = 0;
    else if ((State.TextAlign & TA_VERTICAL_MASK) == TA_BOTTOM)
        baseline = -descent;
    for (int i = 0; i < count; ++i) {
        glyphs[i].x += x0;
        glyphs[i].y += baseline;
    }
    if (State.BkMode == OPAQUE) {
        SetColor(Cairo, State.BkColor);
        cairo_rectangle(Cairo, std::min(x0, x0 + width), baseline - ascent, std::fabs(width), ascent + descent);
        cairo_fill(Cairo);
    }
    SetColor(Cairo, State.TextColor);
    if (em <= MaxCachedGlyphPixels) {
        cairo_show_glyphs(Cairo, glyphs, count);
    } else {
        // Large glyphs are filled as outlines: cairo keeps no image of them
        // for the rest of the process, and only what the output shows is
        // rasterized.
        cairo_new_path(Cairo);
        cairo_glyph_path(Cairo, glyphs, count);
        cairo_fill(Cairo);
    }
    cairo_glyph_free(glyphs);
    const double thickness = std::max(1.0, std::round(em / 14));
    if (State.Font.Underline)
        cairo_rectangle(Cairo, x0, baseline + std::max(1.0, descent / 2), width, thickness);
    if (State.Font.StrikeOut)
        cairo_rectangle(Cairo, x0, baseline - ascent / 3, width, thickness);
    cairo_fill(Cairo);
    cairo_restore(Cairo);

    if (updateCurrent && xScale > 0) {
        const double angle = State.Font.Escapement / 10.0 * std::numbers::pi / 180;
        const double move = (x0 + width) / xScale;
        State.Current = {reference.X + move * std::cos(angle), reference.Y - move * std::sin(angle)};
    }
}

}  // namespace tremalu
