// What the core uses of features and forms. Stand-ins until that subsystem is built (docs/seams.md).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "host/api.h"
#include "platform/ui/dialog.h"

// One temporary 3D line of the host graphics, drawn again when the host repaints (kind 2).
struct DRAW_ENTS_LIST {
    std::int32_t id = 0;
    std::int16_t kind = 0;
    std::uint8_t colour = 0;
    l_3d line;
};

struct FEATURE_MARK;
struct VIEW_LIST;
void redrawFeatureMarks(FEATURE_MARK* marks);

// Appends a heap copy of the mark (its next link and solid count cleared) to PLUGIN_GLOBALS::featureMarks
// and counts it; `draw` 1 would draw it (the stand-in draws nothing). Returns 0.
int addFeatureMark(const FEATURE_MARK& mark, std::int16_t draw, int reserved);
// The marks to lay onto the tree: the stand-in checks nothing and returns the list as given.
FEATURE_MARK* projectHolesToView(VIEW_LIST* tree, FEATURE_MARK* marks, int reserved);
// Brings the marks' stored positions up to date: the stand-in's are always current.
void featureMarksToView(FEATURE_MARK* marks);
// Compares the marks with each other after new ones were added: nothing in the stand-in.
void matchImportedFeatures();

// Runs the features manager's share of a command code (101, 2001-2008); non-zero ends the command loop
// after this command. It may change the loop's event mask and the two further get_event arguments.
int featuresManagerMenu(int code, std::int16_t* state, long* mask, long* arg2, short* arg3);

class CDlgViewAllGeo : public plat::Dialog {
public:
    CDlgViewAllGeo() : plat::Dialog(18046) {}
};

class CFeatMgrFilter;
class CDlgSelCylindersMask;

class CDlgAssignFeatures : public plat::Dialog {
public:
    CDlgAssignFeatures() : plat::Dialog(18047) {}
    void showSelectionInfo(CDlgSelCylindersMask&, const std::string&, CFeatMgrFilter&) {}
};

class CDlgPreselView : public plat::Dialog {
public:
    CDlgPreselView() : plat::Dialog(18106) {}
    void createImageList() {}
    void resetGroups() { ++groupNumber; }
    void init() {}
    void restoreColors() {}
    int groupNumber = 0;
};

// The features manager's working copy of its settings while the command loop runs.
class CFeatMgrFilter {
public:
    double toleranceA = 0, toleranceB = 0;
    std::uint8_t reamColours[6] = {};
    std::uint8_t threadColours[3] = {};
    std::string threadTables[3];
    std::string reamTables[6];
    std::uint8_t pickActive = 0;
    std::int32_t pickCount = 0;
    std::uint8_t pickDone = 0;
};
class CDlgSelCylindersMask {};

class CTabColsDesc;
// Draws the forms of a table as solids (mode 0 from surfaces, 1 from solids; resume 1 continues an open
// drawing): 0 done, 1 show the configuration again, 2 the same with its action reset, 3 end the run.
int drawShapesManager(CTabColsDesc* table, std::int16_t selectedRow, std::int16_t resume, std::int16_t mode);
