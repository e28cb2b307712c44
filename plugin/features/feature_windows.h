// The features manager's windows and working state that the work cycle holds from the library's load to its
// unload, and its share of the command loop's codes. Stand-ins until features are built (docs/seams.md).
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "host/api.h"
#include "platform/ui/dialog.h"
#include "plugin/base/load_time.h"
#include "plugin/services/features.h"

// One temporary 3D line of the host graphics, drawn again when the host repaints (kind 2).
struct DRAW_ENTS_LIST {
    std::int32_t id = 0;
    std::int16_t kind = 0;
    std::uint8_t colour = 0;
    l_3d line;
};

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

extern LoadTime<CDlgViewAllGeo> g_viewAllGeo;
extern LoadTime<CDlgAssignFeatures> g_assignFeatures;
extern LoadTime<CDlgPreselView> g_preselView;
extern LoadTime<std::vector<DRAW_ENTS_LIST>> g_drawEnts;
extern LoadTime<CFeatMgrFilter> g_featMgrFilter;
extern LoadTime<CDlgSelCylindersMask> g_selCylindersMask;
extern LoadTime<std::array<std::string, 40>> g_featMgrTexts;
