// The classes in action: each chain regrouped by class and its groups put where they are machined from
// ("WhatDoing"), blocked bottoms made blind, the depth limit, and the centre drills and chamfer tools of holes
// marked for a chamfer check. Records move with what they own; a record that no group keeps is freed.
#include <cmath>
#include <numbers>
#include <unordered_map>
#include <vector>

#include "plugin/base/globals.h"
#include "plugin/engine/apply_process.h"
#include "plugin/engine/depth_limit.h"
#include "plugin/engine/hole_classes.h"
#include "plugin/engine/operation_comments.h"
#include "plugin/model/ope_list.h"
#include "plugin/engine/operation_records.h"
#include "plugin/engine/opposite_view.h"
#include "plugin/engine/process_log.h"
#include "plugin/base/directions.h"
#include "plugin/model/tree.h"
#include "plugin/services/engine.h"
#include "plugin/services/recognition.h"

namespace {

constexpr double kDegree = std::numbers::pi / 180;
constexpr double kDrillTipAngle = 118 * kDegree;   // the settings' default drill

int tableCount(const FORM_RUN& run) { return static_cast<int>(run.tables.size()); }

int applyProcess(POINT_LIST& hole, FORM_RUN& run) {
    if (!hole.processName[0]) return 0;
    return applyProcessToHole(run.tables.data(), tableCount(run), hole, kApplyAll) == -1 ? -1 : 0;
}

// Links the members behind the first as one chain of identical holes at the end of the view.
void appendGroup(VIEW_LIST* view, const std::vector<POINT_LIST*>& group, CMoveIndex& index) {
    for (std::size_t i = 0; i < group.size(); ++i) {
        POINT_LIST* m = group[i];
        m->chainMember = i == 0 ? 0 : 1;
        m->chainCount = i == 0 ? static_cast<std::int32_t>(group.size()) - 1 : 0;
        m->nextEqual = i + 1 < group.size() ? group[i + 1] : nullptr;
        appendPointToView(view, m, &index);
    }
}

// Every member of the chain from `head`, each taken out of the view with its chain links cleared.
std::vector<POINT_LIST*> takeChain(VIEW_LIST* view, POINT_LIST* head, CMoveIndex& index) {
    std::vector<POINT_LIST*> members;
    for (POINT_LIST* m = head; m; m = m->nextEqual) members.push_back(m);
    for (POINT_LIST* m : members) {
        unlinkHole(view, m, &index);
        m->nextEqual = nullptr;
        m->chainMember = 0;
        m->chainCount = 0;
    }
    return members;
}

bool splitAlready(const POINT_LIST& m) {
    return m.twinSplitted || m.farSplitted || m.reamSplitted || m.neckSplitted;
}

// Class 4 members that can be drilled from the other side as one straight cylinder go there; when the
// other side's view cannot be had they are `stranded` instead.
int takeOver(std::vector<POINT_LIST*>& group, POINT_LIST* head, VIEW_LIST* tree, VIEW_LIST* view, bool notSelected,
             FORM_RUN& run, std::vector<POINT_LIST*>& emptied, std::vector<std::vector<POINT_LIST*>>& stranded,
             CMoveIndex& index) {
    std::vector<POINT_LIST*> taken, kept;
    for (POINT_LIST* m : group) {
        const bool goes = !isSimpleThroughHole(run.allowed, *m) && (notSelected || m->crashTop) && !m->crashBottom &&
                          !m->crashInto && !splitAlready(*m);
        (goes ? taken : kept).push_back(m);
    }
    if (taken.empty()) return 0;
    POINT_LIST* first = taken.front();
    if (first != head) (void)copyHoleProcess(*head, *first);
    if (toSimpleDrill(*first, run.tables.data(), run.drillIndex) == 0) return 0;
    group = kept;
    first->holeClass = first->touchBottom ? 3 : 0;
    processLogLine("shapeToOppositeView\n");
    if (shapeToOppositeView(taken.data(), static_cast<int>(taken.size()), tree, view, run.tables.data(),
                            tableCount(run), &index) != 0)
        stranded.push_back(taken);
    else
        emptied.insert(emptied.end(), taken.begin(), taken.end());
    return 0;
}

// Holes left in their view that no tool reaches from there: one more group, marked, with its process, so
// that the summary counts them and the user decides whether they are made.
int keepUnreachable(VIEW_LIST* view, const std::vector<POINT_LIST*>& group, FORM_RUN& run, CMoveIndex& index) {
    for (POINT_LIST* m : group) m->notAccessible = 1;
    appendGroup(view, group, index);
    return applyProcess(*group.front(), run);
}

// A neck-split member outside the selected views lets its partner, when that is the wider through hole
// of a selected view, reach down to the neck.
bool extendNeckPartner(POINT_LIST* m, const std::unordered_map<std::int32_t, POINT_LIST*>& byId, FORM_RUN& run) {
    if (!m->neckSplitted || m->descCount < 1 || !m->descs) return false;
    auto it = byId.find(m->splitPartnerId);
    if (it == byId.end()) return false;
    POINT_LIST* partner = it->second;
    if (!partner->view || isDirInSelViews(run.allowed, partner->view->matrix[2], 0) != 1 || partner->descCount < 1 ||
        !partner->descs)
        return false;
    CIL_DESC& last = partner->descs[partner->descCount - 1];
    const double mine = m->descs[m->descCount - 1].D;
    if (!last.Through || !(last.D - g_tolerances.tolT < mine)) return false;
    last.zBottom = partner->splitFarZ;
    const double length = last.zTop - last.zBottom;
    last.L = length;
    last.L2 = length;
    if (partner->processName[0]) {
        clearOperations(*partner);
        (void)applyProcess(*partner, run);
    }
    return true;
}

// One chain head of the view: its members regrouped by class and each group put in its place.
int actOnChain(POINT_LIST* head, VIEW_LIST* tree, VIEW_LIST* view, bool notOpposite, bool notSelected,
               std::unordered_map<std::int32_t, POINT_LIST*>& byId, FORM_RUN& run, CMoveIndex& index) {
    const CYL_LIST* top = head->firstCyl;
    processLogLine("\n--------------------------------------------------\nPunto cUniv %.3f %.3f %.3f (entId=%li)\n",
                   head->ptUniv[0], head->ptUniv[1], head->ptUniv[2],
                   static_cast<long>(top && top->entCount > 0 ? top->ents[0].id : 0));
    std::vector<POINT_LIST*> byClass[7];   // 2 and 3 share group 2
    for (POINT_LIST* m : takeChain(view, head, index)) {
        const int cls = m->holeClass >= 0 && m->holeClass <= 6 ? m->holeClass : 0;
        if ((cls == 1 || cls == 3) && m->touchTop) m->chamferCheck = 1;
        byClass[cls == 3 ? 2 : cls].push_back(m);
    }
    for (int g : {0, 5, 6, 2, 1, 4}) {
        std::vector<POINT_LIST*>& group = byClass[g];
        if (group.empty() || group.front() == head) continue;
        (void)copyHoleProcess(*head, *group.front());
        if (g == 5 || g == 6) {
            group.front()->noMeasures = head->noMeasures;
            group.front()->depthChecked = head->depthChecked;
        }
    }
    std::vector<POINT_LIST*> emptied;
    for (int g : {0, 1, 5}) {
        if (byClass[g].empty()) continue;
        appendGroup(view, byClass[g], index);
        if (applyProcess(*byClass[g].front(), run) != 0) return -1;
    }
    // Groups that were to go to the other side and could not: no view of that direction could be had (the
    // user has been told). They stay in this view, marked unreachable, rather than end the recognition: a
    // stop there would free the whole tree, every hole of the part with it, for the holes of one direction,
    // while kept they are counted in the summary and the user decides whether they are made.
    std::vector<std::vector<POINT_LIST*>> stranded;
    const auto turnEndSplits = [](std::vector<POINT_LIST*>& group) {
        for (POINT_LIST* m : group) m->endSplitMode = m->endSplitMode == 1 ? 2 : m->endSplitMode == 2 ? 1 : 0;
    };
    for (int g : {2, 6}) {
        std::vector<POINT_LIST*>& group = byClass[g];
        if (group.empty()) continue;
        if (g == 2) turnEndSplits(group);
        if (shapeToOppositeView(group.data(), static_cast<int>(group.size()), tree, view, run.tables.data(),
                                tableCount(run), &index) != 0) {
            if (g == 2) turnEndSplits(group);
            stranded.push_back(group);
            continue;
        }
        emptied.insert(emptied.end(), group.begin(), group.end());
    }
    std::vector<POINT_LIST*>& fours = byClass[4];
    if (!notOpposite && takeOver(fours, head, tree, view, notSelected, run, emptied, stranded, index) != 0) return -1;
    std::vector<POINT_LIST*> kept;
    for (POINT_LIST* m : fours) {
        if (notSelected && extendNeckPartner(m, byId, run)) emptied.push_back(m);
        else if (!m->crashInto && !notSelected) kept.push_back(m);
        else emptied.push_back(m);   // nowhere to go: it leaves the tree
    }
    if (!kept.empty()) stranded.push_back(kept);
    for (const std::vector<POINT_LIST*>& group : stranded)
        if (keepUnreachable(view, group, run, index) != 0) return -1;
    // A record that goes is no longer anyone's neck partner (a moved hole's new record has a new id).
    for (POINT_LIST* m : emptied) {
        if (auto it = byId.find(m->id); it != byId.end() && it->second == m) byId.erase(it);
        freePointList(m);
    }
    return 0;
}

}  // namespace

