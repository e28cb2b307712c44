// Feature marks in a loaded plug-in's part: drawn as coded arcs and notes, found, deleted, turned round,
// checked against the part after the host renumbered it, rid of duplicates, and kept in the part across a
// save and a reopen. Metric tolerances, T = 0.025.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <numbers>
#include <vector>

#include "host/api.h"
#include "host/state.h"
#include "plugin/base/entity_utils.h"
#include "plugin/base/globals.h"
#include "plugin/cycle/exports.h"
#include "plugin/cycle/main_menu.h"
#include "plugin/cycle/work_cycle.h"
#include "plugin/features/feature_marks.h"
#include "plugin/model/feature_mark.h"
#include "plugin/model/work_records.h"
#include "plugin/services/features.h"
#include "support/recognition_fixture.h"

namespace {

constexpr int kReamColour = 9;

class MarkListTest : public RecognitionFixture {
protected:
    void SetUp() override {
        RecognitionFixture::SetUp();
        g_globals->settings.reamArcColour = kReamColour;
    }
    void TearDown() override {
        if (g_globals.constructed()) {
            freeFeatureMarkList(g_records->featureMarks);
            g_records->featureMarks = nullptr;
            g_records->featureMarkCount = 0;
        }
        RecognitionFixture::TearDown();
    }

