// Segment merging stages 4, 8 and 9, and the release helpers that the cleaning stages share.
// Notation: T = g_tolerances.tolT; a segment's corner is (radius, height) at one of its ends; the apex
// height of a cone is zSup - rSup / tan(secAng). Chains run from the top (firstCyl) down.
#include "plugin/recognition/merging.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "host/api.h"
#include "plugin/base/globals.h"
#include "plugin/model/tree.h"
#include "plugin/base/vectors.h"

namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;
constexpr double kSameSecAng = 0.0008726646259971645;   // 0.05 degree
constexpr double kConeSecAng = 0.001745329251994329;    // 0.1 degree
constexpr double kStartOnTurn = 0.0001;                 // a start this near 0 or 2 pi is 0
constexpr int kMaxSameSurfGroup = 40;
constexpr int kMaxOvlpEnts = 4;
constexpr int kUnusedPtsEntLimit = 10;

void toViewFrame(const double matrix[3][3], const double world[3], double out[3]) {
    double transposed[3][3];
    transpose_matrix_33(matrix, transposed);
    mul_mat_vector(transposed, world, out);
}

// The apex height along the axis; false for a cylinder, whose apex lies at no height.
bool apexHeight(const CYL_LIST* s, double* z) {
    const double t = std::tan(s->secAng);
    if (t == 0 || !std::isfinite(t)) return false;
    *z = s->zSup - s->rSup / t;
    return true;
}

bool sameApex(const CYL_LIST* a, const CYL_LIST* b, double tol) {
    double za = 0, zb = 0;
    return apexHeight(a, &za) && apexHeight(b, &zb) && std::fabs(za - zb) < tol;
}

double widerRadius(const CYL_LIST* s) { return std::max(s->rSup, s->rInf); }

double normalizeAngle(double angle) {
    angle = std::fmod(angle, kTwoPi);
    if (std::fabs(angle - kTwoPi) < kStartOnTurn || std::fabs(angle) < kStartOnTurn) angle = 0;
    if (angle < 0) angle += kTwoPi;
    return angle;
}

double cornerDistance(const double a[2], const double b[2]) { return std::hypot(a[0] - b[0], a[1] - b[1]); }

}  // namespace

// ---- shared helpers ------------------------------------------------------------------------------------------

void releaseCylOfPoint(POINT_LIST* point, CYL_LIST* cyl) {
    const bool wasTop = point->firstCyl == cyl;
    if (cyl->prev) cyl->prev->next = cyl->next;
    else point->firstCyl = cyl->next;
    if (cyl->next) cyl->next->prev = cyl->prev;
    --point->cylCount;
    if (wasTop && point->firstCyl) {
        const CYL_LIST* top = point->firstCyl;
        copyVector(point->ptUniv, top->cUniv);
        toViewFrame(point->view ? point->view->matrix : top->matrix, point->ptUniv, point->ptView);
    }
    freeCylList(cyl);
}

void releasePointOfView(VIEW_LIST* view, POINT_LIST* point) {
    if (point->prev) point->prev->next = point->next;
    else view->firstPoint = point->next;
    if (point->next) point->next->prev = point->prev;
    --view->pointCount;
    freePointList(point);
}

int appendCylEnts(CYL_LIST* to, const CYL_LIST* from, int limit) {
    limit = std::min(limit, kMaxCylEnts);
    int appended = 0;
    for (int i = 0; i < from->entCount && i < kMaxCylEnts && to->entCount < limit; ++i) {
        to->ents[to->entCount++] = from->ents[i];
        ++appended;
    }
    return appended;
}

// The stages that stretch a segment upwards would otherwise leave cUniv at the old top, and the point's
// ptUniv (the top segment's cUniv) would then name a height inside the hole. Moving by the change rather
// than setting the frame z keeps cUniv right also where zSup was measured in the view's frame.
void setCylTop(CYL_LIST* cyl, double zSup) {
    const double shift = zSup - cyl->zSup;
    for (int i = 0; i < 3; ++i) cyl->cUniv[i] += shift * cyl->matrix[2][i];
    cyl->zSup = zSup;
}

