// The editor's controls and its state kept in step: the handlers of single edits and switches, the reading
// of every control into the edited operation, the writing of the milled pages' values and compensation
// lists into the controls, the enabling by milled kind, the tool from the library and the tip of
// "Calculate cuts".
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

#include "host/api.h"
#include "platform/ui/message_box.h"
#include "plugin/base/globals.h"
#include "plugin/configuration/editor_record.h"
#include "plugin/configuration/editor_support.h"
#include "plugin/model/host_blocks.h"
#include "plugin/configuration/config_dialogs.h"
#include "plugin/services/configuration.h"
#include "plugin/services/tooling.h"

namespace {

using namespace process_ope;
namespace C = circle_fields;
namespace D = op_depth_cuts_layout;
namespace R = op_radial_layout;
namespace L = op_lead_layout;
namespace H = helix_fields;
namespace T = thread_fields;

constexpr int kMsgCornerRadius = 104, kMsgNoMachineGroup = 148;   // "ErrorMessages"
constexpr int kLineCalculateTip = 501, kLineOddThread = 331, kLineEvenThread = 332;
constexpr std::size_t kTipChars = 2047, kWantedNameChars = 121;

// How a value of a milled page is shown and read: a real in the length, fine or coarse format, a whole
// number of 16 or 32 bits, or a switch (a check box).
enum class FK : std::uint8_t { length, fine, coarse, count16, count32, flag };

// Where the value of a control of the milled pages lies in the record, and which reading takes it: 5 every
// kind, 6 the helix bore, 7 the thread mill. Every one is written into its control.
struct PAGE_FIELD {
    int control;
    std::size_t at;
    FK kind;
    int step;
};

constexpr std::size_t kLeadIn = hostBlock168 + L::entry, kLeadOut = hostBlock168 + L::exit;

constexpr PAGE_FIELD kPageFields[] = {
    {4049, circleMillBlock + C::overlap, FK::length, 5},
    {4108, hostValue.at, FK::length, 5},
    {4109, hostBlock64 + D::stockOnBottom, FK::length, 5},
    {4050, hostBlock64 + D::maxRough, FK::length, 5},
    {4052, hostBlock64 + D::finishStep, FK::length, 5},
    {4051, hostBlock64 + D::finishCount, FK::count16, 5},
    {4054, hostBlock40 + R::roughSpacing, FK::length, 5},
    {4053, hostBlock40 + R::roughCount, FK::count16, 5},
    {4056, hostBlock40 + R::finishSpacing, FK::length, 5},
    {4055, hostBlock40 + R::finishCount, FK::count16, 5},
    {4092, circleMillBlock + C::stepover, FK::length, 5},
    {4088, circleMillBlock + C::stepoverPercent, FK::length, 5},
    {4029, hostBlock64 + D::on, FK::flag, 5},
    {4028, hostBlock40 + R::on, FK::flag, 5},
    {4035, circleMillBlock + C::roughOn, FK::flag, 5},
    {4114, circleMillBlock + C::helixOn, FK::flag, 5},
    {4105, kLeadIn + L::radiusPercent, FK::length, 5},
    {4106, kLeadIn + L::arcRadius, FK::length, 5},
    {4110, kLeadOut + L::radiusPercent, FK::length, 5},
    {4111, kLeadOut + L::arcRadius, FK::length, 5},
    {4107, hostBlock168 + L::overlap, FK::length, 5},
    {4037, hostBlock168 + L::on, FK::flag, 5},
    {4117, kLeadOut, FK::flag, 5},
    {4116, kLeadIn, FK::flag, 5},

    {4057, helixBoreBlock + H::overlap, FK::length, 6},
    {4113, hostValue.at, FK::length, 6},
    {4115, hostBlock64 + D::stockOnBottom, FK::length, 6},
    {4074, helixBoreBlock + H::roughPitch, FK::length, 6},
    {4075, helixBoreBlock + H::roughPasses, FK::count16, 6},
    {4076, helixBoreBlock + H::roughStepover, FK::length, 6},
    {4078, helixBoreBlock + H::finishPercent, FK::coarse, 6},
    {4077, helixBoreBlock + H::finishValue, FK::length, 6},
    {4038, helixBoreBlock + H::finishOn, FK::flag, 6},
    {4079, helixBoreBlock + H::finishPitch, FK::length, 6},
    {4080, helixBoreBlock + H::finishStepover, FK::length, 6},
    {4086, helixBoreBlock + H::feedPercent, FK::coarse, 6},
    {4081, helixBoreBlock + H::feed, FK::length, 6},
    {4085, helixBoreBlock + H::speedPercent, FK::coarse, 6},
    {4084, helixBoreBlock + H::speed, FK::count32, 6},
    {18128, helixBoreBlock + H::arcOutput, FK::flag, 6},
    {4118, helixBoreBlock + H::tolerance, FK::length, 6},

    {4119, threadMillBlock + T::pitch, FK::fine, 7},
    {4120, threadMillBlock + T::startAngle, FK::length, 7},
    {4121, threadMillBlock + T::allowance, FK::length, 7},
    {4122, threadMillBlock + T::taperAngle, FK::length, 7},
    {4123, threadMillBlock + T::arcClearance, FK::length, 7},
    {4124, threadMillBlock + T::lineLength, FK::length, 7},
    {4125, threadMillBlock + T::tolerance, FK::fine, 7},
    {18136, hostBlock168 + L::entryFirstOnly, FK::flag, 7},
    {18137, threadMillBlock + T::perpendicularEntry, FK::flag, 7},
    {18138, threadMillBlock + T::helicalTop, FK::flag, 7},
    {18139, threadMillBlock + T::helicalBottom, FK::flag, 7},
    {18140, threadMillBlock + T::linearize, FK::flag, 7},
    {18149, hostBlock40 + R::on, FK::flag, 7},
    {4128, hostBlock40 + R::roughCount, FK::count16, 7},
    {4129, hostBlock40 + R::roughSpacing, FK::length, 7},
    {4131, hostBlock40 + R::finishCount, FK::count16, 7},
    {4130, hostBlock40 + R::finishSpacing, FK::length, 7},
    {4132, threadMillBlock + T::springPasses, FK::count16, 7},
    {18155, threadMillBlock + T::feedOverrideOn, FK::flag, 7},
    {4126, threadMillBlock + T::feedOverride, FK::length, 7},
    {18156, threadMillBlock + T::speedOverrideOn, FK::flag, 7},
    {4127, threadMillBlock + T::speedOverride, FK::count32, 7},
    {4133, threadMillBlock + T::activeTeeth, FK::count16, 7},
    {4134, threadMillBlock + T::topOfThread, FK::length, 7},
};

// The thread mill's three radio pairs: the first radio of each stands for 0.
struct THREAD_PAIR {
    int zero, one;
    std::size_t at;
    bool wide;   // a 16-bit field, else a byte
};
constexpr THREAD_PAIR kThreadPairs[] = {
    {18141, 18142, threadMillBlock + T::side, true},
    {18143, 18144, threadMillBlock + T::hand, false},
    {18145, 18146, threadMillBlock + T::direction, false},
};

const char* formatOf(FK kind) {
    switch (kind) {
        case FK::fine: return g_fmtFine;
        case FK::coarse: return g_fmtCoarse;
        default: return g_fmtMedium;
    }
}

const PAGE_FIELD* pageField(int control) {
    for (const PAGE_FIELD& f : kPageFields)
        if (f.control == control) return &f;
    return nullptr;
}

int threadPairValue(const PROCESS_OPE& op, const THREAD_PAIR& p) {
    return p.wide ? op.get<std::int16_t>(p.at) : op.get<std::uint8_t>(p.at);
}

}  // namespace

