// Private to the host stand-in: the open part's operations (with the chains given to them), its groups,
// and the operations manager's state. The part file and the query functions read them through here.
#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "host/api.h"
#include "host/ops/toolpath.h"

namespace host::ops {

// One chain entity as an operation keeps it: the entity's id (ids survive reopening, handles do not), the
// direction and a copy of the curve (a point, line or arc record).
struct ChainEntRec {
    std::uint32_t entityId = 0;
    std::uint8_t reversed = 0;
    ent curve{};
};
// The entity's id as it is now (ids are renumbered on demand), else the one it had when it went.
std::uint32_t chainEntityId(const ChainEntRec& c);
struct ChainRec {
    std::uint8_t closed = 0;
    std::vector<ChainEntRec> ents;
};
struct StoredOp {
    operation op;
    std::vector<ChainRec> chains;
    // The last regeneration's toolpath; dropped by a write, which makes it stale.
    std::shared_ptr<const Toolpath> path;
};
// The operation's toolpath while it is up to date (nciValid): the one its regeneration made, or, for an
// operation read from a part file, computed again from it; null otherwise.
const Toolpath* currentToolpath(StoredOp& s);
// Geometry given to the operation (a point, a surface, a chain) makes its toolpath stale.
void markToolpathStale(std::int32_t opId);

struct OpState {
    std::vector<std::unique_ptr<StoredOp>> list;   // creation order
    std::map<std::int32_t, StoredOp*> byId;
    std::int32_t nextId = 1;
    int refreshOn = 1;
    int refreshCount = 0;
};
OpState& opState();
StoredOp* findOp(std::int32_t id);
// A new operation goes into its group, group 0 into the default group; false when there is no such group.
bool placeInGroup(operation& op);
// Adds a copy of `op` with a new id and database entity; returns the stored one.
StoredOp* addOp(operation op);
// The associations (kind 2) that attach geometry to the operation, in database order, which is the order
// they were attached in.
std::vector<ent> attachedAssociations(std::int32_t opId);
// Deletes the operations with their attached points (one walk of the part); returns how many there were.
int deleteOps(const std::set<std::int32_t>& ids);
// Every operation of the part goes (a new part or another part opened).
void clearOps();

struct GroupState {
    std::vector<std::unique_ptr<op_group>> list;   // creation order
    std::int32_t activeId = 0;
    std::int32_t nextId = 1;
};
GroupState& groupState();
op_group* findGroupById(std::int32_t id);

}  // namespace host::ops

namespace host::detail {
void resetDrafting();
}  // namespace host::detail