bool cylsOverlap(const CYL_LIST* a, const CYL_LIST* b) {
    const double t2 = g_tolerances.tol2T;
    return a->zSup - b->zInf > t2 && b->zSup - a->zInf > t2;
}

// ---- stage 4 -----------------------------------------------------------------------------------------------

int cylsEnh(VIEW_LIST* head) {
    const double t = g_tolerances.tolT;
    for (VIEW_LIST* view = head; view; view = view->next) {
        for (POINT_LIST* point = view->firstPoint; point; point = point->next) {
            for (CYL_LIST* s = point->firstCyl; s;) {
                CYL_LIST* next = s->next;
                const bool sphereLike =
                    s->rToric > g_tolerances.tol004T && s->rCtoric < t && s->rSup > t && s->rInf > t;
                bool overlapsOther = false;
                for (CYL_LIST* o = point->firstCyl; sphereLike && o && !overlapsOther; o = o->next)
                    overlapsOther = o != s && cylsOverlap(s, o);
                if (overlapsOther) releaseCylOfPoint(point, s);
                s = next;
            }
        }
    }
    return 0;
}

bool isSameSurfKind(const CYL_LIST* a, const CYL_LIST* b) {
    const double t = g_tolerances.tolT;
    if (std::fabs(a->rToric - b->rToric) > t || std::fabs(a->secAng - b->secAng) > kSameSecAng) return false;
    if (a->rToric > t && std::fabs(a->zToric - b->zToric) < t && std::fabs(a->rSup - b->rSup) < t &&
        std::fabs(a->rInf - b->rInf) < t)
        return true;
    const double top = std::min(a->zSup, b->zSup);
    const double bottom = std::max(a->zInf, b->zInf);
    const double shorter = std::min(a->zSup - a->zInf, b->zSup - b->zInf);
    if (top - bottom < 0.8 * shorter) return false;
    if (std::fabs(a->secAng) >= kSameSecAng) return sameApex(a, b, t);
    return std::fabs(a->rSup - b->rSup) < t;
}

int mergeAngleRanges(double start1, double sweep1, double start2, double sweep2, double* outStart,
                     double* outSweep, double tolerance) {
    start1 = normalizeAngle(start1);
    start2 = normalizeAngle(start2);
    const double end1 = normalizeAngle(start1 + sweep1);
    const double end2 = normalizeAngle(start2 + sweep2);
    const bool same = (sweep1 < 0 && sweep2 < 0) || (sweep1 > 0 && sweep2 > 0);
    const bool opposite = (sweep1 < 0 && sweep2 > 0) || (sweep1 > 0 && sweep2 < 0);
    const double abs1 = std::fabs(sweep1), abs2 = std::fabs(sweep2);
    const double larger = abs2 > abs1 ? sweep2 : sweep1;
    auto near = [tolerance](double x, double y) { return std::fabs(x - y) <= tolerance; };

    int result = 0;
    double start = 0, sweep = 0;
    auto take = [&](double s, double w) {
        result = 1;
        start = s;
        sweep = w;
    };
    if (near(start1, start2)) {
        if (same) take(start1, larger);
        if (opposite) take(end1, sweep2 < 0 ? -(abs1 + abs2) : abs1 + abs2);
    }
    if (near(end1, end2)) {
        if (same) take(end1, -larger);
        if (opposite) take(start1, sweep1 < 0 ? -(abs1 + abs2) : abs1 + abs2);
    }
    if (near(end1, start2)) {
        if (same) take(start1, sweep1 + sweep2);
        if (opposite) take(start2, abs2 > abs1 ? sweep2 : std::copysign(abs1, sweep2));
    }
    if (near(start1, end2)) {
        if (same) take(start2, sweep1 + sweep2);
        if (opposite) take(start1, abs1 > abs2 ? sweep1 : std::copysign(abs2, sweep1));
    }
    if (near(abs1, kTwoPi) && near(abs2, kTwoPi)) take(0, kTwoPi);

    *outStart = start;
    *outSweep = sweep;
    return result;
}

