// The tool and operation type table (type number, tool name, operation name, group name), whose names the
// work cycle replaces from the UI texts "ToolTypes", "OperationTypes" and "GroupOpNames" at every
// invocation, the tool materials of "ToolMaterials", and the extension of the host's tool library files.
#pragma once
#include <cstdint>

struct TOOL_OP_TYPE {
    std::int32_t type;
    char toolName[42];
    char operationName[42];
    char groupName[42];
};
// Ended by a row whose type is negative.
extern TOOL_OP_TYPE g_toolOpTypes[];

struct TOOL_MATERIAL {
    std::int32_t id;
    char name[82];
};
extern TOOL_MATERIAL g_toolMaterials[6];

extern char g_toolLibExt[16];

// A tool record's angle is in degrees: the full point angle of centre drills, spot drills, drills and
// countersinks (types 1, 2, 3, 9), the angle of the flank to the axis, a half angle, of the other types
// (chamfer and taper mills). Operations keep half angles in radians; these convert both ways.
[[nodiscard]] double toolHalfAngleRad(std::int32_t type, double toolAngleDeg);
[[nodiscard]] double toolAngleDeg(std::int32_t type, double halfAngleRad);
