// The host's interface as the plug-in sees it: exported functions, objects and global data of the CAM host.
// Names are the host's own. Layouts and codes that the host leaves open are this stand-in's, written down
// here. Everything runs on the user-interface thread unless said otherwise.
#pragma once
#include <cstdint>

#include "host/api_types.h"

// ---- version header and environment ---------------------------------------------------------------
// current_version: 40 bytes; byte 7 is the unit flag (1 metric, anything else inch); byte 4 the host's
// release switch that a few operation codes depend on; byte 0 the host's release number (the release its
// part files name, 13 here).
extern unsigned char current_version[40];
extern char current_dir[1024];            // host folder, may end in a separator
extern char geo_filename[1024];           // part file name as the host holds it
extern char default_geo_filename[1024];   // the name of an unnamed new part
extern char geo_prefix[1024];             // folder put before the default name
extern char geo_suffix[32];               // extension put after the default name, with its dot
extern char ascii_prefix[1024];           // folder of the host's ASCII (interchange) files

const char* ToolLibraryStr();     // path of the host's current tool library
const char* PostProcFileStr();    // post processor file of the current machine group ("" without)

struct HostApp;                   // the host application object
HostApp* GetPartforgeApp();

// ---- events, prompts, picks ----------------------------------------------------------------------------
constexpr int kEventPosted = 512;   // PFEvent::type of a posted thread message

struct PFEvent {
    int type = 0;                    // kEventPosted, or another host event the plug-in ignores
    std::uintptr_t wParam = 0;       // for kEventPosted: the message's wParam
    std::intptr_t lParam = 0;
    unsigned message = 0;            // for kEventPosted: the message number
};

// Waits for the next event while showing `prompt`. Returns 1 or 2 when the user ended the prompt (Esc),
// 0 with `ev` filled otherwise. Posted thread messages come first; scripted clicks on modeless windows are
// delivered here (their handlers may post). `mask`, `arg2`, `arg3` and `out` are taken as given; the first
// three are recorded when they differ from the last wait's (`host.event mask=... arg2=... flag=...`).
int get_event(const char* prompt, PFEvent* ev, long* mask, long* arg2, short* arg3, char* out);

// Asks for a point. `got` is set to 1 with `pt` (world) and `kind` (entry kind letter, 'P' for a picked
// point) when the user gave one, to 0 on Esc.
void point_proc(const char* prompt, char* kind, double pt[3], char* got);
// Clears the marker the host drew at a point given at point_proc (mode ' ').
void clean_pt(char mode, double pt[3]);

void mprintf(const char* text);            // message line
void cleartext();
void cleartextall();
void clearprompt();
void UpdateStatusBarText(const char* text);

// ---- wait dialog ---------------------------------------------------------------------------------------
// The host keeps `*cancel` at 1 while the dialog is up and sets it to 0 when the user cancels.
void DisplayWaitDialog(char* cancel, int a, int b, int allowCancel, const char* title, const char* status, void* reserved);
void SetPercentComplete(short percent);
void ProgMeterSetStatus(const char* status);
void ReleaseWaitDialog();

// ---- display -------------------------------------------------------------------------------------------
extern int mask_level;                     // 0: no level restriction of the display
void rebuild_graphics();
void repaint_graphics();

void drw_3d_line(const l_3d* line, int colour);

// ---- commands ------------------------------------------------------------------------------------------
// ("Forantix", "m_main") asks the host to run the plug-in again once the current invocation has returned;
// other commands are the host's own and are recorded.
void post_FT_command(const char* app, const char* command);
// The plug-in tells the host whether an invocation left its work cycle paused (1: the cycle's data is in
// the plug-in's memory, not yet in the part's records) or ended it (0). hostcam does not save a part while
// the cycle is paused.
void plugin_cycle_paused(int paused);
// Opens a text file in the host's editor; `mode` 0 (the only one the plug-in passes) opens it for editing.
void edit_filename(const char* path, int mode);

// ---- the part database, views, geometry and tools -------------------------------------------------------
#include "host/api_db.h"
#include "host/api_views.h"
#include "host/api_geom.h"
#include "host/api_tools.h"
#include "host/api_ops.h"
