// The markers and segments between the entropy-coded scans.
#pragma once

#include "codecs/jpeg/decoder/decoder_context.h"

namespace jpeg::decoder {

constexpr int kReachedSos = 1, kReachedEoi = 2;

// Acts on markers until SOS (its header read) or EOI, and returns which it met.
int ReadMarkers(JpegDecoderContext& c);

// Skips to the next marker and keeps its code as the unread marker.
void NextMarker(JpegDecoderContext& c);

// Takes the restart marker the scan expects next, or resynchronises when another comes.
void ReadRestartMarker(JpegDecoderContext& c);

}  // namespace jpeg::decoder
