// The host folder shipped in data/host: it is what the catalogue makes, its libraries and material files
// read through the host's managers, and they hold tools of every type the system uses in the standard
// sizes, with the unit flags the best-tool search filters on.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "host/tools/catalogue.h"
#include "platform/sys/files.h"
#include "plugin/services/tables.h"
#include "support/host_folder.h"
#include "support/host_tools_fixture.h"

namespace {

const std::string kShipped = shippedHostFolder();

std::vector<tp_tool> load(const std::string& path) {
    tool_node* list = nullptr;
    EXPECT_EQ(list_manager(kListTools, path.c_str(), kListLoad, &list), 1) << host::lastLibraryMessage();
    std::vector<tp_tool> tools;
    for (tool_node* n = list; n; n = n->next) tools.push_back(n->tool);
    list_manager(kListTools, "", kListFree, &list);
    return tools;
}

bool has(const std::vector<tp_tool>& tools, std::int16_t type, const std::string& name, double d, double pitch = 0) {
    return std::any_of(tools.begin(), tools.end(), [&](const tp_tool& t) {
        return t.type == type && name == t.name && t.diameter == d && t.pitch == pitch;
    });
}

using ShippedHostFolder = HostTools;

TEST_F(ShippedHostFolder, IsWhatTheCatalogueMakes) {
    for (const host::tools::CatalogueFile& f : host::tools::hostFolderFiles()) {
        SCOPED_TRACE(f.relativePath);
        const std::optional<std::string> shipped = plat::readFile(kShipped + "/" + f.relativePath);
        ASSERT_TRUE(shipped) << "run build/bin/make_host_data data/host";
        EXPECT_TRUE(*shipped == f.bytes) << "data/host is out of date: run build/bin/make_host_data data/host";
    }
}

TEST_F(ShippedHostFolder, TheDefaultLibrariesOfBothUnitsAreThere) {
    host::setHostDir(kShipped);
    for (bool metric : {true, false}) {
        SCOPED_TRACE(metric ? "metric" : "inch");
        host::setMetric(metric);
        const std::vector<tp_tool> tools = load(ToolLibraryStr());
        ASSERT_GT(tools.size(), 80u);
        EXPECT_TRUE(
            std::all_of(tools.begin(), tools.end(), [&](const tp_tool& t) { return t.unitFlag == (metric ? 1 : 0); }));
        std::set<int> types;
        for (const tp_tool& t : tools) types.insert(t.type);
        EXPECT_EQ(types, (std::set<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 15, 17, 19}));
        EXPECT_TRUE(plat::fileExists(MatlLibrary())) << MatlLibrary();
    }
}

// Tap drills, taps and the series the best-tool search falls back to, by unit.
TEST_F(ShippedHostFolder, TheBigLibrariesHoldTheStandardSeries) {
    const std::vector<tp_tool> mm = load(kShipped + "/Mill/Tools/big_mm.Tools");
    const std::vector<tp_tool> inch = load(kShipped + "/Mill/Tools/big_Inch.Tools");
    const std::vector<tp_tool> both = load(kShipped + "/Mill/Tools/big.Tools");
    EXPECT_EQ(load(kShipped + "\\mill\\tools\\BIG_MM.TOOLS").size(), mm.size()) << "host files are named without case";
    EXPECT_TRUE(std::all_of(mm.begin(), mm.end(), [](const tp_tool& t) { return t.unitFlag == 1; }));
    EXPECT_TRUE(std::all_of(inch.begin(), inch.end(), [](const tp_tool& t) { return t.unitFlag == 0; }));
    EXPECT_EQ(both.size(), mm.size() + inch.size());

    const auto drills = std::count_if(mm.begin(), mm.end(), [](const tp_tool& t) { return t.type == 3; });
    EXPECT_GE(drills, 121) << "1.0 to 13.0 mm by tenths";
    EXPECT_TRUE(has(mm, 3, "DRILL 6.8", 6.8));
    EXPECT_TRUE(has(mm, 3, "DRILL 10.2", 10.2));
    EXPECT_TRUE(has(mm, 4, "TAP M8x1.25", 8, 1.25));
    EXPECT_TRUE(has(mm, 4, "TAP M10x1", 10, 1));
    EXPECT_TRUE(has(mm, 5, "TAP M12x1.75 LH", 12, 1.75));
    EXPECT_TRUE(has(inch, 3, "DRILL #7", 0.201));
    EXPECT_TRUE(has(inch, 3, "DRILL F", 0.257));
    EXPECT_TRUE(has(inch, 3, "DRILL 27/64", 0.421875));
    EXPECT_TRUE(has(inch, 4, "TAP 1/4-20 UNC", 0.25, 20)) << "inch taps carry threads per inch";
    EXPECT_TRUE(has(inch, 4, "TAP #10-32 UNF", 0.19, 32));

    for (const std::vector<tp_tool>* lib : {&mm, &inch}) {
        std::set<int> slots;
        for (const tp_tool& t : *lib) {
            EXPECT_TRUE(slots.insert(t.slot).second) << t.name;
            EXPECT_GT(t.diameter, 0) << t.name;
            EXPECT_GT(t.spindle, 0) << t.name;
            EXPECT_GT(t.fluteLength, 0) << t.name;
            EXPECT_GT(t.overallLength, t.fluteLength) << t.name;
            if (t.type == 4 || t.type == 5) {
                EXPECT_EQ(t.feeds[0], t.feeds[2]) << t.name << ": tapping feeds follow the pitch";
            }
            if (t.type == 11) {
                EXPECT_EQ(t.cornerRadius, t.diameter / 2) << t.name;
            }
            if (t.type == 2) {
                // Flutes past a full spot (the point's cone at the drill's diameter) and one diameter more.
                const double spot = t.diameter / 2 / std::tan(t.angle / 2 * M_PI / 180);
                EXPECT_GT(t.fluteLength, t.diameter + spot) << t.name;
                EXPECT_LT(t.fluteLength, t.shoulderLength) << t.name;
            }
        }
    }
}

