// The features manager's filter over the holes it recognises with the drill-size table: the recognition,
// the display filter that moves hole entities between the features level and the parking level ("Levels" 3)
// by a mask of colour, level and diameter, questions about the selected holes, and the marks made for the
// holes the user chose.
#include <algorithm>
#include <cmath>
#include <string>

#include "host/api.h"
#include "platform/sys/files.h"
#include "platform/sys/paths.h"
#include "plugin/base/entity_utils.h"
#include "plugin/base/globals.h"
#include "plugin/base/progress_box.h"
#include "plugin/base/text_section.h"
#include "plugin/base/utilities.h"
#include "plugin/features/feature_commands.h"
#include "plugin/features/feature_marks.h"
#include "plugin/features/feature_windows.h"
#include "plugin/features/mark_index.h"
#include "plugin/model/tab_cols_desc.h"
#include "plugin/model/tree.h"
#include "plugin/model/work_records.h"
#include "plugin/base/directions.h"
#include "plugin/services/engine.h"
#include "plugin/services/recognition.h"

namespace {

constexpr double kMaskAxis = 0.05323254218582703;      // 3.05 degrees
constexpr double kStraightAxis = 0.0008726646259971645;  // 0.05 degrees
constexpr double kCoarseAxis = 0.05235987755982986;      // 3 degrees
constexpr std::int16_t kCoarseKinds = 1000;
constexpr int kHiddenColour = 8;
constexpr std::uint32_t kFeatureEntTypes = 0x100;
constexpr int kSelectedBit = 4;
constexpr std::int16_t kProgressRecognize = 11;
constexpr double kViewTolerance = 0.0005;

std::int32_t featuresLevel() { return g_globals->settings.featuresLevel; }
std::int32_t parkingLevel() { return g_globals->settings.isolationLevel; }

template <class Visit>
void forEachCyl(VIEW_LIST* tree, Visit visit) {
    for (VIEW_LIST* v = tree; v; v = v->next)
        for (POINT_LIST* p = v->firstPoint; p; p = p->next)
            for (CYL_LIST* c = p->firstCyl; c; c = c->next) visit(*v, *p, *c);
}

int entCount(const CYL_LIST& c) { return std::clamp<int>(c.entCount, 0, kMaxCylEnts); }

// Rewrites the entity of the entry onto `level` (and `colour` when not negative); false when it is gone.
bool moveEnt(const CYL_ENT& entry, std::int32_t level, int colour) {
    ent e{};
    if (get_ent_from_eptr(entry.entry, &e) != 1) return false;
    e.level = level;
    if (colour >= 0) e.color = static_cast<std::int16_t>(colour);
    return rewrite_ent(&e, 0) == 1;
}

bool entSelected(const CYL_ENT& entry) {
    ent e{};
    return get_ent_from_eptr(entry.entry, &e) == 1 && sel_bit_is_on(&e, kSelectedBit);
}

double halfAngle(const CYL_LIST& c) { return std::fabs(c.secAng); }

// |value - target| within the tolerance, strictly.
bool within(double value, double target, double tolerance) { return std::fabs(value - target) < tolerance; }

}  // namespace

// ---- the recognition ----------------------------------------------------------------------------------------

