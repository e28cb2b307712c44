// User services answered by the script: message boxes (also from a worker thread), popup menus, file and
// folder dialogs, and the key state with synthetic keys. Each is recorded the way a user saw it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include <unistd.h>

#include "platform/ui/dialog.h"
#include "platform/ui/driver.h"
#include "platform/ui/file_dialog.h"
#include "platform/ui/keys.h"
#include "platform/ui/menu.h"
#include "platform/ui/message_box.h"

namespace {

class UiServices : public ::testing::Test {
protected:
    void SetUp() override {
        plat::driver().reset();
        plat::releaseAllKeys();
    }
    plat::Script& script() { return plat::driver().script(); }
    const plat::Transcript& transcript() { return plat::driver().transcript(); }
    const std::vector<std::string>& errors() { return plat::driver().errors(); }
};

// ---- message boxes ---------------------------------------------------------------------------------------

TEST_F(UiServices, MessageBoxTakesTheScriptedAnswerAndRecordsWhatWasShown) {
    script().answer(plat::IDYES);
    int r = plat::messageBox(nullptr, "Delete the table?\nIt has 3 rows.", "Forms",
                             plat::MB_YESNO | plat::MB_ICONWARNING);
    EXPECT_EQ(r, plat::IDYES);
    ASSERT_EQ(transcript().lines().size(), 1u);
    EXPECT_EQ(transcript().lines()[0],
              "msgbox owner=- type=YESNO|ICONWARNING caption=\"Forms\" text=\"Delete the table?\\nIt has 3 rows.\" -> IDYES");
}

TEST_F(UiServices, MessageBoxTextsAreShownAsUtf8) {
    script().answer(plat::IDOK);
    plat::messageBox(nullptr, "\xD8 8 \xB1 0.1\xB0", "", plat::MB_OK);
    EXPECT_TRUE(transcript().contains("text=\"\xC3\x98 8 \xC2\xB1 0.1\xC2\xB0\""));
}

TEST_F(UiServices, AnAnswerTheBoxDoesNotOfferIsAnErrorAndGivesItsCancelAnswer) {
    struct Case { unsigned type; int cancel; };
    for (Case c : {Case{plat::MB_YESNO, plat::IDNO}, Case{plat::MB_YESNOCANCEL, plat::IDCANCEL},
                   Case{plat::MB_OK, plat::IDOK}, Case{plat::MB_OKCANCEL, plat::IDCANCEL}}) {
        plat::driver().reset();
        script().answer(plat::IDRETRY);
        EXPECT_EQ(plat::messageBox(nullptr, "t", "c", c.type), c.cancel) << plat::messageBoxTypeText(c.type);
        ASSERT_EQ(errors().size(), 1u);
        EXPECT_NE(errors()[0].find("no button IDRETRY"), std::string::npos) << errors()[0];
    }
}

// An optional answer the box does not offer does not fit it: it is passed over and the next answer tried, so
// that one script answers whichever of two boxes a part shows.
TEST_F(UiServices, AnOptionalAnswerTheBoxDoesNotOfferIsPassedOver) {
    struct Case { unsigned type; int answer; };
    for (Case c : {Case{plat::MB_OK, plat::IDOK}, Case{plat::MB_YESNO, plat::IDNO}}) {
        plat::driver().reset();
        for (int code : {plat::IDOK, plat::IDNO}) {
            plat::Step step{0, "answer", {std::to_string(code)}};
            step.optional = true;
            script().add(step);
        }
        EXPECT_EQ(plat::messageBox(nullptr, "t", "c", c.type), c.answer) << plat::messageBoxTypeText(c.type);
        EXPECT_TRUE(errors().empty()) << errors().front();
        EXPECT_EQ(script().size(), c.type == plat::MB_OK ? 1u : 0u);
        EXPECT_EQ(transcript().contains("script passes over ? answer 1"), c.type == plat::MB_YESNO);
    }
}

TEST_F(UiServices, AfterAnErrorBoxesTakeNoMoreSteps) {
    EXPECT_EQ(plat::messageBox(nullptr, "first", "", plat::MB_YESNOCANCEL), plat::IDCANCEL);  // empty script
    script().answer(plat::IDYES);
    EXPECT_EQ(plat::messageBox(nullptr, "second", "", plat::MB_YESNO), plat::IDNO);
    EXPECT_EQ(script().size(), 1u);
    EXPECT_EQ(errors().size(), 1u);
}

TEST_F(UiServices, AWorkerThreadMayShowASystemModalBox) {
    script().answer(plat::IDYES);
    int r = 0;
    std::thread worker([&] {
        r = plat::messageBox(nullptr, "Release the shared data?", "", plat::MB_YESNO | plat::MB_SYSTEMMODAL);
    });
    worker.join();
    EXPECT_EQ(r, plat::IDYES);
    EXPECT_TRUE(transcript().contains("msgbox owner=- type=YESNO|SYSTEMMODAL"));
}

TEST_F(UiServices, OwnerIsNamedByItsTemplate) {
    plat::CtlTemplate ok;
    ok.id = plat::IDOK;
    ok.kind = plat::Ctl::DefButton;
    plat::registerDialog({9401, "Owner", 100, 50, {ok}});
    struct Owner : plat::Dialog {
        int answer = 0;
        Owner() : plat::Dialog(9401) {}
        void onOK() override {
            answer = plat::messageBox(this, "Sure?", "Q", plat::MB_OKCANCEL | plat::MB_ICONQUESTION);
            plat::Dialog::onOK();
        }
    } dlg;
    script().click(9401, plat::IDOK).answer(plat::IDCANCEL);
    EXPECT_EQ(dlg.doModal(), plat::IDOK);
    EXPECT_EQ(dlg.answer, plat::IDCANCEL);
    EXPECT_TRUE(transcript().contains("msgbox owner=9401 type=OKCANCEL|ICONQUESTION caption=\"Q\""));
}

// ---- popup menus -------------------------------------------------------------------------------------------

plat::Menu contextMenu() {
    plat::Menu m;
    m.item(121, "Edit");
    m.separator();
    m.item(129, "Delete", true);
    plat::Menu& more = m.submenu("More");
    more.item(130, "Copy");
    return m;
}

TEST_F(UiServices, MenuReturnsThePickedIdAlsoFromASubmenuAndRecordsTheMenu) {
    plat::Menu m = contextMenu();
    script().menu(130);
    EXPECT_EQ(plat::trackPopupMenu(m, plat::TPM_RETURNCMD, {40, 50}, nullptr), 130);
    EXPECT_EQ(transcript().lines().back(),
              "menu owner=- at=(40,50) [121 \"Edit\", -, 129 \"Delete\" grey, \"More\" [130 \"Copy\"]] -> 130");
}

TEST_F(UiServices, AGreyedOrAbsentItemIsAnErrorAndDismissesTheMenu) {
    for (int id : {129, 77}) {
        plat::driver().reset();
        plat::Menu m = contextMenu();
        script().menu(id);
        EXPECT_EQ(plat::trackPopupMenu(m, plat::TPM_RETURNCMD, {}, nullptr), 0);
        ASSERT_EQ(errors().size(), 1u);
        EXPECT_NE(errors()[0].find(id == 129 ? "greyed" : "no item 77"), std::string::npos) << errors()[0];
    }
}

TEST_F(UiServices, DismissingTheMenuGivesZeroWithoutError) {
    plat::Menu m = contextMenu();
    script().menu(0);
    EXPECT_EQ(plat::trackPopupMenu(m, plat::TPM_RETURNCMD, {}, nullptr), 0);
    EXPECT_TRUE(errors().empty());
}

TEST_F(UiServices, WithoutReturnCmdThePickGoesToTheOwnerAsACommand) {
    plat::CtlTemplate t;
    t.id = 5;
    t.kind = plat::Ctl::Button;
    plat::registerDialog({9402, "Owner", 100, 50, {t}});
    struct Owner : plat::Dialog {
        int got = 0, result = -1;
        Owner() : plat::Dialog(9402) {
            onCommand(5, [this] {
                result = plat::trackPopupMenu(contextMenu(), 0, {}, this);
                endDialog(plat::IDOK);
            });
            onCommand(121, [this] { got = 121; });
        }
    } dlg;
    script().click(9402, 5).menu(121);
    EXPECT_EQ(dlg.doModal(), plat::IDOK);
    EXPECT_EQ(dlg.got, 121);
    EXPECT_EQ(dlg.result, 1);
}

// ---- file and folder dialogs -------------------------------------------------------------------------------

class UiFiles : public UiServices {
protected:
    void SetUp() override {
        UiServices::SetUp();
        dir = std::filesystem::temp_directory_path() / ("fx-ui-files-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    plat::FileRequest saveReport() {
        plat::FileRequest r;
        r.open = false;
        r.startDir = dir.string();
        r.defaultName = "report";
        r.defExt = "txt";
        r.filter = "Text files|*.txt|All files|*.*||";
        r.filterIndex = 1;
        return r;
    }
    std::filesystem::path dir;
};

TEST_F(UiFiles, DefaultExtensionIsAppendedOnlyWhenTheNameHasNoDot) {
    script().file("holes").file("holes.csv").file("/abs/dir.v2/plain");
    auto a = plat::fileDialog(saveReport());
    auto b = plat::fileDialog(saveReport());
    auto c = plat::fileDialog(saveReport());
    ASSERT_TRUE(a && b && c);
    EXPECT_EQ(a->paths, std::vector<std::string>{(dir / "holes.txt").string()}) << "relative names are in the start folder";
    EXPECT_EQ(b->paths, std::vector<std::string>{(dir / "holes.csv").string()});
    EXPECT_EQ(c->paths, std::vector<std::string>{"/abs/dir.v2/plain.txt"}) << "a dot in a folder name does not count";
    EXPECT_EQ(a->filterIndex, 1);
    EXPECT_TRUE(transcript().contains("filedlg save dir=\"" + dir.string() +
                                      "\" name=\"report\" ext=txt filter=\"Text files|*.txt|All files|*.*||\" idx=1 -> \"" +
                                      (dir / "holes.txt").string() + "\""));
}

TEST_F(UiFiles, CancelGivesNothingAndIsRecorded) {
    script().file("");
    EXPECT_FALSE(plat::fileDialog(saveReport()));
    EXPECT_TRUE(errors().empty());
    EXPECT_NE(transcript().lines().back().find("-> cancel"), std::string::npos);
}

TEST_F(UiFiles, OpenOfAMissingFileThatMustExistIsAnError) {
    plat::FileRequest r = saveReport();
    r.open = true;
    r.flags = plat::OFN_FILEMUSTEXIST | plat::OFN_HIDEREADONLY;
    std::ofstream(dir / "there.txt") << "x";
    script().file("there").file("missing");
    auto found = plat::fileDialog(r);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->paths.front(), (dir / "there.txt").string());
    EXPECT_FALSE(plat::fileDialog(r));
    ASSERT_EQ(errors().size(), 1u);
}

TEST_F(UiFiles, OverwritePromptAnsweredNoWaitsForAnotherName) {
    plat::FileRequest r = saveReport();
    r.flags = plat::OFN_OVERWRITEPROMPT;
    std::ofstream(dir / "old.txt") << "x";
    script().file("old").answer(plat::IDNO).file("new");
    auto chosen = plat::fileDialog(r);
    ASSERT_TRUE(chosen);
    EXPECT_EQ(chosen->paths.front(), (dir / "new.txt").string());
    EXPECT_TRUE(script().empty());
    EXPECT_TRUE(transcript().contains("already exists"));
}

TEST_F(UiFiles, MultiSelectionSplitsTheChoice) {
    plat::FileRequest r = saveReport();
    r.open = true;
    r.flags = plat::OFN_ALLOWMULTISELECT;
    script().file("a.txt|b");
    auto chosen = plat::fileDialog(r);
    ASSERT_TRUE(chosen);
    EXPECT_EQ(chosen->paths, (std::vector<std::string>{(dir / "a.txt").string(), (dir / "b.txt").string()}));
}

TEST_F(UiFiles, FolderPickerAndAWrongStep) {
    script().folder("/data/shared").folder("");
    EXPECT_EQ(plat::selectFolder("Shared data", "/data", 0), std::optional<std::string>("/data/shared"));
    EXPECT_FALSE(plat::selectFolder("Shared data", "/data", 0));
    EXPECT_TRUE(transcript().contains("folder title=\"Shared data\" start=\"/data\" -> \"/data/shared\""));
    script().menu(3);
    EXPECT_FALSE(plat::selectFolder("x", "", 0));
    EXPECT_EQ(errors().size(), 1u);
}

// ---- keys ---------------------------------------------------------------------------------------------------

TEST_F(UiServices, SyntheticKeysSetTheStateAndReachTheHook) {
    std::vector<std::pair<int, bool>> seen;
    plat::setSyntheticKeyHook([&](int vk, bool up) { seen.emplace_back(vk, up); });
    plat::keybdEvent(plat::VK_ESCAPE, false);
    EXPECT_NE(plat::getAsyncKeyState(plat::VK_ESCAPE) & 0x8000, 0);
    plat::keybdEvent(plat::VK_ESCAPE, true);
    EXPECT_EQ(plat::getAsyncKeyState(plat::VK_ESCAPE) & 0x8000, 0);
    plat::setSyntheticKeyHook(nullptr);
    EXPECT_EQ(seen, (std::vector<std::pair<int, bool>>{{plat::VK_ESCAPE, false}, {plat::VK_ESCAPE, true}}));
    EXPECT_TRUE(transcript().contains("key.synthetic ESCAPE down"));
}

TEST_F(UiServices, AKeyHeldForPollsIsDownExactlyThatManyPolls) {
    plat::holdKeyForPolls(plat::VK_ESCAPE, 2);
    EXPECT_NE(plat::getAsyncKeyState(plat::VK_ESCAPE), 0);
    EXPECT_NE(plat::getAsyncKeyState(plat::VK_ESCAPE), 0);
    EXPECT_EQ(plat::getAsyncKeyState(plat::VK_ESCAPE), 0);
    EXPECT_EQ(plat::getAsyncKeyState(plat::VK_RETURN), 0);
}

TEST_F(UiServices, KeyNamesRoundTrip) {
    for (int vk : {plat::VK_RETURN, plat::VK_ESCAPE, plat::VK_UP, 0x58})
        EXPECT_EQ(plat::vkFromName(plat::vkName(vk)), vk);
    EXPECT_EQ(plat::vkFromName("NOPE"), -1);
    EXPECT_EQ(plat::vkFromName("256"), -1);
}

}  // namespace