void CDlgEditProcessOpe::bindValueHandlers() {
    using plat::Ev;
    on(4068, Ev::Change, [this](plat::Notify&) { onToolDiameterChange(); });
    for (int kind = 1; kind <= 4; ++kind) {
        const int edit = milledDiameterControls(kind).edit;
        on(edit, Ev::Change, [this, kind, edit](plat::Notify&) {
            assoc[static_cast<std::size_t>(kBottomZBlock + kind)].value = textNumber(item(edit).text());
        });
    }
    on(4036, Ev::Change, [this](plat::Notify&) {
        topZText = item(4036).text();
        assoc[kTopZBlock].value = textNumber(topZText);
    });
    on(4040, Ev::Change, [this](plat::Notify&) {
        bottomZText = item(4040).text();
        assoc[kBottomZBlock].value = textNumber(bottomZText);
    });
    on(4089, Ev::Change, [this](plat::Notify&) {
        firstDrillText = item(4089).text();
        firstDrillPercent = textNumber(firstDrillText);
    });
    onCommand(4098, [this] {
        fromTopZCheck = item(4098).check();
        fromTopZ = static_cast<std::int16_t>(fromTopZCheck);
    });
    on(4094, Ev::Change, [this](plat::Notify&) { onCommentChange(); });
    on(4031, Ev::Change, [this](plat::Notify&) { onCornerRadiusChange(); });
    for (int id : {4261, 4262}) onCommand(id, [this] { onCornerRadiusChoice(); });
    onCommand(18068, [this] { onWishCheck(18068, 18071); });
    onCommand(18069, [this] { onWishCheck(18069, 18072); });
    onCommand(4019, [this] { onOffsetCheck(); });
    onCommand(4020, [this] { onStockCheck(); });
    for (int id : {4054, 4056}) on(id, Ev::Change, [this, id](plat::Notify&) { onPageValue(id); });
    on(4075, Ev::Change, [this](plat::Notify&) {
        onPageValue(4075);
        enableByKind();
    });
    for (int id : {4078, 4077, 4086, 4081, 4085, 4084})
        on(id, Ev::Change, [this, id](plat::Notify&) {
            if (!focused(id)) return;
            onPageValue(id);
            enableByKind();
        });
    for (const THREAD_PAIR& p : kThreadPairs)
        for (int id : {p.zero, p.one}) onCommand(id, [this, p] { onThreadRadio(p.at, p.zero); });
    for (int id : {18140, 18149, 18128, 4038, 18155, 18156})
        onCommand(id, [this, id] { onMilledFlag(pageField(id)->at, id); });
    struct PAIR {
        int percent, value;
    };
    for (PAIR p : {PAIR{4088, 4092}, PAIR{4105, 4106}, PAIR{4110, 4111}}) {
        on(p.percent, Ev::Change, [this, p](plat::Notify&) { onPercentOfToolChange(p.percent, p.value, true); });
        on(p.value, Ev::Change, [this, p](plat::Notify&) { onPercentOfToolChange(p.value, p.percent, false); });
    }
    // The helical entry's values, edited in their own dialog: the editor only keeps them with its own.
    for (int id : {4090, 4091, 4093, 4097})
        on(id, Ev::Change, [this](plat::Notify&) {
            if (focusedId() == 0) return;
            updateData(true);
            updateData(false);
        });
    onCommand(4083, [this] { toolFromLibrary(); });
    on(0, Ev::NeedText, [this](plat::Notify& n) { onToolTip(n); });
}

