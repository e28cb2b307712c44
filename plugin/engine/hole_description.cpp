// Describing a hole in a table's terms. The chain is copied into work entries, which are joined, given
// their shoulders, threads and fits, marked for folding and folded into the records of the cylinders they
// belong to; the remaining entries become the records. Radii and Z in the (radius, Z) half section of the
// hole's view, T the base tolerance.
#include "plugin/base/vectors.h"
#include "plugin/engine/hole_description.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <deque>
#include <numbers>
#include <string>

#include "host/api.h"
#include "plugin/base/globals.h"
#include "plugin/base/utilities.h"
#include "plugin/engine/process_log.h"
#include "plugin/model/ope_list.h"
#include "plugin/model/tree.h"
#include "plugin/model/tab_cols_desc.h"
#include "plugin/services/tables.h"

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kRadToDeg = 180 / kPi;
constexpr double kNearCylinder = 0.0532325;        // about 3.05 degrees
constexpr double kTangentTopEdge = 0.004363;       // 0.25 degree
constexpr double kChamferSteeper = 0.0872665;      // 5 degrees
constexpr double kChamferWindowTol = 0.008726646;  // 0.5 degree

// One segment at work, with what was folded into it.
struct WORK {
    CYL_LIST c;
    bool dropped = false;
    bool handled = false;   // a thread's safety length is added once
    bool topRoundMark = false, topChamferMark = false, bottomRoundMark = false, tipMark = false, extended = false;
    const CYL_LIST* topChamfer = nullptr;   // the slots point into the describer's `slots_`
    const CYL_LIST* topRound = nullptr;
    const CYL_LIST* tip = nullptr;
    const CYL_LIST* bottomRound = nullptr;
};

class DESCRIBER {
public:
    DESCRIBER(double chamferMin, double chamferMax, double chamferDepth, CTabColsDesc* drillTable)
        : chamferMin_(chamferMin), chamferMax_(chamferMax), chamferDepth_(chamferDepth), drillTable_(drillTable) {}

    int run(const CYL_LIST* first, CIL_DESC* out) {
        if (!first) return 0;
        int count = 0;
        for (const CYL_LIST* c = first; c; c = c->next)
            if (++count > kMaxCilDescs) {
                processLogLine("   Agujero de mas de %i segmentos: no se describe\n", kMaxCilDescs);
                return 0;
            }
        for (const CYL_LIST* c = first; c; c = c->next) w_.push_back(WORK{*c});
        joinCollinear();
        markShoulders();
        foldFitsAndThreads();
        markFolds();
        reduceTorics();
        foldForward();
        foldBackward();
        return output(out);
    }

private:
    static bool toric(const CYL_LIST& c, double limit) { return c.rToric > limit; }
    double T() const { return g_tolerances.tolT; }

    void removeDropped() {
        std::erase_if(w_, [](const WORK& w) { return w.dropped; });
    }
    // A copy that stays put while the work entries move.
    const CYL_LIST* keep(const CYL_LIST& c) {
        slots_.push_back(c);
        return &slots_.back();
    }

    void joinCollinear() {
        for (bool changed = true; changed;) {
            changed = false;
            for (std::size_t i = 1; i < w_.size(); ++i) {
                CYL_LIST& up = w_[i - 1].c;
                CYL_LIST& low = w_[i].c;
                if (toric(up, 0.04 * T()) || toric(low, 0.04 * T())) continue;
                if (up.bottomFlat || up.bottomClosed || low.topFlat || low.topClosed) continue;
                const l_2d line{{up.rSup, up.zSup}, {low.rInf, low.zInf}};
                const p_2d upEnd{up.rInf, up.zInf}, lowEnd{low.rSup, low.zSup};
                if (dist_pt_l(&upEnd, &line) > 4 * T() || dist_pt_l(&lowEnd, &line) > 4 * T()) continue;
                if (std::fabs(up.secAng - low.secAng) >= g_tolerances.axisAngle) continue;
                low.zSup = up.zSup;
                low.rSup = up.rSup;
                if (!low.isTap && up.isTap) takeThread(low, up);
                if (!low.isFit && up.isFit) {
                    low.isFit = up.isFit;
                    std::memcpy(low.fitClass, up.fitClass, sizeof low.fitClass);
                    low.fitPreDrill = up.fitPreDrill;
                }
                w_[i - 1].dropped = true;
                changed = true;
            }
            removeDropped();
        }
    }

