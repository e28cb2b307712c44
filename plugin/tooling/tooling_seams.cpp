// Stand-ins for what operation generation does not build yet (docs/seams.md): the toolpath groups dialog
// and the toolpath groups' option of operations over several views.
#include "platform/ui/dialog.h"
#include "plugin/model/tool_records.h"
#include "plugin/model/tree.h"
#include "plugin/services/tooling.h"

int runToolPathGroups(POINT_LIST*) { return plat::IDCANCEL; }
bool toolPathGroupsOverViews() { return false; }
