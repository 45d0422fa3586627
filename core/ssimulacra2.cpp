#include "core/ssimulacra2.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <new>
#include <vector>

#include "core/perceptual_rows.h"

namespace {

constexpr int kScales = 6;
// A scale is compared while the one before it has both sides at least this long.
constexpr int kSmallestSide = 8;
constexpr float kSsimC2 = 0.0009f;

// Per channel (X, Y, B), then per scale, the weights of the 1-norms of the SSIM error, the
// artifacts and the detail lost, then of their 4-norms. With fewer scales the values take the
// first weights in this order.
// clang-format off
constexpr double kWeights[108] = {
    0.0, 0.0007376606707406586, 0.0,  // X 0
    0.0, 0.0007793481682867309, 0.0,
    0.0, 0.0004371155730107379, 0.0,  // X 1
    1.1041726426657346, 0.00066284834129271, 0.00015231632783718752,
    0.0, 0.0016406437456599754, 0.0,  // X 2
    1.8422455520539298, 11.441172603757666, 0.0,
    0.0007989109436015163, 0.000176816438078653, 0.0,  // X 3
    1.8787594979546387, 10.94906990605142, 0.0,
    0.0007289346991508072, 0.9677937080626833, 0.0,  // X 4
    0.00014003424285435884, 0.9981766977854967, 0.00031949755934435053,
    0.0004550992113792063, 0.0, 0.0,  // X 5
    0.0013648766163243398, 0.0, 0.0,
    0.0, 0.0, 0.0,  // Y 0
    7.466890328078848, 0.0, 17.445833984131262,
    0.0006235601634041466, 0.0, 0.0,  // Y 1
    6.683678146179332, 0.00037724407979611296, 1.027889937768264,
    225.20515300849274, 0.0, 0.0,  // Y 2
    19.213238186143016, 0.0011401524586618361, 0.001237755635509985,
    176.39317598450694, 0.0, 0.0,  // Y 3
    24.43300999870476, 0.28520802612117757, 0.0004485436923833408,
    0.0, 0.0, 0.0,  // Y 4
    34.77906344483772, 44.835625328877896, 0.0,
    0.0, 0.0, 0.0,  // Y 5
    0.0, 0.0, 0.0,
    0.0, 0.0008680556573291698, 0.0,  // B 0
    0.0, 0.0, 0.0,
    0.0, 0.0005313191874358747, 0.0,  // B 1
    0.00016533814161379112, 0.0, 0.0,
    0.0, 0.0, 0.0,  // B 2
    0.0004179171803251336, 0.0017290828234722833, 0.0,
    0.0020827005846636437, 0.0, 0.0,  // B 3
    8.826982764996862, 23.19243343998926, 0.0,
    95.1080498811086, 0.9863978034400682, 0.9834382792465353,  // B 4
    0.0012286405048278493, 171.2667255897307, 0.9807858872435379,
    0.0, 0.0, 0.0,  // B 5
    0.0005130064588990679, 0.0, 0.00010854057858411537};
// clang-format on

// The maps of one channel at one scale; each gives a 1-norm and, kMaps further, a 4-norm.
enum Map { kError, kArtifact, kLost, kMaps };
using Norms = std::array<double, 2 * kMaps>;

// Which maps of a channel at a scale weigh anything: the SSIM error, the two edge maps.
struct Needs {
    bool error = false, edges = false;
};

const double* WeightsOf(int channel, int scale, int scales) {
    return kWeights + std::size_t(channel * scales + scale) * Norms().size();
}

Needs NeedsOf(int channel, int scale, int scales) {
    const double* w = WeightsOf(channel, scale, scales);
    return {w[kError] != 0 || w[kMaps + kError] != 0,
            w[kArtifact] != 0 || w[kLost] != 0 || w[kMaps + kArtifact] != 0 || w[kMaps + kLost] != 0};
}

int ScaleCount(int width, int height) {
    int scales = 0;
    for (; scales < kScales && width >= kSmallestSide && height >= kSmallestSide; ++scales)
        if (scales > 0) width = (width + 1) / 2, height = (height + 1) / 2;
    return scales;
}

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

// The rows of a 24-bit bitmap top row first, as the score takes them.
const BYTE* TopDownRow(const BITMAPINFOHEADER* header, int y) {
    return PixelRows(header) +
           std::size_t(RowBytes(24, header->biWidth)) * std::size_t(header->biHeight - 1 - y);
}

// The row `along` blurred along: of `a`, or of the product of `a` and `b` when there is a `b`.
// `padded` has kBlurRadius zeros on either side of the row's place.
void BlurAlongOf(const float* a, const float* b, int width, float* padded, float* along) {
    float* row = padded + kBlurRadius;
    if (b != nullptr)
        for (int x = 0; x < width; ++x) row[x] = a[x] * b[x];
    else
        std::copy(a, a + width, row);
    BlurAlong(padded, width, along);
}

// The plane (or the product of two) blurred, zero outside the picture.
Plane Blurred(const Plane& a, const Plane* b) {
    const int width = a.width, height = a.height;
    Plane along(width, height), out(width, height);
    std::vector<float> padded(std::size_t(width) + 2 * kBlurRadius, 0.0f), zeros(std::size_t(width), 0.0f);
    for (int y = 0; y < height; ++y)
        BlurAlongOf(a.Row(y), b ? b->Row(y) : nullptr, width, padded.data(), along.Row(y));
    for (int y = 0; y < height; ++y) {
        const float* rows[kBlurRows];
        for (int i = 0; i < kBlurRows; ++i) {
            const int r = y - kBlurRadius + i;
            rows[i] = r >= 0 && r < height ? along.Row(r) : zeros.data();
        }
        BlurAcross(rows, width, out.Row(y));
    }
    return out;
}

// What the original brings to one scale: its XYB planes, their blur (the local means) and the
// local variances, for the channels whose maps weigh anything there.
struct ReferenceScale {
    int width = 0, height = 0;
    std::array<Needs, 3> needs;
    Planes xyb, mean, variance;
};

ReferenceScale PrepareScale(const Planes& linear, int scale, int scales) {
    ReferenceScale prepared;
    prepared.width = linear[0].width;
    prepared.height = linear[0].height;
    Planes xyb = MakePlanes(prepared.width, prepared.height);
    for (int y = 0; y < prepared.height; ++y)
        XybRow(linear[0].Row(y), linear[1].Row(y), linear[2].Row(y), prepared.width, xyb[0].Row(y),
               xyb[1].Row(y), xyb[2].Row(y));
    for (int c = 0; c < 3; ++c) {
        const Needs needs = prepared.needs[c] = NeedsOf(c, scale, scales);
        if (!needs.error && !needs.edges) continue;
        prepared.mean[c] = Blurred(xyb[c], nullptr);
        if (needs.error) {
            prepared.variance[c] = Blurred(xyb[c], &xyb[c]);
            for (std::size_t i = 0; i < prepared.variance[c].values.size(); ++i)
                prepared.variance[c].values[i] -= prepared.mean[c].values[i] * prepared.mean[c].values[i];
        }
        prepared.xyb[c] = std::move(xyb[c]);
    }
    return prepared;
}

Planes HalvedPlanes(const Planes& in) {
    const int height = in[0].height;
    Planes out = MakePlanes((in[0].width + 1) / 2, (height + 1) / 2);
    for (int c = 0; c < 3; ++c)
        for (int y = 0; y < out[c].height; ++y)
            HalvedRow(in[c].Row(2 * y), in[c].Row(std::min(2 * y + 1, height - 1)), in[c].width,
                      out[c].Row(y));
    return out;
}

// Adds the row's values and their fourth powers to the sums, in eight float lanes that the
// compiler vectorises alike in every build, and the lanes to the sums in doubles.
void AddToNorms(const float* values, int width, double* sum, double* sum4) {
    constexpr int kLanes = 8;
    float lanes[kLanes] = {}, lanes4[kLanes] = {};
    int x = 0;
    for (; x + kLanes <= width; x += kLanes)
        for (int i = 0; i < kLanes; ++i) {
            const float v = values[x + i], squared = v * v;
            lanes[i] += v;
            lanes4[i] += squared * squared;
        }
    for (int i = 0; x < width; ++x, ++i) {
        const float v = values[x], squared = v * v;
        lanes[i] += v;
        lanes4[i] += squared * squared;
    }
    for (int i = 0; i < kLanes; ++i) {
        *sum += double(lanes[i]);
        *sum4 += double(lanes4[i]);
    }
}

// One scale of a candidate, taken a row at a time from the top. Each row is blurred along as it
// comes; its maps are made once the rows below it that the blur reaches have come too.
class ScaleScorer {
  public:
    explicit ScaleScorer(const ReferenceScale& reference)
        : reference_(reference),
          width_(reference.width),
          memory_(std::size_t(kRings * kBlurRows + kWorkRows + 1) * std::size_t(width_) + 2 * kBlurRadius, 0.0f) {
    }

