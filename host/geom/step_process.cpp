// Running the STEP reader: posix_spawn (safe in a process with threads, unlike a bare fork), a pipe read
// with poll until the deadline, SIGKILL past it, and the exit status put into words. The reader kept
// running talks over a socket pair, whose sends cannot raise SIGPIPE in the host when the reader is gone.
#include "host/geom/step_process.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <mutex>

extern char** environ;

namespace host {
namespace {

// How the reader ended, in the words of `request`: "" when it exited with code 0.
std::string describe(int status, const ReaderRequest& request) {
    if (WIFEXITED(status)) {
        return WEXITSTATUS(status) == 0 ? std::string() : request.reader + " failed (exit code " +
                                                              std::to_string(WEXITSTATUS(status)) + ")";
    }
    if (WIFSIGNALED(status)) {
        return request.reader + " crashed on " + request.opened + " (" + strsignal(WTERMSIG(status)) + ")";
    }
    return request.reader + " ended abnormally";
}

}  // namespace

std::string stepReaderPath() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<const void*>(&stepReaderPath), &info) == 0 || !info.dli_fname) return "fxstepread";
    return (std::filesystem::path(info.dli_fname).parent_path() / "fxstepread").string();
}

ProcessRun runProcess(const std::string& program, const std::vector<std::string>& args, double seconds,
                      std::size_t maxOutput) {
    ProcessRun run;
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        run.failure = std::string("cannot start the STEP reader: ") + std::strerror(errno);
        return run;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (spawned != 0) {
        close(fds[0]);
        run.failure = "cannot start the STEP reader " + program + ": " + std::strerror(spawned);
        return run;
    }

    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(std::llround(seconds * 1000));
    bool overran = false, overflowed = false;
    char buffer[65536];
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            overran = true;
            break;
        }
        pollfd p{fds[0], POLLIN, 0};
        const int ready = poll(&p, 1, static_cast<int>(std::min<long long>(left, 1000)));
        if (ready < 0 && errno != EINTR) break;
        if (ready <= 0) continue;
        const ssize_t n = read(fds[0], buffer, sizeof buffer);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (n <= 0) break;
        if (run.output.size() + static_cast<std::size_t>(n) > maxOutput) {
            overflowed = true;
            break;
        }
        run.output.append(buffer, static_cast<std::size_t>(n));
    }
    close(fds[0]);
    // A reader that closed its output may still linger: it gets until the deadline too.
    int status = 0;
    for (;;) {
        if (overran || overflowed) kill(pid, SIGKILL);
        const pid_t got = waitpid(pid, &status, overran || overflowed ? 0 : WNOHANG);
        if (got == pid || (got < 0 && errno != EINTR)) break;
        if (got == 0) {
            overran = Clock::now() >= deadline;
            if (!overran) poll(nullptr, 0, 5);
        }
    }
    if (overran) {
        run.failure = "the STEP import took longer than " + std::to_string(std::lround(seconds)) +
                      " s and was stopped";
    } else if (overflowed) {
        run.failure = "the STEP reader's output grew past its limit";
    } else {
        run.failure = describe(status, ReaderRequest{});
    }
    return run;
}

namespace {

// The reader kept running, one per host process; requests go one at a time.
struct SERVING_READER {
    pid_t pid = 0;
    int socket = -1;
    long memoryMb = 0;   // 0: a forked reader not limited yet
    int answered = 0;
    pid_t owner = 0;     // the process that started or forked it
};
std::mutex g_servingLock;
SERVING_READER g_serving;

using Clock = std::chrono::steady_clock;

// Whole seconds as they are; a limit below ten seconds with its tenths ("0.5").
std::string secondsText(double seconds) {
    if (seconds >= 10 || seconds == std::round(seconds)) return std::to_string(std::lround(seconds));
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", seconds);
    return text;
}

// A reader this process holds only as the copy a fork made of its starter's state is not its own to ask or
// end: it is forgotten, the starter's own left as it was.
void forgetInherited(SERVING_READER& r) {
    if (r.pid <= 0 || r.owner == getpid()) return;
    if (r.socket >= 0) close(r.socket);
    r = SERVING_READER{};
}

// Ends the reader (killed unless it already ended) and says how it ended, in the words of `request`.
std::string letGo(SERVING_READER& r, bool kill, const ReaderRequest& request = {}) {
    if (r.socket >= 0) close(r.socket);
    int status = 0;
    if (r.pid > 0) {
        if (kill) ::kill(r.pid, SIGKILL);
        while (waitpid(r.pid, &status, 0) < 0 && errno == EINTR) {
        }
    }
    r = SERVING_READER{};
    const std::string how = describe(status, request);
    return how.empty() ? request.reader + " ended before it answered" : how;
}

std::string start(SERVING_READER& r, long memoryMb, const ReaderRequest& request) {
    int ends[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0)
        return "cannot start " + request.reader + ": " + std::strerror(errno);
    const std::string program = stepReaderPath(), limit = std::to_string(memoryMb);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, ends[1], 0);
    posix_spawn_file_actions_adddup2(&actions, ends[1], 1);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>("--memory-mb"), const_cast<char*>(limit.c_str()),
                    const_cast<char*>("--serve"), nullptr};
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(ends[1]);
    if (spawned != 0) {
        close(ends[0]);
        return "cannot start " + request.reader + " " + program + ": " + std::strerror(spawned);
    }
    r = SERVING_READER{pid, ends[0], memoryMb, 0, getpid()};
    return "";
}

