// The tool library dialog as the tools view runs it: which library tools it lists and in what order, the
// tool it preselects, what the user picks or edits, the new tool of its create mode, the big library when the
// configured one has nothing, and the text that compares the chosen tool with the current one.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ui/dialog.h"
#include "platform/ui/driver.h"
#include "plugin/base/message_box.h"
#include "plugin/base/resource_switch.h"
#include "plugin/tooling/tool_library.h"
#include "plugin/tooling/tool_library_dialog.h"
#include "support/tool_library_fixture.h"

namespace {

constexpr int kDlg = CDlgToolsMgr::kTemplate, kList = CDlgToolsMgr::kList, kEditor = 30101;

class ToolLibraryDialog : public ToolLibraryFixture {
protected:
    void SetUp() override {
        ToolLibraryFixture::SetUp();
        g_globals->uiTextFile = installDir + "/Tool.txt";
    }
    // Drills of 6, 8 and 10 mm and a reamer of 8, stored out of order.
    void fillLibrary() {
        addTo(library, tool(3, 10, "Drill 10"));
        addTo(library, tool(6, 8, "Reamer 8"));
        addTo(library, tool(3, 6, "Drill 6"));
        addTo(library, tool(3, 8, "Drill 8"));
    }
    // The dialog set up for a drill of the diameter from the configured library.
    void wantDrill(CDlgToolsMgr& dlg, double diameter) {
        dlg.libraryPath = library;
        dlg.typeFilter = 3;
        dlg.wantedType = 3;
        dlg.wantedDiameter = diameter;
    }
    int run(CDlgToolsMgr& dlg) {
        const int end = doModalInPluginRes(dlg);
        expectScriptPlayed();
        return end;
    }
    static std::string rows() { return plat::lastSnapshot(kDlg); }
    static std::vector<std::string> names(const std::vector<tp_tool>& tools) {
        std::vector<std::string> out;
        for (const tp_tool& t : tools) out.emplace_back(t.name);
        return out;
    }
};

TEST_F(ToolLibraryDialog, TheTypeFilterTakesOneTypeOrTheTypesOfAMask) {
    struct CASE {
        std::int32_t filter;
        std::int16_t type;
        bool fits;
    };
    const CASE cases[] = {
        {3, 3, true},           {3, 4, false},          {3, 0, false},
        {1 << 16, 1, true},     {1 << 16, 2, false},    {0x3 << 16, 2, true},
        {1 << (16 + 12), 15, true}, {1 << (16 + 12), 13, false},   // bit 12: type 15, type 13 has no bit
        {1 << (16 + 14), 19, true}, {1 << (16 + 15), 0, true},     // bit 15: type 0
        {0, 0, false},          {0x7FFF << 16, 0, false},
    };
    for (const CASE& c : cases)
        EXPECT_EQ(CDlgToolsMgr::fits(c.filter, c.type), c.fits) << std::hex << c.filter << " type " << std::dec << c.type;
}

TEST_F(ToolLibraryDialog, ToolsSortByTypeDiameterAndFirstLengthWithinTheTolerance) {
    const double near = g_tolerances.tol004T / 2;
    std::vector<tp_tool> tools = {tool(6, 8, "R8"), tool(3, 10, "D10"), tool(3, 8 + near, "D8 long", 50),
                                  tool(3, 8, "D8 short", 20), tool(3, 8 - near, "D8 mid", 30)};
    CDlgToolsMgr::sortTools(tools);
    // The three 8 mm drills count as one diameter: their flute lengths order them.
    EXPECT_EQ(names(tools), (std::vector<std::string>{"D8 short", "D8 mid", "D8 long", "D10", "R8"}));
}

TEST_F(ToolLibraryDialog, PreselectionTakesTheNearerNeighbourTheLargerOnATieAndTheCurrentToolFirst) {
    std::vector<tp_tool> tools = {tool(3, 6, "D6"), tool(3, 8, "D8"), tool(3, 10, "D10"), tool(6, 12, "R12")};
    const tp_tool current = tools[0];
    struct CASE {
        const char* what;
        std::int32_t type;
        double diameter;
        const tp_tool* current;
        int row;
    };
    const CASE cases[] = {
        {"nearer the smaller", 3, 8.9, nullptr, 1},
        {"nearer the larger", 3, 9.1, nullptr, 2},
        {"midway keeps the larger", 3, 9, nullptr, 2},
        {"exactly a tool", 3, 8, nullptr, 1},
        {"above every tool of the type", 3, 40, nullptr, 2},
        {"below every tool", 3, 1, nullptr, 0},
        {"the current tool wins though another is nearer", 3, 9.9, &current, 0},
        {"no wanted type", 0, 8, nullptr, -1},
        {"a type the library lacks", 4, 8, nullptr, -1},
    };
    for (const CASE& c : cases)
        EXPECT_EQ(CDlgToolsMgr::preselect(tools, c.type, c.diameter, c.current), c.row) << c.what;
}

TEST_F(ToolLibraryDialog, TheUserPicksAnotherRowThanThePreselectedOne) {
    fillLibrary();
    CDlgToolsMgr dlg;
    wantDrill(dlg, 7.2);
    script().listClick(kDlg, kList, 2).click(kDlg, plat::IDOK);
    EXPECT_EQ(run(dlg), plat::IDOK);
    EXPECT_EQ(dlg.chosenIndex, 2);
    EXPECT_STREQ(dlg.chosenTool.name, "Drill 10");
    const std::string snap = rows();
    // The drills only, by diameter, with the number and the columns of the shipped texts.
    EXPECT_NE(snap.find("Tool library"), std::string::npos) << snap;
    EXPECT_NE(snap.find("\"Drill 6\""), std::string::npos) << snap;
    EXPECT_LT(snap.find("Drill 6"), snap.find("Drill 8"));
    EXPECT_LT(snap.find("Drill 8"), snap.find("Drill 10"));
    EXPECT_EQ(snap.find("Reamer"), std::string::npos) << snap;
    EXPECT_NE(snap.find("\"10.00\""), std::string::npos) << snap;
    EXPECT_NE(snap.find("Shoulder length"), std::string::npos) << snap;
}

TEST_F(ToolLibraryDialog, OkWithoutAClickTakesThePreselectedTool) {
    fillLibrary();
    CDlgToolsMgr dlg;
    wantDrill(dlg, 7.2);
    script().click(kDlg, plat::IDOK);
    EXPECT_EQ(run(dlg), plat::IDOK);
    EXPECT_EQ(dlg.chosenIndex, 1);
    EXPECT_STREQ(dlg.chosenTool.name, "Drill 8");
    EXPECT_NE(rows().find(" drop"), std::string::npos) << "the preselected row is drawn highlighted";
}

TEST_F(ToolLibraryDialog, EditingARowRewritesTheToolInTheLibraryOnlyWhenTheEditorAccepts) {
    fillLibrary();
    CDlgToolsMgr dlg;
    wantDrill(dlg, 8);
    script()
        .listDblClick(kDlg, kList, 0)
        .click(kEditor, plat::IDCANCEL)   // the first edit is cancelled
        .listRClick(kDlg, kList, 0)
        .type(kEditor, 1014, "44.5")      // shoulder length
        .click(kEditor, plat::IDOK)
        .click(kDlg, plat::IDCANCEL);
    EXPECT_EQ(run(dlg), plat::IDCANCEL);
    EXPECT_EQ(count("host.tool editor cancelled"), 1);
    const std::vector<tp_tool> stored = loadLibraryTools(library);
    int rewritten = 0;
    for (const tp_tool& t : stored)
        if (std::string(t.name) == "Drill 6") {
            EXPECT_DOUBLE_EQ(t.shoulderLength, 44.5);
            ++rewritten;
        } else {
            EXPECT_DOUBLE_EQ(t.shoulderLength, 40) << t.name;
        }
    EXPECT_EQ(rewritten, 1);
    EXPECT_EQ(stored.size(), 4u) << "rewritten in its slot, not added";
    EXPECT_NE(rows().find("\"44.50\""), std::string::npos) << "the row shows the new length";
}

TEST_F(ToolLibraryDialog, CreateModeMakesTheWantedToolFromTheNearestOneAndHandsItToTheEditor) {
    fillLibrary();
    const double step = 10 * g_tolerances.tol4T;
    CDlgToolsMgr dlg;
    dlg.createMode = 1;
    wantDrill(dlg, 8.3);
    dlg.wantedNumber = 42;
    dlg.wantedLength = 25;
    script().click(kEditor, plat::IDOK);
    EXPECT_EQ(run(dlg), plat::IDOK);
    const tp_tool& t = dlg.chosenTool;
    EXPECT_EQ(t.number, 42);
    EXPECT_EQ(t.type, 3);
    EXPECT_DOUBLE_EQ(t.diameter, 8.3);
    EXPECT_DOUBLE_EQ(t.secondDiameter, 8.3);
    EXPECT_DOUBLE_EQ(t.fluteLength, 25);
    EXPECT_DOUBLE_EQ(t.shoulderLength, 25 + step);
    EXPECT_DOUBLE_EQ(t.overallLength, 25 + 2 * step);
    EXPECT_STREQ(t.name, "8.30 Drill ");
    EXPECT_EQ(loadLibraryTools(library).size(), 4u) << "the library is not touched";

    // Cancelled in the editor: nothing is made.
    CDlgToolsMgr cancelled;
    cancelled.createMode = 1;
    wantDrill(cancelled, 8);
    script().click(kEditor, plat::IDCANCEL);
    EXPECT_EQ(run(cancelled), plat::IDCANCEL);
}

TEST_F(ToolLibraryDialog, CreateModeOfABoringBarAndACounterboreKeepsTheirOwnLengthsAndDiameter) {
    addTo(library, tool(7, 20, "Bar 20"));
    addTo(library, tool(17, 20, "Counterbore 20"));
    const double T4 = g_tolerances.tol4T;
    for (std::int16_t type : {7, 17}) {
        CDlgToolsMgr dlg;
        dlg.createMode = 1;
        dlg.libraryPath = library;
        dlg.typeFilter = type;
        dlg.wantedType = type;
        dlg.wantedDiameter = 21;
        script().click(kEditor, plat::IDOK);
        ASSERT_EQ(run(dlg), plat::IDOK) << type;
        const tp_tool& t = dlg.chosenTool;
        EXPECT_DOUBLE_EQ(t.fluteLength, 30) << "no wanted length: the library tool's";
        EXPECT_DOUBLE_EQ(t.secondDiameter, type == 7 ? 21 - T4 : 21);
        EXPECT_DOUBLE_EQ(t.shoulderLength, type == 17 ? 30 : 30 + 10 * T4);
        EXPECT_DOUBLE_EQ(t.overallLength, 30 + 20 * T4);
    }
}

TEST_F(ToolLibraryDialog, AnEmptyLibraryIsToldAndTheBigLibraryOfTheUnitsMakesTheTool) {
    addTo(library, tool(6, 8, "Reamer 8"));   // nothing of the filter's type
    addTo(bigLibrary, tool(3, 12, "Big drill 12"));
    addTo(bigLibrary, tool(3, 5, "Big drill 5"));
    CDlgToolsMgr dlg;
    wantDrill(dlg, 11);
    dlg.wantedNumber = 7;
    script().answer(plat::IDOK).type(kEditor, 1002, "Mine").click(kEditor, plat::IDOK);
    EXPECT_EQ(run(dlg), plat::IDOK);
    EXPECT_EQ(dlg.createMode, 1);
    EXPECT_EQ(count("no tool of this type"), 1);
    EXPECT_DOUBLE_EQ(dlg.chosenTool.diameter, 11);
    EXPECT_DOUBLE_EQ(dlg.chosenTool.fluteLength, 30);
    EXPECT_STREQ(dlg.chosenTool.name, "Mine");
    EXPECT_EQ(dlg.chosenTool.number, 7);
}

TEST_F(ToolLibraryDialog, NothingToOfferEndsWithNothingChosen) {
    struct CASE {
        const char* what;
        std::int16_t createMode;
        std::int32_t wantedType;
    };
    addTo(library, tool(3, 8, "Drill 8"));
    const CASE cases[] = {
        // Tools of the filter's type, but none of the wanted type to preselect.
        {"no preselection in the configured library", 0, 4},
        // Create mode: the big library is empty too.
        {"no tool in either library", 1, 4},
    };
    for (const CASE& c : cases) {
        CDlgToolsMgr dlg;
        dlg.createMode = c.createMode;
        wantDrill(dlg, 8);
        dlg.wantedType = c.wantedType;
        EXPECT_EQ(run(dlg), plat::IDCANCEL) << c.what;
        EXPECT_EQ(dlg.chosenIndex, -1) << c.what;
        EXPECT_EQ(count("host.tool editor"), 0) << c.what;
    }
    // An empty library and an empty big library: told once, then nothing chosen.
    CDlgToolsMgr empty;
    wantDrill(empty, 8);
    empty.libraryPath = dir.path() + "/none.Tools";
    script().answer(plat::IDOK);
    EXPECT_EQ(run(empty), plat::IDCANCEL);
    EXPECT_EQ(empty.chosenIndex, -1);
}

TEST_F(ToolLibraryDialog, TheComparisonListsTheColumnsThatDifferUnderAHeader) {
    fillLibrary();
    tp_tool current = tool(3, 8, "Drill 8");
    CDlgToolsMgr dlg;
    wantDrill(dlg, 8);
    dlg.currentTool = &current;
    script().click(kDlg, plat::IDOK);
    ASSERT_EQ(run(dlg), plat::IDOK);
    EXPECT_EQ(dlg.compareWithCurrent(), "") << "the identical tool";

    current.diameter = 8 + g_tolerances.tolT / 2;   // within the tolerance: no difference
    current.fluteLength = 35;
    std::snprintf(current.name, sizeof current.name, "Old drill");
    EXPECT_EQ(dlg.compareWithCurrent(), "\t Current\t Chosen\n"
                                        "Name\t Old drill\t Drill 8\n"
                                        "Flute length\t 35.00\t 30.00\n");
    dlg.currentTool = nullptr;
    EXPECT_EQ(dlg.compareWithCurrent(), "");
}

}  // namespace
