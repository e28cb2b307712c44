// Walks over the part database as the plug-in makes them: get_ent sees what the user sees, get_raw_ent
// everything; deleting and rewriting during a walk; what store_ent refuses; trimmed surfaces and their
// bases, and the trim polylines equal surfaces share; associations and the reference count they give their
// targets; walk_ents and its record refilled for each entity; each kind keeping only its own member.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "host/api.h"
#include "host/db/entity_codec.h"
#include "host/state.h"
#include "platform/ui/driver.h"
#include "support/entity_samples.h"
#include "support/fresh_part.h"

namespace {

class DbWalk : public FreshPart {
protected:
    static db_ptr storePoint(double x, std::int32_t level = 1, std::uint16_t sel = 0) {
        ent e{};
        e.type = kEntPoint;
        e.pt.pt = {x, 0, 0};
        e.sel = sel;
        db_ptr entry = 0;
        char ok = 0;
        store_ent(&e, &entry, 0, 12, level, main_attrib, &ok);
        EXPECT_EQ(ok, 1);
        return entry;
    }

    // An association of `kind` attaching `target` to operation `opId` at (x, 0, 0), not stored.
    static ent association(std::int16_t kind, std::int32_t opId, db_ptr target, double x) {
        ent a{};
        a.type = kEntAssoc;
        a.assoc.kind = kind;
        a.assoc.opId = opId;
        a.assoc.target = target;
        a.assoc.pt = {x, 0, 0};
        return a;
    }

    static db_ptr storeLine(std::int32_t level = 1) {
        ent e{};
        e.type = kEntLine;
        e.ln.ln = {{0, 0, 0}, {1, 1, 1}};
        db_ptr entry = 0;
        char ok = 0;
        store_ent(&e, &entry, 0, 12, level, main_attrib, &ok);
        EXPECT_EQ(ok, 1);
        return entry;
    }

    // A trimmed surface with these trim points over a base surface of its own; its base into `baseEntry`.
    static db_ptr storeTrimmed(std::vector<uv_pt> points, db_ptr* baseEntry = nullptr) {
        ent base{};
        base.type = kEntSurface;
        base.surf.typeCode = 1;
        base.surf.uMax = base.surf.vMax = 1;
        db_ptr baseAt = 0, entry = 0;
        char ok = 0;
        store_ent(&base, &baseAt, 0, 7, 5, main_attrib, &ok);
        EXPECT_EQ(ok, 1);
        ent trimmed{};
        trimmed.type = kEntSurface;
        trimmed.surf.typeCode = kSurfTrimmed;
        trimmed.surf.base = baseAt;
        trimmed.surf.trimPoints = std::move(points);
        trimmed.surf.trimBounds = {{0, 2}};
        store_ent(&trimmed, &entry, 0, 7, 5, main_attrib, &ok);
        EXPECT_EQ(ok, 1);
        if (baseEntry) *baseEntry = baseAt;
        return entry;
    }