bool sendAll(int socket, const std::string& bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = send(socket, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

// The CPU seconds the reader kept running has used so far, 0 when none runs.
double servingReaderCpuSeconds() {
    const std::lock_guard<std::mutex> hold(g_servingLock);
    forgetInherited(g_serving);
    if (g_serving.pid <= 0) return 0;
    // Its CPU clock, to the nanosecond (its clock-tick counts in /proc are 10 ms apart).
    clockid_t clock{};
    timespec t{};
    if (clock_getcpuclockid(g_serving.pid, &clock) != 0 || clock_gettime(clock, &t) != 0) return 0;
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

}  // namespace

double helperCpuSeconds() {
    rusage children{};
    getrusage(RUSAGE_CHILDREN, &children);
    auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) * 1e-6; };
    return seconds(children.ru_utime) + seconds(children.ru_stime) + servingReaderCpuSeconds();
}

void adoptStepReader(int pid, int socket) {
    const std::lock_guard<std::mutex> hold(g_servingLock);
    forgetInherited(g_serving);
    if (g_serving.pid > 0) (void)letGo(g_serving, true);
    g_serving = SERVING_READER{pid, socket, 0, 0, getpid()};
}

ProcessRun askStepReader(const std::string& path, long memoryMb, bool exactLimit, bool fresh, unsigned flags,
                         double seconds, std::size_t maxOutput, const std::function<bool()>& cancelled) {
    const ReaderRequest request{flags, path, "the STEP import", "the STEP reader", "the file", cancelled};
    return askReader(request, memoryMb, exactLimit, fresh, seconds, maxOutput, {});
}

ProcessRun askReader(const ReaderRequest& request, long memoryMb, bool exactLimit, bool fresh, double seconds,
                     std::size_t maxOutput, const std::function<void()>& whileWaiting) {
    ProcessRun run;
    const std::lock_guard<std::mutex> hold(g_servingLock);
    SERVING_READER& r = g_serving;
    forgetInherited(r);
    // A reader that has answered nothing is as fresh as a new one; a forked one takes any limit.
    const bool limited = r.memoryMb > 0;
    if (r.pid > 0 && ((fresh && r.answered > 0) ||
                      (limited && (r.memoryMb < memoryMb || (exactLimit && r.memoryMb != memoryMb)))))
        (void)letGo(r, true);
    if (r.pid <= 0) {
        run.failure = start(r, memoryMb, request);
        if (!run.failure.empty()) return run;
    }
    run.reused = r.answered > 0;
    auto send = [&r](unsigned flags, const std::string& payload) {
        return sendAll(r.socket, std::to_string(flags) + ' ' + std::to_string(payload.size()) + '\n') &&
               sendAll(r.socket, payload);
    };
    if (r.memoryMb <= 0 && memoryMb > 0) {
        if (!send(kReaderMemoryLimit, std::to_string(memoryMb))) {
            run.failure = letGo(r, true, request);
            return run;
        }
        r.memoryMb = memoryMb;
    }
    if (!send(request.flags, request.payload)) {
        run.failure = letGo(r, true, request);
        return run;
    }
    const auto deadline = Clock::now() + std::chrono::milliseconds(std::llround(seconds * 1000));
    if (whileWaiting) whileWaiting();
    std::string header;
    std::size_t length = 0;
    bool inHeader = true;
    char buffer[65536];
    for (;;) {
        if (!inHeader && run.output.size() == length) break;
        // Past the deadline what the reader has sent is still taken (the caller's own work may have kept
        // it from reading); only a reader with nothing more to say is stopped.
        if (request.cancelled && request.cancelled()) {
            (void)letGo(r, true);
            run.stopped = run.cancelled = true;
            run.failure = "the open was cancelled";
            return run;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        pollfd p{r.socket, POLLIN, 0};
        const int ready = poll(&p, 1, static_cast<int>(std::clamp<long long>(left, 0, request.cancelled ? 100 : 1000)));
        if (ready == 0 && left <= 0) {
            (void)letGo(r, true);
            run.stopped = true;
            run.failure = request.task + " took longer than " + secondsText(seconds) + " s and was stopped";
            return run;
        }
        if (ready < 0 && errno != EINTR) break;
        if (ready <= 0) continue;
        // No more than this reply: the header a byte at a time, then what the header names.
        const std::size_t want = inHeader ? 1 : std::min(sizeof buffer, length - run.output.size());
        const ssize_t n = recv(r.socket, buffer, want, 0);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (n <= 0) {
            run.output.clear();
            run.failure = letGo(r, false, request);
            return run;
        }
        if (!inHeader) {
            run.output.append(buffer, static_cast<std::size_t>(n));
            continue;
        }
        if (buffer[0] != '\n') {
            if (buffer[0] < '0' || buffer[0] > '9' || header.size() >= 19) break;
            header += buffer[0];
            continue;
        }
        length = std::strtoull(header.c_str(), nullptr, 10);
        inHeader = false;
        if (length > maxOutput) {
            (void)letGo(r, true);
            run.stopped = true;
            run.failure = request.reader + "'s output grew past its limit";
            return run;
        }
        run.output.reserve(length);
    }
    if (inHeader || run.output.size() != length) {
        run.output.clear();
        run.failure = letGo(r, true, request);
        return run;
    }
    ++r.answered;
    return run;
}

}  // namespace host
