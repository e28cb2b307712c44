// What the core uses of tools and operation generation. Stand-ins until that subsystem is built
// (docs/seams.md); the record layouts here are the ones the core relies on.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "host/api.h"
#include "platform/ui/dialog.h"
#include "plugin/tooling/cycle_names.h"
#include "plugin/tooling/machine_info.h"
#include "plugin/model/tool_records.h"



struct TOOL_OP_TYPE {
    std::int32_t type;
    char toolName[42];
    char operationName[42];
    char groupName[42];
};
// Ended by a row whose type is negative.
extern TOOL_OP_TYPE g_toolOpTypes[];

struct TOOL_MATERIAL {
    std::int32_t id;
    char name[82];
};
extern TOOL_MATERIAL g_toolMaterials[6];

extern char g_toolLibExt[16];

int deleteGroupOperations(std::uint32_t groupId);
// The id of the operation group `name` under `parent`, created when missing; 0 when it cannot be made.
std::int32_t findOrCreateOpGroup(const std::string& name, std::int32_t parent);
// Clears the selected flag of every host operation.
void clearOperationsSelected();
// Creates the host operations of every operation that is on, in the order of `sequences`. With a group
// name they all go into that group (found or created; *groupId receives it when it is -1). 0 done, 1 the
// user cancelled (nothing created).
int createTreeProcessOperations(std::uint32_t filter, std::vector<FULL_TOOLS_SEQ>& sequences, std::int32_t* groupId,
                                const std::string& groupName, std::int16_t keep);

// A 2D point is two doubles, x then y.
inline void copyPoint2d(double destination[2], const double source[2]) {
    destination[0] = source[0];
    destination[1] = source[1];
}
inline void setPoint2d(double x, double y, double destination[2]) {
    destination[0] = x;
    destination[1] = y;
}

class CDlgToolsView : public plat::Dialog {
public:
    CDlgToolsView() : plat::Dialog(18057) {}
    std::vector<FULL_TOOLS_SEQ>* toolsSeq = nullptr;   // set by the caller
    std::vector<std::int32_t> missingTools;            // distinct negative tool indexes
    std::vector<std::int32_t> createdTools;            // distinct indexes of tools the system made
    std::vector<OPE_LIST*> usedOps;                    // by tool: found tools by first use, then missing ones
    // Fills the three lists from the sequence (tools_view_lists.cpp).
    void buildToolsUsedList();
};
class CMachiningTime {};
class CDrillingList {};

