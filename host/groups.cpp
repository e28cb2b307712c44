// Operation groups and the machine group: ids, names, parents, the active (default) group, creation and
// deletion. Groups are kept in creation order and never move in memory while they exist, so pointers handed
// to the plug-in stay valid until the group is deleted or another part is opened.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <set>
#include <vector>

#include "host/internal.h"
#include "host/machine/machine_setup.h"
#include "host/ops/op_store.h"
#include "host/state.h"

namespace host {
namespace {

using ops::groupState;

op_group* find(std::int32_t id) { return ops::findGroupById(id); }

// A machine group's record as the host fills it for a new group, in the part's units.
machine_group freshMachine() {
    machine_group m;
    const bool metric = current_version[7] == 1;
    m.defaultSpindle = 1200;
    const double mm[3] = {250, 100, 500}, inch[3] = {10, 4, 20};
    for (int i = 0; i < 3; ++i) m.defaultFeeds[i] = metric ? mm[i] : inch[i];
    m.rapidRate = metric ? 12500 : 500;
    return m;
}

op_group* makeGroup(std::int32_t id, const char* name, std::int32_t parentId, bool machine) {
    auto& gs = groupState();
    auto g = std::make_unique<op_group>();
    g->id = id;
    std::snprintf(g->name, sizeof g->name, "%s", name);
    g->parentId = parentId;
    g->isMachineGroup = machine;
    if (machine) g->machine = freshMachine();
    gs.list.push_back(std::move(g));
    gs.nextId = std::max(gs.nextId, id + 1);
    return gs.list.back().get();
}

// Whether the host is set up with each standard group; every new part starts with these.
struct STANDARD_GROUPS {
    bool machine = true, active = true;
} g_standard;

// Rebuilds the two standard groups from their presence flags, the active one under the machine group.
void rebuild(bool machine, bool active) {
    g_standard = {machine, active};
    groupState() = ops::GroupState{};
    groupState().nextId = kActiveGroupId + 1;
    if (machine) makeGroup(kMachineGroupId, "Machine Group-1", 0, true);
    if (active) {
        makeGroup(kActiveGroupId, "Toolpath Group-1", machine ? kMachineGroupId : 0, false);
        groupState().activeId = kActiveGroupId;
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

namespace ops {

GroupState& groupState() {
    static GroupState state;
    return state;
}

op_group* findGroupById(std::int32_t id) {
    for (auto& g : groupState().list)
        if (g->id == id) return g.get();
    return nullptr;
}

}  // namespace ops

namespace detail {
void resetGroups() {
    rebuild(true, true);
    ops::clearOps();
    ops::opState().refreshOn = 1;
    ops::opState().refreshCount = 0;
    std::memset(OpMgrFileNamingRules, 0, sizeof OpMgrFileNamingRules);
    // The operations manager's companions start afresh with the groups: controls and drafting globals.
    machine::resetControls();
    resetDrafting();
}
// The groups are the part's: those another part made go with it, and their ids start again.
void standardGroupsAfresh() { rebuild(g_standard.machine, g_standard.active); }
}  // namespace detail

void setMachineGroup(bool present) { rebuild(present, g_standard.active); }
void setActiveGroup(bool present) { rebuild(g_standard.machine, present); }

const op_group* findGroup(std::int32_t id) { return find(id); }

std::vector<std::int32_t> groupIds() {
    std::vector<std::int32_t> ids;
    for (auto& g : groupState().list) ids.push_back(g->id);
    return ids;
}

}  // namespace host

op_group* GroupsMachineGroup(void*) {
    TpGrpList& groups = TpMainGrpMgr().GetMainGrpList();
    if (op_group* active = groups.RetrieveActiveGroup())
        if (op_group* root = groups.RetrieveRootMachineGroup(active->id)) return root;
    for (auto& g : host::groupState().list)
        if (g->isMachineGroup && g->parentId == 0) return g.get();
    return nullptr;
}

op_group* TpGrpList::RetrieveActiveGroup() {
    const std::int32_t id = host::groupState().activeId;
    return id ? host::find(id) : nullptr;
}

op_group* TpGrpList::RetrieveRootMachineGroup(std::int32_t id) {
    op_group* cur = host::find(id);
    op_group* root = nullptr;
    // A damaged chain of parents cannot loop for ever: no chain is longer than the list.
    for (std::size_t steps = 0; cur && steps <= host::groupState().list.size(); ++steps) {
        root = cur;
        cur = cur->parentId ? host::find(cur->parentId) : nullptr;
    }
    return root && root->isMachineGroup && root->parentId == 0 ? root : nullptr;
}

op_group* TpGrpList::GroupByName(const char* name) {
    if (!name) return nullptr;
    for (auto& g : host::groupState().list)
        if (std::strcmp(g->name, name) == 0) return g.get();
    return nullptr;
}

op_group* TpGrpList::GroupByID(std::int32_t id) { return host::find(id); }

int TpGrpList::IndexByID(std::int32_t id) const {
    const auto& list = host::groupState().list;
    for (std::size_t i = 0; i < list.size(); ++i)
        if (list[i]->id == id) return static_cast<int>(i);
    return -1;
}

int TpGrpList::SetDefaultOperationGroup(std::int32_t id) {
    if (!host::find(id)) return 0;
    host::groupState().activeId = id;
    return 1;
}

int TpGrpList::GetSize() const { return static_cast<int>(host::groupState().list.size()); }

op_group* TpGrpList::GetAt(int index) {
    auto& list = host::groupState().list;
    return index >= 0 && index < static_cast<int>(list.size()) ? list[static_cast<std::size_t>(index)].get() : nullptr;
}

TpGrpList& TpGrpMgr::GetMainGrpList() {
    static TpGrpList list;
    return list;
}

TpGrpMgr& TpMainGrpMgr() {
    static TpGrpMgr mgr;
    return mgr;
}

std::int32_t OMcreateGroup(const char* name, int, std::int32_t parentId, int, int makeDefault) {
    using host::detail::record;
    if (!name || !*name || (parentId != 0 && !host::find(parentId))) {
        record("host.createGroup " + host::detail::quote(name ? name : "") + " -> refused");
        return 0;
    }
    op_group* g = host::makeGroup(host::groupState().nextId, name, parentId, false);
    if (makeDefault) host::groupState().activeId = g->id;
    record("host.createGroup " + host::detail::quote(g->name) + " -> " + std::to_string(g->id));
    return g->id;
}

int OMdeleteGroup(std::int32_t groupId, int withOperations) {
    auto& gs = host::groupState();
    const op_group* target = host::find(groupId);
    if (!target) {
        host::detail::record("host.deleteGroup " + std::to_string(groupId) + " -> no such group");
        return 0;
    }
    const std::int32_t heir = target->parentId;
    // A group goes with the groups below it, as in the host's operations manager. The victims are picked
    // before erasing: walking parents while the list is being compacted would read moved-from slots.
    std::set<std::int32_t> doomed;
    for (auto& g : gs.list)
        if (host::isUnder(*g, groupId)) doomed.insert(g->id);
    auto isDoomed = [&](std::int32_t id) { return doomed.count(id) != 0; };
    std::set<std::int32_t> opsToDelete;
    for (auto& s : host::ops::opState().list) {
        if (!isDoomed(s->op.groupId)) continue;
        if (withOperations || heir == 0) opsToDelete.insert(s->op.id);
        else s->op.groupId = heir;
    }
    host::ops::deleteOps(opsToDelete);
    std::erase_if(gs.list, [&](const std::unique_ptr<op_group>& g) { return isDoomed(g->id); });
    if (isDoomed(gs.activeId)) gs.activeId = 0;
    host::detail::record("host.deleteGroup " + std::to_string(groupId) + (withOperations ? " with operations" : ""));
    return 1;
}

std::int32_t OMgetActiveGroup() { return host::groupState().activeId; }

const char* OMgetGrpMaterialName(std::int32_t groupId) {
    op_group* root = TpMainGrpMgr().GetMainGrpList().RetrieveRootMachineGroup(groupId);
    return root ? root->machine.materialName : "";
}
