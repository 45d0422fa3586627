// The loops of the perceptual score's row operations, written once. A file includes this after
// its own includes and, to compile them for AVX2, after KORVI_BEGIN_AVX2: every form then does
// the same float operations in the same order (no fused multiply-add; sums only per column), so
// each gives the plain form's values to the last bit.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>

#include "core/perceptual_loops.h"
#include "core/perceptual_rows.h"

namespace {
namespace loops {

// The Gaussian as the finite impulse response of its recursive approximation: the centre tap,
// then the taps 1 to 4 pixels away on either side.
constexpr float kBlurTaps[kBlurRadius + 1] = {0.2646211054881988f, 0.2129285920104224f, 0.1093353727774604f,
                                              0.036011114658364235f, 0.00941436780965349f};

// The opsin absorbance mix of linear RGB, and the bias added before the cube root.
constexpr float kOpsin[3][3] = {
    {0.30f, 0.622f, 0.078f},
    {0.23f, 0.692f, 0.078f},
    {0.24342268924547819f, 0.20476744424496821f, float(1 - 0.24342268924547819 - 0.20476744424496821)}};
constexpr float kOpsinBias = 0.0037930732552754493f;
constexpr float kSsimC2 = 0.0009f;

// The cube root of v, for v from the opsin bias up to a little over 1, within a few units in the
// last place: a first guess from the float's bits, then two steps of Halley's method. Plain
// arithmetic, so that every build and the vectorised loops agree.
inline float CubeRoot(float v) {
    std::int32_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    bits = std::int32_t(float(bits) * (1.0f / 3.0f)) + 709921077;
    float r;
    std::memcpy(&r, &bits, sizeof r);
    for (int step = 0; step < 2; ++step) {
        const float r3 = r * r * r;
        r = r * (r3 + 2.0f * v) / (2.0f * r3 + v);
    }
    return r;
}

// max(v, 0) exactly, written without a comparison: the compiler keeps a branch for that in
// these loops and gives up vectorising them.
inline float PositivePart(float v) {
    return 0.5f * (v + std::fabs(v));
}

inline void AddToSums(float value, float* sum, float* sum4) {
    const float squared = value * value;
    *sum += value;
    *sum4 += squared * squared;
}

inline float Opsin(int row, float red, float green, float blue) {
    return kOpsin[row][0] * red + kOpsin[row][1] * green + kOpsin[row][2] * blue + kOpsinBias;
}

void HalvedRow(const float* top, const float* bottom, int width, float* out) {
    const int pairs = width / 2;
    for (int x = 0; x < pairs; ++x)
        out[x] = (top[2 * x] + top[2 * x + 1] + bottom[2 * x] + bottom[2 * x + 1]) * 0.25f;
    if (width % 2 != 0) {
        const int last = width - 1;
        out[pairs] = (top[last] + top[last] + bottom[last] + bottom[last]) * 0.25f;
    }
}

void XybRow(const float* __restrict red, const float* __restrict green, const float* __restrict blue,
            int width, float* __restrict x, float* __restrict y, float* __restrict b) {
    const float biasRoot = CubeRoot(kOpsinBias);
    for (int i = 0; i < width; ++i) {
        // The mix is at least the bias: linear light is never negative.
        const float l = CubeRoot(Opsin(0, red[i], green[i], blue[i])) - biasRoot;
        const float m = CubeRoot(Opsin(1, red[i], green[i], blue[i])) - biasRoot;
        const float s = CubeRoot(Opsin(2, red[i], green[i], blue[i])) - biasRoot;
        const float luma = 0.5f * (l + m);
        x[i] = 0.5f * (l - m) * 14.0f + 0.42f;
        y[i] = luma + 0.01f;
        b[i] = (s - luma) + 0.55f;
    }
}

void BlurAlong(const float* padded, int width, float* out) {
    const float* p = padded + kBlurRadius;
    for (int x = 0; x < width; ++x)
        out[x] = kBlurTaps[0] * p[x] + kBlurTaps[1] * (p[x - 1] + p[x + 1]) +
                 kBlurTaps[2] * (p[x - 2] + p[x + 2]) + kBlurTaps[3] * (p[x - 3] + p[x + 3]) +
                 kBlurTaps[4] * (p[x - 4] + p[x + 4]);
}

void BlurAcross(const float* const* rows, int width, float* out) {
    const float *r0 = rows[0], *r1 = rows[1], *r2 = rows[2], *r3 = rows[3], *r4 = rows[4];
    const float *r5 = rows[5], *r6 = rows[6], *r7 = rows[7], *r8 = rows[8];
    for (int x = 0; x < width; ++x)
        out[x] = kBlurTaps[0] * r4[x] + kBlurTaps[1] * (r3[x] + r5[x]) + kBlurTaps[2] * (r2[x] + r6[x]) +
                 kBlurTaps[3] * (r1[x] + r7[x]) + kBlurTaps[4] * (r0[x] + r8[x]);
}

void AddSsimErrorRow(const float* __restrict mean1, const float* __restrict variance1,
                     const float* __restrict mean2, const float* __restrict square2,
                     const float* __restrict cross, int width, float* __restrict sum,
                     float* __restrict sum4) {
    for (int x = 0; x < width; ++x) {
        const float mismatch = mean1[x] - mean2[x];
        const float similar = (1.0f - mismatch * mismatch) *
                              (2.0f * (cross[x] - mean1[x] * mean2[x]) + kSsimC2) /
                              (variance1[x] + (square2[x] - mean2[x] * mean2[x]) + kSsimC2);
        AddToSums(PositivePart(1.0f - similar), sum + x, sum4 + x);
    }
}

void AddEdgeRows(const float* __restrict xyb1, const float* __restrict mean1, const float* __restrict xyb2,
                 const float* __restrict mean2, int width, float* __restrict artifactSum,
                 float* __restrict artifactSum4, float* __restrict lostSum, float* __restrict lostSum4) {
    for (int x = 0; x < width; ++x) {
        const float edge =
            (1.0f + std::fabs(xyb2[x] - mean2[x])) / (1.0f + std::fabs(xyb1[x] - mean1[x])) - 1.0f;
        AddToSums(PositivePart(edge), artifactSum + x, artifactSum4 + x);
        AddToSums(PositivePart(-edge), lostSum + x, lostSum4 + x);
    }
}

constexpr PerceptualLoops kLoops{&HalvedRow,  &XybRow,          &BlurAlong,
                                 &BlurAcross, &AddSsimErrorRow, &AddEdgeRows};

}  // namespace loops
}  // namespace
