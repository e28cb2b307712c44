// The version check of a tool's profile file, as the process engine meets it: profile part files saved by
// the host, read back for the length of the profile line that ends on the tool axis; old hosts, old files
// and missing files refused.
#include <gtest/gtest.h>

#include <cstdio>

#include "host/api.h"
#include "host/state.h"
#include "plugin/tooling/tool_library.h"
#include "support/tool_library_fixture.h"

namespace {

struct LINE {
    double y1, y2;
    std::uint16_t sel = 1;
    std::uint8_t subKind = 1;
};

class ToolFileVersion : public ToolLibraryFixture {
protected:
    // A profile part of the lines given, saved as a host of `release` would, and the open part new again.
    tp_tool profile(const std::vector<LINE>& lines, int release = host::kHostRelease) {
        host::newPart();
        for (const LINE& l : lines) {
            ent e{};
            e.type = kEntDrafting;
            e.sel = l.sel;
            e.draft.subKind = l.subKind;
            e.draft.line = {{4, l.y1, 0}, {4, l.y2, 0}};
            db_ptr entry = 0;
            char ok = 0;
            store_ent(&e, &entry, 0, 1, 1, attr_block{}, &ok);
            EXPECT_EQ(ok, 1);
        }
        const std::string path = dir.path() + "/profile" + std::to_string(++files) + ".pfp";
        host::PartSaveOptions options;
        options.release = release;
        EXPECT_TRUE(host::savePart(path, options).ok);
        host::newPart();
        tp_tool t = tool(3, 8, "DRILL 8");
        std::snprintf(t.profilePath, sizeof t.profilePath, "%s", path.c_str());
        return t;
    }
    int files = 0;
};

TEST_F(ToolFileVersion, LengthOfTheProfileLineEndingOnTheAxis) {
    struct CASE {
        const char* what;
        std::vector<LINE> lines;
        double length;
    };
    const CASE cases[] = {
        {"first point on the axis", {{0, 42}}, 42},
        {"second point on the axis, within 0.004 T", {{55, 0.00003}}, 55},
        {"lines off the axis give nothing", {{3, 42}}, 0},
        {"the last line on the axis wins", {{0, 42}, {20, 30}, {61, 0}}, 61},
        {"unselected lines and labels are not the profile",
         {{0, 42}, {0, 99, 0}, {0, 77, 1, 2}}, 42},
    };
    for (const CASE& c : cases) {
        const tp_tool t = profile(c.lines);
        double length = -1;
        EXPECT_EQ(checkToolFileVersion(&t, &length), 0) << c.what;
        EXPECT_DOUBLE_EQ(length, c.length) << c.what;
    }
}

TEST_F(ToolFileVersion, OldHostsOldFilesAndMissingFilesAreRefused) {
    const tp_tool current = profile({{0, 42}}, 12);
    double length = -1;
    g_globals->hostVersion[0] = 12;   // an older host
    EXPECT_EQ(checkToolFileVersion(&current, &length), -1);
    g_globals->hostVersion[0] = host::kHostRelease;
    EXPECT_EQ(checkToolFileVersion(&current, &length), 0);

    tp_tool missing = current;
    std::snprintf(missing.profilePath, sizeof missing.profilePath, "%s", (dir.path() + "/missing.pfp").c_str());
    length = -1;
    EXPECT_EQ(checkToolFileVersion(&missing, &length), -1);
    const tp_tool old = profile({{0, 42}}, 11);
    script().answer(plat::IDOK);
    EXPECT_EQ(checkToolFileVersion(&old, &length), -1);
    EXPECT_EQ(length, -1);
    EXPECT_TRUE(transcript().contains("The PFX file: \\n " + std::string(old.profilePath) +
                                      " \\n of the tool: \\n DRILL 8 \\n is from a prior version of PforgeX3"));
    expectScriptPlayed();
}

}  // namespace
