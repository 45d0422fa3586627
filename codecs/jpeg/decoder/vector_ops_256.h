// The operations the decoder's width-generic vector steps take, on 256-bit vectors (AVX2), whose
// 128-bit halves work alone. Each file that includes it has its own copy, and includes it after
// KORVI_BEGIN_AVX2.
#pragma once

#include <immintrin.h>

// The vector type's may_alias attribute does not pass on to the templates it is given to; they
// never alias through it.
#pragma GCC diagnostic ignored "-Wignored-attributes"

namespace jpeg::decoder {
namespace {

using V256 = __m256i;

inline V256 Zero(V256) {
    return _mm256_setzero_si256();
}
inline V256 Splat16(V256, int value) {
    return _mm256_set1_epi16(static_cast<short>(value));
}
inline V256 Splat32(V256, int value) {
    return _mm256_set1_epi32(value);
}
inline V256 Add16(V256 a, V256 b) {
    return _mm256_add_epi16(a, b);
}
inline V256 Sub16(V256 a, V256 b) {
    return _mm256_sub_epi16(a, b);
}
inline V256 Add32(V256 a, V256 b) {
    return _mm256_add_epi32(a, b);
}
inline V256 Sub32(V256 a, V256 b) {
    return _mm256_sub_epi32(a, b);
}
inline V256 Or(V256 a, V256 b) {
    return _mm256_or_si256(a, b);
}
inline V256 MultiplyLow16(V256 a, V256 b) {
    return _mm256_mullo_epi16(a, b);
}
inline V256 MultiplyAddPairs(V256 a, V256 b) {
    return _mm256_madd_epi16(a, b);
}
inline V256 Greater16(V256 a, V256 b) {
    return _mm256_cmpgt_epi16(a, b);
}
inline V256 UnpackLow16(V256 a, V256 b) {
    return _mm256_unpacklo_epi16(a, b);
}
inline V256 UnpackHigh16(V256 a, V256 b) {
    return _mm256_unpackhi_epi16(a, b);
}
inline V256 UnpackLow32(V256 a, V256 b) {
    return _mm256_unpacklo_epi32(a, b);
}
inline V256 UnpackHigh32(V256 a, V256 b) {
    return _mm256_unpackhi_epi32(a, b);
}
inline V256 UnpackLow64(V256 a, V256 b) {
    return _mm256_unpacklo_epi64(a, b);
}
inline V256 UnpackHigh64(V256 a, V256 b) {
    return _mm256_unpackhi_epi64(a, b);
}
inline V256 PackSaturated32(V256 a, V256 b) {
    return _mm256_packs_epi32(a, b);
}
template <int Bits>
inline V256 ShiftLeft16(V256 a) {
    return _mm256_slli_epi16(a, Bits);
}
template <int Bits>
inline V256 ShiftRightSigned16(V256 a) {
    return _mm256_srai_epi16(a, Bits);
}
template <int Bits>
inline V256 ShiftRightSigned32(V256 a) {
    return _mm256_srai_epi32(a, Bits);
}
// Each 128-bit half moved down by one 16-bit lane.
inline V256 DropFirstLane16(V256 a) {
    return _mm256_srli_si256(a, 2);
}
inline bool AnySet(V256 a) {
    return _mm256_movemask_epi8(a) != 0;
}

}  // namespace
}  // namespace jpeg::decoder
