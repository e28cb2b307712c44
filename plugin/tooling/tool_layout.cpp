// Tool layout. D is an entry's diameter, x its reach: its depth below the hole's mouth (plus its highest
// hill with "ToolSelectionCriteria" item 5), L a tool's compared length; items 1, 2 and 4 of
// "ToolSelectionCriteria" are multiples of D: the length margin, the window's width and the flute margin.
#include "plugin/base/tool_types.h"
#include "plugin/model/ope_list.h"
#include "plugin/model/tab_cols_desc.h"
#include "plugin/model/tree.h"
#include "plugin/services/tooling.h"
#include "plugin/tooling/tool_layout.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <set>
#include <string>

#include "platform/sys/paths.h"
#include "platform/ui/message_box.h"
#include "plugin/base/globals.h"
#include "plugin/base/text_fill.h"
#include "plugin/base/utilities.h"
#include "plugin/base/cycle_names.h"
#include "plugin/tooling/equal_holes.h"
#include "plugin/model/ope_list.h"
#include "plugin/tooling/tool_library.h"
#include "plugin/tooling/tools_log.h"

namespace {

using DIAM_SORT = TreeToolsLayout::DIAM_SORT;
using TOOLS_SELECTION = TreeToolsLayout::TOOLS_SELECTION;
using GROUP = TreeToolsLayout::GROUP;

struct CRITERIA {
    double margin = 1, window = 8, fluteMargin = 1;
    bool hill = true, fluteCheck = true, makeMissing = true, currentList = false, namedSpot = false;
    std::string spotName;
};

CRITERIA criteria() {
    CRITERIA c;
    if (!g_globals.constructed()) return c;
    const PRM_SETTINGS& s = g_globals->settings;
    c.margin = s.minToolLengthFactor;
    c.window = s.maxToolLengthFactor;
    c.fluteMargin = s.minFluteLengthFactor;
    c.hill = s.useHighestHill != 0;
    c.fluteCheck = s.checkFluteLength != 0;
    c.makeMissing = s.takeNearestTool != 0;
    c.currentList = s.keepPartTools != 0;
    c.namedSpot = s.overrideSpotDrill != 0 && s.spotDrillByName == 1;
    c.spotName = s.spotDrillName;
    return c;
}

bool metricUnits() { return g_globals.constructed() ? g_globals->metric() : current_version[7] == 1; }

double baseDepth(const DIAM_SORT& e, const CRITERIA& c) { return e.depth + (c.hill ? e.highestHill : 0); }

std::string toolText(const DIAM_SORT& e) {
    return fieldText(e.operation->altToolName);
}
std::int16_t material(const DIAM_SORT& e) { return e.operation->material; }

std::vector<TOOLS_SELECTION> candidatesFor(const DIAM_SORT& e, std::int16_t type, double diameter, double radius) {
    std::vector<TOOLS_SELECTION> out;
    collectCandidateTools(configuredToolLibrary(), criteria().currentList ? 1 : 0, out, type, diameter,
                                        toolText(e), radius, material(e));
    return out;
}

void assign(DIAM_SORT& e, const TOOLS_SELECTION& c) {
    e.tool = c.tool;
    e.found = 1;
    e.toolCreated = c.source == TreeToolsLayout::kFromToolArray ? 1 : 0;
    e.inLibrary = 0;
}

// The window of lengths of an entry: (lo, hi).
void window(const DIAM_SORT& e, const CRITERIA& c, double* lo, double* hi) {
    const double T = g_tolerances.tolT;
    *lo = c.margin * e.diameter + baseDepth(e, c) - T;
    *hi = c.window * e.diameter + *lo + T;
}

// Mode 1 takes any tool longer than the hole's base depth plus one diameter; mode 0 the window, whose upper
// bound caps a tool's length: a longer library tool is not taken, one of the window's low end is made.
constexpr double kNoLimit = 10000000000.0;

void lengthWindow(const DIAM_SORT& e, const CRITERIA& c, int mode, double* lo, double* hi) {
    if (mode == 0) {
        window(e, c, lo, hi);
        return;
    }
    *lo = baseDepth(e, c) + e.diameter;
    *hi = kNoLimit;
}

// Mode 0 compares the length the settings name, mode 1 the flutes.
double lengthOf(const tp_tool& t, int mode) { return mode == 0 ? comparedLength(t) : t.fluteLength; }

// The first candidate, in length order, whose length lies in (lo, hi) and, in mode 0 when that is checked,
// whose flutes cut the depth and the flute margin more.
const TOOLS_SELECTION* firstFitting(const std::vector<TOOLS_SELECTION>& candidates, const DIAM_SORT& e,
                                    const CRITERIA& c, int mode, double lo, double hi) {
    for (const TOOLS_SELECTION& t : candidates) {
        const double L = lengthOf(t.tool, mode);
        if (!(lo < L && L < hi)) continue;
        if (mode == 0 && c.fluteCheck && !(c.fluteMargin * e.diameter + e.depth < t.tool.fluteLength)) continue;
        return &t;
    }
    return nullptr;
}

// How far below the mouth a tool goes: the operation's bottom, a drill's point below it and, through the
// hole, the breakthrough. A made tool is never shorter: a run without a library tool of the diameter asks
// an entry much shallower than the run's first for its depth alone, short of the point.
double deepestReach(const DIAM_SORT& e) {
    const OPE_LIST& o = *e.operation;
    const double point = e.toolType == 3 && o.angle > 0 ? e.diameter / 2 / std::tan(o.angle / 2) : 0;
    return baseDepth(e, criteria()) + point + (o.through ? o.brkthr : 0);
}

double shortNumber(double value) {
    char text[64];
    std::snprintf(text, sizeof text, metricUnits() ? "%.2f" : "%.4f", value);
    return std::strtod(text, nullptr);
}

}  // namespace