int actOnClasses(VIEW_LIST* tree, FORM_RUN& run) {
    processLogLine("\n - - - - - - - - - - - - - WhatDoing\n");
    // Only the chains the views held before this stage are handled: groups it moves or appends stay as they
    // are put, and views it makes hold only such groups.
    std::vector<std::pair<VIEW_LIST*, std::vector<POINT_LIST*>>> chains;
    std::unordered_map<std::int32_t, POINT_LIST*> byId;
    for (VIEW_LIST* view = tree; view; view = view->next) {
        chains.emplace_back(view, std::vector<POINT_LIST*>{});
        for (POINT_LIST* p = view->firstPoint; p; p = p->next) {
            byId.emplace(p->id, p);
            if (!p->chainMember) chains.back().second.push_back(p);
        }
    }
    // Every link and unlink of the stage goes through one index, so that no append walks a view's list.
    const std::unique_ptr<CMoveIndex> moveIndex = makeMoveIndex();
    CMoveIndex& index = *moveIndex;
    for (auto& [view, heads] : chains) {
        processLogLine("\n View %i\n", view->viewNumber);
        const bool notOpposite = isOppositeDirAllowed(run.allowed, view->matrix[2]) == 0;
        const bool notSelected = isDirInSelViews(run.allowed, view->matrix[2], 0) != 1;
        for (POINT_LIST* head : heads) {
            if (head->descCount < 1) continue;   // never classified: it stays as it is
            if (actOnChain(head, tree, view, notOpposite, notSelected, byId, run, index) != 0) return -1;
        }
    }
    return 0;
}