// The text the user typed is the tool diameter; texts the editor writes (a tap's or a drill's diameter from
// the thread or drill-size table) only show it.
void CDlgEditProcessOpe::onToolDiameterChange() {
    toolDiameterText = item(4068).text();
    if (!focused(4068)) return;
    const double d = textNumber(toolDiameterText);
    assoc[kToolDiamBlock].value = d;
    if (milledKind == 0) return;
    struct LEAD {
        std::size_t group;
        int edit;
    };
    for (LEAD lead : {LEAD{kLeadIn, 4106}, LEAD{kLeadOut, 4111}}) {
        const double r = d * operation.get<double>(lead.group + L::radiusPercent) / 100;
        operation.set<double>(lead.group + L::arcRadius, r);
        item(lead.edit).setText(numberText(g_fmtMedium, r));
    }
}

void CDlgEditProcessOpe::onCommentChange() {
    const std::string text = item(4094).text();
    if (text.size() > static_cast<std::size_t>(kCommentChars)) {
        item(4094).setText(text.substr(0, kCommentChars));   // which comes back here
        return;
    }
    commentText = text;
    comment = text;
}

void CDlgEditProcessOpe::onCornerRadiusChange() {
    cornerRadiusText = item(4031).text();
    if (limitingCornerRadius) return;
    cornerRadius = textNumber(cornerRadiusText);
    const double half = 0.5 * assoc[kToolDiamBlock].value;
    if (cornerRadius <= half) return;
    plat::messageBox(this, errorMessage(kMsgCornerRadius), errorMessage(1), plat::MB_OK);
    cornerRadius = half;
    limitingCornerRadius = true;
    item(4031).setText(numberText(g_fmtMedium, half));
    limitingCornerRadius = false;
}

