// recognizeCylinders: the raw build and the nineteen cleaning stages after it, in their fixed order, with
// a dump after each stage and the four progress steps at which the user may cancel.
#include "plugin/model/tab_cols_desc.h"
#include "plugin/recognition/pipeline.h"

#include "plugin/base/globals.h"
#include "plugin/base/progress_box.h"
#include "plugin/recognition/axis_joining.h"
#include "plugin/recognition/dumps.h"
#include "plugin/recognition/merging.h"
#include "plugin/recognition/open_arcs.h"
#include "plugin/recognition/pipeline_raw.h"
#include "plugin/recognition/segment_ends.h"
#include "plugin/recognition/split_chains.h"
#include "plugin/model/tree.h"
#include "plugin/services/recognition.h"

std::int32_t g_nextHoleId = 1;
std::int32_t g_surfaceCount = 0;

namespace {

// The tree between stages. A run that stops frees what it holds; only a finished run hands its tree out.
class CStageRun {
public:
    CStageRun(VIEW_LIST* head, CProgressBox* progress) : head(head), m_progress(progress) {}
    ~CStageRun() { freeViewsTree(head); }

    // False when the stage's result ends the run.
    bool tested(int result) {
        if (result != 0) outcome = kRecognitionFailed;
        return result == 0;
    }
    // False when the user cancelled at this step.
    bool step() {
        if (m_progress && m_progress->step() != 0) {
            outcome = kRecognitionCancelled;
            return false;
        }
        return true;
    }
    void dump(int stage) const { dumpStage(head, stage); }
    VIEW_LIST* release() {
        VIEW_LIST* done = head;
        head = nullptr;
        return done;
    }

    VIEW_LIST* head;
    int outcome = kRecognitionDone;

private:
    CProgressBox* m_progress;
};

bool runStages(CStageRun& run, std::uint16_t mode, const ALLOWED_VIEWS& allowed, CPlanarFaces& planar) {
    run.dump(1);
    if (!run.tested(cylsJointAxis(run.head))) return false;
    run.dump(2);
    if (!run.step()) return false;

    cylsPlanarRev(run.head);
    run.dump(3);
    cylsEnh(run.head);
    mergeSameSurfSegs(run.head, g_tolerances.fineAngle);
    run.dump(4);
    // Before the open-arc rule, which would take a centre mark of two half faces for two open arcs.
    cylsEraPointed(run.head);
    cylsDelOpen(run.head);
    run.dump(5);
    cylsDelAngDummy(run.head);
    run.dump(6);
    if (!run.tested(cylsPlanar(run.head, mode, planar))) return false;
    run.dump(7);
    cylsOverlapp(run.head);
    cylsOverlappPass2(run.head);
    run.dump(8);
    cylsUnusedPts(run.head);
    run.head = erasePointsWithoutCyls(run.head);
    if (!run.step()) return false;
    run.dump(9);

    cylsRemovePockets(run.head);
    run.dump(10);
    if (!run.tested(cylsSplitTipTool(run.head, allowed))) return false;
    run.dump(11);
    cylsEraAOpq(run.head);
    if (!run.step()) return false;
    run.dump(12);

    // The far split's result is not a stage result: a split that failed leaves a consistent tree with the
    // cut chain, and the run goes on with it.
    (void)cylsSplitFar(run.head);
    run.dump(13);
    if (!run.tested(cylsSplitTwin(run.head))) return false;
    run.dump(14);
    cylsEraBelow(run.head);
    run.dump(15);
    if (!run.tested(cylsSetEntry(run.head))) return false;
    run.dump(16);
    cylsEraCavern(mode, run.head);
    if (!run.step()) return false;
    run.dump(17);
    if (!run.tested(cylsSplitTwin(run.head))) return false;
    run.dump(18);
    // Again once the chains are cut: a centre mark on the far side of a blind hole is a chain of its own now.
    cylsEraPointed(run.head);
    cylsDelOpen(run.head);
    run.dump(19);
    run.head = eraseVoidViews(run.head);
    run.dump(20);
    return true;
}

}  // namespace

VIEW_LIST* recognizeCylinders(std::uint16_t mode, CProgressBox* progress, std::int32_t* wideRejects,
                              std::int32_t* narrowRejects, std::int32_t* directionRejects, std::uint8_t maxDiameterOn,
                              std::uint8_t minDiameterOn, CTabColsDesc* /*table*/, int* outcome) {
    RAW_FILTERS filters;
    filters.wideRejects = wideRejects;
    filters.narrowRejects = narrowRejects;
    filters.directionRejects = directionRejects;
    filters.maxDiameterOn = maxDiameterOn != 0;
    filters.minDiameterOn = minDiameterOn != 0;
    filters.allowed = readAllowedViews(g_globals->settings);

    clearDroppedWalls();
    VIEW_LIST* raw = nullptr;
    CPlanarFaces planar;   // no stage before the flat faces' changes the database
    if (buildRawTree(&raw, filters, &planar) != 0) {
        if (outcome) *outcome = kRecognitionFailed;
        return nullptr;
    }
    CStageRun run(raw, progress);
    const bool finished = runStages(run, mode, filters.allowed, planar);
    if (outcome) *outcome = run.outcome;
    return finished ? run.release() : nullptr;
}
