// Unpacking of 16 and 32-bit pixels through channel masks into 24-bit blue, green, red.
#pragma once

#include <cstdint>

#include "platform/kernel.h"

struct ChannelMasks {
    std::uint32_t red, green, blue;
};

constexpr ChannelMasks kRgb555Masks{0x7C00, 0x03E0, 0x001F};
constexpr ChannelMasks kRgb888Masks{0xFF0000, 0x00FF00, 0x0000FF};

// Converts `height` rows of `width` pixels of `depth` (16 or 32) bits, each source row padded
// to 4 bytes, into 24-bit rows padded to 4 bytes. Channels narrower than 8 bits are scaled up
// by a left shift; wider ones keep their top 8 bits.
void UnpackBitFields(const BYTE* source, int depth, int width, int height, ChannelMasks masks, BYTE* target);
