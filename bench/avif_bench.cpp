// AVIF beside WebP on the corpus photographs at 430 wide: writing at quality 80, and reading the
// file written, with the bytes of each as a counter.
#include <benchmark/benchmark.h>

#include <functional>
#include <string>

#include "bench/bench_support.h"
#include "codecs/avif/avif_reader.h"
#include "codecs/avif/avif_writer.h"
#include "codecs/webp/webp_reader.h"
#include "codecs/webp/webp_writer.h"

namespace {

// One format's encoding of a picture into bytes, and its decoding of them; false on failure.
struct Codec {
    std::function<bool(PackedBitmap, Bytes*)> encode;
    std::function<bool(const Bytes&)> decode;
};

const Codec kAvif = {[](PackedBitmap picture, Bytes* bytes) {
                         return EncodeAvif(picture, AvifEncoding::Lossy(80), bytes) == kAvifWritten;
                     },
                     [](const Bytes& bytes) {
                         PackedBitmap decoded = nullptr;
                         const bool read = DecodeAvif(&decoded, bytes.data(), bytes.size(), 0) == kAvifReadOk;
                         GlobalBlock owned(decoded);
                         return read;
                     }};

const Codec kWebp = {[](PackedBitmap picture, Bytes* bytes) {
                         WebpBytes webp;
                         if (EncodeWebp(picture, WebpEncoding::Lossy(80), &webp) != kWebpWritten)
                             return false;
                         bytes->assign(webp.data.get(), webp.data.get() + webp.size);
                         return true;
                     },
                     [](const Bytes& bytes) {
                         PackedBitmap decoded = nullptr;
                         const bool read = DecodeWebp(&decoded, bytes.data(), bytes.size(), 0) == kWebpReadOk;
                         GlobalBlock owned(decoded);
                         return read;
                     }};

void Write(benchmark::State& state, const char* name, const Codec* codec) {
    const PackedBitmap photo = CorpusPhotograph(name);
    if (photo == nullptr) return state.SkipWithError("no shared corpus");
    Bytes bytes;
    for (auto _ : state) {
        if (!codec->encode(photo, &bytes)) state.SkipWithError("encoding failed");
    }
    state.counters["bytes"] = double(bytes.size());
}

void Read(benchmark::State& state, const char* name, const Codec* codec) {
    const PackedBitmap photo = CorpusPhotograph(name);
    Bytes bytes;
    if (photo == nullptr || !codec->encode(photo, &bytes)) return state.SkipWithError("no picture");
    for (auto _ : state) {
        if (!codec->decode(bytes)) state.SkipWithError("decoding failed");
    }
}

const bool kRegistered = [] {
    for (const char* name : kCorpusPhotographs) {
        for (const auto& [action, run] :
             {std::make_pair("avif write ", &Write), std::make_pair("avif read ", &Read)}) {
            const std::string label = action + std::string(name);
            benchmark::RegisterBenchmark((label + " | korvi").c_str(), run, name, &kAvif)
                ->Unit(benchmark::kMillisecond);
            benchmark::RegisterBenchmark((label + " | webp").c_str(), run, name, &kWebp)
                ->Unit(benchmark::kMillisecond);
        }
    }
    return true;
}();

}  // namespace
