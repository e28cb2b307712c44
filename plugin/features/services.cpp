// Stand-ins for features and forms (docs/seams.md): no feature marks are drawn yet.
#include "plugin/features/services.h"

void redrawFeatureMarks(FEATURE_MARK*) {}

int featuresManagerMenu(int, std::int16_t*, long*, long*, short*) { return 0; }
