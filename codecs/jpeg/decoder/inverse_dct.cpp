#include "codecs/jpeg/decoder/inverse_dct.h"

#include <array>

#include "codecs/jpeg/decoder/inverse_dct_constants.h"
#include "codecs/jpeg/decoder/inverse_dct_vector.h"

namespace jpeg::decoder {
namespace {

using U = std::uint32_t;

inline U Descale(U x, int n) {
    return static_cast<U>(static_cast<std::int32_t>(x + (1u << (n - 1))) >> n);
}

// One 1-D pass over eight values: the even part from 0, 2, 4, 6, the odd part from 1, 3, 5, 7.
// Outputs before descaling, in order 0 to 7.
inline void Transform(const U d[8], U out[8]) {
    U z1 = (d[2] + d[6]) * kC0541;
    const U t2 = z1 - d[6] * kC1847;
    const U t3 = z1 + d[2] * kC0765;
    const U t0 = (d[0] + d[4]) << 13;
    const U t1 = (d[0] - d[4]) << 13;
    const U t10 = t0 + t3, t13 = t0 - t3, t11 = t1 + t2, t12 = t1 - t2;

    U a0 = d[7], a1 = d[5], a2 = d[3], a3 = d[1];
    z1 = a0 + a3;
    U z2 = a1 + a2, z3 = a0 + a2, z4 = a1 + a3;
    const U z5 = (z3 + z4) * kC1175;
    a0 *= kC0298;
    a1 *= kC2053;
    a2 *= kC3072;
    a3 *= kC1501;
    z1 *= 0u - kC0899;
    z2 *= 0u - kC2562;
    z3 = z3 * (0u - kC1961) + z5;
    z4 = z4 * (0u - kC0390) + z5;
    a0 += z1 + z3;
    a1 += z2 + z4;
    a2 += z2 + z3;
    a3 += z1 + z4;

    out[0] = t10 + a3;
    out[7] = t10 - a3;
    out[1] = t11 + a2;
    out[6] = t11 - a2;
    out[2] = t12 + a1;
    out[5] = t12 - a1;
    out[3] = t13 + a0;
    out[4] = t13 - a0;
}

}  // namespace

IdctTable MakeIdctTable(const std::array<std::int32_t, 64>& multipliers) {
    IdctTable table;
    table.multipliers = multipliers;
    for (int i = 0; i < 64; ++i) {
        const std::int32_t m = multipliers[i];
        table.narrow[i] = static_cast<std::int16_t>(m >= 0 && m <= 32767 ? m : 0);
        table.coefficientLimit[i] = static_cast<std::int16_t>(m == 0               ? 32767
                                                              : m < 0 || m > 16384 ? 0
                                                                                   : 16384 / m);
    }
    return table;
}

std::uint8_t FlatBlockSample(std::int16_t dc, std::int32_t multiplier) {
    // Both passes take their shortcut: the column gives 4 d everywhere, the row descales it.
    const U d = static_cast<U>(static_cast<std::int32_t>(dc)) * static_cast<U>(multiplier);
    return kIdctRangeLimit[Descale(d << 2, 5) & 1023];
}

void InverseDctIslowScalar(const std::int32_t* multipliers, const std::int16_t* block, std::uint8_t* out,
                           std::ptrdiff_t stride) {
    U work[64];
    for (int column = 0; column < 8; ++column) {
        const std::int16_t* c = block + column;
        const std::int32_t* q = multipliers + column;
        U d[8];
        for (int r = 0; r < 8; ++r)
            d[r] = static_cast<U>(static_cast<std::int32_t>(c[8 * r])) * static_cast<U>(q[8 * r]);
        if ((c[8] | c[16] | c[24] | c[32] | c[40] | c[48] | c[56]) == 0) {
            for (int r = 0; r < 8; ++r) work[8 * r + column] = d[0] << 2;
            continue;
        }
        U sums[8];
        Transform(d, sums);
        for (int r = 0; r < 8; ++r) work[8 * r + column] = Descale(sums[r], 11);
    }
    for (int row = 0; row < 8; ++row, out += stride) {
        const U* w = work + 8 * row;
        if ((w[1] | w[2] | w[3] | w[4] | w[5] | w[6] | w[7]) == 0) {
            const std::uint8_t value = kIdctRangeLimit[Descale(w[0], 5) & 1023];
            for (int i = 0; i < 8; ++i) out[i] = value;
            continue;
        }
        U sums[8];
        Transform(w, sums);
        for (int i = 0; i < 8; ++i) out[i] = kIdctRangeLimit[Descale(sums[i], 18) & 1023];
    }
}

void InverseDctBlocks(const IdctBlock* blocks, int count) {
    int i = 0;
#if defined(KORVI_X86)
    if (CurrentVectorLevel() == VectorLevel::kAvx2)
        for (; i + 2 <= count; i += 2) InverseDctIslowPairAvx2(blocks[i], blocks[i + 1]);
#endif
    for (; i < count; ++i)
        InverseDctIslow(*blocks[i].table, blocks[i].coefficients, blocks[i].out, blocks[i].stride);
}

#if !defined(__SSE2__)
void InverseDctIslow(const IdctTable& table, const std::int16_t* block, std::uint8_t* out,
                     std::ptrdiff_t stride) {
    InverseDctIslowScalar(table.multipliers.data(), block, out, stride);
}

#endif

}  // namespace jpeg::decoder
