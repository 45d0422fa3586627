#include "codecs/jpeg/jpeg_output.h"

#include "codecs/jpeg/jpeg_failure.h"

namespace jpeg {

void OutputBuffer::Drain() {
    if (!file_.WriteExactly(buffer_.data(), kCapacity)) Fail(kJpegWriteFailed);
    used_ = 0;
}

void OutputBuffer::Finish() {
    if (!file_.WriteExactly(buffer_.data(), used_)) Fail(kJpegWriteFailed);
    used_ = 0;
}

}  // namespace jpeg
