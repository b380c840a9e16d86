// TMetafile: the picture kind of Windows metafiles (.wmf, with their
// placeable header) and enhanced metafiles (.emf).
//
// Reading keeps the records and the sizes from the headers; drawing plays
// the records through our own player (metafile_player.h), the picture
// stretched on each axis to fill the rectangle. The size in pixels comes
// from the picture's size in hundredths of a millimetre: at the screen's 96
// pixels per inch for a Windows metafile, by the reference device recorded
// in its header for an enhanced one.
//
// Copies share one TMetafileImage; a size change on a shared image first
// gives the picture a private copy.
#pragma once

#include "core/graphic.h"
#include "formats/metafile/metafile_image.h"

#include <memory>

namespace tremalu {

class TMetafile : public TGraphic {
    TREMALU_DECLARE_CLASS()
public:
    TMetafile();

    // Shares the other metafile's image.
    void CopyFrom(const TPersistent* source) override;
    void DrawOn(TCanvas& canvas, const TRect& rect) override;
    // A metafile always has an image, so it is never empty.
    bool IsEmpty() const override { return false; }
    int32_t PixelHeight() const override;
    int32_t PixelWidth() const override;
    // Converts the pixel size back to hundredths of a millimetre, or keeps it
    // as a pending size while there is no metafile.
    void SetPixelHeight(int32_t height) override;
    void SetPixelWidth(int32_t width) override;
    void SetTransparent(bool) override {}
    // An enhanced metafile when more than 100 bytes remain and they start
    // with its header record; a placeable Windows metafile otherwise.
    // EInvalidGraphic "MetaFichier incorrect" for a wrong signature, key or
    // checksum or a metafile that cannot be played; EReadError "Erreur de
    // lecture du flux" for an enhanced metafile shorter than its header says.
    void ReadFromStream(TStream& stream) override;
    // Writes the metafile in the form it was read in; nothing without one.
    void WriteToStream(TStream& stream) override;

    bool Enhanced() const { return FEnhanced; }
    const TMetafileImage& Image() const { return *FImage; }

private:
    void ReadEnhanced(TStream& stream, int64_t remaining);
    void ReadPlaceable(TStream& stream);
    // Gives the picture an image of its own before a change.
    TMetafileImage& Unshared();

    std::shared_ptr<TMetafileImage> FImage;
    bool FEnhanced = true;
};

}  // namespace tremalu
