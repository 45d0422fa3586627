// The input side of a read: markers between scans, the frame's geometry at the first scan, and
// the start and end of each scan's input pass.
#pragma once

#include "codecs/jpeg/decoder/decoder_context.h"

namespace jpeg::decoder {

// What ConsumeInput reached.
constexpr int kRowCompleted = 3, kScanCompleted = 4;

// Runs the current input operation: markers up to the next SOS or EOI between scans (1 or 2),
// or one iMCU row of a scan of a multi-scan file (3, or 4 at the scan's end).
int ConsumeInput(JpegDecoderContext& c);

// Prepares the scan whose header was just read: its MCU geometry, the quantisation tables of
// its components, its entropy decoder and the coefficient input.
void StartInputPass(JpegDecoderContext& c);

// Back to reading markers.
void FinishInputPass(JpegDecoderContext& c);

}  // namespace jpeg::decoder