void CDlgEditProcessOpe::onCornerRadiusChoice() {
    const bool typed = item(4262).check() != 0;
    cornerRadiusChoice = typed ? 1 : item(4261).check() != 0 ? 0 : -1;
    item(4031).enable(typed && item(4262).enabled());
}

void CDlgEditProcessOpe::onWishCheck(int check, int control) { item(control).enable(item(check).check() != 0); }

void CDlgEditProcessOpe::onOffsetCheck() {
    ASSOC_VALUE& tool = assoc[kToolDiamBlock];
    tool.offsetOn = static_cast<std::int16_t>(item(4019).check() != 0);
    if (tool.offsetOn && item(4019).enabled()) {
        offsetSign = static_cast<std::int16_t>(toolType == 12 || toolType == 9 ? 1 : -1);
        showSign(4362, offsetSign);
    }
    enableOffset();
}

void CDlgEditProcessOpe::enableOffset() {
    const bool on = assoc[kToolDiamBlock].offsetOn != 0 && item(4019).enabled();
    item(4039).enable(on);
    item(4362).enable(on);
}

void CDlgEditProcessOpe::onStockCheck() {
    ASSOC_VALUE& bottom = assoc[kBottomZBlock];
    bottom.offsetOn = static_cast<std::int16_t>(item(4020).check() != 0);
    const bool on = bottom.offsetOn != 0 && item(4020).enabled();
    if (on) showSign(18057, stockSign);
    item(4041).enable(on);
    item(18057).enable(on);
}

void CDlgEditProcessOpe::onPageValue(int edit) {
    const PAGE_FIELD* f = pageField(edit);
    const std::string& text = item(edit).text();
    switch (f->kind) {
        case FK::count16: operation.set<std::int16_t>(f->at, static_cast<std::int16_t>(textCount(text, SHRT_MIN, SHRT_MAX))); break;
        case FK::count32: operation.set<std::int32_t>(f->at, static_cast<std::int32_t>(textCount(text, INT_MIN, INT_MAX))); break;
        case FK::flag: break;
        default: operation.set<double>(f->at, textNumber(text)); break;
    }
}

void CDlgEditProcessOpe::onThreadRadio(std::size_t at, int zeroRadio) {
    for (const THREAD_PAIR& p : kThreadPairs) {
        if (p.at != at) continue;
        const int value = item(zeroRadio).check() != 0 ? 0 : 1;
        if (p.wide)
            operation.set<std::int16_t>(at, static_cast<std::int16_t>(value));
        else
            operation.set<std::uint8_t>(at, static_cast<std::uint8_t>(value));
    }
    enableByKind();
}

void CDlgEditProcessOpe::onPercentOfToolChange(int edit, int partner, bool isPercent) {
    if (!focused(edit)) return;
    const std::string text = percentPartnerText(assoc[kToolDiamBlock].value, item(edit).text(), isPercent);
    if (!text.empty()) item(partner).setText(text);
}

