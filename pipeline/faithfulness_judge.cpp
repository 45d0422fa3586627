#include "pipeline/faithfulness_judge.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {

// SSIMULACRA2's smallest scale needs sides of at least this many pixels.
constexpr int kSmallestJudgedSide = 8;

struct Region {
    int left, top, width, height;  // top counted from the picture's first row on screen
};

// A 24-bit copy of the region.
GlobalBlock CopyOf(PackedBitmap picture, const Region& region) {
    GlobalBlock copy = AllocatePackedBitmap(region.width, region.height, 24, 0);
    BitmapLock to(copy.get()), from(picture);
    if (!to || !from) throw std::bad_alloc();
    const std::size_t fromStride = RowBytes(24, from->biWidth), toStride = RowBytes(24, region.width);
    for (int y = 0; y < region.height; ++y) {
        // Rows are stored bottom-up in both.
        const BYTE* in = PixelRows(from.data()) +
                         fromStride * std::size_t(from->biHeight - 1 - region.top - y) +
                         3 * std::size_t(region.left);
        BYTE* out = PixelRows(to.data()) + toStride * std::size_t(region.height - 1 - y);
        std::memcpy(out, in, 3 * std::size_t(region.width));
    }
    return copy;
}

double Scored(const PerceptualReference& reference, PackedBitmap candidate) {
    if (!reference.ready()) throw std::bad_alloc();
    const std::optional<double> score = reference.Score(candidate);
    if (!score) throw std::bad_alloc();  // the sizes match, so only memory can be short
    return *score;
}

// Tiles of near-equal sides up to kTileSide, starting at even columns and rows.
std::vector<Region> Tiles(int width, int height, int side) {
    auto cuts = [side](int length) {
        const int count = (length + side - 1) / side;
        std::vector<int> at;
        for (int i = 0; i <= count; ++i) at.push_back(i == count ? length : (length / count * i) & ~1);
        return at;
    };
    const std::vector<int> columns = cuts(width), rows = cuts(height);
    std::vector<Region> tiles;
    for (std::size_t r = 0; r + 1 < rows.size(); ++r)
        for (std::size_t c = 0; c + 1 < columns.size(); ++c)
            tiles.push_back({columns[c], rows[r], columns[c + 1] - columns[c], rows[r + 1] - rows[r]});
    return tiles;
}

}  // namespace

FaithfulnessJudge::FaithfulnessJudge(PackedBitmap picture) : picture_(picture) {
    BitmapLock header(picture);
    if (!header) return;
    width_ = header->biWidth;
    height_ = header->biHeight;
    judges_ = width_ >= kSmallestJudgedSide && height_ >= kSmallestJudgedSide;
    if (judges_ && std::int64_t(width_) * height_ <= kWholePixels)
        whole_ = std::make_unique<PerceptualReference>(picture);
}

FaithfulnessJudge::~FaithfulnessJudge() = default;

std::optional<double> FaithfulnessJudge::Score(PackedBitmap candidate) const {
    if (SamePixels(picture_, candidate)) return 100.0;
    if (!judges_) return std::nullopt;
    if (whole_) return Scored(*whole_, candidate);
    double worst = 100;
    for (const Region& tile : Tiles(width_, height_, kTileSide)) {
        const GlobalBlock original = CopyOf(picture_, tile);
        const PerceptualReference reference(original.get());
        worst = std::min(worst, Scored(reference, CopyOf(candidate, tile).get()));
    }
    return worst;
}

bool SamePixels(PackedBitmap a, PackedBitmap b) {
    BitmapLock first(a), second(b);
    if (!first || !second) throw std::bad_alloc();
    if (first->biWidth != second->biWidth || first->biHeight != second->biHeight ||
        first->biBitCount != second->biBitCount)
        return false;
    const std::size_t stride = RowBytes(first->biBitCount, first->biWidth);
    const std::size_t used = (std::size_t(first->biWidth) * first->biBitCount + 7) / 8;
    for (int y = 0; y < first->biHeight; ++y)
        if (std::memcmp(PixelRows(first.data()) + stride * std::size_t(y),
                        PixelRows(second.data()) + stride * std::size_t(y), used) != 0)
            return false;
    return true;
}
