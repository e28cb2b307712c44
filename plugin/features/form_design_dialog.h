// The form design dialog as the drawing of forms uses it: the caller fills the row and the values, runs
// it, and reads the values back after OK. End codes: 1 OK, 2 Cancel, 100 a diameter to pick from an arc
// (the caller picks it and shows the dialog again), 0 Esc.
#pragma once
#include <cstdint>
#include <string>

#include "platform/ui/dialog.h"

class CTabColsDesc;

class CDlgDesignProp : public plat::Dialog {
public:
    static constexpr int kTemplate = 18037, kDiameterPick = 4371, kEndPickDiameter = 100;
    CDlgDesignProp();

    CTabColsDesc* table = nullptr;
    int row = 0;
    std::string rowName;
    std::int16_t surfaceMode = 1;    // 0 while the forms are drawn as solids
    double diameter = 0;
    double chamfer = 0;
    double pointAngle = 0;           // degrees
    std::int16_t markStep[16] = {};
    std::int16_t through = 0;
    double depth = 0;
    std::int16_t depthIndex = 0;
};
