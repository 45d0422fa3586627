#include "codecs/gif/true_colour_source.h"

TrueColourSource::TrueColourSource(PackedBitmap bitmap) : lock_(bitmap) {
    if (!lock_) return;
    const BITMAPINFOHEADER& header = *lock_.data();
    if (header.biBitCount != 24 || header.biWidth <= 0 || header.biHeight <= 0) return;
    // Sizes in 64 bits, so a wild header cannot wrap them past the check.
    const std::uint64_t stride = (std::uint64_t(header.biWidth) * 24 + 31) / 32 * 4;
    const std::uint64_t rowsAt = sizeof(BITMAPINFOHEADER) + 4 * std::uint64_t{ImpliedColourCount(header)};
    if (rowsAt + stride * std::uint64_t(header.biHeight) > GlobalSize(bitmap)) return;
    width_ = header.biWidth;
    height_ = header.biHeight;
    stride_ = static_cast<std::size_t>(stride);
    rows_ = reinterpret_cast<const BYTE*>(lock_.data()) + rowsAt;
}
