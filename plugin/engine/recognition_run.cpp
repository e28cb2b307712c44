// The recognition command of the process engine, as far as the engine is built: the part's solids become
// surfaces, the pipeline builds PLUGIN_GLOBALS::viewsTree, the checks complete it in their fixed order, and
// the user is told what was found. The end of the work cycle saves the tree with the part.
// The engine's run summary box is not built: the summary goes to the host's message line and the command
// goes on as after the box's first button (docs/seams.md).
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "host/api.h"
#include "plugin/core/entity_utils.h"
#include "plugin/core/globals.h"
#include "plugin/core/progress_box.h"
#include "plugin/core/records.h"
#include "plugin/core/text_section.h"
#include "plugin/core/views_list.h"
#include "plugin/engine/services.h"
#include "plugin/recognition/dumps.h"
#include "plugin/recognition/feature_merge.h"
#include "plugin/recognition/name_attribs.h"
#include "plugin/recognition/opaque_check.h"
#include "plugin/recognition/pipeline.h"
#include "plugin/recognition/reaming_split.h"
#include "plugin/recognition/stock_check.h"
#include "plugin/recognition/tree.h"

namespace {

constexpr int kStatusRecognizing = 11;   // "ProgressBoxDlg"
constexpr int kSummaryFound = 1;         // "RecognitionSummary"
constexpr int kSummaryRejected = 2;

// Each "%i" of the text, in order, takes the next value; everything else stays as written, so a damaged
// UI-text line can never read past the values.
std::string fillInts(std::string_view format, std::initializer_list<long> values) {
    auto next = values.begin();
    std::string out;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '%' && i + 1 < format.size() && format[i + 1] == 'i' && next != values.end()) {
            out += std::to_string(*next++);
            ++i;
        } else {
            out += format[i];
        }
    }
    return out;
}

void dumpTree(const VIEW_LIST* tree, const char* fileName) {
    dumpCylsViews(tree, (g_globals->tmpDir + "/" + fileName).c_str());
}

void dumpViews(const char* fileName) { dumpViewsList((g_globals->tmpDir + "/" + fileName).c_str()); }

void tellSummary(const VIEW_LIST* tree, std::int32_t wide, std::int32_t narrow, std::int32_t refused) {
    int holes = 0;
    for (const VIEW_LIST* view = tree; view; view = view->next) holes += countPoints(view);
    CTextSection texts;
    (void)texts.load(g_globals->uiTextFile, "RecognitionSummary", false);
    cleartext();
    std::string text = fillInts(texts.getTextOr(kSummaryFound, "Holes found: %i. Drilling directions: %i."),
                                {holes, countViews(tree)});
    if (wide + narrow + refused > 0)
        text += " " + fillInts(texts.getTextOr(kSummaryRejected, "Left out: %i wide, %i narrow, %i refused."),
                               {wide, narrow, refused});
    mprintf(text.c_str());
}

// Ends a failed or cancelled run: no tree, and the views made for it are no longer this run's.
std::int16_t dropTree() {
    freeViewsTree(g_globals->viewsTree);
    g_globals->viewsTree = nullptr;
    g_globals->createdViewIds.clear();
    return -1;
}

}  // namespace

std::int16_t runRecognition(std::uint32_t* /*processTreeFlags*/) {
    PLUGIN_GLOBALS& g = *g_globals;
    const PRM_SETTINGS& s = g.settings;
    // The old tree names surfaces of the features level, which the conversion below replaces.
    freeViewsTree(g.viewsTree);
    g.viewsTree = nullptr;
    g.createdViewIds.clear();
    g.markerLevel = solidsToEntities();
    dumpViews(kRawViewsBeforeFile);

    CTextSection boxTexts;
    (void)boxTexts.load(g.uiTextFile, "ProgressBoxDlg", false);
    CProgressBox progress;
    progress.open("", boxTexts.getText(kStatusRecognizing));

    g_nextHoleId = 1;
    std::int32_t wide = 0, narrow = 0, refused = 0;
    int outcome = kRecognitionDone;
    g.viewsTree = recognizeCylinders(kRecognizeCommand, &progress, &wide, &narrow, &refused, s.maxDiameterOn != 0,
                                     s.minDiameterOn != 0, &g.currentTable, &outcome);
    if (outcome != kRecognitionDone) return dropTree();

    if (checkOpaqueSurfs(g.viewsTree, 0, &progress) != 0) return dropTree();
    dumpTree(g.viewsTree, "21_OpqSurfsGeo.txt");
    readNameHoleAttribs(g.viewsTree);
    g.featureMarks = mergeFeaturesWithHoles(g.viewsTree, g.featureMarks);
    if (progress.step() != 0) return dropTree();
    if (s.useStock != 0 && checkStockEntry(g.viewsTree) < 0) return dropTree();

    CTabColsDesc reamTable;
    if (g.threadTableCount > 0) (void)reamTable.read(g.threadTables[0].path);
    if (splitReaming(g.viewsTree, reamTable, s.divideReamed, s.divideReamedDepth, s.drillMinorThroughA,
                     s.divideNotReamed, s.divideNotReamedDepth, s.drillMinorThroughB, &progress) < 0)
        return dropTree();
    dumpTree(g.viewsTree, "21_CylsSplitReaming.txt");

    takeRunSettings();
    takeViewsSnapshot();
    treeReplaced();
    dumpViews(kRawViewsAfterFile);
    progress.close();
    tellSummary(g.viewsTree, wide, narrow, refused);
    return 1;
}
