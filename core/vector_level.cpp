#include "core/vector_level.h"

#include <atomic>

namespace {

std::atomic<int> limit{static_cast<int>(VectorLevel::kAvx2)};

VectorLevel Detect() {
#if defined(KORVI_X86) && defined(__SSE2__)
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx2")) return VectorLevel::kAvx2;
    if (__builtin_cpu_supports("ssse3")) return VectorLevel::kSsse3;
    return VectorLevel::kSse2;
#else
    return VectorLevel::kPlain;
#endif
}

}  // namespace

VectorLevel ProcessorVectorLevel() {
    static const VectorLevel detected = Detect();
    return detected;
}

VectorLevel CurrentVectorLevel() {
    const int allowed = limit.load(std::memory_order_relaxed);
    const VectorLevel detected = ProcessorVectorLevel();
    return static_cast<int>(detected) < allowed ? detected : static_cast<VectorLevel>(allowed);
}

void LimitVectorLevel(VectorLevel level) {
    limit.store(static_cast<int>(level), std::memory_order_relaxed);
}