    void AddRow(const float* red, const float* green, const float* blue) {
        const int y = added_++;
        float* xyb[3] = {Ring(XybRing(0), y), Ring(XybRing(1), y), Ring(XybRing(2), y)};
        XybRow(red, green, blue, width_, xyb[0], xyb[1], xyb[2]);
        for (int c = 0; c < 3; ++c) {
            const Needs needs = reference_.needs[c];
            if (!needs.error && !needs.edges) continue;
            BlurAlongOf(xyb[c], nullptr, width_, Padded(), Ring(AlongRing(c, kMean), y));
            if (!needs.error) continue;
            BlurAlongOf(xyb[c], xyb[c], width_, Padded(), Ring(AlongRing(c, kSquare), y));
            BlurAlongOf(reference_.xyb[c].Row(y), xyb[c], width_, Padded(), Ring(AlongRing(c, kCross), y));
        }
        if (added_ > kBlurRadius) ScoreRow(added_ - 1 - kBlurRadius);
    }

    // Scores the rows that waited for rows below the picture.
    void Finish() {
        for (int y = std::max(0, added_ - kBlurRadius); y < reference_.height; ++y) ScoreRow(y);
    }

    Norms NormsOf(int c) const {
        const double pixels = double(width_) * double(reference_.height);
        Norms norms{};
        for (int m = 0; m < kMaps; ++m) {
            norms[std::size_t(m)] = sums_[c][m] / pixels;
            norms[std::size_t(kMaps + m)] = std::sqrt(std::sqrt(sums_[c][kMaps + m] / pixels));
        }
        return norms;
    }

