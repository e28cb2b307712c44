// Stand-ins for tools and operation generation (docs/seams.md). The type table carries the rows the core
// renames from the UI texts, with names that hold until those texts are loaded.
#include "plugin/tooling/services.h"

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

int deleteGroupOperations(std::uint32_t) { return 0; }

int mapToolTypeCode(int operationType) {
    switch (operationType) {
        case 3: return 1;
        case 4:
        case 5: return 3;
        case 6: return 4;
        case 7: return 6;
        default: return 0;
    }
}
