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
