// GIF output: the quantiser, the writer beside giflib's encoder writing the same palette
// bitmap, and the whole GIF conversion.
#include <benchmark/benchmark.h>
#include <gif_lib.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "bench/bench_support.h"
#include "codecs/gif/gif_layout.h"
#include "codecs/gif/gif_writer.h"
#include "codecs/gif/palette_reduction.h"

namespace {

struct Photo {
    GlobalBlock palette;  // the quantised photograph, what the writers write
    std::vector<GifColorType> colours;
    std::vector<GifByteType> interlaced;  // the peer's rows, top row first, in interlaced order
};

const Photo& PhotoOf(int width, int height) {
    static std::map<std::pair<int, int>, Photo> made;
    Photo& photo = made[{width, height}];
    if (photo.palette) return photo;
    photo.palette.reset(QuantizeWithDither(Photograph(width, height).get()));
    BitmapLock header(photo.palette.get());
    const int colours = int(header->biClrUsed);
    photo.colours.assign(std::size_t{1} << ColourTableBits(std::uint32_t(colours)), GifColorType{0, 0, 0});
    for (int i = 0; i < colours; ++i) {
        const RGBQUAD q = ColourTable(header.data())[i];
        photo.colours[std::size_t(i)] = GifColorType{q.rgbRed, q.rgbGreen, q.rgbBlue};
    }
    const std::size_t stride = RowBytes(8, width);
    ForEachInterlacedRow(height, [&](std::int32_t row) {
        const BYTE* stored = PixelRows(header.data()) + stride * std::size_t(height - 1 - row);
        photo.interlaced.insert(photo.interlaced.end(), stored, stored + width);
    });
    return photo;
}

bool WriteWithGiflib(const Photo& photo, int width, int height, ColorMapObject* map, const char* path) {
    int error = 0;
    GifFileType* gif = EGifOpenFileName(path, false, &error);
    if (gif == nullptr) return false;
    bool ok = EGifPutScreenDesc(gif, width, height, 8, 0, map) == GIF_OK &&
              EGifPutImageDesc(gif, 0, 0, width, height, true, nullptr) == GIF_OK;
    // EGifPutLine takes a non-const row; it does not change it.
    GifByteType* rows = const_cast<GifByteType*>(photo.interlaced.data());
    for (int j = 0; ok && j < height; ++j)
        ok = EGifPutLine(gif, rows + std::size_t(j) * width, width) == GIF_OK;
    return EGifCloseFile(gif, &error) == GIF_OK && ok;
}

void Quantise(benchmark::State& state, int width, int height) {
    const GlobalBlock& photo = Photograph(width, height);
    for (auto _ : state) {
        GlobalBlock mapped(QuantizeWithDither(photo.get()));
        if (!mapped) state.SkipWithError("QuantizeWithDither failed");
    }
}

void WriteKorvi(benchmark::State& state, int width, int height) {
    const Photo& photo = PhotoOf(width, height);
    const std::string path = BenchFolder().File("korvi.gif");
    for (auto _ : state) {
        if (WriteGifFile(photo.palette.get(), path.c_str()) != 0) state.SkipWithError("WriteGifFile failed");
    }
    state.SetLabel(std::to_string(ReadBytes(path).size()) + " bytes");
}

void WriteGiflib(benchmark::State& state, int width, int height) {
    const Photo& photo = PhotoOf(width, height);
    const std::string path = BenchFolder().File("giflib.gif");
    ColorMapObject* map = GifMakeMapObject(int(photo.colours.size()), photo.colours.data());
    for (auto _ : state) {
        if (!WriteWithGiflib(photo, width, height, map, path.c_str())) state.SkipWithError("giflib failed");
    }
    GifFreeMapObject(map);
    state.SetLabel(std::to_string(ReadBytes(path).size()) + " bytes");
}

}  // namespace

BENCHMARK_CAPTURE(Quantise, 430x323, 430, 323)
    ->Name("gif quantise 430x323 | korvi")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Quantise, 4000x3000, 4000, 3000)
    ->Name("gif quantise 4000x3000 | korvi")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(WriteKorvi, 430x323, 430, 323)
    ->Name("gif write 430x323 | korvi")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(WriteGiflib, 430x323, 430, 323)
    ->Name("gif write 430x323 | giflib")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(WriteKorvi, 4000x3000, 4000, 3000)
    ->Name("gif write 4000x3000 | korvi")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(WriteGiflib, 4000x3000, 4000, 3000)
    ->Name("gif write 4000x3000 | giflib")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BenchmarkConversion, gif, 430, 323, OutputFormat::kGif, kKeepSize)
    ->Name("conversion 430x323 gif | korvi")
    ->Unit(benchmark::kMillisecond);
