// What the other subsystems and the work cycle use of the process engine: the recognition run, the process
// tree, what the configuration run shares with it, the process trial and the marker entity, and the engine's rules that recognition applies.
#pragma once
#include <cstdint>
#include <string>
#include <vector>
#include "plugin/base/directions.h"
#include "plugin/model/ope_list.h"
#include "plugin/model/work_records.h"

struct ent;
struct VIEW_LIST;
struct POINT_LIST;
struct OPE_LIST;
struct PROCESS_OPE;
struct CYL_LIST;
class CTabColsDesc;

// Recognises the part: -1 cancelled or failed, else the button of the run summary (1 or 2).
std::int16_t runRecognition(std::uint32_t* processTreeFlags);
// Shows the process tree; returns the next preset, on which the command loop acts.
std::int16_t runProcessDialog(std::uint32_t* processTreeFlags, std::int16_t* option, std::int16_t preset);
// What the configuration dialog shares with the configuration run, kept by the engine between its runs: the
// table and process it opens on, the action it last ended with, the row it chose ([row, -1]), the table being
// configured and the cells of the row an edit or a trial works on.
struct CONFIG_SHARED {
    TABLE_FILE_REF& target;
    std::int16_t& action;
    std::int16_t (&chosenProcess)[2];
    CTabColsDesc& table;
    std::vector<std::string>& rowCells;
};
CONFIG_SHARED configShared();
// The process trial (the configuration's action 105): the `count` operations of the process configured,
// made for a hole of the current row's form in the trial's own operation group, whose id goes into
// `trialGroupId`. Returns 0.
int tryConfiguredProcess(PROCESS_OPE* operations, int count, std::int32_t& trialGroupId);
// Deletes the form preview's and the trial marker's entities and empties their list.
void deletePreviewEntities();
// Picks one entity of `type`: 1 picked (in *entity), 2 cancelled.
int selectEntWithMask(ent* entity, std::uint32_t type, std::int16_t menuMode, const char* prompt);
void blankMarkerEnt();
void unblankMarkerEnt();
// The hole labels (hole_marks.cpp).
void drawHoleLabels(VIEW_LIST* tree, long level, std::int16_t mode);

int undoGroupOperations(std::uint32_t groupId);
int cancelGroupOperations(std::uint32_t groupId);

// 1 when no view restriction is set, when the user allowed no view, or when the reversed direction (a unit
// vector) is an allowed view in its own sense; else 0.
int isOppositeDirAllowed(const ALLOWED_VIEWS& allowed, const double direction[3]);

// ---- operations (operation_comments.cpp) ---------------------------------------------------------------------

// Writes `op.comment` from the operation's fields and its definition (or none).
void composeOperationName(OPE_LIST& op, const PROCESS_OPE* def);
// Puts the tool-number prefix of `number` in front of the comment, replacing an old one; number < 0
// changes nothing. Returns 0.
int setOperationNumberPrefix(OPE_LIST& op, std::int32_t number);

// ---- hiding what is not selected ------------------------------------------------------------------------------
// A null-ended list of blanked entities (database handles), as hideEntitiesExcept makes it.
using EntityList = std::uint32_t*;
// mode 0: frees `list`, blanks every entity not in the selection colour and returns their list; mode 1:
// shows `list` again, frees it and returns null.
EntityList toggleHideUnselected(int mode, EntityList list);

// ---- what a recognition found (run_statistics.cpp) ------------------------------------------------------------
// The three reject counters are those recognizeCylinders filled; each output is written only when given.
// With no hole, tells the user the recognition's limits that left the part without one. Returns 0.
int holeStatistics(const VIEW_LIST* tree, const std::int32_t* tooWide, const std::int32_t* tooNarrow,
                   const std::int32_t* directionRejected, int* holes = nullptr, int* segments = nullptr,
                   double* smallest = nullptr, double* largest = nullptr);

// ---- a hole in a table's terms (hole_description.cpp, table_matching.cpp) -------------------------------------
// 1 when both holes have the same segment chain within tolerance (measured from each chain's top), else 0.
int sameShape(const POINT_LIST* a, const POINT_LIST* b, bool ignoreAttributes);
// The most segments (and records) one description holds.
constexpr int kMaxCilDescs = 25;
// Writes the description of the chain from `first` (followed by `next`) into `out`, which holds
// kMaxCilDescs records, and returns their count: 0 when `first` is null, and 0 (with a process-log line)
// for a chain of more than kMaxCilDescs segments, which would not be described right. The chamfer window
// in radians (half angles); `drillTable`, a loaded drill-size table or null, gives the reaming allowance
// (its rows are sorted by the lookup).
[[nodiscard]] int describeByTable(const CYL_LIST* first, CIL_DESC* out, double chamferAngleMin,
                                  double chamferAngleMax, double chamferDepthMax, CTabColsDesc* drillTable);
