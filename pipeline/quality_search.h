// Searches over the qualities of JPEG and lossy WebP, 10 to 100.
#pragma once

#include <functional>
#include <optional>

#include "pipeline/picture_formats.h"

// The rise of the score per quality step where photographs become faithful (bench/auto_survey.cpp).
constexpr double kTypicalScoreRise = 0.6;

// The most qualities a search encodes, whatever it is asked for.
constexpr int kMostQualitiesSearched = 8;

// Scores of neighbouring qualities waver by about half a point, and each quality lower saves
// about 3 % of the bytes: a quality whose score reaches the goal's by less than this is taken
// without looking lower. Over the photographs of bench/auto_survey.cpp that spares a third of the
// encodings for a median line 0.5 % longer.
constexpr double kCloseEnough = 2.5;

// A low quality whose score reaches `minScore`: the first found to reach it by less than
// kCloseEnough, else the lowest, with the quality below it falling short (or 10 itself); nothing
// when not even 100 reaches it, or when `scoreAt` gives nothing (it could not encode, or the
// caller wants no more). An infinite score counts as reaching it: a line that loses anyway needs
// no measuring, and the search looks lower, first at 10. `scoreAt` is asked about each quality at
// most once, at most kMostQualitiesSearched of them, first about `firstGuess`; where the search
// stops short, the lowest quality found to reach `minScore`.
//
// The score rises with the quality, nearly in proportion over the qualities where faithfulness
// is decided, and wavers a little here and there. So each next quality is guessed on that line
// from the nearest qualities known each side of `minScore`; with one side known, from the slope
// of the last two asked (or a typical one), at most 25 qualities on. Once both sides are known,
// the range is halved instead when two guesses in a row failed to halve it.
std::optional<int> LowestFaithfulQuality(const std::function<std::optional<double>(int quality)>& scoreAt,
                                         double minScore, int firstGuess);

// The highest quality from 10 to 100 of the format (JPEG or lossy WebP) for which `fits` holds,
// or nothing; `fits` is asked about each quality at most once, about 8 of them for a typical
// picture.
//
// The line grows with the quality except in dips of a few bytes and, for JPEG, where the
// quantisation tables switch to 16-bit entries (below 24 for luminance, below 20 for
// chrominance: 64 bytes more each). So each run of qualities whose tables have the same
// precision (for WebP, the one run 10 to 100) is searched by bisection from the top run down,
// and after each boundary found the two qualities above it are tried as well, which catches
// those dips.
std::optional<int> HighestFittingQuality(OutputFormat format, const std::function<bool(int)>& fits);
