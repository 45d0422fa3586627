#include "codecs/jpeg/sample_pipeline.h"

#include <cstring>

#include "codecs/jpeg/downsampling.h"
#include "codecs/jpeg/jpeg_failure.h"

namespace jpeg {

namespace {
constexpr int kRowGroups = 8;
}

void SamplePipeline::Start(const FrameLayout& layout) {
    imageWidth_ = layout.width;
    maxV_ = layout.maxV;
    for (int c = 0; c < kComponentCount; ++c) {
        const JpegComponent& component = layout.components[c];
        Plane& plane = planes_[c];
        if (component.h == layout.maxH && component.v == layout.maxV)
            plane.method = Method::kFullSize;
        else if (2 * component.h == layout.maxH && 2 * component.v == layout.maxV)
            plane.method = Method::kTwoByTwo;
        else
            Fail(kJpegFractionalSampling);
        plane.v = component.v;
        plane.groupWidth = component.widthInBlocks * 8;
        plane.colourWidth = component.widthInBlocks * 8 * layout.maxH / component.h;
        plane.colour.assign(static_cast<std::size_t>(plane.colourWidth) * maxV_, 0);
        plane.group.assign(static_cast<std::size_t>(plane.groupWidth) * plane.v * 8, 0);
    }
    nextRow_ = 0;
    rowsToCome_ = layout.height;
    rowGroup_ = 0;
}

void SamplePipeline::Release() {
    for (Plane& plane : planes_) {
        std::vector<std::uint8_t>().swap(plane.colour);
        std::vector<std::uint8_t>().swap(plane.group);
    }
}

bool SamplePipeline::TakeRow() {
    ++nextRow_;
    --rowsToCome_;
    if (rowsToCome_ == 0 && nextRow_ < maxV_) {
        // The picture ended inside a row group: repeat its last row.
        for (int c = 0; c < kComponentCount; ++c)
            for (int row = nextRow_; row < maxV_; ++row)
                std::memcpy(ColourRow(c, row), ColourRow(c, nextRow_ - 1),
                            static_cast<std::size_t>(imageWidth_));
        nextRow_ = maxV_;
    }
    if (nextRow_ == maxV_) {
        Downsample();
        nextRow_ = 0;
        ++rowGroup_;
    }
    if (rowsToCome_ == 0 && rowGroup_ < kRowGroups) PadRowGroups();
    if (rowGroup_ < kRowGroups) return false;
    rowGroup_ = 0;
    return true;
}

void SamplePipeline::Downsample() {
    for (int c = 0; c < kComponentCount; ++c) {
        Plane& plane = planes_[c];
        const int firstOut = rowGroup_ * plane.v;
        if (plane.method == Method::kFullSize) {
            for (int row = 0; row < plane.v; ++row) {
                std::uint8_t* out = GroupRow(c, firstOut + row);
                std::memcpy(out, ColourRow(c, row), static_cast<std::size_t>(imageWidth_));
                ExtendRow(out, imageWidth_, plane.groupWidth);
            }
        } else {
            for (int row = 0; row < maxV_; ++row)
                ExtendRow(ColourRow(c, row), imageWidth_, plane.colourWidth);
            for (int row = 0; row < plane.v; ++row)
                DownsampleRowPair(ColourRow(c, 2 * row), ColourRow(c, 2 * row + 1), plane.groupWidth,
                                  GroupRow(c, firstOut + row));
        }
    }
}

void SamplePipeline::PadRowGroups() {
    for (int c = 0; c < kComponentCount; ++c) {
        Plane& plane = planes_[c];
        const int last = rowGroup_ * plane.v - 1;
        for (int row = last + 1; row < kRowGroups * plane.v; ++row)
            std::memcpy(GroupRow(c, row), GroupRow(c, last), static_cast<std::size_t>(plane.groupWidth));
    }
    rowGroup_ = kRowGroups;
}

}  // namespace jpeg