void TreeToolsLayout::forEachDiameterRun(GROUP& group, STEP step) {
    const double T = g_tolerances.tolT;
    for (std::size_t first = 0; first < group.size();) {
        const auto longTool = group[first]->operation->longTool;
        std::size_t end = first + 1;
        while (end < group.size() && std::fabs(group[end]->diameter - group[first]->diameter) < T &&
               group[end]->operation->longTool == longTool)
            ++end;
        GROUP run(group.begin() + static_cast<std::ptrdiff_t>(first), group.begin() + static_cast<std::ptrdiff_t>(end));
        step(run);
        first = end;
    }
}

void TreeToolsLayout::chooseToolsForRun(GROUP& run) {
    if (run.empty()) return;
    const CRITERIA c = criteria();
    const DIAM_SORT& head = *run.front();
    const auto candidates = candidatesFor(head, head.toolType, head.diameter, head.operation->cornerRadius);
    if (candidates.empty()) {
        double running = c.margin * head.diameter + baseDepth(head, c);
        for (DIAM_SORT* e : run) {
            double lo, hi;
            window(*e, c, &lo, &hi);
            if (hi < running) running = baseDepth(*e, c);
            e->wantedLength = running;
        }
        return;
    }
    const TOOLS_SELECTION* held = nullptr;
    for (DIAM_SORT* e : run) {
        double lo, hi;
        window(*e, c, &lo, &hi);
        if (held && comparedLength(held->tool) <= hi) {
            assign(*e, *held);
            continue;
        }
        const TOOLS_SELECTION* chosen = firstFitting(candidates, *e, c, 0, lo, hi);
        if (!chosen) {
            e->wantedLength = lo;
            continue;
        }
        held = chosen;
        assign(*e, *held);
    }
}

void chooseToolsByDepth(GROUP& group) {
    const double T = g_tolerances.tolT;
    for (DIAM_SORT* e : group) {
        const auto candidates = candidatesFor(*e, e->toolType, e->diameter, 0);
        const auto it = std::find_if(candidates.begin(), candidates.end(),
                                     [&](const TOOLS_SELECTION& t) { return t.tool.fluteLength + T > e->depth; });
        if (it != candidates.end()) assign(*e, *it);
        else e->wantedLength = e->depth + e->diameter;
    }
}

void chooseSpotTools(GROUP& group, int mode) {
    const CRITERIA c = criteria();
    if (c.namedSpot) {
        tp_tool named;
        if (!findLibraryToolByName(2, c.spotName, &named) && !findLibraryToolByName(1, c.spotName, &named)) return;
        for (DIAM_SORT* e : group) {
            e->tool = named;
            e->found = 1;
            e->toolCreated = 0;
            e->inLibrary = 0;
        }
        return;
    }
    for (DIAM_SORT* e : group) {
        const auto candidates = candidatesFor(*e, e->toolType, e->diameter, 0);
        double lo, hi;
        lengthWindow(*e, c, mode, &lo, &hi);
        const TOOLS_SELECTION* chosen = firstFitting(candidates, *e, c, mode, lo, hi);
        if (!chosen) {
            e->wantedLength = lo;
            continue;
        }
        assign(*e, *chosen);
        e->toolCreated = 0;
    }
}

