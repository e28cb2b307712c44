// Stand-ins of the engine's rules that are not built yet (docs/seams.md).
#include "plugin/base/directions.h"
#include "plugin/base/vectors.h"
#include "plugin/services/engine.h"

int isOppositeDirAllowed(const double direction[3]) {
    double reversed[3];
    negateVector(direction, reversed);
    return isDirInSelViews(reversed, 0) == kSameSense ? 1 : 0;
}
