// The edit-feature dialog on copies of marks, with a thread table METRIC (M6, M8, M10, M8x1) in the tables
// folder: what it shows, what OK leaves in the copy, and the deletion question.
#include <gtest/gtest.h>

#include <cstring>

#include "plugin/base/globals.h"
#include "plugin/base/resource_switch.h"
#include "plugin/features/feature_windows.h"
#include "recognition_attributes_support.h"

namespace {

using Dlg = CDlgEditFeature;

class EditFeatureDialogTest : public recog_p::RecogPTest {
protected:
    void SetUp() override {
        RecogPTest::SetUp();
        g_globals->uiTextFile = installDir + "/Tool.txt";
        g_globals->tablesDir = tablesDir;
    }
    static FEATURE_MARK tapped(const char* thread) {
        FEATURE_MARK m{};
        m.isTap = 1;
        m.diameter = 8.5;
        m.tapDiam = 8;
        m.tapPitch = 1.25;
        m.threadKind = -1;
        m.threadDepth = 6;
        std::strcpy(m.threadName, thread);
        std::strcpy(m.fitClass, "H7");
        return m;
    }
    int run(const FEATURE_MARK& m, int equalCount = 1) {
        dlg.mark = m;
        dlg.equalCount = equalCount;
        return doModalInPluginRes(dlg);
    }
    static std::string line(int id) {
        const std::string all = plat::lastSnapshot(Dlg::kTemplate);
        const std::string key = "\n" + std::to_string(id) + " ";
        const std::size_t at = all.find(key);
        return at == std::string::npos ? "" : all.substr(at + 1, all.find('\n', at + 1) - at - 1);
    }
    static bool shows(int id, const std::string& text) {
        return line(id).find("text=\"" + text + "\"") != std::string::npos;
    }

    Dlg dlg;
};

TEST_F(EditFeatureDialogTest, ATappedMarkShowsItsThreadFromTheTableAndADepthThatIsNoNumberIsStoredAs0) {
    script().type(Dlg::kTemplate, Dlg::kDepth, "abc").click(Dlg::kTemplate, plat::IDOK);
    EXPECT_EQ(run(tapped("M10")), plat::IDOK);
    expectScriptPlayed();
    EXPECT_TRUE(shows(Dlg::kDesignation, "M10")) << line(Dlg::kDesignation);
    EXPECT_TRUE(shows(Dlg::kTableName, "METRIC")) << line(Dlg::kTableName);
    EXPECT_NE(line(Dlg::kTapping).find("check=1"), std::string::npos);
    EXPECT_EQ(dlg.mark.isTap, 1);
    EXPECT_EQ(dlg.mark.isFit, 0);
    EXPECT_DOUBLE_EQ(dlg.mark.tapDiam, 10);
    EXPECT_DOUBLE_EQ(dlg.mark.tapPitch, 1.5);
    EXPECT_DOUBLE_EQ(dlg.mark.threadDepth, 0);
    EXPECT_STREQ(dlg.mark.threadName, "M10");
    EXPECT_STREQ(dlg.mark.fitClass, "H7");
}

TEST_F(EditFeatureDialogTest, WithoutADesignationTheThreadIsFoundByDiameterAndPitch) {
    script().type(Dlg::kTemplate, Dlg::kDepth, "12.5").click(Dlg::kTemplate, plat::IDOK);
    EXPECT_EQ(run(tapped("")), plat::IDOK);
    expectScriptPlayed();
    EXPECT_TRUE(shows(Dlg::kDesignation, "M8")) << line(Dlg::kDesignation);
    EXPECT_STREQ(dlg.mark.threadName, "M8");
    EXPECT_DOUBLE_EQ(dlg.mark.threadDepth, 12.5);
}

TEST_F(EditFeatureDialogTest, AnUnknownThreadIsRefusedAndTheDialogStaysOpen) {
    script()
        .click(Dlg::kTemplate, plat::IDOK)
        .answer(plat::IDOK)
        .click(Dlg::kTemplate, plat::IDCANCEL);
    EXPECT_EQ(run(tapped("M99")), plat::IDCANCEL);
    expectScriptPlayed();
    EXPECT_EQ(count("The thread is in no thread table."), 1);
}

TEST_F(EditFeatureDialogTest, AFittedAndTappedMarkOpensTappingAndReamingOkClearsTheTapButKeepsTheThread) {
    FEATURE_MARK both = tapped("M8");
    both.isFit = 1;
    script().click(Dlg::kTemplate, Dlg::kReaming).click(Dlg::kTemplate, plat::IDOK);
    EXPECT_EQ(run(both), plat::IDOK);
    expectScriptPlayed();
    EXPECT_TRUE(shows(Dlg::kDiameter, "8.50")) << line(Dlg::kDiameter);
    EXPECT_NE(line(Dlg::kChange).find("enabled=0"), std::string::npos);
    EXPECT_EQ(dlg.mark.isFit, 1);
    EXPECT_EQ(dlg.mark.isTap, 0);
    EXPECT_STREQ(dlg.mark.threadName, "M8");
    EXPECT_DOUBLE_EQ(dlg.mark.threadDepth, 6);
}

TEST_F(EditFeatureDialogTest, AMarkOfNeitherKindTicksNothingAndOkChangesNothing) {
    FEATURE_MARK plain{};
    plain.diameter = 5;
    script().click(Dlg::kTemplate, plat::IDOK);
    EXPECT_EQ(run(plain), plat::IDOK);
    expectScriptPlayed();
    EXPECT_EQ(std::memcmp(&dlg.mark.diameter, &plain.diameter, sizeof plain.diameter), 0);
    EXPECT_EQ(dlg.mark.isFit + dlg.mark.isTap, 0);
    EXPECT_EQ(dlg.kindRadio, -1);
}

TEST_F(EditFeatureDialogTest, DeletingAsksForOneOrForAllEqualMarksAndNoKeepsTheDialogOpen) {
    struct CASE {
        int equalCount;
        const char* question;
    } const cases[] = {{1, "Delete this feature?"}, {3, "Delete these 3 features?"}};
    for (const CASE& c : cases) {
        plat::driver().reset();
        script()
            .click(Dlg::kTemplate, Dlg::kDelete)
            .answer(plat::IDNO)
            .click(Dlg::kTemplate, Dlg::kDelete)
            .answer(plat::IDYES);
        EXPECT_EQ(run(tapped("M8"), c.equalCount), Dlg::kResultDelete);
        expectScriptPlayed();
        EXPECT_EQ(count(c.question), 2) << c.equalCount;
    }
    script().click(Dlg::kTemplate, Dlg::kCopyToEqualArcs);
    EXPECT_EQ(run(tapped("M8")), Dlg::kResultCopyToEqualArcs);
}

TEST_F(EditFeatureDialogTest, TheCaptionCarriesTheSuffix) {
    dlg.titleSuffix = "3 equal features";
    script().click(Dlg::kTemplate, plat::IDCANCEL);
    EXPECT_EQ(run(tapped("M8"), 3), plat::IDCANCEL);
    EXPECT_NE(plat::lastSnapshot(Dlg::kTemplate).find("caption=\"Edit feature - 3 equal features\""),
              std::string::npos);
}

}  // namespace
