// The part database's entity functions: walks, stores, rewrites, deletes, associations and renumbering.
// Walks find "the next entity after a handle" in the ordered map, so deleting the entity just found does
// not disturb a walk. Deleting with keep 1 only marks the record (see delete_ent in host/api_db.h).
#include <algorithm>
#include <bit>
#include <cassert>
#include <cstring>

#include "host/db/blob_pack.h"
#include "host/db/database.h"
#include "host/ops/op_store.h"
#include "host/state.h"

namespace host::db {
namespace {

Database database;

// Whether a selection argument admits a selection word (0 and 1 admit everything).
bool selectionAdmits(short sel, std::uint16_t word) {
    if (sel == 0 || sel == 1) return true;
    return (word & static_cast<std::uint16_t>(sel)) != 0;
}

bool seenByUser(const Database& db, const Stored& s) {
    if (s.kept || s.e.owner != 0) return false;
    if (s.e.sel & kSelBlank) return false;
    auto lv = db.levels.find(s.e.level);
    return lv == db.levels.end() || lv->second.visible;
}

// The next entity after `from` that `accept` takes.
template <typename Accept>
const Stored* nextAfter(db_ptr from, Accept accept) {
    for (auto it = database.ents.upper_bound(from); it != database.ents.end(); ++it)
        if (accept(it->second)) return &it->second;
    return nullptr;
}

void walk(db_ptr from, short sel, std::uint32_t mask, ent* e, db_ptr* entry, char* found, bool raw) {
    const Stored* s = nextAfter(from, [&](const Stored& c) {
        if (c.e.type == kEntAssoc || (c.e.type & mask) == 0) return false;
        if (!selectionAdmits(sel, c.e.sel)) return false;
        return raw || seenByUser(database, c);
    });
    if (found) *found = s ? 1 : 0;
    if (!s) return;
    if (e) *e = s->e;
    if (entry) *entry = s->e.eptr;
}

bool baseSurfaceExists(const Database& db, db_ptr base) {
    auto it = db.ents.find(base);
    return it != db.ents.end() && it->second.e.type == kEntSurface && it->second.e.surf.typeCode != kSurfTrimmed;
}

}  // namespace

Database& current() { return database; }

std::unique_lock<std::recursive_mutex> guard() {
    static std::recursive_mutex mutex;
    return std::unique_lock<std::recursive_mutex>(mutex);
}

std::uint64_t g_removals = 0;

std::uint64_t removals() { return g_removals; }
void noteRemoval() { ++g_removals; }

void resetDatabase() {
    database = Database{};
    noteRemoval();
}

void shareTrims(Database& db, ent& e) {
    if (e.type != kEntSurface || e.surf.trimPoints.empty()) return;
    const SharedVector<uv_pt>& points = e.surf.trimPoints;
    std::uint64_t hash = 1469598103934665603ULL;
    for (const uv_pt& p : points)
        for (double x : {p.u, p.v}) hash = (hash ^ std::bit_cast<std::uint64_t>(x)) * 1099511628211ULL;
    std::vector<std::weak_ptr<std::vector<uv_pt>>>& same = db.trims[hash];
    std::erase_if(same, [](const auto& w) { return w.expired(); });
    for (const auto& w : same) {
        std::shared_ptr<std::vector<uv_pt>> buffer = w.lock();
        if (!buffer || buffer == points.buffer()) continue;
        // Bit for bit: a trim compares by its points' patterns, as the part file keeps them.
        if (buffer->size() == points.size() &&
            std::memcmp(buffer->data(), points.data(), points.size() * sizeof(uv_pt)) == 0) {
            e.surf.trimPoints.share(std::move(buffer));
            return;
        }
    }
    same.push_back(points.buffer());
}

bool isKnownType(std::uint32_t type) {
    switch (type) {
    case kEntPoint: case kEntLine: case kEntArc: case kEntSpline: case kEntNote: case kEntDrafting:
    case kEntSurface: case kEntSolid: case kEntAssoc: case kEntInfo:
        return true;
    default:
        return false;
    }
}

ent storedForm(const ent& e) {
    ent s{};
    s.type = e.type;
    s.id = e.id;
    s.eptr = e.eptr;
    s.level = e.level;
    s.color = e.color;
    s.attrib = e.attrib;
    s.sel = e.sel;
    s.refs = e.refs;
    s.owner = e.owner;
    switch (e.type) {
    case kEntPoint: s.pt = e.pt; break;
    case kEntLine: s.ln = e.ln; break;
    case kEntArc: s.arc = e.arc; break;
    case kEntSpline: s.spl = e.spl; break;
    case kEntNote: s.note = e.note; break;
    case kEntDrafting: s.draft = e.draft; break;
    case kEntSurface: s.surf = e.surf; break;
    case kEntSolid: s.solid = e.solid; break;
    case kEntAssoc: s.assoc = e.assoc; break;
    case kEntInfo: s.info = e.info; break;
    default: break;
    }
    return s;
}

const std::string& wholeText(Text& text) {
    if (!text.packed.empty()) {
        // Packed here from pieces the host was handed, so it unpacks; were it not to, the text reads empty.
        text.bytes = unpackBlob(text.packed).value_or(std::string());
        text.packed = std::string();
    }
    return text.bytes;
}

std::uint32_t adoptText(Database& db, std::uint32_t handle, db_ptr entry, bool* ok) {
    *ok = true;
    if (handle == 0) return 0;
    auto it = db.texts.find(handle);
    if (it == db.texts.end()) {
        *ok = false;
        return 0;
    }
    if (it->second.owner == 0 || it->second.owner == entry) {
        it->second.owner = entry;
        return handle;
    }
    // Another note owns it (a record copied and stored twice): each stored note keeps a text of its own.
    std::uint32_t copy = db.nextText++;
    Text text = it->second;
    text.owner = entry;
    db.texts[copy] = std::move(text);
    return copy;
}

void removeEntity(Database& db, db_ptr entry) {
    auto it = db.ents.find(entry);
    if (it == db.ents.end()) return;
    const ent e = std::move(it->second.e);   // a converted solid's surfaces are large: moved, not copied
    db.ents.erase(it);
    noteRemoval();
    if (e.type == kEntNote && e.note.text != 0) {
        auto t = db.texts.find(e.note.text);
        if (t != db.texts.end() && t->second.owner == entry) db.texts.erase(t);
    }
    if (e.type == kEntAssoc) {
        auto target = db.ents.find(e.assoc.target);
        if (target != db.ents.end() && target->second.e.refs > 0) --target->second.e.refs;
    }
    // Associations that used the entity now point nowhere, rather than at a handle that means nothing.
    if (e.refs > 0)
        for (auto& [h, s] : db.ents)
            if (s.e.type == kEntAssoc && s.e.assoc.target == entry) s.e.assoc.target = 0;
    // Only a trimmed surface owns another entity: its base.
    if (e.type == kEntSurface && e.surf.typeCode == kSurfTrimmed) {
        auto base = db.ents.find(e.surf.base);
        if (base != db.ents.end() && base->second.e.owner == entry) removeEntity(db, e.surf.base);
    }
}

}  // namespace host::db

