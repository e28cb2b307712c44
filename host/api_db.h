// The host's part database as the plug-in sees it: entity records, walks, writes, notes, associations,
// levels, colours and selection bits. Included by host/api.h (p_3d and l_3d come from there).
// An entity handle (db_ptr) is an identity number, not an address: it fits the 32-bit record slots,
// handles grow in creation order, and database order is handle order (new entities come last).
// Handles stay valid while the part is open; a reopened part numbers its entities afresh (ids are kept).
// The functions may be called from any thread; one lock serialises them.
#pragma once
#include "host/api_types.h"
#include "host/shared_vector.h"
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace host {
class FaceGeom;    // host/geom/face_geom.h
class SolidGeom;
}  // namespace host

using db_ptr = std::uint32_t;   // 0: no entity

// ---- entity types: ent::type, and the bits of an entity mask --------------------------------------------
constexpr std::uint32_t kEntPoint = 1;
constexpr std::uint32_t kEntLine = 2;
constexpr std::uint32_t kEntArc = 4;
constexpr std::uint32_t kEntSpline = 8;
constexpr std::uint32_t kEntNote = 16;        // sub-kind 0: a note; sub-kind 2: a named entity
constexpr std::uint32_t kEntDrafting = 64;    // sub-kind 1: drafting line; 2: label; 3: dimension
constexpr std::uint32_t kEntSurface = 256;
constexpr std::uint32_t kEntInfo = 512;       // only from read_ent: sub-kind 8 carries the file's release
constexpr std::uint32_t kEntSolid = 0x10000;
constexpr std::uint32_t kEntAssoc = 0x200000; // walked by get_ent_assoc only, never by get_ent/get_raw_ent

// ---- selection word (ent::sel) ----------------------------------------------------------------------------
// Bit values, not bit numbers: "selection bit 4" is the value 4, "bit 1" the value 1.
constexpr std::uint16_t kSelBlank = 0x100;    // blanked: hidden, skipped by get_ent
constexpr std::uint16_t kSelPicked = 0x80;    // picked by the user

constexpr std::uint16_t kSolidExcluded = 4;   // ent_solid::flags: the solid takes no part in machining
constexpr std::int16_t kSurfTrimmed = 10;     // ent_surface::typeCode of a trimmed surface

// Attributes the host gives every entity it stores (main_attrib is the current set). The plug-in marks its
// arcs and notes with tag 2.0 and compares it exactly, so the host carries it unchanged.
struct attr_block {
    double tag = 0;
    std::int16_t style = 0;
    std::int16_t width = 0;
};

// ---- the kinds -----------------------------------------------------------------------------------------------
struct ent_point {
    p_3d pt;                       // world
};

struct ent_line {
    l_3d ln;                       // world
};

struct ent_arc {
    std::int16_t view = 1;         // host view number the arc lies in
    p_3d c;                        // centre in that view's coordinates (z: the plane's height)
    double r = 0;
    double sa = 0;                 // start angle, radians, about the view's Z from its X axis
    double sw = 0;                 // sweep, radians; kept bit for bit (the plug-in keys arcs by it)
};

// A spline's data block is opaque to the host and may carry any bytes (the plug-in sizes it in 64-byte units).
struct ent_spline {
    std::uint8_t kind = 0;
    std::int16_t order = 0;
    double t0 = 0, t1 = 0;
    std::int16_t segments = 0;
    std::vector<std::uint8_t> data;
};

// A node of a named entity: a point in the entity's view, or a reference to a point entity.
struct ent_node {
    p_3d pt;
    db_ptr pointRef = 0;
};

// Type 16. Sub-kind 0 is a note: its text lives in the host's text table under `text` (mTableFindData);
// calc_note fills the record. Sub-kind 2 is a named entity: `name` (at most 254 characters), `view`, `nodes`.
struct ent_note {
    std::uint8_t subKind = 0;
    std::uint32_t text = 0;        // text handle, 0 for none; a stored note owns its text
    std::int16_t view = 1;
    p_3d pos;                      // in the view's coordinates
    double height = 0, width = 0;  // character height and width
    double angle = 0;              // radians
    std::int16_t leaderStyle = 0;  // 0: no leader
    l_3d leader;                   // from the text to the point shown, view coordinates
    std::int16_t flags[4] = {};    // carried unchanged
    std::string name;              // sub-kind 2
    std::vector<ent_node> nodes;   // sub-kind 2
};

