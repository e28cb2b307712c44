// The form design dialog as a user meets it: the row's depth list read into the combo and stored back (the
// surface forms' hidden "0"), the chamfer and depth checks of OK, the depth menu, Esc in the graphics ending
// it with 0 on the user-interface thread, the diameter pick, and the dimensioned sketch with the controls on
// it, written as the window's picture.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <thread>

#include "platform/sys/clock.h"
#include "platform/ui/keys.h"
#include "platform/ui/png_image.h"
#include "platform/ui/raster_canvas.h"
#include "platform/ui/window_picture.h"
#include "plugin/base/resource_switch.h"
#include "plugin/features/form_design_dialog.h"
#include "support/form_tables.h"
#include "support/tables_fixture.h"

namespace {

using Dlg = CDlgDesignProp;
constexpr int W = Dlg::kTemplate;
const plat::Color kYellow = plat::rgb(255, 255, 204), kRed = plat::rgb(255, 0, 0);

class FormDesignDialogTest : public TablesFixture {
protected:
    void SetUp() override {
        TablesFixture::SetUp();
        g_globals->settings.designDialogSwitch = 0;
        plat::releaseAllKeys();
    }
    void TearDown() override {
        plat::releaseAllKeys();
        plat::setPictureFolder("");
        TablesFixture::TearDown();
    }
    // A counterbore D1 20 x L1 10 over D2 10 x L2 30, its depth list in column 6; `firstLength` replaces 10.
    CTabColsDesc counterbore(const std::string& list, std::int16_t tableClass = kTableFormClass,
                             const std::string& firstLength = "10") {
        FORM_TABLE f;
        f.tableClass = tableClass;
        f.items = {{2, 3, 0, 0, 1, "D1", "L1"}, {4, 5, 0, 0, 0, "D2", "L2"}};
        f.listColumn = 6;
        f.rows = {{"R1", "20", firstLength, "10", "30", list}};
        CTabColsDesc t = makeFormTable(f);
        EXPECT_EQ(t.buildFormSteps(rowOf(t)), 0);
        return t;
    }
    static std::vector<std::string> rowOf(const CTabColsDesc& t) {
        std::vector<std::string> row;
        EXPECT_EQ(t.getRow(0, row), 0);
        return row;
    }
    void setUp(Dlg& dlg, CTabColsDesc& t, std::int16_t surface, double depth = 20) {
        dlg.table = &t;
        dlg.row = 0;
        dlg.rowName = "R1";
        dlg.surfaceMode = surface;
        dlg.diameter = 20;
        dlg.chamfer = 0.5;
        dlg.pointAngle = 118;
        dlg.depth = depth;
        dlg.through = 0;
    }
    int run(Dlg& dlg) { return doModalInPluginRes(dlg); }
    std::string snapshot() { return plat::lastSnapshot(W); }
    std::string combo() {
        const std::string s = snapshot();
        const std::size_t at = s.find("\n4023 ");
        return at == std::string::npos ? "" : s.substr(at + 1, s.find('\n', at + 1) - at - 1);
    }
};

TEST(FormDepthList, StoredListsReadIntoTheComboAndBackAsTheyWere) {
    struct CASE {
        const char* what;
        std::vector<std::string> stored;
        bool surface;
        std::vector<std::string> entries;
        int index;
        std::vector<std::string> storedAgain;   // empty: the same as stored
    };
    const std::string line = "Through 5 10 20";
    const CASE cases[] = {
        {"surface: the index counts the hidden 0", {"3", "0", "5", "10", "20"}, true, {"5", "10", "20"}, 2, {}},
        {"surface: a typed depth chosen none", {"0", "0", "5", "10"}, true, {"5", "10"}, -1, {}},
        {"solids: 0 is the through text", {"1", "0", "5", "10"}, false, {"Through", "5", "10"}, 1, {}},
        {"solids: through chosen", {"0", "0", "5"}, false, {"Through", "5"}, 0, {}},
        {"surface: the default list leaves through out", {}, true, {"5", "10", "20"}, 0, {"1", "0", "5", "10", "20"}},
        {"solids: the default list", {}, false, {"Through", "5", "10", "20"}, 0, {"0", "0", "5", "10", "20"}},
    };
    for (const CASE& c : cases) {
        const DEPTH_CHOICES choices = decodeDepthList(c.stored, c.surface, line);
        EXPECT_EQ(choices.entries, c.entries) << c.what;
        EXPECT_EQ(choices.index, c.index) << c.what;
        EXPECT_EQ(encodeDepthList(choices, c.surface), c.storedAgain.empty() ? c.stored : c.storedAgain) << c.what;
    }
}

TEST_F(FormDesignDialogTest, TypedDepthsAtTheEndsOrNearerThanPoint4TToNothing) {
    struct CASE {
        double typed;
        bool taken;
        std::vector<std::string> entries;
        int index;
    };
    // T = 0.025: 0.4T = 0.01. Inserting between entries and removing are played in the dialog below.
    const CASE cases[] = {
        {2.5, true, {"2.5", "5", "10"}, 0},
        {30, true, {"5", "10", "30"}, 2},
        {10.009, true, {"5", "10"}, 0},
        {9.991, true, {"5", "10"}, 0},   // near an entry after its place too
        {0.009, false, {"5", "10"}, 1},
    };
    for (const CASE& c : cases) {
        DEPTH_CHOICES choices{{"5", "10"}, 1};
        EXPECT_EQ(addDepthChoice(choices, c.typed), c.taken) << c.typed;
        EXPECT_EQ(choices.entries, c.entries) << c.typed;
        EXPECT_EQ(choices.index, c.index) << c.typed;
    }
}

TEST_F(FormDesignDialogTest, TheDepthListIsShownAndStoredBackWithTheHiddenZeroOfSurfaceForms) {
    struct CASE {
        std::string list;
        std::int16_t surface;
        double depth;        // the dialog's depth before it opens
        int select;          // the entry the user chooses before OK, -1 none
        const char* combo;   // as the combo showed when the dialog closed
        std::string stored;
        int index;
        double depthAfter;
    };
    const CASE cases[] = {
        {"(3,0,5,10,20)", 1, 12, -1, "items=[\"5\",\"10\",\"20\"] sel=2", "(3,0,5,10,20)", 2, 20},
        {"(1,0,15,25)", 0, 12, -1, "items=[\"0\",\"15\",\"25\"] sel=1", "(1,0,15,25)", 1, 15},
        // The units' default list, its first word (0) standing for through.
        {"", 1, 12, 3, "items=[\"6\",\"10\",\"16\",\"25\",\"40\"] sel=3", "(4,0,6,10,16,25,40)", 3, 25},
        {"", 0, 12, -1, "items=[\"0\",\"6\",\"10\",\"16\",\"25\",\"40\"] sel=0", "(0,0,6,10,16,25,40)", 0, 0},
        // An index that chose nothing: the entry equal to the depth, else the depth as typed.
        {"(0,0,5,12)", 1, 12, -1, "items=[\"5\",\"12\"] sel=1", "(2,0,5,12)", 1, 12},
        {"(0,0,5,10)", 1, 17, -1, "text=\"17\"", "(0,0,5,10)", -1, 17},
    };
    for (const CASE& c : cases) {
        CTabColsDesc t = counterbore(c.list);
        Dlg dlg;
        setUp(dlg, t, c.surface, c.depth);
        if (c.select >= 0) script().select(W, Dlg::kDepthList, c.select);
        script().click(W, plat::IDOK);
        EXPECT_EQ(run(dlg), plat::IDOK) << c.list;
        expectScriptPlayed();
        EXPECT_NE(combo().find(c.combo), std::string::npos) << c.list << ": " << combo();
        EXPECT_EQ(t.cell(0, 5), c.stored) << c.list;
        EXPECT_EQ(dlg.depthIndex, c.index) << c.list;
        EXPECT_EQ(dlg.depth, c.depthAfter) << c.list;
        EXPECT_EQ(dlg.depthCount, static_cast<std::int16_t>(std::count(c.stored.begin(), c.stored.end(), ',') + 1));
        // Read back, the stored list gives the same combo and choice.
        if (c.index >= 0) {
            std::vector<std::string> stored;
            t.splitListCell(0, &stored);
            const DEPTH_CHOICES again = decodeDepthList(stored, c.surface != 0, "Through 5");
            EXPECT_EQ(again.index, c.index) << c.list;
        }
    }
}

TEST_F(FormDesignDialogTest, TheDepthMenuAddsInOrderIgnoresNearDepthsAndKeepsTheFirstEntry) {
    CTabColsDesc t = counterbore("(3,0,5,10,20)");
    Dlg dlg;
    setUp(dlg, t, 1);
    // 10.005 lies within 0.4T of 10: nothing added, the first entry chosen; the first entry stays; 12 goes
    // in order; 10 is removed and the choice stays on the same place, at 12.
    script().type(W, Dlg::kDepthList, "10.005").click(W, Dlg::kDepthListButton).menu(Dlg::kDepthMenuAdd);
    script().click(W, Dlg::kDepthListButton).menu(Dlg::kDepthMenuRemove);
    script().type(W, Dlg::kDepthList, "12").click(W, Dlg::kDepthListButton).menu(Dlg::kDepthMenuAdd);
    script().select(W, Dlg::kDepthList, 1).click(W, Dlg::kDepthListButton).menu(Dlg::kDepthMenuRemove);
    script().click(W, plat::IDOK);
    EXPECT_EQ(run(dlg), plat::IDOK);
    expectScriptPlayed();
    EXPECT_EQ(count("menu owner=18037"), 4);
    EXPECT_EQ(count("\"Add the typed depth\""), 4);
    EXPECT_NE(combo().find("items=[\"5\",\"12\",\"20\"] sel=1"), std::string::npos) << combo();
    EXPECT_EQ(t.cell(0, 5), "(2,0,5,12,20)");
    EXPECT_EQ(dlg.depth, 12);
}

TEST_F(FormDesignDialogTest, OkRefusesAChamferBeyondTheFirstStepAndADepthShortOfTheSteps) {
    struct CASE {
        const char* what;
        std::string firstLength;
        std::int16_t surface, through;
        std::string chamfer, depthEntry;   // typed into the chamfer edit and the depth combo
        const char* message;               // "" when OK takes it
    };
    // T = 0.025. The chamfer limit is 0.95 x 10 = 9.5, or half of 20 for a first step no longer than T; the
    // smallest depth is 4T + 10 = 10.1.
    const CASE cases[] = {
        {"chamfer beyond 0.95 of the first step", "10", 1, 0, "9.6", "20", "Largest chamfer: 9.50"},
        {"chamfer within it", "10", 1, 0, "9.4", "20", ""},
        {"a first step no longer than T limits to half its diameter", "0.02", 1, 0, "10.5", "20",
         "Largest chamfer: 10.00"},
        {"depth short of the steps above the last", "10", 1, 0, "1", "10", "Smallest depth: 10.10"},
        {"surface and through end at the depth all the same", "10", 1, 1, "1", "1", "Smallest depth: 10.10"},
        {"surface and through below the steps", "10", 1, 1, "1", "12", ""},
        {"solids and the through entry take any depth", "10", 0, 0, "1", "0", ""},
        {"solids and a short depth", "10", 0, 0, "1", "5", "Smallest depth: 10.10"},
    };
    for (const CASE& c : cases) {
        CTabColsDesc t = counterbore(c.surface ? "(3,0,1,5,10,20)" : "(1,0,5,10,20)", kTableFormClass, c.firstLength);
        Dlg dlg;
        setUp(dlg, t, c.surface);
        dlg.through = c.through;
        plat::driver().transcript().clear();
        script().type(W, Dlg::kChamfer, c.chamfer).type(W, Dlg::kDepthList, c.depthEntry).click(W, plat::IDOK);
        if (*c.message) {
            // The message, the dialog still open with the values as typed; Cancel then.
            script().answer(plat::IDOK).click(W, plat::IDCANCEL);
            EXPECT_EQ(run(dlg), plat::IDCANCEL) << c.what;
            EXPECT_EQ(count(c.message), 1) << c.what;
            EXPECT_EQ(count("caption=\"Forantix\""), 1) << c.what;
        } else {
            EXPECT_EQ(run(dlg), plat::IDOK) << c.what;
            EXPECT_EQ(count("msgbox"), 0) << c.what;
            EXPECT_EQ(dlg.chamfer, std::stod(c.chamfer)) << c.what;
        }
        expectScriptPlayed();
    }
}

TEST_F(FormDesignDialogTest, EscInTheGraphicsEndsTheDialogWithZeroAndTheWatcherIsJoinedEveryWay) {
    {
        // Esc down at the first poll, 100 ms in.
        CTabColsDesc t = counterbore("(3,0,5,10,20)");
        Dlg dlg;
        setUp(dlg, t, 1);
        plat::holdKeyForPolls(plat::VK_ESCAPE, 1);
        script().wait(100);
        EXPECT_EQ(run(dlg), Dlg::kEndEsc);
        expectScriptPlayed();
        EXPECT_EQ(count("dialog.end 18037 code=0"), 1);
        EXPECT_EQ(plat::periodicTaskCount(), 0);
    }
    {
        // No Esc: the watcher polls on until Cancel stops it.
        CTabColsDesc t = counterbore("(3,0,5,10,20)");
        Dlg dlg;
        setUp(dlg, t, 1);
        script().wait(350).click(W, plat::IDCANCEL);
        EXPECT_EQ(run(dlg), plat::IDCANCEL);
        expectScriptPlayed();
        EXPECT_EQ(plat::periodicTaskCount(), 0);
    }
    {
        // A drill-size table starts no watcher: Esc in the graphics leaves it open.
        CTabColsDesc t = counterbore("(3,0,5,10,20)", kTableDrillSize);
        Dlg dlg;
        setUp(dlg, t, 1);
        plat::holdKeyForPolls(plat::VK_ESCAPE, 3);
        script().wait(300).click(W, plat::IDCANCEL);
        EXPECT_EQ(run(dlg), plat::IDCANCEL);
        expectScriptPlayed();
    }
}

TEST_F(FormDesignDialogTest, AWatcherOnAnotherThreadOnlyPostsTheEndWhichTheInterfaceThreadCarriesOut) {
    CTabColsDesc t = counterbore("(3,0,5,10,20)");
    Dlg dlg;
    setUp(dlg, t, 1);
    ASSERT_TRUE(dlg.create());
    dlg.showWindow(true);
    ASSERT_EQ(dlg.watcherFlag.load(), 1);
    plat::setKeyDown(plat::VK_ESCAPE, true);
    bool keepPolling = true;
    std::thread poll([&] { keepPolling = escKeyWatcher(dlg); });
    poll.join();
    EXPECT_FALSE(keepPolling);
    // Nothing happened to the window on the watcher's thread.
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(dlg.watcherFlag.load(), 1);
    plat::runPostedCalls();
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.watcherFlag.load(), 0);
    dlg.destroyWindow();
    EXPECT_EQ(plat::periodicTaskCount(), 0);
}

