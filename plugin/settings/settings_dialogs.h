// The small dialogs that the general parameters open: colours, levels, advanced strategies, recognition
// tolerances, drilling side, views sort, tool selection criteria and where the settings are kept. Most are
// handed copies of the settings they edit and give them back to their opener; the levels, strategies and
// views-sort dialogs write their own settings. Angles are in degrees here, lengths in the part's units.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/dialog.h"
#include "plugin/base/text_section.h"
#include "plugin/model/value_ranges.h"

// A number the user typed: text that is no number, and text that reads as NaN or infinite, is 0.
double typedNumber(std::string_view text);
// A whole number the user typed, as atoi reads it (0 for no number), held within 32 bits.
long typedWhole(std::string_view text);
// The value written with a number format of the plug-in (never a UI text).
std::string formatValue(const char* format, double value);
// The entries of a unit's table of values up to its first negative entry, which ends it.
template <std::size_t N>
std::vector<double> tableEntries(const double (&table)[N]) {
    std::vector<double> entries;
    for (double v : table) {
        if (v < 0) break;
        entries.push_back(v);
    }
    return entries;
}
// The number typed in a field held within [lowest, highest]: 0 when it lies within, 1 when it was raised to
// lowest, 2 when lowered to highest, each told with its message (OK only) when messages are wanted and the
// field then taking the focus. The field is rewritten with `format` in every case.
int holdTypedInLimits(plat::Dialog& dlg, int field, double lowest, double highest, const std::string& belowText,
                      const std::string& aboveText, const char* format, bool showMessages);

// The two host colours of reaming features: their circles and notes, and picked ones.
class CDlgColors : public plat::Dialog {
public:
    static constexpr int kTemplate = 18055, kArcSwatch = 18058, kArcLabel = 18059, kSelSwatch = 18060,
                         kSelLabel = 18061, kArcButton = 18041, kSelButton = 18042;
    CDlgColors();
    int arcColor = 0;   // "General" 4
    int selColor = 0;   // "General" 5

protected:
    bool onInitDialog() override;

private:
    void chooseColour(int& colour, int swatch, bool warnOnSelectColour);
    void showSwatch(int swatch, int colour);
    CTextSection texts_;
};

// The levels the plug-in keeps for itself ("Levels" 1 to 5). OK and the close box both store.
class CDlgLevelsPrm : public plat::Dialog {
public:
    static constexpr int kTemplate = 18027, kUndefinedLevel = 4045, kFormsLevel = 4033, kFeaturesLevel = 4037,
                         kReservedLevel = 4041, kShowMode = 4023;
    CDlgLevelsPrm();
    void storeValues();

protected:
    bool onInitDialog() override;
    void onOK() override;

private:
    CTextSection texts_;
};

// Tools larger than the hole, forced reaming and forced tapping ("ProcessMach" 19, 20, 21, 57).
class CDlgAdvancedStrategies : public plat::Dialog {
public:
    static constexpr int kTemplate = 18007, kBiggerTools = 4019, kOversize = 4026, kForceReaming = 4215,
                         kForceTapping = 4216;
    CDlgAdvancedStrategies();
    // The oversize of the combo's text brought into the unit's table range: 0 within, 1 raised to the
    // smallest, 2 lowered to the largest (with the section's message when asked); the text is rewritten.
    int validate(bool showMessages);

protected:
    bool onInitDialog() override;
    void onOK() override;

private:
    void enableOversize();
    CTextSection texts_;
};

// The four tolerances of hole recognition ("ProcessMach" 51 to 54), each held in its range without a
// message. The limits follow the base tolerance as the settings were last read.
class CDlgAdvFormsRecognize : public plat::Dialog {
public:
    static constexpr int kTemplate = 18040, kSweep = 18017, kRoundness = 18018, kAxisAngle = 18098,
                         kOpenBoundaries = 18099;
    enum Range { kSweepRange, kRoundnessRange, kAxisRange, kOpenRange };
    CDlgAdvFormsRecognize();
    const CTextSection* texts = nullptr;   // the opener's "ParametersDlg"
    std::array<DOUBLE_RANGE, 4> ranges{};

protected:
    bool onInitDialog() override;
    void onOK() override;
};

// The side single through holes are drilled from: from point P (mode 0) or towards it (1). The pick
// button ends the dialog with kPickPoint; its opener has P picked and opens it again.
class CDlgDrillingSideSettings : public plat::Dialog {
public:
    static constexpr int kTemplate = 18078, kFromPoint = 18088, kTowardsPoint = 18089, kPick = 18041,
                         kX = 18091, kY = 18092, kZ = 18093, kPickPoint = 101;
    CDlgDrillingSideSettings();
    double point[3] = {};
    std::int16_t mode = 0;

protected:
    bool onInitDialog() override;
    void onOK() override;

private:
    CTextSection texts_;
};

// The order of the drilling views, how new views are oriented and named ("ProcessMach" 15, 49, 47, handed
// in and out) and the support geometry ("Levels" 6 to 8, written here).
class CDlgViewsSort : public plat::Dialog {
public:
    static constexpr int kTemplate = 18029, kSortFirst = 4202, kOrientFirst = 4380, kNameViews = 4028,
                         kSupportGeometry = 4020, kSupportLevel = 4046, kInclinedOnly = 4021, kOrientX = 4019;
    CDlgViewsSort();
    std::int16_t sortMode = 0, orientation = 0;
    std::uint8_t nameViews = 0;

protected:
    bool onInitDialog() override;
    void onOK() override;

private:
    void labelOrientations();
    void enableSupportGeometry();
    CTextSection texts_;
};

// How long a library tool must be ("ToolSelectionCriteria" 1 to 6): factors of the tool diameter shown
// as percentages.
class CDlgToolSelCriteria : public plat::Dialog {
public:
    static constexpr int kTemplate = 18065, kMaxLength = 18067, kMinToolLength = 18068, kMinFluteLength = 18069,
                         kOverall = 18193, kShoulder = 18194, kFlute = 18196, kHighestHill = 18205,
                         kFluteCheck = 18204;
    CDlgToolSelCriteria();
    double minToolLength = 0, minFluteLength = 0, maxToolLength = 0;
    std::int16_t lengthKind = 0;
    bool highestHill = false, fluteCheck = false;

protected:
    bool onInitDialog() override;
    void onOK() override;

private:
    CTextSection texts_;
};

// Where the settings are kept ("General" 7): 0 the file and the part, 1 the part only.
class CDlgPrmReadWriteOptions : public plat::Dialog {
public:
    static constexpr int kTemplate = 18090, kFileAndPart = 18106, kPartOnly = 18107;
    CDlgPrmReadWriteOptions();
    const CTextSection* texts = nullptr;   // the opener's "ParametersDlg"
    std::int16_t option = 0;

protected:
    bool onInitDialog() override;
    void onOK() override;
};
