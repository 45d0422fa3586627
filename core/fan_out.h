// Work fanned out to threads: each lane of work on a thread of its own where one can be started,
// on the calling thread where none can. A thread that cannot start means fewer threads, never a
// failure, and every thread is joined before its owner is gone, whatever was thrown.
#pragma once

#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

// Starts a thread that runs `run`; throws (std::system_error) when no thread can be started.
using ThreadStarter = std::function<std::thread(std::function<void()> run)>;

// The starter of every caller but the tests: a std::thread.
std::thread StartThread(std::function<void()> run);

class FanOut {
  public:
    // Starts work(0) to work(lanes - 1), each on a thread of its own, as far as threads start.
    FanOut(unsigned lanes, std::function<void(unsigned lane)> work, const ThreadStarter& start = StartThread);
    FanOut(const FanOut&) = delete;
    FanOut& operator=(const FanOut&) = delete;
    // Waits for the lanes under way and drops what they threw; lanes never started are left.
    ~FanOut();

    // Runs `here` on this thread, then the lanes no thread was started for, waits for every lane
    // and throws the first exception that `here` or a lane threw.
    void Join(const std::function<void()>& here = nullptr);

    // The lanes running on threads of their own.
    std::size_t started() const { return threads_.size(); }

  private:
    void RunLane(unsigned lane) noexcept;
    void Keep(std::exception_ptr thrown) noexcept;
    void JoinStarted() noexcept;

    const unsigned lanes_;
    const std::function<void(unsigned lane)> work_;
    std::mutex mutex_;
    std::exception_ptr thrown_;  // the first exception
    std::vector<std::thread> threads_;
};

// Runs work(piece, lane) once for each piece from 0 to count - 1 on up to `threads` threads: the
// calling thread is lane 0, started threads lanes 1 and up, and each lane takes the next piece
// when it is free. After an exception no further piece begins; the first is thrown here once
// every lane has ended.
void RunPieces(std::size_t count, unsigned threads,
               const std::function<void(std::size_t piece, unsigned lane)>& work,
               const ThreadStarter& start = StartThread);
