// The STEP hole-feature reader: any text read for its hole features. A damaged file gives no mark; every mark
// has a unit direction, finite numbers and exactly one of the fit and tap flags.
#include <cmath>

#include "fuzz_support.h"
#include "plugin/import/step_features.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const STEP_HOLE_FEATURES read = readStepHoleFeatures(fuzz::text(data, size));
    if (read.damagedLine > 0 && !read.marks.empty()) __builtin_trap();
    if (read.skipped < 0 || (read.skipped > 0) != (read.firstSkippedLine > 0)) __builtin_trap();
    for (const FEATURE_MARK& m : read.marks) {
        const double n = std::sqrt(m.direction[0] * m.direction[0] + m.direction[1] * m.direction[1] +
                                   m.direction[2] * m.direction[2]);
        if (!(std::fabs(n - 1) < 1e-9) || m.isFit + m.isTap != 1 || m.origin != 2) __builtin_trap();
        for (double v : {m.point[0], m.point[1], m.point[2], m.length, m.diameter, m.tapPitch, m.threadDepth})
            if (!std::isfinite(v)) __builtin_trap();
    }
    return 0;
}
