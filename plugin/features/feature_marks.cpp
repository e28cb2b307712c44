// The feature-mark list: adding, drawing, deleting, finding, recolouring and turning marks, checking them
// against the part and following their arcs, and removing duplicates. Walks of the whole list stop at the
// list's count (listedMarks). The checks over many marks look their entities up in one index of the part
// (MARK_ENTS) and their neighbours on a grid (NEAR_MARKS), so that a part of many holes is not searched
// once per mark.
#include "plugin/features/feature_marks.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <new>
#include <numbers>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "host/api.h"
#include "platform/ui/message_box.h"
#include "plugin/base/directions.h"
#include "plugin/base/entity_utils.h"
#include "plugin/base/globals.h"
#include "plugin/features/mark_index.h"
#include "plugin/model/work_records.h"
#include "plugin/services/features.h"

namespace {

constexpr double kFullTurn = 2 * std::numbers::pi;
constexpr double kSweepTolerance = 1e-10;
constexpr std::size_t kNoteTextMax = 31;

int reamArcColour() { return g_globals->settings.reamArcColour; }

attr_block markAttributes() { return attr_block{kMarkArcTag, 1, 0}; }

// Stores an arc of the mark's view and codes its own id into its sweep. The new id, 0 when refused.
std::uint32_t storeMarkArc(int view, const double centre[3], double radius, double base, double sweep, int colour,
                           std::int32_t level) {
    ent arc{};
    arc.type = kEntArc;
    arc.arc.view = static_cast<std::int16_t>(view);
    arc.arc.c = p_3d{centre[0], centre[1], centre[2]};
    arc.arc.r = radius;
    arc.arc.sa = 0;
    arc.arc.sw = sweep;
    db_ptr entry = 0;
    char ok = 0;
    const std::uint32_t id = store_ent(&arc, &entry, 0, colour, level, markAttributes(), &ok);
    if (!ok) return 0;
    arc.arc.sw = arcMarkSweep(base, id);
    (void)rewrite_ent(&arc, 0);
    return id;
}

// The fit class in a note of height h = min(5, 1.25 r), its corner h/2 below and left of the centre.
std::uint32_t storeFitNote(int view, const double centre[3], double radius, const char* text, std::int32_t level) {
    const double h = std::min(5.0, 1.25 * radius);
    ent note{};
    const p_3d at{centre[0] - h / 2, centre[1] - h / 2, centre[2]};
    (void)calc_note(&note, view, at, std::string_view(text, strnlen(text, kNoteTextMax)), h);
    db_ptr entry = 0;
    char ok = 0;
    const std::uint32_t id = store_ent(&note, &entry, 0, reamArcColour(), level, markAttributes(), &ok);
    return ok ? id : 0;
}

void deleteEntity(db_ptr entry) {
    if (entry) delete_ent(entry, 0, 0, 0, nullptr, 0);
}

// Deletes the mark's arcs and note, each when the part still has it (looked up in `ents`, or searched; an
// id of 0 names nothing and is not searched for, which would cost a walk of the part per new mark).
void deleteMarkEnts(const FEATURE_MARK& mark, MARK_ENTS* ents) {
    for (int i = 0; i < markArcCount(mark); ++i) {
        const std::uint32_t id = mark.arcEnts[i];
        if (id == 0) continue;
        deleteEntity(ents ? ents->arc(id) : findEntById(id, 1, kEntArc));
        if (ents) ents->forget(id);
    }
    if (markHasNote(mark) && mark.noteEnt != 0) {
        deleteEntity(ents ? ents->note(mark.noteEnt) : findEntById(mark.noteEnt, 1, kEntNote));
        if (ents) ents->forget(mark.noteEnt);
    }
}

// The link that points at the end of the listed marks; a list longer than its count loses its tail there,
// a shorter one gets the count it has.
FEATURE_MARK** listTail() {
    FEATURE_MARK** link = &g_records->featureMarks;
    std::int32_t at = 0;
    while (*link && at < g_records->featureMarkCount) {
        link = &(*link)->next;
        ++at;
    }
    if (*link) {
        freeFeatureMarkList(*link);
        *link = nullptr;
    }
    g_records->featureMarkCount = at;
    return link;
}

// Unlinks the mark behind `link` (from the global list), deletes its entities and frees it.
void dropAt(FEATURE_MARK** link, MARK_ENTS* ents) {
    FEATURE_MARK* mark = *link;
    *link = mark->next;
    deleteMarkEnts(*mark, ents);
    --g_records->featureMarkCount;
    delete mark;
}

// The link in the global list that points at `mark` and the mark's place in it; null when it is not listed.
FEATURE_MARK** linkTo(const FEATURE_MARK* mark, std::int32_t* place = nullptr) {
    FEATURE_MARK** link = &g_records->featureMarks;
    for (std::int32_t at = 0; *link && at < g_records->featureMarkCount; ++at) {
        if (*link == mark) {
            if (place) *place = at;
            return link;
        }
        link = &(*link)->next;
    }
    return nullptr;
}

// Deletes every mark of the list for which `drop` says so, in list order, each when the list holds it. The
// marks from `head` on are unlinked in one walk: dropping an import of many marks one search at a time
// took time with the square of their number.
template <class Drop>
int dropMarks(FEATURE_MARK* head, MARK_ENTS* ents, Drop drop) {
    const std::vector<FEATURE_MARK*> marks = listedMarks(head);
    std::int32_t at = 0;
    FEATURE_MARK** link = marks.empty() ? nullptr : linkTo(marks.front(), &at);
    int dropped = 0;
    std::size_t i = 0;
    for (; link && i < marks.size() && *link == marks[i] && at < g_records->featureMarkCount; ++i) {
        if (drop(*marks[i])) {
            dropAt(link, ents);
            ++dropped;
        } else {
            link = &(*link)->next;
            ++at;
        }
    }
    for (; i < marks.size(); ++i) (void)drop(*marks[i]);   // not in the list: asked, never dropped
    return dropped;
}

bool sameThreadName(const FEATURE_MARK& a, const FEATURE_MARK& b) {
    if (!a.threadName[0] || !b.threadName[0]) return true;
    return std::strncmp(a.threadName, b.threadName, sizeof a.threadName) == 0;
}

// The data that a duplicate must repeat: everything sameFeatureData compares but the diameter.
bool sameImportData(const FEATURE_MARK& a, const FEATURE_MARK& b) {
    const double t = g_tolerances.tolT;
    return a.isFit == b.isFit && std::fabs(a.fitDiameter - b.fitDiameter) <= 0.04 * t && a.isTap == b.isTap &&
           sameThreadName(a, b) && std::fabs(a.threadDepth - b.threadDepth) <= t &&
           std::fabs(a.tapDiam - b.tapDiam) <= t && std::fabs(a.tapPitch - b.tapPitch) <= 0.04 * t &&
           a.threadKind == b.threadKind && a.reserved == b.reserved;
}

// The world point of an arc's centre and its view's depth axis; false when the view is unknown or the
// centre is not finite (a damaged part's arc), which leaves a mark on the point it had.
bool arcFrame(const ent& arc, double centre[3], double axis[3]) {
    double m[3][3];
    if (get_view_matrix(arc.arc.view, m) != 1) return false;
    const double c[3] = {arc.arc.c.x, arc.arc.c.y, arc.arc.c.z};
    mul_mat_vector(m, c, centre);
    for (int k = 0; k < 3; ++k) axis[k] = m[2][k];
    return std::isfinite(centre[0]) && std::isfinite(centre[1]) && std::isfinite(centre[2]);
}

// An arc of the part that may stand for a mark that lost its arc: the first on a visible level, in database
// order, whose centre lies within T of the mark's point, in the colour of the mark's kind.
std::uint32_t findLooseArc(const FEATURE_MARK& mark) {
    const double t = g_tolerances.tolT;
    std::uint32_t found = 0;
    forEachShownEnt(kEntArc, [&](ent& arc) {
        if (!is_level_visible(arc.level)) return false;
        double centre[3], axis[3];
        if (!arcFrame(arc, centre, axis) || !(pointDistance(centre, mark.point) < t)) return false;
        if ((mark.isTap && arc.color == kThreadArcColour) || (mark.isFit && arc.color == reamArcColour())) found = arc.id;
        return found != 0;
    });
    return found;
}

// The sweep an arc of the mark's slot is drawn with before its id goes in, and the base its id is coded on.
struct SLOT_BASE {
    double plain, coded;
};
SLOT_BASE slotBase(const FEATURE_MARK& mark, int slot) {
    const bool thread = mark.isTap && slot == 0;
    if (thread) return {kThreadArcBase, kThreadArcBase};
    return {kFullTurn, kFitCircleBase};
}

// A heap copy of the mark linked at `tail` and counted; null when memory ran out or the list is full.
FEATURE_MARK* appendMark(FEATURE_MARK** tail, const FEATURE_MARK& mark) {
    if (g_records->featureMarkCount >= kMaxFeatureMarks) return nullptr;
    auto* copy = new (std::nothrow) FEATURE_MARK(mark);
    if (!copy) return nullptr;
    // The copy owns no entity yet: ids copied from another mark would let its drawing delete that mark's.
    copy->next = nullptr;
    copy->arcEntCount = 0;
    std::fill(std::begin(copy->arcEnts), std::end(copy->arcEnts), 0u);
    copy->noteEnt = 0;
    *tail = copy;
    ++g_records->featureMarkCount;
    return copy;
}

void drawMark(FEATURE_MARK* mark, std::int32_t level);

}  // namespace

