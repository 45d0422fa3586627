#include "core/resample.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

struct Source {
    const BYTE* rows;
    std::uint32_t stride;
    int width, height;
    const BYTE* Pixel(int x, int y) const { return rows + std::size_t{stride} * y + 3 * x; }
};

struct Target {
    BYTE* rows;
    std::uint32_t stride;
    int width, height;
    BYTE* Pixel(int x, int y) const { return rows + std::size_t{stride} * y + 3 * x; }
};

// Truncation toward zero, so a negative half is not rounded away from `a`.
int Lerp(int a, int b, double f) {
    int value = a + static_cast<int>((b - a) * f + 0.5);
    return value < 0 ? 0 : value > 255 ? 255 : value;
}

// Integer sample position and fraction for every target coordinate; no half-pixel offset.
struct Sample {
    int index;
    double fraction;
};

std::vector<Sample> SamplePositions(int count, double step) {
    std::vector<Sample> samples(count);
    for (int i = 0; i < count; ++i) {
        double at = i * step;
        samples[i].index = static_cast<int>(at);
        samples[i].fraction = at - samples[i].index;
    }
    return samples;
}

void Interpolate(const Source& source, const Target& target) {
    const std::vector<Sample> columns = SamplePositions(target.width, double(source.width) / target.width);
    const std::vector<Sample> rows = SamplePositions(target.height, double(source.height) / target.height);
    for (int i = 0; i < target.height; ++i) {
        const int y = rows[i].index;
        const double fy = rows[i].fraction;
        const bool lastRow = y + 1 >= source.height;
        for (int k = 0; k < target.width; ++k) {
            const int x = columns[k].index;
            const double fx = columns[k].fraction;
            const bool lastColumn = x + 1 >= source.width;
            const BYTE* p = source.Pixel(x, y);
            const BYTE* below = lastRow ? p : source.Pixel(x, y + 1);
            BYTE* out = target.Pixel(k, i);
            for (int c = 0; c < 3; ++c) {
                int value;
                if (!lastColumn && !lastRow) {
                    int top = Lerp(p[c], p[3 + c], fx);
                    int bottom = Lerp(below[c], below[3 + c], fx);
                    value = top + static_cast<int>((bottom - top) * fy + 0.5);
                } else if (!lastColumn) {
                    value = Lerp(p[c], p[3 + c], fx);
                } else if (!lastRow) {
                    value = Lerp(p[c], below[c], fy);
                } else {
                    value = p[c];
                }
                out[c] = static_cast<BYTE>(value);
            }
        }
    }
}

struct Span {
    int begin, end;
};

// Source spans of every target coordinate; an empty span becomes the nearest source line.
std::vector<Span> BoxSpans(int count, double step, int limit) {
    std::vector<Span> spans(count);
    for (int i = 0; i < count; ++i) {
        int begin = static_cast<int>(i * step + 0.5);
        int end = std::min(limit, static_cast<int>((i + 1) * step + 0.5));
        if (end <= begin) {
            begin = std::min(begin, limit - 1);
            end = begin + 1;
        }
        spans[i] = Span{begin, end};
    }
    return spans;
}

void Average(const Source& source, const Target& target) {
    const std::vector<Span> columns =
        BoxSpans(target.width, double(source.width) / target.width, source.width);
    const std::vector<Span> rows =
        BoxSpans(target.height, double(source.height) / target.height, source.height);
    for (int l = 0; l < target.height; ++l) {
        for (int u = 0; u < target.width; ++u) {
            std::uint32_t sum[3] = {0, 0, 0};
            for (int y = rows[l].begin; y < rows[l].end; ++y) {
                const BYTE* p = source.Pixel(columns[u].begin, y);
                for (int x = columns[u].begin; x < columns[u].end; ++x, p += 3) {
                    sum[0] += p[0];
                    sum[1] += p[1];
                    sum[2] += p[2];
                }
            }
            const std::uint32_t n =
                std::uint32_t(rows[l].end - rows[l].begin) * (columns[u].end - columns[u].begin);
            BYTE* out = target.Pixel(u, l);
            for (int c = 0; c < 3; ++c) out[c] = static_cast<BYTE>(sum[c] / n);
        }
    }
}

}  // namespace

PackedBitmap ResizeBitmap(PackedBitmap bitmap, int newWidth, int newHeight) {
    if (!IsPictureSizeAccepted(newWidth, newHeight) || !IsCompleteBitmap(bitmap)) return nullptr;
    BitmapLock header(bitmap);
    if (!header || header->biBitCount != 24) return nullptr;
    const std::uint32_t colours = ImpliedColourCount(*header.data());
    GlobalBlock block = AllocatePackedBitmap(newWidth, newHeight, 24, colours);
    BitmapLock result(block.get());
    if (!result) return nullptr;
    result->biXPelsPerMeter = header->biXPelsPerMeter;
    result->biYPelsPerMeter = header->biYPelsPerMeter;
    result->biClrImportant = header->biClrImportant;
    std::memcpy(ColourTable(result.data()), ColourTable(header.data()), 4 * colours);

    const Source source{PixelRows(header.data()), RowBytes(24, header->biWidth), header->biWidth,
                        header->biHeight};
    const Target target{PixelRows(result.data()), RowBytes(24, newWidth), newWidth, newHeight};
    if (double(source.width) / newWidth <= 2.0) {
        Interpolate(source, target);
    } else {
        Average(source, target);
    }
    return block.release();
}
