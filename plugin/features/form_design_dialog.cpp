// The form design dialog (form_design_dialog.h). The sketch is laid out once per showing as a list of items
// in the preview frame's pixels; the controls the user edits sit on their places in it. The Esc watcher polls
// on its own thread (or on the virtual clock's ticks) and only posts the end to the window, so the dialog is
// always ended on the user-interface thread; it is stopped and joined before the dialog ends otherwise.
#include "plugin/features/form_design_dialog.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/ui/canvas.h"
#include "platform/ui/keys.h"
#include "platform/ui/menu.h"
#include "platform/ui/message_box.h"
#include "plugin/base/globals.h"
#include "plugin/base/number_text.h"
#include "plugin/base/text_fill.h"
#include "plugin/model/tab_cols_desc.h"
#include "plugin/services/features.h"

namespace {

constexpr int kLineCaption = 1, kLineOk = 2, kLineCancel = 3, kLineDepthsMetric = 20, kLineDepthsInch = 21,
              kLineThrough = 32, kLineDepthButton = 40, kLineAddDepth = 42, kLineRemoveDepth = 43;
constexpr int kMsgChamferTooLarge = 100, kMsgDepthTooSmall = 101;
constexpr int kWatcherPollMs = 100;
constexpr plat::Color kRed = plat::rgb(255, 0, 0), kBlack = plat::rgb(0, 0, 0),
                      kPreviewBackground = plat::rgb(255, 255, 204);
constexpr int kArrowLength = 16, kAngleArcRadius = 70;

// A typed number; text that is no finite number reads as 0.
double typed(const std::string& text) {
    const double value = std::strtod(text.c_str(), nullptr);
    return std::isfinite(value) ? value : 0;
}

std::vector<std::string> words(const std::string& line) {
    std::vector<std::string> out;
    std::size_t pos = 0;
    while ((pos = line.find_first_not_of(' ', pos)) != std::string::npos) {
        const std::size_t end = line.find(' ', pos);
        out.push_back(line.substr(pos, end == std::string::npos ? std::string::npos : end - pos));
        pos = end;
    }
    return out;
}

plat::Point offsetBy(plat::Point p, plat::Point by) { return {p.x + by.x, p.y + by.y}; }

}  // namespace

// ---- the depth list ----------------------------------------------------------------------------------------

DEPTH_CHOICES decodeDepthList(const std::vector<std::string>& stored, bool surfaceMode, const std::string& defaultLine) {
    DEPTH_CHOICES out;
    const std::vector<std::string> defaults = words(defaultLine);
    const std::string throughText = defaults.empty() ? std::string("0") : defaults.front();
    if (stored.empty()) {
        for (const std::string& word : defaults) {
            if (typed(word) != 0)
                out.entries.push_back(word);
            else if (!surfaceMode)
                out.entries.push_back(throughText);
        }
        return out;
    }
    out.index = std::atoi(stored.front().c_str());
    for (std::size_t i = 1; i < stored.size(); ++i) {
        if (typed(stored[i]) != 0) {
            out.entries.push_back(stored[i]);
        } else if (surfaceMode) {
            --out.index;
        } else {
            out.entries.push_back(throughText);
        }
    }
    return out;
}

std::vector<std::string> encodeDepthList(const DEPTH_CHOICES& choices, bool surfaceMode) {
    std::vector<std::string> out;
    out.push_back(std::to_string(surfaceMode ? choices.index + 1 : choices.index));
    if (surfaceMode) out.emplace_back("0");
    for (const std::string& entry : choices.entries) out.push_back(typed(entry) == 0 ? std::string("0") : entry);
    return out;
}

bool addDepthChoice(DEPTH_CHOICES& choices, double value) {
    const double near = g_tolerances.tol04T;
    if (!(value >= near)) return false;
    for (const std::string& entry : choices.entries) {
        if (std::fabs(typed(entry) - value) < near) {
            choices.index = 0;
            return true;
        }
    }
    std::size_t at = 0;
    while (at < choices.entries.size() && typed(choices.entries[at]) <= value) ++at;
    choices.entries.insert(choices.entries.begin() + static_cast<std::ptrdiff_t>(at), formatNumber(value));
    choices.index = static_cast<int>(at);
    return true;
}