// ---- the list ---------------------------------------------------------------------------------------------

std::vector<FEATURE_MARK*> listedMarks(FEATURE_MARK* head) {
    std::vector<FEATURE_MARK*> out;
    const int count = g_records->featureMarkCount;
    for (FEATURE_MARK* mark = head; mark && static_cast<int>(out.size()) < count; mark = mark->next) {
        out.push_back(mark);
        if (static_cast<int>(out.size()) == count && mark->next) {
            freeFeatureMarkList(mark->next);
            mark->next = nullptr;
        }
    }
    return out;
}

bool isListedMark(const FEATURE_MARK* mark) { return mark && linkTo(mark) != nullptr; }

FEATURE_MARK* addFeatureMark(const FEATURE_MARK& mark, std::uint8_t draw, std::int32_t level) {
    FEATURE_MARK** tail = listTail();
    FEATURE_MARK* copy = appendMark(tail, mark);
    if (copy && draw) drawFeatureMark(copy, level);
    return copy;
}

std::size_t addFeatureMarks(std::span<const FEATURE_MARK> marks, std::uint8_t draw, std::int32_t level,
                            const std::function<bool(std::size_t)>& goOn) {
    FEATURE_MARK** tail = listTail();
    std::size_t added = 0;
    for (const FEATURE_MARK& mark : marks) {
        if (goOn && !goOn(added)) break;
        FEATURE_MARK* copy = appendMark(tail, mark);
        if (!copy) break;
        tail = &copy->next;
        if (draw) drawMark(copy, level);
        ++added;
    }
    if (draw && added > 0) repaint_graphics();
    return added;
}

