// How the two pictures of a pair are mixed into one anaglyph pixel: the
// method and the glasses it is made for. The program's own anaglyph is the
// colour method for red/cyan glasses (red of the LEFT pixel, green and blue
// of the RIGHT one); the other methods trade colour for less ghosting and
// less rivalry between the eyes.
//
// Pixels are 8-bit values packed 0x00RRGGBB (the device pixels of a bitmap).
// Luma: Y = 0.299 R + 0.587 G + 0.114 B, rounded half up.
//   couleur       each glasses filter takes its channels from its eye's picture
//   demi-couleur  the same, the LEFT picture's channel being its luma
//                 (red/cyan glasses only)
//   gris          every channel of an eye's filter takes that eye's luma
//   dubois        the least-squares projection of Dubois, in linear light
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace tremalu {

enum class TAnaglyphMethod { Couleur, DemiCouleur, Gris, Dubois };
enum class TAnaglyphGlasses { RougeCyan, VertMagenta, AmbreBleu };

struct TAnaglyphMix {
    TAnaglyphMethod Method = TAnaglyphMethod::Couleur;
    TAnaglyphGlasses Glasses = TAnaglyphGlasses::RougeCyan;

    // The program's own anaglyph: colour, red/cyan.
    bool IsDefault() const { return Method == TAnaglyphMethod::Couleur && Glasses == TAnaglyphGlasses::RougeCyan; }
    // The half-colour method exists for red/cyan glasses only.
    bool IsUsable() const { return Method != TAnaglyphMethod::DemiCouleur || Glasses == TAnaglyphGlasses::RougeCyan; }
};

// The French names the batch tool takes and a menu can show, in the order of
// the enumerations: "couleur", "demi-couleur", "gris", "dubois";
// "rouge-cyan", "vert-magenta", "ambre-bleu".
const char* MethodName(TAnaglyphMethod method);
const char* GlassesName(TAnaglyphGlasses glasses);
std::optional<TAnaglyphMethod> MethodByName(const std::string& name);
std::optional<TAnaglyphGlasses> GlassesByName(const std::string& name);

// Y of a 0x00RRGGBB pixel, rounded half up.
inline uint32_t LumaOf(uint32_t pixel)
{
    return ((pixel >> 16 & 0xFF) * 299 + (pixel >> 8 & 0xFF) * 587 + (pixel & 0xFF) * 114 + 500) / 1000;
}

// The arithmetic of one mix, with its tables made once.
class TAnaglyphMixer {
public:
    // A mix that is not usable is mixed as the colour method would.
    explicit TAnaglyphMixer(const TAnaglyphMix& mix);

    uint32_t Mix(uint32_t left, uint32_t right) const;
    // out[x] := Mix(left[x], right[x]); out may be left or right.
    void MixRow(const uint32_t* left, const uint32_t* right, uint32_t* out, int32_t width) const;

private:
    uint32_t Dubois(uint32_t left, uint32_t right) const;
    void DuboisRow(const uint32_t* left, const uint32_t* right, uint32_t* out, int32_t width) const;

    TAnaglyphMethod Method;
    uint32_t LeftChannels;  // the channels the LEFT eye's filter passes
    // Dubois: the two matrices, rows red, green, blue of the result.
    const std::array<std::array<double, 3>, 3>* LeftMatrix = nullptr;
    const std::array<std::array<double, 3>, 3>* RightMatrix = nullptr;
    const void* Tables = nullptr;  // Dubois: the sRGB transfer tables
};

}  // namespace tremalu
