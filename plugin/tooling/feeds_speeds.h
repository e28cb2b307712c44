// Spindle speed and feed rates of a tool before it goes into the part, by the machine group's feed mode:
// 0 taps from their pitch, 1 from the machining material's cutting data, 2 left alone, 3 the group's
// defaults. Speeds in rpm; feeds in part units per minute; Vc in m/min (metric) or ft/min (inch).
#pragma once
#include <cstdint>
#include <string>

#include "host/api.h"

// What the computation takes of the machine group.
struct FEED_MACHINE {
    std::int32_t feedMode = 0;
    std::int32_t spindleLimit = 0;   // rpm; 0: no limit known
    double defaultSpindle = 0;
    double defaultFeeds[3] = {};
};

// The values of the active machine group (MACHINE_INFO); mode 2 when there is none.
FEED_MACHINE activeFeedMachine();

// Sets the tool's speed and feeds from the material and the active machine group. Returns 0; 1 when what it
// would set breaks the rule of a tool's values (tool_values_why), the tool then left as it was and `why`
// telling which value.
int computeFeedsSpeeds(tp_tool* tool, const material& matl, std::string* why = nullptr);
int computeFeedsSpeedsFor(tp_tool& tool, const material& matl, const FEED_MACHINE& machine, bool metric,
                          std::string* why = nullptr);

// The machining material of the machine group `groupId`: 0 not found, 1 no material, 2 from the host's
// current list, 3 from the group's material library, 4 from a material file of the host's Materials folder
// (`path`, when given, receives the library's or file's path, at most `pathSize` bytes).
int materialByName(std::int32_t groupId, material* out, char* path = nullptr, std::size_t pathSize = 1024);
