// The import of hole features from interchange files as a user runs it: the features manager's popup,
// its item "Import a features file..." and the file dialog, on a plate of 60 x 40 x 12 mm. What lands in
// the part are feature marks of origin 2; an import replaces the marks of the one before, and a file that
// cannot be read changes nothing.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "host/api.h"
#include "host/builder/part_builder.h"
#include "host/geom/surface_entities.h"
#include "host/state.h"
#include "platform/sys/files.h"
#include "plugin/base/utilities.h"
#include "plugin/cycle/records.h"
#include "plugin/features/feature_marks.h"
#include "plugin/import/interchange_import.h"
#include "plugin/model/feature_mark.h"
#include "plugin/model/tree.h"
#include "plugin/model/work_records.h"
#include "plugin/services/features.h"
#include "support/kept_marks.h"
#include "support/plugin_fixture.h"

namespace {

constexpr int kMenu = 18048, kFeaturesButton = 18004, kImportItem = 71;

std::string fixture(const std::string& name) { return std::string(FX_SOURCE_DIR) + "/tests/data/import/" + name; }

class InterchangeImportSession : public PluginFixture {
protected:
    void SetUp() override {
        PluginFixture::SetUp();
        storePlate();
    }
    void TearDown() override {
        if (g_globals.constructed()) freeCycleMarks();
        PluginFixture::TearDown();
    }

    static void storePlate() {
        const host::builder::BuiltPart part = host::builder::PartBuilder::block({60, 40, 12}).build();
        ASSERT_TRUE(part.ok()) << part.error;
        ASSERT_NE(host::storeSolidEntity(part.solid, 3, 1, "part"), 0u);
    }

    // The user opens the features popup, imports the file (answering each message box with OK) and closes
    // the popup and the main menu: the cycle ends and its marks are saved in the part.
    void importFile(const std::string& path, int messages = 0) {
        script().click(kMenu, kFeaturesButton).menu(kImportItem).file(path);
        for (int k = 0; k < messages; ++k) script().answer(plat::IDOK);
        script().menu(kMenuExit).click(kMenu, plat::IDOK);
        EXPECT_EQ(m_main(), 0);
        expectScriptPlayed();
    }

    static std::vector<FEATURE_MARK> keptMarks() { return keptFeatureMarks(); }

