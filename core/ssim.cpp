#include "core/ssim.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <new>

namespace {

constexpr int kWindow = 11;
// exp(-d^2 / (2 * 1.5^2)), the Gaussian of sigma 1.5, at d = 0, 0.5, 1, ... 5: every distance
// from the centre of a window of whole (odd) or half (even) pixels. A table rather than exp(),
// so that every build weighs alike.
constexpr double kGaussian[kWindow] = {1.0,
                                       0.9459594689067654,
                                       0.8007374029168081,
                                       0.6065306597126334,
                                       0.41111229050718745,
                                       0.24935220877729622,
                                       0.1353352832366127,
                                       0.06572852861653047,
                                       0.028565500784550377,
                                       0.011108996538242306,
                                       0.0038659201394728076};
constexpr float kC1 = float((0.01 * 255) * (0.01 * 255));
constexpr float kC2 = float((0.03 * 255) * (0.03 * 255));
// Luma is held less this, so that squares and products keep more of their precision in floats.
constexpr float kLumaOffset = 128;
// A window whose reference luma varies by no more than this (a standard deviation of 2 levels)
// is flat: its index stays near 1 whatever blocks or banding a coder leaves there.
constexpr float kFlatVariance = 4;

// The Gaussian over `taps` positions centred on them, summing to 1.
void GaussianWeights(int taps, float* weights) {
    double sum = 0;
    for (int i = 0; i < taps; ++i) sum += kGaussian[std::abs(2 * i - (taps - 1))];
    for (int i = 0; i < taps; ++i) weights[i] = float(kGaussian[std::abs(2 * i - (taps - 1))] / sum);
}

// The five windowed sums the index is made of: means of x and y, of their squares and of
// their product.
enum Moment { kX, kY, kXX, kYY, kXY, kMoments };

// out[x] = the sum of weights[i] * in[x + i], in the order of i. For the full window the
// compiler knows the length and keeps each sum in a register.
void FilterRow(const float* in, const float* weights, int taps, int count, float* out) {
    if (taps == kWindow) {
        for (int x = 0; x < count; ++x) {
            float sum = 0;
            for (int i = 0; i < kWindow; ++i) sum += weights[i] * in[x + i];
            out[x] = sum;
        }
        return;
    }
    std::fill(out, out + count, 0.0f);
    for (int i = 0; i < taps; ++i)
        for (int x = 0; x < count; ++x) out[x] += weights[i] * in[x + i];
}

void LumaOfRow(const BYTE* bgr, int width, float* luma) {
    for (int x = 0; x < width; ++x, bgr += 3)
        luma[x] = 0.114f * float(bgr[0]) + 0.587f * float(bgr[1]) + 0.299f * float(bgr[2]) - kLumaOffset;
}

// Working memory for one comparison: the five moments of one row, and the last `tapsY` rows
// of them filtered horizontally, in a ring.
class SsimRows {
  public:
    SsimRows(int width, int tapsX, int tapsY)
        : width_(width),
          tapsX_(tapsX),
          tapsY_(tapsY),
          outWidth_(width - tapsX + 1),
          memory_(new (
              std::nothrow) float[std::size_t(kMoments) *
                                  (std::size_t(width) + std::size_t(tapsY + 1) * std::size_t(outWidth_))]) {
        GaussianWeights(tapsX, weightsX_);
        GaussianWeights(tapsY, weightsY_);
    }
    bool ok() const { return memory_ != nullptr; }

    // Filters row `y` of both pictures horizontally into the ring.
    void AddRow(const BYTE* a, const BYTE* b, int y) {
        float* row[kMoments];
        for (int m = 0; m < kMoments; ++m) row[m] = memory_.get() + std::size_t(m) * std::size_t(width_);
        LumaOfRow(a, width_, row[kX]);
        LumaOfRow(b, width_, row[kY]);
        for (int x = 0; x < width_; ++x) {
            row[kXX][x] = row[kX][x] * row[kX][x];
            row[kYY][x] = row[kY][x] * row[kY][x];
            row[kXY][x] = row[kX][x] * row[kY][x];
        }
        for (int m = 0; m < kMoments; ++m)
            FilterRow(row[m], weightsX_, tapsX_, outWidth_, Ring(m, y % tapsY_));
    }

