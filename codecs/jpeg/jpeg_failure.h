// How the encoder abandons a file: the failing step throws, WriteJpegFile catches and returns
// the number. Never leaves the encoder.
#pragma once

#include <cstdint>

#include "codecs/jpeg/jpeg_writer.h"

namespace jpeg {

struct Failure {
    std::int32_t code;
};

[[noreturn]] inline void Fail(JpegWriteError code) {
    throw Failure{code};
}

}  // namespace jpeg
