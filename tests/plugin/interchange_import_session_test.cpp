// The import of hole features from interchange files as a user runs it: the features manager's popup,
// its item "Import a features file..." and the file dialog, on a plate of 60 x 40 x 12 mm. What lands in
// the part are feature marks of origin 2; an import replaces the marks of the one before, and a file that
// cannot be read changes nothing.
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <utility>
#include <cstring>
#include <map>
#include <numbers>
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
#include "plugin/features/mark_index.h"
#include "plugin/import/import_text.h"
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

    // The text written to the file `name` in the test's folder and imported from there as above; its path.
    std::string importText(const std::string& name, const std::string& text, int messages = 0) {
        const std::string path = dir.path() + "/" + name;
        EXPECT_TRUE(plat::writeFile(path, text));
        plat::driver().reset();
        importFile(path, messages);
        return path;
    }
    // The user presses Cancel at the first progress box of the file's import: the part keeps `before`.
    void importCancelled(const std::string& path, const std::vector<FEATURE_MARK>& before) {
        plat::driver().reset();
        script().click(kMenu, kFeaturesButton).menu(kImportItem).file(path).cancelWait();
        script().menu(kMenuExit).click(kMenu, plat::IDOK);
        EXPECT_EQ(m_main(), 0);
        expectScriptPlayed();
        EXPECT_TRUE(transcript().contains("host.wait.cancel")) << allText();
        expectMarksKept(before);
    }

    static std::vector<FEATURE_MARK> keptMarks() { return keptFeatureMarks(); }

    // The plate's TFF imported first: the three marks the part then keeps.
    std::vector<FEATURE_MARK> importPlateFirst() {
        load();
        importFile(fixture("plate_mm.TFF"));
        std::vector<FEATURE_MARK> marks = keptMarks();
        EXPECT_EQ(marks.size(), 3u);
        return marks;
    }
    // The part keeps the marks it kept before, each with its arc.
    static void expectMarksKept(const std::vector<FEATURE_MARK>& before) {
        const std::vector<FEATURE_MARK> after = keptMarks();
        ASSERT_EQ(after.size(), before.size());
        for (std::size_t k = 0; k < after.size(); ++k) EXPECT_EQ(after[k].arcEnts[0], before[k].arcEnts[0]);
    }

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

    // "odd_cases.tff": ten of eleven positions of a fit, told, and a tap whose one position without a
    // direction is left out with a message.
    plat::driver().reset();
    importFile(fixture("odd_cases.tff"), 2);
    EXPECT_TRUE(transcript().contains("1 hole features of " + fixture("odd_cases.tff") +
                                      " hold more than the ten positions or ten segments a feature keeps; only their "
                                      "first ten are imported (the first begins at line 2)."));
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

