#include "codecs/png/png_writer.h"

#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <csetjmp>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "core/classic_file.h"

const PngCompression kSmallPng = {6, Z_DEFAULT_STRATEGY, PNG_FILTER_NONE, {PNG_ALL_FILTERS, PNG_FILTER_NONE}};

namespace {

// Everything one compression holds, as plain fields: libpng leaves its calls by a long jump, so
// no object that needs destruction may live across them. Release frees what is set.
struct PngWrite {
    png_structp png = nullptr;
    png_infop info = nullptr;
    BITMAPINFOHEADER* header = nullptr;  // the bitmap, locked
    png_bytep row = nullptr;             // one row of palette indices at the file's depth
    png_bytep file = nullptr;            // the file as it grows
    std::size_t size = 0, capacity = 0;
    bool outOfMemory = false;

    void Release() {
        png_destroy_write_struct(&png, &info);
        std::free(row);
        std::free(file);
        row = file = nullptr;
    }
};

void Ignore(png_structp, png_const_charp) {}
void Abandon(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}

void Append(png_structp png, png_bytep bytes, png_size_t count) {
    PngWrite& write = *static_cast<PngWrite*>(png_get_io_ptr(png));
    if (count > write.capacity - write.size) {
        std::size_t capacity = write.capacity < 4096 ? 4096 : write.capacity;
        while (capacity - write.size < count) capacity *= 2;
        auto* grown = static_cast<png_bytep>(std::realloc(write.file, capacity));
        if (grown == nullptr) {
            write.outOfMemory = true;
            png_longjmp(png, 1);
        }
        write.file = grown;
        write.capacity = capacity;
    }
    std::memcpy(write.file + write.size, bytes, count);
    write.size += count;
}

void Flush(png_structp) {}

int PngDepthFor(std::uint32_t colours) {
    return colours <= 2 ? 1 : colours <= 4 ? 2 : colours <= 16 ? 4 : 8;
}

// Packs a stored row's indices (depth 1, 4 or 8) at the file's depth; false when one lies
// beyond the colours.
bool PackRow(const BYTE* stored, int depth, std::int32_t width, std::uint32_t colours, int pngDepth,
             png_bytep row, std::size_t rowBytes) {
    std::memset(row, 0, rowBytes);
    const int perByte = 8 / depth, perPngByte = 8 / pngDepth;
    for (std::int32_t x = 0; x < width; ++x) {
        const int index = stored[x / perByte] >> (8 - depth * (x % perByte + 1)) & ((1 << depth) - 1);
        if (std::uint32_t(index) >= colours) return false;
        row[x / perPngByte] = png_byte(row[x / perPngByte] | index << (8 - pngDepth * (x % perPngByte + 1)));
    }
    return true;
}

// The rows an encoding takes, top row first: every row, or the sample that picks the filters.
struct RowChoice {
    int level;
    bool sample;
};

// Bands of 16 rows, one of every 8, so that each band is long enough for the compressor to find
// what repeats in it.
constexpr std::int32_t kSampleBand = 16, kSampleEvery = 8;
bool InSample(std::int32_t y) {
    return y / kSampleBand % kSampleEvery == 0;
}
std::int32_t SampleHeight(std::int32_t height) {
    const std::int32_t whole = height / (kSampleBand * kSampleEvery);
    return whole * kSampleBand + std::min(kSampleBand, height - whole * kSampleBand * kSampleEvery);
}

// Compresses the picture, or its sample, into write->file with the filters; libpng's failures
// jump back here.
PngWriteStatus Encode(PngWrite* write, const PngCompression& compression, int filters, RowChoice choice) {
    write->png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, Abandon, Ignore);
    write->info = write->png ? png_create_info_struct(write->png) : nullptr;
    if (write->info == nullptr) return kPngOutOfMemory;
    png_structp png = write->png;
    png_infop info = write->info;
    const BITMAPINFOHEADER& header = *write->header;
    const std::int32_t width = header.biWidth, height = header.biHeight;
    const std::int32_t written = choice.sample ? SampleHeight(height) : height;
    const int depth = header.biBitCount;
    const std::uint32_t colours = depth == 24 ? 0 : ImpliedColourCount(header);
    const int pngDepth = depth == 24 ? 8 : PngDepthFor(colours);
    const std::size_t stride = RowBytes(depth, width), rowBytes = (std::size_t(width) * pngDepth + 7) / 8;
    if (depth != 24) {
        write->row = static_cast<png_bytep>(std::malloc(rowBytes));
        if (write->row == nullptr) return kPngOutOfMemory;
    }
    if (setjmp(png_jmpbuf(png))) return write->outOfMemory ? kPngOutOfMemory : kPngFailed;
    png_set_write_fn(png, write, Append, Flush);
    png_set_compression_level(png, choice.level);
    png_set_compression_strategy(png, compression.strategy);
    png_set_compression_mem_level(png, 9);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, filters);
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(written), pngDepth,
                 depth == 24 ? PNG_COLOR_TYPE_RGB : PNG_COLOR_TYPE_PALETTE, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_BASE, PNG_FILTER_TYPE_BASE);
    if (depth != 24) {
        png_color palette[256];
        const RGBQUAD* table = ColourTable(write->header);
        for (std::uint32_t i = 0; i < colours; ++i)
            palette[i] = png_color{table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue};
        png_set_PLTE(png, info, palette, int(colours));
    }
    png_write_info(png, info);
    if (depth == 24) png_set_bgr(png);
    const BYTE* rows = PixelRows(write->header);
    for (std::int32_t y = 0; y < height; ++y) {
        if (choice.sample && !InSample(y)) continue;
        const BYTE* stored = rows + stride * std::size_t(height - 1 - y);
        if (depth == 24) {
            png_write_row(png, stored);
            continue;
        }
        if (!PackRow(stored, depth, width, colours, pngDepth, write->row, rowBytes)) return kPngBadBitmap;
        png_write_row(png, write->row);
    }
    png_write_end(png, info);
    return kPngWritten;
}