int CFeatMgrFilter::recognizeWithDrillTable() {
    if (solidsConverted) {
        forEachCyl(viewsTree, [](VIEW_LIST&, POINT_LIST&, CYL_LIST& c) {
            for (int i = 0; i < entCount(c); ++i) {
                ent e{};
                if (get_ent_from_eptr(c.ents[i].entry, &e) == 1) (void)setEntBlank(e, false);
            }
        });
    } else {
        solidsConverted = static_cast<std::uint32_t>(solidsToEntities(g_globals->settings.featuresLevelCopy));
    }
    if (recognized) return 0;

    PLUGIN_GLOBALS& g = *g_globals;
    CTabColsDesc drillTable;
    for (const plat::FileEntry& file : plat::findFiles(g.tablesDir, "*.tab")) {
        CTabColsDesc table;
        if (table.read(plat::joinPath(g.tablesDir, file.name)) != 0 || table.tableClass != 1) continue;
        (void)table.readRows();
        drillTable = table;
        break;
    }
    CTextSection boxTexts;
    (void)boxTexts.load(g.uiTextFile, "ProgressBoxDlg", false);
    CProgressBox progress;
    progress.open("Forantix", boxTexts.getText(kProgressRecognize));
    const int savedMask = mask_level;
    const std::int16_t savedStock = g.settings.useStock;
    mask_level = 0;
    std::int32_t wide = 0, narrow = 0, refused = 0;
    int outcome = kRecognitionDone;
    freeViewsTree(viewsTree);
    viewsTree = recognizeCylinders(kRecognizeFeatures, &progress, &wide, &narrow, &refused,
                                   g.settings.maxDiameterOn != 0, g.settings.minDiameterOn != 0, &drillTable, &outcome);
    int result = 0;
    if (outcome == kRecognitionCancelled) result = -1;
    else if (viewsTree && g.settings.useStock != 0 && checkStockEntry(viewsTree) < 0) result = -1;
    mask_level = savedMask;
    g.settings.useStock = savedStock;
    progress.close();
    if (result < 0) return -1;
    int holes = 0;
    (void)holeStatistics(viewsTree, &wide, &narrow, &refused, &holes);
    if (!viewsTree || holes == 0) return 1;
    if (solidsConverted) {
        (void)blankWorkLevelEnts(g_globals->settings.featuresLevelCopy);
        forEachCyl(viewsTree, [](VIEW_LIST&, POINT_LIST&, CYL_LIST& c) {
            for (int i = 0; i < entCount(c); ++i) {
                ent e{};
                if (get_ent_from_eptr(c.ents[i].entry, &e) == 1) (void)setEntBlank(e, false);
            }
        });
    }
    recognized = 1;
    return 0;
}

// ---- a filter run -------------------------------------------------------------------------------------------

void CFeatMgrFilter::rewriteHoleEntities() {
    forEachCyl(viewsTree, [](VIEW_LIST&, POINT_LIST&, CYL_LIST& c) {
        for (int i = 0; i < entCount(c); ++i) (void)moveEnt(c.ents[i], c.ents[i].level, c.ents[i].colour);
    });
    for (FEATURE_MARK* mark : listedMarks(g_records->featureMarks)) moveMarkEnts(*mark, mark->level, true, false);
    restoreGraphicsState(g_globals->settings.featuresLevel);
    rebuild_graphics();
}

CYL_LIST* CFeatMgrFilter::findHoleByEntity(std::uint32_t id) const {
    CYL_LIST* found = nullptr;
    forEachCyl(viewsTree, [&](VIEW_LIST&, POINT_LIST&, CYL_LIST& c) {
        for (int i = 0; i < entCount(c) && !found; ++i)
            if (static_cast<std::uint32_t>(c.ents[i].id) == id) found = &c;
    });
    return found;
}

int CFeatMgrFilter::selectFeatureLevelEnts() {
    forEachShownEnt(kFeatureEntTypes, [](ent& e) {
        if (e.level != featuresLevel()) return false;
        sel_bit_turn_on(&e, kSelectedBit);
        (void)rewrite_ent(&e, 0);
        return false;
    });
    rebuild_graphics();
    return 0;
}

int CFeatMgrFilter::maxHoleDiameter(double* low, double* high) const {
    int count = 0;
    double lo = 0, hi = 0;
    forEachCyl(viewsTree, [&](VIEW_LIST&, POINT_LIST&, CYL_LIST& c) {
        for (int i = 0; i < entCount(c); ++i) {
            if (!entSelected(c.ents[i])) continue;
            const double d = 2 * c.rSup;
            lo = count == 0 ? d : std::min(lo, d);
            hi = count == 0 ? d : std::max(hi, d);
            ++count;
        }
    });
    if (count > 0) {
        if (low) *low = lo;
        if (high) *high = hi;
    }
    return count;
}

