// Stand-in for features and forms (docs/seams.md): the tap-depth settings of the features manager's import
// items.
#include "plugin/features/feature_windows.h"
#include "plugin/model/tab_cols_desc.h"
#include "plugin/services/features.h"

int editTapDepthAdditions() { return 0; }
