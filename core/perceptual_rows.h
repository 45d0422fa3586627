// Row operations of the perceptual score: sRGB to linear light, halving, linear light to XYB and
// the Gaussian blur. The prepared original and each candidate go through the same functions, so
// an identical candidate gives the original's values to the last bit.
#pragma once

#include <array>
#include <cstdint>

// The blur reaches this many pixels to either side.
constexpr int kBlurRadius = 4;
constexpr int kBlurRows = 2 * kBlurRadius + 1;

// The linear light, 0 to 1, of each sRGB byte.
const std::array<float, 256>& LinearOfByte();

// One row of a 24-bit bitmap (blue, green, red bytes) in linear light, 0 to 1.
void LinearRow(const std::uint8_t* bgr, int width, float* red, float* green, float* blue);

// Two rows halved into (width + 1) / 2 pixels, each the mean of a 2 x 2 block; an odd width
// repeats its last column.
void HalvedRow(const float* top, const float* bottom, int width, float* out);

// Linear RGB to XYB (opsin mix, bias, cube root), shifted and scaled so that every channel is
// positive.
void XybRow(const float* __restrict red, const float* __restrict green, const float* __restrict blue,
            int width, float* __restrict x, float* __restrict y, float* __restrict b);

// The Gaussian of sigma 1.5 along a row, zero outside the picture. `padded` holds the row with
// kBlurRadius zeros before and after it.
void BlurAlong(const float* padded, int width, float* out);

// The same Gaussian across rows: `rows` are the kBlurRows rows centred on the one blurred, rows
// of zeros beyond the picture.
void BlurAcross(const float* const* rows, int width, float* out);

// The maps compared row by row add their values and the values' fourth powers to sums kept per
// column: the SSIM error (local means, variances and covariance of the original, 1, and of the
// candidate, 2)...
void AddSsimErrorRow(const float* __restrict mean1, const float* __restrict variance1,
                     const float* __restrict mean2, const float* __restrict square2,
                     const float* __restrict cross, int width, float* __restrict sum, float* __restrict sum4);

// ...and the two edge maps: where the candidate departs more from its local mean than the
// original does (artifacts), and less (detail lost).
void AddEdgeRows(const float* __restrict xyb1, const float* __restrict mean1, const float* __restrict xyb2,
                 const float* __restrict mean2, int width, float* __restrict artifactSum,
                 float* __restrict artifactSum4, float* __restrict lostSum, float* __restrict lostSum4);
