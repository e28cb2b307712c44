// hostcam as a user starts it: options, a session file that does not read, a module that is missing or
// lacks an export, and a run with the built module under the host set-up the options ask for.
#include <gtest/gtest.h>

#include <signal.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <regex>
#include <sstream>
#include <thread>

#include "host/api.h"
#include "host/builder/part_builder.h"
#include "host/db/blob_pack.h"
#include "host/db/geometry_seal.h"
#include "host/geom/brep_text.h"
#include "host/geom/step_io.h"
#include "host/state.h"
#include "hostapp/hostcam.h"
#include "hostapp/plugin_module.h"
#include "platform/sys/clock.h"
#include "platform/sys/files.h"
#include "platform/ui/driver.h"
#include "platform/ui/png_image.h"
#include "platform/ui/window_picture.h"
#include "support/private_module.h"

namespace {

namespace fs = std::filesystem;

const std::string kModule = privateModule();
const std::string kBuiltInSessionText = "invoke\nclick 18048 1\n";

class Hostcam : public testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("hostcam_test_" + std::to_string(::getpid()));
        fs::create_directories(dir);
    }
    void TearDown() override {
        fs::remove_all(dir);
        host::reset();
        plat::driver().reset();
    }
    std::string write(const std::string& name, const std::string& text) {
        std::string path = (dir / name).string();
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
    int run(std::vector<std::string> args) { return host::hostcamMain(args, out, err); }

    fs::path dir;
    std::ostringstream out, err;
};

TEST_F(Hostcam, ParsesEveryOption) {
    std::string error;
    auto o = host::parseOptions({"--plugin", "/m/F.so", "--session", "s.session", "--inch", "--no-machine-group",
                                 "--no-active-group", "--host-dir", "/h", "--part", "/p/b.pfp", "--pictures", "pics"},
                                error);
    ASSERT_TRUE(o) << error;
    EXPECT_EQ(o->plugin, "/m/F.so");
    EXPECT_EQ(o->session, "s.session");
    EXPECT_EQ(o->hostDir, "/h");
    EXPECT_EQ(o->part, "/p/b.pfp");
    EXPECT_TRUE(o->inch);
    EXPECT_TRUE(o->noMachineGroup);
    EXPECT_TRUE(o->noActiveGroup);
    EXPECT_EQ(o->pictures, "pics");

    auto defaults = host::parseOptions({}, error);
    ASSERT_TRUE(defaults);
    EXPECT_FALSE(defaults->inch || defaults->noMachineGroup || defaults->noActiveGroup);
    EXPECT_EQ(defaults->session, "");
}

TEST_F(Hostcam, RefusesBadOptionsWithExitTwo) {
    std::string error;
    EXPECT_FALSE(host::parseOptions({"--session"}, error));
    EXPECT_EQ(error, "--session needs a value");
    EXPECT_FALSE(host::parseOptions({"--metric"}, error));
    EXPECT_EQ(error, "unknown option --metric");
    EXPECT_EQ(run({"--bogus"}), 2);
    EXPECT_NE(err.str().find("usage: hostcam"), std::string::npos);
}

TEST_F(Hostcam, BadSessionFileIsRefusedWithItsLineBeforeAnythingRuns) {
    std::string path = write("bad.session", "invoke\n# fine so far\nclick 18048\n");
    EXPECT_EQ(run({"--plugin", kModule, "--session", path}), 2);
    EXPECT_EQ(err.str(), path + ": line 3: click: wrong number of arguments (usage: click WINDOW CONTROL)\n");
    EXPECT_EQ(out.str(), "");
}

TEST_F(Hostcam, UnreadableSessionFileIsRefused) {
    std::string path = (dir / "missing.session").string();
    EXPECT_EQ(run({"--plugin", kModule, "--session", path}), 2);
    EXPECT_NE(err.str().find(path + ": cannot read"), std::string::npos) << err.str();
}

TEST_F(Hostcam, MissingModuleIsAClearError) {
    std::string path = (dir / "NoSuch.so").string();
    EXPECT_EQ(run({"--plugin", path}), 2);
    EXPECT_NE(err.str().find("cannot load plug-in module " + path), std::string::npos) << err.str();
}

TEST_F(Hostcam, ModuleWithoutTheExportsIsRefusedAndUnloaded) {
    // The host library is a loadable module that exports none of the plug-in's functions.
    std::string path = std::string(FX_BINARY_DIR) + "/host/libfxhost.so";
    host::PluginModule m;
    std::string error;
    EXPECT_FALSE(m.load(path, error));
    EXPECT_EQ(error, "plug-in module " + path + " has no export m_version");
    EXPECT_FALSE(m.loaded());
    EXPECT_EQ(m.exports().main, nullptr);
}

TEST_F(Hostcam, BuiltModuleResolvesAndAnswersItsVersion) {
    host::PluginModule m;
    std::string error;
    ASSERT_TRUE(m.load(kModule, error)) << error;
    ASSERT_NE(m.exports().version, nullptr);
    ASSERT_NE(m.exports().notify, nullptr);
    EXPECT_EQ(m.exports().version(), 1300);
    m.unload();
    EXPECT_FALSE(m.loaded());
}

