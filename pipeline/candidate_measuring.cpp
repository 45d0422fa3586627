#include "pipeline/candidate_measuring.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>

#include "codecs/gif/palette_reduction.h"
#include "codecs/webp/webp_writer.h"
#include "pipeline/lossless_estimate.h"
#include "pipeline/quality_search.h"

namespace {

// The lossy formats' searches, in order: the first (WebP, which gave the shortest faithful line of
// 46 of the 47 pictures of bench/auto_survey.cpp) runs whole beside the first trial of each other
// one, which then goes on only while its format may still give a shorter faithful line than the
// lines found. WebP starts where the photographs there reach the default score (median q79);
// JPEG lower (they reach it at a median q81), where its first line mostly falls short already
// longer than WebP's, which rules JPEG out in one trial. Another score moves the start along the
// score's typical rise there.
struct LossySearch {
    OutputFormat format;
    int startAtDefault;
};
constexpr LossySearch kWebpSearch{OutputFormat::kWebp, 79}, kJpegSearch{OutputFormat::kJpeg, 72};
// AVIF, asked for, comes last, bounded by the lines found: at the search's speed it takes 2 to 3
// times a WebP trial. The photographs of bench/auto_survey.cpp whose shortest line is AVIF reach
// the default score there at q49 to q71 (median q61).
constexpr LossySearch kAvifSearch{OutputFormat::kAvif, 61};
// The shortest AVIF file, its boxes around the frame of one pixel: a faithful file of at most
// this many bytes leaves AVIF out untried.
constexpr std::size_t kShortestAvifFile = 299;

int FirstGuess(const LossySearch& search, double minScore) {
    return static_cast<int>(
        std::lround(search.startAtDefault + (minScore - kDefaultMinScore) / kTypicalScoreRise));
}

// How fast a line may shorten as its score comes down to the goal's: over the pictures of
// bench/auto_survey.cpp the lowest faithful quality's line was never shorter than a line above it
// by more than 11.6 % of that line a score point above the goal (JPEG).
constexpr double kMostShorteningPerPoint = 0.12;

// The shortest line the trial's format may still give at `minScore`: a trial that falls short
// needs a higher quality and a longer line; one above it, a lower quality whose line is shorter
// by at most kMostShorteningPerPoint of its own a point above.
double ShortestReachable(const Trial& trial, double minScore) {
    const double above = std::max(0.0, *trial.score - minScore);
    return double(trial.lineBytes) * std::max(0.0, 1 - kMostShorteningPerPoint * above);
}

// Searches the format's qualities for the lowest faithful one, stopping where its lines cannot
// come below `bound`.
void SearchLowestFaithful(EncodingTrials& trials, const LossySearch& search, double minScore,
                          std::optional<std::size_t> bound = std::nullopt) {
    LowestFaithfulQuality(
        [&](int quality) -> std::optional<double> {
            const std::optional<Trial> trial = trials.Try({search.format, quality});
            if (!trial) return std::nullopt;
            // Unscored: longer than a lossless line, so only lower qualities may matter.
            if (!trial->score) return std::numeric_limits<double>::infinity();
            if (bound && ShortestReachable(*trial, minScore) >= double(*bound)) return std::nullopt;
            return *trial->score;
        },
        minScore, FirstGuess(search, minScore));
}

// Lossless lines are tried only where they may be the shortest. Over the shared corpus at 430
// wide and the pictures of bench/auto_survey.cpp, no picture of 64 x 64 pixels or more came to
// less than 0.33 of FastLosslessEstimate's bytes, as PNG or lossless WebP, when it had more than
// 256 colours (an icon of 430 x 430 with soft shadows; screenshots 0.4 to 0.6, photographs 0.8 to
// 0.9), nor to less than 0.37 of its PNG file as lossless WebP when its colours fitted a palette
// (a grey photograph, an icon). So a faithful lossy file below 0.3 of those bytes is shorter than
// any lossless one, and lossless WebP, which takes 5 to 10 times as long as a lossy one on a
// photograph, is left out.
constexpr double kLosslessFloor = 0.3;
constexpr int kSmallPicture = 64 * 64;  // pixels; smaller pictures try every lossless encoding
// Above this many pixels the searches run one after the other, and a picture of more than 256
// colours is not tried as lossless WebP (libwebp takes up to 12 times the picture for it):
// memory stays within 4 times the picture.
constexpr std::int64_t kLargePicture = 2 * 1024 * 1024;

// The shortest faithful file tried, or line.
std::optional<std::size_t> ShortestFaithful(const std::vector<Trial>& trials, double minScore,
                                            std::size_t Trial::*bytes) {
    std::optional<std::size_t> shortest;
    for (const Trial& trial : trials)
        if (trial.score && *trial.score >= minScore && (!shortest || trial.*bytes < *shortest))
            shortest = trial.*bytes;
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
    std::vector<LossySearch> searches;
    for (const LossySearch& search : {kWebpSearch, kJpegSearch})
        if (search.format != OutputFormat::kWebp || webp) searches.push_back(search);
    auto tryLossless = [&] {
        for (const Encoding encoding : {Encoding{OutputFormat::kGif}, Encoding{OutputFormat::kPng},
                                        Encoding{OutputFormat::kWebp, 0, true}}) {
            if (trials.failure() || (encoding.format == OutputFormat::kGif && !palette) ||
                (encoding.format == OutputFormat::kWebp && (!webp || (large && !palette))))
                continue;
            trials.Try(encoding);
        }
    };

    // A picture whose colours fit a palette is tried as PNG first: lossy lines no shorter need no
    // score, and PNG tells what lossless WebP may come to. GIF, never the shortest there, comes
    // with the other lossless lines.
    std::optional<std::size_t> losslessEstimate;
    if (palette) {
        if (const std::optional<Trial> png = trials.Try({OutputFormat::kPng})) {
            losslessEstimate = png->fileBytes;
            trials.LeaveUnscoredFrom(png->lineBytes);
        }
    }
    if (trials.judge().judges() && !trials.failure()) {
        auto lead = [&] { SearchLowestFaithful(trials, searches.front(), goal.minScore); };
        auto aside = [&] {
            for (std::size_t i = 1; i < searches.size() && !trials.failure(); ++i)
                trials.Try({searches[i].format, FirstGuess(searches[i], goal.minScore)});
            if (!palette && !small && !large && webp) losslessEstimate = FastLosslessEstimate(picture);
        };
        (large ? OneAfterOther : sideBySide)(lead, aside);
        if (goal.avif) {
            const std::optional<std::size_t> shortestFile =
                ShortestFaithful(trials.made(), goal.minScore, &Trial::fileBytes);
            if (!shortestFile || *shortestFile > kShortestAvifFile) searches.push_back(kAvifSearch);
        }
        for (std::size_t i = 1; i < searches.size() && !trials.failure(); ++i)
            SearchLowestFaithful(trials, searches[i], goal.minScore,
                                 ShortestFaithful(trials.made(), goal.minScore, &Trial::lineBytes));
    }
    // Whether a lossless encoding, which comes to no less than kLosslessFloor of the estimate,
    // may be shorter than the shortest faithful lossy file.
    const std::optional<std::size_t> lossy =
        ShortestFaithful(trials.made(), goal.minScore, &Trial::fileBytes);
    if (!lossy || small || (losslessEstimate && double(*lossy) >= kLosslessFloor * double(*losslessEstimate)))
        tryLossless();
    if (!goal.maxBytes || trials.failure() || !trials.judge().judges() ||
        ChooseTrial(trials.made(), goal).faithful)
        return;
    // No faithful line fits: the highest quality of each lossy format that fits, as -q auto finds it.
    for (const LossySearch& search : searches) {
        HighestFittingQuality(search.format, [&](int quality) {
            const std::optional<Trial> trial = trials.Try({search.format, quality});
            return trial && trial->lineBytes <= *goal.maxBytes;
        });
    }
}
