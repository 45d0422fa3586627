#include "codecs/avif/av1_encoding.h"

#include <aom/aom_encoder.h>
#include <aom/aomcx.h>

#include <memory>

namespace {

constexpr int kSequenceHeaderObu = 1, kTemporalDelimiterObu = 2;

using Image = std::unique_ptr<aom_image_t, decltype(&aom_img_free)>;

std::uint8_t Rounded(float value) {
    return std::uint8_t(value < 0 ? 0 : value > 255 ? 255 : value + 0.5f);
}

// Full-range BT.601: the luma and the two colour differences around 128.
constexpr float kRed = 0.299f, kBlue = 0.114f, kGreen = 1 - kRed - kBlue;

// The planes of the picture, top row first: BT.601 YCbCr, its chroma averaged over each 2 x 2
// block where halved, or for the identity coding green, blue and red as they are.
void FillPlanes(const BITMAPINFOHEADER& header, const Av1Still& still, aom_image_t* image) {
    const int width = header.biWidth, height = header.biHeight;
    const std::size_t stride = RowBytes(24, width);
    const BYTE* rows = PixelRows(&header);
    auto bgr = [&](int x, int y) { return rows + stride * std::size_t(height - 1 - y) + std::size_t(x) * 3; };
    auto at = [image](int plane, int x, int y) {
        return image->planes[plane] + std::ptrdiff_t(image->stride[plane]) * y + x;
    };
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const BYTE* p = bgr(x, y);
            if (still.identity) {
                *at(0, x, y) = p[1];
                *at(1, x, y) = p[0];
                *at(2, x, y) = p[2];
            } else {
                *at(0, x, y) = Rounded(kRed * p[2] + kGreen * p[1] + kBlue * p[0]);
            }
        }
    }
    if (still.identity) return;
    const int shift = still.halvedChroma ? 1 : 0;
    for (int cy = 0; cy < (height + shift) >> shift; ++cy) {
        for (int cx = 0; cx < (width + shift) >> shift; ++cx) {
            float cb = 0, cr = 0;
            int count = 0;
            for (int y = cy << shift; y < std::min(height, (cy + 1) << shift); ++y) {
                for (int x = cx << shift; x < std::min(width, (cx + 1) << shift); ++x, ++count) {
                    const BYTE* p = bgr(x, y);
                    const float luma = kRed * p[2] + kGreen * p[1] + kBlue * p[0];
                    cb += (p[0] - luma) / (2 * (1 - kBlue));
                    cr += (p[2] - luma) / (2 * (1 - kRed));
                }
            }
            *at(1, cx, cy) = Rounded(cb / float(count) + 128);
            *at(2, cx, cy) = Rounded(cr / float(count) + 128);
        }
    }
}

// The units of the coded data less temporal delimiters; the sequence header's profile and level,
// which the reduced header of a still picture gives in its first bits.
bool TakeUnits(const std::vector<std::uint8_t>& coded, Av1Still* still) {
    for (std::size_t at = 0; at < coded.size();) {
        const int type = coded[at] >> 3 & 15;
        std::size_t next = at + 1 + (coded[at] >> 2 & 1);
        std::size_t length = 0;
        for (int shift = 0; coded[at] & 2; shift += 7) {
            if (next >= coded.size() || shift > 28) return false;
            const std::uint8_t byte = coded[next++];
            length |= std::size_t(byte & 0x7F) << shift;
            if (!(byte & 0x80)) break;
        }
        if (!(coded[at] & 2) || next > coded.size() || length > coded.size() - next) return false;
        if (type == kSequenceHeaderObu) {
            if (length < 2 || !(coded[next] & 0x08)) return false;  // not a reduced still picture header
            still->profile = coded[next] >> 5;
            still->level = (coded[next] & 7) << 2 | coded[next + 1] >> 6;
            still->sequenceHeader.assign(coded.begin() + std::ptrdiff_t(at),
                                         coded.begin() + std::ptrdiff_t(next + length));
        }
        if (type != kTemporalDelimiterObu)
            still->data.insert(still->data.end(), coded.begin() + std::ptrdiff_t(at),
                               coded.begin() + std::ptrdiff_t(next + length));
        at = next + length;
    }
    return !still->sequenceHeader.empty();
}

