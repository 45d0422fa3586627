#include "codecs/png/png_writer.h"

#include <png.h>
#include <zlib.h>

#include <csetjmp>
#include <cstdlib>
#include <cstring>

#include "core/classic_file.h"

const PngCompression kSmallPng = {9, Z_DEFAULT_STRATEGY, PNG_FILTER_NONE, {PNG_ALL_FILTERS, PNG_FILTER_NONE}};

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

// Compresses the picture into write->file with the filters; libpng's failures jump back here.
PngWriteStatus Encode(PngWrite* write, const PngCompression& compression, int filters) {
    write->png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, Abandon, Ignore);
    write->info = write->png ? png_create_info_struct(write->png) : nullptr;
    if (write->info == nullptr) return kPngOutOfMemory;
    png_structp png = write->png;
    png_infop info = write->info;
    const BITMAPINFOHEADER& header = *write->header;
    const std::int32_t width = header.biWidth, height = header.biHeight;
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
    png_set_compression_level(png, compression.level);
    png_set_compression_strategy(png, compression.strategy);
    png_set_compression_mem_level(png, 9);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, filters);
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), pngDepth,
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

}  // namespace

PngWriteStatus WritePngFile(PackedBitmap bitmap, const char* path, const PngCompression& compression) {
    BitmapLock header(bitmap);
    if (!header) return kPngCannotLock;
    if (!IsWritable(*header.data())) return kPngBadBitmap;
    const bool palette = header->biBitCount != 24;
    PngWrite best;
    for (int filters : compression.colourFilters) {
        if (filters == 0) break;
        PngWrite trial;
        trial.header = header.data();
        const PngWriteStatus result =
            Encode(&trial, compression, palette ? compression.paletteFilters : filters);
        if (result != kPngWritten) {
            trial.Release();
            best.Release();
            return result;
        }
        if (best.file == nullptr || trial.size < best.size) std::swap(best, trial);
        trial.Release();
        if (palette) break;
    }
    ClassicFile file = ClassicFile::Create(path);
    PngWriteStatus result = kPngWritten;
    if (!file.is_open())
        result = kPngCannotOpen;
    else if (!file.WriteExactly(best.file, best.size) || !file.Close())
        result = kPngWriteFailed;
    best.Release();
    return result;
}
