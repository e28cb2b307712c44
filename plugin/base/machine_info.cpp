// Machine group information. The component tree is walked depth first from the definition's root node:
// a node, its child list, then its sibling list, and each node's items. Kind 5 counts anywhere; the spindle
// limit (301) and tool-change time (400) count on the second level, the children of the top nodes. A record
// that cannot be found ends the walk with what it gathered; so does a node met twice, which only damaged
// data can hold and which would otherwise never end.
#include "plugin/base/machine_info.h"

#include <algorithm>
#include <set>

#include "plugin/base/entity_utils.h"

MACHINE_INFO g_machineInfo;

namespace {

// A limit above every speed a tool may have (tool_values_why) limits nothing more than that speed; one below
// a turn a minute, or none at all, is no limit.
std::int32_t spindleLimit(double rpm) {
    if (!(rpm >= 1)) return 0;
    return static_cast<std::int32_t>(std::min(rpm, kMaxToolSpindle));
}

class ComponentWalk {
public:
    // False when the walk has to stop.
    bool node(std::uint32_t id, int level) {
        for (; id; ) {
            if (!seen_.insert(id).second) return false;
            ent e{};
            if (!findAssocEntById(id, &e)) return false;
            const auto n = compNodeFrom(e);
            if (!n) return false;
            if (!items(n->firstItem, level)) return false;
            if (n->child && !node(n->child, level + 1)) return false;
            id = n->sibling;
        }
        return true;
    }

private:
    bool items(std::uint32_t id, int level) {
        for (; id; ) {
            if (!seen_.insert(id).second) return false;
            ent e{};
            if (!findAssocEntById(id, &e)) return false;
            const auto item = compItemFrom(e);
            if (!item) return false;
            if (item->kind == kItemComponent) ++g_machineInfo.componentCount;
            if (level == 2 && item->kind == kItemToolChange) g_machineInfo.toolChangeSeconds = item->value;
            if (level == 2 && item->kind == kItemSpindleLimit)
                g_machineInfo.spindleSpeedLimit = spindleLimit(item->value);
            id = item->next;
        }
        return true;
    }

    std::set<std::uint32_t> seen_;
};

}  // namespace

int readMachineGroupInfo(op_group* group) {
    g_machineInfo = MACHINE_INFO{};
    if (!group) return 1;
    g_machineInfo.rootMachineGroup = TpMainGrpMgr().GetMainGrpList().RetrieveRootMachineGroup(group->id);
    if (!g_machineInfo.rootMachineGroup) g_machineInfo.rootMachineGroup = group;
    ent e{};
    if (!group->machine.machineDefId || !findAssocEntById(group->machine.machineDefId, &e)) return 1;
    const auto definition = machineDefFrom(e);
    if (!definition) return 1;
    g_machineInfo.definition = *definition;
    if (definition->rootNode && !ComponentWalk().node(definition->rootNode, 1)) return 1;
    if (!definition->controlDef || !findAssocEntById(definition->controlDef, &e)) return 1;
    const auto control = controlDefFrom(e);
    if (!control) return 1;
    g_machineInfo.control.controlId = control->controlId;
    if (!control->controlId) return 1;
    if (const nc_path_ctrl* path = CControlInterface::GetControl()->GetControlNcPath(control->controlId)) {
        g_machineInfo.ncPath[0] = path->values[4];
        g_machineInfo.ncPath[1] = path->values[6];
        g_machineInfo.ncPath[2] = path->values[7];
    }
    return 1;
}
