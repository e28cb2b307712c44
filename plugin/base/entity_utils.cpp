// Host entity and level utilities. Every change reads the host's record into a local copy, changes it and
// writes it back (rewrite_ent); deletions remove the entity for good (keep 0) and repaint once at the end.
#include "plugin/base/entity_utils.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "plugin/base/globals.h"

namespace {

// Every kind get_ent and get_raw_ent walk (associations and file information are never walked).
constexpr std::uint32_t kAllKinds =
    kEntPoint | kEntLine | kEntArc | kEntSpline | kEntNote | kEntDrafting | kEntSurface | kEntSolid;

template <class Visit>
void walk(bool raw, short sel, std::uint32_t mask, Visit visit) {
    db_ptr p = db_start();
    char found = 0;
    for (;;) {
        ent e{};
        if (raw)
            get_raw_ent(p, sel, mask, &e, &p, &found);
        else
            get_ent(p, sel, mask, &e, &p, &found);
        if (!found) break;
        visit(e);
    }
}

// get_ent passes over blanked entities, hidden levels and owned base surfaces; get_raw_ent also yields the
// entities deleted with keep 1, which look like any other. A raw entity get_ent would have to yield but
// did not is therefore a kept one.
bool getEntSkips(const ent& e) { return (e.sel & kSelBlank) != 0 || !is_level_visible(e.level) || e.owner != 0; }

struct LEVEL_ENTITY {
    db_ptr entry = 0;
    std::uint32_t id = 0;
};

// The entities of `level` that the user has in the part, shown or blanked; not the kept ones, not the base
// surfaces (they go with their trimmed surface). In database order. The shown ones are seen in the walk's
// own record (walk_ents): a level of converted solids holds tens of thousands of records, of which only
// handles and ids are needed.
std::vector<LEVEL_ENTITY> levelEntities(std::int32_t level) {
    struct CONTEXT {
        std::int32_t level;
        std::vector<LEVEL_ENTITY> out;
    } shown{level, {}};
    (void)walk_ents(db_start(), 1, kAllKinds, [](const ent& e, void* context) -> int {
        auto& c = *static_cast<CONTEXT*>(context);
        if (e.level == c.level) c.out.push_back({e.eptr, e.id});
        return 0;
    }, &shown);
    std::vector<LEVEL_ENTITY> out = std::move(shown.out);
    walk(true, kSelBlank, kAllKinds, [&](const ent& e) {
        if (e.level == level && e.owner == 0) out.push_back({e.eptr, e.id});
    });
    std::sort(out.begin(), out.end(), [](const LEVEL_ENTITY& a, const LEVEL_ENTITY& b) { return a.entry < b.entry; });
    return out;
}

template <class Keep>
void deleteLevelEntities(std::int32_t level, Keep keep) {
    for (const LEVEL_ENTITY& e : levelEntities(level)) {
        if (!keep(e)) delete_ent(e.entry, 0, 0, 0, nullptr, 0);
    }
    repaint_graphics();
}

std::int32_t levelOr(std::int32_t level) { return level < 1 ? main_level : level; }
int colourOr(int colour) { return colour < 1 ? main_color : colour; }

// A world point into the frame `m` (rows X, Y, Z): its dot products with the rows, as the transpose
// times the point.
void toFrame(const double m[3][3], const double in[3], double out[3]) {
    double t[3][3];
    transpose_matrix_33(m, t);
    mul_mat_vector(t, in, out);
}

}  // namespace

// ---- the features level ------------------------------------------------------------------------------

void deleteWorkLevelEnts(std::int32_t level) {
    set_level_visible(level, 1);
    deleteLevelEntities(level, [](const LEVEL_ENTITY&) { return false; });
}

void deleteVisibleWorkLevelEnts(std::int32_t level) {
    if (!is_level_visible(level)) return;
    deleteLevelEntities(level, [](const LEVEL_ENTITY&) { return false; });
}

int blankWorkLevelEnts(std::int32_t level) {
    int count = 0;
    walk(false, 1, kAllKinds, [&](const ent& e) {
        if (e.level == level && setEntBlank(e, true)) ++count;
    });
    return count;
}

