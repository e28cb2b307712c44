// A number with its allowed range, and the pass completion of milled-hole operations (circle mill and
// contour) from the hole and tool diameters just before the host operation is made. The pass settings
// are fields of the operation's PROCESS_OPE at fixed byte offsets (its stored layout): distances in part
// units, percentages of the tool diameter, angles in radians. T4 is g_tolerances.tol4T.
#pragma once
#include "plugin/model/process_ope.h"

struct PROCESS_OPE;

struct DOUBLE_RANGE {
    double value = 0;
    double minimum = 0;
    double maximum = 0;
    double defaultValue = 0;

    // Raises the value to the minimum, then lowers it to the maximum.
    void clamp();
};

// Circle mill: passes for the ring between the open diameter (what is already open where the tool
// enters) and the circle diameter. Returns 0.
int setCircMillDepthCuts(PROCESS_OPE* op, double toolDiameter, double openDiameter);
// Contour: stepovers limited by the opening (the hole form's diameter at the upper bound of the contour)
// and passes for the ring between the open and the outer diameter. Returns 0.
int setCircMillRoughing(PROCESS_OPE* op, double toolDiameter, double openingDiameter, double outerDiameter,
                        double openDiameter);