int blindBlockedBottoms(VIEW_LIST* tree, FORM_RUN& run) {
    const PRM_SETTINGS& s = g_globals->settings;
    for (VIEW_LIST* view = tree; view; view = view->next)
        for (POINT_LIST* hole = view->firstPoint; hole; hole = hole->next) {
            if (hole->chainMember || !hole->crashBottom || hole->descCount < 1 || !hole->descs) continue;
            CIL_DESC& last = hole->descs[hole->descCount - 1];
            if (!last.Through) continue;
            const double D = last.D;
            const double clearance = s.breakthroughMode == 0 ? s.breakthroughLength : s.breakthroughRatio * D;
            const double tip = (D / 2) / std::tan(kDrillTipAngle / 2);
            const double zBottom = last.zBottom;
            const double limit = zBottom - (clearance + tip);
            if (!(limit < hole->crashBottomZ)) continue;
            last.Through = 0;
            last.TipTool = 0;
            last.Flat = 1;
            // The bottom rises until the drill with its breakthrough stops at what blocks it.
            last.zBottom = zBottom + (hole->crashBottomZ - limit);
            if (std::fabs(last.tipAngle) < 0.01) last.tipAngle = kDrillTipAngle;
            clearOperations(*hole);
            if (applyProcess(*hole, run) != 0) return -1;
        }
    return 0;
}

