// The previews of pictures that arrive together (both names on the command
// line, two files dropped at once, a stereo camera's file): their reduced
// copies are decoded before they are shown, two at once on the machine's two
// cores, so that both sides appear in about the time of one.
#pragma once

#include <cstdint>
#include <vector>

namespace tremalu {

class TGraphic;

// A picture about to be shown in a preview and the size it will be drawn at.
struct TPreviewDraw {
    TGraphic* Graphic = nullptr;
    int32_t Width = 0;
    int32_t Height = 0;
};

// Makes now the reduced copies that the previews' first draws will use
// (TJPEGImage::DecodeScaledAhead): the first half of the list on this thread,
// the rest on a second thread at the same time. Kinds that have no reduced
// copy, and JPEG pictures that a draw of that size shows from their full
// decode, are left for their draw. A decode's failure is kept with its
// picture and raised by that picture's first draw, on the thread that draws,
// as when nothing was decoded ahead. Each picture must be used by nothing
// else until this returns.
void DecodePreviewsAtOnce(const std::vector<TPreviewDraw>& previews);

}  // namespace tremalu