// Type 64. Sub-kind 1: a drafting line (`form`, `line`); 2: a label of two text lines (each at most 254
// characters) at `anchor` with `radius`; 3: a dimension (`line` between its two points, `anchor` for its
// text, `value`, `text1`).
struct ent_drafting {
    std::uint8_t subKind = 0;
    std::int16_t form = 0;
    std::int16_t view = 1;
    l_3d line;                     // world
    p_3d anchor;                   // world
    double radius = 0;
    double value = 0;
    std::string text1, text2;
};

// A (u, v) point of a trimming boundary.
struct uv_pt {
    double u = 0, v = 0;
};
// One trimming boundary: boundary 0 starts at trimPoints[0], boundary i > 0 at `start`; it has length + 2
// points, the last repeating the first. So the lengths + 2 add up to at most trimPoints.size() + 1.
struct trim_bound {
    std::int16_t start = 0;
    std::int16_t length = 0;
};

// Type 256. A base surface carries its geometry; a trimmed surface (typeCode 10) points to its base
// surface entity (stored first, owned by the trimmed one) and carries its boundaries, outer one first.
// The ranges, box and sphere are those of the face.
struct ent_surface {
    std::int16_t typeCode = 0;     // 10 trimmed; other codes are the kinds of base surfaces
    db_ptr base = 0;               // typeCode 10: the base surface entity
    double uMin = 0, uMax = 0, vMin = 0, vMax = 0;
    p_3d boxMin, boxMax;
    p_3d sphereCentre;
    double sphereRadius = 0;
    host::SharedVector<uv_pt> trimPoints;   // copies share one buffer (host/shared_vector.h)
    std::vector<trim_bound> trimBounds;
    // 1 for a face converted from a solid (sld_convert_tags_to_mc_ents), base and trimmed surface alike:
    // the face keeps its sense in the solid, so its normal (surf_normal) points out of the material. 0 for
    // a free surface, whose normal tells no side of any material.
    std::uint8_t solidFace = 0;
    std::shared_ptr<host::FaceGeom> geom;
};

// Type 0x10000.
struct ent_solid {
    std::uint16_t flags = 0;       // kSolidExcluded
    p_3d box[8];                   // corners of the bounding box
    std::string body;              // the body's text
    std::string history;           // the operation history's text
    std::shared_ptr<host::SolidGeom> geom;
};

// Type kEntAssoc. Kind 2 attaches a point or a surface to an operation as its geometry: the point's
// coordinates (or the surface's parameter point) and two limits, unset at +-1e38.
struct ent_assoc {
    std::int16_t kind = 0;
    std::int32_t opId = 0;
    db_ptr target = 0;             // the point or surface entity
    std::uint32_t targetId = 0;    // its id (filled by store_ent_assoc)
    p_3d pt;
    double u = 0, v = 0;
    double limits[2] = {-1e38, 1e38};
    std::vector<std::uint8_t> data;  // further bytes of other association kinds, carried unchanged
};

// Type kEntInfo (from read_ent only).
struct ent_info {
    std::uint8_t subKind = 0;      // 8: version
    std::int32_t value = 0;        // for sub-kind 8: the host release that wrote the file
};

// The host entity record. Value-initialise it (`ent e{};`): that is the zero-filled record. Only the kind
// member that `type` names is read and stored; the others are ignored. A copy is independent except for the
// geometry, which is immutable and shared.
struct ent {
    std::uint32_t type = 0;
    std::uint32_t id = 0;          // set by store_ent, kept by rewrite_ent
    db_ptr eptr = 0;               // set by store_ent
    std::int32_t level = 0;
    std::int16_t color = 0;
    attr_block attrib;
    std::uint16_t sel = 0;         // selection word
    std::int32_t refs = 0;         // associations referring to it: non-zero while an operation uses it (read only)
    db_ptr owner = 0;              // the entity this one is part of (a trimmed surface's base), 0 for none (read only)

    ent_point pt;
    ent_line ln;
    ent_arc arc;
    ent_spline spl;
    ent_note note;
    ent_drafting draft;
    ent_surface surf;
    ent_solid solid;
    ent_assoc assoc;
    ent_info info;
};