// A session that only sends a notification the plug-in ignores: the run is clean, and the host was set
// up as the options said.
TEST_F(Hostcam, OptionsSetUpTheHostForTheRun) {
    std::string session = write("notify.session", "notify 2\n");
    int code = run({"--plugin", kModule, "--session", session, "--inch", "--no-machine-group", "--host-dir",
                    (dir / "host").string(), "--part", "/parts/Block.pfp"});
    EXPECT_EQ(code, 0) << err.str();
    EXPECT_NE(out.str().find("hostcam.call m_version -> 1300"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("hostcam.call m_notify 2 -> 0"), std::string::npos) << out.str();
    EXPECT_NE(current_version[7], 1);
    EXPECT_EQ(std::string(current_dir), (dir / "host").string());
    EXPECT_STREQ(geo_filename, "/parts/Block.pfp");
    EXPECT_EQ(GroupsMachineGroup(nullptr), nullptr);
    EXPECT_NE(TpMainGrpMgr().GetMainGrpList().RetrieveActiveGroup(), nullptr);
}

// The bundled session as a user runs it: the main menu appears with its caption, version and buttons, the
// user presses its Close button, and the work cycle ends.
TEST_F(Hostcam, BundledSessionShowsTheMainMenuAndClosingItEndsTheCycle) {
    const std::string session = std::string(FX_SOURCE_DIR) + "/data/sessions/main_menu.session";
    const int code = run({"--plugin", kModule, "--session", session, "--host-dir", (dir / "host").string()});
    EXPECT_EQ(code, 0) << err.str();
    const std::string shown = out.str();
    const std::size_t menu = shown.find("dialog.show 18048 modeless caption=\"Forantix for PforgeX4\"");
    ASSERT_NE(menu, std::string::npos) << shown;
    EXPECT_NE(shown.find("18038 Static \"Version 3 MR2 \\n ", menu), std::string::npos) << shown;
    EXPECT_NE(shown.find("18007 Button \"Execute\"", menu), std::string::npos) << shown;
    const std::size_t click = shown.find("user click 18048 1", menu);
    ASSERT_NE(click, std::string::npos) << shown;
    EXPECT_NE(shown.find("dialog.hide 18048", click), std::string::npos) << shown;
    EXPECT_NE(shown.find("hostcam.return m_main 0", click), std::string::npos) << shown;
}

// With --pictures the user gets the main menu as it looked when it appeared, as a PNG in a folder made
// for it; a folder that cannot be made is refused before anything runs.
TEST_F(Hostcam, PicturesOptionWritesEachShownWindowAsAPng) {
    const std::string session = std::string(FX_SOURCE_DIR) + "/data/sessions/main_menu.session";
    const fs::path pics = dir / "pics" / "run1";
    const int code = run({"--plugin", kModule, "--session", session, "--host-dir", (dir / "host").string(),
                          "--pictures", pics.string()});
    EXPECT_EQ(code, 0) << err.str();
    const std::string png = (pics / "Forantix_for_PforgeX4-1.png").string();
    EXPECT_NE(out.str().find("dialog.picture 18048 \"" + png + "\""), std::string::npos) << out.str();
    std::optional<plat::PngImage> img = plat::readPng(png);
    ASSERT_TRUE(img) << png;
    const plat::DlgTemplate* menu = plat::findDialogTemplate(18048);
    ASSERT_TRUE(menu);
    EXPECT_EQ(img->width, plat::dluToPixelsX(menu->cxDlu));
    EXPECT_EQ(img->height, plat::dluToPixelsY(menu->cyDlu));
    int dark = 0;
    for (std::uint32_t px : img->argb) dark += (px & 0xFFFFFF) == 0;
    EXPECT_GT(dark, 200) << "button frames and texts";
    EXPECT_TRUE(plat::pictureFolder().empty()) << "the folder is hostcam's for one run";

    std::ostringstream none;
    out.swap(none);
    EXPECT_EQ(run({"--plugin", kModule, "--session", session, "--pictures", write("file", "x") + "/sub"}), 2);
    EXPECT_NE(err.str().find("cannot make the pictures folder"), std::string::npos) << err.str();
    EXPECT_EQ(out.str(), "");
}

// A picture that cannot be written fails the run: hostcam names the file and exits with 2, and no picture
// file is left half written.
TEST_F(Hostcam, APictureThatCannotBeWrittenFailsTheRunAndNamesTheFile) {
    const std::string session = std::string(FX_SOURCE_DIR) + "/data/sessions/main_menu.session";
    const fs::path pics = dir / "pics";
    const fs::path blocked = pics / "Forantix_for_PforgeX4-1.png";
    fs::create_directories(blocked);   // a folder where the main menu's picture would go
    EXPECT_EQ(run({"--plugin", kModule, "--session", session, "--host-dir", (dir / "host").string(), "--pictures",
                   pics.string()}),
              2);
    EXPECT_NE(err.str().find("hostcam: the window picture " + blocked.string() + " could not be written"),
              std::string::npos)
        << err.str();
    EXPECT_NE(out.str().find("dialog.picture 18048 failed \"" + blocked.string() + "\""), std::string::npos) << out.str();
    EXPECT_TRUE(fs::is_directory(blocked));
    for (const fs::directory_entry& e : fs::recursive_directory_iterator(pics))
        if (e.is_regular_file()) {
            EXPECT_GT(e.file_size(), 0u) << e.path();
        }
}

// A standard output that takes no transcript (a full disk behind a redirection) fails the run.
TEST_F(Hostcam, ATranscriptThatCannotBeWrittenFailsTheRun) {
    const std::string session = std::string(FX_SOURCE_DIR) + "/data/sessions/main_menu.session";
    out.setstate(std::ios::badbit);
    EXPECT_EQ(run({"--plugin", kModule, "--session", session, "--host-dir", (dir / "host").string()}), 2);
    EXPECT_NE(err.str().find("the transcript could not be written to the standard output"), std::string::npos)
        << err.str();
}

TEST_F(Hostcam, HelpNamesThePicturesOption) {
    EXPECT_EQ(run({"--help"}), 0);
    EXPECT_NE(out.str().find("--pictures DIR"), std::string::npos) << out.str();
}

// What the program's start loads, as the dynamic linker lists it: the kernel's STEP reading, but none of
// the libraries only some commands use, which would bind their symbols at every start (the fillets and
// the booleans under them, for the part builder alone; SQLite, for part files; the drawing library, for
// windows drawn and pictures).
TEST(HostcamStart, LoadsNoLibraryThatOnlySomeCommandsUse) {
    const std::string hostcam = std::string(FX_BINARY_DIR) + "/bin/hostcam";
    FILE* listing = ::popen(("LD_TRACE_LOADED_OBJECTS=1 '" + hostcam + "' 2>&1").c_str(), "r");
    ASSERT_NE(listing, nullptr);
    std::string listed;
    char chunk[4096];
    for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, listing)) > 0;) listed.append(chunk, n);
    ASSERT_EQ(::pclose(listing), 0) << listed;
    ASSERT_NE(listed.find("libTKXSBase"), std::string::npos) << listed;
    for (const char* library : {"libTKFillet", "libTKBool", "libsqlite3", "libcairo"})
        EXPECT_EQ(listed.find(library), std::string::npos) << library << " is loaded at the start:\n" << listed;
}

