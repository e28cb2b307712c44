// Plain globals, their values at load, the tolerances and formats by units, and the version text.
#include "plugin/base/globals.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/sys/paths.h"

LoadTime<PLUGIN_GLOBALS> g_globals;
LoadTime<CTextSection> g_processMenu;

plat::ModuleHandle g_pluginInstance = nullptr;
std::string g_hostToolLibrary;
op_group* g_machineGroup = nullptr;
std::string g_postFile;

std::int32_t g_mainMenuShown = 0;
std::uint8_t g_commandLoopBusy = 0;
std::uint8_t g_pluginStarted = 0;
std::int32_t g_pendingCommand = 0;
std::int16_t g_resumeAction = 0;
std::int16_t g_processPreset = 0;
std::uint32_t g_lastOpGroup = 0;
std::int32_t g_formsLevelWasVisible = 0;

TOLERANCES g_tolerances{};
const char* g_fmtSigned = "%+.3f";
const char* g_fmtFine = "%.3f";
const char* g_fmtMedium = "%.2f";
const char* g_fmtCoarse = "%.1f";

char g_txtDiameter[4];
char g_txtDegree[4];
char g_txtPlus[4];
char g_txtMinus[4];
char g_txtDepth[31];
char g_txtToolDiameter[31];
char g_txtStock[31];
char g_txtLength[4];
char g_txtOpNumberPrefix[4];
char g_txtPlusMinus[4];

const VERSION_INFO g_buildVersion{3.0, 0, 2, 0, 0, 0, "December 07, 2026"};

void buildFormsFolders() {
    PLUGIN_GLOBALS& g = *g_globals;
    const char* forms = g.metric() ? "FORMS_MM" : "FORMS_INCH";
    g.sharedDir = plat::removeTrailingSeparators(g.sharedDir);
    g.formsDir = plat::joinPath(g.dataDir, forms);
    g.sharedFormsDir = g.sharedDir.empty() ? std::string() : plat::joinPath(g.sharedDir, forms);
}

std::string errorMessage(int id) {
    return g_globals.constructed() ? g_globals->errorMessages.getMessage(id) : std::string();
}

namespace {

struct UNIT_START_VALUES {
    TOLERANCES tolerances;
    const char* formats[4];   // signed, fine, medium, coarse
};

constexpr double kFineAngle = 0.15 * M_PI / 180.0;

// The inch values of the first group are not exact multiples of T; they hold until the settings are read.
constexpr UNIT_START_VALUES kMetricStart{
    {0.025, 0.05, 0.1, 0.02, 0.01, 0.005, 0.001, 0.0001, 0, 0.05, 500, 0.01, {10, 1, 0.1, 0.001, 0.0001}, kFineAngle},
    {"%+.3f", "%.3f", "%.2f", "%.1f"}};
constexpr UNIT_START_VALUES kInchStart{
    {0.001, 0.002, 0.005, 0.00075, 0.0005, 0.0002, 0.00005, 0.000005, 0, 0.002, 20, 0.0005,
     {0.5, 0.05, 0.005, 0.00005, 0.000005}, kFineAngle},
    {"%+.5f", "%.5f", "%.4f", "%.3f"}};

}  // namespace

void setUnitTolerances(bool metric) {
    const UNIT_START_VALUES& start = metric ? kMetricStart : kInchStart;
    const double axisAngle = g_tolerances.axisAngle;   // comes from a setting, not from the units
    g_tolerances = start.tolerances;
    g_tolerances.axisAngle = axisAngle;
    g_fmtSigned = start.formats[0];
    g_fmtFine = start.formats[1];
    g_fmtMedium = start.formats[2];
    g_fmtCoarse = start.formats[3];
}

void forgetPartGlobals() {
    PLUGIN_GLOBALS& g = *g_globals;
    g.damageToldFor.clear();
    std::fill(std::begin(g.partPoint), std::end(g.partPoint), 0.0);
    g.partPointFlag1 = 0;
    g.partPointFlag2 = 0;
    g.createdViewCounter = 0;
    g.createdViewIds.clear();
    g.previewEntityCount = 0;
    g_lastOpGroup = 0;
}

void resetPlainGlobals() {
    g_pluginInstance = nullptr;
    g_hostToolLibrary.clear();
    g_machineGroup = nullptr;
    g_postFile.clear();
    g_mainMenuShown = 0;
    g_commandLoopBusy = 0;
    g_pluginStarted = 0;
    g_pendingCommand = 0;
    g_resumeAction = 0;
    g_processPreset = 0;
    g_lastOpGroup = 0;
    g_formsLevelWasVisible = 0;
    g_tolerances = TOLERANCES{};
    setUnitTolerances(true);
    for (char* text : {g_txtDiameter, g_txtDegree, g_txtPlus, g_txtMinus, g_txtLength, g_txtOpNumberPrefix,
                       g_txtPlusMinus})
        text[0] = '\0';
    for (char* text : {g_txtDepth, g_txtToolDiameter, g_txtStock}) text[0] = '\0';
}

namespace {

void trimTrailing(std::string& text, char c) {
    while (!text.empty() && text.back() == c) text.pop_back();
}

}  // namespace

std::string buildVersionText(const VERSION_INFO& v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.2f", std::fabs(v.number));
    std::string number = buf;
    trimTrailing(number, '0');
    if (!number.empty() && number.back() == '.') number.pop_back();
    if (v.number < 0) number += " Pre-Release";

    std::string minor;
    if (v.minor != 0) {
        std::snprintf(buf, sizeof buf, ".%.02i", v.minor);
        minor = buf;
        trimTrailing(minor, '0');
    }
    const std::string mr = v.mr != 0 ? " MR" + std::to_string(v.mr) : "";
    const std::string beta =
        v.beta != 0 ? std::string(" ") + (v.beta < 0 ? "Pre-" : "") + "Beta " + std::to_string(std::abs(v.beta)) : "";
    const std::string alpha = v.alpha != 0 ? " Alfa " + std::to_string(v.alpha) : "";
    const std::string sp = v.servicePack != 0 ? " SP" + std::to_string(v.servicePack) : "";
    std::string text = "Version " + number + minor + mr + beta + alpha + sp + " \n " + v.releaseDate;
    if (text.size() > 257) text.resize(257);
    return text;
}
