// Private to the host stand-in: storing a machine definition in the open part and the host's controls.
// host/state_ops.h offers these to hostcam and the tests.
#pragma once
#include <cstdint>
#include <string>

#include "host/api.h"

namespace host::machine {

// A machine definition as the host's machine set-up would describe it: a root component whose children
// are the spindle (items 5 and 301), the tool changer (5 and 400) and `components` - 2 further components.
struct MachineSetup {
    std::string name = "Generic 3-axis VMC";
    int components = 4;
    double spindleLimit = 10000;       // rpm
    double toolChangeSeconds = 6;
    double rapidRateMm = 12500;
    double rapidRateInch = 500;
    std::int32_t controlId = 1;
};

// Stores the definition's records in the part and links the machine group to it; returns the id of the
// definition entity.
std::uint32_t storeMachineDefinition(const MachineSetup& setup);
void resetControls();                 // control 1 only
void setControl(std::int32_t controlId, const nc_path_ctrl& values);

}  // namespace host::machine
