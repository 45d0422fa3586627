// Huffman decoding of the scans into quantised coefficients: the sequential MCU decoder, the
// four progressive ones, and restart markers.
#pragma once

#include "codecs/jpeg/decoder/decoder_context.h"

namespace jpeg::decoder {

// Checks the scan's parameters and tables, chooses its decoder and resets the predictors, the
// bit reader and the restart count.
void StartScanDecoding(JpegDecoderContext& c);

// Decodes the next MCU of the scan into its blocks, one per block of the MCU in membership
// order; false when it lies behind the end of the scan's data and is passed over. Sequential
// scans replace what the blocks hold; progressive ones add to it, and keep each block's map of
// nonzero AC coefficients (bit k for zigzag position k) in `nonzero`, which only they need.
bool DecodeMcu(JpegDecoderContext& c, CoefficientBlock* const* blocks, std::uint64_t* const* nonzero);

// The next `count` MCUs of a progressive scan whose MCUs are one block each, into consecutive
// blocks and their maps, as DecodeMcu does each.
void DecodeOneBlockMcus(JpegDecoderContext& c, CoefficientBlock* blocks, std::uint64_t* nonzero, int count);

}  // namespace jpeg::decoder
