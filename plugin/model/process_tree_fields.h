// The fields of the recognition tree that the process tree, its menu, the points list and the groups of
// selected holes use beyond the records' named members: the display header of each record (requests for
// the next fill, on marks and their saved copies) and a view's options. Until the engine names them they sit
// at fixed image offsets of the work areas (docs/seams.md); this is the one place that knows where. The
// filters' rule over the named hole states is here too.
#pragma once
#include <cstdint>

#include "plugin/model/ope_list.h"
#include "plugin/model/tree.h"

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

// Whether the hole has the state of the bit (the filters' rule), and whether it meets the filter word: one
// of its states has its bit set.
bool holeHasState(const POINT_LIST& p, std::uint32_t bit);
bool holeMeetsFilter(const POINT_LIST& p, std::uint32_t filter);

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
std::uint16_t holeSelectedSaved(const POINT_LIST& p);
std::uint16_t holeSelected2Saved(const POINT_LIST& p);
void setHoleSelectedSaved(POINT_LIST& p, std::uint16_t selected, std::uint16_t selected2);
std::uint8_t holeRemoved(const POINT_LIST& p);

// ---- chains of identical holes -----------------------------------------------------------------------------
inline bool chainFollower(const POINT_LIST& p) { return p.chainMember != 0; }
inline POINT_LIST* nextInChain(const POINT_LIST& p) { return p.nextEqual; }

// ---- per-view options ----------------------------------------------------------------------------------------
std::int16_t viewGroupNumber(const VIEW_LIST& v);
std::uint8_t viewGroupMember(const VIEW_LIST& v);
std::uint8_t clearanceStartEnd(const VIEW_LIST& v);
void setClearanceStartEnd(VIEW_LIST& v, std::uint8_t on);
