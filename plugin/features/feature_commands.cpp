// The features manager's commands on the feature-mark list (see feature_commands.h).
#include "plugin/features/feature_commands.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <unordered_set>
#include <vector>

#include "host/api.h"
#include "platform/ui/message_box.h"
#include "plugin/base/directions.h"
#include "plugin/base/entity_utils.h"
#include "plugin/base/globals.h"
#include "plugin/base/resource_switch.h"
#include "plugin/base/text_fill.h"
#include "plugin/base/text_section.h"
#include "plugin/features/feature_marks.h"
#include "plugin/features/feature_windows.h"
#include "plugin/features/mark_index.h"
#include "plugin/model/tree.h"
#include "plugin/model/work_records.h"
#include "plugin/services/engine.h"
#include "plugin/services/tables.h"

namespace {

constexpr int kSelectedBit = 4;
constexpr double kViewAngle = 0.0005;
constexpr double kSweepMatch = 1e-5;

std::int32_t featuresLevel() { return g_globals->settings.featuresLevel; }

int askOkCancel(const std::string& text) {
    return plat::messageBox(nullptr, text, errorMessage(1), plat::MB_OKCANCEL | plat::MB_ICONQUESTION);
}

// Sets or clears selection bit 4 on the mark's arcs.
void markArcsSelected(const FEATURE_MARK& mark, bool on) {
    for (int i = 0; i < markArcCount(mark); ++i) {
        ent arc{};
        if (!readEntById(mark.arcEnts[i], kEntArc, arc)) continue;
        if (on) sel_bit_turn_on(&arc, kSelectedBit);
        else sel_bit_turn_off(&arc, kSelectedBit);
        (void)rewrite_ent(&arc, 0);
    }
}

// What the show mode tells of a mark.
std::string describeMark(const CTextSection& texts, const FEATURE_MARK& m) {
    std::string text;
    if (m.isFit) text = fillText(texts.getText(5), {formatNumber(g_fmtMedium, m.diameter)});
    if (!m.isTap) return text;
    std::string designation(m.threadName, strnlen(m.threadName, sizeof m.threadName)), table;
    if (designation.empty())
        designation = findThreadByDiameterPitch(m.tapDiam, m.tapPitch, m.threadKind, &table, nullptr, nullptr);
    if (!designation.empty())
        return fillText(texts.getText(6), {table, designation, formatNumber(g_fmtMedium, m.threadDepth)});
    CTextSection kinds;
    (void)kinds.load(g_globals->uiTextFile, "ConfigProcessDlg", false);
    return fillText(texts.getText(7), {formatNumber(g_fmtMedium, m.tapDiam), formatNumber(g_fmtFine, m.tapPitch),
                                       kinds.getText(m.threadKind < 1000 ? 31 : 32)});
}

bool sameBytes(const FEATURE_MARK& a, const FEATURE_MARK& b) { return featureMarkData(a) == featureMarkData(b); }

// The edit-all mode's OK: the picked mark and every mark of its data take the edited data, each keeping its
// place, length and fit class. False when a mark could not be added.
bool replaceEqualMarks(FEATURE_MARK* picked, const FEATURE_MARK& edited) {
    const FEATURE_MARK kept = *picked;
    deleteFeatureMark(picked);
    if (!addFeatureMark(edited, 1, featuresLevel())) return false;
    std::vector<FEATURE_MARK> replacements;
    for (FEATURE_MARK* m : listedMarks(g_records->featureMarks)) {
        if (!sameFeatureData(*m, kept)) continue;
        FEATURE_MARK copy = *m;
        copyFeatureData(copy, edited);
        replacements.push_back(copy);
        deleteFeatureMark(m);
    }
    for (const FEATURE_MARK& m : replacements)
        if (!addFeatureMark(m, 1, featuresLevel())) return false;
    return true;
}

}  // namespace

int deleteFeaturesCmd() {
    CTextSection texts;
    (void)texts.load(g_globals->uiTextFile, "featuresManager", true);
    if (askOkCancel(texts.getText(1)) != plat::IDOK) return 0;
    (void)deleteAllFeatureMarks();
    rebuild_graphics();
    g_records->featureMarks = nullptr;
    g_records->featureMarkCount = 0;
    return 0;
}

int featureMarkExists(const double point[3], const double direction[3], std::uint8_t ask) {
    const double reach = 4 * g_tolerances.tolT;
    for (FEATURE_MARK* m : listedMarks(g_records->featureMarks)) {
        if (markArcCount(*m) == 0) continue;
        if (compareDirections(m->direction, direction, g_tolerances.axisAngle) != kSameSense) continue;
        if (!(pointDistance(m->point, point) < reach)) continue;
        if (!ask) return 1;
        CTextSection texts;
        (void)texts.load(g_globals->uiTextFile, "featuresManager", true);
        const std::string where = " X" + formatNumber(g_fmtMedium, point[0]) + " Y" + formatNumber(g_fmtMedium, point[1]) +
                                  " Z" + formatNumber(g_fmtMedium, point[2]) + "\n";
        return askOkCancel(texts.getText(2) + where + texts.getText(3)) == plat::IDOK ? 0 : 1;
    }
    return 0;
}

