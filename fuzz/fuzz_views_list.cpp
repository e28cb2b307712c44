// The stored views lists: the first byte picks the "OSVSd01" list in force or a "DOSV"/"DOSW" list.
#include "fuzz_support.h"
#include "plugin/base/views_list.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    const bool ex = in.u8() & 1;
    const std::vector<std::uint8_t> payload = in.rest();
    if (ex) {
        COnlySelViewsListEx list;
        const int count = list.decode(payload);
        if (count < 0) __builtin_trap();
        for (int i = 0; i < list.getCount(); ++i) (void)list.getItem(i);
    } else {
        COnlySelViewsList list(1);
        if (list.decode(payload)) {
            std::uint16_t number = 0, key = 0;
            double matrix[3][3];
            for (int i = 0; i <= list.count(); ++i) list.getItem(i, &number, &key, matrix);
        }
    }
    return 0;
}
