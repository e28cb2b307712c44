// Host views and the WCS for the recognised directions. A world vector goes into a view's axes by its
// dot products with the view's rows (mul_mat_vector with the transposed matrix), back with the matrix.
#include "plugin/base/host_views.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <numbers>

#include "platform/ui/message_box.h"
#include "plugin/base/globals.h"
#include "plugin/base/text_fill.h"
#include "plugin/base/utilities.h"
#include "plugin/base/directions.h"
#include "plugin/base/vectors.h"

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kMinTurn = 1.745329251994329e-5;   // 0.001 degree
constexpr std::size_t kNameLength = 40;

double angleTolerance() { return g_tolerances.axisAngle; }

void toView(const double m[3][3], const double world[3], double out[3]) {
    double t[3][3];
    transpose_matrix_33(m, t);
    mul_mat_vector(t, world, out);
}

std::int16_t key16(std::uint32_t id) { return static_cast<std::int16_t>(id & 0xFFFF); }

// The standard view `n` (1-6) with its rows taken from WCS axes to world axes.
bool wcsStandardMatrix(int n, double out[3][3]) {
    double m[3][3];
    if (!get_view_matrix(n, m)) return false;
    for (int i = 0; i < 3; ++i) wcs_to_world(m[i], out[i]);
    return true;
}

// The view takes the matrix; its owner moves what hangs on the view into the new axes.
void setViewMatrix(HOST_VIEW_REF* view, const double m[3][3]) {
    copyMatrix33(view->matrix, m);
    view->matrixSet = true;
}

int failNoView() {
    plat::messageBox(nullptr, errorMessage(140), errorMessage(1), plat::MB_OK | plat::MB_ICONERROR);
    return -1;
}

// ---- UI-text formats ---------------------------------------------------------------------------------------
// The formats come from a text file the user may edit; one whose conversions are not the ones we pass
// arguments for is replaced by our own, so that printf never reads an argument that is not there.

// One letter per conversion: 'f' a double, 's' a text, '?' anything else (or a width beyond 3 digits).
std::string conversionsOf(std::string_view format) {
    std::string out;
    auto digits = [&](std::size_t& i) {
        std::size_t n = 0;
        while (i < format.size() && std::isdigit(static_cast<unsigned char>(format[i]))) ++i, ++n;
        return n <= 3;
    };
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%') continue;
        if (++i < format.size() && format[i] == '%') continue;
        while (i < format.size() && std::strchr("-+ #0", format[i]) && format[i] != 0) ++i;
        bool sane = digits(i);
        if (i < format.size() && format[i] == '.') sane = digits(++i) && sane;
        bool isLong = false;
        if (i < format.size() && format[i] == 'l') isLong = true, ++i;
        const char c = i < format.size() ? format[i] : 0;
        if (sane && c && std::strchr("fFeEgGaA", c))
            out += 'f';
        else if (sane && c == 's' && !isLong)
            out += 's';
        else
            out += '?';
    }
    return out;
}

template <class... Args>
std::string formatText(const std::string& format, const char* conversions, const char* fallback, Args... args) {
    const std::string& used = conversionsOf(format) == conversions ? format : std::string(fallback);
    return fillText(used, {TEXT_VALUE(args)...});
}

const CTextSection* viewNames() { return g_globals.constructed() ? &g_globals->viewNames : nullptr; }

std::string viewNamesLine(int id, const char* fallback) {
    const CTextSection* names = viewNames();
    return names ? names->getTextOr(id, fallback) : std::string(fallback);
}

std::string hostViewName(int n) {
    std::string name;
    getHostText("View Manager", name, n);
    return name;
}

// ---- the named view step --------------------------------------------------------------------------------

void createNamedView(const HOST_VIEW_REF* view) {
    PLUGIN_GLOBALS& g = *g_globals;
    view_ent record{};
    copyMatrix33(record.matrix, view->matrix);
    char number[24];
    std::snprintf(number, sizeof number, "%lu",
                  static_cast<unsigned long>(static_cast<std::uint16_t>(g.createdViewCounter + 1)));
    const std::string name = fitText(formatText(viewNamesLine(31, "DRILL VIEW %s"), "s", "DRILL VIEW %s", number),
                                     kNameLength + 1);
    std::memcpy(record.name, name.c_str(), name.size() + 1);
    record.aux = -1;
    char ok = 0;
    named_view_manager(&record, 1, "", &ok);
    if (ok != 1) return;
    ++g.createdViewCounter;
    g.createdViewIds.push_back(record.id);
}

// ---- the two branches of getOrCreateHostView -----------------------------------------------------------

