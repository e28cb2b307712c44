// What a part file unpacks: a part saved with six notes gets the input as the packed body of every one of
// them, through SQLite as another program would write it, and is opened. A part that opens never unpacked
// more than the budget of its file's size allows.
#include <filesystem>

#include "fuzz_support.h"
#include "part_change.h"
#include "host/api.h"
#include "host/db/blob_pack.h"
#include "host/db/part_file.h"

namespace {

constexpr int kNotes = 6;

// The bytes of a part of six short notes as saved, made once.
const std::string& notedPart() {
    static const std::string bytes = [] {
        const std::string path = fuzz::installPlugin() + "/notes.pfp";
        host::newPart();
        for (int k = 0; k < kNotes; ++k) {
            ent n{};
            calc_note(&n, 1, p_3d{}, "note");
            db_ptr entry = 0;
            char ok = 0;
            store_ent(&n, &entry, 0, 12, 1, attr_block{}, &ok);
        }
        if (!host::savePart(path).ok) std::abort();
        host::reset();
        return plat::readFile(path).value_or("");
    }();
    return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& part = notedPart();
    fuzz::Input in(data, size);
    const std::vector<std::uint8_t> body = in.rest();
    const std::string path = fuzz::installPlugin() + "/fuzz.pfp";
    if (!plat::writeFile(path, part) || !fuzz::changePart(path, "UPDATE entities SET body = ?1 WHERE type = 16", body))
        return 0;
    const std::string_view blob(reinterpret_cast<const char*>(body.data()), body.size());
    const std::uint64_t asked = kNotes * host::db::unpackedBlobLength(blob);
    if (host::openPart(path).ok && asked > host::db::unpackBudget(std::filesystem::file_size(path))) __builtin_trap();
    host::reset();
    plat::driver().reset();
    return 0;
}
