// Image offsets of the process tree's fields in the records' work areas.
#include "plugin/engine/process_tree_fields.h"

#include <cstring>

#include "plugin/tooling/record_fields.h"

namespace {

// View: the header's requests at 6 and 7, the saved selection, the clearance option and the group flag in
// the area at 14 (behind the tool-path group number and the sort index).
constexpr std::size_t kViewShow = 6 - 2, kViewExpand = 7 - 2;
constexpr std::size_t kViewSelectedSaved = 18 - 14, kViewClearance = 20 - 14, kViewGroupMember = 21 - 14;
// Hole: the header's requests at 6 to 8 and the on mark at 9; behind the label the second selection word,
// the saved copies and the table name.
constexpr std::size_t kHoleShow = 6, kHoleHighlight = 7, kHoleExpand = 8, kHoleChecked = 9,
                      kHoleSelected2 = 78, kHoleSelectedSaved = 80, kHoleSelected2Saved = 82, kHoleRow = 84,
                      kHoleTableName = 86, kTableNameSize = 32;
// Operation: the request at 6 beside the on mark; the user's tool change beside the layout's new-tool flag.
constexpr std::size_t kOpeShow = 6, kOpeToolChanged = 751, kOpeCommentSize = ope_field::cycle - ope_field::name;

template <class T>
T read(const std::uint8_t* at) {
    T value{};
    std::memcpy(&value, at, sizeof value);
    return value;
}
template <class T>
void write(std::uint8_t* at, T value) {
    std::memcpy(at, &value, sizeof value);
}

}  // namespace

std::uint8_t showOnFill(const VIEW_LIST& v) { return v.area2[kViewShow]; }
std::uint8_t showOnFill(const POINT_LIST& p) { return getWork<std::uint8_t>(p, kHoleShow); }
std::uint8_t showOnFill(const OPE_LIST& o) { return getWork<std::uint8_t>(o, kOpeShow); }
void setShowOnFill(VIEW_LIST& v, std::uint8_t on) { v.area2[kViewShow] = on; }
void setShowOnFill(POINT_LIST& p, std::uint8_t on) { setWork(p, kHoleShow, on); }
void setShowOnFill(OPE_LIST& o, std::uint8_t on) { setWork(o, kOpeShow, on); }
std::uint8_t expandOnFill(const VIEW_LIST& v) { return v.area2[kViewExpand]; }
std::uint8_t expandOnFill(const POINT_LIST& p) { return getWork<std::uint8_t>(p, kHoleExpand); }
void setExpandOnFill(VIEW_LIST& v, std::uint8_t on) { v.area2[kViewExpand] = on; }
void setExpandOnFill(POINT_LIST& p, std::uint8_t on) { setWork(p, kHoleExpand, on); }
std::uint8_t highlightOnFill(const POINT_LIST& p) { return getWork<std::uint8_t>(p, kHoleHighlight); }
void setHighlightOnFill(POINT_LIST& p, std::uint8_t on) { setWork(p, kHoleHighlight, on); }

std::uint16_t viewSelected(const VIEW_LIST& v) { return getWork<std::uint16_t>(v, view_field::selected); }
void setViewSelected(VIEW_LIST& v, std::uint16_t value) { setWork(v, view_field::selected, value); }
std::uint16_t viewSelectedSaved(const VIEW_LIST& v) { return read<std::uint16_t>(v.area14 + kViewSelectedSaved); }
void setViewSelectedSaved(VIEW_LIST& v, std::uint16_t value) { write(v.area14 + kViewSelectedSaved, value); }
std::uint16_t treeChecked(const POINT_LIST& p) { return getWork<std::uint16_t>(p, kHoleChecked); }
void setTreeChecked(POINT_LIST& p, std::uint16_t value) { setWork(p, kHoleChecked, value); }
std::uint16_t holeSelected(const POINT_LIST& p) { return getWork<std::uint16_t>(p, point_field::selected); }
void setHoleSelected(POINT_LIST& p, std::uint16_t value) { setWork(p, point_field::selected, value); }
std::uint16_t holeSelected2(const POINT_LIST& p) { return getWork<std::uint16_t>(p, kHoleSelected2); }
void setHoleSelected2(POINT_LIST& p, std::uint16_t value) { setWork(p, kHoleSelected2, value); }
std::uint16_t holeSelectedSaved(const POINT_LIST& p) { return getWork<std::uint16_t>(p, kHoleSelectedSaved); }
std::uint16_t holeSelected2Saved(const POINT_LIST& p) { return getWork<std::uint16_t>(p, kHoleSelected2Saved); }
void setHoleSelectedSaved(POINT_LIST& p, std::uint16_t selected, std::uint16_t selected2) {
    setWork(p, kHoleSelectedSaved, selected);
    setWork(p, kHoleSelected2Saved, selected2);
}
std::uint16_t opeActive(const OPE_LIST& o) { return getWork<std::uint16_t>(o, ope_field::active); }
void setOpeActive(OPE_LIST& o, std::uint16_t value) { setWork(o, ope_field::active, value); }