// Every tap of the thread's pitch is taken in turn, so the last in length order stays, however short, as
// long as its flutes reach the thread's bottom from the hole's mouth: one whose flutes stop short leaves the
// thread unfinished, and a tap of the window's low end is made instead.
void chooseTapTools(GROUP& group) {
    const bool metric = metricUnits();
    const CRITERIA c = criteria();
    const double T = g_tolerances.tolT;
    for (DIAM_SORT* e : group) {
        const double wanted = e->operation->pitch;
        bool any = false;
        for (const TOOLS_SELECTION& t : candidatesFor(*e, e->toolType, e->diameter, 0)) {
            const double pitch = metric ? t.tool.pitch : (t.tool.pitch != 0 ? 1 / t.tool.pitch : 0);
            if (std::fabs(pitch - wanted) < g_tolerances.tol04T && t.tool.fluteLength + T > e->depth) {
                assign(*e, t);
                any = true;
            }
        }
        if (any) continue;
        double lo, hi;
        window(*e, c, &lo, &hi);
        e->wantedLength = lo;
    }
}

// The taper and corner-rounding steps ask the library for the operation's tool diameter, the one a run fills
// for these types: the tip diameter the rule starts from is filled for chamfer mills only, so no library
// tool of either kind was ever found. A taper mill's diameter is its tip, with which the process worked out
// the operation's Z limits and the cone's profile, and which a made one takes; adding the cone's growth over
// its height, as the rule does, would ask for a tool wider at the tip than that.
// The cone's full angle in degrees is held against a taper mill's flank angle (a half angle, in degrees).
void chooseTaperMillTools(GROUP& group) {
    for (DIAM_SORT* e : group) {
        const double coneDeg = e->operation->angleDeg;
        const double h = e->operation->zSup - e->operation->zInf;
        bool any = false;
        for (const TOOLS_SELECTION& t : candidatesFor(*e, 17, e->diameter, 0)) {
            if (std::fabs(2 * t.tool.angle - coneDeg) < 0.05) {
                assign(*e, t);
                any = true;
            }
        }
        if (!any) e->wantedLength = h;
    }
}

void chooseCornerRadiusTools(GROUP& group) {
    for (DIAM_SORT* e : group) {
        const double R = e->operation->cornerRadius;
        bool any = false;
        for (const TOOLS_SELECTION& t : candidatesFor(*e, 15, e->diameter, R)) {
            if (std::fabs(t.tool.cornerRadius - R) < g_tolerances.tolT) {
                assign(*e, t);
                any = true;
            }
        }
        if (!any) e->wantedLength = R + g_tolerances.tol4T;
    }
}

void chooseChamferTools(GROUP& group, int mode) {
    if (group.empty()) return;
    const CRITERIA c = criteria();
    const DIAM_SORT& head = *group.front();
    const auto candidates = candidatesFor(head, head.toolType, head.diameter, 0);
    auto widthOf = [](const tp_tool& t) { return (t.diameter - t.shapeValue) / 2; };
    const TOOLS_SELECTION* held = nullptr;
    for (DIAM_SORT* e : group) {
        const double w = (e->operation->chamferDiam - e->operation->milledDiam) / 2;
        double lo, hi;
        lengthWindow(*e, c, mode, &lo, &hi);
        if (held && !(widthOf(held->tool) - w > 10 * w) && !(lengthOf(held->tool, mode) > hi)) {
            assign(*e, *held);
            continue;
        }
        held = nullptr;
        for (const TOOLS_SELECTION& t : candidates) {
            const double cw = widthOf(t.tool), L = lengthOf(t.tool, mode);
            if (cw > w && cw - w < 10 * w && lo < L && L < hi) {
                held = &t;
                break;
            }
        }
        if (held) assign(*e, *held);
        else e->wantedLength = lo;
    }
}

