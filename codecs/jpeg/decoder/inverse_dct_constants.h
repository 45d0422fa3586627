// The constants the inverse DCT shares between its scalar and vector forms.
#pragma once

#include <array>
#include <cstdint>

namespace jpeg::decoder {

// Each factor times 2^13, rounded.
constexpr std::uint32_t kC0298 = 2446, kC0390 = 3196, kC0541 = 4433, kC0765 = 6270, kC0899 = 7373,
                        kC1175 = 9633, kC1501 = 12299, kC1847 = 15137, kC1961 = 16069, kC2053 = 16819,
                        kC2562 = 20995, kC3072 = 25172;

// Samples for a 10-bit result j of the transform: j + 128 up to 127, then 255 up to 511, then 0
// up to 895, then j - 896: saturating near the range, wrapping far from it.
constexpr std::array<std::uint8_t, 1024> kIdctRangeLimit = [] {
    std::array<std::uint8_t, 1024> table{};
    for (int j = 0; j < 1024; ++j) {
        const int value = j <= 127 ? j + 128 : j <= 511 ? 255 : j <= 895 ? 0 : j - 896;
        table[j] = static_cast<std::uint8_t>(value);
    }
    return table;
}();

}  // namespace jpeg::decoder
