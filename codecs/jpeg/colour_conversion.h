// RGB to YCbCr by table look-up, 16 fractional bits, no clamping needed.
#pragma once

#include <array>
#include <cstdint>

namespace jpeg {

class ColourConverter {
  public:
    ColourConverter();

    // A row of 24-bit pixels (blue, green, red) into the three planes.
    void ConvertRow(const std::uint8_t* bgr, int width, std::uint8_t* y, std::uint8_t* cb,
                    std::uint8_t* cr) const;

    void Convert(int r, int g, int b, std::uint8_t& y, std::uint8_t& cb, std::uint8_t& cr) const {
        y = static_cast<std::uint8_t>((yR_[r] + yG_[g] + yB_[b]) >> 16);
        cb = static_cast<std::uint8_t>((cbR_[r] + cbG_[g] + half_[b]) >> 16);
        cr = static_cast<std::uint8_t>((half_[r] + crG_[g] + crB_[b]) >> 16);
    }

  private:
    using Table = std::array<std::int32_t, 256>;
    // Y from R, G, B (B carries the rounding); Cb from R, G; the 0.5 table (B of Cb, R of Cr,
    // carrying the offset 128 and the rounding); Cr from G, B.
    Table yR_, yG_, yB_, cbR_, cbG_, half_, crG_, crB_;
};

// The colours of a palette converted once, so that an index row converts by look-up.
class PaletteConverter {
  public:
    // `colours` entries of blue, green, red, reserved; indices beyond them are black.
    PaletteConverter(const ColourConverter& converter, const std::uint8_t* colours, int count);

    void ConvertRow(const std::uint8_t* indices, int width, std::uint8_t* y, std::uint8_t* cb,
                    std::uint8_t* cr) const;

  private:
    std::array<std::uint8_t, 256> y_, cb_, cr_;
};

}  // namespace jpeg
