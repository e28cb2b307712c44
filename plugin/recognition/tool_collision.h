// Whether the centre drill and the chamfer tool, working around a hole's mouth, would touch another
// surface of the part above the hole's top or below its bottom (POINT_LIST::touchTop / touchBottom:
// 1 centre drill, 2 chamfer tool, 3 both). Runs once the process engine has given the holes their
// operations and chains of copies; the frame and rays are those of the opaque-surfaces check.
#pragma once
#include "plugin/services/recognition.h"

struct VIEW_LIST;
class CProgressBox;