bool TreeToolsLayout::makeMissingTool(const DIAM_SORT& e, tp_tool& out) {
    const bool metric = metricUnits();
    std::vector<tp_tool> tools;
    int nearest = collectLibraryTools(configuredToolLibrary(), e.toolType, e.diameter, tools);
    if (tools.empty()) nearest = collectLibraryTools(bigToolLibrary(metric), e.toolType, e.diameter, tools);
    // Nothing of the type in either library: there is no tool to make this one from.
    if (tools.empty()) return false;
    const double T = g_tolerances.tolT, T4 = g_tolerances.tol4T, T40 = 40 * g_tolerances.tolT;
    const OPE_LIST& o = *e.operation;
    tp_tool t = tools[static_cast<std::size_t>(nearest)];
    // On the step below: a made tool never cuts wider than the diameter it is made for.
    t.diameter = floorToStep(e.diameter, T);
    t.material = o.material;
    // The operation keeps its full tip angle; the tool record keeps the angle its type stores.
    const double angleDeg = shortNumber(toolAngleDeg(t.type, o.angle / 2));
    switch (t.type) {
    case 4: case 5: {
        const double pitch = o.pitch;
        t.pitch = metric ? pitch : (pitch != 0 ? roundToStep(1 / pitch, 0.5) : t.pitch);
        break;
    }
    case 7:
        if (t.angle < 0.1 || t.angle > 89) t.angle = 1.0;
        break;
    case 9: case 17:
        t.angle = angleDeg;
        break;
    case 12:
        t.angle = angleDeg;
        if (t.shapeValue > o.tipDiam) t.shapeValue = o.tipDiam;
        break;
    default:
        break;
    }
    t.cornerRadius = t.type == 11 ? shortNumber(e.diameter / 2) : o.cornerRadius;
    if (t.cornerRadius > g_tolerances.tol004T) t.subType = t.type == 11 ? 2 : 1;
    t.secondDiameter = t.type == 7 ? t.diameter - T4 : t.diameter;
    if (t.type == 17) {
        const double h = o.zSup - o.zInf;
        if (!o.processOpe || processAssociationIndex(*o.processOpe) == 0) {
            t.fluteLength = h + e.diameter;
            t.shoulderLength = t.fluteLength + T40;
            t.overallLength = t.shoulderLength + T40;
        } else {
            t.fluteLength = h;
            t.shoulderLength = h + g_tolerances.tol004T;
            // Above the cut: from its top up to the hole's mouth.
            const double aboveCut = e.depth - h;
            t.overallLength = t.shoulderLength + aboveCut + e.diameter;
        }
        if (criteria().hill) t.overallLength += e.highestHill;
        // The heights' last bits differ from view to view: unrounded, one tool made for a hole's two halves
        // would be two, each stored in the library.
        for (double* length : {&t.fluteLength, &t.shoulderLength, &t.overallLength}) *length = shortNumber(*length);
        t.option = 0;
    } else {
        const double L0 = ceilToStep(std::max(o.neededLength, deepestReach(e)), T40);
        t.fluteLength = L0;
        t.shoulderLength = L0 + T40;
        t.overallLength = L0 + 2 * T40;
    }
    const std::string named = fieldText(o.toolName);
    if (!named.empty()) {
        std::snprintf(t.name, sizeof t.name, "%s", named.c_str());
    } else {
        const char* fmt = metric ? "%.2f" : "%.4f";
        char diameter[32], flute[32];
        std::snprintf(diameter, sizeof diameter, fmt, t.diameter);
        std::snprintf(flute, sizeof flute, fmt, t.fluteLength);
        const char* typeName = "";
        for (const TOOL_OP_TYPE* row = g_toolOpTypes; row->type >= 0; ++row)
            if (row->type == t.type) typeName = row->toolName;
        const char* materialName = "";
        for (const TOOL_MATERIAL& m : g_toolMaterials)
            if (m.id == t.material && t.material != 0) materialName = m.name;
        // Cut to the name field: a long type or material name loses its end, never the size.
        const std::string name = std::string("** ") + diameter + " x " + flute + " " + typeName + " " + materialName;
        std::memset(t.name, 0, sizeof t.name);
        std::memcpy(t.name, name.data(), std::min(name.size(), sizeof t.name - 1));
    }
    out = t;
    return true;
}

