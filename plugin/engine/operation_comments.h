// The comment of an operation (what, with which cycle, tool and depth, the tool number in front once tools
// are numbered) and the explanation line of a hole shown by the process tree.
#pragma once
#include <cstdint>
#include <string>

#include "plugin/model/ope_list.h"
#include "plugin/model/process_ope.h"
#include "plugin/model/tree.h"

struct POINT_LIST;

// Writes `op.comment` from the operation's fields and its definition (or none).
void composeOperationName(OPE_LIST& op, const PROCESS_OPE* def);
// Puts the tool-number prefix of `number` in front of the comment, replacing an old one; number < 0
// changes nothing. Returns 0.
int setOperationNumberPrefix(OPE_LIST& op, std::int32_t number);
// Rewrites the hole's explanation line.
void buildOperationWhyText(POINT_LIST& hole, const std::string& rowText);
// The hole's explanation line.
std::string operationWhyText(const POINT_LIST& hole);

// Line `id` of a section of the UI texts, read once per texts file ("" when absent).
std::string uiText(const char* section, int id);