// The group's base s is changed in place: it stands for the first copy, and it changes only where a member
// joined, which is when the copy would have been written back.
int mergeSameSurfSegs(VIEW_LIST* head, double angleTolerance) {
    std::vector<CYL_LIST*> group;
    std::vector<char> joined;
    for (VIEW_LIST* view = head; view; view = view->next) {
        for (POINT_LIST* point = view->firstPoint; point; point = point->next) {
            for (CYL_LIST* s = point->firstCyl; s; s = s->next) {
                group.assign(1, s);
                for (CYL_LIST* t = s->next; t && group.size() < kMaxSameSurfGroup; t = t->next)
                    if (isSameSurfKind(s, t)) group.push_back(t);
                if (group.size() < 2) continue;

                joined.assign(group.size(), 0);
                bool anyJoined = false;
                for (bool joinedNow = true; joinedNow;) {
                    joinedNow = false;
                    for (std::size_t i = 1; i < group.size() && !joinedNow; ++i) {
                        double start = 0, sweep = 0;
                        if (joined[i] ||
                            !mergeAngleRanges(s->Ai, s->Asw, group[i]->Ai, group[i]->Asw, &start, &sweep,
                                              angleTolerance))
                            continue;
                        s->Ai = start;
                        s->Asw = sweep;
                        appendCylEnts(s, group[i]);
                        joined[i] = 1;
                        joinedNow = anyJoined = true;
                    }
                }
                if (!anyJoined) continue;

                double zSup = s->zSup, zInf = s->zInf;
                for (const CYL_LIST* member : group) {
                    zSup = std::max(zSup, member->zSup);
                    zInf = std::min(zInf, member->zInf);
                }
                setCylTop(s, zSup);
                s->zInf = zInf;
                for (std::size_t i = 1; i < group.size(); ++i)
                    if (joined[i]) releaseCylOfPoint(point, group[i]);
            }
        }
    }
    return 0;
}

// ---- stage 8 -----------------------------------------------------------------------------------------------

int cylsOverlapp(VIEW_LIST* head) {
    const double t = g_tolerances.tolT;
    for (VIEW_LIST* view = head; view; view = view->next) {
        for (POINT_LIST* point = view->firstPoint; point;) {
            POINT_LIST* next = point->next;
            for (const CYL_LIST* s = point->firstCyl; s; s = s->next) {
                if (s->rToric > g_tolerances.tol0004T && s->topFlat && std::fabs(s->rSup - s->rFlatMaxTop) < t &&
                    std::fabs(s->rInf - s->rFlatMinTop) < t) {
                    releasePointOfView(view, point);
                    break;
                }
            }
            point = next;
        }
    }
    return 0;
}

namespace {

// b (wider than a by more than T) keeps a record on a when a flat ring of b at the shared end runs from
// a's radius out to b's.
bool ringJoins(const CYL_LIST* a, const CYL_LIST* b, double ra, double rb) {
    const double t = g_tolerances.tolT;
    const double tf = g_globals->settings.openBoundaryTolerance;
    if (rb <= ra + t) return false;
    if (b->bottomFlat && std::fabs(b->zInf - a->zInf) < t && std::fabs(b->rFlatMinBtm - ra) < tf &&
        std::fabs(b->rFlatMaxBtm - rb) < t)
        return true;
    return b->topFlat && std::fabs(b->zSup - a->zSup) < t && std::fabs(b->rFlatMinTop - ra) < tf &&
           std::fabs(b->rFlatMaxTop - rb) < t;
}

void recordEntry(OVLP_ENTRY& entry, const CYL_LIST* from) {
    entry.zSup = from->zSup;
    entry.zInf = from->zInf;
    entry.rSup = from->rSup;
    entry.rInf = from->rInf;
}

// A segment c running from b's bottom corner up to a's top corner, right below a in a chain b, a, c, is
// folded into b, which then ends at a's top. True when b is no longer to be absorbed.
bool foldBridge(POINT_LIST* point, CYL_LIST* a, CYL_LIST* b) {
    const double t = g_tolerances.tolT;
    double aTop[2], bBottom[2], cTop[2], cBottom[2];
    setPoint2d(a->rSup, a->zSup, aTop);
    setPoint2d(b->rInf, b->zInf, bBottom);
    if (cornerDistance(aTop, bBottom) <= t) return false;
    for (CYL_LIST* c = point->firstCyl; c; c = c->next) {
        if (c == a || c == b) continue;
        setPoint2d(c->rInf, c->zInf, cBottom);
        setPoint2d(c->rSup, c->zSup, cTop);
        if (cornerDistance(cBottom, bBottom) > t || cornerDistance(cTop, aTop) > t) continue;
        if (b->next != a || a->next != c) return false;
        a->next = c->next;
        if (c->next) c->next->prev = a;
        --point->cylCount;
        b->zInf = a->zSup;
        b->rInf = a->rSup;
        b->secAng = std::atan2(b->rSup - b->rInf, b->zSup - b->zInf);
        // A third bridge into the same segment leaves no entry: the list holds two.
        if (b->mergedCount < kMaxOvlp) recordEntry(b->merged[b->mergedCount++], c);
        freeCylList(c);
        return true;
    }
    return false;
}

}  // namespace

