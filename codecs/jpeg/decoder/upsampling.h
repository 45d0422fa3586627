// Bringing a subsampled component's rows to the picture's size.
#pragma once

#include <cstdint>

#include "codecs/jpeg/decoder/decoder_context.h"

namespace jpeg::decoder {

// The method for a component of factors h x v in a frame of largest factors H x V, and its
// expansion; refuses (-70) factors that do not divide the largest ones.
UpsampleMethod ChooseUpsampling(int h, int v, int maxH, int maxV, int downsampledWidth, int& hExpand,
                                int& vExpand);

// Doubles `width` samples (more than 2) with the weights 3/4 and 1/4 of the nearer and the
// farther neighbour; the end samples are kept.
void UpsampleTriangle2x1(const std::uint8_t* in, int width, std::uint8_t* out);

// One output row of the 2 x 2 triangle filter: `nearer` is the input row it lies in, `farther` the
// row above (for the upper output row) or below (for the lower).
void UpsampleTriangle2x2(const std::uint8_t* nearer, const std::uint8_t* farther, int width,
                         std::uint8_t* out);

// The two filters one output pair at a time: their definition, which the vector forms follow.
// Inputs from `from` on are done here (the vector form did those before); the two ends of the
// row always are.
void UpsampleTriangle2x1Scalar(const std::uint8_t* in, int width, std::uint8_t* out, int from = 1);
void UpsampleTriangle2x2Scalar(const std::uint8_t* nearer, const std::uint8_t* farther, int width,
                               std::uint8_t* out, int from = 1);

// Each sample `expand` times, up to `outWidth` outputs.
void UpsampleBox(const std::uint8_t* in, int outWidth, int expand, std::uint8_t* out);

}  // namespace jpeg::decoder
