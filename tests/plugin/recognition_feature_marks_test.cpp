// Feature marks made from coloured holes and from tap-drill cylinders overlapping a thread cylinder,
// on holes built in a 60 x 40 x 20 block from its top face. The marks land in the global mark list.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "plugin/model/feature_mark.h"
#include "plugin/model/tree.h"
#include "plugin/model/work_records.h"
#include "plugin/services/recognition.h"
#include "recognition_attributes_support.h"

namespace {

using namespace recog_p;

constexpr std::uint8_t kReamA = 11, kReamB = 12, kThreadAny = 13, kThreadMetric = 14, kThreadElsewhere = 15;

class FeatureMarksTest : public RecogPTest {
protected:
    void TearDown() override {
        freeFeatureMarkList(g_records->featureMarks);
        g_records->featureMarks = nullptr;
        g_records->featureMarkCount = 0;
        RecogPTest::TearDown();
    }
    POINT_LIST* hole(hb::HoleSpec spec, int colour) {
        spec.colour = colour;
        return addHole(built({60, 40, 20}, {spec})[0]);
    }
    static hb::HoleSpec through(double x, double d) {
        return hb::throughHole("T", {x, 10, 20}, {0, 0, -1}, d);
    }
    int colourMarks() {
        const std::uint8_t ream[kReamColourCount] = {kReamA, kReamB, 250, 250, 250, 250};
        const std::uint8_t thread[kThreadColourCount] = {kThreadAny, kThreadMetric, kThreadElsewhere};
        const std::string threadTables[kThreadColourCount] = {"", "metric", "OTHER"};
        const std::string reamTables[kReamColourCount] = {"REAM { H7 }", "no braces", "", "", "", ""};
        return createColorFeatureMarks(head, ream, thread, threadTables, reamTables);
    }
    static std::vector<FEATURE_MARK*> made() {
        std::vector<FEATURE_MARK*> out;
        for (FEATURE_MARK* m = g_records->featureMarks; m; m = m->next) out.push_back(m);
        return out;
    }
    static void expectTappedM8(const FEATURE_MARK* m, const CYL_LIST* from) {
        EXPECT_EQ(m->origin, 2);
        EXPECT_EQ(m->pendingMatch, 1);
        EXPECT_EQ(m->isTap, 1);
        EXPECT_EQ(m->isFit, 0);
        EXPECT_STREQ(m->threadName, "M8");
        EXPECT_DOUBLE_EQ(m->tapDiam, 8);
        EXPECT_DOUBLE_EQ(m->tapPitch, 1.25);
        EXPECT_EQ(m->threadKind, -1);
        for (int k = 0; k < 3; ++k) EXPECT_NEAR(m->point[k], from->cUniv[k], 1e-9);
        EXPECT_NEAR(m->direction[2], 1, 1e-12);
        EXPECT_DOUBLE_EQ(m->diameter, 2 * from->rSup);
        EXPECT_DOUBLE_EQ(m->length, from->zSup - from->zInf);
        EXPECT_DOUBLE_EQ(m->threadDepth, m->length);
    }
};

// ---- colours -----------------------------------------------------------------------------------------

TEST_F(FeatureMarksTest, AThreadColourLooksTheDrilledDiameterUpInTheThreadTables) {
    POINT_LIST* any = hole(through(10, 6.8), kThreadAny);            // no table named: all tables
    POINT_LIST* metric = hole(through(30, 6.8), kThreadMetric);      // the named table, any case
    hole(through(50, 6.8), kThreadElsewhere);                        // a table not loaded
    // A countersink (45 degrees) over a bore, both in the thread colour: the bore only.
    POINT_LIST* sunk = hole(hb::countersunk("C", {10, 30, 20}, {0, 0, -1}, 6.8, 10), kThreadAny);
    EXPECT_EQ(colourMarks(), 0);
    const auto marks = made();
    ASSERT_EQ(marks.size(), 3u);
    expectTappedM8(marks[0], any->firstCyl);
    expectTappedM8(marks[1], metric->firstCyl);
    expectTappedM8(marks[2], sunk->firstCyl->next);
    EXPECT_EQ(g_records->featureMarkCount, 3);
}

TEST_F(FeatureMarksTest, AReamColourGivesTheFitClassInBracesOfItsTable) {
    POINT_LIST* braced = hole(through(10, 10), kReamA);
    hole(through(30, 10), kReamB);
    hole(through(50, 10), 3);
    colourMarks();
    const auto marks = made();
    ASSERT_EQ(marks.size(), 1u);
    EXPECT_EQ(marks[0]->isFit, 1);
    EXPECT_EQ(marks[0]->isTap, 0);
    EXPECT_STREQ(marks[0]->fitClass, "H7");
    EXPECT_EQ(marks[0]->origin, 2);
    EXPECT_DOUBLE_EQ(marks[0]->diameter, 10);
    EXPECT_DOUBLE_EQ(marks[0]->length, braced->firstCyl->zSup - braced->firstCyl->zInf);
    EXPECT_EQ(marks[0]->threadDepth, 0);
}

TEST_F(FeatureMarksTest, AReamFaceBeforeAThreadFaceGivesBothMarksAThreadFaceEndsTheWalk) {
    CYL_LIST* both = hole(through(10, 6.8), kReamA)->firstCyl;
    CYL_LIST* threadFirst = hole(through(30, 6.8), kThreadAny)->firstCyl;
    for (CYL_LIST* c : {both, threadFirst}) {
        c->ents[1] = c->ents[0];
        c->ents[1].colour = c == both ? kThreadAny : kReamA;
        c->entCount = 2;
    }
    colourMarks();
    const auto marks = made();
    ASSERT_EQ(marks.size(), 3u);
    expectTappedM8(marks[0], both);
    EXPECT_STREQ(marks[1]->fitClass, "H7");
    expectTappedM8(marks[2], threadFirst);
}

// ---- tap-drill cylinders -----------------------------------------------------------------------------

class TapMarksTest : public FeatureMarksTest {
protected:
    // The tap drill with the thread cylinder recorded as its one overlap.
    CYL_LIST* tapped(double x, double drill, double thread, int overlaps = 1) {
        CYL_LIST* c = hole(through(x, drill), kNoColourHere)->firstCyl;
        c->ovlpCount = static_cast<std::int16_t>(overlaps);
        for (int i = 0; i < overlaps; ++i) {
            c->ovlp[i].zSup = c->zSup;
            c->ovlp[i].zInf = c->zSup - 12;
            c->ovlp[i].rSup = c->ovlp[i].rInf = thread / 2;
        }
        return c;
    }
    static constexpr int kNoColourHere = 0;
};

TEST_F(TapMarksTest, ATapDrillOverlappedByAThreadCylinderThatATableKnowsGivesATappedMark) {
    CYL_LIST* m8 = tapped(10, 6.8, 8);
    tapped(30, 6.8, 9);          // no such pair
    tapped(50, 6.8, 8, 2);       // two overlaps
    EXPECT_EQ(createTapFeatureMarks(head), 0);
    const auto marks = made();
    ASSERT_EQ(marks.size(), 1u);
    expectTappedM8(marks[0], m8);
}

TEST_F(TapMarksTest, TheTablesAreReadAfreshFromTheSecondOneOn) {
    // A thread table in first place is skipped; the metric table's file changed since it was loaded.
    writeTable("FIRST", 2, "X8 8 2.0 6.8\r\n");
    loadTables({"FIRST", "METRIC"});
    writeTable("METRIC", 2, "M8-fine 8 0.75 6.8\r\n");
    CYL_LIST* c = tapped(10, 6.8, 8);
    createTapFeatureMarks(head);
    const auto marks = made();
    ASSERT_EQ(marks.size(), 1u);
    EXPECT_STREQ(marks[0]->threadName, "M8-fine");
    EXPECT_DOUBLE_EQ(marks[0]->tapPitch, 0.75);
    EXPECT_DOUBLE_EQ(marks[0]->tapDiam, 8);
    EXPECT_DOUBLE_EQ(marks[0]->diameter, 2 * c->rSup);
}

}  // namespace