// ---- walks -------------------------------------------------------------------------------------------------
// A walk starts at db_start() and passes the last entry found back in as `from`:
//     db_ptr p = db_start(); char found = 0; ent e{};
//     for (;;) { get_ent(p, 1, kEntSurface, &e, &p, &found); if (!found) break; ... }
// It is safe to rewrite or delete the entity just found before asking for the next one.
//
// `sel`, the selection argument: 0 or 1 admits every entity; any other value admits only entities whose
// selection word has one of those bits on (4: "selection bit 4 set").
//
// get_ent finds the next entity after `from` whose type is in `mask` among what the user sees: it skips
// blanked entities, entities on hidden levels, entities that delete_ent kept, and entities that are part of
// another (base surfaces of trimmed surfaces). get_raw_ent skips none of them. Both fill `*e` and `*entry`
// and set `*found` to 1, or set `*found` to 0 at the end (leaving `*e` and `*entry` alone).
db_ptr db_start();
void get_ent(db_ptr from, short sel, std::uint32_t mask, ent* e, db_ptr* entry, char* found);
void get_raw_ent(db_ptr from, short sel, std::uint32_t mask, ent* e, db_ptr* entry, char* found);
// The walk of get_ent in one record: `visit(record, context)` sees each entity, in database order, until it
// returns non-zero; walk_ents returns that value, 0 after the last entity. The record is the walk's own,
// filled again for each entity with the buffers of the one before reused, and valid during the call only.
// A visit may store, rewrite and delete entities and walk again (the walk goes on after the visited
// handle); the record stays what was read.
int walk_ents(db_ptr from, short sel, std::uint32_t mask, int (*visit)(const ent& record, void* context),
              void* context);
// 1 with the entity read, also one that delete_ent kept; 0 when no entity has the handle.
int get_ent_from_eptr(db_ptr entry, ent* e);
// The next association entity after `from` (any kind), in database order.
void get_ent_assoc(db_ptr from, ent* e, db_ptr* entry, char* found);

// ---- writes --------------------------------------------------------------------------------------------------
// Stores `*e` as a new entity with the colour, level and attributes given (`undo` is not used: 0). On success
// `*ok` = 1, `*entry` and e->eptr receive the new handle, e->id a new id, and the id is returned; a note whose
// text another entity owns gets a copy of it (e->note.text changes). `*ok` = 0 and 0 returned when the record
// cannot be stored: an unknown type, kEntAssoc or kEntInfo, a trimmed surface without a base surface, a note
// with an unknown text handle.
std::uint32_t store_ent(ent* e, db_ptr* entry, int undo, int colour, std::int32_t level, const attr_block& attrib,
                        char* ok);
// Writes `*e` back over the entity e->eptr (type, id and handle stay; refs and owner are the host's).
// 1 done; 0 when there is no such entity or the type differs.
int rewrite_ent(const ent* e, int undo);

// delete_ent(entry, undo, keep, redraw, reserved, reserved2):
//   keep 0: the entity is removed: its text, the entities it owns and its handle go with it; associations
//           that used it point nowhere (target 0).
//   keep 1: the entity leaves what the user sees and what get_ent walks (there is no undo to enter), but it
//           stays in the database: get_raw_ent and get_ent_from_eptr still find it, and it is saved with the
//           part. A record note stored and then deleted this way stays readable; a line kept this way can
//           still be used by a chain. A later delete with keep 0 removes it.
//   redraw 1 repaints the graphics. `undo`, `reserved` and `reserved2` are not used (0, null, 0).
// 1 done; 0 when there is no such entity.
int delete_ent(db_ptr entry, int undo, int keep, int redraw, void* reserved, int reserved2);

// Stores an association (e->type kEntAssoc, e->assoc filled) on the level and with the attributes given,
// in the record's colour; the target entity must exist. On success `*ok` = 1, `*entry` and e->eptr the new
// handle, e->id and e->assoc.targetId filled, the target's refs raised by one; the id is returned.
// Deleting the association lowers the count again.
std::uint32_t store_ent_assoc(ent* e, db_ptr* entry, std::int32_t level, const attr_block& attrib, char* ok);

