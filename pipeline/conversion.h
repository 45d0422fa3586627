// The conversion command without its window: picture in, clipboard text or failure message out.
#pragma once

#include <optional>
#include <string>

#include "core/data_uri.h"
#include "core/packed_bitmap.h"
#include "pipeline/output_settings.h"

struct ConversionRequest {
    PackedBitmap picture = nullptr;  // borrowed; null when there is no current picture
    int width = 0, height = 0;       // as recorded when the picture was loaded
    std::string sourcePath;          // empty for a picture that came from no file
    int resizeMethod = kLimitWidth;  // combo index, -1 when nothing is selected
    OutputFormat format = OutputFormat::kJpeg;
    int quality = kDefaultJpegQuality;  // within the ranges of output_settings.h
    bool lossless = false;              // the lossless form of a format that has both
    int side = kDefaultSideLength;
    std::string workFolder;  // with its trailing separator
    UriFrame frame;          // the text around the data URI
};

// What the window stores in section "minicon", as clamped by the conversion.
struct StoredOutputSettings {
    int sizeChange, format, jpegQuality, pixel;
};

struct ConversionOutcome {
    bool succeeded = false;
    std::string text;               // the <img> element (or the frame asked for) on success
    const char* message = nullptr;  // the failure message otherwise
    // Present once the settings were read, which happens before every check but the first.
    std::optional<StoredOutputSettings> settings;
};

struct PictureSize {
    int width, height;
};

// The size the resize method makes of a picture, or nothing when the picture keeps its size.
std::optional<PictureSize> ResizedSize(int method, int width, int height, int side);

// Resizes, encodes into the work file of the format, reads it back and wraps it as
// <img src="data:MIME;base64,..."> (or in the request's frame). The picture itself is never
// changed; short memory anywhere ends in the conversion's failure message.
ConversionOutcome ConvertPicture(const ConversionRequest& request);

// The same with the text written into `buffer` instead of `text`.
ConversionOutcome ConvertPicture(const ConversionRequest& request, const TextBuffer& buffer);

// The conversion's message for a work file that did not become a line; null for one that did.
const char* DataUriFailure(DataUriResult result);
