// Value ranges and the pass completion of milled-hole operations. Offsets are those of PROCESS_OPE's
// stored layout; the names below say what each holds.
#include "plugin/model/process_ope.h"
#include "plugin/model/value_ranges.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

#include "plugin/base/globals.h"
#include "plugin/model/ope_list.h"

namespace {

namespace off {
constexpr std::size_t passesFlag = 944, depthCutCount = 960, depthCutStep = 968, passFlag985 = 985;
constexpr std::size_t roughOn = 1008, roughCount = 1010, roughSpacing = 1016, finishCount = 1024,
                      finishSpacing = 1032, passFlag1040 = 1040;
constexpr std::size_t step1FlagA = 1048, step1FlagB = 1056, step1Zero1064 = 1064, step1Max = 1080,
                      step1Angle = 1088, step1FlagC = 1105, step1Zero1112 = 1112, step1Percent = 1120;
constexpr std::size_t step2FlagA = 1128, step2Zero1136 = 1136, step2Max = 1152, step2Angle = 1160,
                      step2FlagC = 1177, step2Zero1184 = 1184, step2Percent = 1192;
constexpr std::size_t angle1248 = 1248, circleDiameter = 1264, roughingOn = 1274, roughingPercent = 1280,
                      roughingDistance = 1288, roughing2On = 1296, distance1304 = 1304, distance1312 = 1312,
                      percent1384 = 1384, percent1392 = 1392;
}  // namespace off

// `part` percent of the tool diameter, and the share of it that `distance` is; a tool without diameter
// (a caller's slip) gives 0 rather than a division by zero.
double percentOf(double tool, double part) { return tool * part / 100.0; }
double percentFor(double distance, double tool) { return tool > 0 ? distance / tool * 100.0 : 0.0; }

// Rough passes over the radial width w left after the finish passes: the number of whole maximum
// spacings that fit (at least one), spread evenly. So the spacing used may exceed the user's maximum, by up
// to just under twice, and it replaces the maximum in the record. Both are kept on purpose: even passes
// over the whole ring are the rule's intent, and the host operation reads the spacing used from that
// field. A maximum of 0 or less (which a spacing below
// T4 leaves in the record) cannot divide the width: one pass, never a division by zero.
void setPasses(PROCESS_OPE& op, double w) {
    const double finish = op.get<std::int16_t>(off::finishCount) * op.get<double>(off::finishSpacing);
    const double width = std::max(0.0, w - finish);
    const double maxSpacing = op.get<double>(off::roughSpacing);
    const double quotient = maxSpacing > 0 ? width / maxSpacing : 1.0;
    int n = quotient >= 1 ? static_cast<int>(std::min(quotient, static_cast<double>(INT16_MAX))) : 1;
    double spacing = width / n;
    if (g_tolerances.tol4T > spacing) {
        spacing = 0;
        n = 0;
    }
    op.set<std::uint8_t>(off::roughOn, 1);
    op.set<double>(off::roughSpacing, spacing);
    op.set<std::int16_t>(off::roughCount, static_cast<std::int16_t>(n));
}

}  // namespace

void DOUBLE_RANGE::clamp() {
    if (minimum > value) value = minimum;
    if (value > maximum) value = maximum;
}

