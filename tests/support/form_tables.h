// Hole-form tables built in memory for the form tests: a name column, kind-1 items given as (diameter,
// length, angle) column ids with their threaded and flat flags, an optional process and list column, and
// rows. Also a thread table "M_ISO" in the tables folder for the threaded steps.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "plugin/base/globals.h"
#include "plugin/model/tab_cols_desc.h"
#include "plugin/services/tables.h"
#include "plugin/tables/thread_tables.h"
#include "support/table_files.h"

struct FORM_ITEM {
    std::int16_t diameter = 0, length = 0, angle = 0;
    std::int16_t threaded = 0, flat = 0;
    std::string diameterHeading = "D", lengthHeading = "L", angleHeading = "A";
};

struct FORM_TABLE {
    std::string name = "FORM";
    std::int16_t tableClass = kTableFormClass;
    std::vector<FORM_ITEM> items;
    std::int16_t processColumn = 0, listColumn = 0;   // column ids, 0 for none
    std::vector<std::vector<std::string>> rows;
};

inline CTabColsDesc makeFormTable(const FORM_TABLE& f) {
    CTabColsDesc t;
    t.name = f.name;
    t.tableClass = f.tableClass;
    t.formatVersion = kCurrentTableVersion;
    EXPECT_EQ(t.allocItems(static_cast<std::int16_t>(f.items.size() + 3)), 0);
    t.addDescItem(kItemName, 1, "Name", 0, 0, 0, 0, "", 0, "", 0);
    for (const FORM_ITEM& i : f.items) {
        t.addDescItem(kItemCylinder, i.diameter, i.diameterHeading, i.threaded, i.flat, 0, i.length, i.lengthHeading,
                      i.angle, i.angleHeading, 0);
        ++t.cylinderItemCount;
    }
    if (f.processColumn) {
        t.addDescItem(kItemProcess, f.processColumn, "Process", 0, 0, 0, 0, "", 0, "", 0);
        t.processColumn = f.processColumn;
    }
    if (f.listColumn) {
        t.addDescItem(kItemList, f.listColumn, "Steps", 0, 0, 0, 0, "", 0, "", 0);
        t.listColumn = f.listColumn;
    }
    for (const auto& row : f.rows) t.appendRow(row);
    return t;
}

// "M_ISO" (class 2): M10 10 x 1.5 drilled 8.5, M8 8 x 1.25 drilled 6.8; the thread tables loaded.
inline void installThreadTable(const std::string& tablesDir) {
    REFERENCE_TABLE spec;
    writeReferenceTable(tablesDir, "M_ISO", spec, "M10 10 1.5 8.5 1 \r\nM8 8 1.25 6.8 1 \r\n");
    g_threadTables->count = 0;
    loadThreadTables();
}
