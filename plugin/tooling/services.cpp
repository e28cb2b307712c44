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

std::int32_t findOrCreateOpGroup(const std::string& name, std::int32_t parent) {
    op_group* existing = TpMainGrpMgr().GetMainGrpList().GroupByName(name.c_str());
    if (existing && existing->parentId == parent) return existing->id;
    return OMcreateGroup(name.c_str(), 0, parent, 0, 0);
}

void clearOperationsSelected() {
    TpPartOpList& ops = TpMainOpMgr().GetMainOpList();
    for (int i = 0; i < ops.GetSize(); ++i)
        if (operation* op = ops.GetAt(i); op && op->selected) {
            operation copy = *op;
            copy.selected = 0;
            ops.UpdateAt(copy.id, copy);
        }
}

int createTreeProcessOperations(std::uint32_t, std::vector<FULL_TOOLS_SEQ>&, std::int32_t* groupId,
                                const std::string& groupName, std::int16_t) {
    if (!groupName.empty() && groupId && *groupId == -1) *groupId = findOrCreateOpGroup(groupName, 0);
    return 0;
}

