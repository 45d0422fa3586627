#include "codecs/jpeg/decoder/input_controller.h"

#include <algorithm>

#include "codecs/jpeg/decoder/coefficient_controller.h"
#include "codecs/jpeg/decoder/entropy_decoder.h"
#include "codecs/jpeg/decoder/marker_reader.h"

namespace jpeg::decoder {
namespace {

int CeilDiv(std::int64_t a, std::int64_t b) {
    return static_cast<int>((a + b - 1) / b);
}

// The frame's checks and geometry, once the first scan header is in.
void InitialSetup(JpegDecoderContext& c) {
    if (c.width > 65500 || c.height > 65500) Fail(kJpegReadSideTooLong);
    if (c.precision != 8) Fail(kJpegReadBadPrecision);
    if (c.components.size() > 10) Fail(kJpegReadTooManyComponents);
    c.maxH = c.maxV = 1;
    for (const JpegFrameComponent& component : c.components) {
        if (component.h < 1 || component.h > 4 || component.v < 1 || component.v > 4)
            Fail(kJpegReadBadSampling);
        c.maxH = std::max(c.maxH, component.h);
        c.maxV = std::max(c.maxV, component.v);
    }
    const std::int64_t width = c.width, height = c.height;
    if (!IsPictureSizeAccepted(width, height) || width * height > c.limits.maxPixels)
        Fail(kJpegReadTooManyPixels);
    c.totalImcuRows = CeilDiv(height, 8 * c.maxV);
    c.frameBlocks = 0;
    for (JpegFrameComponent& component : c.components) {
        component.widthInBlocks = CeilDiv(width * component.h, 8 * c.maxH);
        component.heightInBlocks = CeilDiv(height * component.v, 8 * c.maxV);
        component.downsampledWidth = CeilDiv(width * component.h, c.maxH);
        component.downsampledHeight = CeilDiv(height * component.v, c.maxV);
        component.storeBlocksPerRow = CeilDiv(component.widthInBlocks, component.h) * component.h;
        c.frameBlocks += std::uint64_t(c.totalImcuRows) * std::uint64_t(component.v) *
                         std::uint64_t(component.storeBlocksPerRow);
    }
    c.zeroBitBlocksLeft = c.frameBlocks;
    c.multipleScans = c.scan.componentCount < static_cast<int>(c.components.size()) || c.progressive;
}

void ChooseColourSpaces(JpegDecoderContext& c) {
    switch (c.components.size()) {
        case 1:
            c.jpegColour = c.outColour = ColourSpace::kGrayscale;
            break;
        case 3: {
            bool rgb;
            if (c.jfifSeen)
                rgb = false;
            else if (c.adobeSeen)
                rgb = c.adobeTransform == 0;
            else
                rgb = c.components[0].id == 'R' && c.components[1].id == 'G' && c.components[2].id == 'B';
            c.jpegColour = rgb ? ColourSpace::kRgb : ColourSpace::kYCbCr;
            c.outColour = ColourSpace::kRgb;
            break;
        }
        case 4:
            c.jpegColour = c.adobeSeen && c.adobeTransform != 0 ? ColourSpace::kYcck : ColourSpace::kCmyk;
            c.outColour = ColourSpace::kCmyk;
            break;
        default:
            c.jpegColour = c.outColour = ColourSpace::kUnknown;
            break;
    }
}

int ConsumeMarkers(JpegDecoderContext& c) {
    if (c.eoiReached) return kReachedEoi;
    const int reached = ReadMarkers(c);
    if (reached == kReachedSos) {
        if (c.inHeaders) {
            InitialSetup(c);
            c.inHeaders = false;
        } else {
            if (!c.multipleScans) Fail(kJpegReadExtraScan);
            StartInputPass(c);
        }
    } else {
        c.eoiReached = true;
        if (c.inHeaders && c.sawSof) Fail(kJpegReadNoScan);
    }
    return reached;
}

int RunOperation(JpegDecoderContext& c) {
    return c.consumingData ? ConsumeData(c) : ConsumeMarkers(c);
}

// The MCU layout of the scan whose header was just read.
void SetScanGeometry(JpegDecoderContext& c) {
    ScanGeometry& scan = c.scan;
    if (scan.componentCount == 1) {
        JpegFrameComponent& component = c.components[scan.components[0]];
        scan.mcusPerRow = component.widthInBlocks;
        scan.mcuRows = component.heightInBlocks;
        component.mcuWidth = component.mcuHeight = component.mcuBlocks = 1;
        component.mcuSampleWidth = 8;
        component.lastColumnWidth = 1;
        component.lastRowHeight = component.heightInBlocks % component.v;
        if (component.lastRowHeight == 0) component.lastRowHeight = component.v;
        scan.blocksInMcu = 1;
        scan.membership[0] = 0;
        return;
    }
    scan.mcusPerRow = CeilDiv(c.width, 8 * c.maxH);
    scan.mcuRows = CeilDiv(c.height, 8 * c.maxV);
    scan.blocksInMcu = 0;
    for (int i = 0; i < scan.componentCount; ++i) {
        JpegFrameComponent& component = c.components[scan.components[i]];
        component.mcuWidth = component.h;
        component.mcuHeight = component.v;
        component.mcuBlocks = component.h * component.v;
        component.mcuSampleWidth = 8 * component.h;
        component.lastColumnWidth = component.widthInBlocks % component.h;
        if (component.lastColumnWidth == 0) component.lastColumnWidth = component.h;
        component.lastRowHeight = component.heightInBlocks % component.v;
        if (component.lastRowHeight == 0) component.lastRowHeight = component.v;
        if (scan.blocksInMcu + component.mcuBlocks > kMaxBlocksPerMcu) Fail(kJpegReadMcuTooLarge);
        for (int b = 0; b < component.mcuBlocks; ++b) scan.membership[scan.blocksInMcu++] = i;
    }
}

// Each component keeps the quantisation table its slot held at its first scan.
void LatchQuantTables(JpegDecoderContext& c) {
    for (int i = 0; i < c.scan.componentCount; ++i) {
        JpegFrameComponent& component = c.components[c.scan.components[i]];
        if (component.latchedQuant) continue;
        const int slot = component.quantTable;
        if (slot > 3 || !c.quantTables[slot]) Fail(kJpegReadMissingQuantTable);
        component.latchedQuant = c.quantTables[slot];
    }
}

}  // namespace

int ConsumeInput(JpegDecoderContext& c) {
    switch (c.state) {
        case DecoderState::kCreated:
            c.state = DecoderState::kInHeaders;
            [[fallthrough]];
        case DecoderState::kInHeaders: {
            const int reached = RunOperation(c);
            if (reached == kReachedSos) {
                ChooseColourSpaces(c);
                c.state = DecoderState::kReady;
            }
            return reached;
        }
        case DecoderState::kReady:
            return kReachedSos;
        default:
            return RunOperation(c);
    }
}

void StartInputPass(JpegDecoderContext& c) {
    SetScanGeometry(c);
    c.scanBlocks +=
        std::uint64_t(c.scan.mcuRows) * std::uint64_t(c.scan.mcusPerRow) * std::uint64_t(c.scan.blocksInMcu);
    if (c.scanBlocks > kMaxScanPasses * c.frameBlocks) Fail(kJpegReadTooMuchScanWork);
    LatchQuantTables(c);
    StartScanDecoding(c);
    StartInputCoefficients(c);
    c.consumingData = true;
}

void FinishInputPass(JpegDecoderContext& c) {
    c.consumingData = false;
}

}  // namespace jpeg::decoder
