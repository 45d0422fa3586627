// Output rows: samples of the components converted to 24-bit pixels (blue, green, red).
#pragma once

#include <cstdint>

namespace jpeg::decoder {

// Y, Cb, Cr to blue, green, red with 16-bit fixed-point factors, clamped to 0..255.
void ConvertYCbCrRow(const std::uint8_t* y, const std::uint8_t* cb, const std::uint8_t* cr, int width,
                     std::uint8_t* bgr);
// The same one pixel at a time by the four tables: the definition the vector form follows.
void ConvertYCbCrRowScalar(const std::uint8_t* y, const std::uint8_t* cb, const std::uint8_t* cr, int width,
                           std::uint8_t* bgr);

void ConvertRgbRow(const std::uint8_t* r, const std::uint8_t* g, const std::uint8_t* b, int width,
                   std::uint8_t* bgr);

// Three equal bytes per pixel.
void ConvertGrayRow(const std::uint8_t* y, int width, std::uint8_t* bgr);
void ConvertGrayRowScalar(const std::uint8_t* y, int width, std::uint8_t* bgr);

}  // namespace jpeg::decoder
