// What the benchmarks share: cached photographs, one folder for every file they write, and the
// whole conversion as the window runs it.
#pragma once

#include <benchmark/benchmark.h>

#include <functional>

#include "core/output_settings.h"
#include "core/packed_bitmap.h"
#include "tests/support/files.h"

// A photograph-like 24-bit picture of that size, made once.
const GlobalBlock& Photograph(int width, int height);

// Every writer, ours and the peers', writes into this one folder, so all meet the same file system.
const TempFolder& BenchFolder();

// Converts the photograph of that size to its tag (quality 80, side 430).
void BenchmarkConversion(benchmark::State& state, int width, int height, OutputFormat format,
                         int resizeMethod);

// The resident memory one call of `read` adds at its peak, over the size of the decoded 24-bit
// picture of that size (Linux: from /proc/self).
double PeakOverPicture(int width, int height, const std::function<void()>& read);
