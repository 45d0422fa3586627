#include "bench/bench_support.h"

#include <malloc.h>

#include <fstream>
#include <map>
#include <string>
#include <utility>

#include "core/conversion.h"
#include "tests/support/synthetic_picture.h"

const GlobalBlock& Photograph(int width, int height) {
    static std::map<std::pair<int, int>, GlobalBlock> made;
    GlobalBlock& photo = made[{width, height}];
    if (!photo) photo = MakeBitmap24(width, height, NaturalPicture(width, height));
    return photo;
}

const TempFolder& BenchFolder() {
    static const TempFolder folder;
    return folder;
}

void BenchmarkConversion(benchmark::State& state, int width, int height, OutputFormat format,
                         int resizeMethod) {
    ConversionRequest request;
    request.picture = Photograph(width, height).get();
    request.width = width;
    request.height = height;
    request.sourcePath = "photograph.bmp";
    request.resizeMethod = resizeMethod;
    request.format = format;
    request.workFolder = BenchFolder().path();
    for (auto _ : state) {
        ConversionOutcome outcome = ConvertPicture(request);
        if (!outcome.succeeded) state.SkipWithError(outcome.message);
        benchmark::DoNotOptimize(outcome.text.data());
    }
}

namespace {

long StatusKilobytes(const char* field) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(field, 0) == 0) return std::stol(line.substr(std::string(field).size()));
    return 0;
}

}  // namespace

double PeakOverPicture(int width, int height, const std::function<void()>& read) {
    // Every large block from its own mapping, given back when freed, so that the resident size
    // counts what the read holds and not what an earlier one left in the heap.
    mallopt(M_MMAP_THRESHOLD, 64 * 1024);
    malloc_trim(0);
    std::ofstream("/proc/self/clear_refs") << "5";  // the peak starts again from what is resident now
    const long before = StatusKilobytes("VmRSS:");
    read();
    return double(StatusKilobytes("VmHWM:") - before) * 1024 / (3.0 * width * height);
}
