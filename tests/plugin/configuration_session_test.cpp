// The process configuration as a user reaches it from the process tree of the recognised example plate:
// rows, operations edited in the operation editor, processes made, renamed, copied, chosen and deleted;
// saved, the table's files hold exactly those changes (golden files); cancelled, they hold every byte they
// held before.
#include <gtest/gtest.h>

#include <functional>

#include "platform/sys/files.h"
#include "platform/ui/keys.h"
#include "plugin/configuration/config_dialogs.h"
#include "plugin/services/configuration.h"
#include "support/golden.h"
#include "support/process_tree_fixture.h"

namespace {

constexpr int kConfig = CConfigProcess::kTemplate, kRows = CConfigProcess::kRows, kOps = CConfigProcess::kTree;
constexpr int kEditor = 18015, kNameDlg = 18094, kNameEdit = 18098, kDeleteDlg = 18093;
const std::string kGolden = std::string(FX_SOURCE_DIR) + "/tests/sessions/golden/";

class ConfigurationSession : public ProcessTreeFixture {
protected:
    std::string table(const char* ext) { return g_globals->tablesDir + "/Drilled" + ext; }
    // The user opens the process tree, configures the first hole's table (Drilled, on its row D8), does
    // `work` there and leaves the tree and the main menu.
    void inConfiguration(const std::function<void(plat::Script&)>& work) {
        const std::string view = "(Group 0)  TOP";
        script().click(kMenu, kViewProcess).treeExpand(kTreeDlg, kTree, view).treeRClick(kTreeDlg, kTree, view + "/" + item(1)).menu(30);
        work(script());
        script().click(kTreeDlg, plat::IDOK).click(kMenu, plat::IDOK);
        m_main();
        for (const auto& l : transcript().lines())
            if (l.find("script error") != std::string::npos) ADD_FAILURE() << l;
        expectScriptPlayed();
    }
    // A new row under D8, its drilling's comment edited, its process copied, a new process for it renamed
    // (once to a name the table has), the copy chosen for it in the combo, and the process no row uses
    // any more deleted.
    static void changes(plat::Script& s) {
        s.listRClick(kConfig, kRows, 8).menu(1)                           // new row "0 8 1"
            .treeRClick(kConfig, kOps, "Drilling (D) - ").menu(102)        // edit the drilling
            .type(kEditor, 4094, "Edited")
            .click(kEditor, plat::IDOK)
            .click(kConfig, CConfigProcess::kCopyProcess)                  // "1" copied as "Copied"
            .type(kNameDlg, kNameEdit, "Copied")
            .click(kNameDlg, plat::IDOK)
            .click(kConfig, CConfigProcess::kNewProcess)
            .type(kNameDlg, kNameEdit, " Deep drill ")
            .click(kNameDlg, plat::IDOK)
            .click(kConfig, CConfigProcess::kRenameProcess)
            .type(kNameDlg, kNameEdit, "copied")                           // taken, in another case
            .click(kNameDlg, plat::IDOK)
            .answer(plat::IDOK)
            .type(kNameDlg, kNameEdit, "Deep hole")
            .click(kNameDlg, plat::IDOK)
            .select(kConfig, CConfigProcess::kProcessCombo, 1)             // the row takes "Copied"
            .click(kConfig, CConfigProcess::kDeleteProcesses)
            .listClick(kDeleteDlg, 18124, 2)                               // "Deep_hole", used by no row
            .click(kDeleteDlg, 18041)
            .click(kDeleteDlg, plat::IDOK);
    }
};

TEST_F(ConfigurationSession, ARoundTripSavedHoldsExactlyItsChangesGolden) {
    inConfiguration([](plat::Script& s) {
        changes(s);
        s.click(kConfig, plat::IDOK);
    });
    EXPECT_TRUE(transcript().contains("text=\"A process of this table has this name already. Type another name.\""));
    const std::string snapshot = plat::lastSnapshot(kConfig);
    EXPECT_NE(snapshot.find("row 20 [\"0\",\"8\",\"Copied\"] data=20 selected focused"), std::string::npos) << snapshot;
    EXPECT_NE(snapshot.find("items=[\"1\",\"Copied\"] sel=1"), std::string::npos) << snapshot;
    expectGolden(kGolden + "config_round_trip.Drilled.tab", plat::readFile(table(".tab")).value_or("<missing>"));
    expectGolden(kGolden + "config_round_trip.Drilled.txt", plat::readFile(table(".txt")).value_or("<missing>"));
}

TEST_F(ConfigurationSession, TheSameRoundTripCancelledLeavesEveryFileAsItWas) {
    const std::string tab = plat::readFile(table(".tab")).value_or(""), txt = plat::readFile(table(".txt")).value_or("");
    ASSERT_FALSE(tab.empty());
    inConfiguration([](plat::Script& s) {
        changes(s);
        s.click(kConfig, CConfigProcess::kCancelRestore).answer(plat::IDNO)   // No keeps the changes and the dialog
            .click(kConfig, CConfigProcess::kCancelRestore).answer(plat::IDYES);
    });
    EXPECT_EQ(plat::readFile(table(".tab")).value_or(""), tab);
    EXPECT_EQ(plat::readFile(table(".txt")).value_or(""), txt);
    EXPECT_EQ(count("Put the table back as it was"), 2);
}

}  // namespace