    static void takeThread(CYL_LIST& to, const CYL_LIST& from) {
        to.isTap = from.isTap;
        to.threadDiam = from.threadDiam;
        to.threadPitch = from.threadPitch;
        to.featureDepth = from.featureDepth;
        to.threadTable = from.threadTable;
        std::memcpy(to.threadName, from.threadName, sizeof to.threadName);
    }

    void markShoulders() {
        const double halfTipMax = g_globals->settings.maxDrawnTipAngle / 2;
        for (std::size_t i = 0; i + 1 < w_.size(); ++i) {
            CYL_LIST& c = w_[i].c;
            const CYL_LIST& next = w_[i + 1].c;
            const double r = c.bottomFlat ? c.rFlatMinBtm : c.rInf;
            const double dr = r - next.rSup, dz = c.zInf - next.zSup;
            // The step's angle from the axis: a ring across the axis is at 90 degrees, an inward step only.
            if (std::hypot(dr, dz) > 2 * T() && std::atan2(dr, dz) * kRadToDeg > halfTipMax) {
                c.bottomFlat = 1;
                c.rFlatMinBtm = next.rSup;
            }
        }
    }

    // The reaming allowance of a fitted diameter: the drill-size table's, else 1 %.
    double reamAllowance(double diameter) {
        double allowance = 0.01 * diameter;
        if (!drillTable_ || drillTable_->kind4Column < 1) return allowance;
        std::vector<std::string> row;
        if (drillTable_->findNearestRow(1, diameter, 2, row) != 0 && drillTable_->findNearestRow(1, diameter, 1, row) != 0)
            return allowance;
        const std::size_t column = static_cast<std::size_t>(drillTable_->kind4Column - 1);
        if (column < row.size() && isNumericText(row[column]) && !row[column].empty()) allowance = std::atof(row[column].c_str());
        return allowance;
    }

    struct THREAD_LOOKUP {
        double drilled = 0, safety = 0;
    };
    // Completes the segment's designation from its diameter and pitch when it has none.
    static THREAD_LOOKUP lookUpThread(CYL_LIST& c) {
        THREAD_LOOKUP found;
        if (c.threadName[0] == 0) {
            std::string table;
            const std::string name =
                findThreadByDiameterPitch(c.threadDiam, c.threadPitch, -1, &table, &found.drilled, &found.safety);
            setFieldText(c.threadName, name);
        } else {
            double nominal = 0, pitch = 0;
            std::int16_t kind = 0;
            if (findThreadRow(c.threadName, -1, &nominal, &pitch, &found.drilled, &found.safety, &kind, nullptr) == 0)
                found = {};
        }
        return found;
    }

    // The thread's taper counts only while it is slight.
    static double taperOf(const CYL_LIST& c) {
        const double taper = c.rSup - c.rInf;
        return taper <= 1.25 / 32 * (c.zSup - c.zInf) ? taper : 0;
    }

    // The segment runs down to where `from` ends, with its bottom.
    static void takeBottom(CYL_LIST& to, const CYL_LIST& from) {
        to.zInf = from.zInf;
        to.bottomFlat = from.bottomFlat;
        to.rFlatMinBtm = from.rFlatMinBtm;
    }

    static void setThreadLength(CYL_LIST& c, double ownLength, double T) {
        if (c.featureDepth < T) c.featureDepth = ownLength;
    }