    // The handles a walk yields, in order.
    static std::vector<db_ptr> walk(bool raw, std::uint32_t mask, short sel = 1) {
        std::vector<db_ptr> out;
        db_ptr p = db_start();
        char found = 0;
        ent e{};
        for (;;) {
            (raw ? get_raw_ent : get_ent)(p, sel, mask, &e, &p, &found);
            if (!found) break;
            EXPECT_EQ(e.eptr, p);
            out.push_back(p);
        }
        return out;
    }
};

using Handles = std::vector<db_ptr>;

TEST_F(DbWalk, MaskSelectsKindsInDatabaseOrderWithNewEntitiesLast) {
    const db_ptr a = storePoint(1);
    const db_ptr l = storeLine();
    const db_ptr b = storePoint(2);
    EXPECT_EQ(walk(false, kEntPoint), (Handles{a, b}));
    EXPECT_EQ(walk(false, kEntLine), (Handles{l}));
    EXPECT_EQ(walk(false, kEntPoint | kEntLine), (Handles{a, l, b}));
    EXPECT_TRUE(walk(false, kEntArc).empty());
    const db_ptr c = storePoint(3);
    EXPECT_EQ(walk(false, kEntPoint).back(), c);
}

TEST_F(DbWalk, GetEntSkipsBlankedHiddenLevelAndDeletedEntitiesGetRawEntSkipsOnlyDeleted) {
    const db_ptr shown = storePoint(1);
    const db_ptr blanked = storePoint(2, 1, kSelBlank);
    const db_ptr hiddenLevel = storePoint(3, 7);
    const db_ptr kept = storePoint(4);
    const db_ptr removed = storePoint(5);
    set_level_visible(7, 0);
    ASSERT_EQ(delete_ent(kept, 0, 1, 1, nullptr, 0), 1);
    ASSERT_EQ(delete_ent(removed, 0, 0, 1, nullptr, 0), 1);

    EXPECT_EQ(walk(false, kEntPoint), (Handles{shown}));
    EXPECT_EQ(walk(true, kEntPoint), (Handles{shown, blanked, hiddenLevel, kept}));

    // Showing the level again brings its entity back into get_ent's walk; the kept one stays out.
    set_level_visible(7, 1);
    EXPECT_EQ(walk(false, kEntPoint), (Handles{shown, hiddenLevel}));
}

TEST_F(DbWalk, SelectionArgumentFiltersBySelectionBits) {
    const db_ptr plain = storePoint(1);
    const db_ptr marked = storePoint(2, 1, 4);
    const db_ptr picked = storePoint(3, 1, kSelPicked | 4);
    EXPECT_EQ(walk(false, kEntPoint, 1), (Handles{plain, marked, picked}));
    EXPECT_EQ(walk(false, kEntPoint, 0), (Handles{plain, marked, picked}));
    EXPECT_EQ(walk(false, kEntPoint, 4), (Handles{marked, picked}));
    EXPECT_EQ(walk(true, kEntPoint, kSelPicked), (Handles{picked}));
}

TEST_F(DbWalk, DeletingOrBlankingTheEntityJustFoundKeepsTheWalkGoing) {
    std::vector<db_ptr> all;
    for (int i = 0; i < 5; ++i) all.push_back(storePoint(i));
    // Delete every entity as the features-level clean-up does, one by one during the walk.
    db_ptr p = db_start();
    char found = 0;
    ent e{};
    int visited = 0;
    for (;;) {
        get_ent(p, 1, kEntPoint, &e, &p, &found);
        if (!found) break;
        ++visited;
        if (e.pt.pt.x < 2) {
            EXPECT_EQ(delete_ent(p, 0, 0, 1, nullptr, 0), 1);
        } else {
            sel_bit_turn_on(&e, kSelBlank);
            EXPECT_EQ(rewrite_ent(&e, 0), 1);
        }
    }
    EXPECT_EQ(visited, 5);
    EXPECT_TRUE(walk(false, kEntPoint).empty());
    EXPECT_EQ(walk(true, kEntPoint), (Handles{all[2], all[3], all[4]}));
}

TEST_F(DbWalk, WalkEndLeavesRecordAndEntryAlone) {
    storePoint(1);
    ent e{};
    e.id = 999;
    db_ptr entry = 12345;
    char found = 1;
    get_ent(db_start(), 1, kEntArc, &e, &entry, &found);
    EXPECT_EQ(found, 0);
    EXPECT_EQ(e.id, 999u);
    EXPECT_EQ(entry, 12345u);
}

TEST_F(DbWalk, StoreGivesNewIdsAndTakesColourLevelAttributesRewriteKeepsId) {
    ent e{};
    e.type = kEntArc;
    e.arc.view = 2;
    e.arc.c = {1, 2, 3};
    e.arc.r = 4;
    e.arc.sw = 4.712388980384689 - 17 * 1e-10;
    db_ptr entry = 0;
    char ok = 0;
    const attr_block attrib{2.0, 1, 3};
    const std::uint32_t id = store_ent(&e, &entry, 0, 14, 1000254, attrib, &ok);
    ASSERT_EQ(ok, 1);
    EXPECT_EQ(e.id, id);
    EXPECT_EQ(e.eptr, entry);

    ent back{};
    ASSERT_EQ(get_ent_from_eptr(entry, &back), 1);
    EXPECT_EQ(back.id, id);
    EXPECT_EQ(back.color, 14);
    EXPECT_EQ(back.level, 1000254);
    EXPECT_EQ(back.attrib.tag, 2.0);
    EXPECT_EQ(back.attrib.width, 3);
    EXPECT_EQ(back.arc.sw, e.arc.sw);   // bit for bit: the plug-in keys mark arcs by it

    back.arc.sw = 6.276902121872406 - id * 1e-10;
    back.color = 3;
    ASSERT_EQ(rewrite_ent(&back, 0), 1);
    ent again{};
    ASSERT_EQ(get_ent_from_eptr(entry, &again), 1);
    EXPECT_EQ(again.id, id);
    EXPECT_EQ(again.arc.sw, back.arc.sw);
    EXPECT_EQ(again.color, 3);

    ent other{};
    other.type = kEntPoint;
    store_ent(&other, &entry, 0, 1, 1, attrib, &ok);
    EXPECT_NE(other.id, id);
}

TEST_F(DbWalk, StoreAndRewriteRefuseWhatCannotBeStored) {
    db_ptr entry = 77;
    char ok = 1;
    ent unknown{};
    unknown.type = 32;
    EXPECT_EQ(store_ent(&unknown, &entry, 0, 1, 1, main_attrib, &ok), 0u);
    EXPECT_EQ(ok, 0);
    EXPECT_EQ(entry, 77u);

    ent note{};
    note.type = kEntNote;
    note.note.text = 4242;   // no such text
    ok = 1;
    store_ent(&note, &entry, 0, 1, 1, main_attrib, &ok);
    EXPECT_EQ(ok, 0);

    ent trimmed{};
    trimmed.type = kEntSurface;
    trimmed.surf.typeCode = kSurfTrimmed;
    trimmed.surf.base = storePoint(1);   // not a surface
    ok = 1;
    store_ent(&trimmed, &entry, 0, 1, 1, main_attrib, &ok);
    EXPECT_EQ(ok, 0);

    const db_ptr p = storePoint(2);
    ent asLine{};
    ASSERT_EQ(get_ent_from_eptr(p, &asLine), 1);
    asLine.type = kEntLine;
    EXPECT_EQ(rewrite_ent(&asLine, 0), 0);
    ent gone{};
    gone.type = kEntPoint;
    gone.eptr = 9999;
    EXPECT_EQ(rewrite_ent(&gone, 0), 0);
    EXPECT_EQ(delete_ent(9999, 0, 0, 1, nullptr, 0), 0);
    EXPECT_EQ(host::entityCounts().total, 2);
}

TEST_F(DbWalk, TrimmedSurfaceOwnsItsBaseWhichOnlyRawWalksSee) {
    db_ptr baseEntry = 0;
    const db_ptr trimEntry = storeTrimmed({{0, 0}, {1, 0}, {1, 1}, {0, 0}}, &baseEntry);
    ASSERT_NE(trimEntry, 0u);
    char ok = 0;
    EXPECT_EQ(walk(false, kEntSurface), (Handles{trimEntry}));
    EXPECT_EQ(walk(true, kEntSurface), (Handles{baseEntry, trimEntry}));
    ent read{};
    ASSERT_EQ(get_ent_from_eptr(trimEntry, &read), 1);
    ASSERT_EQ(get_ent_from_eptr(read.surf.base, &read), 1);
    EXPECT_EQ(read.owner, trimEntry);

    // A second trimmed surface cannot take a base that already has an owner.
    ent second{};
    second.type = kEntSurface;
    second.surf.typeCode = kSurfTrimmed;
    second.surf.base = baseEntry;
    second.surf.trimPoints = {{0, 0}, {1, 0}, {1, 1}, {0, 0}};
    second.surf.trimBounds = {{0, 2}};
    store_ent(&second, nullptr, 0, 7, 5, main_attrib, &ok);
    EXPECT_EQ(ok, 0);

    ASSERT_EQ(delete_ent(trimEntry, 0, 0, 0, nullptr, 0), 1);
    EXPECT_EQ(get_ent_from_eptr(baseEntry, &read), 0);
    EXPECT_EQ(host::entityCounts().total, 0);
}

// The database keeps one buffer for equal trim polylines (bit for bit); a surface read, changed and written
// back changes alone, and a part reopened shares them again.
TEST_F(DbWalk, EqualTrimsShareOneBufferAndEachSurfaceChangesAlone) {
    auto read = [](db_ptr entry) {
        ent e{};
        EXPECT_EQ(get_ent_from_eptr(entry, &e), 1);
        return e;
    };
    const std::vector<uv_pt> square{{0, 0}, {1, 0}, {1, 1}, {0, 0}};
    std::vector<uv_pt> signedZero = square;
    signedZero[0].u = -0.0;
    const db_ptr a = storeTrimmed(square), b = storeTrimmed(square), c = storeTrimmed(signedZero);

    EXPECT_EQ(read(a).surf.trimPoints.buffer(), read(b).surf.trimPoints.buffer());
    EXPECT_NE(read(a).surf.trimPoints.buffer(), read(c).surf.trimPoints.buffer());
    EXPECT_TRUE(std::signbit(read(c).surf.trimPoints[0].u));

    // A copy changed is the copy's own until it is written back, and then that surface's alone.
    ent changed = read(a);
    changed.surf.trimPoints[1] = {0.5, 0};
    EXPECT_EQ(read(a).surf.trimPoints[1].u, 1);
    ASSERT_EQ(rewrite_ent(&changed, 0), 1);
    EXPECT_EQ(read(a).surf.trimPoints[1].u, 0.5);
    EXPECT_EQ(read(b).surf.trimPoints[1].u, 1);
    EXPECT_NE(read(a).surf.trimPoints.buffer(), read(b).surf.trimPoints.buffer());

    // Written back equal to another again, it shares that one's buffer.
    changed.surf.trimPoints[1] = {1, 0};
    ASSERT_EQ(rewrite_ent(&changed, 0), 1);
    EXPECT_EQ(read(a).surf.trimPoints.buffer(), read(b).surf.trimPoints.buffer());

    const std::string path = (std::filesystem::path(testing::TempDir()) / "shared_trims.pfp").string();
    ASSERT_TRUE(host::savePart(path).ok);
    host::newPart();
    ASSERT_TRUE(host::openPart(path).ok);
    std::vector<host::SharedVector<uv_pt>> trims;
    for (db_ptr at = db_start();;) {
        ent e{};
        char found = 0;
        get_ent(at, 1, kEntSurface, &e, &at, &found);
        if (!found) break;
        trims.push_back(e.surf.trimPoints);
    }
    ASSERT_EQ(trims.size(), 3u);
    EXPECT_EQ(trims[0].buffer(), trims[1].buffer());
    ASSERT_EQ(trims[0].size(), square.size());
    EXPECT_EQ(trims[0][2].v, 1);
    EXPECT_NE(trims[0].buffer(), trims[2].buffer());
    EXPECT_TRUE(std::signbit(trims[2][0].u));
    std::filesystem::remove(path);
}

TEST_F(DbWalk, AssociationsCountOnTheirTargetAndWalkApart) {
    const db_ptr point = storePoint(5, 4);
    ent a = association(2, 31, point, 5);
    db_ptr first = 0, second = 0;
    char ok = 0;
    store_ent_assoc(&a, &first, main_level, main_attrib, &ok);
    ASSERT_EQ(ok, 1);
    ent target{};
    ASSERT_EQ(get_ent_from_eptr(point, &target), 1);
    EXPECT_EQ(a.assoc.targetId, target.id);
    store_ent_assoc(&a, &second, main_level, main_attrib, &ok);
    ASSERT_EQ(ok, 1);
    get_ent_from_eptr(point, &target);
    EXPECT_EQ(target.refs, 2);

    // Entity walks never return associations, whatever the mask.
    EXPECT_EQ(walk(true, ~0u), (Handles{point}));
    Handles assocs;
    db_ptr p = db_start();
    char found = 0;
    ent e{};
    for (get_ent_assoc(p, &e, &p, &found); found; get_ent_assoc(p, &e, &p, &found)) assocs.push_back(p);
    EXPECT_EQ(assocs, (Handles{first, second}));
    EXPECT_EQ(e.assoc.opId, 31);
    EXPECT_EQ(e.assoc.limits[0], -1e38);

    // Rewriting the point keeps the host's count; deleting an association lowers it.
    target.refs = 0;
    ASSERT_EQ(rewrite_ent(&target, 0), 1);
    get_ent_from_eptr(point, &target);
    EXPECT_EQ(target.refs, 2);
    delete_ent(first, 0, 0, 0, nullptr, 0);
    get_ent_from_eptr(point, &target);
    EXPECT_EQ(target.refs, 1);

    ent dangling = a;
    dangling.assoc.target = 4711;
    store_ent_assoc(&dangling, nullptr, main_level, main_attrib, &ok);
    EXPECT_EQ(ok, 0);
    ent notAssoc{};
    notAssoc.type = kEntPoint;
    store_ent_assoc(&notAssoc, nullptr, main_level, main_attrib, &ok);
    EXPECT_EQ(ok, 0);
}

// An operation's associations are what the association walk finds for it, in database order: those of other
// operations and other kinds passed over, one on a hidden level and one deleted with keep included. They stay
// so once asked for, as associations are stored, deleted and rewritten to another operation.
TEST_F(DbWalk, AnOperationsAssociationsAreTheWalksOwnForIt) {
    const db_ptr point = storePoint(5, 4);
    auto expectAsWalked = [](const char* when) {
        for (std::int32_t opId : {7, 8, 9, 10}) {
            std::vector<double> walked, found;
            db_ptr p = db_start();
            char more = 0;
            ent e{};
            for (get_ent_assoc(p, &e, &p, &more); more; get_ent_assoc(p, &e, &p, &more))
                if (e.assoc.kind == 2 && e.assoc.opId == opId) walked.push_back(e.assoc.pt.x);
            for (const ent& a : host::operationAssociations(opId)) found.push_back(a.assoc.pt.x);
            EXPECT_EQ(found, walked) << when << ", operation " << opId;
        }
    };
    std::vector<db_ptr> entries;
    struct CASE {
        std::int16_t kind;
        std::int32_t opId;
        std::int32_t level;
    };
    const CASE cases[] = {{2, 7, main_level}, {2, 8, main_level}, {1, 7, main_level}, {2, 7, 200},
                          {2, 7, main_level}, {2, 9, main_level}, {2, 7, main_level}};
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        ent a = association(cases[i].kind, cases[i].opId, point, static_cast<double>(i));
        db_ptr entry = 0;
        char ok = 0;
        store_ent_assoc(&a, &entry, cases[i].level, main_attrib, &ok);
        ASSERT_EQ(ok, 1);
        entries.push_back(entry);
        if (i == 4) delete_ent(entry, 0, 1, 0, nullptr, 0);
    }
    set_level_visible(200, 0);
    expectAsWalked("stored");
    auto pointsOf = [](std::int32_t opId) {
        std::vector<double> x;
        for (const ent& a : host::operationAssociations(opId)) x.push_back(a.assoc.pt.x);
        return x;
    };
    EXPECT_EQ(pointsOf(7), (std::vector<double>{0, 3, 4, 6}));

