// The features manager's command handler. The command loop hands it every code before it acts itself:
// 101 prepares the manager (or, after the features window, makes its marks) and shows the "FeatMgrMenu"
// popup until an item closes it; 2001-2008 are the features window's buttons. The state the loop keeps
// for it: 1 idle, 2 the features window is open (the next 101 is its assignment step), 0 while a popup
// that an item closed is being cleaned up.
#include <cstdlib>
#include <string>
#include <vector>

#include "host/api.h"
#include "platform/ui/keys.h"
#include "platform/ui/menu.h"
#include "platform/ui/message_box.h"
#include "plugin/base/entity_utils.h"
#include "plugin/base/globals.h"
#include "plugin/base/resource_switch.h"
#include "plugin/base/text_fill.h"
#include "plugin/base/text_section.h"
#include "plugin/base/utilities.h"
#include "plugin/features/coloured_features.h"
#include "plugin/features/feature_commands.h"
#include "plugin/features/feature_windows.h"
#include "plugin/model/tree_entities.h"
#include "plugin/model/work_records.h"
#include "plugin/services/configuration.h"
#include "plugin/services/import.h"
#include "plugin/services/recognition.h"
#include "plugin/services/tables.h"

namespace {

constexpr int kFeaturesManager = 101;
constexpr std::int16_t kClosing = 0, kIdle = 1, kWindowOpen = 2;
constexpr std::int16_t kThreadTablesClass = 2;
constexpr std::uint32_t kHoleEnts = 0x100;
constexpr int kSelectedBit = 4;

// get_event's arguments while the features window is open, and after it.
constexpr long kWindowMask = 0x202, kWindowArg2 = 0x100;
constexpr short kWindowFlag = 1;
constexpr long kLoopMask = 0x200;

struct EVENT_ARGS {
    long* mask;
    long* arg2;
    short* arg3;
    void set(long m, long a, short f) const {
        *mask = m;
        *arg2 = a;
        *arg3 = f;
    }
};

CFeatMgrFilter& filter() { return *g_featMgrFilter; }
CDlgAssignFeatures& window() { return *g_assignFeatures; }
CDlgSelCylindersMask& selMask() { return *g_selCylindersMask; }
std::array<std::string, 40>& rowCells() { return *g_featMgrTexts; }
PRM_SETTINGS& settings() { return g_globals->settings; }
std::int16_t& filterItem(int item) { return settings().featMgrFilter[static_cast<std::size_t>(item - 1)]; }

double number(const std::string& text) { return std::strtod(text.c_str(), nullptr); }

void message(const std::string& text, unsigned flags = plat::MB_OK) {
    plat::messageBox(nullptr, text, errorMessage(1), flags);
}

void showMainMenu(bool shown) {
    if (shown) g_mainMenuShown = 1;
    if (g_popupOwner && g_popupOwner->hasWindow()) g_popupOwner->showWindow(shown);
}

// A command run with the main menu out of the way.
template <class Command>
void hidden(Command command) {
    showMainMenu(false);
    command();
    showMainMenu(true);
}

// The mask's lower and upper diameter flags from "FeatMgrFilter" item 6 (1 lower, 2 upper, 3 both).
void diameterFlagsFromSettings(CDlgSelCylindersMask& mask) {
    const std::int16_t both = filterItem(6);
    mask.useMinDiameter = both == 1 || both == 3;
    mask.useMaxDiameter = both == 2 || both == 3;
}

// The filter takes the mask's four flags.
void flagsToFilter(const CDlgSelCylindersMask& mask) {
    CFeatMgrFilter& f = filter();
    f.useColor = mask.useColor;
    f.useLevel = mask.useLevel;
    f.useMinDiameter = mask.useMinDiameter;
    f.useMaxDiameter = mask.useMaxDiameter;
}

// The filter takes the mask's diameter flags and bounds, with absolute tolerances from its fractions.
void boundsToFilter(const CDlgSelCylindersMask& mask) {
    CFeatMgrFilter& f = filter();
    f.useMinDiameter = mask.useMinDiameter;
    f.useMaxDiameter = mask.useMaxDiameter;
    f.minDiameter = mask.minDiameter;
    f.maxDiameter = mask.maxDiameter;
    f.minDiameterTol = mask.minTolerance * mask.minDiameter;
    f.maxDiameterTol = mask.maxTolerance * mask.maxDiameter;
}

// The chosen tap row into the row cells; false when no row was chosen (cell 0 then says so).
bool takeTapRow(const CONFIG_CHOICE& choice) {
    if (choice.row < 0) {
        rowCells()[0] = window().buffer(CDlgAssignFeatures::kNoProcess);
        return false;
    }
    for (std::size_t i = 0; i < rowCells().size(); ++i)
        rowCells()[i] = i < choice.rowCells.size() ? choice.rowCells[i] : std::string();
    filter().tableChoice = choice;
    return true;
}

// ---- code 101 ------------------------------------------------------------------------------------------------

void loadWindowTexts() {
    CTextSection msg;
    (void)msg.load(g_globals->uiTextFile, "msg", false);
    const int lines[CDlgAssignFeatures::kBufferCount] = {20, 21, 22, 23, 24, 25, 26, 27, 28, 31, 32};
    for (int i = 0; i < CDlgAssignFeatures::kBufferCount; ++i) window().setBuffer(i, msg.getText(lines[i]));
}

// 0 when the manager may go on; the shared library's copy or the library check failed otherwise (each
// told by its own message).
bool prepare() {
    if (copyTablesToSharedData() < 0) return false;
    if (checkTablesLibrary(1) != 0) return false;
    (void)loadThreadTables();
    g_records->featureMarks = projectHolesToView(nullptr, g_records->featureMarks, 0);
    (void)featureMarksToView(g_records->featureMarks);
    window().selMask = &selMask();
    window().rowName = rowCells()[0];
    window().depth = filter().depth;
    filter().releaseTree();
    filter().solidsConverted = 0;
    return true;
}

// Marks for the holes chosen in the window, when it was left with "Do it"; then the clean-up of the window.
void assignmentStep(const EVENT_ARGS& args) {
    CFeatMgrFilter& f = filter();
    CDlgAssignFeatures& w = window();
    if (w.doIt) {
        bool cancelled = false;
        if (w.mode == 1 && f.tableChoice.row < 0) {
            const CONFIG_CHOICE choice = chooseTableRow(kThreadTablesClass);
            cancelled = choice.result == 2 || !takeTapRow(choice);
            CDlgSelCylindersMask& mask = selMask();
            diameterFlagsFromSettings(mask);
            mask.minDiameter = number(rowCells()[1]);
            mask.maxDiameter = number(rowCells()[3]);
            boundsToFilter(mask);
            (void)f.apply(1);
        }
        f.depth = w.depth;
        if (!cancelled) {
            auto align = [&] {
                return f.alignFeatures(w.mode, number(rowCells()[1]), number(rowCells()[2]), f.tableChoice.tableKind,
                                       f.depth, w.tableName);
            };
            const int made = align();
            if (made > 0) {
                rebuild_graphics();
            } else if (made == 0 && f.foundCount < 1) {
                message(errorMessage(146));
            } else if (made == 0) {
                const std::string ask = fillText(errorMessage(106), {static_cast<long>(f.foundCount)});
                if (plat::messageBox(nullptr, ask, errorMessage(1), plat::MB_YESNOCANCEL | plat::MB_ICONQUESTION) ==
                    plat::IDYES) {
                    (void)f.selectFeatureLevelEnts();
                    (void)align();
                    rebuild_graphics();
                }
            } else {
                message(errorMessage(147));
            }
        }
    }
    f.rewriteHoleEntities();
    (void)set_clr_sel_bits(0, kSelectedBit, 0, kSelectedBit, kHoleEnts, 1, 0);
    if (f.solidsConverted) {
        blankFeatureEnts(f.viewsTree);
        ent marker{};
        if (g_globals->markerEntry && get_ent_from_eptr(g_globals->markerEntry, &marker) == 1) {
            marker.sel = static_cast<std::uint16_t>(marker.sel & ~kSelBlank);
            (void)rewrite_ent(&marker, 0);
            rebuild_graphics();
        }
    }
    showMainMenu(true);
    args.set(kLoopMask, 0, 0);
}

plat::Menu buildPopup(const CTextSection& texts) {
    plat::Menu menu;
    plat::Menu& import = menu.submenu(texts.getText(11));
    import.item(71, texts.getText(91));
    import.item(72, texts.getText(92));
    plat::Menu& coloured = menu.submenu(texts.getText(20));
    coloured.item(31, texts.getText(71));
    coloured.item(32, texts.getText(72));
    coloured.item(39, texts.getText(73));
    menu.separator();
    menu.item(2, texts.getText(12));
    menu.item(3, texts.getText(13));
    menu.separator();
    menu.item(4, texts.getText(14));
    plat::Menu& editing = menu.submenu(texts.getText(15));
    editing.item(51, texts.getText(51));
    editing.item(52, texts.getText(52));
    menu.separator();
    for (int id = 6; id <= 9; ++id) menu.item(id, texts.getText(10 + id));
    menu.separator();
    menu.item(kMenuExit, texts.getText(2));
    return menu;
}

// The coloured-features configuration on the manager's copies; they take the result on OK.
void editColouredConfiguration() {
    CFeatMgrFilter& f = filter();
    CDlgFeaturesColoredConfig dlg;
    dlg.configName = settings().colourConfigName;
    std::copy(std::begin(f.reamColors), std::end(f.reamColors), dlg.reamColors.begin());
    std::copy(std::begin(f.threadColors), std::end(f.threadColors), dlg.threadColors.begin());
    std::copy(std::begin(f.reamTables), std::end(f.reamTables), dlg.reamTables.begin());
    std::copy(std::begin(f.threadTables), std::end(f.threadTables), dlg.threadTables.begin());
    if (doModalInPluginRes(dlg) != plat::IDOK) return;
    settings().colourConfigName = dlg.configName;
    std::copy(dlg.reamColors.begin(), dlg.reamColors.end(), f.reamColors);
    std::copy(dlg.threadColors.begin(), dlg.threadColors.end(), f.threadColors);
    std::copy(dlg.reamTables.begin(), dlg.reamTables.end(), f.reamTables);
    std::copy(dlg.threadTables.begin(), dlg.threadTables.end(), f.threadTables);
}

// Acts on a popup item; false when the item closes the popup.
bool runItem(int id, std::int16_t& state, std::vector<FEATURE_MARK*>& picks) {
    CFeatMgrFilter& f = filter();
    switch (id) {
    case 71: hidden([] { (void)importInterchgFile(); }); return true;
    case 72: (void)editTapDepthAdditions(); return true;
    case 31:
    case 32:
        if (f.recognizeWithDrillTable() == 0) {
            if (id == 31) (void)createColorFeatureMarks(f.viewsTree, f.reamColors, f.threadColors, f.threadTables, f.reamTables);
            else (void)createTapFeatureMarks(f.viewsTree);
        }
        rebuild_graphics();
        showMainMenu(true);
        return true;
    case 39: editColouredConfiguration(); return true;
    case 2:
    case 3:
        window().mode = static_cast<std::int16_t>(id - 2);
        state = kWindowOpen;
        return false;
    case 4: hidden([&] { (void)editFeatureCmd(&f, 0); }); return true;
    case 51: hidden([&] { (void)editFeatureCmd(&f, 1); }); return true;
    case 52: hidden([&] { (void)editFeatureCmd(&f, 2); }); return true;
    case 6: hidden([&] { (void)deleteOrTurnMarksCmd(0, picks); }); return true;
    case 7: hidden([] { (void)deleteFeaturesCmd(); }); return true;
    case 8:
        if (recognizeFeaturesCmd(g_records->featureMarks, &f) == 0) hidden([&] { (void)deleteOrTurnMarksCmd(1, picks); });
        return true;
    case 9: (void)deleteOrTurnMarksCmd(2, picks); return true;
    default: state = kClosing; return false;   // 129 or nothing chosen
    }
}

void openWindow(const EVENT_ARGS& args) {
    CFeatMgrFilter& f = filter();
    CDlgAssignFeatures& w = window();
    CDlgSelCylindersMask& mask = selMask();
    (void)f.apply(0);
    mask.color = static_cast<std::uint16_t>(main_color);
    mask.level = main_level;
    mask.minDiameter = f.minDiameter;
    mask.maxDiameter = f.maxDiameter;
    mask.minTolerance = f.minTolerance;
    mask.maxTolerance = f.maxTolerance;
    mask.useColor = mask.useLevel = mask.useMinDiameter = mask.useMaxDiameter = 0;
    mask.kind = w.mode;
    if (w.mode == 0) {
        mask.useColor = filterItem(1) != 0;
        mask.useLevel = filterItem(2) != 0;
        mask.useMinDiameter = filterItem(3) != 0;
        f.mode = 0;
        flagsToFilter(mask);
        f.minTolerance = mask.minTolerance;
        f.maxTolerance = mask.maxTolerance;
    } else {
        mask.useColor = filterItem(4) != 0;
        mask.useLevel = filterItem(5) != 0;
        diameterFlagsFromSettings(mask);
        mask.minDiameter = number(rowCells()[1]);
        mask.maxDiameter = number(rowCells()[3]);
        f.mode = 1;
        flagsToFilter(mask);
        f.minTolerance = mask.minTolerance;
        f.maxTolerance = mask.maxTolerance;
        boundsToFilter(mask);
        rowCells()[0] = w.buffer(CDlgAssignFeatures::kNoProcess);
        f.tableChoice = CONFIG_CHOICE{};
    }
    w.rowName = rowCells()[0];
    w.depth = f.depth;
    w.showSelectionInfo(mask, rowCells()[0], f);
    w.pendingCode = kFeaturesManager;
    w.doIt = 0;
    w.activate();
    w.showWindow(true);
    w.setTopmost(true);
    g_mainMenuShown = 0;
    showMainMenu(false);
    args.set(kWindowMask, kWindowArg2, kWindowFlag);
    w.seeAll = 0;
}

// The popup, shown again at one place after each item until an item closes it; then the window opens
// (after the recognition it needs) or the manager's run ends.
void popupRun(std::int16_t& state, const EVENT_ARGS& args, const CTextSection& texts) {
    const plat::Point at = plat::cursorPos();
    for (;;) {
        state = kIdle;
        std::vector<FEATURE_MARK*> picks;   // the picked marks, kept from one item to the next
        {
            const plat::Menu menu = buildPopup(texts);
            while (runItem(plat::trackPopupMenu(menu, plat::TPM_RETURNCMD, at, g_popupOwner), state, picks)) {
            }
        }
        clearprompt();
        if (state != kWindowOpen) break;
        window().doIt = 0;
        const int recognised = filter().recognizeWithDrillTable();
        if (recognised < 0) return;   // the state stays 2: the next 101 cleans up and shows the popup
        if (recognised == 0) {
            openWindow(args);
            return;
        }
        // No hole to gather, which the recognition has told: the popup again, as the user left it.
    }
    state = kIdle;
    filter().releaseTree();
    (void)copyTablesFromSharedData();
}

void featuresManager(std::int16_t& state, const EVENT_ARGS& args) {
    loadWindowTexts();
    CTextSection texts;
    (void)texts.load(g_globals->uiTextFile, "FeatMgrMenu", true);
    if (state == kIdle && !prepare()) return;
    if (state == kWindowOpen) assignmentStep(args);
    popupRun(state, args, texts);
}

// ---- the window's buttons --------------------------------------------------------------------------------------

// Picks one entity for a bound of the mask; the segment that holds it gives the diameter.
void pickBound(double& bound) {
    (void)filter().apply(2);
    ent picked{};
    db_ptr entry = 0;
    if (select_ent("*", 1, 0x1f1fff, 1, &picked, &entry) != 1) return;
    sel_bit_turn_off(&picked, kSelectedBit);
    (void)rewrite_ent(&picked, 0);
    repaint_graphics();
    if (const CYL_LIST* segment = filter().findHoleByEntity(picked.id)) bound = 2 * segment->rSup;
}

void pickLevel(CDlgSelCylindersMask& mask) {
    (void)filter().apply(4);
    std::int32_t level = mask.level;
    const int chosen = sel_level_dialog(nullptr, 0, 0, &level);
    std::vector<std::int32_t> active;
    (void)get_active_levels(&active);
    for (std::int32_t l : active)
        if (l != settings().featuresLevel && l != settings().isolationLevel) set_level_visible(l, 0);
    if (chosen) mask.level = level;
}

// The mask dialog, run again after each pick it asks for; its OK gives the filter its bounds.
void maskCycle() {
    CFeatMgrFilter& f = filter();
    CDlgSelCylindersMask& mask = selMask();
    f.depth = window().depth;
    int result = 0;
    do {
        result = doModalInPluginRes(mask);
        f.minTolerance = mask.minTolerance;
        f.maxTolerance = mask.maxTolerance;
        if (result == 101) pickBound(mask.minDiameter);
        else if (result == 102) pickBound(mask.maxDiameter);
        else if (result == 103) {
            (void)f.apply(3);
            int colour = mask.color;
            if (sel_color_dialog(&colour)) mask.color = static_cast<std::uint16_t>(colour);
        } else if (result == 104) {
            pickLevel(mask);
        }
    } while (result != plat::IDOK && result != plat::IDCANCEL && result >= 0);
    if (result == plat::IDOK) {
        if (f.mode == 0) {
            if (mask.useMinDiameter && mask.useMaxDiameter) {
                const bool swapped = mask.maxDiameter < mask.minDiameter;
                const double low = swapped ? mask.maxDiameter : mask.minDiameter;
                const double high = swapped ? mask.minDiameter : mask.maxDiameter;
                f.minDiameter = low;
                f.maxDiameter = high;
                f.minDiameterTol = (swapped ? mask.maxTolerance : mask.minTolerance) * low;
                f.maxDiameterTol = (swapped ? mask.minTolerance : mask.maxTolerance) * high;
            } else if (mask.useMinDiameter) {
                f.minDiameter = f.maxDiameter = mask.minDiameter;
                f.minDiameterTol = f.maxDiameterTol = mask.minTolerance * mask.minDiameter;
            }
            filterItem(3) = mask.useMinDiameter;
            filterItem(1) = mask.useColor;
            filterItem(2) = mask.useLevel;
        } else {
            if (mask.useMinDiameter) {
                f.minDiameter = mask.minDiameter;
                f.minDiameterTol = mask.minTolerance * mask.minDiameter;
            }
            if (mask.useMaxDiameter) {
                f.maxDiameter = mask.maxDiameter;
                f.maxDiameterTol = mask.maxTolerance * mask.maxDiameter;
            }
            filterItem(4) = mask.useColor;
            filterItem(5) = mask.useLevel;
            filterItem(6) = static_cast<std::int16_t>((mask.useMinDiameter ? 1 : 0) + (mask.useMaxDiameter ? 2 : 0));
        }
        flagsToFilter(mask);
        f.color = mask.color;
        f.level = mask.level;
    }
    const bool none = !mask.useColor && !mask.useLevel && !mask.useMinDiameter && !mask.useMaxDiameter;
    if (f.apply(none ? 3 : 1) == -1) message(errorMessage(147));
}

void unselectPicked() {
    std::string prompt;
    (void)getHostText("msg", prompt, 7);
    for (;;) {
        ent picked{};
        db_ptr entry = 0;
        if (select_ent(prompt.c_str(), kSelectedBit, kHoleEnts, 1, &picked, &entry) != 1) break;
        sel_bit_turn_off(&picked, kSelectedBit);
        (void)rewrite_ent(&picked, 0);
        repaint_graphics();
    }
    clearprompt();
}

void selectMultiple() {
    std::string prompt;
    (void)getHostText("msg", prompt, window().mode == 1 ? 11 : 6);
    (void)select_ents(prompt.c_str(), kHoleEnts, nullptr);
    clearprompt();
}

// A tap row chosen in the configuration narrows the mask to its diameters and the selected holes' range.
void filterByTapRow() {
    CFeatMgrFilter& f = filter();
    f.depth = window().depth;
    const CONFIG_CHOICE choice = chooseTableRow(kThreadTablesClass);
    if (choice.result == 2 || !takeTapRow(choice)) return;
    CDlgSelCylindersMask& mask = selMask();
    diameterFlagsFromSettings(mask);
    mask.minDiameter = number(rowCells()[1]);
    mask.maxDiameter = number(rowCells()[3]);
    double low = 0, high = 0;
    if (f.maxHoleDiameter(&low, &high) != 0) {
        if (low < mask.minDiameter) mask.minDiameter = low;
        if (high > mask.maxDiameter) mask.maxDiameter = high;
    }
    boundsToFilter(mask);
    const int result = f.apply(1);
    if (f.foundCount < 1) message(errorMessage(146) + (result == -1 ? "\n" + errorMessage(147) : std::string()));
}

}  // namespace

int featuresManagerMenu(int code, std::int16_t* state, long* mask, long* arg2, short* arg3) {
    const EVENT_ARGS args{mask, arg2, arg3};
    CFeatMgrFilter& f = filter();
    switch (code) {
    case kFeaturesManager: featuresManager(*state, args); return 0;
    case 2001:
        window().seeAll = window().seeAll ? 0 : 1;
        (void)f.apply(window().seeAll ? 5 : 6);
        return 0;
    case 2002: post_FT_command("Partforge", "AnalyzeDynoStart"); return 1;
    case 2003: maskCycle(); return 0;
    case 2005: unselectPicked(); return 0;
    case 2006: (void)f.selectFeatureLevelEnts(); return 0;
    case 2007: selectMultiple(); return 0;
    case 2008: filterByTapRow(); return 0;
    default: return 0;   // 2004 and every other code: nothing here
    }
}
