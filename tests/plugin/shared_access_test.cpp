// Read-write access to the shared library as stations meet it: the shared data manager reached from the
// general parameters (password, the wait for the holder, the folder, the password change) and the watcher
// of the holding station. Another station is played by a task on the virtual clock that works on the flag
// files as a holder would.
#include <gtest/gtest.h>

#include <optional>

#include <sys/wait.h>
#include <unistd.h>

#include "platform/sys/clock.h"
#include "platform/sys/files.h"
#include "platform/sys/process.h"
#include "plugin/base/resource_switch.h"
#include "plugin/settings/shared_data.h"
#include "plugin/settings/shared_library.h"
#include "support/settings_dialog_fixture.h"

namespace {

constexpr int kMgr = 18030, kPassword = 18039, kPasswordEdit = 18010;
constexpr int kStatus = 18011, kProgress = 18012, kChangePassword = 18013, kChangeFolder = 4385, kFolderText = 4386,
              kReadOnly = 4387, kReadWrite = 4388;
constexpr const char* kDefaultPass = "quolberdant";

class SharedAccessTest : public SettingsDialogFixture {
protected:
    void SetUp() override {
        SettingsDialogFixture::SetUp();
        shared = dir.path() + "/shared";
        std::error_code error;
        std::filesystem::create_directories(shared + "/FORMS_MM", error);
        std::filesystem::copy(std::string(FX_SOURCE_DIR) + "/data/forms/FORMS_MM/Standard",
                              shared + "/FORMS_MM/Standard", std::filesystem::copy_options::recursive, error);
        ASSERT_FALSE(error) << error.message();
        shareReadOnly();
    }
    // This station's settings: sharing on, read-only, on the shared folder.
    void shareReadOnly() { writeSettings("SharedData", "1. 1\r\n2. 0\r\n3. " + shared + "\r\n"); }
    void TearDown() override {
        holder.reset();
        SettingsDialogFixture::TearDown();
    }
    std::string flag(const char* name) const { return shared + "/" + name; }
    // Parameters, then the shared data button: the steps in the manager follow.
    plat::Script& openManager() { return open().click(kDlg, gp::kButtonSharedData); }
    // The manager and the parameters closed with OK, the main menu left.
    void closeAll() {
        script().click(kMgr, plat::IDOK).click(kDlg, plat::IDOK);
        run();
    }
    plat::Script& typePassword(const std::string& text) {
        return script().type(kPassword, kPasswordEdit, text).click(kPassword, plat::IDOK);
    }
    // Another station holding read-write access: it drops its running flag `releaseAfterMs` after it saw a
    // request, or never (-1).
    void holdElsewhere(int releaseAfterMs) {
        ASSERT_TRUE(plat::writeFile(flag("RWrunning.dat"), ""));
        holder = plat::startPeriodic("holder", 100, [this, releaseAfterMs, seen = std::optional<std::int64_t>()]() mutable {
            if (!seen && plat::fileExists(flag("RWrequest.dat"))) seen = plat::nowMs();
            requestSeen = requestSeen || seen.has_value();
            if (seen && releaseAfterMs >= 0 && plat::nowMs() - *seen >= releaseAfterMs) {
                (void)plat::removeFile(flag("RWrunning.dat"));
                return false;
            }
            return true;
        });
    }