int cylsOverlappPass2(VIEW_LIST* head) {
    const double t = g_tolerances.tolT;
    for (VIEW_LIST* view = head; view; view = view->next) {
        for (POINT_LIST* point = view->firstPoint; point; point = point->next) {
            for (CYL_LIST* a = point->firstCyl; a; a = a->next) {
                for (CYL_LIST* b = point->firstCyl; b;) {
                    CYL_LIST* bNext = b->next;   // never the segment a bridge fold frees (that one follows a)
                    if (b == a || !cylsOverlap(a, b)) {
                        b = bNext;
                        continue;
                    }
                    const double ra = widerRadius(a), rb = widerRadius(b);
                    bool absorb = false;
                    if (std::fabs(rb - ra) <= t) {
                        if (b->zSup > a->zSup) setCylTop(a, b->zSup);
                        a->zInf = std::min(a->zInf, b->zInf);
                        // a stands for both walls from here: it keeps at least b's part of the circle (the
                        // bands of a modelled thread start with a part turn above full ones).
                        if (std::fabs(b->Asw) > std::fabs(a->Asw)) a->Ai = b->Ai, a->Asw = b->Asw;
                        absorb = true;
                    } else if (ra < rb) {
                        absorb = true;
                    }
                    if (absorb) {
                        const bool record = ringJoins(a, b, ra, rb);
                        if (foldBridge(point, a, b)) absorb = false;
                        if (absorb && record && a->ovlpCount < kMaxOvlp) {
                            OVLP_ENTRY& entry = a->ovlp[a->ovlpCount];
                            recordEntry(entry, b);
                            for (int i = 0; i < b->entCount && i < kMaxOvlpEnts && a->entCount < kMaxCylEnts; ++i) {
                                entry.entIndex[i] = static_cast<std::uint16_t>(a->entCount);
                                a->ents[a->entCount++] = b->ents[i];
                            }
                            ++a->ovlpCount;
                        }
                        if (absorb) releaseCylOfPoint(point, b);
                    }
                    b = bNext;
                }
            }
        }
    }
    return 0;
}

// ---- stage 9 -----------------------------------------------------------------------------------------------

int cylsUnusedPts(VIEW_LIST* head) {
    const double t = g_tolerances.tolT;
    for (VIEW_LIST* view = head; view; view = view->next) {
        for (POINT_LIST* point = view->firstPoint; point; point = point->next) {
            for (CYL_LIST* s = point->firstCyl; s && s->next;) {
                CYL_LIST* next = s->next;
                if (std::fabs(s->secAng) > kConeSecAng && std::fabs(s->secAng - next->secAng) < kConeSecAng &&
                    sameApex(s, next, t)) {
                    appendCylEnts(next, s, kUnusedPtsEntLimit);
                    setCylTop(next, s->zSup);
                    next->rSup = s->rSup;
                    if (s->Asw > next->Asw) next->Asw = s->Asw;
                    releaseCylOfPoint(point, s);
                }
                s = next;
            }
        }
    }
    return 0;
}
