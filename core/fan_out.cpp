#include "core/fan_out.h"

#include <algorithm>
#include <atomic>
#include <new>
#include <system_error>
#include <utility>

std::thread StartThread(std::function<void()> run) {
    return std::thread(std::move(run));
}

FanOut::FanOut(unsigned lanes, std::function<void(unsigned lane)> work, const ThreadStarter& start)
    : lanes_(lanes), work_(std::move(work)) {
    threads_.reserve(lanes);
    for (unsigned lane = 0; lane < lanes; ++lane) {
        try {
            threads_.push_back(start([this, lane] { RunLane(lane); }));
        } catch (const std::system_error&) {
            break;  // the lanes left run on the calling thread when it joins
        } catch (const std::bad_alloc&) {
            break;
        }
    }
}

FanOut::~FanOut() {
    JoinStarted();
}

void FanOut::RunLane(unsigned lane) noexcept {
    try {
        work_(lane);
    } catch (...) {
        Keep(std::current_exception());
    }
}

void FanOut::Keep(std::exception_ptr thrown) noexcept {
    std::lock_guard<std::mutex> hold(mutex_);
    if (!thrown_) thrown_ = std::move(thrown);
}

void FanOut::JoinStarted() noexcept {
    for (std::thread& thread : threads_)
        if (thread.joinable()) thread.join();
}

void FanOut::Join(const std::function<void()>& here) {
    if (here) {
        try {
            here();
        } catch (...) {
            Keep(std::current_exception());
        }
    }
    for (unsigned lane = unsigned(threads_.size()); lane < lanes_; ++lane) RunLane(lane);
    JoinStarted();
    if (thrown_) std::rethrow_exception(std::exchange(thrown_, nullptr));
}

void RunPieces(std::size_t count, unsigned threads,
               const std::function<void(std::size_t piece, unsigned lane)>& work,
               const ThreadStarter& start) {
    std::atomic<std::size_t> next{0};
    auto lane = [&](unsigned number) {
        try {
            for (std::size_t piece; (piece = next++) < count;) work(piece, number);
        } catch (...) {
            next = count;
            throw;
        }
    };
    const std::size_t lanes = std::min<std::size_t>(std::max(threads, 1u), std::max<std::size_t>(count, 1));
    FanOut others(
        unsigned(lanes - 1), [&](unsigned number) { lane(number + 1); }, start);
    others.Join([&] { lane(0); });
}