int drawFeatureMark(FEATURE_MARK* mark, std::int32_t level) {
    drawMark(mark, level);
    if (mark) repaint_graphics();
    return 0;
}

namespace {

// drawFeatureMark without the repaint, which a run of many marks does once.
void drawMark(FEATURE_MARK* mark, std::int32_t level) {
    if (!mark) return;
    deleteMarkEnts(*mark, nullptr);
    mark->arcEntCount = 0;
    double m[3][3];
    int view = 0;
    char ok = 0;
    (void)make_view_k(mark->direction, m);
    if (find_view_m(m, &view, 1, &ok) != 1 || !ok) {
        plat::messageBox(nullptr, errorMessage(140), errorMessage(1), plat::MB_OK | plat::MB_ICONERROR);
        return;
    }
    double t[3][3], centre[3];
    transpose_matrix_33(m, t);
    mul_mat_vector(t, mark->point, centre);
    if (level == 0) level = main_level;
    mark->level = level;
    int arcs = 0;
    if (mark->isTap) {
        const std::uint32_t id = storeMarkArc(view, centre, mark->tapDiam / 2, kThreadArcBase, kThreadArcBase,
                                              kThreadArcColour, level);
        if (id) mark->arcEnts[arcs++] = id;
    }
    if (mark->isFit) {
        const std::uint32_t id =
            storeMarkArc(view, centre, mark->diameter / 2, kFitCircleBase, kFullTurn, reamArcColour(), level);
        if (id) mark->arcEnts[arcs++] = id;
        if (markHasNote(*mark)) mark->noteEnt = storeFitNote(view, centre, mark->diameter / 2, mark->fitClass, level);
    }
    mark->arcEntCount = static_cast<std::int16_t>(arcs);
}

}  // namespace

int deleteFeatureMark(FEATURE_MARK* mark) {
    if (FEATURE_MARK** link = mark ? linkTo(mark) : nullptr) dropAt(link, nullptr);
    return 0;
}

int deleteAllFeatureMarks() {
    MARK_ENTS ents;
    return dropMarks(g_records->featureMarks, &ents, [](const FEATURE_MARK&) { return true; });
}

