// Small helpers of the operation editor: numbers to and from the texts of its edits, the controls of a
// block's measure and the controls its check boxes enable.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "plugin/resources/operation_editor_ids.h"

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

// What each check box of the milled pages enables; the contour's lead-in and lead-out need its roughing too.
inline constexpr int kDepthCutControls[] = {oe::kEditMaxRoughStep, oe::kEditFinishCuts, oe::kEditFinishStep,
                                            oe::kLabelMaxRoughStep, oe::kLabelFinishCuts, oe::kLabelFinishStep};
inline constexpr int kCircleRoughingControls[] = {oe::kEditStepoverPercent, oe::kEditStepover, oe::kLabelStepover,
                                                  oe::kLabelStepoverPercent};
inline constexpr int kRadialCutControls[] = {oe::kEditRoughPassCount, oe::kEditRoughSpacing, oe::kEditFinishPassCount,
                                             oe::kEditFinishSpacing, oe::kLabelRoughPassCount, oe::kLabelRoughSpacing,
                                             oe::kLabelFinishPassCount, oe::kLabelFinishSpacing,
                                             oe::kGroupFinishPassesAt, oe::kRadioFinishAtFinalDepth,
                                             oe::kRadioFinishAtEachDepth};
inline constexpr int kContourRoughingControls[] = {oe::kCheckLeadIn, oe::kCheckLeadOut, oe::kEditContourOverlap};
inline constexpr int kLeadInControls[] = {oe::kEditLeadInPercent, oe::kLabelLeadInPercent, oe::kEditLeadInRadius};
inline constexpr int kLeadOutControls[] = {oe::kEditLeadOutPercent, oe::kLabelLeadOutPercent, oe::kEditLeadOutRadius};
