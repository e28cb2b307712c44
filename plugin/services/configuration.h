// What the other subsystems use of the process configuration: the configuration run, which the process
// tree and the forms commands start, and the choice of a table row for the features.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// The configuration run (config_run.cpp): shows the process configuration until the user leaves it, started
// in the mode `preset` (0 the forms manager, 106 from the process tree, 120 and 122 drawing forms as surfaces
// or solids); 1 when it ended after a trial drawn for the user to inspect.
int runConfigProcess(std::int16_t preset);

// ---- the choose mode ----------------------------------------------------------------------------------------
// A configuration of its own in choose mode, so that the user chooses one row of a table (starting on the
// chooser's tab of the class: 2 the thread tables), as the edit-feature dialog and the features window ask
// for a thread. `row` is the row chosen with its cells, -1 when none was.
struct CONFIG_CHOICE {
    int result = 2;                       // the run's end code: 2 cancelled, another code when it ended otherwise
    std::string tableName;                // the table the user was on
    std::int16_t tableKind = 0;           // its kind number (thread tables: below 1000 one family)
    std::int16_t row = -1;                // the row chosen, -1 none
    std::vector<std::string> rowCells;    // that row's cells
};
CONFIG_CHOICE chooseTableRow(std::int16_t tableClass);