namespace {

// The segment above the longest gap between two consecutive segments of the hole, and the gap.
CYL_LIST* segmentAboveLongestGap(const POINT_LIST& hole, double* gap) {
    CYL_LIST* above = nullptr;
    *gap = 0;
    for (CYL_LIST* c = hole.firstCyl; c && c->next; c = c->next)
        if (c->zInf - c->next->zSup > *gap) {
            *gap = c->zInf - c->next->zSup;
            above = c;
        }
    return above;
}

// The place of the segment in the hole's chain, from 0; -1 when it is not there.
int segmentPlace(const POINT_LIST& hole, const CYL_LIST* segment) {
    int place = 0;
    for (const CYL_LIST* c = hole.firstCyl; c; c = c->next, ++place)
        if (c == segment) return place;
    return -1;
}

bool splitOff(const POINT_LIST* p) { return !p || p == moveFailed(); }

}  // namespace

int splitLongGaps(VIEW_LIST* tree, FORM_RUN& run) {
    const PRM_SETTINGS& s = g_globals->settings;
    if (s.drillFromBothFaces == 0) return 0;
    std::vector<std::pair<VIEW_LIST*, POINT_LIST*>> heads;
    for (VIEW_LIST* view = tree; view; view = view->next) {
        if (isOppositeDirAllowed(run.allowed, view->matrix[2]) == 0) continue;
        for (POINT_LIST* hole = view->firstPoint; hole; hole = hole->next)
            if (!hole->chainMember && !hole->stageDone && !splitAlready(*hole) && hole->descCount == 1 &&
                hole->descs && hole->descs[0].Through && hole->tableName[0])
                heads.emplace_back(view, hole);
    }
    const std::unique_ptr<CMoveIndex> moveIndex = makeMoveIndex();
    CMoveIndex& index = *moveIndex;
    for (auto& [view, hole] : heads) {
        double gap = 0;
        CYL_LIST* above = segmentAboveLongestGap(*hole, &gap);
        if (!above || !(gap > s.openSpaceFactor * hole->descs[0].D)) continue;
        bool crashes = false;
        for (const POINT_LIST* m = hole; m; m = m->nextEqual) crashes = crashes || m->crashTop || m->crashBottom;
        if (crashes) continue;
        const int place = segmentPlace(*hole, above);
        std::vector<POINT_LIST*> followers;
        for (POINT_LIST* m = hole->nextEqual; m; m = m->nextEqual) followers.push_back(m);
        POINT_LIST* lower = splitPointToOppView(tree, view, hole, above, &index);
        if (splitOff(lower)) return -1;
        (void)copyHoleProcess(*hole, *lower);
        CIL_DESC& low = lower->descs[0];
        low.zTop = lower->ptView[2];
        low.zBottom = lastCyl(lower)->zInf;
        low.topChamfer = 0;
        // Both halves are handled: the end split that follows must not split either of them again.
        hole->stageDone = lower->stageDone = 1;
        lower->reprocessed = 1;
        clearOperations(*lower);
        if (applyProcess(*lower, run) != 0) return -1;
        hole->descs[0].zBottom = lastCyl(hole)->zInf;
        clearOperations(*hole);
        if (applyProcess(*hole, run) != 0) return -1;
        // The followers are cut at the same place; their lower parts follow the new hole.
        POINT_LIST* last = lower;
        for (POINT_LIST* m : followers) {
            CYL_LIST* cut = cylAt(m, place);
            POINT_LIST* part = cut ? splitPointToOppView(tree, m->view, m, cut, &index) : nullptr;
            if (part == moveFailed()) return -1;
            if (!part) continue;
            part->chainMember = 1;
            last->nextEqual = part;
            last = part;
            ++lower->chainCount;
        }
    }
    return 0;
}

