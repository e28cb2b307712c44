// Cells of a row handed around as texts (column id k at element k - 1) and message texts filled from them;
// shared by the form steps, the preview, the picture and the list control.
#pragma once
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

// The cell of column id `colId`; "" for an id outside the row.
const std::string& rowCell(const std::vector<std::string>& rowCells, int colId);
// The cell's leading number (0 when none), as the C library reads it.
double cellNumber(const std::vector<std::string>& rowCells, int colId);
// Each "%s" of the text, in order, replaced by the next argument; further "%s" stay.
std::string withArguments(std::string text, std::initializer_list<std::string_view> arguments);
