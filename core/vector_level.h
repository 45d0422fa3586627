// The vector instructions the processor offers, asked once. Code with forms for several levels
// takes the best one the level allows; every form gives the same bytes as the plain one.
#pragma once

enum class VectorLevel { kPlain, kSse2, kSsse3, kAvx2 };

// The processor's level, unless a test lowered it.
VectorLevel CurrentVectorLevel();

// The processor's own level, whatever a test set.
VectorLevel ProcessorVectorLevel();

// Lets tests run each form: the level used from now on is at most `level`.
void LimitVectorLevel(VectorLevel level);

// Marks a function whose body uses the instructions of that level; or, from KORVI_BEGIN_AVX2 to
// KORVI_END_AVX2, every function defined between them, templates included (after the includes).
#if defined(__GNUC__) && (defined(__i386__) || defined(__x86_64__))
#define KORVI_SSSE3 __attribute__((target("ssse3")))
#define KORVI_AVX2 __attribute__((target("avx2")))
#if defined(__clang__)
#define KORVI_BEGIN_AVX2 \
    _Pragma("clang attribute push(__attribute__((target(\"avx2\"))), apply_to = function)")
#define KORVI_END_AVX2 _Pragma("clang attribute pop")
#else
#define KORVI_BEGIN_AVX2 _Pragma("GCC push_options") _Pragma("GCC target(\"avx2\")")
#define KORVI_END_AVX2 _Pragma("GCC pop_options")
#endif
#define KORVI_X86 1
#endif
