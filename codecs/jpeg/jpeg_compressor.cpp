#include "codecs/jpeg/jpeg_compressor.h"

#include "codecs/jpeg/jpeg_failure.h"
#include "codecs/jpeg/jpeg_markers.h"

namespace jpeg {

namespace {
constexpr std::int32_t kMaxSide = 65500;
}

void JpegCompressor::Require(int state) const {
    if (state_ != state) Fail(kJpegBadState);
}

void JpegCompressor::Reset() {
    nextScanline_ = 0;
    imcuRow_ = 0;
    layout_.maxH = layout_.maxV = 1;
    layout_.mcusPerRow = layout_.imcuRows = layout_.blocksPerMcu = 0;
    state_ = kReady;
}

void JpegCompressor::SetSource(const JpegSource& source) {
    Require(kReady);
    source_ = source;
    layout_.width = source.width;
    layout_.height = source.height;
}

void JpegCompressor::SetDefaults() {
    Require(kReady);
    SetDefaultComponents(layout_);
    LoadTypicalHuffTables(dcHuff_, acHuff_);
}

void JpegCompressor::SetQuality(std::int32_t quality, bool forceBaseline) {
    Require(kReady);
    SetQualityTables(quality, forceBaseline, quant_);
}

void JpegCompressor::Start() {
    Require(kReady);
    // A negative size (a top-down bitmap) is refused with the oversized ones.
    if (layout_.width == 0 || layout_.height == 0) Fail(kJpegEmptyImage);
    if (layout_.width < 0 || layout_.height < 0 || layout_.width > kMaxSide || layout_.height > kMaxSide)
        Fail(kJpegImageTooBig);
    out_.Reset();
    for (EncoderQuantTable& table : quant_) table.sent = false;
    for (EncoderHuffTable& table : dcHuff_) table.sent = false;
    for (EncoderHuffTable& table : acHuff_) table.sent = false;

    ComputeLayout(layout_);
    samples_.Start(layout_);
    if (source_.Indexed())
        palette_ = std::make_unique<PaletteConverter>(colour_, source_.colours, source_.colourCount);

    WriteFileStart(out_);

    mcu_.Start(layout_, quant_, dcHuff_, acHuff_);
    headersPending_ = true;
    nextScanline_ = 0;
    imcuRow_ = 0;
    state_ = kCompressing;
}

void JpegCompressor::WriteRow() {
    Require(kCompressing);
    if (nextScanline_ >= layout_.height) Fail(kJpegTooManyRows);
    if (headersPending_) {
        WriteFrameHeader(out_, layout_, quant_);
        WriteScanHeader(out_, layout_, dcHuff_, acHuff_);
        headersPending_ = false;
    }
    const std::uint8_t* row = source_.Row(nextScanline_);
    std::uint8_t* y = samples_.NextColourRow(0);
    std::uint8_t* cb = samples_.NextColourRow(1);
    std::uint8_t* cr = samples_.NextColourRow(2);
    if (palette_)
        palette_->ConvertRow(row, layout_.width, y, cb, cr);
    else
        colour_.ConvertRow(row, layout_.width, y, cb, cr);
    if (samples_.TakeRow()) {
        mcu_.EncodeImcuRow(layout_, samples_, imcuRow_ == layout_.imcuRows - 1);
        ++imcuRow_;
    }
    ++nextScanline_;
}

void JpegCompressor::Finish() {
    Require(kCompressing);
    if (nextScanline_ != layout_.height) Fail(kJpegTooFewRows);
    mcu_.Finish();
    WriteFileEnd(out_);
    out_.Finish();
    state_ = kReady;
}

void JpegCompressor::Release() {
    samples_.Release();
    palette_.reset();
    state_ = kReleased;
}

}  // namespace jpeg