// ---- notes -----------------------------------------------------------------------------------------------------
// Makes `*e` a note (type 16, sub-kind 0) in view `view` at `pos` (view coordinates) with a new text
// handle holding `text` (any bytes, any length). Height and width 0 take the host's defaults (5.0 and 0.5 x
// height in metric parts, 0.2 and 0.1 in inch parts). Other note fields are left as the caller set them.
// 1 done; 0 when e is null.
int calc_note(ent* e, int view, p_3d pos, std::string_view text, double height = 0, double width = 0);
// The same with `text` handed over rather than copied: a large record's text is tens of megabytes.
int calc_note_taking(ent* e, int view, p_3d pos, std::string&& text, double height = 0, double width = 0);
// The same with the text written by `write`, which hands it over in pieces to the function it is given and
// returns whether the text is whole. The host keeps such a text packed until it is read whole, so a record
// of tens of megabytes is never whole in memory while it is made. 0 when `write` says the text is not whole
// or it cannot be packed: nothing is made.
using NOTE_PIECE = std::function<void(std::string_view piece)>;
int calc_note_written(ent* e, int view, p_3d pos, const std::function<bool(const NOTE_PIECE& put)>& write);
// The text under a handle, zero-terminated (a text holding zero bytes reads short here; the host keeps all
// of it). "" for an unknown handle. Valid until the text is changed or freed.
const char* mTableFindData(std::uint32_t text);
// The first `count` bytes of the text under a handle (fewer when it is shorter), without making a packed
// text whole: for callers that look for a record by its first characters. "" for an unknown handle.
std::string mTableFindHead(std::uint32_t text, std::size_t count);

// ---- host part files -------------------------------------------------------------------------------------------
// Reads the entities of a part file that is not the open part (a tool's profile, say), one per call:
// first one kEntInfo entity (sub-kind 8, value = the host release that wrote the file), then the file's
// entities in database order with the handles and ids they had there. Notes carry no text (handle 0).
struct part_reader;
part_reader* read_ent_open(const char* path);   // null when the file is missing or no part file
int read_ent(part_reader* reader, ent* e);      // 1 an entity, 0 the end, -1 a damaged file
void read_ent_close(part_reader* reader);
void FreeEntAllocations(ent* e);                // drops what the record holds beyond its fixed fields

// ---- levels --------------------------------------------------------------------------------------------------
// Levels are numbers; a level is visible until it is hidden. Lists are ascending.
int is_level_visible(std::int32_t level);
void set_level_visible(std::int32_t level, int visible);
// The levels that hold entities or were named or changed, and are visible; returns the count.
int get_visible_levels(std::vector<std::int32_t>* levels);
// The levels that hold entities (kept ones included); returns the count.
int get_active_levels(std::vector<std::int32_t>* levels);
// The host's level dialog: a window of the host (template 30102: the level in edit 1001, OK, Cancel)
// starting at *level; the title shows in its caption (null or "" for the host's own). 1 with the level the
// user chose in *level, 0 when cancelled (*level untouched). A level is a whole number; another text keeps
// the window open after a message.
int sel_level_dialog(const char* title, int reserved, int reserved2, std::int32_t* level);
int set_levname(std::int32_t level, const char* name);   // 1 done; name cut to 254 characters
const char* get_levname(std::int32_t level);             // "" for an unnamed level

extern std::int32_t main_level;       // the level new entities go to (1 in a fresh part)
extern int main_color;                // the current colour (10 in a fresh part)
extern attr_block main_attrib;        // the current attributes ({1.0, 1, 1} in a fresh part)
extern int select_color;              // colour picked entities are shown in (13 in a fresh part)
extern std::uint32_t Wd_colors[256];  // the palette: red in the low byte, then green, then blue
// Host colour n is palette entry n, for n from 0 to 255: the one mapping between a colour number and the
// palette, which every caller goes through. -1 for a colour or entry outside 0-255.
int palette_entry_of_color(int colour);
int color_of_palette_entry(int entry);
// The host's colour chooser, opened on *colour: 1 with the chosen palette colour (0-255) in *colour, 0 when the
// user cancelled (*colour unchanged).
int sel_color_dialog(int* colour);

// ---- selection bits ------------------------------------------------------------------------------------------
// These change the record only; rewrite_ent stores the change.
void sel_bit_turn_on(ent* e, int bit);
void sel_bit_turn_off(ent* e, int bit);
int sel_bit_is_on(const ent* e, int bit);   // 1 when any of the bits is on
// Changes the selection words of every stored entity whose type is in `mask`, kept and blanked ones
// included: turns `onBits` and `onBits2` on, then `offBits` and `offBits2` off (the host's two selection
// layers share one word here). `redraw` 1 repaints; `reserved` is not used (0). Returns the number of
// entities changed.
int set_clr_sel_bits(std::uint16_t onBits, std::uint16_t offBits, std::uint16_t onBits2, std::uint16_t offBits2,
                     std::uint32_t mask, int redraw, int reserved);
