// Thread and fit attributes from labels, named entities and coded names in the part, laid onto holes
// built in a 60 x 40 x 20 block from its top face. The thread table knows M6, M8, M10 and M8x1.
#include <gtest/gtest.h>

#include <string>

#include "plugin/model/tree.h"
#include "plugin/recognition/name_attribs.h"
#include "recognition_attributes_support.h"
#include "plugin/services/recognition.h"

namespace {

using namespace recog_p;

constexpr double kTapDrillM8 = 6.8;
constexpr std::int16_t kMetricTable = 1;   // the thread kind of the metric table

class NameAttribsTest : public RecogPTest {
protected:
    // A through hole of the M8 tap drill at (x, 10).
    POINT_LIST* tapDrill(double x = 10) {
        return addHole(built({60, 40, 20}, {hb::throughHole("T", {x, 10, 20}, {0, 0, -1}, kTapDrillM8)})[0]);
    }
    db_ptr store(ent& e, std::int32_t level = 1) {
        db_ptr entry = 0;
        char ok = 0;
        store_ent(&e, &entry, 0, 3, level, main_attrib, &ok);
        EXPECT_EQ(ok, 1);
        return entry;
    }
    // A label of two lines at `anchor` (world) with `radius`.
    db_ptr label(const std::string& line1, const std::string& line2, p_3d anchor, double radius,
                 std::int32_t level = 1) {
        ent e{};
        e.type = kEntDrafting;
        e.draft.subKind = 2;
        e.draft.text1 = line1;
        e.draft.text2 = line2;
        e.draft.anchor = anchor;
        e.draft.radius = radius;
        return store(e, level);
    }
    // A named entity whose nodes are points of view `view`.
    db_ptr named(const std::string& name, std::vector<p_3d> nodes, std::int16_t view = 1, std::int32_t level = 1) {
        ent e{};
        e.type = kEntNote;
        e.note.subKind = 2;
        e.note.name = name;
        e.note.view = view;
        for (const p_3d& p : nodes) e.note.nodes.push_back({p, 0});
        return store(e, level);
    }
    // A thread outcome is M8 as the table knows it; a fit keeps whatever thread data the segment had (none).
    template <class OUT>
    static void expectOutcome(const CYL_LIST* c, const OUT& out, std::size_t at) {
        SCOPED_TRACE(at);
        EXPECT_EQ(c->isTap, out.thread ? 1 : 0);
        EXPECT_EQ(c->isFit, out.fitClass ? 1 : 0);
        EXPECT_STREQ(c->threadName, out.thread ? out.thread : "");
        EXPECT_STREQ(c->fitClass, out.fitClass ? out.fitClass : "");
        EXPECT_EQ(c->attribSuffix, out.suffix);
        EXPECT_EQ(c->featureDepth, 0);
        if (out.thread) {
            EXPECT_DOUBLE_EQ(c->threadDiam, 8);
            EXPECT_DOUBLE_EQ(c->threadPitch, 1.25);
            EXPECT_EQ(c->threadTable, kMetricTable);
        }
    }
};

// ---- the coded-name grammar ----------------------------------------------------------------------------

TEST(NameHoleAttribGrammar, CodedNamesGiveAThreadOrAFitClass) {
    struct ROW {
        const char* name;
        bool valid;
        const char* fitClass;
        const char* thread;
        const char* number;
    };
    const ROW rows[] = {
        {"GD_M8_20", true, "", "M8", "20"},
        {"GS_M10x1_", true, "", "M10x1", ""},
        {"GF_M8_12,5", true, "", "M8", "12.5"},
        {"GD_M8", false, "", "", ""},
        {"GD__20", false, "", "", ""},
        {"PD_10H7_25", true, "H7", "", "25"},
        {"PS_H7_", true, "H7", "", ""},
        {"PF_12,5,1H6_3", true, "H6", "", "3"},
        {"PD_10H7", false, "", "", ""},
        {"S2D_10_H7_25", true, "H7", "", "25"},
        {"S2F_10H7_25", true, "H7", "", "25"},
        {"S2S_10_H7", false, "", "", ""},
        {"S2D_H7_25", false, "", "", ""},
        {"gd_M8_20", false, "", "", ""},
        {"XD_M8_20", false, "", "", ""},
        {"", false, "", "", ""},
    };
    for (const ROW& row : rows) {
        std::string fitClass = "old", thread = "old", number = "old";
        EXPECT_EQ(parseNameHoleAttrib(row.name, fitClass, thread, number), row.valid) << row.name;
        if (row.valid) {
            EXPECT_EQ(fitClass, row.fitClass) << row.name;
            EXPECT_EQ(thread, row.thread) << row.name;
            EXPECT_EQ(number, row.number) << row.name;
        }
    }
    // The P form's leading number is skipped, with its first comma read as a point.
    std::string fitClass, thread, number;
    ASSERT_TRUE(parseNameHoleAttrib("PD_12,5H7_", fitClass, thread, number));
    EXPECT_EQ(fitClass, "H7");
    EXPECT_EQ(number, "12.5");
    // Outputs are cleared even when the name is no code.
    EXPECT_FALSE(parseNameHoleAttrib("nothing", fitClass, thread, number));
    EXPECT_EQ(fitClass, "");
    EXPECT_EQ(number, "");
}

TEST(NameHoleAttribGrammar, FreeTextsWithAnUpperCaseHAreFitsAndOthersThreads) {
    std::string fitClass = "x", thread = "x";
    EXPECT_TRUE(splitFitOrThread("10H7 ream", fitClass, thread));
    EXPECT_EQ(fitClass, "10H7");
    EXPECT_EQ(thread, "");
    EXPECT_TRUE(splitFitOrThread("  M8 x 20", fitClass, thread));
    EXPECT_EQ(fitClass, "");
    EXPECT_EQ(thread, "M8");
    EXPECT_TRUE(splitFitOrThread("h7", fitClass, thread));
    EXPECT_EQ(thread, "h7");
    EXPECT_FALSE(splitFitOrThread("   ", fitClass, thread));
    EXPECT_EQ(thread, "");
}

// ---- sources on real holes ---------------------------------------------------------------------------

// What a hole ends with: tapped M8, a fit of that class, or nothing.
struct OUTCOME {
    const char* thread;
    const char* fitClass;
    int suffix;
};
constexpr OUTCOME kM8{"M8", nullptr, 0}, kNothing{nullptr, nullptr, 0};

TEST_F(NameAttribsTest, LabelsOnAHoleEndWithItsRadiusGiveTheirAttribute) {
    struct CASE {
        const char* line1;
        const char* line2;
        double dx, z, dr;   // anchor off the axis, its height, radius off the hole's
        OUTCOME outcome;
    };
    const CASE cases[] = {
        {"M8", "", 0, 20, 0, kM8},
        {"M8", "", 0, 0, 0, kM8},                    // at the exit
        {"M8", "", 0, 20, 2 * kT, kNothing},
        {"M8", "", 2 * kT, 20, 0, kNothing},
        {"ream", "H7", 0, 20, 0, {nullptr, "", 0}},  // a fit without class
        {"M8", "H7", 0, 20, 0, kM8},                 // a known thread wins over the H
        {"M8 thru", "", 0, 20, 0, {"M8", nullptr, 1}},   // "THRU" holds an H: only the cut keeps it a thread
        {"deburr", "", 0, 20, 0, kNothing},
    };
    std::vector<hb::HoleSpec> specs;
    for (std::size_t i = 0; i < std::size(cases); ++i)
        specs.push_back(hb::throughHole("T", {10.0 + 20 * (i % 4), 10.0 + 20 * (i / 4), 20}, {0, 0, -1}, kTapDrillM8));
    std::vector<POINT_LIST*> holes;
    for (const hb::HoleSpec& spec : built({80, 40, 20}, specs)) holes.push_back(addHole(spec));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const CASE& c = cases[i];
        label(c.line1, c.line2, {specs[i].entry[0] + c.dx, specs[i].entry[1], c.z}, kTapDrillM8 / 2 + c.dr);
    }
    EXPECT_EQ(readNameHoleAttribs(head), 0);
    for (std::size_t i = 0; i < std::size(cases); ++i) expectOutcome(holes[i]->firstCyl, cases[i].outcome, i);
}

