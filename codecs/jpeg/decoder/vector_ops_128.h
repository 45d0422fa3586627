// The operations the decoder's width-generic vector steps take, on 128-bit vectors (SSE2). Each
// file that includes it has its own copy.
#pragma once

#include <emmintrin.h>

// The vector type's may_alias attribute does not pass on to the templates it is given to; they
// never alias through it.
#pragma GCC diagnostic ignored "-Wignored-attributes"

namespace jpeg::decoder {
namespace {

using V128 = __m128i;

inline V128 Zero(V128) {
    return _mm_setzero_si128();
}
inline V128 Splat16(V128, int value) {
    return _mm_set1_epi16(static_cast<short>(value));
}
inline V128 Splat32(V128, int value) {
    return _mm_set1_epi32(value);
}
inline V128 Add16(V128 a, V128 b) {
    return _mm_add_epi16(a, b);
}
inline V128 Sub16(V128 a, V128 b) {
    return _mm_sub_epi16(a, b);
}
inline V128 Add32(V128 a, V128 b) {
    return _mm_add_epi32(a, b);
}
inline V128 Sub32(V128 a, V128 b) {
    return _mm_sub_epi32(a, b);
}
inline V128 Or(V128 a, V128 b) {
    return _mm_or_si128(a, b);
}
inline V128 MultiplyLow16(V128 a, V128 b) {
    return _mm_mullo_epi16(a, b);
}
inline V128 MultiplyAddPairs(V128 a, V128 b) {
    return _mm_madd_epi16(a, b);
}
inline V128 Greater16(V128 a, V128 b) {
    return _mm_cmpgt_epi16(a, b);
}
inline V128 UnpackLow16(V128 a, V128 b) {
    return _mm_unpacklo_epi16(a, b);
}
inline V128 UnpackHigh16(V128 a, V128 b) {
    return _mm_unpackhi_epi16(a, b);
}
inline V128 UnpackLow32(V128 a, V128 b) {
    return _mm_unpacklo_epi32(a, b);
}
inline V128 UnpackHigh32(V128 a, V128 b) {
    return _mm_unpackhi_epi32(a, b);
}
inline V128 UnpackLow64(V128 a, V128 b) {
    return _mm_unpacklo_epi64(a, b);
}
inline V128 UnpackHigh64(V128 a, V128 b) {
    return _mm_unpackhi_epi64(a, b);
}
inline V128 PackSaturated32(V128 a, V128 b) {
    return _mm_packs_epi32(a, b);
}
template <int Bits>
inline V128 ShiftLeft16(V128 a) {
    return _mm_slli_epi16(a, Bits);
}
template <int Bits>
inline V128 ShiftRightSigned16(V128 a) {
    return _mm_srai_epi16(a, Bits);
}
template <int Bits>
inline V128 ShiftRightSigned32(V128 a) {
    return _mm_srai_epi32(a, Bits);
}
// Each 128-bit half moved down by one 16-bit lane.
inline V128 DropFirstLane16(V128 a) {
    return _mm_srli_si128(a, 2);
}
inline bool AnySet(V128 a) {
    return _mm_movemask_epi8(a) != 0;
}

}  // namespace
}  // namespace jpeg::decoder
