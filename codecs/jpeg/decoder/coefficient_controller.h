// Where decoded coefficients go: straight through the inverse DCT for a file of one scan, or
// into whole-image stores when the file has several scans.
#pragma once

#include "codecs/jpeg/decoder/decoder_context.h"

namespace jpeg::decoder {

// Allocates the stores of a multi-scan file, zero-filled.
void SetUpCoefficients(JpegDecoderContext& c);

void StartInputCoefficients(JpegDecoderContext& c);

// Multi-scan files: decodes the next iMCU row of the current scan into the stores; returns 3,
// or 4 after the scan's last row.
int ConsumeData(JpegDecoderContext& c);

void StartOutputCoefficients(JpegDecoderContext& c);

// Produces the samples of the next iMCU row of every component into `slot` of its sample
// buffer: 8 * v rows. Returns 3 while iMCU rows remain, 4 after the last one.
int DecompressData(JpegDecoderContext& c, int slot);

}  // namespace jpeg::decoder
