// A 24-bit picture locked for reading, accepted only when its block holds every row its
// header announces.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/packed_bitmap.h"

class TrueColourSource {
  public:
    explicit TrueColourSource(PackedBitmap bitmap);

    // False when the block cannot be locked, is not 24-bit, has no pixels or is too short.
    explicit operator bool() const { return rows_ != nullptr; }

    std::int32_t width() const { return width_; }
    std::int32_t height() const { return height_; }
    // Stored row i: 0 is the bottom line; pixels are blue, green, red.
    const BYTE* Row(std::int32_t i) const { return rows_ + stride_ * static_cast<std::size_t>(i); }

  private:
    BitmapLock lock_;
    std::int32_t width_ = 0, height_ = 0;
    std::size_t stride_ = 0;
    const BYTE* rows_ = nullptr;
};
