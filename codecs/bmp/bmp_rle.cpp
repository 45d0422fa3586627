#include "codecs/bmp/bmp_rle.h"

#include <algorithm>
#include <cstring>

namespace {

// Escapes behind a zero count.
enum : int { kEndOfLine = 0, kEndOfBitmap = 1, kDelta = 2 };

// The row being decoded: pixels go to a line of its own, which reaches the picture only once
// the row is complete. Rows passed over keep the picture's zero bytes: black.
class RleCursor {
  public:
    RleCursor(const PictureRows& rows, std::uint8_t* line) : rows_(rows), line_(line) { Clear(); }

    bool finished() const { return y_ >= rows_.height(); }
    int complete() const { return y_ < rows_.height() ? y_ : rows_.height(); }

    void Put(const std::uint8_t colour[3]) {
        if (x_ == rows_.width()) return;
        std::memcpy(line_ + 3 * x_, colour, 3);
        ++x_;
    }
    // Ends the row and those the move passes over, keeping the column.
    void MoveUp(int up) {
        if (up == 0) return;
        std::memcpy(rows_.Row(y_), line_, std::size_t(rows_.width()) * 3);
        y_ += up;
        Clear();
    }
    void MoveRight(int right) { x_ = std::min(x_ + right, rows_.width()); }
    void EndLine() {
        MoveUp(1);
        x_ = 0;
    }
    void EndBitmap() { MoveUp(rows_.height() - y_ + 1); }

  private:
    void Clear() { std::memset(line_, 0, std::size_t(rows_.width()) * 3); }

    const PictureRows& rows_;
    std::uint8_t* line_;
    int x_ = 0, y_ = 0;
};

// One pixel of the stored kind: an index, a nibble pair or blue, green, red.
class RleSource {
  public:
    RleSource(ByteStream& in, const BmpLayout& layout) : in_(in), layout_(layout) {}

    int bytesPerPixel() const { return layout_.pixels == BmpPixels::kRle24 ? 3 : 1; }
    // Reads the value of a run; false where the data ends.
    bool ReadRunValue() { return in_.Read(value_, std::size_t(bytesPerPixel())); }
    // The colour of the run's `i`th pixel.
    const std::uint8_t* RunColour(int i) const {
        switch (layout_.pixels) {
            case BmpPixels::kRle24:
                return value_;
            case BmpPixels::kRle4:
                return layout_.palette[i % 2 == 0 ? value_[0] >> 4 : value_[0] & 0x0F];
            default:
                return layout_.palette[value_[0]];
        }
    }
    // Reads the `count` pixels of absolute mode and the padding to a 16-bit boundary.
    bool ReadAbsolute(int count, RleCursor& cursor) {
        const int bytes = layout_.pixels == BmpPixels::kRle4 ? (count + 1) / 2 : count * bytesPerPixel();
        std::uint8_t stored[255 * 3];
        if (!in_.Read(stored, std::size_t(bytes)) || !in_.Skip(std::size_t(bytes % 2))) return false;
        for (int i = 0; i < count; ++i) {
            switch (layout_.pixels) {
                case BmpPixels::kRle24:
                    cursor.Put(stored + 3 * i);
                    break;
                case BmpPixels::kRle4:
                    cursor.Put(layout_.palette[i % 2 == 0 ? stored[i / 2] >> 4 : stored[i / 2] & 0x0F]);
                    break;
                default:
                    cursor.Put(layout_.palette[stored[i]]);
                    break;
            }
        }
        return true;
    }

  private:
    ByteStream& in_;
    const BmpLayout& layout_;
    std::uint8_t value_[3] = {};
};

}  // namespace

int DecodeRle(ByteStream& in, const BmpLayout& layout, const PictureRows& rows, std::uint8_t* line) {
    RleCursor cursor(rows, line);
    RleSource source(in, layout);
    while (!cursor.finished()) {
        const int count = in.Next(), value = count < 0 ? -1 : count > 0 ? 0 : in.Next();
        if (value < 0) break;
        if (count > 0) {
            if (!source.ReadRunValue()) break;
            for (int i = 0; i < count; ++i) cursor.Put(source.RunColour(i));
        } else if (value == kEndOfLine) {
            cursor.EndLine();
        } else if (value == kEndOfBitmap) {
            cursor.EndBitmap();
        } else if (value == kDelta) {
            const int right = in.Next(), up = in.Next();
            if (up < 0) break;
            cursor.MoveUp(up);
            cursor.MoveRight(right);
        } else if (!source.ReadAbsolute(value, cursor)) {
            break;
        }
    }
    return cursor.complete();
}