void removeDepthChoice(DEPTH_CHOICES& choices) {
    const int n = static_cast<int>(choices.entries.size());
    if (choices.index <= 0 || choices.index >= n) return;
    choices.entries.erase(choices.entries.begin() + choices.index);
    choices.index = std::min(choices.index, n - 2);
}

// ---- the Esc watcher -----------------------------------------------------------------------------------------

bool escKeyWatcher(CDlgDesignProp& dialog) {
    if (dialog.watcherFlag.load() == 0) return false;
    if (plat::getAsyncKeyState(plat::VK_ESCAPE) >= 0) return true;
    dialog.post([&dialog] { dialog.endByEsc(); });
    return false;
}

// ---- the dialog ---------------------------------------------------------------------------------------------

CDlgDesignProp::CDlgDesignProp() : plat::Dialog(kTemplate) {
    onCommand(kDepthListButton, [this] { onDepthMenu(); });
    on(kDepthList, plat::Ev::DblClk, [this](plat::Notify&) { onDepthMenu(); });
    onCommand(kThrough, [this] { onThrough(); });
    onCommand(kDiameterPick, [this] { onPickDiameter(); });
    onMessage(plat::Msg::Paint, [this](plat::MsgArgs& a) {
        if (!a.canvas || preview.empty()) return;
        const plat::Rect frame = item(kPreview).rect();
        a.canvas->fillSolidRect({frame.left + 2, frame.top + 2, frame.right - 2, frame.bottom - 2}, kPreviewBackground);
        paintPreview(*a.canvas, {frame.left, frame.top});
    });
    onMessage(plat::Msg::Destroy, [this](plat::MsgArgs&) {
        stopWatcher();
        preview.clear();
    });
}

CDlgDesignProp::~CDlgDesignProp() { stopWatcher(); }

int CDlgDesignProp::depthComboId() const {
    return g_globals->settings.designDialogSwitch == 0 ? kDepthList : kDepthDropDown;
}

bool CDlgDesignProp::onInitDialog() {
    if (texts_.load(g_globals->uiTextFile, "CreateDlg", true) != 0 || !table) {
        // Nothing was shown to confirm: the caller places no form.
        endDialog(plat::IDCANCEL);
        return true;
    }
    std::vector<std::string> cells;
    (void)table->getRow(row, cells);
    setWindowText(fillText(texts_.getText(kLineCaption), {table->name, rowName}));
    item(plat::IDOK).setText(texts_.getText(kLineOk));
    item(plat::IDCANCEL).setText(texts_.getText(kLineCancel));

    const int combo = depthComboId(), unused = combo == kDepthList ? kDepthDropDown : kDepthList;
    item(unused).show(false);
    item(unused).enable(false);

    const int steps = std::clamp<int>(table->stepCount, 0, static_cast<int>(table->formSteps.size()));
    canMark.fill(0);
    for (int i = 0; i < std::min(steps, kMaxSteps); ++i)
        canMark[static_cast<std::size_t>(i)] = table->formSteps[static_cast<std::size_t>(i)].threaded ? 0 : 1;

    const plat::Rect frame = item(kPreview).rect();
    buildPreview({0, 0, frame.width(), frame.height()}, cells);
    for (const PREVIEW_ITEM& p : preview) {
        int id = 0;
        switch (p.kind) {
        case kPreviewStepCheck: id = kFirstStepCheck + p.step; break;
        case kPreviewAngleEdit: id = kPointAngle; break;
        case kPreviewDepthCombo: id = combo; break;
        case kPreviewDepthButton: id = kDepthListButton; break;
        case kPreviewChamferEdit: id = kChamfer; break;
        case kPreviewDiameterEdit: id = kDiameter; break;
        case kPreviewThroughCheck: id = kThrough; break;
        case kPreviewDiameterPick: id = kDiameterPick; break;
        default: continue;
        }
        plat::Control& c = item(id);
        const plat::Rect r = c.rect();
        const plat::Point at = offsetBy(p.first, {frame.left, frame.top});
        c.move({at.x, at.y, at.x + r.width(), at.y + r.height()});
    }

    const bool drillSizes = table->tableClass == kTableDrillSize;
    if (surfaceMode) {
        item(kThrough).setText(texts_.getText(kLineThrough));
        item(kThrough).show(true);
        item(kThrough).enable(true);
    } else {
        item(kThrough).show(false);
        item(kThrough).enable(false);
    }
    if (!drillSizes) {
        item(kDiameter).show(false);
        item(kDiameter).enable(false);
    }
    if (through) {
        item(kPointAngle).show(false);
        item(kPointAngle).enable(false);
    }
    for (int i = 0; i < kMaxSteps; ++i) {
        if (canMark[static_cast<std::size_t>(i)]) continue;
        item(kFirstStepCheck + i).show(false);
        item(kFirstStepCheck + i).enable(false);
    }
    if (!(drillSizes && surfaceMode)) {
        item(kDiameterPick).show(false);
        item(kDiameterPick).enable(false);
    }

    item(kDiameter).setText(formatNumber(diameter));
    item(kChamfer).setText(formatNumber(chamfer));
    item(kPointAngle).setText(formatNumber(pointAngle));
    for (int i = 0; i < kMaxSteps; ++i) item(kFirstStepCheck + i).setCheck(markStep[static_cast<std::size_t>(i)] ? 1 : 0);
    item(kThrough).setCheck(through ? 1 : 0);

    std::vector<std::string> stored;
    (void)table->splitListCell(row, &stored);
    fillDepthCombo(stored);
    item(kDepthListButton).setText(texts_.getText(kLineDepthButton));

    if (drillSizes) {
        item(kDiameter).setEditSel(0, -1);
        item(kDiameter).setFocus();
        return false;
    }
    startWatcher();
    return true;
}

