// Stand-ins for features and forms (docs/seams.md): no feature marks are drawn yet.
#include "plugin/features/feature_windows.h"
#include "plugin/model/feature_mark.h"
#include "plugin/model/tab_cols_desc.h"
#include "plugin/model/tree.h"
#include "plugin/model/work_records.h"
#include "plugin/services/features.h"

LoadTime<CDlgViewAllGeo> g_viewAllGeo;
LoadTime<CDlgAssignFeatures> g_assignFeatures;
LoadTime<CDlgPreselView> g_preselView;
LoadTime<std::vector<DRAW_ENTS_LIST>> g_drawEnts;
LoadTime<CFeatMgrFilter> g_featMgrFilter;
LoadTime<CDlgSelCylindersMask> g_selCylindersMask;
LoadTime<std::array<std::string, 40>> g_featMgrTexts;

void redrawFeatureMarks(FEATURE_MARK*) {}
int drawShapesManager(CTabColsDesc*, std::int16_t, std::int16_t, std::int16_t) { return 0; }

int featuresManagerMenu(int, std::int16_t*, long*, long*, short*) { return 0; }

int addFeatureMark(const FEATURE_MARK& mark, std::int16_t, int) {
    auto* copy = new FEATURE_MARK(mark);
    copy->next = nullptr;
    copy->solidCount = 0;
    FEATURE_MARK** link = &g_records->featureMarks;
    while (*link) link = &(*link)->next;
    *link = copy;
    ++g_records->featureMarkCount;
    return 0;
}

FEATURE_MARK* projectHolesToView(VIEW_LIST*, FEATURE_MARK* marks, int) { return marks; }
void featureMarksToView(FEATURE_MARK*) {}
void matchImportedFeatures() {}