    static void expectPoint(const FEATURE_MARK& m, double x, double y, double z) {
        EXPECT_NEAR(m.point[0], x, 1e-9);
        EXPECT_NEAR(m.point[1], y, 1e-9);
        EXPECT_NEAR(m.point[2], z, 1e-9);
    }
    static bool arcExists(std::uint32_t id) {
        ent e{};
        return id != 0 && readEntById(id, kEntArc, e);
    }
    static std::string allText() {
        std::string text;
        for (const std::string& line : plat::driver().transcript().lines()) text += line + "\n";
        return text;
    }
};

TEST_F(InterchangeImportSession, TffGivesAMarkPerPositionAndFitOrTapSegment) {
    load();
    importFile(fixture("plate_mm.TFF"));
    EXPECT_TRUE(transcript().contains("filter=\"TFF feature files|*.TFF|KTW feature files|*.KTW|SDT hole tables|*.SDT|"
                                      "STEP files with hole features|*.STEP|All SDT files|*.SDT||\""));
    EXPECT_EQ(g_globals->settings.interchangePath, fixture("plate_mm.TFF"));

    const std::vector<FEATURE_MARK> marks = keptMarks();
    ASSERT_EQ(marks.size(), 3u);   // two positions x one fit, one tap; the plain hole gives none
    for (int k = 0; k < 2; ++k) {
        const FEATURE_MARK& fit = marks[static_cast<std::size_t>(k)];
        EXPECT_EQ(fit.origin, 2);
        EXPECT_EQ(fit.isFit, 1);
        EXPECT_EQ(fit.isTap, 0);
        EXPECT_DOUBLE_EQ(fit.diameter, 10);
        EXPECT_DOUBLE_EQ(fit.fitDiameter, 9.8);
        EXPECT_DOUBLE_EQ(fit.length, 10);
        EXPECT_EQ(fit.arcEntCount, 1);
        EXPECT_TRUE(arcExists(fit.arcEnts[0]));
    }
    expectPoint(marks[0], 10, 10, 12);
    expectPoint(marks[1], 30, 30, 12);
    const FEATURE_MARK& tap = marks[2];
    EXPECT_EQ(tap.isTap, 1);
    EXPECT_DOUBLE_EQ(tap.direction[2], 1);   // (0, 0, 2) normalised
    expectPoint(tap, 50, 20, 11);            // its offset of 1 down the axis
    EXPECT_DOUBLE_EQ(tap.tapDiam, 6);
    EXPECT_DOUBLE_EQ(tap.tapPitch, 1);
    EXPECT_EQ(tap.threadKind, -1);
    EXPECT_DOUBLE_EQ(tap.length, 8);
}

TEST_F(InterchangeImportSession, KtwGivesFitsAtTheFrameAndItsPropagationAndATapInMillimetres) {
    load();
    importFile(fixture("plate_mm.KTW"));
    const std::vector<FEATURE_MARK> marks = keptMarks();
    ASSERT_EQ(marks.size(), 3u);
    expectPoint(marks[0], 10, 10, 12);
    expectPoint(marks[1], 30, 30, 12);
    for (int k = 0; k < 2; ++k) {
        const FEATURE_MARK& fit = marks[static_cast<std::size_t>(k)];
        EXPECT_EQ(fit.isFit, 1);
        EXPECT_DOUBLE_EQ(fit.diameter, 10);
        EXPECT_DOUBLE_EQ(fit.fitDiameter, 10);
        EXPECT_DOUBLE_EQ(fit.length, 15);
    }
    EXPECT_EQ(marks[2].isTap, 1);
    expectPoint(marks[2], 50, 20, 11);
    EXPECT_DOUBLE_EQ(marks[2].tapDiam, 8);
    EXPECT_DOUBLE_EQ(marks[2].tapPitch, 1.25);
}

TEST_F(InterchangeImportSession, AnImportReplacesTheImportedMarksOnlyWithTheirEntities) {
    load();
    pausedInvocation();
    FEATURE_MARK own{};
    own.origin = 1;
    own.point[0] = 45, own.point[1] = 30, own.point[2] = 12;
    own.direction[2] = 1;
    own.length = 5;
    own.diameter = 4;
    own.isFit = 1;
    ASSERT_NE(addFeatureMark(own, 1, 0), nullptr);
    importFile(fixture("plate_mm.TFF"));
    std::vector<FEATURE_MARK> first = keptMarks();
    ASSERT_EQ(first.size(), 4u);

    plat::driver().reset();
    importFile(fixture("plate_mm.KTW"));
    // The next cycle's dialog starts at the file and the filter chosen last.
    EXPECT_TRUE(transcript().contains("name=\"plate_mm.TFF\" ext= filter=")) << allText();
    EXPECT_TRUE(transcript().contains("*.SDT||\" idx=1"));
    importFile(fixture("plate_mm.KTW"));   // the same file twice: one set of marks
    const std::vector<FEATURE_MARK> marks = keptMarks();
    ASSERT_EQ(marks.size(), 4u);
    EXPECT_EQ(marks[0].origin, 1);
    EXPECT_DOUBLE_EQ(marks[0].diameter, 4);
    EXPECT_TRUE(arcExists(marks[0].arcEnts[0]));
    for (std::size_t k = 1; k < 4; ++k) EXPECT_EQ(marks[k].origin, 2);
    EXPECT_DOUBLE_EQ(marks[1].length, 15);   // the KTW's fits
    for (std::size_t k = 1; k < 4; ++k) EXPECT_FALSE(arcExists(first[k].arcEnts[0])) << "TFF mark " << k;
}

TEST_F(InterchangeImportSession, ADamagedFileIsRefusedNamingItsLineAndTheMarksStay) {
    load();
    importFile(fixture("plate_mm.TFF"));
    const std::vector<FEATURE_MARK> before = keptMarks();
    ASSERT_EQ(before.size(), 3u);
    struct CASE {
        const char* file;
        const char* told;
    } const cases[] = {
        {"damaged.TFF", "damaged.TFF cannot be read at line 6:\\nA value is not a number, or a number is missing."},
        {"damaged.KTW", "damaged.KTW cannot be read at line 11:\\nAn element is not closed"},
        {"damaged_numbers.sdt", "damaged_numbers.sdt cannot be read at line 5:\\nA value is not a number"},
        {"damaged_point.step", "damaged_point.step cannot be read at line 20:\\nA point or direction does not have three"},
        {"damaged_parameter.step", "damaged_parameter.step cannot be read at line 24:\\nA value is not a number"},
    };
    for (const CASE& c : cases) {
        SCOPED_TRACE(c.file);
        plat::driver().reset();
        importFile(fixture(c.file), 1);
        EXPECT_TRUE(transcript().contains(c.told)) << allText();
        EXPECT_TRUE(transcript().contains("Nothing was imported; the features already in the part are kept."));
        const std::vector<FEATURE_MARK> after = keptMarks();
        ASSERT_EQ(after.size(), before.size());
        for (std::size_t k = 0; k < after.size(); ++k) EXPECT_EQ(after[k].arcEnts[0], before[k].arcEnts[0]);
    }
}

TEST_F(InterchangeImportSession, AnUnknownExtensionChangesNothingAndALowerCaseOneIsRead) {
    load();
    importFile(fixture("plate_mm.TFF"));
    const std::vector<FEATURE_MARK> before = keptMarks();
    const std::string other = dir.path() + "/plate.txt";
    ASSERT_TRUE(plat::writeFile(other, plat::readFile(fixture("plate_mm.TFF")).value_or("")));
    importFile(other);
    const std::vector<FEATURE_MARK> after = keptMarks();
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t k = 0; k < after.size(); ++k) EXPECT_EQ(after[k].arcEnts[0], before[k].arcEnts[0]);

