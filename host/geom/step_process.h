// The STEP reader process: where its program lies (beside the host library) and one run of it with its
// output collected under a time limit. A run that overruns is killed.
#pragma once
#include <string>
#include <vector>

namespace host {

struct ProcessRun {
    std::string output;    // what the process wrote to its standard output
    std::string failure;   // "" when it ended by itself with exit code 0, else how it ended
};

// The reader program's path: "fxstepread" in the folder of the library holding the host.
std::string stepReaderPath();

// Runs `program` with `args`, standard input and error on /dev/null; at most `seconds`, at most
// `maxOutput` bytes of output.
ProcessRun runProcess(const std::string& program, const std::vector<std::string>& args, double seconds,
                      std::size_t maxOutput);

}  // namespace host
