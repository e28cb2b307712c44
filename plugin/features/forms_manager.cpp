// Drawing a table row's hole form into the part: the form design dialog, the picks of the places, and one
// form per place, as surfaces or cut out of the solids, with a feature mark for each marked or threaded
// step so that the features manager knows the drawn forms.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/ui/message_box.h"
#include "plugin/base/entity_utils.h"
#include "plugin/base/globals.h"
#include "plugin/base/resource_switch.h"
#include "plugin/base/text_section.h"
#include "plugin/base/utilities.h"
#include "plugin/features/form_design_dialog.h"
#include "plugin/features/forms_drawing.h"
#include "plugin/model/feature_mark.h"
#include "plugin/model/tab_cols_desc.h"
#include "plugin/services/features.h"
#include "plugin/services/tables.h"

namespace {

constexpr int kMsgNoTargetSolid = 114, kMsgTooManySteps = 224;
constexpr int kPromptArcDiameter = 5, kPromptPlaces = 54, kPromptSolidPoints = 55;
constexpr int kEnterEnded = 13;

// Forms drawn as solids since the plug-in was loaded: they number the operation texts.
int g_formsDrawn = 0;

std::string hostText(int line) {
    std::string text;
    getHostText("msg", text, line);
    return text;
}

void constructionAxis(double axis[3]) {
    double m[3][3];
    get_view_matrix(constr_view_n, m);
    axis[0] = m[2][0], axis[1] = m[2][1], axis[2] = m[2][2];
}

// The place of a picked point or arc: a point where it is, with the construction view's axis; an arc at its
// centre with its own view's axis.
void placeOf(const ent& picked, double position[3], double axis[3]) {
    if (picked.type == kEntArc) {
        double m[3][3];
        get_view_matrix(picked.arc.view, m);
        const double centre[3] = {picked.arc.c.x, picked.arc.c.y, picked.arc.c.z};
        mul_mat_vector(m, centre, position);
        axis[0] = m[2][0], axis[1] = m[2][1], axis[2] = m[2][2];
        return;
    }
    position[0] = picked.pt.pt.x, position[1] = picked.pt.pt.y, position[2] = picked.pt.pt.z;
    constructionAxis(axis);
}

struct FORM_PLACE {
    const double* position;
    const double* axis;
    double originInFrame[3];
    double frame[3][3];
};

// The feature mark of step i at its top.
int addStepMark(const CTabColsDesc& table, const CDlgDesignProp& dialog, const FORM_PLACE& place,
                const TAB_FORM_STEP& step, int i, double top, double diameter, bool lastThrough) {
    FEATURE_MARK mark{};
    mark.origin = 1;
    mark.solidEntCount = 0;
    for (int k = 0; k < 3; ++k) mark.direction[k] = place.axis[k];
    const double local[3] = {place.originInFrame[0], place.originInFrame[1], place.originInFrame[2] + top};
    mul_mat_vector(place.frame, local, mark.point);
    mark.diameter = diameter;
    mark.length = step.length;
    mark.isFit = dialog.markStep[i] != 0 ? 1 : 0;
    mark.pendingMatch = lastThrough ? 1 : 0;
    if (step.threaded == 1) {
        std::vector<std::string> cells;
        table.getRow(dialog.row, cells);
        const int column = step.threadColumn > 0 ? step.threadColumn : 1;
        const std::string designation = column <= static_cast<int>(cells.size()) ? cells[column - 1] : "";
        double nominal = 0, pitch = 0;
        std::int16_t kind = 0;
        if (findThreadRow(designation, -1, &nominal, &pitch, nullptr, nullptr, &kind, nullptr)) {
            mark.isTap = 1;
            mark.threadKind = kind;
            mark.tapDiam = nominal;
            mark.tapPitch = pitch;
            mark.threadDepth = 0;
        }
    }
    return addFeatureMark(mark, 1, 0) ? 0 : -1;
}

// The operation and body texts of the form's cut, or false when the section of their words is missing.
bool cutTexts(const CTabColsDesc& table, const CDlgDesignProp& dialog, std::string& operation, std::string& body) {
    CTextSection words;
    if (words.load(g_globals->uiTextFile, "CreateForms", true) != 0) return false;
    ++g_formsDrawn;
    char text[1024];
    std::snprintf(text, sizeof text, "%s %i. %s Forantix %s %s->%s", words.getText(1).c_str(), g_formsDrawn,
                  words.getText(2).substr(0, 20).c_str(), words.getText(3).c_str(), table.name.c_str(),
                  dialog.rowName.c_str());
    operation = text;
    body = table.name + "->" + dialog.rowName;
    return true;
}

}  // namespace

