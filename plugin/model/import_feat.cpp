// The release of an imported-feature list.
#include "plugin/model/import_feat.h"

int freeImportFeats(IMPORT_FEAT* first) {
    while (first) {
        IMPORT_FEAT* next = first->next;
        delete first;
        first = next;
    }
    return 0;
}
