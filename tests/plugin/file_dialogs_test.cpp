// Asking for files and folders as the plug-in's commands do: the path chosen, the default extension, Cancel
// leaving everything as it was, the host's editor opened on the chosen file, and multiple selections.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "host/state.h"
#include "platform/sys/files.h"
#include "platform/ui/driver.h"
#include "platform/ui/file_dialog.h"
#include "plugin/base/file_dialogs.h"
#include "support/temp_dir.h"

namespace {

class FileDialogTest : public testing::Test {
protected:
    void SetUp() override {
        plat::driver().reset();
        host::reset();
        reports = dir.path() + "/Reports";
        ASSERT_TRUE(plat::createDirectories(reports));
        ASSERT_TRUE(plat::writeFile(reports + "/DrillList.txt", "list"));
        ASSERT_TRUE(plat::writeFile(reports + "/Times.lst", "times"));
        cwd = std::filesystem::current_path();
    }
    void TearDown() override { EXPECT_EQ(std::filesystem::current_path(), cwd); }
    plat::Script& script() { return plat::driver().script(); }
    const plat::Transcript& transcript() { return plat::driver().transcript(); }
    void expectScriptPlayed() {
        EXPECT_TRUE(plat::driver().errors().empty()) << plat::driver().errors().front();
        EXPECT_TRUE(script().empty());
    }

