// Small operations on the host's part database that the recognition, the features manager and the
// operation generation share: the part's solids turned into surfaces on the features level (settings
// Levels 2 as copied by readSettings), hiding and showing that level's entities and the recognised holes,
// entities found and deleted by id, re-keyed feature-mark arcs, and auxiliary geometry.
// Entities deleted with keep 1 (the part records among them) are never found, changed or deleted here.
#pragma once
#include <cstdint>
#include <vector>

#include "host/api.h"


// The features level is `level` here and below (the settings' copy taken at load).

// Converts every shown, not excluded solid into surfaces on the features level after deleting what that
// level held; the last solid converted is hidden and remembered (PLUGIN_GLOBALS::markerEntry, markerId)
// and the solid remembered before is shown again. Returns the level of the last solid converted, 0 when
// none was.
std::int32_t solidsToEntities(std::int32_t level);

// Shows the features level, deletes every entity on it (hidden ones too) and repaints.
void deleteWorkLevelEnts(std::int32_t level);
// The same while the features level is visible; nothing when it is hidden.
void deleteVisibleWorkLevelEnts(std::int32_t level);
// Hides every shown entity of the features level while that level is visible; returns how many.
int blankWorkLevelEnts(std::int32_t level);
// Shows again every picked entity of the features level; returns how many were picked.
int unblankWorkLevelEnts(std::int32_t level);
// Shows the features level and deletes its entities but those whose ids are in `keptIds` (sorted); repaints.
void deleteWorkLevelEntsExcept(std::int32_t level, const std::vector<std::uint32_t>& keptIds);
// Hides (shows) the entity by its selection word's blank bit; false when the host refuses the rewrite.
bool setEntBlank(const ent& entity, bool blank);

// Deletes the entity with that id, whatever its kind. Returns 0.
int deleteEntById(std::uint32_t id);
// The handle of the entity with that id among those the selection and entity masks admit (get_ent's
// arguments), hidden ones included; 0 when none has it.
db_ptr findEntById(std::uint32_t id, short selMask, std::uint32_t entMask);
// The association entity with that id, copied into `out`; false when none has it.
bool findAssocEntById(std::uint32_t id, ent* out);

// A mark arc carries its own id in its sweep: base - id x 1e-10 (renumberArcMarks, plugin/model/feature_mark.h).
constexpr double kThreadArcBase = 4.712388980384689;    // thread arc of a tapped mark, 3 pi / 2
constexpr double kFitCircleBase = 6.276902121872406;    // hole circle of a fitted mark, 0.999 x 2 pi
// After the host renumbered the part: the arc on `base` that still carries `stored` as its key is coded
// again with its current id, which goes to `stored`. False when no such arc is found or it cannot be
// rewritten.
bool rekeyMarkArc(std::uint32_t& stored, double base);
// The sweep that codes `id` on `base`, and the id a sweep codes (0 for a sweep above the base).
double arcMarkSweep(double base, std::uint32_t id);
std::uint32_t arcMarkKey(double base, double sweep);

// ---- auxiliary geometry --------------------------------------------------------------------------------
// A level or colour below 1 means the host's main level or colour. Returns 0 when the host refuses.
// The surface turned about the axis by the segment from (x1, z1) to (x2, z2), x across the axis and z along
// it from `axisPt`: x1 = x2 = r gives a cylinder of radius r from z1 to z2. Returns the new surface.
db_ptr createCylSurface(const double axisPt[3], const double axisDir[3], double x1, double z1, double x2, double z2,
                        std::int32_t level, int colour);
// A square planar surface of that edge centred on `centre`, its edges along the X and Y axes of the
// normal's host frame (make_view_k). Returns the new surface.
db_ptr createSquareSurface(const double centre[3], const double normal[3], double edge, std::int32_t level,
                           int colour);
// A line from `start` to start + direction x length. Returns the new entity's id.
std::uint32_t createLineEnt(const double start[3], const double direction[3], double length, std::int32_t level,
                            int colour);

// Calls `visit(entry, record)` for every entity of `mask` in database order, blanked and kept ones
// included, until it returns false.
template <class Visit>
void forEachRawEnt(std::uint32_t mask, Visit visit) {
    db_ptr at = db_start();
    for (;;) {
        ent e{};
        char found = 0;
        get_raw_ent(at, 1, mask, &e, &at, &found);
        if (!found || !visit(at, e)) return;
    }
}

// Calls `visit(surface)` for every surface entity the user sees on a visible level, in database order,
// until it returns a negative value; returns that value, else 0. The record is the walk's own (walk_ents),
// valid during the call.
template <class Visit>
int forEachVisibleSurface(Visit visit) {
    auto step = [](const ent& surface, void* context) -> int {
        if (!is_level_visible(surface.level)) return 0;
        const int r = (*static_cast<Visit*>(context))(surface);
        return r < 0 ? r : 0;
    };
    return walk_ents(db_start(), 1, kEntSurface, step, &visit);
}
