// Merging feature marks with holes. A mark runs from its top point down along -direction over its
// length; in a view it is seen by the view z of those two ends (markTop, markBot), which for a mark of
// the opposite direction lie the other way round.
#include "plugin/base/vectors.h"
#include "plugin/recognition/feature_merge.h"

#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <unordered_map>
#include <vector>

#include "host/api.h"
#include "platform/sys/paths.h"
#include "plugin/base/globals.h"
#include "plugin/model/feature_mark.h"
#include "plugin/base/directions.h"
#include "plugin/recognition/opaque_check.h"
#include "plugin/recognition/segment_ends.h"
#include "plugin/model/tree.h"
#include "plugin/services/engine.h"
#include "plugin/services/features.h"
#include "plugin/services/recognition.h"

namespace {

constexpr double kDeg = std::numbers::pi / 180;
constexpr int kCoarseThreadTables = 1000;   // marks of these tables accept segments up to 3 degrees

struct MATCH_ENTRY {
    POINT_LIST* point = nullptr;
    CYL_LIST* segment = nullptr;
    std::int16_t count = 0;
    const FEATURE_MARK* marks[2] = {};
    std::int32_t directions[2] = {};
    double markTop = 0;
};

// The points of a view by their ptView x, y in square cells of size T: a mark's top finds the points
// less than T away in the 3 x 3 cells around it, returned in list order.
class POINT_GRID {
public:
    explicit POINT_GRID(const VIEW_LIST* view) {
        int order = 0;
        for (POINT_LIST* p = view->firstPoint; p; p = p->next, ++order) {
            if (std::isfinite(p->ptView[0]) && std::isfinite(p->ptView[1]))
                cells_[pack(key(p->ptView[0]), key(p->ptView[1]))].push_back({order, p});
        }
    }
    // A top that is not finite (a mark whose arc a damaged part gave no real centre) is near no point.
    void near(const double xy[2], std::vector<POINT_LIST*>& out) const {
        out.clear();
        if (!std::isfinite(xy[0]) || !std::isfinite(xy[1])) return;
        std::vector<std::pair<int, POINT_LIST*>> found;
        const long long kx = key(xy[0]), ky = key(xy[1]);
        for (long long x = kx - 1; x <= kx + 1; ++x)
            for (long long y = ky - 1; y <= ky + 1; ++y) {
                const auto it = cells_.find(pack(x, y));
                if (it == cells_.end()) continue;
                for (const auto& entry : it->second) {
                    const POINT_LIST* p = entry.second;
                    if (std::hypot(p->ptView[0] - xy[0], p->ptView[1] - xy[1]) < g_tolerances.tolT) found.push_back(entry);
                }
            }
        std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
        for (const auto& entry : found) out.push_back(entry.second);
    }

private:
    static long long key(double v) {
        return static_cast<long long>(std::clamp(std::floor(v / g_tolerances.tolT), -1e12, 1e12));
    }
    // Keys beyond 2^31 cells share bits: that only adds candidates, which the distance test drops.
    static std::uint64_t pack(long long x, long long y) {
        return (static_cast<std::uint64_t>(x) & 0xFFFFFFFFu) << 32 | (static_cast<std::uint64_t>(y) & 0xFFFFFFFFu);
    }
    std::unordered_map<std::uint64_t, std::vector<std::pair<int, POINT_LIST*>>> cells_;
};

bool isEntryChamfer(const CYL_LIST* prev, const CYL_LIST* c) {
    return prev && isBetweenTol(prev->secAng, 30 * kDeg, 60 * kDeg, 0.01) &&
           std::fabs(prev->rInf - c->rSup) < g_tolerances.tolT;
}
bool isExitChamfer(const CYL_LIST* c, const CYL_LIST* next) {
    return next && isBetweenTol(next->secAng, -30 * kDeg, -60 * kDeg, 0.01) &&
           std::fabs(next->rSup - c->rInf) < g_tolerances.tolT;
}

bool matches(const CYL_LIST* c, double markTop, double markBot) {
    const double T = g_tolerances.tolT;
    const double zTop = c->zSup, zBot = c->zInf;
    const double zTopExt = isEntryChamfer(c->prev, c) ? c->prev->zSup : zTop;
    const double zBotExt = isExitChamfer(c, c->next) ? c->next->zInf : zBot;
    return (markTop - zTop > -T && zBot - markBot > -T) || (zTop - markTop > -T && markBot - zBot > -T) ||
           (zTopExt - markTop > -T && markBot - zBotExt > -T);
}

// The data both halves of a split hole and a singly marked segment take from the mark.
void takeMarkData(CYL_LIST* c, const FEATURE_MARK& m) {
    c->isFit = m.isFit;
    std::snprintf(c->fitClass, sizeof c->fitClass, "%.*s", static_cast<int>(sizeof m.fitClass), m.fitClass);
    c->isTap = m.isTap;
    c->threadDiam = m.tapDiam;
    c->threadPitch = m.tapPitch;
    c->threadTable = m.threadKind;
    c->featureDepth = m.threadDepth;
    std::snprintf(c->threadName, sizeof c->threadName, "%.*s", static_cast<int>(sizeof m.threadName), m.threadName);
    c->attribSuffix = 0;
}

void recordMatches(VIEW_LIST* tree, FEATURE_MARK* marks, std::vector<MATCH_ENTRY>& entries) {
    std::unordered_map<const CYL_LIST*, std::size_t> entryOf;   // looked up only, never walked
    std::vector<POINT_LIST*> near;
    for (VIEW_LIST* view = tree; view; view = view->next) {
        double mt[3][3];
        transpose_matrix_33(view->matrix, mt);
        const POINT_GRID grid(view);
        for (const FEATURE_MARK* m = marks; m; m = m->next) {
            const int d = compareDirections(view->matrix[2], m->direction, g_tolerances.axisAngle);
            if (d == 0) continue;
            double top[3], bottomWorld[3], bottom[3];
            mul_mat_vector(mt, m->point, top);
            for (int k = 0; k < 3; ++k) bottomWorld[k] = m->point[k] - m->length * m->direction[k];
            mul_mat_vector(mt, bottomWorld, bottom);
            const double markTop = top[2], markBot = bottom[2];
            const double straight = (m->threadKind >= kCoarseThreadTables ? 3 : 0.05) * kDeg;

            grid.near(top, near);
            for (POINT_LIST* point : near) {
                for (CYL_LIST* c = point->firstCyl; c; c = c->next) {
                    if (std::fabs(c->secAng) > straight || !matches(c, markTop, markBot)) continue;
                    const auto found = entryOf.find(c);
                    if (found != entryOf.end()) {
                        MATCH_ENTRY& e = entries[found->second];
                        if (e.count < 2) {
                            e.marks[e.count] = m;
                            e.directions[e.count] = d;
                            ++e.count;
                        }
                    } else {
                        entryOf.emplace(c, entries.size());
                        MATCH_ENTRY e;
                        e.point = point;
                        e.segment = c;
                        e.count = 1;
                        e.marks[0] = m;
                        e.directions[0] = d;
                        e.markTop = markTop;
                        entries.push_back(e);
                    }
                    break;
                }
            }
        }
    }
}

void applySingle(const MATCH_ENTRY& e) {
    CYL_LIST* c = e.segment;
    const FEATURE_MARK& m = *e.marks[0];
    takeMarkData(c, m);
    c->featureOrigin = m.origin;
    c->featureFromBottom = std::fabs(e.markTop - c->zSup) > std::fabs(e.markTop - c->zInf) ? 1 : 0;
}

// false when the split moved nothing or failed: the merge ends there.
bool applyPair(VIEW_LIST* tree, const MATCH_ENTRY& e, CMoveIndex& index, const ALLOWED_VIEWS& allowed) {
    POINT_LIST* point = e.point;
    VIEW_LIST* view = point->view;
    if (point->cylCount != 1 || point->neckSplitted || point->twinSplitted || point->crashBottom) return true;
    if (isOppositeDirAllowed(allowed, view->matrix[2]) != 1) return true;
    POINT_LIST* moved = splitPointToOppView2(tree, view, point, e.segment, &index);
    if (!moved || moved == moveFailed()) return false;
    const int keptMark = e.directions[0] == kSameSense ? 0 : 1;
    takeMarkData(point->firstCyl, *e.marks[keptMark]);
    takeMarkData(moved->firstCyl, *e.marks[1 - keptMark]);
    return true;
}

void dumpMarks(const FEATURE_MARK* marks) {
    const std::string path = plat::joinPath(g_globals->tmpDir, "FeaturesList.txt");
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return;
    for (const FEATURE_MARK* m = marks; m; m = m->next) {
        double bottom[3];
        for (int k = 0; k < 3; ++k) bottom[k] = m->point[k] - m->length * m->direction[k];
        std::fprintf(f, "\nDir %.6f %.6f %.6f From %s EndPtsUniv(X%.4f Y%.4f Z%.4f)(X%.4f Y%.4f Z%.4f) Solid ents:",
                     m->direction[0], m->direction[1], m->direction[2], m->origin == 1 ? "Pforge" : "Other CAD",
                     m->point[0], m->point[1], m->point[2], bottom[0], bottom[1], bottom[2]);
        const int solids = std::clamp<int>(m->solidEntCount, 0, kMaxMarkSolids);
        for (int i = 0; i < solids; ++i) std::fprintf(f, " %" PRIu32, m->solidEnts[i]);
        std::fprintf(f, "\n    Pt %.4f %.4f %.4f Diam %.4f L %.4f ArcEnt %" PRIu32 " %" PRIu32 "\n", m->point[0], m->point[1],
                     m->point[2], m->diameter, m->length, m->arcEnts[0], m->arcEnts[1]);
        std::fprintf(f, "    %s %s", m->isFit ? "isFit" : "", m->isTap ? "isTap" : "");
        if (m->isTap) std::fprintf(f, " tapDiam %.4f tapPitch %.4f", m->tapDiam, m->tapPitch);
        if (m->isFit)
            std::fprintf(f, " fitClass %.*s", static_cast<int>(sizeof m->fitClass), m->fitClass);
        std::fprintf(f, "\n");
    }
    std::fclose(f);
}

}  // namespace

FEATURE_MARK* mergeFeaturesWithHoles(VIEW_LIST* tree, FEATURE_MARK* marks, const ALLOWED_VIEWS& allowed) {
    marks = projectHolesToView(tree, marks, 0);
    featureMarksToView(marks);

    std::vector<MATCH_ENTRY> entries;
    recordMatches(tree, marks, entries);
    const std::unique_ptr<CMoveIndex> moveIndex = makeMoveIndex();
    CMoveIndex& index = *moveIndex;
    for (const MATCH_ENTRY& e : entries) {
        if (e.count == 1) applySingle(e);
        else if (!applyPair(tree, e, index, allowed)) return marks;
    }
    if (g_globals->debugDumps) dumpMarks(marks);
    return marks;
}
