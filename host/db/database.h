// Private to the host stand-in: the open part's database in memory, shared by the entity functions, the
// levels, the part files and the views' fit. Entities sit in a map ordered by handle, which is database
// order; a stored record holds its head and only the kind member its type names. Texts of notes live in a table of
// their own, each owned by at most one stored note.
#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <variant>
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

// The fields every record has, as `ent` holds them.
struct EntHead {
    std::uint32_t type = 0;
    std::uint32_t id = 0;
    db_ptr eptr = 0;
    std::int32_t level = 0;
    std::int16_t color = 0;
    attr_block attrib;
    std::uint16_t sel = 0;
    std::int32_t refs = 0;
    db_ptr owner = 0;
};

// The one kind member a stored record's type names, on the heap in its own size: a whole `ent` is over a
// kilobyte, most of it members its type never uses, the kinds differ eightfold in size, and a plate holds
// tens of thousands of records.
using EntKind = std::variant<std::monostate, std::unique_ptr<ent_point>, std::unique_ptr<ent_line>,
                             std::unique_ptr<ent_arc>, std::unique_ptr<ent_spline>, std::unique_ptr<ent_note>,
                             std::unique_ptr<ent_drafting>, std::unique_ptr<ent_surface>, std::unique_ptr<ent_solid>,
                             std::unique_ptr<ent_assoc>, std::unique_ptr<ent_info>>;

struct Stored {
    EntHead head;
    EntKind kind;
    bool kept = false;   // deleted with keep 1: out of get_ent's walks, still in the part
    // Only for a surface made from a solid's face.
    std::unique_ptr<SurfaceOrigin> origin;

    Stored() = default;
    // The stored form of `e`: its head and the kind member its type names.
    explicit Stored(const ent& e, bool kept = false);
    explicit Stored(ent&& e, bool kept = false);

    // The whole record: the head, the kind member, every other member empty.
    [[nodiscard]] ent record() const;
    void recordInto(ent& out) const;
    // The same into a record that held only the kind member of its own type before (a walk's scratch
    // record): only that member is emptied, and buffers of the same kind are reused.
    void recordIntoScratch(ent& scratch) const;

    // The kind member; an empty one when the record is of another kind.
    [[nodiscard]] const ent_surface& surf() const { return member<ent_surface>(); }
    [[nodiscard]] const ent_solid& solid() const { return member<ent_solid>(); }
    [[nodiscard]] const ent_note& note() const { return member<ent_note>(); }
    [[nodiscard]] const ent_assoc& assoc() const { return member<ent_assoc>(); }
    // Changeable kind members: only for a record of that kind.
    ent_surface& surf() { return *std::get<std::unique_ptr<ent_surface>>(kind); }
    ent_solid& solid() { return *std::get<std::unique_ptr<ent_solid>>(kind); }
    ent_note& note() { return *std::get<std::unique_ptr<ent_note>>(kind); }
    ent_assoc& assoc() { return *std::get<std::unique_ptr<ent_assoc>>(kind); }

private:
    template <class T>
    const T& member() const {
        static const T none{};
        const std::unique_ptr<T>* held = std::get_if<std::unique_ptr<T>>(&kind);
        return held ? **held : none;
    }
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
    // The handles of each operation's kind-2 associations, ascending, made at the first question and kept up
    // as associations are stored, so that an operation's toolpath does not walk the whole database. It may
    // still hold handles deleted since; a rewrite of an association drops it.
    std::optional<std::unordered_map<std::int32_t, std::vector<db_ptr>>> operationAssocs;
};

Database& current();

// Makes the trim polyline of a surface about to be stored share the buffer of an equal one stored before.
void shareTrims(Database& db, Stored& s);
// Held by every database function: the plug-in may write its settings record from a watcher thread.
[[nodiscard]] std::unique_lock<std::recursive_mutex> guard();
// An empty database; resetGlobals gives main_level, main_color, main_attrib, select_color and the palette
// their fresh values.
void resetDatabase();
void resetGlobals();

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