    ent later = association(2, 7, point, 7);
    char ok = 0;
    store_ent_assoc(&later, nullptr, main_level, main_attrib, &ok);
    ASSERT_EQ(ok, 1);
    ASSERT_EQ(delete_ent(entries[0], 0, 0, 0, nullptr, 0), 1);
    ent moved{};
    ASSERT_EQ(get_ent_from_eptr(entries[1], &moved), 1);
    moved.assoc.opId = 7;
    ASSERT_EQ(rewrite_ent(&moved, 0), 1);
    expectAsWalked("changed");
    EXPECT_EQ(pointsOf(7), (std::vector<double>{1, 3, 4, 6, 7}));
    EXPECT_TRUE(pointsOf(8).empty());
}

TEST_F(DbWalk, SelectionBitsOnRecordsAndAcrossTheDatabase) {
    ent e{};
    sel_bit_turn_on(&e, 4);
    sel_bit_turn_on(&e, 1);
    EXPECT_EQ(sel_bit_is_on(&e, 4), 1);
    sel_bit_turn_off(&e, 4);
    EXPECT_EQ(sel_bit_is_on(&e, 4), 0);
    EXPECT_EQ(sel_bit_is_on(&e, 1), 1);

    const db_ptr p1 = storePoint(1, 1, 4 | kSelPicked);
    const db_ptr p2 = storePoint(2, 1, 4 | kSelBlank);
    const db_ptr l = storeLine();
    ent line{};
    get_ent_from_eptr(l, &line);
    sel_bit_turn_on(&line, 4);
    rewrite_ent(&line, 0);

    const int repaints = host::repaintCount();
    EXPECT_EQ(set_clr_sel_bits(0, 4, 0, 4, kEntPoint, 1, 0), 2);
    EXPECT_EQ(host::repaintCount(), repaints + 1);
    ent read{};
    get_ent_from_eptr(p1, &read);
    EXPECT_EQ(read.sel, kSelPicked);
    get_ent_from_eptr(p2, &read);
    EXPECT_EQ(read.sel, kSelBlank);   // blanked entities are cleared too
    get_ent_from_eptr(l, &read);
    EXPECT_EQ(read.sel, 4);           // not in the mask
    EXPECT_EQ(set_clr_sel_bits(0, 4, 0, 4, kEntPoint, 0, 0), 0);
}

