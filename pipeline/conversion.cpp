#include "pipeline/conversion.h"

#include <algorithm>
#include <new>

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

void Convert(const ConversionRequest& request, const TextBuffer& buffer, ConversionOutcome& outcome) {
    if (request.picture == nullptr) {
        outcome.message = kMsgNoPicture;
        return;
    }
    outcome.settings = StoredOutputSettings{request.resizeMethod, FormatOf(request.format).windowNumber,
                                            request.quality, request.side};
    if (!request.sourcePath.empty() && FindLastChar(request.sourcePath.c_str(), '.') == nullptr) {
        outcome.message = kMsgSystemError;
        return;
    }
    outcome.message = kMsgConversionError;
    if (request.width <= 0 || request.height <= 0 || !BitmapLock(request.picture)) return;

    // The writers only borrow the picture, so it is copied only when it is resized.
    GlobalBlock resized;
    if (std::optional<PictureSize> size =
            ResizedSize(request.resizeMethod, request.width, request.height, request.side)) {
        resized.reset(ResizeBitmap(request.picture, size->width, size->height));
        if (!resized) return;
    }
    const std::string path = TempOutputPath(request.workFolder, request.format);
    outcome.message = FormatOf(request.format)
                          .write(resized ? resized.get() : request.picture, path.c_str(), request.quality,
                                 request.lossless);
    if (outcome.message != nullptr) return;
    resized.reset();

    outcome.message =
        DataUriFailure(WriteDataUri(path.c_str(), FormatOf(request.format).mimeType, request.frame, buffer));
    outcome.succeeded = outcome.message == nullptr;
}

}  // namespace

const char* DataUriFailure(DataUriResult result) {
    switch (result) {
        case DataUriResult::kWritten:
            return nullptr;
        case DataUriResult::kCannotRead:
            return kMsgCannotReadFile;
        case DataUriResult::kOutOfMemory:
            break;
    }
    return kMsgConversionError;
}

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
