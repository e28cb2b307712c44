// The process engine's state between its runs within one work cycle: the table and process the
// configuration works on, what the process tree acted on last, the points list and the process log.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "plugin/base/load_time.h"
#include "plugin/engine/points_list.h"
#include "plugin/model/tab_cols_desc.h"
#include "plugin/model/tree.h"
#include "plugin/model/work_records.h"

struct VIEW_LIST;
struct POINT_LIST;

struct ENGINE_STATE {
    TABLE_FILE_REF configTarget;                   // the table and process the configuration opens on
    std::int16_t configAction = 0;
    std::int16_t treeReturnAction = 0;
    std::int16_t chosenProcess[2] = {};            // the target's row the configuration selects, and a second index
    POINT_LIST* markedHoles = nullptr;             // the holes the process tree acted on
    VIEW_LIST* markedView = nullptr;
    VIEW_LIST* noteView = nullptr;                 // the view whose group note the process tree asked for
    CDlgPointsList pointsList;
    std::int32_t formCounter = 0;
    std::string configGroupName;
    CTabColsDesc currentTable;                     // the table being configured
    std::vector<std::string> currentRowCells;      // the row of currentTable being configured
    std::FILE* processLog = nullptr;               // open only while the debug switch holds it open
};

extern LoadTime<ENGINE_STATE> g_engine;