    std::string shared;
    std::optional<plat::Periodic> holder;
    bool requestSeen = false;
};

// ---- taking read-write access ---------------------------------------------------------------------------------

struct AccessCase {
    const char* name;
    int holderReleasesAfterMs;   // -2: no other station holds the access; -1: it never gives it up;
                                 // -3: none does, and the share takes no file (mounted read-only)
    std::optional<std::string> password;   // nullopt: the prompt closed with Esc
    int mode;                    // the station's access afterwards
    int setting;                 // and its setting
    const char* told;            // a message box's text, or ""
    const char* status;          // the status line left in the manager, or ""
    std::int64_t minSlept, maxSlept;
};

TEST_F(SharedAccessTest, ReadWriteAccessIsTakenAfterThePasswordOnceNoOtherStationHoldsIt) {
    const AccessCase cases[] = {
        {"free", -2, kDefaultPass, 1, 1, "", "", 250, 250},
        {"handed over", 3000, kDefaultPass, 1, 1, "", "", 3250, 3750},
        {"refused", -1, kDefaultPass, 0, 0, "", "did not hand it over", 15000, 15000},
        {"wrong password", -2, "quolberdan", 0, 0, "The password is wrong", "", 0, 0},
        {"prompt cancelled", -2, std::nullopt, 0, 0, "The password is wrong", "", 0, 0},
        {"share read-only", -3, kDefaultPass, 0, 1, "the shared folder cannot be written", "", 250, 250},
    };
    for (const AccessCase& c : cases) {
        SCOPED_TRACE(c.name);
        fresh();
        shareReadOnly();
        if (c.holderReleasesAfterMs >= -1) holdElsewhere(c.holderReleasesAfterMs);
        if (c.holderReleasesAfterMs == -3) plat::refuseChangesUnder(shared);
        load();
        openManager().click(kMgr, kReadWrite);
        if (c.password) typePassword(*c.password);
        else script().key(kPassword, 27);
        if (*c.told) script().answer(plat::IDOK);
        plat::resetSleptMs();
        closeAll();
        plat::refuseChangesUnder("");

        EXPECT_EQ(g_globals->sharedAccessMode.load(), c.mode);
        EXPECT_EQ(fileItem("SharedData", 2), std::to_string(c.setting));
        if (*c.told) {
            EXPECT_TRUE(transcript().contains(c.told));
        }
        EXPECT_NE(shown(kMgr, c.mode ? kReadWrite : kReadOnly).find("check=1"), std::string::npos);
        EXPECT_NE(shown(kMgr, kChangePassword).find(c.mode ? "enabled=1" : "enabled=0"), std::string::npos);
        if (*c.status) {
            EXPECT_NE(text(kMgr, kStatus).find(c.status), std::string::npos) << text(kMgr, kStatus);
            EXPECT_NE(shown(kMgr, kProgress).find("visible=0"), std::string::npos);
        } else {
            EXPECT_NE(shown(kMgr, kStatus).find("visible=0"), std::string::npos);
        }
        // The waits of the manager (polls and settling); the rest of the session sleeps 250 ms at the end
        // of the invocation, and 250 ms more where the station gives its access back at the cycle's end.
        const std::int64_t manager = plat::sleptMs() - 250 - (c.mode ? 250 : 0);
        EXPECT_GE(manager, c.minSlept);
        EXPECT_LE(manager, c.maxSlept);
        // A request is made only while another station holds the access, and never left behind.
        EXPECT_EQ(requestSeen, c.holderReleasesAfterMs >= -1);
        EXPECT_FALSE(plat::fileExists(flag("RWrequest.dat")));
        // The holder that refused keeps its flag; a station that took the access gave it back at the end
        // of its work cycle.
        EXPECT_EQ(plat::fileExists(flag("RWrunning.dat")), c.holderReleasesAfterMs == -1);
        EXPECT_FALSE(sharedDataWatcherRunning());
        holder.reset();
        requestSeen = false;
        (void)plat::removeFile(flag("RWrunning.dat"));   // the other station has gone
    }
}

// A holder whose process has ended is not asked (it never answers): the user is, and takes its flag over at
// once or leaves it.
TEST_F(SharedAccessTest, AHolderThatNoLongerRunsIsTakenOverAfterTheUsersYes) {
    for (const int answer : {plat::IDNO, plat::IDYES}) {
        SCOPED_TRACE(answer);
        fresh();
        shareReadOnly();
        const pid_t ended = fork();
        if (ended == 0) _exit(0);
        waitpid(ended, nullptr, 0);
        const std::string gone = encodeAccessHolder({"/elsewhere", plat::machineName(), ended, plat::nowSeconds()});
        ASSERT_TRUE(plat::writeFile(flag("RWrunning.dat"), gone));
        load();
        openManager().click(kMgr, kReadWrite);
        typePassword(kDefaultPass);
        script().answer(answer);
        plat::resetSleptMs();
        closeAll();
        const int mode = answer == plat::IDYES ? 1 : 0;
        EXPECT_TRUE(transcript().contains("held by a station that no longer runs"));
        EXPECT_EQ(g_globals->sharedAccessMode.load(), mode);
        EXPECT_EQ(fileItem("SharedData", 2), std::to_string(mode));
        EXPECT_LT(plat::sleptMs(), 1000);   // no wait for an answer that cannot come
        EXPECT_FALSE(plat::fileExists(flag("RWrequest.dat")));
        // Taken over, the flag was this station's and went at the end of its cycle; left, it stays.
        EXPECT_EQ(plat::readFile(flag("RWrunning.dat")).value_or("<none>"), mode ? "<none>" : gone);
        (void)plat::removeFile(flag("RWrunning.dat"));
    }
}

// Another station takes the gone holder's flag while this station's user answers: the user is told who won.
TEST_F(SharedAccessTest, TheStationThatLosesATakeOverRaceIsToldWhoWon) {
    const pid_t ended = fork();
    if (ended == 0) _exit(0);
    waitpid(ended, nullptr, 0);
    ASSERT_TRUE(plat::writeFile(flag("RWrunning.dat"),
                                encodeAccessHolder({"/elsewhere", plat::machineName(), ended, plat::nowSeconds()})));
    const std::string winner = encodeAccessHolder({"/winner", "far", 9, plat::nowSeconds()});
    load();
    openManager().click(kMgr, kReadWrite);
    typePassword(kDefaultPass);
    script().answer(plat::IDYES).answer(plat::IDOK);
    script().setOnTake([&](const plat::Step& step) {
        if (step.verb == "answer" && step.intArg(0) == plat::IDYES) {
            ASSERT_TRUE(plat::writeFile(flag("RWrunning.dat"), winner));
        }
    });
    closeAll();
    script().setOnTake(nullptr);
    EXPECT_TRUE(transcript().contains("Another station took the access over first:\\n/winner @ far (9, "));
    EXPECT_EQ(g_globals->sharedAccessMode.load(), 0);
    EXPECT_EQ(plat::readFile(flag("RWrunning.dat")), winner);
}

TEST_F(SharedAccessTest, GivingTheAccessBackRemovesTheFlagAndStopsTheWatcher) {
    load();
    openManager().click(kMgr, kReadWrite);
    typePassword(kDefaultPass);
    script().click(kMgr, kReadOnly);
    closeAll();
    EXPECT_EQ(g_globals->sharedAccessMode.load(), 0);
    EXPECT_FALSE(plat::fileExists(flag("RWrunning.dat")));
    EXPECT_FALSE(sharedDataWatcherRunning());
    EXPECT_NE(shown(kMgr, kChangePassword).find("enabled=0"), std::string::npos);
}

// Cancel does not undo a change of access: the flag files have changed already.
TEST_F(SharedAccessTest, CancelAfterTakingTheAccessKeepsIt) {
    load();
    openManager().click(kMgr, kReadWrite);
    typePassword(kDefaultPass);
    script().click(kMgr, plat::IDCANCEL).click(kDlg, plat::IDOK);
    run();
    EXPECT_EQ(g_globals->sharedAccessMode.load(), 1);
    EXPECT_EQ(fileItem("SharedData", 2), "1");
}

// A share that takes no file (mounted read-only): the station whose setting says read-write is told why it
// cannot hold the access and works read-only, its setting kept; once the share can be written, it holds it.
// Read-only chosen meanwhile is the setting from then on.
TEST_F(SharedAccessTest, AShareThatCannotBeWrittenIsToldAndTheReadWriteSettingKept) {
    fresh();
    writeSettings("SharedData", "1. 1\r\n2. 1\r\n3. " + shared + "\r\n");
    plat::refuseChangesUnder(shared);
    load();
    script().answer(plat::IDOK);
    run();
    plat::refuseChangesUnder("");
    EXPECT_TRUE(transcript().contains("cannot be held: the shared folder cannot be written:\\n" + shared +
                                      "\\nRead-only file system"));
    EXPECT_EQ(g_globals->sharedAccessMode.load(), 0);
    EXPECT_EQ(fileItem("SharedData", 2), "1");
    EXPECT_FALSE(plat::fileExists(flag("RWrunning.dat")));
    run();
    EXPECT_EQ(g_globals->sharedAccessMode.load(), 1);
    EXPECT_EQ(fileItem("SharedData", 2), "1");
    EXPECT_EQ(count("msgbox"), 1);

    // Read-only chosen while the share still takes no file: the setting says so from then on.
    plat::refuseChangesUnder(shared);
    script().answer(plat::IDOK);
    openManager().click(kMgr, kReadOnly);
    closeAll();
    plat::refuseChangesUnder("");
    EXPECT_EQ(fileItem("SharedData", 2), "0");
    run();
    EXPECT_EQ(g_globals->sharedAccessMode.load(), 0);
    EXPECT_FALSE(plat::fileExists(flag("RWrunning.dat")));
}

// Settings that say read-write while another station holds the access: the cycle works read-only and the
// settings say so, though the parameters read them again.
TEST_F(SharedAccessTest, ReadWriteRefusedAtTheCyclesStartStaysReadOnlyThroughTheParameters) {
    fresh();
    writeSettings("SharedData", "1. 1\r\n2. 1\r\n3. " + shared + "\r\n");
    holdElsewhere(-1);
    load();
    script().answer(plat::IDOK);
    open().click(kDlg, plat::IDOK);
    run();
    EXPECT_TRUE(transcript().contains("held by another station"));
    EXPECT_EQ(g_globals->sharedAccessMode.load(), 0);
    EXPECT_EQ(fileItem("SharedData", 2), "0");
    EXPECT_FALSE(sharedDataWatcherRunning());
}

// Setting a share up with read-write access is the one time its folders are made: its library, which the
// station's first publication fills.
TEST_F(SharedAccessTest, SettingUpAShareWithReadWriteAccessMakesItsLibrary) {
    std::filesystem::remove_all(shared + "/FORMS_MM");
    load();
    script().answer(plat::IDOK).click(kMgr, kReadWrite);   // the start-up check's manager on the bare share
    typePassword(kDefaultPass);
    script().click(kMgr, plat::IDOK).answer(plat::IDOK);
    run();
    EXPECT_TRUE(transcript().contains("OK makes the library there"));
    EXPECT_TRUE(plat::dirExists(shared + "/FORMS_MM/Standard"));
}

// ---- the holder's watcher -------------------------------------------------------------------------------------

TEST_F(SharedAccessTest, TheWatcherAsksAtEachPollAndHandsTheAccessOverOnYes) {
    loadAndCloseOnce();
    g_globals->sharedAccessMode = 1;
    ASSERT_TRUE(claimRunningFlag(shared, g_globals->pluginDir));
    startSharedDataWatcher(shared);
    plat::sleepMs(1000);
    EXPECT_TRUE(sharedDataWatcherRunning());
    EXPECT_FALSE(transcript().contains("msgbox"));

    ASSERT_TRUE(plat::writeFile(flag("RWrequest.dat"), ""));
    script().answer(plat::IDNO).answer(plat::IDYES);
    plat::sleepMs(1000);
    expectScriptPlayed();
    EXPECT_EQ(count("msgbox owner=- type=YESNO|ICONQUESTION|SYSTEMMODAL caption=\"Shared library\" "
                    "text=\"Another station asks for read-write access"),
              2);
    EXPECT_FALSE(sharedDataWatcherRunning());
    EXPECT_FALSE(plat::fileExists(flag("RWrunning.dat")));
    EXPECT_EQ(g_globals->sharedAccessMode.load(), 0);
    // The settings files of both units say so; the part's record waits for the main thread.
    EXPECT_EQ(fileItem("SharedData", 2), "0");
    CTextSection inch;
    ASSERT_EQ(inch.load(installDir + "/Tool_in.prm", "SharedData", false), 0);
    EXPECT_EQ(inch.getText(2), "0");
    EXPECT_EQ(inch.getText(3), shared);
}

TEST_F(SharedAccessTest, TheWatcherEndsOnItsStopByteAndOnlyOneRuns) {
    loadAndCloseOnce();
    startSharedDataWatcher(shared);
    startSharedDataWatcher(shared);
    EXPECT_EQ(plat::periodicTaskCount(), 1);
    g_sharedWatcher.stop = 1;
    plat::sleepMs(400);
    EXPECT_FALSE(sharedDataWatcherRunning());
    ASSERT_TRUE(plat::writeFile(flag("RWrequest.dat"), ""));
    plat::sleepMs(400);
    EXPECT_FALSE(transcript().contains("msgbox"));
}

// Stations on other machines know the holder runs by the time in its flag: the watcher renews it.
TEST_F(SharedAccessTest, TheWatcherRenewsItsFlagSoThatOtherMachinesSeeTheHolderRun) {
    loadAndCloseOnce();
    constexpr std::int64_t kStart = 1800000000;
    plat::setNowSeconds(kStart);
    ASSERT_TRUE(claimRunningFlag(shared, g_globals->pluginDir));
    startSharedDataWatcher(shared);
    const auto renewed = [this] {
        return decodeAccessHolder(plat::readFile(flag("RWrunning.dat")).value_or("")).renewed;
    };
    plat::setNowSeconds(kStart + kHolderRenewSeconds - 1);
    plat::sleepMs(400);
    EXPECT_EQ(renewed(), kStart);
    plat::setNowSeconds(kStart + kHolderRenewSeconds);
    plat::sleepMs(400);
    EXPECT_EQ(renewed(), kStart + kHolderRenewSeconds);
    // A flag it no longer holds is not its to renew: taken over, the station works read-only from then on
    // and its user is told who holds the access.
    g_globals->sharedAccessMode = 1;
    const std::string other = encodeAccessHolder({"/other", "elsewhere", 7, kStart});
    ASSERT_TRUE(plat::writeFile(flag("RWrunning.dat"), other));
    script().answer(plat::IDOK);
    plat::setNowSeconds(kStart + 3 * kHolderRenewSeconds);
    plat::sleepMs(400);
    expectScriptPlayed();
    EXPECT_EQ(plat::readFile(flag("RWrunning.dat")), other);
    EXPECT_TRUE(transcript().contains("msgbox owner=- type=OK|SYSTEMMODAL"));
    EXPECT_TRUE(transcript().contains("was taken over by another station:\\n/other @ elsewhere (7, "));
    EXPECT_FALSE(sharedDataWatcherRunning());
    EXPECT_EQ(g_globals->sharedAccessMode.load(), 0);
    EXPECT_EQ(fileItem("SharedData", 2), "0");
    stopSharedDataWatcher();
    plat::setNowSeconds(0);
}

// A holder that cannot reach the shared folder keeps its access and renews once it can; one whose flag was
// removed by hand works read-only and is told so.
TEST_F(SharedAccessTest, TheWatcherKeepsTryingAnUnreachableFolderAndStopsAtAFlagRemoved) {
    loadAndCloseOnce();
    constexpr std::int64_t kStart = 1800000000;
    plat::setNowSeconds(kStart);
    g_globals->sharedAccessMode = 1;
    ASSERT_TRUE(claimRunningFlag(shared, g_globals->pluginDir));
    startSharedDataWatcher(shared);
    const std::string away = shared + ".away";
    ASSERT_TRUE(plat::moveFile(shared, away));
    plat::setNowSeconds(kStart + kHolderRenewSeconds);
    plat::sleepMs(400);
    EXPECT_TRUE(sharedDataWatcherRunning());
    ASSERT_TRUE(plat::moveFile(away, shared));
    plat::sleepMs(400);
    EXPECT_EQ(decodeAccessHolder(plat::readFile(flag("RWrunning.dat")).value_or("")).renewed,
              kStart + kHolderRenewSeconds);

    ASSERT_TRUE(plat::removeFile(flag("RWrunning.dat")));
    script().answer(plat::IDOK);
    plat::setNowSeconds(kStart + 2 * kHolderRenewSeconds);
    plat::sleepMs(400);
    expectScriptPlayed();
    EXPECT_TRUE(transcript().contains("read-write access to the shared library was removed"));
    EXPECT_FALSE(sharedDataWatcherRunning());
    EXPECT_EQ(g_globals->sharedAccessMode.load(), 0);
    EXPECT_FALSE(plat::fileExists(flag("RWrunning.dat")));
    plat::setNowSeconds(0);
}

// ---- the folder and the password ----------------------------------------------------------------------------

TEST_F(SharedAccessTest, AFolderPickedInsideAFormsFolderStandsForTheSharedFolderAbove) {
    const std::string lib = dir.path() + "/Lib";
    ASSERT_TRUE(plat::createDirectories(lib + "/FORMS_MM/Steel"));
    ASSERT_TRUE(plat::createDirectories(lib + "/forms_inch"));
    ASSERT_TRUE(plat::createDirectories(lib + "/FORMS_MMX"));
    struct {
        std::string picked, shown;
    } cases[] = {
        {lib + "/FORMS_MM/Steel", lib},
        {lib + "/forms_inch", lib},
        {lib + "/FORMS_MMX", lib + "/FORMS_MMX"},
        {dir.path() + "/gone", shared},   // cannot be read and written: told, the folder stays
    };
    loadAndCloseOnce();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.picked);
        plat::driver().reset();
        CDlgSharedDataMgr dlg;
        dlg.folder = shared;
        dlg.library = "Standard";
        script().click(kMgr, kChangeFolder).folder(c.picked);
        const bool refused = c.shown == shared;
        if (refused) script().answer(plat::IDOK);
        script().click(kMgr, plat::IDCANCEL);
        doModalInPluginRes(dlg);
        expectScriptPlayed();
        EXPECT_EQ(transcript().contains("The folder cannot be read and written"), refused);
        EXPECT_EQ(text(kMgr, kFolderText), c.shown);
        EXPECT_EQ(dlg.folder, c.shown);
    }
}

