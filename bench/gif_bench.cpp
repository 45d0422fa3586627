// GIF output: the quantiser, the writer beside giflib's encoder writing the same palette
// bitmap, and the whole GIF conversion.
#include <benchmark/benchmark.h>
#include <gif_lib.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "codecs/gif/gif_layout.h"
#include "codecs/gif/gif_writer.h"
#include "codecs/gif/palette_reduction.h"
#include "core/conversion.h"
#include "tests/support/files.h"
#include "tests/support/synthetic_picture.h"

namespace {

struct Photo {
    GlobalBlock picture;  // 24-bit
    GlobalBlock palette;  // quantised, what the writers write
    std::vector<GifColorType> colours;
    std::vector<GifByteType> interlaced;  // the peer's rows, top row first, in interlaced order
};

const Photo& PhotoOf(int width, int height) {
    static std::map<std::pair<int, int>, Photo> made;
    Photo& photo = made[{width, height}];
    if (photo.picture) return photo;
    photo.picture = MakeBitmap24(width, height, NaturalPicture(width, height));
    photo.palette.reset(QuantizeWithDither(photo.picture.get()));
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

// One folder for every file the benchmarks write, so both writers meet the same file system.
const TempFolder& Folder() {
    static const TempFolder folder;
    return folder;
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

// The pixels as giflib's decoder reads them, top row first.
std::vector<GifByteType> Decode(const std::string& path) {
    int error = 0;
    GifFileType* gif = DGifOpenFileName(path.c_str(), &error);
    std::vector<GifByteType> pixels;
    if (gif != nullptr && DGifSlurp(gif) == GIF_OK && gif->ImageCount == 1) {
        const SavedImage& image = gif->SavedImages[0];
        pixels.assign(image.RasterBits,
                      image.RasterBits + std::size_t(image.ImageDesc.Width) * image.ImageDesc.Height);
    }
    if (gif != nullptr) DGifCloseFile(gif, &error);
    return pixels;
}

void Quantise(benchmark::State& state, int width, int height) {
    const Photo& photo = PhotoOf(width, height);
    for (auto _ : state) {
        GlobalBlock mapped(QuantizeWithDither(photo.picture.get()));
        if (!mapped) state.SkipWithError("QuantizeWithDither failed");
    }
}

void WriteKorvi(benchmark::State& state, int width, int height) {
    const Photo& photo = PhotoOf(width, height);
    const std::string path = Folder().File("korvi.gif");
    for (auto _ : state) {
        if (WriteGifFile(photo.palette.get(), path.c_str()) != 0) state.SkipWithError("WriteGifFile failed");
    }
    state.counters["bytes"] = double(ReadBytes(path).size());
}

void WriteGiflib(benchmark::State& state, int width, int height) {
    const Photo& photo = PhotoOf(width, height);
    const std::string path = Folder().File("giflib.gif");
    ColorMapObject* map = GifMakeMapObject(int(photo.colours.size()), photo.colours.data());
    for (auto _ : state) {
        if (!WriteWithGiflib(photo, width, height, map, path.c_str())) state.SkipWithError("giflib failed");
    }
    GifFreeMapObject(map);
    state.counters["bytes"] = double(ReadBytes(path).size());
    // Both must have written the same picture.
    const std::string ours = Folder().File("korvi.gif");
    if (WriteGifFile(photo.palette.get(), ours.c_str()) != 0 || Decode(ours) != Decode(path)) {
        state.SkipWithError("the two files differ");
    }
}

void GifConversion(benchmark::State& state) {
    ConversionRequest request;
    request.picture = PhotoOf(430, 323).picture.get();
    request.width = 430;
    request.height = 323;
    request.resizeMethod = 0;
    request.format = OutputFormat::kGif;
    request.workFolder = Folder().path();
    for (auto _ : state) {
        ConversionOutcome outcome = ConvertPicture(request);
        if (!outcome.succeeded) state.SkipWithError(outcome.message);
        benchmark::DoNotOptimize(outcome.text.data());
    }
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
BENCHMARK(GifConversion)->Name("conversion 430x323 gif | korvi")->Unit(benchmark::kMillisecond);
