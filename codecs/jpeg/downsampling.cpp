#include "codecs/jpeg/downsampling.h"

#include <cstring>

namespace jpeg {

void ExtendRow(std::uint8_t* row, int width, int toWidth) {
    if (toWidth > width) std::memset(row + width, row[width - 1], static_cast<std::size_t>(toWidth - width));
}

void DownsampleRowPair(const std::uint8_t* upper, const std::uint8_t* lower, int outWidth,
                       std::uint8_t* out) {
    for (int x = 0; x < outWidth; ++x) {
        const int bias = 1 + (x & 1);
        out[x] = static_cast<std::uint8_t>(
            (upper[2 * x] + upper[2 * x + 1] + lower[2 * x] + lower[2 * x + 1] + bias) >> 2);
    }
}

}  // namespace jpeg
