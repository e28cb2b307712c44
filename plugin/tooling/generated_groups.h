// The generations' record of the host groups they made, and the group name of a tool type.
#pragma once
#include <cstdint>
#include <string>

// Appends a record of the group to the part's list of generated groups.
void appendGeneratedGroup(const std::string& name);
// The type table's group name of the tool type, "" for a type it does not hold.
std::string typeGroupName(std::uint32_t type);
