// The coloured-features configuration as the user edits it, on an empty forms folder of the loaded plug-in:
// the "Default" file it writes, the colour fields, Save as, Rename and Delete with their refusals and
// failures, the part's translation table merged into the host colours, and the RGB picker's sort.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "host/api.h"
#include "platform/sys/files.h"
#include "platform/ui/list_view.h"
#include "plugin/base/globals.h"
#include "plugin/features/coloured_features.h"
#include "support/plugin_fixture.h"

namespace {

using Dlg = CDlgFeaturesColoredConfig;
constexpr int kDlg = Dlg::kTemplate, kInput = CDlgInput::kTemplate, kRgb = CDlgRGBcolorsMgr::kTemplate;

class ColouredFeaturesTest : public PluginFixture {
protected:
    void SetUp() override {
        PluginFixture::SetUp();
        loadAndCloseOnce();
        forms = g_globals->formsDir;
        for (const plat::FileEntry& f : plat::findFiles(forms, "*.ReamCfg")) plat::removeFile(forms + "/" + f.name);
        plat::driver().reset();
    }
    // The dialog with the settings' defaults, as the features manager gives them.
    static Dlg& withDefaults(Dlg& dlg) {
        dlg.configName = "Default";
        dlg.reamColors = {0, 9, 13, 0, 0, 0};
        dlg.reamTables[0] = "Q_Reaming{H6}";
        dlg.reamTables[1] = "Q_Reaming{H8}";
        dlg.threadColors[0] = 14;
        dlg.threadTables[0] = "K_Metric_Tap";
        return dlg;
    }
    std::string file(const std::string& name) { return plat::readFile(forms + "/" + name + ".ReamCfg").value_or("<none>"); }
    std::string forms;
};

TEST_F(ColouredFeaturesTest, AnEmptyFormsFolderGetsTheDefaultFileByteForByte) {
    Dlg dlg;
    script().click(kDlg, plat::IDCANCEL);
    EXPECT_EQ(withDefaults(dlg).doModal(), plat::IDCANCEL);
    expectScriptPlayed();
    EXPECT_EQ(file("Default"),
              "[ReamColors]\r\n1. 0\r\n2. 9\r\n3. 13\r\n4. 0\r\n5. 0\r\n6. 0\r\n"
              "[ReamTables]\r\n1. Q_Reaming{H6}\r\n2. Q_Reaming{H8}\r\n3. \r\n4. \r\n5. \r\n6. \r\n"
              "[ThreadColors]\r\n1. 14\r\n2. 0\r\n3. 0\r\n"
              "[ThreadTables]\r\n1. K_Metric_Tap\r\n2. \r\n3. \r\n");
    const COLOURED_FEATURES read = readColouredConfig(colouredConfigPath("Default"));
    EXPECT_EQ(read.reamColors[2], 13);
    EXPECT_EQ(read.threadTables[0], "K_Metric_Tap");
}

TEST_F(ColouredFeaturesTest, ColourFieldsKeepTheirLowEightBitsAndTheLibraryTablesFillTheLists) {
    Dlg dlg;
    script()
        .type(kDlg, Dlg::kReamColour, "300")
        .type(kDlg, Dlg::kReamColour + 1, "abc")
        .select(kDlg, Dlg::kThreadTable + 1, 1)
        .click(kDlg, plat::IDOK);
    EXPECT_EQ(withDefaults(dlg).doModal(), plat::IDOK);
    expectScriptPlayed();
    EXPECT_EQ(dlg.reamColors[0], 44);
    EXPECT_EQ(dlg.reamColors[1], 0);
    // The shipped library's thread tables; a name it lacks shows (and stores) the first of them.
    EXPECT_EQ(dlg.threadTables[0], "Metric coarse");
    EXPECT_EQ(dlg.threadTables[1], "Metric fine");
    EXPECT_EQ(dlg.reamTables[0], "");   // no table looked up by name in the library
    EXPECT_NE(file("Default").find("[ReamColors]\r\n1. 44\r\n2. 0\r\n"), std::string::npos);
}

TEST_F(ColouredFeaturesTest, SaveAsRefusesPathsAndRenameFailuresKeepTheConfiguration) {
    Dlg dlg;
    script()
        // Save as under a name that would leave the folder: refused, nothing written.
        .click(kDlg, Dlg::kSaveAs).type(kInput, CDlgInput::kEdit, "../Escaped").click(kInput, plat::IDOK)
        .answer(plat::IDOK)
        .click(kDlg, Dlg::kSaveAs).type(kInput, CDlgInput::kEdit, "a\\b").click(kInput, plat::IDOK)
        .answer(plat::IDOK)
        // A good one: written and selected.
        .type(kDlg, Dlg::kReamColour, "5")
        .click(kDlg, Dlg::kSaveAs).type(kInput, CDlgInput::kEdit, "Second").click(kInput, plat::IDOK)
        // Rename onto an existing file fails: told, "Second" stays current.
        .click(kDlg, Dlg::kRename).type(kInput, CDlgInput::kEdit, "Default").click(kInput, plat::IDOK)
        .answer(plat::IDOK)
        .click(kDlg, plat::IDCANCEL);
    EXPECT_EQ(withDefaults(dlg).doModal(), plat::IDCANCEL);
    expectScriptPlayed();
    EXPECT_EQ(count("cannot name a configuration"), 2);
    EXPECT_FALSE(plat::fileExists(forms + "/../Escaped.ReamCfg"));
    EXPECT_EQ(count("could not be renamed to Default"), 1);
    EXPECT_EQ(dlg.configName, "Second");
    EXPECT_EQ(readColouredConfig(colouredConfigPath("Second")).reamColors[0], 5);
    EXPECT_EQ(readColouredConfig(colouredConfigPath("Default")).reamColors[0], 0);
}

TEST_F(ColouredFeaturesTest, AFailedWriteIsToldAndTheFileStaysAsItWas) {
    Dlg dlg;
    script().click(kDlg, plat::IDCANCEL);
    withDefaults(dlg).doModal();
    const std::string before = file("Default");
    plat::driver().reset();
    script().type(kDlg, Dlg::kReamColour, "7").click(kDlg, plat::IDOK).answer(plat::IDOK).click(kDlg, plat::IDCANCEL);
    plat::failNextWriteAfter(3);
    EXPECT_EQ(dlg.doModal(), plat::IDCANCEL);   // the OK was refused: the dialog stayed
    expectScriptPlayed();
    EXPECT_EQ(count("could not be written"), 1);
    EXPECT_EQ(file("Default"), before);
}

TEST_F(ColouredFeaturesTest, DeletingTheLastConfigurationWritesDefaultAgainFromTheDialog) {
    Dlg dlg;
    script().type(kDlg, Dlg::kReamColour + 5, "77").click(kDlg, Dlg::kDelete).answer(plat::IDYES).click(kDlg, plat::IDCANCEL);
    withDefaults(dlg).doModal();
    expectScriptPlayed();
    EXPECT_EQ(count("Delete the configuration Default?"), 1);
    EXPECT_EQ(dlg.configName, "Default");
    EXPECT_NE(file("Default").find("[ReamColors]\r\n1. 0\r\n"), std::string::npos);
}

TEST_F(ColouredFeaturesTest, TheNamedConfigurationIsFoundWhateverItsCaseAndAnotherOneIsReadWhenChosen) {
    COLOURED_FEATURES alpha;
    alpha.reamColors[0] = 33;
    ASSERT_TRUE(writeColouredConfig(colouredConfigPath("Alpha"), alpha));
    ASSERT_TRUE(writeColouredConfig(colouredConfigPath("Default"), COLOURED_FEATURES{}));
    Dlg dlg;
    withDefaults(dlg).configName = "alpha";
    script().select(kDlg, Dlg::kConfigs, 1).click(kDlg, plat::IDOK);
    EXPECT_EQ(dlg.doModal(), plat::IDOK);
    expectScriptPlayed();
    EXPECT_EQ(dlg.configName, "Default");
    EXPECT_EQ(dlg.reamColors[0], 0);
    // The first showing was Alpha's.
    EXPECT_TRUE(transcript().contains("5000 Edit \"33\"")) << plat::lastSnapshot(kDlg);
}

TEST_F(ColouredFeaturesTest, ThePartsTranslationTableGivesItsColoursAndTheRgbPickTheColourNumber) {
    ent note{};
    calc_note(&note, 1, p_3d{0, 0, 0}, "---VERTA Color Table---\nnum rgb host\n17 255-128-0 5\n");
    db_ptr entry = 0;
    char ok = 0;
    store_ent(&note, &entry, 0, 1, 1, main_attrib, &ok);
    ASSERT_EQ(ok, 1);
    Dlg dlg;
    // Only the translated colour is listed; the user takes it for the first reaming row.
    script().click(kDlg, Dlg::kReamRgb).listClick(kRgb, CDlgRGBcolorsMgr::kList, 0).click(kRgb, plat::IDOK)
        .click(kDlg, plat::IDCANCEL);
    withDefaults(dlg).doModal();
    expectScriptPlayed();
    ASSERT_EQ(dlg.hostColors.size(), 256u);
    // The note's third word is the host colour plus one: "5" is host colour 4.
    const RGB_COLOR_NUM& four = dlg.hostColors[4];
    EXPECT_EQ(four.colorNumber, 4);
    EXPECT_EQ(four.vertaNumber, 17);
    EXPECT_EQ(four.red, 255);
    EXPECT_EQ(four.green, 128);
    EXPECT_EQ(dlg.hostColors[5].vertaNumber, 0);
    EXPECT_EQ(dlg.hostColors[9].blue, 255);   // the palette's own colour: host colour 9 is palette entry 9
    EXPECT_NE(plat::lastSnapshot(kDlg).find("5000 Edit text=\"4\""), std::string::npos) << plat::lastSnapshot(kDlg);
}

TEST_F(ColouredFeaturesTest, TheRgbListSortedByAColumnStillGivesTheChosenEntrysListIndex) {
    std::vector<RGB_COLOR_NUM> colours(3);
    const std::uint8_t numbers[3] = {30, 10, 20};
    for (std::uint16_t i = 0; i < 3; ++i) {
        colours[i].colorNumber = numbers[i];
        colours[i].listIndex = i;
        colours[i].red = static_cast<std::uint8_t>(100 - i);
    }
    CDlgRGBcolorsMgr picker;
    picker.colorList = &colours;
    picker.currentColor = 20;
    script().columnClick(kRgb, CDlgRGBcolorsMgr::kList, 1).listClick(kRgb, CDlgRGBcolorsMgr::kList, 0).click(kRgb, plat::IDOK);
    EXPECT_EQ(picker.doModal(), plat::IDOK);
    expectScriptPlayed();
    EXPECT_EQ(picker.chosenIndex, 1);   // colour 10 sorts first: the entry at index 1
    EXPECT_EQ(colours[1].row, 0);
    EXPECT_EQ(colours[2].row, 1);
    EXPECT_EQ(colours[0].row, 2);

    // Nothing selected (the preselected colour is not listed): the index stays as the caller set it.
    picker.currentColor = 99;
    picker.chosenIndex = 2;
    picker.onlyTranslated = 1;
    script().click(kRgb, plat::IDOK);
    EXPECT_EQ(picker.doModal(), plat::IDOK);
    EXPECT_EQ(picker.chosenIndex, 2);
}

}  // namespace
