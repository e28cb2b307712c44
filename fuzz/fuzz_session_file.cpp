// A hostcam session file: the input parsed into steps, each described as the transcript and the errors
// name it.
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const plat::ParsedSession parsed = plat::parseSession(fuzz::text(data, size));
    for (const plat::Step& step : parsed.steps) (void)step.describe();
    if (!parsed.error.empty() && !parsed.steps.empty()) __builtin_trap();   // an error keeps no steps
    return 0;
}