void TreeToolsLayout::numberTools(std::vector<DIAM_SORT>& entries, std::vector<tp_tool>& tools) {
    const double T = g_tolerances.tolT;
    std::int32_t counter = -1;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        DIAM_SORT& e = entries[i];
        OPE_LIST& o = *e.operation;
        if (e.found) {
            auto it = std::find(tools.begin(), tools.end(), e.tool);
            if (it == tools.end()) it = tools.insert(tools.end(), e.tool);
            o.toolIndex = static_cast<std::int32_t>(it - tools.begin());
            o.toolType = static_cast<std::uint32_t>(e.tool.type);
            o.newTool = e.toolCreated;
            o.toolInLibrary = e.inLibrary;
            o.toolNumber = 0;
            continue;
        }
        // Operations without a tool share a number when they would want the same one. Only operations
        // numbered in this run are looked at: the others still hold what an earlier run left.
        std::int32_t number = 0;
        const double wanted = o.wantedLength;
        for (std::size_t j = 0; j < i && number == 0; ++j) {
            const OPE_LIST& other = *entries[j].operation;
            const std::int32_t index = other.toolIndex;
            if (index < 0 && entries[j].toolType == e.toolType && std::fabs(entries[j].diameter - e.diameter) < T &&
                std::fabs(other.wantedLength - wanted) < 40 * T)
                number = index;
        }
        if (number == 0) number = counter--;
        o.toolIndex = number;
        o.active = 0;
    }
}

void TreeToolsLayout::printToolsList(const std::vector<tp_tool>& tools) {
    if (!g_toolsLog) return;
    std::fprintf(g_toolsLog, "\nLista de htas\n");
    for (std::size_t i = 0; i < tools.size(); ++i)
        std::fprintf(g_toolsLog, "T%02i %3i '%s'\n", static_cast<int>(i), tools[i].number, tools[i].name);
    std::fprintf(g_toolsLog, "\n");
    std::fflush(g_toolsLog);
}

void printRenumberedSequence(const std::vector<OPE_LIST*>& operations, const std::vector<tp_tool>& tools) {
    if (!g_toolsLog) return;
    std::fprintf(g_toolsLog, "\nSequencia de htas (renumeradas)\n");
    bool first = true;
    std::int32_t previous = 0;
    std::int64_t cycle = -1;
    for (const OPE_LIST* o : operations) {
        const std::int32_t index = o->toolIndex;
        const int type = static_cast<int>(o->toolType);
        if (first || index != previous) {
            first = false;
            previous = index;
            if (index < 0) {
                std::fprintf(g_toolsLog, "T%.2i %i not found\n", index, type);
                continue;
            }
            const tp_tool* t = static_cast<std::size_t>(index) < tools.size() ? &tools[static_cast<std::size_t>(index)] : nullptr;
            std::fprintf(g_toolsLog, "T%.2i %i '%16s' %.2f x %.2f\n", index, type, t ? t->name : "",
                         t ? t->diameter : 0.0, t ? t->fluteLength : 0.0);
            cycle = -1;
        }
        const auto opCycle = o->cycle;
        if (opCycle != cycle) {
            cycle = opCycle;
            const bool named = g_globals.constructed() && opCycle < static_cast<std::uint32_t>(g_globals->cycleNames.count);
            std::fprintf(g_toolsLog, "    Operacion: '%s'\n", named ? g_globals->cycleNames.entries[opCycle].name.c_str() : "");
        }
        const POINT_LIST* hole = o->point;
        const VIEW_LIST* view = hole ? hole->view : nullptr;
        std::fprintf(g_toolsLog, "    Plano: %i Capa: %i Seq: %i Forma: %i %40s:\n", view ? view->viewNumber : 0,
                     o->layer, view ? view->sortIndex : 0, o->holeRow,
                     hole ? fieldText(hole->description).c_str() : "");
        std::vector<const POINT_LIST*> chain;
        forEachEqualHole(o->point, [&](const POINT_LIST& equal) { chain.push_back(&equal); });
        std::fprintf(g_toolsLog, "        %i Puntos: (X%.2f Y%.2f)", static_cast<int>(chain.size()),
                     hole ? hole->ptView[0] : 0.0, hole ? hole->ptView[1] : 0.0);
        for (std::size_t k = 1; k < chain.size(); ++k)
            std::fprintf(g_toolsLog, " (X%.2f Y%.2f)", chain[k]->ptView[0], chain[k]->ptView[1]);
        std::fprintf(g_toolsLog, "\n");
    }
    std::fprintf(g_toolsLog, "\n");
    std::fflush(g_toolsLog);
}

