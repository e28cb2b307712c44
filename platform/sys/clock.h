// Time for the whole process: every sleep and wait goes through here. Under the virtual clock (tests and
// sessions) a sleep advances time at once and runs the periodic tasks that fall due, on the sleeping thread.
#pragma once
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
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

// A process's costs are timed from its spawn when its starter stamps it (startStamp, in the child's
// environment), so that the clock counts the start and its libraries as the process's CPU does. Header-only:
// programs that link nothing of ours time themselves by it.
inline constexpr const char* kStartedAt = "FX_STARTED_AT";
// "FX_STARTED_AT=<nanoseconds of the monotonic clock now>", for a spawn about to be made.
inline std::string startStamp() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return std::string(kStartedAt) + '=' + std::to_string(std::chrono::nanoseconds(now).count());
}
// The earliest instant a starter could have stamped this process: its parent's start, as the kernel gives
// it in ticks of the boot clock, taken back to the monotonic clock by the parent's age (a rounded tick or a
// suspend only make it earlier). Not the process's own start: the starter stamps before it spawns. None when
// the kernel does not say (no /proc, a parent outside the process's namespace).
inline std::optional<std::chrono::steady_clock::time_point> earliestStamp(std::chrono::steady_clock::time_point now) {
    char path[48];
    std::snprintf(path, sizeof path, "/proc/%d/stat", static_cast<int>(::getppid()));
    std::FILE* file = std::fopen(path, "re");
    if (!file) return std::nullopt;
    char line[2048];
    const std::size_t n = std::fread(line, 1, sizeof line - 1, file);
    std::fclose(file);
    line[n] = '\0';
    // The command's name may hold blanks and parentheses; the start is the 20th field after it.
    const char* field = std::strrchr(line, ')');
    for (int k = 0; field && k < 20; ++k) field = std::strchr(field + 1, ' ');
    timespec boot{};
    const long ticksPerSecond = ::sysconf(_SC_CLK_TCK);
    if (!field || ticksPerSecond <= 0 || ::clock_gettime(CLOCK_BOOTTIME, &boot) != 0) return std::nullopt;
    const double started = std::strtod(field + 1, nullptr) / static_cast<double>(ticksPerSecond);
    const double age = static_cast<double>(boot.tv_sec) + static_cast<double>(boot.tv_nsec) * 1e-9 - started;
    return now - std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                     std::chrono::duration<double>(std::max(age, 0.0)));
}
// The instant the stamp gives, else `now`: a stamp is a whole number of nanoseconds of the monotonic clock,
// from `earliest` to `now` ("0" would give the machine's uptime, "12abc" is no number).
inline std::chrono::steady_clock::time_point startedAt(std::chrono::steady_clock::time_point now,
                                                       std::chrono::steady_clock::time_point earliest) {
    const char* stamp = std::getenv(kStartedAt);
    long long ns = 0;
    if (!stamp) return now;
    const char* end = stamp + std::strlen(stamp);
    if (const auto read = std::from_chars(stamp, end, ns); read.ec != std::errc{} || read.ptr != end) return now;
    const std::chrono::steady_clock::time_point at(
        std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::nanoseconds(ns)));
    return at >= earliest && at <= now ? at : now;
}
inline std::chrono::steady_clock::time_point startedAt(std::chrono::steady_clock::time_point now) {
    if (!std::getenv(kStartedAt)) return now;
    const auto earliest = earliestStamp(now);
    return earliest ? startedAt(now, *earliest) : now;
}

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
