#include "cli/side_by_side.h"

#include <exception>
#include <thread>

namespace {

void Guarded(const std::function<void()>& work, std::exception_ptr& thrown) {
    try {
        work();
    } catch (...) {
        thrown = std::current_exception();
    }
}

}  // namespace

void InParallel(const std::function<void()>& aside, const std::function<void()>& here) {
    std::exception_ptr thrownAside, thrownHere;
    std::thread thread;
    try {
        thread = std::thread(Guarded, std::cref(aside), std::ref(thrownAside));
    } catch (...) {
        Guarded(aside, thrownAside);
    }
    // Nothing thrown here may pass the join: a joinable thread must not be destroyed.
    Guarded(here, thrownHere);
    if (thread.joinable()) thread.join();
    if (thrownHere) std::rethrow_exception(thrownHere);
    if (thrownAside) std::rethrow_exception(thrownAside);
}
