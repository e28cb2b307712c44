// Stand-ins for what operation generation does not build yet (docs/seams.md): the points-list path, the
// toolpath groups dialog, and the toolpath groups' option of operations over several views.
#include "platform/ui/dialog.h"
#include "plugin/model/tool_records.h"
#include "plugin/model/tree.h"
#include "plugin/services/tooling.h"

int createDrillOperations(VIEW_LIST*, POINT_LIST*, int) { return 0; }