    // "odd_cases.tff": ten of eleven positions of a fit, and a tap whose one position without a direction
    // is left out with a message.
    plat::driver().reset();
    importFile(fixture("odd_cases.tff"), 1);
    EXPECT_TRUE(transcript().contains("1 positions in " + fixture("odd_cases.tff") + " have no direction"));
    const std::vector<FEATURE_MARK> odd = keptMarks();
    ASSERT_EQ(odd.size(), 11u);
    EXPECT_DOUBLE_EQ(odd[9].point[0], 50);
    EXPECT_EQ(odd[10].isTap, 1);
    EXPECT_DOUBLE_EQ(odd[10].length, 6);   // the depth of the segment before it
    expectPoint(odd[10], 25, 20, 12);
}

TEST_F(InterchangeImportSession, WithoutTheFileTextsTheImportStopsAndSaysSo) {
    std::string texts = plat::readFile(std::string(FX_SOURCE_DIR) + "/data/Forantix.txt").value_or("");
    const std::size_t at = texts.find("[InterchgFiles]");
    ASSERT_NE(at, std::string::npos);
    texts.replace(at, 15, "[SomethingElse]");
    installUiTexts(texts);
    load();
    script().click(kMenu, kFeaturesButton).menu(kImportItem).answer(plat::IDOK).menu(kMenuExit).click(kMenu, plat::IDOK);
    EXPECT_EQ(m_main(), 0);
    expectScriptPlayed();
    EXPECT_TRUE(transcript().contains("[InterchgFiles]")) << allText();
    EXPECT_FALSE(transcript().contains("filedlg"));
    EXPECT_TRUE(keptMarks().empty());
}

