// The machining-time estimate: every distance a drilling operation's tool travels goes into a bucket (feed
// into the material, peck and chip-break moves, retract at feed or rapid, approach, positioning between the
// holes); each bucket is divided by its rate and dwells are added. An operation is written when the next
// one comes (or the report ends), after its group's heading; a group's totals follow its last operation.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <numbers>
#include <string>
#include <vector>

#include "platform/sys/files.h"
#include "platform/ui/message_box.h"
#include "plugin/base/file_dialogs.h"
#include "plugin/base/globals.h"
#include "plugin/base/machine_info.h"
#include "plugin/base/text_fill.h"
#include "plugin/model/tree.h"
#include "plugin/services/tooling.h"
#include "plugin/tooling/reports.h"

namespace {

// "MachiningTime" and "MachiningTime-in"
constexpr int kFilterName = 1, kFileExists = 8, kRule = 10, kTitle = 13, kPartLabel = 14, kUnitsNote = 20,
              kGroupTotals = 30, kGroupToolChanges = 31, kGroupPositioning = 32, kGroupMachining = 33,
              kGroupTotal = 34, kGroupHeading = 40, kCycleLabel = 41, kToolLabel = 42, kHolesLabel = 43,
              kFeedLabel = 44, kTimeLabel = 45, kDiameterLabel = 46, kPitchLabel = 47, kSpindleLabel = 48,
              kTotalsHeading = 50, kTotalToolChanges = 51, kTotalPositioning = 52, kTotalMachining = 53,
              kTotalTime = 54;
constexpr int kMsgCaption = 1, kMsgNotWritten = 68;   // "ErrorMessages"
constexpr int kToolTypeDrill = 3;
constexpr double kDefaultRapidMm = 12500, kDefaultRapidInch = 500, kDefaultToolChangeSeconds = 2;

std::string printed(const char* format, double value) {
    char buf[64];
    std::snprintf(buf, sizeof buf, format, value);
    return buf;
}
std::string printed(const char* format, long value) {
    char buf[64];
    std::snprintf(buf, sizeof buf, format, value);
    return buf;
}

}  // namespace

void CMachiningTime::LENGTHS::add(const LENGTHS& o) {
    feedIn += o.feedIn;
    positioning += o.positioning;
    peckFeed += o.peckFeed;
    peckRapid += o.peckRapid;
    retractRapid += o.retractRapid;
    retractFeed += o.retractFeed;
    approach += o.approach;
    fixedTime += o.fixedTime;
    feedTime += o.feedTime;
    feedOutTime += o.feedOutTime;
    rapidTime += o.rapidTime;
    positioningTime += o.positioningTime;
}

CMachiningTime::~CMachiningTime() {
    if (file) std::fclose(file);
}

void CMachiningTime::reset() {
    toolNumber_ = -1;
    currentGroup_ = -1;
    operationId_ = -1;
    first_ = true;
    group_ = 0;
    groupToolChanges_ = totalToolChanges_ = 0;
    toolType_ = 0;
    operationName_.clear();
    toolName_.clear();
    diameter_ = pitch_ = 0;
    spindleSpeed_ = 0;
    holeCount_ = 0;
    cycle_ = 0;
    feedRate_ = feedOutRate_ = rapidRate_ = toolChangeTime_ = 0;
    depth_ = 0;
    pending_ = groupSums_ = grandSums_ = LENGTHS{};
    grandMachiningTime_ = 0;
    previous_[0] = previous_[1] = previous_[2] = 0;
}

std::string CMachiningTime::number(const char* format, double value) const { return printed(format, value); }

