// A saved part file changed through SQLite itself, as another program would write it: one statement run
// with the bytes bound as its ?1.
#pragma once
#include <sqlite3.h>

#include <cstdint>
#include <string>
#include <vector>

namespace fuzz {

inline bool changePart(const std::string& path, const char* sql, const std::vector<std::uint8_t>& blob) {
    sqlite3* db = nullptr;
    bool ok = sqlite3_open(path.c_str(), &db) == SQLITE_OK;
    sqlite3_stmt* statement = nullptr;
    ok = ok && sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) == SQLITE_OK;
    ok = ok && sqlite3_bind_blob(statement, 1, blob.data(), static_cast<int>(blob.size()), SQLITE_TRANSIENT) == SQLITE_OK;
    ok = ok && sqlite3_step(statement) == SQLITE_DONE;
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return ok;
}

}  // namespace fuzz
