// The hole features a STEP file carries beside its geometry: data-section instances of
// HOLE_ROUND_STRAIGHT, POCKET_ROUND_STRAIGHT and their _THREAD forms, each on one line, with "#n" references
// to its location, its axis and a list of named parameters. Numbers are taken as they stand.
#pragma once
#include <functional>
#include <string_view>
#include <vector>

#include "plugin/model/feature_mark.h"

struct STEP_HOLE_FEATURES {
    std::vector<FEATURE_MARK> marks;   // in file order, origin 2, drawn ids empty
    int skipped = 0;                   // features left out: a reference not found or a zero axis
    int firstSkippedLine = 0;          // 1-based
    int damagedLine = 0;               // 1-based; 0 when the file reads
    int damage = 0;                    // the "ErrorMessages" line that says what is wrong there
    bool cancelled = false;            // stopped by `goOn`; no marks then
};

// Every "#n" is looked up in one map of the instances, built in one pass (the last line of a number wins),
// so the time is about that of reading the text; a parameter list that many features share is read once.
// `goOn`, when given, is asked about a hundred times over the lines; false stops the reading.
STEP_HOLE_FEATURES readStepHoleFeatures(std::string_view text,
                                        const std::function<bool()>& goOn = {});
