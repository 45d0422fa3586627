#include "codecs/gif/true_colour_source.h"

TrueColourSource::TrueColourSource(PackedBitmap bitmap) : lock_(IsCompleteBitmap(bitmap) ? bitmap : nullptr) {
    if (!lock_ || lock_->biBitCount != 24) return;
    width_ = lock_->biWidth;
    height_ = lock_->biHeight;
    stride_ = RowBytes(24, width_);
    rows_ = PixelRows(lock_.data());
}
