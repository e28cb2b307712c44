// The fields of the recognition tree that the process tree, its menu, the points list and the groups of
// selected holes read and write: the display header of each record (requests for the next fill, on marks),
// the hole states the filters show, labels and the chain of identical holes. Until the engine names them in
// the records they sit at fixed image offsets of the work areas (docs/seams.md); this is the one place that
// knows where.
#pragma once
#include <cstdint>
#include <string>

#include "plugin/engine/ope_list.h"
#include "plugin/recognition/tree.h"

// The state bits of the tree's filters (PLUGIN_GLOBALS::processTreeFlags); 0x40 selects nothing.
enum : std::uint32_t {
    kStateAdapted = 0x1,
    kStateCrashInto = 0x2,
    kStateNoMeasures = 0x4,
    kStateNoProblem = 0x8,
    kStateDepth = 0x10,
    kStateChamfer = 0x20,
    kStateProvisional = 0x80,
    kStateNotAccessible = 0x100,
    kStateToolMissing = 0x200,
    kStateToolCreated = 0x400,
};

// ---- header marks ------------------------------------------------------------------------------------------
std::uint8_t showOnFill(const VIEW_LIST& v);
std::uint8_t showOnFill(const POINT_LIST& p);
std::uint8_t showOnFill(const OPE_LIST& o);
void setShowOnFill(VIEW_LIST& v, std::uint8_t on);
void setShowOnFill(POINT_LIST& p, std::uint8_t on);
void setShowOnFill(OPE_LIST& o, std::uint8_t on);
std::uint8_t expandOnFill(const VIEW_LIST& v);
std::uint8_t expandOnFill(const POINT_LIST& p);
void setExpandOnFill(VIEW_LIST& v, std::uint8_t on);
void setExpandOnFill(POINT_LIST& p, std::uint8_t on);
std::uint8_t highlightOnFill(const POINT_LIST& p);
void setHighlightOnFill(POINT_LIST& p, std::uint8_t on);

// ---- on marks and selection words (with the copies that a group of selected holes restores) -------------
std::uint16_t viewSelected(const VIEW_LIST& v);
void setViewSelected(VIEW_LIST& v, std::uint16_t value);
std::uint16_t viewSelectedSaved(const VIEW_LIST& v);
void setViewSelectedSaved(VIEW_LIST& v, std::uint16_t value);
std::uint16_t treeChecked(const POINT_LIST& p);
void setTreeChecked(POINT_LIST& p, std::uint16_t value);
std::uint16_t holeSelected(const POINT_LIST& p);
void setHoleSelected(POINT_LIST& p, std::uint16_t value);
std::uint16_t holeSelected2(const POINT_LIST& p);   // the points list's tick
void setHoleSelected2(POINT_LIST& p, std::uint16_t value);
std::uint16_t holeSelectedSaved(const POINT_LIST& p);
std::uint16_t holeSelected2Saved(const POINT_LIST& p);
void setHoleSelectedSaved(POINT_LIST& p, std::uint16_t selected, std::uint16_t selected2);
std::uint16_t opeActive(const OPE_LIST& o);
void setOpeActive(OPE_LIST& o, std::uint16_t value);

// ---- hole states (Part of the engine's assignment and checks) ----------------------------------------------
std::int16_t adaptedRow(const POINT_LIST& p);        // -1 when the form was matched exactly
std::int16_t noMeasures(const POINT_LIST& p);        // 1 when the table has no row of measures for the hole
std::uint8_t depthChecked(const POINT_LIST& p);
std::uint8_t chamferCheck(const POINT_LIST& p);
std::uint8_t provisionalRow(const POINT_LIST& p);
std::uint8_t notAccessible(const POINT_LIST& p);
std::uint8_t noProblem(const POINT_LIST& p);
void setNoProblem(POINT_LIST& p, std::uint8_t on);
std::uint32_t toolMissing(const POINT_LIST& p);
std::uint32_t toolCreated(const POINT_LIST& p);
void setToolStates(POINT_LIST& p, std::uint32_t missing, std::uint32_t created);
// For tests and the engine's assignment until it names these: writes one state (one of the kState bits but
// kStateNoProblem and the two tool states; kStateAdapted and kStateNoMeasures take the value as given).
void setHoleState(POINT_LIST& p, std::uint32_t state, std::int16_t value);
// Whether the hole has the state of the bit (the filters' rule).
bool holeHasState(const POINT_LIST& p, std::uint32_t bit);
// Whether the hole meets the filter word: one of its states has its bit set.
bool holeMeetsFilter(const POINT_LIST& p, std::uint32_t filter);

// ---- chains of identical holes -----------------------------------------------------------------------------
inline bool chainFollower(const POINT_LIST& p) { return p.chainMember != 0; }
inline POINT_LIST* nextInChain(const POINT_LIST& p) { return p.chainNext; }

// ---- texts and per-view options -------------------------------------------------------------------------------
std::string holeText(const POINT_LIST& p);
void setHoleText(POINT_LIST& p, const std::string& text);
std::string opeComment(const OPE_LIST& o);
std::int32_t opeToolIndex(const OPE_LIST& o);
std::uint8_t opeNewTool(const OPE_LIST& o);
std::uint8_t opeToolChangedByUser(const OPE_LIST& o);
std::int16_t viewGroupNumber(const VIEW_LIST& v);
std::uint8_t viewGroupMember(const VIEW_LIST& v);
std::uint8_t clearanceStartEnd(const VIEW_LIST& v);
void setClearanceStartEnd(VIEW_LIST& v, std::uint8_t on);
std::uint8_t holeRemoved(const POINT_LIST& p);
// The hole's process table by name ("" for none) and its row of measures (-1 for none).
std::string holeTableName(const POINT_LIST& p);
void setHoleTableName(POINT_LIST& p, const std::string& name);
std::int16_t holeRow(const POINT_LIST& p);
void setHoleRow(POINT_LIST& p, std::int16_t row);
