// korvi-cli's second thread for -f auto's two searches.
#pragma once

#include <functional>

// Runs `aside` on another thread while `here` runs on this one, both here when no thread starts.
// Once both are done, throws what `here` threw, else what `aside` threw.
void InParallel(const std::function<void()>& aside, const std::function<void()>& here);