TEST_F(NameAttribsTest, NamedEntitiesAndCodedNamesGiveTheirAttributeWhereANodeTouchesTheHole) {
    struct CASE {
        const char* name;
        double dx, z;        // the node off the axis (along x) and its height
        OUTCOME outcome;
    };
    const CASE cases[] = {
        {"GD_M8_20", 0, 20, kM8},
        {"GD_M9_20", 0, 20, kNothing},                 // a thread the tables do not know
        {"GD_M8", 0, 20, kNothing},                    // no code
        {"10H7 TYP", 0, 20, {nullptr, "10H7", 1}},
        {"PD_10H7_25", 0, 20, {nullptr, "H7", 0}},     // the free name "PD_10H7_25", then the code: H7
        {"M8", kTapDrillM8 / 2, 20, kM8},              // on the rim
        {"M8", 0, 0, kM8},                             // at the exit
        {"M8", kTapDrillM8 / 4, 20, kNothing},         // neither on the axis nor on the rim
    };
    std::vector<hb::HoleSpec> specs;
    for (std::size_t i = 0; i < std::size(cases); ++i)
        specs.push_back(hb::throughHole("T", {10.0 + 20 * (i % 4), 10.0 + 20 * (i / 4), 20}, {0, 0, -1}, kTapDrillM8));
    std::vector<POINT_LIST*> holes;
    for (const hb::HoleSpec& spec : built({80, 40, 20}, specs)) holes.push_back(addHole(spec));
    for (std::size_t i = 0; i < std::size(cases); ++i)
        named(cases[i].name, {{specs[i].entry[0] + cases[i].dx, specs[i].entry[1], cases[i].z}});
    readNameHoleAttribs(head);
    for (std::size_t i = 0; i < std::size(cases); ++i) expectOutcome(holes[i]->firstCyl, cases[i].outcome, i);
}

