// What the other subsystems and the work cycle use of the process engine: the recognition run, the process
// tree, the configuration run and the marker entity, and the engine's rules that recognition applies.
#pragma once
#include <cstdint>
#include "plugin/model/ope_list.h"
#include "plugin/model/tree.h"
#include "plugin/services/configuration.h"

struct ent;
struct VIEW_LIST;
struct OPE_LIST;
struct CIL_DESC;
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

// ---- fields of the engine's records that recognition reads (plugin/engine/ope_list.h) -------------------
// Until the engine names them they sit where its records keep them: an operation's type (u32 at 337; 1 and
// 2 centre drilling, 9 and 12 chamfering) and tool diameter (f64 at 349); a description item's diameter
// (f64 at 2), top Z (f64 at 10) and bottom Z (f64 at 18), Z along the hole axis in the view's coordinates.
std::uint32_t opeOperationType(const OPE_LIST& ope);
double opeToolDiameter(const OPE_LIST& ope);
void setOpeTool(OPE_LIST& ope, std::uint32_t type, double diameter);
double cilDescDiameter(const CIL_DESC& desc);
double cilDescZTop(const CIL_DESC& desc);
double cilDescZBottom(const CIL_DESC& desc);
void setCilDesc(CIL_DESC& desc, double diameter, double zTop, double zBottom);

// 1 when no view restriction is set or the reversed direction (a unit vector) is an allowed view in its
// own sense; else 0.
int isOppositeDirAllowed(const double direction[3]);