void CDlgEditProcessOpe::readControls() {
    updateData(true);
    ASSOC_VALUE& tool = assoc[kToolDiamBlock];
    ASSOC_VALUE& bottom = assoc[kBottomZBlock];
    tool.offset = textNumber(item(4039).text()) * offsetSign;
    materialWanted = static_cast<std::int16_t>(item(18068).check());
    nameWanted = static_cast<std::int16_t>(item(18069).check());
    if (const int sel = item(18071).curSel(); sel >= 0) toolMaterial = static_cast<std::int16_t>(item(18071).itemData(sel));
    wantedToolName = item(18072).text().substr(0, kWantedNameChars);
    bottom.offset = textNumber(item(4041).text()) * stockSign;

    if (milledKind >= kCircleMill && milledKind <= kThreadMill) {
        storeMilledDiameter(operation, assoc[static_cast<std::size_t>(kBottomZBlock + milledKind)]);
        const int typeCombo = milledKind <= kContour ? 4023 : milledKind == kHelixBore ? 4026 : 4032;
        if (const int sel = item(typeCombo).curSel(); sel >= 0)
            operation.set<std::int16_t>(hostBlock6 + comp_fields::type, static_cast<std::int16_t>(sel));
        const int directionCombo = milledKind <= kContour ? 4024 : milledKind == kHelixBore ? 4027 : 0;
        if (directionCombo != 0)
            if (const int sel = item(directionCombo).curSel(); sel >= 0)
                operation.set<std::uint8_t>(hostBlock6 + comp_fields::direction, static_cast<std::uint8_t>(sel));
    }
    calcEachForm = static_cast<std::int16_t>(item(18073).check());

    if (milledKind == kHelixBore) operation.set<double>(helixBoreBlock + H::boreDiameter, assoc[kHelixDiamBlock].value);
    for (const PAGE_FIELD& f : kPageFields) {
        if ((f.step == 6 && milledKind != kHelixBore) || (f.step == 7 && milledKind != kThreadMill)) continue;
        if (f.kind == FK::flag)
            operation.set<std::uint8_t>(f.at, item(f.control).check() != 0 ? 1 : 0);
        else
            onPageValue(f.control);
    }
    // Helical entry starts the roughing.
    if (item(4114).check() != 0) operation.set<std::uint8_t>(circleMillBlock + C::roughOn, 1);
    operation.set<std::uint8_t>(circleMillBlock + C::finishAtEachDepth, item(4314).check() != 0 ? 0 : 1);
    if (milledKind == kThreadMill)
        for (const THREAD_PAIR& p : kThreadPairs) {
            const int value = item(p.zero).check() != 0 ? 0 : 1;
            if (p.wide)
                operation.set<std::int16_t>(p.at, static_cast<std::int16_t>(value));
            else
                operation.set<std::uint8_t>(p.at, static_cast<std::uint8_t>(value));
        }
}

