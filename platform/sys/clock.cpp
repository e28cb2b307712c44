// The real clock (steady_clock and std::this_thread) and the virtual one. Virtual periodic tasks have no
// thread: whoever sleeps or advances the virtual clock runs the ticks that fall due, one at a time, with the
// scheduler's mutex released so that a tick may sleep, start or stop tasks.
#include "platform/sys/clock.h"

#include <algorithm>
#include <atomic>
#include <cassert>
#include <chrono>
#include <condition_variable>
#include <ctime>
#include <mutex>
#include <thread>
#include <vector>

namespace plat {

struct Periodic::State {
    std::string name;
    int periodMs = 1;
    std::function<bool()> tick;
    bool virtualTask = false;
    std::atomic<bool> stopRequested{false};
    std::atomic<bool> ended{false};

    // Real clock: the stop flag is set under wakeMutex so that the waiting thread cannot miss the wake-up.
    std::mutex wakeMutex;
    std::condition_variable wake;
    std::thread thread;

    // Virtual clock: guarded by the scheduler's mutex.
    std::int64_t dueMs = 0;
    bool inTick = false;
    std::thread::id tickThread;

    ~State() {
        // The last owner may be the task's own thread (a tick that dropped its Periodic); it cannot join itself.
        if (thread.joinable()) {
            if (thread.get_id() == std::this_thread::get_id())
                thread.detach();
            else
                thread.join();
        }
    }
};

namespace {

using StatePtr = std::shared_ptr<Periodic::State>;

struct Scheduler {
    std::mutex mutex;
    std::condition_variable tickDone;
    std::int64_t nowMs = 0;
    std::vector<StatePtr> tasks;  // in start order, which breaks ties between tasks due at the same time
};

// Never destroyed: a Periodic with static storage may stop after other statics are gone.
Scheduler& scheduler() {
    static Scheduler* s = new Scheduler;
    return *s;
}

std::atomic<bool> gVirtual{false};
std::atomic<std::int64_t> gSleptMs{0};
std::atomic<std::int64_t> gFixedSeconds{0};

std::int64_t realNowMs() {
    static const auto start = std::chrono::steady_clock::now();
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
}

void eraseTask(Scheduler& s, const Periodic::State* st) {
    std::erase_if(s.tasks, [st](const StatePtr& t) { return t.get() == st; });
}

// Moves virtual time forward by ms, running due ticks in time order. A task in its tick is not eligible, so
// a tick that sleeps never runs itself again; other tasks do run during that sleep.
void runVirtual(std::int64_t ms) {
    Scheduler& s = scheduler();
    std::unique_lock lock(s.mutex);
    const std::int64_t target = s.nowMs + std::max<std::int64_t>(ms, 0);
    for (;;) {
        StatePtr next;
        for (const StatePtr& t : s.tasks) {
            if (t->inTick || t->stopRequested || t->dueMs > target)
                continue;
            if (!next || t->dueMs < next->dueMs)
                next = t;
        }
        if (!next)
            break;
        s.nowMs = std::max(s.nowMs, next->dueMs);
        next->inTick = true;
        next->tickThread = std::this_thread::get_id();
        lock.unlock();
        const bool again = next->tick();
        lock.lock();
        next->inTick = false;
        if (!again || next->stopRequested) {
            next->ended = true;
            eraseTask(s, next.get());
        } else {
            // Counted from the end of the tick, as the real thread's wait is.
            next->dueMs = s.nowMs + next->periodMs;
        }
        s.tickDone.notify_all();
    }
    // A nested sleep inside a tick may already have gone past this sleeper's target; time never goes back.
    s.nowMs = std::max(s.nowMs, target);
}

void runRealTask(const StatePtr& st) {
    for (;;) {
        {
            std::unique_lock lock(st->wakeMutex);
            if (st->wake.wait_for(lock, std::chrono::milliseconds(st->periodMs),
                                  [&] { return st->stopRequested.load(); }))
                break;
        }
        if (!st->tick() || st->stopRequested)
            break;
    }
    st->ended = true;
}

}  // namespace

double processCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

std::int64_t nowMs() {
    if (!gVirtual)
        return realNowMs();
    Scheduler& s = scheduler();
    std::lock_guard lock(s.mutex);
    return s.nowMs;
}

void sleepMs(int ms) {
    ms = std::max(ms, 0);
    gSleptMs += ms;
    if (gVirtual)
        runVirtual(ms);
    else if (ms > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void useVirtualClock(bool on) { gVirtual = on; }
bool virtualClock() { return gVirtual; }

void advanceMs(std::int64_t ms) {
    if (gVirtual)
        runVirtual(ms);
}

std::int64_t sleptMs() { return gSleptMs; }
void resetSleptMs() { gSleptMs = 0; }

std::int64_t nowSeconds() {
    const std::int64_t fixed = gFixedSeconds;
    if (fixed != 0)
        return fixed;
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

void setNowSeconds(std::int64_t fixed) { gFixedSeconds = fixed; }

Periodic::Periodic(Periodic&&) noexcept = default;

Periodic& Periodic::operator=(Periodic&& other) noexcept {
    if (this != &other) {
        stop();
        state_ = std::move(other.state_);
    }
    return *this;
}

Periodic::~Periodic() { stop(); }

void Periodic::stop() {
    if (!state_)
        return;
    State& st = *state_;
    if (st.virtualTask) {
        Scheduler& s = scheduler();
        std::unique_lock lock(s.mutex);
        st.stopRequested = true;
        eraseTask(s, &st);
        // Like a join: a tick running on another thread finishes first. Not when this thread is inside that
        // tick (the tick stopping itself, or a tick of another task run by its sleep).
        if (st.inTick && st.tickThread != std::this_thread::get_id())
            s.tickDone.wait(lock, [&] { return !st.inTick; });
        if (!st.inTick)
            st.ended = true;
        return;
    }
    {
        std::lock_guard lock(st.wakeMutex);
        st.stopRequested = true;
    }
    st.wake.notify_all();
    // From the task's own thread only the flag is set; its loop ends after the tick returns.
    if (st.thread.joinable() && st.thread.get_id() != std::this_thread::get_id())
        st.thread.join();
}

bool Periodic::running() const { return state_ && !state_->ended && !state_->stopRequested; }

Periodic startPeriodic(std::string name, int periodMs, std::function<bool()> tick) {
    assert(periodMs > 0 && "a periodic task needs a positive period");
    assert(tick && "a periodic task needs a tick");
    auto st = std::make_shared<Periodic::State>();
    st->name = std::move(name);
    st->periodMs = std::max(periodMs, 1);
    st->tick = std::move(tick);
    st->virtualTask = gVirtual;
    if (st->virtualTask) {
        Scheduler& s = scheduler();
        std::lock_guard lock(s.mutex);
        st->dueMs = s.nowMs + st->periodMs;
        s.tasks.push_back(st);
    } else {
        st->thread = std::thread([st] { runRealTask(st); });
    }
    Periodic p;
    p.state_ = std::move(st);
    return p;
}

int periodicTaskCount() {
    Scheduler& s = scheduler();
    std::lock_guard lock(s.mutex);
    return static_cast<int>(s.tasks.size());
}

}  // namespace plat
