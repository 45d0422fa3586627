// How the encoder abandons a file: the failing step throws, WriteJpegFile catches and returns
// the number. Never leaves the encoder.
#pragma once

#include "codecs/jpeg/jpeg_status.h"

namespace jpeg {

struct Failure {
    JpegWriteStatus code;
};

[[noreturn]] inline void Fail(JpegWriteStatus code) {
    throw Failure{code};
}

}  // namespace jpeg
