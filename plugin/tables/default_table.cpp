// New tables for unmatched holes and their default processes. Descriptors run from the entry downwards
// (index 0 at the top); lengths in part units, angles in radians. The limits derive from the base tolerance
// T: steps of at most S = 100 x 4T per drill, contours above M = 200 x 4T, cones from K = 30 x 4T, tool
// diameters on the grid R = 10 x 4T.
#include "plugin/model/ope_list.h"
#include "plugin/model/process_ope.h"
#include "plugin/services/tables.h"
#include "plugin/tables/default_table.h"

#include <cmath>
#include <ctime>
#include <functional>
#include <vector>

#include "platform/sys/paths.h"
#include "plugin/base/globals.h"
#include "plugin/base/utilities.h"
#include "plugin/model/host_blocks.h"
#include "plugin/tables/host_op_defaults.h"
#include "plugin/model/tab_cols_desc.h"
#include "plugin/tables/table_text.h"

namespace {

using namespace process_ope;

constexpr double kConeAngleMin = 0.000872664626;   // 0.05 degree
constexpr int kSpotDrill = 2, kDrill = 3, kTap = 4, kReamer = 6, kFlatMill = 10, kChamferMill = 12,
              kEdgeMill = 15, kConicalMill = 17;

struct TIE {
    std::int16_t mode, col, zPl, cyl;
    double value;
};

void setTie(PROCESS_OPE& op, FIELD<std::int16_t> mode, FIELD<std::int16_t> col, FIELD<std::int16_t> zPl,
            FIELD<std::int16_t> cyl, FIELD<double> value, const TIE& t) {
    opeSet(op, mode, t.mode);
    opeSet(op, col, t.col);
    opeSet(op, zPl, t.zPl);
    opeSet(op, cyl, t.cyl);
    opeSet(op, value, t.value);
}

PROCESS_OPE definition(int type, int cycleNumber, const TIE& tool, const TIE& top, const TIE& bottom) {
    PROCESS_OPE op;
    opeSet(op, operationType, static_cast<std::uint32_t>(type));
    opeSet(op, cycle, static_cast<std::uint32_t>(cycleNumber));
    opeSet(op, lineValue20, 30.0);
    setTie(op, toolDiamAssoc, toolDiamCol, toolDiamZPl, toolDiamCyl, toolDiam, tool);
    setTie(op, zSupAssoc, zSupCol, zSupZPl, zSupCyl, zSup, top);
    setTie(op, zInfAssoc, zInfCol, zInfZPl, zInfCyl, zInf, bottom);
    return op;
}

std::int16_t s16(int v) { return static_cast<std::int16_t>(v); }

class ProcessBuilder {
public:
    ProcessBuilder(const CTabColsDesc& table, const CIL_DESC* descs, int count)
        : table_(table), descs_(descs), count_(count), capacity_(static_cast<std::size_t>(10 * count)) {
        const double fourT = 4 * g_tolerances.tolT;   // multiples of T itself: the inch start values of tol4T are not
        S_ = 100 * fourT, M_ = 200 * fourT, K_ = 30 * fourT, R_ = 10 * fourT, spotMin_ = 50 * fourT;
    }

