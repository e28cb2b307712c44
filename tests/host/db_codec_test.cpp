// The stored form of entity bodies: every kind reads back field for field, its parts around a note's text
// join to the same body, and a body that is cut short, too long or announces more items than it holds is
// refused instead of being read past its end.
#include <gtest/gtest.h>

#include <bit>
#include <string>
#include <vector>

#include "host/api.h"
#include "host/db/entity_codec.h"

namespace {

// One entity of each kind with every field set to something other than its default.
std::vector<ent> samples() {
    std::vector<ent> out;
    ent e{};
    e.attrib = {2.0, 1, 3};
    e.color = 14;

    ent p = e;
    p.type = kEntPoint;
    p.pt.pt = {1, -2, 3};
    out.push_back(p);
    ent l = e;
    l.type = kEntLine;
    l.ln.ln = {{1, 2, 3}, {4, 5, 6}};
    out.push_back(l);
    ent a = e;
    a.type = kEntArc;
    a.arc = {7, {1, 2, 3}, 4, 5, std::bit_cast<double>(0x7ff8000000000123ull)};   // a NaN pattern survives too
    out.push_back(a);
    ent s = e;
    s.type = kEntSpline;
    s.spl = {2, 4, 0.0, 1.0, 1, std::vector<std::uint8_t>(64, 0xAB)};
    out.push_back(s);
    ent n = e;
    n.type = kEntNote;
    n.note.subKind = 2;
    n.note.view = 3;
    n.note.height = 2.5;
    n.note.leaderStyle = 5;
    n.note.flags[3] = -1;
    n.note.name = "GD_M6";
    n.note.nodes = {{{1, 1, 1}, 9}, {{2, 2, 2}, 0}};
    out.push_back(n);
    ent d = e;
    d.type = kEntDrafting;
    d.draft.subKind = 2;
    d.draft.text1 = "10H7";
    d.draft.text2 = std::string(254, 'x');
    d.draft.radius = 5;
    out.push_back(d);
    ent f = e;
    f.type = kEntSurface;
    f.surf.typeCode = kSurfTrimmed;
    f.surf.base = 12;
    f.surf.vMax = 6.283185307179586;
    f.surf.trimPoints = {{0, 0}, {1, 0}, {0, 1}};
    f.surf.trimBounds = {{0, 1}};
    out.push_back(f);
    ent o = e;
    o.type = kEntSolid;
    o.solid.flags = kSolidExcluded;
    o.solid.box[5] = {9, 8, 7};
    o.solid.body = "Body";
    o.solid.history = "History";
    out.push_back(o);
    ent r = e;
    r.type = kEntAssoc;
    r.assoc.kind = 2;
    r.assoc.opId = -3;
    r.assoc.target = 5;
    r.assoc.u = r.assoc.v = 0.5;
    r.assoc.data = {1, 2, 3};
    out.push_back(r);
    return out;
}

TEST(DbCodec, EveryKindReadsBackWhatWasWritten) {
    const std::string text("note\0text", 9);
    for (const ent& e : samples()) {
        SCOPED_TRACE(e.type);
        const std::string bytes = host::db::encodeBody(e, text);
        ent back{};
        back.type = e.type;
        std::string readText;
        ASSERT_TRUE(host::db::decodeBody(bytes, back, &readText));
        // Writing what was read gives the same bytes: every field made the trip.
        EXPECT_EQ(host::db::encodeBody(back, readText), bytes);
        EXPECT_EQ(back.color, 14);
        EXPECT_EQ(back.attrib.width, 3);
        if (e.type == kEntNote) {
            EXPECT_EQ(readText, text);
        }
        // Saving packs a note's body around its text: the parts join to the same bytes.
        const host::db::BODY_AROUND_TEXT around = host::db::encodeBodyAroundText(e, text.size());
        EXPECT_EQ(around.before + (e.type == kEntNote ? text : "") + around.after, bytes);
    }
    ent arc{};
    arc.type = kEntArc;
    host::db::decodeBody(host::db::encodeBody(samples()[2], {}), arc, nullptr);
    EXPECT_EQ(std::bit_cast<std::uint64_t>(arc.arc.sw), 0x7ff8000000000123ull);
}

TEST(DbCodec, CutShortOrOverlongBodiesAreRefused) {
    for (const ent& e : samples()) {
        SCOPED_TRACE(e.type);
        const std::string bytes = host::db::encodeBody(e, "abc");
        for (std::size_t n = 0; n < bytes.size(); ++n) {
            ent back{};
            back.type = e.type;
            EXPECT_FALSE(host::db::decodeBody(bytes.substr(0, n), back, nullptr)) << n;
        }
        ent back{};
        back.type = e.type;
        EXPECT_FALSE(host::db::decodeBody(bytes + '\0', back, nullptr));
    }
    ent unknown{};
    unknown.type = 32;
    EXPECT_FALSE(host::db::decodeBody(host::db::encodeBody(samples()[0], {}), unknown, nullptr));
}

TEST(DbCodec, CountsBeyondTheBodyAreRefusedBeforeAnythingIsAllocated) {
    ent s = samples()[3];
    s.spl.data.clear();
    std::string bytes = host::db::encodeBody(s, {});
    // The data block's length is the body's last four bytes: claim 4 GB.
    bytes.replace(bytes.size() - 4, 4, "\xFF\xFF\xFF\xFF");
    ent back{};
    back.type = kEntSpline;
    EXPECT_FALSE(host::db::decodeBody(bytes, back, nullptr));

    ent f = samples()[6];
    f.surf.trimBounds.clear();
    f.surf.trimPoints.clear();
    std::string surface = host::db::encodeBody(f, {});
    // Point count, then bound count: 0x10000000 points of 16 bytes cannot fit.
    surface.replace(surface.size() - 8, 4, std::string("\x00\x00\x00\x10", 4));
    back = ent{};
    back.type = kEntSurface;
    EXPECT_FALSE(host::db::decodeBody(surface, back, nullptr));
}

}  // namespace
