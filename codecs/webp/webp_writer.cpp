#include "codecs/webp/webp_writer.h"

#include <webp/encode.h>

#include <cstdio>
#include <cstring>

#include "codecs/webp/subsampling_light.h"
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

std::int64_t PixelsOf(const BITMAPINFOHEADER* header) {
    return std::int64_t(header->biWidth) * header->biHeight;
}

// Below this light error of halving the colour (codecs/webp/subsampling_light.h) sharp YUV is
// left out. At the same SSIMULACRA2 score of 78 it saved 2 to 37 % of the bytes of most
// photographs and screenshots of bench/auto_survey.cpp from 0.0011 up (smooth wallpapers there
// still lost up to 15 %); below, it cost the photographs 2 to 3 %, and it takes half the time
// of the encoding. A grey picture (0) gives the same file either way.
constexpr double kSharpYuvPays = 0.001;

// What the encoder's configuration takes from the picture.
struct Shape {
    std::int64_t pixels;
    bool sharpYuv;  // for lossy encodings
};

Shape ShapeOf(const BITMAPINFOHEADER* header, const WebpTuning& tuning, WebpEncoding encoding) {
    const std::int64_t pixels = PixelsOf(header);
    return {pixels, !encoding.lossless && tuning.sharpYuv && pixels <= kLowMemoryPixels &&
                        SubsamplingLightError(header) >= kSharpYuvPays};
}

bool ConfigureFor(WebPConfig* config, WebpEncoding encoding, const WebpTuning& tuning, const Shape& shape) {
    const std::int64_t pixels = shape.pixels;
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
        config->use_sharp_yuv = shape.sharpYuv ? 1 : 0;
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

// Takes the bitmap's pixels into `picture` (initialised, its size unset) as the encoding of
// `config` wants them: lossless and sharp YUV work from ARGB; plain lossy goes straight to YUV,
// which holds a third of the bytes, the rows handed over top first, the stride running backwards.
bool ImportInto(const BITMAPINFOHEADER* header, const WebPConfig& config, WebPPicture* picture) {
    picture->width = header->biWidth;
    picture->height = header->biHeight;
    picture->use_argb = config.lossless || config.use_sharp_yuv ? 1 : 0;
    if (picture->use_argb) {
        if (!WebPPictureAlloc(picture)) return false;
        FillArgb(header, picture);
        return true;
    }
    const int stride = int(RowBytes(24, picture->width));
    const BYTE* top = PixelRows(header) + std::size_t(stride) * std::size_t(picture->height - 1);
    return WebPPictureImportBGR(picture, top, -stride) != 0;
}

// Encodes `picture` (a view the call may change), handing libwebp's output to `writer`;
// `outOfMemory` tells a writer's own failure for want of memory.
WebpWriteStatus EncodePicture(const WebPConfig& config, WebPPicture* picture, WebPWriterFunction writer,
                              void* custom, const bool& outOfMemory) {
    picture->writer = writer;
    picture->custom_ptr = custom;
    const bool encoded = WebPEncode(&config, picture) != 0;
    if (encoded) return kWebpWritten;
    return outOfMemory ? kWebpOutOfMemory : StatusOf(picture->error_code);
}

// Encodes the bitmap as `config` says, as EncodePicture does.
WebpWriteStatus Encode(const BITMAPINFOHEADER* header, const WebPConfig& config, WebPWriterFunction writer,
                       void* custom, const bool& outOfMemory) {
    WebPPicture picture;
    if (!WebPPictureInit(&picture)) return kWebpEncodeFailed;
    if (!ImportInto(header, config, &picture)) {
        WebPPictureFree(&picture);
        return kWebpOutOfMemory;
    }
    const WebpWriteStatus status = EncodePicture(config, &picture, writer, custom, outOfMemory);
    WebPPictureFree(&picture);
    return status;
}

// The configuration for the bitmap; kWebpWritten, or why it cannot be written.
WebpWriteStatus Configure(const BITMAPINFOHEADER* header, WebpEncoding encoding, const WebpTuning& tuning,
                          WebPConfig* config) {
    if (const WebpWriteStatus refused = Writability(header); refused != kWebpWritten) return refused;
    return ConfigureFor(config, encoding, tuning, ShapeOf(header, tuning, encoding)) ? kWebpWritten
                                                                                     : kWebpEncodeFailed;
}

// Writes to `path` what `encode` hands to the writer it is given; a refusal by `check` leaves no
// file, nor does a failure.
template <typename Encoder>
WebpWriteStatus WriteFile(const char* path, WebpWriteStatus check, const Encoder& encode) {
    if (check != kWebpWritten) return check;
    ClassicFile file = ClassicFile::Create(path);
    if (!file.is_open()) return kWebpCannotWrite;
    const bool noMemoryShort = false;
    WebpWriteStatus status = encode(WriteOut, &file, noMemoryShort);
    if (!file.Close() && status == kWebpWritten) status = kWebpCannotWrite;
    if (status != kWebpWritten) std::remove(path);
    return status;
}

}  // namespace

