#include "testpage/variant_picture.h"

#include <new>

#include "core/messages.h"
#include "core/resample.h"

VariantPicture::VariantPicture(const PageSource& source, int method, int side)
    : picture_(source.picture), width_(source.width), height_(source.height) {
    if (width_ <= 0 || height_ <= 0) {
        failed_ = true;
        return;
    }
    if (std::optional<PictureSize> size = ResizedSize(method, width_, height_, side)) {
        width_ = size->width;
        height_ = size->height;
        resized_.reset(ResizeBitmap(source.picture, width_, height_));
        picture_ = resized_.get();
        failed_ = !resized_;
    }
}

ConversionOutcome VariantPicture::BuildVariantTag(OutputFormat format, int quality,
                                                  const std::string& workFolder) const {
    ConversionOutcome failure;
    failure.message = kMsgConversionError;
    if (failed_) return failure;
    try {
        ConversionRequest request;
        request.picture = picture_;
        request.width = width_;
        request.height = height_;
        request.resizeMethod = kKeepSize;
        request.format = format;
        request.qualityText = std::to_string(quality);
        request.workFolder = workFolder;
        return ConvertPicture(request);
    } catch (const std::bad_alloc&) {
        return failure;
    }
}
