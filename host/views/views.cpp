// Numbered views, named views, the WCS and the construction, tool and graphics views.
// Notation: rows X, Y, Z of a matrix are the view's axes in world coordinates; a view point p is world
// p.x X + p.y Y + p.z Z. Matrices compare element-wise within kMatrixTol.
#include <cmath>
#include <cstdio>
#include <cstring>

#include "host/internal.h"
#include "host/views/view_table.h"

std::vector<view_ent> NamedViews;
int constr_view_n = 1;
int tool_view_n = 1;
view_ent WCS;

namespace host::views {
namespace {

State viewState;

Vec cross(const Vec& a, const Vec& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
double dot(const Vec& a, const Vec& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
double length(const Vec& a) { return std::sqrt(dot(a, a)); }
Vec scaled(const Vec& a, double k) { return {a[0] * k, a[1] * k, a[2] * k}; }

const char* const kStandardNames[8] = {"TOP", "FRONT", "BACK", "BOTTOM", "RIGHT", "LEFT", "ISO", "AXONOMETRIC"};

Mat frame(const Vec& x, const Vec& y, const Vec& z) { return Mat{x, y, z}; }

view_ent namedFromStandard(int n) {
    view_ent v;
    v.id = static_cast<std::uint32_t>(n);
    fromMat(standardMatrix(n), v.matrix);
    v.number = static_cast<std::int16_t>(n);
    std::snprintf(v.name, sizeof v.name, "%s", kStandardNames[n - 1]);
    return v;
}

// Builds the frame of a unit direction by the rule written down at make_view_k.
Mat frameOfDirection(const Vec& z) {
    for (int n = 1; n <= 6; ++n) {
        const Mat s = standardMatrix(n);
        if (std::fabs(s[2][0] - z[0]) <= 1e-9 && std::fabs(s[2][1] - z[1]) <= 1e-9 && std::fabs(s[2][2] - z[2]) <= 1e-9)
            return s;
    }
    const Vec worldZ{0, 0, 1}, worldX{1, 0, 0};
    Vec x, y;
    if (std::hypot(z[0], z[1]) > 1e-3) {
        x = cross(worldZ, z);
        x = scaled(x, 1 / length(x));
        y = cross(z, x);
    } else {
        y = cross(z, worldX);
        y = scaled(y, 1 / length(y));
        x = cross(y, z);
    }
    return frame(x, y, z);
}

bool unitOf(const double dir[3], Vec* out) {
    const Vec d{dir[0], dir[1], dir[2]};
    const double len = length(d);
    if (!(len > 1e-12) || !std::isfinite(len)) return false;
    *out = scaled(d, 1 / len);
    return true;
}

}  // namespace

State& state() { return viewState; }

Mat toMat(const double m[3][3]) {
    Mat a{};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) a[i][j] = m[i][j];
    return a;
}

void fromMat(const Mat& a, double m[3][3]) {
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) m[i][j] = a[i][j];
}

bool isRotation(const Mat& a) {
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            if (!std::isfinite(a[i][j])) return false;
            const double expected = i == j ? 1.0 : 0.0;
            if (std::fabs(dot(a[i], a[j]) - expected) > kMatrixTol) return false;
        }
    }
    return dot(cross(a[0], a[1]), a[2]) > 0;
}

bool sameMatrix(const Mat& a, const Mat& b) {
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            if (!(std::fabs(a[i][j] - b[i][j]) <= kMatrixTol)) return false;
    return true;
}

Mat standardMatrix(int n) {
    const double r2 = 1 / std::sqrt(2.0), r3 = 1 / std::sqrt(3.0), r6 = 1 / std::sqrt(6.0), r5 = 1 / std::sqrt(5.0);
    switch (n) {
    case 1: return frame({1, 0, 0}, {0, 1, 0}, {0, 0, 1});
    case 2: return frame({1, 0, 0}, {0, 0, 1}, {0, -1, 0});
    case 3: return frame({-1, 0, 0}, {0, 0, 1}, {0, 1, 0});
    case 4: return frame({1, 0, 0}, {0, -1, 0}, {0, 0, -1});
    case 5: return frame({0, 1, 0}, {0, 0, 1}, {1, 0, 0});
    case 6: return frame({0, -1, 0}, {0, 0, 1}, {-1, 0, 0});
    case 7: return frame({r2, r2, 0}, {-r6, r6, 2 * r6}, {r3, -r3, r3});
    case 8: {
        const double k = 1 / (3 * std::sqrt(5.0));
        return frame({2 * r5, r5, 0}, {-2 * k, 4 * k, 5 * k}, {1.0 / 3, -2.0 / 3, 2.0 / 3});
    }
    default: return frame({1, 0, 0}, {0, 1, 0}, {0, 0, 1});
    }
}

Vec toWorld(const Mat& a, const Vec& p) {
    Vec w{};
    for (int j = 0; j < 3; ++j) w[j] = p[0] * a[0][j] + p[1] * a[1][j] + p[2] * a[2][j];
    return w;
}

