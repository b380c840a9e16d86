// Small picture kinds made for the tests of the container and the registry.
#pragma once

#include "raster/bitmap.h"
#include "core/graphic.h"

#include <string>
#include <vector>

namespace testing_support {

// A picture of one colour. Its file is "TGRA", then width, height and the
// colour as 32-bit little-endian values.
class TTestGraphic : public tremalu::TGraphic {
    TREMALU_DECLARE_CLASS()
public:
    void CopyFrom(const tremalu::TPersistent* source) override;
    void DrawOn(tremalu::TCanvas& canvas, const tremalu::TRect& rect) override;
    bool IsEmpty() const override { return Width == 0 && Height == 0; }
    int32_t PixelHeight() const override { return Height; }
    int32_t PixelWidth() const override { return Width; }
    void SetPixelHeight(int32_t h) override { Height = h; NotifyChanged(); }
    void SetPixelWidth(int32_t w) override { Width = w; NotifyChanged(); }
    void ReadFromStream(tremalu::TStream& stream) override;
    void WriteToStream(tremalu::TStream& stream) override;
    void ReportProgress(tremalu::TProgressStage stage, uint8_t percent, bool redraw, const tremalu::TRect& r,
                        const std::string& msg)
    {
        Progress(stage, percent, redraw, r, msg);
    }

    int32_t Width = 0;
    int32_t Height = 0;
    tremalu::TColor Color = tremalu::clBlack;
};

// Writes half of its file, then fails as a full disk would.
class TFailingWriteGraphic : public TTestGraphic {
    TREMALU_DECLARE_CLASS()
public:
    void WriteToStream(tremalu::TStream& stream) override;
};

std::vector<unsigned char> TestGraphicFile(int32_t width, int32_t height, tremalu::TColor color);

// Class descriptors standing for the kinds of the other file formats, for
// building registries in the tests.
const tremalu::TClass& FakeKind(const char* name);

}  // namespace testing_support
