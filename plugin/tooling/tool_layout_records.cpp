// Tool layout records and candidate tools. Tolerance comparisons are no strict order, so every sort here
// is a stable merge sort, which keeps equal entries in their order and stays within bounds.
#include "plugin/model/ope_list.h"
#include "plugin/model/tool_records.h"
#include "plugin/model/tree.h"
#include "plugin/services/tooling.h"
#include "plugin/tooling/tool_layout_records.h"

#include <algorithm>
#include <cmath>

#include "platform/sys/paths.h"
#include "plugin/base/globals.h"
#include "plugin/base/utilities.h"
#include "plugin/base/cycle_names.h"
#include "plugin/tooling/equal_holes.h"
#include "plugin/model/ope_list.h"
#include "plugin/tooling/tool_library.h"

namespace {

int differs(double a, double b, double tolerance) {
    if (std::fabs(a - b) < tolerance) return 0;
    return a < b ? -1 : 1;
}

const PRM_SETTINGS* settings() { return g_globals.constructed() ? &g_globals->settings : nullptr; }

}  // namespace

std::vector<tp_tool>& partToolArray() {
    static std::vector<tp_tool> none;
    if (g_toolsArray.constructed()) return *g_toolsArray;
    none.clear();
    return none;
}

bool sameToolRecord(const tp_tool& a, const tp_tool& b) {
    tp_tool x = a, y = b;
    x.extra = y.extra = 0;
    return x == y;
}

double comparedLength(const tp_tool& t) {
    switch (settings() ? settings()->toolLengthKind : 1) {
    case 0: return t.overallLength;
    case 2: return t.fluteLength;
    default: return t.shoulderLength;
    }
}

void TreeToolsLayout::buildDiamSort(VIEW_LIST* views, const OP_CYCLE_LIST& cycles, std::int16_t selectedOnly,
                                 std::vector<DIAM_SORT>& out) const {
    for (VIEW_LIST* v = views; v; v = v->next) {
        if (selectedOnly && !v->selected) continue;
        for (POINT_LIST* p = v->firstPoint; p; p = p->next) {
            if (p->excluded == 1) continue;
            if (selectedOnly && !p->selected) continue;
            for (OPE_LIST* o = p->opeList; o; o = o->next) {
                if (selectedOnly && !o->active) continue;
                DIAM_SORT e;
                e.operation = o;
                const auto cycle = o->cycle;
                if (cycle < static_cast<std::uint32_t>(cycles.count) && cycles.entries[cycle].milled)
                    e.sequence = static_cast<std::int16_t>(cycles.entries[cycle].number + 1);
                e.namedTool = !fieldText(o->toolName).empty();
                e.toolType = static_cast<std::int16_t>(o->toolType);
                e.diameter = o->toolDiam;
                // The reach is the hole's own: from its mouth (the view's highest top is a height to
                // move at, not material over this hole) down to the bottom, and the material standing
                // over the mouths of its chain once. Equal holes have equal depths below their tops.
                const double top = std::max(p->ptView[2], o->zSup);
                e.depth = top - o->zInf;
                forEachEqualHole(p, [&](const POINT_LIST& equal) {
                    e.highestHill = std::max(e.highestHill, equal.hillT);
                });
                out.push_back(e);
            }
        }
    }
}

void resolveNamedTools(std::vector<TreeToolsLayout::DIAM_SORT>& entries) {
    for (TreeToolsLayout::DIAM_SORT& e : entries) {
        if (!e.namedTool) continue;
        tp_tool t;
        if (!findLibraryToolByName(0, fieldText(e.operation->toolName), &t))
            continue;
        e.tool = t;
        e.found = 1;
        e.toolCreated = 0;
        e.inLibrary = 0;
    }
}

void TreeToolsLayout::sortByOperationOrder(std::vector<DIAM_SORT>& entries) {
    std::stable_sort(entries.begin(), entries.end(), [](const DIAM_SORT& a, const DIAM_SORT& b) {
        return a.operation->material < b.operation->material;
    });
}

void TreeToolsLayout::splitByToolType(std::vector<DIAM_SORT>& entries, std::int16_t type, std::vector<GROUP>& groups) {
    const DIAM_SORT* previous = nullptr;
    for (DIAM_SORT& e : entries) {
        if (e.namedTool || e.toolType != type) continue;
        if (!previous) {
            groups.emplace_back();
        } else {
            const OPE_LIST& a = *previous->operation;
            const OPE_LIST& b = *e.operation;
            if (!plat::equalsNoCase(fieldText(a.altToolName), fieldText(b.altToolName)))
                groups.emplace_back();
            if (a.material != b.material)
                groups.emplace_back();
        }
        groups.back().push_back(&e);
        previous = &e;
    }
}

