// Row operations of the perceptual score: sRGB to linear light, halving, linear light to XYB and
// the Gaussian blur. The prepared original and each candidate go through the same functions, so
// an identical candidate gives the original's values to the last bit.
#pragma once

#include <cstdint>

// The blur reaches this many pixels to either side.
constexpr int kBlurRadius = 4;
constexpr int kBlurRows = 2 * kBlurRadius + 1;

// One row of a 24-bit bitmap (blue, green, red bytes) in linear light, 0 to 1.
void LinearRow(const std::uint8_t* bgr, int width, float* red, float* green, float* blue);

// Two rows halved into (width + 1) / 2 pixels, each the mean of a 2 x 2 block; an odd width
// repeats its last column.
void HalvedRow(const float* top, const float* bottom, int width, float* out);

// Linear RGB to XYB (opsin mix, bias, cube root), shifted and scaled so that every channel is
// positive.
void XybRow(const float* red, const float* green, const float* blue, int width, float* x, float* y, float* b);

// The Gaussian of sigma 1.5 along a row, zero outside the picture. `padded` holds the row with
// kBlurRadius zeros before and after it.
void BlurAlong(const float* padded, int width, float* out);

// The same Gaussian across rows: `rows` are the kBlurRows rows centred on the one blurred, rows
// of zeros beyond the picture.
void BlurAcross(const float* const* rows, int width, float* out);