TEST_F(DbWalk, RenumberingGivesIdsInDatabaseOrderAndNewIdsFollow) {
    const db_ptr a = storePoint(1);
    const db_ptr b = storePoint(2);
    ent assoc{};
    assoc.type = kEntAssoc;
    assoc.assoc.target = b;
    char ok = 0;
    db_ptr link = 0;
    store_ent_assoc(&assoc, &link, 1, main_attrib, &ok);
    ASSERT_EQ(ok, 1);
    host::renumberIds(500);
    ent e{};
    get_ent_from_eptr(a, &e);
    EXPECT_EQ(e.id, 500u);
    get_ent_from_eptr(b, &e);
    EXPECT_EQ(e.id, 501u);
    get_ent_from_eptr(link, &e);
    EXPECT_EQ(e.assoc.targetId, 501u);
    ent next{};
    next.type = kEntPoint;
    EXPECT_EQ(store_ent(&next, nullptr, 0, 1, 1, main_attrib, &ok), 503u);
}

// walk_ents hands its visitor each entity get_ent would find, in its order, stopping at the visitor's word.
struct SEEN {
    std::vector<db_ptr> entries;
    int stopAfter = 0;   // 0: never stop
};

int see(const ent& e, void* context) {
    SEEN& seen = *static_cast<SEEN*>(context);
    seen.entries.push_back(e.eptr);
    return seen.stopAfter != 0 && static_cast<int>(seen.entries.size()) == seen.stopAfter ? 7 : 0;
}

