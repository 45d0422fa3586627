// The perceptual score's row loops compiled for AVX2.
#include "core/perceptual_loops.h"

#if defined(KORVI_X86)

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "core/perceptual_rows.h"

KORVI_BEGIN_AVX2
#include "core/perceptual_loop_bodies.h"

const PerceptualLoops& Avx2PerceptualLoops() {
    return loops::kLoops;
}

KORVI_END_AVX2

#endif
