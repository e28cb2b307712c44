// Recognition as the user runs it: Execute on the main menu of a loaded plug-in, on builder parts and on
// STEP files. The run ends with its summary (the tools the test host lacks), the process tree follows, and the
// tree is saved with the part at the end of the work cycle; a Cancel on the wait dialog leaves no tree, and a
// part without holes is told why. The shipped library's processes land in the part: a countersink is cut to
// its cone, and a fit table the library lacks is told once per run.
#include <gtest/gtest.h>

#include <string>

#include "host/geom/step_io.h"
#include "plugin/base/message_box.h"
#include "plugin/cycle/records.h"
#include "plugin/engine/engine_state.h"
#include "plugin/model/ope_list.h"
#include "plugin/model/tree.h"
#include "plugin/model/work_records.h"
#include "recognition_pipeline_support.h"
#include "plugin/services/engine.h"
#include "support/execute_session.h"
#include "support/part_notes.h"

namespace {

using namespace recog_q;

class RecogSessionTest : public ExecuteSessionFixture {
protected:
    static void storePart(const PartBuilder& builder) {
        const BuiltPart part = builder.build();
        ASSERT_TRUE(part.ok()) << part.error;
        ASSERT_NE(host::storeSolidEntity(part.solid, 3, 1, "part"), 0u);
    }
    static void openStep(const char* title) {
        ASSERT_EQ(host::openStepAsPart(std::string(FX_SOURCE_DIR) + "/data/examples/" + title + ".step"), "");
    }
    static std::vector<HOLE> fromView(const std::vector<HOLE>& holes, int viewNumber) {
        std::vector<HOLE> out;
        for (const HOLE& h : holes)
            if (h.viewNumber == viewNumber) out.push_back(h);
        return out;
    }
    // Saves the part to a file, opens it again and reads the recognition tree back from its records.
    std::vector<HOLE> holesKeptInThePart() {
        const std::string path = dir.path() + "/part.pfp";
        EXPECT_TRUE(host::savePart(path).ok);
        host::newPart();
        EXPECT_TRUE(host::openPart(path).ok);
        VIEW_LIST* tree = nullptr;
        loadAllRecords(&tree);
        expectWellFormed(tree);
        std::vector<HOLE> holes = holesOf(tree);
        freeViewsTree(tree);
        return holes;
    }
    // The operations of the hole of the top view at (x, y), as the part keeps them.
    struct OP {
        std::uint32_t type;
        double toolDiam, angleDeg, zSup, zInf;
        double profile[5];
    };
    static std::vector<OP> operationsKept(double x, double y) {
        VIEW_LIST* tree = nullptr;
        loadAllRecords(&tree);
        std::vector<OP> ops;
        for (VIEW_LIST* v = tree; v; v = v->next)
            for (POINT_LIST* p = v->firstPoint; v->viewNumber == 1 && p; p = p->next)
                if (std::fabs(p->ptView[0] - x) < 1e-6 && std::fabs(p->ptView[1] - y) < 1e-6)
                    for (const OPE_LIST* o = p->opeList; o; o = o->next)
                        ops.push_back({o->toolType, o->toolDiam, o->angleDeg, o->zSup, o->zInf,
                                       {o->profile[0], o->profile[1], o->profile[2], o->profile[3], o->profile[4]}});
        freeViewsTree(tree);
        return ops;
    }
};

TEST_F(RecogSessionTest, ExecuteTellsWhatWasFoundShowsTheProcessTreeAndSavesTheTreeWithThePart) {
    storePart(exampleParts().front().builder);
    load();
    executeOnce();
    EXPECT_TRUE(transcript().contains("tools were not found.")) << host::messageLine();
    EXPECT_EQ(count("dialog.show 18021"), 1);
    EXPECT_EQ(g_records->viewsTree, nullptr);   // the cycle ended: saved and released

    const std::vector<HOLE> kept = fromView(holesKeptInThePart(), 1);
    ASSERT_EQ(kept.size(), 11u);
    int lowest = kept.front().id;
    for (const HOLE& h : kept) {
        EXPECT_EQ(h.viewNumber, 1);
        lowest = std::min(lowest, h.id);
    }
    EXPECT_EQ(lowest, 1);   // the command starts counting at 1
    // The counterbore M6 at (90, 15): its wide wall over the through hole.
    auto cb = std::find_if(kept.begin(), kept.end(),
                           [](const HOLE& h) { return std::fabs(h.x - 90) < 1e-6 && std::fabs(h.y - 15) < 1e-6; });
    ASSERT_NE(cb, kept.end()) << describe(kept);
    ASSERT_EQ(cb->segs.size(), 2u);
    EXPECT_NEAR(cb->segs[0].dTop, 11, 1e-6);
    EXPECT_NEAR(cb->segs[1].dTop, 6.6, 1e-6);
    EXPECT_NEAR(cb->segs[1].zBottom, 0, 1e-6);
}

TEST_F(RecogSessionTest, AStepPartWithHolesInSeveralDirectionsGivesAViewForEachDirection) {
    openStep("directions_block");
    load();
    executeOnce();
    const std::vector<HOLE> kept = holesKeptInThePart();
    ASSERT_GE(kept.size(), 6u);   // and the copies of holes drilled from both sides
    // Each hole has a direction of its own. The blind holes tell their drilling sides: from the top, from -Y,
    // from below and from -X.
    std::vector<int> views;
    for (const HOLE& h : kept) views.push_back(h.viewNumber);
    for (int blindSide : {1, 2, 4, 6})
        EXPECT_NE(std::find(views.begin(), views.end(), blindSide), views.end()) << blindSide;
    // The inclined through hole has a view of its own, the host's next free number.
    EXPECT_NE(std::find_if(views.begin(), views.end(), [](int v) { return v > 8; }), views.end()) << describe(kept);
}

TEST_F(RecogSessionTest, HolesFromAllSixSidesGiveTheSixStandardViews) {
    storePart(PartBuilder::block({60, 60, 60})
                  .hole(blindFlat("+z", {30, 30, 60}, kDown, 8, 10))
                  .hole(blindTipped("-z", {30, 30, 0}, kUp, 7, 10))
                  .hole(counterbored("+x", {60, 30, 30}, {-1, 0, 0}, 5, 9, 4, 12))
                  .hole(countersunk("-x", {0, 30, 30}, {1, 0, 0}, 5, 10, 90, 12))
                  .hole(stepped("+y", {30, 60, 30}, {0, -1, 0}, {{8, 4}, {5, 6}}))
                  .hole(blindFlat("-y", {30, 0, 30}, {0, 1, 0}, 3, 10)));
    load();
    executeOnce();
    std::vector<int> views;
    for (const HOLE& h : holesKeptInThePart()) views.push_back(h.viewNumber);
    std::sort(views.begin(), views.end());
    EXPECT_EQ(views, (std::vector<int>{1, 2, 3, 4, 5, 6}));
}

TEST_F(RecogSessionTest, CancellingTheRecognitionLeavesNoTreeAndSkipsTheProcessTree) {
    storePart(exampleParts().front().builder);
    load();
    script().click(kMenu, kExecute).cancelWait().click(kMenu, plat::IDOK);
    m_main();
    expectScriptPlayed();
    EXPECT_TRUE(host::waitDialog().cancelled);
    EXPECT_FALSE(host::waitDialog().open);
    EXPECT_EQ(count("dialog.show 18021"), 0);
    EXPECT_EQ(count("dialog.show 18036"), 0);
    EXPECT_TRUE(holesKeptInThePart().empty());
}

TEST_F(RecogSessionTest, RecognisingAgainReplacesTheTree) {
    storePart(PartBuilder::block({40, 40, 12})
                  .hole(throughHole("a", {10, 10, 12}, kDown, 6))
                  .hole(blindFlat("b", {30, 30, 12}, kDown, 8, 5)));
    load();
    // Execute twice, each time closing the process tree, then the cycle ends.
    script()
        .click(kMenu, kExecute)
        .click(kSummary, plat::IDOK)
        .click(kProcessTree, plat::IDOK)
        .click(kMenu, kExecute)
        .click(kSummary, plat::IDOK)
        .click(kProcessTree, plat::IDOK)
        .click(kMenu, plat::IDOK);
    m_main();
    expectScriptPlayed();
    EXPECT_EQ(count("dialog.show 18021"), 2);
    EXPECT_EQ(count("dialog.show 18036"), 2);
    // Holes the depth limit drills from the other side have copies there; the top's are the part's own.
    const std::vector<HOLE> kept = fromView(holesKeptInThePart(), 1);
    ASSERT_EQ(kept.size(), 2u);
    EXPECT_EQ(std::min(kept[0].id, kept[1].id), 1);   // counted from 1 again
    EXPECT_EQ(std::max(kept[0].id, kept[1].id), 2);
}

TEST_F(RecogSessionTest, WithoutHolesTheUserIsToldWhatTheLimitsLeftOutAndNoTreeFollows) {
    struct Case {
        bool limits;
        const char* told;
    };
    // The settings limit diameters to 0.5 - 40 mm: a 50 mm bore and a 0.3 mm pin hole are left out, and the
    // log the box names lists them.
    const Case cases[] = {{false, "text=\"No hole was found in the part.\\n\""},
                          {true, "No hole was found in the part.\\n1 walls narrower than the minimum diameter 0.5 were "
                                 "left out.\\n1 walls wider than the maximum diameter 40 were left out.\\nEach is listed "
                                 "with its position, diameter and reason in "}};
    for (const Case& c : cases) {
        PartBuilder part = PartBuilder::block({100, 60, 12});
        if (c.limits)
            part.hole(throughHole("bore", {30, 30, 12}, kDown, 50)).hole(throughHole("pin", {70, 30, 12}, kDown, 0.3));
        host::reset();
        plat::driver().reset();
        storePart(part);
        load();
        script().click(kMenu, kExecute).answer(plat::IDOK).click(kMenu, plat::IDOK);
        EXPECT_EQ(m_main(), 0);
        expectScriptPlayed();
        EXPECT_TRUE(transcript().contains(c.told)) << c.told;
        EXPECT_EQ(count("dialog.show 18021"), 0);
        EXPECT_TRUE(holesKeptInThePart().empty());
        unload();
    }
}

TEST_F(RecogSessionTest, TheRunsLogsAndDumpsAreWrittenOnlyWithTheDebugSwitch) {
    storePart(PartBuilder::block({40, 40, 12}).hole(throughHole("a", {10, 10, 12}, kDown, 6)));
    load();
    executeOnce();   // the plug-in clears the switch at every invocation
    const std::string work = g_globals->tmpDir;
    for (const char* name : {"25_Process.txt", "23_Tools.txt", "26_CylsOpaque.txt", "_RawViewsAfter.txt"})
        EXPECT_FALSE(plat::readFile(work + "/" + name)) << name;

    // With the switch on, the process log holds the run's trace and is closed when the run ends.
    g_globals->debugDumps = 1;
    script().click(kSummary, plat::IDOK);
    std::uint32_t flags = 0;
    EXPECT_EQ(runRecognition(&flags), 1);
    EXPECT_EQ(g_engine->processLog, nullptr);
    const auto log = plat::readFile(work + "/25_Process.txt");
    ASSERT_TRUE(log);
    EXPECT_NE(log->find("Reconocimiento de Formas"), std::string::npos);
    EXPECT_TRUE(plat::readFile(work + "/23_Tools.txt"));
    g_globals->debugDumps = 0;
}

TEST_F(RecogSessionTest, ACountersunkHoleGetsItsCountersinkCutToTheConesDepth) {
    // Countersinks for M3 and M6 (90 degrees, 6.4 and 12.6 at the top) through a 12 mm plate.
    struct CASE {
        double x, d, top;
    };
    const CASE cases[] = {{10, 3.4, 6.4}, {30, 6.6, 12.6}};
    PartBuilder part = PartBuilder::block({40, 20, 12});
    for (const CASE& c : cases) part.hole(countersunk("cs", {c.x, 10, 12}, kDown, c.d, c.top, 90));
    storePart(part);
    load();
    executeOnce();
    for (const CASE& c : cases) {
        SCOPED_TRACE(c.top);
        const std::vector<OP> ops = operationsKept(c.x, 10);
        ASSERT_EQ(ops.size(), 3u) << "spot drill, drill and countersink";
        EXPECT_EQ(ops[1].type, 3u);
        EXPECT_NEAR(ops[1].toolDiam, c.d, 1e-9);
        const OP& sink = ops[2];
        EXPECT_EQ(sink.type, 17u);
        EXPECT_NEAR(sink.toolDiam, c.d, 1e-9);   // the conical tool's small end: the bore it sits on
        EXPECT_NEAR(sink.angleDeg, 90, 1e-9);
        // From the face down to where the cone meets the bore, no deeper.
        const double depth = (c.top - c.d) / 2;
        EXPECT_NEAR(sink.zSup, 12, 1e-6);
        EXPECT_NEAR(sink.zInf, 12 - depth, 0.01);
        EXPECT_NEAR(sink.profile[0], depth, 0.01);   // cutting length
        // The tool meets the hole at the countersink's top edge and at the bore.
        EXPECT_NEAR(sink.profile[1], c.top, 0.01);
        EXPECT_NEAR(sink.profile[2], 12, 0.01);
        EXPECT_NEAR(sink.profile[3], c.d, 0.01);
        EXPECT_NEAR(sink.profile[4], 12 - depth, 0.01);
    }
    EXPECT_GE(count("dia6.600 depth3.00\""), 1) << "the process tree shows the M6 countersink";
}

TEST_F(RecogSessionTest, AFitTableTheLibraryLacksIsToldOncePerRun) {
    // Two reamed H7 holes: each of their drills and reamers looks the fit table up.
    storePart(PartBuilder::block({40, 20, 12})
                  .hole(throughHole("h8", {10, 10, 12}, kDown, 8))
                  .hole(throughHole("h10", {30, 10, 12}, kDown, 10)));
    part_notes::nameHole("PD_H7_8", 10, 10, 12);
    part_notes::nameHole("PD_H7_10", 30, 10, 12);
    load();
    // Execute twice, each time told once, on from the summary and out of the process tree.
    for (int run = 0; run < 2; ++run)
        script().click(kMenu, kExecute).answer(plat::IDOK).click(kSummary, plat::IDOK).click(kProcessTree, plat::IDOK);
    script().click(kMenu, plat::IDOK);
    EXPECT_EQ(m_main(), 0);
    expectScriptPlayed();
    EXPECT_EQ(count("No table is named H7 in the table library."), 2);
    // Without its table the run goes on: the holes are drilled and reamed to their size.
    for (const double x : {10.0, 30.0}) {
        const std::vector<OP> ops = operationsKept(x, 10);
        ASSERT_FALSE(ops.empty());
        EXPECT_EQ(ops.back().type, 6u) << x;
        EXPECT_NEAR(ops.back().toolDiam, x == 10 ? 8 : 10, 1e-9);
    }
}

}  // namespace
