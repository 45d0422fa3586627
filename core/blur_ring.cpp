#include "core/blur_ring.h"

#include <algorithm>

#include "core/perceptual_rows.h"

BlurRing::BlurRing(int width, int height)
    : width_(width),
      height_(height),
      memory_(std::size_t(kBlurRows + 2) * std::size_t(width) + 2 * kBlurRadius, 0.0f) {}

float* BlurRing::Row(int slot) {
    return memory_.data() + std::size_t(slot) * std::size_t(width_);
}

const float* BlurRing::RowOrZeros(int y) const {
    const int slot = y >= 0 && y < height_ ? y % kBlurRows : kBlurRows;
    return memory_.data() + std::size_t(slot) * std::size_t(width_);
}

void BlurRing::Add(int y, const float* a, const float* b) {
    float* padded = Row(kBlurRows + 1);
    float* row = padded + kBlurRadius;
    if (b != nullptr)
        for (int x = 0; x < width_; ++x) row[x] = a[x] * b[x];
    else
        std::copy(a, a + width_, row);
    BlurAlong(padded, width_, Row(y % kBlurRows));
}

void BlurRing::BlurredRow(int y, float* out) const {
    const float* rows[kBlurRows];
    for (int i = 0; i < kBlurRows; ++i) rows[i] = RowOrZeros(y - kBlurRadius + i);
    BlurAcross(rows, width_, out);
}
