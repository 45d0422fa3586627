#include "pipeline/variant_picture.h"

#include <new>

#include "core/messages.h"
#include "core/resample.h"

VariantPicture::VariantPicture(const PageSource& source, int method, int side)
    : source_(source.picture), width_(source.width), height_(source.height) {
    usable_ = width_ > 0 && height_ > 0;
    if (!usable_) return;
    if (std::optional<PictureSize> size = ResizedSize(method, width_, height_, side)) {
        width_ = size->width;
        height_ = size->height;
        resizes_ = true;
    }
}

PackedBitmap VariantPicture::Picture() const {
    if (!usable_) return nullptr;
    if (!resizes_) return source_;
    std::call_once(resizing_, [this] { resized_.reset(ResizeBitmap(source_, width_, height_)); });
    return resized_.get();
}

ConversionOutcome VariantPicture::BuildVariantTag(const Encoding& encoding, const std::string& workFolder,
                                                  const UriFrame& frame) const {
    ConversionOutcome failure;
    failure.message = kMsgConversionError;
    try {
        ConversionRequest request;
        request.picture = Picture();
        if (request.picture == nullptr) return failure;
        request.width = width_;
        request.height = height_;
        request.resizeMethod = kKeepSize;
        request.format = encoding.format;
        request.quality = encoding.quality;
        request.lossless = encoding.lossless;
        request.workFolder = workFolder;
        request.frame = frame;
        return ConvertPicture(request);
    } catch (const std::bad_alloc&) {
        return failure;
    }
}