    // One change at most; true when one was made.
    bool foldOneFitOrThread() {
        for (std::size_t i = 0; i < w_.size(); ++i) {
            CYL_LIST& c = w_[i].c;
            CYL_LIST* next = i + 1 < w_.size() ? &w_[i + 1].c : nullptr;
            if (c.isFit && next && next->secAng <= kConeAngleMin &&
                c.rSup - next->rSup < reamAllowance(2 * c.rSup) + 0.2 * T()) {
                takeBottom(c, *next);
                w_.erase(w_.begin() + static_cast<std::ptrdiff_t>(i) + 1);
                return true;
            }
            if (!c.isTap) continue;
            const THREAD_LOOKUP thread = lookUpThread(c);
            if (c.threadName[0] == 0) continue;
            const double ownLength = c.zSup - c.zInf;
            const double taper = taperOf(c);
            if (next && c.rSup - next->rSup > T() && c.rSup - next->rSup < 2.5 * 4 * T() + taper) {
                if (next->zInf >= c.zInf - thread.safety - 10 * 4 * T() || thread.drilled - T() <= 2 * next->rSup) {
                    const double step = c.rSup - next->rSup;
                    takeBottom(c, *next);
                    c.rInf = c.rSup;
                    c.secAng = 0;
                    setThreadLength(c, ownLength, T());
                    if (i + 2 < w_.size() && w_[i + 2].c.secAng > kConeAngleMin) {
                        CYL_LIST& cone = w_[i + 2].c;
                        cone.rSup += step;
                        cone.zSup += step / std::tan(cone.secAng);
                        c.zInf = cone.zSup;
                    }
                    w_.erase(w_.begin() + static_cast<std::ptrdiff_t>(i) + 1);
                    return true;
                }
                // The core runs on below the thread: the thread ends its safety length deeper.
                // (Folding it up as a tip would drop the thread from the form.)
                if (!w_[i].handled) {
                    c.zInf -= thread.safety;
                    w_[i].handled = true;
                    if (thread.safety != 0) return true;
                }
            }
            if (i > 0) {
                CYL_LIST& above = w_[i - 1].c;
                const double wider = above.rInf - c.rSup;
                if (wider > T() && wider < 5 * T() + taper) {
                    takeBottom(above, c);
                    above.rInf = above.rSup;
                    above.secAng = 0;
                    takeThread(above, c);
                    setThreadLength(above, ownLength, T());
                    w_.erase(w_.begin() + static_cast<std::ptrdiff_t>(i));
                    return true;
                }
            }
        }
        return false;
    }

    void foldFitsAndThreads() {
        while (foldOneFitOrThread()) {
        }
    }

    // The section angle of the arc's tangent at (r, z) about the torus centre, pointing up the hole.
    static double tangentAngle(const CYL_LIST& c, double r, double z) {
        double tr = -(z - c.zToric), tz = r - c.rCtoric;
        if (tz < 0) tr = -tr, tz = -tz;
        return std::atan2(tr, tz);
    }

