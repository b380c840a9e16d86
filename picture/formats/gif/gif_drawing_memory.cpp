#include "formats/gif/gif_drawing_memory.h"

#include "core/errors.h"

#include <algorithm>
#include <utility>

namespace tremalu {

namespace {

// Rows of bitsPerPixel bits padded to 32 bits, times the height; sizes come
// from 16-bit fields or checked rectangles, so nothing here can overflow.
uint64_t PaddedBytes(int64_t width, int64_t height, uint64_t bitsPerPixel)
{
    if (width <= 0 || height <= 0)
        return 0;
    const uint64_t row = (static_cast<uint64_t>(width) * bitsPerPixel + 31) / 32 * 4;
    return row * static_cast<uint64_t>(height);
}

}  // namespace

uint64_t GIFDeviceBitmapBytes(int64_t width, int64_t height) { return PaddedBytes(width, height, 32); }
uint64_t GIFFrameBitmapBytes(int64_t width, int64_t height) { return PaddedBytes(width, height, 8); }
uint64_t GIFMaskBytes(int64_t width, int64_t height) { return PaddedBytes(width, height, 1); }

namespace {

void CheckRoom(uint64_t held, uint64_t bytes)
{
    if (bytes > GIFDrawingBudgetBytes - std::min(held, GIFDrawingBudgetBytes))
        throw EOutOfMemory(texts::OutOfMemory);
}

}  // namespace

void TGIFDrawingMemory::Check(uint64_t bytes) const { CheckRoom(FHeld.load(), bytes); }

TGIFDrawingHold::TGIFDrawingHold(const std::shared_ptr<TGIFDrawingMemory>& memory, uint64_t bytes)
{
    if (bytes == 0)
        return;
    uint64_t held = memory->FHeld.load();
    do {
        CheckRoom(held, bytes);
    } while (!memory->FHeld.compare_exchange_weak(held, held + bytes));
    FMemory = memory;
    FBytes = bytes;
}

TGIFDrawingHold::TGIFDrawingHold(TGIFDrawingHold&& other) noexcept
    : FMemory(std::move(other.FMemory)), FBytes(std::exchange(other.FBytes, 0))
{
}

TGIFDrawingHold& TGIFDrawingHold::operator=(TGIFDrawingHold&& other) noexcept
{
    if (this != &other) {
        Release();
        FMemory = std::move(other.FMemory);
        FBytes = std::exchange(other.FBytes, 0);
    }
    return *this;
}

void TGIFDrawingHold::Release() noexcept
{
    if (FMemory)
        FMemory->FHeld.fetch_sub(FBytes);
    FMemory.reset();
    FBytes = 0;
}

}  // namespace tremalu
