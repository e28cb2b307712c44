// Recognition as the user runs it: Execute on the main menu of a loaded plug-in, on builder parts and on
// STEP files. The user reads what was found on the host's message line, the process tree follows, and the
// tree is saved with the part at the end of the work cycle; a Cancel on the wait dialog leaves no tree.
#include <gtest/gtest.h>

#include <string>

#include "host/geom/step_io.h"
#include "plugin/core/records.h"
#include "recognition_pipeline_support.h"

namespace {

using namespace recog_q;

constexpr int kMenu = CMainMenu::kTemplate;
constexpr int kExecute = 18007, kProcessTree = 18021;

class RecogSessionTest : public PluginFixture {
protected:
    static void storePart(const PartBuilder& builder) {
        const BuiltPart part = builder.build();
        ASSERT_TRUE(part.ok()) << part.error;
        ASSERT_NE(host::storeSolidEntity(part.solid, 3, 1, "part"), 0u);
    }
    static void openStep(const char* title) {
        ASSERT_EQ(host::openStepAsPart(std::string(FX_SOURCE_DIR) + "/data/examples/" + title + ".step"), "");
    }
    int count(std::string_view fragment) {
        int n = 0;
        for (const std::string& line : transcript().lines()) n += line.find(fragment) != std::string::npos;
        return n;
    }
    // The user runs Execute, closes the process tree and ends the cycle with OK on the main menu.
    void executeOnce() {
        script().click(kMenu, kExecute).click(kProcessTree, plat::IDOK).click(kMenu, plat::IDOK);
        EXPECT_EQ(m_main(), 0);
        expectScriptPlayed();
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
};

TEST_F(RecogSessionTest, ExecuteTellsWhatWasFoundShowsTheProcessTreeAndSavesTheTreeWithThePart) {
    storePart(exampleParts().front().builder);
    load();
    executeOnce();
    EXPECT_TRUE(transcript().contains("Holes found: 11. Drilling directions: 1.")) << host::messageLine();
    EXPECT_EQ(count("dialog.show 18021"), 1);
    EXPECT_EQ(g_globals->viewsTree, nullptr);   // the cycle ended: saved and released

    const std::vector<HOLE> kept = holesKeptInThePart();
    ASSERT_EQ(kept.size(), 11u);
    for (std::size_t i = 0; i < kept.size(); ++i) {
        EXPECT_EQ(kept[i].viewNumber, 1);
        EXPECT_EQ(kept[i].id, static_cast<int>(i) + 1);   // the command starts counting at 1
    }
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
    EXPECT_TRUE(transcript().contains("Holes found: 6. Drilling directions: 6.")) << host::messageLine();
    const std::vector<HOLE> kept = holesKeptInThePart();
    ASSERT_EQ(kept.size(), 6u);
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
    EXPECT_TRUE(transcript().contains("Holes found: 6. Drilling directions: 6.")) << host::messageLine();
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
    EXPECT_FALSE(transcript().contains("Holes found"));
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
        .click(kProcessTree, plat::IDOK)
        .click(kMenu, kExecute)
        .click(kProcessTree, plat::IDOK)
        .click(kMenu, plat::IDOK);
    m_main();
    expectScriptPlayed();
    EXPECT_EQ(count("dialog.show 18021"), 2);
    EXPECT_EQ(count("Holes found: 2. Drilling directions: 1."), 2);
    const std::vector<HOLE> kept = holesKeptInThePart();
    ASSERT_EQ(kept.size(), 2u);
    EXPECT_EQ(kept[0].id, 1);
    EXPECT_EQ(kept[1].id, 2);
}

TEST_F(RecogSessionTest, TheUserIsToldHowManyWallsTheDiameterLimitsLeftOut) {
    // The settings limit diameters to 0.5 - 40 mm: a 50 mm bore and a 0.3 mm pin hole are left out.
    storePart(PartBuilder::block({100, 60, 12})
                  .hole(throughHole("bore", {30, 30, 12}, kDown, 50))
                  .hole(throughHole("pin", {70, 30, 12}, kDown, 0.3))
                  .hole(throughHole("d8", {85, 30, 12}, kDown, 8)));
    load();
    executeOnce();
    EXPECT_TRUE(transcript().contains("Holes found: 1. Drilling directions: 1. Surfaces left out: 1 wider than the "
                                      "maximum diameter, 1 narrower than the minimum diameter, 0 in directions not "
                                      "allowed."))
        << host::messageLine();
}

TEST_F(RecogSessionTest, APartWithoutHolesStillLeadsToTheProcessTree) {
    storePart(PartBuilder::block({40, 40, 12}));
    load();
    executeOnce();
    EXPECT_TRUE(transcript().contains("Holes found: 0. Drilling directions: 0."));
    EXPECT_EQ(count("dialog.show 18021"), 1);
    EXPECT_TRUE(holesKeptInThePart().empty());
}

}  // namespace
