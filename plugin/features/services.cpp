// Stand-ins for features and forms (docs/seams.md): no feature marks are drawn yet.
#include "plugin/features/services.h"

#include "plugin/base/globals.h"
#include "plugin/model/feature_mark.h"

void redrawFeatureMarks(FEATURE_MARK*) {}
int drawShapesManager(CTabColsDesc*, std::int16_t, std::int16_t, std::int16_t) { return 0; }

int featuresManagerMenu(int, std::int16_t*, long*, long*, short*) { return 0; }

int addFeatureMark(const FEATURE_MARK& mark, std::int16_t, int) {
    auto* copy = new FEATURE_MARK(mark);
    copy->next = nullptr;
    copy->solidCount = 0;
    FEATURE_MARK** link = &g_globals->featureMarks;
    while (*link) link = &(*link)->next;
    *link = copy;
    ++g_globals->featureMarkCount;
    return 0;
}

FEATURE_MARK* projectHolesToView(VIEW_LIST*, FEATURE_MARK* marks, int) { return marks; }
void featureMarksToView(FEATURE_MARK*) {}
void matchImportedFeatures() {}