    void markFolds() {
        const PRM_SETTINGS& s = g_globals->settings;
        const std::size_t n = w_.size();
        for (std::size_t i = 0; i < n; ++i) {
            WORK& w = w_[i];
            CYL_LIST& c = w.c;
            const CYL_LIST* next = i + 1 < n ? &w_[i + 1].c : nullptr;
            const CYL_LIST* above = i > 0 ? &w_[i - 1].c : nullptr;
            if (next && toric(c, 0.04 * T()) && c.rInf < c.rCtoric && c.zToric < c.zSup &&
                std::fabs(next->secAng) < kNearCylinder &&
                std::fabs(tangentAngle(c, c.rInf, c.zInf) - next->secAng) < kTangentTopEdge &&
                (!above || above->bottomFlat))
                w.topRoundMark = true;
            if (next && !toric(c, 0.4 * T())) {
                const bool thinFlatOverThread =
                    c.bottomFlat && next->isTap && c.rInf - c.rFlatMinBtm < next->threadPitch / 2;
                if ((!c.bottomFlat || thinFlatOverThread) && (!above || above->bottomFlat) &&
                    c.secAng - next->secAng > kChamferSteeper &&
                    isBetweenTol(c.secAng, chamferMin_, chamferMax_, kChamferWindowTol) &&
                    c.rSup - c.rInf < 1.05 * chamferDepth_) {
                    w.topChamferMark = true;
                    c.bottomFlat = 0;
                }
            }
            if (above && toric(c, 0.4 * T()) && c.rCtoric < c.rSup && c.zInf < c.zToric &&
                std::fabs(tangentAngle(c, c.rSup, c.zSup) - above->secAng) < kConeAngleMin) {
                if (next) {
                    const bool endFlat = std::fabs(std::fabs(tangentAngle(c, c.rInf, c.zInf)) - kPi / 2) < kConeAngleMin;
                    if (std::fabs(next->secAng) < kConeAngleMin || (c.bottomFlat && endFlat)) w.bottomRoundMark = true;
                } else if ((c.rCtoric < T() && c.rInf < T()) || (c.rCtoric > T() && c.rInf > T() && c.bottomFlat)) {
                    w.bottomRoundMark = true;
                    c.bottomFlat = 1;
                }
            }
            if (above && !w_[i - 1].tipMark && (!next || c.secAng - next->secAng >= kConeAngleMin) && !c.bottomFlat &&
                !toric(c, 0.4 * T()) && !w.topChamferMark &&
                isBetweenTol(2 * c.secAng * kRadToDeg, s.minDrawnTipAngle, s.maxDrawnTipAngle, 0.1))
                w.tipMark = true;
        }
    }

    static void makeCylinder(CYL_LIST& c, double radius) {
        c.rSup = c.rInf = radius;
        c.secAng = c.rToric = c.rCtoric = c.zToric = 0;
    }

    void reduceTorics() {
        const std::size_t n = w_.size();
        for (std::size_t i = 0; i < n; ++i) {
            WORK& w = w_[i];
            CYL_LIST& c = w.c;
            if (w.bottomRoundMark || w.topRoundMark || !toric(c, 0.4 * T())) continue;
            if (n == 1) {
                if (c.rCtoric > c.rInf && c.zToric < c.zSup) {
                    w.topRound = keep(c);
                } else if (c.rCtoric < c.rSup && c.zToric > c.zInf) {
                    w.bottomRound = keep(c);
                    makeCylinder(c, c.rSup);
                    c.bottomFlat = 1;
                    c.rFlatMinBtm = c.rSup;
                } else {
                    makeCylinder(c, c.rInf);
                }
                continue;
            }
            const bool last = i + 1 == n;
            const double endAngle = std::atan2(c.zInf - c.zToric, c.rCtoric - c.rInf);
            const double limit = last ? 0 : c.bottomFlat ? kPi / 2 : w_[i + 1].c.secAng;
            // A limit across the axis has no finite extension: the segment is cut to a cylinder then too.
            if (last || endAngle <= limit - kConeAngleMin || std::cos(limit) < 1e-9) {
                makeCylinder(c, c.rInf);
                if (i > 0) {
                    w_[i - 1].c.bottomFlat = 1;
                    w_[i - 1].c.rFlatMinBtm = c.rInf;
                }
            } else {
                CYL_LIST& next = w_[i + 1].c;
                next.zSup = c.zSup;
                next.rSup += std::tan(limit) * (c.zSup - c.zInf);
                w.extended = true;
            }
        }
    }

    // What an entry folded earlier goes along with it.
    static void passSlots(const WORK& from, WORK& to) {
        if (!to.topChamfer) to.topChamfer = from.topChamfer;
        if (!to.topRound) to.topRound = from.topRound;
        if (!to.tip) to.tip = from.tip;
        if (!to.bottomRound) to.bottomRound = from.bottomRound;
    }

