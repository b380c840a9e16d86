// TIcon: the picture kind of Windows icon files (.ico).
//
// Reading keeps the file's bytes and checks only its header; nothing is
// decoded until the icon is first drawn. Until then the icon reports the
// standard icon size of the display (32 × 32), whatever the file holds; the
// first drawing chooses one of the file's images for the wanted size and the
// display's colours, decodes it, and from then on the icon reports that
// image's size. An icon is drawn at its own size at the rectangle's top-left
// corner, never stretched.
//
// Copies share one TIconImage (the bytes and the decoded image), so an image
// is decoded once for all of them.
#pragma once

#include "core/graphic.h"
#include "formats/icon/icon_pixels.h"
#include "raster/pixel_buffer.h"

#include <memory>
#include <vector>

namespace tremalu {

struct TIconImage {
    std::vector<uint8_t> FileBytes;  // the whole file as read; empty until a file is read
    bool Made = false;               // the image has been chosen and decoded
    TIconPixels Image;               // the chosen image; 0 × 0 for a file of type 0
};

class TIcon : public TGraphic {
    TREMALU_DECLARE_CLASS()
public:
    TIcon();

    // Shares the other icon's image.
    void CopyFrom(const TPersistent* source) override;
    void DrawOn(TCanvas& canvas, const TRect& rect) override;
    // Neither file bytes nor a made icon.
    bool IsEmpty() const override;
    int32_t PixelHeight() const override;
    int32_t PixelWidth() const override;
    // Before the icon is made: the size for which an image will be chosen.
    // Afterwards: EInvalidGraphicOperation "Impossible de modifier la taille
    // d'une icône".
    void SetPixelHeight(int32_t height) override;
    void SetPixelWidth(int32_t width) override;
    // Setting the transparent flag does nothing: an icon is always drawn
    // through its mask.
    void SetTransparent(bool) override {}
    // Keeps the bytes from the stream's position to its end. Fewer than 6
    // bytes: EReadError "Erreur de lecture du flux"; a type word of 2 or more
    // (a cursor, say): EInvalidGraphic "Image icône incorrecte".
    void ReadFromStream(TStream& stream) override;
    // Writes the file's bytes as they were read; nothing for an empty icon.
    void WriteToStream(TStream& stream) override;

    // Chooses and decodes the image, if that is not done yet. EInvalidGraphic
    // "Image icône incorrecte" when the file holds no usable image.
    void MakeIcon();
    bool IsMade() const { return Image->Made; }

private:
    std::shared_ptr<TIconImage> Image;
    int32_t RequestedWidth = 0;
    int32_t RequestedHeight = 0;
};

}  // namespace tremalu
