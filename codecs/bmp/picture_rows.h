// The rows of a 24-bit picture in the order a BMP file stores them.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "core/packed_bitmap.h"

class PictureRows {
  public:
    PictureRows(BITMAPINFOHEADER* header, bool topDown)
        : rows_(PixelRows(header)),
          stride_(RowBytes(24, header->biWidth)),
          width_(header->biWidth),
          height_(header->biHeight),
          topDown_(topDown) {}

    int width() const { return width_; }
    int height() const { return height_; }
    // The `index`th row stored in the file.
    std::uint8_t* Row(int index) const {
        const int fromBottom = topDown_ ? height_ - 1 - index : index;
        return rows_ + std::size_t(stride_) * std::size_t(fromBottom);
    }
    void Fill(int index, const std::uint8_t colour[3]) const {
        std::uint8_t* pixel = Row(index);
        for (int x = 0; x < width_; ++x, pixel += 3) std::copy_n(colour, 3, pixel);
    }

  private:
    std::uint8_t* rows_;
    std::uint32_t stride_;
    int width_, height_;
    bool topDown_;
};
