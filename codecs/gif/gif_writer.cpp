#include "codecs/gif/gif_writer.h"

#include <algorithm>
#include <new>

#include "codecs/gif/gif_layout.h"
#include "codecs/gif/gif_output.h"
#include "codecs/gif/gif_status.h"
#include "codecs/gif/lzw_coder.h"
#include "codecs/gif/palette_rows.h"
#include "core/classic_file.h"

namespace {

// The whole file in memory: preamble, interlaced image data, trailer.
void BuildGif(PaletteRows& rows, GifOutput& output) {
    // A first guess at the compressed size, at most 16 MiB; the buffer grows when it is wrong.
    const std::uint64_t pixels = std::uint64_t(rows.width()) * std::uint64_t(rows.height());
    output.Reserve(kMaxPreambleBytes +
                   std::size_t(std::min<std::uint64_t>(pixels / 2, std::uint64_t{1} << 24)));
    output.Advance(WriteGifPreamble(output.end(), std::uint16_t(rows.width()), std::uint16_t(rows.height()),
                                    rows.table(), rows.colours()));
    const std::size_t imageData = output.size();
    LzwCoder coder(MinimumCodeSize(rows.colours()), output);
    ForEachInterlacedRow(
        rows.height(), [&](std::int32_t row) { coder.Encode(rows.Indices(row), std::size_t(rows.width())); });
    coder.Finish();
    output.CutIntoSubBlocks(imageData);
    output.Reserve(1);
    *output.end() = 0x3B;
    output.Advance(1);
}

}  // namespace

GifWriteStatus WriteGifFile(PackedBitmap bitmap, const char* path) {
    ClassicFile file = ClassicFile::Create(path);
    if (!file.is_open()) return kGifCannotWrite;
    BitmapLock header(bitmap);
    if (!header) return kGifOutOfMemory;
    if (!IsCompleteBitmap(bitmap)) return kGifNotWritable;
    try {
        PaletteRows rows(header.data());
        GifOutput output;
        BuildGif(rows, output);
        return file.WriteExactly(output.data(), output.size()) && file.Close() ? kGifWritten
                                                                               : kGifCannotWrite;
    } catch (const GifWriteFailure& failure) {
        return failure.status;
    } catch (const std::bad_alloc&) {
        return kGifOutOfMemory;
    }
}