int CMachiningTime::begin(const std::string& name, std::int16_t, bool dontAsk) {
    if (file) std::fclose(file);
    file = nullptr;
    reset();
    fileName = name;
    metric_ = g_globals->metric();
    (void)texts_.load(g_globals->uiTextFile, metric_ ? "MachiningTime" : "MachiningTime-in", false);
    if (!dontAsk && plat::fileExists(fileName)) {
        plat::messageBox(nullptr, fillText(texts_.getText(kFileExists), {fileName}), errorMessage(kMsgCaption),
                         plat::MB_OK);
        fileName = openFileDialog(false, false, fileName, "txt", texts_.getText(kFilterName) + "|*.txt||");
        if (fileName.empty()) return 0;
    }
    file = std::fopen(fileName.c_str(), "w");
    if (!file) {
        plat::messageBox(nullptr, errorMessage(kMsgNotWritten) + "\n" + fileName, errorMessage(kMsgCaption),
                         plat::MB_OK);
        return 0;
    }
    // The machine definition's rapid rate; the host's default when it names none, as without a machine.
    rapidRate_ = metric_ ? g_machineInfo.definition.rapidRateMm : g_machineInfo.definition.rapidRateInch;
    if (rapidRate_ <= 0) rapidRate_ = metric_ ? kDefaultRapidMm : kDefaultRapidInch;
    // A machine that names no tool-change time changes tools in no time; only without a machine the
    // host's 2 s hold. A negative time (damaged data) would take time off the totals.
    const double seconds =
        g_machineInfo.rootMachineGroup ? std::max(0.0, g_machineInfo.toolChangeSeconds) : kDefaultToolChangeSeconds;
    toolChangeTime_ = seconds / 60.0;
    cycles_.load("");

    const std::string rule = texts_.getText(kRule);
    std::string title = texts_.getText(kTitle);
    if (rule.size() > title.size()) title = std::string((rule.size() - title.size()) / 2, ' ') + title;
    std::fprintf(file, "\n\n     %s\n     %s\n     %s\n", rule.c_str(), title.c_str(), rule.c_str());
    std::fprintf(file, "\n%s %s%s\n\n%s\n\n", texts_.getText(kPartLabel).c_str(), g_globals->partDir.c_str(),
                 g_globals->partName.c_str(), texts_.getText(kUnitsNote).c_str());
    return 0;
}

int CMachiningTime::writeGroupTotals(std::int32_t group) {
    if (!file || group == currentGroup_) return 0;
    if (currentGroup_ != -1) {
        const LENGTHS& g = groupSums_;
        const double machining = g.feedTime + g.rapidTime + g.feedOutTime + g.fixedTime;
        const double changes = groupToolChanges_ * toolChangeTime_;
        const double total = machining + g.positioningTime + changes;
        std::fprintf(file, "\n%s\n", texts_.getText(kGroupTotals).c_str());
        std::fputs(fillText(texts_.getText(kGroupToolChanges),
                            {printed("%3i", long{groupToolChanges_}), number("%.2f", changes)})
                       .c_str(),
                   file);
        std::fputs("\n", file);
        std::fprintf(file, "%s %s\n", texts_.getText(kGroupPositioning).c_str(), number("%.2f", g.positioningTime).c_str());
        std::fprintf(file, "%s %s\n", texts_.getText(kGroupMachining).c_str(), number("%.2f", machining).c_str());
        std::fprintf(file, "%s %s\n", texts_.getText(kGroupTotal).c_str(), number("%.2f", total).c_str());
        grandSums_.add(groupSums_);
        totalToolChanges_ = static_cast<std::int16_t>(totalToolChanges_ + groupToolChanges_);
        groupSums_ = LENGTHS{};
        groupToolChanges_ = 0;
    }
    if (group == 0) {
        currentGroup_ = -1;
        return 0;
    }
    std::fprintf(file, "\n*** %s %s ***\n", texts_.getText(kGroupHeading).c_str(), opGroupName(group).c_str());
    currentGroup_ = group;
    return 0;
}