int CFeatMgrFilter::apply(int filterMode) {
    const int mode = filterMode;
    foundCount = 0;
    if (mode == 5) {
        for (std::int32_t l : g_graphicsState.visibleLevels) {
            if (is_level_visible(l)) continue;
            set_level_visible(l, 1);
            shownLevels.push_back(l);
        }
    } else if (mode == 6) {
        for (std::int32_t l : shownLevels) set_level_visible(l, 0);
        shownLevels.clear();
    }
    if (mode == 5 || mode == 6) {
        rebuild_graphics();
        repaint_graphics();
        return 0;
    }
    int rejected = 0;
    if (mode == 0) {
        saveGraphicsState(false);
        set_level_visible(parkingLevel(), 1);
        set_level_visible(featuresLevel(), 1);
        mask_level = featuresLevel();
        for (FEATURE_MARK* mark : listedMarks(g_records->featureMarks)) {
            moveMarkEnts(*mark, parkingLevel(), false, true);
            ent note{};
            if (markHasNote(*mark) && readEntById(mark->noteEnt, kEntNote, note) && note.level != featuresLevel()) {
                note.level = featuresLevel();
                (void)rewrite_ent(&note, 0);
            }
        }
        forEachCyl(viewsTree, [](VIEW_LIST&, POINT_LIST&, CYL_LIST& c) {
            for (int i = 0; i < entCount(c); ++i) {
                ent e{};
                if (get_ent_from_eptr(c.ents[i].entry, &e) != 1) continue;
                c.ents[i].level = e.level;
                c.ents[i].colour = static_cast<std::uint16_t>(e.color);
            }
        });
    }
    forEachCyl(viewsTree, [&](VIEW_LIST&, POINT_LIST&, CYL_LIST& c) {
        for (int i = 0; i < entCount(c); ++i) {
            const CYL_ENT& entry = c.ents[i];
            switch (mode) {
            case 0: case 2: foundCount += moveEnt(entry, featuresLevel(), -1); break;
            case 3: (void)moveEnt(entry, featuresLevel(), entry.colour); break;
            case 4:
                (void)moveEnt(entry, entry.level, entry.colour);
                set_level_visible(entry.level, 1);
                break;
            case 1: (void)moveEnt(entry, parkingLevel(), kHiddenColour); break;
            default: break;
            }
        }
        if (mode != 1) return;
        std::vector<int> shown;
        if (!passesMask(c, shown)) return;
        const double axisLimit =
            tableChoice.row >= 0 && tableChoice.tableKind < kCoarseKinds ? kStraightAxis : kMaskAxis;
        if (halfAngle(c) > axisLimit) {
            ++rejected;
            return;
        }
        for (int i : shown) (void)moveEnt(c.ents[i], featuresLevel(), c.ents[i].colour);
        ++foundCount;
    });
    if (mode == 0) rebuild_graphics();
    repaint_graphics();
    return mode == 1 && foundCount == 0 && rejected > 0 ? -1 : 0;
}

// The mask's diameter, colour and level tests of one segment; `shown` receives the entities that go to the
// features level when it passes.
bool CFeatMgrFilter::passesMask(const CYL_LIST& c, std::vector<int>& shown) const {
    const double d = 2 * c.rSup;
    const int n = entCount(c);
    const int overlaps = std::clamp<int>(c.ovlpCount, 0, kMaxOvlp);
    const OVLP_ENTRY* lowerEntry = nullptr;
    bool upperOnly = false;
    if (mode == 0) {
        if (useMinDiameter && !useMaxDiameter) {
            if (!(std::fabs(d - minDiameter) <= minDiameterTol)) return false;
        } else if (useMinDiameter && useMaxDiameter) {
            if (!(d >= minDiameter - minDiameterTol && d <= maxDiameter + maxDiameterTol)) return false;
        }
    } else {
        auto overlapMatch = [&]() -> const OVLP_ENTRY* {
            for (int k = 0; k < overlaps; ++k)
                if (within(2 * c.ovlp[k].rSup, minDiameter, minDiameterTol)) return &c.ovlp[k];
            return nullptr;
        };
        if (useMinDiameter && useMaxDiameter) {
            lowerEntry = overlapMatch();
            if (!lowerEntry || !within(d, maxDiameter, maxDiameterTol)) return false;
        } else if (useMinDiameter) {
            lowerEntry = overlapMatch();
            if (!lowerEntry && !within(d, minDiameter, minDiameterTol)) return false;
        } else if (useMaxDiameter) {
            if (!within(d, maxDiameter, maxDiameterTol)) return false;
            upperOnly = true;
        } else {
            return false;
        }
    }
    if (useColor || useLevel) {
        bool any = false;
        for (int i = 0; i < n && !any; ++i)
            any = (!useColor || c.ents[i].colour == color) && (!useLevel || c.ents[i].level == level);
        if (!any) return false;
    }
    shown.clear();
    if (lowerEntry) {
        for (std::uint16_t index : lowerEntry->entIndex)
            if (index < n && std::find(shown.begin(), shown.end(), index) == shown.end()) shown.push_back(index);
    } else if (upperOnly) {
        for (int i = 0; i < n; ++i) {
            bool named = false;
            for (int k = 0; k < overlaps && !named; ++k)
                named = std::find(std::begin(c.ovlp[k].entIndex), std::end(c.ovlp[k].entIndex), i) !=
                        std::end(c.ovlp[k].entIndex);
            if (!named) shown.push_back(i);
        }
    } else {
        for (int i = 0; i < n; ++i) shown.push_back(i);
    }
    return true;
}

