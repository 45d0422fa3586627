// The second step of -f auto: which of the encodings measured gives the line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "pipeline/picture_formats.h"

// The SSIMULACRA2 score from which a lossy line counts as faithful by default: the highest whose
// median line over the photographs of bench/auto_survey.cpp stays within 0.8 of JPEG q80's (0.77,
// at a median score of 78.3; JPEG q80 itself scores a median 78.9 there).
constexpr double kDefaultMinScore = 78;

// What -f auto is asked for.
struct FaithfulGoal {
    double minScore = kDefaultMinScore;     // from which a line counts as faithful
    std::optional<std::uint64_t> maxBytes;  // the longest line allowed
    bool avif = false;                      // lossy AVIF among the candidates too
};

// An encoding of a picture as measured.
struct Trial {
    Encoding encoding;
    std::size_t fileBytes = 0;
    std::size_t lineBytes = 0;  // the whole line it gives
    // SSIMULACRA2 against the picture, 100 for an identical one; nothing when not measured (a
    // lossy line no shorter than a lossless one, which can never be chosen).
    std::optional<double> score;
};

struct TrialChoice {
    std::optional<Trial> trial;  // nothing when no trial fits
    bool faithful = false;       // false: no faithful trial fits, and this is the most faithful that does
};

// The trial whose line is the shortest of those whose score reaches the goal's and that fit its
// bytes; else the one of the highest score that fits (the shorter of equals); else none. Of equal
// lines the one first in `trials`.
TrialChoice ChooseTrial(const std::vector<Trial>& trials, const FaithfulGoal& goal);