WebpWriteStatus EncodeWebp(PackedBitmap bitmap, WebpEncoding encoding, WebpBytes* out,
                           const WebpTuning& tuning) {
    out->data.reset();
    out->size = 0;
    Sink sink{out};
    BitmapLock header(bitmap);
    WebPConfig config;
    WebpWriteStatus status = Configure(header.data(), encoding, tuning, &config);
    if (status == kWebpWritten) status = Encode(header.data(), config, Append, &sink, sink.outOfMemory);
    if (status != kWebpWritten) {
        out->data.reset();
        out->size = 0;
    }
    return status;
}

WebpWriteStatus WriteWebpFile(PackedBitmap bitmap, const char* path, WebpEncoding encoding,
                              const WebpTuning& tuning) {
    // Checked before the file is made, so that a refusal leaves none.
    BitmapLock header(bitmap);
    WebPConfig config;
    const WebpWriteStatus check = Configure(header.data(), encoding, tuning, &config);
    return WriteFile(path, check, [&](WebPWriterFunction writer, void* custom, const bool& outOfMemory) {
        return Encode(header.data(), config, writer, custom, outOfMemory);
    });
}

struct LossyWebpSource::Converted {
    Shape shape;
    WebPPicture yuv;
    Converted() { WebPPictureInit(&yuv); }
    ~Converted() { WebPPictureFree(&yuv); }
};

LossyWebpSource::LossyWebpSource(PackedBitmap bitmap, const WebpTuning& tuning)
    : bitmap_(bitmap), tuning_(tuning) {
    BitmapLock header(bitmap);
    if (Writability(header.data()) != kWebpWritten || PixelsOf(header.data()) > kLowMemoryPixels) return;
    auto converted = std::make_unique<Converted>();
    converted->shape = ShapeOf(header.data(), tuning, WebpEncoding::Lossy(0));
    WebPConfig config;
    if (!ConfigureFor(&config, WebpEncoding::Lossy(0), tuning, converted->shape)) return;
    // The conversion the encoder would make, once: only the planes it makes are kept.
    WebPPicture imported;
    WebPPictureInit(&imported);
    const bool ready = ImportInto(header.data(), config, &imported) &&
                       (!imported.use_argb || WebPPictureSharpARGBToYUVA(&imported)) &&
                       WebPPictureCopy(&imported, &converted->yuv);
    WebPPictureFree(&imported);
    if (ready) converted_ = std::move(converted);
}

LossyWebpSource::~LossyWebpSource() = default;

WebpWriteStatus LossyWebpSource::Write(const char* path, int quality) const {
    const WebpEncoding encoding = WebpEncoding::Lossy(quality);
    if (!converted_) return WriteWebpFile(bitmap_, path, encoding, tuning_);
    WebPConfig config;
    const WebpWriteStatus check =
        ConfigureFor(&config, encoding, tuning_, converted_->shape) ? kWebpWritten : kWebpEncodeFailed;
    return WriteFile(path, check, [&](WebPWriterFunction writer, void* custom, const bool& outOfMemory) {
        WebPPicture view;
        const WebPPicture& yuv = converted_->yuv;
        if (!WebPPictureView(&yuv, 0, 0, yuv.width, yuv.height, &view)) return kWebpEncodeFailed;
        const WebpWriteStatus status = EncodePicture(config, &view, writer, custom, outOfMemory);
        WebPPictureFree(&view);
        return status;
    });
}
