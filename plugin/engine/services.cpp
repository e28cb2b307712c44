// Stand-ins for the process engine (docs/seams.md): no generated group to undo or cancel yet.
#include "plugin/engine/services.h"

int undoGroupOperations(std::uint32_t) { return 0; }
int cancelGroupOperations(std::uint32_t) { return 0; }
