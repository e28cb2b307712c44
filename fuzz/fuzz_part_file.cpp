// The parts of a part file read beside its geometry that have no codec of their own: the state record, the
// views' matrices, the named views and the levels. A part saved without geometry gets the input in place of
// one of them (the first byte picks which), through SQLite as another program would write it, and is opened.
#include "fuzz_support.h"
#include "part_change.h"
#include "host/api.h"

namespace {

constexpr const char* kChanges[] = {
    "UPDATE meta SET value = ?1 WHERE key = 'state'",
    "UPDATE views SET matrix = ?1 WHERE number = 1",
    "UPDATE views SET matrix = ?1 WHERE number = 8",
    "UPDATE named_views SET body = ?1 WHERE pos = (SELECT MIN(pos) FROM named_views)",
    "UPDATE levels SET name = ?1 WHERE level = (SELECT MIN(level) FROM levels)",
    "INSERT INTO named_views(pos, body) VALUES((SELECT MAX(pos) + 1 FROM named_views), ?1)",
};
constexpr std::size_t kChangeCount = sizeof kChanges / sizeof kChanges[0];

// The bytes of an empty part as saved, made once.
const std::string& emptyPart() {
    static const std::string bytes = [] {
        const std::string path = fuzz::installPlugin() + "/empty.pfp";
        host::newPart();
        if (!host::savePart(path).ok) std::abort();
        return plat::readFile(path).value_or("");
    }();
    return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& empty = emptyPart();
    fuzz::Input in(data, size);
    const char* sql = kChanges[in.u8() % kChangeCount];
    const std::string path = fuzz::installPlugin() + "/fuzz.pfp";
    if (!plat::writeFile(path, empty) || !fuzz::changePart(path, sql, in.rest())) return 0;
    (void)host::openPart(path);
    host::reset();
    plat::driver().reset();
    return 0;
}
