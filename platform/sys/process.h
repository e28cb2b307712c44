// This process and the others of the machine, as far as the plug-in asks: who it is, and whether a process
// named by its id still runs.
#pragma once
#include <cstdint>
#include <string>

namespace plat {

std::int64_t processId();
// The machine's name (GetComputerName); "" when it cannot be told.
std::string machineName();
// Whether a process of this id runs on this machine (one of another user counts as running).
bool processRunning(std::int64_t pid);

}  // namespace plat
