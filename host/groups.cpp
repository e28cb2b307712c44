// Operation groups and the machine group. Groups are kept in creation order and never move in memory
// while they exist, so pointers handed to the plug-in stay valid until the group is deleted.
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "host/internal.h"
#include "host/state.h"

namespace host {
namespace {

struct Groups {
    std::vector<std::unique_ptr<op_group>> list;
    std::int32_t activeId = 0;
};
Groups groups;

op_group* find(std::int32_t id) {
    for (auto& g : groups.list)
        if (g->id == id) return g.get();
    return nullptr;
}

op_group* makeGroup(std::int32_t id, const char* name, std::int32_t parentId, bool machine) {
    auto g = std::make_unique<op_group>();
    g->id = id;
    std::snprintf(g->name, sizeof g->name, "%s", name);
    g->parentId = parentId;
    g->isMachineGroup = machine;
    groups.list.push_back(std::move(g));
    return groups.list.back().get();
}

// Rebuilds the two standard groups from their presence flags, the active one under the machine group.
void rebuild(bool machine, bool active) {
    groups = Groups{};
    if (machine) makeGroup(kMachineGroupId, "Machine Group-1", 0, true);
    if (active) {
        makeGroup(kActiveGroupId, "Toolpath Group-1", machine ? kMachineGroupId : 0, false);
        groups.activeId = kActiveGroupId;
    }
}

bool isUnder(const op_group& g, std::int32_t ancestorId) {
    const op_group* cur = &g;
    while (cur) {
        if (cur->id == ancestorId) return true;
        cur = cur->parentId ? find(cur->parentId) : nullptr;
    }
    return false;
}

}  // namespace

namespace detail {
void resetGroups() { rebuild(true, true); }
}  // namespace detail

void setMachineGroup(bool present) { rebuild(present, find(kActiveGroupId) != nullptr); }
void setActiveGroup(bool present) { rebuild(find(kMachineGroupId) != nullptr, present); }

const op_group* findGroup(std::int32_t id) { return find(id); }

std::vector<std::int32_t> groupIds() {
    std::vector<std::int32_t> ids;
    for (auto& g : groups.list) ids.push_back(g->id);
    return ids;
}

}  // namespace host

op_group* GroupsMachineGroup(void*) {
    for (auto& g : host::groups.list)
        if (g->isMachineGroup && g->parentId == 0) return g.get();
    return nullptr;
}

op_group* TpGrpList::RetrieveActiveGroup() { return host::groups.activeId ? host::find(host::groups.activeId) : nullptr; }

op_group* TpGrpList::RetrieveRootMachineGroup(std::int32_t id) {
    op_group* cur = host::find(id);
    op_group* root = nullptr;
    while (cur) {
        root = cur;
        cur = cur->parentId ? host::find(cur->parentId) : nullptr;
    }
    return root && root->isMachineGroup ? root : nullptr;
}

TpGrpList& TpGrpMgr::GetMainGrpList() {
    static TpGrpList list;
    return list;
}

TpGrpMgr& TpMainGrpMgr() {
    static TpGrpMgr mgr;
    return mgr;
}

int OMdeleteGroup(std::int32_t groupId, int withOperations) {
    const op_group* target = host::find(groupId);
    if (!target) {
        host::detail::record("host.deleteGroup " + std::to_string(groupId) + " -> no such group");
        return 0;
    }
    // A group goes with the groups below it, as in the host's operations manager. The victims are picked
    // before erasing: walking parents while the list is being compacted would read moved-from slots.
    std::vector<std::int32_t> doomed;
    for (auto& g : host::groups.list)
        if (host::isUnder(*g, groupId)) doomed.push_back(g->id);
    std::erase_if(host::groups.list, [&](const std::unique_ptr<op_group>& g) {
        return std::find(doomed.begin(), doomed.end(), g->id) != doomed.end();
    });
    if (std::find(doomed.begin(), doomed.end(), host::groups.activeId) != doomed.end()) host::groups.activeId = 0;
    host::detail::record("host.deleteGroup " + std::to_string(groupId) + (withOperations ? " with operations" : ""));
    return 1;
}