TEST_F(FormDesignDialogTest, TheDiameterPickReadsTheValuesAndEndsWith100) {
    CTabColsDesc t = counterbore("(3,0,5,10,20)", kTableDrillSize);
    Dlg dlg;
    setUp(dlg, t, 1);
    script().type(W, Dlg::kDiameter, "12.5").check(W, Dlg::kFirstStepCheck + 1, 1).click(W, Dlg::kDiameterPick);
    EXPECT_EQ(run(dlg), Dlg::kEndPickDiameter);
    expectScriptPlayed();
    EXPECT_EQ(dlg.diameter, 12.5);
    EXPECT_EQ(dlg.markStep[1], 1);
    EXPECT_EQ(dlg.markStep[0], 0);
    EXPECT_EQ(t.cell(0, 5), "(3,0,5,10,20)");
    // Drawing solids, or another class of table: no pick.
    for (const auto& [cls, surface] : {std::pair<std::int16_t, std::int16_t>{kTableDrillSize, 0}, {kTableFormClass, 1}}) {
        CTabColsDesc other = counterbore("", cls);
        Dlg d;
        setUp(d, other, surface);
        ASSERT_TRUE(d.create());
        EXPECT_FALSE(d.item(Dlg::kDiameterPick).visible());
        EXPECT_EQ(d.item(Dlg::kDiameter).visible(), cls == kTableDrillSize);
        EXPECT_EQ(d.item(Dlg::kThrough).visible(), surface == 1);
        d.destroyWindow();
    }
}

