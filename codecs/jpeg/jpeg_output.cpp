#include "codecs/jpeg/jpeg_output.h"

#include "codecs/jpeg/jpeg_failure.h"

namespace jpeg {

void OutputBuffer::Drain() {
    if (std::fwrite(buffer_.data(), 1, kCapacity, file_) != kCapacity) Fail(kJpegWriteFailed);
    used_ = 0;
}

void OutputBuffer::Finish() {
    if (used_ > 0 && std::fwrite(buffer_.data(), 1, used_, file_) != used_) Fail(kJpegWriteFailed);
    used_ = 0;
    std::fflush(file_);
    if (std::ferror(file_)) Fail(kJpegWriteFailed);
}

}  // namespace jpeg
