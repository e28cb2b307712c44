// The spot-drill selection library as the settings dialog uses it: the plug-in writes a template of either
// host version, the host reads it as spot drills, adds the library's qualifying tools to it and lets the
// user pick one.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/api.h"
#include "host/state.h"
#include "plugin/base/utilities.h"
#include "platform/sys/files.h"
#include "platform/ui/driver.h"
#include "plugin/services/tables.h"
#include "support/temp_dir.h"

namespace {

TEST(SpotDrillLibrary, BothTemplatesReadAsSpotDrillsAndTakeTheLibrarysTools) {
    plat::driver().reset();
    host::reset();
    TempDir dir;
    for (const SPOT_DRILL_FORMAT* format : {&kSpotDrillNewer, &kSpotDrillOlder}) {
        SCOPED_TRACE(format->fileSize);
        const std::string sel = dir.path() + "/SpotDrillSel.Tools";
        ASSERT_TRUE(plat::writeFile(sel, spotDrillTemplate(*format)));

        tool_node* list = nullptr;
        ASSERT_EQ(list_manager(kListTools, sel.c_str(), kListLoad, &list), 1) << host::lastLibraryMessage();
        std::vector<tp_tool> tools;
        for (tool_node* n = list; n; n = n->next) tools.push_back(n->tool);
        list_manager(kListTools, "", kListFree, &list);
        ASSERT_EQ(tools.size(), static_cast<std::size_t>(kSpotDrillCount));
        for (const tp_tool& t : tools) EXPECT_EQ(t.type, 2) << t.name;
        EXPECT_STREQ(tools[5].name, "SPOT DRILL 10 MM");
        EXPECT_EQ(tools[5].diameter, 10.0);
        EXPECT_EQ(tools[5].unitFlag, 1);
        EXPECT_EQ(tools[12].unitFlag, 0);

        tp_tool spot;
        spot.type = 2;
        spot.diameter = 12;
        spot.unitFlag = 1;
        std::snprintf(spot.name, sizeof spot.name, "SPOT 12x90 CARBIDE");
        const int slot = library_manager(kLibraryAddTool, sel.c_str(), &spot);
        EXPECT_EQ(slot, kSpotDrillCount + 1);

        plat::driver().script().libraryPick(std::to_string(slot));
        tp_tool chosen;
        EXPECT_EQ(library_manager(kLibraryPickTool, sel.c_str(), &chosen, slot), 1);
        EXPECT_STREQ(chosen.name, "SPOT 12x90 CARBIDE");
        EXPECT_TRUE(plat::driver().errors().empty());
    }
    host::reset();
    plat::driver().reset();
}

}  // namespace
