#include "host/db/sqlite_calls.h"

namespace host::db::sq {
namespace {

int cannotOpen(const char*, sqlite3** db, int, const char*) {
    if (db) *db = nullptr;
    return SQLITE_CANTOPEN;
}
const char* notLoaded(int) { return "the SQLite library cannot be loaded"; }
int closeNothing(sqlite3*) { return SQLITE_OK; }

CALLS load() {
    CALLS loaded;
    void* library = plat::loadLibrary({"libsqlite3.so.0", "libsqlite3.so"});
    bool complete = library != nullptr;
#define FX_SQLITE_LOAD(name) complete = complete && plat::loadCall(library, "sqlite3_" #name, loaded.name);
    FX_SQLITE_CALLS(FX_SQLITE_LOAD)
#undef FX_SQLITE_LOAD
    if (complete) return loaded;
    CALLS none;
    none.open_v2 = cannotOpen;
    none.errstr = notLoaded;
    none.close = closeNothing;
    return none;
}

}  // namespace

const CALLS& calls() {
    static const CALLS loaded = load();
    return loaded;
}

}  // namespace host::db::sq
