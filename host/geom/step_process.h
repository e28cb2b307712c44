// The STEP reader process: where its program lies (beside the host library), one run of it with its output
// collected under a time limit, and the reader kept running to answer a burst of imports (started, or forked
// by the host's program at its start). A run or a request that overruns is killed.
#pragma once
#include <functional>
#include <string>
#include <vector>

namespace host {

struct ProcessRun {
    std::string output;    // what the process wrote to its standard output
    std::string failure;   // "" when it ended by itself with exit code 0, else how it ended
    bool stopped = false;  // killed past its time or output limit
    bool reused = false;   // answered by a reader that had answered other files before
    bool cancelled = false;   // the user cancelled it (stopped too)
};

// The reader program's path: "fxstepread" in the folder of the library holding the host.
std::string stepReaderPath();

// Runs `program` with `args`, standard input and error on /dev/null; at most `seconds`, at most
// `maxOutput` bytes of output.
ProcessRun runProcess(const std::string& program, const std::vector<std::string>& args, double seconds,
                      std::size_t maxOutput);

// The reader's reply to one file from the reader kept running (fxstepread --serve), started when there is
// none, when `fresh` is asked, or when the one running has another memory limit than `memoryMb` (a smaller
// one; any other with `exactLimit`). At most `seconds` and `maxOutput` bytes, as runProcess; a reader that
// overran or failed is let go. The caller tries a file that failed in a reused reader once more in a fresh
// one, so that no file's outcome depends on the files before it.
// The CPU seconds of the helper processes so far: those waited for, and the reader kept running (for
// benchmarks and costs: a process not yet waited for is in no account of the host's).
double helperCpuSeconds();

// `cancelled`, when given, is asked while the reader works: true stops it.
ProcessRun askStepReader(const std::string& path, long memoryMb, bool exactLimit, bool fresh, unsigned flags,
                         double seconds, std::size_t maxOutput, const std::function<bool()>& cancelled = {});

// The requests the reader kept running takes: "<flags> <payload length>\n<payload>". Without
// kReaderGeometry the payload is the path of a STEP file; with it, geometry texts of a part file, each
// "S <n>\n<n bytes>" (a solid) or "F <n>\n<n bytes>" (a face), made as the host makes them and answered
// as step_reply.h's parseGeometryReply reads: which were made, and their faces' boxes.
constexpr unsigned kReaderFailNamesAndColours = 1, kReaderGeometry = 2;
constexpr unsigned kReaderStall = 4;   // tests: the reader answers nothing until it is stopped
constexpr unsigned kReaderPlain = 8;   // a STEP file's solids without names and colours
constexpr unsigned kReaderCrashNamesAndColours = 16;   // tests: the reader crashes unless kReaderPlain
constexpr unsigned kReaderMemoryLimit = 32;   // the payload the reader's memory limit in MB, not answered
constexpr unsigned kReaderSkipPreScan = 64;   // tests: the kernel reads what the pre-scan would refuse
struct ReaderRequest {
    unsigned flags = 0;
    std::string payload;
    std::string task;   // what overran, in the message: "the STEP import"
    // How the messages name the reader and what the user opened: "the STEP reader crashed on the file".
    std::string reader = "the STEP reader";
    std::string opened = "the file";
    std::function<bool()> cancelled;   // asked every tenth of a second while the reader works: true stops it
};

// A reader the program forked from itself (host/step_worker/spare_reader.cpp), talking on `socket`: taken
// as the reader kept running, its memory limited at its first request (kReaderMemoryLimit).
void adoptStepReader(int pid, int socket);

// askStepReader for any request; `whileWaiting` (when given) runs once the request is sent, while the
// reader works on it.
ProcessRun askReader(const ReaderRequest& request, long memoryMb, bool exactLimit, bool fresh, double seconds,
                     std::size_t maxOutput, const std::function<void()>& whileWaiting);

}  // namespace host
