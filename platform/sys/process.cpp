#include "platform/sys/process.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>

namespace plat {

std::int64_t processId() { return static_cast<std::int64_t>(::getpid()); }

std::string machineName() {
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0) return {};
    return name;
}

bool processRunning(std::int64_t pid) {
    if (pid <= 0 || pid != static_cast<std::int64_t>(static_cast<pid_t>(pid))) return false;
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

}  // namespace plat
