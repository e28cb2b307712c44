// Picks through the session script, as the group-note and form commands ask for them: points (also with
// the entry kind 'K' that makes the caller ask again), entities that must be pickable, Esc; and the
// drafting globals, which the host only records.
#include <gtest/gtest.h>

#include "support/ops_fixture.h"

namespace {

using Picks = OpsFixture;

TEST_F(Picks, ASessionPicksPointsAndEntitiesThroughTheScript) {
    const ent arc = storeCircle(5, 5, 0, 2);
    const ent point = storePoint(1, 2, 3);
    load(("point-entry K 0 0 0\n"
          "point 7 8 9\n"
          "entity " + std::to_string(arc.id) + "\n"
          "entity " + std::to_string(point.id) + "\n"
          "esc\n").c_str());
    // The group note's loop: ask again while the answer is the key 'K'.
    char kind = 0, got = 0;
    double pt[3] = {};
    int asked = 0;
    do {
        point_proc("Group note position", &kind, pt, &got);
        ++asked;
    } while (got && kind == 'K');
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(kind, 'P');
    EXPECT_EQ(pt[2], 9.0);

    ent e{};
    db_ptr entry = 0;
    ASSERT_EQ(select_ent("Pick an arc", 1, kEntArc, 1, &e, &entry), 1);
    EXPECT_EQ(e.id, arc.id);
    EXPECT_EQ(entry, arc.eptr);
    ASSERT_EQ(select_ent("*", 1, 0x1f1fff, 1, &e, &entry), 1);
    EXPECT_EQ(e.type, kEntPoint);
    EXPECT_EQ(select_ent("*", 1, 0x1f1fff, 1, &e, &entry), 0);
    EXPECT_TRUE(plat::driver().errors().empty());
    const auto& t = plat::driver().transcript();
    EXPECT_TRUE(t.contains("host.pick point (0,0,0) K"));
    EXPECT_TRUE(t.contains("host.pick point (7,8,9) P"));
    EXPECT_TRUE(t.contains("host.pick entity " + std::to_string(arc.id) + " type=4"));
    EXPECT_TRUE(t.contains("host.pick esc"));
}

TEST_F(Picks, AnEntityTheUserCouldNotPickIsAScriptError) {
    const ent point = storePoint(1, 2, 3);
    ent hidden = storePoint(4, 5, 6);
    hidden.sel |= kSelBlank;
    rewrite_ent(&hidden, 0);
    struct Case {
        std::uint32_t id;
        short sel;
        std::uint32_t mask;
    };
    for (const Case& c : {Case{point.id, 1, kEntArc}, Case{hidden.id, 1, kEntPoint}, Case{point.id, 4, kEntPoint},
                          Case{999, 1, 0x1f1fff}}) {
        plat::driver().reset();
        load(("entity " + std::to_string(c.id) + "\n").c_str());
        ent e{};
        EXPECT_EQ(select_ent("Pick", c.sel, c.mask, 1, &e, nullptr), 0) << c.id;
        ASSERT_EQ(plat::driver().errors().size(), 1u);
        EXPECT_NE(plat::driver().errors()[0].find("cannot be picked"), std::string::npos);
    }
    plat::driver().reset();
    load("point 1 2 3\n");
    EXPECT_EQ(select_ent("Pick", 1, kEntPoint, 1, nullptr, nullptr), 0) << "a point step is no entity pick";
    EXPECT_FALSE(plat::driver().errors().empty());
}

TEST_F(Picks, NewStepsParseAndMalformedOnesAreRefused) {
    plat::ParsedSession ok = plat::parseSession("point-entry K 1 2 3\nentity 12\n");
    ASSERT_EQ(ok.error, "");
    plat::Script built;
    built.pointEntry('K', 1, 2, 3).entity(12);
    ASSERT_EQ(ok.steps.size(), 2u);
    EXPECT_EQ(ok.steps[0].args, built.peek()->args);
    for (const char* bad : {"point-entry k 1 2 3", "point-entry KK 1 2 3", "point-entry K 1 2", "entity x", "entity"})
        EXPECT_NE(plat::parseSession(bad).error, "") << bad;
}

TEST_F(Picks, DraftingGlobalsAreSavedTakenFromADimensionAndRestored) {
    const dim_rec before = host::draftingGlobals();
    EXPECT_EQ(before.textHeight, 3.5);
    DraftGlobalsSave();
    dim_rec dim{};
    InitDIM(&dim);
    EXPECT_EQ(dim.arrowLength, 3.0);
    dim.textHeight = 1.6;
    DraftGlobalsFromDim(&dim);
    EXPECT_EQ(host::draftingGlobals().textHeight, 1.6);
    DraftGlobalsRestore();
    EXPECT_EQ(host::draftingGlobals().textHeight, 3.5);
    DraftGlobalsRestore();
    EXPECT_EQ(host::draftingLog(),
              (std::vector<std::string>{"save", "from-dim text=1.6 arrow=3x1 gap=1 overshoot=2 decimals=2",
                                        "restore text=3.5 arrow=3x1 gap=1 overshoot=2 decimals=2",
                                        "restore (nothing saved)"}));
}

}  // namespace
