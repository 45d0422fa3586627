#include "pipeline/placeholder.h"

#include <algorithm>

#include "codecs/webp/webp_writer.h"
#include "core/data_uri.h"
#include "core/resample.h"
#include "pipeline/picture_formats.h"

namespace {

// Shrinking to 10 pixels keeps the picture's broad shapes; enlarging fourfold before encoding
// makes the browser's own stretching smooth, where 10 pixels stretched show as cells. At quality
// 60 the encoder's blocks hardly show; a larger preview shows more of them (measured on the
// corpus photographs and the screenshots in Chromium). A picture of small saturated cells, whose
// preview is longer than allowed, takes the next of these tries; the last, 10 pixels themselves,
// comes to less than 350 bytes whatever they hold.
constexpr int kShrunkSide = 10;
struct Try {
    int enlargement, quality;
};
constexpr Try kTries[] = {{4, 60}, {4, 30}, {2, 30}, {1, 60}};

// The size the longer side of width x height takes at `side`, never below one pixel.
std::pair<int, int> Fitted(int width, int height, int side) {
    const double ratio = double(std::max(width, height)) / side;
    return {std::max(1, int(width / ratio + 0.5)), std::max(1, int(height / ratio + 0.5))};
}

}  // namespace

std::string PlaceholderUri(PackedBitmap picture, int width, int height) {
    if (width <= 0 || height <= 0) return {};
    const auto shrunk = Fitted(width, height, kShrunkSide);
    const GlobalBlock small(ResizeBitmap(picture, shrunk.first, shrunk.second));
    if (!small) return {};
    std::string uri;
    for (const Try& attempt : kTries) {
        GlobalBlock enlarged;
        if (attempt.enlargement > 1) {
            enlarged.reset(ResizeBitmap(small.get(), shrunk.first * attempt.enlargement,
                                        shrunk.second * attempt.enlargement));
            if (!enlarged) return {};
        }
        WebpBytes bytes;
        if (EncodeWebp(enlarged ? enlarged.get() : small.get(), WebpEncoding::Lossy(attempt.quality),
                       &bytes) != kWebpWritten)
            return {};
        uri = DataUriOf(bytes.data.get(), bytes.size, FormatOf(OutputFormat::kWebp).mimeType);
        if (uri.size() <= kMaxPlaceholderBytes) break;
    }
    return uri;
}
