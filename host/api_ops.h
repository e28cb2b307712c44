// The host's operations, operation manager, operation groups and NCI as the plug-in sees them. Included by
// host/api.h. The operation record is in api_operation.h; the machine group, its machine definition and
// the control in api_machine.h; chains, drafting globals and entity picks in api_chains.h.
// Operations live in the open part, in creation order (ids grow); groups likewise. Pointers handed out
// stay valid until that operation or group is deleted or another part is opened.
#pragma once
#include <cstdint>

#include "host/api_operation.h"
#include "host/api_types.h"
#include "host/api_machine.h"

using db_ptr = std::uint32_t;

// ---- operation manager ----------------------------------------------------------------------------------
// operation_manager(op, mode, &eptr, &fail): 1 done, 0 failed (*fail 1; *fail 0 on success).
//   10  fills `op` with the host's defaults for its code and sub-code (bytes 4/5), keeping id, code,
//       sub-code, group, comment and cycle as given; codes 2, 28 (drill cycles: the pecks and dwell of
//       `op->cycle`), (18,0) circle mill, (47,1) hole mill, (1,0) contour, (106,0) helix bore, (100,0)
//       thread mill. Another code fails and leaves the record alone. The defaults, metric (inch):
//       - every code: clearance 50 (2.0) on, retract 5 (0.2) on, top of stock 0 on and absolute, depth -10
//         (-0.4), planes and WCS off with the world's axes, breakthrough 1 (0.04);
//       - 2 drill and 28 five-axis drill, by op->cycle: 1 peck and 2 chip break: pecks 2 (0.08), peck
//         clearance 0.5 (0.02), chip-break retract 0.25 (0.01) for 2 only; 5 bore2: dwell 0.5 s; the other
//         cycles none. 28 also takes the five-axis fields 2, 0, 1, 0, 0;
//       - milled codes (18, 47, 1, 106, 100): compensation computer, left, to the tip, sharp corners; depth
//         cuts off, rough steps 2 (0.08), finish step 0.5 (0.02); radial passes off, 1 rough pass of 2.5 (0.1),
//         finish spacing 0.5 (0.02); the filter on at 0.025 (0.001), cut tolerance 0.01 (0.0004); XY stock
//         to leave (the double at 624) 0;
//       - 18, 47 and 1 also lead in and out: a line of 2 (0.08), then an arc of 25 % of the tool (2.5 (0.1))
//         over 90 degrees, at the first and last cut only;
//       - kind blocks: 18 circle mill: start at the centre, entry arc 90 degrees, helix pitch 1 (0.04), rough
//         step-over 50 %; 47 none; 1 contour: mode 0 (2D), chamfer width 0.5 (0.02) and tip offset 0.25
//         (0.01), ramp 3 degrees over 1 (0.04); 106 helix bore: pitches 1 and 0.5 (0.04, 0.02), finish pass
//         on, entry arc 90 degrees; 100 thread mill: internal, right-hand, pitch 1.5 (16 threads per inch),
//         one start.
//   1   adds `op` as a new operation: a new id, its database entity in op->dbEntity and *eptr. Group 0
//       puts it in the default group; a group that does not exist fails.
//   2   writes `op` back over the operation with its id (the host's own counts stay the host's).
//   11  copies: `op->id` must name an operation; `op` as given is added as a new operation (new id, entity,
//       the group as in mode 1). The source's geometry (points, chains) is not copied.
int operation_manager(operation* op, int mode, db_ptr* eptr, char* fail);

// The operation manager's file-naming rules, indexed from 0. Word 268 (the 269th) non-zero makes mode 10
// write the code's name into an empty comment; word 270 (the 271st) non-zero numbers the NC files of new
// operations per group (no effect here). Both are 0 in a fresh host.
extern std::uint32_t OpMgrFileNamingRules[272];

