#include "test_kinds.h"

#include "raster/drawing.h"
#include "core/errors.h"
#include "core/streams.h"

#include <map>
#include <memory>
#include <string>

using namespace tremalu;

namespace testing_support {

TREMALU_DEFINE_CLASS(TTestGraphic, TGraphic)
TREMALU_DEFINE_CLASS(TFailingWriteGraphic, TTestGraphic)

void TTestGraphic::CopyFrom(const TPersistent* source)
{
    if (const auto* other = dynamic_cast<const TTestGraphic*>(source)) {
        Width = other->Width;
        Height = other->Height;
        Color = other->Color;
        NotifyChanged();
        return;
    }
    TGraphic::CopyFrom(source);
}

void TTestGraphic::DrawOn(TCanvas& canvas, const TRect& rect)
{
    auto pixels = TPixelBuffer::MakeDevice(1, 1);
    pixels->SetPixelAt(0, 0, DevicePixel(Color));
    canvas.StretchPixels(rect, *pixels, {0, 0, 1, 1}, canvas.CopyMode);
}

void TTestGraphic::ReadFromStream(TStream& stream)
{
    char magic[4];
    stream.ReadBuffer(magic, 4);
    if (std::string(magic, 4) != "TGRA")
        throw EInvalidGraphic("Image de test incorrecte");
    Width = stream.ReadI32();
    Height = stream.ReadI32();
    Color = stream.ReadI32();
    NotifyChanged();
}

void TTestGraphic::WriteToStream(TStream& stream)
{
    stream.WriteBuffer("TGRA", 4);
    stream.WriteI32(Width);
    stream.WriteI32(Height);
    stream.WriteI32(Color);
}

void TFailingWriteGraphic::WriteToStream(TStream& stream)
{
    stream.WriteBuffer("TGRA", 4);
    stream.WriteI32(Width);
    throw EWriteError(texts::StreamWrite);
}

std::vector<unsigned char> TestGraphicFile(int32_t width, int32_t height, TColor color)
{
    TMemoryStream out;
    out.WriteBuffer("TGRA", 4);
    out.WriteI32(width);
    out.WriteI32(height);
    out.WriteI32(color);
    return {out.Memory(), out.Memory() + out.Size()};
}

const TClass& FakeKind(const char* name)
{
    static std::map<std::string, std::unique_ptr<TClass>> kinds;
    auto& slot = kinds[name];
    if (!slot)
        slot = std::make_unique<TClass>(name, &TGraphic::StaticClass(), nullptr);
    return *slot;
}

}  // namespace testing_support
