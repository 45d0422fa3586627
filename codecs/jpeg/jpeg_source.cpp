#include "codecs/jpeg/jpeg_source.h"

#include "codecs/jpeg/jpeg_failure.h"
#include "core/packed_bitmap.h"

namespace jpeg {

JpegSource ReadSource(const BITMAPINFOHEADER* header) {
    if (header->biPlanes != 1) Fail(kJpegBadPlanes);
    if (header->biCompression != BI_RGB) Fail(kJpegCompressed);
    const std::uint32_t colourCount = ImpliedColourCount(*header);
    if (colourCount > 256) Fail(kJpegTooManyColours);
    if (header->biBitCount != 8 && header->biBitCount != 24) Fail(kJpegBadDepth);

    JpegSource source;
    source.width = header->biWidth;
    source.height = header->biHeight;
    source.pixels = PixelRows(header);
    source.stride = static_cast<std::ptrdiff_t>(RowBytes(header->biBitCount, source.width));
    if (header->biBitCount == 8) {
        source.colours = reinterpret_cast<const std::uint8_t*>(header + 1);
        source.colourCount = static_cast<int>(colourCount);
    }
    return source;
}

}  // namespace jpeg
