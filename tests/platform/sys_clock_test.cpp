// The process clock: virtual time and its cooperative periodic tasks (the test main runs virtual), and the
// real clock's task thread, which these tests reach only through stop/join, never by timing.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <future>
#include <limits>
#include <string>
#include <thread>
#include <vector>

#include "platform/sys/clock.h"

namespace plat {
namespace {

struct Tick {
    std::string task;
    std::int64_t atMs;  // relative to the test's start
    bool operator==(const Tick&) const = default;
};

void PrintTo(const Tick& t, std::ostream* os) { *os << t.task << "@" << t.atMs; }

class VirtualClockTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(virtualClock());
        start_ = nowMs();
        tasksBefore_ = periodicTaskCount();
    }
    void TearDown() override { EXPECT_EQ(periodicTaskCount(), tasksBefore_) << "a task outlived its test"; }

    std::function<bool()> recorder(std::string task, bool again = true) {
        return [this, task, again] {
            ticks_.push_back({task, nowMs() - start_});
            return again;
        };
    }

    std::int64_t start_ = 0;
    int tasksBefore_ = 0;
    std::vector<Tick> ticks_;
};

TEST_F(VirtualClockTest, SleepAdvancesTimeAtOnceAndCountsOnlySleeps) {
    resetSleptMs();
    sleepMs(250);
    EXPECT_EQ(nowMs() - start_, 250);
    advanceMs(100);
    EXPECT_EQ(nowMs() - start_, 350);
    sleepMs(-5);  // a negative wait is no wait
    EXPECT_EQ(nowMs() - start_, 350);
    EXPECT_EQ(sleptMs(), 250) << "advanceMs is the test moving time, not a wait of the code";
    resetSleptMs();
    EXPECT_EQ(sleptMs(), 0);
}

TEST_F(VirtualClockTest, DueTicksRunInTimeOrderAndTiesInStartOrder) {
    Periodic slow = startPeriodic("slow", 30, recorder("slow"));
    Periodic fast = startPeriodic("fast", 20, recorder("fast"));
    sleepMs(59);
    EXPECT_EQ(ticks_, (std::vector<Tick>{{"fast", 20}, {"slow", 30}, {"fast", 40}}));
    sleepMs(1);  // both due at 60: the one started first ticks first
    EXPECT_EQ(ticks_, (std::vector<Tick>{{"fast", 20}, {"slow", 30}, {"fast", 40}, {"slow", 60}, {"fast", 60}}));
    EXPECT_TRUE(slow.running());
    EXPECT_TRUE(fast.running());
}

TEST_F(VirtualClockTest, OneLongSleepTicksOncePerPeriodStep) {
    Periodic watcher = startPeriodic("watcher", 200, recorder("watcher"));
    sleepMs(1000);
    ASSERT_EQ(ticks_.size(), 5u);
    for (std::size_t i = 0; i < ticks_.size(); ++i)
        EXPECT_EQ(ticks_[i].atMs, 200 * static_cast<std::int64_t>(i + 1));
}

TEST_F(VirtualClockTest, TaskWhoseTickReturnsFalseEndsAndIsRemoved) {
    int ticks = 0;
    Periodic once = startPeriodic("once", 10, [&] { return ++ticks < 2; });
    EXPECT_EQ(periodicTaskCount(), tasksBefore_ + 1);
    sleepMs(100);
    EXPECT_EQ(ticks, 2);
    EXPECT_FALSE(once.running());
    EXPECT_EQ(periodicTaskCount(), tasksBefore_);
}

TEST_F(VirtualClockTest, StoppedTaskNeverTicksAgain) {
    Periodic task = startPeriodic("task", 10, recorder("task"));
    sleepMs(10);
    task.stop();
    EXPECT_FALSE(task.running());
    EXPECT_EQ(periodicTaskCount(), tasksBefore_);
    sleepMs(100);
    EXPECT_EQ(ticks_, (std::vector<Tick>{{"task", 10}}));
}

TEST_F(VirtualClockTest, TaskStoppedByAnotherTickDueAtTheSameTimeDoesNotTick) {
    Periodic victim;
    Periodic killer = startPeriodic("killer", 10, [&] {
        ticks_.push_back({"killer", nowMs() - start_});
        victim.stop();
        return false;
    });
    victim = startPeriodic("victim", 10, recorder("victim"));
    sleepMs(50);
    EXPECT_EQ(ticks_, (std::vector<Tick>{{"killer", 10}}));
    EXPECT_FALSE(victim.running());
}

