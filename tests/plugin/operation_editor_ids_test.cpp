// The operation editor's named controls against its templates: every control of a template has an id of its
// own, and every name the editor and its small dialogs address is a control of their template, of the kind
// the name says.
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

struct NAMED {
    int id;
    plat::Ctl kind;
};

TEST(OperationEditorIds, EachNamedControlIsOfItsKindInItsTemplate) {
    using plat::Ctl;
    using H = CDlgCircMillHelicalEntry;
    using E = CDlgCircMillEntryExit;
    using R = CDlgCircMillCalcResults;
    const struct {
        int templateId;
        std::vector<NAMED> named;
    } cases[] = {
        {oe::kTemplate,
         {{oe::kTab, Ctl::Tab}, {oe::kComboToolType, Ctl::ComboDropList}, {oe::kEditToolDiameter, Ctl::Edit},
          {oe::kRadioToolDiameterAssociated, Ctl::Radio}, {oe::kButtonToolDiameterAssociate, Ctl::Button},
          {oe::kCheckDiameterOffset, Ctl::Check}, {oe::kRadioBottomZHidden, Ctl::Radio},
          {oe::kHiddenHelicalPlungeAngle, Ctl::Edit}, {oe::kComboCircleCycle, Ctl::ComboDropList},
          {oe::kRadioFinishAtEachDepth, Ctl::Radio}, {oe::kButtonCalculateCuts, Ctl::Button},
          {oe::kEditFinishAllowancePercent, Ctl::Edit}, {oe::kCheckArcOutput, Ctl::Check},
          {oe::kRadioBottomToTop, Ctl::Radio}, {oe::kLabelMillingDirection, Ctl::Static},
          {oe::kEditTopOfThread, Ctl::Edit}, {oe::kButtonOtherOperation, Ctl::Button}}},
        {R::kTemplate,
         {{R::kStartFrame, Ctl::GroupBox}, {R::kStartText, Ctl::Static}, {R::kProposalFrame, Ctl::GroupBox},
          {R::kProposalText, Ctl::Static}}},
        {E::kTemplate,
         {{E::kStartAngleLabel, Ctl::Static}, {E::kStartAngleEdit, Ctl::Edit}, {E::kArcSweepLabel, Ctl::Static},
          {E::kArcSweepEdit, Ctl::Edit}, {E::kStartAtCentreCheck, Ctl::Check},
          {E::kPerpendicularEntryCheck, Ctl::Check}}},
        {H::kTemplate,
         {{H::kMinRadiusLabel, Ctl::Static}, {H::kMinRadiusEdit, Ctl::Edit}, {H::kMinPercentLabel, Ctl::Static},
          {H::kMinPercentEdit, Ctl::Edit}, {H::kMaxRadiusLabel, Ctl::Static}, {H::kMaxRadiusEdit, Ctl::Edit},
          {H::kMaxPercentLabel, Ctl::Static}, {H::kMaxPercentEdit, Ctl::Edit}, {H::kXYClearanceLabel, Ctl::Static},
          {H::kXYClearanceEdit, Ctl::Edit}, {H::kZClearanceLabel, Ctl::Static}, {H::kZClearanceEdit, Ctl::Edit},
          {H::kPlungeAngleLabel, Ctl::Static}, {H::kPlungeAngleEdit, Ctl::Edit}}},
    };
    for (const auto& c : cases) {
        const auto byId = controlsOf(c.templateId);
        for (const NAMED& n : c.named) {
            const auto at = byId.find(n.id);
            ASSERT_NE(at, byId.end()) << "template " << c.templateId << " has no control " << n.id;
            EXPECT_EQ(at->second.front(), n.kind) << "template " << c.templateId << ", control " << n.id;
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
