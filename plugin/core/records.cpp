// Stand-ins (docs/seams.md).
#include "plugin/core/records.h"

#include "plugin/core/views_list.h"

int loadAllRecords(VIEW_LIST** tree) {
    *tree = nullptr;
    return 0;
}
int saveAllRecords(VIEW_LIST*) { return 0; }
void freeViewsTree(VIEW_LIST*) {}
void freeGenOpGroups(GEN_OP_GROUP*) {}
void freeFeatureMarks(FEATURE_MARK*) {}
