// Shared small utilities: texts, numbers, colours, the spot-drill templates, host texts, the wait dialog and
// the popup menu. The graphics state kept around configuration runs is at the end of the file.
#include "plugin/base/utilities.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cctype>
#include <cmath>
#include <cstring>
#include <type_traits>

#include "host/api.h"
#include "platform/sys/files.h"
#include "platform/ui/keys.h"
#include "platform/ui/menu.h"
#include "plugin/base/globals.h"

namespace {

bool isWhite(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

std::string upperAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return out;
}

std::string_view trimWhite(std::string_view text) {
    while (!text.empty() && isWhite(text.front())) text.remove_prefix(1);
    while (!text.empty() && isWhite(text.back())) text.remove_suffix(1);
    return text;
}

}  // namespace

// ---- texts ----------------------------------------------------------------------------------------------

int findNoCase(const char* text, const char* sought) {
    if (!text || !sought) return -1;
    return findNoCaseStr(text, sought);
}

int findNoCaseStr(std::string_view text, std::string_view sought) {
    const std::size_t at = upperAscii(text).find(upperAscii(sought));
    return at == std::string::npos ? -1 : static_cast<int>(at);
}

std::size_t textBetween(const char* text, char open, char close, char* out, std::size_t capacity) {
    if (out && capacity > 0) out[0] = '\0';
    if (!text || !out || capacity == 0) return 0;
    const std::string_view t(text);
    const std::size_t from = t.rfind(open);
    const std::size_t to = t.rfind(close);
    if (from == std::string_view::npos || to == std::string_view::npos || to <= from + 1) return 0;
    const std::size_t n = std::min(to - from - 1, capacity - 1);
    std::memcpy(out, text + from + 1, n);
    out[n] = '\0';
    return n;
}

std::string textBetweenStr(std::string_view text, std::string_view delimiters) {
    if (delimiters.size() < 2) return {};
    const std::string t(text);
    std::string out(t.size() + 1, '\0');
    out.resize(textBetween(t.c_str(), delimiters[0], delimiters[1], out.data(), out.size()));
    return out;
}

bool isNumericText(std::string_view text) {
    for (char c : trimWhite(text)) {
        if (!std::isdigit(static_cast<unsigned char>(c)) && c != '.' && c != '+' && c != '-') return false;
    }
    return true;
}

char* trimReplaceBlanks(char* buffer, char replacement) {
    if (!buffer) return buffer;
    const std::string result = trimReplaceBlanksStr(buffer, replacement);
    // Never longer than the input, so it fits where it came from.
    std::memcpy(buffer, result.c_str(), result.size() + 1);
    return buffer;
}

std::string trimReplaceBlanksStr(std::string_view text, char replacement) {
    std::string out(trimWhite(text));
    if (replacement != 0) {
        for (char& c : out) {
            if (c == ' ') c = replacement;
        }
    }
    return out;
}

std::string fitText(std::string_view text, std::size_t capacity) {
    if (capacity == 0) return {};
    return std::string(text.substr(0, std::min(text.size(), capacity - 1)));
}

// ---- numbers --------------------------------------------------------------------------------------------

// nearbyint rounds as "%.0f" prints (to nearest, halves to even), without the text round trip.
double roundToStep(double value, double step) {
    if (step == 0) return value;
    return std::nearbyint(value / step) * step;
}

namespace {

// The whole quotient of value and step when it lies within 1e-9 of one: a quotient like 11.000000000000002
// comes from the binary form of the step, not from the value.
bool wholeQuotient(double q, double* whole) {
    *whole = std::nearbyint(q);
    return std::fabs(q - *whole) <= 1e-9 * std::max(1.0, std::fabs(q));
}

}  // namespace

double ceilToStep(double value, double step) {
    if (step == 0) return value;
    const double q = value / step;
    double whole = 0;
    return (wholeQuotient(q, &whole) ? whole : std::ceil(q)) * step;
}

