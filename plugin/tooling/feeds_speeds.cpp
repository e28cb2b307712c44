// Speeds and feeds. Values written to the tool are rounded by printing them with the unit's number of
// decimals and reading them back. What would divide by zero (a tool without diameter, an inch tap without
// threads per inch) leaves the value alone; a tool material without a row in the material's six-entry
// tables (above 6, such as "User") takes its percentages as 100 %; a spindle limit of 0 is no limit. A speed
// or feed beyond the rule of a tool's values (a diameter near 0, cutting data no tool has) leaves the tool's.
#include "plugin/tooling/feeds_speeds.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/sys/files.h"
#include "platform/sys/paths.h"
#include "plugin/base/globals.h"
#include "plugin/base/machine_info.h"

namespace {

constexpr double kPi = 3.141592653589793;

double rounded(double value, bool metric) {
    char text[64];
    std::snprintf(text, sizeof text, metric ? "%.3f" : "%.5f", value);
    return std::strtod(text, nullptr);
}

double factor(double percent) { return percent == 0 ? 1.0 : percent / 100.0; }

bool isTap(const tp_tool& t) { return t.type == 4 || t.type == 5; }

// The tap's feed per revolution: the pitch, or one over the threads per inch; false when there is none.
bool tapAdvance(const tp_tool& t, bool metric, double* advance) {
    if (metric) {
        *advance = t.pitch;
        return true;
    }
    if (t.pitch == 0) return false;
    *advance = 1.0 / t.pitch;
    return true;
}

void setFeeds(tp_tool& t, double feed) {
    for (double& f : t.feeds) f = feed;
}

// Whether a computed speed and feed keep to the rule of a tool's values (tool_values_why); `why` says which
// does not. Checked before either is written: a speed beyond an int's range has no conversion.
bool withinRule(double spindle, double feed, std::string* why) {
    const char* what = !(spindle >= 0 && spindle <= kMaxToolSpindle) ? "spindle speed"
                       : !(feed >= 0 && feed <= kMaxToolFeed)         ? "feed"
                                                                      : nullptr;
    if (!what) return true;
    if (why) {
        const bool speed = what[0] == 's';
        char text[200];
        std::snprintf(text, sizeof text, "the %s %g it gives is out of range: a tool's is 0 to %g%s", what,
                      speed ? spindle : feed, speed ? kMaxToolSpindle : kMaxToolFeed, speed ? " rpm" : " a minute");
        *why = text;
    }
    return false;
}

}  // namespace

FEED_MACHINE activeFeedMachine() {
    FEED_MACHINE m;
    m.feedMode = 2;
    m.spindleLimit = g_machineInfo.spindleSpeedLimit;
    if (const op_group* group = g_machineInfo.rootMachineGroup) {
        m.feedMode = group->machine.feedMode;
        m.defaultSpindle = group->machine.defaultSpindle;
        for (int k = 0; k < 3; ++k) m.defaultFeeds[k] = group->machine.defaultFeeds[k];
    }
    return m;
}

int computeFeedsSpeeds(tp_tool* tool, const material& matl, std::string* why) {
    if (!tool) return 0;
    const bool metric = g_globals.constructed() ? g_globals->metric() : current_version[7] == 1;
    return computeFeedsSpeedsFor(*tool, matl, activeFeedMachine(), metric, why);
}

int computeFeedsSpeedsFor(tp_tool& t, const material& matl, const FEED_MACHINE& machine, bool metric,
                          std::string* why) {
    switch (machine.feedMode) {
    case 0: {
        double advance = 0;
        if (t.type == 0 || !isTap(t) || !tapAdvance(t, metric, &advance)) return 0;
        const double feed = t.spindle * advance;
        if (!withinRule(t.spindle, feed, why)) return 1;
        setFeeds(t, rounded(feed, metric));
        return 0;
    }
    case 1: {
        if (matl.name[0] == '\0' || t.type == 0 || t.diameter <= 0) return 0;
        const int m = t.material > 0 ? t.material - 1 : 0;
        const bool tabled = m < kMaterialToolMaterials;
        const double p1 = factor(matl.speedPercent);
        const double pT = t.type > 0 && t.type < kMaterialToolTypes ? factor(matl.feedPercentByType[t.type]) : 1.0;
        const double pMs = tabled ? factor(matl.speedPercentByMaterial[m]) : 1.0;
        const double pMf = tabled ? factor(matl.feedPercentByMaterial[m]) : 1.0;
        const double tS = factor(t.speedPercent), tF = factor(t.feedPercent);
        const double S = matl.cuttingSpeed * p1 * pMs * tS;
        const double f = matl.feedPerTooth * pT * tF * pMf * t.flutes;
        double n = std::floor(S * (metric ? 1000.0 : 12.0) / (kPi * t.diameter) + 0.5);
        if (machine.spindleLimit > 0 && n > machine.spindleLimit) n = machine.spindleLimit;
        double feed = n * f;
        if (isTap(t)) {
            double advance = 0;
            if (!tapAdvance(t, metric, &advance)) {
                if (!withinRule(n, 0, why)) return 1;
                t.spindle = static_cast<std::int32_t>(n);
                return 0;
            }
            feed = n * advance;
        }
        if (!withinRule(n, feed, why)) return 1;
        t.spindle = static_cast<std::int32_t>(n);
        setFeeds(t, rounded(feed, metric));
        return 0;
    }
    case 3: {
        const double n = std::ceil(machine.defaultSpindle);
        double feeds[3] = {machine.defaultFeeds[0]};
        for (int k = 1; k < 3; ++k)
            feeds[k] = machine.defaultFeeds[k] < g_tolerances.tol004T ? feeds[0] : machine.defaultFeeds[k];
        for (double f : feeds)
            if (!withinRule(n, f, why)) return 1;
        t.spindle = static_cast<std::int32_t>(n);
        std::copy(feeds, feeds + 3, t.feeds);
        return 0;
    }
    default:
        return 0;
    }
}

namespace {

bool findIn(const char* listName, const char* wanted, material* out) {
    material_node* list = nullptr;
    list_manager(kListMaterials, listName, kListLoad, &list);
    bool found = false;
    for (const material_node* n = list; n && !found; n = n->next) {
        if (plat::equalsNoCase(n->matl.name, wanted)) {
            if (out) *out = n->matl;
            found = true;
        }
    }
    if (list) list_manager(kListMaterials, listName, kListFree, &list);
    return found;
}

void copyPath(char* path, std::size_t size, const std::string& text) {
    if (!path || size == 0) return;
    std::snprintf(path, size, "%s", text.c_str());
}

}  // namespace

int materialByName(std::int32_t groupId, material* out, char* path, std::size_t pathSize) {
    const char* name = OMgetGrpMaterialName(groupId);
    if (!name || !*name || plat::equalsNoCase(name, "NONE")) return 1;
    if (findIn("", name, out)) return 2;
    if (const char* library = MatlLibrary(); library && *library && findIn(library, name, out)) {
        copyPath(path, pathSize, library);
        return 3;
    }
    const std::string folder = plat::resolveNoCase(plat::removeTrailingSeparator(current_dir), "Materials");
    for (const plat::FileEntry& file : plat::findFiles(folder, "*.Materials")) {
        const std::string full = plat::joinPath(folder, file.name);
        if (findIn(full.c_str(), name, out)) {
            copyPath(path, pathSize, full);
            return 4;
        }
    }
    return 0;
}
