// A new table for a hole that no table fits (columns made for that hole, written as a ".tab" file) and its
// default process: spot drill, drills in steps, and the flat, cone, thread, chamfer, rounded-edge and
// reaming operations the hole's description asks for, tied to the new table's columns.
#pragma once
#include <cstdint>
#include <string>

#include "plugin/model/ope_list.h"

class CTabColsDesc;

// On an empty table: 0 when written (with its process "1"), 1 when the name is empty. An empty folder is the
// tables folder. The chamfer window in radians.
int createDefaultTable(CTabColsDesc& table, const std::string& name, const std::string& folder, const CIL_DESC* descs,
                       std::int16_t count, double chamferAngleMin, double chamferAngleMax, double chamferDepthMax);
// Writes the process; 0 (nothing written for count < 1).
int createDefaultProcesses(const CTabColsDesc& table, const CIL_DESC* descs, std::int16_t count,
                           const std::string& processName);
