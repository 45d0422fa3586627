// The AVX2 form of the inverse DCT, two blocks at a time.
#pragma once

#include "codecs/jpeg/decoder/inverse_dct.h"
#include "core/vector_level.h"

namespace jpeg::decoder {

#if defined(KORVI_X86)
void InverseDctIslowPairAvx2(const IdctBlock& first, const IdctBlock& second);
#endif

}  // namespace jpeg::decoder
