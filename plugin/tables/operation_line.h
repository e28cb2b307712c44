// The text form of one operation of a process in the "[Process]" part: its operation line of 47 fields
// ("[<process> <n>] ..."), the letter-encoded host block lines that follow a milled operation, the escaping
// of its two free texts, and the label the reader builds for display.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "plugin/model/process_ope.h"

class CTabColsDesc;
class CTextSection;

constexpr int kOperationFields = 47;

// TAB -> byte 1, CR -> 2, LF -> 3, blank -> 4, and back; in place.
void escapeText(std::string& text);
void unescapeText(std::string& text);

// The operation line with its CR LF and, for a milled operation, its block lines.
std::string formatOperation(std::string_view processName, int index, const PROCESS_OPE& op);

// Fills a zeroed record from the text of an operation line after its "]", repairing the damaged tokens
// that older releases wrote; a missing token reads as 0.
void parseOperationFields(std::string_view fields, PROCESS_OPE& op);
// Whether the text of an operation line holds no decimal field that is not a finite number and, for `whole`
// (a line of the current format), all 47 fields.
bool operationFieldsSound(std::string_view fields, bool whole);

// Block lines of a milled operation: the first blank-separated token of each line given, in order (at most
// five). False when a line is not a letter text (the operation is refused).
[[nodiscard]] bool readBlockLines(const std::vector<std::string_view>& letterTexts, PROCESS_OPE& op);

// "<operation name> <measure> - <opName>", cut to the label's capacity. `operationTypes` is the UI-text
// section "OperationTypes" (named lines of the milled kinds).
std::string operationLabel(const PROCESS_OPE& op, const CTabColsDesc& table, const CTextSection& operationTypes);