TEST_F(ShippedHostFolder, MaterialsCarryCuttingDataInTheirUnits) {
    for (const char* file : {"Mill_mm.Materials", "Mill_Inch.Materials"}) {
        SCOPED_TRACE(file);
        material_node* list = nullptr;
        ASSERT_EQ(list_manager(kListMaterials, (kShipped + "/Materials/" + file).c_str(), kListLoad, &list), 1);
        int count = 0;
        for (material_node* n = list; n; n = n->next, ++count) {
            EXPECT_GT(n->matl.cuttingSpeed, 0);
            EXPECT_GT(n->matl.feedPerTooth, 0);
            EXPECT_GT(n->matl.speedPercentByMaterial[0], 0);
        }
        EXPECT_GE(count, 4);
        list_manager(kListMaterials, "", kListFree, &list);
    }
    EXPECT_NE(host::dumpMaterials(kShipped + "/Materials/Mill_mm.Materials").find("\"STEEL 1045 - MM\" Vc=180"),
              std::string::npos);
}

// What a user's run does to the default library: a new tool goes after the shipped ones, an edited one is
// written back in its slot, and the library still reads whole.
TEST_F(ShippedHostFolder, TheDefaultLibraryTakesNewAndEditedTools) {
    const std::string folder = copyShippedHostFolder(dir.path());
    ASSERT_FALSE(folder.empty());
    host::setHostDir(folder);
    const std::string lib = ToolLibraryStr();
    const std::vector<tp_tool> before = load(lib);
    ASSERT_FALSE(before.empty());

    tp_tool special = sampleTool(3, 7.94, "DRILL 7.94 SPECIAL");
    EXPECT_EQ(library_manager(kLibraryStoreTool, lib.c_str(), &special, 0, kLibraryOptionAdd), 1);
    EXPECT_EQ(special.slot, static_cast<int>(before.size()) + 1);
    EXPECT_EQ(special.number, static_cast<int>(before.size()) + 1);

    tp_tool edited = before[20];
    edited.feeds[0] = 123;
    EXPECT_EQ(library_manager(kLibraryStoreTool, lib.c_str(), &edited, edited.slot, kLibraryOptionRewrite), 1);
    const std::vector<tp_tool> after = load(lib);
    ASSERT_EQ(after.size(), before.size() + 1);
    EXPECT_EQ(after[20].feeds[0], 123);
    EXPECT_EQ(after.back(), special);
    for (std::size_t i = 0; i < before.size(); ++i) {
        if (i != 20) {
            EXPECT_EQ(after[i], before[i]) << i;
        }
    }
    EXPECT_EQ(load(kShipped + "/Mill/Tools/Mill_mm.Tools"), before) << "the shipped folder is not touched";
}

}  // namespace
