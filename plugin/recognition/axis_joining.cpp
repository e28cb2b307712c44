// Axis joining and revolved flat rings (axis_joining.h). Notation: cA, cB are a segment's axis point in
// the frames of the receiving view A and the giving view B; a world point p goes into a frame M as
// transpose(M) p and back as M p. Heights are re-measured by taking B's axis points through world into A.
#include "plugin/recognition/axis_joining.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <new>
#include <numbers>
#include <unordered_map>
#include <utility>
#include <vector>

#include "host/api.h"
#include "platform/ui/message_box.h"
#include "plugin/base/globals.h"
#include "plugin/base/directions.h"
#include "plugin/recognition/surface_segment.h"
#include "plugin/model/tree.h"
#include "plugin/base/vectors.h"

namespace {

constexpr double kRingAngleTolerance = 0.00017453292519943288;   // 0.01 degree

void toView(const double m[3][3], const double p[3], double out[3]) {
    double t[3][3];
    transpose_matrix_33(m, t);
    mul_mat_vector(t, p, out);
}
void toWorld(const double m[3][3], const double p[3], double out[3]) { mul_mat_vector(m, p, out); }

// z in A's frame of B's axis point (cB.x, cB.y, z).
double heightInA(const double cB[3], double z, const VIEW_LIST* b, const VIEW_LIST* a, double world[3]) {
    const double axisPoint[3] = {cB[0], cB[1], z};
    double inA[3];
    toWorld(b->matrix, axisPoint, world);
    toView(a->matrix, world, inA);
    return inA[2];
}

void appendEnts(CYL_LIST* to, const CYL_LIST* from) {
    const int count = std::clamp<int>(from->entCount, 0, kMaxCylEnts);
    for (int i = 0; i < count && to->entCount < kMaxCylEnts; ++i) to->ents[to->entCount++] = from->ents[i];
}

// ---- joining one pair of views ---------------------------------------------------------------------------
// The nested walk "each point P of A, each point Q of B" in a grid of B's points taken into A's frame.
// For one P the candidates are taken in B's list order after the last one moved, each tested against P's
// position at that moment (a move may shift it), which is what the nested walk does; B only loses points
// and A's points only gain segments while the pair is worked, so the grid stays true.
class CPairJoin {
public:
    CPairJoin(VIEW_LIST* a, VIEW_LIST* b, int sense) : m_a(a), m_b(b), m_sense(sense), m_cell(g_tolerances.tolT) {
        for (POINT_LIST* q = b->firstPoint; q; q = q->next) {
            CANDIDATE c;
            c.point = q;
            toView(a->matrix, q->ptUniv, c.inA);
            m_grid[key(index(c.inA[0]), index(c.inA[1]))].push_back(m_candidates.size());
            m_candidates.push_back(c);
        }
    }

    [[nodiscard]] int run() {
        for (POINT_LIST* p = m_a->firstPoint; p;) {
            POINT_LIST* nextP = p->next;
            std::size_t after = 0;   // candidates before this one were passed for P
            for (;;) {
                const std::size_t found = nextCandidate(p, after);
                if (found == kNone) break;
                m_candidates[found].alive = false;
                if (moveJointPoints(m_candidates[found].point, m_b, p, m_a, m_sense) < 0) return -1;
                after = found + 1;
            }
            p = nextP;
        }
        return 0;
    }

private:
    struct CANDIDATE {
        POINT_LIST* point = nullptr;
        double inA[3] = {};
        bool alive = true;
    };
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

    std::int64_t index(double v) const {
        const double f = std::floor(v / m_cell);
        return std::isfinite(f) ? static_cast<std::int64_t>(std::clamp(f, -1e9, 1e9)) : 0;
    }
    static std::int64_t key(std::int64_t ix, std::int64_t iy) { return ix * 4000000007LL + iy; }

    // The first live candidate from `after` on, in B's order, within T of P's present position.
    std::size_t nextCandidate(const POINT_LIST* p, std::size_t after) const {
        const double t = g_tolerances.tolT;
        std::size_t best = kNone;
        auto close = [&](std::size_t i) {
            const CANDIDATE& c = m_candidates[i];
            return c.alive && i >= after && std::hypot(c.inA[0] - p->ptView[0], c.inA[1] - p->ptView[1]) < t;
        };
        if (!(m_cell > 0)) {   // no grid without a positive T: walk them all
            for (std::size_t i = after; i < m_candidates.size(); ++i)
                if (close(i)) return i;
            return kNone;
        }
        const std::int64_t ix = index(p->ptView[0]), iy = index(p->ptView[1]);
        for (std::int64_t dx = -1; dx <= 1; ++dx)
            for (std::int64_t dy = -1; dy <= 1; ++dy) {
                auto cell = m_grid.find(key(ix + dx, iy + dy));
                if (cell == m_grid.end()) continue;
                for (std::size_t i : cell->second)
                    if (i < best && close(i)) best = i;
            }
        return best;
    }

    VIEW_LIST* m_a;
    VIEW_LIST* m_b;
    int m_sense;
    double m_cell;
    std::vector<CANDIDATE> m_candidates;
    std::unordered_map<std::int64_t, std::vector<std::size_t>> m_grid;
};

}  // namespace

int cylsJointAxis(VIEW_LIST* head) {
    const double angle = g_tolerances.axisAngle;
    for (VIEW_LIST* a = head; a; a = a->next) {
        for (VIEW_LIST* b = head; b; b = b->next) {
            if (b == a) continue;
            const int sense = compareDirections(a->matrix[2], b->matrix[2], angle);
            if (sense == 0) continue;
            // A view that matches a host view never gives its points away; the answer is the same for
            // every point of B, so the pair is passed over before any point is compared.
            if (viewNumberOfMatrix(b->matrix, angle) != 0) continue;
            if (CPairJoin(a, b, sense).run() < 0) return -1;
        }
    }
    return 0;
}

