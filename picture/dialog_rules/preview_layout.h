// Where the preview pane of the picture dialogs draws the selected picture
// in its paint box, and what its label says.
#pragma once

#include "core/geometry.h"

#include <cstdint>
#include <string>

namespace tremalu {

struct TPreviewPlacement {
    enum class Kind { EmptyText, AtOwnSize, Stretched } How = Kind::EmptyText;
    TPoint At;    // AtOwnSize: the picture's top-left corner
    TRect Into;   // Stretched: the rectangle drawn into
};

// W ≤ 0: the text "(vide)" centred. A picture that fits: at its own size,
// centred. A larger one: stretched to the box's width (wider than tall) or
// height, the other side by MulDiv, anchored at the box's top-left corner.
TPreviewPlacement PlacePreview(int32_t pictureWidth, int32_t pictureHeight, const TRect& box);

// The top-left corner of a text of the given size centred in the box.
TPoint CentredText(int32_t textWidth, int32_t textHeight, const TRect& box);

inline constexpr const char* PreviewEmptyText = "(vide)";
inline constexpr const char* PreviewNoPictureLabel = "Image :";
// " (640x480)": a leading space, the two sizes joined by a lower-case x.
std::string PreviewSizeLabel(int32_t width, int32_t height);

}  // namespace tremalu