// Without an active operation group the plug-in ends silently: nothing is shown, nothing waits.
TEST_F(Hostcam, WithoutAnActiveGroupTheInvocationEndsSilently) {
    const std::string session = write("invoke.session", "invoke\n");
    const int code = run({"--plugin", kModule, "--session", session, "--no-active-group", "--inch"});
    EXPECT_EQ(code, 0) << err.str();
    EXPECT_EQ(out.str().find("dialog.show"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("hostcam.return m_main 0"), std::string::npos) << out.str();
}

// A user opens a STEP example, runs the plug-in, saves the part and opens the saved part again: the
// part keeps its solid, and the plug-in's records travel with it.
TEST_F(Hostcam, AStepPartIsOpenedSavedAndReopened) {
    const std::string step = std::string(FX_SOURCE_DIR) + "/data/examples/holes_plate.step";
    const std::string part = (dir / "plate.pfp").string();
    const std::string session = std::string(FX_SOURCE_DIR) + "/data/sessions/main_menu.session";
    ASSERT_EQ(run({"--plugin", kModule, "--open", step, "--save", part, "--session", session}), 0) << err.str();
    EXPECT_NE(out.str().find(step + ": points 0, lines 0, arcs 0, splines 0, notes 0, surfaces 0, solids 1"),
              std::string::npos)
        << out.str();
    const std::size_t saved = out.str().find(part + ": ");
    ASSERT_NE(saved, std::string::npos) << out.str();
    const std::string savedCounts = out.str().substr(saved, out.str().find('\n', saved) - saved);

    out.str("");
    ASSERT_EQ(run({"--plugin", kModule, "--open", part, "--session", session}), 0) << err.str();
    EXPECT_EQ(out.str().rfind(savedCounts, 0), 0u) << out.str();
    EXPECT_STREQ(geo_filename, part.c_str());
}

// The README's main job: Execute on the example plate finds its holes and the tree is kept in the part.
TEST_F(Hostcam, TheMainJobFindsTheExamplePlatesHolesAndKeepsThemInThePart) {
    const std::string part = (dir / "plate.pfp").string();
    // A host folder of its own, with no tool library: every tool is missing, and the summary says so.
    ASSERT_EQ(run({"--plugin", kModule, "--host-dir", (dir / "host").string(), "--open",
                   std::string(FX_SOURCE_DIR) + "/data/examples/holes_plate.step", "--session",
                   std::string(FX_SOURCE_DIR) + "/data/sessions/execute.session", "--save", part}),
              0)
        << err.str();
    EXPECT_NE(out.str().find("dialog.show 18036 modal"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("tools were not found."), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("dialog.show 18021 modal"), std::string::npos);
    // The tree opens on the holes and their operations; closing the first direction leaves the views.
    const std::size_t rows = out.str().find("  4003 TreeView [\"(Group 0)  TOP\", ");
    ASSERT_NE(rows, std::string::npos) << out.str();
    EXPECT_NE(out.str().substr(rows, out.str().find('\n', rows) - rows).find("\"Drilling - dia"), std::string::npos);
    const std::size_t collapsed = out.str().find("\n", out.str().find("user tree-collapse 18021 4003")) + 1;
    EXPECT_EQ(out.str().find("  4003 TreeView [\"(Group 0)  TOP\"", collapsed), collapsed) << out.str();
    EXPECT_NE(out.str().find(part + ": "), std::string::npos);
}

// --costs follows the run stage by stage, as a benchmark tells the main job's phases apart: the part opened,
// each step as it is taken (those the plug-in takes inside its windows too), the session, the save and the
// NC listing, each with the CPU, the clock and the peak memory so far, none of which goes back. The clock
// counts from the starter's stamp: a later run stamped as the first was counts the first run's time too.
TEST_F(Hostcam, CostsFollowTheMainJobStepByStep) {
    const std::string costs = (dir / "job.costs").string();
    const std::string stamp = plat::startStamp();
    ASSERT_EQ(::setenv(plat::kStartedAt, stamp.substr(stamp.find('=') + 1).c_str(), 1), 0);
    struct UNSTAMP {
        ~UNSTAMP() { ::unsetenv(plat::kStartedAt); }
    } unstamp;
    ASSERT_EQ(run({"--plugin", kModule, "--host-dir", (dir / "host").string(), "--open",
                   std::string(FX_SOURCE_DIR) + "/data/examples/holes_plate.step", "--session",
                   std::string(FX_SOURCE_DIR) + "/data/sessions/execute.session", "--save",
                   (dir / "plate.pfp").string(), "--nc", (dir / "plate.nc").string(), "--costs", costs}),
              0)
        << err.str();
    std::ifstream in(costs);
    std::vector<std::string> stages;
    double cpu = 0, wall = 0, peak = 0;
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line);
        double c = -1, w = -1, p = -1;
        std::string what;
        fields >> c >> w >> p;
        std::getline(fields, what);
        EXPECT_GE(c, cpu) << line;
        EXPECT_GE(w, wall) << line;
        EXPECT_GE(p, peak) << line;
        EXPECT_GT(p, 0) << line;
        cpu = c;
        wall = w;
        peak = p;
        stages.push_back(what);
    }
    const std::vector<std::string> expected = {
        " open", " step line 13: invoke", " step line 14: click 18048 18007", " step line 15: ? answer 1",
        " step line 16: ? answer 7", " step line 17: ? click 18036 1", " step line 18: ? click 18036 3",
        " step line 19: ? tree-collapse 18021 4003 \"(Group 0)  TOP\"", " step line 20: ? click 18021 4158",
        " step line 21: ? answer 7", " step line 22: ? click 18048 1", " session", " save", " nc"};
    EXPECT_EQ(stages, expected);
    const std::string again = (dir / "again.costs").string();
    ASSERT_EQ(run({"--plugin", kModule, "--host-dir", (dir / "host").string(), "--costs", again}), 0) << err.str();
    double first = -1;
    std::ifstream(again) >> first >> first;
    EXPECT_GE(first, wall) << "the clock of a run stamped before the main job";
    EXPECT_EQ(run({"--costs"}), 2);
}