void CDlgDesignProp::fillDepthCombo(const std::vector<std::string>& stored) {
    const std::string line = texts_.getText(g_globals->metric() ? kLineDepthsMetric : kLineDepthsInch);
    DEPTH_CHOICES choices = decodeDepthList(stored, surfaceMode != 0, line);
    if (choices.index < 0) {
        for (std::size_t i = 0; i < choices.entries.size(); ++i) {
            if (typed(choices.entries[i]) == depth) {
                choices.index = static_cast<int>(i);
                break;
            }
        }
    }
    showChoices(choices);
    if (choices.index < 0) item(depthComboId()).setText(formatNumber(depth));
}

DEPTH_CHOICES CDlgDesignProp::comboChoices() {
    const plat::Control& combo = item(depthComboId());
    DEPTH_CHOICES out;
    for (int i = 0; i < combo.count(); ++i) out.entries.push_back(combo.itemText(i));
    out.index = combo.curSel();
    return out;
}

void CDlgDesignProp::showChoices(const DEPTH_CHOICES& choices) {
    plat::Control& combo = item(depthComboId());
    combo.resetContent();
    for (const std::string& entry : choices.entries) combo.addString(entry);
    combo.setCurSel(choices.index >= 0 && choices.index < combo.count() ? choices.index : -1);
}

void CDlgDesignProp::readControls() {
    diameter = typed(item(kDiameter).text());
    chamfer = typed(item(kChamfer).text());
    pointAngle = typed(item(kPointAngle).text());
    for (int i = 0; i < kMaxSteps; ++i)
        markStep[static_cast<std::size_t>(i)] = item(kFirstStepCheck + i).check() == 1 ? 1 : 0;
    through = item(kThrough).check() == 1 ? 1 : 0;
    const plat::Control& combo = item(depthComboId());
    depthIndex = static_cast<std::int16_t>(combo.curSel());
    depth = typed(combo.text());
    const std::vector<std::string> stored = encodeDepthList(comboChoices(), surfaceMode != 0);
    depthCount = static_cast<std::int16_t>(stored.size());
    if (table) (void)table->joinListCell(row, stored, depthCount);
}

void CDlgDesignProp::tell(int line, double value) {
    plat::messageBox(this, fillText("%s %.2f", {errorMessage(line), value}), errorMessage(1), plat::MB_OK);
}

