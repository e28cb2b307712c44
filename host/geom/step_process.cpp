// Running the STEP reader: posix_spawn (safe in a process with threads, unlike a bare fork), a pipe read
// with poll until the deadline, SIGKILL past it, and the exit status put into words.
#include "host/geom/step_process.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>

extern char** environ;

namespace host {
namespace {

std::string describe(int status) {
    if (WIFEXITED(status)) {
        return WEXITSTATUS(status) == 0 ? std::string() : "the STEP reader failed (exit code " +
                                                              std::to_string(WEXITSTATUS(status)) + ")";
    }
    if (WIFSIGNALED(status)) {
        return "the STEP reader crashed on the file (" + std::string(strsignal(WTERMSIG(status))) + ")";
    }
    return "the STEP reader ended abnormally";
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
        run.failure = describe(status);
    }
    return run;
}

}  // namespace host
