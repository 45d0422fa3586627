#include "core/bit_fields.h"

#include "core/packed_bitmap.h"

namespace {

class Channel {
  public:
    explicit Channel(std::uint32_t mask) : mask_(mask) {
        if (mask == 0) return;
        while (!(mask >> right_ & 1)) ++right_;
        int width = 0;
        while (width + right_ < 32 && mask >> (right_ + width)) ++width;
        if (width > 8) {
            right_ += width - 8;
        } else {
            left_ = 8 - width;
        }
    }
    BYTE operator()(std::uint32_t value) const {
        return static_cast<BYTE>(((value & mask_) >> right_) << left_);
    }

  private:
    std::uint32_t mask_;
    int right_ = 0;
    int left_ = 0;
};

}  // namespace

void UnpackBitFields(const BYTE* source, int depth, int width, int height, ChannelMasks masks, BYTE* target) {
    const Channel red(masks.red), green(masks.green), blue(masks.blue);
    const std::uint32_t sourceStride = RowBytes(depth, width), targetStride = RowBytes(24, width);
    const int pixelBytes = depth / 8;
    for (int row = 0; row < height; ++row) {
        const BYTE* in = source + std::size_t{sourceStride} * row;
        BYTE* out = target + std::size_t{targetStride} * row;
        for (int x = 0; x < width; ++x, in += pixelBytes, out += 3) {
            std::uint32_t value = in[0] | in[1] << 8;
            if (pixelBytes == 4) value |= std::uint32_t{in[2]} << 16 | std::uint32_t{in[3]} << 24;
            out[0] = blue(value);
            out[1] = green(value);
            out[2] = red(value);
        }
    }
}
