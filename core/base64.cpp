#include "core/base64.h"

#include <array>
#include <cstdint>
#include <cstring>

#include "core/base64_vector.h"
#include "core/vector_level.h"

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

// Whole groups of three bytes that vector code encodes from the start.
std::size_t EncodeVectorGroups(const BYTE* bytes, std::size_t count, char* out) {
#if defined(KORVI_X86)
    const VectorLevel level = CurrentVectorLevel();
    if (level == VectorLevel::kAvx2) return Base64EncodeAvx2(bytes, count, out);
    if (level == VectorLevel::kSsse3) return Base64EncodeSsse3(bytes, count, out);
#else
    (void)bytes, (void)count, (void)out;
#endif
    return 0;
}

}  // namespace

void Base64EncodeTo(const BYTE* bytes, std::size_t count, char* out) {
    std::size_t i = EncodeVectorGroups(bytes, count, out);
    out += i / 3 * 4;
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
