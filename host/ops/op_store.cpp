// The part's operations: the store behind operation_manager modes 1, 2 and 11, the operation list
// (TpPartOpList), the linked copies list_manager(1, ...) hands out, regeneration (nci_manager) and the
// operations manager's refresh switch.
#include "host/ops/op_store.h"

#include <algorithm>
#include <set>

#include "host/internal.h"
#include "host/ops/op_defaults.h"
#include "host/ops/op_nodes.h"
#include "host/state.h"

namespace host::ops {
namespace {

OpState state;

void record(const std::string& line) { detail::record("host.op " + line); }

// The point associations (kind 2) that attach geometry to the operations, in one walk of the part.
std::vector<db_ptr> associationsOf(const std::set<std::int32_t>& ids) {
    std::vector<db_ptr> found;
    db_ptr p = db_start();
    char got = 0;
    ent e{};
    for (get_ent_assoc(p, &e, &p, &got); got; get_ent_assoc(p, &e, &p, &got))
        if (e.assoc.kind == 2 && ids.count(e.assoc.opId)) found.push_back(p);
    return found;
}

}  // namespace

OpState& opState() { return state; }

void markToolpathStale(std::int32_t opId) {
    if (StoredOp* s = findOp(opId)) {
        s->op.nciValid = 0;
        s->path.reset();
    }
}

const Toolpath* currentToolpath(StoredOp& s) {
    if (!s.op.nciValid) return nullptr;
    if (!s.path) s.path = std::make_shared<const Toolpath>(computeToolpath(s));
    return s.path.get();
}

std::uint32_t chainEntityId(const ChainEntRec& c) {
    ent e{};
    return c.curve.eptr && get_ent_from_eptr(c.curve.eptr, &e) ? e.id : c.entityId;
}

StoredOp* findOp(std::int32_t id) {
    auto it = state.byId.find(id);
    return it == state.byId.end() ? nullptr : it->second;
}

bool placeInGroup(operation& op) {
    if (op.groupId == 0) op.groupId = groupState().activeId;
    return findGroupById(op.groupId) != nullptr;
}

std::vector<ent> attachedAssociations(std::int32_t opId) { return operationAssociations(opId); }

StoredOp* addOp(operation op) {
    op.id = state.nextId++;
    op.dbEntity = kOpEntityBase + static_cast<std::uint32_t>(op.id);
    auto stored = std::make_unique<StoredOp>();
    stored->op = op;
    StoredOp* p = stored.get();
    state.list.push_back(std::move(stored));
    state.byId[op.id] = p;
    return p;
}

int deleteOps(const std::set<std::int32_t>& ids) {
    std::set<std::int32_t> known;
    for (std::int32_t id : ids)
        if (findOp(id)) known.insert(id);
    if (known.empty()) return 0;
    for (db_ptr a : associationsOf(known)) delete_ent(a, 0, 0, 0, nullptr, 0);
    for (std::int32_t id : known) state.byId.erase(id);
    std::erase_if(state.list, [&](const std::unique_ptr<StoredOp>& p) { return known.count(p->op.id) != 0; });
    return static_cast<int>(known.size());
}

void clearOps() {
    const int refreshOn = state.refreshOn;
    const int refreshCount = state.refreshCount;
    state = OpState{};
    state.refreshOn = refreshOn;
    state.refreshCount = refreshCount;
}

}  // namespace host::ops

namespace host {

op_list* loadOpListNodes() {
    op_list* head = nullptr;
    op_list** tail = &head;
    for (const auto& s : ops::opState().list) {
        *tail = new op_list{s->op, nullptr};
        tail = &(*tail)->next;
    }
    return head;
}

void freeOpListNodes(op_list* head) {
    while (head) {
        op_list* next = head->next;
        delete head;
        head = next;
    }
}

}  // namespace host

using host::ops::findOp;
using host::ops::StoredOp;

std::uint32_t OpMgrFileNamingRules[272];

int operation_manager(operation* op, int mode, db_ptr* eptr, char* fail) {
    if (fail) *fail = 1;
    if (!op) return 0;
    bool ok = false;
    switch (mode) {
    case 10: ok = host::ops::fillDefaults(*op); break;
    case 1: {
        if (!host::ops::placeInGroup(*op)) break;
        StoredOp* s = host::ops::addOp(*op);
        *op = s->op;
        if (eptr) *eptr = op->dbEntity;
        host::ops::record("add " + std::to_string(op->id) + " code=" + std::to_string(op->code) + " group=" +
                          std::to_string(op->groupId));
        ok = true;
        break;
    }
    case 2: {
        StoredOp* s = findOp(op->id);
        if (s) {
            // The regeneration state is the host's: a write marks the toolpath out of date.
            const std::int32_t regen = s->op.regenCount;
            s->op = *op;
            s->op.dbEntity = kOpEntityBase + static_cast<std::uint32_t>(op->id);
            s->op.regenCount = regen;
            s->op.nciValid = 0;
            s->path.reset();
            if (eptr) *eptr = s->op.dbEntity;
            ok = true;
        }
        break;
    }
    case 11: {
        if (findOp(op->id) && host::ops::placeInGroup(*op)) {
            const std::int32_t source = op->id;
            StoredOp* s = host::ops::addOp(*op);
            s->op.regenCount = 0;
            s->op.nciValid = 0;
            *op = s->op;
            if (eptr) *eptr = op->dbEntity;
            host::ops::record("copy " + std::to_string(source) + " -> " + std::to_string(op->id));
            ok = true;
        }
        break;
    }
    default: break;
    }
    if (fail) *fail = ok ? 0 : 1;
    return ok ? 1 : 0;
}

