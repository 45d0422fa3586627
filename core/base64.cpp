#include "core/base64.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// The two characters of every 12-bit value, so that three bytes take two look-ups.
using PairTable = std::array<char, 2 * 4096>;

constexpr PairTable MakePairs() {
    PairTable pairs{};
    for (int value = 0; value < 4096; ++value) {
        pairs[2 * value] = kAlphabet[value >> 6];
        pairs[2 * value + 1] = kAlphabet[value & 63];
    }
    return pairs;
}

constexpr PairTable kPairs = MakePairs();

}  // namespace

void Base64EncodeTo(const BYTE* bytes, std::size_t count, char* out) {
    std::size_t i = 0;
    for (; i + 3 <= count; i += 3, out += 4) {
        const std::uint32_t group =
            std::uint32_t{bytes[i]} << 16 | std::uint32_t{bytes[i + 1]} << 8 | bytes[i + 2];
        std::memcpy(out, &kPairs[2 * (group >> 12)], 2);
        std::memcpy(out + 2, &kPairs[2 * (group & 0xFFF)], 2);
    }
    if (i == count) return;
    const bool two = count - i == 2;
    const std::uint32_t group = std::uint32_t{bytes[i]} << 16 | (two ? std::uint32_t{bytes[i + 1]} << 8 : 0);
    out[0] = kAlphabet[group >> 18];
    out[1] = kAlphabet[group >> 12 & 63];
    out[2] = two ? kAlphabet[group >> 6 & 63] : '=';
    out[3] = '=';
}
