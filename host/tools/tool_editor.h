// The host's tool editor window (tool_manager mode 6).
#pragma once
#include "host/api.h"

namespace host::tools {

constexpr int kToolEditorTemplate = 30101;

// Shows the editor on the record: 1 when the user accepted (the record holds the values shown then), 0 when
// the user cancelled (the record is untouched).
int editToolRecord(tp_tool& tool);

}  // namespace host::tools
