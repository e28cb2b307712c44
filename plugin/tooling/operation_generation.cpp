// Stand-ins for operation generation (docs/seams.md): the process tree's and the process trial's creations
// make their operation group only, and no host operation, drill point or group note is made.
#include "host/api.h"
#include "platform/ui/dialog.h"
#include "plugin/model/tool_records.h"
#include "plugin/model/tree.h"
#include "plugin/services/tooling.h"

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

int storeDrillPoints(VIEW_LIST*) { return 0; }
void deleteTempPoints() {}
void findGroupNotes(VIEW_LIST*) {}
int createDrillOperations(VIEW_LIST*, POINT_LIST*, int) { return 0; }
int maxToolNumber() { return 0; }
void placeGroupNote(VIEW_LIST*) {}
int runToolPathGroups(POINT_LIST*) { return plat::IDCANCEL; }
