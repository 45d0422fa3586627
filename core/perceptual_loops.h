// The loops of the perceptual score's row operations, in a form for each vector level the
// processor may have (core/perceptual_loop_bodies.h holds them once; core/perceptual_rows.h
// says what each does).
#pragma once

#include "core/vector_level.h"

struct PerceptualLoops {
    void (*halved)(const float* top, const float* bottom, int width, float* out);
    void (*xyb)(const float* red, const float* green, const float* blue, int width, float* x, float* y,
                float* b);
    void (*blurAlong)(const float* padded, int width, float* out);
    void (*blurAcross)(const float* const* rows, int width, float* out);
    void (*ssimError)(const float* mean1, const float* variance1, const float* mean2, const float* square2,
                      const float* cross, int width, float* sum, float* sum4);
    void (*edges)(const float* xyb1, const float* mean1, const float* xyb2, const float* mean2, int width,
                  float* artifactSum, float* artifactSum4, float* lostSum, float* lostSum4);
};

#if defined(KORVI_X86)
// The loops compiled for AVX2, eight floats a step.
const PerceptualLoops& Avx2PerceptualLoops();
#endif
