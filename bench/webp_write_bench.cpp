// WebP output: the writer beside the JPEG writer on the corpus photographs at quality 80, and
// lossless beside the PNG writer on icons and screenshots, with the bytes and SSIMULACRA2 score of each as
// counters; then the encoder choices the writer could make, each with what it gives.
#include <benchmark/benchmark.h>

#include <string>

#include "bench/bench_support.h"
#include "codecs/jpeg/jpeg_writer.h"
#include "codecs/png/png_writer.h"
#include "codecs/webp/webp_reader.h"
#include "codecs/webp/webp_writer.h"
#include "pipeline/faithful_choice.h"
#include "pipeline/picture_loader.h"

namespace {

constexpr double kFaithful = kDefaultMinScore;

double WebpScore(PackedBitmap picture, const WebpBytes& bytes) {
    PackedBitmap decoded = nullptr;
    DecodeWebp(&decoded, bytes.data.get(), bytes.size, 0);
    GlobalBlock owned(decoded);
    return PerceptualScore(picture, decoded);
}

// The bytes of the lowest quality whose score reaches kFaithful, found by halving 10..100.
double FaithfulBytes(PackedBitmap picture, const WebpTuning& tuning) {
    int low = 10, high = 100;
    WebpBytes bytes;
    while (low < high) {
        const int middle = (low + high) / 2;
        EncodeWebp(picture, WebpEncoding::Lossy(middle), &bytes, tuning);
        if (WebpScore(picture, bytes) >= kFaithful)
            high = middle;
        else
            low = middle + 1;
    }
    EncodeWebp(picture, WebpEncoding::Lossy(low), &bytes, tuning);
    return double(bytes.size);
}

void WriteWebpPhoto(benchmark::State& state, const char* name) {
    const PackedBitmap photo = CorpusPhotograph(name);
    if (photo == nullptr) return state.SkipWithError("no shared corpus");
    WebpBytes bytes;
    for (auto _ : state) {
        if (EncodeWebp(photo, WebpEncoding::Lossy(80), &bytes) != kWebpWritten)
            state.SkipWithError("encoding failed");
    }
    state.counters["bytes"] = double(bytes.size);
    state.counters["score"] = WebpScore(photo, bytes);
}

void WriteJpegPhoto(benchmark::State& state, const char* name) {
    const PackedBitmap photo = CorpusPhotograph(name);
    if (photo == nullptr) return state.SkipWithError("no shared corpus");
    const std::string path = BenchFolder().File("photo.jpg");
    for (auto _ : state) {
        if (WriteJpegFile(photo, path.c_str(), 80) != kJpegWritten) state.SkipWithError("write failed");
    }
    GlobalBlock decoded(LoadPictureFile(path.c_str()));
    state.counters["bytes"] = double(ReadBytes(path).size());
    state.counters["score"] = PerceptualScore(photo, decoded.get());
}

void WriteWebpLossless(benchmark::State& state, std::size_t index) {
    const FlatPicture& picture = IconsAndScreenshots()[index];
    WebpBytes bytes;
    for (auto _ : state) {
        if (EncodeWebp(picture.bitmap.get(), WebpEncoding::Lossless(), &bytes) != kWebpWritten)
            state.SkipWithError("encoding failed");
    }
    state.counters["bytes"] = double(bytes.size);
}

void WritePng(benchmark::State& state, std::size_t index) {
    const FlatPicture& picture = IconsAndScreenshots()[index];
    const std::string path = BenchFolder().File("flat.png");
    for (auto _ : state) {
        if (WritePngFile(picture.palette ? picture.palette.get() : picture.bitmap.get(), path.c_str()) !=
            kPngWritten)
            state.SkipWithError("write failed");
    }
    state.counters["bytes"] = double(ReadBytes(path).size());
}

// The choices measured for the writer: libwebp's defaults (method 4, noise shaping 50, filter
// 60, sharpness 0, 4 segments), each changed in one respect, and lossless at libwebp's effort
// levels 0 to 9.
struct Choice {
    const char* name;
    WebpTuning tuning;
};
constexpr WebpTuning kDefaults = {4, 50, 60, 0, false, 4, false, 4, 75, 75};
constexpr WebpTuning With(WebpTuning tuning, int WebpTuning::*field, int value) {
    tuning.*field = value;
    return tuning;
}
constexpr WebpTuning WithFlag(WebpTuning tuning, bool WebpTuning::*field) {
    tuning.*field = true;
    return tuning;
}
const Choice kLossyChoices[] = {
    {"defaults", kDefaults},
    {"method 0", With(kDefaults, &WebpTuning::method, 0)},
    {"method 2", With(kDefaults, &WebpTuning::method, 2)},
    {"method 3", With(kDefaults, &WebpTuning::method, 3)},
    {"method 5", With(kDefaults, &WebpTuning::method, 5)},
    {"method 6", With(kDefaults, &WebpTuning::method, 6)},
    {"auto filter", WithFlag(kDefaults, &WebpTuning::autoFilter)},
    {"sharp yuv", WithFlag(kDefaults, &WebpTuning::sharpYuv)},
    {"noise shaping 25", With(kDefaults, &WebpTuning::noiseShaping, 25)},
    {"noise shaping 80", With(kDefaults, &WebpTuning::noiseShaping, 80)},
    {"filter 20", With(kDefaults, &WebpTuning::filterStrength, 20)},
    {"sharpness 4", With(kDefaults, &WebpTuning::filterSharpness, 4)},
    {"segments 2", With(kDefaults, &WebpTuning::segments, 2)},
};
// libwebp's lossless levels as (method, effort).
constexpr int kLosslessLevels[10][2] = {{0, 0},  {1, 20}, {2, 25}, {3, 30}, {3, 50},
                                        {4, 50}, {4, 75}, {4, 90}, {5, 90}, {6, 100}};

void LossyChoice(benchmark::State& state, const char* name, std::size_t choice) {
    const PackedBitmap photo = CorpusPhotograph(name);
    if (photo == nullptr) return state.SkipWithError("no shared corpus");
    const WebpTuning& tuning = kLossyChoices[choice].tuning;
    WebpBytes bytes;
    for (auto _ : state) EncodeWebp(photo, WebpEncoding::Lossy(80), &bytes, tuning);
    state.counters["bytes"] = double(bytes.size);
    state.counters["score"] = WebpScore(photo, bytes);
    state.counters["faithful bytes"] = FaithfulBytes(photo, tuning);
}

void LosslessChoice(benchmark::State& state, PackedBitmap picture, int level) {
    if (picture == nullptr) return state.SkipWithError("no picture");
    const WebpTuning tuning =
        With(With(With(kSmallWebp, &WebpTuning::losslessMethod, kLosslessLevels[level][0]),
                  &WebpTuning::losslessEffort, kLosslessLevels[level][1]),
             &WebpTuning::smallLosslessEffort, kLosslessLevels[level][1]);
    WebpBytes bytes;
    for (auto _ : state) EncodeWebp(picture, WebpEncoding::Lossless(), &bytes, tuning);
    state.counters["bytes"] = double(bytes.size);
}

const bool kRegistered = [] {
    for (const char* name : kCorpusPhotographs) {
        const std::string photo = std::string("webp q80 ") + name;
        benchmark::RegisterBenchmark((photo + " | korvi").c_str(), WriteWebpPhoto, name);
        benchmark::RegisterBenchmark((photo + " | jpeg q80").c_str(), WriteJpegPhoto, name);
        for (std::size_t c = 0; c < std::size(kLossyChoices); ++c)
            benchmark::RegisterBenchmark(
                (std::string("webp choice ") + name + ", " + kLossyChoices[c].name).c_str(), LossyChoice,
                name, c)
                ->MinTime(0.1);
    }
    for (std::size_t i = 0; i < IconsAndScreenshots().size(); ++i) {
        const std::string name = std::string("webp lossless ") + IconsAndScreenshots()[i].name;
        benchmark::RegisterBenchmark((name + " | korvi").c_str(), WriteWebpLossless, i);
        benchmark::RegisterBenchmark((name + " | png").c_str(), WritePng, i);
        for (int level = 0; level < 10; ++level)
            benchmark::RegisterBenchmark((std::string("webp lossless choice ") +
                                          IconsAndScreenshots()[i].name + ", level " + std::to_string(level))
                                             .c_str(),
                                         [i, level](benchmark::State& state) {
                                             LosslessChoice(state, IconsAndScreenshots()[i].bitmap.get(),
                                                            level);
                                         })
                ->MinTime(0.1);
    }
    return true;
}();

}  // namespace
