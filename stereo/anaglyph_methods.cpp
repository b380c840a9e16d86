#include "stereo/anaglyph_methods.h"

#include <algorithm>
#include <cmath>

namespace tremalu {

namespace {

using Matrix = std::array<std::array<double, 3>, 3>;

// The least-squares projection matrices of Eric Dubois, one pair per kind of
// glasses (rows: red, green, blue of the anaglyph; columns: red, green, blue
// of the eye's picture, all in linear light). Red/cyan from E. Dubois,
// "Conversion of a stereo pair to anaglyph with the least-squares projection
// method", University of Ottawa, March 2009; green/magenta and amber/blue are
// the matrices he published for those filters on the same page of his
// (site.uottawa.ca/~edubois/anaglyph), computed the same way. The method
// itself: E. Dubois, "A projection method to generate anaglyph stereo
// images", Proc. IEEE ICASSP 2001, vol. 3, pp. 1661-1664.
constexpr Matrix RedCyanLeft{{{0.437, 0.449, 0.164}, {-0.062, -0.062, -0.024}, {-0.048, -0.050, -0.017}}};
constexpr Matrix RedCyanRight{{{-0.011, -0.032, -0.007}, {0.377, 0.761, 0.009}, {-0.026, -0.093, 1.234}}};
constexpr Matrix GreenMagentaLeft{{{-0.062, -0.158, -0.039}, {0.284, 0.668, 0.143}, {-0.015, -0.027, 0.021}}};
constexpr Matrix GreenMagentaRight{{{0.529, 0.705, 0.024}, {-0.016, -0.015, -0.065}, {0.009, 0.075, 0.937}}};
constexpr Matrix AmberBlueLeft{{{1.062, -0.205, 0.299}, {-0.026, 0.908, 0.068}, {-0.038, -0.173, 0.022}}};
constexpr Matrix AmberBlueRight{{{-0.016, -0.123, -0.017}, {0.006, 0.062, -0.017}, {0.094, 0.185, 0.911}}};

constexpr const char* MethodNames[] = {"couleur", "demi-couleur", "gris", "dubois"};
constexpr const char* GlassesNames[] = {"rouge-cyan", "vert-magenta", "ambre-bleu"};

// The sRGB transfer function: an 8-bit value to linear light.
double SrgbToLinear(double c)
{
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

// The conversions between 8-bit sRGB and linear light as tables. Back to
// 8 bits, a linear value v gives the code k nearest to its sRGB value: the
// number of the midpoints between neighbouring codes, taken in linear light,
// that v reaches. A table over v in steps of 1/65536 gives that number at the
// start of v's step; no step holds two midpoints (the steepest part of the
// curve, near black, spreads 255 codes over 1/12.92 of the range), so one
// comparison finishes it.
class TTransferTables {
public:
    TTransferTables()
    {
        for (int k = 0; k < 256; ++k)
            Linear[static_cast<size_t>(k)] = SrgbToLinear(k / 255.0);
        for (int k = 0; k < 255; ++k)
            Midpoints[static_cast<size_t>(k)] = SrgbToLinear((k + 0.5) / 255.0);
        Midpoints[255] = 2.0;  // never reached: values are clipped to 1
        size_t code = 0;
        for (size_t i = 0; i <= Steps; ++i) {
            const double v = static_cast<double>(i) / Steps;
            while (Midpoints[code] <= v)
                ++code;
            Start[i] = static_cast<uint8_t>(code);
        }
    }

    double ToLinear(uint32_t code) const { return Linear[code]; }

    // v clipped to [0, 1] first.
    uint32_t ToCode(double v) const
    {
        v = std::clamp(v, 0.0, 1.0);
        const uint32_t code = Start[static_cast<size_t>(v * Steps)];
        return code + (Midpoints[code] <= v ? 1 : 0);
    }

private:
    static constexpr size_t Steps = 65536;
    std::array<double, 256> Linear{};
    std::array<double, 256> Midpoints{};
    std::array<uint8_t, Steps + 1> Start{};
};

const TTransferTables& Transfer()
{
    static const TTransferTables tables;
    return tables;
}

uint32_t Gray(uint32_t y) { return y * 0x010101u; }

}  // namespace

const char* MethodName(TAnaglyphMethod method) { return MethodNames[static_cast<size_t>(method)]; }
const char* GlassesName(TAnaglyphGlasses glasses) { return GlassesNames[static_cast<size_t>(glasses)]; }

std::optional<TAnaglyphMethod> MethodByName(const std::string& name)
{
    for (size_t i = 0; i < std::size(MethodNames); ++i)
        if (name == MethodNames[i])
            return static_cast<TAnaglyphMethod>(i);
    return std::nullopt;
}

std::optional<TAnaglyphGlasses> GlassesByName(const std::string& name)
{
    for (size_t i = 0; i < std::size(GlassesNames); ++i)
        if (name == GlassesNames[i])
            return static_cast<TAnaglyphGlasses>(i);
    return std::nullopt;
}

TAnaglyphMixer::TAnaglyphMixer(const TAnaglyphMix& mix)
    : Method(mix.IsUsable() ? mix.Method : TAnaglyphMethod::Couleur)
{
    switch (mix.Glasses) {
    case TAnaglyphGlasses::RougeCyan:
        LeftChannels = 0xFF0000u;
        LeftMatrix = &RedCyanLeft;
        RightMatrix = &RedCyanRight;
        break;
    case TAnaglyphGlasses::VertMagenta:
        LeftChannels = 0x00FF00u;
        LeftMatrix = &GreenMagentaLeft;
        RightMatrix = &GreenMagentaRight;
        break;
    case TAnaglyphGlasses::AmbreBleu:
        LeftChannels = 0xFFFF00u;
        LeftMatrix = &AmberBlueLeft;
        RightMatrix = &AmberBlueRight;
        break;
    }
    if (Method == TAnaglyphMethod::Dubois)
        Tables = &Transfer();  // made once for the process, before rows are mixed
}

uint32_t TAnaglyphMixer::Dubois(uint32_t left, uint32_t right) const
{
    const TTransferTables& t = *static_cast<const TTransferTables*>(Tables);
    const double l[3] = {t.ToLinear(left >> 16 & 0xFF), t.ToLinear(left >> 8 & 0xFF), t.ToLinear(left & 0xFF)};
    const double r[3] = {t.ToLinear(right >> 16 & 0xFF), t.ToLinear(right >> 8 & 0xFF), t.ToLinear(right & 0xFF)};
    uint32_t pixel = 0;
    for (size_t c = 0; c < 3; ++c) {
        const auto& a = (*LeftMatrix)[c];
        const auto& b = (*RightMatrix)[c];
        const double v = a[0] * l[0] + a[1] * l[1] + a[2] * l[2] + b[0] * r[0] + b[1] * r[1] + b[2] * r[2];
        pixel = pixel << 8 | t.ToCode(v);
    }
    return pixel;
}

uint32_t TAnaglyphMixer::Mix(uint32_t left, uint32_t right) const
{
    const uint32_t rightChannels = ~LeftChannels & 0xFFFFFFu;
    switch (Method) {
    case TAnaglyphMethod::Couleur:
        return (left & LeftChannels) | (right & rightChannels);
    case TAnaglyphMethod::DemiCouleur:
        return (Gray(LumaOf(left)) & LeftChannels) | (right & rightChannels);
    case TAnaglyphMethod::Gris:
        return (Gray(LumaOf(left)) & LeftChannels) | (Gray(LumaOf(right)) & rightChannels);
    case TAnaglyphMethod::Dubois:
        return Dubois(left, right);
    }
    return 0;
}

void TAnaglyphMixer::MixRow(const uint32_t* left, const uint32_t* right, uint32_t* out, int32_t width) const
{
    // One loop per method, so that the choice is made once a row.
    const uint32_t rightChannels = ~LeftChannels & 0xFFFFFFu;
    switch (Method) {
    case TAnaglyphMethod::Couleur:
        for (int32_t x = 0; x < width; ++x)
            out[x] = (left[x] & LeftChannels) | (right[x] & rightChannels);
        return;
    case TAnaglyphMethod::DemiCouleur:
        for (int32_t x = 0; x < width; ++x)
            out[x] = (Gray(LumaOf(left[x])) & LeftChannels) | (right[x] & rightChannels);
        return;
    case TAnaglyphMethod::Gris:
        for (int32_t x = 0; x < width; ++x)
            out[x] = (Gray(LumaOf(left[x])) & LeftChannels) | (Gray(LumaOf(right[x])) & rightChannels);
        return;
    case TAnaglyphMethod::Dubois:
        DuboisRow(left, right, out, width);
        return;
    }
}

void TAnaglyphMixer::DuboisRow(const uint32_t* left, const uint32_t* right, uint32_t* out, int32_t width) const
{
    // A few hundred pixels at a time: the six channels in linear light, then
    // each result channel as one sum of products over whole arrays (which
    // the compiler turns into vector arithmetic), then back to 8 bits.
    constexpr int32_t Chunk = 256;
    const TTransferTables& t = *static_cast<const TTransferTables*>(Tables);
    double in[6][Chunk];
    double result[3][Chunk];
    for (int32_t from = 0; from < width; from += Chunk) {
        const int32_t n = std::min(Chunk, width - from);
        for (int32_t i = 0; i < n; ++i) {
            const uint32_t l = left[from + i], r = right[from + i];
            in[0][i] = t.ToLinear(l >> 16 & 0xFF);
            in[1][i] = t.ToLinear(l >> 8 & 0xFF);
            in[2][i] = t.ToLinear(l & 0xFF);
            in[3][i] = t.ToLinear(r >> 16 & 0xFF);
            in[4][i] = t.ToLinear(r >> 8 & 0xFF);
            in[5][i] = t.ToLinear(r & 0xFF);
        }
        for (size_t c = 0; c < 3; ++c) {
            const auto& a = (*LeftMatrix)[c];
            const auto& b = (*RightMatrix)[c];
            double* v = result[c];
            for (int32_t i = 0; i < n; ++i)
                v[i] = a[0] * in[0][i] + a[1] * in[1][i] + a[2] * in[2][i] + b[0] * in[3][i] + b[1] * in[4][i] +
                       b[2] * in[5][i];
        }
        for (int32_t i = 0; i < n; ++i)
            out[from + i] = t.ToCode(result[0][i]) << 16 | t.ToCode(result[1][i]) << 8 | t.ToCode(result[2][i]);
    }
}

}  // namespace tremalu
