// A whole JPEG file in memory decoded into a picture.
#pragma once

#include <cstddef>
#include <cstdint>

#include "codecs/jpeg/decoder/decoder_context.h"
#include "core/packed_bitmap.h"

namespace jpeg::decoder {

// Decodes `size` bytes into a new 24-bit picture in `result` (0), or returns a JpegReadStatus
// with `result` null. Nothing is left allocated on any path.
JpegReadStatus DecodeJpeg(const std::uint8_t* data, std::size_t size, const DecodeLimits& limits,
                          PackedBitmap* result);

}  // namespace jpeg::decoder
