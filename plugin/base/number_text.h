// Short number texts of cells and labels: trailing decimal zeros cut, optionally aligned on the point.
#pragma once
#include <string>
#include <string_view>

// Width 0: trailing zeros after the decimal point removed, then a trailing point ("12.500" -> "12.5",
// "12.000" -> "12"). Width > 0: those zeros become blanks and blanks in front put the point (or the end of
// a text without one) at index `width`; a wider text gets none. A text without a point keeps its zeros.
std::string trimNumberText(std::string_view text, int width);
// The value printed with the format (the plug-in's standard number format when null), trimmed with width 0.
std::string formatNumber(double value, const char* format = nullptr);
// Every '%' that is not followed by 's' doubled, so that the text can serve as a format.
std::string escapePercent(std::string_view text);
