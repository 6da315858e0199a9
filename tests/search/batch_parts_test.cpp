// The parts a batch is built from, each on its own: the pipeline that loads in parallel and
// commits in order, and the gate that hands records out once their files are in place.

#include <algorithm>
#include <atomic>
#include <chrono>
#include <map>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "search/cOrderedPipeline.h"
#include "search/cRecordGate.h"

namespace {

using namespace std::chrono_literals;
using tClock = std::chrono::steady_clock;
using tPipeline = cOrderedPipeline<int, int>;

// A pipeline over the inputs 0 .. count - 1 whose loads take longer the earlier the input, so
// that later ones finish first.
struct cNumbers {
    int count = 40;
    int next = 0;
    std::vector<int> committed;
    tPipeline::cSteps steps;
    cNumbers() {
        steps.Next = [this](int& input) {
            if (next >= count) return false;
            input = next++;
            return true;
        };
        steps.Load = [this](const int& input) {
            std::this_thread::sleep_for(std::chrono::microseconds(100 * (count - input)));
            return std::make_unique<int>(input * 10);
        };
        steps.Light = [](const int&) { return true; };
        steps.Commit = [this](int& item) {
            committed.push_back(item / 10);
            return true;
        };
    }
    std::vector<int> Expected(int n) const {
        std::vector<int> v;
        for (int i = 0; i < n; ++i) v.push_back(i);
        return v;
    }
};

} // namespace

// Commits in the inputs' order whatever the jobs; a stop or a throwing step, on a loader or the
// committer, ends the run with every commit before it made and nothing after it.
TEST(BatchParts, ThePipelineCommitsInOrderAndEndsCleanly) {
    struct cCase {
        const char* name;
        int throwLoad = -1, throwCommit = -1, stopAfter = -1; // the input at which it happens
        bool stopCommit = false; // the commit answers false rather than KeepGoing
    };
    const cCase cases[] = {
        {"all inputs"},
        {"a load throws", 17},
        {"a commit throws", -1, 12},
        {"KeepGoing stops before an input", -1, -1, 9},
        {"a commit stops the run", -1, -1, 9, true},
    };
    for (const auto& c : cases) {
        for (const std::size_t jobs : {1u, 3u, 8u}) {
            SCOPED_TRACE(std::string(c.name) + ", " + std::to_string(jobs) + " jobs");
            cNumbers n;
            std::atomic<int> commits{0};
            const auto load = n.steps.Load;
            n.steps.Load = [&](const int& input) {
                if (input == c.throwLoad) throw std::runtime_error("load");
                return load(input);
            };
            const auto commit = n.steps.Commit;
            n.steps.Commit = [&](int& item) {
                if (item / 10 == c.throwCommit) throw std::runtime_error("commit");
                commit(item);
                ++commits;
                return !(c.stopCommit && item / 10 == c.stopAfter - 1);
            };
            // Asked under the pipeline's lock, as Next is.
            if (c.stopAfter >= 0 && !c.stopCommit) n.steps.KeepGoing = [&] { return n.next < c.stopAfter; };
            tPipeline pipeline;
            bool finished = false;
            std::string thrown;
            try {
                finished = pipeline.Run(n.steps, jobs);
            } catch (const std::runtime_error& e) {
                thrown = e.what();
            }
            const int limit = c.throwLoad >= 0 ? c.throwLoad : c.throwCommit >= 0 ? c.throwCommit : n.count;
            if (c.throwLoad >= 0 || c.throwCommit >= 0) {
                EXPECT_EQ(thrown, c.throwLoad >= 0 ? "load" : "commit");
                ASSERT_LE(n.committed.size(), static_cast<std::size_t>(limit));
                EXPECT_EQ(n.committed, n.Expected(static_cast<int>(n.committed.size())));
            } else if (c.stopAfter >= 0) {
                // What was loaded ahead of a stop is not committed; one job commits all it took.
                EXPECT_FALSE(finished);
                ASSERT_LE(n.committed.size(), static_cast<std::size_t>(c.stopAfter));
                EXPECT_EQ(n.committed, n.Expected(static_cast<int>(n.committed.size())));
                if (jobs == 1 || c.stopCommit) {
                    EXPECT_EQ(n.committed.size(), static_cast<std::size_t>(c.stopAfter));
                }
            } else {
                EXPECT_TRUE(finished);
                EXPECT_EQ(n.committed, n.Expected(n.count));
            }
        }
    }
}

