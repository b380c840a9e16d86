#include "formats/metafile/player_objects.h"

#include "raster/pixel_buffer.h"

#include <algorithm>
#include <bit>

namespace tremalu {

std::optional<TDrawingObject> StockObject(uint32_t number)
{
    const auto brush = [](uint32_t style, TColorRef color) {
        TBrushSpec b;
        b.Style = style;
        b.Color = color;
        return TDrawingObject{b};
    };
    const auto pen = [](uint32_t style, TColorRef color) {
        TPenSpec p;
        p.Style = style;
        p.Color = color;
        return TDrawingObject{p};
    };
    const auto font = [](const char* face, uint8_t pitch) {
        TFontSpec f;
        f.Height = -13;
        f.Face = face;
        f.PitchAndFamily = pitch;
        return TDrawingObject{f};
    };
    switch (number) {
    case WHITE_BRUSH:
    case DC_BRUSH:
        return brush(BS_SOLID, 0xFFFFFF);
    case LTGRAY_BRUSH:
        return brush(BS_SOLID, 0xC0C0C0);
    case GRAY_BRUSH:
        return brush(BS_SOLID, 0x808080);
    case DKGRAY_BRUSH:
        return brush(BS_SOLID, 0x404040);
    case BLACK_BRUSH:
        return brush(BS_SOLID, 0x000000);
    case NULL_BRUSH:
        return brush(BS_NULL, 0);
    case WHITE_PEN:
        return pen(PS_SOLID, 0xFFFFFF);
    case BLACK_PEN:
    case DC_PEN:
        return pen(PS_SOLID, 0x000000);
    case NULL_PEN:
        return pen(PS_NULL, 0);
    case OEM_FIXED_FONT:
    case ANSI_FIXED_FONT:
    case SYSTEM_FIXED_FONT:
        return font("monospace", 0x31);
    case ANSI_VAR_FONT:
    case SYSTEM_FONT:
    case DEVICE_DEFAULT_FONT:
    case DEFAULT_GUI_FONT:
        return font("sans-serif", 0x22);
    case DEFAULT_PALETTE:
        return TDrawingObject{TOtherObject{}};
    default:
        return std::nullopt;
    }
}

TObjectTable::TObjectTable(size_t count) : Slots(std::min(count, MaxSlots)), Used((Slots.size() + 63) / 64, 0) {}

void TObjectTable::Put(uint32_t slot, TDrawingObject object)
{
    if (slot >= Slots.size())
        return;
    Slots[slot] = std::move(object);
    Used[slot / 64] |= uint64_t{1} << (slot % 64);
}

void TObjectTable::PutInFirstFree(TDrawingObject object)
{
    for (size_t word = 0; word < Used.size(); ++word) {
        if (Used[word] == ~uint64_t{0})
            continue;
        const uint32_t slot = static_cast<uint32_t>(word * 64 + static_cast<size_t>(std::countr_one(Used[word])));
        if (slot < Slots.size())
            Put(slot, std::move(object));
        return;
    }
}

const TDrawingObject* TObjectTable::Get(uint32_t slot) const
{
    if (slot >= Slots.size() || !Slots[slot])
        return nullptr;
    return &*Slots[slot];
}

void TObjectTable::Delete(uint32_t slot)
{
    if (slot >= Slots.size())
        return;
    Slots[slot].reset();
    Used[slot / 64] &= ~(uint64_t{1} << (slot % 64));
}

}  // namespace tremalu
