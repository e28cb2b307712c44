// The operation records of a hole, built from its process definitions once their values are computed, and
// the moves of records between holes: a hole owns its chain, each record its own definition copy.
#pragma once
#include <cstdint>

#include "plugin/model/ope_list.h"
#include "plugin/model/process_ope.h"

struct POINT_LIST;

// A hole whose measures had to be added gets no operations on a station that reads the shared library only:
// its row is not the library's. The summary tells it so, never as a row without a process.
bool processWithheldOnReadOnlyStation(const POINT_LIST& hole);

// Replaces the hole's operation list by the records of the definitions that apply (disabled ones and those
// whose tool diameter is below T are skipped) and marks the hole and its chain reprocessed. Returns 0.
int createProcessFromDef(std::int16_t count, const PROCESS_OPE* defs, POINT_LIST& hole, double holeTopZ);

// The hole's descriptor i; a zero descriptor past its ends.
const CIL_DESC& holeCil(const POINT_LIST& hole, int i);
// The descriptor a definition's value is tied to: `cyl` + `plane`, the plane counting 0 past the last one.
int tiedIndex(const POINT_LIST& hole, int cyl, int plane);

// A fresh record, zero-filled but for its kind.
OPE_LIST* allocOpeList();
// Appends `op` at the end of the hole's list; the hole owns it from here.
void appendOperation(POINT_LIST& hole, OPE_LIST* op);
// A new record after `op` in its list: every value of `op`, its own copy of the definition. The list owns it.
OPE_LIST* insertOperationCopy(OPE_LIST& op);
// A new list for `target`, record by record from `source`'s list, each with its own definition copy; the
// target's old list is freed.
void copyOperationList(const POINT_LIST& source, POINT_LIST& target);
// Frees the hole's list and empties it.
void clearOperations(POINT_LIST& hole);
