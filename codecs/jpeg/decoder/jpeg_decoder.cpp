#include "codecs/jpeg/decoder/jpeg_decoder.h"

#include <memory>
#include <new>
#include <stdexcept>

#include "codecs/jpeg/decoder/input_controller.h"
#include "codecs/jpeg/decoder/marker_reader.h"
#include "codecs/jpeg/decoder/output_pass.h"

namespace jpeg::decoder {
namespace {

void WriteHeader(const JpegDecoderContext& c, BITMAPINFOHEADER& header) {
    header.biSizeImage = 0;
    if (c.densityUnit == 2) {  // dots per centimetre
        header.biXPelsPerMeter = c.xDensity * 100;
        header.biYPelsPerMeter = c.yDensity * 100;
    }
}

GlobalBlock Decode(JpegDecoderContext& c) {
    if (ConsumeInput(c) == kReachedEoi) Fail(kJpegReadNoImage);
    if (c.outColour != ColourSpace::kGrayscale && c.outColour != ColourSpace::kRgb)
        Fail(kJpegReadUnsupportedColour);
    const int width = static_cast<int>(c.width), height = static_cast<int>(c.height);
    GlobalBlock picture = AllocatePackedBitmap(width, height, 24, 0);
    if (!picture) Fail(kJpegReadOutOfMemory);
    {
        BitmapLock header(picture.get());
        if (!header) Fail(kJpegReadOutOfMemory);
        StartDecompress(c);
        WriteHeader(c, *header.data());
        const std::uint32_t stride = RowBytes(24, width);
        BYTE* bottom = PixelRows(header.data());
        while (c.outputScanline < c.height)
            ReadScanline(c, bottom + std::size_t{stride} * (c.height - 1 - c.outputScanline));
    }
    if (c.state == DecoderState::kScanning && c.outputScanline < c.height) Fail(kJpegReadTooFewRows);
    c.state = DecoderState::kStopping;
    while (!c.eoiReached) ConsumeInput(c);
    c.state = DecoderState::kCreated;
    return picture;
}

}  // namespace

JpegReadStatus DecodeJpeg(const std::uint8_t* data, std::size_t size, const DecodeLimits& limits,
                          PackedBitmap* result) {
    *result = nullptr;
    try {
        auto context = std::make_unique<JpegDecoderContext>(data, size, limits);
        *result = Decode(*context).release();
        return kJpegReadOk;
    } catch (const Failure& failure) {
        return failure.code;
    } catch (const std::bad_alloc&) {
        return kJpegReadOutOfMemory;
    } catch (const std::length_error&) {
        return kJpegReadOutOfMemory;
    }
}

}  // namespace jpeg::decoder
