#include "codecs/avif/av1_samples.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

int Sample(const aom_image_t& picture, int plane, int x, int y) {
    const std::uint8_t* row = picture.planes[plane] + std::ptrdiff_t(picture.stride[plane]) * y;
    if (picture.fmt & AOM_IMG_FMT_HIGHBITDEPTH) return reinterpret_cast<const std::uint16_t*>(row)[x];
    return row[x];
}

// Samples of the picture's depth as fractions: luma 0 to 1, chroma -0.5 to 0.5.
struct Scale {
    float lumaZero, lumaRange, chromaZero, chromaRange;

    Scale(unsigned depth, bool fullRange) {
        const float step = float(1u << (depth - 8));
        const float top = float((1u << depth) - 1);
        lumaZero = fullRange ? 0 : 16 * step;
        lumaRange = fullRange ? top : 219 * step;
        chromaZero = float(1u << (depth - 1));
        chromaRange = fullRange ? top : 224 * step;
    }
    float Luma(int sample) const { return (float(sample) - lumaZero) / lumaRange; }
    float Chroma(int sample) const { return (float(sample) - chromaZero) / chromaRange; }
};

std::uint8_t Byte(float fraction) {
    return std::uint8_t(std::clamp(fraction, 0.0f, 1.0f) * 255.0f + 0.5f);
}

// The sample halfway between two: three quarters of the near one, a quarter of the far one.
float Between(float near, float far) {
    return 0.75f * near + 0.25f * far;
}

// The neighbour of a full-resolution position's chroma sample that the triangle filter blends
// in: the one before for even positions, after for odd ones, within the `count` samples.
int Neighbour(int position, int count) {
    const int sample = position >> 1;
    return std::clamp(position & 1 ? sample + 1 : sample - 1, 0, count - 1);
}

// Red and blue weights of the luma for the matrix coefficients; BT.601 where unstated or unknown.
void LumaWeights(int matrix, float* red, float* blue) {
    switch (matrix) {
        case 1:
            *red = 0.2126f, *blue = 0.0722f;
            return;
        case 4:
            *red = 0.30f, *blue = 0.11f;
            return;
        case 7:
            *red = 0.212f, *blue = 0.087f;
            return;
        case 9:
        case 10:
            *red = 0.2627f, *blue = 0.0593f;
            return;
        default:
            *red = 0.299f, *blue = 0.114f;
    }
}

constexpr int kIdentity = 0, kYCgCo = 8;

}  // namespace

AvifColourCoding CodingOf(const aom_image_t& picture, const AvifColourCoding& stated) {
    if (stated.stated) return stated;
    AvifColourCoding coding;
    // libaom stores the bitstream's 8-bit matrix number in an enum that names only some of its
    // values: copied as the integer it is, never loaded as the enum.
    static_assert(sizeof picture.mc == sizeof coding.matrix, "the enum is an int");
    std::memcpy(&coding.matrix, &picture.mc, sizeof coding.matrix);
    coding.fullRange = picture.range == AOM_CR_FULL_RANGE;
    return coding;
}

void ConvertToBgr(const aom_image_t& picture, const AvifColourCoding& coding, int width, int height,
                  const RowAt& rowAt) {
    const Scale scale(picture.bit_depth, coding.fullRange);
    const bool grey = picture.monochrome != 0;
    const int xShift = int(picture.x_chroma_shift), yShift = int(picture.y_chroma_shift);
    const int chromaWidth = int((picture.d_w + (1u << xShift) - 1) >> xShift);
    const int chromaHeight = int((picture.d_h + (1u << yShift) - 1) >> yShift);
    float kr, kb;
    LumaWeights(coding.matrix, &kr, &kb);
    const float kg = 1 - kr - kb;
    // The chroma of one output row, blended between chroma rows where they are halved.
    std::vector<float> cb(std::size_t(grey ? 0 : chromaWidth)), cr(cb.size());
    for (int y = 0; y < height; ++y) {
        if (!grey) {
            const int near = y >> yShift, far = yShift ? Neighbour(y, chromaHeight) : near;
            for (int x = 0; x < chromaWidth; ++x) {
                cb[std::size_t(x)] = Between(scale.Chroma(Sample(picture, 1, x, near)),
                                             scale.Chroma(Sample(picture, 1, x, far)));
                cr[std::size_t(x)] = Between(scale.Chroma(Sample(picture, 2, x, near)),
                                             scale.Chroma(Sample(picture, 2, x, far)));
            }
        }
        std::uint8_t* out = rowAt(y);
        for (int x = 0; x < width; ++x, out += 3) {
            float u = 0, v = 0;
            if (!grey) {
                const std::size_t near = std::size_t(x >> xShift);
                const std::size_t far = xShift ? std::size_t(Neighbour(x, chromaWidth)) : near;
                u = Between(cb[near], cb[far]);
                v = Between(cr[near], cr[far]);
            }
            const float luma = scale.Luma(Sample(picture, 0, x, y));
            float r, g, b;
            if (coding.matrix == kIdentity && !grey) {
                // Green, blue and red coded as they are, each on the luma's scale.
                g = luma;
                b = scale.Luma(Sample(picture, 1, x >> xShift, y >> yShift));
                r = scale.Luma(Sample(picture, 2, x >> xShift, y >> yShift));
            } else if (coding.matrix == kYCgCo) {
                const float t = luma - u;
                g = luma + u;
                b = t - v;
                r = t + v;
            } else {
                r = luma + 2 * (1 - kr) * v;
                b = luma + 2 * (1 - kb) * u;
                g = (luma - kr * r - kb * b) / kg;
            }
            out[0] = Byte(b);
            out[1] = Byte(g);
            out[2] = Byte(r);
        }
    }
}

void ConvertToOpacity(const aom_image_t& picture, bool fullRange, int width, int height, const RowAt& rowAt) {
    const Scale scale(picture.bit_depth, fullRange);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* out = rowAt(y);
        for (int x = 0; x < width; ++x) out[x] = Byte(scale.Luma(Sample(picture, 0, x, y)));
    }
}
