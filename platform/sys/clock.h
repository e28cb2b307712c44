// Time for the whole process: every sleep and wait goes through here. Under the virtual clock (tests and
// sessions) a sleep advances time at once and runs the periodic tasks that fall due, on the sleeping thread.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace plat {

// Milliseconds since an arbitrary start; monotonic.
std::int64_t nowMs();
void sleepMs(int ms);

// Switches between the real clock and the virtual one. Sessions and tests run virtual.
void useVirtualClock(bool on);
bool virtualClock();
// Advances the virtual clock as a sleep would (no effect on the real clock); it is not counted as a sleep.
void advanceMs(std::int64_t ms);
// Total milliseconds slept since the last reset (both clocks): lets tests assert the waits the code made.
std::int64_t sleptMs();
void resetSleptMs();

// CPU seconds of every thread of this process so far (the real CPU, whichever clock runs).
double processCpuSeconds();

// Wall-clock seconds since 1970 (UTC); a fixed value may be set for tests (0 = the real time again).
std::int64_t nowSeconds();
void setNowSeconds(std::int64_t fixed);

// A task ticked every periodMs until its tick returns false or it is stopped. Real clock: its own thread;
// stop() sets an atomic flag and joins. Virtual clock: ticked cooperatively by sleeps and advanceMs on the
// UI thread, so runs are deterministic.
class Periodic {
public:
    Periodic() = default;
    Periodic(Periodic&&) noexcept;
    Periodic& operator=(Periodic&&) noexcept;
    ~Periodic();  // stops
    void stop();
    bool running() const;
    struct State;

private:
    friend Periodic startPeriodic(std::string name, int periodMs, std::function<bool()> tick);
    std::shared_ptr<State> state_;
};
// The first tick falls periodMs after the start, the next periodMs after the previous tick returned (a tick
// that sleeps delays its successor instead of causing catch-up ticks). A task keeps the clock it was started
// under. Waits between ticks are not sleeps: they do not count in sleptMs().
Periodic startPeriodic(std::string name, int periodMs, std::function<bool()> tick);

// Virtual tasks still scheduled (ended and stopped ones have left); lets tests check that nothing lingers.
int periodicTaskCount();

}  // namespace plat
