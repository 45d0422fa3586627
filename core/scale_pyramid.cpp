#include "core/scale_pyramid.h"

#include <algorithm>

#include "core/perceptual_rows.h"

namespace {

// Per scale, a row waiting for the one below it, and the pair halved.
class Pyramid {
  public:
    Pyramid(int width, const std::vector<ScaleRows*>& scales) : scales_(scales) {
        for (std::size_t scale = 0; scale < scales.size(); ++scale, width = (width + 1) / 2) {
            widths_.push_back(width);
            rows_.emplace_back(3 * (std::size_t(width) + std::size_t(width + 1) / 2));
        }
        waiting_.assign(scales.size(), false);
    }

    void AddRow(std::size_t scale, const float* const rgb[3]) {
        scales_[scale]->AddRow(rgb[0], rgb[1], rgb[2]);
        if (scale + 1 == scales_.size()) return;
        if (waiting_[scale]) return HalvePair(scale, rgb);
        for (int c = 0; c < 3; ++c) std::copy(rgb[c], rgb[c] + widths_[scale], Waiting(scale, c));
        waiting_[scale] = true;
    }

    void Finish() {
        for (std::size_t scale = 0; scale < scales_.size(); ++scale) {
            if (waiting_[scale]) {
                const float* const last[3] = {Waiting(scale, 0), Waiting(scale, 1), Waiting(scale, 2)};
                HalvePair(scale, last);
            }
            scales_[scale]->Finish();
        }
    }

  private:
    float* Waiting(std::size_t scale, int c) {
        return rows_[scale].data() + std::size_t(c) * std::size_t(widths_[scale]);
    }
    float* Half(std::size_t scale, int c) {
        return rows_[scale].data() + 3 * std::size_t(widths_[scale]) +
               std::size_t(c) * std::size_t((widths_[scale] + 1) / 2);
    }

    void HalvePair(std::size_t scale, const float* const bottom[3]) {
        float* half[3];
        for (int c = 0; c < 3; ++c) {
            half[c] = Half(scale, c);
            HalvedRow(Waiting(scale, c), bottom[c], widths_[scale], half[c]);
        }
        waiting_[scale] = false;
        AddRow(scale + 1, half);
    }

    const std::vector<ScaleRows*>& scales_;
    std::vector<int> widths_;
    std::vector<std::vector<float>> rows_;
    std::vector<bool> waiting_;
};

}  // namespace

void FeedScales(const BITMAPINFOHEADER* header, const std::vector<ScaleRows*>& scales) {
    if (scales.empty()) return;
    const int width = header->biWidth, height = header->biHeight;
    const std::size_t stride = RowBytes(24, width);
    Pyramid pyramid(width, scales);
    std::vector<float> linear(3 * std::size_t(width));
    const float* const rgb[3] = {linear.data(), linear.data() + width,
                                 linear.data() + 2 * std::size_t(width)};
    for (int y = 0; y < height; ++y) {
        // Bitmap rows are stored bottom-up.
        LinearRow(PixelRows(header) + stride * std::size_t(height - 1 - y), width, linear.data(),
                  linear.data() + width, linear.data() + 2 * std::size_t(width));
        pyramid.AddRow(0, rgb);
    }
    pyramid.Finish();
}
