// The host's stored records, each written and read through its one field list: every kind of record with
// random values in every field reads back to the same bytes, read into a record that held other values; and
// one record of each kind, in the bytes earlier releases wrote, reads and writes again byte for byte.
#include <gtest/gtest.h>

#include <sqlite3.h>

#include <bit>
#include <cstdio>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "host/api.h"
#include "host/db/entity_codec.h"
#include "host/db/part_records.h"
#include "host/ops/ops_part.h"
#include "host/state.h"
#include "support/temp_dir.h"

namespace {

using host::db::LoadedPart;
using host::ops::ChainEntRec;
using host::ops::ChainRec;
using host::ops::StoredOp;

// Random values of every stored type; doubles as any 64-bit pattern (NaNs included).
struct Random {
    std::mt19937_64 g;
    explicit Random(std::uint64_t seed) : g(seed) {}
    double f64() { return std::bit_cast<double>(g()); }
    std::int16_t i16() { return static_cast<std::int16_t>(g()); }
    std::int32_t i32() { return static_cast<std::int32_t>(g()); }
    std::uint32_t u32() { return static_cast<std::uint32_t>(g()); }
    std::uint8_t u8() { return static_cast<std::uint8_t>(g()); }
    std::size_t below(std::size_t n) { return static_cast<std::size_t>(g() % n); }
    p_3d pt() { return {f64(), f64(), f64()}; }
    // Bytes of any value, a zero among them.
    std::string bytes(std::size_t most) {
        std::string s(below(most + 1), '\0');
        for (char& c : s) c = static_cast<char>(g());
        return s;
    }
    // A name for a zero-ended array of `N`: no zero inside.
    template <std::size_t N> void name(char (&dst)[N]) {
        std::memset(dst, 0, N);
        const std::size_t n = below(N);
        for (std::size_t i = 0; i < n; ++i) dst[i] = static_cast<char>(1 + below(255));
    }
};

constexpr std::uint32_t kBodyKinds[] = {kEntPoint, kEntLine,    kEntArc,   kEntSpline, kEntNote,
                                        kEntDrafting, kEntSurface, kEntSolid, kEntAssoc,  kEntInfo};

// Every body field of every kind set, so one record serves any `type`.
ent randomEntity(Random& r, std::uint32_t type) {
    ent e{};
    e.type = type;
    e.attrib = {r.f64(), r.i16(), r.i16()};
    e.color = r.i16();
    e.pt.pt = r.pt();
    e.ln.ln = {r.pt(), r.pt()};
    e.arc = {r.i16(), r.pt(), r.f64(), r.f64(), r.f64()};
    const std::string data = r.bytes(200);
    e.spl = {r.u8(), r.i16(), r.f64(), r.f64(), r.i16(), {data.begin(), data.end()}};
    ent_note& n = e.note;
    n.subKind = r.u8();
    n.view = r.i16();
    n.pos = r.pt();
    n.height = r.f64();
    n.width = r.f64();
    n.angle = r.f64();
    n.leaderStyle = r.i16();
    n.leader = {r.pt(), r.pt()};
    for (auto& f : n.flags) f = r.i16();
    n.name = r.bytes(254);
    for (std::size_t i = r.below(5); i > 0; --i) n.nodes.push_back({r.pt(), r.u32()});
    ent_drafting& d = e.draft;
    d.subKind = r.u8();
    d.form = r.i16();
    d.view = r.i16();
    d.line = {r.pt(), r.pt()};
    d.anchor = r.pt();
    d.radius = r.f64();
    d.value = r.f64();
    d.text1 = r.bytes(254);
    d.text2 = r.bytes(254);
    ent_surface& s = e.surf;
    s.typeCode = r.i16();
    s.base = r.u32();
    s.uMin = r.f64();
    s.uMax = r.f64();
    s.vMin = r.f64();
    s.vMax = r.f64();
    s.boxMin = r.pt();
    s.boxMax = r.pt();
    s.sphereCentre = r.pt();
    s.sphereRadius = r.f64();
    s.solidFace = r.u8();
    for (std::size_t i = r.below(6); i > 0; --i) s.trimPoints.push_back({r.f64(), r.f64()});
    for (std::size_t i = r.below(4); i > 0; --i) s.trimBounds.push_back({r.i16(), r.i16()});
    e.solid.flags = static_cast<std::uint16_t>(r.u32());
    for (p_3d& p : e.solid.box) p = r.pt();
    e.solid.body = r.bytes(300);
    e.solid.history = r.bytes(100);
    ent_assoc& a = e.assoc;
    a.kind = r.i16();
    a.opId = r.i32();
    a.target = r.u32();
    a.targetId = r.u32();
    a.pt = r.pt();
    a.u = r.f64();
    a.v = r.f64();
    a.limits[0] = r.f64();
    a.limits[1] = r.f64();
    const std::string assocData = r.bytes(50);
    a.data.assign(assocData.begin(), assocData.end());
    e.info = {r.u8(), r.i32()};
    return e;
}

view_ent randomView(Random& r) {
    view_ent v;
    v.id = r.u32();
    for (auto& row : v.matrix)
        for (double& d : row) d = r.f64();
    v.number = r.i16();
    r.name(v.name);
    v.origin = r.pt();
    v.aux = r.i16();
    return v;
}

LoadedPart randomState(Random& r) {
    LoadedPart p;
    p.mainLevel = r.i32();
    p.mainColor = r.i32();
    p.mainAttrib = {r.f64(), r.i16(), r.i16()};
    p.constrView = r.i32();
    p.toolView = r.i32();
    p.views.grView = r.i32();
    p.views.nextNamedId = r.u32();
    p.views.wcsOn = r.below(2) == 1;
    p.wcs = randomView(r);
    p.views.wkX = r.f64();
    p.views.wkY = r.f64();
    p.views.wkHeight = r.f64();
    for (double& d : p.jobSetup.stockSize) d = r.f64();
    for (double& d : p.jobSetup.stockOrigin) d = r.f64();
    p.jobSetup.anchor = r.u8();
    for (auto& b : p.jobSetup.reserved) b = r.u8();
    p.jobSetup.showStock = r.u8();
    for (auto& b : p.jobSetup.more) b = r.u8();
    return p;
}

// Groups under one another with machine groups among them, operations with chains of every curve kind:
// what decodeOpsRows accepts.
host::ops::PartOps randomOps(Random& r) {
    host::ops::PartOps p;
    p.present = true;
    const std::int32_t groups = 1 + static_cast<std::int32_t>(r.below(4));
    for (std::int32_t id = 1; id <= groups; ++id) {
        op_group g;
        g.id = id;
        r.name(g.name);
        g.parentId = static_cast<std::int32_t>(r.below(static_cast<std::size_t>(id)));
        g.isMachineGroup = r.below(2) == 1;
        if (g.isMachineGroup) {
            machine_group& m = g.machine;
            r.name(m.postPath);
            r.name(m.materialName);
            m.feedMode = r.i32();
            for (double& d : m.stock.size) d = r.f64();
            for (double& d : m.stock.origin) d = r.f64();
            m.stock.anchor = r.i16();
            m.stock.flags = static_cast<std::uint16_t>(r.u32());
            for (auto& row : m.stock.matrix)
                for (double& d : row) d = r.f64();
            m.toolNumbering = r.i32();
            m.lengthOffsetBase = r.i32();
            m.diameterOffsetBase = r.i32();
            m.defaultSpindle = r.f64();
            for (double& d : m.defaultFeeds) d = r.f64();
            m.rapidRate = r.f64();
            m.machineDefId = r.u32();
        }
        p.groups.push_back(g);
    }
    p.activeId = static_cast<std::int32_t>(r.below(static_cast<std::size_t>(groups) + 1));
    p.nextGroupId = groups + 1 + static_cast<std::int32_t>(r.below(100));
    const std::int32_t ops = static_cast<std::int32_t>(r.below(4));
    for (std::int32_t id = 1; id <= ops; ++id) {
        StoredOp s;
        s.op.id = id;
        s.op.code = r.i16();
        s.op.toolDiameter = r.f64();
        s.op.groupId = r.i32();
        for (std::size_t c = r.below(3); c > 0; --c) {
            ChainRec chain;
            chain.closed = static_cast<std::uint8_t>(r.below(2));
            for (std::size_t k = r.below(4); k > 0; --k) {
                ChainEntRec e;
                e.entityId = r.u32();
                e.reversed = static_cast<std::uint8_t>(r.below(2));
                const std::uint32_t kinds[] = {kEntPoint, kEntLine, kEntArc};
                e.curve = randomEntity(r, kinds[r.below(3)]);
                e.curve.id = e.entityId;
                e.curve.level = r.i32();
                chain.ents.push_back(e);
            }
            s.chains.push_back(std::move(chain));
        }
        p.ops.push_back(std::move(s));
    }
    p.nextOpId = ops + 1 + static_cast<std::int32_t>(r.below(100));
    return p;
}

// ---- the table: each record kind, made at random, written, and read back into a record that held others --

struct ROUND_TRIP {
    std::string written;   // the record's bytes
    std::string again;     // what was read from them, written again
    bool read = false;
};

// `write(record)` and `read(bytes, record)` of record type R, made by `make`.
template <class R>
ROUND_TRIP roundTrip(Random& r, const std::function<R(Random&)>& make,
                     const std::function<std::string(const R&)>& write,
                     const std::function<bool(std::string_view, R&)>& read) {
    ROUND_TRIP t;
    t.written = write(make(r));
    R back = make(r);
    t.read = read(t.written, back);
    t.again = write(back);
    return t;
}

struct RECORD_KIND {
    std::string name;
    std::function<ROUND_TRIP(Random&)> trip;
};

RECORD_KIND bodyKind(std::uint32_t type, int version) {
    const std::string name = "body of type " + std::to_string(type) + ", version " + std::to_string(version);
    return {name, [type, version](Random& r) {
                ROUND_TRIP t;
                const std::string text = r.bytes(64);
                const ent e = randomEntity(r, type);
                t.written = host::db::encodeBody(e, text, version);
                ent back = randomEntity(r, type);
                std::string readText = "other";
                t.read = host::db::decodeBody(t.written, back, &readText, version);
                t.again = host::db::encodeBody(back, readText, version);
                if (type == kEntNote) {
                    EXPECT_EQ(readText, text);
                }
                // Read from a version that does not keep it, a surface is a free one.
                if (type == kEntSurface && version < 3) {
                    EXPECT_EQ(back.surf.solidFace, 0);
                }
                return t;
            }};
}

std::vector<RECORD_KIND> recordKinds() {
    std::vector<RECORD_KIND> kinds;
    for (std::uint32_t type : kBodyKinds)
        for (int version : {2, 3}) kinds.push_back(bodyKind(type, version));
    kinds.push_back({"part state", [](Random& r) {
                         return roundTrip<LoadedPart>(r, randomState, host::db::encodePartState,
                                                      host::db::decodePartState);
                     }});
    kinds.push_back({"named view", [](Random& r) {
                         return roundTrip<view_ent>(r, randomView, host::db::encodeView, host::db::decodeView);
                     }});
    kinds.push_back({"view matrix", [](Random& r) {
                         double m[3][3], back[3][3];
                         for (auto& row : m)
                             for (double& d : row) d = r.f64();
                         ROUND_TRIP t{host::db::encodeViewMatrix(m), {}, false};
                         t.read = host::db::decodeViewMatrix(t.written, back);
                         t.again = host::db::encodeViewMatrix(back);
                         return t;
                     }});
    kinds.push_back({"surface origin", [](Random& r) {
                         return roundTrip<host::db::SURFACE_ORIGIN>(
                             r, [](Random& g) { return host::db::SURFACE_ORIGIN{g.u32(), g.u32(), g.below(2) == 1}; },
                             host::db::encodeSurfaceOrigin, host::db::decodeSurfaceOrigin);
                     }});
    // Header, groups and operations: the rows of the open part's operations.
    kinds.push_back({"operations, groups and chains", [](Random& r) {
                         host::reset();
                         host::ops::installOps(randomOps(r));
                         ROUND_TRIP t;
                         const std::vector<host::ops::OpsRow> rows = host::ops::encodeOpsRows();
                         host::ops::PartOps back = randomOps(r);
                         std::string why;
                         t.read = host::ops::decodeOpsRows(rows, back, &why);
                         EXPECT_EQ(why, "");
                         host::reset();
                         host::ops::installOps(std::move(back));
                         const std::vector<host::ops::OpsRow> again = host::ops::encodeOpsRows();
                         for (const auto& [kind, body] : rows) t.written += std::to_string(kind) + ":" + body + "|";
                         for (const auto& [kind, body] : again) t.again += std::to_string(kind) + ":" + body + "|";
                         return t;
                     }});
    return kinds;
}

// Where two byte strings first differ, and their lengths: a short message for a long record.
std::string difference(const std::string& a, const std::string& b) {
    std::size_t i = 0;
    while (i < a.size() && i < b.size() && a[i] == b[i]) ++i;
    if (i == a.size() && i == b.size()) return "";
    return "differ at byte " + std::to_string(i) + " of " + std::to_string(a.size()) + " and " +
           std::to_string(b.size());
}

TEST(RecordFields, EveryRecordKindWithRandomFieldsReadsBackToItsBytes) {
    for (const RECORD_KIND& kind : recordKinds()) {
        SCOPED_TRACE(kind.name);
        Random r(std::hash<std::string>()(kind.name));
        for (int i = 0; i < 40; ++i) {
            const ROUND_TRIP t = kind.trip(r);
            ASSERT_TRUE(t.read) << "record " << i;
            ASSERT_EQ(difference(t.again, t.written), "") << "record " << i;
        }
    }
    host::reset();
}

// ---- one record of each kind as earlier releases wrote it -------------------------------------------------

std::string hex(std::string_view b) {
    std::string out;
    char buf[3];
    for (unsigned char c : b) {
        std::snprintf(buf, sizeof buf, "%02x", c);
        out += buf;
    }
    return out;
}

std::string unhex(std::string_view h) {
    std::string out;
    for (std::size_t i = 0; i + 1 < h.size(); i += 2)
        out += static_cast<char>(std::stoi(std::string(h.substr(i, 2)), nullptr, 16));
    return out;
}

// Small values that show each field's width and sign.
ent fixedEntity(std::uint32_t type) {
    ent e{};
    e.type = type;
    e.attrib = {1.5, -2, 3};
    e.color = 12;
    e.pt.pt = {1, 2, 3};
    e.ln.ln = {{1, 2, 3}, {-1, -2, -3}};
    e.arc = {-4, {1, 2, 3}, 5, 0.25, -0.5};
    e.spl = {3, -5, 0.5, 1, 7, {0xAB, 0x00, 0x01}};
    e.note.subKind = 2;
    e.note.view = 9;
    e.note.pos = {4, 5, 6};
    e.note.height = 2;
    e.note.flags[1] = -1;
    e.note.name = "N";
    e.note.nodes = {{{1, 1, 1}, 7}};
    e.draft.subKind = 1;
    e.draft.form = -3;
    e.draft.text1 = "10H7";
    e.surf.typeCode = kSurfTrimmed;
    e.surf.base = 0x01020304;
    e.surf.vMax = 2;
    e.surf.solidFace = 1;
    e.surf.trimPoints.push_back({0.5, -0.5});
    e.surf.trimBounds = {{-1, 2}};
    e.solid.flags = 0x8001;
    e.solid.box[7] = {1, 2, 3};
    e.solid.body = "B";
    e.assoc = {-2, -3, 5, 6, {1, 2, 3}, 0.5, 0.75, {-1e38, 1e38}, {9}};
    e.info = {8, -7};
    return e;
}

host::ops::PartOps fixedOps() {
    host::ops::PartOps p;
    p.present = true;
    op_group plain;
    plain.id = 1;
    std::strcpy(plain.name, "Top");
    op_group machine;
    machine.id = 3;
    machine.parentId = 1;
    std::strcpy(machine.name, "M");
    machine.isMachineGroup = true;
    std::strcpy(machine.machine.materialName, "Al");
    machine.machine.feedMode = -1;
    machine.machine.stock.anchor = -2;
    machine.machine.stock.flags = 0x8001;
    machine.machine.stock.matrix[2][2] = 1;
    machine.machine.defaultFeeds[2] = 500;
    machine.machine.machineDefId = 0x01020304;
    p.groups = {plain, machine};
    p.activeId = 3;
    p.nextGroupId = 4;
    StoredOp s;
    s.op.id = 2;
    s.op.code = 2;
    s.op.toolDiameter = 8.5;
    ChainRec chain;
    chain.closed = 1;
    for (std::uint32_t type : {kEntPoint, kEntLine, kEntArc}) {
        ChainEntRec e;
        e.entityId = 40 + type;
        e.reversed = type == kEntLine;
        e.curve = fixedEntity(type);
        e.curve.id = e.entityId;
        e.curve.level = -6;
        chain.ents.push_back(e);
    }
    s.chains.push_back(chain);
    p.ops.push_back(std::move(s));
    p.nextOpId = 5;
    return p;
}

struct OLD_RECORD {
    std::string name;
    std::string bytes;                                     // as written now
    std::function<std::string(std::string_view)> reread;   // read, then written again
};

std::vector<OLD_RECORD> oldRecords() {
    std::vector<OLD_RECORD> out;
    for (std::uint32_t type : kBodyKinds)
        for (int version : {2, 3}) {
            if (version == 2 && type != kEntSurface) continue;   // only surfaces differ between versions
            out.push_back({"body " + std::to_string(type) + " v" + std::to_string(version),
                           host::db::encodeBody(fixedEntity(type), "Text", version),
                           [type, version](std::string_view b) {
                               ent e{};
                               e.type = type;
                               std::string text;
                               return host::db::decodeBody(b, e, &text, version)
                                          ? host::db::encodeBody(e, text, version)
                                          : "unread";
                           }});
        }
    LoadedPart state;
    state.mainLevel = -7;
    state.views.wcsOn = true;
    std::strcpy(state.wcs.name, "WCS");
    state.wcs.matrix[0][0] = 1;
    state.jobSetup.showStock = 1;
    out.push_back({"part state", host::db::encodePartState(state), [](std::string_view b) {
                       LoadedPart p;
                       return host::db::decodePartState(b, p) ? host::db::encodePartState(p) : "unread";
                   }});
    view_ent view;
    view.id = 9;
    view.number = -1;
    std::strcpy(view.name, "Side 2");
    view.aux = -1;
    out.push_back({"named view", host::db::encodeView(view), [](std::string_view b) {
                       view_ent v;
                       return host::db::decodeView(b, v) ? host::db::encodeView(v) : "unread";
                   }});
    const double m[3][3] = {{1, 0, 0}, {0, 0, -1}, {0, 1, 0}};
    out.push_back({"view matrix", host::db::encodeViewMatrix(m), [](std::string_view b) {
                       double back[3][3];
                       return host::db::decodeViewMatrix(b, back) ? host::db::encodeViewMatrix(back) : "unread";
                   }});
    out.push_back({"surface origin", host::db::encodeSurfaceOrigin({5, 2, true}), [](std::string_view b) {
                       host::db::SURFACE_ORIGIN o;
                       return host::db::decodeSurfaceOrigin(b, o) ? host::db::encodeSurfaceOrigin(o) : "unread";
                   }});
    // The operations' rows: header, a group, a machine group and an operation with a chain of each curve.
    host::reset();
    host::ops::installOps(fixedOps());
    const std::vector<host::ops::OpsRow> rows = host::ops::encodeOpsRows();
    for (std::size_t i = 0; i < rows.size(); ++i)
        out.push_back({"operations row " + std::to_string(i) + " of kind " + std::to_string(rows[i].first),
                       rows[i].second, [i, rows](std::string_view b) {
                           std::vector<host::ops::OpsRow> all = rows;
                           all[i].second = std::string(b);
                           host::ops::PartOps back;
                           std::string why;
                           if (!host::ops::decodeOpsRows(all, back, &why)) return why;
                           host::reset();
                           host::ops::installOps(std::move(back));
                           return host::ops::encodeOpsRows()[i].second;
                       }});
    host::reset();
    return out;
}

// The bytes of oldRecords() as earlier releases wrote them. An operation's record starts with its 8984-byte
// image (its own codec's, tested beside it): "{image}" stands for its length and the image.
struct OLD_BYTES {
    const char* name;
    const char* hex;
};
const OLD_BYTES kOldBytes[] = {
        {"body 1 v3",
         "000000000000f83ffeff03000c00000000000000f03f00000000000000400000000000000840"},
        {"body 2 v3",
         "000000000000f83ffeff03000c00000000000000f03f00000000000000400000000000000840000000000000f0bf0000"
         "0000000000c000000000000008c0"},
        {"body 4 v3",
         "000000000000f83ffeff03000c00fcff000000000000f03f000000000000004000000000000008400000000000001440"
         "000000000000d03f000000000000e0bf"},
        {"body 8 v3",
         "000000000000f83ffeff03000c0003fbff000000000000e03f000000000000f03f070003000000ab0001"},
        {"body 16 v3",
         "000000000000f83ffeff03000c0002090000000000000010400000000000001440000000000000184000000000000000"
         "400000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
         "000000000000000000000000000000000000000000ffff000000000400000054657874010000004e0100000000000000"
         "0000f03f000000000000f03f000000000000f03f07000000"},
        {"body 64 v3",
         "000000000000f83ffeff03000c0001fdff01000000000000000000000000000000000000000000000000000000000000"
         "000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
         "0000000000000000000000040000003130483700000000"},
        {"body 256 v2",
         "000000000000f83ffeff03000c000a000403020100000000000000000000000000000000000000000000000000000000"
         "000000400000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
         "00000000000000000000000000000000000000000000000000000000000000000000000001000000000000000000e03f"
         "000000000000e0bf01000000ffff0200"},
        {"body 256 v3",
         "000000000000f83ffeff03000c000a000403020100000000000000000000000000000000000000000000000000000000"
         "000000400000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
         "0000000000000000000000000000000000000000000000000000000000000000000000000101000000000000000000e0"
         "3f000000000000e0bf01000000ffff0200"},
        {"body 65536 v3",
         "000000000000f83ffeff03000c0001800000000000000000000000000000000000000000000000000000000000000000"
         "000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
         "000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
         "00000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000f03f"
         "00000000000000400000000000000840010000004200000000"},
        {"body 2097152 v3",
         "000000000000f83ffeff03000c00fefffdffffff0500000006000000000000000000f03f000000000000004000000000"
         "00000840000000000000e03f000000000000e83fb1a1162ad3ced2c7b1a1162ad3ced2470100000009"},
        {"body 512 v3",
         "000000000000f83ffeff03000c0008f9ffffff"},
        {"part state",
         "f9ffffff0a000000000000000000000000000000010000000100000001000000070000000100000000000000000000f0"
         "3f0000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
         "000000000000000000000000000000000000000300000057435300000000000000000000000000000000000000000000"
         "000000000000000000000000000000000000000000000000000059400000000000000000000000000000000000000000"
         "000000000000000000000000000000000000000000000000000000000000000000000000000000000000000100000000"
         "000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
         "000000000000000000000000"},
        {"named view",
         "090000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
         "00000000000000000000000000000000000000000000000000000000ffff060000005369646520320000000000000000"
         "00000000000000000000000000000000ffff"},
        {"view matrix",
         "000000000000f03f0000000000000000000000000000000000000000000000000000000000000000000000000000f0bf"
         "0000000000000000000000000000f03f0000000000000000"},
        {"surface origin",
         "020500000002000000"},
        {"operations row 0 of kind 1",
         "01000000030000000400000005000000"},
        {"operations row 1 of kind 2",
         "0100000003000000546f700000000000"},
        {"operations row 2 of kind 2",
         "03000000010000004d01000000010000000002000000416cffffffff0000000000000000000000000000000000000000"
         "00000000000000000000000000000000000000000000000000000000feff0180000000000000f03f0000000000000000"
         "00000000000000000000000000000000000000000000f03f000000000000000000000000000000000000000000000000"
         "000000000000f03f00000000000000000000000000000000000000000000000000000000000000000000000000000000"
         "00407f40000000000000000004030201"},
        {"operations row 3 of kind 3",
         "{image}010000000103000000290000000001000000faffffff0c00000000000000f03f0000000000000040000000000"
         "00008402a0000000102000000faffffff0c00000000000000f03f0000000000000040000000000000084000000000000"
         "0f0bf00000000000000c000000000000008c02c0000000004000000faffffff0c00fcff000000000000f03f000000000"
         "000004000000000000008400000000000001440000000000000d03f000000000000e0bf"},
};

TEST(RecordFields, OneRecordOfEachKindReadsAndWritesAsEarlierReleasesDid) {
    const std::vector<OLD_RECORD> records = oldRecords();
    ASSERT_EQ(records.size(), std::size(kOldBytes));
    for (std::size_t i = 0; i < records.size(); ++i) {
        const OLD_RECORD& r = records[i];
        SCOPED_TRACE(r.name);
        ASSERT_EQ(r.name, kOldBytes[i].name);
        std::string old(kOldBytes[i].hex);
        if (old.rfind("{image}", 0) == 0) {
            const OPERATION_BYTES image = operationToImage(fixedOps().ops[0].op);
            old = hex(std::string("\x18\x23\0\0", 4)) +
                  hex({reinterpret_cast<const char*>(image.data()), image.size()}) + old.substr(7);
        }
        // Written now as then; read from the old bytes and written again, the same bytes.
        EXPECT_EQ(difference(r.bytes, unhex(old)), "");
        EXPECT_EQ(difference(r.reread(unhex(old)), unhex(old)), "");
    }
}

// A name's bytes in a record changed to `name`, its length with it.
std::string withName(std::string bytes, const std::string& old, const std::string& name) {
    const std::size_t at = bytes.find(old);
    const auto n = static_cast<std::uint32_t>(name.size());
    bytes.replace(at - 4, 4 + old.size(), std::string(reinterpret_cast<const char*>(&n), 4) + name);
    return bytes;
}

// A named view's name stops at a zero inside it, as it always did; a group's name with one is damaged; a name
// longer than its array is refused in both.
TEST(RecordFields, NamesTooLongAreRefusedAndAZeroEndsOnlyAViewsName) {
    view_ent view;
    std::strcpy(view.name, "ABCD");
    const std::string viewBytes = host::db::encodeView(view);
    host::ops::PartOps ops = fixedOps();
    host::reset();
    host::ops::installOps(std::move(ops));
    const std::vector<host::ops::OpsRow> rows = host::ops::encodeOpsRows();
    host::reset();
    struct CASE {
        std::string name;
        bool viewRead, groupRead;
        const char* viewName;
    };
    const CASE cases[] = {
        {"Side", true, true, "Side"},
        {std::string("A\0CD", 4), true, false, "A"},
        {std::string(40, 'x'), true, true, nullptr},
        {std::string(41, 'x'), false, true, nullptr},   // a group's name holds 255
        {std::string(256, 'x'), false, false, nullptr},
    };
    for (const CASE& c : cases) {
        SCOPED_TRACE(c.name.size());
        view_ent back;
        EXPECT_EQ(host::db::decodeView(withName(viewBytes, "ABCD", c.name), back), c.viewRead);
        if (c.viewRead) {
            EXPECT_EQ(std::string(back.name), c.viewName ? std::string(c.viewName) : c.name);
        }
        std::vector<host::ops::OpsRow> changed = rows;
        changed[1].second = withName(changed[1].second, "Top", c.name);
        host::ops::PartOps read;
        std::string why;
        EXPECT_EQ(host::ops::decodeOpsRows(changed, read, &why), c.groupRead) << why;
        if (c.groupRead) {
            EXPECT_EQ(std::string(read.groups[0].name), c.name);
        }
    }
}
// The entities table of each format version is made as earlier releases made it: the table's columns, their
// types and order are part of the stored format (SQLite keeps the statement itself in the file).
TEST(RecordFields, TheEntitiesTableOfEachVersionIsMadeAsBefore) {
    const char* const kBefore3 =
        "CREATE TABLE entities(handle INTEGER PRIMARY KEY, id INTEGER NOT NULL, type INTEGER NOT NULL, "
        "level INTEGER NOT NULL, sel INTEGER NOT NULL, kept INTEGER NOT NULL, body BLOB NOT NULL, "
        "geom TEXT, geom_extra TEXT)";
    const struct {
        int version;
        const char* create;
    } cases[] = {
        {1, kBefore3},
        {2, kBefore3},
        {3, "CREATE TABLE entities(handle INTEGER PRIMARY KEY, id INTEGER NOT NULL, type INTEGER NOT NULL, "
            "level INTEGER NOT NULL, sel INTEGER NOT NULL, kept INTEGER NOT NULL, body BLOB NOT NULL, "
            "geom BLOB, geom_extra BLOB, origin BLOB)"},
    };
    TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.version);
        host::reset();
        ent point{};
        point.type = kEntPoint;
        point.pt.pt = {1, 2, 3};
        char ok = 0;
        store_ent(&point, nullptr, 0, 12, 4, main_attrib, &ok);
        const std::string path = dir.path() + "/v" + std::to_string(c.version) + ".pfp";
        host::PartSaveOptions options;
        options.formatVersion = c.version;
        ASSERT_TRUE(host::savePart(path, options).ok);
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db, "SELECT sql FROM sqlite_master WHERE name = 'entities'", -1, &st, nullptr);
        ASSERT_EQ(sqlite3_step(st), SQLITE_ROW);
        EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)), c.create);
        sqlite3_finalize(st);
        sqlite3_close(db);
        // And the part reads back from it.
        host::reset();
        ASSERT_TRUE(host::openPart(path).ok);
        EXPECT_EQ(host::entityCounts().total, 1);
    }
    host::reset();
}


}  // namespace
