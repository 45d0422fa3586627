#include "codecs/webp/webp_writer.h"

#include <webp/encode.h>

#include <cstring>

#include "core/classic_file.h"

// Lossy: libwebp's own defaults, which bench/webp_write_bench.cpp found at the knee. At the same
// SSIM the slower choices save little (method 6: nothing for 2.5 times the time; the automatic
// filter: 2 % for 4 times) and the rest cost bytes (sharp YUV 4 %, method 2 8 %, method 0 28 %).
// Lossless: method 6 at effort 90, against libwebp's 4 at 75 6 % smaller on icons and
// screenshots, as fast on photographs and up to a third slower on large screenshots; effort 100
// would save about 6 % more at 10 to 50 times the time.
const WebpTuning kSmallWebp = {4, 50, 60, 0, false, 4, false, 6, 90};

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

bool ConfigureFor(WebPConfig* config, WebpEncoding encoding, const WebpTuning& tuning) {
    if (!WebPConfigInit(config)) return false;
    if (encoding.lossless) {
        config->lossless = 1;
        config->method = tuning.losslessMethod;
        config->quality = float(tuning.losslessEffort);
        config->exact = 1;  // the pictures are opaque: this only states that nothing may change
    } else {
        config->quality = float(encoding.quality);
        config->method = tuning.method;
        config->sns_strength = tuning.noiseShaping;
        config->filter_strength = tuning.filterStrength;
        config->filter_sharpness = tuning.filterSharpness;
        config->autofilter = tuning.autoFilter ? 1 : 0;
        config->segments = tuning.segments;
        config->use_sharp_yuv = tuning.sharpYuv ? 1 : 0;
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
    return error == VP8_ENC_ERROR_OUT_OF_MEMORY || error == VP8_ENC_ERROR_BITSTREAM_OUT_OF_MEMORY
               ? kWebpOutOfMemory
               : kWebpEncodeFailed;
}

}  // namespace

WebpWriteStatus EncodeWebp(PackedBitmap bitmap, WebpEncoding encoding, WebpBytes* out,
                           const WebpTuning& tuning) {
    out->data.reset();
    out->size = 0;
    BitmapLock header(bitmap);
    if (!header) return kWebpNotWritable;
    if (header->biBitCount != 24 || header->biCompression != BI_RGB || header->biWidth <= 0 ||
        header->biHeight <= 0)
        return kWebpNotWritable;
    if (header->biWidth > kMaxWebpSide || header->biHeight > kMaxWebpSide) return kWebpTooWide;
    WebPConfig config;
    if (!ConfigureFor(&config, encoding, tuning)) return kWebpEncodeFailed;
    WebPPicture picture;
    if (!WebPPictureInit(&picture)) return kWebpEncodeFailed;
    picture.use_argb = 1;
    picture.width = header->biWidth;
    picture.height = header->biHeight;
    if (!WebPPictureAlloc(&picture)) return kWebpOutOfMemory;
    FillArgb(header.data(), &picture);
    Sink sink{out};
    picture.writer = Append;
    picture.custom_ptr = &sink;
    const bool encoded = WebPEncode(&config, &picture) != 0;
    const WebPEncodingError error = picture.error_code;
    WebPPictureFree(&picture);
    if (encoded) return kWebpWritten;
    out->data.reset();
    out->size = 0;
    return sink.outOfMemory ? kWebpOutOfMemory : StatusOf(error);
}

WebpWriteStatus WriteWebpFile(PackedBitmap bitmap, const char* path, WebpEncoding encoding,
                              const WebpTuning& tuning) {
    WebpBytes bytes;
    const WebpWriteStatus status = EncodeWebp(bitmap, encoding, &bytes, tuning);
    if (status != kWebpWritten) return status;
    ClassicFile file = ClassicFile::Create(path);
    if (!file.is_open() || !file.WriteExactly(bytes.data.get(), bytes.size) || !file.Close())
        return kWebpCannotWrite;
    return kWebpWritten;
}