    // The sums of the index over the window positions whose last row is `y`.
    struct Sums {
        double all = 0, detailed = 0;
        std::size_t detailedCount = 0;
    };
    void AddRowEndingAt(int y, Sums* sums) {
        float* sum[kMoments];
        for (int m = 0; m < kMoments; ++m) {
            sum[m] = SumsOf(m);
            std::fill(sum[m], sum[m] + outWidth_, 0.0f);
            for (int i = 0; i < tapsY_; ++i) {
                const float w = weightsY_[i];
                const float* in = Ring(m, (y + 1 + i) % tapsY_);
                for (int x = 0; x < outWidth_; ++x) sum[m][x] += w * in[x];
            }
        }
        for (int x = 0; x < outWidth_; ++x) {
            const float mx = sum[kX][x], my = sum[kY][x];
            const float sxx = sum[kXX][x] - mx * mx, syy = sum[kYY][x] - my * my, sxy = sum[kXY][x] - mx * my;
            const float ux = mx + kLumaOffset, uy = my + kLumaOffset;
            const double index = double(((2 * ux * uy + kC1) * (2 * sxy + kC2)) /
                                        ((ux * ux + uy * uy + kC1) * (sxx + syy + kC2)));
            sums->all += index;
            if (sxx > kFlatVariance) {
                sums->detailed += index;
                ++sums->detailedCount;
            }
        }
    }

    int outWidth() const { return outWidth_; }

  private:
    float* Ring(int moment, int slot) {
        return memory_.get() + std::size_t(kMoments) * std::size_t(width_) +
               (std::size_t(moment) * std::size_t(tapsY_ + 1) + std::size_t(slot)) * std::size_t(outWidth_);
    }
    // The vertical sums sit behind each moment's ring.
    float* SumsOf(int moment) { return Ring(moment, tapsY_); }

    int width_, tapsX_, tapsY_, outWidth_;
    std::unique_ptr<float[]> memory_;
    float weightsX_[kWindow], weightsY_[kWindow];
};

bool IsPicture24(const BITMAPINFOHEADER* header) {
    return header != nullptr && header->biBitCount == 24 && header->biCompression == BI_RGB &&
           header->biWidth > 0 && header->biHeight > 0;
}

}  // namespace

std::optional<double> MeanSsim(PackedBitmap reference, PackedBitmap candidate) {
    BitmapLock a(reference), b(candidate);
    if (!IsPicture24(a.data()) || !IsPicture24(b.data()) || a->biWidth != b->biWidth ||
        a->biHeight != b->biHeight)
        return std::nullopt;
    const int width = a->biWidth, height = a->biHeight;
    const int tapsX = std::min(kWindow, width), tapsY = std::min(kWindow, height);
    SsimRows rows(width, tapsX, tapsY);
    if (!rows.ok()) return std::nullopt;
    const std::size_t stride = RowBytes(24, width);
    const BYTE *pixelsA = PixelRows(a.data()), *pixelsB = PixelRows(b.data());
    SsimRows::Sums sums;
    for (int y = 0; y < height; ++y) {
        rows.AddRow(pixelsA + stride * std::size_t(y), pixelsB + stride * std::size_t(y), y);
        if (y >= tapsY - 1) rows.AddRowEndingAt(y, &sums);
    }
    // Mostly flat pictures (screenshots, icons) are judged by their detail alone, where flat
    // windows would hide the damage; photographs, and pictures with next to no detail, by all.
    const double windows = double(rows.outWidth()) * double(height - tapsY + 1);
    const double detailed = double(sums.detailedCount);
    if (2 * detailed >= windows || 100 * detailed < windows) return sums.all / windows;
    return sums.detailed / detailed;
}