int editFeatureCmd(CFeatMgrFilter* filter, std::int16_t mode) {
    CTextSection texts;
    (void)texts.load(g_globals->uiTextFile, "featuresManager", true);
    for (FEATURE_MARK* m : listedMarks(g_records->featureMarks)) moveMarkEnts(*m, featuresLevel(), false, true);
    set_level_visible(featuresLevel(), 1);
    mask_level = featuresLevel();
    std::string told;
    int result = 0;
    for (;;) {
        const std::string prompt = told + "\n" + texts.getText(mode == 0 ? 12 : 11);
        ent picked{};
        db_ptr entry = 0;
        if (select_ent(prompt.c_str(), 1, kEntArc, 0, &picked, &entry) != 1) break;
        FEATURE_MARK* mark = nullptr;
        for (FEATURE_MARK* m : listedMarks(g_records->featureMarks))
            for (int i = 0; i < markArcCount(*m) && !mark; ++i)
                if (m->arcEnts[i] == picked.id) mark = m;
        if (!mark) break;
        told.clear();
        if (mode == 0) {
            told = describeMark(texts, *mark);
            continue;
        }
        CDlgEditFeature dlg;
        dlg.mark = *mark;
        int equal = 1;
        if (mode == 2) {
            equal = 0;
            for (FEATURE_MARK* m : listedMarks(g_records->featureMarks)) {
                const bool same = sameFeatureData(*m, *mark);
                equal += same;
                markArcsSelected(*m, same);
            }
            if (equal > 1) dlg.titleSuffix = fillText(texts.getText(52), {std::to_string(equal)});
        }
        dlg.equalCount = equal;
        const int answer = doModalInPluginRes(dlg);
        if (answer == CDlgEditFeature::kResultDelete) {
            if (mode == 2) {
                const FEATURE_MARK kept = *mark;
                std::vector<FEATURE_MARK*> doomed;
                for (FEATURE_MARK* m : listedMarks(g_records->featureMarks))
                    if (sameFeatureData(*m, kept)) doomed.push_back(m);
                for (FEATURE_MARK* m : doomed) deleteFeatureMark(m);
            } else {
                deleteFeatureMark(mark);
            }
            rebuild_graphics();
        } else if (answer == CDlgEditFeature::kResultCopyToEqualArcs) {
            const int recognized = filter ? filter->recognizeWithDrillTable() : -1;
            if (recognized < 0 && mode == 2) break;
            if (recognized == 0 && copyFeatureToEqualArcs(mark, filter->viewsTree) < 0) {
                result = -1;
                break;
            }
        } else if (answer == plat::IDOK && !sameBytes(dlg.mark, *mark)) {
            bool added = true;
            if (mode == 2) {
                added = replaceEqualMarks(mark, dlg.mark);
            } else {
                deleteFeatureMark(mark);
                added = addFeatureMark(dlg.mark, 1, featuresLevel()) != nullptr;
            }
            rebuild_graphics();
            if (!added) {
                result = -1;
                break;
            }
        }
    }
    cleartext();
    for (FEATURE_MARK* m : listedMarks(g_records->featureMarks)) {
        markArcsSelected(*m, false);
        moveMarkEnts(*m, m->level, false, false);
    }
    repaint_graphics();
    mask_level = 0;
    return result;
}

int deleteOrTurnMarksCmd(std::int16_t mode, std::vector<FEATURE_MARK*>& turned) {
    // A turned mark's arcs show on the features level; the level they were drawn on stays the mark's.
    auto turnRound = [](FEATURE_MARK* mark) {
        FEATURE_MARK* now = reverseFeatureMark(mark);
        if (now) moveMarkEnts(*now, featuresLevel(), false, true);
        return now;
    };
    if (mode == 2) {
        if (turned.empty()) return 0;
        for (FEATURE_MARK* m : turned)
            if (isListedMark(m)) (void)turnRound(m);
        turned.clear();
        rebuild_graphics();
        return 0;
    }
    CTextSection texts;
    (void)texts.load(g_globals->uiTextFile, "featuresManager", true);
    for (FEATURE_MARK* m : listedMarks(g_records->featureMarks)) moveMarkEnts(*m, featuresLevel(), true, true);
    set_level_visible(featuresLevel(), 1);
    clearprompt();
    cleartext();
    const int savedSelect = select_color;
    const int highlight = g_globals->settings.reamSelectionColour;
    if (highlight > 0) select_color = highlight;
    std::vector<ent> picks;
    const bool ended = select_ents(texts.getText(mode == 0 ? 13 : 14).c_str(), kEntArc | kEntNote, &picks) == 1;
    select_color = savedSelect;
    if (ended) {
        (void)set_clr_sel_bits(0, kSelectedBit, 0, 0, 0xFFFFFFFFu, 0, 0);
        mask_level = 0;
        for (FEATURE_MARK* m : listedMarks(g_records->featureMarks)) moveMarkEnts(*m, m->level, true, false);
    }
    std::vector<std::uint32_t> picked;
    for (const ent& e : picks) picked.push_back(e.id);
    turned.clear();
    turned.reserve(picked.size());
    if (mode == 0 && !picked.empty() && askOkCancel(texts.getText(50)) == plat::IDOK) {
        for (std::uint32_t id : picked)
            if (FEATURE_MARK* m = findFeatureMarkByEntity(id)) deleteFeatureMark(m);
        rebuild_graphics();
    } else if (mode == 1) {
        for (std::uint32_t id : picked)
            if (FEATURE_MARK* m = findFeatureMarkByEntity(id))
                if (FEATURE_MARK* now = turnRound(m)) turned.push_back(now);
        rebuild_graphics();
    }
    repaint_graphics();
    (void)set_clr_sel_bits(0, kSelectedBit, 0, 0, 0xFFFFFFFFu, 0, 0);
    mask_level = 0;
    for (FEATURE_MARK* m : listedMarks(g_records->featureMarks)) moveMarkEnts(*m, m->level, true, false);
    return 0;
}

