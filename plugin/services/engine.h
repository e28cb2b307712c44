// What the other subsystems and the work cycle use of the process engine: the recognition run, the process
// tree, the configuration run and the marker entity, and the engine's rules that recognition applies.
#pragma once
#include <cstdint>
#include "plugin/services/configuration.h"

struct ent;
struct VIEW_LIST;
struct POINT_LIST;
struct OPE_LIST;
struct PROCESS_OPE;
class CConfigProcess;

// Recognises the part: -1 cancelled or failed, else the button of the run summary (1 or 2).
std::int16_t runRecognition(std::uint32_t* processTreeFlags);
// Shows the process tree; returns the next preset, on which the command loop acts.
std::int16_t runProcessDialog(std::uint32_t* processTreeFlags, std::int16_t* option, std::int16_t preset);
// The configuration run (config_run.cpp): 1 when it ended after a trial drawn for the user to inspect.
int runConfigProcess(std::int16_t preset);
int tryConfiguredProcess(CConfigProcess& dialog);
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
int isOppositeDirAllowed(const double direction[3]);

// ---- operations and holes (operation_comments.cpp, selected_groups.cpp) --------------------------------------

// Writes `op.comment` from the operation's fields and its definition (or none).
void composeOperationName(OPE_LIST& op, const PROCESS_OPE* def);
// Puts the tool-number prefix of `number` in front of the comment, replacing an old one; number < 0
// changes nothing. Returns 0.
int setOperationNumberPrefix(OPE_LIST& op, std::int32_t number);
// Holes shown in the selection colour (highlight 1) or in their stored colours again (0): the holes of the
// chain from `holes` (only `holes` itself when `oneHole`), those without a selection skipped when
// `onlySelected`, and only those that meet `filter` (0xFFFFFFFF: every hole).
void setHoleEntities(POINT_LIST* holes, int reserved, int highlight, std::uint32_t filter, int onlySelected,
                     bool oneHole = false);
