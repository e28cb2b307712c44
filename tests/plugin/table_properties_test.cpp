// A table's properties as the user edits them: the values written when changed (golden file), every file
// left byte for byte by Cancel or an OK that changed nothing, what each class of table shows, the rename of a
// provisional table that never takes a taken name, a read-only station, and values the table could not keep.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "platform/sys/files.h"
#include "plugin/configuration/table_dialogs.h"
#include "support/golden.h"
#include "support/table_files.h"
#include "support/tables_fixture.h"

namespace {

using Props = CDlgShapeProp;
const std::string kGolden = std::string(FX_SOURCE_DIR) + "/tests/plugin/golden/";
const std::string kName = "[Item 1] 0 1 \"Name\" 0 0 0.00 0 \"\" 0 \"\" 0.00\r\n";
const std::string kBore = "[Item 2] 1 2 \"D\" 0 1 0.00 3 \"L\" 0 \"\" 0.00\r\n";
const std::string kBoreWithoutLength = "[Item 2] 1 2 \"D\" 0 1 0.00 0 \"\" 0 \"\" 0.00\r\n";
const std::string kCounterbore = "[Item 2] 1 2 \"D1\" 0 1 0.00 3 \"L1\" 0 \"\" 0.00\r\n"
                                 "[Item 3] 1 4 \"D2\" 0 0 0.00 0 \"\" 0 \"\" 0.00\r\n";
const std::string kPrm = "0 0.000 0.000 0 0.000 0 0.000 0 0.767945 0.802851 2.000 0 2.000 0 0.000 0 0.000 0.0125 0.160";

class TablePropertiesTest : public TablesFixture {
protected:
    void SetUp() override {
        TablesFixture::SetUp();
        g_globals->tableNamePrefix = "_Forantix_";
        g_globals->sharedDataOn = 0;
    }
    // Writes the table and reads it back as the configuration holds it.
    CTabColsDesc table(const std::string& name, int tableClass = 0, const std::string& items = kBore,
                       int classValue5 = 0) {
        std::string text = tableText(tableClass, 21, kName + items, "", kPrm);
        text.replace(text.find("\r\n") - 1, 1, std::to_string(classValue5));
        EXPECT_TRUE(plat::writeFile(tablePath(name), text));
        EXPECT_TRUE(plat::writeFile(tablesDir + "/" + name + ".txt", "R1 10 20 Drill \r\n"));
        CTabColsDesc t;
        EXPECT_EQ(t.read(tablePath(name)), 0);
        return t;
    }
    std::map<std::string, std::string> files() {
        std::map<std::string, std::string> out;
        for (const std::string& folder : {tablesDir, tmpDir})
            for (const auto& f : std::filesystem::directory_iterator(folder))
                if (f.is_regular_file()) out[f.path().filename().string()] = bytesOf(f.path().string());
        return out;
    }
    int run(CTabColsDesc& t) { return runTableProperties(t, &newName, &written); }
    plat::Script& in() { return script(); }
    std::string newName;
    bool written = false;
};

TEST_F(TablePropertiesTest, ChangedPropertiesAreWrittenToTheTableGolden) {
    CTabColsDesc t = table("_Forantix_2d_1");
    const std::string before = bytesOf(tablePath("_Forantix_2d_1"));
    const int w = Props::kTemplate;
    in().type(w, Props::kAngleFrom, "40").type(w, Props::kAngleTo, "50").type(w, Props::kMaxChamfer, "1.5");
    in().check(w, Props::kMakeChamfer, 1).type(w, Props::kDefaultChamfer, "0.5");
    in().type(w, Props::kDiameterTolerance, "2").type(w, Props::kLengthTolerance, "5");
    in().click(w, Props::kNearestD).click(w, plat::IDOK);
    EXPECT_EQ(run(t), plat::IDOK);
    expectScriptPlayed();
    EXPECT_TRUE(written);
    EXPECT_EQ(newName, "");
    EXPECT_NEAR(t.chamferAngleA, 40 * 0.017453292519943295, 1e-15);
    EXPECT_EQ(t.classValue5, 1);
    expectGolden(kGolden + "table_properties_changed.tab", bytesOf(tablePath("_Forantix_2d_1")));
    EXPECT_EQ(bytesOf(tablesDir + "/_Forantix_2d_1.txt"), "R1 10 20 Drill \r\n");
    // The file as it was stays in the work folder.
    EXPECT_EQ(files().at("_Forantix_2d_1.Ta~"), before);
}

TEST_F(TablePropertiesTest, CancelAndAnOkThatChangedNothingLeaveEveryFileByteForByte) {
    CTabColsDesc t = table("Drilled");
    const auto before = files();
    const int w = Props::kTemplate;

    in().type(w, Props::kAngleFrom, "30").check(w, Props::kMakeChamfer, 1).click(w, plat::IDCANCEL);
    EXPECT_EQ(run(t), plat::IDCANCEL);
    in().type(w, Props::kMaxChamfer, "9").close(w);
    EXPECT_EQ(run(t), plat::IDCANCEL);
    // The tolerance of 1.25 % shows as "1.2": left as shown, it keeps its value.
    in().click(w, plat::IDOK);
    EXPECT_EQ(run(t), plat::IDOK);
    expectScriptPlayed();
    EXPECT_FALSE(written);
    EXPECT_DOUBLE_EQ(t.diameterTolerance, 0.0125);
    EXPECT_EQ(files(), before);

    // A disk that fills while the table is written: told, the file and the table in memory as they were.
    plat::failWriteAfter(1, 100);
    in().type(w, Props::kMaxChamfer, "9").click(w, plat::IDOK).answer(plat::IDOK);
    EXPECT_EQ(run(t), plat::IDCANCEL);
    expectScriptPlayed();
    EXPECT_DOUBLE_EQ(t.maxChamfer, 2);
    EXPECT_EQ(bytesOf(tablePath("Drilled")), before.at("Drilled.tab"));
}

TEST_F(TablePropertiesTest, EachClassOfTableShowsItsOwnValues) {
    struct CLASS_CASE {
        const char* what;
        int tableClass;
        std::string items;
        bool diameter, length, radios;
        std::string note;
    };
    const CLASS_CASE cases[] = {
        {"drill sizes", kTableDrillSize, kBore, false, false, false,
         "A drill-size table finds its row by the drill's diameter."},
        {"threads", kTableThread, kBore, true, false, false, "A thread table finds its row by the thread's designation."},
        {"looked up by name", kTableNamed, kBore, true, true, true, ""},
        {"one flat bore", kTableFormClass, kBore, true, true, true, ""},
        {"one bore without a length", kTableFormClass, kBoreWithoutLength, true, false, true, ""},
        {"a counterbore", kTableFormClass, kCounterbore, true, true, false, ""},
    };
    for (const CLASS_CASE& c : cases) {
        CTabColsDesc t = table("T", c.tableClass, c.items, 1);
        Props dlg;
        dlg.table = &t;
        dlg.nearestDValue = 0;
        ASSERT_TRUE(dlg.create()) << c.what;
        EXPECT_EQ(dlg.item(Props::kDiameterTolerance).visible(), c.diameter) << c.what;
        EXPECT_EQ(dlg.item(4162).visible(), c.diameter) << c.what;
        EXPECT_EQ(dlg.item(Props::kLengthTolerance).visible(), c.length) << c.what;
        EXPECT_EQ(dlg.item(4155).visible(), c.length) << c.what;
        EXPECT_EQ(dlg.item(Props::kNearestD).visible(), c.radios) << c.what;
        EXPECT_EQ(dlg.item(Props::kNote).visible(), !c.note.empty()) << c.what;
        if (!c.note.empty()) {
            EXPECT_EQ(dlg.item(Props::kNote).text(), c.note) << c.what;
        }
        EXPECT_EQ(dlg.windowText(), "Table properties: T (mm)");
        if (c.radios) {
            dlg.showWindow(true);
            EXPECT_EQ(dlg.item(Props::kDefiniteD).check(), 1);
            ASSERT_EQ(dlg.userClick(Props::kNearestD), "");
            EXPECT_FALSE(dlg.item(Props::kDiameterTolerance).enabled()) << c.what;
            ASSERT_EQ(dlg.userClick(Props::kDefiniteD), "");
            EXPECT_TRUE(dlg.item(Props::kDiameterTolerance).enabled()) << c.what;
        }
        dlg.destroyWindow();
    }

    // A drill-size table offers no choice of the D value: OK keeps the table's own.
    CTabColsDesc drills = table("Drill sizes", kTableDrillSize, kBore, 1);
    in().type(Props::kTemplate, Props::kMaxChamfer, "3").click(Props::kTemplate, plat::IDOK);
    EXPECT_EQ(run(drills), plat::IDOK);
    EXPECT_TRUE(written);
    CTabColsDesc reread;
    ASSERT_EQ(reread.read(tablePath("Drill sizes")), 0);
    EXPECT_EQ(reread.classValue5, 1);
    EXPECT_DOUBLE_EQ(reread.maxChamfer, 3);
}

TEST_F(TablePropertiesTest, OnlyAProvisionalTableIsRenamedAndNeverToATakenName) {
    const int w = Props::kTemplate;
    CTabColsDesc plain = table("Drilled");
    in().check(w, Props::kRename, 1).answer(plat::IDOK).click(w, plat::IDOK);
    EXPECT_EQ(run(plain), plat::IDOK);
    expectScriptPlayed();
    EXPECT_TRUE(transcript().contains("Only a table that still has its provisional name"));
    const std::string snapshot = plat::lastSnapshot(w);
    const std::size_t box = snapshot.find("4019 Check");
    ASSERT_NE(box, std::string::npos);
    EXPECT_NE(snapshot.substr(box, snapshot.find('\n', box) - box).find("check=0"), std::string::npos) << snapshot;
    EXPECT_EQ(newName, "");

    table("Holes");
    table("holes_1");
    CTabColsDesc provisional = table("_Forantix_1d_4");
    const auto before = files();
    in().check(w, Props::kRename, 1).type(w, Props::kNewName, "HOLES").click(w, plat::IDOK);
    in().answer(plat::IDCANCEL);                                     // the free name refused: the dialog stays
    in().type(w, Props::kNewName, "../HOLES").click(w, plat::IDOK).answer(plat::IDOK);   // no such file name
    in().type(w, Props::kNewName, "HOLES").click(w, plat::IDOK).answer(plat::IDOK);
    EXPECT_EQ(run(provisional), plat::IDOK);
    expectScriptPlayed();
    EXPECT_EQ(newName, "HOLES_2");
    EXPECT_EQ(count("A table of this name exists already:\\nHOLES\\nThe first free name is:\\nHOLES_2"), 2);
    EXPECT_EQ(count("A table name holds 1 to 31 characters"), 1);
    EXPECT_FALSE(written);
    EXPECT_EQ(files(), before) << "the files are renamed by the configuration's OK";
}

TEST_F(TablePropertiesTest, AReadOnlyStationSeesTheValuesButChangesNone) {
    g_globals->sharedDataOn = 1;
    g_globals->sharedAccessMode = 0;
    CTabColsDesc t = table("_Forantix_1d_1", kTableNamed);
    const auto before = files();
    Props dlg;
    dlg.table = &t;
    dlg.angleFromText = "44";
    ASSERT_TRUE(dlg.create());
    EXPECT_EQ(dlg.windowText(), "Table properties: _Forantix_1d_1 (mm) (read only)");
    EXPECT_EQ(dlg.item(Props::kAngleFrom).text(), "44");
    for (int id : {Props::kDefiniteD, Props::kNearestD, Props::kDiameterTolerance, Props::kLengthTolerance,
                   Props::kRename, Props::kNewName, Props::kMakeChamfer, Props::kMaxChamfer, Props::kDefaultChamfer,
                   Props::kAngleFrom, Props::kAngleTo})
        EXPECT_FALSE(dlg.item(id).enabled()) << id;
    dlg.destroyWindow();
    in().click(Props::kTemplate, plat::IDOK);
    EXPECT_EQ(run(t), plat::IDOK);
    expectScriptPlayed();
    EXPECT_FALSE(written);
    EXPECT_EQ(files(), before);
}

TEST_F(TablePropertiesTest, ValuesTheTableCouldNotKeepAreToldAndTypedAgain) {
    CTabColsDesc t = table("Drilled");
    const auto before = files();
    const int w = Props::kTemplate;
    in().type(w, Props::kAngleFrom, "forty").click(w, plat::IDOK).answer(plat::IDOK);
    // Shown again with what was typed.
    in().type(w, Props::kAngleFrom, "40").type(w, Props::kDiameterTolerance, "150").click(w, plat::IDOK);
    in().answer(plat::IDOK);
    in().type(w, Props::kDiameterTolerance, "-1").click(w, plat::IDOK).answer(plat::IDOK);
    in().click(w, plat::IDCANCEL);
    EXPECT_EQ(run(t), plat::IDCANCEL);
    expectScriptPlayed();
    EXPECT_EQ(count("A value is not a number, or a tolerance lies outside 0 to 100 %."), 3);
    EXPECT_EQ(files(), before);
    EXPECT_DOUBLE_EQ(t.diameterTolerance, 0.0125);
}

}  // namespace