// ---- marks for the chosen holes -----------------------------------------------------------------------------

int CFeatMgrFilter::alignFeatures(std::int16_t windowMode, double value1, double value2, std::int16_t kind,
                                  double depthValue, const std::string& name) {
    const double t = g_tolerances.tolT;
    int prepared = 0, rejected = 0;
    for (VIEW_LIST* v = viewsTree; v; v = v->next) {
        for (POINT_LIST* p = v->firstPoint; p; p = p->next) {
            const CYL_LIST* lastMarked = nullptr;
            for (CYL_LIST* c = p->firstCyl; c; c = c->next) {
                int first = -1;
                for (int i = 0; i < entCount(*c) && first < 0; ++i)
                    if (entSelected(c->ents[i])) first = i;
                if (first < 0) continue;
                ent e{};
                if (get_ent_from_eptr(c->ents[first].entry, &e) == 1) {
                    sel_bit_turn_off(&e, kSelectedBit);
                    (void)rewrite_ent(&e, 0);
                }
                std::vector<const OVLP_ENTRY*> entries;
                for (int k = 0; k < std::clamp<int>(c->ovlpCount, 0, kMaxOvlp); ++k)
                    if (c->ovlp[k].entIndex[0] == first || c->ovlp[k].entIndex[1] == first)
                        entries.push_back(&c->ovlp[k]);
                const bool coarse = kind >= kCoarseKinds;
                if (halfAngle(*c) > (coarse ? kCoarseAxis : kStraightAxis)) {
                    if (!coarse) ++rejected;
                    continue;
                }
                if (c->prev && c->prev == lastMarked && std::fabs(c->prev->rSup - c->rSup) < t) continue;
                lastMarked = c;

                FEATURE_MARK base{};
                base.origin = 1;
                std::copy(c->cUniv, c->cUniv + 3, base.point);
                std::copy(v->matrix[2], v->matrix[2] + 3, base.direction);
                base.diameter = 2 * c->rSup;
                base.length = c->zSup - c->zInf;
                if (windowMode == 0) {
                    base.isFit = 1;
                    std::snprintf(base.fitClass, sizeof base.fitClass, "%s", name.c_str());
                } else {
                    base.isTap = 1;
                    base.threadKind = kind;
                    base.tapDiam = value1;
                    base.tapPitch = value2;
                    base.threadDepth = depthValue;
                }
                std::vector<FEATURE_MARK> marks;
                if (entries.empty()) marks.push_back(base);
                for (const OVLP_ENTRY* o : entries) {
                    FEATURE_MARK m = base;
                    if (std::fabs(o->zSup - c->zSup) <= std::fabs(o->zInf - c->zInf)) {
                        m.threadDepth = c->zSup - o->zInf;
                    } else {
                        double local[3], world[3];
                        double mt[3][3];
                        transpose_matrix_33(v->matrix, mt);
                        mul_mat_vector(mt, c->cUniv, local);
                        local[2] = c->zInf;
                        mul_mat_vector(v->matrix, local, world);
                        std::copy(world, world + 3, m.point);
                        for (int k = 0; k < 3; ++k) m.direction[k] = -v->matrix[2][k];
                        m.threadDepth = o->zSup - c->zInf;
                    }
                    marks.push_back(m);
                }
                for (const FEATURE_MARK& m : marks) {
                    ++prepared;
                    if (featureMarkExists(m.point, m.direction, 1) != 0) continue;
                    if (!addFeatureMark(m, 1, 0)) return -1;
                }
            }
        }
    }
    return prepared == 0 && rejected > 0 ? -1 : prepared;
}

