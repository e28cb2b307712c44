// The process configuration's showings and commands on a copy of the shipped library: the operation the
// editor left stored where its action puts it, the cell editor's Enter and Esc, the rows menu, sorting, the
// process dialogs, a save on a full disk, and the renaming of the table's files.
#include <gtest/gtest.h>

#include <functional>

#include "platform/sys/files.h"
#include "platform/ui/keys.h"
#include "platform/ui/png_image.h"
#include "platform/ui/window_picture.h"
#include "plugin/base/resource_switch.h"
#include "plugin/configuration/process_dialogs.h"
#include "plugin/engine/engine_state.h"
#include "plugin/model/ope_list.h"
#include "plugin/configuration/config_dialogs.h"
#include "plugin/services/configuration.h"
#include "plugin/services/engine.h"
#include "support/tables_fixture.h"

namespace {

constexpr int kConfig = CConfigProcess::kTemplate, kRows = CConfigProcess::kRows;

class ConfigProcessTest : public TablesFixture {
protected:
    void SetUp() override {
        TablesFixture::SetUp();
        installShippedTables();
    }
    void TearDown() override {
        plat::driver().transcript().setEcho({});
        TablesFixture::TearDown();
    }
    CConfigProcess& dialog() { return *g_configProcess; }
    std::string rows(const std::string& name) { return bytesOf(tablesDir + "/" + name + ".txt"); }
    // The configuration on a row of a table, as the process tree opens it: the run, with the user's steps
    // queued before.
    int runOn(const std::string& name, int row) {
        TABLE_FILE_REF& t = g_engine->configTarget;
        t = TABLE_FILE_REF{};
        setFieldText(t.tabPath, tablePath(name));
        setFieldText(t.txtPath, tablesDir + "/" + name + ".TXT");
        setFieldText(t.tableName, name);
        g_engine->chosenProcess[0] = static_cast<std::int16_t>(row);
        g_engine->configAction = 110;
        (void)g_engine->currentTable.read(tablePath(name));
        (void)g_engine->currentTable.backupFiles();
        const int result = runConfigProcess(0);
        expectScriptPlayed();
        return result;
    }
    // The comments of a process of a table, in order.
    std::vector<std::string> comments(const std::string& name, const std::string& process) {
        CTabColsDesc t;
        EXPECT_EQ(t.read(tablePath(name)), 0);
        std::vector<PROCESS_OPE> ops(kMaxProcessOps);
        const int n = t.readProcess(process, ops.data());
        std::vector<std::string> out;
        for (int i = 0; i < n; ++i) out.push_back(opeText(ops[static_cast<std::size_t>(i)], process_ope::opName));
        return out;
    }
    // The middle of the chooser's picture slot, in its window's client pixels.
    static plat::Point pictureSlot(int n) {
        for (const plat::CtlTemplate& c : plat::findDialogTemplate(CSelectShapeTable::kTemplate)->controls)
            if (c.id == CSelectShapeTable::kPictureSlots[static_cast<std::size_t>(n)]) return plat::dluToPixels(c.dlu).center();
        ADD_FAILURE() << "no picture slot " << n;
        return {};
    }
    // Runs the queued steps and OK on row 0 of a table; the pixels of the section in the form picture the
    // user saw last, and of red marks.
    int formPixels(const std::string& table, int* red = nullptr) {
        const std::string folder = dir.path() + "/pictures";
        EXPECT_TRUE(plat::createDirectories(folder));
        plat::setPictureFolder(folder);
        script().click(kConfig, plat::IDOK);
        EXPECT_EQ(runOn(table, 0), 0);
        plat::setPictureFolder("");
        std::string path;
        for (const std::string& line : transcript().lines())
            if (line.rfind("dialog.picture 18018 \"", 0) == 0) path = line.substr(22, line.size() - 23);
        const std::optional<plat::PngImage> image = plat::readPng(path);
        EXPECT_TRUE(image) << path;
        if (!image) return -1;
        plat::Rect form{};
        for (const plat::CtlTemplate& c : plat::findDialogTemplate(kConfig)->controls)
            if (c.id == CConfigProcess::kFormPicture) form = plat::dluToPixels(c.dlu);
        int section = 0;
        for (int y = form.top; y < form.bottom; ++y)
            for (int x = form.left; x < form.right; ++x) {
                const plat::Color colour = image->pixel({x, y});
                section += colour == plat::rgb(206, 138, 0);
                if (red) *red += colour == plat::rgb(250, 0, 0) || colour == plat::rgb(255, 0, 0);
            }
        return section;
    }
    // Runs `action` once when the transcript records `line`.
    void when(const std::string& line, std::function<void()> action) {
        plat::driver().transcript().setEcho([line, action, done = false](const std::string& l) mutable {
            if (done || l != line) return;
            done = true;
            action();
        });
    }
};

// The dialog is shown again after the editor closed with OK: the operation it holds goes in by the action.
TEST_F(ConfigProcessTest, TheEditedOperationGoesWhereTheActionPutsItAndNeverPastTheLastSlot) {
    struct CASE {
        const char* what;
        std::int16_t action;
        int operations, index;
        std::vector<std::string> expected;
        bool refused;
    };
    const CASE cases[] = {
        {"insert before into an empty process inserts nothing", 103, 0, 0, {}, false},
        {"insert after the last appends", 104, 2, 1, {"A", "B", "NEW"}, false},
        {"insert before the second", 103, 3, 1, {"A", "NEW", "B", "C"}, false},
        {"append", 101, 1, 0, {"A", "NEW"}, false},
        {"replace", 102, 2, 1, {"A", "NEW"}, false},
        {"a process of 99 takes none", 101, 99, 98, std::vector<std::string>(99, "OP"), true},
    };
    for (const CASE& c : cases) {
        SCOPED_TRACE(c.what);
        plat::driver().reset();
        CConfigProcess& d = dialog();
        CTabColsDesc table;
        ASSERT_EQ(table.read(tablePath("Drilled")), 0);
        std::vector<PROCESS_OPE> ops(static_cast<std::size_t>(c.operations));
        const char* labels[] = {"A", "B", "C"};
        for (int i = 0; i < c.operations; ++i)
            setOpeText(ops[static_cast<std::size_t>(i)], process_ope::opName, c.operations > 3 ? "OP" : labels[i]);
        ASSERT_EQ(table.writeProcess("1", ops.data(), c.operations), 0);
        std::copy(ops.begin(), ops.end(), d.operations.begin());
        d.operationCount = static_cast<std::int16_t>(c.operations);
        d.processName = "1";
        d.mode = 0;
        d.fillEditorFromOperation(PROCESS_OPE{});
        d.editor.comment = "NEW";
        d.editor.operationIndex = static_cast<std::int16_t>(c.index);
        g_engine->configAction = c.action;
        g_engine->chosenProcess[0] = 0;
        setFieldText(g_engine->configTarget.tabPath, tablePath("Drilled"));
        setFieldText(g_engine->configTarget.txtPath, tablesDir + "/Drilled.TXT");
        if (c.refused) script().answer(plat::IDOK);
        script().click(kConfig, plat::IDOK);
        EXPECT_EQ(doModalInPluginRes(d), plat::IDOK);
        expectScriptPlayed();
        EXPECT_EQ(comments("Drilled", "1"), c.expected);
        EXPECT_EQ(transcript().contains("no operation was added"), c.refused);
    }
}

// Enter ends a cell edit, keeping what was typed, and never the dialog; Esc leaves the cell as it was.
TEST_F(ConfigProcessTest, EnterKeepsACellEditAndEscLeavesIt) {
    const std::string before = rows("Drilled");
    script().listDblClick(kConfig, kRows, 0, 1).type(kConfig, CConfigProcess::kCellEdit, " 3.1 ").key(kConfig, plat::VK_RETURN)
        .listDblClick(kConfig, kRows, 1, 1).type(kConfig, CConfigProcess::kCellEdit, "99").key(kConfig, plat::VK_ESCAPE)
        .listDblClick(kConfig, kRows, 2, 0).type(kConfig, CConfigProcess::kCellEdit, "D 4 x").click(kConfig, plat::IDOK);
    EXPECT_EQ(runOn("Drilled", 0), 0);
    std::string expected = before;
    expected.replace(expected.find("D3 3 "), 5, "D3 3.1 ");
    expected.replace(expected.find("D4 4 "), 5, "D_4_x 4 ");   // committed by the click that left the cell
    EXPECT_EQ(rows("Drilled"), expected);
    EXPECT_EQ(count("dialog.end 18018"), 1);
}

TEST_F(ConfigProcessTest, RowsAreAddedDeletedFromTheHighestDownAndSortedAsTextOrNumbers) {
    // Rows 2 and 5 of Drilled selected and deleted; a row added under D3; the rows sorted by D (numbers:
    // 3.4 before 10) and then by name (text: "D10" before "D3").
    script().listClick(kConfig, kRows, 2).listClick(kConfig, kRows, 5, 0, true).listRClick(kConfig, kRows, 5).menu(6)
        .answer(plat::IDYES)
        .listRClick(kConfig, kRows, 0).menu(1)
        .columnClick(kConfig, kRows, 1)
        .click(kConfig, plat::IDOK);
    const std::string before = rows("Drilled");
    EXPECT_EQ(runOn("Drilled", 0), 0);
    EXPECT_TRUE(transcript().contains("Delete the 2 selected rows?"));
    std::string expected = before;
    for (const char* gone : {"D4 4 1 (0,0,6,10,16,25,40) \r\n", "D5.5 5.5 1 (0,0,6,10,16,25,40) \r\n"})
        expected.erase(expected.find(gone), std::string(gone).size());
    expected.insert(expected.find("D3.4 "), "0 3 1 (0,0,6,10,16,25,40) \r\n");   // 3 sorts with D3, after it
    EXPECT_EQ(rows("Drilled"), expected);

    script().columnClick(kConfig, kRows, 0).click(kConfig, plat::IDOK);
    EXPECT_EQ(runOn("Drilled", 0), 0);
    const std::string sorted = rows("Drilled");
    EXPECT_LT(sorted.find("0 3 1"), sorted.find("D10 "));
    EXPECT_LT(sorted.find("D10 "), sorted.find("D3 "));
}

// The rows menu of the forms manager offers a row's form as a solid only while the switch for it is on.
TEST_F(ConfigProcessTest, TheRowsMenuOffersFormsFromSolidsOnlyWhileTheirSwitchIsOn) {
    for (const std::int16_t on : {1, 0}) {
        SCOPED_TRACE(on);
        plat::driver().reset();
        g_globals->settings.configListSwitch = on;
        script().listRClick(kConfig, kRows, 1).menu(0).click(kConfig, plat::IDOK);
        EXPECT_EQ(runOn("Drilled", 0), 0);
        EXPECT_TRUE(transcript().contains("9 \"Draw the row's form from surfaces\""));
        EXPECT_EQ(transcript().contains("11 \"Draw the row's form as a solid\""), on != 0);
    }
}

// A new row copies the row it was asked for on and shows its form; one made of zeros, and deleting rows,
// leave the form picture empty (the paint takes row 0 when no row is chosen) until a row is clicked.
TEST_F(ConfigProcessTest, ANewRowOfZerosOrDeletedRowsClearTheFormPictureAndACopyShowsItsForm) {
    struct CASE {
        const char* what;
        std::function<void()> steps;
        bool shown;
    } const cases[] = {
        {"a copy of row 1", [&] { script().listRClick(kConfig, kRows, 1).menu(1); }, true},
        {"zeros", [&] { script().listRClick(kConfig, kRows, -1).menu(1); }, false},
        {"rows deleted", [&] { script().listClick(kConfig, kRows, 2).listRClick(kConfig, kRows, 2).menu(6).answer(plat::IDYES); },
         false},
        {"zeros, then a click on a row", [&] { script().listRClick(kConfig, kRows, -1).menu(1).listClick(kConfig, kRows, 1); },
         true},
        {"rows deleted, then a click on a row",
         [&] {
             script().listClick(kConfig, kRows, 2).listRClick(kConfig, kRows, 2).menu(6).answer(plat::IDYES)
                 .listClick(kConfig, kRows, 0);
         },
         true},
    };
    for (const CASE& c : cases) {
        SCOPED_TRACE(c.what);
        plat::driver().reset();
        c.steps();
        EXPECT_EQ(formPixels("Countersunk") > 100, c.shown);   // six rows: room below them
    }
}

// The chosen row's form is drawn in the dialog as the user sees it: the section, without the red
// dimension marks and frame that the table's own picture has.
TEST_F(ConfigProcessTest, TheChosenRowsFormIsDrawnWithoutMarksOrFrame) {
    script().listClick(kConfig, kRows, 2);
    int red = 0;
    EXPECT_GT(formPixels("Drilled", &red), 100);
    EXPECT_EQ(red, 0);
}

// Saving on a full disk: the rows file keeps every byte it had, the user is told, and the dialog stays
// open with the change, which the next OK writes.
TEST_F(ConfigProcessTest, AFullDiskDuringTheSaveLosesNothing) {
    const std::string before = rows("Drilled");
    // The OK writes the process (a safety copy and the file) and then the rows file's safety copy: the rows
    // file itself fails after 10 bytes.
    when("user click 18018 1", [] { plat::failWriteAfter(3, 10); });
    script().listDblClick(kConfig, kRows, 0, 1).type(kConfig, CConfigProcess::kCellEdit, "3.2").key(kConfig, plat::VK_RETURN)
        .click(kConfig, plat::IDOK).answer(plat::IDOK)
        .click(kConfig, plat::IDOK);
    EXPECT_EQ(runOn("Drilled", 0), 0);
    EXPECT_EQ(count("dialog.end 18018"), 1);
    EXPECT_EQ(count("it is kept as it was:\\n" + tablesDir + "/Drilled.txt"), 1);
    std::string expected = before;
    expected.replace(expected.find("D3 3 "), 5, "D3 3.2 ");
    EXPECT_EQ(rows("Drilled"), expected);
}

// The table properties gave the table a new name: its files take it when the dialog is left with OK, unless
// another table has the name (in any case), which leaves both tables whole and the old name kept.
TEST_F(ConfigProcessTest, TheTablesFilesTakeANewNameOnlyWhenNoTableHasIt) {
    const std::string tab = bytesOf(tablePath("Counterbored")), txt = rows("Counterbored"), stepped = rows("Stepped");
    when("dialog.show 18018 modal caption=\"Process configuration: Counterbored (mm) \"",
         [this] { dialog().newTableName = "stepped"; });
    script().click(kConfig, plat::IDOK).answer(plat::IDOK);
    EXPECT_EQ(runOn("Counterbored", 0), 0);
    EXPECT_TRUE(transcript().contains("could not be renamed to stepped"));
    EXPECT_EQ(bytesOf(tablePath("Counterbored")), tab);
    EXPECT_EQ(rows("Counterbored"), txt);
    EXPECT_EQ(rows("Stepped"), stepped);

    when("dialog.show 18018 modal caption=\"Process configuration: Counterbored (mm) \"",
         [this] { dialog().newTableName = "_Forantix_CB"; });
    script().click(kConfig, plat::IDOK).answer(plat::IDOK);
    EXPECT_EQ(runOn("Counterbored", 0), 0);
    EXPECT_EQ(bytesOf(tablePath("_Forantix_CB")), tab);
    EXPECT_EQ(rows("_Forantix_CB"), txt);
    EXPECT_FALSE(plat::fileExists(tablePath("Counterbored")));
    EXPECT_FALSE(plat::fileExists(tablesDir + "/Counterbored.txt"));
    EXPECT_STREQ(g_engine->configTarget.tableName, "_Forantix_CB");
}

// A process name typed into the process cell (a paste, a rename) that another process has, in any case,
// is refused with line 111 and the cell stays open; the same name in another case renames nothing.
TEST_F(ConfigProcessTest, ACellRenameOrPasteToATakenNameOverwritesNoProcess) {
    CTabColsDesc t;
    ASSERT_EQ(t.read(tablePath("Counterbored")), 0);
    PROCESS_OPE op;
    setOpeText(op, process_ope::opName, "Other");
    ASSERT_EQ(t.writeProcess("Spot", &op, 1), 0);
    const std::string before = bytesOf(tablePath("Counterbored"));
    script().listRClick(kConfig, kRows, 0).menu(2)                  // rename process "1" in its cell
        .type(kConfig, CConfigProcess::kCellEdit, "SPOT").key(kConfig, plat::VK_RETURN).answer(plat::IDOK)
        .type(kConfig, CConfigProcess::kCellEdit, "1").key(kConfig, plat::VK_RETURN)   // "1" again: nothing
        .listRClick(kConfig, kRows, 0).menu(3)                      // copy "1"
        .listRClick(kConfig, kRows, 1).menu(5)                      // paste it as "spot": refused
        .type(kConfig, CConfigProcess::kCellEdit, "spot").key(kConfig, plat::VK_RETURN).answer(plat::IDOK)
        .key(kConfig, plat::VK_ESCAPE)                             // the paste is left
        .click(kConfig, plat::IDOK);
    EXPECT_EQ(runOn("Counterbored", 0), 0);
    EXPECT_EQ(count("A process of this table has this name already."), 2);
    EXPECT_EQ(comments("Counterbored", "Spot"), std::vector<std::string>{"Other"});
    EXPECT_EQ(comments("Counterbored", "1").size(), 3u);
    EXPECT_EQ(bytesOf(tablePath("Counterbored")), before);
}

TEST_F(ConfigProcessTest, OnlyProcessesNoRowUsesAreMarkedForDeletion) {
    CDlgHandleProcess dlg;
    dlg.entries = {{"A", 0, 0}, {"B", 3, 0}, {"C", 0, 0}};
    script().listClick(CDlgHandleProcess::kTemplate, CDlgHandleProcess::kList, 0)
        .listClick(CDlgHandleProcess::kTemplate, CDlgHandleProcess::kList, 1, 0, true)
        .listClick(CDlgHandleProcess::kTemplate, CDlgHandleProcess::kList, 2, 0, true)
        .click(CDlgHandleProcess::kTemplate, CDlgHandleProcess::kDelete)
        .answer(plat::IDOK)
        .click(CDlgHandleProcess::kTemplate, plat::IDOK);
    EXPECT_EQ(doModalInPluginRes(dlg), plat::IDOK);
    expectScriptPlayed();
    EXPECT_EQ(dlg.entries[0].deleted, 1);
    EXPECT_EQ(dlg.entries[1].deleted, 0);
    EXPECT_EQ(dlg.entries[2].deleted, 1);
    EXPECT_TRUE(transcript().contains("1 of the selected processes are used by rows and were kept."));
    EXPECT_NE(plat::lastSnapshot(CDlgHandleProcess::kTemplate).find("rows=1"), std::string::npos);
}

// From the forms manager the configuration starts with the chooser: a click on a table's picture opens it,
// its safety copies are taken then, and the cancel button puts back what the user changed.
TEST_F(ConfigProcessTest, TheTableChosenFirstIsTheOneTheCancelButtonPutsBack) {
    const std::string tab = bytesOf(tablePath("Drilled")), txt = rows("Drilled");
    const plat::Point slot = pictureSlot(4);
    g_engine->configAction = 0;
    std::string beforeCancel;
    when("user click 18018 4255", [&] { beforeCancel = rows("Drilled"); });
    script().clickAt(CSelectShapeTable::kTemplate, slot.x, slot.y)   // the fifth: "Drilled"
        .listRClick(kConfig, kRows, 0).menu(1)
        .click(kConfig, CConfigProcess::kCancelRestore).answer(plat::IDYES);
    EXPECT_EQ(runConfigProcess(0), 0);
    expectScriptPlayed();
    EXPECT_TRUE(transcript().contains("dialog.show 18018 modal caption=\"Process configuration: Drilled (mm) \""));
    EXPECT_EQ(beforeCancel, txt + "0 3 1 (0,0,6,10,16,25,40) \r\n");   // the new row was written
    EXPECT_EQ(rows("Drilled"), txt);
    EXPECT_EQ(bytesOf(tablePath("Drilled")), tab);
}

// The features ask for a thread: the chooser opens on the thread tables, and the row the user leaves the
// dialog on comes back with its cells; leaving it with Esc chooses nothing.
TEST_F(ConfigProcessTest, TheChooseModeGivesTheRowTheUserLeftOn) {
    const plat::Point slot = pictureSlot(0);
    script().clickAt(CSelectShapeTable::kTemplate, slot.x, slot.y)
        .listClick(kConfig, kRows, 3)
        .click(kConfig, plat::IDOK);
    const CONFIG_CHOICE choice = chooseTableRow(kTableThread);
    expectScriptPlayed();
    EXPECT_EQ(choice.result, CConfigProcess::kChooseMode);
    EXPECT_EQ(choice.tableName, "Metric coarse");
    EXPECT_EQ(choice.row, 3);
    ASSERT_FALSE(choice.rowCells.empty());
    CTabColsDesc t;
    ASSERT_EQ(t.read(tablePath("Metric coarse")), 0);
    ASSERT_GT(t.readRows(), 3);
    EXPECT_EQ(choice.rowCells[0], t.cell(3, 0));

    script().clickAt(CSelectShapeTable::kTemplate, slot.x, slot.y).key(kConfig, plat::VK_ESCAPE);
    EXPECT_EQ(chooseTableRow(kTableThread).row, -1);
    expectScriptPlayed();
}

// A new operation asked for on a row without a process puts the user into the row's process cell.
TEST_F(ConfigProcessTest, ANewOperationOnARowWithoutProcessAsksForItsName) {
    std::string txt = rows("Drilled");
    txt.replace(0, txt.find("\r\n"), "D3 3");   // no process, nor the list after it
    ASSERT_TRUE(plat::writeFile(tablesDir + "/Drilled.txt", txt));
    script().listDblClick(kConfig, kRows, 0, 2).type(kConfig, CConfigProcess::kCellEdit, "").key(kConfig, plat::VK_RETURN)
        .treeRClick(kConfig, CConfigProcess::kTree, "").menu(121).answer(plat::IDOK)
        .type(kConfig, CConfigProcess::kCellEdit, "Fresh").key(kConfig, plat::VK_RETURN)
        .click(kConfig, plat::IDOK);
    EXPECT_EQ(runOn("Drilled", 0), 0);
    EXPECT_TRUE(transcript().contains("The row has no process"));
    EXPECT_EQ(count("dialog.end 18018"), 1);
    EXPECT_EQ(rows("Drilled").substr(0, 10), "D3 3 Fresh");
}

// The rows file cannot hold an empty cell before a filled one (its blanks would move the later cells one
// column left): a cell typed empty there, or the last operation of a process whose rows hold cells after the
// process's name, is refused with the reason, and the rows and the process stay as they were.
TEST_F(ConfigProcessTest, NoCellIsLeftEmptyBeforeAFilledOne) {
    const struct {
        const char* what;
        std::function<void()> steps;
        const char* told;
    } cases[] = {
        {"a measure typed empty",
         [this] {
             script().listDblClick(kConfig, kRows, 0, 1).type(kConfig, CConfigProcess::kCellEdit, " ")
                 .key(kConfig, plat::VK_RETURN).answer(plat::IDOK).key(kConfig, plat::VK_ESCAPE);
         },
         "The cell of D cannot be left empty while a cell after it holds a value"},
        {"the last operation of a process its rows name",
         [this] {
             CTabColsDesc t;
             ASSERT_EQ(t.read(tablePath("Drilled")), 0);
             std::vector<PROCESS_OPE> ops(kMaxProcessOps);
             ASSERT_GT(t.readProcess("1", ops.data()), 1);
             ASSERT_EQ(t.writeProcess("1", ops.data(), 1), 0);   // its first operation alone
             script().treeRClick(kConfig, CConfigProcess::kTree, opeText(ops[0], process_ope::label))
                 .menu(124).answer(plat::IDOK);
         },
         "The last operation of 1 is kept"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string before = rows("Drilled");
        c.steps();
        script().click(kConfig, plat::IDOK);
        EXPECT_EQ(runOn("Drilled", 0), 0);
        EXPECT_TRUE(transcript().contains(c.told));
        EXPECT_EQ(rows("Drilled"), before);
        EXPECT_FALSE(comments("Drilled", "1").empty());
    }
}

}  // namespace