TEST_F(DbWalk, WalkEntsSeesWhatGetEntSees) {
    storePoint(1);
    storePoint(2, 5);                 // on a level about to be hidden
    storePoint(3, 1, kSelBlank);
    const db_ptr kept = storePoint(4);
    delete_ent(kept, 0, 1, 0, nullptr, 0);
    storePoint(5);
    set_level_visible(5, 0);

    SEEN first;
    EXPECT_EQ(walk_ents(db_start(), 1, kEntPoint, see, &first), 0);
    EXPECT_EQ(first.entries, walk(false, kEntPoint));
    EXPECT_EQ(first.entries.size(), 2u);
}
TEST_F(DbWalk, WalkEntsStopsWhenTold) {
    for (int i = 0; i < 5; ++i) storePoint(i);
    SEEN stopped;
    stopped.stopAfter = 2;
    EXPECT_EQ(walk_ents(db_start(), 1, kEntPoint, see, &stopped), 7);
    EXPECT_EQ(stopped.entries.size(), 2u);
}

// A visit that rewrites, deletes, stores and walks again: the walk goes on from the handle it visited, past
// what was deleted and on to what was stored, and the record in hand stays what was read.
struct BUSY_VISIT {
    db_ptr points[5] = {};
    std::vector<db_ptr> outer;
    std::vector<double> inner;       // x of each point the nested walk saw
    double heldAfterNested = 0;      // x of the outer record after the nested walk
    db_ptr stored = 0;
};