    // One pass each: a marked entry that has no neighbour to fold into (the last forward, the first
    // backward) keeps its place.
    void foldForward() {
        for (std::size_t i = 0; i + 1 < w_.size(); ++i) {
            WORK& w = w_[i];
            if (!(w.topChamferMark || w.topRoundMark || w.extended)) continue;
            WORK& next = w_[i + 1];
            if (w.topChamferMark) next.topChamfer = keep(w.c);
            if (w.topRoundMark) next.topRound = keep(w.c);
            passSlots(w, next);
            w.dropped = true;
        }
        removeDropped();
    }

    void foldBackward() {
        for (std::size_t i = w_.size(); i-- > 1;) {
            WORK& w = w_[i];
            if (!(w.bottomRoundMark || w.tipMark)) continue;
            WORK& above = w_[i - 1];
            if (w.tipMark) above.tip = keep(w.c);
            if (w.bottomRoundMark) above.bottomRound = keep(w.c);
            passSlots(w, above);
            w.dropped = true;
        }
        removeDropped();
    }

    CIL_DESC record(std::size_t i) const {
        const WORK& w = w_[i];
        const CYL_LIST& c = w.c;
        CIL_DESC d;
        d.D = roundHoleDiameter(2 * c.rInf);
        if (c.secAng > kConeAngleMin && !toric(c, 0.4 * T())) d.coneAngle = c.secAng;
        d.zTop = c.zSup;
        d.zBottom = c.zInf;
        d.Flat = c.bottomFlat;
        if (c.entCount > 0) d.entityId = static_cast<std::uint32_t>(c.ents[0].id);
        if (const CYL_LIST* ch = w.topChamfer) {
            d.topChamfer = 1;
            d.zTop = ch->zSup;
            d.chamferDiameter = 2 * ch->rSup;
            d.chamferZ = ch->zInf;
            d.chamferAngle = ch->secAng;
        }
        if (const CYL_LIST* tr = w.topRound) {
            d.topRound = 1;
            d.zTop = tr->zSup;
            d.topRoundTorus[0] = tr->rToric;
            d.topRoundTorus[1] = tr->rCtoric;
            d.topRoundTorus[2] = tr->zToric;
            d.topRoundStart = std::atan2(tr->zSup - tr->zToric, tr->rSup - tr->rCtoric);
            d.topRoundSweep = std::atan2(tr->zInf - tr->zToric, tr->rInf - tr->rCtoric) - d.topRoundStart;
            if (d.topRoundSweep < 0) d.topRoundSweep += 2 * kPi;
        }
        if (const CYL_LIST* tip = w.tip) {
            if (c.rInf - 2 * T() <= tip->rSup) {
                d.TipTool = 1;
            } else {
                d.Flat = 1;
                d.flatInnerDiameter = 2 * tip->rSup;
            }
            d.tipAngle = 2 * tip->secAng;
        }
        if (const CYL_LIST* br = w.bottomRound) roundedBottom(i, *br, d);
        if (c.isFit) {
            d.opeGeo = 2;
            setFieldText(d.fitName, fieldText(c.fitClass));
        }
        if (c.isTap) {
            d.opeGeo = 1;
            d.threadKind = c.featureOrigin;
            d.threadCode = c.threadTable;
            d.threadDiameter = c.threadDiam;
            d.threadPitch = c.threadPitch;
            d.threadDepth = c.featureDepth;
            setFieldText(d.threadName, fieldText(c.threadName));
        }
        return d;   // its lengths once the tops are settled (output)
    }