using host::db::database;

db_ptr db_start() { return 0; }

void get_ent(db_ptr from, short sel, std::uint32_t mask, ent* e, db_ptr* entry, char* found) {
    auto lock = host::db::guard();
    host::db::walk(from, sel, mask, e, entry, found, false);
}

void get_raw_ent(db_ptr from, short sel, std::uint32_t mask, ent* e, db_ptr* entry, char* found) {
    auto lock = host::db::guard();
    host::db::walk(from, sel, mask, e, entry, found, true);
}

int walk_ents(db_ptr from, short sel, std::uint32_t mask, int (*visit)(const ent& record, void* context),
              void* context) {
    if (!visit) return 0;
    auto accept = [&](const host::db::Stored& c) {
        if (c.e.type == kEntAssoc || (c.e.type & mask) == 0) return false;
        return host::db::selectionAdmits(sel, c.e.sel) && host::db::seenByUser(database, c);
    };
    // The walk goes on from the visited record's place in the map unless a record left the map meanwhile
    // (perhaps that one): then it looks the next handle up again, as a walk from scratch would.
    auto lock = host::db::guard();
    auto it = database.ents.upper_bound(from);
    for (;;) {
        while (it != database.ents.end() && !accept(it->second)) ++it;
        if (it == database.ents.end()) return 0;
        from = it->second.e.eptr;
        const std::uint64_t removals = host::db::removals();
        if (const int r = visit(it->second.e, context); r != 0) return r;
        lock.unlock();   // other threads get their turn between visits, as with get_ent
        lock.lock();
        if (host::db::removals() == removals) ++it;
        else it = database.ents.upper_bound(from);
    }
}