// Cancel at a thread the tables lack stops the reading: the marks read before it stay, in place of the
// marks of the import before.
TEST_F(InterchangeImportSession, CancelAtAMissingThreadKeepsTheMarksReadBeforeInPlaceOfTheEarlierImport) {
    const std::vector<FEATURE_MARK> earlier = importPlateFirst();
    script().click(kMenu, kFeaturesButton).menu(kImportItem).file(fixture("unknown_thread.sdt")).answer(plat::IDCANCEL);
    script().menu(kMenuExit).click(kMenu, plat::IDOK);
    EXPECT_EQ(m_main(), 0);
    expectScriptPlayed();
    EXPECT_TRUE(transcript().contains("standard thread M7 is not in the thread tables"));
    const std::vector<FEATURE_MARK> marks = keptMarks();
    ASSERT_EQ(marks.size(), 1u);
    EXPECT_EQ(marks[0].origin, 2);
    EXPECT_EQ(marks[0].isFit, 1);
    EXPECT_DOUBLE_EQ(marks[0].diameter, 10);
    EXPECT_TRUE(arcExists(marks[0].arcEnts[0]));
    for (const FEATURE_MARK& m : earlier) EXPECT_FALSE(arcExists(m.arcEnts[0]));
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


// ---- many features, refused values and files ---------------------------------------------------------------

// A TFF file of `features` features, each with `positions` positions on a grid over the plate and `fits`
// fit segments of diameter 5 and depth 4.
std::string manyFeaturesTff(int features, int positions = 1, int fits = 1) {
    std::string text;
    text.reserve(static_cast<std::size_t>(features) * (40 + 40 * positions + 50 * fits));
    char line[96];
    for (int f = 0; f < features; ++f) {
        text += "FEAT_DEF\nKIND:FITHOLE\n";
        for (int p = 0; p < positions; ++p) {
            const int n = f * positions + p;
            std::snprintf(line, sizeof line, "FEAT_POS\nPOS_DIR: %g %g 12 0 0 1\nEND\n", (n % 400) * 0.15,
                          (n / 400 % 400) * 0.1);
            text += line;
        }
        for (int s = 0; s < fits; ++s) text += "FEAT_SEG\nTYPE:FIT\nOFFSET: 0\nDEPTH: 4\nDIAM1: 5\nEND\n";
        text += "END\n";
    }
    return text;
}

int liveArcs() {
    int arcs = 0;
    forEachLiveEnt(kEntArc, [&](const ent&) { ++arcs; });
    return arcs;
}

TEST_F(InterchangeImportSession, FortyThousandFeaturesAreAllKeptInTheSavedPartAndReadBack) {
    const std::string path = dir.path() + "/many.TFF";
    ASSERT_TRUE(plat::writeFile(path, manyFeaturesTff(40000)));
    load();
    importFile(path);
    EXPECT_TRUE(transcript().contains("host.wait.status \"Importing hole features\"")) << "no progress box";
    EXPECT_EQ(liveArcs(), 40000);

    const std::string saved = dir.path() + "/many.pfp";
    ASSERT_TRUE(host::savePart(saved).ok);
    host::newPart();
    ASSERT_TRUE(host::openPart(saved).ok);
    const std::vector<FEATURE_MARK> marks = keptMarks();
    ASSERT_EQ(marks.size(), 40000u);
    expectPoint(marks[0], 0, 0, 12);
    expectPoint(marks[39999], 39999 % 400 * 0.15, 99 * 0.1, 12);
    for (const FEATURE_MARK& m : marks) ASSERT_EQ(m.isFit, 1);
}

TEST_F(InterchangeImportSession, MoreFeaturesThanAPartHoldsAreRefusedWholeSayingHowManyItHolds) {
    const std::vector<FEATURE_MARK> before = importPlateFirst();
    // 20,001 features of 10 positions and 10 fits each: 2,000,100 marks.
    const std::string path = dir.path() + "/too_many.TFF";
    ASSERT_TRUE(plat::writeFile(path, manyFeaturesTff(20001, 10, 10)));
    plat::driver().reset();
    importFile(path, 1);
    EXPECT_TRUE(transcript().contains("too_many.TFF holds 2000100 hole features; beside the 0 features the part "
                                      "keeps, that is more than a part can hold (2000000). Nothing was imported."))
        << allText();
    expectMarksKept(before);
    EXPECT_EQ(liveArcs(), 3);
}

// The limit is what a part holds, not one less: a part may be filled to exactly its capacity (importing two
// million marks in a test would take minutes, so the check that every import asks is asked directly).
TEST_F(InterchangeImportSession, APartMayBeFilledToExactlyWhatItHolds) {
    loadAndCloseOnce();
    const std::size_t most = kMaxFeatureMarks;
    EXPECT_TRUE(import_text::roomForMarks("full.TFF", most - 3, 3));
    EXPECT_TRUE(import_text::roomForMarks("empty.TFF", most, 0));
    EXPECT_FALSE(transcript().contains("more than a part can hold")) << allText();
    script().answer(plat::IDOK);
    EXPECT_FALSE(import_text::roomForMarks("over.TFF", most - 2, 3));
    EXPECT_TRUE(transcript().contains("over.TFF holds 1999998 hole features; beside the 3 features the part keeps, "
                                      "that is more than a part can hold (2000000). Nothing was imported."))
        << allText();
}

TEST_F(InterchangeImportSession, CancelAtTheProgressBoxLeavesThePartAsItWas) {
    const std::vector<FEATURE_MARK> before = importPlateFirst();
    const std::string path = dir.path() + "/long.TFF";
    ASSERT_TRUE(plat::writeFile(path, manyFeaturesTff(5000)));
    importCancelled(path, before);
    EXPECT_EQ(liveArcs(), 3);   // the fit circles and the thread arc of the first import, nothing of the second
}

// A value that makes no hole refuses the file at its line, in every reader, and the marks stay.
TEST_F(InterchangeImportSession, AValueThatMakesNoHoleIsRefusedAtItsLine) {
    const std::string tff = plat::readFile(fixture("plate_mm.TFF")).value_or("");
    const std::string ktw = plat::readFile(fixture("plate_mm.KTW")).value_or("");
    const std::string sdt = plat::readFile(fixture("plate_v102_mm.sdt")).value_or("");
    const std::string step = plat::readFile(fixture("hole_features_mm.step")).value_or("");
    auto replaced = [](std::string text, const std::string& from, const std::string& to) {
        const std::size_t at = text.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        if (at != std::string::npos) text.replace(at, from.size(), to);
        return text;
    };
    auto lineOf = [](const std::string& text, const std::string& what) {
        const std::size_t at = text.find(what);
        return at == std::string::npos ? 0L : 1L + static_cast<long>(std::count(text.begin(), text.begin() + static_cast<long>(at), '\n'));
    };
    const std::string diameter = "A diameter is zero, negative or larger than a part can be.";
    const std::string depth = "A depth, an offset or a pitch is negative or larger than a part can be.";
    const std::string reach = "A point lies out of reach";
    struct CASE {
        std::string name, text, marker, told;
    } const cases[] = {
        {"negative.TFF", replaced(tff, "DIAM1:10", "DIAM1:-10"), "DIAM1:-10", diameter},
        {"zero.TFF", replaced(tff, "DIAM1:10", "DIAM1:0"), "DIAM1:0", diameter},
        {"depth.TFF", replaced(tff, "DEPTH:10", "DEPTH:-10"), "DEPTH:-10", depth},
        {"far.TFF", replaced(tff, "POS_DIR:30 30", "POS_DIR:1e300 30"), "POS_DIR:1e300", reach},
        // A position within reach whose thread ends out of it: the segment is told, at its end.
        {"bottom.TFF", replaced(replaced(tff, "POS_DIR:50 20 12", "POS_DIR:50 20 -6e8"), "DEPTH:8", "DEPTH:9e8"),
         "\tEND\r\n\tFEAT_POS\r\n\t\tPOS_DIR:50", reach},
        {"overflow.KTW", replaced(ktw, "P0.01 0.01 0.012", "P1e308 0.01 0.012"), "P1e308", reach},
        {"negative.sdt", replaced(sdt, "10.000 10.000 10.000 12.000", "-1.000 10.000 10.000 12.000"), " -1.000 ",
         diameter},
        {"zero.step", replaced(step, "'DIAMETER',10.", "'DIAMETER',0."), "#10=HOLE_ROUND_STRAIGHT(", diameter},
    };
    const std::vector<FEATURE_MARK> before = importPlateFirst();
    for (const CASE& c : cases) {
        SCOPED_TRACE(c.name);
        importText(c.name, c.text, 1);
        const std::string told =
            c.name + " cannot be read at line " + std::to_string(lineOf(c.text, c.marker)) + ":\\n" + c.told;
        EXPECT_TRUE(transcript().contains(told)) << told << "\n" << allText();
        expectMarksKept(before);
    }
}

TEST_F(InterchangeImportSession, SdtLinesEndingInLfCrLfOrCrReadAlike) {
    auto row = [](std::string text, const char* numbers) {
        text.resize(84, ' ');
        return text + numbers + "\r\n";
    };
    const std::string crlf = "Version: 1.02\r\nUNITS: MM\r\n\r\n" + row("1 Hole H7 10", "10 10 10 12 10 10 0 0") +
                             row("2 Hole 6", "6 30 10 12 30 10 0 0") + row("3 Hole H7 8", "8 30 30 12 30 30 2 0");
    std::string lf, cr;
    for (char c : crlf) {
        if (c != '\r') lf += c;
        if (c != '\n') cr += c;
    }
    load();
    std::vector<std::vector<FEATURE_MARK>> read;
    for (const auto& [name, text] : {std::pair{"crlf.sdt", crlf}, std::pair{"lf.sdt", lf}, std::pair{"cr.sdt", cr}}) {
        SCOPED_TRACE(name);
        const std::string path = dir.path() + "/" + name;
        ASSERT_TRUE(plat::writeFile(path, text));
        importFile(path);
        read.push_back(keptMarks());
        EXPECT_FALSE(transcript().contains("cannot be read")) << allText();
    }
    ASSERT_EQ(read[0].size(), 2u);   // the two fits
    EXPECT_DOUBLE_EQ(read[0][1].length, 10);
    for (std::size_t r = 1; r < read.size(); ++r) {
        ASSERT_EQ(read[r].size(), read[0].size());
        for (std::size_t k = 0; k < read[0].size(); ++k) {
            EXPECT_EQ(read[r][k].isTap, read[0][k].isTap);
            expectPoint(read[r][k], read[0][k].point[0], read[0][k].point[1], read[0][k].point[2]);
        }
    }
}

// ---- many elements and features past a record's ten ----------------------------------------------------------

// A KTW file written element by element, lines ending in CR LF. Lengths in metres.
class KtwText {
public:
    void element(const std::string& name, long id, const std::vector<std::string>& values) {
        lineOf_[id] = lines_ + 1;
        add("{" + name);
        add("I1");
        add("I0");
        add("I" + std::to_string(id));
        for (const std::string& v : values) add(v);
        add("}");
    }
    void frame(long id, double x, double y) {
        char point[64];
        std::snprintf(point, sizeof point, "P%.6f %.6f 0.012", x, y);
        element("D_FRAME_PT", id, {point, "V1 0 0", "V0 1 0", "V0 0 1"});
    }
    void parameter(long id, double value) {
        std::vector<std::string> values(7, "I0");
        values.push_back("R" + std::to_string(value));
        element("D_PARAM", id, values);
    }
    // A drill of one BORING sub-element (a fit) at the positions of `places`, its diameter and depth from the
    // two parameters.
    void drill(long id, const std::vector<long>& places, long diameter, long depth) {
        std::vector<std::string> values;
        for (long place : places) values.push_back(ref(place));
        for (const std::string& v : {std::string("S1"), std::string("D_SH_OP_DRILL_ELEM_BORING"), ref(diameter),
                                     std::string("R0"), ref(depth), std::string("R0"), std::string("R0"),
                                     std::string("R0.02"), std::string("R0"), std::string("R0"), std::string("R0")})
            values.push_back(v);
        element("D_SH_OP_DRILL", id, values);
    }
    std::string text() const { return "[ELEMENTS\r\n" + body_ + "]\r\n"; }
    // The line of the element's "{" in text().
    int lineOf(long id) const { return lineOf_.at(id) + 1; }

private:
    static std::string ref(long id) { return "X4 0 0 " + std::to_string(id); }
    void add(const std::string& line) {
        body_ += line + "\r\n";
        ++lines_;
    }
    std::string body_;
    int lines_ = 0;
    std::map<long, int> lineOf_;
};

// Every hole of a file of many elements is imported, in whatever order its elements come: 6,000 drills
// before their frames, and 4,000 holes written frames, then parameters, then drills.
TEST_F(InterchangeImportSession, EveryElementOfALargeKtwFileIsFoundWhateverItsOrder) {
    auto at = [](int n, double& x, double& y) { x = (n % 100) * 0.0005, y = (n / 100) * 0.0005; };
    KtwText drillsFirst;
    drillsFirst.parameter(1, 0.005);
    drillsFirst.parameter(2, 0.004);
    for (int n = 0; n < 6000; ++n) drillsFirst.drill(100000 + n, {10 + n}, 1, 2);
    for (int n = 0; n < 6000; ++n) {
        double x, y;
        at(n, x, y);
        drillsFirst.frame(10 + n, x, y);
    }
    KtwText framesFirst;
    for (int n = 0; n < 4000; ++n) {
        double x, y;
        at(n, x, y);
        framesFirst.frame(10 + n, x, y);
    }
    for (int n = 0; n < 4000; ++n) {
        framesFirst.parameter(20000 + 2 * n, 0.005 + 0.000001 * n);
        framesFirst.parameter(20001 + 2 * n, 0.004);
    }
    for (int n = 0; n < 4000; ++n) framesFirst.drill(100000 + n, {10 + n}, 20000 + 2 * n, 20001 + 2 * n);

    const std::pair<const char*, const KtwText*> files[] = {{"drills_first.KTW", &drillsFirst},
                                                            {"frames_first.KTW", &framesFirst}};
    load();
    for (const auto& [name, ktw] : files) {
        SCOPED_TRACE(name);
        importText(name, ktw->text());
        const std::vector<FEATURE_MARK> marks = keptMarks();
        const std::size_t holes = ktw == &drillsFirst ? 6000 : 4000;
        ASSERT_EQ(marks.size(), holes) << allText();
        const FEATURE_MARK& last = marks.back();
        expectPoint(last, ((holes - 1) % 100) * 0.5, ((holes - 1) / 100) * 0.5, 12);
        EXPECT_NEAR(last.diameter, ktw == &drillsFirst ? 5 : 5 + 0.001 * (holes - 1), 1e-9);
        EXPECT_NEAR(last.length, 4, 1e-9);
    }
}

// Positions and segments past the ten a feature keeps are told with the feature's line, the first ten of
// each imported: a TFF feature of 12 positions and 11 fits, a KTW circular pattern asking for 1e18 copies.
TEST_F(InterchangeImportSession, PositionsAndSegmentsPastTenAreToldWithTheFeaturesLine) {
    const std::string tff = "FEAT_DEF\nKIND:FITHOLE\nEND\n" + manyFeaturesTff(1, 12, 11);
    KtwText ktw;
    ktw.frame(10, 0.03, 0.02);
    ktw.parameter(1, 0.005);
    ktw.parameter(2, 0.004);
    // The pattern's base matrix and each copy's matrix (k turns of 30 degrees about Z) in rows of four values;
    // matrices for 11 copies, and a count far past them.
    std::vector<std::string> values(2, "R0");
    values.push_back("I1000000000000000000");
    auto matrix = [&](double turn) {
        const double c = std::cos(turn), s = std::sin(turn);
        for (const double v : {c, -s, 0.0, 0.0, s, c, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0})
            values.push_back("R" + std::to_string(v));
    };
    matrix(0);
    values.resize(19, "R0");
    for (int k = 1; k <= 11; ++k) {
        matrix(k * std::numbers::pi / 6);
        values.resize(19 + 16 * static_cast<std::size_t>(k), "R0");
    }
    ktw.element("D_PROPAG_CIR", 11, values);
    ktw.drill(300, {10, 11}, 1, 2);

    struct CASE {
        std::string name, text;
        int featureLine;
    } const cases[] = {
        {"wide.TFF", tff, 4},
        {"pattern.KTW", ktw.text(), ktw.lineOf(300)},
    };
    load();
    for (const CASE& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = importText(c.name, c.text, 1);
        const std::string told = "1 hole features of " + path +
                                 " hold more than the ten positions or ten segments a feature keeps; only their first "
                                 "ten are imported (the first begins at line " +
                                 std::to_string(c.featureLine) + ").";
        EXPECT_TRUE(transcript().contains(told)) << told << "\n" << allText();
        EXPECT_EQ(keptMarks().size(), c.name == "wide.TFF" ? 100u : 10u);
    }
}

// A STEP file of a megabyte and more is read under the progress box, up before the reading starts: Cancel
// there leaves the part as it was, though the file holds fewer features than make the adding show it.
TEST_F(InterchangeImportSession, ALargeStepFileIsReadUnderTheProgressBoxWhoseCancelChangesNothing) {
    std::string text = "ISO-10303-21;\nHEADER;\nENDSEC;\nDATA;\n#1=DIRECTION('',(0.,0.,1.));\n"
                       "#2=PARAMETER_LIST((#3,#4,#5,#6));\n#3=PARAMETER('DIAMETER',5.);\n#4=PARAMETER('DEPTH',4.);\n"
                       "#5=PARAMETER('DIAMETER_UPPER',0.012);\n#6=PARAMETER('DIAMETER_LOWER',0.);\n";
    char line[128];
    for (int n = 0; n < 500; ++n) {
        std::snprintf(line, sizeof line, "#%d=CARTESIAN_POINT('',(%d.,%d.,12.));\n#%d=HOLE_ROUND_STRAIGHT('',#%d,#1,$,#2);\n",
                      100 + 2 * n, n % 50, n / 50, 101 + 2 * n, 100 + 2 * n);
        text += line;
    }
    for (int n = 0; text.size() < (std::size_t{1} << 20); ++n) {
        std::snprintf(line, sizeof line, "#%d=CARTESIAN_POINT('',(0.,0.,0.));\n", 10000 + n);
        text += line;
    }
    text += "ENDSEC;\nEND-ISO-10303-21;\n";
    const std::string path = dir.path() + "/large.STEP";
    ASSERT_TRUE(plat::writeFile(path, text));

    importCancelled(path, importPlateFirst());
    EXPECT_TRUE(transcript().contains("host.wait.status \"Reading hole features\"")) << allText();

    // Read through, the 500 features sharing one parameter list each give their fit.
    plat::driver().reset();
    importFile(path);
    const std::vector<FEATURE_MARK> marks = keptMarks();
    ASSERT_EQ(marks.size(), 500u);
    expectPoint(marks[499], 49, 9, 12);
    for (const FEATURE_MARK& m : marks) {
        ASSERT_EQ(m.isFit, 1);
        ASSERT_DOUBLE_EQ(m.diameter, 5);
        ASSERT_DOUBLE_EQ(m.length, 4);
    }
}

// A Unix socket is a file the dialog lists but that no one can open as a file.
bool makeSocketFile(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd < 0) return false;
    const bool bound = ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return bound;
}

TEST_F(InterchangeImportSession, AFileThatCannotBeOpenedIsToldWithItsNameAndWhy) {
    const std::vector<FEATURE_MARK> before = importPlateFirst();
    for (const char* name : {"busy.TFF", "busy.KTW", "busy.sdt", "busy.STEP"}) {
        SCOPED_TRACE(name);
        const std::string path = dir.path() + "/" + name;
        ASSERT_TRUE(makeSocketFile(path));
        plat::driver().reset();
        importFile(path, 1);
        const std::string told = "The file " + path + " cannot be opened: " + std::strerror(ENXIO) + ". Nothing was imported.";
        EXPECT_TRUE(transcript().contains(told)) << allText();
        expectMarksKept(before);
    }
}

}  // namespace
