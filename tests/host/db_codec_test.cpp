// The stored form of entity bodies: every kind reads back field for field, its parts around a note's text
// join to the same body, and a body that is cut short, too long or announces more items than it holds is
// refused instead of being read past its end.
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "host/api.h"
#include "host/db/entity_codec.h"
#include "support/entity_samples.h"

namespace {

using test_support::entitySamples;

TEST(DbCodec, EveryKindReadsBackWhatWasWritten) {
    const std::string text("note\0text", 9);
    for (const ent& e : entitySamples()) {
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
    host::db::decodeBody(host::db::encodeBody(entitySamples()[2], {}), arc, nullptr);
    EXPECT_EQ(std::bit_cast<std::uint64_t>(arc.arc.sw), 0x7ff8000000000123ull);
}

// An arc's body as another writer of the format lays it out, byte by byte: the tag, style, width and colour,
// then the view, the centre, the radius, the start angle and the sweep. Read and written, each value sits at
// its own place, so two fields that trade places fail here though they would make the round trip.
TEST(DbCodec, AnArcsBodyHoldsEachFieldAtItsPlace) {
    std::string bytes;
    auto put = [&](auto value) {
        char raw[sizeof value];
        std::memcpy(raw, &value, sizeof value);   // the format is little-endian, as this machine
        bytes.append(raw, sizeof value);
    };
    put(1.25);                                                   // tag
    put(std::int16_t{2}), put(std::int16_t{3}), put(std::int16_t{14});   // style, width, colour
    put(std::int16_t{5});                                        // view
    put(10.0), put(20.0), put(-4.0);                             // centre
    put(3.5);                                                    // radius
    put(0.75);                                                   // start angle
    put(4.5);                                                    // sweep
    ent arc{};
    arc.type = kEntArc;
    ASSERT_TRUE(host::db::decodeBody(bytes, arc, nullptr));
    EXPECT_EQ(arc.attrib.tag, 1.25);
    EXPECT_EQ(arc.color, 14);
    EXPECT_EQ(arc.arc.view, 5);
    EXPECT_EQ(arc.arc.c.z, -4.0);
    EXPECT_EQ(arc.arc.r, 3.5);
    EXPECT_EQ(arc.arc.sa, 0.75);
    EXPECT_EQ(arc.arc.sw, 4.5);
    EXPECT_EQ(host::db::encodeBody(arc, {}), bytes);
}

TEST(DbCodec, CutShortOrOverlongBodiesAreRefused) {
    for (const ent& e : entitySamples()) {
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
    EXPECT_FALSE(host::db::decodeBody(host::db::encodeBody(entitySamples()[0], {}), unknown, nullptr));
}

TEST(DbCodec, CountsBeyondTheBodyAreRefusedBeforeAnythingIsAllocated) {
    ent s = entitySamples()[3];
    s.spl.data.clear();
    std::string bytes = host::db::encodeBody(s, {});
    // The data block's length is the body's last four bytes: claim 4 GB.
    bytes.replace(bytes.size() - 4, 4, "\xFF\xFF\xFF\xFF");
    ent back{};
    back.type = kEntSpline;
    EXPECT_FALSE(host::db::decodeBody(bytes, back, nullptr));

    ent f = entitySamples()[6];
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