TEST_F(NameAttribsTest, NodesComeFromTheirViewOrFromAPointEntityAndMayMarkADrillTip) {
    const auto holes = built({60, 40, 20}, {hb::throughHole("exit", {10, 10, 20}, {0, 0, -1}, kTapDrillM8),
                                            hb::throughHole("ref", {30, 10, 20}, {0, 0, -1}, kTapDrillM8),
                                            hb::blindTipped("tip", {50, 10, 20}, {0, 0, -1}, kTapDrillM8, 12)});
    POINT_LIST* exit = addHole(holes[0]);
    POINT_LIST* ref = addHole(holes[1]);
    POINT_LIST* tip = addHole(holes[2]);
    // The exit in the bottom view's coordinates (x along +X, y along -Y, z down).
    named("M8", {{10, -10, 0}}, 4);
    // A node that refers to a point: its own coordinates do not count.
    ent pt{};
    pt.type = kEntPoint;
    pt.pt.pt = {30, 10, 20};
    const db_ptr pointEntry = store(pt);
    ent e{};
    e.type = kEntNote;
    e.note.subKind = 2;
    e.note.name = "M8";
    e.note.nodes.push_back({{99, 99, 99}, pointEntry});
    store(e);
    // The point of the drill tip below the bore marks the bore.
    named("M8", {{50, 10, lastCyl(tip)->zInf}});
    readNameHoleAttribs(head);
    expectOutcome(exit->firstCyl, kM8, 0);
    expectOutcome(ref->firstCyl, kM8, 1);
    expectOutcome(tip->firstCyl, kM8, 2);
}

TEST_F(NameAttribsTest, CodedNamesCountOnHiddenLevelsAndFreeNamesOnlyOnVisibleOnes) {
    POINT_LIST* coded = tapDrill(10);
    POINT_LIST* free = tapDrill(30);
    named("GD_M8_20", {{10, 10, 20}}, 1, 7);
    named("M8", {{30, 10, 20}}, 1, 7);
    set_level_visible(7, 0);
    readNameHoleAttribs(head);
    expectOutcome(coded->firstCyl, kM8, 0);
    expectOutcome(free->firstCyl, kNothing, 1);
}

TEST_F(NameAttribsTest, ManyHolesEachTakeTheirOwnLabel) {
    const char* threads[] = {"M6", "M8", "M10"};
    std::vector<hb::HoleSpec> specs;
    for (int i = 0; i < 24; ++i)
        specs.push_back(hb::throughHole("h", {5.0 + 7 * (i % 8), 6.0 + 12 * (i / 8), 20}, {0, 0, -1}, 5));
    specs.push_back(hb::throughHole("unlabelled", {30, 38, 20}, {0, 0, -1}, 2));
    std::vector<POINT_LIST*> holes;
    for (const hb::HoleSpec& s : built({60, 40, 20}, specs)) holes.push_back(addHole(s));
    for (std::size_t i = 0; i < 24; ++i) label(threads[i % 3], "", {specs[i].entry[0], specs[i].entry[1], 20}, 2.5);
    readNameHoleAttribs(head);
    for (std::size_t i = 0; i < 24; ++i) EXPECT_STREQ(holes[i]->firstCyl->threadName, threads[i % 3]) << i;
    expectOutcome(holes[24]->firstCyl, kNothing, 24);
}

}  // namespace
