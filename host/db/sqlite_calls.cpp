#include "host/db/sqlite_calls.h"

#include <dlfcn.h>

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
    void* library = nullptr;
    for (const char* name : {"libsqlite3.so.0", "libsqlite3.so"})
        if ((library = dlopen(name, RTLD_NOW | RTLD_LOCAL)) != nullptr) break;
    bool complete = library != nullptr;
#define FX_SQLITE_LOAD(name)                                                                                        \
    if (complete) {                                                                                                 \
        loaded.name = reinterpret_cast<decltype(loaded.name)>(dlsym(library, "sqlite3_" #name));                   \
        complete = loaded.name != nullptr;                                                                          \
    }
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