int createForm(CTabColsDesc* table, CDlgDesignProp* dialog, const double position[3], const double axisDir[3],
               std::int16_t mode) {
    FORM_CHAIN chain;
    chain.setAxis(position, axisDir);
    FORM_PLACE place{position, axisDir, {}, {}};
    std::copy(chain.originInFrame, chain.originInFrame + 3, place.originInFrame);
    std::copy(&chain.frame[0][0], &chain.frame[0][0] + 9, &place.frame[0][0]);

    const double t = g_tolerances.tolT, t004 = g_tolerances.tol004T;
    const bool solids = mode == 1;
    const bool through = solids ? std::fabs(dialog->depth) <= t004 : dialog->through != 0;
    auto element = [&](double r1, double z1, double r2, double z2) {
        if (solids)
            chain.addLine(r1, z1, r2, z2);
        else
            createCylSurface(position, axisDir, r1, z1, r2, z2, main_level, 0);
    };

    const int count = std::min<int>(table->stepCount, kMaxFormSteps);
    double runningTop = 0, previousBottom = 0;
    for (int i = 0; i < count; ++i) {
        const TAB_FORM_STEP& step = table->formSteps[static_cast<std::size_t>(i)];
        const bool last = i == count - 1;
        double dB = step.startDiameter, dT = step.endDiameter;
        if (table->tableClass == kTableDrillSize) dB = dT = dialog->diameter;
        const double rB = dB / 2, rT = dT / 2;
        double top = runningTop;
        const double stepTop = top;
        double bottom = previousBottom - step.length;
        if (last && (!solids || std::fabs(dialog->depth) > t004)) bottom = -dialog->depth;
        if (i == 0 && dialog->chamfer > t004) {
            double c = dialog->chamfer;
            if (table->tableClass == kTableThread && step.threadDiameter / 2 > rT) c += step.threadDiameter / 2 - rT;
            element(rT + c, top, rT, top - c);
            top -= c;
        }
        element(rT, top, rB, bottom);
        if (dialog->markStep[i] != 0 || step.threaded == 1) {
            if (addStepMark(*table, *dialog, place, step, i, stepTop, dB, solids && last && through) != 0) return -1;
        }
        previousBottom = bottom;
        runningTop = bottom;
        const double rNext = last ? 0 : table->formSteps[static_cast<std::size_t>(i + 1)].endDiameter / 2;
        if (step.flat == 1) {
            if (solids || std::fabs(rB - rNext) > t004) element(rB, bottom, rNext, bottom);
        } else if (!(last && through) && std::fabs(rB - rNext) >= t) {
            const double tipBottom = bottom - (rB - rNext) * std::tan((180.0 - dialog->pointAngle) / 2 * M_PI / 180.0);
            element(rB, bottom, rNext, tipBottom);
            runningTop = tipBottom;
        }
    }
    if (!solids) return 0;
    std::string operation, body;
    if (!cutTexts(*table, *dialog, operation, body)) return 0;
    chain.cutIntoSolids(operation.c_str(), body.c_str());
    return 0;
}

int pickFormsOnSolids(CTabColsDesc* table, CDlgDesignProp* dialog, std::int16_t mode) {
    for (;;) {
        const bool noTarget = formTargetSolids(0).empty();
        ent picked{};
        db_ptr entry = 0;
        // Esc, or a pick that selects nothing, is the user's way out: the forms placed so far stay.
        if (select_ent("*", 1, kEntPoint | kEntArc, 1, &picked, &entry) != 1) return 1;
        if (picked.type != kEntPoint) continue;
        if (noTarget) {
            plat::messageBox(nullptr, errorMessage(kMsgNoTargetSolid), errorMessage(1),
                             plat::MB_OK | plat::MB_ICONEXCLAMATION);
            continue;
        }
        double position[3], axis[3];
        placeOf(picked, position, axis);
        if (createForm(table, dialog, position, axis, mode) < 0) return -1;
    }
}

