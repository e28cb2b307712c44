// The user tools manager: the half section of a recognised hole drawn into the part as plain lines, arcs and
// points, from which the user builds a special tool. The drawing plane is the top view at z = 0 with
// x = radius and y = height above the hole's bottom (the last segment's zInf); segments run from the top
// down, each from (rSup, zSup) to (rInf, zInf) in the hole's own axial frame. A drill point of 118 degrees
// closes the section. The contact tolerance is 0.04 T.
#include <cmath>

#include "host/api.h"
#include "platform/ui/message_box.h"
#include "plugin/base/globals.h"
#include "plugin/base/resource_switch.h"
#include "plugin/model/tree.h"
#include "plugin/services/features.h"
#include "plugin/services/tooling.h"

namespace {

constexpr int kColour = 12;
constexpr int kMsgNoSegments = 221;
constexpr double kTipHalfAngle = 2.059488517353308 / 2;   // 118 degrees, radians

class CUserToolsMgr {
public:
    virtual ~CUserToolsMgr() = default;
    int run(POINT_LIST& hole);

private:
    void store(ent& e) {
        db_ptr entry = 0;
        char ok = 0;
        store_ent(&e, &entry, 0, kColour, level_, main_attrib, &ok);
    }
    void line(double x1, double y1, double x2, double y2) {
        ent e{};
        e.type = kEntLine;
        e.ln.ln.e1 = {x1, y1, 0};
        e.ln.ln.e2 = {x2, y2, 0};
        store(e);
    }
    void arc(double cx, double cy, double radius, double start, double sweep) {
        ent e{};
        e.type = kEntArc;
        e.arc.view = 1;
        e.arc.c = {cx, cy, 0};
        e.arc.r = radius;
        e.arc.sa = start;
        e.arc.sw = sweep;
        store(e);
    }
    void point(double x, double y) {
        ent e{};
        e.type = kEntPoint;
        e.pt.pt = {x, y, 0};
        store(e);
    }

    std::int32_t level_ = 0;
};

int CUserToolsMgr::run(POINT_LIST& hole) {
    PRM_SETTINGS& s = g_globals->settings;
    std::int32_t level = s.shapeLevel;
    std::uint8_t helpPoints = s.shapeAxisHelpPoints > 0 ? 1 : 0;
    if (!askFormShapeSettings(level, helpPoints)) return 0;
    s.shapeLevel = level;
    s.shapeAxisHelpPoints = helpPoints;
    level_ = level;

    const CYL_LIST* first = hole.firstCyl;
    if (!first) {
        plat::messageBox(nullptr, errorMessage(kMsgNoSegments), errorMessage(1), plat::MB_OK | plat::MB_ICONWARNING);
        return 0;
    }
    const CYL_LIST* last = first;
    while (last->next) last = last->next;
    const double base = last->zInf;
    const double tol = g_tolerances.tol004T;

    double ex = 0, ey = 0;   // the end of the segment before
    for (const CYL_LIST* c = first; c; c = c->next) {
        const double sx = c->rSup, sy = c->zSup - base;
        // Segments that do not meet are joined.
        if (c != first && std::hypot(sx - ex, sy - ey) > tol) line(ex, ey, sx, sy);
        ex = c->rInf;
        ey = c->zInf - base;
        if (c->mergedCount != 0) {
            ex = c->merged[0].rInf;
            ey = c->merged[0].zInf - base;
            line(sx, sy, ex, ey);
            continue;
        }
        if (!(c->rToric > tol)) {
            line(sx, sy, ex, ey);
        } else {
            double cx = c->rCtoric;
            double a1 = std::atan2(c->zSup - c->zToric, c->rSup - cx);
            double a2 = std::atan2(c->zInf - c->zToric, c->rInf - cx);
            // An arc that would cross the axis is drawn about the centre on the other side.
            if (cx + c->rToric * std::cos(a1) < 0 || cx + c->rToric * std::cos(a2) < 0) {
                cx = -cx;
                a1 = std::atan2(c->zSup - c->zToric, c->rSup - cx);
                a2 = std::atan2(c->zInf - c->zToric, c->rInf - cx);
            }
            if (a1 < 0) a1 += 2 * M_PI;
            if (a2 < 0) a2 += 2 * M_PI;
            arc(cx, c->zToric - base, c->rToric, a1, a2 - a1);
        }
        if (helpPoints) point(0, sy);
    }
    // A last segment that is a point ends the section there; otherwise the drill point closes it.
    const double lastSx = last->rSup, lastSy = last->zSup - base;
    if (std::hypot(lastSx - ex, lastSy - ey) > tol) line(ex, ey, 0, -ex / std::tan(kTipHalfAngle));
    return 0;
}

}  // namespace

void runUserToolsManager(POINT_LIST* hole) {
    if (!hole) return;
    CUserToolsMgr manager;
    (void)manager.run(*hole);
}