bool IsWritable(const BITMAPINFOHEADER& header) {
    const int depth = header.biBitCount;
    if (header.biCompression != BI_RGB || header.biWidth <= 0 || header.biHeight <= 0) return false;
    if (depth == 24) return true;
    const std::uint32_t colours = ImpliedColourCount(header);
    return (depth == 1 || depth == 4 || depth == 8) && colours >= 1 && colours <= (1u << depth);
}

// The filter set of the two for RGB that compresses the sample smaller at zlib's fastest level.
int ChooseColourFilters(BITMAPINFOHEADER* header, const PngCompression& compression) {
    const int* sets = compression.colourFilters;
    if (sets[1] == 0) return sets[0];
    std::size_t sizes[2];
    for (int i = 0; i < 2; ++i) {
        PngWrite trial;
        trial.header = header;
        sizes[i] = Encode(&trial, compression, sets[i], {1, true}) == kPngWritten ? trial.size : SIZE_MAX;
        trial.Release();
    }
    return sizes[1] < sizes[0] ? sets[1] : sets[0];
}

}  // namespace

PngWriteStatus WritePngFile(PackedBitmap bitmap, const char* path, const PngCompression& compression) {
    BitmapLock header(bitmap);
    if (!header) return kPngCannotLock;
    if (!IsWritable(*header.data())) return kPngBadBitmap;
    const int filters = header->biBitCount != 24 ? compression.paletteFilters
                                                 : ChooseColourFilters(header.data(), compression);
    PngWrite write;
    write.header = header.data();
    PngWriteStatus result = Encode(&write, compression, filters, {compression.level, false});
    if (result == kPngWritten) {
        ClassicFile file = ClassicFile::Create(path);
        if (!file.is_open())
            result = kPngCannotOpen;
        else if (!file.WriteExactly(write.file, write.size) || !file.Close())
            result = kPngWriteFailed;
    }
    write.Release();
    return result;
}
