// The cycle's shared records and the checks of the tree's chains of equal holes.
#include "plugin/model/work_records.h"

#include <cstdio>
#include <unordered_map>
#include <vector>

#include "platform/ui/message_box.h"
#include "plugin/base/globals.h"
#include "plugin/base/text_fill.h"
#include "plugin/model/tree.h"

LoadTime<CYCLE_RECORDS> g_records;

void takeRunSettings() {
    const PLUGIN_GLOBALS& g = *g_globals;
    RUN_SETTINGS& r = g_records->runSettings;
    r.processMach1 = g.settings.toolLibraryPath;
    r.processMach2 = g.libraryName;
    r.processMach11 = g.settings.minDiameter;
    r.processMach9 = g.settings.maxDiameter;
    r.processMach39 = g.settings.divideNotReamed;
    r.processMach37 = g.settings.divideReamed;
    r.onlySelectedViews = g.settings.onlySelectedViews;
}

void treeReplaced() {
    g_records->recordsLeftInPart &= static_cast<std::uint8_t>(~(kLeftRunBlock | kLeftViewLists));
}

void showHoleMessage(const VIEW_LIST* view, const POINT_LIST* point, const std::string& detail) {
    char text[512];
    std::snprintf(text, sizeof text, "%s %i Pos %.2f %.2f %.2f\n", errorMessage(9).c_str(),
                  view ? static_cast<int>(view->viewNumber) : 0, point->ptView[0], point->ptView[1], point->ptView[2]);
    plat::messageBox(nullptr, std::string(text) + detail, errorMessage(1), plat::MB_OK);
}

// Every walk of a chain of equal holes follows nextEqual to its end; a damaged part whose chain runs back
// into itself is cut where it closes the loop, so that no walk goes round for ever (the count check then
// tells the user about the chain). Each hole is walked once.
void cutChainLoops(VIEW_LIST* tree) {
    enum class Mark { unseen, onPath, done };
    std::unordered_map<const POINT_LIST*, Mark> marks;
    for (VIEW_LIST* view = tree; view; view = view->next)
        for (POINT_LIST* start = view->firstPoint; start; start = start->next) {
            if (marks[start] != Mark::unseen) continue;
            std::vector<POINT_LIST*> path;
            POINT_LIST* p = start;
            for (;;) {
                marks[p] = Mark::onPath;
                path.push_back(p);
                POINT_LIST* next = p->nextEqual;
                if (!next) break;
                const Mark m = marks[next];
                if (m == Mark::onPath) p->nextEqual = nullptr;
                if (m != Mark::unseen) break;
                p = next;
            }
            for (POINT_LIST* q : path) marks[q] = Mark::done;
        }
}

// One box per head hole whose stored number of copies differs from the copies hanging behind it. The walk
// stops after as many steps as the tree has holes, so a loop of copies cannot hold it.
void checkChainCounts(const VIEW_LIST* tree) {
    long holes = 0;
    for (const VIEW_LIST* view = tree; view; view = view->next) holes += countPoints(view);
    for (const VIEW_LIST* view = tree; view; view = view->next) {
        for (const POINT_LIST* point = view->firstPoint; point; point = point->next) {
            if (point->chainMember) continue;
            long copies = 0;
            for (const POINT_LIST* copy = point->nextEqual; copy && copies <= holes; copy = copy->nextEqual) ++copies;
            if (copies != point->chainCount)
                showHoleMessage(view, point, fillText(errorMessage(12), {long{point->chainCount}, copies}));
        }
    }
}