  private:
    // What the candidate's rows are blurred into: the XYB values, their squares, and their
    // products with the original's.
    enum Blurred { kMean, kSquare, kCross, kBlurs };
    static constexpr int kRings = 3 + 3 * kBlurs;
    static int XybRing(int c) { return c; }
    static int AlongRing(int c, int blurred) { return 3 + c * kBlurs + blurred; }
    // Rows of working memory behind the rings: zeros, the blurred means, squares and
    // products, and the three maps; then the row padded for blurring along.
    enum WorkRow { kZeros, kMeanRow, kSquareRow, kCrossRow, kErrorRow, kArtifactRow, kLostRow, kWorkRows };

    float* Ring(int ring, int y) {
        return memory_.data() + std::size_t(ring * kBlurRows + y % kBlurRows) * std::size_t(width_);
    }
    float* Work(int row) {
        return memory_.data() + std::size_t(kRings * kBlurRows + row) * std::size_t(width_);
    }
    float* Padded() { return Work(kWorkRows); }

    // The rows centred on row y blurred across, zero beyond the picture.
    void BlurAcrossAt(int ring, int y, float* out) {
        const float* rows[kBlurRows];
        for (int i = 0; i < kBlurRows; ++i) {
            const int r = y - kBlurRadius + i;
            rows[i] = r >= 0 && r < reference_.height ? Ring(ring, r) : Work(kZeros);
        }
        BlurAcross(rows, width_, out);
    }