int unblankWorkLevelEnts(std::int32_t level) {
    int count = 0;
    walk(true, kSelPicked, kAllKinds, [&](const ent& e) {
        if (e.level != level || e.owner != 0) return;
        setEntBlank(e, false);
        ++count;
    });
    return count;
}

void deleteWorkLevelEntsExcept(std::int32_t level, const std::vector<std::uint32_t>& keptIds) {
    set_level_visible(level, 1);
    deleteLevelEntities(level, [&](const LEVEL_ENTITY& e) {
        return std::binary_search(keptIds.begin(), keptIds.end(), e.id);
    });
}

bool setEntBlank(const ent& original, bool blank) {
    ent e = original;
    if (blank)
        e.sel = static_cast<std::uint16_t>(e.sel | kSelBlank);
    else
        e.sel = static_cast<std::uint16_t>(e.sel & ~kSelBlank);
    return rewrite_ent(&e, 0) == 1;
}

// ---- solids --------------------------------------------------------------------------------------------

std::int32_t solidsToEntities(std::int32_t level) {
    PLUGIN_GLOBALS& g = *g_globals;
    deleteWorkLevelEnts(level);
    set_level_visible(level, 0);

    // The solid hidden by the last conversion shows again, so that it is converted with the others. A
    // non-zero markerId is the "solid hidden" flag: the part records carry only the handle and the id. The
    // handle is checked against the id, as the part may have been replaced since.
    if (g.markerId != 0) {
        ent solid{};
        if (get_ent_from_eptr(g.markerEntry, &solid) && solid.type == kEntSolid && solid.id == g.markerId)
            setEntBlank(solid, false);
    }

    const std::int32_t savedMainLevel = main_level;
    main_level = level;
    std::int32_t result = 0;
    db_ptr lastEntry = 0;
    std::uint32_t lastId = 0;
    walk(false, 1, kEntSolid, [&](const ent& solid) {
        if (!is_level_visible(solid.level) || (solid.solid.flags & kSolidExcluded)) return;
        sld_tag tag = 0;
        if (!sld_get_tag_from_solid(&solid, &tag)) return;
        sld_convert_tags_to_mc_ents(&tag, 1, 0.0, 0, 1, 0);
        lastEntry = solid.eptr;
        lastId = solid.id;
        result = solid.level;
    });
    set_level_visible(level, 1);
    main_level = savedMainLevel;

    if (lastEntry != 0) {
        ent solid{};
        if (get_ent_from_eptr(lastEntry, &solid)) setEntBlank(solid, true);
        g.markerEntry = lastEntry;
        g.markerId = lastId;
        rebuild_graphics();
    }
    return result;
}

// ---- by id ---------------------------------------------------------------------------------------------

db_ptr findEntById(std::uint32_t id, short selMask, std::uint32_t entMask) {
    db_ptr hit = 0;
    walk(false, selMask, entMask, [&](const ent& e) {
        if (!hit && e.id == id) hit = e.eptr;
    });
    if (hit) return hit;
    walk(true, selMask, entMask, [&](const ent& e) {
        if (!hit && e.id == id && getEntSkips(e)) hit = e.eptr;
    });
    return hit;
}

int deleteEntById(std::uint32_t id) {
    const db_ptr entry = findEntById(id, 1, kAllKinds);
    if (entry) delete_ent(entry, 0, 0, 1, nullptr, 0);
    return 0;
}

bool findAssocEntById(std::uint32_t id, ent* out) {
    db_ptr p = db_start();
    char found = 0;
    for (;;) {
        ent e{};
        get_ent_assoc(p, &e, &p, &found);
        if (!found) return false;
        if (e.id == id) {
            if (out) *out = e;
            return true;
        }
    }
}

// ---- auxiliary geometry ----------------------------------------------------------------------------------