void CDlgDesignProp::onOK() {
    readControls();
    const int steps = table ? std::clamp<int>(table->stepCount, 0, static_cast<int>(table->formSteps.size())) : 0;
    const double T = g_tolerances.tolT;
    if (steps > 0) {
        const TAB_FORM_STEP& first = table->formSteps.front();
        const double limit = first.length > T ? 0.95 * first.length : first.startDiameter / 2;
        if (limit < chamfer) {
            tell(kMsgChamferTooLarge, limit);
            return;
        }
    }
    double minimum = 4 * T;
    for (int i = 0; i + 1 < steps; ++i) minimum += table->formSteps[static_cast<std::size_t>(i)].length;
    // Only the through entry of solids leaves the depth to the solids cut. Surfaces end their last step at the
    // depth, through or not: a shorter one would draw its wall back up over the steps above.
    if (!surfaceMode && depthIndex == 0) minimum = 0;
    if (minimum > depth) {
        tell(kMsgDepthTooSmall, minimum);
        return;
    }
    stopWatcher();
    endDialog(plat::IDOK);
}

void CDlgDesignProp::onCancel() {
    stopWatcher();
    endDialog(plat::IDCANCEL);
}

void CDlgDesignProp::onPickDiameter() {
    readControls();
    stopWatcher();
    endDialog(kEndPickDiameter);
}

void CDlgDesignProp::onThrough() {
    through = item(kThrough).check() == 1 ? 1 : 0;
    item(kPointAngle).show(!through);
    item(kPointAngle).enable(!through);
}

void CDlgDesignProp::onDepthMenu() {
    plat::Menu menu;
    menu.item(kDepthMenuAdd, texts_.getText(kLineAddDepth));
    menu.item(kDepthMenuRemove, texts_.getText(kLineRemoveDepth));
    const int chosen = plat::trackPopupMenu(menu, plat::TPM_RETURNCMD | plat::TPM_NONOTIFY, plat::cursorPos(), this);
    DEPTH_CHOICES choices = comboChoices();
    if (chosen == kDepthMenuAdd) {
        if (!addDepthChoice(choices, typed(item(depthComboId()).text()))) return;
    } else if (chosen == kDepthMenuRemove) {
        removeDepthChoice(choices);
    } else {
        return;
    }
    showChoices(choices);
}

void CDlgDesignProp::startWatcher() {
    stopWatcher();
    watcherFlag = 1;
    watcher_ = plat::startPeriodic("escKeyWatcher", kWatcherPollMs, [this] { return escKeyWatcher(*this); });
}

void CDlgDesignProp::stopWatcher() {
    watcherFlag = 0;
    watcher_.stop();
}

void CDlgDesignProp::endByEsc() {
    // The dialog may have ended for another reason between the poll and now.
    if (watcherFlag.load() == 0 || !hasWindow()) return;
    stopWatcher();
    endDialog(kEndEsc);
}

// ---- the preview --------------------------------------------------------------------------------------------

