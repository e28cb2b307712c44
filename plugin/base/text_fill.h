// Filling the conversions of a UI-text line (a "%s", "%i", "%.2f" the translator wrote) with values, without
// ever handing the line to printf: the line comes from a file, and a stray conversion in it must not read
// arguments that were never passed.
#pragma once
#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>

using TEXT_VALUE = std::variant<long, double, std::string>;

// Each conversion of the line whose letter fits the next value (%d %i a whole number, %f %e %g a decimal,
// %s a text) takes that value, with the flags, width (up to 3 digits) and precision the line gives. "%%" is
// '%'. Any other conversion, or one past the last value, stays as written.
std::string fillText(std::string_view line, std::initializer_list<TEXT_VALUE> values);
