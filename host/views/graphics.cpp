// The graphics window as a rectangle of the graphics view (centre and height, width 4/3 of the height),
// fit() over what the user sees, and the job set-up. A new part starts with its window at the origin.
#include <algorithm>
#include <cmath>
#include <limits>

#include "host/db/database.h"
#include "host/internal.h"
#include "host/ops/op_store.h"
#include "host/state.h"
#include "host/tools/part_tools.h"
#include "host/views/view_table.h"

job_setup_rec job_setup;

namespace host::views {
namespace {

constexpr double kAspect = 4.0 / 3.0;
constexpr double kFillRatio = 0.9525;

struct Extent {
    double minX = std::numeric_limits<double>::infinity(), maxX = -std::numeric_limits<double>::infinity();
    double minY = minX, maxY = maxX;
    bool empty() const { return minX > maxX; }
    void add(const Vec& p) {
        minX = std::min(minX, p[0]);
        maxX = std::max(maxX, p[0]);
        minY = std::min(minY, p[1]);
        maxY = std::max(maxY, p[1]);
    }
};

Vec vec(const p_3d& p) { return {p.x, p.y, p.z}; }

// World points that bound what an entity shows.
std::vector<Vec> outline(const ent& e) {
    std::vector<Vec> pts;
    Mat m{};
    auto inView = [&](int view, const Vec& p) {
        double a[3][3];
        if (get_view_matrix(view, a)) m = toMat(a);
        else m = standardMatrix(1);
        return toWorld(m, p);
    };
    switch (e.type) {
    case kEntPoint: pts.push_back(vec(e.pt.pt)); break;
    case kEntLine: pts = {vec(e.ln.ln.e1), vec(e.ln.ln.e2)}; break;
    case kEntArc: {
        const Vec c = vec(e.arc.c);
        const double r = e.arc.r;
        for (const auto& d : {Vec{r, 0, 0}, Vec{-r, 0, 0}, Vec{0, r, 0}, Vec{0, -r, 0}})
            pts.push_back(inView(e.arc.view, {c[0] + d[0], c[1] + d[1], c[2]}));
        break;
    }
    case kEntNote: pts.push_back(inView(e.note.view, vec(e.note.pos))); break;
    case kEntDrafting: pts = {vec(e.draft.line.e1), vec(e.draft.line.e2), vec(e.draft.anchor)}; break;
    case kEntSurface:
        for (int i = 0; i < 8; ++i)
            pts.push_back({(i & 1 ? e.surf.boxMax : e.surf.boxMin).x, (i & 2 ? e.surf.boxMax : e.surf.boxMin).y,
                           (i & 4 ? e.surf.boxMax : e.surf.boxMin).z});
        break;
    case kEntSolid:
        for (const p_3d& p : e.solid.box) pts.push_back(vec(p));
        break;
    default: break;
    }
    return pts;
}

}  // namespace
}  // namespace host::views

using namespace host::views;

void fit() {
    State& st = state();
    ++st.fits;
    const Mat gr = st.views[static_cast<std::size_t>(st.grView - 1)];
    Extent ext;
    db_ptr p = db_start();
    char found = 0;
    ent e{};
    for (;;) {
        get_ent(p, 1, ~0u, &e, &p, &found);
        if (!found) break;
        if (mask_level != 0 && e.level != mask_level) continue;
        for (const Vec& w : outline(e)) ext.add(toView(gr, w));
    }
    if (!ext.empty()) {
        st.wkX = (ext.minX + ext.maxX) / 2;
        st.wkY = (ext.minY + ext.maxY) / 2;
        const double h = std::max(ext.maxY - ext.minY, (ext.maxX - ext.minX) / kAspect) / kFillRatio;
        if (h > 0) st.wkHeight = h;
    }
    using host::detail::number;
    host::detail::record("host.graphics fit centre=(" + number(st.wkX) + "," + number(st.wkY) +
                         ") height=" + number(st.wkHeight));
}

void get_wk_center(double* x, double* y) {
    if (x) *x = state().wkX;
    if (y) *y = state().wkY;
}

double get_wk_height() { return state().wkHeight; }

namespace host {

int fitCount() { return views::state().fits; }

void setWorkWindow(double x, double y, double height) {
    views::state().wkX = x;
    views::state().wkY = y;
    if (height > 0) views::state().wkHeight = height;
}

void newPart() {
    auto lock = db::guard();
    db::resetDatabase();
    db::resetGlobals();
    ops::clearOps();   // operations and groups belong to the part
    detail::standardGroupsAfresh();
    detail::promptAreaOfNewPart();
    views::resetViews();
    tools::resetPartTools();
    mask_level = 0;
}

}  // namespace host
