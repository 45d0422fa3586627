#include "codecs/bmp/bmp_pixels.h"

#include <algorithm>

namespace {

constexpr std::uint32_t kLargestTable = 0xFFFF;

// The value of a channel whose largest value is `largest`: scaled to 0..255 and rounded where
// it has up to 8 bits, its top 8 bits where it has more.
std::uint8_t Scale(std::uint32_t value, std::uint32_t largest) {
    int wider = 0;
    while (largest >> wider > 0xFF) ++wider;
    if (wider > 0) return std::uint8_t(value >> wider);
    return std::uint8_t((value * 510 + largest) / (2 * largest));
}

}  // namespace

BmpPixelConverter::Channel::Channel(std::uint32_t mask) : mask_(mask) {
    if (mask == 0) return;
    while (!(mask >> shift_ & 1)) ++shift_;
    largest_ = mask >> shift_;
    if (largest_ > kLargestTable) return;
    table_.resize(largest_ + 1);
    for (std::uint32_t value = 0; value <= largest_; ++value) table_[value] = Scale(value, largest_);
}

int BmpPixelConverter::Channel::operator()(std::uint32_t value) const {
    if (mask_ == 0) return 0;
    const std::uint32_t bits = (value & mask_) >> shift_;
    return table_.empty() ? Scale(bits, largest_) : table_[bits];
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
    for (int x = 0; x < layout_.width; ++x, stored += pixelBytes, out += 3) {
        std::uint32_t value = stored[0] | std::uint32_t(stored[1]) << 8;
        if (pixelBytes == 4) value |= std::uint32_t(stored[2]) << 16 | std::uint32_t(stored[3]) << 24;
        const int colour[3] = {blue_(value), green_(value), red_(value)};
        const int alpha = alpha_.present() ? alpha_(value) : 255;
        for (int c = 0; c < 3; ++c)
            out[c] = std::uint8_t((colour[c] * alpha + background_[c] * (255 - alpha) + 127) / 255);
    }
}
