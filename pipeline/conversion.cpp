#include "pipeline/conversion.h"

#include <algorithm>
#include <new>

#include "codecs/gif/gif_writer.h"
#include "codecs/gif/palette_reduction.h"
#include "codecs/jpeg/jpeg_writer.h"
#include "codecs/png/png_writer.h"
#include "core/bmp_file.h"
#include "core/messages.h"
#include "core/path_text.h"
#include "core/resample.h"

std::optional<PictureSize> ResizedSize(int method, int width, int height, int side) {
    double ratio;
    switch (method) {
        case kLimitWidth:
            if (width <= side) return std::nullopt;
            ratio = double(width) / side;
            break;
        case kFixWidth:
            ratio = double(width) / side;
            break;
        case kFitSquare:
            ratio = std::max(double(width) / side, double(height) / side);
            break;
        default:
            return std::nullopt;
    }
    // A side that rounds to nothing keeps one pixel, so that a long strip still converts.
    auto scaled = [ratio](int length) { return std::max(1, static_cast<int>(length / ratio + 0.5)); };
    return PictureSize{scaled(width), scaled(height)};
}

namespace {

// Writes the bitmap in the format; null on success, else the message to show.
const char* WritePicture(PackedBitmap bitmap, OutputFormat format, int quality, const char* path) {
    bool written = false;
    switch (format) {
        case OutputFormat::kJpeg:
            written = WriteJpegFile(bitmap, path, quality) == kJpegWritten;
            break;
        case OutputFormat::kGif: {
            GlobalBlock palette(ReduceToExactPalette(bitmap));
            if (!palette) palette.reset(QuantizeWithDither(bitmap));
            if (!palette) return kMsgDitherFailed;
            written = WriteGifFile(palette.get(), path) == kGifWritten;
            break;
        }
        case OutputFormat::kBmp:
            written = WriteBmpFile(bitmap, path) == kBmpWritten;
            break;
        case OutputFormat::kPng: {
            // Lossless either way: a palette when the colours fit one, else RGB.
            GlobalBlock palette(ReduceToExactPalette(bitmap));
            written = WritePngFile(palette ? palette.get() : bitmap, path) == kPngWritten;
            break;
        }
    }
    return written ? nullptr : TraitsOf(format).failureMessage;
}

void Convert(const ConversionRequest& request, const TextBuffer& buffer, ConversionOutcome& outcome) {
    if (request.picture == nullptr) {
        outcome.message = kMsgNoPicture;
        return;
    }
    const int quality = ClampJpegQuality(request.qualityText.c_str());
    const int side = ClampSideLength(request.sideText.c_str());
    outcome.settings =
        StoredOutputSettings{request.resizeMethod, static_cast<int>(request.format), quality, side};
    if (!request.sourcePath.empty() && FindLastChar(request.sourcePath.c_str(), '.') == nullptr) {
        outcome.message = kMsgSystemError;
        return;
    }
    outcome.message = kMsgConversionError;
    if (request.width <= 0 || request.height <= 0 || !BitmapLock(request.picture)) return;

    // The writers only borrow the picture, so it is copied only when it is resized.
    GlobalBlock resized;
    if (std::optional<PictureSize> size =
            ResizedSize(request.resizeMethod, request.width, request.height, side)) {
        resized.reset(ResizeBitmap(request.picture, size->width, size->height));
        if (!resized) return;
    }
    const std::string path = TempOutputPath(request.workFolder, request.format);
    outcome.message =
        WritePicture(resized ? resized.get() : request.picture, request.format, quality, path.c_str());
    if (outcome.message != nullptr) return;
    resized.reset();

    switch (WriteDataUri(path.c_str(), TraitsOf(request.format).mimeType, request.frame, buffer)) {
        case DataUriResult::kWritten:
            outcome.succeeded = true;
            return;
        case DataUriResult::kCannotRead:
            outcome.message = kMsgCannotReadFile;
            return;
        case DataUriResult::kOutOfMemory:
            outcome.message = kMsgConversionError;
            return;
    }
}

}  // namespace

ConversionOutcome ConvertPicture(const ConversionRequest& request, const TextBuffer& buffer) {
    ConversionOutcome outcome;
    try {
        Convert(request, buffer, outcome);
    } catch (const std::bad_alloc&) {
        outcome.succeeded = false;
        outcome.message = kMsgConversionError;
    }
    return outcome;
}

ConversionOutcome ConvertPicture(const ConversionRequest& request) {
    std::string text;
    ConversionOutcome outcome = ConvertPicture(request, [&text](std::size_t length) {
        text.resize(length);
        return &text[0];
    });
    if (outcome.succeeded) outcome.text = std::move(text);
    return outcome;
}
