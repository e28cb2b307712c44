// What the other subsystems use of features and forms: the feature-mark list and its laying onto the tree,
// the drawing of a table's forms as solids, and the drawing routines of a table's picture. Stand-ins where
// docs/seams.md says so.
#pragma once
#include <cstdint>

#include "platform/ui/canvas.h"
#include "platform/ui/dialog.h"

struct FEATURE_MARK;
struct VIEW_LIST;
class CTabColsDesc;

// ---- feature marks ----------------------------------------------------------------------------------------------

void redrawFeatureMarks(FEATURE_MARK* marks);
// Appends a heap copy of the mark (its next link and solid count cleared) to CYCLE_RECORDS::featureMarks
// and counts it; `draw` 1 would draw it (the stand-in draws nothing). Returns 0.
int addFeatureMark(const FEATURE_MARK& mark, std::int16_t draw, int reserved);
// The marks to lay onto the tree: the stand-in checks nothing and returns the list as given.
FEATURE_MARK* projectHolesToView(VIEW_LIST* tree, FEATURE_MARK* marks, int reserved);
// Brings the marks' stored positions up to date: the stand-in's are always current.
void featureMarksToView(FEATURE_MARK* marks);
// Compares the marks with each other after new ones were added: nothing in the stand-in.
void matchImportedFeatures();

// ---- forms -------------------------------------------------------------------------------------------------------

// Draws the forms of a table as solids (mode 0 from surfaces, 1 from solids; resume 1 continues an open
// drawing): 0 done, 1 show the configuration again, 2 the same with its action reset, 3 end the run.
int drawShapesManager(CTabColsDesc* table, std::int16_t selectedRow, std::int16_t resume, std::int16_t mode);

// ---- drawing in a table's picture ---------------------------------------------------------------------------------
// Each selects its own pen (and brush), draws and selects the previous ones again. Integer pixels, y down;
// angles in degrees counter-clockwise from +x, so a direction a points to (cos a, -sin a) on the screen.
// Colours are plat::rgb values.

void drawLineSolid1(plat::Canvas& dc, int x1, int y1, int x2, int y2, plat::Color colour);
void drawLineSolid3(plat::Canvas& dc, int x1, int y1, int x2, int y2, plat::Color colour);
// A filled arrowhead with its tip at (x, y), opening towards `direction`, sides `length` long, 36° wide.
void drawFilledArc(plat::Canvas& dc, int x, int y, double direction, int length, plat::Color colour);
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
