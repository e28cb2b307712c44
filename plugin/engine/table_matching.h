// Matching a described hole (CIL_DESC records, hole_description.h) against a process table: whether the
// table's hole form has the hole's sequence of cylinders, and which row of measures fits the hole; with the
// small predicates used around it: the shape identity of two holes, a hole's chamfer and tip angles, a
// one-record description of a whole hole and a row lookup by name.
#pragma once
#include <string>

#include "plugin/model/ope_list.h"
#include "plugin/services/engine.h"

struct POINT_LIST;
class CTabColsDesc;

// Rebuilds the table's TAB_CIL_ENTRY list from its first row (an empty row when it has none), as the
// matching reads the table's form.
void buildEntriesFromFirstRow(CTabColsDesc& table);
// 1 when the table's form (its TAB_CIL_ENTRY list, rebuilt from a row) agrees with the description, else 0;
// an empty description matches no table (not even one without cylinders).
// With the thread switch on, a plain hole may take a threaded table cylinder.
int tableMatchesShape(const CTabColsDesc& table, const CIL_DESC* descs, int count, bool threadSwitch);
// The first row (from 0) that fits the hole, -1 none, -2 when the table has no rows. A row that fits by a
// thread cell turns the record into a threaded record of that designation (with "ProcessMach" 57 on). The
// nearest-row lookups of thread designations may read the thread tables.
int findMeasuresLine(const CTabColsDesc& table, CIL_DESC* descs, int count);
// The first row whose first cell equals the name, case ignored; -1 none, -2 no rows.
int findMeasuresLineByName(const CTabColsDesc& table, const std::string& name);
// The hole's largest and smallest chamfer half angle, its largest chamfer depth and its tip angle (full,
// radians); always 0.
int getChamferAndTipAngles(const POINT_LIST* hole, double* largestHalfAngle, double* smallestHalfAngle,
                           double* chamferDepth, double* tipAngle);
// One record for the whole hole; returns 1.
int simplifyToOneCylinder(const POINT_LIST* hole, CIL_DESC* out, double chamferAngleMin, double chamferAngleMax,
                          double chamferDepthMax);
