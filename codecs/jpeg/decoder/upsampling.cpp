#include "codecs/jpeg/decoder/upsampling.h"

#include "codecs/jpeg/decoder/upsampling_vector.h"

namespace jpeg::decoder {

UpsampleMethod ChooseUpsampling(int h, int v, int maxH, int maxV, int downsampledWidth, int& hExpand,
                                int& vExpand) {
    if (maxH % h != 0 || maxV % v != 0) Fail(kJpegReadFractionalSampling);
    hExpand = maxH / h;
    vExpand = maxV / v;
    if (hExpand == 1 && vExpand == 1) return UpsampleMethod::kFullSize;
    if (hExpand == 2 && vExpand <= 2 && downsampledWidth > 2)
        return vExpand == 1 ? UpsampleMethod::kTriangle2x1 : UpsampleMethod::kTriangle2x2;
    return UpsampleMethod::kBox;
}

void UpsampleTriangle2x1Scalar(const std::uint8_t* in, int width, std::uint8_t* out, int from) {
    out[0] = in[0];
    out[1] = static_cast<std::uint8_t>((3 * in[0] + in[1] + 2) >> 2);
    for (int i = from; i < width - 1; ++i) {
        const int nearer = 3 * in[i];
        out[2 * i] = static_cast<std::uint8_t>((nearer + in[i - 1] + 1) >> 2);
        out[2 * i + 1] = static_cast<std::uint8_t>((nearer + in[i + 1] + 2) >> 2);
    }
    out[2 * width - 2] = static_cast<std::uint8_t>((3 * in[width - 1] + in[width - 2] + 1) >> 2);
    out[2 * width - 1] = in[width - 1];
}

void UpsampleTriangle2x2Scalar(const std::uint8_t* nearer, const std::uint8_t* farther, int width,
                               std::uint8_t* out, int from) {
    const auto column = [&](int i) { return 3 * nearer[i] + farther[i]; };
    out[0] = static_cast<std::uint8_t>((4 * column(0) + 8) >> 4);
    out[1] = static_cast<std::uint8_t>((3 * column(0) + column(1) + 7) >> 4);
    for (int i = from; i < width - 1; ++i) {
        const int current = 3 * column(i);
        out[2 * i] = static_cast<std::uint8_t>((current + column(i - 1) + 8) >> 4);
        out[2 * i + 1] = static_cast<std::uint8_t>((current + column(i + 1) + 7) >> 4);
    }
    out[2 * width - 2] = static_cast<std::uint8_t>((3 * column(width - 1) + column(width - 2) + 8) >> 4);
    out[2 * width - 1] = static_cast<std::uint8_t>((4 * column(width - 1) + 7) >> 4);
}

void UpsampleTriangle2x1(const std::uint8_t* in, int width, std::uint8_t* out) {
    int from = 1;
#if defined(KORVI_X86)
    const VectorLevel level = CurrentVectorLevel();
    if (level == VectorLevel::kAvx2)
        from = UpsampleTriangle2x1Avx2(in, width, out);
    else if (level != VectorLevel::kPlain)
        from = UpsampleTriangle2x1Sse2(in, width, out);
#endif
    UpsampleTriangle2x1Scalar(in, width, out, from);
}

void UpsampleTriangle2x2(const std::uint8_t* nearer, const std::uint8_t* farther, int width,
                         std::uint8_t* out) {
    int from = 1;
#if defined(KORVI_X86)
    const VectorLevel level = CurrentVectorLevel();
    if (level == VectorLevel::kAvx2)
        from = UpsampleTriangle2x2Avx2(nearer, farther, width, out);
    else if (level != VectorLevel::kPlain)
        from = UpsampleTriangle2x2Sse2(nearer, farther, width, out);
#endif
    UpsampleTriangle2x2Scalar(nearer, farther, width, out, from);
}

void UpsampleBox(const std::uint8_t* in, int outWidth, int expand, std::uint8_t* out) {
    for (int x = 0; x < outWidth; ++x) out[x] = in[x / expand];
}

}  // namespace jpeg::decoder
