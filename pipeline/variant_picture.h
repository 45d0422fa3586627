// The picture that the variants of one page are encoded from, resized once for all of them.
#pragma once

#include <mutex>
#include <string>

#include "pipeline/conversion.h"

struct PageSource {
    PackedBitmap picture = nullptr;  // borrowed 24-bit picture
    int width = 0, height = 0;       // as recorded when it was loaded
};

class VariantPicture {
  public:
    // The source as the method and side size it; it is resized when the first tag needs it, and a
    // failure shows in every tag made from it.
    VariantPicture(const PageSource& source, int method, int side);

    // The size of every encoding made from it.
    int width() const { return width_; }
    int height() const { return height_; }

    // The <img> tag of one encoding (or its data URI in another frame), made as the conversion
    // command makes it through the format's work file in `workFolder`; the failure message
    // otherwise. Safe to call from several threads with different folders.
    ConversionOutcome BuildVariantTag(const Encoding& encoding, const std::string& workFolder,
                                      const UriFrame& frame = UriFrame()) const;

    // The picture to encode: the source, or the resized copy once made; null on failure.
    PackedBitmap Picture() const;

  private:
    PackedBitmap source_;
    int width_ = 0, height_ = 0;
    bool usable_ = false, resizes_ = false;
    mutable std::once_flag resizing_;
    mutable GlobalBlock resized_;
};
