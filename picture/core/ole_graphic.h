// TOleGraphic: the picture kind reached through a file name without an
// extension. It never holds a picture here: reading a file does nothing, it
// is empty, 0 × 0, draws nothing and refuses size changes with
// EInvalidGraphicOperation "Opération incorrecte sur TOleGraphic".
#pragma once

#include "core/graphic.h"
#include "core/picture_module.h"

namespace tremalu {

class TOleGraphic : public TGraphic {
    TREMALU_DECLARE_CLASS()
public:
    void CopyFrom(const TPersistent* source) override;
    void DrawOn(TCanvas& canvas, const TRect& rect) override;
    bool IsEmpty() const override { return true; }
    int32_t PixelHeight() const override { return 0; }
    int32_t PixelWidth() const override { return 0; }
    void SetPixelHeight(int32_t height) override;
    void SetPixelWidth(int32_t width) override;
    void ReadFromFile(const std::string& fileName) override;
    void ReadFromStream(TStream& stream) override;
    void WriteToStream(TStream& stream) override;
};

// The entry with the empty extension, registered last.
extern const TPictureModule OlePictureModule;

}  // namespace tremalu
