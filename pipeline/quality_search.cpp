#include "pipeline/quality_search.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <utility>
#include <vector>

#include "codecs/jpeg/jpeg_tables.h"
#include "pipeline/output_settings.h"

namespace {

// Luminance and chrominance table precision at a quality.
std::pair<bool, bool> TablePrecision(int quality) {
    std::array<jpeg::EncoderQuantTable, 2> tables;
    jpeg::SetQualityTables(quality, false, tables);
    return {tables[0].NeedsSixteenBits(), tables[1].NeedsSixteenBits()};
}

struct Run {
    int low, high;
};

// The runs of qualities with equal table precision, highest first; one run for WebP.
std::vector<Run> PrecisionRuns(OutputFormat format) {
    if (format != OutputFormat::kJpeg) return {{kMinJpegQuality, kMaxJpegQuality}};
    std::vector<Run> runs;
    for (int quality = kMaxJpegQuality; quality >= kMinJpegQuality; --quality) {
        if (runs.empty() || TablePrecision(quality) != TablePrecision(runs.back().low))
            runs.push_back({quality, quality});
        else
            runs.back().low = quality;
    }
    return runs;
}

// Dips that the search looks past: a boundary q is checked against q + 2 ... q + 1 + kDipWidth.
constexpr int kDipWidth = 2;

// The furthest a guess from one side goes.
constexpr double kLongestStep = 25;

// Guesses aim this far above the goal's score, inside the band a quality is taken from without
// looking lower: aimed at the goal itself, every other guess fell just short of it and the search
// crept up one quality at a time.
constexpr double kAimAbove = kCloseEnough / 2;

}  // namespace

std::optional<int> LowestFaithfulQuality(const std::function<std::optional<double>(int quality)>& scoreAt,
                                         double minScore, int firstGuess) {
    std::map<int, double> score;
    // The nearest qualities known to fall short and to reach minScore; beyond the range at first.
    int failing = kMinJpegQuality - 1, passing = kMaxJpegQuality + 1;
    int quality = std::clamp(firstGuess, kMinJpegQuality, kMaxJpegQuality), previous = 0;
    int width = passing - failing, stalled = 0;
    const double aim = minScore + kAimAbove;
    for (int asked = 1;; ++asked) {
        const std::optional<double> measured = scoreAt(quality);
        if (!measured) return std::nullopt;
        score[quality] = *measured;
        (*measured >= minScore ? passing : failing) = quality;
        if (passing - failing <= 1 || asked == kMostQualitiesSearched) break;
        if (*measured >= minScore && *measured < minScore + kCloseEnough) break;
        // While one side is still beyond the range, the range does not tell how well guesses do.
        const bool bothSides = failing >= kMinJpegQuality && passing <= kMaxJpegQuality;
        stalled = bothSides && 2 * (passing - failing) > width ? stalled + 1 : 0;
        width = passing - failing;

        double guess;
        if (bothSides &&
            (stalled >= 2 || !std::isfinite(score[passing]) || score[passing] <= score[failing])) {
            guess = (failing + passing) / 2.0;
            stalled = 0;
        } else if (bothSides) {
            guess =
                failing + (aim - score[failing]) * (passing - failing) / (score[passing] - score[failing]);
        } else {
            double slope = kTypicalScoreRise;
            if (previous != 0 && std::isfinite(score[quality]) && std::isfinite(score[previous])) {
                const double rise = (score[quality] - score[previous]) / (quality - previous);
                if (rise > 0) slope = rise;
            }
            // A line that loses here may still win at the lowest quality, or nowhere.
            guess = std::isfinite(score[quality])
                        ? quality + std::clamp((aim - score[quality]) / slope, -kLongestStep, kLongestStep)
                        : kMinJpegQuality;
        }
        previous = quality;
        quality = static_cast<int>(std::lround(std::clamp(guess, failing + 1.0, passing - 1.0)));
    }
    if (passing > kMaxJpegQuality) return std::nullopt;
    return passing;
}

std::optional<int> HighestFittingQuality(OutputFormat format, const std::function<bool(int)>& fits) {
    std::array<signed char, kMaxJpegQuality + 1> known;  // -1 unknown, else the answer
    known.fill(-1);
    auto ask = [&](int quality) {
        if (known[quality] < 0) known[quality] = fits(quality) ? 1 : 0;
        return known[quality] == 1;
    };
    for (const Run& run : PrecisionRuns(format)) {
        // `best` fits (or lies below the run); the answer is within [best, limit].
        int best = run.low - 1, limit = run.high;
        for (;;) {
            while (best < limit) {
                const int middle = (best + limit + 1) / 2;
                if (ask(middle))
                    best = middle;
                else
                    limit = middle - 1;
            }
            if (best < run.low) break;
            int further = best;
            for (int step = 2; step <= kDipWidth + 1 && best + step <= run.high; ++step) {
                if (ask(best + step)) further = best + step;
            }
            if (further == best) return best;
            best = further;
            limit = run.high;
        }
    }
    return std::nullopt;
}
