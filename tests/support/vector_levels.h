// Runs a check once for every vector level the processor has, the plain form first.
#pragma once

#include "core/vector_level.h"

template <typename Check>
void ForEachVectorLevel(Check check) {
    for (int level = 0; level <= static_cast<int>(ProcessorVectorLevel()); ++level) {
        LimitVectorLevel(static_cast<VectorLevel>(level));
        check(static_cast<VectorLevel>(level));
    }
    LimitVectorLevel(VectorLevel::kAvx2);
}