void CMachiningTime::flushPending(std::int32_t nextToolNumber) {
    writeGroupTotals(group_);
    LENGTHS& p = pending_;
    // An operation without a feed or a rapid rate has no time to show or to add up; the spindle speed only
    // gives the feed per revolution.
    const bool timed = feedRate_ > 0 && feedOutRate_ > 0 && rapidRate_ > 0;
    double time = 0;
    if (timed) {
        p.feedTime = (p.feedIn + p.peckFeed) / feedRate_;
        p.feedOutTime = p.retractFeed / feedOutRate_;
        p.rapidTime = (p.approach + p.retractRapid + p.peckRapid) / rapidRate_;
        p.positioningTime = p.positioning / rapidRate_;
        time = p.feedTime + p.rapidTime + p.positioningTime + p.feedOutTime + p.fixedTime;
    }
    const bool fineTaps = toolType_ == 4 || toolType_ == 5;
    const char* shortFormat = metric_ ? "%.2f" : "%.4f";
    const char* fineFormat = metric_ ? "%.3f" : "%.5f";
    const char* feedFormat = metric_ ? "%.1f" : "%.3f";
    const std::string cycleName =
        cycle_ >= 0 && cycle_ < cycles_.count ? cycles_.entries[static_cast<std::size_t>(cycle_)].name : std::string();
    std::fprintf(file, "\n%s %s - %s\n", texts_.getText(kCycleLabel).c_str(), cycleName.c_str(), operationName_.c_str());
    const std::string pitchPart =
        fineTaps ? texts_.getText(kPitchLabel) + " " + number(fineFormat, pitch_) : std::string();
    const std::string size = texts_.getText(kDiameterLabel) + " " + number(shortFormat, diameter_) + " " + pitchPart;
    std::fprintf(file, "%s %s %s - %s\n", fillText(texts_.getText(kToolLabel), {printed("%-2i", long{toolNumber_})}).c_str(),
                 toolTypeToolName(toolType_).c_str(), size.c_str(), toolName_.c_str());
    std::fprintf(file, "%s\n", fillText(texts_.getText(kHolesLabel), {printed("%-3i", long{holeCount_})}).c_str());
    const std::string perRevolution = spindleSpeed_ > 0 ? number(fineFormat, feedRate_ / spindleSpeed_) : std::string("-");
    std::fprintf(file, "%s\n",
                 fillText(texts_.getText(kFeedLabel), {number(feedFormat, feedRate_), perRevolution}).c_str());
    std::fprintf(file, "%s\n", fillText(texts_.getText(kSpindleLabel), {printed("%li", long{spindleSpeed_})}).c_str());
    std::fprintf(file, "%s\n", fillText(texts_.getText(kTimeLabel), {timed ? number("%.2f", time) : std::string("-")}).c_str());
    if (timed) groupSums_.add(p);
    if (toolNumber_ != nextToolNumber) ++groupToolChanges_;
}