int get_ent_from_eptr(db_ptr entry, ent* e) {
    auto lock = host::db::guard();
    auto it = database.ents.find(entry);
    if (it == database.ents.end()) return 0;
    if (e) *e = it->second.e;
    return 1;
}

void get_ent_assoc(db_ptr from, ent* e, db_ptr* entry, char* found) {
    auto lock = host::db::guard();
    const host::db::Stored* s =
        host::db::nextAfter(from, [](const host::db::Stored& c) { return c.e.type == kEntAssoc; });
    if (found) *found = s ? 1 : 0;
    if (!s) return;
    if (e) *e = s->e;
    if (entry) *entry = s->e.eptr;
}

namespace {

// The common part of store_ent and store_ent_assoc once the record is known to be storable.
std::uint32_t storeChecked(ent* e, db_ptr* entry, std::int32_t level, const attr_block& attrib, int colour, char* ok) {
    auto& db = database;
    const db_ptr h = db.nextHandle;
    ent s = host::db::storedForm(*e);
    if (s.type == kEntNote) {
        bool textOk = true;
        s.note.text = host::db::adoptText(db, s.note.text, h, &textOk);
        if (!textOk) {
            if (ok) *ok = 0;
            return 0;
        }
    }
    ++db.nextHandle;
    s.eptr = h;
    s.id = db.nextId++;
    s.level = level;
    s.color = static_cast<std::int16_t>(colour);
    s.attrib = attrib;
    s.refs = 0;
    s.owner = 0;
    if (s.type == kEntSurface && s.surf.typeCode == kSurfTrimmed) {
        // The base surface becomes part of the trimmed one: hidden from walks, deleted with it.
        db.ents[s.surf.base].e.owner = h;
    }
    if (s.type == kEntAssoc) {
        auto& target = db.ents[s.assoc.target].e;
        ++target.refs;
        s.assoc.targetId = target.id;
    }
    host::db::shareTrims(db, s);
    db.ents[h] = host::db::Stored{s, false, {}};
    e->eptr = h;
    e->id = s.id;
    e->level = s.level;
    e->color = s.color;
    e->attrib = s.attrib;
    e->refs = 0;
    e->owner = 0;
    if (s.type == kEntNote) e->note.text = s.note.text;
    if (s.type == kEntAssoc) e->assoc.targetId = s.assoc.targetId;
    if (entry) *entry = h;
    if (ok) *ok = 1;
    return s.id;
}

}  // namespace

std::uint32_t store_ent(ent* e, db_ptr* entry, int /*undo*/, int colour, std::int32_t level, const attr_block& attrib,
                        char* ok) {
    auto lock = host::db::guard();
    if (ok) *ok = 0;
    if (!e || !host::db::isKnownType(e->type) || e->type == kEntAssoc || e->type == kEntInfo) return 0;
    if (e->type == kEntSurface && e->surf.typeCode == kSurfTrimmed) {
        auto base = database.ents.find(e->surf.base);
        if (!host::db::baseSurfaceExists(database, e->surf.base) || base->second.e.owner != 0) return 0;
    }
    return storeChecked(e, entry, level, attrib, colour, ok);
}

std::uint32_t store_ent_assoc(ent* e, db_ptr* entry, std::int32_t level, const attr_block& attrib, char* ok) {
    auto lock = host::db::guard();
    if (ok) *ok = 0;
    if (!e || e->type != kEntAssoc) return 0;
    auto target = database.ents.find(e->assoc.target);
    if (target == database.ents.end() || target->second.e.type == kEntAssoc) return 0;
    const std::uint32_t id = storeChecked(e, entry, level, attrib, e->color, ok);
    if (id != 0 && e->assoc.kind == 2) host::ops::markToolpathStale(e->assoc.opId);
    return id;
}