namespace {

struct PICKED_POINT {
    double pt[3];
};

// The solids pick loop: points until one is not given; Enter places a form at each, Esc none. A point
// given again (within 0.04T) is taken back.
void pickPointsOnSolids(CTabColsDesc* table, CDlgDesignProp* dialog) {
    const std::vector<db_ptr> targets = formTargetSolids(kMaxFormTargets);
    const std::string prompt = hostText(kPromptSolidPoints);
    set_clr_sel_bits(0, 4, 0, 4, kEntPoint, 1, 0);
    std::vector<PICKED_POINT> points;
    int ended = 0;
    for (;;) {
        std::atomic<int> flag{1};
        plat::Periodic watcher = enterKeyWatcher(flag);
        char kind = 0, got = 0;
        double pt[3] = {};
        point_proc(prompt.c_str(), &kind, pt, &got);
        ended = flag.exchange(0);
        watcher.stop();
        if (!got) break;
        auto same = std::find_if(points.begin(), points.end(), [&](const PICKED_POINT& p) {
            return std::hypot(p.pt[0] - pt[0], p.pt[1] - pt[1], p.pt[2] - pt[2]) < g_tolerances.tol004T;
        });
        if (same != points.end()) {
            clean_pt(0x20, same->pt);
            clean_pt(0x20, pt);
            points.erase(same);
        } else if (kind == 'K') {
            clean_pt(0x20, pt);
        } else {
            points.push_back({{pt[0], pt[1], pt[2]}});
        }
    }
    for (db_ptr target : targets) {
        ent e{};
        if (get_ent_from_eptr(target, &e) != 1) continue;
        sel_bit_turn_on(&e, 4);
        rewrite_ent(&e, 0);
    }
    double axis[3];
    constructionAxis(axis);
    for (PICKED_POINT& p : points) {
        if (ended == kEnterEnded) createForm(table, dialog, p.pt, axis, 1);
        clean_pt(0x20, p.pt);
    }
    repaint_graphics();
}

// Mode 0 after the dialog: a form at every point and arc the user selects.
void pickPlacesForSurfaces(CTabColsDesc* table, CDlgDesignProp* dialog, std::int16_t mode) {
    set_clr_sel_bits(0, 4, 0, 4, kEntPoint | kEntArc, 1, 0);
    std::vector<ent> picked;
    select_ents(hostText(kPromptPlaces).c_str(), kEntPoint | kEntArc, &picked);
    for (const ent& e : picked) {
        double position[3], axis[3];
        placeOf(e, position, axis);
        createForm(table, dialog, position, axis, mode);
    }
    repaint_graphics();
}

}  // namespace

int drawShapesManager(CTabColsDesc* table, std::int16_t selectedRow, std::int16_t resume, std::int16_t mode) {
    if (!table) return -1;
    CDlgDesignProp dialog;
    std::vector<std::string> cells;
    table->getRow(selectedRow, cells);
    if (table->buildFormSteps(cells) != 0) return 0;
    if (table->stepCount > kMaxFormSteps) {
        char count[32];
        std::snprintf(count, sizeof count, " %i", static_cast<int>(table->stepCount));
        plat::messageBox(nullptr, errorMessage(kMsgTooManySteps) + count, errorMessage(1),
                         plat::MB_OK | plat::MB_ICONEXCLAMATION);
        return 0;
    }
    dialog.table = table;
    dialog.row = selectedRow;
    dialog.rowName = cells.empty() ? "" : cells[0];
    dialog.surfaceMode = mode == 1 ? 0 : 1;
    dialog.diameter = cells.empty() ? 0 : std::atof(cells[0].c_str());
    dialog.chamfer = table->lastValues2;
    dialog.depthIndex = table->lastValues4;
    dialog.depth = table->bmpScale;
    dialog.pointAngle = table->lastValues5 < 1.0 ? g_globals->settings.defaultTipAngle : table->lastValues5;
    for (int i = 0; i < kMaxFormSteps; ++i) dialog.markStep[i] = table->lastShorts[i];
    dialog.through = mode == 0 ? 1 : 0;

    if (resume) {
        int picks = 0;
        if (mode == 1) {
            dialog.diameter = table->lastValues1;
            picks = pickFormsOnSolids(table, &dialog, mode);
        } else {
            std::vector<ent> picked;
            select_ents(hostText(kPromptPlaces).c_str(), kEntPoint, &picked);
            double axis[3];
            constructionAxis(axis);
            for (const ent& e : picked) {
                const double position[3] = {e.pt.pt.x, e.pt.pt.y, e.pt.pt.z};
                createForm(table, &dialog, position, axis, mode);
            }
            picks = 5;
        }
        if (picks < 0) return -1;
        if (picks == 3) return 1;
        if (picks == 4) return 2;
        if (picks == 5 || picks == 1) return 3;
    }

    for (;;) {
        const int code = doModalInPluginRes(dialog);
        if (code == CDlgDesignProp::kEndPickDiameter) {
            ent arc{};
            if (pickEntity(&arc, kEntArc, hostText(kPromptArcDiameter).c_str()) == 1) dialog.diameter = 2 * arc.arc.r;
            repaint_graphics();
            continue;
        }
        // Cancel, or Esc in the graphics (kEndEsc): no form.
        if (code != plat::IDOK) return 0;
        break;
    }
    table->lastValues1 = dialog.diameter;
    table->lastValues2 = dialog.chamfer;
    table->lastValues4 = dialog.depthIndex;
    table->bmpScale = dialog.depth;
    table->lastValues5 = dialog.pointAngle;
    for (int i = 0; i < kMaxFormSteps; ++i) table->lastShorts[i] = dialog.markStep[i];
    // The table's writers tell the user what they could not write; the forms are drawn all the same.
    (void)table->writeRows();
    (void)table->write();
    if (mode == 1)
        pickPointsOnSolids(table, &dialog);
    else
        pickPlacesForSurfaces(table, &dialog, mode);
    return 3;
}
