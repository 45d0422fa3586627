// The marker segments around the entropy-coded data.
#pragma once

#include <array>

#include "codecs/jpeg/jpeg_layout.h"
#include "codecs/jpeg/jpeg_output.h"
#include "codecs/jpeg/jpeg_tables.h"

namespace jpeg {

// SOI and the JFIF APP0 segment.
void WriteFileStart(OutputBuffer& out);

// One DQT segment per table in use (8-bit values when all fit, else 16-bit), then SOF0, or
// SOF1 when a table needed 16 bits.
void WriteFrameHeader(OutputBuffer& out, const FrameLayout& layout, std::array<EncoderQuantTable, 2>& quant);

// One DHT segment per table in use, DC before AC for each component, then SOS for one
// interleaved scan of all components.
void WriteScanHeader(OutputBuffer& out, const FrameLayout& layout, std::array<EncoderHuffTable, 2>& dc,
                     std::array<EncoderHuffTable, 2>& ac);

// EOI.
void WriteFileEnd(OutputBuffer& out);

}  // namespace jpeg