FEATURE_MARK* findFeatureMarkByEntity(std::uint32_t id) {
    if (id == 0) return nullptr;
    for (FEATURE_MARK* mark : listedMarks(g_records->featureMarks)) {
        for (int i = 0; i < markArcCount(*mark); ++i) {
            if (mark->arcEnts[i] == id) return mark;
            if (markHasNote(*mark) && mark->noteEnt == id) return mark;
        }
    }
    return nullptr;
}

int redrawFeatureMarks(FEATURE_MARK* head) {
    const std::vector<FEATURE_MARK*> marks = listedMarks(head);
    bool anyFitted = false;
    for (const FEATURE_MARK* mark : marks) anyFitted = anyFitted || (mark->isFit && markArcCount(*mark) > 0);
    if (!anyFitted) return 0;
    const MARK_ENTS ents;
    bool changed = false;
    for (const FEATURE_MARK* mark : marks) {
        if (!mark->isFit) continue;
        for (int i = 0; i < markArcCount(*mark); ++i) {
            ent arc{};
            if (!get_ent_from_eptr(ents.arc(mark->arcEnts[i]), &arc) || arc.color == reamArcColour()) continue;
            arc.color = static_cast<std::int16_t>(reamArcColour());
            changed = rewrite_ent(&arc, 0) == 1 || changed;
        }
    }
    if (changed) repaint_graphics();
    return 0;
}

FEATURE_MARK* projectHolesToView(VIEW_LIST*, FEATURE_MARK* head, std::int16_t dropOrigin) {
    const std::vector<FEATURE_MARK*> marks = listedMarks(head);
    if (marks.empty()) return head;
    MARK_ENTS ents;
    ARC_KEYS keys(ents);
    auto invalid = [&](FEATURE_MARK& mark) {
        if (mark.solidEntCount < 0 || mark.solidEntCount > kMaxMarkSolids) {
            mark.solidEntCount = 0;
            return true;
        }
        for (int i = 0; i < mark.solidEntCount; ++i)
            if (mark.solidEnts[i] != 0 && !ents.solid(mark.solidEnts[i])) return true;
        if (mark.arcEntCount == 0 && mark.arcEnts[0] == 0) {
            if (const std::uint32_t id = findLooseArc(mark)) {
                mark.arcEnts[0] = id;
                mark.arcEntCount = 1;
            }
        }
        for (int slot = 0; slot < markArcCount(mark); ++slot) {
            const SLOT_BASE base = slotBase(mark, slot);
            (void)keys.rekey(mark.arcEnts[slot], base.coded);
        }
        bool anyArc = false;
        for (int slot = 0; slot < markArcCount(mark); ++slot) {
            std::uint32_t& id = mark.arcEnts[slot];
            if (id == 0) continue;
            ent arc{};
            if (!get_ent_from_eptr(ents.arc(id), &arc)) {
                id = 0;
                return true;
            }
            const SLOT_BASE base = slotBase(mark, slot);
            if (std::fabs(arc.arc.sw - base.plain) <= kSweepTolerance) {
                arc.arc.sw = arcMarkSweep(base.coded, id);
                (void)rewrite_ent(&arc, 0);
            }
            anyArc = true;
        }
        return (dropOrigin != 0 && mark.origin == dropOrigin) || !anyArc;
    };
    const FEATURE_MARK* first = marks.front();
    const bool headIsList = first == g_records->featureMarks;
    (void)dropMarks(head, &ents, invalid);
    if (headIsList) return g_records->featureMarks;
    // A list that is not the global one keeps its head unless the head itself went.
    for (FEATURE_MARK* mark : marks)
        if (isListedMark(mark)) return mark;
    return nullptr;
}

int featureMarksToView(FEATURE_MARK* head) {
    const std::vector<FEATURE_MARK*> marks = listedMarks(head);
    if (marks.empty()) return 0;
    const MARK_ENTS ents;
    for (FEATURE_MARK* mark : marks) {
        for (int i = 0; i < markArcCount(*mark); ++i) {
            ent arc{};
            double centre[3], axis[3];
            if (!get_ent_from_eptr(ents.arc(mark->arcEnts[i]), &arc) || !arcFrame(arc, centre, axis)) continue;
            std::copy(centre, centre + 3, mark->point);
            std::copy(axis, axis + 3, mark->direction);
        }
    }
    return 0;
}

