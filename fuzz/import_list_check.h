// What the interchange readers' targets check of a result: a refused input gives no list and names one of
// its lines; every record's counts stay within its slots, and features cut to them name a line. The list is released.
#pragma once
#include <cstdlib>

#include "plugin/import/interchange_import.h"

namespace fuzz {

inline void checkImportList(IMPORT_FEAT* head, const IMPORT_FAULT& fault, std::size_t size) {
    if (fault.line != 0 && (head || fault.line < 0 || static_cast<std::size_t>(fault.line) > size + 1)) std::abort();
    // Features cut to a record's ten are told with the line of the first.
    if ((fault.cutFeatures > 0) != (fault.firstCutLine > 0) || static_cast<std::size_t>(fault.firstCutLine) > size + 1)
        std::abort();
    for (const IMPORT_FEAT* f = head; f; f = f->next)
        if (f->positionCount < 0 || f->positionCount > kMaxImportPositions || f->segmentCount < 0 ||
            f->segmentCount > kMaxImportSegments)
            std::abort();
    freeImportFeats(head);
}

}  // namespace fuzz
