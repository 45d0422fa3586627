#include "core/perceptual_rows.h"

#include <array>
#include <cmath>

#include "core/perceptual_loop_bodies.h"

namespace {

const PerceptualLoops& Loops() {
#if defined(KORVI_X86)
    if (CurrentVectorLevel() == VectorLevel::kAvx2) return Avx2PerceptualLoops();
#endif
    return loops::kLoops;
}

}  // namespace

const std::array<float, 256>& LinearOfByte() {
    static const std::array<float, 256> table = [] {
        std::array<float, 256> made{};
        for (int i = 0; i < 256; ++i) {
            const double v = i / 255.0;
            made[std::size_t(i)] = float(v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4));
        }
        return made;
    }();
    return table;
}

void LinearRow(const std::uint8_t* bgr, int width, float* red, float* green, float* blue) {
    const std::array<float, 256>& linear = LinearOfByte();
    for (int x = 0; x < width; ++x, bgr += 3) {
        blue[x] = linear[bgr[0]];
        green[x] = linear[bgr[1]];
        red[x] = linear[bgr[2]];
    }
}

void HalvedRow(const float* top, const float* bottom, int width, float* out) {
    Loops().halved(top, bottom, width, out);
}

void XybRow(const float* red, const float* green, const float* blue, int width, float* x, float* y,
            float* b) {
    Loops().xyb(red, green, blue, width, x, y, b);
}

void BlurAlong(const float* padded, int width, float* out) {
    Loops().blurAlong(padded, width, out);
}

void BlurAcross(const float* const* rows, int width, float* out) {
    Loops().blurAcross(rows, width, out);
}

void AddSsimErrorRow(const float* mean1, const float* variance1, const float* mean2, const float* square2,
                     const float* cross, int width, float* sum, float* sum4) {
    Loops().ssimError(mean1, variance1, mean2, square2, cross, width, sum, sum4);
}

void AddEdgeRows(const float* xyb1, const float* mean1, const float* xyb2, const float* mean2, int width,
                 float* artifactSum, float* artifactSum4, float* lostSum, float* lostSum4) {
    Loops().edges(xyb1, mean1, xyb2, mean2, width, artifactSum, artifactSum4, lostSum, lostSum4);
}