    TempDir dir;
    std::string reports;
    std::filesystem::path cwd;
};

TEST_F(FileDialogTest, ReturnsTheChosenPathStartingAtTheGivenOne) {
    script().file(reports + "/Times.lst");
    EXPECT_EQ(openFileDialog(true, false, reports + "/DrillList.txt", "txt", "Text files|*.txt||"),
              reports + "/Times.lst");
    expectScriptPlayed();
    EXPECT_TRUE(transcript().contains("filedlg open dir=\"" + reports + "\" name=\"DrillList.txt\""));
}

TEST_F(FileDialogTest, ANameWithoutExtensionGetsTheDefault) {
    script().file("report");
    EXPECT_EQ(openFileDialog(false, false, reports + "/x.txt", "txt", "Text files|*.txt||"), reports + "/report.txt");
    // A dot in the folder's name does not count as the file's extension.
    const std::string dotted = dir.path() + "/Parts.2024";
    ASSERT_TRUE(plat::createDirectories(dotted));
    script().file(dotted + "/report");
    EXPECT_EQ(openFileDialog(false, false, dotted + "/", ".txt", "Text files|*.txt||"), dotted + "/report.txt");
    script().file("report.csv");
    EXPECT_EQ(openFileDialog(false, false, reports + "/", "txt", ""), reports + "/report.csv");
    expectScriptPlayed();
}

TEST_F(FileDialogTest, CancelReturnsNothingAndKeepsTheFilterIndex) {
    std::int16_t index = 2;
    script().file("");
    EXPECT_EQ(openFileDialog(true, false, reports + "/DrillList.txt", "txt", "Text|*.txt|All|*.*||", &index), "");
    EXPECT_EQ(index, 2);
    expectScriptPlayed();
    EXPECT_TRUE(transcript().contains("-> cancel"));
}

TEST_F(FileDialogTest, TheFilterIndexGoesInAndComesBack) {
    std::int16_t index = 2;
    script().file(reports + "/Times.lst");
    (void)openFileDialog(true, false, reports + "/", "txt", "Text|*.txt|All|*.*||", &index);
    EXPECT_TRUE(transcript().contains("idx=2"));
    EXPECT_EQ(index, 2);
    index = 0;
    script().file(reports + "/Times.lst");
    (void)openFileDialog(true, false, reports + "/", "txt", "Text|*.txt|All|*.*||", &index);
    EXPECT_EQ(index, 1);
}

// ---- the host's editor ---------------------------------------------------------------------------------

TEST_F(FileDialogTest, TheEditorOpensTheChosenFile) {
    script().file(reports + "/DrillList.txt");
    openFileInEditor(reports + "/DrillList.txt", "", "txt", "Text files");
    expectScriptPlayed();
    EXPECT_TRUE(transcript().contains("name=\"DrillList.txt\" ext=txt filter=\"Text files|*.txt||\""));
    EXPECT_EQ(host::editedFiles(), std::vector<std::string>{reports + "/DrillList.txt"});
    EXPECT_TRUE(transcript().contains("host.editor \"" + reports + "/DrillList.txt\""));
}

TEST_F(FileDialogTest, TheEditorsStartNameTakesTheGivenNameAndExtension) {
    script().file(reports + "/Times.lst");
    openFileInEditor(reports + "/DrillList.txt", "  Times ", " .lst", "Lists");
    expectScriptPlayed();
    EXPECT_TRUE(transcript().contains("name=\"Times.lst\" ext=lst filter=\"Lists|*.lst||\""));
    EXPECT_EQ(host::editedFiles(), std::vector<std::string>{reports + "/Times.lst"});
}

TEST_F(FileDialogTest, CancellingTheEditorsDialogOpensNothing) {
    script().file("");
    openFileInEditor(reports + "/DrillList.txt", "", "txt", "Text files");
    expectScriptPlayed();
    EXPECT_TRUE(host::editedFiles().empty());
    EXPECT_FALSE(transcript().contains("host.editor"));
}

// ---- CFileDialogST --------------------------------------------------------------------------------------

TEST_F(FileDialogTest, TheClassGivesThePartsOfTheChosenFile) {
    CFileDialogST dlg(0, "txt", nullptr, plat::OFN_OVERWRITEPROMPT, "Text|*.txt||", nullptr);
    EXPECT_NE(dlg.ofn.flags & plat::OFN_EXPLORER, 0u);
    dlg.fileName = reports + "/Old.txt";
    script().file("Summary");
    EXPECT_EQ(dlg.DoModal(), 1);
    expectScriptPlayed();
    EXPECT_TRUE(transcript().contains("filedlg save dir=\"" + reports + "\" name=\"Old.txt\""));
    EXPECT_EQ(dlg.getPathName(), reports + "/Summary.txt");
    EXPECT_EQ(dlg.getFileName(), "Summary.txt");
    EXPECT_EQ(dlg.getFileTitle(), "Summary");
    EXPECT_EQ(dlg.getFileExt(), "txt");
    EXPECT_EQ(dlg.getFileDir(), reports + "/");
    EXPECT_EQ(dlg.getFileDrive(), "");
    std::size_t pos = dlg.getStartPosition();
    EXPECT_EQ(dlg.getNextPathName(pos), reports + "/Summary.txt");
    EXPECT_EQ(pos, CFileDialogST::kNoPosition);
}

TEST_F(FileDialogTest, TheClassWritesIntoTheCallersBufferAndLeavesItOnCancel) {
    std::string buffer = reports + "/DrillList.txt";
    CFileDialogST dlg(1, "", &buffer, 0, "", nullptr);
    script().file("");
    EXPECT_EQ(dlg.DoModal(), 2);
    EXPECT_EQ(buffer, reports + "/DrillList.txt");
    script().file("Times.lst");
    EXPECT_EQ(dlg.DoModal(), 1);
    EXPECT_EQ(buffer, reports + "/Times.lst");
    EXPECT_EQ(dlg.getPathName(), reports + "/Times.lst");
    EXPECT_TRUE(dlg.fileName.empty());
    expectScriptPlayed();
}

TEST_F(FileDialogTest, AMultipleSelectionIsWalkedFileByFile) {
    CFileDialogST dlg(1, "", nullptr, plat::OFN_ALLOWMULTISELECT, "", nullptr);
    dlg.ofn.initialDir = reports;
    script().file("DrillList.txt|Times.lst");
    ASSERT_EQ(dlg.DoModal(), 1);
    std::vector<std::string> paths;
    for (std::size_t pos = dlg.getStartPosition(); pos != CFileDialogST::kNoPosition;)
        paths.push_back(dlg.getNextPathName(pos));
    EXPECT_EQ(paths, (std::vector<std::string>{reports + "/DrillList.txt", reports + "/Times.lst"}));

    // One file chosen in a multiple-selection dialog is that file, not a folder.
    script().file("Times.lst");
    ASSERT_EQ(dlg.DoModal(), 1);
    std::size_t pos = dlg.getStartPosition();
    EXPECT_EQ(dlg.getNextPathName(pos), reports + "/Times.lst");
    EXPECT_EQ(pos, CFileDialogST::kNoPosition);
    expectScriptPlayed();
}

TEST_F(FileDialogTest, OldStyleBuffersAreSeparatedByBlanks) {
    CFileDialogST dlg;
    dlg.ofn.flags = plat::OFN_ALLOWMULTISELECT;
    dlg.fileName = "/d/ a.txt b.txt";
    std::size_t pos = dlg.getStartPosition();
    EXPECT_EQ(dlg.getNextPathName(pos), "/d/a.txt");
    EXPECT_EQ(dlg.getNextPathName(pos), "/d/b.txt");
    EXPECT_EQ(pos, CFileDialogST::kNoPosition);
}

TEST_F(FileDialogTest, AChoiceTooLongForTheOwnBufferIsRefused) {
    CFileDialogST dlg(0, "", nullptr, 0, "", nullptr);
    dlg.fileName = "kept";
    script().file(reports + "/" + std::string(260, 'n') + ".txt");
    EXPECT_EQ(dlg.DoModal(), 2);
    EXPECT_EQ(dlg.fileName, "kept");
}

TEST_F(FileDialogTest, TheFolderPicker) {
    CFileDialogST dlg;
    script().folder(reports).folder("").folder("/" + std::string(300, 'f'));
    EXPECT_EQ(dlg.SelectFolder("Shared library", dir.path(), 0, nullptr), 1);
    EXPECT_EQ(dlg.GetSelectedFolder(), reports);
    EXPECT_EQ(dlg.SelectFolder("Shared library", dir.path(), 0, nullptr), 2);
    EXPECT_EQ(dlg.SelectFolder("Shared library", dir.path(), 0, nullptr), 2);
    EXPECT_EQ(dlg.GetSelectedFolder(), reports);
    expectScriptPlayed();
    EXPECT_TRUE(transcript().contains("folder title=\"Shared library\" start=\"" + dir.path() + "\""));
}

}  // namespace
