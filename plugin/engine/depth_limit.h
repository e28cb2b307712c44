// The depth limit of drills and flat mills: an operation deeper than the usable length the drill-size table
// allows for its diameter is split to the opposite side of the hole, or limited by the chosen strategy.
#pragma once
#include "plugin/base/directions.h"
#include "plugin/base/text_section.h"
#include "plugin/model/ope_list.h"
#include "plugin/model/tab_cols_desc.h"

struct POINT_LIST;
class CMoveIndex;

// Strategies of limiting one operation.
enum DepthStrategy : int { kSplitInTwo = 0, kMarkOnly = 1, kClampWithNote = 2, kLongestTool = 3 };

// Treats the hole's first drilling operation that is too deep; it is split in two only when the allowed
// views take the opposite direction. 0, or -1 when a hole for the opposite side could not be made. `whyTexts` is the UI-text section "drillOperationWhy". A stage that splits many holes
// hands its `index` (plugin/services/recognition.h), so that a move walks no view's list.
[[nodiscard]] int DivideIfMaxDeep(POINT_LIST& hole, const CTextSection& whyTexts, CTabColsDesc* tables, int tableCount,
                                  int drillTableIndex, const ALLOWED_VIEWS& allowed, CMoveIndex* index = nullptr);
// Limits one operation of the hole to maxDepth by the strategy. Returns 0.
int limitOperationDepth(POINT_LIST& hole, OPE_LIST& op, double maxDepth, int strategy);
// The usable depth of a tool diameter in the drill-size table; false when the table has no such column or
// no row for it.
[[nodiscard]] bool maxToolDepth(CTabColsDesc& drillTable, double diameter, double* depth);
