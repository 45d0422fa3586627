#include "core/ssimulacra2.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace {

constexpr int kScales = 6;
// A scale is compared while the one before it has both sides at least this long.
constexpr int kSmallestSide = 8;

// Per channel (X, Y, B), then per scale, the weights of the 1-norms of the SSIM error, the
// artifacts and the detail lost, then of their 4-norms. With fewer scales the values take the
// first weights in this order.
constexpr double kWeights[108] = {0.0,
                                  0.0007376606707406586,
                                  0.0,
                                  0.0,
                                  0.0007793481682867309,
                                  0.0,
                                  0.0,
                                  0.0004371155730107379,
                                  0.0,
                                  1.1041726426657346,
                                  0.00066284834129271,
                                  0.00015231632783718752,
                                  0.0,
                                  0.0016406437456599754,
                                  0.0,
                                  1.8422455520539298,
                                  11.441172603757666,
                                  0.0,
                                  0.0007989109436015163,
                                  0.000176816438078653,
                                  0.0,
                                  1.8787594979546387,
                                  10.94906990605142,
                                  0.0,
                                  0.0007289346991508072,
                                  0.9677937080626833,
                                  0.0,
                                  0.00014003424285435884,
                                  0.9981766977854967,
                                  0.00031949755934435053,
                                  0.0004550992113792063,
                                  0.0,
                                  0.0,
                                  0.0013648766163243398,
                                  0.0,
                                  0.0,
                                  0.0,
                                  0.0,
                                  0.0,
                                  7.466890328078848,
                                  0.0,
                                  17.445833984131262,
                                  0.0006235601634041466,
                                  0.0,
                                  0.0,
                                  6.683678146179332,
                                  0.00037724407979611296,
                                  1.027889937768264,
                                  225.20515300849274,
                                  0.0,
                                  0.0,
                                  19.213238186143016,
                                  0.0011401524586618361,
                                  0.001237755635509985,
                                  176.39317598450694,
                                  0.0,
                                  0.0,
                                  24.43300999870476,
                                  0.28520802612117757,
                                  0.0004485436923833408,
                                  0.0,
                                  0.0,
                                  0.0,
                                  34.77906344483772,
                                  44.835625328877896,
                                  0.0,
                                  0.0,
                                  0.0,
                                  0.0,
                                  0.0,
                                  0.0,
                                  0.0,
                                  0.0,
                                  0.0008680556573291698,
                                  0.0,
                                  0.0,
                                  0.0,
                                  0.0,
                                  0.0,
                                  0.0005313191874358747,
                                  0.0,
                                  0.00016533814161379112,
                                  0.0,
                                  0.0,
                                  0.0,
                                  0.0,
                                  0.0,
                                  0.0004179171803251336,
                                  0.0017290828234722833,
                                  0.0,
                                  0.0020827005846636437,
                                  0.0,
                                  0.0,
                                  8.826982764996862,
                                  23.19243343998926,
                                  0.0,
                                  95.1080498811086,
                                  0.9863978034400682,
                                  0.9834382792465353,
                                  0.0012286405048278493,
                                  171.2667255897307,
                                  0.9807858872435379,
                                  0.0,
                                  0.0,
                                  0.0,
                                  0.0005130064588990679,
                                  0.0,
                                  0.00010854057858411537};

// The Gaussian of sigma 1.5 as the finite impulse response of its recursive approximation:
// the centre tap, then the taps 1 to 4 pixels away on either side.
constexpr int kRadius = 4;
constexpr float kBlurTaps[kRadius + 1] = {0.2646211054881988f, 0.2129285920104224f, 0.1093353727774604f,
                                          0.036011114658364235f, 0.00941436780965349f};

// The opsin absorbance mix of linear RGB, and the bias added before the cube root.
constexpr float kOpsin[3][3] = {
    {0.30f, 0.622f, 0.078f},
    {0.23f, 0.692f, 0.078f},
    {0.24342268924547819f, 0.20476744424496821f, float(1 - 0.24342268924547819 - 0.20476744424496821)}};