// Before each commit the committer hears of every input taken and every item loaded since the last
// one, each once, on its own thread; and it wakes by its deadline, or when input is awaited, to do
// its idle work while it waits.
TEST(BatchParts, TheCommitterHearsOfWhatComesAndWakesToIdle) {
    for (const std::size_t jobs : {1u, 4u}) {
        SCOPED_TRACE(std::to_string(jobs) + " jobs");
        cNumbers n;
        const std::thread::id committer = std::this_thread::get_id();
        std::map<int, int> taken, loaded;
        bool elsewhere = false;
        n.steps.Taken = [&](const int& input) {
            ++taken[input];
            elsewhere |= std::this_thread::get_id() != committer;
        };
        n.steps.Loaded = [&](int& item) {
            ++loaded[item / 10];
            elsewhere |= std::this_thread::get_id() != committer;
        };
        const auto commit = n.steps.Commit;
        n.steps.Commit = [&](int& item) {
            EXPECT_EQ(taken.count(item / 10), 1u) << "taken before its commit";
            EXPECT_EQ(loaded.count(item / 10), 1u) << "loaded before its commit";
            return commit(item);
        };
        tPipeline pipeline;
        EXPECT_TRUE(pipeline.Run(n.steps, jobs));
        EXPECT_FALSE(elsewhere);
        EXPECT_EQ(taken.size(), 40u);
        for (const auto& [input, times] : taken) EXPECT_EQ(times, 1) << input;
        for (const auto& [input, times] : loaded) EXPECT_EQ(times, 1) << input;
    }

    // Input that stalls: the committer idles at once when Next says it waits, whichever thread
    // takes that input.
    {
        cNumbers n;
        n.count = 3;
        tPipeline pipeline;
        std::atomic<int> idled{0};
        const tClock::time_point start = tClock::now();
        tClock::time_point idledAt{};
        n.steps.Next = [&](int& input) {
            if (n.next >= n.count) return false;
            // The third input comes late: the committer has the first two to idle over.
            for (int i = 0; n.next == 2 && i < 40 && idled == 0; ++i) {
                pipeline.WaitingForInput();
                std::this_thread::sleep_for(10ms);
            }
            input = n.next++;
            return true;
        };
        n.steps.Idle = [&] {
            if (idled++ == 0) idledAt = tClock::now();
        };
        EXPECT_TRUE(pipeline.Run(n.steps, 2));
        EXPECT_EQ(n.committed, n.Expected(3));
        ASSERT_GE(idled.load(), 1);
        EXPECT_LT(idledAt - start, 390ms) << "idled while the input stalled, not after it came";
    }

    // A loader takes long over the item the committer is to commit: the committer idles by its
    // deadline meanwhile. (Tried until a loader, not the committer itself, loads that item.)
    bool byLoader = false;
    for (int attempt = 0; attempt < 10 && !byLoader; ++attempt) {
        cNumbers n;
        n.count = 2;
        tPipeline pipeline;
        std::atomic<int> idled{0};
        std::atomic<bool> loadedElsewhere{false};
        const std::thread::id committer = std::this_thread::get_id();
        tClock::time_point start{};
        n.steps.Load = [&](const int& input) {
            if (input == 1 && std::this_thread::get_id() != committer) {
                loadedElsewhere = true;
                for (int i = 0; i < 40 && idled == 0; ++i) std::this_thread::sleep_for(10ms);
            }
            return std::make_unique<int>(input * 10);
        };
        n.steps.Deadline = [&]() -> std::optional<tClock::time_point> {
            if (n.committed.empty() || idled > 0) return std::nullopt;
            if (start == tClock::time_point{}) {
                // Once, holding the pipeline's lock: the new loader takes input 1 meanwhile.
                start = tClock::now();
                std::this_thread::sleep_for(30ms);
            }
            return start + 150ms;
        };
        n.steps.Idle = [&] { ++idled; };
        EXPECT_TRUE(pipeline.Run(n.steps, 2));
        EXPECT_EQ(n.committed, n.Expected(2));
        if (!loadedElsewhere) continue;
        byLoader = true;
        EXPECT_GE(idled.load(), 1) << "idled by its deadline while the loader took long";
    }
    EXPECT_TRUE(byLoader) << "no loader ever loaded the second item";

    // The committer takes the next input ahead while the new loader loads the item it is to commit,
    // and that input stalls: the item is committed meanwhile, not when the input comes.
    cNumbers n;
    n.count = 3;
    tPipeline pipeline;
    std::atomic<int> commits{0};
    bool committedMeanwhile = false;
    n.steps.Load = [](const int& input) {
        if (input == 1) std::this_thread::sleep_for(100ms);
        return std::make_unique<int>(input * 10);
    };
    const auto commit = n.steps.Commit;
    n.steps.Commit = [&](int& item) {
        ++commits;
        return commit(item);
    };
    bool held = false;
    n.steps.Deadline = [&]() -> std::optional<tClock::time_point> {
        if (commits != 1) return std::nullopt;
        // Once, holding the pipeline's lock: the new loader takes input 1 meanwhile. The deadline
        // then wakes the committer while item 1 is being loaded, free to take input 2.
        if (!held) std::this_thread::sleep_for(30ms);
        held = true;
        return tClock::now() + 20ms;
    };
    n.steps.Next = [&](int& input) {
        if (n.next >= n.count) return false;
        if (n.next == 2) {
            for (int i = 0; i < 100 && commits < 2; ++i) {
                pipeline.WaitingForInput();
                std::this_thread::sleep_for(10ms);
            }
            committedMeanwhile = commits >= 2;
        }
        input = n.next++;
        return true;
    };
    EXPECT_TRUE(pipeline.Run(n.steps, 2));
    EXPECT_EQ(n.committed, n.Expected(3));
    EXPECT_TRUE(committedMeanwhile);
}

