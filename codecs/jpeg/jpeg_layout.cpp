#include "codecs/jpeg/jpeg_layout.h"

#include <algorithm>

#include "codecs/jpeg/jpeg_failure.h"

namespace jpeg {
namespace {

int CeilDiv(long long a, long long b) {
    return static_cast<int>((a + b - 1) / b);
}

}  // namespace

void SetDefaultComponents(FrameLayout& layout) {
    const int table[kComponentCount][4] = {{1, 2, 2, 0}, {2, 1, 1, 1}, {3, 1, 1, 1}};
    for (int c = 0; c < kComponentCount; ++c) {
        JpegComponent& component = layout.components[c];
        component = JpegComponent{};
        component.id = table[c][0];
        component.h = table[c][1];
        component.v = table[c][2];
        component.quantTable = component.dcTable = component.acTable = table[c][3];
    }
}

void ComputeLayout(FrameLayout& layout) {
    layout.maxH = layout.maxV = 1;
    for (const JpegComponent& c : layout.components) {
        if (c.h < 1 || c.h > 4 || c.v < 1 || c.v > 4) Fail(kJpegBadSampling);
        layout.maxH = std::max(layout.maxH, c.h);
        layout.maxV = std::max(layout.maxV, c.v);
    }
    const long long width = layout.width, height = layout.height;
    layout.imcuRows = CeilDiv(height, 8LL * layout.maxV);
    layout.mcusPerRow = CeilDiv(width, 8LL * layout.maxH);
    layout.blocksPerMcu = 0;
    for (int index = 0; index < kComponentCount; ++index) {
        JpegComponent& c = layout.components[index];
        c.widthInBlocks = CeilDiv(width * c.h, 8LL * layout.maxH);
        c.heightInBlocks = CeilDiv(height * c.v, 8LL * layout.maxV);
        c.downsampledWidth = CeilDiv(width * c.h, layout.maxH);
        c.downsampledHeight = CeilDiv(height * c.v, layout.maxV);
        c.mcuWidth = c.h;
        c.mcuHeight = c.v;
        c.mcuBlocks = c.h * c.v;
        c.mcuSampleWidth = c.h * 8;
        c.lastColumnWidth = c.widthInBlocks % c.mcuWidth == 0 ? c.mcuWidth : c.widthInBlocks % c.mcuWidth;
        c.lastRowHeight = c.heightInBlocks % c.mcuHeight == 0 ? c.mcuHeight : c.heightInBlocks % c.mcuHeight;
        if (layout.blocksPerMcu + c.mcuBlocks > kMaxBlocksPerMcu) Fail(kJpegMcuTooLarge);
        for (int b = 0; b < c.mcuBlocks; ++b) layout.membership[layout.blocksPerMcu++] = index;
    }
}

}  // namespace jpeg