struct PasswordCase {
    const char* name;
    std::vector<std::string> steps;   // passwords typed (the current one, then new and confirmation pairs), and
                                      // "#OK" or "#CANCEL" answering a message box on the way
    const char* inForce;              // the password afterwards
};

TEST_F(SharedAccessTest, APasswordChangeWritesOnlyAConfirmedPasswordOfUpToSixCharacters) {
    const PasswordCase cases[] = {
        {"confirmed", {kDefaultPass, "abc", "abc", "#OK"}, "abc"},
        {"retyped", {kDefaultPass, "abc", "abd", "#OK", "xyz", "xyz", "#OK"}, "xyz"},
        {"mismatch cancelled", {kDefaultPass, "abc", "abd", "#CANCEL"}, kDefaultPass},
        {"too long, then six", {kDefaultPass, "abcdefg", "abcdefg", "#OK", "abcdef", "abcdef", "#OK"}, "abcdef"},
        {"too long, cancelled", {kDefaultPass, "abcdefg", "abcdefg", "#CANCEL"}, kDefaultPass},
        {"wrong current", {"nope"}, kDefaultPass},
        {"empty", {kDefaultPass, "", "", "#OK"}, ""},
    };
    loadAndCloseOnce();
    for (const PasswordCase& c : cases) {
        SCOPED_TRACE(c.name);
        (void)plat::removeFile(shared + "/Shared.Dat");
        plat::driver().reset();
        g_globals->sharedDataOn = 1;
        CDlgSharedDataMgr dlg;
        dlg.folder = shared;
        dlg.library = "Standard";
        dlg.mode = 1;
        script().click(kMgr, kChangePassword);
        for (const std::string& step : c.steps) {
            if (step == "#OK") script().answer(plat::IDOK);
            else if (step == "#CANCEL") script().answer(plat::IDCANCEL);
            else typePassword(step);
        }
        script().click(kMgr, plat::IDCANCEL);
        doModalInPluginRes(dlg);
        expectScriptPlayed();
        CSharedFolder check(shared);
        check.readPasswordFile();
        EXPECT_EQ(check.passwordInForce(), c.inForce);
        EXPECT_EQ(plat::fileExists(shared + "/Shared.Dat"), std::string(c.inForce) != kDefaultPass);
    }
}

TEST_F(SharedAccessTest, ThePasswordCanBeChangedOnlyWithReadWriteAccess) {
    loadAndCloseOnce();
    CDlgSharedDataMgr dlg;
    dlg.folder = shared;
    dlg.library = "Standard";
    script().click(kMgr, plat::IDCANCEL);
    doModalInPluginRes(dlg);
    expectScriptPlayed();
    EXPECT_NE(shown(kMgr, kChangePassword).find("enabled=0"), std::string::npos);
    EXPECT_NE(shown(kMgr, kReadOnly).find("check=1"), std::string::npos);
}

}  // namespace
