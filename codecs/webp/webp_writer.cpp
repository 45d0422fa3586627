#include "codecs/webp/webp_writer.h"

#include <webp/encode.h>

#include <cstdio>
#include <cstring>

#include "core/classic_file.h"

// Lossy: libwebp's own defaults, which bench/webp_write_bench.cpp found at the knee (method 6:
// nothing saved for 2.5 times the time; the automatic filter: 2 % for 4 times; method 2 costs
// 8 %, method 0 28 %), with sharp YUV: at the same SSIMULACRA2 score (78) the photographs of
// bench/auto_survey.cpp need a median 2.5 % fewer bytes with it, screenshots and diagrams 4 to
// 25 % fewer (it keeps saturated edges and coloured text), smooth wallpapers up to 17 % more.
// Lossless: method 6 at effort 90, against libwebp's 4 at 75 6 % smaller on icons and
// screenshots, as fast on photographs and up to a third slower on large screenshots; effort 100
// saves 5 to 18 % more at 10 to 90 times the time, so only icons of up to 64 x 64 pixels, which
// take milliseconds, are encoded at 100.
const WebpTuning kSmallWebp = {4, 50, 60, 0, false, 4, true, 6, 90, 100};

namespace {

// libwebp's output as it grows: a malloc'd buffer that doubles when full.
struct Sink {
    WebpBytes* out;
    std::size_t capacity = 0;
    bool outOfMemory = false;
};

int Append(const std::uint8_t* bytes, std::size_t count, const WebPPicture* picture) {
    Sink& sink = *static_cast<Sink*>(picture->custom_ptr);
    WebpBytes& out = *sink.out;
    if (count > sink.capacity - out.size) {
        std::size_t capacity = sink.capacity < 4096 ? 4096 : sink.capacity;
        while (capacity - out.size < count) capacity *= 2;
        auto* grown = static_cast<std::uint8_t*>(std::realloc(out.data.get(), capacity));
        if (grown == nullptr) {
            sink.outOfMemory = true;
            return 0;
        }
        static_cast<void>(out.data.release());
        out.data.reset(grown);
        sink.capacity = capacity;
    }
    std::memcpy(out.data.get() + out.size, bytes, count);
    out.size += count;
    return 1;
}

// libwebp's output written to a file as it comes.
int WriteOut(const std::uint8_t* bytes, std::size_t count, const WebPPicture* picture) {
    return static_cast<ClassicFile*>(picture->custom_ptr)->WriteExactly(bytes, count) ? 1 : 0;
}

// Lossy pictures of more pixels are encoded in libwebp's low-memory mode, and without sharp YUV,
// which works from 4 bytes a pixel of ARGB.
constexpr std::int64_t kLowMemoryPixels = 1 << 20;

bool SharpYuv(const WebpTuning& tuning, std::int64_t pixels) {
    return tuning.sharpYuv && pixels <= kLowMemoryPixels;
}

bool ConfigureFor(WebPConfig* config, WebpEncoding encoding, const WebpTuning& tuning, std::int64_t pixels) {
    if (!WebPConfigInit(config)) return false;
    if (encoding.lossless) {
        config->lossless = 1;
        config->method = tuning.losslessMethod;
        config->quality =
            float(pixels <= kSmallLosslessPixels ? tuning.smallLosslessEffort : tuning.losslessEffort);
        config->exact = 1;  // the pictures are opaque: this only states that nothing may change
    } else {
        config->quality = float(encoding.quality);
        config->method = tuning.method;
        config->sns_strength = tuning.noiseShaping;
        config->filter_strength = tuning.filterStrength;
        config->filter_sharpness = tuning.filterSharpness;
        config->autofilter = tuning.autoFilter ? 1 : 0;
        config->segments = tuning.segments;
        config->use_sharp_yuv = SharpYuv(tuning, pixels) ? 1 : 0;
        // libwebp keeps the tokens of the whole picture otherwise: up to 12 bytes a pixel on
        // noise, against 2 in this mode, whose files differ by a few bytes in a thousand.
        config->low_memory = pixels > kLowMemoryPixels ? 1 : 0;
    }
    return WebPValidateConfig(config) != 0;
}

// Copies the bitmap's rows, top first, into the picture's ARGB plane.
void FillArgb(const BITMAPINFOHEADER* header, WebPPicture* picture) {
    const int width = header->biWidth, height = header->biHeight;
    const std::size_t stride = RowBytes(24, width);
    const BYTE* rows = PixelRows(header);
    for (int y = 0; y < height; ++y) {
        const BYTE* bgr = rows + stride * std::size_t(height - 1 - y);
        std::uint32_t* argb = picture->argb + std::size_t(picture->argb_stride) * std::size_t(y);
        for (int x = 0; x < width; ++x, bgr += 3)
            argb[x] = 0xFF000000u | std::uint32_t(bgr[2]) << 16 | std::uint32_t(bgr[1]) << 8 | bgr[0];
    }
}

WebpWriteStatus StatusOf(WebPEncodingError error) {
    if (error == VP8_ENC_ERROR_BAD_WRITE) return kWebpCannotWrite;
    return error == VP8_ENC_ERROR_OUT_OF_MEMORY || error == VP8_ENC_ERROR_BITSTREAM_OUT_OF_MEMORY
               ? kWebpOutOfMemory
               : kWebpEncodeFailed;
}

// kWebpWritten for a 24-bit bitmap with pixels within WebP's sides, else why it cannot be written.
WebpWriteStatus Writability(const BITMAPINFOHEADER* header) {
    if (header == nullptr || header->biBitCount != 24 || header->biCompression != BI_RGB ||
        header->biWidth <= 0 || header->biHeight <= 0)
        return kWebpNotWritable;
    return header->biWidth > kMaxWebpSide || header->biHeight > kMaxWebpSide ? kWebpTooWide : kWebpWritten;
}

}  // namespace