TEST_F(InterchangeImportSession, BlankFileTextsLeaveTheirEntriesOutAndCancelChangesNothing) {
    std::string texts = plat::readFile(std::string(FX_SOURCE_DIR) + "/data/Forantix.txt").value_or("");
    const std::size_t at = texts.find("[InterchgFiles]");
    ASSERT_NE(at, std::string::npos);
    texts.erase(at);
    installUiTexts(texts + "[InterchgFiles]\r\n11.  \r\n12. \t\r\n13.\r\n14. \r\n15. \r\n");
    load();
    script().click(kMenu, kFeaturesButton).menu(kImportItem).file("").menu(kMenuExit).click(kMenu, plat::IDOK);
    EXPECT_EQ(m_main(), 0);
    expectScriptPlayed();
    EXPECT_TRUE(transcript().contains("filter=\"|\" idx=0 -> cancel")) << allText();
    EXPECT_TRUE(keptMarks().empty());
}

TEST_F(InterchangeImportSession, InAnInchPartTffNumbersStandAndKtwMetresBecomeInches) {
    host::newPart();
    host::setMetric(false);
    storePlate();
    load();
    importFile(fixture("plate_inch.TFF"));
    std::vector<FEATURE_MARK> marks = keptMarks();
    ASSERT_EQ(marks.size(), 2u);
    EXPECT_DOUBLE_EQ(marks[0].diameter, 0.375);
    EXPECT_DOUBLE_EQ(marks[0].fitDiameter, 0.37);   // the hole after the fit
    expectPoint(marks[0], 0.5, 0.5, 0.45);
    EXPECT_DOUBLE_EQ(marks[1].tapPitch, 0.05);

    importFile(fixture("plate_mm.KTW"));
    marks = keptMarks();
    ASSERT_EQ(marks.size(), 3u);
    EXPECT_NEAR(marks[1].point[0], 30 / 25.4, 1e-9);
    EXPECT_NEAR(marks[0].diameter, 10 / 25.4, 1e-9);
    EXPECT_NEAR(marks[2].tapPitch, 1.25 / 25.4, 1e-9);
}

// The replacement on its own: a reader that fails after adding marks leaves the list as it was.
TEST_F(InterchangeImportSession, AFailedReaderLeavesTheListAsItWasAndASuccessfulOneReplacesTheImported) {
    load();
    pausedInvocation();
    auto mark = [](double x, std::int16_t origin) {
        FEATURE_MARK m{};
        m.origin = origin;
        m.point[0] = x, m.point[1] = 20, m.point[2] = 12;
        m.direction[2] = 1;
        m.length = 5;
        m.diameter = 6;
        m.isFit = 1;
        return m;
    };
    std::vector<FEATURE_MARK*> before;
    for (const FEATURE_MARK& m : {mark(10, 2), mark(20, 1), mark(30, 2)}) before.push_back(addFeatureMark(m, 1, 0));
    std::uint32_t added = 0;
    EXPECT_EQ(replaceImportedMarks([&] {
                  added = addFeatureMark(mark(40, 2), 1, 0)->arcEnts[0];
                  return -1;
              }),
              -1);
    EXPECT_EQ(listedMarks(g_records->featureMarks), before);
    EXPECT_FALSE(arcExists(added));
    for (FEATURE_MARK* m : before) EXPECT_TRUE(arcExists(m->arcEnts[0]));

    const std::uint32_t firstImported = before[0]->arcEnts[0];
    EXPECT_EQ(replaceImportedMarks([&] { return addFeatureMark(mark(50, 2), 1, 0) ? 0 : -1; }), 0);
    const std::vector<FEATURE_MARK*> now = listedMarks(g_records->featureMarks);
    ASSERT_EQ(now.size(), 2u);
    EXPECT_EQ(now[0], before[1]);
    EXPECT_DOUBLE_EQ(now[1]->point[0], 50);
    EXPECT_FALSE(arcExists(firstImported));
}

}  // namespace
