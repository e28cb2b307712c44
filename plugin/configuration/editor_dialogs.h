// The operation editor's small dialogs: the cut calculation's results, and the entry and exit of a circle
// mill or helix bore. The helical entry, which lives with the editor, is declared with it.
#pragma once
#include <cstdint>
#include <string>

#include "platform/ui/dialog.h"
#include "plugin/base/text_section.h"

// The start data and the proposal of a cut calculation (template 18075, texts "CircleMillCalcResultsDlg"):
// IDOK accepts the proposal, IDCANCEL discards it.
class CDlgCircMillCalcResults : public plat::Dialog {
public:
    static constexpr int kTemplate = 18075;
    static constexpr int kStartFrame = 18076, kStartText = 18077, kProposalFrame = 18078, kProposalText = 18079;
    CDlgCircMillCalcResults(plat::Dialog* parent, std::string startText, std::string resultsText);

protected:
    bool onInitDialog() override;

private:
    std::string startText_, resultsText_;
};

// How the tool enters and leaves the circle (template 18076, texts "CircleMillEntryExitDlg"); the caller
// sets the values before and takes them after IDOK.
class CDlgCircMillEntryExit : public plat::Dialog {
public:
    static constexpr int kTemplate = 18076;
    static constexpr int kStartAngleLabel = 4312, kStartAngleEdit = 4044, kArcSweepLabel = 4313, kArcSweepEdit = 4045,
                         kStartAtCentreCheck = 18074, kPerpendicularEntryCheck = 18075;
    CDlgCircMillEntryExit();
    CTextSection texts;
    double startAngle = 0;
    double arcSweep = 0;
    std::uint8_t startAtCentre = 0;
    std::uint8_t perpendicularEntry = 0;

protected:
    bool onInitDialog() override;
    void onOK() override;
};
