// The shipped host folder's tools and materials (file list in catalogue.h). Sizes come from the standard
// series: metric jobber drills, number, letter and fractional drills, ISO metric coarse and fine threads,
// unified coarse and fine threads with their usual tap drills, DIN centre drills and counterbores. Every
// tool is built in millimetres and converted for inch tools, so both units share one set of rules for
// lengths, flutes and starting speeds and feeds.
#include "host/tools/catalogue.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <tuple>

#include "host/tools/materials.h"
#include "host/tools/tool_library.h"
#include "platform/sys/files.h"

namespace host::tools {

namespace {

constexpr double kInch = 25.4;
constexpr double kPi = 3.141592653589793;
constexpr std::int16_t kHss = 1, kCarbide = 2;

enum Type : std::int16_t {
    User = 0,
    Centre = 1,
    Spot = 2,
    Drill = 3,
    TapRight = 4,
    TapLeft = 5,
    Reamer = 6,
    Boring = 7,
    Counterbore = 8,
    Countersink = 9,
    FlatMill = 10,
    BallMill = 11,
    ChamferMill = 12,
    CornerRadius = 15,
    TaperMill = 17,
    Toroidal = 19
};

// One catalogue entry in millimetres; the optional fields are 0 when the type does not use them.
struct Entry {
    std::int16_t type;
    double d;   // cutting diameter
    std::string name;
    double pitch = 0;   // mm; for inch threads the pitch of the threads per inch given in `tpi`
    double tpi = 0;
    double radius = 0;   // corner radius
    double angle = 0;    // tip angle, or the taper half angle of a conical mill
    double small = 0;    // second diameter: pilot, small end
};

// Jobber drill lengths (flute, overall) by diameter, interpolated between the standard's steps.
constexpr std::array<std::array<double, 3>, 12> kDrillLengths = {{
    {1, 12, 34},
    {2, 24, 49},
    {3, 33, 61},
    {4, 43, 75},
    {5, 52, 86},
    {6, 57, 93},
    {8, 75, 117},
    {10, 87, 133},
    {12, 101, 151},
    {14, 108, 160},
    {16, 120, 178},
    {20, 140, 205},
}};

std::pair<double, double> drillLengths(double d) {
    if (d <= kDrillLengths.front()[0]) return {kDrillLengths.front()[1], kDrillLengths.front()[2]};
    for (std::size_t i = 1; i < kDrillLengths.size(); ++i) {
        const auto& a = kDrillLengths[i - 1];
        const auto& b = kDrillLengths[i];
        if (d <= b[0]) {
            const double t = (d - a[0]) / (b[0] - a[0]);
            return {std::round(a[1] + t * (b[1] - a[1])), std::round(a[2] + t * (b[2] - a[2]))};
        }
    }
    return {std::round(140 + 4 * (d - 20)), std::round(205 + 5 * (d - 20))};
}

struct Rules {
    std::int16_t flutes, material;
    double vc;           // m/min in steel
    double feedPerRev;   // mm, for the diameter
};

Rules rulesFor(const Entry& e) {
    const double d = e.d;
    switch (static_cast<Type>(e.type)) {
    case Centre: return {2, kHss, 20, 0.04};
    case Spot: return {2, kCarbide, 80, 0.05 + 0.005 * d};
    case Drill: return {2, kHss, 25, std::min(0.4, 0.02 + 0.02 * d)};
    case TapRight:
    case TapLeft: return {static_cast<std::int16_t>(d < 12 ? 3 : 4), kHss, 10, e.pitch};
    case Reamer: return {6, kHss, 8, 0.1 + 0.02 * d};
    case Boring: return {1, kCarbide, 120, 0.08};
    case Counterbore: return {3, kHss, 18, 0.1};
    case Countersink: return {3, kHss, 15, 0.08};
    case FlatMill:
    case CornerRadius:
    case Toroidal: return {4, kCarbide, 120, 4 * std::min(0.12, 0.01 + 0.004 * d)};
    case BallMill: return {2, kCarbide, 120, 2 * std::min(0.1, 0.01 + 0.003 * d)};
    case ChamferMill: return {4, kCarbide, 100, 4 * 0.03};
    case TaperMill: return {3, kCarbide, 90, 3 * 0.02};
    case User: return {3, kCarbide, 100, 3 * 0.03};
    }
    return {2, kHss, 20, 0.05};
}

std::pair<double, double> lengthsFor(const Entry& e) {
    const double d = e.d;
    switch (static_cast<Type>(e.type)) {
    case Drill: return drillLengths(d);
    case Reamer: return {std::round(2 * d + 10), drillLengths(d).second + 10};
    case TapRight:
    case TapLeft: return {std::round(1.5 * d + 6), std::round(40 + 5 * d)};
    case Centre: return {std::round(2.5 * e.small), std::round(25 + 2.5 * d)};
    // A spot drill's flutes run two diameters and a few millimetres up its body, as the makers' series do.
    case Spot: return {std::round(2 * d + 4), std::round(50 + 3 * d)};
    case Boring: return {std::round(3 * d), std::round(100 + 5 * d)};
    case Counterbore: return {std::round(d), std::round(70 + 4 * d)};
    case Countersink: return {std::round(0.6 * d), std::round(45 + 2 * d)};
    case FlatMill:
    case BallMill:
    case CornerRadius:
    case Toroidal:
    case TaperMill:
    case ChamferMill:
    case User: return {std::round(2 * d + 2), std::round(50 + 3 * d)};
    }
    return {d, 50 + d};
}

tp_tool makeTool(const Entry& e, bool metric) {
    const Rules r = rulesFor(e);
    const auto [flute, overall] = lengthsFor(e);
    // Inch sizes to a millionth, so that 1/8 reads 0.125 rather than the nearest double below it.
    auto len = [metric](double v) { return metric ? v : std::round(v / kInch * 1e6) / 1e6; };
    tp_tool t;
    t.type = e.type;
    t.subType = e.type == BallMill ? 2 : e.radius > 0 ? 1 : 0;
    t.diameter = len(e.d);
    t.cornerRadius = len(e.type == BallMill ? e.d / 2 : e.radius);
    t.pitch = metric ? e.pitch : e.tpi;
    t.angle = e.angle;
    t.flutes = r.flutes;
    t.material = r.material;
    t.unitFlag = metric ? 1 : 0;
    t.fluteLength = len(flute);
    t.overallLength = len(overall);
    t.shoulderLength = len(std::round(overall * 0.6));
    t.secondDiameter = len(e.small > 0 ? e.small : e.d);
    t.shapeValue = len(e.small);
    t.speedPercent = 100;
    t.feedPercent = 100;
    const int rpm = static_cast<int>(std::min(12000.0, std::floor(r.vc * 1000 / (kPi * e.d) + 0.5)));
    t.spindle = rpm;
    // Whole millimetres per minute, or inches to three places.
    const double feed = metric ? std::round(rpm * r.feedPerRev) : std::round(rpm * r.feedPerRev / kInch * 1000) / 1000;
    t.feeds[0] = feed;
    t.feeds[1] = feed;
    // The third feed is a gentler plunge, except for taps, whose every feed must follow the pitch.
    const bool tap = e.type == TapRight || e.type == TapLeft;
    t.feeds[2] = tap ? feed : metric ? std::round(feed / 2) : std::round(feed / 2 * 1000) / 1000;
    // A drill pecks a diameter at a time, comes back down to a tenth of it above the last peck's bottom and
    // breaks the chip by a twentieth; other tools do not peck.
    if (e.type == Drill) {
        t.peckPercent[0] = 100;
        t.peckPercent[1] = 100;
        t.peckPercent[2] = 10;
        t.peckPercent[3] = 5;
    }
    std::snprintf(t.name, sizeof t.name, "%s", e.name.c_str());
    return t;
}

std::vector<tp_tool> build(const std::vector<Entry>& entries, bool metric, std::vector<tp_tool> into = {}) {
    for (const Entry& e : entries) {
        tp_tool t = makeTool(e, metric);
        t.slot = static_cast<std::int32_t>(into.size() + 1);
        t.number = t.slot;
        into.push_back(t);
    }
    return into;
}

std::string mm(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g", v);
    return buf;
}

// ---- metric ----

struct MetricThread {
    double d, pitch, tapDrill;
};
constexpr MetricThread kMetricCoarse[] = {
    {1.6, 0.35, 1.25}, {2, 0.4, 1.6},   {2.5, 0.45, 2.05}, {3, 0.5, 2.5},    {4, 0.7, 3.3},   {5, 0.8, 4.2},
    {6, 1.0, 5.0},     {8, 1.25, 6.8},  {10, 1.5, 8.5},    {12, 1.75, 10.2}, {14, 2.0, 12.0}, {16, 2.0, 14.0},
    {18, 2.5, 15.5},   {20, 2.5, 17.5}, {24, 3.0, 21.0},   {30, 3.5, 26.5},
};
constexpr MetricThread kMetricFine[] = {
    {8, 1.0, 7.0},   {10, 1.25, 8.8}, {10, 1.0, 9.0},  {12, 1.5, 10.5}, {12, 1.25, 10.8},
    {14, 1.5, 12.5}, {16, 1.5, 14.5}, {18, 1.5, 16.5}, {20, 1.5, 18.5}, {24, 2.0, 22.0},
};

Entry metricTap(const MetricThread& t, bool left) {
    return Entry{left ? TapLeft : TapRight, t.d, "TAP M" + mm(t.d) + "x" + mm(t.pitch) + (left ? " LH" : ""), t.pitch};
}

Entry metricDrill(double d) { return Entry{Drill, d, "DRILL " + mm(d), 0, 0, 0, 118}; }

std::vector<Entry> metricCommon() {
    std::vector<Entry> e;
    // Centre drills, form A: pilot and body diameters.
    for (auto [pilot, body] : std::array<std::pair<double, double>, 7>{
             {{1, 3.15}, {1.6, 4}, {2, 5}, {2.5, 6.3}, {3.15, 8}, {4, 10}, {5, 12.5}}})
        e.push_back(Entry{Centre, body, "CENTRE DRILL A" + mm(pilot), 0, 0, 0, 60, pilot});
    for (double d : {4, 6, 8, 10, 12, 16, 20}) e.push_back(Entry{Spot, d, "SPOT DRILL " + mm(d) + "x90", 0, 0, 0, 90});
    return e;
}

std::vector<Entry> metricCutters(bool big) {
    std::vector<Entry> e;
    const std::vector<double> reamers =
        big ? std::vector<double>{2, 2.5, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 18, 20, 22, 25}
            : std::vector<double>{3, 4, 5, 6, 8, 10, 12, 16, 20};
    for (double d : reamers) e.push_back(Entry{Reamer, d, "REAMER " + mm(d) + " H7"});
    for (double d : {16, 20, 25, 32, 40}) e.push_back(Entry{Boring, d, "BORING BAR " + mm(d), 0, 0, 0, 0, d - 4});
    // Counterbores for socket head cap screws M3 to M16: head and clearance (pilot) diameters.
    for (auto [head, pilot] : std::array<std::pair<double, double>, 7>{
             {{6.5, 3.4}, {8, 4.5}, {10, 5.5}, {11, 6.6}, {15, 9}, {18, 11}, {24, 13.5}}})
        e.push_back(Entry{Counterbore, head, "COUNTERBORE " + mm(head) + "x" + mm(pilot), 0, 0, 0, 0, pilot});
    for (auto [d, tip] : std::array<std::pair<double, double>, 6>{
             {{6.3, 1.5}, {8.3, 2}, {10.4, 2.5}, {12.4, 2.8}, {16.5, 3.2}, {20.5, 3.5}}})
        e.push_back(Entry{Countersink, d, "COUNTERSINK " + mm(d) + "x90", 0, 0, 0, 90, tip});
    const std::vector<double> mills =
        big ? std::vector<double>{1, 1.5, 2, 2.5, 3, 4, 5, 6, 8, 10, 12, 14, 16, 18, 20, 25, 32}
            : std::vector<double>{2, 3, 4, 5, 6, 8, 10, 12, 16, 20, 25};
    for (double d : mills) e.push_back(Entry{FlatMill, d, "FLAT END MILL " + mm(d)});
    for (double d : {2, 3, 4, 6, 8, 10, 12}) e.push_back(Entry{BallMill, d, "BALL MILL " + mm(d)});
    for (auto [d, tip] : std::array<std::pair<double, double>, 4>{{{6, 0.5}, {10, 1}, {12, 1}, {16, 2}}})
        e.push_back(Entry{ChamferMill, d, "CHAMFER MILL " + mm(d) + "x90", 0, 0, 0, 45, tip});
    for (auto [d, r] : std::array<std::pair<double, double>, 4>{{{6, 0.5}, {8, 1}, {10, 1}, {12, 2}}})
        e.push_back(Entry{CornerRadius, d, "CORNER RADIUS MILL " + mm(d) + " R" + mm(r), 0, 0, r});
    for (auto [d, a] : std::array<std::pair<double, double>, 2>{{{6, 5}, {10, 3}}})
        e.push_back(Entry{TaperMill, d, "TAPER MILL " + mm(d) + "x" + mm(a) + "DEG", 0, 0, 0, a});
    for (auto [d, r] : std::array<std::pair<double, double>, 3>{{{16, 2}, {20, 3}, {25, 4}}})
        e.push_back(Entry{Toroidal, d, "BULL NOSE MILL " + mm(d) + " R" + mm(r), 0, 0, r});
    for (const MetricThread& t :
         {kMetricCoarse[6], kMetricCoarse[7], kMetricCoarse[8], kMetricCoarse[9], kMetricCoarse[11]})
        e.push_back(Entry{User, std::round((t.d - 1.3 * t.pitch) * 10) / 10,
                          "THREAD MILL M" + mm(t.d) + "x" + mm(t.pitch), t.pitch, 0, 0, 60});
    return e;
}

std::vector<Entry> metricEntries(bool big) {
    std::vector<Entry> e = metricCommon();
    if (big) {
        for (int i = 10; i <= 130; ++i) e.push_back(metricDrill(i / 10.0));
        for (int i = 27; i <= 40; ++i) e.push_back(metricDrill(i / 2.0));
        for (int d = 21; d <= 32; ++d) e.push_back(metricDrill(d));
    } else {
        // The tap drills of the coarse threads and the clearance sizes, once each, smallest first.
        std::vector<double> sizes = {3.0, 4.0, 4.5, 5.5, 6.0, 6.6, 8.0, 9.0, 10.0, 11.0, 12.0, 13.5, 16.0, 18.0, 20.0};
        for (const MetricThread& t : kMetricCoarse)
            if (t.d >= 2) sizes.push_back(t.tapDrill);
        std::sort(sizes.begin(), sizes.end());
        sizes.erase(std::unique(sizes.begin(), sizes.end()), sizes.end());
        for (double d : sizes) e.push_back(metricDrill(d));
    }
    for (const MetricThread& t : kMetricCoarse)
        if (big || (t.d >= 3 && t.d <= 24)) e.push_back(metricTap(t, false));
    for (const MetricThread& t : kMetricFine)
        if (big || t.d <= 16) e.push_back(metricTap(t, false));
    for (const MetricThread& t : kMetricCoarse)
        if (t.d >= 6 && t.d <= (big ? 20 : 12)) e.push_back(metricTap(t, true));
    for (Entry& x : metricCutters(big)) e.push_back(std::move(x));
    return e;
}

// ---- inch ----

struct InchSize {
    const char* name;
    double d;   // inch
};
constexpr InchSize kNumberDrills[] = {
    {"#1", .2280},  {"#2", .2210},  {"#3", .2130},  {"#4", .2090},  {"#5", .2055},  {"#6", .2040},  {"#7", .2010},
    {"#8", .1990},  {"#9", .1960},  {"#10", .1935}, {"#11", .1910}, {"#12", .1890}, {"#13", .1850}, {"#14", .1820},
    {"#15", .1800}, {"#16", .1770}, {"#17", .1730}, {"#18", .1695}, {"#19", .1660}, {"#20", .1610}, {"#21", .1590},
    {"#22", .1570}, {"#23", .1540}, {"#24", .1520}, {"#25", .1495}, {"#26", .1470}, {"#27", .1440}, {"#28", .1405},
    {"#29", .1360}, {"#30", .1285}, {"#31", .1200}, {"#32", .1160}, {"#33", .1130}, {"#34", .1110}, {"#35", .1100},
    {"#36", .1065}, {"#37", .1040}, {"#38", .1015}, {"#39", .0995}, {"#40", .0980}, {"#41", .0960}, {"#42", .0935},
    {"#43", .0890}, {"#44", .0860}, {"#45", .0820}, {"#46", .0810}, {"#47", .0785}, {"#48", .0760}, {"#49", .0730},
    {"#50", .0700}, {"#51", .0670}, {"#52", .0635}, {"#53", .0595}, {"#54", .0550}, {"#55", .0520}, {"#56", .0465},
    {"#57", .0430}, {"#58", .0420}, {"#59", .0410}, {"#60", .0400},
};
constexpr InchSize kLetterDrills[] = {
    {"A", .234}, {"B", .238}, {"C", .242}, {"D", .246}, {"E", .250}, {"F", .257}, {"G", .261}, {"H", .266}, {"I", .272},
    {"J", .277}, {"K", .281}, {"L", .290}, {"M", .295}, {"N", .302}, {"O", .316}, {"P", .323}, {"Q", .332}, {"R", .339},
    {"S", .348}, {"T", .358}, {"U", .368}, {"V", .377}, {"W", .386}, {"X", .397}, {"Y", .404}, {"Z", .413},
};

struct UnifiedThread {
    const char* name;   // "1/4-20 UNC"
    double d;           // major diameter, inch
    double tpi;
    const char* tapDrill;
    double tapDrillD;
};
constexpr UnifiedThread kUnified[] = {
    {"#4-40 UNC", .112, 40, "#43", .0890},
    {"#6-32 UNC", .138, 32, "#36", .1065},
    {"#8-32 UNC", .164, 32, "#29", .1360},
    {"#10-24 UNC", .190, 24, "#25", .1495},
    {"#10-32 UNF", .190, 32, "#21", .1590},
    {"1/4-20 UNC", .250, 20, "#7", .2010},
    {"1/4-28 UNF", .250, 28, "#3", .2130},
    {"5/16-18 UNC", .3125, 18, "F", .257},
    {"5/16-24 UNF", .3125, 24, "I", .272},
    {"3/8-16 UNC", .375, 16, "5/16", .3125},
    {"3/8-24 UNF", .375, 24, "Q", .332},
    {"7/16-14 UNC", .4375, 14, "U", .368},
    {"7/16-20 UNF", .4375, 20, "25/64", .390625},
    {"1/2-13 UNC", .500, 13, "27/64", .421875},
    {"1/2-20 UNF", .500, 20, "29/64", .453125},
    {"5/8-11 UNC", .625, 11, "17/32", .53125},
    {"5/8-18 UNF", .625, 18, "37/64", .578125},
    {"3/4-10 UNC", .750, 10, "21/32", .65625},
    {"3/4-16 UNF", .750, 16, "11/16", .6875},
    {"7/8-9 UNC", .875, 9, "49/64", .765625},
    {"1-8 UNC", 1.0, 8, "7/8", .875},
};

// "5/16" for 20/64; whole inches as "1", "1-1/4".
std::string fraction(int n64) {
    const int whole = n64 / 64;
    int num = n64 % 64, den = 64;
    while (num && num % 2 == 0) {
        num /= 2;
        den /= 2;
    }
    const std::string part = num ? std::to_string(num) + "/" + std::to_string(den) : "";
    if (!whole) return part;
    return std::to_string(whole) + (part.empty() ? "" : "-" + part);
}

Entry inchEntry(std::int16_t type, double dInch, const std::string& name, double angle = 0, double smallInch = 0,
                double radiusInch = 0) {
    return Entry{type, dInch * kInch, name, 0, 0, radiusInch * kInch, angle, smallInch * kInch};
}

Entry inchDrill(const std::string& size, double dInch) { return inchEntry(Drill, dInch, "DRILL " + size, 118); }

Entry inchTap(const UnifiedThread& t, bool left) {
    Entry e{left ? TapLeft : TapRight, t.d * kInch, std::string("TAP ") + t.name + (left ? " LH" : "")};
    e.pitch = kInch / t.tpi;
    e.tpi = t.tpi;
    return e;
}

std::vector<Entry> inchEntries(bool big) {
    std::vector<Entry> e;
    // Centre drills #1 to #6: body and pilot.
    constexpr std::array<std::pair<double, double>, 6> kCentres = {
        {{.125, .046875}, {.1875, .078125}, {.25, .109375}, {.3125, .125}, {.4375, .1875}, {.5, .21875}}};
    for (std::size_t i = 0; i < kCentres.size(); ++i)
        e.push_back(
            inchEntry(Centre, kCentres[i].first, "CENTRE DRILL #" + std::to_string(i + 1), 60, kCentres[i].second));
    for (int n64 : {8, 16, 24, 32, 40, 48})
        e.push_back(inchEntry(Spot, n64 / 64.0, "SPOT DRILL " + fraction(n64) + "x90", 90));
    if (big) {
        for (auto it = std::rbegin(kNumberDrills); it != std::rend(kNumberDrills); ++it)
            e.push_back(inchDrill(it->name, it->d));
        for (const InchSize& s : kLetterDrills) e.push_back(inchDrill(s.name, s.d));
        for (int n64 = 4; n64 <= 64; ++n64) e.push_back(inchDrill(fraction(n64), n64 / 64.0));
    } else {
        std::vector<Entry> drills;
        for (const UnifiedThread& t : kUnified) drills.push_back(inchDrill(t.tapDrill, t.tapDrillD));
        for (int n64 : {8, 12, 16, 20, 24, 32}) drills.push_back(inchDrill(fraction(n64), n64 / 64.0));
        std::sort(drills.begin(), drills.end(), [](const Entry& a, const Entry& b) { return a.d < b.d; });
        drills.erase(
            std::unique(drills.begin(), drills.end(), [](const Entry& a, const Entry& b) { return a.d == b.d; }),
            drills.end());
        e.insert(e.end(), drills.begin(), drills.end());
    }
    for (const UnifiedThread& t : kUnified)
        if (big || t.d <= .75) e.push_back(inchTap(t, false));
    for (const UnifiedThread& t : kUnified)
        if (std::string(t.name).find("UNC") != std::string::npos && t.d >= .25 && t.d <= (big ? .75 : .5))
            e.push_back(inchTap(t, true));
    for (int n64 :
         big ? std::vector<int>{8, 12, 16, 20, 24, 32, 40, 48, 64} : std::vector<int>{8, 12, 16, 20, 24, 32, 40, 48})
        e.push_back(inchEntry(Reamer, n64 / 64.0, "REAMER " + fraction(n64)));
    for (int n64 : {40, 48, 64, 80, 96})
        e.push_back(inchEntry(Boring, n64 / 64.0, "BORING BAR " + fraction(n64), 0, n64 / 64.0 - .15));
    // Counterbores for socket head cap screws #10 to 1/2: head and clearance diameters.
    for (auto [size, head, pilot] : std::array<std::tuple<const char*, double, double>, 5>{{{"#10", .3125, .201},
                                                                                            {"1/4", .4375, .266},
                                                                                            {"5/16", .53125, .332},
                                                                                            {"3/8", .625, .397},
                                                                                            {"1/2", .8125, .531}}})
        e.push_back(inchEntry(Counterbore, head, std::string("COUNTERBORE ") + size, 0, pilot));
    for (int n64 : {16, 24, 32, 40, 48})
        e.push_back(inchEntry(Countersink, n64 / 64.0, "COUNTERSINK " + fraction(n64) + "x82", 82, .0625));
    const std::vector<int> mills = big ? std::vector<int>{4, 8, 12, 16, 20, 24, 32, 40, 48, 64, 80}
                                       : std::vector<int>{8, 12, 16, 20, 24, 32, 40, 48, 64};
    for (int n64 : mills) e.push_back(inchEntry(FlatMill, n64 / 64.0, "FLAT END MILL " + fraction(n64)));
    for (int n64 : {8, 16, 24, 32}) e.push_back(inchEntry(BallMill, n64 / 64.0, "BALL MILL " + fraction(n64)));
    for (int n64 : {16, 24, 32})
        e.push_back(inchEntry(ChamferMill, n64 / 64.0, "CHAMFER MILL " + fraction(n64) + "x90", 45, .03));
    e.push_back(inchEntry(CornerRadius, .5, "CORNER RADIUS MILL 1/2 R.030", 0, 0, .03));
    e.push_back(inchEntry(CornerRadius, .75, "CORNER RADIUS MILL 3/4 R.060", 0, 0, .06));
    e.push_back(inchEntry(TaperMill, .25, "TAPER MILL 1/4x3DEG", 3));
    e.push_back(inchEntry(Toroidal, 1, "BULL NOSE MILL 1 R.125", 0, 0, .125));
    for (const UnifiedThread& t : {kUnified[5], kUnified[9], kUnified[13]}) {
        Entry m =
            inchEntry(User, std::round((t.d - 1.3 / t.tpi) * 100) / 100, std::string("THREAD MILL ") + t.name, 60);
        m.pitch = kInch / t.tpi;
        m.tpi = t.tpi;
        e.push_back(m);
    }
    return e;
}

// ---- materials ----

struct MaterialData {
    const char* name;
    double vc;   // m/min for carbide
    double fz;   // mm per tooth for a 10 mm end mill
};
constexpr MaterialData kMaterials[] = {
    {"ALUMINIUM 6061-T6", 400, 0.08}, {"STEEL 1045", 180, 0.05},      {"STAINLESS 304", 110, 0.04},
    {"CAST IRON GG25", 150, 0.06},    {"BRASS CuZn39Pb3", 300, 0.07}, {"TITANIUM Ti6Al4V", 50, 0.035},
};
// Feed % by tool type (0 to 19) against the end-mill feed per tooth; taps follow their pitch.
constexpr double kFeedByType[kMaterialToolTypes] = {100, 40, 60, 150, 100, 100, 100, 60, 80,  60,
                                                    100, 80, 70, 100, 100, 100, 100, 60, 100, 110};
// Speed and feed % by tool material: HSS, carbide, coated carbide, ceramic, CBN, user.
constexpr double kSpeedByMaterial[kMaterialToolMaterials] = {25, 100, 130, 250, 200, 100};
constexpr double kFeedByMaterial[kMaterialToolMaterials] = {80, 100, 100, 60, 50, 100};

material makeMaterial(const MaterialData& d, bool metric) {
    material m;
    std::snprintf(m.name, sizeof m.name, "%s - %s", d.name, metric ? "MM" : "INCH");
    m.cuttingSpeed = metric ? d.vc : std::round(d.vc / 0.3048 / 5) * 5;   // surface feet per minute
    m.speedPercent = 100;
    m.feedPerTooth = metric ? d.fz : std::round(d.fz / kInch * 10000) / 10000;
    std::copy(std::begin(kFeedByType), std::end(kFeedByType), m.feedPercentByType);
    std::copy(std::begin(kSpeedByMaterial), std::end(kSpeedByMaterial), m.speedPercentByMaterial);
    std::copy(std::begin(kFeedByMaterial), std::end(kFeedByMaterial), m.feedPercentByMaterial);
    return m;
}

}  // namespace

std::vector<tp_tool> workingLibrary(bool metric) {
    return metric ? build(metricEntries(false), true) : build(inchEntries(false), false);
}

std::vector<tp_tool> bigLibrary(bool metric) {
    return metric ? build(metricEntries(true), true) : build(inchEntries(true), false);
}

std::vector<material> shippedMaterials(bool metric) {
    std::vector<material> out;
    for (const MaterialData& d : kMaterials) out.push_back(makeMaterial(d, metric));
    return out;
}

std::vector<CatalogueFile> hostFolderFiles() {
    std::vector<CatalogueFile> files;
    files.push_back({"Mill/Tools/Mill_mm.Tools", encodeToolLibrary(workingLibrary(true))});
    files.push_back({"Mill/Tools/Mill_Inch.Tools", encodeToolLibrary(workingLibrary(false))});
    files.push_back({"Mill/Tools/big_mm.Tools", encodeToolLibrary(bigLibrary(true))});
    files.push_back({"Mill/Tools/big_Inch.Tools", encodeToolLibrary(bigLibrary(false))});
    files.push_back({"Mill/Tools/big.Tools", encodeToolLibrary(build(inchEntries(true), false, bigLibrary(true)))});
    for (bool metric : {true, false}) {
        MaterialFile m;
        m.units = metric ? Units::Metric : Units::Inch;
        m.materials = shippedMaterials(metric);
        files.push_back({metric ? "Materials/Mill_mm.Materials" : "Materials/Mill_Inch.Materials", encodeMaterials(m)});
    }
    return files;
}

bool writeHostFolder(const std::string& dir, std::string& message) {
    for (const CatalogueFile& f : hostFolderFiles()) {
        const std::string path = dir + "/" + f.relativePath;
        const std::string folder = path.substr(0, path.rfind('/'));
        if (!plat::createDirectories(folder) || !plat::writeFile(path, f.bytes)) {
            message = "cannot write " + path;
            return false;
        }
    }
    return true;
}

}  // namespace host::tools