db_ptr createCylSurface(const double axisPt[3], const double axisDir[3], double x1, double z1, double x2, double z2,
                        std::int32_t level, int colour) {
    double m[3][3];
    if (!make_view_k(axisDir, m)) return 0;
    double c[3];
    toFrame(m, axisPt, c);
    const double a[3] = {c[0] + x1, c[1], c[2] + z1};
    const double b[3] = {c[0] + x2, c[1], c[2] + z2};
    double wa[3], wb[3];
    mul_mat_vector(m, a, wa);
    mul_mat_vector(m, b, wb);

    // The host revolves a line record; it need not be stored for that, so no temporary entity is made.
    ent line{};
    line.type = kEntLine;
    line.ln.ln.e1 = {wa[0], wa[1], wa[2]};
    line.ln.ln.e2 = {wb[0], wb[1], wb[2]};
    surf_of_rev rev;
    rev.profile = &line;
    rev.axisPt = {axisPt[0], axisPt[1], axisPt[2]};
    rev.axisDir = {axisDir[0], axisDir[1], axisDir[2]};
    rev.startAngle = 0.0;
    rev.sweep = 6.283185307179584;
    ent surface{};
    if (!create_nurbsurf_from_surf(&rev, &surface)) return 0;
    if (!put_surf_in_db(&surface, colourOr(colour), levelOr(level))) return 0;
    return surface.eptr;
}

db_ptr createSquareSurface(const double centre[3], const double normal[3], double edge, std::int32_t level,
                           int colour) {
    double m[3][3];
    if (!make_view_k(normal, m)) return 0;
    double c[3];
    toFrame(m, centre, c);
    const double h = edge / 2;
    const double local[4][3] = {{c[0] - h, c[1] + h, c[2]},
                                {c[0] + h, c[1] + h, c[2]},
                                {c[0] - h, c[1] - h, c[2]},
                                {c[0] + h, c[1] - h, c[2]}};
    p_3d corners[4];
    for (int i = 0; i < 4; ++i) {
        double w[3];
        mul_mat_vector(m, local[i], w);
        corners[i] = {w[0], w[1], w[2]};
    }
    ent surface{};
    if (!create_nurbsurf_from_4_points(corners, &surface)) return 0;
    if (!put_surf_in_db(&surface, colourOr(colour), levelOr(level))) return 0;
    return surface.eptr;
}

std::uint32_t createLineEnt(const double start[3], const double direction[3], double length, std::int32_t level,
                            int colour) {
    ent line{};
    line.type = kEntLine;
    line.ln.ln.e1 = {start[0], start[1], start[2]};
    line.ln.ln.e2 = {start[0] + direction[0] * length, start[1] + direction[1] * length,
                     start[2] + direction[2] * length};
    db_ptr entry = 0;
    char ok = 0;
    const std::uint32_t id = store_ent(&line, &entry, 0, colourOr(colour), levelOr(level), main_attrib, &ok);
    return ok ? id : 0;
}

// ---- feature-mark arcs ------------------------------------------------------------------------------------

double arcMarkSweep(double base, std::uint32_t id) { return base - id * 1e-10; }

std::uint32_t arcMarkKey(double base, double sweep) {
    const double key = std::floor((base - sweep) * 1e10 + 0.5);
    if (!(key >= 1 && key <= 4294967295.0)) return 0;
    return static_cast<std::uint32_t>(key);
}

// Several marks may be re-keyed one after the other: once one arc carries its new id, an arc of a mark not
// yet re-keyed may still carry that same number as its old id. An arc whose key differs from its own id is
// the one still waiting, so it is taken before an arc that already carries its own id as key.
bool rekeyMarkArc(std::uint32_t& stored, double base) {
    if (stored == 0) return false;
    ent waiting{};
    walk(true, 1, kEntArc, [&](const ent& arc) {
        if (waiting.eptr == 0 && arc.id != stored && arcMarkKey(base, arc.arc.sw) == stored) waiting = arc;
    });
    if (waiting.eptr == 0) return false;
    waiting.arc.sw = arcMarkSweep(base, waiting.id);
    if (rewrite_ent(&waiting, 0) != 1) return false;
    stored = waiting.id;
    return true;
}
