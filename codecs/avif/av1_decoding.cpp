#include "codecs/avif/av1_decoding.h"

#include <aom/aomdx.h>

namespace {

constexpr int kSequenceHeaderObu = 1, kFrameHeaderObu = 3, kFrameObu = 6;

// The most pixels a frame of the data may have times the frames it holds; nothing when its
// units do not parse or no sequence header is there.
std::optional<std::uint64_t> PromisedPixels(AvifCoded coded) {
    std::uint64_t largest = 0, frames = 0;
    for (std::size_t at = 0; at < coded.size;) {
        const std::uint8_t header = coded.data[at];
        const int type = header >> 3 & 15;
        std::size_t next = at + 1 + (header >> 2 & 1);
        std::uint64_t length = coded.size - std::min(next, coded.size);
        if (header & 2) {  // a LEB128 size follows
            length = 0;
            for (int shift = 0;; shift += 7) {
                if (next >= coded.size || shift > 56) return std::nullopt;
                const std::uint8_t byte = coded.data[next++];
                length |= std::uint64_t(byte & 0x7F) << shift;
                if (!(byte & 0x80)) break;
            }
        }
        if (next > coded.size || length > coded.size - next) return std::nullopt;
        if (type == kSequenceHeaderObu) {
            aom_codec_stream_info_t info{};
            if (aom_codec_peek_stream_info(aom_codec_av1_dx(), coded.data + at, coded.size - at, &info) !=
                    AOM_CODEC_OK ||
                info.w == 0 || info.h == 0)
                return std::nullopt;
            largest = std::max(largest, std::uint64_t(info.w) * info.h);
        } else if (type == kFrameHeaderObu || type == kFrameObu) {
            ++frames;
        }
        at = next + std::size_t(length);
    }
    if (largest == 0) return std::nullopt;
    return largest * std::max<std::uint64_t>(frames, 1);
}

AvifReadStatus StatusOf(aom_codec_err_t error) {
    switch (error) {
        case AOM_CODEC_OK:
            return kAvifReadOk;
        case AOM_CODEC_MEM_ERROR:
            return kAvifReadOutOfMemory;
        case AOM_CODEC_UNSUP_BITSTREAM:
        case AOM_CODEC_UNSUP_FEATURE:
        case AOM_CODEC_INCAPABLE:
            return kAvifUnsupported;
        default:
            return kAvifBroken;
    }
}

}  // namespace

Av1PictureDecoder::Av1PictureDecoder() : codec_() {}

Av1PictureDecoder::~Av1PictureDecoder() {
    if (started_) aom_codec_destroy(&codec_);
}

AvifReadStatus Av1PictureDecoder::Decode(AvifCoded coded, std::uint64_t* budget,
                                         const aom_image_t** picture) {
    *picture = nullptr;
    const std::optional<std::uint64_t> pixels = PromisedPixels(coded);
    if (!pixels) return kAvifBroken;
    if (*pixels > *budget) return kAvifTooLarge;
    *budget -= *pixels;
    if (!started_) {
        aom_codec_dec_cfg_t config{};
        config.threads = 1;
        config.allow_lowbitdepth = 1;
        const aom_codec_err_t error = aom_codec_dec_init(&codec_, aom_codec_av1_dx(), &config, 0);
        if (error != AOM_CODEC_OK)
            return error == AOM_CODEC_MEM_ERROR ? kAvifReadOutOfMemory : kAvifUnsupported;
        started_ = true;
    }
    const AvifReadStatus status = StatusOf(aom_codec_decode(&codec_, coded.data, coded.size, nullptr));
    if (status != kAvifReadOk) return status;
    aom_codec_iter_t frames = nullptr;
    *picture = aom_codec_get_frame(&codec_, &frames);
    return *picture != nullptr ? kAvifReadOk : kAvifBroken;
}
