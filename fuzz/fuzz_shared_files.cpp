// The files stations share: the input's first byte picks the password block, an index of table times or a
// state block, the rest is the file; each is read back as a station reads it.
#include "fuzz_support.h"
#include "platform/sys/paths.h"
#include "plugin/settings/shared_data.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string dir = fuzz::installPlugin();
    if (size == 0) return 0;
    const std::string bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    g_globals->formsDir = dir;
    CSharedFolder shared(dir);
    switch (data[0] % 3) {
    case 0: {
        if (!plat::writeFile(plat::joinPath(dir, "Shared.Dat"), bytes)) return 0;
        shared.readPasswordFile();
        const std::string password = shared.passwordInForce();
        if (password.size() > kMaxPasswordLength) std::abort();
        if (shared.setPassword(password) != 0) std::abort();
        break;
    }
    case 1: {
        if (!plat::writeFile(plat::joinPath(dir, "L.dt"), bytes)) return 0;
        shared.readIndexFile("L");
        if (shared.indexEntries.size() * kIndexEntrySize > bytes.size()) std::abort();
        std::int64_t seconds = 0;
        for (const SHARED_FILE_ENTRY& entry : shared.indexEntries) (void)shared.findIndexTime(entry.name, &seconds);
        shared.newEntries = shared.indexEntries;
        shared.writeIndexFile("L");
        shared.readIndexFile("L");
        if (shared.indexEntries.size() != shared.newEntries.size()) std::abort();
        break;
    }
    default:
        if (!plat::writeFile(plat::joinPath(dir, "L.sh"), bytes)) return 0;
        shared.readShBlock("L");
        shared.writeShBlock();
        break;
    }
    plat::driver().reset();
    return 0;
}
