// A window's drawing as a user sees it: the paint handler runs when the window is shown and after an
// invalidation, a client device context draws between paints, and with a picture folder set each change
// is written as the window's next picture (read back and probed where the drawing fixes the pixels).
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/ui/dialog.h"
#include "platform/ui/driver.h"
#include "platform/ui/list_view.h"
#include "platform/ui/png_image.h"
#include "platform/ui/raster_canvas.h"
#include "platform/ui/window_picture.h"
#include "support/temp_dir.h"

namespace {

using plat::Ctl;
using plat::CtlTemplate;

constexpr int kDlg = 9101, kUnnamed = 9102, kLook = 9103;
enum : int { kPic = 201, kNext = 202, kRedraw = 203, kIdle = 204 };
constexpr plat::Color kSection = plat::rgb(206, 138, 0), kRed = plat::rgb(255, 0, 0);

CtlTemplate ctl(int id, Ctl kind, plat::Rect dlu, std::string text = {}) {
    CtlTemplate t;
    t.id = id;
    t.kind = kind;
    t.dlu = dlu;
    t.text = std::move(text);
    return t;
}

void registerTemplates() {
    plat::registerDialog({kDlg, "Table chooser", 200, 120,
                          {ctl(kPic, Ctl::Picture, {10, 10, 110, 90}),
                           ctl(kNext, Ctl::Button, {130, 10, 190, 24}, "Next"),
                           ctl(kRedraw, Ctl::Button, {130, 30, 190, 44}, "Redraw"),
                           ctl(kIdle, Ctl::Button, {130, 50, 190, 64}, "Idle"),
                           ctl(plat::IDOK, Ctl::DefButton, {130, 96, 190, 110}, "OK")}});
    plat::registerDialog({kUnnamed, "", 50, 30, {}});
    CtlTemplate hidden = ctl(4, Ctl::Button, {10, 40, 60, 60}, "Hidden");
    hidden.visible = false;
    plat::registerDialog({kLook, "Look", 200, 100,
                          {ctl(1, Ctl::Check, {10, 10, 60, 20}, "On"), ctl(2, Ctl::Check, {70, 10, 120, 20}, "Off"),
                           ctl(3, Ctl::ListView, {130, 10, 190, 90}), hidden}});
}

int countOf(const plat::RasterCanvas& c, plat::Rect r, plat::Color color) {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) n += c.pixel({x, y}) == color;
    return n;
}

// Paints the picture control's area in the section colour; Next draws a red block into it at once
// through a client device context, as a page change does; Redraw asks for a repaint.
class ChooserDialog : public plat::Dialog {
public:
    int paints = 0;
    std::vector<std::string> linesAtOk;

    ChooserDialog() : plat::Dialog(kDlg) {
        onMessage(plat::Msg::Paint, [this](plat::MsgArgs& a) {
            ++paints;
            a.canvas->fillSolidRect(item(kPic).rect(), kSection);
        });
        onCommand(kNext, [this] { clientDC().fillSolidRect(redBlock(), kRed); });
        onCommand(kRedraw, [this] { invalidate(); });
        onCommand(kIdle, [] {});
    }
    plat::Rect redBlock() {
        plat::Rect r = item(kPic).rect();
        return {r.left + 10, r.top + 10, r.left + 30, r.top + 30};
    }

protected:
    void onOK() override {
        if (surface()) linesAtOk = surface()->lines();
        plat::Dialog::onOK();
    }
};

class UiWindowPicture : public ::testing::Test {
protected:
    void SetUp() override {
        plat::driver().reset();
        registerTemplates();
        plat::setPictureFolder(dir.path());
    }
    void TearDown() override { plat::setPictureFolder(""); }
    plat::Script& script() { return plat::driver().script(); }
    std::vector<std::string> pictureLines() const {
        std::vector<std::string> out;
        for (const std::string& l : plat::driver().transcript().lines())
            if (l.rfind("dialog.picture", 0) == 0) out.push_back(l);
        return out;
    }
    std::string file(int n) const { return dir.path() + "/Table_chooser-" + std::to_string(n) + ".png"; }

