// Small helpers of the operation editor: numbers to and from the texts of its edits, and the controls of a
// block's measure.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

// The value printed with a number format of the units (g_fmtMedium and the like, or "%.1f").
std::string numberText(const char* format, double value);
// A length as messages show it: "%.2f" metric, "%.4f" inch.
std::string lengthText(double value);
// A decimal number at the start of the text (blanks before it skipped); 0 when there is none.
double textNumber(std::string_view text);
// The partner of a length and its share of the tool diameter d as one of them is typed, in the coarse
// format: a percentage gives the length, a length the percentage; empty without a tool diameter.
std::string percentPartnerText(double d, std::string_view typed, bool typedIsPercent);
// A whole number at the start of the text, held to [low, high]; 0 when there is none.
long textCount(std::string_view text, long low, long high);

// The controls of a milled kind's diameter block (blocks 3 to 6): its edit, association label, fixed and
// associated radios, and associate button.
struct MILLED_DIAMETER_CONTROLS {
    int edit, label, fixedRadio, associatedRadio, button;
};
// Kind 1 .. 4.
const MILLED_DIAMETER_CONTROLS& milledDiameterControls(int kind);
