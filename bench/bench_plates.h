// The parts the benchmarks run on: the loaded plug-in, the hole plates kept as part files under the build
// folder, and the peak memory of a stretch of the run.
#pragma once
#include <string>
#include <vector>

namespace bench {

// A loaded plug-in after one invocation whose main menu was closed at once: settings and tolerances read.
void startPlugin();
// The plug-in unloaded and started anew as startPlugin leaves it, as a host loads it for a new run, with no
// part taken for open.
void restartPlugin();

// Opens the plate of `holes` holes (a multiple of 100) with its solids converted to surfaces as the
// recognition command does, building and keeping its part file first when it is missing. "" on success,
// else why not.
std::string openPlate(int holes);

// Opens data/examples/<title>.step as a new part with its solids converted to surfaces. "" on success.
std::string openStepPart(const std::string& title);

// The source folder's example parts.
std::string examplesFolder();

// Peak resident memory from the last resetPeakMemory() on, in MiB (0 where the system does not say).
void resetPeakMemory();
double peakMemoryMiB();

// The plate of `holes` holes as the part file of its solids, and written as a STEP file, under the build
// folder (made once); its path, "" when it cannot be made.
std::string platePart(int holes);
std::string plateStep(int holes);

// One hostcam run as a user makes it on a plate: `input` opened, Execute played and the process tree closed
// with the shipped host folder and table library (both laid anew beside hostcam), the part saved; what it
// cost.
struct HOSTCAM_RUN {
    std::string error;            // "" when hostcam ended with 0
    double cpuSeconds = 0;        // every thread of hostcam and of the processes it started
    double peakMiB = 0;           // hostcam's largest resident set
    double savedBytes = 0;        // the saved part file's size
};
HOSTCAM_RUN runHostcam(const std::string& input);

// hostcam run with `args` after its path (the shipped host folder and table library laid anew beside it):
// its CPU and that of what it started, and its peak memory, as runHostcam gives them.
HOSTCAM_RUN runHostcamWith(const std::vector<std::string>& args);

// This process's environment and the stamp of a spawn about to be made (plat::startStamp), for posix_spawn:
// the child's costs are then timed from its spawn.
class STAMPED_ENVIRONMENT {
public:
    STAMPED_ENVIRONMENT();
    char** get() { return entries_.data(); }

private:
    std::string stamp_;
    std::vector<char*> entries_;
};

}  // namespace bench