void CDlgDesignProp::buildPreview(const plat::Rect& frame, const std::vector<std::string>& rowCells) {
    preview.clear();
    const int steps = table ? std::clamp<int>(table->stepCount, 0, static_cast<int>(table->formSteps.size())) : 0;
    previewCapacity = static_cast<std::size_t>(20 * steps + 50);
    if (steps == 0) return;
    const std::vector<TAB_FORM_STEP>& form = table->formSteps;
    auto add = [this](std::int16_t kind, plat::Point first, plat::Point second = {}, int a = 0, int b = 0, int c = 0,
                      std::string text = {}, int step = 0) {
        if (preview.size() >= previewCapacity) return;
        preview.push_back({kind, static_cast<std::int16_t>(step), first, second, a, b, c, std::move(text)});
    };
    auto size = [this](int id) {
        const plat::Rect r = item(id).rect();
        return plat::Size{r.width(), r.height()};
    };

    const int w = frame.width(), h = frame.height();
    double total = 0, widest = 0;
    for (int i = 0; i < steps; ++i) {
        const TAB_FORM_STEP& s = form[static_cast<std::size_t>(i)];
        total += std::max(0.0, s.length);
        widest = std::max({widest, s.startDiameter, s.endDiameter});
    }
    // A form without length or without width is scaled by the other; one without either is drawn with its
    // steps at their least height and no width.
    double scale = total > 0 ? (h * 56 / 100) / total : 0;
    if (widest > 0 && (scale == 0 || widest * scale > w / 3)) scale = (w / 3) / widest;
    auto px = [scale](double value) { return static_cast<int>(std::lround(std::max(0.0, value) * scale)); };

    const int xAxis = (frame.left + frame.right) * 60 / 100;
    const int y0 = frame.top + h * 15 / 100;
    const int widestPx = px(widest / 2);
    const int chamferPx = 6;

    // The surface of the part, then the outline, step by step, left of the axis.
    add(kPreviewOutline, {xAxis - w / 3, y0}, {xAxis + w / 3, y0});
    std::vector<int> tops(static_cast<std::size_t>(steps) + 1);
    tops[0] = y0;
    for (int i = 0; i < steps; ++i)
        tops[static_cast<std::size_t>(i) + 1] =
            tops[static_cast<std::size_t>(i)] + std::max(12, px(form[static_cast<std::size_t>(i)].length));
    const int bottom = tops.back();
    const int firstTop = px(form.front().endDiameter / 2);
    add(kPreviewOutline, {xAxis - firstTop - chamferPx, y0}, {xAxis - firstTop, y0 + chamferPx});
    for (int i = 0; i < steps; ++i) {
        const TAB_FORM_STEP& s = form[static_cast<std::size_t>(i)];
        const int yT = tops[static_cast<std::size_t>(i)] + (i == 0 ? chamferPx : 0);
        const int yB = tops[static_cast<std::size_t>(i) + 1];
        const int rT = px(s.endDiameter / 2), rB = px(s.startDiameter / 2);
        add(kPreviewOutline, {xAxis - rT, yT}, {xAxis - rB, yB});
        if (i + 1 < steps) {
            const int rNext = px(form[static_cast<std::size_t>(i) + 1].endDiameter / 2);
            if (rNext != rB) add(kPreviewOutline, {xAxis - rB, yB}, {xAxis - rNext, yB});
        }
    }
    // The bottom: a flat floor, or a tip drawn at 120 degrees.
    const TAB_FORM_STEP& last = form[static_cast<std::size_t>(steps) - 1];
    const int rLast = px(last.startDiameter / 2);
    int tipY = bottom;
    if (last.flat) {
        if (rLast > 0) add(kPreviewOutline, {xAxis - rLast, bottom}, {xAxis, bottom});
    } else {
        tipY = bottom + static_cast<int>(std::lround(rLast * std::tan(M_PI / 6)));
        if (rLast > 0) add(kPreviewOutline, {xAxis - rLast, bottom}, {xAxis, tipY});
    }
    add(kPreviewAxis, {xAxis, y0 - 10}, {xAxis, tipY + 10});

    // Each step: its diameter dimensioned across the axis at mid-height, its texts on the left, and, when
    // it can be marked, the mark symbol and its check box.
    const plat::Size box = size(kFirstStepCheck);
    const int anchorX = xAxis - widestPx - 20;
    for (int i = 0; i < steps; ++i) {
        const TAB_FORM_STEP& s = form[static_cast<std::size_t>(i)];
        const int yT = tops[static_cast<std::size_t>(i)], yB = tops[static_cast<std::size_t>(i) + 1];
        const int y = (yT + yB) / 2;
        const int r = (px(s.endDiameter / 2) + px(s.startDiameter / 2)) / 2;
        if (r > 0) {
            add(kPreviewDimension, {xAxis - r, y}, {xAxis + r, y});
            add(kPreviewArrow, {xAxis - r, y}, {}, 0, 0);
            add(kPreviewArrow, {xAxis + r, y}, {}, 0, 180);
        }
        std::int16_t columns[3] = {s.threadColumn ? s.threadColumn : s.diameterColumn, s.lengthColumn, s.angleColumn};
        if (columns[0] == 0) std::swap(columns[0], columns[1]);
        std::string text;
        int shown = 0;
        for (std::int16_t column : columns) {
            if (column <= 0 || shown == 2) continue;
            std::string heading;
            if (table->getColumnInfo(column, &heading, nullptr, nullptr, nullptr) != 0) continue;
            const std::size_t cell = static_cast<std::size_t>(column) - 1;
            if (shown++ > 0) text += "  ";
            text += heading + "=" + (cell < rowCells.size() ? rowCells[cell] : std::string());
        }
        const bool markable = i < kMaxSteps && canMark[static_cast<std::size_t>(i)];
        if (markable) {
            add(kPreviewMark, {anchorX - 15, y + 5}, {}, 0, 90);
            add(kPreviewStepCheck, {anchorX - 35 - box.cx, y - box.cy / 2}, {}, 0, 0, 0, {}, i);
        }
        add(kPreviewText, {markable ? anchorX - 50 : anchorX, y - 7}, {}, 0, 0, 0, text, i);
    }

    // The depth on the right, from the surface to the last step's floor, with the depth list beside it.
    const int depthX = xAxis + widestPx + 25;
    add(kPreviewDimension, {xAxis, bottom}, {depthX + 5, bottom});
    add(kPreviewDimension, {depthX, y0}, {depthX, bottom});
    add(kPreviewArrow, {depthX, y0}, {}, 0, 270);
    add(kPreviewArrow, {depthX, bottom}, {}, 0, 90);
    // A drop-down combo's rectangle holds its list, which opens over what lies below its field.
    const plat::Size button = size(kDepthListButton);
    const int comboShown = depthComboId() == kDepthList ? size(kDepthList).cy : std::min(size(kDepthDropDown).cy, 21);
    const int comboTop = (y0 + bottom) / 2 - 10;
    add(kPreviewDepthCombo, {depthX + 8, comboTop});
    add(kPreviewDepthButton, {depthX + 8, comboTop + comboShown + 4});
    add(kPreviewThroughCheck, {depthX + 8, comboTop + comboShown + button.cy + 8});

    // The chamfer left of the mouth, the diameter (and its pick) right of it, above the surface.
    const plat::Size chamferEdit = size(kChamfer), diameterEdit = size(kDiameter);
    add(kPreviewChamferEdit, {xAxis - firstTop - chamferPx - 4 - chamferEdit.cx, y0 - chamferEdit.cy - 4});
    add(kPreviewDiameterEdit, {xAxis + 8, y0 - diameterEdit.cy - 4});
    add(kPreviewDiameterPick, {xAxis + 8 + diameterEdit.cx + 4, y0 - diameterEdit.cy - 4});

    // The point angle at the tip: the flanks continued 30 degrees below the horizontal, the arc between
    // them with its arrowheads, and the edit below the arc.
    const plat::Point tip{xAxis, tipY};
    auto onCircle = [&tip](double degrees, int radius) {
        const double a = degrees * M_PI / 180;
        return plat::Point{tip.x + static_cast<int>(radius * std::cos(a)), tip.y + static_cast<int>(radius * std::sin(a))};
    };
    add(kPreviewDimension, tip, onCircle(150, kAngleArcRadius + 10));
    add(kPreviewDimension, tip, onCircle(30, kAngleArcRadius + 10));
    add(kPreviewArc, tip, {}, kAngleArcRadius, 210, 120);
    add(kPreviewArrow, onCircle(150, kAngleArcRadius), {}, 0, -55);
    add(kPreviewArrow, onCircle(30, kAngleArcRadius), {}, 0, -125);
    const plat::Size angleEdit = size(kPointAngle);
    add(kPreviewAngleEdit, {tip.x - angleEdit.cx / 2, tip.y + kAngleArcRadius + 4});
}