int busyVisit(const ent& e, void* context) {
    BUSY_VISIT& b = *static_cast<BUSY_VISIT*>(context);
    b.outer.push_back(e.eptr);
    if (e.eptr == b.points[0]) {
        ent moved = e;
        moved.pt.pt.x = 10;
        EXPECT_EQ(rewrite_ent(&moved, 0), 1);
    }
    if (e.eptr == b.points[1]) {
        // The visited entity and the one after it go; the record is not read again.
        EXPECT_EQ(delete_ent(b.points[1], 0, 0, 0, nullptr, 0), 1);
        EXPECT_EQ(delete_ent(b.points[2], 0, 0, 0, nullptr, 0), 1);
        ent added{};
        added.type = kEntPoint;
        added.pt.pt = {6, 0, 0};
        char ok = 0;
        store_ent(&added, &b.stored, 0, 3, 1, main_attrib, &ok);
        EXPECT_EQ(ok, 1);
    }
    if (e.eptr == b.points[3]) {
        (void)walk_ents(db_start(), 1, kEntPoint, [](const ent& inner, void* c) -> int {
            static_cast<BUSY_VISIT*>(c)->inner.push_back(inner.pt.pt.x);
            return 0;
        }, &b);
        b.heldAfterNested = e.pt.pt.x;
    }
    return 0;
}

