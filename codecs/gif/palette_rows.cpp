#include "codecs/gif/palette_rows.h"

#include <new>

#include "codecs/gif/gif_layout.h"
#include "codecs/gif/gif_status.h"

PaletteRows::PaletteRows(const BITMAPINFOHEADER* header) {
    const int depth = header->biBitCount;
    if (header->biPlanes != 1 || (depth != 1 && depth != 4 && depth != 8))
        throw GifWriteFailure{kGifNotWritable};
    const std::uint32_t colours = ImpliedColourCount(*header);

    width_ = header->biWidth;
    height_ = header->biHeight;
    depth_ = depth;
    colours_ = colours;
    indexLimit_ = 1u << ColourTableBits(colours);
    stride_ = RowBytes(depth, width_);
    table_ = reinterpret_cast<const RGBQUAD*>(header + 1);
    rows_ = PixelRows(header);
    if (depth != 8) {
        unpacked_.reset(new (std::nothrow) BYTE[std::size_t(width_)]);
        if (!unpacked_) throw GifWriteFailure{kGifOutOfMemory};
    }
}

const BYTE* PaletteRows::Indices(std::int32_t row) {
    const BYTE* stored = rows_ + stride_ * std::size_t(height_ - 1 - row);
    const std::size_t width = std::size_t(width_);
    // Indices at or past a power of two show up in their OR.
    unsigned seen = 0;
    const BYTE* indices = stored;
    switch (depth_) {
        case 1:
            for (std::size_t x = 0; x < width; ++x) unpacked_[x] = BYTE(stored[x >> 3] >> (7 - (x & 7)) & 1);
            indices = unpacked_.get();
            break;
        case 4:
            for (std::size_t x = 0; x < width; ++x) {
                const BYTE index = BYTE((x & 1) ? stored[x >> 1] & 0xF : stored[x >> 1] >> 4);
                unpacked_[x] = index;
                seen |= index;
            }
            indices = unpacked_.get();
            break;
        default:
            if (indexLimit_ < 256) {
                for (std::size_t x = 0; x < width; ++x) seen |= stored[x];
            }
            break;
    }
    if (seen >= indexLimit_) throw GifWriteFailure{kGifNotWritable};
    return indices;
}
