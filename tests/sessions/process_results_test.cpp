// The rarer results of the process tree, as a user meets them on the example plate through hostcam: which
// end the work cycle (its records go into the part) and which leave it paused for the host.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "host/api.h"
#include "host/state.h"
#include "hostapp/hostcam.h"
#include "platform/ui/driver.h"
#include "support/private_module.h"
#include "support/temp_dir.h"

namespace {

const std::string kModule = privateModule();
constexpr int kExecute = 18007, kViewProcess = 18008;

TEST(ProcessResults, EachResultEndsTheCycleWithItsRecordsOrPausesItForTheHost) {
    struct Case {
        int button;
        const char* steps;   // what the user does in the process tree
        int result;
        bool paused;
    };
    const char* const createAll = "click 18021 4158\n";                  // Create operations
    const char* const viewOn = "tree-rclick 18021 4003 \"(Group 0)  TOP\"\nmenu 11\n";   // the view's group
    const Case cases[] = {
        {kExecute, createAll, 1012, false},     // the operations of the whole tree end the cycle...
        {kViewProcess, createAll, 1012, false},
        {kExecute, viewOn, 108, true},    // ...a group of one view waits for the host
    };
    TempDir dir;
    // The unnamed part lies in the host folder, and the reports of a creation beside it.
    std::filesystem::create_directories(dir.path() + "/host");
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.button) + " then " + std::to_string(c.result));
        const std::string session = dir.path() + "/s.session";
        // After Execute the run's summary (the test host has no tools) comes before the tree.
        std::ofstream(session) << "invoke\nclick 18048 " << c.button << "\n"
                               << (c.button == kExecute ? "click 18036 1\n" : "") << c.steps;
        std::ostringstream out, err;
        const int code = host::hostcamMain({"--plugin", kModule, "--host-dir", dir.path() + "/host", "--open",
                                            std::string(FX_SOURCE_DIR) + "/data/examples/holes_plate.step",
                                            "--session", session},
                                           out, err);
        EXPECT_EQ(code, 0) << err.str();
        EXPECT_EQ(host::pluginCyclePaused(), c.paused);
        EXPECT_EQ(out.str().find("host.plugin cycle paused") != std::string::npos, c.paused);
        // An ended cycle left its records; a paused one has not written them yet.
        int trees = 0;
        for (const ent& e : host::allEntities())
            if (e.type == kEntNote && std::string(host::noteText(e.note.text)).rfind("DRLT", 0) == 0) ++trees;
        EXPECT_EQ(trees, c.paused ? 0 : 1);
        host::reset();
        plat::driver().reset();
    }
}

}  // namespace