int TpPartOpList::GetSize() const { return static_cast<int>(host::ops::opState().list.size()); }

operation* TpPartOpList::GetAt(int index) {
    auto& list = host::ops::opState().list;
    if (index < 0 || index >= static_cast<int>(list.size())) return nullptr;
    return &list[static_cast<std::size_t>(index)]->op;
}

operation* TpPartOpList::FindByID(std::int32_t id) {
    StoredOp* s = findOp(id);
    return s ? &s->op : nullptr;
}

int TpPartOpList::IndexByID(std::int32_t id) const {
    const auto& list = host::ops::opState().list;
    for (std::size_t i = 0; i < list.size(); ++i)
        if (list[i]->op.id == id) return static_cast<int>(i);
    return -1;
}

int TpPartOpList::UpdateAt(std::int32_t id, const operation& op) {
    if (!findOp(id)) return 0;
    operation copy = op;
    copy.id = id;
    char fail = 0;
    return operation_manager(&copy, 2, nullptr, &fail);
}

std::int32_t TpPartOpList::DatabaseAdd(operation* op) {
    char fail = 0;
    return op && operation_manager(op, 1, nullptr, &fail) ? op->id : 0;
}

int TpPartOpList::DatabaseRetrieve(db_ptr entity, operation* out) {
    if (entity <= kOpEntityBase) return 0;
    StoredOp* s = findOp(static_cast<std::int32_t>(entity - kOpEntityBase));
    if (!s) return 0;
    if (out) *out = s->op;
    return 1;
}

int TpPartOpList::DatabaseUpdate(db_ptr entity, const operation* op) {
    if (!op || entity <= kOpEntityBase) return 0;
    return UpdateAt(static_cast<std::int32_t>(entity - kOpEntityBase), *op);
}

int TpPartOpList::DeleteListAndDB(std::int32_t id, int, int) {
    if (host::ops::deleteOps({id}) == 0) return 0;
    host::ops::record("delete " + std::to_string(id));
    return 1;
}

TpPartOpList& TpOpMgr::GetMainOpList() {
    static TpPartOpList list;
    return list;
}

TpOpMgr& TpMainOpMgr() {
    static TpOpMgr mgr;
    return mgr;
}

int nci_manager(std::int32_t opId, int mode, nci_bin* nci, char* succf) {
    if (succf) *succf = 0;
    StoredOp* s = mode == 8 ? findOp(opId) : nullptr;
    if (!s) {
        host::ops::record("regenerate " + std::to_string(opId) + " failed");
        return 0;
    }
    ++s->op.regenCount;
    s->op.nciValid = 1;
    s->path = std::make_shared<const host::ops::Toolpath>(host::ops::computeToolpath(*s));
    if (s->path->refused) {
        // Kept, empty with its reason, so that the listing names it too.
        const std::string told = "Operation " + std::to_string(opId) + " has no toolpath: " + s->path->remark + ".";
        mprintf(told.c_str());
        host::ops::record("regenerate " + std::to_string(opId) + " refused: " + s->path->remark);
        return 0;
    }
    if (nci) {
        *nci = nci_bin{};
        nci->opId = opId;
        nci->points = s->op.geomPoints;
        nci->chains = static_cast<std::int32_t>(s->chains.size());
    }
    if (succf) *succf = 1;
    host::ops::record("regenerate " + std::to_string(opId));
    return 1;
}

int OMenableRefresh(int on) {
    const int previous = host::ops::opState().refreshOn;
    host::ops::opState().refreshOn = on ? 1 : 0;
    return previous;
}

void OMrefreshOpManTree() { ++host::ops::opState().refreshCount; }

int list_manager(int kind, const char* /*name*/, int mode, op_list** list) {
    if (kind != 1 || !list) return 0;
    if (mode == 0) {
        *list = host::loadOpListNodes();
        return 1;
    }
    if (mode != 1) return 0;
    host::freeOpListNodes(*list);
    *list = nullptr;
    return 1;
}
