#include "core/ssimulacra2.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <new>
#include <vector>

#include "core/blur_ring.h"
#include "core/perceptual_rows.h"
#include "core/scale_pyramid.h"

namespace {

constexpr int kScales = 6;
// A scale is compared while the one before it has both sides at least this long.
constexpr int kSmallestSide = 8;

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

// Which maps of a channel at a scale are made: the SSIM error, the two edge maps.
struct Needs {
    bool error = false, edges = false;
    bool any() const { return error || edges; }
};

const double* WeightsOf(int channel, int scale, int scales) {
    return kWeights + std::size_t(channel * scales + scale) * Norms().size();
}

// A map is made where one of its norms weighs at least this. The lighter ones, 0.0023 at most
// for a map and 0.013 in all, move a score by a few hundredths at most (their maps' values stay
// below 1 or 2), and leaving them out spares the blurs of X and B at full size.
constexpr double kLeastWeight = 0.01;

Needs NeedsOf(int channel, int scale, int scales) {
    const double* w = WeightsOf(channel, scale, scales);
    auto weighs = [w](Map map) { return w[map] >= kLeastWeight || w[kMaps + map] >= kLeastWeight; };
    return {weighs(kError), weighs(kArtifact) || weighs(kLost)};
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

// What the original brings to one scale: its XYB planes, their blur (the local means) and the
// local variances, for the channels whose maps weigh anything there.
struct ReferenceScale {
    int width = 0, height = 0;
    std::array<Needs, 3> needs;
    std::array<Plane, 3> xyb, mean, variance;
};

// A scale of the original, a row at a time: its planes, each row of the means and variances
// made once the rows the blur reaches below it have come.
class ScalePreparer : public ScaleRows {
  public:
    explicit ScalePreparer(ReferenceScale* scale) : scale_(*scale) {
        for (int c = 0; c < 3; ++c) {
            const Needs needs = scale_.needs[c];
            scale_.xyb[c] = Plane(scale_.width, scale_.height);
            if (!needs.any()) continue;
            scale_.mean[c] = Plane(scale_.width, scale_.height);
            mean_[c] = BlurRing(scale_.width, scale_.height);
            if (!needs.error) continue;
            scale_.variance[c] = Plane(scale_.width, scale_.height);
            square_[c] = BlurRing(scale_.width, scale_.height);
        }
    }

    void AddRow(const float* red, const float* green, const float* blue) override {
        const int y = added_++;
        XybRow(red, green, blue, scale_.width, scale_.xyb[0].Row(y), scale_.xyb[1].Row(y),
               scale_.xyb[2].Row(y));
        for (int c = 0; c < 3; ++c) {
            const Needs needs = scale_.needs[c];
            const float* xyb = scale_.xyb[c].Row(y);
            if (needs.any()) mean_[c].Add(y, xyb, nullptr);
            if (needs.error) square_[c].Add(y, xyb, xyb);
        }
        if (added_ > kBlurRadius) CompleteRow(added_ - 1 - kBlurRadius);
    }

    void Finish() override {
        for (int y = std::max(0, added_ - kBlurRadius); y < scale_.height; ++y) CompleteRow(y);
        for (int c = 0; c < 3; ++c)
            if (!scale_.needs[c].any()) scale_.xyb[c] = Plane();
    }

  private:
    void CompleteRow(int y) {
        for (int c = 0; c < 3; ++c) {
            const Needs needs = scale_.needs[c];
            if (!needs.any()) continue;
            float* mean = scale_.mean[c].Row(y);
            mean_[c].BlurredRow(y, mean);
            if (!needs.error) continue;
            float* variance = scale_.variance[c].Row(y);
            square_[c].BlurredRow(y, variance);
            for (int x = 0; x < scale_.width; ++x) variance[x] -= mean[x] * mean[x];
        }
    }

    ReferenceScale& scale_;
    int added_ = 0;
    std::array<BlurRing, 3> mean_, square_;
};

// One scale of a candidate, a row at a time: each row's maps are made once the rows the blur
// reaches below it have come, and summed.
class ScaleScorer : public ScaleRows {
  public:
    explicit ScaleScorer(const ReferenceScale& reference)
        : reference_(reference),
          width_(reference.width),
          memory_(std::size_t(kWorkRows) * std::size_t(width_), 0.0f) {
        for (int c = 0; c < 3; ++c) {
            const Needs needs = reference_.needs[c];
            if (!needs.any()) continue;
            mean_[c] = BlurRing(width_, reference_.height);
            if (!needs.error) continue;
            square_[c] = BlurRing(width_, reference_.height);
            cross_[c] = BlurRing(width_, reference_.height);
        }
    }

    void AddRow(const float* red, const float* green, const float* blue) override {
        const int y = added_++;
        float* xyb[3] = {Xyb(0, y), Xyb(1, y), Xyb(2, y)};
        XybRow(red, green, blue, width_, xyb[0], xyb[1], xyb[2]);
        for (int c = 0; c < 3; ++c) {
            const Needs needs = reference_.needs[c];
            if (needs.any()) mean_[c].Add(y, xyb[c], nullptr);
            if (!needs.error) continue;
            square_[c].Add(y, xyb[c], xyb[c]);
            cross_[c].Add(y, reference_.xyb[c].Row(y), xyb[c]);
        }
        if (added_ > kBlurRadius) ScoreRow(added_ - 1 - kBlurRadius);
    }

    void Finish() override {
        for (int y = std::max(0, added_ - kBlurRadius); y < reference_.height; ++y) ScoreRow(y);
        AddUpColumns();
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
    // Rows of working memory: the candidate's XYB rows of each channel, kept as long as the
    // blur rings keep theirs; its local means, squares and products with the original of one
    // row; and the per-column sums of the maps' values and fourth powers, kept in floats for
    // a few rows at a time.
    enum WorkRow {
        kXybRows = 0,
        kMeanRow = 3 * kBlurRows,
        kSquareRow,
        kCrossRow,
        kColumnSums,
        kWorkRows = kColumnSums + 3 * 2 * kMaps
    };
    static constexpr int kRowsPerAddingUp = 32;

    float* Work(int row) { return memory_.data() + std::size_t(row) * std::size_t(width_); }
    float* Xyb(int c, int y) { return Work(kXybRows + c * kBlurRows + y % kBlurRows); }
    float* ColumnSums(int c, int norm) { return Work(kColumnSums + c * 2 * kMaps + norm); }

    // Adds the column sums up into the sums in doubles, and starts them again.
    void AddUpColumns() {
        for (int c = 0; c < 3; ++c)
            for (int norm = 0; norm < 2 * kMaps; ++norm) {
                float* columns = ColumnSums(c, norm);
                double sum = 0;
                for (int x = 0; x < width_; ++x) sum += double(columns[x]);
                sums_[c][norm] += sum;
                std::fill(columns, columns + width_, 0.0f);
            }
    }

    void ScoreRow(int y) {
        for (int c = 0; c < 3; ++c) {
            const Needs needs = reference_.needs[c];
            if (!needs.any()) continue;
            float* mean2 = Work(kMeanRow);
            mean_[c].BlurredRow(y, mean2);
            const float* mean1 = reference_.mean[c].Row(y);
            if (needs.error) {
                float *square2 = Work(kSquareRow), *cross = Work(kCrossRow);
                square_[c].BlurredRow(y, square2);
                cross_[c].BlurredRow(y, cross);
                AddSsimErrorRow(mean1, reference_.variance[c].Row(y), mean2, square2, cross, width_,
                                ColumnSums(c, kError), ColumnSums(c, kMaps + kError));
            }
            if (needs.edges)
                AddEdgeRows(reference_.xyb[c].Row(y), mean1, Xyb(c, y), mean2, width_,
                            ColumnSums(c, kArtifact), ColumnSums(c, kMaps + kArtifact), ColumnSums(c, kLost),
                            ColumnSums(c, kMaps + kLost));
        }
        if ((y + 1) % kRowsPerAddingUp == 0) AddUpColumns();
    }

    const ReferenceScale& reference_;
    int width_;
    int added_ = 0;
    std::vector<float> memory_;
    std::array<BlurRing, 3> mean_, square_, cross_;
    double sums_[3][2 * kMaps] = {};
};

// A complete bottom-up 24-bit bitmap, whose every row can be read.
bool IsPicture24(PackedBitmap bitmap) {
    if (!IsCompleteBitmap(bitmap)) return false;
    BitmapLock header(bitmap);
    return header->biBitCount == 24 && header->biHeight > 0;
}

// Each scale's takers, in the order FeedScales wants them.
template <class Taker>
std::vector<ScaleRows*> Pointers(std::vector<Taker>& takers) {
    std::vector<ScaleRows*> pointers;
    for (Taker& taker : takers) pointers.push_back(&taker);
    return pointers;
}

}  // namespace

struct PerceptualReference::Prepared {
    int width = 0, height = 0;
    std::vector<ReferenceScale> scales;
    // A picture too small for any scale keeps its rows, to tell an identical candidate.
    std::vector<BYTE> rows;
};

PerceptualReference::PerceptualReference(PackedBitmap original) {
    if (!IsPicture24(original)) return;
    BitmapLock header(original);
    try {
        auto prepared = std::make_unique<Prepared>();
        int width = prepared->width = header->biWidth, height = prepared->height = header->biHeight;
        const int count = ScaleCount(width, height);
        if (count == 0) {
            const BYTE* rows = PixelRows(header.data());
            prepared->rows.assign(rows, rows + std::size_t(RowBytes(24, width)) * std::size_t(height));
        }
        prepared->scales.resize(std::size_t(count));
        std::vector<ScalePreparer> preparers;
        preparers.reserve(prepared->scales.size());
        for (int scale = 0; scale < count; ++scale, width = (width + 1) / 2, height = (height + 1) / 2) {
            ReferenceScale& s = prepared->scales[std::size_t(scale)];
            s.width = width;
            s.height = height;
            for (int c = 0; c < 3; ++c) s.needs[std::size_t(c)] = NeedsOf(c, scale, count);
            preparers.emplace_back(&s);
        }
        FeedScales(header.data(), Pointers(preparers));
        prepared_ = std::move(prepared);
    } catch (const std::bad_alloc&) {
    }
}

PerceptualReference::~PerceptualReference() = default;

bool PerceptualReference::ready() const {
    return prepared_ != nullptr;
}

std::optional<double> PerceptualReference::Score(PackedBitmap candidate) const {
    if (!ready() || !IsPicture24(candidate)) return std::nullopt;
    BitmapLock header(candidate);
    if (header->biWidth != prepared_->width || header->biHeight != prepared_->height) return std::nullopt;
    if (prepared_->scales.empty()) {
        const std::size_t stride = RowBytes(24, prepared_->width), used = 3 * std::size_t(prepared_->width);
        for (int y = 0; y < prepared_->height; ++y)
            if (std::memcmp(PixelRows(header.data()) + stride * std::size_t(y),
                            prepared_->rows.data() + stride * std::size_t(y), used) != 0)
                return std::nullopt;
        return 100.0;
    }
    try {
        std::vector<ScaleScorer> scorers(prepared_->scales.begin(), prepared_->scales.end());
        FeedScales(header.data(), Pointers(scorers));
        const int count = int(scorers.size());
        double weighted = 0;
        for (int c = 0; c < 3; ++c)
            for (int scale = 0; scale < count; ++scale) {
                const Norms norms = scorers[std::size_t(scale)].NormsOf(c);
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
