// The highest JPEG or WebP quality whose line still fits a size budget.
#pragma once

#include <functional>
#include <optional>

#include "pipeline/picture_formats.h"

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
