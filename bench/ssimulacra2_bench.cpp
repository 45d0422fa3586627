// The perceptual score beside one JPEG encoding at quality 80 of the same 430-wide photograph:
// -f auto scores a few candidates a picture (three to six for most photographs) against one
// prepared original. The peak memory of preparing is what the reference holds; that of scoring,
// what one score adds.
#include <string>

#include "bench/bench_support.h"
#include "codecs/jpeg/jpeg_writer.h"
#include "core/ssimulacra2.h"
#include "core/vector_level.h"
#include "pipeline/picture_loader.h"

namespace {

constexpr int kWidth = 430, kHeight = 323;

// The photograph through JPEG at quality 80, decoded again: a candidate as -f auto scores one.
const GlobalBlock& Candidate() {
    static const GlobalBlock decoded = [] {
        const std::string path = BenchFolder().File("candidate.jpg");
        WriteJpegFile(Photograph(kWidth, kHeight).get(), path.c_str(), 80);
        return GlobalBlock(PreparePicture(ReadPictureByContent(path.c_str()), nullptr));
    }();
    return decoded;
}

void Prepare(benchmark::State& state) {
    const PackedBitmap original = Photograph(kWidth, kHeight).get();
    for (auto _ : state) benchmark::DoNotOptimize(PerceptualReference(original).ready());
    state.counters["peak/picture"] = PeakOverPicture(
        kWidth, kHeight, [&] { benchmark::DoNotOptimize(PerceptualReference(original).ready()); });
}

void Score(benchmark::State& state) {
    const PerceptualReference reference(Photograph(kWidth, kHeight).get());
    const PackedBitmap candidate = Candidate().get();
    double score = 0;
    for (auto _ : state) score = reference.Score(candidate).value_or(-1000);
    state.counters["score"] = score;
    state.counters["peak/picture"] = PeakOverPicture(kWidth, kHeight, [&] { reference.Score(candidate); });
}

// The score as a processor without AVX2 takes it.
void ScoreWithoutAvx2(benchmark::State& state) {
    LimitVectorLevel(VectorLevel::kSse2);
    Score(state);
    LimitVectorLevel(VectorLevel::kAvx2);
}

void EncodeJpeg(benchmark::State& state) {
    const PackedBitmap photo = Photograph(kWidth, kHeight).get();
    const std::string path = BenchFolder().File("q80.jpg");
    for (auto _ : state)
        if (WriteJpegFile(photo, path.c_str(), 80) != 0) state.SkipWithError("WriteJpegFile failed");
}

}  // namespace

BENCHMARK(Prepare)->Name("ssimulacra2 prepare 430x323 | korvi")->Unit(benchmark::kMillisecond);
BENCHMARK(EncodeJpeg)->Name("ssimulacra2 prepare 430x323 | jpeg q80 encode")->Unit(benchmark::kMillisecond);
BENCHMARK(Score)->Name("ssimulacra2 score 430x323 | korvi")->Unit(benchmark::kMillisecond);
BENCHMARK(EncodeJpeg)->Name("ssimulacra2 score 430x323 | jpeg q80 encode")->Unit(benchmark::kMillisecond);
BENCHMARK(ScoreWithoutAvx2)
    ->Name("ssimulacra2 score 430x323 | korvi without AVX2")
    ->Unit(benchmark::kMillisecond);
