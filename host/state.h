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
// Overrides the default "<host>Mill/Tools/Mill_mm.Tools" ("Mill_Inch.Tools" in inch); "" restores it.
void setToolLibrary(std::string_view path);
void setPostFile(std::string_view path);     // overrides the default "<host>Posts/Generic.Pst"

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
// The markers of the points given at point prompts that clean_pt has not cleared.
std::size_t pointMarkerCount();

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
const std::vector<std::string>& editedFiles();    // files opened in the host's editor, in order
bool pluginCyclePaused();                         // the plug-in's last word: its work cycle is paused

// ---- part database ----
// A new, empty part: no entities, no texts, every level visible and unnamed, main level 1, colour 10,
// attributes {1.0, 1, 1}, select colour 13, the standard views, WCS off, views 1, an empty job set-up, no
// operations and only the standard groups the host is set up with; the message line and the point markers
// of the part before are cleared.
void newPart();

struct EntityCounts {
    int points = 0, lines = 0, arcs = 0, splines = 0, notes = 0, namedEntities = 0, drafting = 0;
    int surfaces = 0, trimmedSurfaces = 0, solids = 0, associations = 0;
    int kept = 0, blanked = 0, total = 0;   // kept: deleted with keep 1, still in the part
};
EntityCounts entityCounts();
std::vector<ent> allEntities();               // every entity in database order, kept ones included
// The kind 2 associations of operation `opId` in database order, kept ones included: get_ent_assoc's walk
// without copying every other operation's associations.
std::vector<ent> operationAssociations(std::int32_t opId);
bool isKept(db_ptr entry);
std::string_view noteText(std::uint32_t handle);   // every byte of a note's text
// Gives every entity a new id, first, first + 1, ... in database order (associations follow).
void renumberIds(std::uint32_t first = 1);

// ---- part files ----
// One SQLite database per part. Saving writes a temporary file beside the target in one transaction and
// renames it over the target, so a failed save leaves the old file as it was. Opening reads the whole
// file first and replaces the open part only when all of it was read; on success the part file name
// (geo_filename) follows. Files carry their format version; newer versions are refused.
constexpr int kPartFormatVersion = 4;           // 2: geometry sealed with a checksum; 3: blobs packed,
                                              // converted faces kept as their origin, surfaces of
                                              // solids marked; 4: solids in the kernel's binary form
constexpr const char* kPartFormat = "Forantix part";
constexpr int kHostRelease = 13;              // the release a saved file names (read_ent's version entity)
struct PartFileResult {
    bool ok = false;
    std::string message;                      // why not, naming the file
};
// The defaults write this host's files; tests change them to write what another writer would.
struct PartSaveOptions {
    int formatVersion = kPartFormatVersion;
    std::string format = kPartFormat;
    int release = kHostRelease;
    int failAtWrite = 0;                      // fail at the n-th write to the file; 0: never
};
[[nodiscard]] PartFileResult savePart(std::string_view path, const PartSaveOptions& options = {});
[[nodiscard]] PartFileResult openPart(std::string_view path);
// A part file's geometry is made first in the reader process (host/geom/step_process.h) under these limits,
// so that geometry whose making would not end, or would take all memory, refuses the part. 0: ten seconds
// and one more per megabyte of geometry text; 4 GiB and 64 times the text's size more. Kept across reset().
struct PartGeometryLimits {
    double seconds = 0;
    long memoryMb = 0;
    bool stall = false;   // tests: the reader process makes nothing and waits, as on making without end
};
void setPartGeometryLimits(const PartGeometryLimits& limits);

// ---- views and graphics ----
void setWcs(const view_ent& wcs, bool on);
int fitCount();
void setWorkWindow(double x, double y, double height);

// ---- tools, libraries and materials (host/tools/) ----
// The machine group's material file; "" restores the default "<host>Materials/Mill_mm.Materials"
// ("Mill_Inch.Materials" in inch).
void setMaterialLibrary(std::string_view path);
void setCurrentMaterials(std::vector<material> list);   // what list_manager(4, "") hands out
const std::string& lastLibraryMessage();   // the last refusal of a library or material file
int outstandingLists();                    // lists handed out by list_manager and not given back
int libraryReads(const std::string& path);  // tool lists list_manager loaded from this library file
// Text dumps for golden tests: one line per tool or material with every named field, doubles in their
// shortest round-trip form. A file that does not read dumps as its refusal message.
std::string dumpPartTools();               // the database, in id order, then the list's ids
std::string dumpToolLibrary(std::string_view path);
std::string dumpMaterials(std::string_view path);
std::string describeTool(const tp_tool& tool);

}  // namespace host
#include "host/state_ops.h"