void CMachiningTime::takeIn(const operation& op, const std::vector<REPORT_POINT>& holes, int count, int first) {
    toolNumber_ = op.toolNumber;
    operationId_ = op.id;
    group_ = op.groupId;
    cycle_ = op.cycle;
    toolType_ = op.toolType;
    operationName_ = std::string(op.comment, strnlen(op.comment, sizeof op.comment));
    toolName_ = std::string(op.toolName, strnlen(op.toolName, sizeof op.toolName));
    diameter_ = op.toolDiameter;
    pitch_ = op.toolPitch;
    spindleSpeed_ = op.toolSpindle;
    feedRate_ = op.toolFeeds[0];
    feedOutRate_ = op.toolFeeds[0];
    holeCount_ = static_cast<std::int16_t>(count);

    pending_ = LENGTHS{};
    LENGTHS& p = pending_;
    const double n = count;
    depth_ = op.topOfStock - op.depth;
    if (op.toolType == kToolTypeDrill && op.tipOn && op.toolAngle > 0 && op.toolAngle < 180)
        depth_ += op.tipValue + op.toolDiameter / 2 / std::tan(op.toolAngle / 2 * std::numbers::pi / 180);
    p.feedIn = n * depth_;
    p.fixedTime = n * op.dwell / 60.0;

    const double e = g_tolerances.tol04T;
    const double p1 = op.pecks[0], p2 = op.pecks[1] < e ? op.pecks[0] : op.pecks[1];
    const double r = op.pecks[3], c = std::max(op.pecks[2], op.pecks[3]);
    double extraFeed = 0, extraRapid = 0;
    switch (op.cycle) {
    case 0: p.retractRapid = n * depth_; break;
    case 1:
    case 2: {
        // The peck cycle rapids out to the retract plane after each peck; the chip break backs off by r. The
        // pecks lie at p1 (for a chip break, or a peck of p1) and at p1 + k p2 for k = 1, 2 ... down to the
        // depth: counted, not walked one by one, as their number is the depth over a tool's peck.
        const double out = op.cycle == 1 ? 0 : 2 * r;
        double pecks = 0, peckDepths = 0;
        if ((op.cycle == 2 || p1 > e) && depth_ > p1) pecks = 1, peckDepths = p1;
        if (p2 > e && depth_ >= p1 + p2) {
            double k = std::floor((depth_ - p1) / p2);
            if (p1 + k * p2 > depth_) k -= 1;             // the quotient rounded up at a whole number of pecks
            else if (p1 + (k + 1) * p2 <= depth_) k += 1;  // or down
            pecks += k;
            peckDepths += k * p1 + p2 * k * (k + 1) / 2;
        }
        extraFeed = pecks * c;
        extraRapid = op.cycle == 1 ? 2 * peckDepths - pecks * c : pecks * (out - c);
        p.retractRapid = n * depth_;
        break;
    }
    case 3:
    case 4:
    case 5: p.retractFeed = n * depth_; break;
    default: break;
    }
    p.peckFeed = n * extraFeed;
    p.peckRapid = n * extraRapid;

    // Positioning between the holes that have a drill point, in the order walked. The ends of the clearance
    // are the first and the last of the n entries, with a drill point or not.
    if (first >= 0 && first < static_cast<int>(holes.size()))
        for (int k = 0; k < 3; ++k) previous_[k] = holes[static_cast<std::size_t>(first)].point[k];
    const bool atEnds = op.clearanceAtEnds != 0;
    int at = first;
    for (int step = 0; step < count && at >= 0 && at < static_cast<int>(holes.size());
         ++step, at = holes[static_cast<std::size_t>(at)].next) {
        const REPORT_POINT& entry = holes[static_cast<std::size_t>(at)];
        if (!entry.hole || entry.hole->drillPointEntity == 0) continue;
        const double* pt = entry.point;
        p.positioning += std::hypot(pt[0] - previous_[0], pt[1] - previous_[1]);
        const double h = op.clearance - (pt[2] + op.topOfStock);
        const bool firstStep = step == 0, lastStep = step == count - 1;
        p.approach += !atEnds || firstStep ? h : 0;
        p.retractRapid += !atEnds || lastStep ? h : 0;
        if (atEnds && !firstStep && !lastStep) {
            const double dz = pt[2] - previous_[2];
            if (dz < 0) p.approach += -dz;
            else if (dz > 0) p.retractRapid += dz;
        }
        for (int k = 0; k < 3; ++k) previous_[k] = pt[k];
    }
}

int CMachiningTime::addOperation(const operation& op, const std::vector<REPORT_POINT>& holes, int count, int first) {
    if (!file) return 0;
    if (!first_) flushPending(op.toolNumber);
    if (op.id == -1) {
        writeGroupTotals(0);
        return 0;
    }
    takeIn(op, holes, count, first);
    first_ = false;
    return 0;
}

int CMachiningTime::finish() {
    if (!file) return 0;
    operation end{};
    end.id = -1;
    end.toolNumber = -1;
    addOperation(end, {}, 0, -1);
    const LENGTHS& g = grandSums_;
    grandMachiningTime_ = g.feedTime + g.rapidTime + g.feedOutTime + g.fixedTime;
    const double changes = totalToolChanges_ * toolChangeTime_;
    const std::string rule = texts_.getText(kRule);
    std::fprintf(file, "\n\n\n%s\n", rule.c_str());
    std::fputs(texts_.getText(kTotalsHeading).c_str(), file);
    std::fputs("\n\n", file);
    std::fputs(fillText(texts_.getText(kTotalToolChanges), {printed("%3i", long{totalToolChanges_}), number("%6.2f", changes)})
                   .c_str(),
               file);
    std::fputs("\n", file);
    std::fputs(fillText(texts_.getText(kTotalPositioning), {number("%6.2f", g.positioningTime)}).c_str(), file);
    std::fputs("\n", file);
    std::fputs(fillText(texts_.getText(kTotalMachining), {number("%6.2f", grandMachiningTime_)}).c_str(), file);
    std::fprintf(file, "\n\n%s\n", rule.c_str());
    std::fputs(fillText(texts_.getText(kTotalTime), {number("%6.2f", grandMachiningTime_ + g.positioningTime + changes)})
                   .c_str(),
               file);
    std::fprintf(file, "\n%s\n", rule.c_str());
    std::fclose(file);
    file = nullptr;
    toolNumber_ = -1;
    texts_.clear();
    return 0;
}