void CDlgEditProcessOpe::fillCompCombos() {
    const double signLimit = -g_tolerances.tol004T;
    const ASSOC_VALUE& tool = assoc[kToolDiamBlock];
    const ASSOC_VALUE& bottom = assoc[kBottomZBlock];
    item(4019).setCheck(tool.offsetOn != 0);
    offsetSign = static_cast<std::int16_t>(tool.offset < signLimit ? -1 : 1);
    showSign(4362, offsetSign);
    item(4039).setText(numberText(g_fmtFine, std::fabs(tool.offset)));
    item(18068).setCheck(materialWanted != 0);
    item(18069).setCheck(nameWanted != 0);
    item(18072).setText(wantedToolName);
    item(4020).setCheck(bottom.offsetOn != 0);
    stockSign = static_cast<std::int16_t>(bottom.offset < signLimit ? -1 : 1);
    showSign(18057, stockSign);
    item(4041).setText(numberText(g_fmtFine, std::fabs(bottom.offset)));

    struct LIST {
        const char* section;
        int lines;
        std::initializer_list<int> combos;
        int selected;
    };
    const LIST lists[] = {
        {"CCompTypes", 5, {4023, 4026, 4032}, operation.get<std::int16_t>(hostBlock6 + comp_fields::type)},
        {"CDirTypes", 2, {4024, 4027}, operation.get<std::uint8_t>(hostBlock6 + comp_fields::direction)},
        {"CTipCompTypes", 2, {4025, 4030}, operation.get<std::uint8_t>(circleMillBlock + C::tipComp)},
    };
    for (const LIST& list : lists) {
        CTextSection lines;
        (void)lines.load(g_globals->uiTextFile, list.section, false);
        for (int id : list.combos) {
            plat::Control& combo = item(id);
            combo.resetContent();
            for (int line = 1; line <= list.lines; ++line) combo.addString(lines.getText(line));
            combo.setCurSel(list.selected >= 0 && list.selected < list.lines ? list.selected : -1);
        }
    }

    item(18073).setCheck(calcEachForm != 0);
    for (const PAGE_FIELD& f : kPageFields) {
        plat::Control& c = item(f.control);
        switch (f.kind) {
            case FK::flag: c.setCheck(operation.get<std::uint8_t>(f.at) != 0); break;
            case FK::count16: c.setText(std::to_string(operation.get<std::int16_t>(f.at))); break;
            case FK::count32: c.setText(std::to_string(operation.get<std::int32_t>(f.at))); break;
            default: c.setText(numberText(formatOf(f.kind), operation.get<double>(f.at))); break;
        }
    }
    const bool finalDepth = operation.get<std::uint8_t>(circleMillBlock + C::finishAtEachDepth) == 0;
    item(4314).setCheck(finalDepth);
    item(4315).setCheck(!finalDepth);
    for (const THREAD_PAIR& p : kThreadPairs) {
        const bool zero = threadPairValue(operation, p) == 0;
        item(p.zero).setCheck(zero);
        item(p.one).setCheck(!zero);
    }
    item(4102).setText(numberText(g_fmtMedium, operation.get<double>(circleMillBlock + C::helixXYClearance)));
    item(4103).setText(numberText(g_fmtMedium, operation.get<double>(circleMillBlock + C::helixZClearance)));
    item(4104).setText(numberText(g_fmtMedium, operation.get<double>(circleMillBlock + C::helixPlungeAngle)));
}

void CDlgEditProcessOpe::enableCheckedGroups() {
    auto checked = [this](int id) { return item(id).check() != 0; };
    for (int id : {4050, 4051, 4052, 4319, 4320, 4321}) item(id).enable(checked(4029));
    for (int id : {4088, 4092, 4330, 4331}) item(id).enable(checked(4035));
    for (int id : {4053, 4054, 4055, 4056, 4325, 4326, 4327, 4328, 4324, 4314, 4315}) item(id).enable(checked(4028));
    const bool contour = checked(4037);
    for (int id : {4116, 4117, 4107}) item(id).enable(contour);
    for (int id : {4105, 4346, 4106}) item(id).enable(contour && checked(4116));
    for (int id : {4110, 4347, 4111}) item(id).enable(contour && checked(4117));
}

