#include "core/fan_out.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <numeric>
#include <set>
#include <stdexcept>
#include <system_error>

namespace {

// Starts the first `allowed` threads asked for, then fails as a system out of threads does.
ThreadStarter StartingOnly(int allowed) {
    auto count = std::make_shared<std::atomic<int>>(0);
    return [count, allowed](std::function<void()> run) {
        if ((*count)++ >= allowed)
            throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
        return std::thread(std::move(run));
    };
}

}  // namespace

// Threads that cannot start leave their pieces to the others, the calling thread (lane 0) last
// of all; the first exception comes back once every lane has ended, and no piece begins after it.
TEST(RunPieces, RunsEveryPieceOnTheThreadsThatStartAndHandsBackTheFirstFailure) {
    constexpr std::size_t kNone = ~std::size_t{0};
    const struct {
        std::size_t pieces;
        unsigned threads;
        int startsAllowed;
        std::size_t failing = kNone;
    } cases[] = {{0, 4, 4},  {1, 4, 4},  {40, 1, 4},    {40, 4, 4},
                 {40, 4, 1}, {40, 4, 0}, {40, 4, 0, 7}, {40, 3, 2, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.pieces << " pieces, " << c.threads << " threads, "
                                        << c.startsAllowed << " start, failing " << c.failing);
        const std::thread::id caller = std::this_thread::get_id();
        std::vector<int> runs(c.pieces);
        std::atomic<int> running{0};
        std::atomic<bool> failed{false};
        std::mutex mutex;
        std::set<std::thread::id> threads;
        auto work = [&](std::size_t piece, unsigned lane) {
            ++running;
            {
                std::lock_guard<std::mutex> hold(mutex);
                ++runs[piece];
                threads.insert(std::this_thread::get_id());
                EXPECT_EQ(lane == 0, std::this_thread::get_id() == caller);
            }
            // The pieces after the failing one wait for its failure.
            for (int wait = 0; piece > c.failing && !failed && wait < 2000; ++wait)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            --running;
            if (piece == c.failing) {
                failed = true;
                throw std::runtime_error("piece failed");
            }
        };
        if (c.failing == kNone) {
            RunPieces(c.pieces, c.threads, work, StartingOnly(c.startsAllowed));
            EXPECT_EQ(runs, std::vector<int>(c.pieces, 1));
        } else {
            EXPECT_THROW(RunPieces(c.pieces, c.threads, work, StartingOnly(c.startsAllowed)),
                         std::runtime_error);
            EXPECT_EQ(running, 0);
            EXPECT_LE(std::accumulate(runs.begin(), runs.end(), 0), int(c.failing + c.threads));
        }
        EXPECT_LE(threads.size(), std::min<std::size_t>(c.threads, std::size_t(c.startsAllowed) + 1));
    }
}

// The lanes no thread was started for run when the caller joins, and what they throw comes back
// there; an exception before the join waits for the lanes under way instead of ending the process.
TEST(FanOut, RunsLanesWithoutAThreadAtTheJoinAndJoinsWhateverIsThrown) {
    std::vector<std::thread::id> ranOn(3);
    FanOut lanes(
        3,
        [&](unsigned lane) {
            ranOn[lane] = std::this_thread::get_id();
            if (lane == 2) throw std::range_error("lane 2");
        },
        StartingOnly(1));
    EXPECT_THROW(lanes.Join(), std::range_error);
    EXPECT_EQ(ranOn, (std::vector<std::thread::id>{ranOn[0], std::this_thread::get_id(),
                                                   std::this_thread::get_id()}));
    EXPECT_NE(ranOn[0], std::this_thread::get_id());

    std::atomic<int> finished{0};
    EXPECT_THROW(
        {
            FanOut unjoined(
                2,
                [&](unsigned lane) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(20));
                    finished += int(lane) + 1;
                },
                StartingOnly(1));
            throw std::logic_error("the caller fails");
        },
        std::logic_error);
    EXPECT_EQ(finished, 1) << "the lane under way ended, the one never started was left";
}