// ---- a pending mark onto its hole -----------------------------------------------------------------------------

int CFeatMgrFilter::snapMarkToHole(FEATURE_MARK* mark) {
    if (!mark) return 0;
    const double t = g_tolerances.tolT;
    double bottom[3];
    markBottom(*mark, bottom);
    VIEW_LIST* view = nullptr;
    POINT_LIST* hole = nullptr;
    CYL_LIST* matched = nullptr;
    double markTop = 0;
    for (VIEW_LIST* v = viewsTree; v && !matched; v = v->next) {
        if (compareDirections(v->matrix[2], mark->direction, kViewTolerance) == 0) continue;
        double mt[3][3], top[3], low[3];
        transpose_matrix_33(v->matrix, mt);
        mul_mat_vector(mt, mark->point, top);
        mul_mat_vector(mt, bottom, low);
        for (POINT_LIST* p = v->firstPoint; p && !matched; p = p->next) {
            if (std::hypot(p->ptView[0] - top[0], p->ptView[1] - top[1]) > t) continue;
            for (CYL_LIST* c = p->firstCyl; c && !matched; c = c->next) {
                const bool inside = c->zSup < top[2] + t && c->zInf > low[2] - t;
                const bool covers = c->zSup > top[2] - t && c->zInf < low[2] + t;
                if (!inside && !covers) continue;
                view = v;
                hole = p;
                matched = c;
                markTop = top[2];
            }
        }
    }
    if (!matched) return 0;

    // A copy of the hole carries the mark's feature on the matched segment for its description.
    std::vector<CYL_LIST> copies;
    for (CYL_LIST* c = hole->firstCyl; c; c = c->next) copies.push_back(*c);
    for (std::size_t i = 0; i < copies.size(); ++i) {
        copies[i].prev = i ? &copies[i - 1] : nullptr;
        copies[i].next = i + 1 < copies.size() ? &copies[i + 1] : nullptr;
    }
    std::size_t at = 0;
    for (CYL_LIST* c = hole->firstCyl; c != matched; c = c->next) ++at;
    CYL_LIST& target = copies[at];
    target.isFit = mark->isFit;
    target.isTap = mark->isTap;
    target.threadDiam = mark->tapDiam;
    target.threadPitch = mark->tapPitch;
    target.threadTable = mark->threadKind;
    target.featureDepth = mark->threadDepth;
    target.featureFromBottom = std::fabs(markTop - target.zInf) < std::fabs(markTop - target.zSup);
    CTabColsDesc drillTable;
    if (loadDrillTable(&drillTable) != 0) return 0;
    std::vector<CIL_DESC> descs(kMaxCilDescs);
    const int described = describeByTable(copies.data(), descs.data(), drillTable.chamferAngleA,
                                          drillTable.chamferAngleB, drillTable.maxChamfer, &drillTable);
    const CIL_DESC* section = nullptr;
    for (int i = 0; i < described && !section; ++i)
        if (descs[i].opeGeo != 0) section = &descs[i];
    if (!section) return 0;
    const double targetDepth = mark->threadDepth > 0.4 * t ? section->zTop - mark->threadDepth / 2
                                                           : (section->zTop + section->zBottom) / 2;
    CYL_LIST* chosen = nullptr;
    double nearest = 0;
    for (CYL_LIST* c = hole->firstCyl; c; c = c->next) {
        const double gap = std::fabs((c->zSup + c->zInf) / 2 - targetDepth);
        if (!chosen || gap < nearest) {
            chosen = c;
            nearest = gap;
        }
    }
    if (!chosen) return 0;
    std::copy(chosen->cUniv, chosen->cUniv + 3, mark->point);
    std::copy(view->matrix[2], view->matrix[2] + 3, mark->direction);
    mark->length = chosen->zSup - chosen->zInf;
    drawFeatureMark(mark, mark->level);
    return 0;
}
