#include "cli/quality_budget.h"

#include <array>
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

}  // namespace

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