constexpr float kOpsinBias = 0.0037930732552754493f;
constexpr float kSsimC2 = 0.0009f;

struct Plane {
    int width = 0, height = 0;
    std::vector<float> values;

    Plane() = default;
    Plane(int w, int h) : width(w), height(h), values(std::size_t(w) * std::size_t(h)) {}
    float* Row(int y) { return values.data() + std::size_t(y) * std::size_t(width); }
    const float* Row(int y) const { return values.data() + std::size_t(y) * std::size_t(width); }
};
using Planes = std::array<Plane, 3>;

Planes MakePlanes(int width, int height) {
    return {Plane(width, height), Plane(width, height), Plane(width, height)};
}

// sRGB byte values in linear light, 0 to 1.
const float* LinearOfByte() {
    static const std::array<float, 256> table = [] {
        std::array<float, 256> made{};
        for (int i = 0; i < 256; ++i) {
            const double v = i / 255.0;
            made[std::size_t(i)] = float(v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4));
        }
        return made;
    }();
    return table.data();
}

// The red, green and blue planes in linear light, top row first.
Planes LinearLight(const BITMAPINFOHEADER* header) {
    const int width = header->biWidth, height = header->biHeight;
    const float* linear = LinearOfByte();
    const std::size_t stride = RowBytes(24, width);
    Planes rgb = MakePlanes(width, height);
    for (int y = 0; y < height; ++y) {
        const BYTE* bgr = PixelRows(header) + stride * std::size_t(height - 1 - y);
        float *r = rgb[0].Row(y), *g = rgb[1].Row(y), *b = rgb[2].Row(y);
        for (int x = 0; x < width; ++x, bgr += 3) {
            b[x] = linear[bgr[0]];
            g[x] = linear[bgr[1]];
            r[x] = linear[bgr[2]];
        }
    }
    return rgb;
}

// Each side halved, rounding up; each pixel the mean of a 2 x 2 block, the last row and column
// repeated where a side is odd.
Planes Halved(const Planes& in) {
    const int width = in[0].width, height = in[0].height;
    Planes out = MakePlanes((width + 1) / 2, (height + 1) / 2);
    for (int c = 0; c < 3; ++c)
        for (int y = 0; y < out[c].height; ++y) {
            const float* top = in[c].Row(2 * y);
            const float* bottom = in[c].Row(std::min(2 * y + 1, height - 1));
            float* row = out[c].Row(y);
            for (int x = 0; x < out[c].width; ++x) {
                const int left = 2 * x, right = std::min(2 * x + 1, width - 1);
                row[x] = (top[left] + top[right] + bottom[left] + bottom[right]) * 0.25f;
            }
        }
    return out;
}

