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
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            --running;
            if (piece == c.failing) throw std::runtime_error("piece failed");
        };
        if (c.failing == kNone) {
            RunPieces(c.pieces, c.threads, work, StartingOnly(c.startsAllowed));
            EXPECT_EQ(runs, std::vector<int>(c.pieces, 1));
        } else {
            EXPECT_THROW(RunPieces(c.pieces, c.threads, work, StartingOnly(c.startsAllowed)),
                         std::runtime_error);
            EXPECT_EQ(running, 0);
            // On the calling thread alone, the pieces after the failing one are left.
            const int begun = std::accumulate(runs.begin(), runs.end(), 0);
            EXPECT_TRUE(c.startsAllowed > 0 || begun == int(c.failing) + 1) << begun;
        }
        EXPECT_LE(threads.size(), std::min<std::size_t>(c.threads, std::size_t(c.startsAllowed) + 1));
    }
}

// A lane no thread was started for runs when the caller joins, and what it throws comes back
// there; an exception before the join waits for the lanes under way instead of ending the process.
TEST(FanOut, RunsLanesWithoutAThreadAtTheJoinAndJoinsWhateverIsThrown) {
    std::atomic<int> lanesRun{0};
    auto lane = [&](unsigned number) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        lanesRun += int(number) + 1;
        if (number == 1) throw std::range_error("lane 1");
    };
    FanOut joined(2, lane, StartingOnly(1));
    EXPECT_THROW(joined.Join(), std::range_error);
    EXPECT_EQ(lanesRun, 3);
    EXPECT_THROW(
        {
            FanOut unjoined(2, lane, StartingOnly(1));
            throw std::logic_error("the caller fails");
        },
        std::logic_error);
    EXPECT_EQ(lanesRun, 4) << "the lane under way ended, the one never started was left";
}