void TreeToolsLayout::sortByDiameterDepth(GROUP& group) {
    const bool hill = settings() && settings()->useHighestHill;
    const double T = g_tolerances.tolT;
    std::stable_sort(group.begin(), group.end(), [&](const DIAM_SORT* a, const DIAM_SORT* b) {
        if (int k = differs(a->diameter, b->diameter, T)) return k < 0;
        const double xa = a->depth + (hill ? a->highestHill : 0), xb = b->depth + (hill ? b->highestHill : 0);
        return differs(xb, xa, T) < 0;
    });
}

// Narrow chamfers first.
void sortByChamferWidth(TreeToolsLayout::GROUP& group) {
    auto width = [](const TreeToolsLayout::DIAM_SORT* e) {
        return e->operation->chamferDiam - e->operation->milledDiam;
    };
    std::stable_sort(group.begin(), group.end(), [&](const auto* a, const auto* b) {
        return differs(width(a), width(b), g_tolerances.tol4T) < 0;
    });
}

bool toolMatchesCriteria(const tp_tool& t, std::int16_t type, double diameter, const std::string& text, double radius,
                         std::int16_t material) {
    const double T = g_tolerances.tolT;
    if (t.type != type || std::fabs(t.diameter - diameter) > T) return false;
    if (!text.empty() && findNoCaseStr(t.name, text) < 0) return false;
    if (material != 0 && t.material != material) return false;
    const bool radiusOk = std::fabs(t.cornerRadius - radius) <= T;
    switch (type) {
    case 19: case 15: return radiusOk;
    case 11: return t.subType == 2 && radiusOk;
    default: return true;
    }
}

void collectCandidateTools(const std::string& library, std::int16_t currentList,
                           std::vector<CToolsLayout::TOOLS_SELECTION>& out, std::int16_t type, double diameter,
                           const std::string& text, double radius, std::int16_t material) {
    using TOOLS_SELECTION = CToolsLayout::TOOLS_SELECTION;
    auto take = [&](const std::vector<tp_tool>& tools, std::int16_t source, bool unlessPresent) {
        for (const tp_tool& t : tools) {
            if (!toolMatchesCriteria(t, type, diameter, text, radius, material)) continue;
            if (unlessPresent && std::any_of(out.begin(), out.end(), [&](const TOOLS_SELECTION& c) {
                    return sameToolRecord(c.tool, t);
                }))
                continue;
            out.push_back({t, source});
        }
    };
    if (currentList) take(loadToolList(""), CToolsLayout::kFromCurrentList, false);
    take(loadLibraryTools(library), CToolsLayout::kFromLibrary, false);
    take(partToolArray(), CToolsLayout::kFromToolArray, true);
    TreeToolsLayout::sortCandidatesByLength(out);
}

void TreeToolsLayout::sortCandidatesByLength(std::vector<TOOLS_SELECTION>& candidates) {
    std::stable_sort(candidates.begin(), candidates.end(), [](const TOOLS_SELECTION& a, const TOOLS_SELECTION& b) {
        return differs(comparedLength(a.tool), comparedLength(b.tool), g_tolerances.tolT) < 0;
    });
}

void sortToolsByDiameter(std::vector<tp_tool>& tools) {
    std::stable_sort(tools.begin(), tools.end(), [](const tp_tool& a, const tp_tool& b) {
        return differs(a.diameter, b.diameter, g_tolerances.tolT) < 0;
    });
}

int TreeToolsLayout::collectLibraryTools(const std::string& library, std::int16_t type, double diameter,
                                      std::vector<tp_tool>& out) {
    for (const tp_tool& t : loadLibraryTools(library))
        if (t.type == type) out.push_back(t);
    sortToolsByDiameter(out);
    if (out.empty()) return 0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        if (out[i].diameter <= diameter) continue;
        if (i > 0 && out[i].diameter - diameter > diameter - out[i - 1].diameter) return static_cast<int>(i - 1);
        return static_cast<int>(i);
    }
    return static_cast<int>(out.size() - 1);
}
