// The reaming split. Heights are view z (zSup above zInf); in the opposite view z is negated.
#include "plugin/base/vectors.h"
#include "plugin/model/tab_cols_desc.h"
#include "plugin/recognition/reaming_split.h"

#include <cmath>
#include <numbers>

#include "plugin/base/globals.h"
#include "plugin/recognition/opaque_check.h"
#include "plugin/recognition/segment_ends.h"
#include "plugin/model/tree.h"
#include "plugin/services/engine.h"
#include "plugin/services/recognition.h"

namespace {

constexpr double kHalfDegree = 0.5 * std::numbers::pi / 180;

struct KIND_RULE {
    std::int16_t mode;
    double ratio;
    std::int16_t fullDepth;
};

bool acceptedBy(const KIND_RULE& rule, double diameter, double depth) {
    switch (rule.mode) {
        case kSplitAlways: return true;
        case kSplitIfDeep: return !(diameter * rule.ratio > depth);
        default: return false;   // kSplitNever and any unknown mode
    }
}

}  // namespace

int isReamable(const CYL_LIST* seg, double chamferAngleA, double chamferAngleB, double maxChamfer) {
    if (bottomEndState(seg) != kEndOpen) return 0;
    const CYL_LIST* chamfer = seg->next;
    if (!chamfer) return 1;
    if (chamfer->next) return 0;
    const bool widensDownwards = isBetweenTol(chamfer->secAng, -chamferAngleA, -chamferAngleB, kHalfDegree) != 0;
    const bool small = std::fabs(chamfer->rSup - chamfer->rInf) < 1.05 * maxChamfer;
    return widensDownwards && small ? 1 : 0;
}

int splitReaming(VIEW_LIST* tree, const CTabColsDesc& table, const ALLOWED_VIEWS& allowed, std::int16_t fitMode,
                 double fitRatio, std::int16_t fitFullDepth, std::int16_t otherMode, double otherRatio,
                 std::int16_t otherFullDepth, CProgressBox*) {
    if (fitMode == kSplitNever && otherMode == kSplitNever) return 0;
    const KIND_RULE fitRule{fitMode, fitRatio, fitFullDepth};
    const KIND_RULE otherRule{otherMode, otherRatio, otherFullDepth};
    const double T = g_tolerances.tolT;
    const std::unique_ptr<CMoveIndex> moveIndex = makeMoveIndex();
    CMoveIndex& index = *moveIndex;

    for (VIEW_LIST* view = tree; view; view = view->next) {
        for (POINT_LIST* point = view->firstPoint; point; point = point->next) {
            // The end section split off by this run lands at the end of the opposite view and would be met
            // again; its partner lies on its axis, so a second split could only discard its tail.
            if (point->reamSplitted) continue;
            if (point->neckSplitted || point->twinSplitted || point->crashBottom) continue;
            if (isOppositeDirAllowed(allowed, view->matrix[2]) != 1) continue;
            const CYL_LIST* top = point->firstCyl;
            if (!top) continue;

            for (CYL_LIST* cand = top->next; cand; cand = cand->next) {
                if (!(std::fabs(cand->rSup - cand->rInf) < T)) continue;
                if (!isReamable(cand, table.chamferAngleA, table.chamferAngleB, table.maxChamfer)) continue;
                const KIND_RULE& rule = cand->isFit ? fitRule : otherRule;
                if (!acceptedBy(rule, 2 * cand->rSup, top->zSup - cand->zInf)) continue;

                POINT_LIST* moved = splitPointToOppView(tree, view, point, cand->prev, &index);
                if (moved == moveFailed()) return -1;
                if (moved) {
                    point->reamSplitted = moved->reamSplitted = 1;
                    point->reamPartnerId = moved->id;
                    moved->reamPartnerId = point->id;
                    point->reamPart = 0;
                    moved->reamPart = 1;
                    if (rule.fullDepth && moved->cylCount == 1 && moved->firstCyl) {
                        moved->reamSavedZInf = moved->firstCyl->zInf;
                        moved->firstCyl->zInf = -top->zSup;
                        point->reamDepthSet = moved->reamDepthSet = 1;
                    }
                }
                break;
            }
        }
    }
    return 0;
}
