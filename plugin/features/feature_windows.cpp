// The features manager's load-time objects.
#include "plugin/features/feature_windows.h"

#include "plugin/base/globals.h"
#include "plugin/model/tree.h"

LoadTime<CDlgViewAllGeo> g_viewAllGeo;
LoadTime<CDlgAssignFeatures> g_assignFeatures;
LoadTime<CDlgPreselView> g_preselView;
LoadTime<std::vector<DRAW_ENTS_LIST>> g_drawEnts;
LoadTime<CFeatMgrFilter> g_featMgrFilter;
LoadTime<CDlgSelCylindersMask> g_selCylindersMask;
LoadTime<std::array<std::string, 40>> g_featMgrTexts;

// Built when the library loads, before any part or setting is known: the tolerances are still 0 then, so the
// bounds and tolerances that follow from T start at 0 too.
CFeatMgrFilter::CFeatMgrFilter()
    : color(static_cast<std::uint16_t>(main_color)),
      level(main_level),
      maxDiameter(1000 * g_tolerances.tol4T),
      minTolerance(g_tolerances.tol4T),
      maxTolerance(g_tolerances.tol4T),
      minDiameterTol(g_tolerances.tol4T),
      maxDiameterTol(g_tolerances.tol4T) {}

CFeatMgrFilter::~CFeatMgrFilter() { freeViewsTree(viewsTree); }

void CFeatMgrFilter::releaseTree() {
    freeViewsTree(viewsTree);
    viewsTree = nullptr;
    recognized = 0;
}
