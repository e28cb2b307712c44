// What Execute's summary and its log say of the walls the recognition's rules leave out, as a user meets it
// through hostcam on the repro parts and the example plate: the count per rule in the summary, and each wall with its position,
// diameter and reason in the log the summary names.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "host/state.h"
#include "hostapp/hostcam.h"
#include "platform/sys/files.h"
#include "platform/ui/driver.h"
#include "support/host_folder.h"
#include "support/private_module.h"
#include "support/temp_dir.h"

namespace {

const std::string kModule = privateModule();
const std::string kListed = "Each is listed with its position, diameter and reason in ";

struct SUMMARY {
    std::string shown;   // the summary box's text
    std::string log;     // the log it names, "" when it names none
};

// What hostcam showed of Execute on the part (the summary, shown when there is something to tell), with the
// user's answers to the messages the run shows before it.
std::string executeOn(const std::string& part, const std::string& answers = "") {
    TempDir dir;
    const std::string hostDir = copyShippedHostFolder(dir.path());
    const std::string session = dir.path() + "/s.session";
    std::ofstream(session) << "invoke\nclick 18048 18007\n" << answers << "? click 18036 1\nclick 18021 1\nclick 18048 1\n";
    std::ostringstream out, err;
    const int code = host::hostcamMain({"--plugin", kModule, "--host-dir", hostDir, "--open", part, "--session", session},
                                       out, err);
    EXPECT_EQ(code, 0) << err.str() << out.str();
    host::reset();
    plat::driver().reset();
    return out.str();
}

// The summary box's text and the log it names.
SUMMARY summaryOf(const std::string& text) {
    SUMMARY s;
    const std::size_t box = text.find("dialog.show 18036");
    if (box == std::string::npos) return s;
    const std::size_t start = text.find("4177 Static \"", box);
    const std::size_t end = text.find("\"\n", start);
    s.shown = text.substr(start, end - start);
    if (const std::size_t at = s.shown.find(kListed); at != std::string::npos) {
        const std::size_t from = at + kListed.size();
        std::ifstream in(s.shown.substr(from, s.shown.find("\\n", from) - from));
        std::ostringstream read;
        read << in.rdbuf();
        s.log = read.str();
    }
    return s;
}

TEST(RecognitionSummary, WhatARuleLeftOutIsCountedAndListedWithItsPlaceDiameterAndReason) {
    struct CASE {
        const char* part;
        const char* counted;                 // the summary's line
        std::vector<std::string> listed;     // the log's lines after its title
    } cases[] = {
        // A 30 hole whose notch leaves its wall 337.6 degrees (the limit is 340), and the notch's own wall.
        {"notched_hole.stp",
         "2 walls that keep less than 340 degrees of their circle (open arcs) were left out.",
         {"X40 Y30 Z4 D30 keeps 337.598 degrees of its circle, less than 340",
          "X26 Y30 Z4 D6 keeps 152.452 degrees of its circle, less than 340"}},
        // A 60 back spotface at the bottom of a 22 through hole, wider than the maximum diameter 40.
        {"back_spotface.stp", "1 walls wider than the maximum diameter 40 were left out.",
         {"X50 Y40 Z-41 D60 wider than the maximum diameter 40"}},
        // Two centre marks, cones without a bore, at their mouths: under a boss and on the end of a pin; and
        // the hole the pin is pressed into, whose spot drill would meet the pin 2 over its mouth.
        {"centre_marks.stp", "2 holes without a bore, whose walls only narrow to a point (centre marks), were left out.",
         {"X115 Y60 Z12 D3 no bore: its walls only narrow to a point (a centre mark)",
          "X145 Y38 Z30 D0.515 no bore: its walls only narrow to a point (a centre mark)",
          "X145 Y40 Z30 D1.55 its D10 tool would run into solid 2 at depth -2 below its mouth"}},
    };
    // The example plate's necked hole: its 14 groove below the 10 bore's mouth cannot be drilled from there.
    const SUMMARY plate = summaryOf(executeOn(std::string(FX_SOURCE_DIR) + "/data/examples/holes_plate.step"));
    EXPECT_NE(plate.shown.find("\\n1 walls wider than the bore above them (undercuts) were left out.\\n"), std::string::npos)
        << plate.shown;
    EXPECT_EQ(plate.log, "Left out by the recognition:\nX95 Y45 Z8 D14 wider than the bore above it (an undercut)\n");
    for (const CASE& c : cases) {
        SCOPED_TRACE(c.part);
        const SUMMARY s = summaryOf(executeOn(std::string(FX_SOURCE_DIR) + "/tests/data/repros/" + c.part));
        EXPECT_NE(s.shown.find(std::string("\\n") + c.counted + "\\n"), std::string::npos) << s.shown;
        std::istringstream lines(s.log);
        std::vector<std::string> listed;
        std::string line;
        ASSERT_TRUE(std::getline(lines, line)) << s.shown;
        EXPECT_EQ(line, "Left out by the recognition:");
        while (std::getline(lines, line)) listed.push_back(line);
        EXPECT_EQ(listed, c.listed);
    }
}

// The plate's drilled holes in a library that lacks their table and lies on a share mounted read-only: no
// new table can be made for them, so each leaves the run told with its place, not silently.
TEST(RecognitionSummary, AHoleNoTableDescribesIsToldWhenNoNewTableCanBeMadeForIt) {
    const std::filesystem::path tables = std::filesystem::path(kModule).parent_path() / "Forantix/FORMS_MM/Standard";
    ASSERT_TRUE(std::filesystem::remove(tables / "Drilled.tab"));
    plat::refuseChangesUnder(tables.string());
    std::string answers;   // each new table's write is told as it fails
    for (int i = 0; i < 5; ++i) answers += "answer IDOK\n";
    const SUMMARY s = summaryOf(executeOn(std::string(FX_SOURCE_DIR) + "/data/examples/holes_plate.step", answers));
    plat::refuseChangesUnder("");
    EXPECT_NE(s.shown.find("\\n5 holes that no table describes were left out: no new table could be made for them "
                           "in the tables folder.\\n"),
              std::string::npos)
        << s.shown;
    const std::string why = " no table describes it, and no new table could be made for it in the tables folder\n";
    EXPECT_EQ(s.log, "Left out by the recognition:\nX95 Y45 Z8 D14 wider than the bore above it (an undercut)\n"
                     "X15 Y15 Z12 D8" + why + "X65 Y15 Z12 D8.5" + why + "X95 Y45 Z12 D10" + why + "X40 Y68 Z12 D7" + why +
                     "X15 Y68 Z12 D12" + why);
}

// Three blind holes from three sides lose nothing: the summary says nothing of walls left out and names no
// log.
TEST(RecognitionSummary, APartThatLosesNothingIsToldNothingOfIt) {
    const std::string shown = executeOn(std::string(FX_SOURCE_DIR) + "/tests/data/repros/three_sides.stp");
    EXPECT_NE(shown.find("click 18021 1"), std::string::npos) << shown;   // the run went through
    EXPECT_EQ(shown.find("were left out"), std::string::npos);
    EXPECT_EQ(shown.find(kListed), std::string::npos);
}

}  // namespace
