// AV1 pictures decoded by libaom, one after another, each checked before it is decoded: the
// sequence headers of its data promise the largest frames it may hold, and those frames must fit
// a budget of pixels, so that a small file cannot make the decoder work on a huge picture.
#pragma once

#include <aom/aom_decoder.h>

#include <cstdint>

#include "codecs/avif/avif_container.h"

class Av1PictureDecoder {
  public:
    Av1PictureDecoder();
    ~Av1PictureDecoder();
    Av1PictureDecoder(const Av1PictureDecoder&) = delete;
    Av1PictureDecoder& operator=(const Av1PictureDecoder&) = delete;

    // The first frame the data shows, kept until the next call; the pixels its frames may take
    // are taken off `budget`.
    AvifReadStatus Decode(AvifCoded coded, std::uint64_t* budget, const aom_image_t** picture);

  private:
    aom_codec_ctx_t codec_;
    bool started_ = false;
};