int recognizeFeaturesCmd(FEATURE_MARK* head, CFeatMgrFilter* filter) {
    std::vector<FEATURE_MARK*> pending;
    for (FEATURE_MARK* m : listedMarks(head))
        if (m->pendingMatch) pending.push_back(m);
    if (pending.empty() || !filter) return 0;
    CTextSection texts;
    (void)texts.load(g_globals->uiTextFile, "featuresManager", true);
    plat::messageBox(nullptr, texts.getText(51), errorMessage(1), plat::MB_OK);
    if (filter->recognizeWithDrillTable() < 0) return -1;
    for (FEATURE_MARK* m : pending) {
        filter->snapMarkToHole(m);
        m->pendingMatch = 0;
    }
    (void)removeCoincidentMarks(head);
    if (filter->solidsConverted) {
        (void)blankWorkLevelEnts(g_globals->settings.featuresLevelCopy);
        unblankMarkerEnt();
        rebuild_graphics();
    }
    return 0;
}

int copyFeatureToEqualArcs(FEATURE_MARK* mark, VIEW_LIST* tree) {
    ent reference{};
    if (!mark || markArcCount(*mark) == 0 || !readEntById(mark->arcEnts[0], kEntArc, reference)) return 0;
    const double t = g_tolerances.tolT;
    const FEATURE_MARK source = *mark;
    // Every arc of the part is a candidate, hidden ones too, in database order.
    std::unordered_set<std::uint32_t> live;
    forEachLiveEnt(kEntArc, [&](const ent& arc) { live.insert(arc.id); });
    std::vector<ent> candidates;
    forEachRawEnt(kEntArc, [&](db_ptr, const ent& arc) {
        if (live.count(arc.id) && arc.color == reference.color && arc.attrib.tag == reference.attrib.tag &&
            std::fabs(arc.arc.r - reference.arc.r) <= 0.04 * t && std::fabs(arc.arc.sw - reference.arc.sw) <= kSweepMatch &&
            !findFeatureMarkByEntity(arc.id))
            candidates.push_back(arc);
        return true;
    });
    for (ent& arc : candidates) {
        double m[3][3];
        if (get_view_matrix(arc.arc.view, m) != 1) continue;
        const double local[3] = {arc.arc.c.x, arc.arc.c.y, arc.arc.c.z};
        double centre[3];
        mul_mat_vector(m, local, centre);
        bool found = false;
        double direction[3] = {}, length = 0;
        for (VIEW_LIST* v = tree; v && !found; v = v->next) {
            if (compareDirections(v->matrix[2], m[2], kViewAngle) == 0) continue;
            double mt[3][3];
            transpose_matrix_33(v->matrix, mt);
            for (POINT_LIST* p = v->firstPoint; p && !found; p = p->next)
                for (CYL_LIST* c = p->firstCyl; c && !found; c = c->next) {
                    double bottomLocal[3], bottom[3];
                    mul_mat_vector(mt, c->cUniv, bottomLocal);
                    bottomLocal[2] = c->zInf;
                    mul_mat_vector(v->matrix, bottomLocal, bottom);
                    const double sign = pointDistance(c->cUniv, centre) < t ? 1 : pointDistance(bottom, centre) < t ? -1 : 0;
                    if (sign == 0) continue;
                    for (int k = 0; k < 3; ++k) direction[k] = sign * v->matrix[2][k];
                    length = c->zSup - c->zInf;
                    found = true;
                }
        }
        if (!found) continue;
        const std::int32_t ownLevel = arc.level;
        arc.level = featuresLevel();
        (void)rewrite_ent(&arc, 0);
        FEATURE_MARK copy = source;
        std::copy(centre, centre + 3, copy.point);
        std::copy(direction, direction + 3, copy.direction);
        copy.length = length;
        FEATURE_MARK* added = addFeatureMark(copy, 0, 0);
        if (!added) return -1;
        added->arcEnts[0] = arc.id;
        added->arcEntCount = 1;
        added->level = ownLevel;
    }
    return 0;
}