    void ScoreRow(int y) {
        for (int c = 0; c < 3; ++c) {
            const Needs needs = reference_.needs[c];
            if (!needs.error && !needs.edges) continue;
            float* mu2 = Work(kMeanRow);
            BlurAcrossAt(AlongRing(c, kMean), y, mu2);
            const float* mu1 = reference_.mean[c].Row(y);
            if (needs.error) {
                float *s22 = Work(kSquareRow), *s12 = Work(kCrossRow), *error = Work(kErrorRow);
                BlurAcrossAt(AlongRing(c, kSquare), y, s22);
                BlurAcrossAt(AlongRing(c, kCross), y, s12);
                const float* variance1 = reference_.variance[c].Row(y);
                for (int x = 0; x < width_; ++x) {
                    const float mismatch = mu1[x] - mu2[x];
                    const float similar = (1.0f - mismatch * mismatch) *
                                          (2.0f * (s12[x] - mu1[x] * mu2[x]) + kSsimC2) /
                                          (variance1[x] + (s22[x] - mu2[x] * mu2[x]) + kSsimC2);
                    error[x] = std::max(1.0f - similar, 0.0f);
                }
                AddToNorms(error, width_, &sums_[c][kError], &sums_[c][kMaps + kError]);
            }
            if (needs.edges) {
                const float *i1 = reference_.xyb[c].Row(y), *i2 = Ring(XybRing(c), y);
                float *artifact = Work(kArtifactRow), *lost = Work(kLostRow);
                for (int x = 0; x < width_; ++x) {
                    const float edge =
                        (1.0f + std::fabs(i2[x] - mu2[x])) / (1.0f + std::fabs(i1[x] - mu1[x])) - 1.0f;
                    artifact[x] = std::max(edge, 0.0f);
                    lost[x] = std::max(-edge, 0.0f);
                }
                AddToNorms(artifact, width_, &sums_[c][kArtifact], &sums_[c][kMaps + kArtifact]);
                AddToNorms(lost, width_, &sums_[c][kLost], &sums_[c][kMaps + kLost]);
            }
        }
    }

    const ReferenceScale& reference_;
    int width_;
    int added_ = 0;
    std::vector<float> memory_;
    double sums_[3][2 * kMaps] = {};
};

// A candidate's scales, fed its rows in linear light from the top: each scale halves pairs of
// its rows into the next.
class CandidateScales {
  public:
    explicit CandidateScales(const std::vector<ReferenceScale>& reference) {
        scorers_.reserve(reference.size());
        for (const ReferenceScale& scale : reference) {
            scorers_.emplace_back(scale);
            // The row waiting for its pair, and the halved pair, in three channels each.
            const std::size_t halfWidth = std::size_t(scale.width + 1) / 2;
            rows_.emplace_back(3 * (std::size_t(scale.width) + halfWidth));
            widths_.push_back(scale.width);
        }
        waiting_.assign(reference.size(), false);
    }

    void AddRow(std::size_t scale, const float* const rgb[3]) {
        scorers_[scale].AddRow(rgb[0], rgb[1], rgb[2]);
        if (scale + 1 == scorers_.size()) return;
        if (!waiting_[scale]) {
            for (int c = 0; c < 3; ++c) std::copy(rgb[c], rgb[c] + widths_[scale], Waiting(scale, c));
            waiting_[scale] = true;
            return;
        }
        HalvePair(scale, rgb);
    }

