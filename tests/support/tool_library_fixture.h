// A loaded plug-in (metric, tolerances of the units) on a fresh host whose folder is a temporary one, with
// a configured tool library and the big library of the units that tests fill tool by tool.
#pragma once
#include <algorithm>
#include <cstring>
#include <string>

#include "host/api.h"
#include "host/state.h"
#include "plugin/base/globals.h"
#include "plugin/services/tables.h"
#include "support/plugin_fixture.h"

class ToolLibraryFixture : public PluginFixture {
protected:
    void SetUp() override {
        PluginFixture::SetUp();
        load();
        ASSERT_EQ(g_globals->errorMessages.load(installDir + "/Tool.txt", "ErrorMessages", true), 0);
        std::copy(std::begin(current_version), std::end(current_version), g_globals->hostVersion.begin());
        g_globals->hostVersion[7] = 1;
        setUnitTolerances(true);
        hostDir = dir.path() + "/host";
        ASSERT_TRUE(plat::createDirectories(hostDir + "/Mill/Tools"));
        host::setHostDir(hostDir);
        library = dir.path() + "/configured.Tools";
        bigLibrary = hostDir + "/Mill/Tools/big_mm.Tools";
        g_globals->settings.toolLibraryPath = library;
    }

    // The length window the layout and sequencing tests choose tools by: 1 to 8 diameters, overall lengths,
    // flutes of at least one diameter, the nearest tool taken where none fits.
    static void useLengthWindow() {
        PRM_SETTINGS& s = g_globals->settings;
        s.minToolLengthFactor = 1;
        s.maxToolLengthFactor = 8;
        s.toolLengthKind = 1;
        s.minFluteLengthFactor = 1;
        s.takeNearestTool = 1;
    }

    static tp_tool tool(std::int16_t type, double diameter, const char* name = "", double flute = 30,
                        double shoulder = 40) {
        tp_tool t;
        t.type = type;
        t.diameter = diameter;
        t.fluteLength = flute;
        t.shoulderLength = shoulder;
        t.overallLength = shoulder + 20;
        t.unitFlag = 1;
        std::snprintf(t.name, sizeof t.name, "%s", name);
        return t;
    }
    // Appends the tool to a library file (made when missing); returns its slot.
    static int addTo(const std::string& path, tp_tool t) {
        char buffer[1024];
        std::snprintf(buffer, sizeof buffer, "%s", path.c_str());
        return library_manager(kLibraryAddTool, buffer, &t);
    }

    std::string hostDir, library, bigLibrary;
};