    std::vector<PROCESS_OPE> build() {
        spotDrill();
        pass([&](int c) { drills(c); });
        pass([&](int c) {
            if (desc(c).Flat)
                add(definition(kFlatMill, 1, {1, col1(c), 0, s16(c), D(c)}, top(c), bottom(c)));
        });
        milledPass([&](int c, int cyc) {
            if (col3(c) != 0 && desc(c).carried == 0 && D(c) >= K_)
                milled(kConicalMill, cyc, c, (desc(c).zTop - desc(c).zBottom) * std::tan(desc(c).coneAngle));
        });
        pass([&](int c) {
            if (desc(c).opeGeo == 1)
                add(definition(kTap, 3, {1, col1(c), 0, s16(c), D(c)}, top(c), bottom(c)));
        });
        cycleOrPlainPass([&](int c) { return desc(c).topChamfer != 0; },
                         [&](int c) { return desc(c).chamferDiameter > M_; }, kChamferMill,
                         [&](int c) { return roundToStep(1.1 * desc(c).chamferDiameter + R_, R_); });
        cycleOrPlainPass([&](int c) { return desc(c).topRound != 0; },
                         [&](int c) { return D(c) + desc(c).topRoundTorus[0] > M_; }, kEdgeMill,
                         [&](int c) { return D(c); });
        pass([&](int c) {
            if (desc(c).opeGeo == 2)
                add(definition(kReamer, 4, {1, col1(c), 0, s16(c), D(c)}, top(c), bottom(c)));
        });
        return ops_;
    }

private:
    const CIL_DESC& desc(int c) const { return descs_[c]; }
    double D(int c) const { return desc(c).D; }
    const TAB_DESC_ITEM* item(int c) const {
        const int i = table_.nthNumericItem(c);
        return i < 0 ? nullptr : &table_.items[static_cast<std::size_t>(i)];
    }
    std::int16_t col1(int c) const { return item(c) ? item(c)->colId1 : 0; }
    std::int16_t col2(int c) const { return item(c) ? item(c)->colId2 : 0; }
    std::int16_t col3(int c) const { return item(c) ? item(c)->colId3 : 0; }
    int last() const { return count_ - 1; }
    TIE top(int c) const { return {1, col2(c), 0, s16(c), desc(c).zTop}; }
    TIE bottom(int c) const { return {1, 0, 1, s16(c), desc(c).zBottom}; }
    TIE lastBottom() const { return {1, 0, 1, s16(last()), desc(last()).zBottom}; }
    bool full() const { return ops_.size() >= capacity_; }
    void add(const PROCESS_OPE& op) {
        if (full()) {
            stopped_ = true;
            return;
        }
        ops_.push_back(op);
    }
    // The descriptors from the bottom up; a full array ends this pass and every later one.
    void pass(const std::function<void(int)>& visit) {
        for (int c = last(); c >= 0 && !stopped_; --c) visit(c);
    }
    void milledPass(const std::function<void(int, int)>& visit) {
        const int cyc = g_globals->cycleNames.enabledIndex(2);
        if (cyc < 0) return;
        pass([&](int c) { visit(c, cyc); });
    }
    void cycleOrPlainPass(const std::function<bool(int)>& wanted, const std::function<bool(int)>& contour, int type,
                          const std::function<double(int)>& plainTool) {
        const int cyc = g_globals->cycleNames.enabledIndex(2);
        pass([&](int c) {
            if (!wanted(c)) return;
            if (!contour(c)) {
                add(definition(type, 0, {0, col1(c), 0, s16(c), plainTool(c)}, top(c), lastBottom()));
            } else if (cyc >= 0) {
                milled(type, cyc, c, -1);
            }
        });
    }
    // A contour of the hole's diameter: taper < 0 gives a quarter of the tool diameter.
    void milled(int type, int cyc, int c, double taper) {
        const double tool = roundToStep(0.5 * D(c), R_);
        PROCESS_OPE op = definition(type, cyc, {0, col1(c), 0, s16(c), tool}, top(c), bottom(c));
        opeSet(op, milledKind, std::int16_t{kContour});
        opeSet(op, millDiamCol, col1(c));
        setTie(op, cylDiamAssoc, cylDiamCol, cylDiamZPl, cylDiamCyl, cylDiam, {0, col1(c), 0, s16(c), D(c)});
        (void)getHostOpDefaults(kContour, tool, &op, nullptr);
        opeSet(op, hostValue, 0.0);
        // What this process calls its taper value and flag are the radial block's rough spacing and finish count.
        op.set<double>(hostBlock40 + radial_passes::roughSpacing, taper < 0 ? 0.25 * tool : taper);
        op.set<std::int16_t>(hostBlock40 + radial_passes::finishCount, 0);
        add(op);
    }
    void spotDrill() {
        const double d = std::min(D(last()), S_);
        const double tool = std::max(roundToStep(1.25 * d, R_), spotMin_);
        add(definition(kSpotDrill, 0, {0, col1(last()), 0, s16(last()), tool}, {1, 0, 0, 0, 0.0}, {3, 0, 0, 0, 0.0}));
    }
    void drills(int c) {
        const double d = D(c), T = g_tolerances.tolT;
        if (d < 4 * T) return;
        const double tipAngle = g_globals->settings.defaultTipAngle * M_PI / 180;
        if (desc(c).Flat && (d / 2) / std::tan(tipAngle / 2) > desc(c).L2) return;
        if (c != last() && std::fabs(D(c + 1) - d) < 2 * T) return;
        const int k = static_cast<int>(std::ceil((d - P_) / S_));
        if (k < 1) return;
        const double step = (d - P_) / k;
        for (int i = 1; i <= k && !stopped_; ++i) {
            P_ += step;
            const bool lastDrill = i == k;
            if (!lastDrill) P_ = roundToStep(P_, R_);
            const TIE tool = lastDrill ? TIE{1, col1(c), 0, s16(c), P_} : TIE{0, 0, 0, s16(c), P_};
            add(definition(kDrill, 1, tool, {1, 0, 0, 0, 0.0}, lastBottom()));
        }
    }

