// The tool-collision check: the circles of the centre drill and of the chamfer tool around each hole's
// mouth, projected along the view's axis onto the other visible surfaces. Frame and notation as in
// opaque_check.cpp (view coordinates, top z = ptView z, P = view z of a hit); the margin here is 4T.
// A head hole gives its radii and depth to every copy of its chain; each copy is tested where it stands.
#include "plugin/recognition/tool_collision.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <span>

#include "plugin/base/globals.h"
#include "plugin/base/progress_box.h"
#include "plugin/base/vectors.h"
#include "plugin/model/ope_list.h"
#include "plugin/recognition/opaque_check.h"
#include "plugin/recognition/pipeline.h"
#include "plugin/model/tree.h"
#include "plugin/services/recognition.h"

namespace {

using namespace opaque;

constexpr int kCentreDrillTypes[] = {1, 2};
constexpr int kChamferTypes[] = {9, 12};

struct HEAD {
    double rCD = 0, rCh = 0, depth = 0;
};

struct MEMBER {
    POINT_LIST* point;
    std::size_t head;
    std::span<const db_ptr> owned;   // its entity entries (CHoleSurfaces::entriesOf)
};

struct VIEW_STATE {
    VIEW_LIST* view = nullptr;
    VIEW_AXIS axis;
    std::vector<HEAD> heads;
    std::vector<MEMBER> members;   // heads in list order, each followed by its chain
    CNearHoles near;
};

template <std::size_t N>
double largestToolDiameter(const OPE_LIST* ope, const int (&types)[N]) {
    double diameter = 0;
    for (; ope; ope = ope->next) {
        const std::uint32_t type = ope->toolType;
        if (std::find(std::begin(types), std::end(types), static_cast<int>(type)) != std::end(types))
            diameter = std::max(diameter, ope->toolDiam);
    }
    return diameter;
}

HEAD measureHead(const POINT_LIST* p) {
    HEAD h;
    if (p->descCount > 0 && p->descs) {
        const PRM_SETTINGS& set = g_globals->settings;
        const double cd =
            set.overrideSpotDrill ? set.spotDrillDiameter : largestToolDiameter(p->opeList, kCentreDrillTypes);
        h.rCD = cd / 2;
        h.rCh = largestToolDiameter(p->opeList, kChamferTypes) / 2;
        h.depth = p->descs[0].zTop - p->descs[p->descCount - 1].zBottom;
    } else {
        h.rCD = h.rCh = p->firstCyl->rSup;
        h.depth = p->firstCyl->zSup - lastCyl(p)->zInf;
    }
    return h;
}

// A centre-drill hit sets bit 1 and a chamfer hit bit 2 of the touch code (1, 2, 3 = both). Deliberately, a
// centre-drill hit keeps a chamfer hit found on an earlier surface (writing plain 1 would turn 2 into 1):
// otherwise the same part reports the chamfer tool's collision or not by the order of its surfaces, and a
// check must only ever add to what it found.
void touchCentreDrill(std::int16_t& touch) { touch = (touch == 2 || touch == 3) ? 3 : 1; }
void touchChamfer(std::int16_t& touch) {
    if (touch == 0) touch = 2;
    else if (touch == 1) touch = 3;
}

constexpr int kRays = 32;
constexpr int kCentreDrill = 1, kChamfer = 2;   // the tools a cast of rays is for

const std::array<TURN, kRays>& rayTurns() {
    static const std::array<TURN, kRays> turns = turnsOf<kRays>(0);
    return turns;
}

class CToolCheck {
public:
    explicit CToolCheck(VIEW_LIST* tree)
        : owners_(tree), dump_("24_ToolCollisionf.txt", static_cast<long>(g_surfaceCount)) {
        int pointCount = 0;
        for (const VIEW_LIST* view = tree; view; view = view->next) pointCount += countPoints(view);
        for (VIEW_LIST* view = tree; view; view = view->next) {
            VIEW_STATE& state = views_.emplace_back();
            state.view = view;
            state.axis = viewAxis(view->viewNumber);
            for (POINT_LIST* p = view->firstPoint; p; p = p->next) {
                if (p->chainMember || !p->firstCyl) continue;
                const HEAD head = measureHead(p);
                state.heads.push_back(head);
                // A chain longer than the tree holds points is a damaged one: stop where it must repeat.
                int left = pointCount;
                for (POINT_LIST* m = p; m && left > 0; m = m->nextEqual, --left) {
                    if (!m->firstCyl) continue;
                    state.members.push_back({m, state.heads.size() - 1, owners_.entriesOf(m)});
                    state.near.add(m->ptView[0], m->ptView[1], std::max(head.rCD, head.rCh));
                    state.near.widenBoxReach(head.rCD);
                    state.near.widenBoxReach(head.rCh);
                }
            }
        }
    }

