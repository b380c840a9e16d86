// The method and glasses that the glasses button composes with: how the
// pop-up menu of the button names them and how the settings file keeps them
// between runs (by the names the batch tool takes, so that both speak of
// the same mixes).
#pragma once

#include "stereo/anaglyph_methods.h"

#include <string>

namespace tremalu {

// The menu's items, in the order of the enumerations.
inline constexpr const char* MethodCaptions[] = {"Couleur", "Demi-couleur", "Gris", "Dubois"};
inline constexpr const char* GlassesCaptions[] = {"Rouge / cyan", "Vert / magenta", "Ambre / bleu"};

// Where the settings file keeps the choice.
inline constexpr const char* MethodSetting = "anaglyphe/methode";
inline constexpr const char* GlassesSetting = "anaglyphe/lunettes";

// The mix that the stored names give: a name that is missing or unknown
// gives that part's default (colour, red/cyan), and a method that does not
// suit the stored glasses gives the colour method.
TAnaglyphMix StoredMix(const std::string& method, const std::string& glasses);

// Whether the menu offers a method with the glasses chosen, and glasses with
// the method chosen: the half-colour method suits red/cyan glasses only.
bool MethodOffered(TAnaglyphMethod method, const TAnaglyphMix& current);
bool GlassesOffered(TAnaglyphGlasses glasses, const TAnaglyphMix& current);

}  // namespace tremalu
