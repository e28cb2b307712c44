// A STEP reader forked from the host's program at its start, before it has threads, with the kernel's
// libraries already loaded: starting fxstepread costs some 30 ms of CPU (mostly the dynamic linker binding
// the kernel's symbols), about what reading a small file costs. It is a process of its own as fxstepread
// is: its memory limited at its first request, its time kept by the host, its allocations zeroed, killed
// with the host; it answers the same requests (serve.cpp). It is a copy of the host only as the host was
// before doing anything: no thread, no file open, nothing read.
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>

#include "host/geom/step_process.h"
#include "host/step_worker/step_read.h"

namespace host::worker {
namespace {

// Whether the process has a single thread: a fork copies only the one that forks, and whatever the others
// held locked would stay locked in the copy.
bool oneThread() {
    DIR* tasks = opendir("/proc/self/task");
    if (!tasks) return false;
    int count = 0;
    while (const dirent* entry = readdir(tasks))
        if (entry->d_name[0] != '.') ++count;
    closedir(tasks);
    return count == 1;
}

[[noreturn]] void beTheReader(int socket, pid_t host) {
    // Gone with the host, even when the host is killed before it closes its end; bound first, so that a host
    // that ends meanwhile is seen.
    if (prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || getppid() != host) std::_Exit(0);
    (void)zeroAllocations();
    const int null = open("/dev/null", O_RDWR);
    if (null < 0) std::_Exit(0);
    for (int fd = 0; fd < 3; ++fd) dup2(null, fd);
    constexpr int kSocket = 3;
    if (dup2(socket, kSocket) != kSocket) std::_Exit(0);   // without close-on-exec
    close_range(kSocket + 1, ~0U, 0);
    quietKernel();
    serveRequests(kSocket, kSocket);
}

}  // namespace

bool forkSpareReader() {
    if (!canZeroAllocations() || !oneThread()) return false;
    int ends[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) return false;
    const pid_t host = getpid();
    const pid_t pid = fork();
    if (pid == 0) beTheReader(ends[1], host);
    close(ends[1]);
    if (pid < 0) {
        close(ends[0]);
        return false;
    }
    adoptStepReader(pid, ends[0]);
    return true;
}

}  // namespace host::worker
