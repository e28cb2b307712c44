// Best library tool. The pool sort compares measures within tolerances, which is no strict order; it is
// sorted with a merge sort, which stays within its bounds whatever the comparisons say.
#include "plugin/services/tooling.h"
#include "plugin/tooling/best_tool.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

#include "platform/ui/message_box.h"
#include "plugin/base/globals.h"
#include "plugin/base/utilities.h"
#include "plugin/tooling/tool_library.h"

namespace {

bool metricUnits() { return g_globals.constructed() ? g_globals->metric() : current_version[7] == 1; }

TOOL_POOL_ENTRY poolEntry(const tp_tool& t, bool metric) {
    TOOL_POOL_ENTRY e;
    e.tool = t;
    e.diameter = t.diameter;
    e.firstLength = t.fluteLength;
    e.secondLength = t.shoulderLength;
    e.shapeValue = t.type == 12 ? t.shapeValue : 0;
    if (t.type == 15 || t.type == 19) e.pitchOrRadius = t.cornerRadius;
    else if (t.type == 4 || t.type == 5) e.pitchOrRadius = metric ? t.pitch : (t.pitch != 0 ? 1 / t.pitch : 0);
    e.angle = t.angle;
    e.material = t.material;
    return e;
}

// Appends the tools of the type from one list; `unitFlag` -1 takes any tool, else only tools with that flag.
void fill(std::vector<TOOL_POOL_ENTRY>& pool, const std::vector<tp_tool>& tools, std::int16_t type, int unitFlag,
          bool metric) {
    for (const tp_tool& t : tools) {
        if (pool.size() >= static_cast<std::size_t>(best_tool::kPoolSize)) return;
        if (t.type != type) continue;
        if (unitFlag >= 0 && (t.unitFlag != 0) != (unitFlag != 0)) continue;
        pool.push_back(poolEntry(t, metric));
    }
}

int differs(double a, double b, double tolerance) {
    if (std::fabs(a - b) < tolerance) return 0;
    return a < b ? -1 : 1;
}

void outOfMemory() {
    const std::string caption = errorMessage(1);
    plat::messageBox(nullptr, errorMessage(35), caption, plat::MB_OK | plat::MB_ICONERROR);
}

}  // namespace

int compareToolPool(const TOOL_POOL_ENTRY& a, const TOOL_POOL_ENTRY& b) {
    const double T = g_tolerances.tolT;
    if (int k = differs(a.diameter, b.diameter, T)) return k;
    if (int k = differs(b.shapeValue, a.shapeValue, T)) return k;
    if (int k = differs(a.pitchOrRadius, b.pitchOrRadius, T)) return k;
    const bool descending = g_globals.constructed() && g_globals->settings.preferLargerAngle == 1;
    if (int k = descending ? differs(b.angle, a.angle, 0.1) : differs(a.angle, b.angle, 0.1)) return k;
    return differs(a.firstLength, b.firstLength, g_tolerances.tol4T);
}

std::int32_t scoreToolPoolEntry(const TOOL_POOL_ENTRY& e, const WANTED_TOOL& w) {
    const double T = g_tolerances.tolT;
    std::int32_t score = 0;
    if (std::fabs(e.diameter - w.diameter) < T) score += 64;
    if (w.material == 0 || e.material == w.material) score += 32;
    if (!w.text || !*w.text || findNoCase(e.tool.name, w.text) >= 0) score += 16;
    if (w.shapeValue + T > e.shapeValue) score += 8;
    if (w.angle < 0.1 || std::fabs(e.angle - w.angle) < 0.1) score += 4;
    const bool tap = e.tool.type == 4 || e.tool.type == 5;
    if (tap ? std::fabs(e.pitchOrRadius - w.pitch) < g_tolerances.tol04T : std::fabs(e.pitchOrRadius - w.radius) < T)
        score += 2;
    if (w.minLength <= e.firstLength && e.firstLength <= w.maxLength && w.minSecondLength <= e.secondLength)
        score += 1;
    return score;
}

int findBestLibraryTool(const std::string& library, std::int16_t type, double diameter, double minLength,
                        double maxLength, double minSecondLength, double shapeValue, double radius, double angle,
                        double pitch, std::int16_t material, const char* text, tp_tool* out) {
    const bool constructed = g_globals.constructed();
    if (constructed && (type == 1 || type == 2) && g_globals->settings.overrideSpotDrill != 0 &&
        g_globals->settings.spotDrillByName == 1) {
        tp_tool named;
        const std::string& name = g_globals->settings.spotDrillName;
        if (findLibraryToolByName(2, name, &named) || findLibraryToolByName(1, name, &named)) {
            if (out) *out = named;
            return 0;
        }
        return 5;
    }
    const bool metric = metricUnits();
    std::vector<TOOL_POOL_ENTRY> pool;
    int source = 0;
    try {
        fill(pool, loadToolList(""), type, -1, metric);
        std::vector<tp_tool> read;   // the kept tools are not copied
        fill(pool, libraryTools(library, read), type, -1, metric);
        if (!pool.empty()) {
            source = 0;
        } else {
            fill(pool, libraryTools(bigToolLibrary(metric), read), type, metric ? 1 : 0, metric);
            source = 2;
        }
    } catch (const std::bad_alloc&) {
        outOfMemory();
        return -1;
    }
    if (pool.empty()) return 4;
    std::stable_sort(pool.begin(), pool.end(),
                     [](const TOOL_POOL_ENTRY& a, const TOOL_POOL_ENTRY& b) { return compareToolPool(a, b) < 0; });
    WANTED_TOOL wanted{type, diameter, minLength, maxLength, minSecondLength, shapeValue, radius, angle, pitch,
                       material, text};
    std::size_t best = 0;
    std::int32_t bestScore = 0;
    for (std::size_t i = 0; i < pool.size(); ++i) {
        pool[i].score = scoreToolPoolEntry(pool[i], wanted);
        if (pool[i].score > bestScore) {
            best = i;
            bestScore = pool[i].score;
        }
    }
    if (out) *out = pool[best].tool;
    return (bestScore == best_tool::kAllCriteria ? 0 : 1) + source;
}
