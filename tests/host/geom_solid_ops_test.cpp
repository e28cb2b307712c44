// Solids made by revolving a closed chain of lines and cut out of one another: the volumes the kernel
// measures, the target that keeps its handle, colours and history, and the refusals that leave the part
// as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "host/api.h"
#include "host/builder/part_builder.h"
#include "host/geom/surface_entities.h"
#include "host/state.h"
#include "platform/ui/driver.h"

namespace {

using namespace host;

constexpr double kPi = std::numbers::pi;

class SolidOps : public testing::Test {
protected:
    void SetUp() override {
        plat::driver().reset();
        newPart();
    }
    void TearDown() override { free_chain(&chain); }

    // A chain through the points in the XZ plane (x, z), closed back to the first when asked.
    void profile(const std::vector<std::pair<double, double>>& points, bool close = true) {
        free_chain(&chain);
        alloc_chain(&chain);
        CHAIN_ENT* last = nullptr;
        const std::size_t n = points.size();
        for (std::size_t i = 0; i + (close ? 0 : 1) < n; ++i) {
            ent line{};
            line.type = kEntLine;
            line.ln.ln.e1 = {points[i].first, 0, points[i].second};
            line.ln.ln.e2 = {points[(i + 1) % n].first, 0, points[(i + 1) % n].second};
            add_curve_to_chain(0, 1, 512, chain, &last, -1, &line);
        }
    }
    static ent zAxis() {
        ent axis{};
        axis.type = kEntLine;
        axis.ln.ln.e1 = {0, 0, 0};
        axis.ln.ln.e2 = {0, 0, 1};
        return axis;
    }
    int revolve(ent axis, const char* body = "body") {
        sld_revolve_parms parms;
        parms.axis = &axis;
        parms.sweep = 2 * kPi;
        return sld_revolve_from_chain(chain, &parms, body);
    }
    static db_ptr lastSolid() {
        db_ptr last = 0;
        for (const ent& e : allEntities())
            if (e.type == kEntSolid) last = e.eptr;
        return last;
    }
    static ent solid(db_ptr entry) {
        ent e{};
        EXPECT_EQ(get_ent_from_eptr(entry, &e), 1);
        return e;
    }
    static double volume(db_ptr entry) { return solid(entry).solid.geom->volume(); }
    static db_ptr block(Vec3 size, Vec3 origin, int colour = 3, int faceColour = kNoColour) {
        const builder::BuiltPart part = builder::PartBuilder::block(size, origin).stockColour(faceColour).build();
        EXPECT_TRUE(part.ok()) << part.error;
        return storeSolidEntity(part.solid, colour, 1, "block");
    }

