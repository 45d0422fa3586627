// A deterministic photograph-like picture: smooth gradients, hard edges and fine noise.
#pragma once

#include "tests/support/bitmap_builder.h"

ColourAt NaturalPicture(int width, int height);
// Only gradients, for fidelity measurements that edges would dominate.
ColourAt SmoothPicture(int width, int height);
