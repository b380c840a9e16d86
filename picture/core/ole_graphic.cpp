#include "core/ole_graphic.h"

#include "core/errors.h"
#include "core/format_registry.h"

namespace tremalu {

TREMALU_DEFINE_CLASS(TOleGraphic, TGraphic)

void TOleGraphic::CopyFrom(const TPersistent* source)
{
    // Two empty OLE pictures take each other; anything else cannot be held.
    if (dynamic_cast<const TOleGraphic*>(source) != nullptr)
        return;
    TGraphic::CopyFrom(source);
}

void TOleGraphic::DrawOn(TCanvas&, const TRect&) {}

void TOleGraphic::SetPixelHeight(int32_t) { throw EInvalidGraphicOperation(texts::OleGraphicOperation); }
void TOleGraphic::SetPixelWidth(int32_t) { throw EInvalidGraphicOperation(texts::OleGraphicOperation); }

void TOleGraphic::ReadFromFile(const std::string&) {}

// The platform's own picture objects are not read here; a stream holds
// nothing this kind can take.
void TOleGraphic::ReadFromStream(TStream&) {}
void TOleGraphic::WriteToStream(TStream&) {}

const TPictureModule OlePictureModule = {
    [](TFileFormatsList& registry) { registry.AddFormat("", "", TOleGraphic::StaticClass(), 0); },
    [](TFileFormatsList& registry) { registry.RemoveKind(TOleGraphic::StaticClass()); },
};

}  // namespace tremalu
