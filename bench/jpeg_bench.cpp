// The JPEG encoder beside stb_image_write on the same generated photographs, and the whole
// JPEG conversion.
#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "codecs/jpeg/jpeg_writer.h"
#include "core/conversion.h"
#include "tests/support/files.h"
#include "tests/support/synthetic_picture.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include "stb_image_write.h"

namespace {

constexpr int kQuality = 80;

struct Photo {
    GlobalBlock bitmap;
    std::vector<unsigned char> rgb;  // the same pixels, top row first, for the peer
};

const Photo& PhotoOf(int width, int height) {
    static std::map<std::pair<int, int>, Photo> made;
    Photo& photo = made[{width, height}];
    if (!photo.bitmap) {
        const ColourAt colour = NaturalPicture(width, height);
        photo.bitmap = MakeBitmap24(width, height, colour);
        photo.rgb.reserve(static_cast<std::size_t>(width) * height * 3);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const Rgb c = colour(x, y);
                photo.rgb.insert(photo.rgb.end(), {c.r, c.g, c.b});
            }
    }
    return photo;
}

// Both encoders write their files into this one folder.
const TempFolder& Folder() {
    static const TempFolder folder;
    return folder;
}

void EncodeKorvi(benchmark::State& state, int width, int height) {
    const Photo& photo = PhotoOf(width, height);
    const std::string path = Folder().File("korvi.jpg");
    for (auto _ : state)
        if (WriteJpegFile(photo.bitmap.get(), path.c_str(), kQuality) != 0)
            state.SkipWithError("WriteJpegFile failed");
    state.counters["bytes"] = static_cast<double>(ReadBytes(path).size());
}

void EncodeStb(benchmark::State& state, int width, int height) {
    const Photo& photo = PhotoOf(width, height);
    const std::string path = Folder().File("stb_image_write.jpg");
    for (auto _ : state)
        if (stbi_write_jpg(path.c_str(), width, height, 3, photo.rgb.data(), kQuality) == 0)
            state.SkipWithError("stbi_write_jpg failed");
    state.counters["bytes"] = static_cast<double>(ReadBytes(path).size());
}

void JpegConversion(benchmark::State& state) {
    const TempFolder& folder = Folder();
    ConversionRequest request;
    request.picture = PhotoOf(4000, 3000).bitmap.get();
    request.width = 4000;
    request.height = 3000;
    request.resizeMethod = 1;
    request.format = OutputFormat::kJpeg;
    request.qualityText = "80";
    request.sideText = "430";
    request.workFolder = folder.path();
    for (auto _ : state) {
        ConversionOutcome outcome = ConvertPicture(request);
        if (!outcome.succeeded) state.SkipWithError(outcome.message);
        benchmark::DoNotOptimize(outcome.text.data());
    }
}

}  // namespace

BENCHMARK_CAPTURE(EncodeKorvi, 4000x3000, 4000, 3000)
    ->Name("jpeg encode 4000x3000 q80 | korvi")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(EncodeStb, 4000x3000, 4000, 3000)
    ->Name("jpeg encode 4000x3000 q80 | stb_image_write")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(EncodeKorvi, 430x323, 430, 323)
    ->Name("jpeg encode 430x323 q80 | korvi")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(EncodeStb, 430x323, 430, 323)
    ->Name("jpeg encode 430x323 q80 | stb_image_write")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(JpegConversion)->Name("conversion 4000x3000 jpeg | korvi")->Unit(benchmark::kMillisecond);