class Encoder {
  public:
    ~Encoder() {
        if (started_) aom_codec_destroy(&codec_);
    }
    aom_codec_err_t Start(const aom_codec_enc_cfg_t& config) {
        const aom_codec_err_t error = aom_codec_enc_init(&codec_, aom_codec_av1_cx(), &config, 0);
        started_ = error == AOM_CODEC_OK;
        return error;
    }
    template <typename Value>
    bool Set(int control, Value value) {
        return aom_codec_control(&codec_, control, value) == AOM_CODEC_OK;
    }
    // Codes the picture (null: flushes) and appends what comes out.
    aom_codec_err_t Code(const aom_image_t* image, std::vector<std::uint8_t>* coded) {
        const aom_codec_err_t error = aom_codec_encode(&codec_, image, 0, 1, 0);
        if (error != AOM_CODEC_OK) return error;
        aom_codec_iter_t packets = nullptr;
        while (const aom_codec_cx_pkt_t* packet = aom_codec_get_cx_data(&codec_, &packets)) {
            if (packet->kind != AOM_CODEC_CX_FRAME_PKT) continue;
            const auto* bytes = static_cast<const std::uint8_t*>(packet->data.frame.buf);
            coded->insert(coded->end(), bytes, bytes + packet->data.frame.sz);
        }
        return AOM_CODEC_OK;
    }

  private:
    aom_codec_ctx_t codec_{};
    bool started_ = false;
};

AvifWriteStatus StatusOf(aom_codec_err_t error) {
    return error == AOM_CODEC_MEM_ERROR ? kAvifOutOfMemory : kAvifEncodeFailed;
}

// The AV1 quantiser level of a quality: 0 at 100, 63 at 0.
int QuantiserOf(int quality) {
    return ((100 - quality) * 63 + 50) / 100;
}

}  // namespace

AvifWriteStatus EncodeAv1Still(const BITMAPINFOHEADER& header, AvifEncoding encoding,
                               const AvifTuning& tuning, Av1Still* still) {
    *still = Av1Still();
    if (!encoding.lossless && (encoding.quality < 0 || encoding.quality > 100)) return kAvifEncodeFailed;
    still->identity = encoding.lossless;
    still->halvedChroma = !encoding.lossless && !tuning.fullChroma;
    const unsigned width = unsigned(header.biWidth), height = unsigned(header.biHeight);
    Image image(
        aom_img_alloc(nullptr, still->halvedChroma ? AOM_IMG_FMT_I420 : AOM_IMG_FMT_I444, width, height, 1),
        &aom_img_free);
    if (!image) return kAvifOutOfMemory;
    FillPlanes(header, *still, image.get());

    aom_codec_enc_cfg_t config;
    if (aom_codec_enc_config_default(aom_codec_av1_cx(), &config, AOM_USAGE_ALL_INTRA) != AOM_CODEC_OK)
        return kAvifEncodeFailed;
    config.g_w = width;
    config.g_h = height;
    config.g_threads = 1;  // one thread: the same bytes on every machine
    config.g_limit = 1;    // a still picture, with the reduced sequence header
    config.g_profile = still->halvedChroma ? 0 : 1;
    config.rc_end_usage = AOM_Q;
    config.rc_min_quantizer = 0;
    config.rc_max_quantizer = 63;
    Encoder encoder;
    if (const aom_codec_err_t error = encoder.Start(config); error != AOM_CODEC_OK) return StatusOf(error);
    const bool set =
        encoder.Set(AOME_SET_CPUUSED, tuning.speed) && encoder.Set(AV1E_SET_ROW_MT, 0u) &&
        encoder.Set(AV1E_SET_COLOR_PRIMARIES, int(AOM_CICP_CP_BT_709)) &&
        encoder.Set(AV1E_SET_TRANSFER_CHARACTERISTICS, int(AOM_CICP_TC_SRGB)) &&
        encoder.Set(AV1E_SET_MATRIX_COEFFICIENTS,
                    int(still->identity ? AOM_CICP_MC_IDENTITY : AOM_CICP_MC_BT_601)) &&
        encoder.Set(AV1E_SET_COLOR_RANGE, int(AOM_CR_FULL_RANGE)) &&
        (encoding.lossless ? encoder.Set(AV1E_SET_LOSSLESS, 1u)
                           : encoder.Set(AOME_SET_CQ_LEVEL, unsigned(QuantiserOf(encoding.quality))) &&
                                 encoder.Set(AOME_SET_TUNING, tuning.tune) &&
                                 encoder.Set(AOME_SET_SHARPNESS, unsigned(tuning.sharpness)) &&
                                 encoder.Set(AV1E_SET_ENABLE_QM, tuning.quantMatrices ? 1u : 0u) &&
                                 encoder.Set(AV1E_SET_DELTAQ_MODE, unsigned(tuning.deltaQMode)));
    if (!set) return kAvifEncodeFailed;
    std::vector<std::uint8_t> coded;
    aom_codec_err_t error = encoder.Code(image.get(), &coded);
    if (error == AOM_CODEC_OK) error = encoder.Code(nullptr, &coded);
    if (error != AOM_CODEC_OK) return StatusOf(error);
    return TakeUnits(coded, still) ? kAvifWritten : kAvifEncodeFailed;
}
