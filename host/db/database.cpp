// The part database's entity functions: walks, stores, rewrites, deletes, associations and renumbering.
// Walks find "the next entity after a handle" in the ordered map, so deleting the entity just found does
// not disturb a walk. Deleting with keep 1 only marks the record (see delete_ent in host/api_db.h).
#include <algorithm>
#include <bit>
#include <cassert>
#include <cstring>
#include <type_traits>

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
    if (s.kept || s.head.owner != 0) return false;
    if (s.head.sel & kSelBlank) return false;
    auto lv = db.levels.find(s.head.level);
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
        if (c.head.type == kEntAssoc || (c.head.type & mask) == 0) return false;
        if (!selectionAdmits(sel, c.head.sel)) return false;
        return raw || seenByUser(database, c);
    });
    if (found) *found = s ? 1 : 0;
    if (!s) return;
    if (e) s->recordInto(*e);
    if (entry) *entry = s->head.eptr;
}

bool baseSurfaceExists(const Database& db, db_ptr base) {
    auto it = db.ents.find(base);
    return it != db.ents.end() && it->second.head.type == kEntSurface &&
           it->second.surf().typeCode != kSurfTrimmed;
}

// Calls f(member) with the kind member of `e` that `type` names; not at all when it names none.
template <class E, class F>
void withKindMember(std::uint32_t type, E& e, F&& f) {
    switch (type) {
    case kEntPoint: f(e.pt); break;
    case kEntLine: f(e.ln); break;
    case kEntArc: f(e.arc); break;
    case kEntSpline: f(e.spl); break;
    case kEntNote: f(e.note); break;
    case kEntDrafting: f(e.draft); break;
    case kEntSurface: f(e.surf); break;
    case kEntSolid: f(e.solid); break;
    case kEntAssoc: f(e.assoc); break;
    case kEntInfo: f(e.info); break;
    default: break;
    }
}
constexpr std::uint32_t kKindTypes[] = {kEntPoint,   kEntLine,  kEntArc,   kEntSpline, kEntNote,
                                        kEntDrafting, kEntSurface, kEntSolid, kEntAssoc, kEntInfo};

// The member of `e` that holds a kind of type T.
template <class T>
T& memberOf(ent& e) {
    if constexpr (std::is_same_v<T, ent_point>) return e.pt;
    else if constexpr (std::is_same_v<T, ent_line>) return e.ln;
    else if constexpr (std::is_same_v<T, ent_arc>) return e.arc;
    else if constexpr (std::is_same_v<T, ent_spline>) return e.spl;
    else if constexpr (std::is_same_v<T, ent_note>) return e.note;
    else if constexpr (std::is_same_v<T, ent_drafting>) return e.draft;
    else if constexpr (std::is_same_v<T, ent_surface>) return e.surf;
    else if constexpr (std::is_same_v<T, ent_solid>) return e.solid;
    else if constexpr (std::is_same_v<T, ent_assoc>) return e.assoc;
    else return e.info;
}

void emptyKindMember(std::uint32_t type, ent& e) {
    withKindMember(type, e, [](auto& member) { member = {}; });
}

EntHead headOf(const ent& e) {
    return {e.type, e.id, e.eptr, e.level, e.color, e.attrib, e.sel, e.refs, e.owner};
}

void putHead(const EntHead& h, ent& e) {
    e.type = h.type;
    e.id = h.id;
    e.eptr = h.eptr;
    e.level = h.level;
    e.color = h.color;
    e.attrib = h.attrib;
    e.sel = h.sel;
    e.refs = h.refs;
    e.owner = h.owner;
}

// `value` into `kind`, assigned over a value of the same kind so that its buffers are reused.
template <class T>
void holdKind(EntKind& kind, T&& value) {
    using K = std::remove_cvref_t<T>;
    if (std::unique_ptr<K>* held = std::get_if<std::unique_ptr<K>>(&kind)) **held = std::forward<T>(value);
    else kind.emplace<std::unique_ptr<K>>(std::make_unique<K>(std::forward<T>(value)));
}