double floorToStep(double value, double step) {
    if (step == 0) return value;
    const double q = value / step;
    double whole = 0;
    return (wholeQuotient(q, &whole) ? whole : std::floor(q)) * step;
}

// ---- colours --------------------------------------------------------------------------------------------

plat::Color colorToRgb(int hostColour) {
    // The sixteen base colours only, read from the host's palette.
    if (hostColour < 0 || hostColour > 15) return plat::rgb(0, 0, 0);
    const std::uint32_t c = Wd_colors[palette_entry_of_color(hostColour)];
    return plat::rgb(static_cast<int>(c & 0xff), static_cast<int>((c >> 8) & 0xff), static_cast<int>((c >> 16) & 0xff));
}

// ---- spot-drill library ---------------------------------------------------------------------------------

namespace {

struct SPOT_DRILL_ROW {
    double diameter;
    bool metric;
    const char* name;
};
constexpr SPOT_DRILL_ROW kSpotDrills[kSpotDrillCount] = {
    {3, true, "SPOT DRILL 3 MM"},       {4, true, "SPOT DRILL 4 MM"},     {5, true, "SPOT DRILL 5 MM"},
    {6, true, "SPOT DRILL 6 MM"},       {8, true, "SPOT DRILL 8 MM"},     {10, true, "SPOT DRILL 10 MM"},
    {12, true, "SPOT DRILL 12 MM"},     {16, true, "SPOT DRILL 16 MM"},   {20, true, "SPOT DRILL 20 MM"},
    {25, true, "SPOT DRILL 25 MM"},     {0.125, false, "SPOT DRILL 1/8"}, {0.1875, false, "SPOT DRILL 3/16"},
    {0.25, false, "SPOT DRILL 1/4"},    {0.3125, false, "SPOT DRILL 5/16"}, {0.375, false, "SPOT DRILL 3/8"},
    {0.5, false, "SPOT DRILL 1/2"},     {0.625, false, "SPOT DRILL 5/8"}, {0.75, false, "SPOT DRILL 3/4"},
    {1.0, false, "SPOT DRILL 1"},       {1.25, false, "SPOT DRILL 1-1/4"},
};
constexpr std::size_t kNameBytes = 32;
constexpr std::size_t kRecordBytesUsed = 4 + 2 + 1 + 1 + 4 * 8 + kNameBytes;
static_assert(kRecordBytesUsed <= kSpotDrillOlder.recordSize && kRecordBytesUsed <= kSpotDrillNewer.recordSize);
static_assert(kSpotDrillOlder.headerSize + kSpotDrillCount * kSpotDrillOlder.recordSize == kSpotDrillOlder.fileSize);
static_assert(kSpotDrillNewer.headerSize + kSpotDrillCount * kSpotDrillNewer.recordSize == kSpotDrillNewer.fileSize);

template <class T>
void putLE(std::string& bytes, std::size_t at, T value) {
    std::uint64_t raw = 0;
    if constexpr (std::is_floating_point_v<T>) {
        raw = std::bit_cast<std::uint64_t>(static_cast<double>(value));
    } else {
        raw = static_cast<std::uint64_t>(value);
    }
    for (std::size_t i = 0; i < sizeof(T); ++i) bytes[at + i] = static_cast<char>((raw >> (8 * i)) & 0xFF);
}

}  // namespace

bool hostTakesNewerToolLibrary(int major, int mr) { return major == 0 || (major == 11 && mr >= 1) || major >= 12; }

