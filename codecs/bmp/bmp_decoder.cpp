#include "codecs/bmp/bmp_decoder.h"

#include <algorithm>
#include <memory>
#include <new>

#include "codecs/bmp/bmp_layout.h"
#include "codecs/bmp/bmp_pixels.h"
#include "codecs/bmp/bmp_rle.h"
#include "codecs/bmp/byte_stream.h"
#include "codecs/bmp/picture_rows.h"

namespace {

bool IsRunLengthCoded(BmpPixels pixels) {
    return pixels == BmpPixels::kRle4 || pixels == BmpPixels::kRle8 || pixels == BmpPixels::kRle24;
}

// Converts stored rows, read into `stored`, until the file ends; returns how many are complete.
int DecodeStoredRows(ByteStream& in, const BmpLayout& layout, std::uint32_t background,
                     const PictureRows& rows, std::uint8_t* stored) {
    const BmpPixelConverter converter(layout, background);
    int row = 0;
    for (; row < layout.height && in.Read(stored, RowBytes(layout.depth, layout.width)); ++row)
        converter.ConvertRow(stored, rows.Row(row));
    return row;
}

}  // namespace

BmpDecodeStatus DecodeBmpFile(PackedBitmap* result, const char* path, std::uint32_t background) {
    *result = nullptr;
    ClassicFile file = ClassicFile::OpenForReading(path);
    if (!file.is_open()) return kBmpDecodeCannotRead;
    std::unique_ptr<BmpLayout> layout(new (std::nothrow) BmpLayout);
    if (!layout) return kBmpDecodeOutOfMemory;
    if (const BmpDecodeStatus status = ReadBmpLayout(file, layout.get())) return status;

    GlobalBlock bitmap = AllocatePackedBitmap(layout->width, layout->height, 24, 0);
    BitmapLock header(bitmap.get());
    // A stored row, or a row of the picture for run-length codes.
    std::unique_ptr<std::uint8_t[]> row(
        new (std::nothrow)
            std::uint8_t[std::max(RowBytes(layout->depth, layout->width), RowBytes(24, layout->width))]);
    if (!header || !row) return kBmpDecodeOutOfMemory;
    header->biXPelsPerMeter = layout->pixelsPerMetre[0];
    header->biYPelsPerMeter = layout->pixelsPerMetre[1];
    const PictureRows rows(header.data(), layout->topDown);
    int complete = 0;
    if (file.Seek(layout->rowsOffset)) {
        ByteStream in(file);
        complete = IsRunLengthCoded(layout->pixels)
                       ? DecodeRle(in, *layout, rows, row.get())
                       : DecodeStoredRows(in, *layout, background, rows, row.get());
    }
    if (complete == 0) return kBmpNoCompleteRow;
    const std::uint8_t backgroundPixel[3] = {std::uint8_t(background >> 16), std::uint8_t(background >> 8),
                                             std::uint8_t(background)};
    for (int index = complete; index < layout->height; ++index) rows.Fill(index, backgroundPixel);
    *result = bitmap.release();
    return kBmpDecodeOk;
}