void CDlgDesignProp::paintPreview(plat::Canvas& dc, plat::Point offset) const {
    const plat::Font oldFont = dc.selectFont({"Arial", -11, 400});
    const int oldMode = dc.setBkMode(plat::TRANSPARENT);
    for (const PREVIEW_ITEM& p : preview) {
        const plat::Point a = offsetBy(p.first, offset), b = offsetBy(p.second, offset);
        switch (p.kind) {
        case kPreviewDimension: drawLineSolid1(dc, a.x, a.y, b.x, b.y, kRed); break;
        case kPreviewOutline: drawLineSolid2(dc, a.x, a.y, b.x, b.y, kBlack); break;
        case kPreviewAxis: drawLineStyle3(dc, a.x, a.y, b.x, b.y, kRed); break;
        case kPreviewArc: drawArcPath(dc, a.x, a.y, p.a, p.b, p.c, kRed); break;
        case kPreviewArrow: drawFilledArc(dc, a.x, a.y, p.b, kArrowLength, kRed); break;
        case kPreviewMark: drawMarkSymbol(dc, a.x, a.y, p.b, kRed); break;
        case kPreviewText: drawTextRightAligned(dc, a.x, a.y, p.text, kRed); break;
        default: break;  // places of controls
        }
    }
    dc.setBkMode(oldMode);
    dc.selectFont(oldFont);
}
