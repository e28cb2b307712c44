// Small services the whole plug-in shares: text and number helpers, the host's sixteen colours, the
// spot-drill tool-library templates, the graphics state kept around a configuration run, and the adaptors
// through which the plug-in reaches the host's texts, wait dialog and popup menus.
// "Blank" is the space character; "white space" is what isspace gives in the "C" locale.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/dialog.h"
#include "platform/ui/menu.h"
#include "plugin/base/load_time.h"

// ---- texts ----------------------------------------------------------------------------------------------
// Position of `sought` in `text`, both compared upper-cased; -1 when absent (or either is null).
int findNoCase(const char* text, const char* sought);
int findNoCaseStr(std::string_view text, std::string_view sought);

// What lies between the last `open` and the last `close` of the text, cut to capacity - 1 characters;
// returns its length. 0 and an empty buffer when either is missing or the last `close` is not after the
// last `open`.
std::size_t textBetween(const char* text, char open, char close, char* out, std::size_t capacity);
// The same with the first two characters of `delimiters`; "" when it has fewer than two.
std::string textBetweenStr(std::string_view text, std::string_view delimiters);

// True when, white space trimmed, every character is a digit, '.', '+' or '-' ("" counts as numeric).
bool isNumericText(std::string_view text);

// Trims white space at both ends and, with a replacement other than 0, replaces every blank by it.
char* trimReplaceBlanks(char* buffer, char replacement);
std::string trimReplaceBlanksStr(std::string_view text, char replacement);

// At most capacity - 1 characters of the text: the fixed text fields of the plug-in's records.
std::string fitText(std::string_view text, std::size_t capacity);

// ---- numbers --------------------------------------------------------------------------------------------
// The nearest multiple of step (halves to even, as "%.0f" prints them); a zero step leaves the value.
double roundToStep(double value, double step);
// The next multiple of step at or above the value; a quotient within 1e-9 of a whole number counts as that
// number, so 1.1 with step 0.1 stays 1.1. A zero step leaves the value.
double ceilToStep(double value, double step);
// The multiple of step at or below the value, with the same allowance for a whole quotient.
double floorToStep(double value, double step);

// ---- colours --------------------------------------------------------------------------------------------
// The host colour 0-15 as a window-system colour (red in the low byte); other numbers give black.
plat::Color colorToRgb(int hostColour);

// ---- spot-drill library ---------------------------------------------------------------------------------
// Writes one of two tool-library templates, chosen by the host version found at the invocation
// (PLUGIN_GLOBALS::hostMajor, hostMR): the newer format for version 0 (unknown), 11 from MR 1 on and 12
// and later, the older for the rest. 0 on success, 1 when the file cannot be written.
int writeSpotDrillLibrary(const std::string& path);

// The template bytes. Layout (little-endian), the same for both formats but for the sizes:
//   header  magic "FXTOOLS\0", u16 format (2 newer, 1 older), u16 tool count, u16 header size,
//           u16 record size, zero-filled to the header size
//   records u32 tool number, u16 tool type (1 spot drill), u8 unit (1 mm, 0 inch), u8 0,
//           f64 diameter, f64 tip angle (degrees), f64 flute length, f64 overall length,
//           name (32 bytes, zero-padded), zero-filled to the record size
//   the rest of the file is zero.
// Newer: 19686 bytes, header 86, 20 records of 980. Older: 3964 bytes, header 64, 20 records of 195.
struct SPOT_DRILL_FORMAT {
    std::uint16_t format;
    std::size_t fileSize, headerSize, recordSize;
};
constexpr SPOT_DRILL_FORMAT kSpotDrillNewer{2, 19686, 86, 980};
constexpr SPOT_DRILL_FORMAT kSpotDrillOlder{1, 3964, 64, 195};
constexpr int kSpotDrillCount = 20;
std::string spotDrillTemplate(const SPOT_DRILL_FORMAT& format);
// Whether the host version takes the newer format.
bool hostTakesNewerToolLibrary(int major, int mr);

// ---- graphics state ------------------------------------------------------------------------------------
// Kept between one saveGraphicsState and the next restoreGraphicsState (a configuration run, the features
// manager's level display): the window's centre and height, the graphics and construction views, the mask
// and main levels, the job set-up's stock display flag and, when hideLevels is given, the visible levels,
// which are hidden then and shown again by the restore. The restore's framing points go on the features
// level and away again.
struct GRAPHICS_STATE {
    double centerX = 0, centerY = 0, height = 0;
    std::vector<std::int32_t> visibleLevels;
    std::int32_t maskLevel = 0, mainLevel = 0;
    int constrView = 0, graphicsView = 0;
    std::uint8_t showStock = 0;
};
extern GRAPHICS_STATE g_graphicsState;
void saveGraphicsState(bool hideLevels);
void restoreGraphicsState(std::int32_t featuresLevel);

// ---- host texts ----------------------------------------------------------------------------------------
// "msg": the line of that UI-text section (read afresh, with messages); "deftool" 116-121 and
// "View Manager" 1-8: the host's own names. Anything else leaves `out` empty. Returns 0.
int getHostText(std::string_view section, std::string& out, int id);

// ---- the host's wait dialog ----------------------------------------------------------------------------
// The one cancel byte every wait dialog of the plug-in shares: 1 while it runs, 0 once the user cancelled.
extern char g_waitCancel;
void openWaitDialog(bool noCancel, const char* title, const char* status);
void closeWaitDialog();
void setWaitPercent(std::int16_t value);

// ---- the plug-in's popup menu --------------------------------------------------------------------------
// The plug-in's popup menu (a load-time object) and the window that owns it while it has one: the main menu.
extern LoadTime<plat::Menu> g_popupMenu;
extern plat::Dialog* g_popupOwner;
// Rebuilds g_popupMenu: menu 4 and 7 have items, any other number leaves it empty. Returns 0.
int loadMenuItems(const char* unused, int menuNumber);
// Tracks g_popupMenu at the cursor, owned by the main menu window, and empties it afterwards. The chosen
// id goes to *id (when given) and is returned; "Exit" (129) gives 11, nothing chosen -1 (trackMenu: 0).
std::int16_t trackMenuOrNone(std::int16_t* id);
std::int16_t trackMenu(std::int16_t* id);
constexpr int kMenuExit = 129;

// ---- adaptors with nothing to do with this host ----------------------------------------------------------
// Called where a prompt, a menu selection, a view change or a topology walk would be reported.
int setMenuPrompt(const char* prompt);
int initMenu(int menu);
int selectMenuItem(int item);
int clearMenu();
int notifyViewChanged(int view);
bool solidTopoBegin(std::uint32_t solidId);   // true
int solidTopoGetEntity(std::uint32_t* entityId);
int solidTopoGetEntityData(void* data);
int solidTopoEnd();
