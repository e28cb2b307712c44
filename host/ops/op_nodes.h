// The operation list as linked nodes, for list_manager(1, path, mode): mode 0 takes loadOpListNodes(),
// mode 1 gives the list back to freeOpListNodes(). Each node holds a copy of one operation, in creation
// order; writes go back through operation_manager mode 2.
#pragma once
#include "host/api.h"

namespace host {
op_list* loadOpListNodes();              // null for a part without operations
void freeOpListNodes(op_list* head);
}  // namespace host
