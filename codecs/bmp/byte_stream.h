// A file read forwards through a buffer, a byte or a run of bytes at a time.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "core/classic_file.h"

class ByteStream {
  public:
    explicit ByteStream(ClassicFile& file) : file_(file) {}
    ByteStream(const ByteStream&) = delete;
    ByteStream& operator=(const ByteStream&) = delete;

    // The next byte, or -1 where the file ends.
    int Next() {
        if (at_ == end_ && !Refill()) return -1;
        return buffer_[at_++];
    }
    // Reads `count` bytes; false when the file ends first.
    bool Read(std::uint8_t* into, std::size_t count) {
        while (count > 0) {
            if (at_ == end_ && !Refill()) return false;
            const std::size_t piece = std::min(count, end_ - at_);
            into = std::copy_n(buffer_ + at_, piece, into);
            at_ += piece;
            count -= piece;
        }
        return true;
    }
    bool Skip(std::size_t count) {
        for (; count > 0; --count)
            if (Next() < 0) return false;
        return true;
    }

  private:
    bool Refill() {
        const long read = file_.ReadUpTo(buffer_, sizeof buffer_);
        at_ = 0;
        end_ = read > 0 ? std::size_t(read) : 0;
        return end_ > 0;
    }

    ClassicFile& file_;
    std::uint8_t buffer_[1 << 16];
    std::size_t at_ = 0, end_ = 0;
};
