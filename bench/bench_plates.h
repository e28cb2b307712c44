// The parts the benchmarks run on: the loaded plug-in, the hole plates kept as part files under the build
// folder, and the peak memory of a stretch of the run.
#pragma once
#include <string>

namespace bench {

// A loaded plug-in after one invocation whose main menu was closed at once: settings and tolerances read.
void startPlugin();

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

}  // namespace bench