// The gate: due on count and on age by its clock, never with nothing held; each record out
// exactly once, after its files were placed, in order; when a hand-out throws only that record is
// gone and the rest come with the next release; a `place` that throws keeps them all.
TEST(BatchParts, TheGateHandsEachRecordOutOnceAfterItsFiles) {
    tClock::time_point now{};
    const auto clock = [&] { return now; };
    struct cDue {
        const char* name;
        int held;
        std::chrono::milliseconds later; // the clock moves on this much after they were held
        bool due;
    };
    const cDue dues[] = {
        {"one young record", 1, 0ms, false},          {"one record 999 ms old", 1, 999ms, false},
        {"one record a second old", 1, 1000ms, true}, {"as many as it holds at most", 3, 0ms, true},
        {"nothing held", 0, 5000ms, false},
    };
    for (const auto& d : dues) {
        SCOPED_TRACE(d.name);
        cRecordGate<int> gate(3, 1s, clock);
        for (int r = 0; r < d.held; ++r) gate.Hold(r);
        now += d.later;
        EXPECT_EQ(gate.Due(), d.due);
        EXPECT_EQ(gate.Deadline().has_value(), d.held > 0);
    }

    cRecordGate<int> gate(3, 1s, clock);
    std::vector<int> out, placed;
    const auto place = [&](std::vector<int>& held) { placed.insert(placed.end(), held.begin(), held.end()); };
    const auto handOut = [&](int& r) {
        EXPECT_NE(std::find(placed.begin(), placed.end(), r), placed.end()) << r << " before its files";
        out.push_back(r);
        if (r == 2) throw std::runtime_error("taken badly");
    };
    for (int r : {1, 2, 3}) gate.Hold(r);
    EXPECT_THROW(gate.Release(place, handOut), std::runtime_error);
    EXPECT_EQ(out, (std::vector<int>{1, 2}));
    EXPECT_EQ(gate.Held(), 1u);
    gate.Hold(4);
    gate.Release(place, handOut);
    EXPECT_EQ(out, (std::vector<int>{1, 2, 3, 4}));
    EXPECT_TRUE(gate.Empty());
    gate.Hold(9);
    EXPECT_THROW(gate.Release([](std::vector<int>&) { throw std::runtime_error("flush"); }, handOut),
                 std::runtime_error);
    EXPECT_EQ(gate.Held(), 1u);
    EXPECT_EQ(out.size(), 4u);
}
