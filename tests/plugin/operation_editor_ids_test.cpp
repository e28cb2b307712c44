// The operation editor's named controls against its templates: every control of a template has an id of its
// own, and every name the editor and its small dialogs address is the control known by that number outside the
// code, in its template and of the kind the name says.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "platform/ui/dialog.h"
#include "plugin/configuration/config_dialogs.h"
#include "plugin/configuration/editor_dialogs.h"
#include "plugin/configuration/editor_support.h"
#include "plugin/resources/operation_editor_ids.h"
#include "plugin/resources/templates.h"

namespace {

std::map<int, std::vector<plat::Ctl>> controlsOf(int templateId) {
    registerEditorTemplates();
    std::map<int, std::vector<plat::Ctl>> byId;
    const plat::DlgTemplate* t = plat::findDialogTemplate(templateId);
    if (!t) return byId;
    for (const plat::CtlTemplate& c : t->controls) byId[c.id].push_back(c.kind);
    return byId;
}

TEST(OperationEditorIds, NoTwoControlsOfATemplateShareAnId) {
    for (int templateId : {oe::kTemplate, CDlgCircMillCalcResults::kTemplate, CDlgCircMillEntryExit::kTemplate,
                           CDlgCircMillHelicalEntry::kTemplate}) {
        const auto byId = controlsOf(templateId);
        ASSERT_FALSE(byId.empty()) << "template " << templateId;
        for (const auto& [id, kinds] : byId) EXPECT_EQ(kinds.size(), 1u) << "template " << templateId << ", id " << id;
    }
}

// A control by the name the code gives it and by the number it is known by outside the code (saved layouts,
// the texts' line tables, the read-only list). The numbers are written out here rather than taken from the
// header the templates are made from, so that a name renumbered in that header, template and all, fails.
struct NAMED {
    int named, known;
    plat::Ctl kind;
};

TEST(OperationEditorIds, EachNamedControlHasItsKnownNumberAndKindInItsTemplate) {
    using plat::Ctl;
    using H = CDlgCircMillHelicalEntry;
    using E = CDlgCircMillEntryExit;
    using R = CDlgCircMillCalcResults;
    const struct {
        int named, known;
        std::vector<NAMED> controls;
    } cases[] = {
        {oe::kTemplate, 18015,
         {{oe::kTab, 19205, Ctl::Tab}, {oe::kComboToolType, 4058, Ctl::ComboDropList},
          {oe::kComboCycle, 4060, Ctl::ComboDropList}, {oe::kEditComment, 4094, Ctl::Edit},
          {oe::kEditToolDiameter, 4068, Ctl::Edit}, {oe::kRadioToolDiameterFixed, 4061, Ctl::Radio},
          {oe::kRadioToolDiameterAssociated, 4063, Ctl::Radio}, {oe::kRadioToolDiameterLibrary, 4062, Ctl::Radio},
          {oe::kButtonToolDiameterAssociate, 4059, Ctl::Button}, {oe::kLabelToolDiameterAssociation, 4101, Ctl::Static},
          {oe::kCheckDiameterOffset, 4019, Ctl::Check}, {oe::kEditDiameterOffset, 4039, Ctl::Edit},
          {oe::kComboToolMaterial, 18071, Ctl::ComboDropList}, {oe::kEditToolName, 18072, Ctl::Edit},
          {oe::kEditCornerRadius, 4031, Ctl::Edit}, {oe::kEditTopZ, 4036, Ctl::Edit},
          {oe::kRadioTopZPreviousMaterial, 4072, Ctl::Radio}, {oe::kEditBottomZ, 4040, Ctl::Edit},
          {oe::kRadioBottomZHidden, 4073, Ctl::Radio}, {oe::kRadioBottomZFirstDrill, 4087, Ctl::Radio},
          {oe::kEditStockToLeave, 4041, Ctl::Edit}, {oe::kHiddenHelicalPlungeAngle, 4104, Ctl::Edit},
          {oe::kComboCircleCycle, 4066, Ctl::ComboDropList}, {oe::kRadioFinishAtEachDepth, 4315, Ctl::Radio},
          {oe::kButtonCalculateCuts, 4344, Ctl::Button}, {oe::kEditFinishAllowancePercent, 4078, Ctl::Edit},
          {oe::kCheckArcOutput, 18128, Ctl::Check}, {oe::kRadioBottomToTop, 18146, Ctl::Radio},
          {oe::kLabelMillingDirection, 18147, Ctl::Static}, {oe::kEditTopOfThread, 4134, Ctl::Edit},
          {oe::kButtonOtherOperation, 4095, Ctl::Button}}},
        {R::kTemplate, 18075,
         {{R::kStartFrame, 18076, Ctl::GroupBox}, {R::kStartText, 18077, Ctl::Static},
          {R::kProposalFrame, 18078, Ctl::GroupBox}, {R::kProposalText, 18079, Ctl::Static}}},
        {E::kTemplate, 18076,
         {{E::kStartAngleLabel, 4312, Ctl::Static}, {E::kStartAngleEdit, 4044, Ctl::Edit},
          {E::kArcSweepLabel, 4313, Ctl::Static}, {E::kArcSweepEdit, 4045, Ctl::Edit},
          {E::kStartAtCentreCheck, 18074, Ctl::Check}, {E::kPerpendicularEntryCheck, 18075, Ctl::Check}}},
        {H::kTemplate, 18077,
         {{H::kMinRadiusEdit, 4093, Ctl::Edit}, {H::kMinPercentEdit, 4090, Ctl::Edit},
          {H::kMaxRadiusEdit, 4097, Ctl::Edit}, {H::kMaxPercentEdit, 4091, Ctl::Edit},
          {H::kXYClearanceEdit, 4102, Ctl::Edit}, {H::kZClearanceEdit, 4103, Ctl::Edit},
          {H::kPlungeAngleEdit, 4104, Ctl::Edit}}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.named, c.known) << "template " << c.known;
        const auto byId = controlsOf(c.known);
        ASSERT_FALSE(byId.empty()) << "no template " << c.known;
        for (const NAMED& n : c.controls) {
            EXPECT_EQ(n.named, n.known) << "template " << c.known << ": control " << n.known << " is named " << n.named;
            const auto at = byId.find(n.known);
            ASSERT_NE(at, byId.end()) << "template " << c.known << " has no control " << n.known;
            EXPECT_EQ(at->second.front(), n.kind) << "template " << c.known << ", control " << n.known;
        }
    }
}

// The controls the editor enables together and those of each milled kind's diameter lie in its template.
TEST(OperationEditorIds, TheEditorsControlGroupsAreControlsOfItsTemplate) {
    const auto byId = controlsOf(oe::kTemplate);
    std::vector<int> ids;
    auto add = [&ids](const auto& group) { ids.insert(ids.end(), std::begin(group), std::end(group)); };
    add(kDepthCutControls);
    add(kCircleRoughingControls);
    add(kRadialCutControls);
    add(kContourRoughingControls);
    add(kLeadInControls);
    add(kLeadOutControls);
    for (int kind = 1; kind <= 4; ++kind) {
        const MILLED_DIAMETER_CONTROLS& m = milledDiameterControls(kind);
        EXPECT_EQ(byId.at(m.edit).front(), plat::Ctl::Edit) << "kind " << kind;
        EXPECT_EQ(byId.at(m.fixedRadio).front(), plat::Ctl::Radio) << "kind " << kind;
        EXPECT_EQ(byId.at(m.associatedRadio).front(), plat::Ctl::Radio) << "kind " << kind;
        EXPECT_EQ(byId.at(m.button).front(), plat::Ctl::Button) << "kind " << kind;
        ids.push_back(m.label);
    }
    for (int id : ids) EXPECT_TRUE(byId.count(id)) << "control " << id;
}

}  // namespace