TEST_F(FormDesignDialogTest, TheSketchIsDimensionedWithTheControlsOnItAndWrittenAsThePicture) {
    ASSERT_TRUE(plat::createDirectories(dir.path() + "/pictures"));
    plat::setPictureFolder(dir.path() + "/pictures");
    installThreadTable(tablesDir);
    // A tapped counterbore: the thread cannot be marked, the counterbore can.
    FORM_TABLE f;
    f.items = {{2, 3, 0, 0, 1, "D1", "L1"}, {4, 5, 0, 1, 0, "Thread", "Lt"}};
    f.listColumn = 6;
    f.rows = {{"T1", "16", "8", "M10", "20", "(3,0,5,10,20)"}};
    CTabColsDesc t = makeFormTable(f);
    ASSERT_EQ(t.buildFormSteps(rowOf(t)), 0);
    Dlg dlg;
    setUp(dlg, t, 1, 28);
    dlg.rowName = "T1";
    ASSERT_TRUE(dlg.create());
    dlg.showWindow(true);
    EXPECT_EQ(dlg.windowText(), "Form of table FORM, row T1");
    const plat::Rect frame = dlg.item(Dlg::kPreview).rect();

    // The counterbore's check box sits on its anchor; the thread's is hidden and has none.
    int anchors = 0, marks = 0;
    for (const PREVIEW_ITEM& p : dlg.preview) {
        if (p.kind == kPreviewMark) ++marks;
        if (p.kind != kPreviewStepCheck) continue;
        ++anchors;
        EXPECT_EQ(p.step, 0);
        const plat::Rect r = dlg.item(Dlg::kFirstStepCheck).rect();
        EXPECT_EQ(r.left, frame.left + p.first.x);
        EXPECT_EQ(r.top, frame.top + p.first.y);
    }
    EXPECT_EQ(anchors, 1);
    EXPECT_EQ(marks, 1);
    EXPECT_TRUE(dlg.item(Dlg::kFirstStepCheck).visible());
    EXPECT_FALSE(dlg.item(Dlg::kFirstStepCheck + 1).visible());
    // The point-angle edit centred below the arc at the tip, on the axis.
    const plat::Rect angle = dlg.item(Dlg::kPointAngle).rect();
    const auto axis = std::find_if(dlg.preview.begin(), dlg.preview.end(), [](const PREVIEW_ITEM& p) { return p.kind == kPreviewAxis; });
    ASSERT_NE(axis, dlg.preview.end());
    EXPECT_NEAR((angle.left + angle.right) / 2, frame.left + axis->first.x, 1);
    EXPECT_EQ(axis->first.x, frame.width() * 60 / 100);

    const plat::RasterCanvas* layer = dlg.surface();
    ASSERT_NE(layer, nullptr);
    auto drew = [layer](const std::string& fragment) {
        return std::any_of(layer->lines().begin(), layer->lines().end(),
                           [&](const std::string& l) { return l.find(fragment) != std::string::npos; });
    };
    EXPECT_TRUE(drew("fillrect (" + std::to_string(frame.left + 2) + "," + std::to_string(frame.top + 2)));
    EXPECT_TRUE(drew("brush=#FFFFCC"));
    EXPECT_TRUE(drew("\"D1=16  L1=8\" font=\"Arial\"")) << layer->text();
    EXPECT_TRUE(drew("\"Thread=M10  Lt=20\" font=\"Arial\""));
    EXPECT_TRUE(drew("align=right|top"));
    EXPECT_TRUE(drew("pen=dashdot/1/#FF0000"));
    EXPECT_TRUE(drew("pen=solid/2/#000000"));
    EXPECT_TRUE(drew("ccw pen=solid/1/#FF0000"));   // the point angle's arc

    const std::optional<plat::PngImage> png = plat::readPng(dir.path() + "/pictures/Form_of_table_FORM__row_T1-1.png");
    ASSERT_TRUE(png);
    int yellow = 0, red = 0;
    for (int y = frame.top; y < frame.bottom; ++y)
        for (int x = frame.left; x < frame.right; ++x) {
            yellow += png->pixel({x, y}) == kYellow;
            red += png->pixel({x, y}) == kRed;
        }
    EXPECT_GT(yellow, frame.width() * frame.height() / 2);
    EXPECT_GT(red, 300);
    // The edits lie over the sketch, white, not under its background.
    const plat::Rect chamfer = dlg.item(Dlg::kChamfer).rect();
    EXPECT_EQ(png->pixel({chamfer.right - 5, chamfer.bottom - 5}), plat::rgb(255, 255, 255));
    dlg.destroyWindow();
}