    TempDir dir;
};

TEST_F(UiWindowPicture, ShowingPaintsAndWritesThePictureOfControlsAndDrawing) {
    script().click(kDlg, plat::IDOK);
    ChooserDialog dlg;
    ASSERT_EQ(dlg.doModal(), plat::IDOK);
    EXPECT_EQ(dlg.paints, 1);
    ASSERT_EQ(pictureLines().size(), 1u);
    EXPECT_EQ(pictureLines()[0], "dialog.picture 9101 \"" + file(1) + "\"");
    EXPECT_EQ(dlg.linesAtOk, std::vector<std::string>{"fillrect (15,16,165,146) brush=#CE8A00"})
        << "the window's drawing is recorded as well as rendered";

    std::optional<plat::PngImage> img = plat::readPng(file(1));
    ASSERT_TRUE(img);
    EXPECT_EQ(img->width, plat::dluToPixelsX(200));
    EXPECT_EQ(img->height, plat::dluToPixelsY(120));
    EXPECT_EQ(img->pixel({90, 80}), kSection) << "the paint handler's drawing";
    EXPECT_EQ(img->pixel({164, 145}), kSection);
    EXPECT_EQ(img->pixel({165, 146}), plat::kDialogFace) << "just outside it";
    plat::Rect ok = plat::dluToPixels({130, 96, 190, 110});
    EXPECT_EQ(img->pixel({ok.left, ok.top}), 0u) << "the default button's black frame";
    EXPECT_EQ(img->pixel({ok.left + 1, ok.top + 1}), 0xFFFFFFu) << "its light edge";
    EXPECT_EQ(img->pixel({ok.left + 4, ok.top + 4}), plat::kDialogFace) << "its face";
}

TEST_F(UiWindowPicture, DrawingBetweenPaintsWritesTheNextPictureAndIdleStepsWriteNone) {
    script().click(kDlg, kIdle).click(kDlg, kNext).click(kDlg, kIdle).click(kDlg, plat::IDOK);
    ChooserDialog dlg;
    ASSERT_EQ(dlg.doModal(), plat::IDOK);
    EXPECT_EQ(dlg.paints, 1) << "a client device context draws without a paint";
    ASSERT_EQ(pictureLines().size(), 2u) << "shown, then drawn on once";
    std::optional<plat::PngImage> first = plat::readPng(file(1)), second = plat::readPng(file(2));
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->pixel({30, 30}), kSection);
    EXPECT_EQ(second->pixel({30, 30}), kRed);
    EXPECT_EQ(second->pixel({50, 50}), kSection) << "drawn over what the paint left";
    ASSERT_EQ(dlg.linesAtOk.size(), 2u);
    EXPECT_EQ(dlg.linesAtOk[1], "fillrect (25,26,45,46) brush=#FF0000");
}

TEST_F(UiWindowPicture, InvalidatingRepaintsAFreshImageBeforeTheNextStep) {
    script().click(kDlg, kNext).click(kDlg, kRedraw).click(kDlg, plat::IDOK);
    ChooserDialog dlg;
    ASSERT_EQ(dlg.doModal(), plat::IDOK);
    EXPECT_EQ(dlg.paints, 2);
    EXPECT_EQ(dlg.linesAtOk, std::vector<std::string>{"fillrect (15,16,165,146) brush=#CE8A00"})
        << "a repaint starts the recording again";
    ASSERT_EQ(pictureLines().size(), 3u);
    std::optional<plat::PngImage> third = plat::readPng(file(3));
    ASSERT_TRUE(third);
    EXPECT_EQ(third->pixel({30, 30}), kSection) << "the red block is gone with the repaint";
}

