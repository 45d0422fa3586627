// The output side of a read: decompression set-up, then the picture's rows one at a time.
#pragma once

#include <cstdint>

#include "codecs/jpeg/decoder/decoder_context.h"

namespace jpeg::decoder {

// Chooses the colour conversion and the upsampling, allocates the sample buffers and the
// coefficient stores, collects every scan of a multi-scan file, and prepares the first row.
void StartDecompress(JpegDecoderContext& c);

// Writes the next row of the picture, top to bottom, as 3 * width bytes.
void ReadScanline(JpegDecoderContext& c, std::uint8_t* row);

}  // namespace jpeg::decoder
