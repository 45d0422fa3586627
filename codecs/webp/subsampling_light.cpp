#include "codecs/webp/subsampling_light.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "core/perceptual_rows.h"

namespace {

constexpr float kRed = 0.299f, kGreen = 0.587f, kBlue = 0.114f;  // luma of gamma-coded RGB

// One row of blocks in two is measured: the error is a mean over the picture.
constexpr int kBlockRowStep = 4;

float Luminance(const std::array<float, 256>& linear, float red, float green, float blue) {
    auto at = [&linear](float v) { return linear[std::size_t(std::clamp(v, 0.0f, 255.0f) + 0.5f)]; };
    return 0.2126f * at(red) + 0.7152f * at(green) + 0.0722f * at(blue);
}

}  // namespace

double SubsamplingLightError(const BITMAPINFOHEADER* header) {
    const std::array<float, 256>& linear = LinearOfByte();
    const int width = header->biWidth, height = header->biHeight;
    const std::size_t stride = RowBytes(24, width);
    double squares = 0;
    std::size_t pixels = 0;
    for (int top = 0; top < height; top += kBlockRowStep)
        for (int left = 0; left < width; left += 2) {
            const BYTE* block[4];
            int count = 0;
            for (int y = top; y < std::min(top + 2, height); ++y)
                for (int x = left; x < std::min(left + 2, width); ++x)
                    block[count++] = PixelRows(header) + stride * std::size_t(y) + 3 * std::size_t(x);
            float luma[4], blueDifference = 0, redDifference = 0;
            for (int i = 0; i < count; ++i) {
                const BYTE* bgr = block[i];
                luma[i] = kRed * float(bgr[2]) + kGreen * float(bgr[1]) + kBlue * float(bgr[0]);
                blueDifference += float(bgr[0]) - luma[i];
                redDifference += float(bgr[2]) - luma[i];
            }
            blueDifference /= float(count);
            redDifference /= float(count);
            // The colour the block's mean chroma gives a pixel of the same luma.
            const float greenDifference = -(kRed * redDifference + kBlue * blueDifference) / kGreen;
            for (int i = 0; i < count; ++i) {
                const BYTE* bgr = block[i];
                const float change =
                    Luminance(linear, luma[i] + redDifference, luma[i] + greenDifference,
                              luma[i] + blueDifference) -
                    (0.2126f * linear[bgr[2]] + 0.7152f * linear[bgr[1]] + 0.0722f * linear[bgr[0]]);
                squares += double(change) * change;
            }
            pixels += std::size_t(count);
        }
    return std::sqrt(squares / double(pixels));
}
