// SQLite, which only part files use, loaded when a part file is first opened or saved rather than bound at
// every start of the host: its library binds some 1,600 symbols as it loads. The calls keep SQLite's names
// in a namespace of their own (sq::step for sqlite3_step).
#pragma once
#include <sqlite3.h>

#include "platform/sys/library_calls.h"

namespace host::db::sq {

#define FX_SQLITE_CALLS(X)                                                                                          \
    X(bind_blob64) X(bind_int64) X(bind_text) X(bind_text64) X(clear_bindings) X(close) X(column_blob)             \
    X(column_bytes) X(column_int) X(column_int64) X(column_text) X(column_type) X(errcode) X(errmsg) X(errstr)       \
    X(exec) X(finalize) X(free) X(open_v2) X(prepare_v2) X(reset) X(step)

struct CALLS {
#define FX_SQLITE_MEMBER(name) decltype(&::sqlite3_##name) name = nullptr;
    FX_SQLITE_CALLS(FX_SQLITE_MEMBER)
#undef FX_SQLITE_MEMBER
};

// The library's calls, loaded on the first; when it cannot be loaded, opening a file fails with
// SQLITE_CANTOPEN and says why (no other call is reached without an open file).
const CALLS& calls();

FX_SQLITE_CALLS(FX_FORWARD_LIBRARY_CALL)

}  // namespace host::db::sq