int matchImportedFeatures() {
    const std::vector<FEATURE_MARK*> marks = listedMarks(g_records->featureMarks);
    const double t = g_tolerances.tolT;
    if (marks.size() < 2 || !(t > 0)) return 0;
    const NEAR_MARKS near(marks, t);
    for (std::size_t a = 0; a < marks.size(); ++a) {
        FEATURE_MARK& ma = *marks[a];
        for (std::size_t b : near.around(ma.point)) {
            if (b <= a) continue;
            FEATURE_MARK& mb = *marks[b];
            if (!(pointDistance(ma.point, mb.point) < t)) continue;
            if (compareDirections(ma.direction, mb.direction, g_tolerances.axisAngle) != kSameSense) continue;
            if (!sameImportData(ma, mb)) continue;
            if (mb.length < ma.length) ma.length = -1;
            else mb.length = -1;
        }
    }
    MARK_ENTS ents;
    return dropMarks(g_records->featureMarks, &ents, [](const FEATURE_MARK& m) { return m.length < 0; });
}

int removeCoincidentMarks(FEATURE_MARK* head) {
    const std::vector<FEATURE_MARK*> marks = listedMarks(head);
    const double t = g_tolerances.tolT;
    if (marks.size() < 2 || !(t > 0)) return 0;
    const NEAR_MARKS near(marks, t);
    std::unordered_set<const FEATURE_MARK*> repeated;
    for (std::size_t a = 0; a < marks.size(); ++a) {
        const FEATURE_MARK& ma = *marks[a];
        for (std::size_t b : near.around(ma.point)) {
            if (b <= a) continue;
            const FEATURE_MARK& mb = *marks[b];
            if (pointDistance(ma.point, mb.point) < t && compareDirections(ma.direction, mb.direction, 0.0005) == kSameSense &&
                ma.isFit == mb.isFit && ma.isTap == mb.isTap) {
                repeated.insert(&ma);
                break;
            }
        }
    }
    if (repeated.empty()) return 0;
    MARK_ENTS ents;
    return dropMarks(head, &ents, [&](const FEATURE_MARK& m) { return repeated.count(&m) != 0; });
}

bool sameFeatureData(const FEATURE_MARK& a, const FEATURE_MARK& b) {
    return std::fabs(a.diameter - b.diameter) <= 0.04 * g_tolerances.tolT && sameImportData(a, b);
}

void copyFeatureData(FEATURE_MARK& dst, const FEATURE_MARK& src) {
    dst.diameter = src.diameter;
    dst.isFit = src.isFit;
    dst.isTap = src.isTap;
    dst.threadDepth = src.threadDepth;
    dst.tapDiam = src.tapDiam;
    dst.tapPitch = src.tapPitch;
    dst.threadKind = src.threadKind;
    dst.fitDiameter = src.fitDiameter;
    dst.reserved = src.reserved;
    std::memcpy(dst.threadName, src.threadName, sizeof dst.threadName);
}

FEATURE_MARK* reverseFeatureMark(FEATURE_MARK* mark) {
    if (!mark) return nullptr;
    FEATURE_MARK turned = *mark;
    markBottom(*mark, turned.point);
    for (double& d : turned.direction) d = -d;
    const std::int32_t level = mark->level;
    deleteFeatureMark(mark);
    return addFeatureMark(turned, 1, level);
}

double pointDistance(const double a[3], const double b[3]) {
    return std::sqrt((a[0] - b[0]) * (a[0] - b[0]) + (a[1] - b[1]) * (a[1] - b[1]) + (a[2] - b[2]) * (a[2] - b[2]));
}

std::string formatNumber(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

void markBottom(const FEATURE_MARK& mark, double out[3]) {
    for (int k = 0; k < 3; ++k) out[k] = mark.point[k] - mark.length * mark.direction[k];
}

void moveMarkEnts(FEATURE_MARK& mark, std::int32_t level, bool withNote, bool keepLevel) {
    bool kept = false;
    auto move = [&](std::uint32_t id, std::uint32_t mask) {
        ent e{};
        if (!readEntById(id, mask, e)) return;
        if (keepLevel && !kept && mask == kEntArc) {
            mark.level = e.level;
            kept = true;
        }
        if (e.level == level) return;
        e.level = level;
        (void)rewrite_ent(&e, 0);
    };
    for (int i = 0; i < markArcCount(mark); ++i) move(mark.arcEnts[i], kEntArc);
    if (withNote && markHasNote(mark)) move(mark.noteEnt, kEntNote);
}

bool readEntById(std::uint32_t id, std::uint32_t mask, ent& out) {
    if (id == 0) return false;
    const db_ptr entry = findEntById(id, 1, mask);
    return entry && get_ent_from_eptr(entry, &out) == 1;
}