// The states at the offsets the run statistics count them by.
std::int16_t adaptedRow(const POINT_LIST& p) { return p.tableIndex; }
std::int16_t noMeasures(const POINT_LIST& p) { return read<std::int16_t>(p.area302); }
std::uint8_t depthChecked(const POINT_LIST& p) { return p.area314[323 - 314]; }
std::uint8_t chamferCheck(const POINT_LIST& p) { return p.area314[0]; }
std::uint8_t provisionalRow(const POINT_LIST& p) {
    return static_cast<std::uint8_t>(p.measuresLine[502 - 425]);
}
std::uint8_t notAccessible(const POINT_LIST& p) { return p.area560[563 - 560]; }
std::uint8_t noProblem(const POINT_LIST& p) { return p.area422[0]; }
void setNoProblem(POINT_LIST& p, std::uint8_t on) { p.area422[0] = on; }
std::uint32_t toolMissing(const POINT_LIST& p) { return read<std::uint32_t>(p.area576); }
std::uint32_t toolCreated(const POINT_LIST& p) { return read<std::uint32_t>(p.area576 + 4); }
void setToolStates(POINT_LIST& p, std::uint32_t missing, std::uint32_t created) {
    write(p.area576, missing);
    write(p.area576 + 4, created);
}

void setHoleState(POINT_LIST& p, std::uint32_t state, std::int16_t value) {
    const auto byte = static_cast<std::uint8_t>(value);
    switch (state) {
    case kStateAdapted: p.tableIndex = value; break;
    case kStateCrashInto: p.crashInto = byte; break;
    case kStateNoMeasures: write(p.area302, value); break;
    case kStateDepth: p.area314[323 - 314] = byte; break;
    case kStateChamfer: p.area314[0] = byte; break;
    case kStateProvisional: p.measuresLine[502 - 425] = static_cast<char>(byte); break;
    case kStateNotAccessible: p.area560[563 - 560] = byte; break;
    default: break;
    }
}

bool holeHasState(const POINT_LIST& p, std::uint32_t bit) {
    switch (bit) {
    case kStateAdapted: return adaptedRow(p) >= 0;
    case kStateCrashInto: return p.crashInto != 0;
    case kStateNoMeasures: return noMeasures(p) == 1;
    case kStateNoProblem: return noProblem(p) != 0;
    case kStateDepth: return depthChecked(p) != 0;
    case kStateChamfer: return chamferCheck(p) != 0;
    case kStateProvisional: return provisionalRow(p) != 0;
    case kStateNotAccessible: return notAccessible(p) != 0;
    case kStateToolMissing: return toolMissing(p) != 0;
    case kStateToolCreated: return toolCreated(p) != 0;
    default: return false;
    }
}

bool holeMeetsFilter(const POINT_LIST& p, std::uint32_t filter) {
    for (std::uint32_t bit = 1; bit <= kStateToolCreated; bit <<= 1)
        if ((filter & bit) && holeHasState(p, bit)) return true;
    return false;
}

std::string holeText(const POINT_LIST& p) {
    return getWorkText(p, point_field::description, point_field::kDescriptionSize);
}
void setHoleText(POINT_LIST& p, const std::string& text) {
    setWorkText(p, point_field::description, point_field::kDescriptionSize, text);
}
std::string opeComment(const OPE_LIST& o) { return getWorkText(o, ope_field::name, kOpeCommentSize); }
std::int32_t opeToolIndex(const OPE_LIST& o) { return getWork<std::int32_t>(o, ope_field::toolIndex); }
std::uint8_t opeNewTool(const OPE_LIST& o) { return getWork<std::uint8_t>(o, ope_field::toolCreated); }
std::uint8_t opeToolChangedByUser(const OPE_LIST& o) { return getWork<std::uint8_t>(o, kOpeToolChanged); }
std::int16_t viewGroupNumber(const VIEW_LIST& v) { return getWork<std::int16_t>(v, view_field::toolPathGroup); }
std::uint8_t viewGroupMember(const VIEW_LIST& v) { return v.area14[kViewGroupMember]; }
std::uint8_t clearanceStartEnd(const VIEW_LIST& v) { return v.area14[kViewClearance]; }
void setClearanceStartEnd(VIEW_LIST& v, std::uint8_t on) { v.area14[kViewClearance] = on; }
std::uint8_t holeRemoved(const POINT_LIST& p) { return getWork<std::uint8_t>(p, point_field::excluded); }
std::string holeTableName(const POINT_LIST& p) { return getWorkText(p, kHoleTableName, kTableNameSize); }
void setHoleTableName(POINT_LIST& p, const std::string& name) { setWorkText(p, kHoleTableName, kTableNameSize, name); }
// Kept one up, so that the zero of a fresh record reads as no row.
std::int16_t holeRow(const POINT_LIST& p) { return static_cast<std::int16_t>(getWork<std::int16_t>(p, kHoleRow) - 1); }
void setHoleRow(POINT_LIST& p, std::int16_t row) { setWork(p, kHoleRow, static_cast<std::int16_t>(row + 1)); }
