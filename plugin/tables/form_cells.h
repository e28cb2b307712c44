// Cells of a row handed around as texts (column id k at element k - 1) and message texts filled from them;
// shared by the form steps, the preview, the picture and the list control.
#pragma once
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>
#include "plugin/services/tables.h"

// Each "%s" of the text, in order, replaced by the next argument; further "%s" stay.
std::string withArguments(std::string text, std::initializer_list<std::string_view> arguments);
