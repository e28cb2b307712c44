// The table chooser as a user pages through it: pages of 18 pictures, the order of the names, the tabs that
// filter them, a click on a picture (its border pixel included), and what a cancelled chooser leaves: no
// choice and every file as it was.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>

#include "platform/sys/files.h"
#include "platform/ui/png_image.h"
#include "platform/ui/raster_canvas.h"
#include "platform/ui/window_picture.h"
#include "plugin/base/resource_switch.h"
#include "plugin/model/tree.h"
#include "plugin/model/work_records.h"
#include "plugin/configuration/table_dialogs.h"
#include "support/table_files.h"
#include "support/tables_fixture.h"

namespace {

using Labels = std::vector<std::string>;
using Chooser = CSelectShapeTable;
const plat::Color kPictureBackground = plat::rgb(125, 117, 125), kCleared = plat::rgb(214, 211, 206),
                  kFrame = plat::rgb(255, 0, 0);
const std::string kFormItems = "[Item 1] 0 1 \"Name\" 0 0 0.00 0 \"\" 0 \"\" 0.00\r\n"
                               "[Item 2] 1 2 \"D\" 0 1 0.00 3 \"L\" 0 \"\" 0.00\r\n";

class TableChooserTest : public TablesFixture {
protected:
    void SetUp() override {
        TablesFixture::SetUp();
        g_globals->tableNamePrefix = "_Forantix_";
        g_globals->libraryName = "Lib1";
        g_records->viewsTree = nullptr;
    }
    void TearDown() override {
        g_records->viewsTree = nullptr;
        TablesFixture::TearDown();
    }
    void table(const std::string& name, int tableClass = 0, std::int64_t time = 1'800'000'000) {
        ASSERT_TRUE(plat::writeFile(tablePath(name), tableText(tableClass, 21, kFormItems)));
        ASSERT_TRUE(plat::setLastWriteTime(tablePath(name), time));
    }
    // The chooser open as a window of its own on a tab and page, its page drawn, no table chosen before (as
    // the configuration opens it).
    static std::unique_ptr<Chooser> open(int tab = 0, int page = 0) {
        auto chooser = std::make_unique<Chooser>();
        chooser->lastChosen = -1;
        chooser->currentTab = static_cast<std::int16_t>(tab);
        chooser->currentPage = static_cast<std::int16_t>(page);
        EXPECT_TRUE(chooser->create());
        chooser->showWindow(true);
        plat::updateWindows();
        return chooser;
    }
    static Labels labels(Chooser& c) {
        Labels out;
        for (int id : Chooser::kLabelSlots) out.push_back(c.item(id).text());
        return out;
    }
    // Which slots show a picture (its grey ground at the lower left), which are cleared, which are framed.
    static std::string slots(Chooser& c) {
        std::string out;
        for (int id : Chooser::kPictureSlots) {
            const plat::Rect r = c.item(id).rect();
            const plat::Color ground = c.surface()->pixel({r.left + 4, r.bottom - 5});
            const plat::Color edge = c.surface()->pixel({r.left + 3, r.top + r.height() / 2});
            out += edge == kFrame ? 'F' : ground == kPictureBackground ? 'P' : ground == kCleared ? '.' : '?';
        }
        return out;
    }
    // A slot's picture rectangle in the window's client pixels, as the template places it.
    static plat::Rect slotRect(int slot) {
        for (const plat::CtlTemplate& c : plat::findDialogTemplate(Chooser::kTemplate)->controls)
            if (c.id == Chooser::kPictureSlots[static_cast<std::size_t>(slot)]) return plat::dluToPixels(c.dlu);
        ADD_FAILURE() << "no slot " << slot;
        return {};
    }
    std::map<std::string, std::string> files() {
        std::map<std::string, std::string> out;
        for (const std::string& folder : {tablesDir, tmpDir})
            for (const auto& f : std::filesystem::recursive_directory_iterator(folder))
                if (f.is_regular_file()) out[f.path().string()] = bytesOf(f.path().string());
        return out;
    }
};

TEST_F(TableChooserTest, NineteenTablesMakeTwoPagesAndTheSecondShowsOnePicture) {
    for (int i = 1; i <= 19; ++i) table((i < 10 ? "T0" : "T") + std::to_string(i));
    ASSERT_TRUE(plat::createDirectories(dir.path() + "/pictures"));
    plat::setPictureFolder(dir.path() + "/pictures");
    auto c = open();
    EXPECT_EQ(c->pageCount, 2);
    EXPECT_EQ(c->windowText(), "Process tables Lib1 (mm)");
    EXPECT_EQ(slots(*c), std::string(18, 'P'));
    EXPECT_EQ(labels(*c).front(), "T01");
    EXPECT_EQ(labels(*c).back(), "T18");

    ASSERT_EQ(c->userClick(Chooser::kNextPage), "");
    plat::updateWindows();
    EXPECT_EQ(c->currentPage, 1);
    EXPECT_EQ(slots(*c), "P" + std::string(17, '.'));
    Labels second(18, "");
    second[0] = "T19";
    EXPECT_EQ(labels(*c), second);
    // What the user looks at: the page change wrote the window's picture again.
    std::string picture;
    for (const std::string& line : transcript().lines())
        if (line.rfind("dialog.picture 18017 \"", 0) == 0) picture = line.substr(22, line.size() - 23);
    plat::setPictureFolder("");
    EXPECT_EQ(count("dialog.picture 18017 \""), 2);
    const std::optional<plat::PngImage> png = plat::readPng(picture);
    ASSERT_TRUE(png) << picture;
    const plat::Rect first = c->item(Chooser::kPictureSlots[0]).rect(), next = c->item(Chooser::kPictureSlots[1]).rect();
    EXPECT_EQ(png->pixel({first.left + 4, first.bottom - 5}), kPictureBackground);
    EXPECT_EQ(png->pixel({next.left + 4, next.bottom - 5}), kCleared);
    // The last page goes no further; the first page comes back.
    ASSERT_EQ(c->userClick(Chooser::kNextPage), "");
    EXPECT_EQ(c->currentPage, 1);
    ASSERT_EQ(c->userClick(Chooser::kPrevPage), "");
    ASSERT_EQ(c->userClick(Chooser::kPrevPage), "");
    plat::updateWindows();
    EXPECT_EQ(c->currentPage, 0);
    EXPECT_EQ(labels(*c)[17], "T18");

    // From the last page of all tables to a tab of one page: its first page.
    ASSERT_EQ(c->userClick(Chooser::kNextPage), "");
    table("Z_thread", kTableThread);
    c->destroyWindow();
    c = open(0, 1);
    ASSERT_EQ(c->userSelect(Chooser::kTab, 2), "");
    plat::updateWindows();
    EXPECT_EQ(c->currentTab, 2);
    EXPECT_EQ(c->currentPage, 0);
    EXPECT_EQ(labels(*c)[0], "Z_thread");
    EXPECT_EQ(slots(*c), "P" + std::string(17, '.'));
    c->destroyWindow();
}

TEST_F(TableChooserTest, NamesSortWithoutCaseAndUnderscoresLastWhileOwnTablesGoOldestFirst) {
    table("_A", 0, 1'800'000'400);
    table("B", 0, 1'800'000'300);
    table("a", 0, 1'800'000'500);
    table("_Forantix_x", 0, 1'800'000'300);
    table("_Forantix_y", 0, 1'800'000'100);
    table("_Forantix_z", 0, 1'800'000'200);
    table("_forantix_w", 0, 1'800'000'000);   // the tab takes the prefix as it is written
    table("Q_Reaming{H7}", kTableNamed);
    table("M_fine", kTableThread);

    struct TAB_CASE {
        int tab;
        Labels first;
    };
    const TAB_CASE cases[] = {
        {0, {"a", "B", "M_fine", "H7", "_A", "_forantix_w", "_Forantix_x", "_Forantix_y", "_Forantix_z"}},
        {2, {"M_fine"}},
        {3, {"H7"}},   // a table looked up by name shows the name between its braces
        {4, {"_Forantix_y", "_Forantix_z", "_Forantix_x"}},
        {1, {}},       // no recognised hole uses a table
    };
    for (const TAB_CASE& t : cases) {
        auto c = open(t.tab);
        Labels expected = t.first;
        expected.resize(18);
        EXPECT_EQ(labels(*c), expected) << "tab " << t.tab;
        EXPECT_EQ(slots(*c), std::string(t.first.size(), 'P') + std::string(18 - t.first.size(), '.')) << "tab " << t.tab;
        if (t.first.empty()) {
            ASSERT_EQ(c->userClick(Chooser::kNextPage), "");
            ASSERT_EQ(c->userClick(Chooser::kPrevPage), "");
            EXPECT_EQ(c->currentPage, 0);
            EXPECT_EQ(c->pageCount, 0);
        }
        c->destroyWindow();
    }

    // The tables the recognised holes use, names compared without case; an excluded hole uses none.
    VIEW_LIST view;
    POINT_LIST used, excluded;
    std::snprintf(used.tableName, sizeof used.tableName, "%s", "b");
    std::snprintf(excluded.tableName, sizeof excluded.tableName, "%s", "_A");
    excluded.excluded = 1;
    view.firstPoint = &used;
    used.next = &excluded;
    g_records->viewsTree = &view;
    auto c = open(1);
    EXPECT_EQ(labels(*c)[0], "B");
    EXPECT_EQ(labels(*c)[1], "");
    c->destroyWindow();
}

TEST_F(TableChooserTest, AClickOnAPicturesBorderChoosesItsTableWhichIsFramedNextTime) {
    for (const char* name : {"A1", "A2", "A3"}) table(name);
    const plat::Rect second = slotRect(1), third = slotRect(2);
    Chooser chooser;
    chooser.chosenTable.processName[0] = 'x';
    // Between two pictures nothing is chosen; the second picture's bottom-right corner chooses it.
    script().clickAt(Chooser::kTemplate, (second.right + third.left) / 2, second.top + 10);
    script().clickAt(Chooser::kTemplate, second.right, second.bottom);
    EXPECT_EQ(doModalInPluginRes(chooser), Chooser::kChosen);
    expectScriptPlayed();
    EXPECT_STREQ(chooser.chosenTable.tableName, "A2");
    EXPECT_EQ(std::string(chooser.chosenTable.tabPath), tablePath("A2"));
    EXPECT_EQ(std::string(chooser.chosenTable.txtPath), tablesDir + "/A2.TXT");
    EXPECT_STREQ(chooser.chosenTable.processName, "");
    EXPECT_EQ(chooser.lastChosen, 1);

    // Shown again, the same object frames the table chosen last; the top-left pixel of the third picture
    // chooses the third.
    script().clickAt(Chooser::kTemplate, third.left, third.top);
    std::string framed;
    plat::driver().transcript().setEcho([&](const std::string& line) {
        if (line.rfind("user click-at", 0) == 0) framed = slots(*static_cast<Chooser*>(plat::Dialog::shown(Chooser::kTemplate)));
    });
    EXPECT_EQ(doModalInPluginRes(chooser), Chooser::kChosen);
    plat::driver().transcript().setEcho({});
    EXPECT_EQ(framed, "PFP" + std::string(15, '.'));
    EXPECT_STREQ(chooser.chosenTable.tableName, "A3");
    EXPECT_EQ(chooser.lastChosen, 2);
}

TEST_F(TableChooserTest, ACancelledChooserChoosesNothingAndLeavesEveryFileAsItWas) {
    table("Drilled");
    table("M_fine", kTableThread);
    ASSERT_TRUE(plat::writeFile(tablesDir + "/Drilled.txt", "R1 10 20 \r\n"));
    const auto before = files();

    struct END_CASE {
        const char* what;
        std::function<void()> steps;
        int result;
    };
    const END_CASE cases[] = {
        {"close box", [this] { script().close(Chooser::kTemplate); }, plat::IDCANCEL},
        {"Esc", [this] { script().key(Chooser::kTemplate, plat::VK_ESCAPE); }, plat::IDCANCEL},
        {"exit after paging and a tab",
         [this] {
             script().select(Chooser::kTemplate, Chooser::kTab, 2).click(Chooser::kTemplate, Chooser::kNextPage);
             script().click(Chooser::kTemplate, plat::IDOK);
         },
         plat::IDOK},
    };
    for (const END_CASE& c : cases) {
        Chooser chooser;
        c.steps();
        EXPECT_EQ(doModalInPluginRes(chooser), c.result) << c.what;
        expectScriptPlayed();
        EXPECT_STREQ(chooser.chosenTable.tabPath, "") << c.what;
        EXPECT_EQ(files(), before) << c.what;
    }

    // An empty folder: told with the folder's name, result 100.
    const std::string empty = dir.path() + "/forms/Empty";
    ASSERT_TRUE(plat::createDirectories(empty));
    g_globals->tablesDir = empty;
    Chooser chooser;
    expectMessage();
    EXPECT_EQ(doModalInPluginRes(chooser), Chooser::kNoTables);
    expectScriptPlayed();
    EXPECT_TRUE(transcript().contains("The tables folder holds no process table.\\n(" + empty + ")"));
}

}  // namespace
