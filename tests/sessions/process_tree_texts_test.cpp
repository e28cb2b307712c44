// The process tree as a user reads it in hostcam after Execute on the example plate: every hole listed by
// the table and row it got and what the run made of it, and the points list of a hole headed by that text.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "host/state.h"
#include "hostapp/hostcam.h"
#include "platform/ui/driver.h"
#include "support/private_module.h"
#include "support/temp_dir.h"

namespace {

TEST(ProcessTreeTexts, EveryHoleOfThePlateIsListedByItsTableRowAndProcess) {
    TempDir dir;
    const std::string session = dir.path() + "/s.session";
    std::ofstream(session) << "invoke\n"
                              "click 18048 18007\n"   // Execute
                              "click 18036 1\n"       // past the run's summary
                              "tree-rclick 18021 4003 \"(Group 0)  TOP/Stepped S12-8-5 - 1\"\n"
                              "menu 4\n"              // the hole's points list
                              "click 18009 1\n"
                              "click 18021 1\n"
                              "click 18048 1\n";
    std::ostringstream out, err;
    const int code = host::hostcamMain({"--plugin", privateModule(), "--host-dir", dir.path() + "/host", "--open",
                                        std::string(FX_SOURCE_DIR) + "/data/examples/holes_plate.step", "--session",
                                        session},
                                       out, err);
    host::reset();
    plat::driver().reset();
    ASSERT_EQ(code, 0) << err.str() << out.str();
    const std::string transcript = out.str();
    const std::size_t from = transcript.find("4003 TreeView [");
    ASSERT_NE(from, std::string::npos) << transcript;
    const std::string tree = transcript.substr(from, transcript.find('\n', from) - from);
    // In the order of the tree, each followed by its operations.
    const char* const holes[] = {
        "Drilled D8 - 1",        "Blind flat F10 - 1",    "Drilled D8.5 - 1",      "Counterbored CB6.6 - 1",
        "Drilled D10 - 1",       "Stepped S12-8-5 - 1",   "Blind flat F6 - 1",     "Drilled D5 - 1",
        "Counterbored SF9 - 1",  "Countersunk CS12.6 - 1", "Drilled D12 - 1",
    };
    std::size_t at = 0;
    for (const char* hole : holes) {
        const std::size_t found = tree.find("\"" + std::string(hole) + "\"", at);
        EXPECT_NE(found, std::string::npos) << hole << " not listed after place " << at << " in\n" << tree;
        if (found != std::string::npos) at = found;
    }
    EXPECT_EQ(tree.find("\"\""), std::string::npos) << "a blank item in\n" << tree;
    EXPECT_NE(transcript.find("4102 Static \"Stepped S12-8-5 - 1\""), std::string::npos) << transcript;
}

}  // namespace
