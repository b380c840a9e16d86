// Four-component JPEG files (CMYK and YCCK) shown in red, green and blue.
//
// The codec hands both kinds over as C, M, Y, K samples (it converts YCCK
// itself). Files that carry the Adobe marker, which is what Adobe
// applications write, store the inks inverted (0 is full ink); others store
// them plainly. Without a colour profile, viewers show such files with the
// plain conversion: each of red, green and blue is the complement of its ink
// attenuated by the black, R = (255 − C) × (255 − K) / 255.
#pragma once

#include <cstdint>

namespace tremalu {

// width pixels of C, M, Y, K bytes into blue, green, red bytes. With gray,
// the three bytes all hold the pixel's gray level (0.299 R + 0.587 G +
// 0.114 B, as the codec weighs them).
void CmykRowToBgr(const uint8_t* cmyk, uint8_t* bgr, uint32_t width, bool adobeInverted, bool gray);

}  // namespace tremalu
