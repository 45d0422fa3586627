// What the benchmarks share: cached photographs, one folder for every file they write, and the
// whole conversion as the window runs it.
#pragma once

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/packed_bitmap.h"
#include "pipeline/output_settings.h"
#include "tests/support/files.h"

// A photograph-like 24-bit picture of that size, made once.
const GlobalBlock& Photograph(int width, int height);

// A picture with flat colours: an icon or a screenshot.
struct FlatPicture {
    const char* name;
    GlobalBlock bitmap;
    GlobalBlock palette;  // the exact palette copy when it has at most 256 colours
};

// The screenshots of docs/, the badge of samples/ and two drawn icons, made once.
const std::vector<FlatPicture>& IconsAndScreenshots();

// The photographs among the shared corpus's JPEG files: camera pictures that read whole.
extern const char* const kCorpusPhotographs[8];

// The corpus photograph of that name, resized to 430 wide as korvi-cli's default; null without
// the corpus. Made once.
PackedBitmap CorpusPhotograph(const char* name);

// The SSIMULACRA2 score of a decoded encoding against its picture; 0 where it has none.
double PerceptualScore(PackedBitmap picture, PackedBitmap decoded);

// Every writer, ours and the peers', writes into this one folder, so all meet the same file system.
const TempFolder& BenchFolder();

// Converts the photograph of that size to its tag (quality 80, side 430).
void BenchmarkConversion(benchmark::State& state, int width, int height, OutputFormat format,
                         int resizeMethod);

// The resident memory one call of `read` adds at its peak (Linux: from /proc/self of a child
// process that runs it).
double PeakBytes(const std::function<void()>& read);

// Runs `program` with `arguments`, its standard output and error to /dev/null: what it used,
// or nothing when it could not run or did not end with status 0.
std::optional<rusage> RunProgram(const char* program, const std::vector<std::string>& arguments);

// The same over the size of the decoded 24-bit picture of that size.
double PeakOverPicture(int width, int height, const std::function<void()>& read);