// A modeless window drawn on outside any step (a command taken from the queue): the user's next step sees
// the new picture first.
TEST_F(UiWindowPicture, DrawingOutsideAStepIsPicturedBeforeTheUserActs) {
    ChooserDialog dlg;
    ASSERT_TRUE(dlg.create());
    dlg.showWindow(true);
    dlg.clientDC().fillSolidRect(dlg.redBlock(), kRed);
    plat::Step idle{0, "click", {std::to_string(kDlg), std::to_string(kIdle)}};
    ASSERT_EQ(plat::deliverWindowStep(idle), plat::Delivery::Delivered);
    const plat::Transcript& t = plat::driver().transcript();
    std::size_t picture = t.find("dialog.picture 9101 \"" + file(2) + "\"");
    ASSERT_NE(picture, std::string::npos);
    EXPECT_LT(picture, t.find("user click 9101 204"));
    std::optional<plat::PngImage> second = plat::readPng(file(2));
    ASSERT_TRUE(second);
    EXPECT_EQ(second->pixel({30, 30}), kRed);
    EXPECT_EQ(pictureLines().size(), 2u);
    dlg.destroyWindow();
}

TEST_F(UiWindowPicture, WithoutAFolderThePaintStillRunsButNothingIsWritten) {
    plat::setPictureFolder("");
    script().click(kDlg, kNext).click(kDlg, plat::IDOK);
    ChooserDialog dlg;
    ASSERT_EQ(dlg.doModal(), plat::IDOK);
    EXPECT_EQ(dlg.paints, 1);
    EXPECT_EQ(dlg.linesAtOk.size(), 2u);
    EXPECT_TRUE(pictureLines().empty());
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

// The controls' look shows what a user reads off them: a tick in the checked box only, the selected row
// in the selection colour, nothing of a hidden control.
TEST_F(UiWindowPicture, ControlsAreDrawnWithTheirState) {
    plat::Dialog dlg(kLook);
    ASSERT_TRUE(dlg.create());
    dlg.item(1).setCheck(1);
    plat::ListView& lv = dlg.listView(3);
    lv.insertColumn(0, "Name", 80);
    lv.insertItem(0, "M8");
    lv.insertItem(1, "M10");
    lv.setItemState(1, plat::LVIS_SELECTED, plat::LVIS_SELECTED);
    plat::RasterCanvas c(dlg.clientRect().width(), dlg.clientRect().height(), plat::kDialogFace);
    plat::drawControls(c, dlg);

    auto markOf = [&](int id) {
        plat::Rect r = dlg.item(id).rect();
        int mid = (r.top + r.bottom) / 2;
        return plat::Rect{r.left + 2, mid - 4, r.left + 11, mid + 5};
    };
    EXPECT_GT(countOf(c, markOf(1), 0), 5) << "the tick";
    EXPECT_EQ(countOf(c, markOf(2), 0), 0) << "an empty box";
    EXPECT_EQ(countOf(c, markOf(2), 0xFFFFFF), 81);
    std::optional<plat::Rect> row0 = lv.itemRect(0), row1 = lv.itemRect(1);
    ASSERT_TRUE(row0 && row1);
    plat::Rect list = dlg.item(3).rect();
    auto onScreen = [&](plat::Rect r) {  // inside the list's two-pixel sunken edge
        return plat::Rect{r.left + list.left + 2, r.top + list.top + 2, r.right + list.left + 2, r.bottom + list.top + 2};
    };
    EXPECT_GT(countOf(c, onScreen(*row1), plat::rgb(0, 0, 128)), 50) << "the selected row";
    EXPECT_EQ(countOf(c, onScreen(*row0), plat::rgb(0, 0, 128)), 0);
    plat::Rect hidden = dlg.item(4).rect();
    EXPECT_EQ(countOf(c, hidden, plat::kDialogFace), hidden.width() * hidden.height()) << "the hidden button";
    dlg.destroyWindow();
}

TEST_F(UiWindowPicture, FileNamesComeFromTheCaptionOrTheWindowId) {
    struct Case {
        int templateId;
        std::string caption;
        std::string want;
    };
    const Case cases[] = {
        {kDlg, "Table chooser", "Table_chooser-1.png"},
        {kDlg, "Table chooser", "Table_chooser-2.png"},  // counted per name
        {kDlg, "\xD8 8/Tiefe: v1.2", "__8_Tiefe__v1.2-1.png"},
        {kDlg, "../..", "9101-1.png"},                   // never a path of its own
        {kUnnamed, "", "9102-1.png"},
    };
    for (const Case& c : cases) {
        plat::Dialog d(c.templateId);
        d.setWindowText(c.caption);
        EXPECT_EQ(plat::nextPicturePath(d), dir.path() + "/" + c.want) << c.caption;
        EXPECT_TRUE(plat::mayBePictureName(c.want)) << c.want;
    }
    // Names no picture takes: another extension, no count, a count of no digits, a leading dot, a blank.
    for (const char* name : {"Table_chooser-1.txt", "Table_chooser.png", "Table_chooser-x1.png", "-1.png",
                             ".hidden-1.png", "Table chooser-1.png"})
        EXPECT_FALSE(plat::mayBePictureName(name)) << name;
}

// Child windows paint after their parent: a drawing over the whole client area covers the picture control
// but not the buttons.
TEST_F(UiWindowPicture, ButtonsLieOverTheWindowsDrawingAndStaticsUnderIt) {
    class Covering : public plat::Dialog {
    public:
        Covering() : plat::Dialog(kDlg) {
            onMessage(plat::Msg::Paint, [this](plat::MsgArgs& a) { a.canvas->fillSolidRect(clientRect(), kRed); });
        }
    };
    script().click(kDlg, plat::IDOK);
    Covering dlg;
    ASSERT_EQ(dlg.doModal(), plat::IDOK);
    std::optional<plat::PngImage> img = plat::readPng(file(1));
    ASSERT_TRUE(img);
    const plat::Rect pic = plat::dluToPixels({10, 10, 110, 90}), next = plat::dluToPixels({130, 10, 190, 24});
    EXPECT_EQ(img->pixel({pic.left, pic.top}), kRed) << "the picture control's frame is under the drawing";
    EXPECT_EQ(img->pixel({next.left + 4, next.top + 4}), plat::kDialogFace) << "the button's face is over it";
    EXPECT_EQ(img->pixel({next.right + 4, next.top + 4}), kRed);
}

// While window updates are locked a window shown before is not repainted, the first update after the release
// repaints it; a window shown over it meanwhile repaints as ever. A second lock fails.
TEST_F(UiWindowPicture, ALockedWindowUpdateHoldsTheRepaintUntilReleased) {
    struct LOCKING : ChooserDialog {
        int paintsAtRelease = -1, innerPaints = 0;
        bool secondLock = true;
        LOCKING() {
            onCommand(kIdle, [this] {
                if (!plat::windowUpdateLocked()) {
                    EXPECT_TRUE(plat::lockWindowUpdate(true));
                    secondLock = plat::lockWindowUpdate(true);
                    ChooserDialog inner;
                    EXPECT_EQ(inner.doModal(), plat::IDOK);
                    innerPaints = inner.paints;
                    return;
                }
                paintsAtRelease = paints;
                EXPECT_TRUE(plat::lockWindowUpdate(false));
            });
        }
    };
    script().click(kDlg, kIdle).click(kDlg, kRedraw).click(kDlg, plat::IDOK);   // the window over it
    script().click(kDlg, kRedraw).click(kDlg, kIdle).click(kDlg, plat::IDOK);
    LOCKING dlg;
    ASSERT_EQ(dlg.doModal(), plat::IDOK);
    EXPECT_FALSE(dlg.secondLock);
    EXPECT_EQ(dlg.innerPaints, 2);
    EXPECT_EQ(dlg.paintsAtRelease, 1);
    EXPECT_EQ(dlg.paints, 2);
    EXPECT_FALSE(plat::windowUpdateLocked());
}

}  // namespace
