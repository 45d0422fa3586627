// korvi-cli's -f auto in rules: the lowest quality whose picture is still faithful, and which of
// the encodings tried gives the line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "pipeline/picture_formats.h"

// An encoding of a picture as tried.
struct Trial {
    Encoding encoding;
    std::size_t fileBytes = 0;
    std::size_t lineBytes = 0;  // the whole line it gives
    double ssim = 1;            // against the picture; 1 for the lossless encodings
};

// The lowest quality from 10 to 100 whose SSIM reaches `minSsim`, with the quality below it
// falling short (or 10 itself); nothing when not even 100 reaches it, or when `ssimAt` cannot
// measure (gives nothing). `ssimAt` is asked about each quality at most once, first about
// `firstGuess`.
//
// The SSIM rises with the quality, nearly linearly in log(1 - SSIM) near the top, and wavers
// by a little here and there. So each next quality is guessed on that scale from the nearest
// qualities known each side of `minSsim`; with one side known, from the slope of the last two
// asked (or a typical one), at most 15 qualities on. Once both sides are known, the range is
// halved instead when two guesses in a row failed to halve it. Over the shared corpus's photographs that asks
// 3 to 5 qualities where halving asks 7.
std::optional<int> LowestFaithfulQuality(const std::function<std::optional<double>(int quality)>& ssimAt,
                                         double minSsim, int firstGuess);

struct TrialChoice {
    std::optional<Trial> trial;  // nothing when no trial fits
    bool faithful = false;       // false: no faithful trial fits, and this is the most faithful that does
};

// The trial whose line is the shortest of those whose SSIM reaches `minSsim` and that fit
// `maxBytes`; else the one of highest SSIM that fits (the shorter of equals); else none. Of
// equal lines the one tried first.
TrialChoice ChooseTrial(const std::vector<Trial>& trials, double minSsim,
                        std::optional<std::uint64_t> maxBytes);