TEST_F(VirtualClockTest, TickThatStopsItselfEndsWithoutDeadlock) {
    Periodic self;
    int ticks = 0;
    self = startPeriodic("self", 10, [&] {
        ++ticks;
        self.stop();
        return true;  // stop wins over the tick's answer
    });
    sleepMs(100);
    EXPECT_EQ(ticks, 1);
    EXPECT_FALSE(self.running());
}

TEST_F(VirtualClockTest, TickThatSleepsIsNotReenteredAndOthersRunMeanwhile) {
    int depth = 0, maxDepth = 0;
    Periodic sleeper = startPeriodic("sleeper", 10, [&] {
        maxDepth = std::max(maxDepth, ++depth);
        ticks_.push_back({"sleeper", nowMs() - start_});
        sleepMs(25);  // the watcher's "250 ms before ending" in small
        --depth;
        return true;
    });
    Periodic other = startPeriodic("other", 10, recorder("other"));
    sleepMs(45);
    EXPECT_EQ(maxDepth, 1);
    // sleeper ticks first at 10 (started first) and sleeps to 35: other ticks at 10, 20, 30 inside that sleep.
    // sleeper's next tick comes one period after its tick returned (45), not as catch-up ticks; it sleeps
    // again, to 70, past the outer sleeper's target, and other keeps ticking meanwhile.
    EXPECT_EQ(ticks_, (std::vector<Tick>{{"sleeper", 10}, {"other", 10}, {"other", 20}, {"other", 30}, {"other", 40},
                                         {"sleeper", 45}, {"other", 50}, {"other", 60}, {"other", 70}}));
    EXPECT_EQ(nowMs() - start_, 70);
}

TEST_F(VirtualClockTest, TaskStartedInsideATickRunsFromItsOwnStart) {
    Periodic child;
    Periodic parent = startPeriodic("parent", 15, [&] {
        ticks_.push_back({"parent", nowMs() - start_});
        child = startPeriodic("child", 10, recorder("child"));
        return false;
    });
    sleepMs(40);
    EXPECT_EQ(ticks_, (std::vector<Tick>{{"parent", 15}, {"child", 25}, {"child", 35}}));
}

TEST_F(VirtualClockTest, HandleOwnsTheTask) {
    int ticks = 0;
    {
        Periodic first = startPeriodic("moved", 10, [&] {
            ++ticks;
            return true;
        });
        Periodic second = std::move(first);
        EXPECT_FALSE(first.running());  // the moved-from handle is empty
        EXPECT_TRUE(second.running());
        sleepMs(10);
        EXPECT_EQ(ticks, 1);
    }
    sleepMs(100);
    EXPECT_EQ(ticks, 1) << "the destructor stops the task";

    Periodic replaced = startPeriodic("replaced", 10, [&] {
        ++ticks;
        return true;
    });
    replaced = Periodic();  // assignment stops the task held before
    sleepMs(100);
    EXPECT_EQ(ticks, 1);
}

TEST_F(VirtualClockTest, StopFromAnotherThreadWaitsForARunningTick) {
    std::promise<void> entered;
    std::atomic<bool> tickDone{false};
    Periodic task;
    std::promise<void> assigned;
    std::shared_future<void> taskAssigned = assigned.get_future().share();
    task = startPeriodic("blocking", 10, [&] {
        entered.set_value();
        // Finishes only once stop() has begun, so stop() must find the tick running and wait for it.
        taskAssigned.wait();
        while (task.running())
            std::this_thread::yield();
        tickDone = true;
        return true;
    });
    assigned.set_value();
    std::thread sleeper([] { sleepMs(10); });  // runs the tick on its own thread
    entered.get_future().wait();
    task.stop();
    EXPECT_TRUE(tickDone) << "stop returned while the tick was still running";
    sleeper.join();
    EXPECT_FALSE(task.running());
}

TEST(FixedTime, NowSecondsCanBeFixedAndReleased) {
    setNowSeconds(1796652300);
    EXPECT_EQ(nowSeconds(), 1796652300);
    setNowSeconds(0);
    EXPECT_GT(nowSeconds(), 1700000000);
}

