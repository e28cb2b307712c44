// The table chooser and the table properties dialog as the configuration calls them. Each runs its dialog
// modally over `parent` and leaves its answer in the state handed to it.
#pragma once
#include <cstdint>
#include <string>

#include "platform/ui/dialog.h"
#include "plugin/model/tab_cols_desc.h"
#include "plugin/services/configuration.h"

// The chooser, starting on the chooser state's tab and page and keeping them: 142 a table was chosen
// (`chosenTable`), 100 the tables folder holds none, 1 or 2 left without a choice.
int runSelectShapeTable(TABLE_CHOOSER& chooser, plat::Dialog* parent);

// The values the properties dialog shows and gives back, as texts: the caller converts them.
struct SHAPE_PROPERTIES {
    std::string defaultChamfer, angleTo, angleFrom, largestChamfer, diameterTolerance, lengthTolerance;
    int makeChamfer = 0;
    std::string newName;              // empty unless OK confirmed a rename
    std::int16_t nearestDValue = 0;   // 1 the nearest D value, 0 the definite one within the tolerance
};
// IDOK or IDCANCEL.
int runShapeProp(CTabColsDesc& table, SHAPE_PROPERTIES& values, plat::Dialog* parent);

// The templates of the two dialogs while they are stand-ins, registered when the library loads.
void registerConfigurationFrames();
