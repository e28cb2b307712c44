// Private to the host stand-in: the open part's database in memory, shared by the entity functions, the
// levels, the part files and the views' fit. Entities sit in a map ordered by handle, which is database
// order; a stored record holds only the kind member its type names. Texts of notes live in a table of
// their own, each owned by at most one stored note.
#pragma once
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "host/api.h"
#include "host/geom/face_geom.h"

namespace host::db {

// Where a surface's geometry came from when a solid's face was made into surfaces
// (sld_convert_tags_to_mc_ents): while the surface still holds that geometry and the solid that face, a
// part file keeps the geometry as the solid's face instead of a copy of its own.
struct SurfaceOrigin {
    FaceGeom face;                // the solid's face; empty: the geometry is the surface's own
    FaceGeom made;                // the surface's geometry as made: the face itself, or its untrimmed base
    db_ptr solid = 0;
    std::int32_t index = -1;      // in the solid's faces()
    bool base = false;            // the untrimmed base of a trimmed surface made from that face
};

struct Stored {
    ent e;
    bool kept = false;   // deleted with keep 1: out of get_ent's walks, still in the part
    SurfaceOrigin origin;
};

struct Text {
    std::string bytes;
    db_ptr owner = 0;    // the stored note that owns it, 0 while it belongs to no stored note
    // A text handed over in pieces is kept packed (blob_pack.h), `bytes` empty, until it is first read whole.
    std::string packed;
};
// The text whole, unpacked in place the first time a packed one is read.
const std::string& wholeText(Text& text);

struct Level {
    bool visible = true;
    std::string name;
};

struct Database {
    std::map<db_ptr, Stored> ents;
    // The trim polylines of stored surfaces by a hash of their points: equal ones share one buffer.
    std::unordered_map<std::uint64_t, std::vector<std::weak_ptr<std::vector<uv_pt>>>> trims;
    std::map<std::uint32_t, Text> texts;
    std::map<std::int32_t, Level> levels;   // levels that were named or shown/hidden
    db_ptr nextHandle = 1;
    std::uint32_t nextId = 1;
    std::uint32_t nextText = 1;
};

Database& current();

// Makes the trim polyline of a surface about to be stored share the buffer of an equal one stored before.
void shareTrims(Database& db, ent& e);
// Held by every database function: the plug-in may write its settings record from a watcher thread.
[[nodiscard]] std::unique_lock<std::recursive_mutex> guard();
// An empty database; resetGlobals gives main_level, main_color, main_attrib, select_color and the palette
// their fresh values.
void resetDatabase();
void resetGlobals();

// A copy of `e` that keeps only the kind member its type names (the stored form).
ent storedForm(const ent& e);
bool isKnownType(std::uint32_t type);
// The text handle a record should own once stored as `entry`: its own when free or already its own,
// else a copy. 0 when the handle is unknown (and not 0).
std::uint32_t adoptText(Database& db, std::uint32_t handle, db_ptr entry, bool* ok);
// Removes one entity for good: its text, its association count on the target, and what it owns.
void removeEntity(Database& db, db_ptr entry);
// Counts the records that left the map of any database and the databases replaced whole: a walk keeps its
// place in the map across a visit only while this stands still. Whoever erases from `ents` or replaces the
// database otherwise than through removeEntity and resetDatabase calls noteRemoval.
std::uint64_t removals();
void noteRemoval();


}  // namespace host::db
