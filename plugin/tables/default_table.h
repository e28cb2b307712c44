// A new table for a hole that no table fits (columns made for that hole, written as a ".tab" file) and its
// default process: spot drill, drills in steps, and the flat, cone, thread, chamfer, rounded-edge and
// reaming operations the hole's description asks for, tied to the new table's columns.
#pragma once
#include <cstdint>
#include <string>

#include "plugin/model/ope_list.h"
#include "plugin/services/tables.h"

class CTabColsDesc;

