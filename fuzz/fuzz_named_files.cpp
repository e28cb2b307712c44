// The named files in the part: the input is a run of splines, each a kind byte, a 16-bit length and its
// data block, stored in a fresh part. Every file the scan finds is read; then one file is written over
// the chunks that are there, and must read back as written with every other spline left in place.
#include <cstdlib>

#include "fuzz_support.h"
#include "host/api.h"
#include "plugin/import/host_db_files.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::installPlugin();
    host::newPart();
    plat::driver().reset();
    fuzz::Input in(data, size);
    int others = 0;
    for (int k = 0; k < 64 && !in.empty(); ++k) {
        ent e{};
        e.type = kEntSpline;
        e.spl.kind = in.u8();
        const std::size_t length = in.u8() | (std::size_t{in.u8()} << 8);
        e.spl.data = in.bytes(length);
        db_ptr at = 0;
        char ok = 0;
        store_ent(&e, &at, 0, 1, 1, main_attrib, &ok);
        DBFILE_ENTRY header;
        others += ok && parseDbChunkHeader(e, header) == DB_CHUNK_STATE::notChunk;
    }
    scanDbFiles();
    std::vector<std::string> names;
    for (const auto& [name, chunks] : *g_dbFiles) names.push_back(name);
    for (const std::string& name : names) {
        std::vector<std::uint8_t> bytes;
        if (const std::unique_ptr<CHostDBFile> file = openDbFile(name, 0))
            if (file->read(bytes) != bytes.size()) std::abort();
    }

    const std::string name = names.empty() ? std::string("VERTATree") : names.front();
    const std::vector<std::uint8_t> written(300, 0x5A);
    if (const std::unique_ptr<CHostDBFile> file = openDbFile(name, 1)) {
        if (file->writeVector(written) != written.size()) std::abort();
    } else if (!name.empty() && name.find('\0') == std::string::npos) {
        std::abort();
    }
    std::vector<std::uint8_t> back;
    if (const std::unique_ptr<CHostDBFile> file = openDbFile(name, 0)) file->read(back);
    if (!name.empty() && back != written) std::abort();
    int othersLeft = 0;
    for (const ent& e : host::allEntities()) {
        DBFILE_ENTRY header;
        othersLeft += parseDbChunkHeader(e, header) == DB_CHUNK_STATE::notChunk;
    }
    if (othersLeft != others) std::abort();
    return 0;
}
