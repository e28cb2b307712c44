// The recognition tree's stored images (tree_codec.h) and the work cycle's image table: the first byte
// picks the reader, the rest is the image.
#include "fuzz_support.h"
#include "plugin/cycle/records.h"
#include "plugin/model/tree.h"
#include "plugin/model/tree_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    const int kind = in.u8() % 5;
    const std::vector<std::uint8_t> image = in.rest();
    switch (kind) {
    case 0: {
        VIEW_LIST v{};
        VIEW_LINKS links;
        (void)readViewImage(image.data(), image.size(), v, &links);
        break;
    }
    case 1: {
        POINT_LIST p{};
        POINT_LINKS links;
        (void)readPointImage(image.data(), image.size(), p, &links);
        break;
    }
    case 2: {
        CYL_LIST c{};
        CYL_LINKS links;
        (void)readCylImage(image.data(), image.size(), c, &links);
        break;
    }
    case 3: {
        CYL_LIST c{};
        CYL_LINKS links;
        (void)readOldCylImage(image.data(), image.size(), c, &links);
        break;
    }
    case 4: {
        const std::vector<RECORD_ENTRY> table = decodeRecordTable(image);
        if (encodeRecordTable(table).size() != table.size() * kRecordEntrySize) __builtin_trap();
        break;
    }
    }
    return 0;
}
