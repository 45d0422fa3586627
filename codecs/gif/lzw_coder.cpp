#include "codecs/gif/lzw_coder.h"

#include <cstdlib>

#include "codecs/gif/gif_status.h"

namespace {

constexpr std::uint32_t kCodeLimit = 4095;  // the first code that is never assigned

// The code bits and the sub-block cursor, held in locals while a run of pixels is coded.
struct BitWriter {
    std::uint32_t bits, count;
    SubBlockCursor cursor;

    void Put(std::uint32_t code, std::uint32_t width) {
        bits |= code << count;
        count += width;
        while (count >= 8) {
            cursor.Put(BYTE(bits));
            bits >>= 8;
            count -= 8;
        }
    }
};

}  // namespace

LzwCoder::LzwCoder(int minimumCodeSize, GifOutput& output)
    : output_(output),
      clear_(1u << minimumCodeSize),
      child_(
          static_cast<std::uint16_t*>(std::calloc(std::size_t{kCodeLimit} * clear_, sizeof(std::uint16_t)))),
      added_(static_cast<std::uint32_t*>(std::malloc(kCodeLimit * sizeof(std::uint32_t)))) {
    if (!child_ || !added_) throw GifWriteFailure{kGifOutOfMemory};
    next_ = clear_ + 2;
    ClearTable();
    output_.Reserve(16);
    BitWriter writer{bits_, bitCount_, output_.Cursor()};
    writer.Put(clear_, width_);
    bits_ = writer.bits;
    bitCount_ = writer.count;
    output_.Update(writer.cursor);
}

void LzwCoder::ClearTable() {
    for (std::uint32_t code = clear_ + 2; code < next_; ++code) child_[added_[code]] = 0;
    next_ = clear_ + 2;
    width_ = 0;
    while ((1u << width_) <= clear_) ++width_;
    limit_ = 1u << width_;
}

void LzwCoder::Encode(const BYTE* pixels, std::size_t count) {
    if (count == 0) return;
    std::size_t i = 0;
    if (omega_ < 0) omega_ = pixels[i++];
    // At most one code of 12 bits per pixel, plus a clear code now and then.
    output_.Reserve(2 * count + 16);

    std::uint16_t* const child = child_.get();
    std::uint32_t* const added = added_.get();
    const std::uint32_t clear = clear_;
    std::uint32_t omega = std::uint32_t(omega_), next = next_, width = width_, limit = limit_;
    BitWriter writer{bits_, bitCount_, output_.Cursor()};
    for (; i < count; ++i) {
        const std::uint32_t pixel = pixels[i];
        const std::uint32_t slot = omega * clear + pixel;
        if (child[slot] != 0) {
            omega = child[slot];
            continue;
        }
        writer.Put(omega, width);
        if (next >= kCodeLimit) {
            writer.Put(clear, width);
            next_ = next;
            ClearTable();
            next = next_;
            width = width_;
            limit = limit_;
        } else {
            child[slot] = std::uint16_t(next);
            added[next] = slot;
            if (next >= limit) {
                ++width;
                limit <<= 1;
            }
            ++next;
        }
        omega = pixel;
    }
    omega_ = std::int32_t(omega);
    next_ = next;
    width_ = width;
    limit_ = limit;
    bits_ = writer.bits;
    bitCount_ = writer.count;
    output_.Update(writer.cursor);
}

void LzwCoder::Finish() {
    if (omega_ < 0) throw GifWriteFailure{kGifNotWritable};
    output_.Reserve(16);
    BitWriter writer{bits_, bitCount_, output_.Cursor()};
    writer.Put(std::uint32_t(omega_), width_);
    writer.Put(clear_ + 1, width_);
    if (writer.count > 0) writer.cursor.Put(BYTE(writer.bits));
    bits_ = 0;
    bitCount_ = 0;
    output_.Update(writer.cursor);
}