int splitFittedEnds(VIEW_LIST* tree, FORM_RUN& run) {
    std::vector<std::pair<VIEW_LIST*, POINT_LIST*>> heads;
    for (VIEW_LIST* view = tree; view; view = view->next) {
        if (isOppositeDirAllowed(run.allowed, view->matrix[2]) == 0) continue;
        for (POINT_LIST* hole = view->firstPoint; hole; hole = hole->next)
            if (!hole->chainMember && !hole->stageDone && !splitAlready(*hole) && hole->tableName[0] &&
                hole->descCount > 0 && hole->descs && (hole->endSplitMode == 1 || hole->endSplitMode == 2))
                heads.emplace_back(view, hole);
    }
    const std::unique_ptr<CMoveIndex> moveIndex = makeMoveIndex();
    CMoveIndex& index = *moveIndex;
    for (auto& [view, hole] : heads) {
        POINT_LIST* other = movePointToOppView(tree, view, hole, &index);
        if (other == moveFailed()) return -1;
        if (!other) continue;
        (void)copyHoleProcess(*hole, *other);
        const CIL_DESC last = hole->descs[hole->descCount - 1];
        assignSingleCylinderProcess(*other, last.D, last.zTop - last.zBottom, last.opeGeo, last.threadCode,
                                    last.threadDiameter, last.threadPitch, run.tables.data(), tableCount(run),
                                    run.drillIndex);
        other->endSplitMode = hole->endSplitMode;
        hole->partnerId = other->id;
        other->partnerId = hole->id;
        // The hole keeps all but the finishing of its fitted end; the partner does only that finishing.
        const std::pair<POINT_LIST*, ApplyMode> halves[] = {{hole, kApplySplitTop}, {other, kApplySplitBottom}};
        for (auto [half, mode] : halves) {
            half->stageDone = 1;
            half->reprocessed = 1;
            clearOperations(*half);
            if (half->processName[0] &&
                applyProcessToHole(run.tables.data(), tableCount(run), *half, mode) == -1)
                return -1;
        }
        POINT_LIST* chainEnd = other;
        for (POINT_LIST* follower = hole->nextEqual; follower; follower = follower->nextEqual) {
            POINT_LIST* copy = movePointToOppView(tree, follower->view, follower, &index);
            if (copy == moveFailed()) return -1;
            if (!copy) continue;
            copy->chainMember = 1;
            copy->stageDone = 1;
            copy->partnerId = follower->id;
            follower->partnerId = copy->id;
            copy->memberReprocessed = 1;
            chainEnd->nextEqual = copy;
            chainEnd = copy;
            ++other->chainCount;
        }
    }
    return 0;
}

int limitDepths(VIEW_LIST* tree, FORM_RUN& run) {
    std::vector<POINT_LIST*> heads;
    for (VIEW_LIST* view = tree; view; view = view->next)
        for (POINT_LIST* hole = view->firstPoint; hole; hole = hole->next)
            if (!hole->chainMember && !hole->depthChecked) heads.push_back(hole);
    const std::unique_ptr<CMoveIndex> moveIndex = makeMoveIndex();
    CMoveIndex& index = *moveIndex;
    for (POINT_LIST* hole : heads) {
        processLogLine("DivideIfMaxDeep\n");
        if (DivideIfMaxDeep(*hole, run.whyTexts, run.tables.data(), tableCount(run), run.drillIndex, run.allowed, &index) < 0)
            return -1;
    }
    return 0;
}

void adaptCentreAndChamfer(VIEW_LIST* tree) {
    const PRM_SETTINGS& s = g_globals->settings;
    for (VIEW_LIST* view = tree; view; view = view->next)
        for (POINT_LIST* head = view->firstPoint; head; head = head->next) {
            if (head->chainMember || head->descCount < 1 || !head->descs) continue;
            bool marked = false, touched = false;
            for (const POINT_LIST* m = head; m; m = m->nextEqual) {
                marked = marked || m->chamferCheck;
                touched = touched || m->touchTop == 1 || m->touchTop == 3;
            }
            if (!marked) continue;
            const CIL_DESC& first = head->descs[0];
            bool centreDone = false, chamferDone = true;
            for (OPE_LIST* op = head->opeList; op; op = op->next) {
                if (op->toolType == 1 || op->toolType == 2) {
                    if (s.overrideSpotDrill == 0) {
                        op->toolDiam = first.D;
                        composeOperationName(*op, op->processOpe.get());
                        centreDone = true;
                    } else {
                        centreDone = !touched;
                    }
                } else if (op->toolType == 9 || op->toolType == 12) {
                    op->toolDiam = first.chamferDiameter + 4 * g_tolerances.tolT;
                    composeOperationName(*op, op->processOpe.get());
                    chamferDone = false;   // only a hole without chamfer tools is settled here
                }
            }
            if (!centreDone || !chamferDone) continue;
            for (POINT_LIST* m = head; m; m = m->nextEqual) m->chamferCheck = 0;
        }
}
