// The drill-size and thread tables that loadThreadTables holds, and the lookups only the tables themselves
// use (plugin/services/tables.h has the others).
#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "plugin/base/load_time.h"
#include "plugin/model/tab_cols_desc.h"
#include "plugin/services/tables.h"

struct THREAD_TABLES {
    std::array<CTabColsDesc, 16> tables;
    std::int16_t count = 0;   // 0 until the first load
};
extern LoadTime<THREAD_TABLES> g_threadTables;
