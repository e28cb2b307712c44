// A sectioned text file (the UI texts, settings and colour configurations share the format): the input as
// the file, a few sections loaded from it and every item read back through each getter.
#include "fuzz_support.h"
#include "plugin/base/text_section.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string file = fuzz::installPlugin() + "/fuzz.txt";
    if (!plat::writeFile(file, fuzz::text(data, size))) return 0;
    for (const char* section : {"ErrorMessages", "DefaultSettings", "General", "A"}) {
        CTextSection s;
        if (s.load(file, section, false) != 0) continue;
        for (int i = 0; i < s.count(); ++i) {
            std::int16_t id = 0;
            const std::string text = s.getTextAt(i, &id);
            (void)s.getMessage(id);
            (void)s.getLong(id, 0);
            (void)s.getDouble(id, 0);
            (void)s.findIdByText(text, i % 2 == 0, " _");
        }
    }
    plat::driver().reset();
    return 0;
}
