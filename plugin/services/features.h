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
#include "plugin/base/part_record.h"
#include "plugin/base/text_section.h"

namespace plat {
class Dialog;
}

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

// Asks for the level a form's shape is drawn on and whether help points go on its axis (form_shape_settings.cpp),
// starting from the values given; true with the values taken after OK, false (the values kept) otherwise.
bool askFormShapeSettings(std::int32_t& level, std::uint8_t& helpPoints);

// ---- the coloured features ----------------------------------------------------------------------------------------

// One coloured-features configuration: the colour and table of each reaming and thread class.
struct COLOURED_FEATURES {
    std::array<std::uint8_t, 6> reamColors{};
    std::array<std::string, 6> reamTables;
    std::array<std::uint8_t, 3> threadColors{};
    std::array<std::string, 3> threadTables;
};

// Which host colour stands for which reaming and thread class, and its process table, as named
// configurations (coloured_features.cpp), shown over `parent` from the configuration named and the classes
// given; true with what the user left after OK, false (everything kept) otherwise. Its buttons save, rename
// and delete configuration files at once.
bool editColouredFeatures(std::string& configName, COLOURED_FEATURES& classes, plat::Dialog* parent);
