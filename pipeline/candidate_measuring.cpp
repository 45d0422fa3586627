#include "pipeline/candidate_measuring.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>

#include "codecs/gif/palette_reduction.h"
#include "codecs/webp/webp_writer.h"
#include "pipeline/quality_search.h"

namespace {

// Where each search starts at the default score: the median quality at which the photographs
// of bench/auto_survey.cpp reach it. Another score moves the start along the score's typical
// rise there.
struct LossySearch {
    OutputFormat format;
    int startAtDefault;
};
constexpr LossySearch kWebpSearch{OutputFormat::kWebp, 79}, kJpegSearch{OutputFormat::kJpeg, 81};

int FirstGuess(const LossySearch& search, double minScore) {
    return static_cast<int>(
        std::lround(search.startAtDefault + (minScore - kDefaultMinScore) / kTypicalScoreRise));
}

void SearchLowestFaithful(EncodingTrials& trials, const LossySearch& search, double minScore) {
    LowestFaithfulQuality(
        [&](int quality) -> std::optional<double> {
            const std::optional<Trial> trial = trials.Try({search.format, quality});
            if (!trial) return std::nullopt;
            // Unscored: longer than a lossless line, so only lower qualities may matter.
            return trial->score.value_or(std::numeric_limits<double>::infinity());
        },
        minScore, FirstGuess(search, minScore));
}

// Lossless lines are tried only where they may be the shortest. Over the shared corpus at 430
// wide and the icons and screenshots, no picture of 64 x 64 pixels or more came to less than
// 0.41 of the bytes of libwebp's fastest lossless encoding, as PNG or lossless WebP, when it had
// more than 256 colours (a screenshot; photographs 0.8 to 0.9), nor to less than 0.37 of its PNG
// file as lossless WebP when its colours fitted a palette (a grey photograph, an icon). So a
// faithful lossy file below 0.3 of those bytes is shorter than any lossless one, and lossless
// WebP, which takes 5 to 10 times as long as a lossy one on a photograph, is left out.
constexpr double kLosslessFloor = 0.3;
constexpr int kSmallPicture = 64 * 64;  // pixels; smaller pictures try every lossless encoding
// Above this many pixels the searches run one after the other, and a picture of more than 256
// colours is not tried as lossless WebP (libwebp takes up to 12 times the picture for it):
// memory stays within 4 times the picture.
constexpr std::int64_t kLargePicture = 2 * 1024 * 1024;

std::optional<std::size_t> FastLosslessWebpBytes(PackedBitmap picture) {
    WebpTuning fastest = kSmallWebp;
    fastest.losslessMethod = 0;
    fastest.losslessEffort = 0;
    WebpBytes bytes;
    const WebpWriteStatus status = EncodeWebp(picture, WebpEncoding::Lossless(), &bytes, fastest);
    if (status == kWebpOutOfMemory) throw std::bad_alloc();
    if (status != kWebpWritten) return std::nullopt;
    return bytes.size;
}

// The bytes of the shortest faithful file tried.
std::optional<std::size_t> ShortestFaithfulFile(const std::vector<Trial>& trials, double minScore) {
    std::optional<std::size_t> shortest;
    for (const Trial& trial : trials)
        if (trial.score && *trial.score >= minScore && (!shortest || trial.fileBytes < *shortest))
            shortest = trial.fileBytes;
    return shortest;
}

}  // namespace

void OneAfterOther(const std::function<void()>& first, const std::function<void()>& second) {
    first();
    second();
}

void MeasureCandidates(EncodingTrials& trials, const FaithfulGoal& goal, const SideBySide& sideBySide) {
    const PackedBitmap picture = trials.picture();
    BitmapLock header(picture);
    if (!header) throw std::bad_alloc();
    const std::int64_t width = header->biWidth, height = header->biHeight, pixels = width * height;
    const bool webp = width <= kMaxWebpSide && height <= kMaxWebpSide;
    const bool small = pixels<kSmallPicture, large = pixels> kLargePicture;
    const bool palette = GlobalBlock(ReduceToExactPalette(picture)).get() != nullptr;
    auto tryLossless = [&] {
        for (const Encoding encoding :
             {Encoding{OutputFormat::kPng}, Encoding{OutputFormat::kWebp, 0, true}}) {
            if (trials.failure() ||
                (encoding.format == OutputFormat::kWebp && (!webp || (large && !palette))))
                continue;
            trials.Try(encoding);
        }
    };

    // A picture whose colours fit a palette is tried as GIF and PNG first: lossy lines no shorter
    // need no score, and PNG tells what lossless WebP may come to.
    std::optional<std::size_t> losslessEstimate;
    if (palette) {
        trials.Try({OutputFormat::kGif});
        const std::optional<Trial> png = trials.Try({OutputFormat::kPng});
        if (png) losslessEstimate = png->fileBytes;
        const std::vector<Trial> lossless = trials.made();
        if (!lossless.empty())
            trials.LeaveUnscoredFrom(
                std::min_element(lossless.begin(), lossless.end(), [](const Trial& a, const Trial& b) {
                    return a.lineBytes < b.lineBytes;
                })->lineBytes);
    }
    if (trials.judge().judges() && !trials.failure()) {
        auto webpSearch = [&] {
            if (webp) SearchLowestFaithful(trials, kWebpSearch, goal.minScore);
        };
        auto jpegSearch = [&] {
            SearchLowestFaithful(trials, kJpegSearch, goal.minScore);
            if (!palette && !small && !large && webp) losslessEstimate = FastLosslessWebpBytes(picture);
        };
        (large ? OneAfterOther : sideBySide)(webpSearch, jpegSearch);
    }
    // Whether a lossless encoding, which comes to no less than kLosslessFloor of the estimate,
    // may be shorter than the shortest faithful lossy file.
    const std::optional<std::size_t> lossy = ShortestFaithfulFile(trials.made(), goal.minScore);
    if (!lossy || small || (losslessEstimate && double(*lossy) >= kLosslessFloor * double(*losslessEstimate)))
        tryLossless();
    if (!goal.maxBytes || trials.failure() || !trials.judge().judges() ||
        ChooseTrial(trials.made(), goal).faithful)
        return;
    // No faithful line fits: the highest quality of each lossy format that fits, as -q auto finds it.
    for (const LossySearch& search : {kWebpSearch, kJpegSearch}) {
        if (search.format == OutputFormat::kWebp && !webp) continue;
        HighestFittingQuality(search.format, [&](int quality) {
            const std::optional<Trial> trial = trials.Try({search.format, quality});
            return trial && trial->lineBytes <= *goal.maxBytes;
        });
    }
}