void CDlgEditProcessOpe::enableByKind() {
    enableCheckedGroups();
    if (milledKind >= kCircleMill && milledKind <= kThreadMill) {
        if (assoc[kToolDiamBlock].mode == 1) toolDiameterMode = 0;
        item(4059).enable(false);
        item(4063).enable(false);
        item(4068).enable(true);
        item(4019).enable(false);
        assoc[kTopZBlock].mode = 1;
        topZMode = 1;
        item(4065).enable(false);
        item(4036).enable(false);
        const MILLED_DIAMETER_CONTROLS& c = milledDiameterControls(milledKind);
        const bool associated = assoc[static_cast<std::size_t>(kBottomZBlock + milledKind)].mode != 0;
        item(c.button).enable(associated);
        item(c.associatedRadio).setCheck(associated);
        item(c.fixedRadio).setCheck(!associated);
    }
    if (milledKind == kHelixBore) {
        const std::size_t at = helixBoreBlock;
        item(4076).enable(operation.get<std::int16_t>(at + H::roughPasses) > 1);
        item(4118).enable(operation.get<std::uint8_t>(at + H::arcOutput) != 0);
        const bool finish = operation.get<std::uint8_t>(at + H::finishOn) != 0;
        for (int id : {4079, 4080, 4081, 4086, 4084, 4085}) item(id).enable(finish);
    }
    if (milledKind == kThreadMill) {
        int sum = 0;
        for (const THREAD_PAIR& p : kThreadPairs) sum += threadPairValue(operation, p);
        item(18147).setText(texts.getText(sum % 2 != 0 ? kLineOddThread : kLineEvenThread));
        const std::size_t at = threadMillBlock;
        item(4125).enable(operation.get<std::uint8_t>(at + T::linearize) != 0);
        const bool passes = operation.get<std::uint8_t>(hostBlock40 + R::on) != 0;
        for (int id : {4128, 4129, 4131, 4130, 4132, 18155, 18156}) item(id).enable(passes);
        item(4126).enable(operation.get<std::uint8_t>(at + T::feedOverrideOn) != 0);
        item(4127).enable(operation.get<std::uint8_t>(at + T::speedOverrideOn) != 0);
    }
    if (milledKind == kMilledNone) {
        for (int id : {4059, 4063, 4065}) item(id).enable(true);
        // The top Z edit only where the top Z is typed.
        item(4036).enable(assoc[kTopZBlock].mode == 0);
    }
    updateData(false);
    applyToolDiameterMode();
    applyBottomZMode();
    enableWishes();
}

void CDlgEditProcessOpe::toolFromLibrary() {
    if (!g_machineGroup) {
        plat::messageBox(this, errorMessage(kMsgNoMachineGroup), errorMessage(1), plat::MB_OK);
        return;
    }
    const double typed = textNumber(item(4068).text());
    int startSlot = 0;
    tp_tool found{};
    if (toolDiameterMode == 2 && !libraryToolName.empty() &&
        findLibraryToolByName(static_cast<std::int16_t>(toolType), libraryToolName, &found) == 1) {
        startSlot = found.slot;
    } else {
        tool_node* list = nullptr;
        (void)list_manager(kListTools, "", kListLoad, &list);
        for (const tool_node* n = list; n; n = n->next)
            if (n->tool.type == toolType && std::fabs(n->tool.diameter - typed) < g_tolerances.tolT) {
                startSlot = n->tool.slot;
                break;
            }
        (void)list_manager(kListTools, "", kListFree, &list);
    }
    tp_tool picked{};
    const std::string library = configuredToolLibrary();
    if (library_manager(kLibraryPickTool, library.c_str(), &picked, startSlot) != 1) return;
    std::string name(picked.name, strnlen(picked.name, sizeof picked.name));
    const auto first = name.find_first_not_of(' ');
    name = first == std::string::npos ? std::string() : name.substr(first, name.find_last_not_of(' ') - first + 1);
    item(4112).setText(name);
    toolType = picked.type;
    libraryToolName = name;
    assoc[kToolDiamBlock].value = picked.diameter;
    toolDiameterText = numberText(g_fmtCoarse, picked.diameter);
    plat::Control& combo = item(4058);
    for (int i = 0; i < combo.count(); ++i)
        if (combo.itemData(i) == picked.type) {
            toolTypeIndex = i;
            combo.setCurSel(i);
            break;
        }
    updateData(false);
}

void CDlgEditProcessOpe::onToolTip(plat::Notify& n) {
    if (n.ctlId != 4344) return;
    ToolTipLook& look = toolTipLook();
    look.maxWidth = 300;
    look.autoPopMs = 20000;
    look.initialMs = 100;
    look.reshowMs = 100;
    tipText = texts.getMessage(kLineCalculateTip).substr(0, kTipChars);
    n.text = tipText;
}