namespace {

// Encodes the bitmap, handing libwebp's output to `writer`; `outOfMemory` tells a writer's own
// failure for want of memory.
WebpWriteStatus Encode(PackedBitmap bitmap, WebpEncoding encoding, const WebpTuning& tuning,
                       WebPWriterFunction writer, void* custom, const bool& outOfMemory) {
    BitmapLock header(bitmap);
    if (const WebpWriteStatus refused = Writability(header.data()); refused != kWebpWritten) return refused;
    WebPConfig config;
    if (!ConfigureFor(&config, encoding, tuning, std::int64_t(header->biWidth) * header->biHeight))
        return kWebpEncodeFailed;
    WebPPicture picture;
    if (!WebPPictureInit(&picture)) return kWebpEncodeFailed;
    picture.width = header->biWidth;
    picture.height = header->biHeight;
    // Lossless and sharp YUV work from ARGB; plain lossy goes straight to YUV, which holds a
    // third of the bytes: the rows are handed over top first, the stride running backwards.
    picture.use_argb = encoding.lossless || config.use_sharp_yuv ? 1 : 0;
    if (picture.use_argb) {
        if (!WebPPictureAlloc(&picture)) return kWebpOutOfMemory;
        FillArgb(header.data(), &picture);
    } else {
        const int stride = int(RowBytes(24, picture.width));
        const BYTE* top = PixelRows(header.data()) + std::size_t(stride) * std::size_t(picture.height - 1);
        if (!WebPPictureImportBGR(&picture, top, -stride)) return kWebpOutOfMemory;
    }
    picture.writer = writer;
    picture.custom_ptr = custom;
    const bool encoded = WebPEncode(&config, &picture) != 0;
    const WebPEncodingError error = picture.error_code;
    WebPPictureFree(&picture);
    if (encoded) return kWebpWritten;
    return outOfMemory ? kWebpOutOfMemory : StatusOf(error);
}

}  // namespace

WebpWriteStatus EncodeWebp(PackedBitmap bitmap, WebpEncoding encoding, WebpBytes* out,
                           const WebpTuning& tuning) {
    out->data.reset();
    out->size = 0;
    Sink sink{out};
    const WebpWriteStatus status = Encode(bitmap, encoding, tuning, Append, &sink, sink.outOfMemory);
    if (status != kWebpWritten) {
        out->data.reset();
        out->size = 0;
    }
    return status;
}

WebpWriteStatus WriteWebpFile(PackedBitmap bitmap, const char* path, WebpEncoding encoding,
                              const WebpTuning& tuning) {
    // Checked before the file is made, so that a refusal leaves none.
    WebPConfig config;
    BitmapLock header(bitmap);
    if (const WebpWriteStatus refused = Writability(header.data()); refused != kWebpWritten) return refused;
    if (!ConfigureFor(&config, encoding, tuning, std::int64_t(header->biWidth) * header->biHeight))
        return kWebpEncodeFailed;
    ClassicFile file = ClassicFile::Create(path);
    if (!file.is_open()) return kWebpCannotWrite;
    const bool noMemoryShort = false;
    WebpWriteStatus status = Encode(bitmap, encoding, tuning, WriteOut, &file, noMemoryShort);
    if (!file.Close() && status == kWebpWritten) status = kWebpCannotWrite;
    if (status != kWebpWritten) std::remove(path);
    return status;
}
