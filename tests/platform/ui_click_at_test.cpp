// A click at a point of a window, as a user clicks a picture: the window hit-tests the button-up itself;
// statics, pictures and hidden controls let it through, and a point on a button or outside is refused.
#include <gtest/gtest.h>

#include <vector>

#include "platform/ui/dialog.h"
#include "platform/ui/driver.h"

namespace {

constexpr int kDlg = 9401, kPicture = 101, kButton = 102, kHidden = 103;

class PointDialog : public plat::Dialog {
public:
    std::vector<plat::Point> ups;
    PointDialog() : plat::Dialog(kDlg) {
        onMessage(plat::Msg::LButtonUp, [this](plat::MsgArgs& a) { ups.push_back(a.point); });
    }
};

TEST(ClickAtTest, TheWindowReceivesThePointsNoControlTakes) {
    plat::driver().reset();
    plat::CtlTemplate hidden{kHidden, plat::Ctl::Button, plat::Rect{10, 60, 60, 74}, "Hidden"};
    hidden.visible = false;
    plat::registerDialog({kDlg, "Pictures", 200, 120,
                          {{kPicture, plat::Ctl::Picture, plat::Rect{10, 10, 60, 50}, ""},
                           {kButton, plat::Ctl::Button, plat::Rect{70, 30, 120, 44}, "Button"}, hidden,
                           {plat::IDOK, plat::Ctl::DefButton, plat::Rect{140, 100, 190, 114}, "OK"}}});
    const plat::Rect picture = plat::dluToPixels({10, 10, 60, 50}), button = plat::dluToPixels({70, 30, 120, 44}),
                     under = plat::dluToPixels({10, 60, 60, 74});
    const plat::ParsedSession session = plat::parseSession(
        "click-at 9401 " + std::to_string(picture.left) + " " + std::to_string(picture.top) + "\n" +
        "click-at 9401 " + std::to_string(under.left + 2) + " " + std::to_string(under.top + 2) + "\n" +
        "? click-at 9401 5000 10\n" + "click-at 9401 " + std::to_string(button.left + 1) + " " +
        std::to_string(button.top + 1) + "\n");
    ASSERT_TRUE(session.error.empty()) << session.error;
    EXPECT_FALSE(plat::parseSession("click-at 9401 12\n").error.empty());
    for (const plat::Step& step : session.steps) plat::driver().script().add(step);

    PointDialog dlg;
    EXPECT_EQ(dlg.doModal(), plat::IDCANCEL);   // the click on the button is a script error
    ASSERT_EQ(dlg.ups.size(), 2u);
    EXPECT_EQ(dlg.ups[0].x, picture.left);
    EXPECT_EQ(dlg.ups[0].y, picture.top);
    EXPECT_EQ(dlg.ups[1].y, under.top + 2);
    const plat::Transcript& t = plat::driver().transcript();
    EXPECT_TRUE(t.contains("user click-at 9401 " + std::to_string(picture.left) + " " + std::to_string(picture.top)));
    EXPECT_TRUE(t.contains("script passes over line 3"));
    ASSERT_EQ(plat::driver().errors().size(), 1u);
    EXPECT_NE(plat::driver().errors()[0].find("lies on control 102"), std::string::npos) << plat::driver().errors()[0];
}

}  // namespace
