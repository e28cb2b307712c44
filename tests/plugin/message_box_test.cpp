// The plug-in's message box as a caller runs it: what each mode shows, and the result and check box state
// that each way of ending it gives back.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "platform/ui/keys.h"
#include "plugin/base/globals.h"
#include "plugin/base/message_box.h"
#include "support/plugin_fixture.h"

namespace {

class MessageBoxTest : public PluginFixture {
protected:
    void SetUp() override {
        PluginFixture::SetUp();
        load();
        g_globals->uiTextFile = installDir + "/Tool.txt";
    }
    // The control's line of the window as it was when the box closed.
    static std::string control(int id) {
        std::istringstream lines(plat::lastSnapshot(CMessageBox::kTemplate));
        const std::string prefix = std::to_string(id) + " ";
        for (std::string line; std::getline(lines, line);)
            if (line.rfind(prefix, 0) == 0) return line;
        return "";
    }
    static bool shown(int id) { return control(id).find("visible=1") != std::string::npos; }
};

struct MODE_CASE {
    int mode;
    bool check, ok, third, cancel;
    const char* okText;
    const char* cancelText;
};

TEST_F(MessageBoxTest, EachModeShowsItsControlsWithTheirTexts) {
    const MODE_CASE cases[] = {
        {0, false, false, true, false, "", ""},
        {1, false, true, false, true, "Continue", "View tools"},
        {2, true, true, false, true, "Continue", "Cancel"},
        {3, true, true, false, false, "Continue", ""},
        {7, false, false, false, false, "", ""},
    };
    for (const MODE_CASE& c : cases) {
        SCOPED_TRACE("mode " + std::to_string(c.mode));
        CMessageBox box;
        box.mode = c.mode;
        box.text = "Three holes were skipped.";
        script().key(CMessageBox::kTemplate, plat::VK_ESCAPE);
        EXPECT_EQ(box.run(), 2);
        expectScriptPlayed();
        EXPECT_NE(plat::lastSnapshot(CMessageBox::kTemplate).find("caption=\"Forantix\""), std::string::npos);
        EXPECT_NE(control(CMessageBox::kText).find("text=\"Three holes were skipped.\""), std::string::npos);
        EXPECT_EQ(shown(CMessageBox::kCheck), c.check);
        EXPECT_EQ(shown(plat::IDOK), c.ok);
        EXPECT_EQ(shown(CMessageBox::kThirdButton), c.third);
        EXPECT_EQ(shown(plat::IDCANCEL), c.cancel);
        if (c.check) {
            EXPECT_NE(control(CMessageBox::kCheck).find("Do not show this message again"), std::string::npos);
        }
        if (c.ok) {
            EXPECT_NE(control(plat::IDOK).find(std::string("text=\"") + c.okText + "\""), std::string::npos);
        }
        if (c.third) {
            EXPECT_NE(control(CMessageBox::kThirdButton).find("text=\"Continue\""), std::string::npos);
        }
        if (c.cancel) {
            EXPECT_NE(control(plat::IDCANCEL).find(std::string("text=\"") + c.cancelText + "\""), std::string::npos);
        }
    }
}

struct END_CASE {
    const char* what;
    int mode;
    void (*act)(plat::Script&);
    int result;
};

TEST_F(MessageBoxTest, EveryWayOfEndingGivesItsResult) {
    const END_CASE cases[] = {
        {"mode 0, its one button", 0, [](plat::Script& s) { s.click(CMessageBox::kTemplate, 3); }, 1},
        {"mode 0, Esc", 0, [](plat::Script& s) { s.key(CMessageBox::kTemplate, plat::VK_ESCAPE); }, 2},
        {"mode 0, close box", 0, [](plat::Script& s) { s.close(CMessageBox::kTemplate); }, 2},
        {"mode 1, OK", 1, [](plat::Script& s) { s.click(CMessageBox::kTemplate, plat::IDOK); }, 1},
        {"mode 1, Cancel", 1, [](plat::Script& s) { s.click(CMessageBox::kTemplate, plat::IDCANCEL); }, 2},
        {"mode 1, Enter", 1, [](plat::Script& s) { s.key(CMessageBox::kTemplate, plat::VK_RETURN); }, 1},
        {"mode 2, Esc", 2, [](plat::Script& s) { s.key(CMessageBox::kTemplate, plat::VK_ESCAPE); }, 2},
        {"mode 3, OK", 3, [](plat::Script& s) { s.click(CMessageBox::kTemplate, plat::IDOK); }, 1},
        {"mode 3, Esc without a Cancel", 3, [](plat::Script& s) { s.key(CMessageBox::kTemplate, plat::VK_ESCAPE); }, 2},
        {"mode 9, Esc", 9, [](plat::Script& s) { s.key(CMessageBox::kTemplate, plat::VK_ESCAPE); }, 2},
        {"mode 9, close box", 9, [](plat::Script& s) { s.close(CMessageBox::kTemplate); }, 2},
    };
    for (const END_CASE& c : cases) {
        SCOPED_TRACE(c.what);
        CMessageBox box;
        box.mode = c.mode;
        c.act(script());
        EXPECT_EQ(box.run(), c.result);
        EXPECT_EQ(box.result, c.result);
        EXPECT_EQ(box.texts.count(), 0);
        expectScriptPlayed();
    }
}

TEST_F(MessageBoxTest, TheCheckBoxStateComesBackWhicheverButtonEndsIt) {
    {
        CMessageBox box;
        box.mode = 2;
        script().check(CMessageBox::kTemplate, CMessageBox::kCheck, 1).click(CMessageBox::kTemplate, plat::IDCANCEL);
        EXPECT_EQ(box.run(), 2);
        EXPECT_EQ(box.dontShowAgain, 1);
    }
    {
        CMessageBox box;
        box.mode = 3;
        box.dontShowAgain = 1;
        script().click(CMessageBox::kTemplate, plat::IDOK);
        EXPECT_EQ(box.run(), 1);
        EXPECT_NE(control(CMessageBox::kCheck).find("check=1"), std::string::npos);
        EXPECT_EQ(box.dontShowAgain, 1);
    }
    {
        CMessageBox box;
        box.mode = 3;
        box.dontShowAgain = 1;
        script().check(CMessageBox::kTemplate, CMessageBox::kCheck, 0).key(CMessageBox::kTemplate, plat::VK_ESCAPE);
        EXPECT_EQ(box.run(), 2);
        EXPECT_EQ(box.dontShowAgain, 0);
    }
    expectScriptPlayed();
}

TEST_F(MessageBoxTest, AMissingTextSectionGivesEmptyTextsAndNoMessage) {
    installUiTexts("[Other]\r\n1. x\r\n");
    CMessageBox box;
    box.mode = 1;
    box.text = "Go on?";
    script().click(CMessageBox::kTemplate, plat::IDOK);
    EXPECT_EQ(box.run(), 1);
    expectScriptPlayed();
    EXPECT_FALSE(transcript().contains("msgbox"));
    EXPECT_NE(plat::lastSnapshot(CMessageBox::kTemplate).find("caption=\"\""), std::string::npos);
    EXPECT_NE(control(plat::IDOK).find("text=\"\""), std::string::npos);
}

}  // namespace