int setCircMillDepthCuts(PROCESS_OPE* op, double toolDiameter, double openDiameter) {
    PROCESS_OPE& o = *op;
    const double circle = o.get<double>(off::circleDiameter);
    const double w = std::max(0.0, (circle - openDiameter) / 2);

    const bool finishOnly = o.get<std::uint8_t>(off::roughOn) == 0 && o.get<std::uint8_t>(off::roughingOn) == 0 &&
                            o.get<std::uint8_t>(off::passesFlag) == 0 && o.get<std::uint8_t>(off::roughing2On) == 1;
    o.set<std::uint8_t>(off::roughOn, 0);
    o.set<std::uint8_t>(off::roughingOn, 0);
    o.set<std::uint8_t>(off::roughing2On, 0);
    o.set<std::uint8_t>(off::passesFlag, 0);

    if (finishOnly) {
        o.set<std::uint8_t>(off::roughingOn, 1);
        o.set<std::uint8_t>(off::roughing2On, 1);
        o.set<double>(off::distance1304, percentOf(toolDiameter, o.get<double>(off::percent1384)));
        o.set<double>(off::distance1312, circle);
        o.set<double>(off::percent1392, percentFor(circle, toolDiameter));
        o.set<double>(off::angle1248, 90.0);
        return 0;
    }
    if (toolDiameter - g_tolerances.tol4T < openDiameter) {
        setPasses(o, w);
    } else {
        o.set<std::uint8_t>(off::roughingOn, 1);
        o.set<std::uint8_t>(off::roughing2On, 1);
        o.set<double>(off::distance1304, percentOf(toolDiameter, o.get<double>(off::percent1384)));
        o.set<double>(off::distance1312, percentOf(toolDiameter, o.get<double>(off::percent1392)));
        if (o.get<double>(off::roughingPercent) < 1) o.set<double>(off::roughingPercent, 10.0);
        o.set<double>(off::roughingDistance, percentOf(toolDiameter, o.get<double>(off::roughingPercent)));
        o.set<std::uint8_t>(off::roughOn, 1);
        o.set<double>(off::roughSpacing, 0.0);
        o.set<std::int16_t>(off::roughCount, 0);
    }
    o.set<std::uint8_t>(off::passFlag1040, 1);
    o.set<std::uint8_t>(off::passesFlag, 1);
    o.set<double>(off::depthCutStep, 0.0);
    o.set<std::int16_t>(off::depthCutCount, 0);
    o.set<std::uint8_t>(off::passFlag985, 1);
    o.set<double>(off::angle1248, 90.0);
    return 0;
}

int setCircMillRoughing(PROCESS_OPE* op, double toolDiameter, double openingDiameter, double outerDiameter,
                        double openDiameter) {
    PROCESS_OPE& o = *op;
    const double w = std::max(0.0, (outerDiameter - openDiameter) / 2);
    const double s = std::max(0.0, (openingDiameter - toolDiameter) / 2 * 0.75);
    constexpr double kQuarterTurn = std::numbers::pi / 2;

    o.set<std::uint8_t>(off::step1FlagA, 1);
    o.set<std::uint8_t>(off::step1FlagC, 1);
    o.set<std::uint8_t>(off::step1FlagB, 1);
    o.set<double>(off::step1Angle, kQuarterTurn);
    o.set<double>(off::step1Zero1112, 0.0);
    o.set<double>(off::step1Zero1064, 0.0);
    if (s < o.get<double>(off::step1Max)) o.set<double>(off::step1Max, s);
    o.set<double>(off::step1Percent, percentFor(o.get<double>(off::step1Max), toolDiameter));

    o.set<std::uint8_t>(off::step2FlagC, 1);
    o.set<std::uint8_t>(off::step2FlagA, 1);
    o.set<double>(off::step2Angle, kQuarterTurn);
    o.set<double>(off::step2Zero1184, 0.0);
    o.set<double>(off::step2Zero1136, 0.0);
    if (s < o.get<double>(off::step2Max)) o.set<double>(off::step2Max, s);
    o.set<double>(off::step2Percent, percentFor(o.get<double>(off::step2Max), toolDiameter));

    setPasses(o, w);
    o.set<std::uint8_t>(off::passFlag1040, 1);
    if (o.get<std::int16_t>(off::roughCount) < 1 && o.get<std::int16_t>(off::finishCount) < 1)
        o.set<std::int16_t>(off::roughCount, 1);
    o.set<std::uint8_t>(off::passesFlag, 1);
    o.set<std::uint8_t>(off::passFlag985, 1);
    return 0;
}