// An output on the path of an input or of another output, however spelled (a second name of the same file,
// a "./" prefix, a symbolic link, a file not yet there), is refused before anything runs: the part is not
// opened, and every file stays as it was. The outputs include the reports the plug-in writes beside the part
// and the pictures, and a folder, or a path ending as one does, is no output; nor is a path in a folder that
// is not there. A part file saved where it was opened from is the part saved.
TEST_F(Hostcam, AnOutputThatIsAnInputOrAnotherOutputIsRefusedBeforeTheRun) {
    const std::string step = write("plate.step", plat::readFile(std::string(FX_SOURCE_DIR) +
                                                                "/data/examples/boss_part.step").value_or(""));
    const std::string session = write("menu.session", kBuiltInSessionText);
    const std::string part = write("plate.pfp", "a part"), nc = write("plate.nc", "a listing");
    const std::string script = write("job.txt", kBuiltInSessionText);
    const std::string shown = write("Forantix_for_PforgeX4-1.png", kBuiltInSessionText);   // the main menu's
    const std::string texts = fs::path(kModule).replace_extension(".txt").string();
    const std::string table = (fs::path(kModule).parent_path() / "Forantix/FORMS_MM/Standard/Drilled.tab").string();
    const auto drilled = plat::readFile(table);
    fs::create_hard_link(step, dir / "linked.step");
    fs::create_symlink(nc, dir / "listing.link");
    fs::create_directory(dir / "out");
    const std::string cwd = fs::current_path().string();
    fs::current_path(dir);
    const struct {
        std::vector<std::string> args;
        std::string refusal;
    } cases[] = {
        {{"--save", part, "--costs", part}, part + ": --save and --costs name the same file"},
        {{"--nc", nc, "--costs", "./plate.nc"}, nc + ": --nc and --costs name the same file"},
        {{"--costs", (dir / "linked.step").string()}, "--costs names the file that --open reads"},
        {{"--nc", "listing.link", "--costs", nc}, "listing.link: --nc and --costs name the same file"},
        {{"--nc", "new.nc", "--costs", (dir / "new.nc").string()}, "new.nc: --nc and --costs name the same file"},
        {{"--save", step}, step + ": --save names the file that --open reads"},
        {{"--nc", session}, session + ": --nc names the file that --session reads"},
        {{"--costs", kModule}, kModule + ": --costs names the file that --plugin reads"},
        {{"--nc", texts}, texts + ": --nc names the plug-in's texts"},
        {{"--save", table}, table + ": --save lies in the plug-in's folder, whose tables and settings it reads"},
        {{"--nc", table + ".nc"}, ": --nc lies in the plug-in's folder"},
        {{"--save", part, "--nc", "plate.txt"}, "plate.txt: --nc and the drilling list beside the part name the same"},
        {{"--save", part, "--costs", (dir / "plate_Time.txt").string()},
         "--costs and the machining-time report beside the part name the same file"},
        {{"--session", script, "--save", (dir / "job.pfp").string()},
         script + ": the drilling list beside the part names the file that --session reads"},
        {{"--save", "out"}, "out: --save names a folder"},
        {{"--nc", "out"}, "out: --nc names a folder"},
        {{"--costs", "out/"}, "out/: --costs names a folder"},
        {{"--nc", "out/x.nc/"}, "out/x.nc/: --nc names a folder"},
        {{"--costs", "out/t/"}, "out/t/: --costs names a folder"},
        {{"--save", "out/p.pfp/"}, "out/p.pfp/: --save names a folder"},
        {{"--nc", "out/x.nc/."}, "out/x.nc/.: --nc names a folder"},
        {{"--nc", "missing/x.nc"}, "missing/x.nc: --nc goes into the folder missing, which does not exist"},
        {{"--save", "out/missing/p.pfp"}, "out/missing/p.pfp: --save goes into the folder out/missing, which does not"},
        {{"--costs", "plate.pfp/t"}, "plate.pfp/t: --costs goes into the folder plate.pfp, which is not a folder"},
        {{"--session", shown, "--pictures", "."},
         shown + ": --session lies in the pictures folder under a name a picture may take"},
        {{"--pictures", "pics", "--nc", "pics/plate-1.png"}, "--nc lies in the pictures folder"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {"--plugin", kModule, "--open", step, "--session", session};
        args.insert(args.end(), c.args.begin(), c.args.end());
        out.str("");
        err.str("");
        EXPECT_EQ(run(args), 2) << c.refusal;
        EXPECT_NE(err.str().find(c.refusal), std::string::npos) << err.str();
        EXPECT_EQ(out.str(), "");   // not even opened
    }
    fs::current_path(cwd);
    EXPECT_EQ(plat::readFile(step), plat::readFile(std::string(FX_SOURCE_DIR) + "/data/examples/boss_part.step"));
    EXPECT_EQ(plat::readFile(part), "a part");
    EXPECT_EQ(plat::readFile(nc), "a listing");
    EXPECT_EQ(plat::readFile(table), drilled);
    EXPECT_FALSE(fs::exists(dir / "new.nc"));
    EXPECT_FALSE(fs::exists(dir / "out" / "x.nc"));
    EXPECT_FALSE(fs::exists(dir / "out" / "p.pfp"));
    EXPECT_FALSE(fs::exists(dir / "pics"));
    EXPECT_FALSE(fs::exists(dir / "missing"));
    EXPECT_TRUE(fs::is_symlink(dir / "listing.link"));

    // Saving a part over the part file it came from, and every output into the null device, are fine.
    err.str("");
    ASSERT_EQ(run({"--plugin", kModule, "--open", step, "--save", part}), 0) << err.str();
    EXPECT_EQ(run({"--plugin", kModule, "--open", part, "--save", (dir / "./plate.pfp").string(), "--nc",
                   "/dev/null", "--costs", "/dev/null"}),
              0)
        << err.str();

    // What only the run can tell, a picture's name meeting an input through a link in the pictures folder:
    // the picture is skipped, the transcript says why, and the run fails naming it.
    const fs::path link = dir / "pics" / "Forantix_for_PforgeX4-1.png";
    fs::create_directories(link.parent_path());
    fs::create_symlink(session, link);
    out.str("");
    err.str("");
    EXPECT_EQ(run({"--plugin", kModule, "--session", session, "--host-dir", (dir / "host").string(), "--pictures",
                   link.parent_path().string()}),
              2);
    EXPECT_NE(out.str().find("dialog.picture 18048 skipped \"" + link.string() +
                             "\": it would replace the file that --session reads"),
              std::string::npos)
        << out.str();
    EXPECT_NE(err.str().find("the window picture " + link.string()), std::string::npos) << err.str();
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(plat::readFile(session), kBuiltInSessionText);
}

// The session's `save` is held to what --save is held to, and to the files the session opened: a part typed
// over the CAD file it came from, the script, the module or a table is a script error that names why, and the
// file stays as it was. Saved over the part file it came from, the part is saved.
TEST_F(Hostcam, ASessionsSaveReplacesNoFileOfTheRun) {
    const std::string boss = plat::readFile(std::string(FX_SOURCE_DIR) + "/data/examples/boss_part.step").value_or("");
    const std::string step = write("bracket.step", boss), other = write("other.step", boss);
    const std::string nc = write("plate.nc", "a listing"), script = write("job.txt", "");
    const std::string texts = fs::path(kModule).replace_extension(".txt").string();
    const std::string table = (fs::path(kModule).parent_path() / "Forantix/FORMS_MM/Standard/Drilled.tab").string();
    // The device through a link of the test's own, which a save that is not refused replaces rather than it.
    const std::string fifo = (dir / "part.fifo").string(), device = (dir / "null.pfp").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    fs::create_symlink("/dev/null", device);
    fs::create_directory(dir / "out");
    const struct {
        std::string target, before, refusal;
    } cases[] = {
        {step, "", step + ": save names the file that --open reads; it would be replaced"},
        {other, "open " + other + "\n", other + ": save names the file that open read at line 1"},
        {script, "", script + ": save names the file that --session reads"},
        {(dir / "job.pfp").string(), "", "job.txt: the drilling list beside the part names the file that --session reads"},
        {kModule, "", kModule + ": save names the file that --plugin reads"},
        {texts, "", texts + ": save names the plug-in's texts"},
        {table, "", table + ": save lies in the plug-in's folder, whose tables and settings it reads"},
        {nc, "", nc + ": save and --nc name the same file"},
        {fifo, "", fifo + ": save cannot write into this special file"},
        {device, "", device + ": save cannot write into this special file"},
        {(dir / "out").string(), "", "out: save names a folder"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.target);
        const std::string session = write("job.txt", c.before + "save " + c.target + "\n");
        const bool plain = fs::is_regular_file(c.target);
        const auto was = plain ? plat::readFile(c.target) : std::nullopt;   // a FIFO would wait for a writer
        out.str("");
        err.str("");
        EXPECT_EQ(run({"--plugin", kModule, "--open", step, "--session", session, "--nc", nc}), 1);
        EXPECT_NE(err.str().find(c.refusal), std::string::npos) << err.str();
        EXPECT_EQ(out.str().find("hostcam.save"), std::string::npos);
        if (plain) {
            EXPECT_EQ(plat::readFile(c.target), was);
        }
        EXPECT_TRUE(fs::is_fifo(fifo));
        EXPECT_TRUE(fs::is_symlink(device));
        EXPECT_FALSE(fs::exists(dir / "job.pfp"));
        host::reset();
    }

    const std::string part = (dir / "bracket.pfp").string();
    ASSERT_EQ(run({"--plugin", kModule, "--open", step, "--save", part}), 0) << err.str();
    const std::string session = write("job.txt", "save " + part + "\n");
    EXPECT_EQ(run({"--plugin", kModule, "--open", part, "--session", session, "--nc", nc}), 0) << err.str();
    EXPECT_NE(out.str().find("hostcam.save " + part), std::string::npos) << out.str();
}

// A FIFO given for the listing and the costs is written where it is, for the reader at its other end, and
// stays a FIFO; a special file that cannot take a part is refused before the run.
TEST_F(Hostcam, AFifoTakesItsOutputInPlace) {
    const std::string step = std::string(FX_SOURCE_DIR) + "/data/examples/boss_part.step";
    const std::string costs = (dir / "costs.fifo").string(), nc = (dir / "nc.fifo").string();
    ASSERT_EQ(::mkfifo(costs.c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo(nc.c_str(), 0600), 0);
    std::string costsRead, ncRead;
    auto drain = [](const std::string& path, std::string& into) {
        return std::thread([&path, &into] {
            std::ifstream in(path, std::ios::binary);
            into.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        });
    };
    std::thread costsReader = drain(costs, costsRead), ncReader = drain(nc, ncRead);
    const int code = run({"--plugin", kModule, "--open", step, "--nc", nc, "--costs", costs});
    costsReader.join();
    ncReader.join();
    ASSERT_EQ(code, 0) << err.str();
    EXPECT_TRUE(fs::is_fifo(costs));
    EXPECT_TRUE(fs::is_fifo(nc));
    EXPECT_NE(costsRead.find(" open\n"), std::string::npos) << costsRead;
    EXPECT_NE(costsRead.find(" nc\n"), std::string::npos) << costsRead;
    const std::string plain = (dir / "plain.nc").string();
    ASSERT_EQ(run({"--plugin", kModule, "--open", step, "--nc", plain}), 0) << err.str();
    EXPECT_EQ(ncRead, plat::readFile(plain).value_or("-"));
    EXPECT_FALSE(ncRead.empty());

    err.str("");
    EXPECT_EQ(run({"--plugin", kModule, "--open", step, "--save", costs}), 2);
    EXPECT_NE(err.str().find(costs + ": --save cannot write into this special file"), std::string::npos) << err.str();
    EXPECT_TRUE(fs::is_fifo(costs));
}

// The shipped features manager session: from the main menu's button through the popup to the reaming
// features window, whose "Do it" marks every hole of the example plate; the marks' arcs are saved with it.
TEST_F(Hostcam, TheFeaturesManagerSessionMarksTheExamplePlatesHoles) {
    const std::string part = (dir / "plate.pfp").string();
    ASSERT_EQ(run({"--plugin", kModule, "--host-dir", (dir / "host").string(), "--open",
                   std::string(FX_SOURCE_DIR) + "/data/examples/holes_plate.step", "--session",
                   std::string(FX_SOURCE_DIR) + "/data/sessions/features_manager.session", "--save", part}),
              0)
        << err.str() << out.str();
    EXPECT_NE(out.str().find("dialog.show 18047 modeless caption=\"Reaming features\""), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("host.event mask=0x202 arg2=0x100 flag=1"), std::string::npos);
    EXPECT_NE(out.str().find("user click 18047 1"), std::string::npos);
    EXPECT_NE(out.str().find(part + ": points 0, lines 0, arcs 16,"), std::string::npos) << out.str();
}

// The form design dialog's picture as the user saw it: the row's form dimensioned on the yellow sketch, the
// dash-dot axis, a diameter dimension across the axis for each step (the counterbore wider than the hole),
// and each step's check box laid onto the sketch at its dimension's height, with the step's text left of it.
void expectTheCounterboresSketch(const std::string& png) {
    const std::optional<plat::PngImage> img = plat::readPng(png);
    ASSERT_TRUE(img) << png;
    const plat::DlgTemplate* tpl = plat::findDialogTemplate(18037);
    ASSERT_TRUE(tpl);
    EXPECT_EQ(img->width, plat::dluToPixelsX(tpl->cxDlu));
    EXPECT_EQ(img->height, plat::dluToPixelsY(tpl->cyDlu));
    const auto preview = std::find_if(tpl->controls.begin(), tpl->controls.end(),
                                      [](const plat::CtlTemplate& c) { return c.id == 4196; });
    ASSERT_NE(preview, tpl->controls.end());
    const plat::Rect frame = plat::dluToPixels(preview->dlu);
    const plat::Color red = plat::rgb(255, 0, 0), yellow = plat::rgb(255, 255, 204), white = plat::rgb(255, 255, 255);
    auto at = [&](int x, int y) { return img->pixel({x, y}); };

    int sketch = 0;
    for (int y = frame.top; y < frame.bottom; ++y)
        for (int x = frame.left; x < frame.right; ++x) sketch += at(x, y) == yellow;
    EXPECT_GT(sketch, frame.width() * frame.height() / 2);

    const int axis = frame.left + frame.width() * 60 / 100;
    int axisRed = 0, axisGaps = 0, first = -1, last = -1;
    for (int y = frame.top; y < frame.bottom; ++y)
        if (at(axis, y) == red) {
            ++axisRed;
            if (first < 0) first = y;
            last = y;
        }
    for (int y = first; y < last; ++y) axisGaps += at(axis, y) != red;
    EXPECT_GT(axisRed, 100);
    EXPECT_GT(axisGaps, 10) << "dash-dot, not solid";

    // Rows whose red line runs at least 20 pixels to each side of the axis (the angle's arc stays nearer).
    struct DIMENSION { int y, halfWidth; };
    std::vector<DIMENSION> dims;
    for (int y = frame.top; y < frame.bottom; ++y) {
        int left = 0, right = 0;
        while (at(axis - left - 1, y) == red) ++left;
        while (at(axis + right + 1, y) == red) ++right;
        if (left >= 20 && right >= 20) dims.push_back({y, std::min(left, right)});
    }
    ASSERT_EQ(dims.size(), 2u) << "D=11 and d=6.6";
    EXPECT_GT(dims[0].halfWidth, dims[1].halfWidth + 10);

    for (const DIMENSION& d : dims) {
        SCOPED_TRACE(d.y);
        // A white, unticked box of at least 9 x 9 pixels centred on the dimension, left of the form.
        int box = -1;
        for (int x = frame.left; x < axis - d.halfWidth && box < 0; ++x) {
            bool blank = true;
            for (int dy = -4; dy <= 4 && blank; ++dy)
                for (int dx = 0; dx < 9 && blank; ++dx) blank = at(x + dx, d.y + dy) == white;
            if (blank) box = x;
        }
        ASSERT_GE(box, 0) << "the step's check box";
        EXPECT_NE(at(box + 4, d.y - 6), white) << "the box's frame is no taller";
        int text = 0;   // smoothed red letters
        for (int y = d.y - 7; y <= d.y + 7; ++y)
            for (int x = frame.left; x < box; ++x) {
                const plat::Color c = at(x, y);
                text += (c & 0xFF) > 200 && ((c >> 8) & 0xFF) < 120 && ((c >> 16) & 0xFF) < 120;
            }
        EXPECT_GT(text, 20) << "the step's text";
    }
}

// "Create Forms - Solids" on the example plate: CB6.6 of "Counterbored" cut through the plate at two places
// picked before Enter; the saved part holds the plate with both forms taken out and their operations in its
// history. The form design dialog's picture shows the row's sketch.
TEST_F(Hostcam, TheFormsSessionCutsTwoCounterboresThroughTheExamplePlate) {
    const std::string part = (dir / "plate.pfp").string();
    const fs::path pics = dir / "pics";
    ASSERT_EQ(run({"--plugin", kModule, "--host-dir", (dir / "host").string(), "--open",
                   std::string(FX_SOURCE_DIR) + "/data/examples/holes_plate.step", "--session",
                   std::string(FX_SOURCE_DIR) + "/data/sessions/forms_solids.session", "--save", part,
                   "--pictures", pics.string()}),
              0)
        << err.str() << out.str();
    const std::string sketch = (pics / "Form_of_table_Counterbored__row_CB6.6-1.png").string();
    EXPECT_NE(out.str().find("dialog.picture 18037 \"" + sketch + "\"\nuser click 18037 1"), std::string::npos)
        << out.str();
    expectTheCounterboresSketch(sketch);
    EXPECT_NE(out.str().find("host.pick enter\nkey.synthetic ESCAPE down"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("\"Hole form 2. Cut by Forantix from Counterbored->CB6.6\""), std::string::npos);
    EXPECT_NE(out.str().find(part + ": points 0, lines 0, arcs 0, splines 0, notes 11, surfaces 0, solids 1,"),
              std::string::npos) << out.str();
    const double plate = host::builder::exampleParts()[0].builder.build().solid.volume();
    const double pi = 3.141592653589793;
    const double form = pi * (6.5 * 6.5 + 6.5 * 5.5 + 5.5 * 5.5) / 3 + pi * 5.5 * 5.5 * 5.4 + pi * 3.3 * 3.3 * 5.6;
    host::reset();
    ASSERT_TRUE(host::openPart(part).ok);
    for (const ent& e : host::allEntities()) {
        if (e.type != kEntSolid) continue;
        EXPECT_NEAR(e.solid.geom->volume(), plate - 2 * form, 1e-6 * form);
        EXPECT_NE(e.solid.history.find("Hole form 1. Cut by Forantix from Counterbored->CB6.6\nHole form 2."),
                  std::string::npos) << e.solid.history;
    }
}

// The main job plays on any part: holes only in the sides (no top direction to close) or no hole at all.
TEST_F(Hostcam, TheMainJobPlaysOnAnyPart) {
    namespace hb = host::builder;
    struct Case {
        const char* what;
        hb::PartBuilder part;
        std::vector<std::string> shown, passed;
    };
    const Case cases[] = {
        {"holes from the sides only",
         hb::PartBuilder::block({60, 40, 20})
             .hole(hb::throughHole("x", {60, 20, 10}, {-1, 0, 0}, 8))
             .hole(hb::blindFlat("y", {30, 0, 10}, {0, 1, 0}, 6, 12)),
         {"dialog.show 18021 modal", "user click 18021 4158"},
         {"script passes over line 19: ? tree-collapse 18021 4003 \"(Group 0)  TOP\""}},
        {"no hole", hb::PartBuilder::block({60, 40, 20}),
         {"No hole was found in the part.", "user click 18048 1"},
         {"script passes over line 17: ? click 18036 1", "script passes over line 20: ? click 18021 4158"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const hb::BuiltPart built = c.part.build();
        ASSERT_TRUE(built.ok()) << built.error;
        const std::string step = (dir / "part.step").string();
        ASSERT_EQ(host::exportStep({{built.solid, "part", host::kNoColour}}, step), "");
        out.str("");
        err.str("");
        const std::string part = (dir / "part.pfp").string();
        ASSERT_EQ(run({"--plugin", kModule, "--host-dir", (dir / "host").string(), "--open", step, "--session",
                       std::string(FX_SOURCE_DIR) + "/data/sessions/execute.session", "--save", part}),
                  0)
            << err.str() << out.str();
        for (const std::string& line : c.shown) EXPECT_NE(out.str().find(line), std::string::npos) << line << "\n" << out.str();
        for (const std::string& line : c.passed) EXPECT_NE(out.str().find(line), std::string::npos) << line << "\n" << out.str();
        EXPECT_TRUE(fs::exists(part));
        host::reset();
        plat::driver().reset();
    }
}

// A session that leaves the plug-in's work cycle paused (Execute, then a process-tree button that hands
// over to the host) gets no part without its records: the save is refused and says why. Ending the cycle
// in the session (the plug-in run again, its main menu closed) saves the part with the recognised tree.
TEST_F(Hostcam, APausedCycleIsNotSavedWithoutItsRecords) {
    const std::string step = std::string(FX_SOURCE_DIR) + "/data/examples/holes_plate.step";
    const std::string part = (dir / "plate.pfp").string();
    const std::string paused = write("paused.session", "invoke\nclick 18048 18007\nclick 18036 1\ntree-rclick 18021 4003 \"(Group 0)  TOP\"\nmenu 11\n");
    const std::string hostDir = (dir / "host").string();
    EXPECT_EQ(run({"--plugin", kModule, "--host-dir", hostDir, "--open", step, "--session", paused, "--save", part}),
              2);
    EXPECT_NE(err.str().find("hostcam: the part was not saved as " + part +
                             ": the session left the plug-in's work cycle paused"),
              std::string::npos)
        << err.str();
    EXPECT_NE(out.str().find("host.plugin cycle paused"), std::string::npos);
    EXPECT_FALSE(fs::exists(part));

    err.str("");
    out.str("");
    const std::string ended = write("ended.session",
                                    "invoke\nclick 18048 18007\nclick 18036 1\ntree-rclick 18021 4003 \"(Group 0)  TOP\"\nmenu 11\ninvoke\n"
                                    "click 18021 1\nclick 18048 1\n");
    ASSERT_EQ(run({"--plugin", kModule, "--host-dir", hostDir, "--open", step, "--session", ended, "--save", part}), 0)
        << err.str();
    EXPECT_NE(out.str().find("host.plugin cycle ended"), std::string::npos);
    host::reset();
    ASSERT_TRUE(host::openPart(part).ok);
    int trees = 0;
    for (const ent& e : host::allEntities())
        if (e.type == kEntNote && std::string(host::noteText(e.note.text)).rfind("DRLUd66", 0) == 0) ++trees;
    EXPECT_EQ(trees, 1);
}

TEST_F(Hostcam, AFileThatIsNoPartIsRefused) {
    const std::string bogus = write("bogus.pfp", "not a part");
    EXPECT_EQ(run({"--plugin", kModule, "--open", bogus}), 2);
    EXPECT_NE(err.str().find("bogus.pfp"), std::string::npos) << err.str();
}

// A folder named like a STEP file, a STEP file nested past what the kernel's reader survives and one with
// an entity of the wrong kind: each is refused with what it is, before the plug-in runs.
TEST_F(Hostcam, AFolderOrAHostileStepFileIsRefusedWithWhatItIs) {
    const std::string folder = (dir / "folder.step").string();
    fs::create_directories(folder);
    EXPECT_EQ(run({"--plugin", kModule, "--open", folder}), 2);
    EXPECT_EQ(err.str(), "hostcam: " + folder + ": is a folder, not a STEP file\n");

    err.str("");
    const std::string nested = write("nested.step", "ISO-10303-21;\nDATA;\n#1=A(" + std::string(100000, '(') + ");\n");
    EXPECT_EQ(run({"--plugin", kModule, "--open", nested}), 2);
    EXPECT_EQ(err.str(), "hostcam: " + nested + ": not read, it holds line 3: lists nested deeper than 64 levels\n");

    // The boss example with a pcurve's representation holding itself where its line was (the kernel's curve
    // translator crashed on it): refused by the reader, naming the entity.
    err.str("");
    std::string boss = plat::readFile(std::string(FX_SOURCE_DIR) + "/data/examples/boss_part.step").value_or("");
    const std::string item = "#48 = DEFINITIONAL_REPRESENTATION('',(#49)";
    ASSERT_NE(boss.find(item), std::string::npos);
    const std::string malformed =
        write("malformed.step", boss.replace(boss.find(item), item.size(), "#48 = DEFINITIONAL_REPRESENTATION('',(#48)"));
    EXPECT_EQ(run({"--plugin", kModule, "--open", malformed}), 2);
    EXPECT_EQ(err.str(), "hostcam: " + malformed + ": not read, entity #42 is malformed (a pcurve without its curve)\n");
    EXPECT_EQ(out.str().find("hostcam.return"), std::string::npos);
}

// The example plate with `block` before the end of its DATA section; "{ctx}" and "{brep}" in the block stand
// for the plate's representation context and its solid.
std::string plateWith(std::string block) {
    std::string plate = plat::readFile(std::string(FX_SOURCE_DIR) + "/data/examples/holes_plate.step").value_or("");
    std::smatch ctx, brep;
    std::regex_search(plate, ctx, std::regex(R"(#(\d+) = \( GEOMETRIC_REPRESENTATION_CONTEXT\(3\))"));
    std::regex_search(plate, brep, std::regex(R"(#(\d+) = MANIFOLD_SOLID_BREP\()"));
    block = std::regex_replace(block, std::regex(R"(\{ctx\})"), "#" + ctx[1].str());
    block = std::regex_replace(block, std::regex(R"(\{brep\})"), "#" + brep[1].str());
    return plate.insert(plate.find("ENDSEC;", plate.find("DATA;")), block);
}

// A component of the part whose shape lies in another file, named as CAD systems name it in a multi-file
// assembly (a document file and its external identification); its entities numbered from `from`.
std::string componentInFile(int from, const std::string& file) {
    std::string block = R"(#0=APPLICATION_CONTEXT('core data for automotive mechanical design processes');
#1=PRODUCT_CONTEXT('',#0,'mechanical');
#2=PRODUCT_DEFINITION_CONTEXT('part definition',#0,'design');
#3=CARTESIAN_POINT('',(0.,0.,0.));
#4=DIRECTION('',(0.,0.,1.));
#5=DIRECTION('',(1.,0.,0.));
#6=AXIS2_PLACEMENT_3D('',#3,#4,#5);
#7=PRODUCT('boss','boss','',(#1));
#8=PRODUCT_DEFINITION_FORMATION('','',#7);
#9=PRODUCT_DEFINITION('design','',#8,#2);
#10=PRODUCT_DEFINITION_SHAPE('','',#9);
#11=SHAPE_REPRESENTATION('',(#6),{ctx});
#12=SHAPE_DEFINITION_REPRESENTATION(#10,#11);
#13=DOCUMENT_TYPE('configuration controlled document version');
#14=DOCUMENT('','',$,#13);
#15=APPLICATION_CONTEXT('');
#16=PRODUCT_CONTEXT('',#15,'');
#17=PRODUCT('20001','boss-Doc','',(#16));
#18=PRODUCT_DEFINITION_FORMATION('1','',#17);
#19=DOCUMENT_PRODUCT_EQUIVALENCE('equivalence',$,#14,#18);
#20=PRODUCT_DEFINITION_CONTEXT('digital document definition',#15,'');
#21=DOCUMENT_TYPE('');
#22=DOCUMENT_FILE('@file','',$,#21,'',$);
#23=PRODUCT_DEFINITION_WITH_ASSOCIATED_DOCUMENTS('1','',#18,#20,(#22));
#24=IDENTIFICATION_ROLE('external document id and location',$);
#25=APPLIED_EXTERNAL_IDENTIFICATION_ASSIGNMENT('@file',#24,#26,(#22));
#26=EXTERNAL_SOURCE(IDENTIFIER('@file'));
#27=OBJECT_ROLE('mandatory',$);
#28=APPLIED_DOCUMENT_REFERENCE(#14,'',(#9));
#29=ROLE_ASSOCIATION(#27,#28);
)";
    block = std::regex_replace(block, std::regex("@file"), file);
    std::string out;
    static const std::regex number(R"(#(\d+))");
    std::sregex_iterator it(block.begin(), block.end(), number), end;
    std::size_t at = 0;
    for (; it != end; ++it) {
        out += block.substr(at, static_cast<std::size_t>(it->position()) - at) + "#" + std::to_string(from + std::stoi((*it)[1]));
        at = static_cast<std::size_t>(it->position() + it->length());
    }
    return out + block.substr(at);
}

std::size_t lineOf(const std::string& text, const std::string& what) {
    return 1 + static_cast<std::size_t>(std::count(text.begin(), text.begin() + static_cast<long>(text.find(what)), '\n'));
}

// A part whose components lie in other files, one named by its absolute path and one by a path relative to
// where hostcam runs: neither file is read (each holds the boss, which would be a second and third solid),
// the plate opens alone, and the message line names the lines that name the files.
TEST_F(Hostcam, AStepFileOpensNoOtherFileItNames) {
    const std::string boss = plat::readFile(std::string(FX_SOURCE_DIR) + "/data/examples/boss_part.step").value_or("");
    const std::string absolute = write("boss.step", boss);
    write("near.step", boss);
    const std::string text = plateWith(componentInFile(900000, absolute) + componentInFile(901000, "near.step"));
    const std::string step = write("assembly.step", text);
    const std::string cwd = fs::current_path().string();
    fs::current_path(dir);
    const int code = run({"--plugin", kModule, "--open", step});
    fs::current_path(cwd);
    ASSERT_EQ(code, 0) << err.str();
    EXPECT_NE(out.str().find(step + ": points 0, lines 0, arcs 0, splines 0, notes 0, surfaces 0, solids 1,"),
              std::string::npos) << out.str();
    EXPECT_NE(out.str().find(step + ": 2 other files it names were left aside unread, as only the file opened is read: "
                                    "line " + std::to_string(lineOf(text, "#900022=")) + " #900022 \"" + absolute +
                             "\", line " + std::to_string(lineOf(text, "#901022=")) + " #901022 \"near.step\"\n"),
              std::string::npos) << out.str();
}

// A megabyte of products named by 1,022 characters: the reader reads the names cut, and the part opens under
// the wait dialog with the cut said on the message line; Cancel on that dialog opens nothing.
TEST_F(Hostcam, ALargeStepFileOfLongNamesOpensUnderAWaitDialogThatCancels) {
    std::string products;
    for (int i = 0; i < 1100; ++i)
        products += "#" + std::to_string(900000 + i) + "=PRODUCT('" + std::string(1022, 'n') + "','','',(#8));\n";
    const std::string step = write("names.step", plateWith(products));
    ASSERT_EQ(run({"--plugin", kModule, "--open", step}), 0) << err.str();
    EXPECT_NE(out.str().find(step + ": points 0, lines 0, arcs 0, splines 0, notes 0, surfaces 0, solids 1,"),
              std::string::npos) << out.str();
    EXPECT_NE(out.str().find(step + ": 1100 strings (names, descriptions) longer than 126 characters were read cut "
                                    "to that length\n"),
              std::string::npos) << out.str();
    const std::vector<std::string>& shown = plat::driver().transcript().lines();
    EXPECT_NE(std::find(shown.begin(), shown.end(),
                        "host.wait.show title=\"Opening a STEP file\" status=\"" + step + "\" cancel"),
              shown.end());
    out.str("");
    err.str("");
    EXPECT_EQ(run({"--plugin", kModule, "--session", write("cancel.session", "cancel-wait\n"), "--open", step}), 2);
    EXPECT_EQ(err.str(), "hostcam: " + step + ": the open was cancelled\n");
}

// A styled item whose surface style usage names no side style (the wrong kind of entity, or none), or whose
// fill area style names no colour: the kernel's colour reading took them unchecked and crashed. The style
// is left aside, the solid opens in the colours the file gives it otherwise, and the message line says so.
TEST_F(Hostcam, AMalformedColourIsLeftAsideAndTheSolidsOpen) {
    const std::string styles = R"(#900101=COLOUR_RGB('',0.2,0.4,0.8);
#900102=FILL_AREA_STYLE_COLOUR('',#900101);
#900103=FILL_AREA_STYLE('',(@fill));
#900104=SURFACE_STYLE_FILL_AREA(#900103);
#900105=SURFACE_SIDE_STYLE('',(#900104));
#900106=SURFACE_STYLE_USAGE(.BOTH.,@side);
#900107=PRESENTATION_STYLE_ASSIGNMENT((#900106));
#900108=STYLED_ITEM('color',(#900107),{brep});
#900109=MECHANICAL_DESIGN_GEOMETRIC_PRESENTATION_REPRESENTATION('',(#900108),{ctx});
)";
    const struct {
        const char* side;
        const char* fill;
        const char* left;
    } cases[] = {
        {"#900101", "#900102", "#900106, a surface style usage without its side style"},
        {"$", "#900102", "#900106, a surface style usage without its side style"},
        {"#900105", "#900101", "#900103, a fill area style without its colour"},
        {"#900105", "$", "#900103, a fill area style without its colour"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.side) + " " + c.fill);
        const std::string block =
            std::regex_replace(std::regex_replace(styles, std::regex("@side"), c.side), std::regex("@fill"), c.fill);
        const std::string step = write("styled.step", plateWith(block));
        out.str("");
        err.str("");
        ASSERT_EQ(run({"--plugin", kModule, "--open", step}), 0) << err.str();
        EXPECT_NE(out.str().find(step + ": points 0, lines 0, arcs 0, splines 0, notes 0, surfaces 0, solids 1,"),
                  std::string::npos) << out.str();
        EXPECT_NE(out.str().find(step + ": colours the reader cannot read were left aside (" + c.left + ")\n"),
                  std::string::npos) << out.str();
    }
}

// The solid's geometry text of a part file as `change` leaves it, sealed and packed again as the host would
// have written it; false when the file has no solid or the change finds nothing to change. A solid the file
// keeps in the kernel's binary form is changed as the text of an older file.
bool craftSolidGeometry(const std::string& part, const std::function<bool(std::string&)>& change) {
    sqlite3* db = nullptr;
    bool ok = sqlite3_open(part.c_str(), &db) == SQLITE_OK;
    sqlite3_stmt* read = nullptr;
    ok = ok && sqlite3_prepare_v2(db, "SELECT handle, geom FROM entities WHERE type = ?1 AND geom IS NOT NULL", -1,
                                  &read, nullptr) == SQLITE_OK;
    ok = ok && sqlite3_bind_int(read, 1, static_cast<int>(kEntSolid)) == SQLITE_OK && sqlite3_step(read) == SQLITE_ROW;
    std::string crafted;
    sqlite3_int64 handle = 0;
    if (ok) {
        handle = sqlite3_column_int64(read, 0);
        const std::string blob(static_cast<const char*>(sqlite3_column_blob(read, 1)),
                               static_cast<std::size_t>(sqlite3_column_bytes(read, 1)));
        const std::optional<std::string> unpacked = host::db::unpackBlob(blob);
        const std::optional<std::string_view> text = unpacked ? host::db::unsealGeometryText(*unpacked) : std::nullopt;
        std::string changed = text ? std::string(*text) : std::string();
        if (text && host::isBinaryBrep(*text)) {
            const std::optional<host::ReadBrep> read = host::readMadeBrep(*text);
            const std::optional<host::SolidGeom> solid = read ? host::solidFromBrep(*read) : std::nullopt;
            changed = solid ? host::solidToBrepText(*solid) : std::string();
        }
        ok = text && !changed.empty() && change(changed);
        crafted = host::db::packBlob(host::db::sealGeometryText(changed));
    }
    sqlite3_finalize(read);
    sqlite3_stmt* write = nullptr;
    ok = ok && sqlite3_prepare_v2(db, "UPDATE entities SET geom = ?1 WHERE handle = ?2", -1, &write, nullptr) ==
                   SQLITE_OK;
    ok = ok && sqlite3_bind_blob(write, 1, crafted.data(), static_cast<int>(crafted.size()), SQLITE_TRANSIENT) ==
                   SQLITE_OK;
    ok = ok && sqlite3_bind_int64(write, 2, handle) == SQLITE_OK && sqlite3_step(write) == SQLITE_DONE;
    sqlite3_finalize(write);
    sqlite3_close(db);
    return ok;
}

class CraftedPart : public Hostcam {
protected:
    // The boss example opened and saved by hostcam, and a copy whose solid's geometry `change` made.
    void save(const std::function<bool(std::string&)>& change) {
        sound = (dir / "boss.pfp").string();
        crafted = (dir / "crafted.pfp").string();
        const std::string step = std::string(FX_SOURCE_DIR) + "/data/examples/boss_part.step";
        ASSERT_EQ(run({"--plugin", kModule, "--open", step, "--save", sound}), 0) << err.str();
        fs::copy_file(sound, crafted);
        ASSERT_TRUE(craftSolidGeometry(crafted, change));
        bytes = plat::readFile(crafted).value_or("");
        ASSERT_FALSE(bytes.empty());
        out.str("");
        err.str("");
    }
    // hostcam refuses the crafted part with `message`, runs nothing, saves nothing and leaves the file as it
    // was; the example part itself opens afterwards, under the default limits.
    void expectRefused(const std::string& message, const std::function<void()>& whileOpening = {}) {
        std::atomic<bool> opening = true;
        std::thread beside([&] {
            while (whileOpening && opening) whileOpening();
        });
        EXPECT_EQ(run({"--plugin", kModule, "--open", crafted, "--save", crafted}), 2);
        opening = false;
        beside.join();
        host::setPartGeometryLimits({});
        EXPECT_EQ(err.str(), "hostcam: " + message + "\n");
        EXPECT_EQ(out.str().find("hostcam.return"), std::string::npos) << out.str();
        EXPECT_EQ(plat::readFile(crafted).value_or(""), bytes);
        EXPECT_FALSE(fs::exists(crafted + ".saving"));

        err.str("");
        EXPECT_EQ(run({"--plugin", kModule, "--open", sound}), 0) << err.str();
        const std::size_t counts = out.str().find(sound + ": ");
        ASSERT_NE(counts, std::string::npos) << out.str();
        EXPECT_NE(out.str().substr(counts, out.str().find('\n', counts) - counts).find(", solids 1,"),
                  std::string::npos)
            << out.str();
    }
    void TearDown() override {
        host::setPartGeometryLimits({});
        Hostcam::TearDown();
    }

    std::string sound, crafted, bytes;
};

// The geometry text changed by a few bytes and sealed again, so that its checksum holds: the line of the
// fillet's parameter plane where the fillet ends (v = pi) moved to v = -9e6; the range of an edge on the
// fillet's B-spline curve in the parameter plane run on to 4e12, far past the curve's end. Boxing that face
// ran the kernel's face classifier for minutes: it is refused as unreadable at once, whatever the limit.
TEST_F(CraftedPart, AnEdgeCurveMovedFarOutInTheParameterPlaneIsRefusedAsUnreadable) {
    const struct {
        const char* what;
        std::regex line;
        std::string replacement;
    } crafts[] = {
        {"a line moved out", std::regex(R"(\n1 (\S+) 3\.14159265358979\d* -1 0 \n)"), "\n1 $1 -9000000 -1 0 \n"},
        {"an edge's range past its curve", std::regex(R"(\n3  (\d+ \d+CN \d+ \d+ 1\.570796326794\d*) 3\.14159265358979\d*\n)"),
         "\n3  $1 4159265358979\n"},
    };
    for (const auto& craft : crafts) {
        SCOPED_TRACE(craft.what);
        if (fs::exists(dir / "crafted.pfp")) fs::remove(dir / "crafted.pfp");
        save([&](std::string& text) {
            const std::string changed = std::regex_replace(text, craft.line, craft.replacement,
                                                           std::regex_constants::format_first_only);
            if (changed == text) return false;
            text = changed;
            return true;
        });
        expectRefused("The part file " + crafted + " is damaged: the geometry of entity 1 is unreadable.");
        out.str("");
        err.str("");
    }
}

// Geometry whose making does not end within the limit (the reader process told to make nothing and wait,
// as it would on a face the kernel classifies without end): the part is refused when the limit is past.
TEST_F(CraftedPart, GeometryWhoseMakingOverrunsTheLimitIsRefusedWhenItIsPast) {
    save([](std::string&) { return true; });
    host::setPartGeometryLimits({.seconds = 0.2, .stall = true});
    expectRefused("The part file " + crafted +
                  " is refused: reading its geometry took longer than 0.2 s and was stopped.");
}

// The reader process crashing while it makes a saved part's geometry (here: made to wait, and aborted
// from beside each time it is started; the sanitizers would turn a segmentation fault into an exit code):
// the message names the part file, not a STEP file the user never opened.
TEST_F(CraftedPart, AReaderThatCrashesOnTheGeometryIsNamedForThePartFile) {
    save([](std::string&) { return true; });
    const rlimit noCore{0, 0};
    ASSERT_EQ(setrlimit(RLIMIT_CORE, &noCore), 0);
    host::setPartGeometryLimits({.seconds = 30, .stall = true});
    expectRefused("The part file " + crafted + " is refused: the geometry reader crashed on the part file (Aborted).",
                  [] {
                      for (const fs::directory_entry& process : fs::directory_iterator("/proc")) {
                          std::ifstream stat(process.path() / "stat");
                          std::string pid, name, state;
                          long parent = 0;
                          if (stat >> pid >> name >> state >> parent && name == "(fxstepread)" &&
                              parent == ::getpid())
                              ::kill(std::stoi(pid), SIGABRT);
                      }
                      std::this_thread::yield();
                  });
}

}  // namespace