    CHAIN* chain = nullptr;
};

TEST_F(SolidOps, AClosedProfileRevolvesIntoASolidOfItsVolume) {
    // A stepped pin: radius 5 over 10, radius 2 over 4 above it, closed along the axis.
    profile({{0, 0}, {5, 0}, {5, 10}, {2, 10}, {2, 14}, {0, 14}});
    ASSERT_EQ(revolve(zAxis(), "pin"), 1);
    const ent pin = solid(lastSolid());
    EXPECT_EQ(pin.solid.body, "pin");
    EXPECT_EQ(pin.level, main_level);
    EXPECT_EQ(pin.color, main_color);
    EXPECT_NEAR(pin.solid.geom->volume(), kPi * (25 * 10 + 4 * 4), 1e-6 * kPi * 266);
    EXPECT_TRUE(pin.solid.geom->isValid());
    EXPECT_NEAR(pin.solid.box[6].z, 14, 1e-6);
    EXPECT_TRUE(plat::driver().transcript().contains("host.solid revolve " + std::to_string(pin.id) + " \"pin\""));
}

TEST_F(SolidOps, ProfilesThatDoNotMakeASolidAreRefused) {
    const std::size_t before = allEntities().size();
    profile({{0, 0}, {5, 0}, {5, 10}, {0, 10}}, false);   // open
    EXPECT_EQ(revolve(zAxis()), 0);
    profile({{0, 0}, {5, 0}, {5, 10}, {0, 10}});
    ent off = zAxis();                                    // out of the profile's plane
    off.ln.ln.e1.y = off.ln.ln.e2.y = 3;
    EXPECT_EQ(revolve(off), 0);
    ent point = zAxis();                                  // no direction
    point.ln.ln.e2 = point.ln.ln.e1;
    EXPECT_EQ(revolve(point), 0);
    EXPECT_EQ(allEntities().size(), before);
}

TEST_F(SolidOps, ACutTakesTheBodyOutOfTheTargetWhichKeepsItsPlaceAndColours) {
    const db_ptr target = block({40, 40, 20}, {-20, -20, -20}, 5, 44);
    const ent before = solid(target);
    const double full = before.solid.geom->volume();
    profile({{0, -10}, {4, -10}, {4, 5}, {0, 5}});
    ASSERT_EQ(revolve(zAxis(), "hole"), 1);
    const db_ptr body = lastSolid();
    const double inside = kPi * 16 * 10;
    const db_ptr pair[2] = {target, body};
    ASSERT_EQ(sld_new_boolean(1, 2, pair, "first cut"), 1);
    ASSERT_EQ(sld_new_boolean(1, 2, pair, "again"), 0);   // the body is gone with the cut
    const ent after = solid(target);
    EXPECT_EQ(after.id, before.id);
    EXPECT_EQ(after.color, 5);
    EXPECT_NEAR(after.solid.geom->volume(), full - inside, 1e-6 * inside);
    EXPECT_EQ(after.solid.history, "first cut");
    EXPECT_EQ(after.solid.body, "block");
    ent gone{};
    EXPECT_EQ(get_ent_from_eptr(body, &gone), 0);
    // The block's six faces keep their colour (the top one with its hole now); the hole's wall and floor
    // are new faces without one.
    const std::vector<int>& colours = after.solid.geom->faceColours();
    ASSERT_EQ(colours.size(), 8u);
    EXPECT_EQ(std::count(colours.begin(), colours.end(), 44), 6);
    EXPECT_EQ(std::count(colours.begin(), colours.end(), kNoColour), 2);
    // A second body: its text goes on a line of its own.
    ASSERT_EQ(revolve(zAxis(), "second"), 1);
    const db_ptr again[2] = {target, lastSolid()};
    ASSERT_EQ(sld_new_boolean(1, 2, again, "second cut"), 1);
    EXPECT_EQ(solid(target).solid.history, "first cut\nsecond cut");
    EXPECT_TRUE(plat::driver().transcript().contains("\"second\": \"second cut\""));
}

TEST_F(SolidOps, ABooleanTheKernelCannotMakeLeavesThePartAsItWas) {
    // The body swallows the whole target: no solid would be left.
    const db_ptr small = block({2, 2, 2}, {-1, -1, -4});
    profile({{0, -10}, {4, -10}, {4, 5}, {0, 5}});
    ASSERT_EQ(revolve(zAxis()), 1);
    const db_ptr body = lastSolid();
    const double volumeBefore = volume(small);
    const db_ptr pair[2] = {small, body};
    EXPECT_EQ(sld_new_boolean(1, 2, pair, "swallowed"), 0);
    EXPECT_DOUBLE_EQ(volume(small), volumeBefore);
    EXPECT_EQ(solid(small).solid.history, "");
    EXPECT_NE(volume(body), 0);   // the caller decides what becomes of the body
    EXPECT_TRUE(plat::driver().transcript().contains("host.solid cut refused"));
    // Codes and lists it does not know.
    EXPECT_EQ(sld_new_boolean(2, 2, pair, "union"), 0);
    EXPECT_EQ(sld_new_boolean(1, 1, pair, "alone"), 0);
    const db_ptr twice[2] = {small, small};
    EXPECT_EQ(sld_new_boolean(1, 2, twice, "itself"), 0);
    EXPECT_DOUBLE_EQ(volume(small), volumeBefore);
}

}  // namespace
