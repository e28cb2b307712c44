// The host stand-in's own side: what hostcam sets up before a run and what tests read back afterwards.
// The plug-in never includes this; it sees the host only through host/api.h. reset() gives a fresh host:
// metric, the default host folder, an unnamed part, a machine group and an active group under it.
// Everything the user would see is also written to plat::driver()'s transcript as "host.*" lines.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "host/api.h"

namespace host {

constexpr const char* kDefaultHostDir = "/tmp/fx-host/";
constexpr const char* kUnnamedPart = "NONAME";
constexpr const char* kPartSuffix = ".pfp";
constexpr std::int32_t kMachineGroupId = 1;
constexpr std::int32_t kActiveGroupId = 2;

void reset();

// ---- environment ----
void setMetric(bool metric);                 // byte 7 of current_version: 1 metric, 0 inch
void setHostDir(std::string_view dir);       // current_dir; the default tool library and post file follow it
void setPartFile(std::string_view path);     // geo_filename; "" = an unnamed new part
void setToolLibrary(std::string_view path);  // overrides the default "<host>TOOLS/Default_MM|IN.tooldb"
void setPostFile(std::string_view path);     // overrides the default "<host>POSTS/Generic.pst"

// ---- groups ----
// The machine group has id kMachineGroupId; the active group (id kActiveGroupId) sits under it when both
// are present and is a root group of its own otherwise.
void setMachineGroup(bool present);
void setActiveGroup(bool present);
const op_group* findGroup(std::int32_t id);
std::vector<std::int32_t> groupIds();        // in creation order

// ---- prompt area ----
const std::string& currentPrompt();
const std::string& messageLine();
const std::string& statusText();

// ---- wait dialog ----
struct WaitDialogView {
    bool open = false;
    bool allowCancel = false;
    bool cancelled = false;   // the user pressed its Cancel
    std::string title, status;
    int percent = 0;
};
WaitDialogView waitDialog();

// ---- display ----
struct DrawnLine {
    l_3d line;
    int colour = 0;
};
int rebuildCount();
int repaintCount();
const std::vector<DrawnLine>& drawnLines();

// ---- commands ----
// Run-again requests of the plug-in (post_FT_command("Forantix", "m_main")), taken one at a time.
bool takeRunAgainRequest();
int pendingRunAgainRequests();
const std::vector<std::string>& hostCommands();   // other commands, "app command"

}  // namespace host
