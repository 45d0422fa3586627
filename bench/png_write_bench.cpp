// PNG output: the writer beside libpng's simplified writer on screenshots and icons, with the
// tag sizes of PNG, GIF and BMP for each picture as counters, and the compression choices the
// writer could make, each with the size it gives.
#include <benchmark/benchmark.h>
#include <png.h>
#include <zlib.h>

#include <map>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "codecs/gif/palette_reduction.h"
#include "codecs/png/png_writer.h"
#include "core/picture_loader.h"
#include "testpage/variant_picture.h"
#include "tests/support/bitmap_builder.h"

namespace {

// An icon of flat shapes: a disc, a frame and a bar in `colours` shades each side of an edge.
GlobalBlock Icon(int side, int shades) {
    return MakeBitmap24(side, side, [=](int x, int y) {
        const int dx = 2 * x - side, dy = 2 * y - side, r2 = dx * dx + dy * dy, edge = side * side / 2;
        if (x < side / 8 || y < side / 8 || x >= side - side / 8 || y >= side - side / 8)
            return Rgb{40, 60, 120};
        if (r2 < edge) {
            const int shade = std::min(shades - 1, (edge - r2) * shades / edge);
            return Rgb{std::uint8_t(200 + shade * 50 / shades), std::uint8_t(80 + shade * 100 / shades), 30};
        }
        return y > side / 2 && y < side * 5 / 8 ? Rgb{250, 250, 250} : Rgb{230, 236, 240};
    });
}

struct Picture {
    const char* name;
    GlobalBlock bitmap;
    GlobalBlock palette;  // the exact palette copy when it has at most 256 colours
};

std::vector<Picture>& Pictures() {
    static std::vector<Picture> pictures = [] {
        std::vector<Picture> made;
        made.push_back(
            {"screenshot window", GlobalBlock(LoadPictureFile(KORVI_SOURCE "docs/main-window.png")), {}});
        made.push_back(
            {"screenshot page", GlobalBlock(LoadPictureFile(KORVI_SOURCE "docs/test-page.png")), {}});
        made.push_back({"icon badge", GlobalBlock(LoadPictureFile(KORVI_SOURCE "samples/badge.png")), {}});
        made.push_back({"icon 32", Icon(32, 6), {}});
        made.push_back({"icon 256", Icon(256, 40), {}});
        for (Picture& p : made) {
            if (p.bitmap) p.palette.reset(ReduceToExactPalette(p.bitmap.get()));
        }
        return made;
    }();
    return pictures;
}

PackedBitmap Written(const Picture& picture) {
    return picture.palette ? picture.palette.get() : picture.bitmap.get();
}

// The tag lengths of the picture as PNG, GIF and BMP, as korvi-cli makes them.
void CountTags(benchmark::State& state, const Picture& picture) {
    BitmapLock header(picture.bitmap.get());
    const VariantPicture variant(PageSource{picture.bitmap.get(), header->biWidth, header->biHeight},
                                 kKeepSize, 430);
    for (auto [format, counter] :
         {std::pair{OutputFormat::kPng, "png"}, {OutputFormat::kGif, "gif"}, {OutputFormat::kBmp, "bmp"}}) {
        state.counters[counter] =
            double(variant.BuildVariantTag(format, 80, BenchFolder().path()).text.size());
    }
    state.counters["colours"] = picture.palette ? double(BitmapLock(picture.palette.get())->biClrUsed) : 0;
}

void WriteKorvi(benchmark::State& state, std::size_t index) {
    const Picture& picture = Pictures()[index];
    const std::string path = BenchFolder().File("korvi.png");
    for (auto _ : state) {
        if (WritePngFile(Written(picture), path.c_str()) != kPngWritten) state.SkipWithError("write failed");
    }
    state.counters["file"] = double(ReadBytes(path).size());
    CountTags(state, picture);
}

// libpng's simplified writer, 24-bit RGB with its own choices, into memory.
void WriteLibpng(benchmark::State& state, std::size_t index) {
    const Picture& picture = Pictures()[index];
    BitmapLock header(picture.bitmap.get());
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = png_uint_32(header->biWidth);
    image.height = png_uint_32(header->biHeight);
    image.format = PNG_FORMAT_BGR;
    // Bottom-up rows: a negative stride, from the start of the rows.
    const auto stride = png_int_32(RowBytes(24, header->biWidth));
    const BYTE* rows = PixelRows(header.data());
    std::vector<png_byte> memory(PNG_IMAGE_PNG_SIZE_MAX(image));
    png_alloc_size_t size = 0;
    for (auto _ : state) {
        size = memory.size();
        if (!png_image_write_to_memory(&image, memory.data(), &size, 0, rows, -stride, nullptr))
            state.SkipWithError("write failed");
    }
    state.counters["file"] = double(size);
}

// The choices measured for the writer's compression.
struct Choice {
    const char* name;
    PngCompression compression;
};
constexpr Choice kChoices[] = {
    {"level 6", {6, Z_DEFAULT_STRATEGY, PNG_FILTER_NONE, {PNG_ALL_FILTERS, 0}}},
    {"level 6 no filter", {6, Z_DEFAULT_STRATEGY, PNG_FILTER_NONE, {PNG_FILTER_NONE, 0}}},
    {"level 9", {9, Z_DEFAULT_STRATEGY, PNG_FILTER_NONE, {PNG_ALL_FILTERS, 0}}},
    {"level 9 filtered", {9, Z_FILTERED, PNG_FILTER_NONE, {PNG_ALL_FILTERS, 0}}},
    {"level 9 rle", {9, Z_RLE, PNG_FILTER_NONE, {PNG_ALL_FILTERS, 0}}},
    {"level 9 no filter", {9, Z_DEFAULT_STRATEGY, PNG_FILTER_NONE, {PNG_FILTER_NONE, 0}}},
    {"level 9 paeth", {9, Z_DEFAULT_STRATEGY, PNG_FILTER_NONE, {PNG_FILTER_PAETH, 0}}},
    {"level 9 all filters", {9, Z_DEFAULT_STRATEGY, PNG_ALL_FILTERS, {PNG_ALL_FILTERS, 0}}},
    {"level 9 smaller of all and none",
     {9, Z_DEFAULT_STRATEGY, PNG_FILTER_NONE, {PNG_ALL_FILTERS, PNG_FILTER_NONE}}},
};

void WriteChoice(benchmark::State& state, std::size_t index, std::size_t choice) {
    const Picture& picture = Pictures()[index];
    const std::string path = BenchFolder().File("choice.png");
    for (auto _ : state) {
        if (WritePngFile(Written(picture), path.c_str(), kChoices[choice].compression) != kPngWritten)
            state.SkipWithError("write failed");
    }
    state.counters["file"] = double(ReadBytes(path).size());
}

const bool kRegistered = [] {
    for (std::size_t i = 0; i < Pictures().size(); ++i) {
        const std::string name = std::string("png write ") + Pictures()[i].name;
        benchmark::RegisterBenchmark((name + " | korvi").c_str(), WriteKorvi, i);
        benchmark::RegisterBenchmark((name + " | libpng").c_str(), WriteLibpng, i);
        for (std::size_t c = 0; c < std::size(kChoices); ++c) {
            benchmark::RegisterBenchmark(
                (std::string("png choice ") + Pictures()[i].name + ", " + kChoices[c].name).c_str(),
                WriteChoice, i, c)
                ->MinTime(0.1);
        }
    }
    return true;
}();

}  // namespace
