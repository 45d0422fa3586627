#include "codecs/webp/webp_reader.h"

#include <webp/decode.h>
#include <webp/demux.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "codecs/webp/webp_first_frame.h"
#include "core/classic_file.h"

namespace {

WebpReadStatus StatusOf(VP8StatusCode code) {
    switch (code) {
        case VP8_STATUS_OK:
            return kWebpReadOk;
        case VP8_STATUS_OUT_OF_MEMORY:
            return kWebpReadOutOfMemory;
        case VP8_STATUS_NOT_ENOUGH_DATA:
            return kWebpTruncated;
        case VP8_STATUS_UNSUPPORTED_FEATURE:
            return kWebpUnsupported;
        default:
            return kWebpBroken;
    }
}

// Where a bitstream's pixels go: a rectangle of the bitmap, in rows counted from the top.
struct Region {
    int left, top, width, height;
};

struct Canvas {
    BITMAPINFOHEADER* header;
    std::uint32_t background;  // COLORREF

    BYTE* Pixel(int x, int y) const {
        return PixelRows(header) +
               std::size_t(RowBytes(24, header->biWidth)) * std::size_t(header->biHeight - 1 - y) +
               std::size_t(x) * 3;
    }
    void Fill() const {
        for (int y = 0; y < header->biHeight; ++y) {
            BYTE* pixel = Pixel(0, y);
            for (int x = 0; x < header->biWidth; ++x, pixel += 3) {
                pixel[0] = BYTE(background >> 16);
                pixel[1] = BYTE(background >> 8);
                pixel[2] = BYTE(background);
            }
        }
    }
};

// Decodes a bitstream into memory rows of the stride; flipped, the last row comes first.
WebpReadStatus DecodeRows(const std::uint8_t* data, std::size_t size, WEBP_CSP_MODE mode, bool flip,
                          Region region, std::uint8_t* rows, int stride) {
    WebPDecoderConfig config;
    if (!WebPInitDecoderConfig(&config)) return kWebpBroken;
    config.options.flip = flip ? 1 : 0;
    config.output.colorspace = mode;
    config.output.is_external_memory = 1;
    config.output.u.RGBA.rgba = rows;
    config.output.u.RGBA.stride = stride;
    config.output.u.RGBA.size = std::size_t(stride) * std::size_t(region.height - 1) +
                                std::size_t(region.width) * (mode == MODE_BGR ? 3 : 4);
    return StatusOf(WebPDecode(data, size, &config));
}

// An opaque bitstream goes straight into its region of the bitmap, whose rows are bottom-up.
WebpReadStatus DecodeOpaque(const std::uint8_t* data, std::size_t size, const Canvas& canvas, Region region) {
    return DecodeRows(data, size, MODE_BGR, true, region,
                      canvas.Pixel(region.left, region.top + region.height - 1),
                      int(RowBytes(24, canvas.header->biWidth)));
}

// A bitstream with transparency is decoded as blue, green, red, alpha, then composed over the
// background into its region.
WebpReadStatus DecodeTransparent(const std::uint8_t* data, std::size_t size, const Canvas& canvas,
                                 Region region) {
    const std::size_t stride = std::size_t(region.width) * 4;
    std::unique_ptr<std::uint8_t[]> pixels(new (std::nothrow)
                                               std::uint8_t[stride * std::size_t(region.height)]);
    if (!pixels) return kWebpReadOutOfMemory;
    const WebpReadStatus status = DecodeRows(data, size, MODE_BGRA, false, region, pixels.get(), int(stride));
    if (status != kWebpReadOk) return status;
    const int background[3] = {int(canvas.background >> 16 & 0xFF), int(canvas.background >> 8 & 0xFF),
                               int(canvas.background & 0xFF)};
    for (int y = 0; y < region.height; ++y) {
        const std::uint8_t* from = pixels.get() + stride * std::size_t(y);
        BYTE* to = canvas.Pixel(region.left, region.top + y);
        for (int x = 0; x < region.width; ++x, from += 4, to += 3) {
            const int alpha = from[3];
            for (int c = 0; c < 3; ++c)
                to[c] = BYTE((from[c] * alpha + background[c] * (255 - alpha) + 127) / 255);
        }
    }
    return kWebpReadOk;
}

WebpReadStatus DecodeInto(const std::uint8_t* data, std::size_t size, bool transparent, const Canvas& canvas,
                          Region region) {
    return transparent ? DecodeTransparent(data, size, canvas, region)
                       : DecodeOpaque(data, size, canvas, region);
}

// An animation's first frame, over the background where it does not cover the canvas.
WebpReadStatus DecodeFirstFrame(const std::uint8_t* data, std::size_t size, const Canvas& canvas) {
    const WebPData whole{data, size};
    std::unique_ptr<WebPDemuxer, decltype(&WebPDemuxDelete)> demuxer(WebPDemux(&whole), &WebPDemuxDelete);
    if (!demuxer) return kWebpBroken;
    WebPIterator frame;
    if (!WebPDemuxGetFrame(demuxer.get(), 1, &frame)) return kWebpBroken;
    const Region region{frame.x_offset, frame.y_offset, frame.width, frame.height};
    const bool inside = region.left >= 0 && region.top >= 0 && region.width > 0 && region.height > 0 &&
                        region.left + region.width <= canvas.header->biWidth &&
                        region.top + region.height <= canvas.header->biHeight;
    WebpReadStatus status = inside ? kWebpReadOk : kWebpBroken;
    if (status == kWebpReadOk) {
        canvas.Fill();
        status = DecodeInto(frame.fragment.bytes, frame.fragment.size, frame.has_alpha, canvas, region);
    }
    WebPDemuxReleaseIterator(&frame);
    return status;
}

// The picture of a file that holds one frame, as gathered.
WebpReadStatus DecodeGathered(PackedBitmap* result, const std::vector<std::uint8_t>& file,
                              std::uint32_t background) {
    WebPBitstreamFeatures features;
    const WebpReadStatus known = StatusOf(WebPGetFeatures(file.data(), file.size(), &features));
    if (known != kWebpReadOk) return known;
    if (!IsPictureSizeAccepted(features.width, features.height)) return kWebpTooLarge;
    GlobalBlock bitmap = AllocatePackedBitmap(features.width, features.height, 24, 0);
    if (!bitmap) return kWebpReadOutOfMemory;
    WebpReadStatus status;
    {
        BitmapLock header(bitmap.get());
        if (!header) return kWebpReadOutOfMemory;
        const Canvas canvas{header.data(), background};
        status = features.has_animation ? DecodeFirstFrame(file.data(), file.size(), canvas)
                                        : DecodeInto(file.data(), file.size(), features.has_alpha, canvas,
                                                     Region{0, 0, features.width, features.height});
    }
    if (status == kWebpReadOk) *result = bitmap.release();
    return status;
}

WebpReadStatus Decode(PackedBitmap* result, const WebpFileReader& read, std::uint32_t background) {
    *result = nullptr;
    try {
        const FirstFrame frame = GatherFirstFrame(read);
        if (frame.status != kWebpReadOk) return frame.status;
        const WebpReadStatus status = DecodeGathered(result, frame.file, background);
        // Bytes beyond what the picture can need were left unread: not a picture cut short.
        return frame.cut && status == kWebpTruncated ? kWebpBroken : status;
    } catch (const std::bad_alloc&) {
        return kWebpReadOutOfMemory;
    }
}

}  // namespace

WebpReadStatus DecodeWebp(PackedBitmap* result, const std::uint8_t* data, std::size_t size,
                          std::uint32_t background) {
    return Decode(
        result,
        [data, size](std::uint64_t offset, std::uint8_t* buffer, std::uint32_t bytes) {
            const std::size_t count = offset < size ? std::min<std::size_t>(bytes, size - offset) : 0;
            if (count > 0) std::memcpy(buffer, data + offset, count);
            return long(count);
        },
        background);
}

WebpReadStatus ReadWebpFile(PackedBitmap* result, const char* path, std::uint32_t background) {
    *result = nullptr;
    ClassicFile file = ClassicFile::OpenForReading(path);
    if (!file.is_open()) return kWebpCannotRead;
    return Decode(
        result,
        [&file](std::uint64_t offset, std::uint8_t* buffer, std::uint32_t bytes) {
            return offset <= 0x7FFFFFFF && file.Seek(std::uint32_t(offset)) ? file.ReadUpTo(buffer, bytes)
                                                                            : -1L;
        },
        background);
}

bool WebpCanvasSize(const std::uint8_t* data, std::size_t size, int* width, int* height) {
    return WebPGetInfo(data, size, width, height) != 0;
}
