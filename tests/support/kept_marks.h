// The feature marks of the cycle as tests read and release them: the marks a part keeps, read back as the
// next cycle would, and the cycle's list emptied.
#pragma once
#include <vector>

#include "plugin/cycle/records.h"
#include "plugin/features/feature_marks.h"
#include "plugin/model/feature_mark.h"
#include "plugin/model/tree.h"
#include "plugin/model/work_records.h"

// Frees the cycle's marks and leaves the list empty.
inline void freeCycleMarks() {
    freeFeatureMarkList(g_records->featureMarks);
    g_records->featureMarks = nullptr;
    g_records->featureMarkCount = 0;
}

// Copies of the marks the part keeps; the cycle's list is left empty.
inline std::vector<FEATURE_MARK> keptFeatureMarks() {
    VIEW_LIST* tree = nullptr;
    loadAllRecords(&tree);
    freeViewsTree(tree);
    std::vector<FEATURE_MARK> marks;
    for (FEATURE_MARK* m : listedMarks(g_records->featureMarks)) marks.push_back(*m);
    freeCycleMarks();
    return marks;
}
