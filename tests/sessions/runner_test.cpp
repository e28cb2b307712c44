// hostcam's session runner against a fake plug-in: what the host does between invocations (invoke,
// notify, run-again requests, window steps at the top level) and how a bad session ends.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <sstream>

#include "host/api.h"
#include "host/state.h"
#include "hostapp/session_runner.h"
#include "platform/sys/files.h"
#include "platform/sys/thread_queue.h"
#include "platform/ui/dialog.h"
#include "platform/ui/driver.h"
#include "support/temp_dir.h"

namespace {

constexpr unsigned kPluginCommand = 0x8028;

// A fake plug-in: plain functions with static state, as the module's exports are.
struct Fake {
    int versionCalls = 0, enterCalls = 0, mainCalls = 0;
    std::vector<int> notified;
    int runAgainBudget = 0;            // main() asks to be run again while this is positive
    bool runAgainForever = false;
    bool loop = false;                 // main() runs a command loop on get_event
    std::vector<unsigned> postOnMain;  // codes main() posts without running a loop
    std::vector<std::uintptr_t> commands;
    int loopResult = 0;                // what the last loop's get_event ended with
    bool pause = false;                // main() leaves its work cycle paused
};
Fake fake;

void commandLoop() {
    PFEvent ev;
    long mask = 0x8200, a2 = 0;
    short a3 = 0;
    char out = 0;
    for (;;) {
        int r = get_event("Fake> ", &ev, &mask, &a2, &a3, &out);
        if (r == 1 || r == 2) {
            fake.loopResult = r;
            return;
        }
        if (ev.type != kEventPosted) continue;
        fake.commands.push_back(ev.wParam);
        if (ev.wParam == 1) return;
    }
}

int fakeVersion() {
    ++fake.versionCalls;
    return 1300;
}
int fakeEnter() {
    ++fake.enterCalls;
    return 0;
}
int fakeMain() {
    ++fake.mainCalls;
    for (unsigned code : fake.postOnMain) plat::postThreadMessage(kPluginCommand, code, 0);
    fake.postOnMain.clear();
    if (fake.loop) commandLoop();
    plugin_cycle_paused(fake.pause ? 1 : 0);
    if (fake.runAgainForever || fake.runAgainBudget-- > 0) post_FT_command("Forantix", "m_main");
    return 0;
}
int fakeNotify(int code) {
    fake.notified.push_back(code);
    return 0;
}

const host::PluginExports kFake{fakeVersion, fakeEnter, fakeMain, fakeNotify};

class Runner : public testing::Test {
protected:
    void SetUp() override {
        fake = Fake{};
        plat::driver().reset();
        plat::clearThreadMessages();
        host::reset();
    }
    void TearDown() override {
        plat::clearThreadMessages();
        plat::driver().reset();
    }
    host::SessionResult play(const char* text) {
        plat::ParsedSession p = plat::parseSession(text);
        EXPECT_EQ(p.error, "");
        for (auto& s : p.steps) plat::driver().script().add(std::move(s));
        return host::runSession(kFake, out, err);
    }
    std::ostringstream out, err;
};

TEST_F(Runner, InvokeRunsMainWhoseLoopTakesTheFollowingSteps) {
    fake.loop = true;
    fake.postOnMain = {104};
    host::SessionResult r = play("invoke\nesc\n");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.errors.empty());
    EXPECT_EQ(fake.versionCalls, 1);
    EXPECT_EQ(fake.enterCalls, 1);
    EXPECT_EQ(fake.mainCalls, 1);
    EXPECT_EQ(fake.commands, std::vector<std::uintptr_t>{104});
    EXPECT_EQ(fake.loopResult, 2);
    // What the user saw is echoed as it happens, the version answer first.
    std::string shown = out.str();
    EXPECT_EQ(shown.rfind("hostcam.call m_version -> 1300\n", 0), 0u) << shown;
    EXPECT_NE(shown.find("host.prompt \"Fake> \""), std::string::npos) << shown;
    EXPECT_NE(shown.find("host.esc"), std::string::npos) << shown;
    EXPECT_EQ(err.str(), "");
}

TEST_F(Runner, EveryRunAgainRequestCallsMainOnceMore) {
    fake.runAgainBudget = 2;
    host::SessionResult r = play("invoke\n");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(fake.mainCalls, 3);
    EXPECT_EQ(host::pendingRunAgainRequests(), 0);
}

TEST_F(Runner, RunAgainIsBoundedAndThenAnError) {
    fake.runAgainForever = true;
    plat::ParsedSession p = plat::parseSession("invoke\ninvoke\n");
    for (auto& s : p.steps) plat::driver().script().add(std::move(s));
    host::SessionResult r = host::runSession(kFake, out, err, {}, 5);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(fake.mainCalls, 6);  // the invocation and five more
    ASSERT_GE(r.errors.size(), 1u);
    EXPECT_NE(r.errors[0].find("run again more than 5 times"), std::string::npos) << r.errors[0];
    EXPECT_NE(err.str().find("step not played: line 2: invoke"), std::string::npos) << err.str();
}