// The cube root of v, for v from the opsin bias up to a little over 1: a first guess from the
// float's bits, then two steps of Halley's method.
float CubeRoot(float v) {
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

// Linear RGB to XYB, shifted and scaled so that every channel is positive.
Planes PositiveXyb(const Planes& rgb) {
    const int width = rgb[0].width, height = rgb[0].height;
    const float biasRoot = CubeRoot(kOpsinBias);
    Planes xyb = MakePlanes(width, height);
    for (int y = 0; y < height; ++y) {
        const float *r = rgb[0].Row(y), *g = rgb[1].Row(y), *b = rgb[2].Row(y);
        float *outX = xyb[0].Row(y), *outY = xyb[1].Row(y), *outB = xyb[2].Row(y);
        for (int x = 0; x < width; ++x) {
            float mixed[3];
            for (int i = 0; i < 3; ++i)
                mixed[i] =
                    CubeRoot(std::max(
                        kOpsin[i][0] * r[x] + kOpsin[i][1] * g[x] + kOpsin[i][2] * b[x] + kOpsinBias, 0.0f)) -
                    biasRoot;
            const float luma = 0.5f * (mixed[0] + mixed[1]);
            outX[x] = 0.5f * (mixed[0] - mixed[1]) * 14.0f + 0.42f;
            outY[x] = luma + 0.01f;
            outB[x] = (mixed[2] - luma) + 0.55f;
        }
    }
    return xyb;
}

// The plane blurred along its rows, then its columns, zero outside the picture.
Plane Blurred(const Plane& in) {
    const int width = in.width, height = in.height;
    Plane across(width, height), out(width, height);
    std::vector<float> padded(std::size_t(width) + 2 * kRadius, 0.0f);
    for (int y = 0; y < height; ++y) {
        std::copy(in.Row(y), in.Row(y) + width, padded.begin() + kRadius);
        const float* p = padded.data() + kRadius;
        float* row = across.Row(y);
        for (int x = 0; x < width; ++x) {
            float sum = kBlurTaps[0] * p[x];
            for (int d = 1; d <= kRadius; ++d) sum += kBlurTaps[d] * (p[x - d] + p[x + d]);
            row[x] = sum;
        }
    }
    for (int y = 0; y < height; ++y) {
        float* row = out.Row(y);
        const float* centre = across.Row(y);
        for (int x = 0; x < width; ++x) row[x] = kBlurTaps[0] * centre[x];
        for (int d = 1; d <= kRadius; ++d) {
            const float* above = y - d >= 0 ? across.Row(y - d) : nullptr;
            const float* below = y + d < height ? across.Row(y + d) : nullptr;
            for (int x = 0; x < width; ++x)
                row[x] += kBlurTaps[d] * ((above ? above[x] : 0.0f) + (below ? below[x] : 0.0f));
        }
    }
    return out;
}

Plane Product(const Plane& a, const Plane& b) {
    Plane out(a.width, a.height);
    for (std::size_t i = 0; i < out.values.size(); ++i) out.values[i] = a.values[i] * b.values[i];
    return out;
}

bool IsPicture24(const BITMAPINFOHEADER* header) {
    return header != nullptr && header->biBitCount == 24 && header->biCompression == BI_RGB &&
           header->biWidth > 0 && header->biHeight > 0;
}

// The 1-norms and 4-norms of the three maps of one channel at one scale, in the weights' order.
using Norms = std::array<double, 6>;

// The weighted norms mapped to the score.
double ScoreOfNorms(const std::vector<Norms>& norms) {
    double sum = 0;
    std::size_t weight = 0;
    for (const Norms& n : norms)
        for (double value : n) sum += kWeights[weight++] * std::fabs(value);
    double v = sum * 0.9562382616834844;
    v = 2.326765642916932 * v - 0.020884521182843837 * v * v + 6.248496625763138e-05 * v * v * v;
    return v > 0 ? 100.0 - 10.0 * std::pow(v, 0.6276336467831387) : 100.0;
}

// Per scale, what the original's side of the comparison needs.
struct ReferenceScale {
    Planes xyb, mean, variance;
};

}  // namespace

struct PerceptualReference::Prepared {
    int width = 0, height = 0;
    std::vector<ReferenceScale> scales;
    // Pictures too small for any scale keep their rows, to tell an identical candidate.
    std::vector<BYTE> rows;
};