// The operation list of the part. The list and the database are one store here: the update slot,
// DatabaseUpdate and operation_manager mode 2 all write the same record.
class TpPartOpList {
public:
    int GetSize() const;
    operation* GetAt(int index);                         // creation order; null out of range
    operation* FindByID(std::int32_t id);                // null when unknown
    int IndexByID(std::int32_t id) const;                // -1 when unknown
    int UpdateAt(std::int32_t id, const operation& op);  // the list's update slot: 1 written, 0 unknown id
    std::int32_t DatabaseAdd(operation* op);             // as operation_manager mode 1; the new id, 0 failed
    int DatabaseRetrieve(db_ptr entity, operation* out); // by the operation's database entity: 1 found
    int DatabaseUpdate(db_ptr entity, const operation* op);
    // Deletes the operation (its associations and chains with it). The flags say list and database; here
    // either removes it. 1 done, 0 unknown id.
    int DeleteListAndDB(std::int32_t id, int fromList, int fromDb);
};
class TpOpMgr {
public:
    TpPartOpList& GetMainOpList();
};
TpOpMgr& TpMainOpMgr();

// One node of the operation list as list_manager(1, ...) hands it out: a copy of each operation in
// creation order.
struct op_list {
    operation op;
    op_list* next = nullptr;
};
// Kind 1 only (the other kinds are tool and material lists). Mode 0 sets *list to a copy of the part's
// operations (null when there are none) and returns 1; mode 1 frees *list and sets it to null.
int list_manager(int kind, const char* name, int mode, op_list** list);

// ---- NCI ------------------------------------------------------------------------------------------------
// The buffer nci_manager fills: the operation and what its toolpath was made from.
struct nci_bin {
    std::int32_t opId = 0;
    std::int32_t points = 0;     // associated points
    std::int32_t chains = 0;
    std::uint8_t reserved[500] = {};
};
// Mode 8 regenerates operation `opId`: 1 and *succf 1 when it exists (its regeneration count goes up and
// the buffer is filled), else 0 and *succf 0. An operation whose values ask for more pecks, turns or depth
// cuts than a hole takes gets an empty toolpath: 0 and *succf 0, the value and its range told on the message
// line. Other modes: 0.
int nci_manager(std::int32_t opId, int mode, nci_bin* nci, char* succf);

// ---- the operations manager's window ---------------------------------------------------------------------
int OMenableRefresh(int on);        // returns the previous state (1 in a fresh host)
void OMrefreshOpManTree();

// ---- groups ---------------------------------------------------------------------------------------------
// An operation group. A machine group is a root group (parentId 0) whose `machine` record is in use.
struct op_group {
    std::int32_t id = 0;
    char name[256] = {};
    std::int32_t parentId = 0;     // 0 for a root group
    bool isMachineGroup = false;
    machine_group machine;         // a machine group's own data; zero in other groups
};

op_group* GroupsMachineGroup(void* unused);   // the machine group above the active group (else the first), or null

// The default operation group is the active group: new operations and groups go there.
class TpGrpList {
public:
    op_group* RetrieveActiveGroup();                      // null when the host has no active group
    op_group* RetrieveRootMachineGroup(std::int32_t id);  // root machine group above the group, or null
    op_group* GroupByName(const char* name);              // exact name; the first made of equal names
    op_group* GroupByID(std::int32_t id);
    int IndexByID(std::int32_t id) const;                 // creation order, -1 when unknown
    int SetDefaultOperationGroup(std::int32_t id);        // 1 done (it becomes active), 0 unknown id
    int GetSize() const;
    op_group* GetAt(int index);
};
class TpGrpMgr {
public:
    TpGrpList& GetMainGrpList();
};
TpGrpMgr& TpMainGrpMgr();

// OMcreateGroup(name, 0, parent, 0, makeDefault): a new group under `parent` (0: a root group) named `name`
// (cut to 255 characters); `makeDefault` 1 makes it the default group. Its id, or 0 when the parent is
// unknown or the name empty. The second and fourth arguments are not used.
std::int32_t OMcreateGroup(const char* name, int reserved, std::int32_t parentId, int reserved2, int makeDefault);
// Deletes a group and the groups below it. `withOperations` 1 deletes their operations too; 0 hands them to
// the deleted group's parent (deleted with it when it is a root). 1 deleted, 0 no such group.
int OMdeleteGroup(std::int32_t groupId, int withOperations);
std::int32_t OMgetActiveGroup();                      // 0 when there is none
// The material name of the group's root machine group; "" when there is none.
const char* OMgetGrpMaterialName(std::int32_t groupId);

#include "host/api_chains.h"
