// A TFF features file: the input as the file's text, read into an imported-feature list whose counts must
// stay within the record; a refused file names a line of the input.
#include <cstdlib>

#include "fuzz_support.h"
#include "plugin/import/interchange_import.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    (void)fuzz::installPlugin();
    IMPORT_FAULT fault;
    IMPORT_FEAT* head = readTffText(fuzz::text(data, size), fault);
    if (fault.line != 0 && (head || fault.line < 0 || static_cast<std::size_t>(fault.line) > size + 1)) std::abort();
    for (const IMPORT_FEAT* f = head; f; f = f->next)
        if (f->positionCount < 0 || f->positionCount > kMaxImportPositions || f->segmentCount < 0 ||
            f->segmentCount > kMaxImportSegments)
            std::abort();
    freeImportFeats(head);
    plat::driver().reset();
    return 0;
}