    // A mark from above (view 1) at (x, y, 10), 8 deep.
    static FEATURE_MARK at(double x, double y, double dirZ = 1) {
        FEATURE_MARK m{};
        m.origin = 1;
        m.point[0] = x, m.point[1] = y, m.point[2] = 10;
        m.direction[2] = dirZ;
        m.length = 8;
        m.diameter = 10;
        return m;
    }
    static FEATURE_MARK tapped(double x, double y) {
        FEATURE_MARK m = at(x, y);
        m.isTap = 1;
        m.tapDiam = 8;
        m.tapPitch = 1.25;
        m.threadKind = 1;
        m.threadDepth = 6;
        std::strcpy(m.threadName, "M8");
        return m;
    }
    static FEATURE_MARK fitted(double x, double y, double diameter = 10, const char* fitClass = "H7") {
        FEATURE_MARK m = at(x, y);
        m.isFit = 1;
        m.diameter = diameter;
        std::strcpy(m.fitClass, fitClass);
        return m;
    }
    static FEATURE_MARK* add(const FEATURE_MARK& m, std::uint8_t draw = 1) {
        FEATURE_MARK* added = addFeatureMark(m, draw, 0);
        EXPECT_NE(added, nullptr);
        return added;
    }
    static ent read(std::uint32_t id, std::uint32_t mask = kEntArc) {
        ent e{};
        EXPECT_TRUE(readEntById(id, mask, e)) << "entity " << id;
        return e;
    }
    static bool exists(std::uint32_t id, std::uint32_t mask = kEntArc) {
        ent e{};
        return readEntById(id, mask, e);
    }
    static std::vector<FEATURE_MARK*> marks() { return listedMarks(g_records->featureMarks); }
    static int arcCount() {
        int n = 0;
        for (const ent& e : host::allEntities()) n += e.type == kEntArc && !host::isKept(e.eptr);
        return n;
    }
};

// ---- drawing ------------------------------------------------------------------------------------------------

TEST_F(MarkListTest, ATappedAndFittedMarkDrawsItsThreadArcFirstThenItsCircleAndNote) {
    FEATURE_MARK both = fitted(20, 30);
    both.isTap = 1;
    both.tapDiam = 12;
    FEATURE_MARK* m = add(both);
    ASSERT_EQ(m->arcEntCount, 2);
    EXPECT_EQ(m->level, main_level);

    const ent thread = read(m->arcEnts[0]);
    EXPECT_EQ(thread.color, kThreadArcColour);
    EXPECT_DOUBLE_EQ(thread.arc.r, 6);
    EXPECT_EQ(arcMarkKey(kThreadArcBase, thread.arc.sw), thread.id);
    EXPECT_NEAR(thread.arc.sw, 3 * std::numbers::pi / 2, 1e-4);

    const ent circle = read(m->arcEnts[1]);
    EXPECT_EQ(circle.color, kReamColour);
    EXPECT_DOUBLE_EQ(circle.arc.r, 5);
    EXPECT_EQ(arcMarkKey(kFitCircleBase, circle.arc.sw), circle.id);
    EXPECT_DOUBLE_EQ(circle.attrib.tag, kMarkArcTag);

    const ent note = read(m->noteEnt, kEntNote);
    EXPECT_STREQ(mTableFindData(note.note.text), "H7");
    EXPECT_EQ(note.color, kReamColour);
}

TEST_F(MarkListTest, TheNoteIsAsHighAsTheCircleAllowsAndSitsHalfItsHeightBelowAndLeftOfTheCentre) {
    struct CASE {
        double diameter, height;
    } const cases[] = {{10, 5.0}, {4, 2.5}, {40, 5.0}};
    for (const CASE& c : cases) {
        FEATURE_MARK* m = add(fitted(20, 30, c.diameter));
        const ent note = read(m->noteEnt, kEntNote);
        EXPECT_DOUBLE_EQ(note.note.height, c.height) << c.diameter;
        EXPECT_NEAR(note.note.pos.x, 20 - c.height / 2, 1e-9) << c.diameter;
        EXPECT_NEAR(note.note.pos.y, 30 - c.height / 2, 1e-9) << c.diameter;
    }
}

TEST_F(MarkListTest, AFittedMarkWithoutAClassHasNoNoteAndItsNoteIdIsNeverItsOwn) {
    FEATURE_MARK bare = fitted(0, 0, 10, "");
    FEATURE_MARK* m = add(bare);
    ASSERT_EQ(m->arcEntCount, 1);
    EXPECT_EQ(m->noteEnt, 0u);
    m->noteEnt = 4242;   // meaningless while the class is empty
    EXPECT_EQ(findFeatureMarkByEntity(4242), nullptr);
    EXPECT_EQ(findFeatureMarkByEntity(m->arcEnts[0]), m);

    FEATURE_MARK* classed = add(fitted(50, 0));
    EXPECT_EQ(findFeatureMarkByEntity(classed->noteEnt), classed);
    FEATURE_MARK* neither = add(at(80, 0));
    EXPECT_EQ(neither->arcEntCount, 0);   // nothing to draw
    EXPECT_EQ(findFeatureMarkByEntity(0), nullptr);
}

// ---- deleting and turning -----------------------------------------------------------------------------------

TEST_F(MarkListTest, DeletingAMarkTakesItsArcsAndNoteAndLeavesAForeignMarkAlone) {
    FEATURE_MARK* first = add(tapped(0, 0));
    FEATURE_MARK* second = add(fitted(30, 0));
    const std::uint32_t circle = second->arcEnts[0], note = second->noteEnt;
    ASSERT_EQ(arcCount(), 2);

    FEATURE_MARK stranger = fitted(60, 0);
    EXPECT_EQ(deleteFeatureMark(&stranger), 0);
    EXPECT_EQ(g_records->featureMarkCount, 2);

    deleteFeatureMark(second);
    EXPECT_EQ(marks(), std::vector<FEATURE_MARK*>{first});
    EXPECT_EQ(g_records->featureMarkCount, 1);
    EXPECT_FALSE(exists(circle));
    EXPECT_FALSE(exists(note, kEntNote));
    EXPECT_EQ(arcCount(), 1);
}

TEST_F(MarkListTest, ATurnedMarkStartsAtTheOldBottomLooksTheOtherWayAndKeepsItsLevel) {
    FEATURE_MARK* m = addFeatureMark(tapped(5, 6), 1, 7);
    ASSERT_EQ(m->level, 7);
    const std::uint32_t oldArc = m->arcEnts[0];
    FEATURE_MARK* turned = reverseFeatureMark(m);
    ASSERT_NE(turned, nullptr);
    EXPECT_EQ(marks(), std::vector<FEATURE_MARK*>{turned});
    EXPECT_DOUBLE_EQ(turned->point[2], 2);
    EXPECT_DOUBLE_EQ(turned->direction[2], -1);
    EXPECT_EQ(turned->level, 7);
    EXPECT_FALSE(exists(oldArc));
    EXPECT_EQ(read(turned->arcEnts[0]).level, 7);
}

// ---- the list's count ---------------------------------------------------------------------------------------

TEST_F(MarkListTest, AListLongerThanItsCountIsCutAtTheCount) {
    add(tapped(0, 0), 0);
    add(tapped(10, 0), 0);
    FEATURE_MARK* third = add(tapped(20, 0), 0);
    g_records->featureMarkCount = 2;   // the third is beyond what the list counts
    EXPECT_EQ(marks().size(), 2u);
    EXPECT_FALSE(isListedMark(third));
    EXPECT_EQ(g_records->featureMarks->next->next, nullptr);
    add(tapped(30, 0), 0);
    EXPECT_EQ(g_records->featureMarkCount, 3);
    EXPECT_EQ(marks().size(), 3u);
}

// ---- checks against the part --------------------------------------------------------------------------------

TEST_F(MarkListTest, MarksFindTheirArcsAgainAfterTheHostRenumbersThePart) {
    FEATURE_MARK* tap = add(tapped(0, 0));
    FEATURE_MARK both = fitted(40, 0);
    both.isTap = 1;
    both.tapDiam = 12;
    FEATURE_MARK* fit = add(both);
    const db_ptr tapEntry = findEntById(tap->arcEnts[0], 1, kEntArc);
    const db_ptr circleEntry = findEntById(fit->arcEnts[1], 1, kEntArc);
    const std::uint32_t oldTap = tap->arcEnts[0];

    host::renumberIds(500);
    ent now{};
    ASSERT_EQ(get_ent_from_eptr(tapEntry, &now), 1);
    ASSERT_NE(now.id, oldTap);

    g_records->featureMarks = projectHolesToView(nullptr, g_records->featureMarks, 0);
    ASSERT_EQ(marks().size(), 2u);
    EXPECT_EQ(tap->arcEnts[0], now.id);
    EXPECT_EQ(arcMarkKey(kThreadArcBase, read(now.id).arc.sw), now.id);
    ent circle{};
    ASSERT_EQ(get_ent_from_eptr(circleEntry, &circle), 1);
    EXPECT_EQ(fit->arcEnts[1], circle.id);
    EXPECT_EQ(arcMarkKey(kFitCircleBase, circle.arc.sw), circle.id);
    EXPECT_EQ(findFeatureMarkByEntity(circle.id), fit);
}

TEST_F(MarkListTest, DroppingOrigin2RemovesOnlyImportedMarksAndTheirEntities) {
    FEATURE_MARK imported = tapped(0, 0);
    imported.origin = 2;
    FEATURE_MARK* own1 = add(tapped(10, 0));
    FEATURE_MARK* gone1 = add(imported);
    imported.point[0] = 20;
    FEATURE_MARK* gone2 = add(imported);
    FEATURE_MARK* own2 = add(fitted(30, 0));
    const std::uint32_t goneArc = gone1->arcEnts[0];
    (void)gone2;

    g_records->featureMarks = projectHolesToView(nullptr, g_records->featureMarks, 2);
    EXPECT_EQ(marks(), (std::vector<FEATURE_MARK*>{own1, own2}));
    EXPECT_EQ(g_records->featureMarkCount, 2);
    EXPECT_FALSE(exists(goneArc));
    EXPECT_EQ(arcCount(), 2);
}

TEST_F(MarkListTest, MarksWhoseArcsOrSolidsAreGoneAreDroppedAndALooseArcIsAdopted) {
    FEATURE_MARK* arcGone = add(tapped(0, 0));
    FEATURE_MARK solidless = tapped(10, 0);
    solidless.solidEntCount = 1;
    solidless.solidEnts[0] = 999999;
    add(solidless);
    FEATURE_MARK* nothingDrawn = add(at(20, 0));
    // A mark that never had an arc takes the thread arc lying on its point.
    FEATURE_MARK* adopter = add(tapped(30, 0), 0);
    FEATURE_MARK* source = add(tapped(30, 0));
    const std::uint32_t loose = source->arcEnts[0];
    source->arcEntCount = 0;   // the arc is the part's now, not this mark's
    source->arcEnts[0] = 0;
    deleteFeatureMark(source);
    delete_ent(findEntById(arcGone->arcEnts[0], 1, kEntArc), 0, 0, 0, nullptr, 0);
    (void)nothingDrawn;

    g_records->featureMarks = projectHolesToView(nullptr, g_records->featureMarks, 0);
    EXPECT_EQ(marks(), std::vector<FEATURE_MARK*>{adopter});
    EXPECT_EQ(adopter->arcEntCount, 1);
    EXPECT_EQ(adopter->arcEnts[0], loose);
}

TEST_F(MarkListTest, MarksFollowArcsTheUserMoved) {
    FEATURE_MARK* m = add(tapped(0, 0));
    ent arc = read(m->arcEnts[0]);
    arc.arc.c.x = 15;
    arc.arc.c.y = -4;
    ASSERT_EQ(rewrite_ent(&arc, 0), 1);
    featureMarksToView(g_records->featureMarks);
    EXPECT_NEAR(m->point[0], 15, 1e-9);
    EXPECT_NEAR(m->point[1], -4, 1e-9);
    EXPECT_NEAR(m->direction[2], 1, 1e-9);
}

// An arc a damaged part gives no finite centre does not move its mark: the mark keeps the point it had.
TEST_F(MarkListTest, AnArcWithoutAFiniteCentreLeavesItsMarkWhereItWas) {
    for (const double bad : {std::nan(""), HUGE_VAL}) {
        FEATURE_MARK* m = add(tapped(5, 6));
        ent arc = read(m->arcEnts[0]);
        arc.arc.c.x = bad;
        ASSERT_EQ(rewrite_ent(&arc, 0), 1);
        featureMarksToView(g_records->featureMarks);
        EXPECT_EQ(m->point[0], 5);
        EXPECT_EQ(m->point[1], 6);
        EXPECT_EQ(m->point[2], 10);
    }
}

TEST_F(MarkListTest, RecolouringGivesFittedMarksArcsTheFeatureColourOnly) {
    FEATURE_MARK* fit = add(fitted(0, 0));
    FEATURE_MARK* tap = add(tapped(30, 0));
    g_globals->settings.reamArcColour = 4;
    redrawFeatureMarks(g_records->featureMarks);
    EXPECT_EQ(read(fit->arcEnts[0]).color, 4);
    EXPECT_EQ(read(tap->arcEnts[0]).color, kThreadArcColour);
    EXPECT_EQ(read(fit->noteEnt, kEntNote).color, kReamColour);   // notes keep theirs
}

// ---- duplicates ---------------------------------------------------------------------------------------------

TEST_F(MarkListTest, OfTwoImportedMarksThatMatchTheShorterOrTheEarlierStays) {
    struct CASE {
        double first, second;
        int kept;   // 0 the first, 1 the second
    } const cases[] = {{10, 12, 0}, {12, 10, 1}, {10, 10, 0}};
    for (const CASE& c : cases) {
        FEATURE_MARK a = tapped(0, 0), b = tapped(0.01, 0);
        a.length = c.first;
        b.length = c.second;
        b.diameter = 99;   // the diameter is not compared
        FEATURE_MARK* ma = add(a, 0);
        FEATURE_MARK* mb = add(b, 0);
        FEATURE_MARK* elsewhere = add(tapped(0.1, 0), 0);
        EXPECT_EQ(matchImportedFeatures(), 1);
        EXPECT_EQ(marks(), (std::vector<FEATURE_MARK*>{c.kept == 0 ? ma : mb, elsewhere}));
        freeFeatureMarkList(g_records->featureMarks);
        g_records->featureMarks = nullptr;
        g_records->featureMarkCount = 0;
    }
}

TEST_F(MarkListTest, MarksThatDifferInDirectionOrThreadAreNoDuplicates) {
    FEATURE_MARK other = tapped(0, 0);
    other.direction[2] = -1;
    add(tapped(0, 0), 0);
    add(other, 0);
    FEATURE_MARK m10 = tapped(0, 0);
    std::strcpy(m10.threadName, "M10");
    add(m10, 0);
    EXPECT_EQ(matchImportedFeatures(), 0);
    EXPECT_EQ(marks().size(), 3u);
}

TEST_F(MarkListTest, ACoincidentMarkGivesWayToTheLaterOne) {
    add(tapped(0, 0), 0);
    FEATURE_MARK* later = add(tapped(0.01, 0), 0);
    FEATURE_MARK* fit = add(fitted(0, 0), 0);   // another kind at the same place
    EXPECT_EQ(removeCoincidentMarks(g_records->featureMarks), 1);
    EXPECT_EQ(marks(), (std::vector<FEATURE_MARK*>{later, fit}));
}

TEST_F(MarkListTest, FeatureDataAreComparedAndCopiedWithoutPlaceOrClass) {
    FEATURE_MARK a = tapped(0, 0), b = tapped(50, 20);
    b.length = 30;
    std::strcpy(b.fitClass, "H9");
    EXPECT_TRUE(sameFeatureData(a, b));
    b.threadDepth = 9;
    EXPECT_FALSE(sameFeatureData(a, b));
    copyFeatureData(b, a);
    EXPECT_TRUE(sameFeatureData(a, b));
    EXPECT_DOUBLE_EQ(b.point[0], 50);
    EXPECT_DOUBLE_EQ(b.length, 30);
    EXPECT_STREQ(b.fitClass, "H9");
    b.threadName[0] = 0;   // an empty designation matches any
    EXPECT_TRUE(sameFeatureData(a, b));
}

// ---- the codec ----------------------------------------------------------------------------------------------

TEST(FeatureMarkImage, TheFieldsLieAtTheirStoredPlaces) {
    FEATURE_MARK m{};
    m.origin = 2;
    m.solidEntCount = 1;
    m.solidEnts[0] = 0x01020304;
    m.point[1] = 1.5;
    m.fitDiameter = 2.5;
    m.threadKind = -1;
    m.arcEnts[1] = 77;
    m.arcEntCount = 2;
    m.level = 9;
    m.pendingMatch = 1;
    std::strcpy(m.threadName, "M8");
    m.noteEnt = 5;
    std::strcpy(m.fitClass, "H7");
    const auto image = featureMarkData(m);
    auto at = [&](std::size_t offset, auto value) {
        std::memcpy(&value, image.data() + offset, sizeof value);
        return value;
    };
    EXPECT_EQ(at(0, std::int16_t{}), 2);
    EXPECT_EQ(at(4, std::uint32_t{}), 0x01020304u);
    EXPECT_EQ(at(44, double{}), 1.5);
    EXPECT_EQ(at(101, double{}), 2.5);
    EXPECT_EQ(at(110, std::int16_t{}), -1);
    EXPECT_EQ(at(138, std::uint32_t{}), 77u);
    EXPECT_EQ(at(142, std::int16_t{}), 2);
    EXPECT_EQ(at(144, std::int32_t{}), 9);
    EXPECT_EQ(image[156], 1);
    EXPECT_EQ(image[157], 'M');
    EXPECT_EQ(at(191, std::uint32_t{}), 5u);
    EXPECT_EQ(image[195], 'H');
    FEATURE_MARK back;
    ASSERT_TRUE(featureMarkFromImage(image.data(), image.size(), back));
    EXPECT_EQ(featureMarkData(back), image);
}

TEST(FeatureMarkImage, BytesThatMakeNoMarkAreRefusedAndAShortImageHasItsTailZeroed) {
    FEATURE_MARK m{};
    std::strcpy(m.fitClass, "H7");
    m.threadDepth = 3;
    const auto good = featureMarkData(m);
    struct CASE {
        const char* what;
        std::size_t at;
        std::uint8_t byte;
    } const cases[] = {{"solid count 9", 2, 9}, {"arc count 3", 142, 3}, {"negative count", 3, 0x80},
                       {"thread name unterminated", 190, 'x'}, {"fit class unterminated", 226, 'x'},
                       {"depth not finite", 155, 0x7F}};
    for (const CASE& c : cases) {
        auto bad = good;
        if (c.at == 190) std::memset(bad.data() + 157, 'x', 34);
        else if (c.at == 226) std::memset(bad.data() + 195, 'x', 32);
        else if (c.at == 155) std::memset(bad.data() + 148, 0xFF, 8);
        else bad[c.at] = c.byte;
        FEATURE_MARK out{};
        out.origin = 5;
        EXPECT_FALSE(featureMarkFromImage(bad.data(), bad.size(), out)) << c.what;
        EXPECT_EQ(out.origin, 5) << c.what;   // untouched
    }
    FEATURE_MARK out{};
    EXPECT_FALSE(featureMarkFromImage(good.data(), FEATURE_MARK::kSize + 1, out));
    ASSERT_TRUE(featureMarkFromImage(good.data(), 150, out));
    EXPECT_EQ(out.threadDepth, 0);   // its bytes were beyond the short image
    EXPECT_EQ(out.fitClass[0], 0);
}

// ---- kept in the part ---------------------------------------------------------------------------------------

using MarkListKeptTest = MarkListTest;

TEST_F(MarkListKeptTest, ThreeMarksComeBackInOrderWithTheirDataAndFindTheirArcs) {
    pausedInvocation();
    FEATURE_MARK both = fitted(40, 0);
    both.isTap = 1;
    both.tapDiam = 12;
    FEATURE_MARK imported = tapped(0, 0);
    imported.origin = 2;
    imported.pendingMatch = 1;
    for (const FEATURE_MARK& m : {imported, fitted(20, 0), both}) add(m);
    std::vector<std::array<std::uint8_t, FEATURE_MARK::kSize>> saved;
    for (FEATURE_MARK* m : marks()) saved.push_back(featureMarkData(*m));
    closingInvocation();
    EXPECT_EQ(g_records->featureMarks, nullptr);

    reopenPart();
    pausedInvocation();
    expectScriptPlayed();
    std::vector<std::array<std::uint8_t, FEATURE_MARK::kSize>> loaded;
    for (FEATURE_MARK* m : marks()) loaded.push_back(featureMarkData(*m));
    EXPECT_EQ(loaded, saved);
    ASSERT_EQ(g_records->featureMarkCount, 3);
    for (FEATURE_MARK* m : marks())
        for (int i = 0; i < m->arcEntCount; ++i) EXPECT_EQ(findFeatureMarkByEntity(m->arcEnts[i]), m);
    g_records->featureMarks = projectHolesToView(nullptr, g_records->featureMarks, 0);
    EXPECT_EQ(g_records->featureMarkCount, 3);
}

}  // namespace
