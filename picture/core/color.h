// Colour values.
//
// TColor is a signed 32-bit value. From 0 to 0x00FFFFFF it is an RGB colour
// written 0xBBGGRR (red in the low byte). A value 0x800000nn names system
// colour nn, resolved from a fixed table of the classic desktop defaults.
#pragma once

#include <cstdint>

namespace tremalu {

using TColor = int32_t;

inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clMaroon = 0x000080;
inline constexpr TColor clGreen = 0x008000;
inline constexpr TColor clOlive = 0x008080;
inline constexpr TColor clNavy = 0x800000;
inline constexpr TColor clPurple = 0x800080;
inline constexpr TColor clTeal = 0x808000;
inline constexpr TColor clGray = 0x808080;
inline constexpr TColor clSilver = 0xC0C0C0;
inline constexpr TColor clRed = 0x0000FF;
inline constexpr TColor clLime = 0x00FF00;
inline constexpr TColor clYellow = 0x00FFFF;
inline constexpr TColor clBlue = 0xFF0000;
inline constexpr TColor clFuchsia = 0xFF00FF;
inline constexpr TColor clAqua = 0xFFFF00;
inline constexpr TColor clWhite = 0xFFFFFF;
inline constexpr TColor clNone = 0x1FFFFFFF;
// No colour chosen yet: a bitmap's automatic transparent key.
inline constexpr TColor clDefault = 0x20000000;

// System colours (0x80000000 | number).
inline constexpr TColor SystemColor(int number) { return static_cast<TColor>(0x80000000u | static_cast<uint32_t>(number)); }
inline constexpr TColor clScrollBar = SystemColor(0);
inline constexpr TColor clBackground = SystemColor(1);
inline constexpr TColor clActiveCaption = SystemColor(2);
inline constexpr TColor clInactiveCaption = SystemColor(3);
inline constexpr TColor clMenu = SystemColor(4);
inline constexpr TColor clWindow = SystemColor(5);
inline constexpr TColor clWindowFrame = SystemColor(6);
inline constexpr TColor clMenuText = SystemColor(7);
inline constexpr TColor clWindowText = SystemColor(8);
inline constexpr TColor clCaptionText = SystemColor(9);
inline constexpr TColor clBtnFace = SystemColor(15);
inline constexpr TColor clBtnShadow = SystemColor(16);
inline constexpr TColor clGrayText = SystemColor(17);
inline constexpr TColor clBtnText = SystemColor(18);
inline constexpr TColor clBtnHighlight = SystemColor(20);
inline constexpr TColor clInfoText = SystemColor(23);
inline constexpr TColor clInfoBk = SystemColor(24);

// A negative value gives the system colour whose number is its low byte;
// any other value is returned unchanged.
TColor ResolveColor(TColor color);

inline constexpr uint8_t RedOf(TColor c) { return static_cast<uint8_t>(c); }
inline constexpr uint8_t GreenOf(TColor c) { return static_cast<uint8_t>(c >> 8); }
inline constexpr uint8_t BlueOf(TColor c) { return static_cast<uint8_t>(c >> 16); }
inline constexpr TColor RGB(uint8_t r, uint8_t g, uint8_t b)
{
    return static_cast<TColor>(uint32_t{r} | (uint32_t{g} << 8) | (uint32_t{b} << 16));
}

// The 32-bit device pixel of an RGB colour: bytes blue, green, red, 0 in
// memory, that is 0x00RRGGBB as a little-endian 32-bit value.
inline constexpr uint32_t DevicePixel(TColor rgb)
{
    return uint32_t{BlueOf(rgb)} | (uint32_t{GreenOf(rgb)} << 8) | (uint32_t{RedOf(rgb)} << 16);
}
inline constexpr TColor ColorOfDevicePixel(uint32_t pixel)
{
    return RGB(static_cast<uint8_t>(pixel >> 16), static_cast<uint8_t>(pixel >> 8), static_cast<uint8_t>(pixel));
}

}  // namespace tremalu