std::string spotDrillTemplate(const SPOT_DRILL_FORMAT& format) {
    std::string bytes(format.fileSize, '\0');
    std::memcpy(bytes.data(), "FXTOOLS", 8);
    putLE<std::uint16_t>(bytes, 8, format.format);
    putLE<std::uint16_t>(bytes, 10, kSpotDrillCount);
    putLE<std::uint16_t>(bytes, 12, static_cast<std::uint16_t>(format.headerSize));
    putLE<std::uint16_t>(bytes, 14, static_cast<std::uint16_t>(format.recordSize));
    for (int i = 0; i < kSpotDrillCount; ++i) {
        const SPOT_DRILL_ROW& row = kSpotDrills[i];
        const std::size_t at = format.headerSize + static_cast<std::size_t>(i) * format.recordSize;
        putLE<std::uint32_t>(bytes, at, static_cast<std::uint32_t>(i + 1));
        putLE<std::uint16_t>(bytes, at + 4, 1);
        bytes[at + 6] = row.metric ? 1 : 0;
        putLE<double>(bytes, at + 8, row.diameter);
        putLE<double>(bytes, at + 16, 90.0);
        putLE<double>(bytes, at + 24, row.diameter * 1.5);
        putLE<double>(bytes, at + 32, row.metric ? 50.0 + 2 * row.diameter : 2.0 + 2 * row.diameter);
        std::memcpy(bytes.data() + at + 40, row.name, std::min(std::strlen(row.name), kNameBytes - 1));
    }
    return bytes;
}

int writeSpotDrillLibrary(const std::string& path) {
    const int major = g_globals.constructed() ? g_globals->hostMajor : 0;
    const int mr = g_globals.constructed() ? g_globals->hostMR : 0;
    const SPOT_DRILL_FORMAT& format = hostTakesNewerToolLibrary(major, mr) ? kSpotDrillNewer : kSpotDrillOlder;
    return plat::writeFile(path, spotDrillTemplate(format)) ? 0 : 1;
}

// ---- host texts ----------------------------------------------------------------------------------------

namespace {

struct HOST_NAME {
    int id;
    const char* text;
};
constexpr HOST_NAME kDefToolNames[] = {{116, "HSS"},        {117, "Carbide"},    {118, "Ti Coated"},
                                       {119, "Ceramic"},    {120, "User Def 1"}, {121, "User Def 2"}};
constexpr HOST_NAME kViewNames[] = {{1, "TOP"},    {2, "FRONT"}, {3, "BACK"}, {4, "BOTTOM"},
                                    {5, "RIGHT"},  {6, "LEFT"},  {7, "ISO"},  {8, "AXONOMETRIC"}};

template <std::size_t N>
std::string lookUp(const HOST_NAME (&names)[N], int id) {
    for (const HOST_NAME& n : names) {
        if (n.id == id) return n.text;
    }
    return {};
}

}  // namespace

int getHostText(std::string_view section, std::string& out, int id) {
    out.clear();
    if (section == "msg") {
        CTextSection texts;
        const std::string file = g_globals.constructed() ? g_globals->uiTextFile : std::string();
        if (texts.load(file, "msg", true) == 0) out = texts.getText(id);
    } else if (section == "deftool") {
        out = lookUp(kDefToolNames, id);
    } else if (section == "View Manager") {
        out = lookUp(kViewNames, id);
    }
    return 0;
}

// ---- the host's wait dialog ----------------------------------------------------------------------------

char g_waitCancel = 0;

void openWaitDialog(bool noCancel, const char* title, const char* status) {
    DisplayWaitDialog(&g_waitCancel, 1, 1, noCancel ? 0 : 1, title, status, nullptr);
}

void closeWaitDialog() { ReleaseWaitDialog(); }

void setWaitPercent(std::int16_t value) { SetPercentComplete(value); }

LoadTime<plat::Menu> g_popupMenu;
plat::Dialog* g_popupOwner = nullptr;

// ---- the plug-in's popup menu --------------------------------------------------------------------------

int loadMenuItems(const char* /*unused*/, int menuNumber) {
    if (!g_popupMenu.constructed()) return 0;
    plat::Menu& menu = *g_popupMenu;
    menu = plat::Menu{};
    if (menuNumber == 4) {
        menu.item(1, "External file");
        menu.item(2, "Reaming");
        menu.item(3, "Tapping");
        menu.item(5, "Analyze/Edit");
        menu.item(kMenuExit, "Exit");
    } else if (menuNumber == 7) {
        menu.item(1, "Edit Y/N");
        menu.item(2, "See All Y/N");
        menu.item(kMenuExit, "Exit");
    }
    return 0;
}

