// A click at a point of a window, as a user clicks a picture: the window hit-tests the button-up itself,
// statics, pictures and group boxes let it through, and a point on another control or outside is refused.
#include <gtest/gtest.h>

#include <vector>

#include "platform/ui/dialog.h"
#include "platform/ui/driver.h"

namespace {

constexpr int kDlg = 9401, kPicture = 101, kLabel = 102, kButton = 103, kHiddenButton = 104;

class PointDialog : public plat::Dialog {
public:
    std::vector<plat::Point> ups;
    PointDialog() : plat::Dialog(kDlg) {
        onMessage(plat::Msg::LButtonUp, [this](plat::MsgArgs& a) {
            ups.push_back(a.point);
            if (a.point.x == 0 && a.point.y == 0) endDialog(7);
        });
    }
};

class ClickAtTest : public testing::Test {
protected:
    void SetUp() override {
        plat::driver().reset();
        plat::CtlTemplate hidden{kHiddenButton, plat::Ctl::Button, plat::Rect{10, 60, 60, 74}, "Hidden"};
        hidden.visible = false;
        plat::registerDialog({kDlg, "Pictures", 200, 120,
                              {{kPicture, plat::Ctl::Picture, plat::Rect{10, 10, 60, 50}, ""},
                               {kLabel, plat::Ctl::Static, plat::Rect{70, 10, 120, 20}, "Label"},
                               {kButton, plat::Ctl::Button, plat::Rect{70, 30, 120, 44}, "Button"},
                               hidden,
                               {plat::IDOK, plat::Ctl::DefButton, plat::Rect{140, 100, 190, 114}, "OK"}}});
    }
};

TEST_F(ClickAtTest, TheWindowReceivesThePointWhereNoControlTakesTheClick) {
    PointDialog dlg;
    const plat::Rect picture = plat::dluToPixels({10, 10, 60, 50});
    const plat::Rect button = plat::dluToPixels({70, 30, 120, 44});
    const plat::Rect hidden = plat::dluToPixels({10, 60, 60, 74});
    plat::Script& s = plat::driver().script();
    s.clickAt(kDlg, picture.left, picture.top);                  // a picture's corner pixel
    s.clickAt(kDlg, hidden.left + 2, hidden.top + 2);            // a hidden control takes nothing
    s.add(plat::parseSession("? click-at 9401 " + std::to_string(button.left + 1) + " " +
                             std::to_string(button.top + 1)).steps.at(0));  // refused: the button takes it
    s.add(plat::parseSession("? click-at 9401 5000 10").steps.at(0));       // refused: outside
    s.clickAt(kDlg, 0, 0);                                        // the face of the window: the test ends it
    EXPECT_EQ(dlg.doModal(), 7);
    ASSERT_EQ(dlg.ups.size(), 3u);
    EXPECT_EQ(dlg.ups[0].x, picture.left);
    EXPECT_EQ(dlg.ups[0].y, picture.top);
    EXPECT_EQ(dlg.ups[1].x, hidden.left + 2);
    EXPECT_TRUE(plat::driver().errors().empty());
    const plat::Transcript& t = plat::driver().transcript();
    EXPECT_TRUE(t.contains("user click-at 9401 " + std::to_string(picture.left) + " " + std::to_string(picture.top)));
    int passedOver = 0;
    for (const std::string& line : t.lines()) passedOver += line.find("script passes over") != std::string::npos;
    EXPECT_EQ(passedOver, 2) << "the points on the button and outside";
}

TEST_F(ClickAtTest, ASessionLineReadsAndAPointOnAButtonIsAScriptError) {
    const plat::ParsedSession ok = plat::parseSession("click-at 18017 12 -3\n");
    ASSERT_TRUE(ok.error.empty()) << ok.error;
    ASSERT_EQ(ok.steps.size(), 1u);
    EXPECT_EQ(ok.steps[0].intArg(1), 12);
    EXPECT_EQ(ok.steps[0].intArg(2), -3);
    EXPECT_FALSE(plat::parseSession("click-at 18017 12\n").error.empty());

    PointDialog dlg;
    const plat::Rect button = plat::dluToPixels({70, 30, 120, 44});
    plat::driver().script().clickAt(kDlg, button.left + 1, button.top + 1);
    EXPECT_EQ(dlg.doModal(), plat::IDCANCEL);
    EXPECT_TRUE(dlg.ups.empty());
    ASSERT_EQ(plat::driver().errors().size(), 1u);
    EXPECT_NE(plat::driver().errors()[0].find("lies on control 103"), std::string::npos) << plat::driver().errors()[0];
}

}  // namespace
