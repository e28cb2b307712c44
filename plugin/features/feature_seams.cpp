// Stand-ins for features and forms (docs/seams.md): the command handler of the features manager and the
// forms drawn as solids, the coloured features' configuration.
#include "plugin/features/feature_windows.h"
#include "plugin/model/tab_cols_desc.h"
#include "plugin/services/features.h"

int drawShapesManager(CTabColsDesc*, std::int16_t, std::int16_t, std::int16_t) { return 0; }

int featuresManagerMenu(int, std::int16_t*, long*, long*, short*) { return 0; }

CDlgFeaturesColoredConfig::CDlgFeaturesColoredConfig(plat::Dialog*) : plat::Dialog(kTemplate) {}
