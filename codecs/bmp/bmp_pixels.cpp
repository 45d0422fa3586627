#include "codecs/bmp/bmp_pixels.h"

#include <algorithm>

// Channels of up to 8 bits are scaled to the whole range, rounded; wider ones keep their top 8 bits.
BmpPixelConverter::Channel::Channel(std::uint32_t mask) : mask_(mask) {
    if (mask == 0) return;
    while (!(mask >> shift_ & 1)) ++shift_;
    while (mask >> shift_ > 0xFF) ++shift_;
    const std::uint32_t largest = mask >> shift_;
    for (std::uint32_t value = 0; value <= largest; ++value)
        table_[value] = std::uint8_t((value * 510 + largest) / (2 * largest));
}

int BmpPixelConverter::Channel::operator()(std::uint32_t value) const {
    return table_[(value & mask_) >> shift_];
}

BmpPixelConverter::BmpPixelConverter(const BmpLayout& layout, std::uint32_t background)
    : layout_(layout),
      background_{int(background >> 16 & 0xFF), int(background >> 8 & 0xFF), int(background & 0xFF)},
      red_(layout.masks.red),
      green_(layout.masks.green),
      blue_(layout.masks.blue),
      alpha_(layout.masks.alpha) {}

void BmpPixelConverter::ConvertRow(const std::uint8_t* stored, std::uint8_t* out) const {
    const int width = layout_.width, depth = layout_.depth;
    switch (layout_.pixels) {
        case BmpPixels::kPalette: {
            const int perByte = 8 / depth, mask = (1 << depth) - 1;
            for (int x = 0; x < width; ++x, out += 3) {
                const int shift = 8 - depth * (x % perByte + 1);
                std::copy_n(layout_.palette[stored[x / perByte] >> shift & mask], 3, out);
            }
            break;
        }
        case BmpPixels::kRgb24:
            std::copy_n(stored, std::size_t(width) * 3, out);
            break;
        case BmpPixels::kBitFields:
            ConvertBitFields(stored, out);
            break;
        default:
            break;
    }
}

void BmpPixelConverter::ConvertBitFields(const std::uint8_t* stored, std::uint8_t* out) const {
    const int pixelBytes = layout_.depth / 8;
    const bool opaque = !alpha_.present();
    for (int x = 0; x < layout_.width; ++x, stored += pixelBytes, out += 3) {
        std::uint32_t value = stored[0] | std::uint32_t(stored[1]) << 8;
        if (pixelBytes == 4) value |= std::uint32_t(stored[2]) << 16 | std::uint32_t(stored[3]) << 24;
        const int colour[3] = {blue_(value), green_(value), red_(value)};
        const int alpha = opaque ? 255 : alpha_(value);
        for (int c = 0; c < 3; ++c)
            out[c] = std::uint8_t(
                alpha == 255 ? colour[c] : (colour[c] * alpha + background_[c] * (255 - alpha) + 127) / 255);
    }
}
