// What the other subsystems use of features and forms: the feature-mark list and its laying onto the tree,
// the highlighting of recognised holes, the drawing of a table's forms as solids, and the drawing routines of
// a table's picture. Stand-ins where docs/seams.md says so.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/canvas.h"
#include "platform/ui/dialog.h"
#include "plugin/base/part_record.h"
#include "plugin/base/text_section.h"

struct FEATURE_MARK;
struct VIEW_LIST;
struct POINT_LIST;
class CTabColsDesc;

// ---- feature marks ----------------------------------------------------------------------------------------------
// The list is CYCLE_RECORDS::featureMarks with its count featureMarkCount (plugin/model/work_records.h); it owns
// its records. A mark is drawn as a thread arc (tapped) and a hole circle (fitted) in the host view of its
// direction, with a note of its fit class; each arc carries its own id in its sweep.

// Appends a heap copy of the mark (next link and drawn ids cleared) and counts it; draws it on `level`
// (0: the host's current level) when `draw` is non-zero. The copy; null when memory ran out or the list
// holds kMaxFeatureMarks already.
FEATURE_MARK* addFeatureMark(const FEATURE_MARK& mark, std::uint8_t draw, std::int32_t level);
// addFeatureMark of each mark in order, the list walked once and the graphics repainted once. `goOn`, when
// given, is asked before each mark with the number added so far; false stops there. The number added.
std::size_t addFeatureMarks(std::span<const FEATURE_MARK> marks, std::uint8_t draw, std::int32_t level,
                            const std::function<bool(std::size_t)>& goOn = {});
// Gives the arcs of every fitted mark the feature-arc colour ("General" 4). Returns 0.
int redrawFeatureMarks(FEATURE_MARK* head);
// Checks every mark of the list from `head` against the part: a mark whose solids or arcs are gone, that
// has no arc, or whose origin is `dropOrigin` (0: none) leaves the list with its entities; arcs the host
// renumbered are found again. The head after the drops (callers store it as the list's head). `tree` is not
// used.
FEATURE_MARK* projectHolesToView(VIEW_LIST* tree, FEATURE_MARK* head, std::int16_t dropOrigin);
// Takes each mark's point and direction back from its drawn arcs, so that marks follow arcs the user moved.
// Returns 0.
int featureMarksToView(FEATURE_MARK* head);
// Removes the marks that repeat another at the same place, in the same sense, with the same feature data,
// keeping the shorter one (the earlier of equal ones). The number removed.
int matchImportedFeatures();

// ---- hole highlighting ------------------------------------------------------------------------------------------
// The entities of recognised holes painted in the host's selection colour (`paint` 1), each keeping its own
// colour in its entry, or given that colour back (0). A hole takes part when the state mask names one of
// its states (every bit set: every hole; 0: none) and, with `onlyMarked`, when it is selected.

// From `hole` along its chain of equal holes; `single` 1 stops after `hole` itself. Returns 0.
int setHoleEntities(POINT_LIST* hole, std::int16_t single, std::uint8_t paint, std::uint32_t mask,
                    std::uint8_t onlyMarked);
// The head holes of the view (null: nothing), and of every view of the list. Return 0.
int setGroupEntities(VIEW_LIST* view, std::uint8_t paint, std::uint32_t mask, std::uint8_t onlyMarked);
int setGroupListEntities(VIEW_LIST* views, std::uint8_t paint, std::uint32_t mask, std::uint8_t onlyMarked);

// ---- forms -------------------------------------------------------------------------------------------------------

// Draws the hole form of a table row at places the user picks: mode 0 as surfaces of revolution, mode 1 cut
// out of the part's solids (resume 1: the picks come first, the form design dialog only after them).
// 0 when the dialog was cancelled or the row has no form to draw (told), 3 when the picks ended (Esc, an
// empty pick, or Enter after the points of mode 1), -1 when a feature mark could not be added.
int drawShapesManager(CTabColsDesc* table, std::int16_t selectedRow, std::int16_t resume, std::int16_t mode);

// ---- drawing in a table's picture and the form design dialog's preview -------------------------------------------
// Each selects its own pen (and brush), draws and selects the previous ones again. Integer pixels, y down;
// angles in degrees counter-clockwise from +x, so a direction a points to (cos a, -sin a) on the screen.
// Colours are plat::rgb values.

