// A TFF features file: the input as the file's text, read into an imported-feature list.
#include "fuzz_support.h"
#include "import_list_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    (void)fuzz::installPlugin();
    IMPORT_FAULT fault;
    fuzz::checkImportList(readTffText(fuzz::text(data, size), fault), fault, size);
    plat::driver().reset();
    return 0;
}