double referenceAngle(const HOST_VIEW_REF* view, int referenceAxis, int mode) {
    double r[3][3];
    if (wcs_is_on())
        getWcsMatrix(r);
    else
        get_view_matrix(1, r);
    const double* reference = referenceAxis == 1 ? r[0] : referenceAxis == 2 ? r[1] : r[2];
    double p[3];
    toView(view->matrix, reference, p);
    const double tol = angleTolerance();
    const bool leans = std::fabs(p[1]) > tol || std::fabs(p[0]) > tol;
    switch (mode) {
    case kXToReference:
        return leans ? std::atan2(p[1], p[0]) : 0.0;
    case kYToReference:
        return leans ? std::atan2(p[1], p[0]) - kPi / 2 : 0.0;
    case kXLevel: {
        double level[2];
        levelAxisInView(view->matrix, r[2], level);
        const double a = std::atan2(level[1], level[0]);
        return std::fabs(a) < kMinTurn && view->matrix[1][2] < 0 ? kPi : a;
    }
    default:
        return 0.0;
    }
}

int reorientView(HOST_VIEW_REF* view, int referenceAxis, int mode, int createNamed) {
    const double a = referenceAngle(view, referenceAxis, mode);
    double m[3][3];
    rotateViewAboutZ(view->matrix, m, a);
    if (mode == kXLevel && m[1][2] < 0) rotateViewAboutZ(view->matrix, m, a + kPi);

    const double tol = angleTolerance();
    view->idn = 0;
    view->viewNumber = 0;
    view->wcsViewNumber = 0;   // what an earlier call wrote no longer describes the view
    bool named = false, wcsStandard = false, standard = false;
    for (std::size_t i = kFirstNamedView; i < NamedViews.size() && !named; ++i) {
        if (!compareViewMatrices(NamedViews[i].matrix, m, tol)) continue;
        view->viewNumber = NamedViews[i].number;
        view->idn = key16(NamedViews[i].id);
        named = true;
    }
    for (int k = 1; k <= 6 && !named && !wcsStandard && wcs_is_on(); ++k) {
        double s[3][3];
        if (!wcsStandardMatrix(k, s) || !compareViewMatrices(s, m, tol)) continue;
        view->wcsViewNumber = static_cast<std::uint16_t>(k);
        wcsStandard = true;
    }
    for (int k = 1; k <= 6 && !named && !standard; ++k) {
        double s[3][3];
        if (!get_view_matrix(k, s) || !compareViewMatrices(s, m, tol)) continue;
        view->viewNumber = static_cast<std::int16_t>(k);
        standard = true;
    }
    if (!named && !standard) {
        int n = 0;
        char ok = 0;
        find_view_m(m, &n, 1, &ok);
        if (ok != 1) return failNoView();
        view->viewNumber = static_cast<std::int16_t>(n);
    }
    setViewMatrix(view, m);
    // A view that is a standard view of the WCS is described by it and needs no name of its own.
    if (createNamed && !named && !wcsStandard && !standard) createNamedView(view);
    return 0;
}

int keepOrientation(HOST_VIEW_REF* view, int createNamed) {
    const double tol = angleTolerance();
    for (std::size_t i = kFirstNamedView; i < NamedViews.size(); ++i) {
        const view_ent& named = NamedViews[i];
        if (compareDirections(named.matrix[2], view->matrix[2], tol) != kSameSense) continue;
        view->idn = key16(named.id);
        view->viewNumber = named.number;
        setViewMatrix(view, named.matrix);
        return 0;
    }
    double m[3][3];
    copyMatrix33(m, view->matrix);
    int k = 0;
    if (wcs_is_on() && (k = findWcsStandardView(m)) != 0) {
        int n = 0;
        char ok = 0;
        find_view_m(m, &n, 1, &ok);
        if (ok != 1) return failNoView();
        view->viewNumber = static_cast<std::int16_t>(n);
        view->wcsViewNumber = static_cast<std::uint16_t>(k);
        setViewMatrix(view, m);
        return 0;
    }
    if (view->viewNumber >= 0 && view->viewNumber <= 6) return 0;

    int number = 0;
    std::uint32_t id = 0;
    double angle = 0;
    const int kind = nearestView(view->matrix, &number, &id, &angle);
    view->nearAngle = angle;
    view->nearViewNumber = kind == kNearStandard ? static_cast<std::uint16_t>(number) : 0;
    view->nearNamedViewId = kind == kNearNamed ? static_cast<std::uint16_t>(id) : 0;
    if (createNamed) createNamedView(view);
    return 0;
}

}  // namespace

