// Private to the host stand-in: operation_manager mode 10.
#pragma once
#include "host/api.h"

namespace host::ops {
// Fills the host's defaults for op.code/op.subCode (see op_defaults.cpp); false for an unknown code, the
// record then untouched.
[[nodiscard]] bool fillDefaults(operation& op);
}  // namespace host::ops
