#include "pipeline/placeholder.h"

#include <algorithm>

#include "codecs/webp/webp_writer.h"
#include "core/base64.h"
#include "core/resample.h"
#include "pipeline/picture_formats.h"

namespace {

// Shrinking to 10 pixels keeps the picture's broad shapes; enlarging fourfold before encoding
// makes the browser's own stretching smooth, where 10 pixels stretched show as cells. At quality
// 60 the encoder's blocks no longer show; a larger preview shows more of them (measured on the
// corpus photographs and the screenshots in Chromium).
constexpr int kShrunkSide = 10;
constexpr int kEnlargement = 4;
constexpr int kQuality = 60;

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
    const GlobalBlock enlarged(
        ResizeBitmap(small.get(), shrunk.first * kEnlargement, shrunk.second * kEnlargement));
    WebpBytes bytes;
    if (!enlarged || EncodeWebp(enlarged.get(), WebpEncoding::Lossy(kQuality), &bytes) != kWebpWritten)
        return {};
    std::string uri = std::string("data:") + FormatOf(OutputFormat::kWebp).mimeType + ";base64,";
    const std::size_t head = uri.size();
    uri.resize(head + Base64Length(bytes.size));
    Base64EncodeTo(bytes.data.get(), bytes.size, &uri[head]);
    return uri;
}