TEST_F(DbWalk, WalkEntsVisitMayRewriteDeleteStoreAndWalkAgain) {
    BUSY_VISIT b;
    for (int i = 0; i < 5; ++i) b.points[i] = storePoint(i + 1);
    storeLine();   // another kind between, passed over by the mask
    EXPECT_EQ(walk_ents(db_start(), 1, kEntPoint, busyVisit, &b), 0);
    EXPECT_EQ(b.outer, (Handles{b.points[0], b.points[1], b.points[3], b.points[4], b.stored}));
    EXPECT_EQ(b.inner, (std::vector<double>{10, 4, 5, 6}));
    EXPECT_EQ(b.heldAfterNested, 4);
    ent first{};
    ASSERT_EQ(get_ent_from_eptr(b.points[0], &first), 1);
    EXPECT_EQ(first.pt.pt.x, 10);
}

// Every field of a record, each kind member whatever the type: records that give the same text hold the
// same values.
std::string everyField(const ent& e) {
    std::string out;
    for (std::int64_t v : {std::int64_t{e.type}, std::int64_t{e.id}, std::int64_t{e.eptr}, std::int64_t{e.level},
                           std::int64_t{e.sel}, std::int64_t{e.refs}, std::int64_t{e.owner},
                           std::int64_t{e.note.text}, std::int64_t{e.assoc.targetId}})
        out += std::to_string(v) + ",";
    for (std::uint32_t kind : {kEntPoint, kEntLine, kEntArc, kEntSpline, kEntNote, kEntDrafting, kEntSurface,
                               kEntSolid, kEntAssoc}) {
        ent probe = e;
        probe.type = kind;
        out += host::db::encodeBody(probe, "") + "|";
    }
    out += e.surf.geom || e.solid.geom ? "geometry" : "";
    return out;
}

// One record holding a member of every kind, as the samples fill them (a base surface among them).
ent everyKind(std::vector<ent>& samples) {
    ent all{};
    for (ent& s : samples) {
        if (s.type == kEntSurface) {
            s.surf.typeCode = 3;
            s.surf.base = 0;
        }
        switch (s.type) {
        case kEntPoint: all.pt = s.pt; break;
        case kEntLine: all.ln = s.ln; break;
        case kEntArc: all.arc = s.arc; break;
        case kEntSpline: all.spl = s.spl; break;
        case kEntNote: all.note = s.note; break;
        case kEntDrafting: all.draft = s.draft; break;
        case kEntSurface: all.surf = s.surf; break;
        case kEntSolid: all.solid = s.solid; break;
        case kEntAssoc: all.assoc = s.assoc; break;
        default: break;
        }
    }
    return all;
}