int rewrite_ent(const ent* e, int /*undo*/) {
    auto lock = host::db::guard();
    if (!e) return 0;
    auto& db = database;
    auto it = db.ents.find(e->eptr);
    if (it == db.ents.end() || it->second.e.type != e->type) return 0;
    ent& old = it->second.e;
    ent s = host::db::storedForm(*e);
    if (s.type == kEntNote && s.note.text != old.note.text) {
        bool textOk = true;
        std::uint32_t adopted = host::db::adoptText(db, s.note.text, e->eptr, &textOk);
        if (!textOk) return 0;
        auto t = db.texts.find(old.note.text);
        if (t != db.texts.end() && t->second.owner == e->eptr) db.texts.erase(t);
        s.note.text = adopted;
    }
    if (s.type == kEntSurface && s.surf.base != old.surf.base) {
        // The base of a trimmed surface is the host's link; the record cannot move it.
        s.surf.base = old.surf.base;
    }
    if (s.type == kEntAssoc) {
        s.assoc.target = old.assoc.target;
        s.assoc.targetId = old.assoc.targetId;
    }
    s.id = old.id;
    s.refs = old.refs;
    s.owner = old.owner;
    host::db::shareTrims(db, s);
    old = std::move(s);
    return 1;
}

int delete_ent(db_ptr entry, int /*undo*/, int keep, int redraw, void* /*reserved*/, int /*reserved2*/) {
    auto lock = host::db::guard();
    auto& db = database;
    auto it = db.ents.find(entry);
    if (it == db.ents.end()) return 0;
    if (keep)
        it->second.kept = true;
    else
        host::db::removeEntity(db, entry);
    if (redraw) repaint_graphics();
    return 1;
}

namespace host {

void renumberIds(std::uint32_t first) {
    auto lock = host::db::guard();
    auto& db = database;
    std::uint32_t next = first;
    for (auto& [h, s] : db.ents) s.e.id = next++;
    db.nextId = next;
    for (auto& [h, s] : db.ents) {
        if (s.e.type != kEntAssoc) continue;
        auto target = db.ents.find(s.e.assoc.target);
        s.e.assoc.targetId = target == db.ents.end() ? 0 : target->second.e.id;
    }
}

bool isKept(db_ptr entry) {
    auto lock = host::db::guard();
    auto it = database.ents.find(entry);
    return it != database.ents.end() && it->second.kept;
}

std::vector<ent> allEntities() {
    auto lock = host::db::guard();
    std::vector<ent> out;
    out.reserve(database.ents.size());
    for (const auto& [h, s] : database.ents) out.push_back(s.e);
    return out;
}

std::vector<ent> operationAssociations(std::int32_t opId) {
    auto lock = host::db::guard();
    std::vector<ent> out;
    for (const auto& [h, s] : database.ents)
        if (s.e.type == kEntAssoc && s.e.assoc.kind == 2 && s.e.assoc.opId == opId) out.push_back(s.e);
    return out;
}

EntityCounts entityCounts() {
    auto lock = host::db::guard();
    EntityCounts c;
    for (const auto& [h, s] : database.ents) {
        const ent& e = s.e;
        ++c.total;
        if (s.kept) ++c.kept;
        if (e.sel & kSelBlank) ++c.blanked;
        switch (e.type) {
        case kEntPoint: ++c.points; break;
        case kEntLine: ++c.lines; break;
        case kEntArc: ++c.arcs; break;
        case kEntSpline: ++c.splines; break;
        case kEntNote: ++(e.note.subKind == 2 ? c.namedEntities : c.notes); break;
        case kEntDrafting: ++c.drafting; break;
        case kEntSurface: ++(e.surf.typeCode == kSurfTrimmed ? c.trimmedSurfaces : c.surfaces); break;
        case kEntSolid: ++c.solids; break;
        case kEntAssoc: ++c.associations; break;
        default: break;
        }
    }
    return c;
}

std::string_view noteText(std::uint32_t handle) {
    auto lock = host::db::guard();
    auto it = database.texts.find(handle);
    return it == database.texts.end() ? std::string_view() : std::string_view(host::db::wholeText(it->second));
}

}  // namespace host
