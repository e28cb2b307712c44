// Turning the named process of a hole's table into the hole's operation records: the hole's descriptors go
// into the table's cylinder entries, the automatic chamfer and the type rules are applied, the definitions
// that do not apply are disabled, the values computed and the records built.
#pragma once
#include "plugin/model/tab_cols_desc.h"

struct POINT_LIST;

// Modes: every operation, or one of the two holes of an end split to the opposite view.
enum ApplyMode : int { kApplyAll = 0, kApplySplitTop = 1, kApplySplitBottom = 2 };

// The type rules and the switches of a process's definitions for one hole whose descriptors are in the
// table's cylinder entries: reamers and boring bars as the settings choose them, and off what does not
// apply to the hole (an unfitted reamer, a chamfer without a chamfer, a flat cone, the other half's
// operations of an end split).
void adjustProcessForHole(const CTabColsDesc& table, PROCESS_OPE* defs, int count, const POINT_LIST& hole, int mode);

// 0 applied; -1 no drill-size table, the hole has no table, or no record could be built; -2 the table has
// no such process; another non-zero value is the value computation's (the user cancelled there).
[[nodiscard]] int applyProcessToHole(CTabColsDesc* tables, int tableCount, POINT_LIST& hole, int mode);
// The same over the tables of the tables folder, loaded for this call.
[[nodiscard]] int applyHoleProcess(POINT_LIST& hole, int mode);