// A record of each kind, stored from a record whose other members are all set, reads back (get_ent_from_eptr,
// get_ent, walk_ents) with its own member whole and every other one empty, into records that held anything
// before; a rewrite from such a record keeps only its own member too.
TEST_F(DbWalk, EachKindKeepsOnlyItsOwnMemberThroughStoreReadAndRewrite) {
    std::vector<ent> samples = test_support::entitySamples();
    const ent all = everyKind(samples);
    std::vector<ent> expected;
    for (const ent& sample : samples) {
        SCOPED_TRACE(sample.type);
        ent in = all;
        in.type = sample.type;
        in.color = sample.color;   // an association's colour is its record's
        db_ptr entry = 0;
        char ok = 0;
        if (sample.type == kEntAssoc) {
            in.assoc.target = expected.front().eptr;   // the point stored first
            store_ent_assoc(&in, &entry, 1, sample.attrib, &ok);
        } else {
            store_ent(&in, &entry, 0, sample.color, 1, sample.attrib, &ok);
        }
        ASSERT_EQ(ok, 1);
        ent want = sample;
        want.eptr = entry;
        want.id = in.id;
        want.level = 1;
        if (sample.type == kEntAssoc) {
            want.assoc.target = in.assoc.target;
            want.assoc.targetId = in.assoc.targetId;
        }
        ent back = all;
        ASSERT_EQ(get_ent_from_eptr(entry, &back), 1);
        EXPECT_EQ(everyField(back), everyField(want));
        expected.push_back(want);

        ent rewritten = all;
        rewritten.type = back.type;
        rewritten.eptr = entry;
        rewritten.level = back.level;
        rewritten.color = back.color;
        rewritten.attrib = back.attrib;
        rewritten.sel = 4;
        ASSERT_EQ(rewrite_ent(&rewritten, 0), 1);
        want.sel = 4;
        back = all;
        get_ent_from_eptr(entry, &back);
        EXPECT_EQ(everyField(back), everyField(want));
        expected.back() = want;
    }
    expected.front().refs = 1;   // the association's target

    // Walks hand over kind after kind in one record: nothing of the kind before stays in it.
    struct WALKED {
        std::vector<std::string> fields;
    } walked;
    EXPECT_EQ(walk_ents(db_start(), 1, 0xFFFFFFFF, [](const ent& e, void* c) -> int {
        static_cast<WALKED*>(c)->fields.push_back(everyField(e));
        return 0;
    }, &walked), 0);
    std::vector<std::string> gotten;
    db_ptr at = db_start();
    ent e = all;
    for (char found = 1;;) {
        get_ent(at, 1, 0xFFFFFFFF, &e, &at, &found);
        if (!found) break;
        gotten.push_back(everyField(e));
    }
    ent assoc = all;
    char found = 0;
    get_ent_assoc(db_start(), &assoc, nullptr, &found);
    ASSERT_EQ(found, 1);
    gotten.push_back(everyField(assoc));
    std::vector<std::string> want;
    for (const ent& x : expected) want.push_back(everyField(x));
    EXPECT_EQ(gotten, want);
    want.pop_back();   // walks pass associations over
    EXPECT_EQ(walked.fields, want);
}

// A visitor that opens another part at one entity: the walk then goes on among the opened part's handles,
// as get_ent would.
struct OPENING {
    std::vector<db_ptr> entries;
    db_ptr at = 0;
    std::string path;
};

int openAt(const ent& e, void* context) {
    OPENING& o = *static_cast<OPENING*>(context);
    o.entries.push_back(e.eptr);
    if (e.eptr == o.at) {
        EXPECT_TRUE(host::openPart(o.path).ok);
    }
    return 0;
}

TEST_F(DbWalk, WalkEntsGoesOnAmongTheHandlesOfAPartItsVisitorOpened) {
    const std::string path = (std::filesystem::temp_directory_path() / "db_walk_opened.pfp").string();
    for (int i = 0; i < 4; ++i) storePoint(10 + i);
    ASSERT_TRUE(host::savePart(path).ok);
    host::newPart();
    OPENING opening;
    opening.at = storePoint(1);
    opening.path = path;
    storePoint(2);
    EXPECT_EQ(walk_ents(db_start(), 1, kEntPoint, openAt, &opening), 0);
    std::vector<db_ptr> expected{opening.at};
    for (db_ptr h : walk(false, kEntPoint))
        if (h > opening.at) expected.push_back(h);
    EXPECT_EQ(opening.entries, expected);
    EXPECT_GT(expected.size(), 1u);
    std::filesystem::remove(path);
}

}  // namespace