void TreeToolsLayout::dumpLayout(const std::vector<DIAM_SORT>& entries, const char* title) {
    if (!g_globals.constructed() || g_globals->debugDumps != 1) return;
    char name[64];
    std::snprintf(name, sizeof name, "TL_%02i_%s.txt", dumpCounter++, title);
    std::FILE* f = std::fopen(plat::joinPath(g_globals->tmpDir, name).c_str(), "w");
    if (!f) return;
    for (const DIAM_SORT& e : entries) {
        const OPE_LIST& o = *e.operation;
        std::fprintf(f, "diam=%.2f depth=%.2f ty=%.02i, hHill=%.2f tlLength=%.2f tlMaterial=%i tlName='%s'\n",
                     e.diameter, e.depth, e.toolType, e.highestHill, e.wantedLength, o.material,
                     fieldText(o.altToolName).c_str());
        std::fprintf(f, "    %i points:", o.pointCount);
        if (o.point)
            forEachEqualHole(o.point, [&](const POINT_LIST& equal) { std::fprintf(f, " (Z=%.2f)", equal.ptView[2]); });
        std::fprintf(f, "\n");
    }
    std::fclose(f);
}

std::unique_ptr<CToolsLayout> makeToolsLayout() { return std::make_unique<TreeToolsLayout>(); }

int TreeToolsLayout::layoutTools(VIEW_LIST* views, std::vector<tp_tool>& tools, const OP_CYCLE_LIST& cycles,
                              std::int16_t, std::int16_t, std::int16_t selectedOnly) {
    return layout(views, tools, cycles, selectedOnly, true);
}

int TreeToolsLayout::layoutToolsNoDump(VIEW_LIST* views, std::vector<tp_tool>& tools, const OP_CYCLE_LIST& cycles,
                                    std::int16_t, std::int16_t, std::int16_t selectedOnly) {
    return layout(views, tools, cycles, selectedOnly, false);
}

int TreeToolsLayout::layout(VIEW_LIST* views, std::vector<tp_tool>& tools, const OP_CYCLE_LIST& cycles,
                         std::int16_t selectedOnly, bool lengthWindow) {
    std::vector<DIAM_SORT> entries;
    buildDiamSort(views, cycles, selectedOnly, entries);
    resolveNamedTools(entries);
    sortByOperationOrder(entries);
    if (lengthWindow) dumpLayout(entries, "dSortData");
    auto runType = [&](std::int16_t type) {
        std::vector<GROUP> groups;
        splitByToolType(entries, type, groups);
        for (GROUP& g : groups) {
            if (lengthWindow && (type == 9 || type == 12)) sortByChamferWidth(g);
            else sortByDiameterDepth(g);
            switch (type) {
            case 1: case 2: chooseSpotTools(g, lengthWindow ? 0 : 1); break;
            case 4: case 5: chooseTapTools(g); break;
            case 9: case 12: chooseChamferTools(g, lengthWindow ? 0 : 1); break;
            case 15: chooseCornerRadiusTools(g); break;
            case 17: chooseTaperMillTools(g); break;
            default:
                if (lengthWindow) forEachDiameterRun(g, chooseToolsForRun);
                else chooseToolsByDepth(g);
                break;
            }
        }
    };
    if (lengthWindow) {
        for (std::int16_t type : {3, 10, 19, 11, 2, 1, 9, 12, 4, 5, 6, 7, 8, 17, 15}) runType(type);
    } else {
        for (const TOOL_OP_TYPE* row = g_toolOpTypes; row->type >= 0; ++row)
            runType(static_cast<std::int16_t>(row->type));
    }
    if (lengthWindow) dumpLayout(entries, "dSortedData");
    const CRITERIA c = criteria();
    const double step = lengthWindow ? 40 * g_tolerances.tolT : g_tolerances.tol4T;
    std::set<std::string> told;
    for (DIAM_SORT& e : entries) {
        if (e.found || e.toolCreated) continue;
        OPE_LIST& o = *e.operation;
        const double wanted = ceilToStep(baseDepth(e, c) + e.diameter, step);
        if (e.namedTool || !c.makeMissing) {
            o.wantedLength = wanted;
            continue;
        }
        o.neededLength = e.wantedLength;
        tp_tool made;
        if (!makeMissingTool(e, made)) {
            o.wantedLength = wanted;
            continue;
        }
        if (const std::string why = tool_values_why(made); !why.empty()) {
            tellUnmadeTool(o, why, told);
            o.wantedLength = wanted;
            continue;
        }
        e.tool = made;
        e.found = 1;
        e.toolCreated = 1;
        e.inLibrary = 0;
    }
    numberTools(entries, tools);
    printToolsList(tools);
    return 0;
}