int moveJointPoints(POINT_LIST* q, VIEW_LIST* b, POINT_LIST* p, VIEW_LIST* a, int sense) {
    const int count = countCyls(q);
    std::unique_ptr<CYL_LIST*[]> segments(new (std::nothrow) CYL_LIST*[static_cast<std::size_t>(count) + 1]);
    if (!segments) {
        plat::messageBox(nullptr, errorMessage(35), errorMessage(1), plat::MB_OK | plat::MB_ICONERROR);
        return -1;
    }
    int n = 0;
    for (CYL_LIST* c = q->firstCyl; c; c = c->next) segments[n++] = c;

    for (int i = 0; i < n; ++i) {
        CYL_LIST* s = segments[i];
        double cB[3], cA[3];
        toView(b->matrix, s->cUniv, cB);
        toView(a->matrix, s->cUniv, cA);

        const double radius = std::max(s->rSup, s->rInf);
        const double edge[3] = {cB[0] + std::cos(s->Ai) * radius, cB[1] + std::sin(s->Ai) * radius, cB[2]};
        double edgeWorld[3], edgeA[3];
        toWorld(s->matrix, edge, edgeWorld);
        toView(a->matrix, edgeWorld, edgeA);
        s->Ai = std::atan2(edgeA[1] - cA[1], edgeA[0] - cA[0]);

        double supWorld[3], infWorld[3], toricWorld[3];
        const double zSup = heightInA(cB, s->zSup, b, a, supWorld);
        const double zInf = heightInA(cB, s->zInf, b, a, infWorld);
        // zToric is a height in the segment's frame like zSup and zInf, and segments of one point are
        // compared by it, so a joined toric segment has it re-measured too.
        if (s->rToric != 0) s->zToric = heightInA(cB, s->zToric, b, a, toricWorld);
        s->zSup = zSup;
        s->zInf = zInf;

        if (sense == kJoinOppositeSense) {
            s->Asw = -s->Asw;
            std::swap(s->zSup, s->zInf);
            std::swap(s->rSup, s->rInf);
            s->secAng = -s->secAng;
            // cUniv sits at zSup; the old top is the bottom now, so the axis point moves to the old bottom.
            // Leaving it would put the point's position (ptUniv, ptView) at the far end of its top segment.
            copyVector(s->cUniv, infWorld);
            toView(a->matrix, s->cUniv, cA);
        }
        s->viewNumber = static_cast<std::uint16_t>(a->viewNumber);
        copyMatrix33(s->matrix, a->matrix);

        CYL_LIST* before = p->firstCyl;
        while (before && before->zSup > s->zSup) before = before->next;
        if (before) {
            s->prev = before->prev;
            s->next = before;
            if (before->prev) before->prev->next = s;
            else p->firstCyl = s;
            before->prev = s;
        } else {
            CYL_LIST* last = lastCyl(p);
            s->prev = last;
            s->next = nullptr;
            if (last) last->next = s;
            else p->firstCyl = s;
        }
        if (p->firstCyl == s) {
            copyVector(p->ptUniv, s->cUniv);
            copyVector(p->ptView, cA);
        }
        ++p->cylCount;
    }

    q->firstCyl = nullptr;
    q->cylCount = 0;
    if (q->prev) q->prev->next = q->next;
    else if (b->firstPoint == q) b->firstPoint = q->next;
    if (q->next) q->next->prev = q->prev;
    --b->pointCount;
    freePointList(q);
    return 0;
}

int cylsPlanarRev(VIEW_LIST* head) {
    const double t = g_tolerances.tolT;
    for (VIEW_LIST* view = head; view; view = view->next) {
        for (POINT_LIST* point = view->firstPoint; point; point = point->next) {
            for (CYL_LIST* s = point->firstCyl; s;) {
                CYL_LIST* nextS = s->next;
                const bool flatRing = std::abs(std::abs(s->secAng) - std::numbers::pi / 2) < kRingAngleTolerance &&
                                      std::abs(s->rToric) < g_tolerances.tol0004T;
                if (!flatRing) {
                    s = nextS;
                    continue;
                }
                const double rIn = std::min(s->rSup, s->rInf), rOut = std::max(s->rSup, s->rInf);
                const double z = s->zInf;
                for (CYL_LIST* other = point->firstCyl; other; other = other->next) {
                    if (other == s) continue;
                    if (std::abs(other->zSup - z) < t && rOut < other->rSup + t) {
                        other->topFlat = 1;
                        if (std::abs(rIn) < t) other->topClosed = 1;
                        other->rFlatMinTop = rIn;
                        other->rFlatMaxTop = rOut;
                        appendEnts(other, s);
                        break;
                    }
                    if (std::abs(other->zInf - z) < t && rOut < other->rInf + t) {
                        other->bottomFlat = 1;
                        if (std::abs(rIn) < t) other->bottomRingClosed = 1;
                        other->rFlatMinBtm = rIn;
                        other->rFlatMaxBtm = rOut;
                        appendEnts(other, s);
                        break;
                    }
                }

                if (s->prev) {
                    s->prev->next = s->next;
                } else {
                    point->firstCyl = s->next;
                    if (s->next) {
                        copyVector(point->ptUniv, s->next->cUniv);
                        toView(view->matrix, point->ptUniv, point->ptView);
                    }
                }
                if (s->next) s->next->prev = s->prev;
                freeCylList(s);
                --point->cylCount;
                s = nextS;
            }
        }
    }
    return 0;
}
