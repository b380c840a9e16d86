#include "mix_choice.h"

namespace tremalu {

TAnaglyphMix StoredMix(const std::string& method, const std::string& glasses)
{
    TAnaglyphMix mix;
    mix.Method = MethodByName(method).value_or(mix.Method);
    mix.Glasses = GlassesByName(glasses).value_or(mix.Glasses);
    if (!mix.IsUsable())
        mix.Method = TAnaglyphMethod::Couleur;
    return mix;
}

bool MethodOffered(TAnaglyphMethod method, const TAnaglyphMix& current)
{
    return TAnaglyphMix{method, current.Glasses}.IsUsable();
}

bool GlassesOffered(TAnaglyphGlasses glasses, const TAnaglyphMix& current)
{
    return TAnaglyphMix{current.Method, glasses}.IsUsable();
}

}  // namespace tremalu
