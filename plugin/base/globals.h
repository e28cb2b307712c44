// The plug-in's global data that its base and its work cycle need. The host calls the plug-in again and
// again and a work cycle spans several calls, so the state lives in globals from library load to unload.
// `g_globals` holds the host's facts, the paths, the settings and the texts; the loop-state variables and
// the unit-dependent tolerances and formats stand beside it. The cycle's records are the model's
// (plugin/model/work_records.h); each subsystem keeps its own state.
// Paths are held as texts joined with '/'; lengths are in the part's units.
#pragma once
#include <array>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "host/api.h"
#include "platform/sys/module.h"
#include "plugin/base/cycle_names.h"
#include "plugin/base/load_time.h"
#include "plugin/base/settings.h"
#include "plugin/base/text_section.h"
#include "plugin/base/views_list.h"

struct PLUGIN_GLOBALS {
    std::array<std::uint8_t, 40> hostVersion{};   // copy of the host's version header
    std::int32_t hostMajor = 0;
    std::int32_t hostMR = 0;
    std::string hostRegKey;
    HostApp* hostApp = nullptr;
    std::uint8_t sharedDataOn = 0;
    // The access this cycle holds (1 read-write, 0 read-only), and the one the user chose, which the settings
    // keep: read-write is chosen though no cycle holds it while the share takes no file. The watcher's thread
    // clears both when the access goes to another station.
    std::atomic<std::int16_t> sharedAccessMode{0};
    std::atomic<std::int16_t> sharedAccessSetting{0};
    std::string versionText;
    std::string hostDir;
    std::string pluginDir;
    std::string uiTextFile;
    std::string settingsFile;
    std::string tmpDir;
    std::string tableNamePrefix;
    std::string sharedDir;
    std::string dataDir;
    std::string sharedFormsDir;
    std::string formsDir;
    std::string libraryName;
    std::string tablesDir;
    std::string partDir;                           // with its trailing separator
    std::string tffFile;
    std::string partName;
    std::string damageToldFor;                     // the part whose damaged records the user was told of
    std::string settingsToldFor;                   // the settings items last told as put back to defaults
    std::uint8_t debugDumps = 0;
    std::string processLogFile;
    std::string toolsDumpFile;
    PRM_SETTINGS settings;
    // The run's marker entity: the last solid the conversion to surfaces hid.
    std::int32_t markerLevel = 0;
    std::uint32_t markerEntry = 0;
    std::uint32_t markerId = 0;
    CTextSection viewNames;
    OP_CYCLE_LIST cycleNames;
    // The drilling side of single through holes, kept with the part's records: point P, the option (1: the
    // side follows P) and its mode (0 from P, 1 towards P).
    double partPoint[3] = {};
    std::int16_t partPointFlag1 = 0;
    std::int16_t partPointFlag2 = 0;
    COnlySelViewsList oldViewsList{0};
    std::int16_t createdViewCounter = 0;
    std::vector<std::uint32_t> createdViewIds;
    CTextSection errorMessages;
    COnlySelViewsList viewsSnapshot{0};   // "DOSW": views of the last recognition
    // Entities of the form preview and the trial marker (entry handles), deleted by their drawer's caller.
    std::int16_t previewEntityCount = 0;
    std::array<std::uint32_t, 100> previewEntities{};
    std::string pluginTitle;

    std::uint8_t isMetric() const { return hostVersion[7]; }
    bool metric() const { return isMetric() == 1; }
};

extern LoadTime<PLUGIN_GLOBALS> g_globals;
// The section "ProcessMenu", loaded by the work cycle at every invocation.
extern LoadTime<CTextSection> g_processMenu;

// Line `id` of "ErrorMessages", "" while the texts are not loaded.
std::string errorMessage(int id);

// ---- outside PLUGIN_GLOBALS -------------------------------------------------------------------------
extern plat::ModuleHandle g_pluginInstance;
extern std::string g_hostToolLibrary;
extern op_group* g_machineGroup;
extern std::string g_postFile;

// The thread message that carries a command code (wParam) to the command loop.
constexpr unsigned WM_PLUGIN_COMMAND = 0x8028;

extern std::int32_t g_mainMenuShown;
extern std::uint8_t g_commandLoopBusy;
extern std::uint8_t g_pluginStarted;
extern std::int32_t g_pendingCommand;
extern std::int16_t g_resumeAction;
extern std::int16_t g_processPreset;
extern std::uint32_t g_lastOpGroup;
extern std::int32_t g_formsLevelWasVisible;

struct TOLERANCES {
    double tolT, tol2T, tol4T, tol08T, tol04T, tol02T, tol004T, tol0004T;
    double axisAngle;        // radians, from a setting in degrees
    double pointMergeDist, maxHoleRadius, minHoleRadius;
    double toolSearchStep[5];
    double fineAngle;        // radians
};
extern TOLERANCES g_tolerances;
extern const char* g_fmtSigned;
extern const char* g_fmtFine;
extern const char* g_fmtMedium;
extern const char* g_fmtCoarse;

extern char g_txtDiameter[4];
extern char g_txtDegree[4];
extern char g_txtPlus[4];
extern char g_txtMinus[4];
extern char g_txtDepth[31];
extern char g_txtToolDiameter[31];
extern char g_txtStock[31];
extern char g_txtLength[4];
extern char g_txtOpNumberPrefix[4];
extern char g_txtPlusMinus[4];

// The start values of the tolerances and number formats by units.
void setUnitTolerances(bool metric);
// The local forms folder (the data folder and "FORMS_MM" or "FORMS_INCH" by units) and the shared one (the
// shared folder and the same name; "" while no shared folder is set), from the current settings.
void buildFormsFolders();
// Puts every plain global back to its value at load.
void resetPlainGlobals();
// The host replaced its part: what the globals hold of the part that went (its drilling side point, which a
// part without a run block would otherwise take over, the views made, the preview entities, the last
// operation group, whether its damage was told) is forgotten. The marker solid is not: its handle is
// checked against its id wherever it is used, and the next cycle's load sets it again.
void forgetPartGlobals();

// The build's version and the text the main menu and the prompt show:
// "Version <number><minor><MR><beta><alpha><SP> \n <release date>".
struct VERSION_INFO {
    double number;
    int minor, mr, beta, alpha, servicePack;
    const char* releaseDate;   // "%B %d, %Y"
};
extern const VERSION_INFO g_buildVersion;
std::string buildVersionText(const VERSION_INFO& version);