TEST_F(FormDesignDialogTest, AFormWithoutLengthOrWidthIsDrawnWithinItsFrameAndAnEmptyRowDrawsNothing) {
    for (const char* cells : {"0 0 0 0", "0 5 0 7", "3 0 4 0"}) {
        std::istringstream in(cells);
        std::vector<std::string> row{"Z"};
        for (std::string c; in >> c;) row.push_back(c);
        row.push_back("");
        FORM_TABLE f;
        f.items = {{2, 3, 0, 0, 1}, {4, 5, 0, 0, 0}};
        f.listColumn = 6;
        f.rows = {row};
        CTabColsDesc t = makeFormTable(f);
        (void)t.buildFormSteps(row);
        Dlg dlg;
        setUp(dlg, t, 1);
        ASSERT_TRUE(dlg.create());
        const plat::Rect frame = dlg.item(Dlg::kPreview).rect();
        ASSERT_FALSE(dlg.preview.empty()) << cells;
        EXPECT_LE(dlg.preview.size(), dlg.previewCapacity);
        for (const PREVIEW_ITEM& p : dlg.preview) {
            for (const plat::Point q : {p.first, p.second}) {
                EXPECT_GE(q.x, -frame.width()) << cells << " kind " << p.kind;
                EXPECT_LE(q.x, 2 * frame.width()) << cells << " kind " << p.kind;
                EXPECT_GE(q.y, -frame.height()) << cells << " kind " << p.kind;
                EXPECT_LE(q.y, 2 * frame.height()) << cells << " kind " << p.kind;
            }
        }
        dlg.destroyWindow();
    }
    CTabColsDesc none = counterbore("");
    none.stepCount = 0;
    Dlg dlg;
    setUp(dlg, none, 1);
    ASSERT_TRUE(dlg.create());
    EXPECT_TRUE(dlg.preview.empty());
    EXPECT_EQ(dlg.previewCapacity, 50u);
    dlg.destroyWindow();
}

TEST_F(FormDesignDialogTest, WithoutItsTextsTheDialogClosesAtOnceAndPlacesNothing) {
    std::string texts = plat::readFile(g_globals->uiTextFile).value_or("");
    texts.replace(texts.find("[CreateDlg]"), 11, "[Removed]");
    ASSERT_TRUE(plat::writeFile(g_globals->uiTextFile, texts));
    CTabColsDesc t = counterbore("(3,0,5,10,20)");
    Dlg dlg;
    setUp(dlg, t, 1);
    script().answer(plat::IDOK);   // the loader's message
    EXPECT_EQ(run(dlg), plat::IDCANCEL);
    expectScriptPlayed();
    EXPECT_EQ(count("dialog.show 18037"), 0);
    EXPECT_EQ(plat::periodicTaskCount(), 0);
}

}  // namespace
