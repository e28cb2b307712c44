// A KTW features file: the input as the file's text, its elements indexed and its drill elements read into
// an imported-feature list, with the metric tolerances (T = 0.025).
#include "fuzz_support.h"
#include "import_list_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    (void)fuzz::installPlugin();
    g_tolerances.tol004T = 0.001;
    g_tolerances.tol0004T = 0.0001;
    IMPORT_FAULT fault;
    fuzz::checkImportList(readKtwText(fuzz::text(data, size), fault), fault, size);
    plat::driver().reset();
    return 0;
}
