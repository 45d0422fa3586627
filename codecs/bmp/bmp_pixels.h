// Stored pixels of a BMP file turned into 24-bit blue, green, red, with an alpha channel
// composed over a background colour.
#pragma once

#include <cstdint>

#include "codecs/bmp/bmp_layout.h"

class BmpPixelConverter {
  public:
    // `background` is a COLORREF, 0x00BBGGRR.
    BmpPixelConverter(const BmpLayout& layout, std::uint32_t background);

    // Converts one stored row of an uncompressed layout into `width` pixels.
    void ConvertRow(const std::uint8_t* stored, std::uint8_t* out) const;

  private:
    // A channel of bit fields, scaled to 0 to 255 through a table; a zero mask reads as 0.
    class Channel {
      public:
        explicit Channel(std::uint32_t mask);
        int operator()(std::uint32_t value) const;
        bool present() const { return mask_ != 0; }

      private:
        std::uint32_t mask_ = 0;
        int shift_ = 0;
        std::uint8_t table_[256] = {};
    };

    void ConvertBitFields(const std::uint8_t* stored, std::uint8_t* out) const;

    const BmpLayout& layout_;
    int background_[3];  // blue, green, red
    Channel red_, green_, blue_, alpha_;
};