    void roundedBottom(std::size_t i, const CYL_LIST& br, CIL_DESC& d) const {
        const CYL_LIST& c = w_[i].c;
        d.bottomRound = br.rToric;
        d.bottomRoundCentreR = br.rCtoric;
        d.bottomRoundCentreZ = br.zToric;
        d.bottomArcEnds[0] = br.zSup;
        d.bottomArcEnds[1] = br.rSup;
        d.bottomArcEnds[2] = br.zInf;
        d.bottomArcEnds[3] = br.rInf;
        d.Flat = br.bottomFlat;
        d.bottomArcStart = std::atan2(br.zSup - br.zToric, br.rSup - br.rCtoric);
        d.bottomArcSweep = std::atan2(br.zInf - br.zToric, br.rInf - br.rCtoric) - d.bottomArcStart;
        if (d.bottomArcSweep > 0) d.bottomArcSweep -= 2 * kPi;
        const CYL_LIST* next = i + 1 < w_.size() ? &w_[i + 1].c : nullptr;
        if (!next || std::fabs(next->secAng - tangentAngle(br, br.rInf, br.zInf)) >= kConeAngleMin) {
            d.D = roundHoleDiameter(2 * (c.rInf - std::tan(c.secAng) * (br.zSup - br.zInf)));
            d.zBottom = br.zInf;
            return;
        }
        double r = 0, z = 0;
        if (segmentIntersect2d(&br, next, &r, &z) == 0) r = z = 0;
        d.D = 2 * r;
        d.zBottom = z;
    }

    int output(CIL_DESC* out) const {
        std::vector<CIL_DESC> records;
        for (std::size_t i = 0; i < w_.size(); ++i) records.push_back(record(i));
        for (std::size_t i = 1; i < records.size(); ++i)
            if (records[i - 1].bottomRound > 0.4 * T()) records[i].zTop = records[i - 1].zBottom;
        for (CIL_DESC& d : records) d.L = d.L2 = d.zTop - d.zBottom;
        if (!records.empty()) {
            CIL_DESC& last = records.back();
            last.Through = last.Flat || last.TipTool ? 0 : 1;
        }
        for (std::size_t i = 0; i < records.size(); ++i) out[i] = records[i];
        return static_cast<int>(records.size());
    }

    double chamferMin_, chamferMax_, chamferDepth_;
    CTabColsDesc* drillTable_;
    std::vector<WORK> w_;
    std::deque<CYL_LIST> slots_;   // a deque: the slots point into it while it grows
};

}  // namespace

double roundHoleDiameter(double diameter) {
    return roundToStep(diameter, g_globals->metric() ? 0.005 : 0.0002);
}

int describeByTable(const CYL_LIST* first, CIL_DESC* out, double chamferAngleMin, double chamferAngleMax,
                    double chamferDepthMax, CTabColsDesc* drillTable) {
    return DESCRIBER(chamferAngleMin, chamferAngleMax, chamferDepthMax, drillTable).run(first, out);
}

std::vector<CIL_DESC> describeHole(const CYL_LIST* first, double chamferAngleMin, double chamferAngleMax,
                                   double chamferDepthMax, CTabColsDesc* drillTable) {
    std::vector<CIL_DESC> descs(kMaxCilDescs);
    const int count = describeByTable(first, descs.data(), chamferAngleMin, chamferAngleMax, chamferDepthMax, drillTable);
    descs.resize(static_cast<std::size_t>(count));
    return descs;
}

int segmentIntersect2d(const CYL_LIST* a, const CYL_LIST* b, double* r, double* z) {
    const l_2d lineA = a->bottomFlat ? l_2d{{a->rInf, a->zInf}, {a->rFlatMinBtm, a->zInf}}
                                     : l_2d{{a->rSup, a->zSup}, {a->rInf, a->zInf}};
    const l_2d lineB{{b->rSup, b->zSup}, {b->rInf, b->zInf}};
    p_2d meet;
    if (l_ints(&lineA, &lineB, &meet) == 0) return 0;
    *r = meet.x;
    *z = meet.y;
    return 1;
}

void setHoleDescription(POINT_LIST& hole, const CIL_DESC* descs, int count) {
    freeCilDescs(hole.descs);
    hole.descs = nullptr;
    hole.descCount = 0;
    if (count < 1 || !descs) return;
    hole.descs = allocCilDescs(static_cast<std::size_t>(count));
    std::copy(descs, descs + count, hole.descs);
    hole.descCount = static_cast<std::uint16_t>(count);
}
