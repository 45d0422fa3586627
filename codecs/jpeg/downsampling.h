// Rows of a component brought to its sampled size and extended to whole blocks.
#pragma once

#include <cstdint>

namespace jpeg {

// Repeats the last of `width` samples up to `toWidth`.
void ExtendRow(std::uint8_t* row, int width, int toWidth);

// Averages 2 x 2 samples of two rows into `outWidth` samples; the bias alternates 1, 2, 1, 2, ...
// so that halves round up and down in turn. The input rows hold 2 * outWidth samples.
void DownsampleRowPair(const std::uint8_t* upper, const std::uint8_t* lower, int outWidth, std::uint8_t* out);

}  // namespace jpeg
