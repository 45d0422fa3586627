// A 1, 4 or 8-bit bitmap as the GIF writer reads it, its rows handed out as one colour index
// byte per pixel.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "core/packed_bitmap.h"

class PaletteRows {
  public:
    // Takes the header of a complete bitmap (IsCompleteBitmap). Throws GifWriteFailure:
    // unsupported when the planes or depth are not what a GIF holds, out of memory when a row
    // buffer cannot be had.
    explicit PaletteRows(const BITMAPINFOHEADER* header);

    std::int32_t width() const { return width_; }
    std::int32_t height() const { return height_; }
    std::uint32_t colours() const { return colours_; }
    const RGBQUAD* table() const { return table_; }

    // The indices of picture row `row` (0 is the top line), valid until the next call. Throws
    // GifWriteFailure (unsupported) when an index lies outside the file's colour table.
    const BYTE* Indices(std::int32_t row);

  private:
    std::int32_t width_ = 0, height_ = 0;
    int depth_ = 0;
    std::uint32_t colours_ = 0;
    std::uint32_t indexLimit_ = 0;  // the entries of the file's colour table
    std::size_t stride_ = 0;
    const RGBQUAD* table_ = nullptr;
    const BYTE* rows_ = nullptr;
    std::unique_ptr<BYTE[]> unpacked_;
};