// A spawn's stamp is where the child's costs count from: a whole number of nanoseconds of the monotonic clock,
// not after now and not before the starter (the parent) could have made it. Anything else is no spawn's, and
// the clock counts from now: none, a text, a number with more after it, 0 (the boot: the clock would give the
// machine's uptime), a negative one, the least 64-bit number, one before the parent's start, one after now.
// A starter's stamp, made before now, reads back.
TEST(StartStamp, TheSpawnsInstantIsTakenOnlyWhenItIsOne) {
    const std::string made = startStamp();
    const auto now = std::chrono::steady_clock::now();
    const auto earliest = earliestStamp(now);
    ASSERT_TRUE(earliest) << "the parent's start, which the kernel gives";
    const auto ns = [](auto t) { return std::to_string(std::chrono::nanoseconds(t.time_since_epoch()).count()); };
    const auto tick = std::chrono::nanoseconds(1);
    const struct {
        std::string value;   // "" for none
        std::chrono::steady_clock::time_point at;
    } cases[] = {{ns(*earliest), *earliest},
                 {ns(now), now},
                 {"", now},
                 {"soon", now},
                 {ns(now + std::chrono::seconds(5)), now},
                 {ns(*earliest - tick), now},
                 {"0", now},
                 {"-1", now},
                 {"12abc", now},
                 {ns(*earliest) + "abc", now},
                 {std::to_string(std::numeric_limits<std::int64_t>::min()), now}};
    for (const auto& c : cases) {
        if (c.value.empty()) unsetenv(kStartedAt);
        else setenv(kStartedAt, c.value.c_str(), 1);
        EXPECT_EQ(startedAt(now, *earliest), c.at) << c.value;
    }
    ASSERT_EQ(made.rfind(std::string(kStartedAt) + '=', 0), 0u);
    for (const std::string& value : {made.substr(made.find('=') + 1), std::string("0")}) {
        setenv(kStartedAt, value.c_str(), 1);
        EXPECT_EQ(startedAt(now) < now, value != "0") << value;
    }
    unsetenv(kStartedAt);
}

// Real clock: each test switches the process to it and back.
class RealClockTest : public testing::Test {
protected:
    void SetUp() override { useVirtualClock(false); }
    void TearDown() override { useVirtualClock(true); }
};

// Set when the thread that touched it ends: join must not return before.
struct ThreadExitMark {
    std::atomic<bool>* flag = nullptr;
    ~ThreadExitMark() {
        if (flag)
            *flag = true;
    }
};
thread_local ThreadExitMark tExitMark;

TEST_F(RealClockTest, StopJoinsTheTaskThread) {
    std::atomic<bool> threadEnded{false};
    std::atomic<int> ticks{0};
    std::promise<std::thread::id> firstTick;
    Periodic task = startPeriodic("real", 1, [&] {
        if (ticks++ == 0) {
            tExitMark.flag = &threadEnded;
            firstTick.set_value(std::this_thread::get_id());
        }
        return true;
    });
    auto first = firstTick.get_future();
    ASSERT_EQ(first.wait_for(std::chrono::seconds(30)), std::future_status::ready);
    EXPECT_NE(first.get(), std::this_thread::get_id()) << "a real task ticks on its own thread";
    EXPECT_TRUE(task.running());
    task.stop();
    EXPECT_TRUE(threadEnded) << "stop returned before the task's thread ended";
    EXPECT_FALSE(task.running());
    const int after = ticks;
    task.stop();  // a second stop is harmless
    EXPECT_EQ(ticks, after);
}

TEST_F(RealClockTest, TickThatStopsItsOwnTaskEndsItsThreadAfterReturning) {
    std::atomic<int> ticks{0};
    std::promise<void> assigned, stopped;
    std::shared_future<void> taskAssigned = assigned.get_future().share();
    Periodic task;
    task = startPeriodic("self-stopping", 1, [&] {
        taskAssigned.wait();
        if (ticks++ == 0) {
            task.stop();  // from its own thread: only the flag, no join
            stopped.set_value();
        }
        return true;
    });
    assigned.set_value();
    auto done = stopped.get_future();
    ASSERT_EQ(done.wait_for(std::chrono::seconds(30)), std::future_status::ready);
    EXPECT_FALSE(task.running());
    task = Periodic();  // joins
    EXPECT_EQ(ticks, 1);
}

TEST_F(RealClockTest, TickReturningFalseEndsTheTask) {
    std::atomic<int> ticks{0};
    std::promise<void> last;
    Periodic task = startPeriodic("real-once", 1, [&] {
        if (++ticks < 3)
            return true;
        last.set_value();
        return false;
    });
    auto done = last.get_future();
    ASSERT_EQ(done.wait_for(std::chrono::seconds(30)), std::future_status::ready);
    task.stop();  // joins the thread, which has already left its loop
    EXPECT_FALSE(task.running());
    EXPECT_EQ(ticks, 3);
}

TEST_F(RealClockTest, SleepsAreCounted) {
    resetSleptMs();
    sleepMs(1);
    sleepMs(2);
    EXPECT_EQ(sleptMs(), 3);
    advanceMs(1000);  // no effect on the real clock
    EXPECT_EQ(sleptMs(), 3);
}

}  // namespace
}  // namespace plat