    const CTabColsDesc& table_;
    const CIL_DESC* descs_;
    int count_;
    std::size_t capacity_;
    double S_ = 0, M_ = 0, K_ = 0, R_ = 0, spotMin_ = 0;
    double P_ = 0;
    bool stopped_ = false;
    std::vector<PROCESS_OPE> ops_;
};

}  // namespace

int createDefaultProcesses(const CTabColsDesc& table, const CIL_DESC* descs, std::int16_t count,
                           const std::string& processName) {
    if (count < 1) return 0;
    const std::vector<PROCESS_OPE> ops = ProcessBuilder(table, descs, count).build();
    (void)table.writeProcess(processName, ops.data(), static_cast<int>(ops.size()));
    return 0;
}

int createDefaultTable(CTabColsDesc& t, const std::string& name, const std::string& folder, const CIL_DESC* descs,
                       std::int16_t count, double chamferAngleMin, double chamferAngleMax, double chamferDepthMax) {
    CTextSection texts;
    (void)texts.load(g_globals->uiTextFile, "defaultSettings", true);
    const std::string dir = plat::removeTrailingSeparators(folder.empty() ? g_globals->tablesDir : folder);
    if (name.empty()) return 1;
    t.path = plat::joinPath(dir, name + ".tab");
    t.name = name;
    (void)t.allocItems(static_cast<std::int16_t>(count + 3));
    t.tableClass = 0;
    t.formatVersion = kCurrentTableVersion;
    t.chamferAngleA = chamferAngleMin;
    t.chamferAngleB = chamferAngleMax;
    t.maxChamfer = chamferDepthMax;
    t.autoChamferSize = g_globals->metric() ? 2.0 : 0.08;
    t.diameterTolerance = 0.08;
    t.lengthTolerance = 0.16;
    t.lastTime = t.bmpTime = static_cast<std::int64_t>(std::time(nullptr));

    std::int16_t next = 1;
    (void)t.addDescItem(kItemName, next++, texts.getText(55), 0, 0, 0, 0, "", 0, "", 0);
    for (int i = 0; i < count; ++i) {
        const CIL_DESC& d = descs[i];
        const bool lastOne = i == count - 1;
        const std::string diameterHeading = i == 0 && !lastOne ? texts.getText(56)
                                          : lastOne            ? texts.getText(57)
                                                               : texts.getText(57) + std::to_string(count - i - 1);
        const std::string suffix = i > 0 ? std::to_string(i) : std::string();
        const std::int16_t c1 = next++;
        const std::int16_t c2 = lastOne ? 0 : next++;
        const bool cone = d.coneAngle > kConeAngleMin;
        const std::int16_t c3 = cone ? next++ : 0;
        (void)t.addDescItem(kItemCylinder, c1, diameterHeading, d.opeGeo == 1 ? 1 : 0,
                            d.Flat, d.D, c2, lastOne ? "" : texts.getText(58) + suffix,
                            c3, cone ? texts.getText(61) + suffix : "", lastOne ? 0.0 : d.L2);
    }
    t.processColumn = next;
    (void)t.addDescItem(kItemProcess, next++, texts.getText(59), 0, 0, 0, 0, "", 0, "", 0);
    t.listColumn = next;
    (void)t.addDescItem(kItemList, next++, "", 0, 0, 0, 0, "", 0, "", 0);
    t.itemCapacity = t.itemCount;
    (void)t.write();
    (void)createDefaultProcesses(t, descs, count, "1");
    return 0;
}
