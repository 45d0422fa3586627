#include "bench/bench_support.h"

#include <map>
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