    // Halves the last row of each scale with an odd height with itself, then scores what waited.
    void Finish() {
        for (std::size_t scale = 0; scale < scorers_.size(); ++scale) {
            if (waiting_[scale]) {
                const float* const last[3] = {Waiting(scale, 0), Waiting(scale, 1), Waiting(scale, 2)};
                HalvePair(scale, last);
            }
            scorers_[scale].Finish();
        }
    }

    const ScaleScorer& scorer(std::size_t scale) const { return scorers_[scale]; }

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

    std::vector<ScaleScorer> scorers_;
    std::vector<std::vector<float>> rows_;
    std::vector<int> widths_;
    std::vector<bool> waiting_;
};

bool IsPicture24(const BITMAPINFOHEADER* header) {
    return header != nullptr && header->biBitCount == 24 && header->biCompression == BI_RGB &&
           header->biWidth > 0 && header->biHeight > 0;
}

}  // namespace

struct PerceptualReference::Prepared {
    int width = 0, height = 0;
    std::vector<ReferenceScale> scales;
    // A picture too small for any scale keeps its rows, to tell an identical candidate.
    std::vector<BYTE> rows;
};

PerceptualReference::PerceptualReference(PackedBitmap original) {
    BitmapLock header(original);
    if (!IsPicture24(header.data())) return;
    try {
        auto prepared = std::make_unique<Prepared>();
        const int width = prepared->width = header->biWidth, height = prepared->height = header->biHeight;
        const int scales = ScaleCount(width, height);
        if (scales == 0) {
            const BYTE* rows = PixelRows(header.data());
            prepared->rows.assign(rows, rows + std::size_t(RowBytes(24, width)) * std::size_t(height));
        } else {
            Planes linear = MakePlanes(width, height);
            for (int y = 0; y < height; ++y)
                LinearRow(TopDownRow(header.data(), y), width, linear[0].Row(y), linear[1].Row(y),
                          linear[2].Row(y));
            for (int scale = 0; scale < scales; ++scale) {
                if (scale > 0) linear = HalvedPlanes(linear);
                prepared->scales.push_back(PrepareScale(linear, scale, scales));
            }
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
    const int width = prepared_->width, height = prepared_->height;
    if (prepared_->scales.empty()) {
        const std::size_t stride = RowBytes(24, width);
        for (int y = 0; y < height; ++y)
            if (std::memcmp(PixelRows(header.data()) + stride * std::size_t(y),
                            prepared_->rows.data() + stride * std::size_t(y), 3 * std::size_t(width)) != 0)
                return std::nullopt;
        return 100.0;
    }
    try {
        CandidateScales scales(prepared_->scales);
        std::vector<float> linear(3 * std::size_t(width));
        const float* const rgb[3] = {linear.data(), linear.data() + width,
                                     linear.data() + 2 * std::size_t(width)};
        for (int y = 0; y < height; ++y) {
            LinearRow(TopDownRow(header.data(), y), width, linear.data(), linear.data() + width,
                      linear.data() + 2 * std::size_t(width));
            scales.AddRow(0, rgb);
        }
        scales.Finish();
        const int count = int(prepared_->scales.size());
        double weighted = 0;
        for (int c = 0; c < 3; ++c)
            for (int scale = 0; scale < count; ++scale) {
                const Norms norms = scales.scorer(std::size_t(scale)).NormsOf(c);
                const double* weights = WeightsOf(c, scale, count);
                for (std::size_t i = 0; i < norms.size(); ++i) weighted += weights[i] * std::fabs(norms[i]);
            }
        double v = weighted * 0.9562382616834844;
        v = 2.326765642916932 * v - 0.020884521182843837 * v * v + 6.248496625763138e-05 * v * v * v;
        return v > 0 ? 100.0 - 10.0 * std::pow(v, 0.6276336467831387) : 100.0;
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}