namespace {

std::int16_t trackPluginMenu(std::int16_t* id, std::int16_t none) {
    std::int16_t result = none;
    if (g_popupMenu.constructed()) {
        plat::Dialog* owner = g_popupOwner && g_popupOwner->hasWindow() ? g_popupOwner : nullptr;
        const int chosen = plat::trackPopupMenu(*g_popupMenu, plat::TPM_RETURNCMD, plat::cursorPos(), owner);
        if (chosen == kMenuExit)
            result = 11;
        else if (chosen != 0)
            result = static_cast<std::int16_t>(chosen);
        *g_popupMenu = plat::Menu{};
    }
    if (id) *id = result;
    return result;
}

}  // namespace

std::int16_t trackMenuOrNone(std::int16_t* id) { return trackPluginMenu(id, -1); }
std::int16_t trackMenu(std::int16_t* id) { return trackPluginMenu(id, 0); }

// ---- adaptors ------------------------------------------------------------------------------------------

int setMenuPrompt(const char*) { return 0; }
int initMenu(int) { return 0; }
int selectMenuItem(int) { return 0; }
int clearMenu() { return 0; }
int notifyViewChanged(int) { return 0; }
bool solidTopoBegin(std::uint32_t) { return true; }
int solidTopoGetEntity(std::uint32_t*) { return 0; }
int solidTopoGetEntityData(void*) { return 0; }
int solidTopoEnd() { return 0; }

// ---- graphics state ------------------------------------------------------------------------------------

GRAPHICS_STATE g_graphicsState;

void saveGraphicsState(bool hideLevels) {
    GRAPHICS_STATE& s = g_graphicsState;
    get_wk_center(&s.centerX, &s.centerY);
    s.height = get_wk_height();
    if (hideLevels) {
        s.visibleLevels.clear();
        (void)get_visible_levels(&s.visibleLevels);
        for (std::int32_t level : s.visibleLevels) set_level_visible(level, 0);
    }
    s.maskLevel = mask_level;
    s.mainLevel = main_level;
    s.constrView = constr_view_n;
    s.graphicsView = get_gr_view_n();
    s.showStock = job_setup.showStock;
}

namespace {

void showView(int view) {
    double m[3][3];
    if (get_view_matrix(view, m) == 1) set_gr_view(m);
}

// Two points a window height apart in the top view, fitted, make the window show the saved centre and
// height again (fit fills 0.9525 of the height); they go again at once.
void refitToSavedWindow(const GRAPHICS_STATE& s, std::int32_t level) {
    const double half = 0.9525 * s.height / 2;
    db_ptr points[2] = {0, 0};
    const double ys[2] = {s.centerY + half, s.centerY - half};
    for (int i = 0; i < 2; ++i) {
        ent e{};
        e.type = kEntPoint;
        e.pt.pt = p_3d{s.centerX, ys[i], 0};
        char ok = 0;
        (void)store_ent(&e, &points[i], 0, 1, level, main_attrib, &ok);
        if (!ok) points[i] = 0;
    }
    rebuild_graphics();
    fit();
    for (db_ptr p : points) {
        if (p != 0) (void)delete_ent(p, 0, 0, 0, nullptr, 0);
    }
}

}  // namespace

void restoreGraphicsState(std::int32_t featuresLevel) {
    GRAPHICS_STATE& s = g_graphicsState;
    showView(1);
    refitToSavedWindow(s, featuresLevel);
    for (std::int32_t level : s.visibleLevels) set_level_visible(level, 1);
    s.visibleLevels.clear();
    mask_level = s.maskLevel;
    main_level = s.mainLevel;
    job_setup.showStock = s.showStock;
    constr_view_n = s.constrView;
    showView(s.graphicsView);
}