// The stored kind into the member of `e` that holds it.
void kindInto(const EntKind& kind, ent& e) {
    std::visit([&](const auto& held) {
        using H = std::remove_cvref_t<decltype(held)>;
        if constexpr (!std::is_same_v<H, std::monostate>) memberOf<typename H::element_type>(e) = *held;
    }, kind);
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

void shareTrims(Database& db, Stored& s) {
    if (s.head.type != kEntSurface || s.surf().trimPoints.empty()) return;
    ent_surface& surf = s.surf();
    const SharedVector<uv_pt>& points = surf.trimPoints;
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
            surf.trimPoints.share(std::move(buffer));
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

Stored::Stored(const ent& e, bool kept) : head(headOf(e)), kept(kept) {
    withKindMember(e.type, e, [&](const auto& member) { holdKind(kind, member); });
}

Stored::Stored(ent&& e, bool kept) : head(headOf(e)), kept(kept) {
    withKindMember(e.type, e, [&](auto& member) { holdKind(kind, std::move(member)); });
}

ent Stored::record() const {
    ent e{};
    putHead(head, e);
    kindInto(kind, e);
    return e;
}

void Stored::recordInto(ent& out) const {
    for (std::uint32_t type : kKindTypes)
        if (type != head.type) emptyKindMember(type, out);
    putHead(head, out);
    kindInto(kind, out);
}

void Stored::recordIntoScratch(ent& scratch) const {
    if (scratch.type != head.type) emptyKindMember(scratch.type, scratch);
    putHead(head, scratch);
    kindInto(kind, scratch);
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
    const Stored e = std::move(it->second);   // a converted solid's surfaces are large: moved, not copied
    db.ents.erase(it);
    noteRemoval();
    if (e.head.type == kEntNote && e.note().text != 0) {
        auto t = db.texts.find(e.note().text);
        if (t != db.texts.end() && t->second.owner == entry) db.texts.erase(t);
    }
    if (e.head.type == kEntAssoc) {
        auto target = db.ents.find(e.assoc().target);
        if (target != db.ents.end() && target->second.head.refs > 0) --target->second.head.refs;
    }
    // Associations that used the entity now point nowhere, rather than at a handle that means nothing.
    if (e.head.refs > 0)
        for (auto& [h, s] : db.ents)
            if (s.head.type == kEntAssoc && s.assoc().target == entry) s.assoc().target = 0;
    // Only a trimmed surface owns another entity: its base.
    if (e.head.type == kEntSurface && e.surf().typeCode == kSurfTrimmed) {
        auto base = db.ents.find(e.surf().base);
        if (base != db.ents.end() && base->second.head.owner == entry) removeEntity(db, e.surf().base);
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
        if (c.head.type == kEntAssoc || (c.head.type & mask) == 0) return false;
        return host::db::selectionAdmits(sel, c.head.sel) && host::db::seenByUser(database, c);
    };
    // One record for the whole walk, refilled for each entity: stored records hold only their own kind,
    // and refilling reuses the buffers of the entity before. The walk goes on from the visited record's
    // place in the map unless a record left the map meanwhile (perhaps that one): then it looks the next
    // handle up again, as a walk from scratch would. Other threads get their turn every few dozen visits,
    // not after each: in a process with threads each handover is a pair of atomic operations, which wait for
    // every store of the visit before to land.
    constexpr int kVisitsPerTurn = 32;
    ent scratch{};
    auto lock = host::db::guard();
    auto it = database.ents.upper_bound(from);
    for (int visits = 1;; ++visits) {
        while (it != database.ents.end() && !accept(it->second)) ++it;
        if (it == database.ents.end()) return 0;
        from = it->first;
        it->second.recordIntoScratch(scratch);
        const std::uint64_t removals = host::db::removals();
        if (const int r = visit(scratch, context); r != 0) return r;
        if (visits % kVisitsPerTurn == 0) {
            lock.unlock();
            lock.lock();
        }
        if (host::db::removals() == removals) ++it;
        else it = database.ents.upper_bound(from);
    }
}

int get_ent_from_eptr(db_ptr entry, ent* e) {
    auto lock = host::db::guard();
    auto it = database.ents.find(entry);
    if (it == database.ents.end()) return 0;
    if (e) it->second.recordInto(*e);
    return 1;
}

void get_ent_assoc(db_ptr from, ent* e, db_ptr* entry, char* found) {
    auto lock = host::db::guard();
    const host::db::Stored* s =
        host::db::nextAfter(from, [](const host::db::Stored& c) { return c.head.type == kEntAssoc; });
    if (found) *found = s ? 1 : 0;
    if (!s) return;
    if (e) s->recordInto(*e);
    if (entry) *entry = s->head.eptr;
}

namespace {

// The common part of store_ent and store_ent_assoc once the record is known to be storable.
std::uint32_t storeChecked(ent* e, db_ptr* entry, std::int32_t level, const attr_block& attrib, int colour, char* ok) {
    auto& db = database;
    const db_ptr h = db.nextHandle;
    host::db::Stored s(*e);
    host::db::EntHead& head = s.head;
    if (head.type == kEntNote) {
        bool textOk = true;
        s.note().text = host::db::adoptText(db, s.note().text, h, &textOk);
        if (!textOk) {
            if (ok) *ok = 0;
            return 0;
        }
    }
    ++db.nextHandle;
    head.eptr = h;
    head.id = db.nextId++;
    head.level = level;
    head.color = static_cast<std::int16_t>(colour);
    head.attrib = attrib;
    head.refs = 0;
    head.owner = 0;
    if (head.type == kEntSurface && s.surf().typeCode == kSurfTrimmed) {
        // The base surface becomes part of the trimmed one: hidden from walks, deleted with it.
        db.ents.at(s.surf().base).head.owner = h;
    }
    if (head.type == kEntAssoc) {
        host::db::EntHead& target = db.ents.at(s.assoc().target).head;
        ++target.refs;
        s.assoc().targetId = target.id;
    }
    host::db::shareTrims(db, s);
    e->eptr = h;
    e->id = head.id;
    e->level = head.level;
    e->color = head.color;
    e->attrib = head.attrib;
    e->refs = 0;
    e->owner = 0;
    if (head.type == kEntNote) e->note.text = s.note().text;
    if (head.type == kEntAssoc) e->assoc.targetId = s.assoc().targetId;
    const std::uint32_t id = head.id;
    db.ents.emplace(h, std::move(s));
    if (entry) *entry = h;
    if (ok) *ok = 1;
    return id;
}

}  // namespace

std::uint32_t store_ent(ent* e, db_ptr* entry, int /*undo*/, int colour, std::int32_t level, const attr_block& attrib,
                        char* ok) {
    auto lock = host::db::guard();
    if (ok) *ok = 0;
    if (!e || !host::db::isKnownType(e->type) || e->type == kEntAssoc || e->type == kEntInfo) return 0;
    if (e->type == kEntSurface && e->surf.typeCode == kSurfTrimmed) {
        auto base = database.ents.find(e->surf.base);
        if (!host::db::baseSurfaceExists(database, e->surf.base) || base->second.head.owner != 0) return 0;
    }
    return storeChecked(e, entry, level, attrib, colour, ok);
}

std::uint32_t store_ent_assoc(ent* e, db_ptr* entry, std::int32_t level, const attr_block& attrib, char* ok) {
    auto lock = host::db::guard();
    if (ok) *ok = 0;
    if (!e || e->type != kEntAssoc) return 0;
    auto target = database.ents.find(e->assoc.target);
    if (target == database.ents.end() || target->second.head.type == kEntAssoc) return 0;
    const std::uint32_t id = storeChecked(e, entry, level, attrib, e->color, ok);
    if (id != 0 && e->assoc.kind == 2) {
        // The newest handle is the largest: the operation's list stays ascending.
        if (database.operationAssocs) (*database.operationAssocs)[e->assoc.opId].push_back(e->eptr);
        host::ops::markToolpathStale(e->assoc.opId);
    }
    return id;
}

int rewrite_ent(const ent* e, int /*undo*/) {
    auto lock = host::db::guard();
    if (!e) return 0;
    auto& db = database;
    auto it = db.ents.find(e->eptr);
    if (it == db.ents.end() || it->second.head.type != e->type) return 0;
    host::db::Stored& old = it->second;
    host::db::Stored s(*e);
    if (s.head.type == kEntNote && s.note().text != old.note().text) {
        bool textOk = true;
        std::uint32_t adopted = host::db::adoptText(db, s.note().text, e->eptr, &textOk);
        if (!textOk) return 0;
        auto t = db.texts.find(old.note().text);
        if (t != db.texts.end() && t->second.owner == e->eptr) db.texts.erase(t);
        s.note().text = adopted;
    }
    if (s.head.type == kEntSurface && s.surf().base != old.surf().base) {
        // The base of a trimmed surface is the host's link; the record cannot move it.
        s.surf().base = old.surf().base;
    }
    if (s.head.type == kEntAssoc) {
        s.assoc().target = old.assoc().target;
        s.assoc().targetId = old.assoc().targetId;
        db.operationAssocs.reset();   // its kind or operation may change
    }
    s.head.id = old.head.id;
    s.head.refs = old.head.refs;
    s.head.owner = old.head.owner;
    host::db::shareTrims(db, s);
    old.head = s.head;
    old.kind = std::move(s.kind);
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
    for (auto& [h, s] : db.ents) s.head.id = next++;
    db.nextId = next;
    for (auto& [h, s] : db.ents) {
        if (s.head.type != kEntAssoc) continue;
        auto target = db.ents.find(s.assoc().target);
        s.assoc().targetId = target == db.ents.end() ? 0 : target->second.head.id;
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
    for (const auto& [h, s] : database.ents) out.push_back(s.record());
    return out;
}

std::vector<ent> operationAssociations(std::int32_t opId) {
    auto lock = host::db::guard();
    auto isToolpathAssoc = [](const host::db::Stored& s) { return s.head.type == kEntAssoc && s.assoc().kind == 2; };
    auto& index = database.operationAssocs;
    if (!index) {
        index.emplace();
        for (const auto& [h, s] : database.ents)
            if (isToolpathAssoc(s)) (*index)[s.assoc().opId].push_back(h);
    }
    auto listed = index->find(opId);
    if (listed == index->end()) return {};
    std::vector<db_ptr>& handles = listed->second;
    std::vector<ent> out;
    out.reserve(handles.size());
    std::size_t kept = 0;
    for (db_ptr h : handles) {
        auto it = database.ents.find(h);
        if (it == database.ents.end() || !isToolpathAssoc(it->second) || it->second.assoc().opId != opId)
            continue;   // deleted since
        out.push_back(it->second.record());
        handles[kept++] = h;
    }
    handles.resize(kept);
    return out;
}

EntityCounts entityCounts() {
    auto lock = host::db::guard();
    EntityCounts c;
    for (const auto& [h, s] : database.ents) {
        const host::db::EntHead& e = s.head;
        ++c.total;
        if (s.kept) ++c.kept;
        if (e.sel & kSelBlank) ++c.blanked;
        switch (e.type) {
        case kEntPoint: ++c.points; break;
        case kEntLine: ++c.lines; break;
        case kEntArc: ++c.arcs; break;
        case kEntSpline: ++c.splines; break;
        case kEntNote: ++(s.note().subKind == 2 ? c.namedEntities : c.notes); break;
        case kEntDrafting: ++c.drafting; break;
        case kEntSurface: ++(s.surf().typeCode == kSurfTrimmed ? c.trimmedSurfaces : c.surfaces); break;
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