TEST_F(Runner, NotifyPassesItsCode) {
    host::SessionResult r = play("notify 3\nnotify 6\ninvoke\nnotify 1\n");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(fake.notified, (std::vector<int>{3, 6, 1}));
    EXPECT_EQ(fake.mainCalls, 1);
    EXPECT_NE(out.str().find("hostcam.call m_notify 6 -> 0"), std::string::npos);
}

TEST_F(Runner, AStepForAWaitAtTheTopLevelIsAnErrorAndTheRestIsLeftOver) {
    host::SessionResult r = play("invoke\nanswer IDOK\ninvoke\npoint 1 2 3\n");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(fake.mainCalls, 1);
    ASSERT_EQ(r.errors.size(), 3u);
    EXPECT_EQ(r.errors[0].rfind("line 2: ", 0), 0u) << r.errors[0];
    EXPECT_EQ(r.errors[1], "step not played: line 3: invoke");
    EXPECT_EQ(r.errors[2], "step not played: line 4: point 1 2 3");
    EXPECT_NE(err.str().find("hostcam: line 2: "), std::string::npos) << err.str();
}

TEST_F(Runner, StepsTheLoopDidNotTakeAreLeftOver) {
    fake.loop = true;
    fake.postOnMain = {1};  // the loop ends on its own before the script's esc
    host::SessionResult r = play("invoke\nesc\n");
    EXPECT_EQ(r.exitCode, 1);
    ASSERT_FALSE(r.errors.empty());
    EXPECT_NE(r.errors[0].find("line 2:"), std::string::npos) << r.errors[0];
}

// The user opens a STEP file, then saves the part: the part is named after the file, the plug-in is told,
// and the save names the part. A file that does not open or cannot be saved (or either step while the
// plug-in's cycle is paused) is a script error naming why, and leaves the part and the files as they were.
TEST_F(Runner, OpenAndSaveReplaceAndWriteThePartOrRefuseWithWhy) {
    TempDir dir;
    const std::string step = dir.path() + "/plate.step";
    std::filesystem::copy_file(std::string(FX_SOURCE_DIR) + "/data/examples/holes_plate.step", step);
    const std::string saved = dir.path() + "/plate-saved.pfp";
    host::SessionResult r = play(("open " + step + "\nsave " + saved + "\n").c_str());
    ASSERT_EQ(r.exitCode, 0) << err.str();
    EXPECT_EQ(fake.notified, std::vector<int>{3});
    EXPECT_NE(out.str().find("hostcam.open " + step + ": points 0, lines 0, arcs 0, splines 0, notes 0, surfaces 0, "
                             "solids 1, total 1"),
              std::string::npos)
        << out.str();
    EXPECT_TRUE(std::filesystem::is_regular_file(saved));
    EXPECT_EQ(std::string(geo_filename), saved);

    struct CASE {
        const char* what;
        std::string step;
        bool paused;
        std::string why;
    };
    const std::string missing = dir.path() + "/missing.pfp";
    const CASE cases[] = {
        {"a part file that is not there", "open " + missing, false, "The part file " + missing + " does not exist."},
        {"a STEP file that is not there", "open " + dir.path() + "/missing.step", false, "missing.step"},
        {"an open while the cycle is paused", "open " + step, true, "the part cannot be replaced: the plug-in's work cycle is paused"},
        {"a save into a folder that is not there", "save " + dir.path() + "/no/x.pfp", false, "/no, which does not exist"},
        {"a save to a folder", "save " + dir.path() + "/", false, "names a folder"},
        {"a save while the cycle is paused", "save " + dir.path() + "/x.pfp", true, "the part is not saved: the plug-in's work cycle is paused"},
    };
    for (const CASE& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        ASSERT_TRUE(host::openPart(saved).ok);
        const host::EntityCounts before = host::entityCounts();
        out.str("");
        err.str("");
        fake.pause = c.paused;
        r = play(((c.paused ? "invoke\n" : "") + c.step + "\n").c_str());
        EXPECT_EQ(r.exitCode, 1);
        ASSERT_EQ(r.errors.size(), 1u);
        EXPECT_NE(r.errors[0].find(c.why), std::string::npos) << r.errors[0];
        EXPECT_TRUE(fake.notified.empty());
        EXPECT_EQ(std::string(geo_filename), saved);
        EXPECT_EQ(host::entityCounts().total, before.total);
    }
    EXPECT_EQ(std::vector<std::filesystem::path>(std::filesystem::directory_iterator(dir.path()), {}).size(), 2u);
}

