#include "core/fan_out.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
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

// Threads that cannot start leave their pieces to the others, the calling thread last of all; the
// first exception comes back once no piece runs any more, and no piece begins after it.
TEST(RunPieces, RunsEveryPieceOnTheThreadsThatStartAndHandsBackTheFirstFailure) {
    constexpr std::size_t kNone = ~std::size_t{0};
    const struct {
        std::size_t pieces;
        unsigned threads;
        int startsAllowed;
        std::size_t failing = kNone;
    } cases[] = {
        {0, 4, 4}, {1, 4, 4}, {40, 1, 4}, {40, 4, 4}, {40, 4, 1}, {40, 4, 0}, {40, 4, 0, 7}, {40, 3, 2, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.pieces << " pieces, " << c.threads << " threads, "
                                        << c.startsAllowed << " start, failing " << c.failing);
        const std::thread::id caller = std::this_thread::get_id();
        std::vector<std::atomic<int>> runs(c.pieces);
        std::atomic<int> running{0};
        std::atomic<bool> failed{false};
        std::mutex mutex;
        std::set<std::thread::id> threads;
        auto work = [&](std::size_t piece, unsigned lane) {
            ++running;
            ++runs[piece];
            {
                std::lock_guard<std::mutex> hold(mutex);
                threads.insert(std::this_thread::get_id());
                EXPECT_EQ(lane == 0, std::this_thread::get_id() == caller) << "lane 0 is the calling thread";
            }
            // Pieces after the failing one wait for it, so that none is done before it fails.
            for (int wait = 0; piece > c.failing && !failed && wait < 2000; ++wait)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            std::this_thread::sleep_for(std::chrono::microseconds(100));
            --running;
            if (piece == c.failing) {
                failed = true;
                throw std::runtime_error("piece failed");
            }
        };
        if (c.failing == kNone) {
            RunPieces(c.pieces, c.threads, work, StartingOnly(c.startsAllowed));
            for (const std::atomic<int>& count : runs) EXPECT_EQ(count, 1);
        } else {
            EXPECT_THROW(RunPieces(c.pieces, c.threads, work, StartingOnly(c.startsAllowed)),
                         std::runtime_error);
            EXPECT_EQ(running, 0) << "every thread has ended";
            int begun = 0;
            for (const std::atomic<int>& count : runs) begun += count;
            EXPECT_LE(begun, int(c.failing + c.threads)) << "the pieces after the failure are left";
        }
        EXPECT_LE(threads.size(), std::min<std::size_t>(c.threads, std::size_t(c.startsAllowed) + 1));
    }
}

// Lanes that no thread ran run when the caller joins; one that throws there is handed back. An
// exception on the calling thread before it joins waits for the lanes under way and ends nothing.
TEST(FanOut, RunsLanesWithoutAThreadAtTheJoinAndJoinsWhateverIsThrown) {
    const std::thread::id caller = std::this_thread::get_id();
    std::vector<std::thread::id> ranOn(3);
    FanOut lanes(
        3,
        [&](unsigned lane) {
            ranOn[lane] = std::this_thread::get_id();
            if (lane == 2) throw std::range_error("lane 2");
        },
        StartingOnly(1));
    EXPECT_EQ(lanes.started(), 1u);
    EXPECT_THROW(lanes.Join([] {}), std::range_error);
    EXPECT_NE(ranOn[0], caller);
    EXPECT_EQ(ranOn[1], caller);
    EXPECT_EQ(ranOn[2], caller);

    std::atomic<bool> finished{false}, leftRan{false};
    try {
        FanOut unjoined(
            2,
            [&](unsigned lane) {
                if (lane == 1) leftRan = true;
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
                finished = true;
            },
            StartingOnly(1));
        throw std::logic_error("the caller fails");
    } catch (const std::logic_error&) {
    }
    EXPECT_TRUE(finished);
    EXPECT_FALSE(leftRan);
}
