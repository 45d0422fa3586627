// PNG output: the writer beside libpng's simplified writer on screenshots and icons, with the
// tag sizes of PNG, GIF and BMP for each picture as counters, and the compression choices the
// writer could make, each with the size it gives.
#include <benchmark/benchmark.h>
#include <png.h>
#include <zlib.h>

#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "codecs/png/png_writer.h"
#include "pipeline/variant_picture.h"

namespace {

PackedBitmap Written(const FlatPicture& picture) {
    return picture.palette ? picture.palette.get() : picture.bitmap.get();
}

// The tag lengths of the picture as PNG, GIF and BMP, as korvi-cli makes them.
void CountTags(benchmark::State& state, const FlatPicture& picture) {
    BitmapLock header(picture.bitmap.get());
    const VariantPicture variant(PageSource{picture.bitmap.get(), header->biWidth, header->biHeight},
                                 kKeepSize, 430);
    for (auto [format, counter] :
         {std::pair{OutputFormat::kPng, "png"}, {OutputFormat::kGif, "gif"}, {OutputFormat::kBmp, "bmp"}}) {
        state.counters[counter] =
            double(variant.BuildVariantTag({format, 80}, BenchFolder().path()).text.size());
    }
    state.counters["colours"] = picture.palette ? double(BitmapLock(picture.palette.get())->biClrUsed) : 0;
}

void WriteKorvi(benchmark::State& state, std::size_t index) {
    const FlatPicture& picture = IconsAndScreenshots()[index];
    const std::string path = BenchFolder().File("korvi.png");
    for (auto _ : state) {
        if (WritePngFile(Written(picture), path.c_str()) != kPngWritten) state.SkipWithError("write failed");
    }
    state.counters["file"] = double(ReadBytes(path).size());
    CountTags(state, picture);
}

// libpng's simplified writer, 24-bit RGB with its own choices, into a file as ours.
void WriteLibpng(benchmark::State& state, std::size_t index) {
    const FlatPicture& picture = IconsAndScreenshots()[index];
    BitmapLock header(picture.bitmap.get());
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = png_uint_32(header->biWidth);
    image.height = png_uint_32(header->biHeight);
    image.format = PNG_FORMAT_BGR;
    // Bottom-up rows: a negative stride, from the start of the rows.
    const auto stride = png_int_32(RowBytes(24, header->biWidth));
    const BYTE* rows = PixelRows(header.data());
    const std::string path = BenchFolder().File("libpng.png");
    for (auto _ : state) {
        if (!png_image_write_to_file(&image, path.c_str(), 0, rows, -stride, nullptr))
            state.SkipWithError("write failed");
    }
    state.counters["file"] = double(ReadBytes(path).size());
}

// The choices measured for the writer's compression.
struct Choice {
    const char* name;
    PngCompression compression;
};
const Choice kChoices[] = {
    {"level 6", {6, Z_DEFAULT_STRATEGY, PNG_FILTER_NONE, {PNG_ALL_FILTERS, 0}}},
    {"level 6 no filter", {6, Z_DEFAULT_STRATEGY, PNG_FILTER_NONE, {PNG_FILTER_NONE, 0}}},
    {"level 9", {9, Z_DEFAULT_STRATEGY, PNG_FILTER_NONE, {PNG_ALL_FILTERS, 0}}},
    {"level 9 filtered", {9, Z_FILTERED, PNG_FILTER_NONE, {PNG_ALL_FILTERS, 0}}},
    {"level 9 rle", {9, Z_RLE, PNG_FILTER_NONE, {PNG_ALL_FILTERS, 0}}},
    {"level 9 no filter", {9, Z_DEFAULT_STRATEGY, PNG_FILTER_NONE, {PNG_FILTER_NONE, 0}}},
    {"level 9 paeth", {9, Z_DEFAULT_STRATEGY, PNG_FILTER_NONE, {PNG_FILTER_PAETH, 0}}},
    {"level 9 all filters", {9, Z_DEFAULT_STRATEGY, PNG_ALL_FILTERS, {PNG_ALL_FILTERS, 0}}},
    {"level 9 all or none by a sample",
     {9, Z_DEFAULT_STRATEGY, PNG_FILTER_NONE, {PNG_ALL_FILTERS, PNG_FILTER_NONE}}},
    {"level 6 all or none by a sample (the writer's)", kSmallPng},
};

void WriteChoice(benchmark::State& state, std::size_t index, std::size_t choice) {
    const FlatPicture& picture = IconsAndScreenshots()[index];
    const std::string path = BenchFolder().File("choice.png");
    for (auto _ : state) {
        if (WritePngFile(Written(picture), path.c_str(), kChoices[choice].compression) != kPngWritten)
            state.SkipWithError("write failed");
    }
    state.counters["file"] = double(ReadBytes(path).size());
}

const bool kRegistered = [] {
    for (std::size_t i = 0; i < IconsAndScreenshots().size(); ++i) {
        const std::string name = std::string("png write ") + IconsAndScreenshots()[i].name;
        benchmark::RegisterBenchmark((name + " | korvi").c_str(), WriteKorvi, i);
        benchmark::RegisterBenchmark((name + " | libpng").c_str(), WriteLibpng, i);
        for (std::size_t c = 0; c < std::size(kChoices); ++c) {
            benchmark::RegisterBenchmark(
                (std::string("png choice ") + IconsAndScreenshots()[i].name + ", " + kChoices[c].name)
                    .c_str(),
                WriteChoice, i, c)
                ->MinTime(0.1);
        }
    }
    return true;
}();

}  // namespace