    int run(CProgressBox* progress) {
        return opaque::forEachVisibleSurface(g_surfaceCount / 20, progress, [this](const ent& surface) {
            for (VIEW_STATE& state : views_) checkSurfaceInView(surface, state);
            return 0;
        });
    }

private:
    void checkSurfaceInView(const ent& surface, VIEW_STATE& state) {
        SURF_IN_VIEW s;
        surfaceInView(surface, nullptr, state.view->matrix, s);
        double bounds[2][2];
        startBounds(s, bounds);
        state.near.query(s.centre[0], s.centre[1], s.radius, bounds, near_);
        for (int i : near_) {
            const MEMBER& m = state.members[static_cast<std::size_t>(i)];
            const HEAD& head = state.heads[m.head];
            POINT_LIST* p = m.point;
            if (CHoleSurfaces::holds(m.owned, surface.eptr)) continue;
            // Whether a tool's circle and the sphere meet: rX + radius >= hypot, by the squares where they
            // can tell.
            const double dx = s.centre[0] - p->ptView[0], dy = s.centre[1] - p->ptView[1];
            double dc = -1;
            auto meets = [&](double toolRadius) {
                const double reach = toolRadius + s.radius;
                const int side = squareAgainst(dx * dx + dy * dy, reach);
                if (side != 0) return side < 0;
                if (dc < 0) dc = std::hypot(dx, dy);
                return reach >= dc;
            };
            const bool centreDrill = meets(head.rCD), chamfer = meets(head.rCh);
            // Two tools of one radius (to the bit: a zero's sign would show in the starts) cast the same rays,
            // and the same ray is the first to mark for both: the rays are cast once and mark for each tool in
            // turn, as two casts would.
            const bool oneRadius = std::bit_cast<std::uint64_t>(head.rCD) == std::bit_cast<std::uint64_t>(head.rCh);
            if (centreDrill && chamfer && oneRadius) {
                tool(surface, s, state, p, head, head.rCD, kCentreDrill | kChamfer);
                continue;
            }
            if (centreDrill) tool(surface, s, state, p, head, head.rCD, kCentreDrill);
            if (chamfer) tool(surface, s, state, p, head, head.rCh, kChamfer);
        }
    }

    // 32 rays on the tool's circle (one on the axis for a tool narrower than 0.4T); the first hit above the
    // top or below the bottom by more than 4T marks the point for the tools (kCentreDrill, kChamfer) and ends
    // the rays.
    void tool(const ent& surface, const SURF_IN_VIEW& s, const VIEW_STATE& state, POINT_LIST* p, const HEAD& head,
              double radius, int tools) {
        const VIEW_LIST& view = *state.view;
        const double topZ = p->ptView[2];
        const double bottomZ = topZ - head.depth;
        const double T4 = g_tolerances.tol4T;
        // The rays need not be cast when no mark they could make is still to make: a surface lying wholly
        // between the two margins marks no side; the first ray that marks ends the rays, so a surface that
        // can only mark sides its tools have marked changes nothing (a tool's bit is its bit of the touch
        // codes). The dump lists every mark, so with it no mark counts as made.
        const int madeAbove = dump_.on() ? 0 : p->touchTop & tools, madeBelow = dump_.on() ? 0 : p->touchBottom & tools;
        const int settledAbove = s.zMax <= topZ + T4 ? tools : madeAbove;
        const int settledBelow = s.zMin >= bottomZ - T4 ? tools : madeBelow;
        if ((settledAbove & settledBelow) == tools) return;
        if (!raysMayMeetBox(s, p->ptView[0], p->ptView[1], radius)) return;
        const int n = g_tolerances.tol04T > radius ? 1 : kRays;
        const auto& turns = rayTurns();
        double bounds[2][2];
        startBounds(s, bounds);
        for (int k = 0; k < n; ++k) {
            // One ray is the first of the 32: the angle 0, whose cosine and sine the table holds.
            const TURN& turn = turns[static_cast<std::size_t>(k)];
            const double start[3] = {p->ptView[0] + radius * turn.cos, p->ptView[1] + radius * turn.sin, topZ};
            // Where the circle only grazes the box most starts lie beside it: refused here, before the call.
            if (!startMayHit(bounds, start)) continue;
            double startWorld[3], hit[3], P = 0;
            if (!projectRay(surface, s, view, state.axis, start, startWorld, hit, &P)) continue;
            const bool above = P > topZ + T4;
            const bool below = bottomZ - T4 > P;
            if (!above && !below) continue;
            std::int16_t& touch = above ? p->touchTop : p->touchBottom;
            const double planeZ = above ? topZ : bottomZ;
            if (tools & kCentreDrill) {
                touchCentreDrill(touch);
                writeDump(surface, view, p, radius, head.rCD, above, planeZ, hit, true);
            }
            if (tools & kChamfer) {
                touchChamfer(touch);
                writeDump(surface, view, p, radius, head.rCD, above, planeZ, hit, false);
            }
            return;
        }
    }

    void writeDump(const ent& surface, const VIEW_LIST& view, const POINT_LIST* p, double radius,
                   double rCD, bool top, double planeZ, const double hit[3], bool centreDrill) {
        if (!dump_.on()) return;
        double dMin = 0, dMax = 0;
        cornerDistances(surface, view.matrix, p->ptView[0], p->ptView[1], &dMin, &dMax);
        const char* label = centreDrill ? (top ? "Center drill Top r=" : "Center drill Bottom r=")
                                        : (top ? "Chamfer tool Top r =" : "Chamfer tool Bottom r=");
        dump_.line("\n%li %s%.3f View %i ptUniv(%.3f %.3f %.3f) cPlane(%.3f %.3f %.3f) r=%.2f\n"
                   "        %i %i dMin=%.2f  dMax=%.2f %s=%.2f zMax=%.2f ptProjUniv(%.3f %.3f %.3f)\n",
                   static_cast<long>(surface.id), label, radius, view.viewNumber, p->ptUniv[0], p->ptUniv[1],
                   p->ptUniv[2], p->ptView[0], p->ptView[1], planeZ, rCD, 1, 1, dMin, dMax, top ? "zMin" : "zInf", 1e10,
                   -1e10, hit[0], hit[1], hit[2]);
    }

    CHoleSurfaces owners_;
    CCheckDump dump_;
    std::vector<VIEW_STATE> views_;
    std::vector<int> near_;
};

}  // namespace

int checkToolCollision(VIEW_LIST* tree, CProgressBox* progress) {
    CToolCheck check(tree);
    return check.run(progress);
}