// `open` takes a file named as a STEP file for one when its first bytes are a STEP file's header, as CAD
// systems write it, and names the new part beside it with the part files' suffix (a later save under the
// part's name must not land on the STEP file). Anything else is refused at once, before the wait dialog of a
// large file, naming what it is; the part stays as it was.
TEST_F(Runner, OpenTakesAStepFileByItsHeaderAndNamesThePartBesideIt) {
    TempDir dir;
    const std::string boss = plat::readFile(std::string(FX_SOURCE_DIR) + "/data/examples/boss_part.step").value_or("");
    ASSERT_EQ(boss.rfind("ISO-10303-21;", 0), 0u);
    const auto text = [](std::string bytes) {
        return [bytes](const std::string& path) { ASSERT_TRUE(plat::writeFile(path, bytes)); };
    };
    const struct {
        const char* what;
        std::string name;
        std::function<void(const std::string&)> make;
        std::string why, part;   // why it is refused, else the part's name
    } cases[] = {
        {"as its CAD system wrote it", "boss.step", text(boss), "", "boss.pfp"},
        {"a byte order mark, blank lines and a comment before a header in small letters", "Boss.STP",
         text("\xEF\xBB\xBF\r\n\n /* exported */\r\niso-10303-21;" + boss.substr(13)), "", "Boss.pfp"},
        {"a FIFO", "fifo.step", [](const std::string& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0); },
         "fifo.step: is a special file (a FIFO), not a STEP file", ""},
        {"a device", "null.step", [](const std::string& p) { std::filesystem::create_symlink("/dev/null", p); },
         "null.step: is a special file (a device), not a STEP file", ""},
        {"16 MiB of NUL bytes", "zeros.step", [](const std::string& p) {
             ASSERT_TRUE(plat::writeFile(p, ""));
             std::filesystem::resize_file(p, 16 << 20);
         }, "zeros.step: is not a STEP file: it does not begin with the header \"ISO-10303-21;\"", ""},
        {"notes", "notes.step", text("HEADER;\n" + boss), "notes.step: is not a STEP file", ""},
        {"a comment that does not end", "open.stp", text("/* ISO-10303-21;\n"), "open.stp: is not a STEP file", ""},
        {"no byte", "empty.step", text(""), "empty.step: is not a STEP file", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        out.str("");
        const std::string before = geo_filename, path = dir.path() + "/" + c.name;
        c.make(path);
        const host::SessionResult r = play(("open " + path + "\n").c_str());
        const bool opens = c.why.empty();
        EXPECT_EQ(r.exitCode, opens ? 0 : 1);
        ASSERT_EQ(r.errors.size(), opens ? 0u : 1u);
        if (!opens) {
            EXPECT_NE(r.errors[0].find(c.why), std::string::npos) << r.errors[0];
        }
        EXPECT_EQ(fake.notified, opens ? std::vector<int>{3} : std::vector<int>{});
        EXPECT_EQ(std::string(geo_filename), opens ? dir.path() + "/" + c.part : before);
        EXPECT_EQ(out.str().find("host.wait.show"), std::string::npos) << out.str();
    }
}

// A message posted during one invocation and not taken by its loop is lost at the host's top level, as
// with a windowless message reaching the host's own pump; it must not show up in the next invocation.
TEST_F(Runner, MessagesLeftAtTheTopLevelAreDropped) {
    fake.postOnMain = {105};
    host::SessionResult r = play("invoke\n");
    ASSERT_EQ(r.exitCode, 0);
    EXPECT_FALSE(plat::hasThreadMessage());
    EXPECT_NE(out.str().find("hostcam.drop message 0x8028 105"), std::string::npos) << out.str();
}

// The plug-in's modeless windows outlive an invocation. A button pressed while no loop runs posts its
// command and starts the loop itself, which then takes the following steps.
class MenuWindow : public plat::Dialog {
public:
    static constexpr int kId = 32001, kButton = 21;
    MenuWindow() : Dialog(kId) {
        onCommand(kButton, [] {
            plat::postThreadMessage(kPluginCommand, 105, 0);
            commandLoop();
        });
    }
    static void registerTemplate() {
        plat::DlgTemplate t;
        t.id = kId;
        t.caption = "Menu";
        t.cxDlu = 100;
        t.cyDlu = 40;
        plat::CtlTemplate c;
        c.id = kButton;
        c.kind = plat::Ctl::Button;
        c.dlu = {5, 5, 60, 19};
        c.text = "View";
        t.controls.push_back(c);
        plat::registerDialog(t);
    }
};

TEST_F(Runner, AWindowStepAtTheTopLevelIsDeliveredToTheModelessWindow) {
    MenuWindow::registerTemplate();
    MenuWindow menu;
    ASSERT_TRUE(menu.create());
    menu.showWindow(true);
    host::SessionResult r = play("click 32001 21\nesc\n");
    EXPECT_EQ(r.exitCode, 0) << err.str();
    EXPECT_EQ(fake.mainCalls, 0);
    EXPECT_EQ(fake.commands, std::vector<std::uintptr_t>{105});
    EXPECT_EQ(fake.loopResult, 2);
    menu.destroyWindow();
}

}  // namespace
