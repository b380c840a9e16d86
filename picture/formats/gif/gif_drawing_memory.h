// The memory a GIF picture may hold, whatever its file declares.
//
// Reading keeps each frame's colour indices: never more than
// MaxGIFDecodedIndices for the whole picture (gif_lzw.h measures a frame's
// data before decoding it when the frame declares more than is left).
//
// Drawing makes more, and keeps most of it: each frame's bitmap and the
// mask of its transparent pixels (rendered once, on first use), the
// animation buffer (the logical screen), a painter's disposal buffers (the
// state between frames, a frame over it, what the surface showed) and, for
// the length of one draw, the blackened copy of a transparent frame. A few
// bytes can declare a screen and frames of nearly 2^28 pixels each, so the
// picture counts all of these against one budget: one bitmap cap's worth
// (2^28 pixels of 32 bits) beyond the bitmap it draws onto. Each is held
// (TGIFDrawingHold) before it is allocated and the hold goes with it; what
// does not fit is refused with "Mémoire insuffisante" before any of it is
// allocated. A long animation of ordinary frames (150 frames of 800 × 600
// hold about 80 MB) is far inside the budget.
#pragma once

#include "core/checked_math.h"

#include <atomic>
#include <cstdint>
#include <memory>

namespace tremalu {

// Decoded colour indices one picture may hold at once, all frames together.
inline constexpr uint64_t MaxGIFDecodedIndices = MaxBitmapPixels;
// Bytes one picture may hold for drawing.
inline constexpr uint64_t GIFDrawingBudgetBytes = MaxBitmapPixels * 4;

// Bytes of a bitmap of the given size: a device bitmap (32 bits per pixel),
// a frame bitmap (8 bits) and a mask (1 bit), rows padded to 32 bits.
uint64_t GIFDeviceBitmapBytes(int64_t width, int64_t height);
uint64_t GIFFrameBitmapBytes(int64_t width, int64_t height);
uint64_t GIFMaskBytes(int64_t width, int64_t height);

// The count of one picture's held bytes. Shared by the picture and every
// hold, so that a hold outliving the picture (a frame, a painter freed
// later) still has its count to give back to.
class TGIFDrawingMemory {
public:
    uint64_t Held() const { return FHeld.load(); }
    // EOutOfMemory ("Mémoire insuffisante") unless bytes more would fit
    // now; holds nothing.
    void Check(uint64_t bytes) const;

private:
    friend class TGIFDrawingHold;
    std::atomic<uint64_t> FHeld{0};
};

// Bytes held on a picture's budget for as long as the hold lives.
class TGIFDrawingHold {
public:
    TGIFDrawingHold() = default;
    // Holds bytes; EOutOfMemory ("Mémoire insuffisante") when the picture
    // would then hold more than its budget, and nothing is held.
    TGIFDrawingHold(const std::shared_ptr<TGIFDrawingMemory>& memory, uint64_t bytes);
    ~TGIFDrawingHold() { Release(); }
    TGIFDrawingHold(TGIFDrawingHold&& other) noexcept;
    TGIFDrawingHold& operator=(TGIFDrawingHold&& other) noexcept;
    TGIFDrawingHold(const TGIFDrawingHold&) = delete;
    TGIFDrawingHold& operator=(const TGIFDrawingHold&) = delete;

    // Gives the bytes back (the memory they stood for is gone).
    void Release() noexcept;
    uint64_t Bytes() const { return FBytes; }

private:
    std::shared_ptr<TGIFDrawingMemory> FMemory;
    uint64_t FBytes = 0;
};

}  // namespace tremalu
