// Templates of the settings dialogs: the general parameters (18031), whose five pages stand side by side,
// each 280 units wide, until the dialog lays them over one another, and its small dialogs. Control ids of
// the general parameters are named in general_parameters_ids.h; radio buttons of one group
// follow each other, and every other control starts a group of its own.
#include "platform/ui/list_view.h"
#include "platform/ui/resources.h"
#include "plugin/resources/templates.h"
#include "plugin/resources/general_parameters_ids.h"

namespace {

using plat::Ctl;
using plat::CtlTemplate;
using plat::DlgTemplate;
using plat::Rect;

// Adds controls in template order. `page` shifts x by whole page widths; a radio starts a group only
// when asked, every other control always does.
class Layout {
public:
    Layout(int id, const char* caption, int cx, int cy) : t_{id, caption, cx, cy, {}, false} {}
    Layout& page(int index) {
        dx_ = index * gp::kPageWidthDlu;
        return *this;
    }
    Layout& add(int id, Ctl kind, Rect r, const char* text = "", std::uint32_t style = 0) {
        t_.controls.push_back({id, kind, shifted(r), text, style, true, true});
        return *this;
    }
    Layout& radio(int id, Rect r, bool first, const char* text = "") {
        t_.controls.push_back({id, Ctl::Radio, shifted(r), text, 0, true, first});
        return *this;
    }
    Layout& hidden(int id, Ctl kind, Rect r) {
        t_.controls.push_back({id, kind, shifted(r), "", 0, false, true});
        return *this;
    }
    Layout& picture(int id, Rect r, int bitmapId) {
        CtlTemplate c{id, Ctl::Picture, shifted(r), "", 0, true, true};
        c.bitmapId = bitmapId;
        t_.controls.push_back(c);
        plat::registerBitmap(bitmapId, plat::dluToPixelsX(r.width()), plat::dluToPixelsY(r.height()));
        return *this;
    }
    Layout& okCancel(int y, int cx) {
        const int mid = cx / 2;
        add(plat::IDOK, Ctl::DefButton, {mid - 60, y, mid - 5, y + 14}, "OK");
        return add(plat::IDCANCEL, Ctl::Button, {mid + 5, y, mid + 60, y + 14}, "Cancel");
    }
    DlgTemplate done() { return std::move(t_); }

private:
    Rect shifted(Rect r) const { return {r.left + dx_, r.top, r.right + dx_, r.bottom}; }
    DlgTemplate t_;
    int dx_ = 0;
};

void pageGeneral(Layout& l) {
    using namespace gp;
    l.page(0)
        .add(kGroupRecognition, Ctl::GroupBox, {5, 22, 275, 120})
        .add(kCheckCollisions, Ctl::Check, {10, 32, 135, 42})
        .add(kLabelPrecision, Ctl::Static, {140, 33, 185, 42})
        .add(kComboPrecision, Ctl::ComboDropDown, {190, 31, 270, 110})
        .add(kGroupDiameters, Ctl::GroupBox, {10, 45, 135, 81})
        .add(kLabelMinDiameter, Ctl::Static, {15, 56, 55, 65})
        .add(kEditMinDiameter, Ctl::Edit, {60, 55, 130, 66})
        .add(kLabelMaxDiameter, Ctl::Static, {15, 68, 55, 77})
        .add(kEditMaxDiameter, Ctl::Edit, {60, 67, 130, 78})
        .add(kCheckIntelligent, Ctl::Check, {140, 46, 270, 56})
        .add(kCheckUseStock, Ctl::Check, {140, 58, 270, 68})
        .radio(kRadioCompleteForms, {140, 70, 270, 80}, true)
        .radio(kRadioSpotOnly, {140, 81, 270, 91}, false)
        .radio(kRadioSpotAndDrill, {140, 92, 270, 102}, false)
        .add(kButtonViewsSort, Ctl::Button, {10, 84, 70, 96})
        .add(kButtonAdvRecognition, Ctl::Button, {72, 84, 135, 96})
        .add(kCheckSelectedViews, Ctl::Check, {10, 100, 20, 110})
        .add(kButtonSelectedViews, Ctl::Button, {22, 99, 135, 111})
        .add(kCheckDrillingSide, Ctl::Check, {140, 106, 150, 116})
        .add(kButtonDrillingSide, Ctl::Button, {152, 104, 270, 116})
        .add(kGroupOperations, Ctl::GroupBox, {5, 122, 275, 226})
        .add(kCheckNoReaming, Ctl::Check, {10, 132, 135, 142})
        .add(kCheckNoTapping, Ctl::Check, {10, 143, 135, 153})
        .add(kCheckNoSpotDrill, Ctl::Check, {10, 154, 135, 164})
        .add(kLabelLibrary, Ctl::Static, {140, 132, 270, 141})
        .add(kComboLibrary, Ctl::ComboDropList, {140, 142, 255, 200})
        .add(kCheckSharedLibrary, Ctl::Check, {258, 143, 270, 153})
        .add(kButtonSharedData, Ctl::Button, {140, 158, 270, 170})
        .add(kCheckDrillingList, Ctl::Check, {10, 168, 20, 178})
        .add(kButtonDrillingList, Ctl::Button, {22, 167, 135, 179})
        .add(kCheckMachiningTime, Ctl::Check, {10, 181, 20, 191})
        .add(kButtonMachiningTime, Ctl::Button, {22, 180, 135, 192})
        .add(kButtonLevels, Ctl::Button, {140, 174, 205, 186})
        .add(kButtonColours, Ctl::Button, {207, 174, 270, 186})
        .add(kButtonReadWrite, Ctl::Button, {140, 190, 270, 202});
}

void pageTools(Layout& l) {
    using namespace gp;
    l.page(1)
        .add(kCheckToolCriteria, Ctl::Check, {10, 24, 20, 34})
        .add(kButtonToolCriteria, Ctl::Button, {22, 22, 135, 34})
        .add(kGroupToolLibrary, Ctl::GroupBox, {5, 38, 135, 100})
        .add(kLabelToolLibrary, Ctl::Static, {10, 48, 130, 68})
        .add(kButtonChangeLibrary, Ctl::Button, {10, 70, 68, 82})
        .add(kButtonEditLibrary, Ctl::Button, {72, 70, 130, 82})
        .add(kLabelMissingTool, Ctl::Static, {10, 104, 135, 113})
        .add(kCheckAddNewTools, Ctl::Check, {10, 114, 135, 124})
        .add(kCheckNearestTool, Ctl::Check, {10, 125, 135, 135})
        .add(kLabelFirstToolNumber, Ctl::Static, {10, 140, 90, 149})
        .add(kEditFirstToolNumber, Ctl::Edit, {95, 139, 135, 150})
        .add(kCheckKeepPartTools, Ctl::Check, {10, 153, 135, 163})
        .picture(kPictureTools, {10, 166, 135, 226}, 18033)
        .add(kGroupTipAngle, Ctl::GroupBox, {140, 22, 275, 100})
        .add(kLabelTipFrom, Ctl::Static, {145, 33, 170, 42})
        .add(kEditTipFrom, Ctl::Edit, {172, 32, 205, 43})
        .add(kLabelTipTo, Ctl::Static, {208, 33, 222, 42})
        .add(kEditTipTo, Ctl::Edit, {224, 32, 255, 43})
        .add(kLabelTipUnit, Ctl::Static, {257, 33, 272, 42})
        .radio(kRadioAdaptAngle, {145, 46, 272, 56}, true)
        .radio(kRadioIgnoreAngle, {145, 57, 272, 67}, false)
        .add(kCheckPreferLarger, Ctl::Check, {145, 70, 272, 80})
        .add(kCheckWarnAngle, Ctl::Check, {145, 82, 272, 92})
        .add(kGroupSpotDrill, Ctl::GroupBox, {140, 103, 275, 226})
        .add(kCheckSpotOverride, Ctl::Check, {145, 113, 272, 123})
        .radio(kRadioSpotByDiameter, {145, 125, 205, 135}, true)
        .radio(kRadioSpotFromLibrary, {145, 137, 272, 147}, false)
        .add(kEditSpotDiameter, Ctl::Edit, {207, 124, 272, 135})
        .add(kLabelSpotName, Ctl::Static, {150, 148, 230, 158})
        .add(kButtonChangeSpot, Ctl::Button, {232, 147, 272, 159})
        .add(kLabelSpotDepth, Ctl::Static, {145, 162, 175, 171})
        .add(kEditSpotPercent, Ctl::Edit, {177, 161, 205, 172})
        .add(kLabelSpotPercent, Ctl::Static, {207, 162, 272, 171})
        .add(kEditSpotDepth, Ctl::Edit, {177, 174, 230, 185})
        .add(kCheckAllowCentre, Ctl::Check, {145, 190, 272, 200})
        .add(kCheckCentreType, Ctl::Check, {145, 202, 272, 212});
}

void pageHeights(Layout& l) {
    using namespace gp;
    l.page(2)
        .add(kLabelInitialHeight, Ctl::Static, {10, 24, 180, 33})
        .add(kEditInitialHeight, Ctl::Edit, {185, 23, 260, 34})
        .add(kLabelRetractHeight, Ctl::Static, {10, 37, 180, 46})
        .add(kEditRetractHeight, Ctl::Edit, {185, 36, 260, 47})
        .add(kGroupBreakthrough, Ctl::GroupBox, {5, 52, 275, 96})
        .radio(kRadioBreakFixed, {10, 62, 80, 72}, true)
        .radio(kRadioBreakPercent, {10, 76, 20, 86}, false)
        .add(kEditBreakFixed, Ctl::Edit, {85, 61, 140, 72})
        .add(kEditBreakPercent, Ctl::Edit, {85, 75, 140, 86})
        .add(kLabelBreakUnit, Ctl::Static, {145, 76, 270, 85})
        .add(kCheckSubprograms, Ctl::Check, {10, 102, 140, 112})
        .radio(kRadioAbsolute, {145, 102, 205, 112}, true)
        .radio(kRadioIncremental, {207, 102, 272, 112}, false)
        .add(kCheckClearanceEnds, Ctl::Check, {10, 116, 272, 126})
        .add(kLabelClearanceAdd, Ctl::Static, {10, 130, 200, 148})
        .add(kEditClearanceAdd, Ctl::Edit, {205, 131, 260, 142})
        .add(kGroupReaming, Ctl::GroupBox, {5, 152, 275, 200})
        .radio(kRadioReamProcess, {10, 162, 270, 172}, true)
        .radio(kRadioReamReamer, {10, 173, 270, 183}, false)
        .radio(kRadioReamBoring, {10, 184, 270, 194}, false);
}

void pageDepths(Layout& l) {
    using namespace gp;
    l.page(3)
        .add(kGroupOpenSpace, Ctl::GroupBox, {5, 22, 275, 50})
        .add(kLabelOpenSpace, Ctl::Static, {10, 33, 110, 42})
        .add(kEditOpenSpace, Ctl::Edit, {112, 32, 150, 43})
        .add(kLabelOpenSpaceUnit, Ctl::Static, {155, 33, 270, 42})
        .add(kCheckTwoFaces, Ctl::Check, {10, 54, 145, 64})
        .add(kButtonStrategies, Ctl::Button, {150, 52, 272, 64})
        .add(kGroupMaxDepth, Ctl::GroupBox, {5, 68, 275, 112})
        .add(kLabelMaxDepth, Ctl::Static, {10, 77, 270, 86})
        .add(kCheckTryDrill, Ctl::Check, {10, 88, 110, 98})
        .add(kEditFirstFace, Ctl::Edit, {112, 87, 150, 98})
        .add(kLabelFirstFace, Ctl::Static, {155, 88, 270, 106})
        .hidden(kCheckWarnMaxDepth, Ctl::Check, {10, 100, 110, 110})
        .radio(kRadioLongThenLong, {10, 116, 272, 126}, true)
        .radio(kRadioLongWhole, {10, 127, 272, 137}, false)
        .radio(kRadioLongWarn, {10, 138, 272, 148}, false)
        .add(kLabelLongCycle, Ctl::Static, {10, 152, 130, 161})
        .add(kComboLongCycle, Ctl::ComboDropList, {135, 150, 272, 200})
        .add(kLabelLongStart, Ctl::Static, {10, 165, 110, 174})
        .radio(kRadioLongFromTop, {112, 165, 190, 175}, true)
        .radio(kRadioLongFromMax, {192, 165, 272, 175}, false)
        .add(kGroupBottomZone, Ctl::GroupBox, {5, 178, 275, 226})
        .radio(kRadioZoneAtMax, {10, 188, 20, 198}, true)
        .radio(kRadioZoneDeeper, {142, 188, 152, 198}, false)
        .picture(kPictureZoneAtMax, {22, 188, 60, 220}, 18035)
        .add(kLabelZoneAtMax, Ctl::Static, {62, 188, 138, 222})
        .picture(kPictureZoneDeeper, {154, 188, 192, 220}, 18034)
        .add(kLabelZoneDeeper, Ctl::Static, {194, 188, 272, 222});
}

void pageThroughShapes(Layout& l) {
    using namespace gp;
    l.page(4)
        .add(kGroupThroughShapes, Ctl::GroupBox, {5, 22, 275, 60})
        .add(kLabelThroughShapes, Ctl::Static, {10, 32, 270, 58})
        .add(kGroupDivideReamed, Ctl::GroupBox, {5, 62, 275, 138})
        .radio(kRadioReamedAlways, {10, 72, 270, 82}, true)
        .radio(kRadioReamedDeeper, {10, 83, 270, 93}, false)
        .radio(kRadioReamedNever, {10, 94, 270, 104}, false)
        .add(kEditReamedFactor, Ctl::Edit, {10, 107, 50, 118})
        .add(kLabelReamedFactor, Ctl::Static, {55, 108, 270, 117})
        .add(kCheckReamedOpposite, Ctl::Check, {10, 122, 270, 132})
        .add(kGroupDivideNotReamed, Ctl::GroupBox, {5, 142, 275, 214})
        .radio(kRadioNotReamedAlways, {10, 151, 270, 161}, true)
        .radio(kRadioNotReamedDeeper, {10, 161, 270, 171}, false)
        .radio(kRadioNotReamedNever, {10, 171, 270, 181}, false)
        .add(kEditNotReamedFactor, Ctl::Edit, {10, 183, 50, 194})
        .add(kLabelNotReamedFactor, Ctl::Static, {55, 184, 270, 193})
        .add(kCheckNotReamedOpposite, Ctl::Check, {10, 198, 270, 208})
        .add(kGroupSingleReamed, Ctl::GroupBox, {5, 216, 275, 244})
        .add(kCheckReamOnlyMarked, Ctl::Check, {10, 228, 270, 238});
}

DlgTemplate generalParametersTemplate() {
    using namespace gp;
    Layout l(kTemplate, "Parameters", kPageCount * kPageWidthDlu, 270);
    l.add(kTab, Ctl::Tab, {4, 3, 276, 248});
    pageGeneral(l);
    pageTools(l);
    pageHeights(l);
    pageDepths(l);
    pageThroughShapes(l);
    l.page(0)
        .add(kButtonDefaults, Ctl::Button, {5, 252, 85, 266})
        .add(plat::IDOK, Ctl::DefButton, {150, 252, 205, 266}, "OK")
        .add(plat::IDCANCEL, Ctl::Button, {210, 252, 270, 266}, "Cancel");
    return l.done();
}

// Colours: two rows of label, swatch and button.
DlgTemplate coloursTemplate() {
    Layout l(18055, "Colours", 200, 88);
    l.add(18059, Ctl::Static, {10, 10, 120, 20})
        .add(18058, Ctl::Static, {125, 8, 160, 20}, "", plat::SS_CENTER)
        .add(18041, Ctl::Button, {165, 8, 195, 20})
        .add(18061, Ctl::Static, {10, 28, 120, 38})
        .add(18060, Ctl::Static, {125, 26, 160, 38}, "", plat::SS_CENTER)
        .add(18042, Ctl::Button, {165, 26, 195, 38})
        .okCancel(64, 200);
    return l.done();
}

// The choice of another table library: its texts come from the UI texts at the opening.
DlgTemplate sharedLibraryChoiceTemplate() {
    Layout l(18074, "Shared library", 240, 100);
    l.add(18063, Ctl::Static, {10, 8, 230, 36})
        .add(18062, Ctl::ComboDropDown, {10, 40, 230, 120}, "", plat::CBS_SORT)
        .add(18064, Ctl::Static, {10, 56, 230, 74})
        .okCancel(78, 240);
    return l.done();
}

// The shared data manager: folder, access mode and password; the status and progress of a request for
// read-write access stay hidden until one runs. Texts come from the UI texts at the opening.
DlgTemplate sharedDataTemplate() {
    Layout l(18030, "Shared data", 260, 150);
    l.add(18056, Ctl::Static, {10, 8, 250, 18})
        .add(4386, Ctl::Static, {10, 20, 190, 32})
        .add(4385, Ctl::Button, {195, 19, 250, 33})
        .add(4389, Ctl::GroupBox, {10, 38, 250, 76})
        .radio(4387, {18, 50, 130, 60}, true)
        .radio(4388, {18, 62, 130, 72}, false)
        .add(18013, Ctl::Button, {140, 55, 245, 69})
        .add(18011, Ctl::Static, {10, 82, 250, 100})
        .add(18012, Ctl::Progress, {10, 104, 250, 112})
        .okCancel(126, 260);
    return l.done();
}

// The password prompt: an edit that shows no character, and OK.
DlgTemplate passwordTemplate() {
    Layout l(18039, "", 160, 56);
    l.add(18010, Ctl::Edit, {10, 10, 150, 22}, "", plat::ES_PASSWORD)
        .add(plat::IDOK, Ctl::DefButton, {55, 32, 105, 46}, "OK");
    return l.done();
}

DlgTemplate levelsTemplate() {
    Layout l(18027, "Levels", 220, 110);
    l.add(4301, Ctl::Static, {10, 10, 150, 20})
        .add(4045, Ctl::Edit, {155, 9, 210, 20})
        .add(4303, Ctl::Static, {10, 24, 150, 34})
        .add(4033, Ctl::Edit, {155, 23, 210, 34})
        .add(4302, Ctl::Static, {10, 38, 150, 56})
        .add(4037, Ctl::Edit, {155, 38, 210, 49})
        .add(4041, Ctl::Edit, {155, 52, 210, 63})
        .add(4304, Ctl::Static, {10, 68, 150, 78})
        .add(4023, Ctl::ComboDropList, {155, 67, 210, 110})
        .okCancel(88, 220);
    return l.done();
}

DlgTemplate advancedStrategiesTemplate() {
    Layout l(18007, "Advanced strategies", 240, 88);
    l.add(4019, Ctl::Check, {10, 10, 160, 20})
        .add(4026, Ctl::ComboDropDown, {165, 9, 230, 80})
        .add(4215, Ctl::Check, {10, 26, 230, 36})
        .add(4216, Ctl::Check, {10, 40, 230, 58})
        .okCancel(66, 240);
    return l.done();
}

DlgTemplate recognitionTolerancesTemplate() {
    Layout l(18040, "Advanced forms recognition", 240, 136);
    l.add(18020, Ctl::Static, {10, 8, 230, 30})
        .add(18021, Ctl::Static, {10, 36, 160, 45})
        .add(18017, Ctl::Edit, {165, 35, 230, 46})
        .add(18022, Ctl::Static, {10, 50, 160, 59})
        .add(18018, Ctl::Edit, {165, 49, 230, 60})
        .add(18023, Ctl::Static, {10, 64, 160, 73})
        .add(18098, Ctl::Edit, {165, 63, 230, 74})
        .add(18024, Ctl::Static, {10, 78, 160, 87})
        .add(18099, Ctl::Edit, {165, 77, 230, 88})
        .picture(18025, {10, 92, 60, 110}, 18042)
        .picture(18026, {70, 92, 120, 110}, 18044)
        .okCancel(116, 240);
    return l.done();
}

DlgTemplate drillingSideTemplate() {
    Layout l(18078, "Drilling side", 240, 142);
    l.add(18094, Ctl::Static, {10, 8, 230, 26})
        .radio(18088, {10, 30, 120, 40}, true)
        .radio(18089, {10, 41, 120, 51}, false)
        .picture(18083, {125, 30, 175, 60}, 18079)
        .picture(18084, {180, 30, 230, 60}, 18080)
        .add(18095, Ctl::GroupBox, {5, 64, 235, 114})
        .add(18096, Ctl::Static, {12, 76, 22, 85})
        .add(18091, Ctl::Edit, {25, 75, 95, 86})
        .add(18097, Ctl::Static, {12, 88, 22, 97})
        .add(18092, Ctl::Edit, {25, 87, 95, 98})
        .add(18102, Ctl::Static, {12, 100, 22, 109})
        .add(18093, Ctl::Edit, {25, 99, 95, 110})
        .add(18041, Ctl::Button, {150, 75, 225, 87})
        .okCancel(120, 240);
    return l.done();
}

DlgTemplate viewsSortTemplate() {
    Layout l(18029, "Views sort", 250, 196);
    l.radio(4202, {10, 10, 120, 20}, true)
        .radio(4203, {10, 21, 120, 31}, false)
        .radio(4204, {10, 32, 120, 42}, false)
        .radio(4205, {10, 43, 120, 53}, false)
        .add(4300, Ctl::Static, {10, 58, 240, 76})
        .radio(4380, {10, 80, 240, 90}, true)
        .radio(4381, {10, 91, 240, 101}, false)
        .radio(4382, {10, 102, 240, 112}, false)
        .radio(4383, {10, 113, 240, 123}, false)
        .hidden(4019, Ctl::Check, {10, 124, 240, 134})
        .add(4028, Ctl::Check, {10, 126, 240, 136})
        .add(4020, Ctl::Check, {10, 142, 180, 152})
        .add(4046, Ctl::Edit, {185, 141, 240, 152})
        .add(4021, Ctl::Check, {20, 155, 240, 165})
        .okCancel(174, 250);
    return l.done();
}

// The page behind the tool selection criteria is a plain grey body; every field is a control of its own.
DlgTemplate toolCriteriaTemplate() {
    Layout l(18065, "Tool selection criteria", 300, 206);
    l.add(18170, Ctl::GroupBox, {5, 5, 295, 78})
        .add(18172, Ctl::Static, {10, 16, 150, 25})
        .add(18068, Ctl::Edit, {155, 15, 190, 26})
        .add(18171, Ctl::Static, {195, 16, 290, 25})
        .add(18174, Ctl::Static, {10, 30, 150, 39})
        .add(18069, Ctl::Edit, {155, 29, 190, 40})
        .add(18173, Ctl::Static, {195, 30, 290, 39})
        .add(18205, Ctl::Check, {10, 44, 290, 54})
        .picture(18182, {10, 56, 290, 76}, 18101)
        .add(18175, Ctl::GroupBox, {5, 80, 295, 184})
        .add(18176, Ctl::Static, {10, 90, 120, 99})
        .radio(18193, {125, 90, 195, 100}, true)
        .radio(18194, {125, 101, 195, 111}, false)
        .radio(18196, {125, 112, 195, 122}, false)
        .add(18177, Ctl::Static, {10, 124, 290, 133})
        .add(18178, Ctl::Static, {10, 136, 60, 145})
        .add(18067, Ctl::Edit, {65, 135, 100, 146})
        .add(18180, Ctl::Static, {105, 136, 200, 145})
        .add(18179, Ctl::Static, {10, 148, 140, 157})
        .add(18181, Ctl::Static, {145, 148, 290, 157})
        .add(18204, Ctl::Check, {10, 160, 200, 170})
        .picture(18183, {205, 158, 290, 182}, 18104)
        .okCancel(188, 300);
    return l.done();
}

DlgTemplate readWriteOptionsTemplate() {
    Layout l(18090, "Read/write options", 220, 66);
    l.radio(18106, {10, 10, 210, 20}, true).radio(18107, {10, 24, 210, 34}, false).okCancel(46, 220);
    return l.done();
}

// The list of views over the two range groups.
DlgTemplate selectedViewsTemplate() {
    Layout l(18091, "Selected views", 300, 226);
    l.add(18111, Ctl::Static, {7, 5, 293, 18})
        .add(18108, Ctl::ListView, {7, 20, 293, 140}, "", plat::LVS_REPORT | plat::LVS_SHOWSELALWAYS)
        .add(18112, Ctl::GroupBox, {7, 145, 148, 200})
        .add(18109, Ctl::Check, {12, 155, 140, 165})
        .add(18113, Ctl::Static, {12, 169, 40, 178})
        .add(18098, Ctl::Edit, {42, 168, 100, 179})
        .add(18114, Ctl::Static, {102, 169, 120, 178})
        .add(18115, Ctl::Static, {12, 183, 40, 192})
        .add(18099, Ctl::Edit, {42, 182, 100, 193})
        .add(18116, Ctl::Static, {102, 183, 120, 192})
        .add(18117, Ctl::GroupBox, {152, 145, 293, 200})
        .add(18110, Ctl::Check, {157, 155, 285, 165})
        .add(18118, Ctl::Static, {157, 169, 185, 178})
        .add(18100, Ctl::Edit, {187, 168, 245, 179})
        .add(18119, Ctl::Static, {247, 169, 265, 178})
        .add(18120, Ctl::Static, {157, 183, 185, 192})
        .add(18101, Ctl::Edit, {187, 182, 245, 193})
        .add(18121, Ctl::Static, {247, 183, 265, 192})
        .okCancel(206, 300);
    return l.done();
}

}  // namespace

void registerSettingsTemplates() {
    plat::registerDialog(generalParametersTemplate());
    plat::registerDialog(coloursTemplate());
    plat::registerDialog(levelsTemplate());
    plat::registerDialog(sharedLibraryChoiceTemplate());
    plat::registerDialog(sharedDataTemplate());
    plat::registerDialog(passwordTemplate());
    plat::registerDialog(advancedStrategiesTemplate());
    plat::registerDialog(recognitionTolerancesTemplate());
    plat::registerDialog(drillingSideTemplate());
    plat::registerDialog(viewsSortTemplate());
    plat::registerDialog(toolCriteriaTemplate());
    plat::registerDialog(readWriteOptionsTemplate());
    plat::registerDialog(selectedViewsTemplate());
}