int nearestView(const double matrix[3][3], int* viewNumber, std::uint32_t* viewId, double* angle) {
    const double* axis = matrix[2];
    double best = 2 * kPi;
    int kind = 0;
    auto consider = [&](const double candidate[3], int number, std::uint32_t id, int candidateKind) {
        const double d = std::hypot(candidate[0] - axis[0], candidate[1] - axis[1], candidate[2] - axis[2]);
        const double a = std::acos(std::clamp((2 - d * d) / 2, -1.0, 1.0));
        if (!(a < best)) return;
        best = a;
        kind = candidateKind;
        if (viewNumber) *viewNumber = number;
        if (viewId) *viewId = id;
    };
    for (int k = 1; k <= 6; ++k) {
        double m[3][3];
        if (get_view_matrix(k, m)) consider(m[2], k, 0, kNearStandard);
    }
    // Every named view after the six standard ones is a candidate, the first one included, as in every
    // other lookup of named views here: starting one entry later would never find the first named view
    // nearest.
    const std::vector<std::uint32_t>& created = g_globals->createdViewIds;
    for (std::size_t i = kFirstNamedView; i < NamedViews.size(); ++i) {
        const view_ent& named = NamedViews[i];
        const bool madeNow = std::any_of(created.begin(), created.end(),
                                         [&](std::uint32_t id) { return key16(id) == key16(named.id); });
        if (!madeNow) consider(named.matrix[2], named.number, named.id, kNearNamed);
    }
    if (kind && angle) *angle = best;
    return kind;
}

int getNamedView(int viewNumber, view_ent* out) {
    for (std::size_t i = kFirstNamedView; i < NamedViews.size(); ++i) {
        if (NamedViews[i].number != viewNumber) continue;
        if (out) *out = NamedViews[i];
        return 1;
    }
    return 0;
}

void rotateViewAboutZ(const double matrix[3][3], double out[3][3], double angle) {
    double m[3][3];
    copyMatrix33(m, matrix);
    if (std::fabs(angle) >= kMinTurn) {
        const double c = std::cos(angle), s = std::sin(angle);
        for (int j = 0; j < 3; ++j) {
            m[0][j] = c * matrix[0][j] + s * matrix[1][j];
            m[1][j] = -s * matrix[0][j] + c * matrix[1][j];
        }
    }
    copyMatrix33(out, m);
}

int getWcsMatrix(double matrix[3][3], std::int16_t* id) {
    copyMatrix33(matrix, WCS.matrix);
    if (id) *id = key16(WCS.id);
    return WCS.number;
}

int findWcsStandardView(double matrix[3][3]) {
    for (int k = 1; k <= 6; ++k) {
        double s[3][3];
        if (!wcsStandardMatrix(k, s)) continue;
        if (compareDirections(s[2], matrix[2], angleTolerance()) != kSameSense) continue;
        copyMatrix33(matrix, s);
        return k;
    }
    return 0;
}

int levelAxisInView(const double matrix[3][3], const double referenceZ[3], double out[2]) {
    l_3d line;
    line.e1 = {matrix[0][0], matrix[0][1], matrix[0][2]};
    line.e2 = {matrix[0][0] + matrix[1][0], matrix[0][1] + matrix[1][1], matrix[0][2] + matrix[1][2]};
    const double origin[3] = {0, 0, 0};
    double hit[3];
    double t = 0;
    char ok = 0;
    lp_ints(referenceZ, origin, &line, hit, &t, &ok);
    if (ok != 1) {
        out[0] = 1;
        out[1] = 0;
        return 1;
    }
    double local[3];
    toView(matrix, hit, local);
    const double planar[2] = {local[0], local[1]};
    normalize2d(planar, out);
    return 0;
}

int orientToHostView(HOST_VIEW_REF& view, int referenceAxis, int mode, int createNamed) {
    view.matrixSet = false;
    if (mode != kKeepOrientation) return reorientView(&view, referenceAxis, mode, createNamed);
    return keepOrientation(&view, createNamed);
}

std::string viewText(int viewNumber, int idn, int wcsViewNumber, int nearNamedViewId, int nearViewNumber,
                     double nearAngle) {
    if (idn != 0) {
        for (std::size_t i = kFirstNamedView; i < NamedViews.size(); ++i) {
            if (key16(NamedViews[i].id) == static_cast<std::int16_t>(idn)) return NamedViews[i].name;
        }
    }
    if (wcsViewNumber != 0) return hostViewName(wcsViewNumber) + " " + viewNamesLine(30, "view");
    if (viewNumber == 0) return {};
    if (viewNumber >= 1 && viewNumber <= 8) return hostViewName(viewNumber);

    char head[128];
    std::snprintf(head, sizeof head, "%s %2i", viewNamesLine(7, "View").c_str(), viewNumber);
    std::string nearby;
    if (nearNamedViewId != 0) {
        for (std::size_t i = kFirstNamedView; i < NamedViews.size(); ++i) {
            if ((NamedViews[i].id & 0xFFFF) == static_cast<std::uint32_t>(nearNamedViewId & 0xFFFF)) {
                nearby = NamedViews[i].name;
                break;
            }
        }
    }
    if (nearViewNumber != 0) nearby = hostViewName(nearViewNumber) + " " + viewNamesLine(30, "view");
    std::string text = head;
    if (!nearby.empty()) {
        const char* fallback = "(%.1f deg. from %s)";
        text += " " + formatText(viewNamesLine(20, fallback), "fs", fallback, nearAngle * 180.0 / kPi, nearby.c_str());
    }
    return text;
}