Vec toView(const Mat& a, const Vec& p) { return {dot(a[0], p), dot(a[1], p), dot(a[2], p)}; }

int findOrMake(const Mat& a, bool create) {
    auto& views = viewState.views;
    for (std::size_t i = 0; i < views.size(); ++i)
        if (sameMatrix(views[i], a)) return static_cast<int>(i + 1);
    if (!create || !isRotation(a)) return 0;
    views.push_back(a);
    return static_cast<int>(views.size());
}

void resetViews() {
    viewState = State{};
    for (int n = 1; n <= 8; ++n) viewState.views.push_back(standardMatrix(n));
    NamedViews.clear();
    for (int n = 1; n <= 6; ++n) NamedViews.push_back(namedFromStandard(n));
    WCS = namedFromStandard(1);
    constr_view_n = 1;
    tool_view_n = 1;
    job_setup = job_setup_rec{};
}

}  // namespace host::views

namespace {

// A fresh process has the standard views before any reset.
const bool viewsReady = (host::views::resetViews(), true);

}  // namespace

using namespace host::views;

int get_view_matrix(int n, double m[3][3]) {
    (void)viewsReady;
    if (n < 1 || n > static_cast<int>(state().views.size())) return 0;
    fromMat(state().views[static_cast<std::size_t>(n - 1)], m);
    return 1;
}

int make_view_k(const double dir[3], double m[3][3]) {
    Vec z;
    if (!unitOf(dir, &z)) {
        fromMat(standardMatrix(1), m);
        return 0;
    }
    fromMat(frameOfDirection(z), m);
    return 1;
}

int find_view_m(const double m[3][3], int* n, int create, char* ok) {
    const int found = findOrMake(toMat(m), create == 1);
    if (ok) *ok = found ? 1 : 0;
    if (found && n) *n = found;
    return found ? 1 : 0;
}

int find_view_k(const double dir[3], int* n, int create, char* found) {
    Vec z;
    int number = 0;
    if (unitOf(dir, &z)) {
        const auto& views = state().views;
        for (std::size_t i = 0; i < views.size() && !number; ++i) {
            const Vec& vz = views[i][2];
            if (std::fabs(vz[0] - z[0]) <= kMatrixTol && std::fabs(vz[1] - z[1]) <= kMatrixTol &&
                std::fabs(vz[2] - z[2]) <= kMatrixTol)
                number = static_cast<int>(i + 1);
        }
        if (!number && create == 1) number = findOrMake(frameOfDirection(z), true);
    }
    if (found) *found = number ? 1 : 0;
    if (number && n) *n = number;
    return number ? 1 : 0;
}

int named_view_manager(view_ent* v, int mode, const char* /*text*/, char* ok) {
    if (ok) *ok = 0;
    if (!v) return 0;
    auto viewOf = [&]() {
        const int n = v->number;
        if (n >= 1 && n <= static_cast<int>(state().views.size())) return n;
        return findOrMake(toMat(v->matrix), true);
    };
    switch (mode) {
    case 1: {
        const int n = findOrMake(toMat(v->matrix), true);
        if (!n) return 0;
        v->id = state().nextNamedId++;
        v->number = static_cast<std::int16_t>(n);
        v->name[sizeof v->name - 1] = 0;
        if (v->name[0] == 0) std::snprintf(v->name, sizeof v->name, "VIEW %u", static_cast<unsigned>(v->id));
        NamedViews.push_back(*v);
        host::detail::record("host.view named " + std::to_string(v->id) + " " + host::detail::quote(v->name) +
                             " view=" + std::to_string(n));
        break;
    }
    case 7:
    case 8: {
        const int n = viewOf();
        if (!n) return 0;
        (mode == 7 ? constr_view_n : tool_view_n) = n;
        break;
    }
    default:
        return 0;
    }
    if (ok) *ok = 1;
    return 1;
}

int get_gr_view_n() { return state().grView; }

void set_gr_view(const double m[3][3]) {
    const int n = findOrMake(toMat(m), true);
    if (!n) return;
    state().grView = n;
    host::detail::record("host.graphics view " + std::to_string(n));
}

int wcs_is_on() { return state().wcsOn ? 1 : 0; }

void wcs_to_world(const double in[3], double out[3]) {
    const Vec w = toWorld(toMat(WCS.matrix), {in[0], in[1], in[2]});
    for (int i = 0; i < 3; ++i) out[i] = w[i];
}

void world_to_wcs(const double in[3], double out[3]) {
    const Vec w = toView(toMat(WCS.matrix), {in[0], in[1], in[2]});
    for (int i = 0; i < 3; ++i) out[i] = w[i];
}

void view_to_world_pt(const double in[3], int view, double out[3]) {
    const Vec p{in[0], in[1], in[2]};
    double m[3][3];
    const Vec w = get_view_matrix(view, m) ? toWorld(toMat(m), p) : p;
    for (int i = 0; i < 3; ++i) out[i] = w[i];
}

namespace host {

void setWcs(const view_ent& wcs, bool on) {
    WCS = wcs;
    views::state().wcsOn = on;
}

}  // namespace host
