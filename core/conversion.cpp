#include "core/conversion.h"

#include <cstdlib>
#include <memory>
#include <new>

#include "codecs/gif/gif_writer.h"
#include "codecs/gif/palette_reduction.h"
#include "codecs/jpeg/jpeg_writer.h"
#include "codecs/png/png_writer.h"
#include "core/base64.h"
#include "core/bmp_file.h"
#include "core/messages.h"
#include "core/path_text.h"
#include "core/resample.h"
#include "core/whole_file.h"

namespace {

// Writes the bitmap in the format; null on success, else the message to show.
const char* WritePicture(PackedBitmap bitmap, OutputFormat format, int quality, const char* path) {
    bool written = false;
    switch (format) {
        case OutputFormat::kJpeg:
            written = WriteJpegFile(bitmap, path, quality) == 0;
            break;
        case OutputFormat::kGif: {
            GlobalBlock palette(ReduceToExactPalette(bitmap));
            if (!palette) palette.reset(QuantizeWithDither(bitmap));
            if (!palette) return kMsgDitherFailed;
            written = WriteGifFile(palette.get(), path) == 0;
            break;
        }
        case OutputFormat::kBmp:
            written = WriteBmpFile(bitmap, path);
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

ConversionOutcome Failure(ConversionOutcome outcome, const char* message) {
    outcome.message = message;
    return outcome;
}

}  // namespace

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

ConversionOutcome ConvertPicture(const ConversionRequest& request) {
    ConversionOutcome outcome;
    if (request.picture == nullptr) return Failure(outcome, kMsgNoPicture);

    const int quality = ClampJpegQuality(request.qualityText.c_str());
    const int side = ClampSideLength(request.sideText.c_str());
    outcome.settings =
        StoredOutputSettings{request.resizeMethod, static_cast<int>(request.format), quality, side};
    if (!request.sourcePath.empty() && FindLastChar(request.sourcePath.c_str(), '.') == nullptr) {
        return Failure(outcome, kMsgSystemError);
    }
    if (request.width <= 0 || request.height <= 0 || !BitmapLock(request.picture)) {
        return Failure(outcome, kMsgConversionError);
    }

    // The writers only borrow the picture, so it is copied only when it is resized.
    GlobalBlock resized;
    if (std::optional<PictureSize> size =
            ResizedSize(request.resizeMethod, request.width, request.height, side)) {
        resized.reset(ResizeBitmap(request.picture, size->width, size->height));
        if (!resized) return Failure(outcome, kMsgConversionError);
    }
    const std::string path = TempOutputPath(request.workFolder, request.format);
    if (const char* message =
            WritePicture(resized ? resized.get() : request.picture, request.format, quality, path.c_str())) {
        return Failure(outcome, message);
    }
    resized.reset();

    std::uint32_t size = 0;
    std::unique_ptr<BYTE, decltype(&std::free)> file(ReadWholeFile(path.c_str(), &size), &std::free);
    if (!file) return Failure(outcome, kMsgCannotReadFile);

    static constexpr char kOpening[] = "<img src=\"data:";
    static constexpr char kClosing[] = "\">";
    const std::string mime = std::string(TraitsOf(request.format).mimeType) + ";base64,";
    try {
        std::string& text = outcome.text;
        text.reserve(sizeof kOpening - 1 + mime.size() + Base64Length(size) + sizeof kClosing - 1);
        text.append(kOpening).append(mime);
        const std::size_t start = text.size();
        text.resize(start + Base64Length(size));
        Base64EncodeTo(file.get(), size, &text[start]);
        text.append(kClosing);
    } catch (const std::bad_alloc&) {
        outcome.text.clear();
        return Failure(outcome, kMsgConversionError);
    }
    outcome.succeeded = true;
    return outcome;
}
