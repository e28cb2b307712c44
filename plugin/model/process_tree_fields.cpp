// Image offsets of the process tree's fields in the records' work areas, and the filters' rule.
#include "plugin/model/process_tree_fields.h"

#include <cstring>

#include "plugin/model/ope_list.h"
#include "plugin/model/record_fields.h"
#include "plugin/model/tree.h"

namespace {

// View: the header's requests at 6 and 7; the saved selection, the clearance option and the group flag in
// the area at 14 (behind the tool-path group number and the sort index).
constexpr std::size_t kViewShow = 6 - 2, kViewExpand = 7 - 2;
constexpr std::size_t kViewSelectedSaved = 18 - 14, kViewClearance = 20 - 14, kViewGroupMember = 21 - 14;
// Hole: the header's requests at 6 to 8 and the on mark at 9; the saved selection words at 246.
constexpr std::size_t kHoleShow = 6, kHoleHighlight = 7, kHoleExpand = 8, kHoleChecked = 9;
constexpr std::size_t kHoleSelectedSaved = 0, kHoleSelected2Saved = 2;

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

bool holeHasState(const POINT_LIST& p, std::uint32_t bit) {
    switch (bit) {
    case kStateAdapted: return p.adaptedRow >= 0;
    case kStateCrashInto: return p.crashInto != 0;
    case kStateNoMeasures: return p.noMeasures == 1;
    case kStateNoProblem: return p.noProblem != 0;
    case kStateDepth: return p.depthChecked != 0;
    case kStateChamfer: return p.chamferCheck != 0;
    case kStateProvisional: return p.provisionalRow != 0;
    case kStateNotAccessible: return p.notAccessible != 0;
    case kStateToolMissing: return p.toolMissing != 0;
    case kStateToolCreated: return p.toolCreated != 0;
    default: return false;
    }
}

bool holeMeetsFilter(const POINT_LIST& p, std::uint32_t filter) {
    for (std::uint32_t bit = 1; bit <= kStateToolCreated; bit <<= 1)
        if ((filter & bit) && holeHasState(p, bit)) return true;
    return false;
}

std::uint8_t showOnFill(const VIEW_LIST& v) { return v.area2[kViewShow]; }
std::uint8_t showOnFill(const POINT_LIST& p) { return getWork<std::uint8_t>(p, kHoleShow); }
std::uint8_t showOnFill(const OPE_LIST& o) { return o.area397[0]; }
void setShowOnFill(VIEW_LIST& v, std::uint8_t on) { v.area2[kViewShow] = on; }
void setShowOnFill(POINT_LIST& p, std::uint8_t on) { setWork(p, kHoleShow, on); }
void setShowOnFill(OPE_LIST& o, std::uint8_t on) { o.area397[0] = on; }
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
std::uint16_t holeSelectedSaved(const POINT_LIST& p) { return read<std::uint16_t>(p.area246 + kHoleSelectedSaved); }
std::uint16_t holeSelected2Saved(const POINT_LIST& p) { return read<std::uint16_t>(p.area246 + kHoleSelected2Saved); }
void setHoleSelectedSaved(POINT_LIST& p, std::uint16_t selected, std::uint16_t selected2) {
    write(p.area246 + kHoleSelectedSaved, selected);
    write(p.area246 + kHoleSelected2Saved, selected2);
}
std::uint8_t holeRemoved(const POINT_LIST& p) { return getWork<std::uint8_t>(p, point_field::excluded); }

std::int16_t viewGroupNumber(const VIEW_LIST& v) { return getWork<std::int16_t>(v, view_field::toolPathGroup); }
std::uint8_t viewGroupMember(const VIEW_LIST& v) { return v.area14[kViewGroupMember]; }
std::uint8_t clearanceStartEnd(const VIEW_LIST& v) { return v.area14[kViewClearance]; }
void setClearanceStartEnd(VIEW_LIST& v, std::uint8_t on) { v.area14[kViewClearance] = on; }