PerceptualReference::PerceptualReference(PackedBitmap original) {
    BitmapLock header(original);
    if (!IsPicture24(header.data())) return;
    try {
        auto prepared = std::make_unique<Prepared>();
        prepared->width = header->biWidth;
        prepared->height = header->biHeight;
        Planes linear = LinearLight(header.data());
        for (int scale = 0; scale < kScales; ++scale) {
            if (linear[0].width < kSmallestSide || linear[0].height < kSmallestSide) break;
            if (scale > 0) linear = Halved(linear);
            ReferenceScale s;
            s.xyb = PositiveXyb(linear);
            for (int c = 0; c < 3; ++c) {
                s.mean[c] = Blurred(s.xyb[c]);
                s.variance[c] = Blurred(Product(s.xyb[c], s.xyb[c]));
                float* mean = s.mean[c].values.data();
                float* variance = s.variance[c].values.data();
                for (std::size_t i = 0; i < s.variance[c].values.size(); ++i)
                    variance[i] = variance[i] - mean[i] * mean[i];
            }
            prepared->scales.push_back(std::move(s));
        }
        if (prepared->scales.empty()) {
            const BYTE* rows = PixelRows(header.data());
            prepared->rows.assign(
                rows, rows + std::size_t(RowBytes(24, prepared->width)) * std::size_t(prepared->height));
        }
        prepared_ = std::move(prepared);
    } catch (const std::bad_alloc&) {
    }
}

PerceptualReference::~PerceptualReference() = default;

bool PerceptualReference::ready() const {
    return prepared_ != nullptr;
}

std::optional<double> PerceptualReference::Score(PackedBitmap candidate) const {
    BitmapLock header(candidate);
    if (!ready() || !IsPicture24(header.data()) || header->biWidth != prepared_->width ||
        header->biHeight != prepared_->height)
        return std::nullopt;
    if (prepared_->scales.empty()) {
        const std::size_t stride = RowBytes(24, prepared_->width), used = 3 * std::size_t(prepared_->width);
        for (int y = 0; y < prepared_->height; ++y)
            if (std::memcmp(PixelRows(header.data()) + stride * std::size_t(y),
                            prepared_->rows.data() + stride * std::size_t(y), used) != 0)
                return std::nullopt;
        return 100.0;
    }
    try {
        std::vector<Norms> norms;
        Planes linear = LinearLight(header.data());
        for (std::size_t scale = 0; scale < prepared_->scales.size(); ++scale) {
            const ReferenceScale& reference = prepared_->scales[scale];
            if (scale > 0) linear = Halved(linear);
            const Planes xyb = PositiveXyb(linear);
            for (int c = 0; c < 3; ++c) {
                const Plane mean = Blurred(xyb[c]);
                const Plane square = Blurred(Product(xyb[c], xyb[c]));
                const Plane cross = Blurred(Product(reference.xyb[c], xyb[c]));
                double sums[6] = {};
                const std::size_t count = mean.values.size();
                for (std::size_t i = 0; i < count; ++i) {
                    const float mu1 = reference.mean[c].values[i], mu2 = mean.values[i];
                    const float mismatch = mu1 - mu2;
                    const float similar =
                        (1.0f - mismatch * mismatch) * (2.0f * (cross.values[i] - mu1 * mu2) + kSsimC2) /
                        (reference.variance[c].values[i] + (square.values[i] - mu2 * mu2) + kSsimC2);
                    const float error = std::max(1.0f - similar, 0.0f);
                    const float edge = (1.0f + std::fabs(xyb[c].values[i] - mu2)) /
                                           (1.0f + std::fabs(reference.xyb[c].values[i] - mu1)) -
                                       1.0f;
                    const float maps[3] = {error, std::max(edge, 0.0f), std::max(-edge, 0.0f)};
                    for (int m = 0; m < 3; ++m) {
                        const float squared = maps[m] * maps[m];
                        sums[m] += maps[m];
                        sums[3 + m] += squared * squared;
                    }
                }
                Norms n;
                for (int m = 0; m < 3; ++m) {
                    n[std::size_t(m)] = sums[m] / double(count);
                    n[std::size_t(3 + m)] = std::sqrt(std::sqrt(sums[3 + m] / double(count)));
                }
                norms.push_back(n);
            }
        }
        // The weights go by channel, then by scale.
        std::vector<Norms> byChannel;
        for (int c = 0; c < 3; ++c)
            for (std::size_t scale = 0; scale < prepared_->scales.size(); ++scale)
                byChannel.push_back(norms[scale * 3 + std::size_t(c)]);
        return ScoreOfNorms(byChannel);
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}
