// The facts of the active machine group that tool choice, speeds and feeds, reports and operations need,
// gathered from its machine definition (a tree of component nodes and items) and its control.
#pragma once
#include <cstdint>

#include "host/api.h"

struct CONTROL_DEFINITION {
    std::int32_t controlId = 0;
    double maxFeedRate = 0;
    double rapidRate = 0;
};

struct MACHINE_INFO {
    machine_def definition;
    CONTROL_DEFINITION control;
    std::int16_t componentCount = 0;      // items of kind 5 in the component tree
    std::int32_t spindleSpeedLimit = 0;   // rpm; 0 for none
    double toolChangeSeconds = 0;
    std::int16_t ncPath[3] = {};          // the control's NC path values at places 4, 6 and 7
    op_group* rootMachineGroup = nullptr;
};
extern MACHINE_INFO g_machineInfo;

// Fills g_machineInfo from the machine group; a null group leaves every value reset. Returns 1.
int readMachineGroupInfo(op_group* machineGroup);
