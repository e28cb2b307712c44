// The type table carries the rows the work cycle renames from the UI texts, with names that hold until those
// texts are loaded.
#include "plugin/base/tool_types.h"

char g_toolLibExt[16] = "Tools";

TOOL_OP_TYPE g_toolOpTypes[] = {
    {0, "Spot drill", "Spot drilling", "Spot drilling"},
    {1, "Center drill", "Center drilling", "Center drilling"},
    {2, "Spot drill", "Spot drilling", "Spot drilling"},
    {3, "Drill", "Drilling", "Drilling"},
    {4, "Tap RH", "Tapping", "Tapping"},
    {5, "Tap LH", "Tapping LH", "Tapping"},
    {6, "Reamer", "Reaming", "Reaming"},
    {7, "Boring bar", "Boring", "Boring"},
    {8, "Counterbore", "Counterboring", "Counterboring"},
    {9, "Countersink", "Countersinking", "Countersinking"},
    {10, "Chamfer mill", "Chamfering", "Chamfering"},
    {11, "Thread mill", "Thread milling", "Thread milling"},
    {12, "Chamfer mill", "Chamfer milling", "Chamfering"},
    {13, "Flat endmill", "Pocketing", "Milling"},
    {14, "Bull endmill", "Contouring", "Milling"},
    {15, "Endmill", "Circle milling", "Chamfering"},
    {16, "Ball endmill", "Surfacing", "Milling"},
    {17, "Endmill", "Helix boring", "Countersinking"},
    {18, "Face mill", "Facing", "Milling"},
    {19, "Back boring bar", "Back boring", "Back boring"},
    {9999, "User", "User", "User"},
    {-1, "", "", ""},
};

TOOL_MATERIAL g_toolMaterials[6] = {};