// Solid lines 1, 2 and 3 pixels wide, and a dash-dot line 1 pixel wide.
void drawLineSolid1(plat::Canvas& dc, int x1, int y1, int x2, int y2, plat::Color colour);
void drawLineSolid2(plat::Canvas& dc, int x1, int y1, int x2, int y2, plat::Color colour);
void drawLineSolid3(plat::Canvas& dc, int x1, int y1, int x2, int y2, plat::Color colour);
void drawLineStyle3(plat::Canvas& dc, int x1, int y1, int x2, int y2, plat::Color colour);
// The circular arc about (cx, cy) from `start` over `sweep` degrees: counter-clockwise for a sweep of 0 or
// more, clockwise for a negative one.
void drawArcPath(plat::Canvas& dc, int cx, int cy, int radius, double start, double sweep, plat::Color colour);
// A filled arrowhead with its tip at (x, y), opening towards `direction`, sides `length` long, 36° wide.
void drawFilledArc(plat::Canvas& dc, int x, int y, double direction, int length, plat::Color colour);
// The mark of a step that can get a feature mark: three arrowhead outlines (sides 12 pixels, 50° wide) side
// by side, 5 pixels apart, tips on the line through (x, y) across the direction.
void drawMarkSymbol(plat::Canvas& dc, int x, int y, double direction, plat::Color colour);
void drawTextRightAligned(plat::Canvas& dc, int x, int y, std::string_view text, plat::Color colour);
// A thread of core width d and tooth depth h, one tooth per pitch p, from `top` down over `length`; nothing
// when any size is below 1.
void drawShapeSketch(plat::Canvas& dc, int cx, int top, int d, int h, int p, int length, plat::Color penColour,
                     plat::Color fillColour);

// ---- the form's shape settings ------------------------------------------------------------------------------------

// The level a form's shape is drawn on and whether help points go on its axis (form_shape_settings.cpp). The
// caller sets both, runs the dialog and reads them back after OK.
class CDlgUserToolsMgr : public plat::Dialog {
public:
    static constexpr int kTemplate = 18105, kLevel = 18098, kHelpPoints = 18204, kLevelLabel = 18207,
                         kLevelList = 18041;
    CDlgUserToolsMgr();

    std::int32_t level = 0;          // the host's current level until the caller sets it
    std::uint8_t helpPoints = 0;

protected:
    bool onInitDialog() override;
    void onOK() override;
};

// ---- the coloured features ----------------------------------------------------------------------------------------

// One coloured-features configuration: the colour and table of each reaming and thread class.
struct COLOURED_FEATURES {
    std::array<std::uint8_t, 6> reamColors{};
    std::array<std::string, 6> reamTables;
    std::array<std::uint8_t, 3> threadColors{};
    std::array<std::string, 3> threadTables;
};

// Which host colour stands for which reaming and thread class, and its process table, as named
// configurations ("<name>.ReamCfg" in the forms folder of the units; plugin/features/coloured_features.h).
// The caller sets `configName` and the colours and tables, runs it and takes them back after IDOK. Its
// buttons save, rename and delete configuration files at once.
class CDlgFeaturesColoredConfig : public plat::Dialog {
public:
    static constexpr int kTemplate = 18200;
    static constexpr int kReamColour = 5000, kReamPick = 5010, kReamRgb = 5020, kReamTable = 5030;
    static constexpr int kThreadColour = 5040, kThreadPick = 5050, kThreadRgb = 5060, kThreadTable = 5070;
    static constexpr int kConfigs = 5080, kSaveAs = 5081, kRename = 5082, kDelete = 5083;
    static constexpr int kReamFrame = 5090, kConfigFrame = 5091, kThreadFrame = 5092, kReamColourHead = 5093,
                         kReamTableHead = 5094, kThreadColourHead = 5095, kThreadTableHead = 5096;
    static constexpr const char* kExtension = "ReamCfg";

    CDlgFeaturesColoredConfig();

    std::string configName;
    std::vector<RGB_COLOR_NUM> hostColors;     // the palette, with what the part's table translates
    std::vector<RGB_COLOR_NUM> vertaColors;
    std::array<std::uint8_t, 3> threadColors{};
    std::array<std::string, 3> threadTables;
    std::array<std::uint8_t, 6> reamColors{};
    std::array<std::string, 6> reamTables;

protected:
    bool onInitDialog() override;
    void onOK() override;

private:
    COLOURED_FEATURES members() const;
    void takeMembers(const COLOURED_FEATURES& config);
    // Lists the configuration files (writing "Default" from the members when there is none) and selects
    // the one of that name, or the first; configName follows the selection.
    void listConfigFiles(const std::string& select);
    void readConfigFile();
    bool writeConfigFile();
    void loadControls();
    void saveControls();
    std::string selectedConfig() const;
    // The name typed in the entry for Save as and Rename; "" when cancelled or refused (after a message).
    std::string askName(const std::string& start);
    void onConfigChanged();
    void onSaveAs();
    void onRename();
    void onDelete();
    void onPickColour(int field, bool warn);
    void onRgb(int field, bool warn);
    void warnIfSelectionColour(int colour);
    void tell(int line, const std::string& name);

    CTextSection texts_;
};
