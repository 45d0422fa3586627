#include "codecs/gif/lzw_coder.h"

#include <cstdlib>
#include <cstring>

#include "codecs/gif/gif_status.h"

namespace {

constexpr std::uint32_t kCodeLimit = 4095;  // the first code that is never assigned

// Four slots a code keep the probes short: one for most look-ups.
constexpr int kSlotBits = 14;
constexpr std::uint32_t kSlotMask = (1u << kSlotBits) - 1;

// The first slot to probe for the string given as prefix << 8 | index.
inline std::uint32_t FirstSlot(std::uint32_t key) {
    return key * 0x9E3779B1u >> (32 - kSlotBits);
}

// Codes least significant bit first. Every put stores eight bytes and moves past the whole
// ones, so that it needs no branch; the output has room for what the store writes ahead.
struct BitWriter {
    std::uint64_t bits;
    std::uint32_t count;  // below 8 between puts
    BYTE* at;

    void Put(std::uint32_t code, std::uint32_t width) {
        bits |= std::uint64_t{code} << count;
        count += width;
        std::uint64_t bytes = bits;
#if __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
        bytes = __builtin_bswap64(bytes);
#endif
        std::memcpy(at, &bytes, sizeof bytes);
        const std::uint32_t whole = count >> 3;
        at += whole;
        bits >>= 8 * whole;
        count &= 7;
    }
};

}  // namespace

LzwCoder::LzwCoder(int minimumCodeSize, GifOutput& output)
    : output_(output),
      clear_(1u << minimumCodeSize),
      slots_(static_cast<std::uint32_t*>(std::calloc(std::size_t{1} << kSlotBits, sizeof(std::uint32_t)))),
      added_(static_cast<std::uint32_t*>(std::malloc((kCodeLimit + 1) * sizeof(std::uint32_t)))) {
    if (!slots_ || !added_) throw GifWriteFailure{kGifOutOfMemory};
    ClearTable(clear_ + 2);
    output_.Reserve(16);
    BitWriter writer{bits_, bitCount_, output_.end()};
    writer.Put(clear_, width_);
    bits_ = writer.bits;
    bitCount_ = writer.count;
    output_.Advance(std::size_t(writer.at - output_.end()));
}

// Empties the table of the codes added before `next`.
void LzwCoder::ClearTable(std::uint32_t next) {
    for (std::uint32_t code = clear_ + 2; code < next; ++code) slots_[added_[code]] = 0;
    next_ = clear_ + 2;
    width_ = 0;
    while ((1u << width_) <= clear_) ++width_;
    limit_ = 1u << width_;
}

void LzwCoder::Encode(const BYTE* pixels, std::size_t count) {
    if (count == 0) return;
    std::size_t i = 0;
    if (omega_ < 0) omega_ = pixels[i++];
    // At most one code of 12 bits per pixel, a clear code now and then, and what a store writes
    // ahead.
    output_.Reserve(2 * count + 16);

    std::uint32_t* const slots = slots_.get();
    std::uint32_t* const added = added_.get();
    std::uint32_t omega = std::uint32_t(omega_), next = next_, width = width_, limit = limit_;
    BitWriter writer{bits_, bitCount_, output_.end()};
    for (; i < count; ++i) {
        const std::uint32_t pixel = pixels[i];
        const std::uint32_t key = omega << 8 | pixel;
        std::uint32_t slot = FirstSlot(key);
        std::uint32_t entry = slots[slot];
        while (entry != 0 && entry >> 12 != key) {
            slot = (slot + 1) & kSlotMask;
            entry = slots[slot];
        }
        if (entry != 0) {
            omega = entry & 0xFFF;
            continue;
        }
        // The string ends: its code goes out, the string with this pixel becomes code `next`,
        // and the pixel starts the next string. With the table full, the entry added as 4095
        // goes with the clear that follows.
        writer.Put(omega, width);
        slots[slot] = key << 12 | next;
        added[next] = slot;
        omega = pixel;
        ++next;
        if (next > limit) {
            ++width;
            limit <<= 1;
        }
        if (next > kCodeLimit) {
            writer.Put(clear_, width);
            ClearTable(next);
            next = next_;
            width = width_;
            limit = limit_;
        }
    }
    omega_ = std::int32_t(omega);
    next_ = next;
    width_ = width;
    limit_ = limit;
    bits_ = writer.bits;
    bitCount_ = writer.count;
    output_.Advance(std::size_t(writer.at - output_.end()));
}

void LzwCoder::Finish() {
    if (omega_ < 0) throw GifWriteFailure{kGifNotWritable};
    output_.Reserve(16);
    BitWriter writer{bits_, bitCount_, output_.end()};
    writer.Put(std::uint32_t(omega_), width_);
    writer.Put(clear_ + 1, width_);
    output_.Advance(std::size_t(writer.at - output_.end()) + (writer.count > 0 ? 1 : 0));
    bits_ = 0;
    bitCount_ = 0;
}
