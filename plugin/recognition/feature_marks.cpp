// Feature marks from the colours and the geometry of recognised holes. A mark's top is the segment's
// axis point at zSup (world), its direction the view's drilling direction (out of the hole), its length
// the segment's height.
#include "plugin/model/tab_cols_desc.h"
#include "plugin/services/recognition.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numbers>
#include <optional>
#include <vector>

#include "plugin/base/globals.h"
#include "plugin/base/utilities.h"
#include "plugin/model/feature_mark.h"
#include "plugin/model/tree.h"
#include "plugin/services/features.h"
#include "plugin/services/tables.h"

namespace {

constexpr double kStraight = 3 * std::numbers::pi / 180;

FEATURE_MARK markOf(const VIEW_LIST* view, const CYL_LIST* c) {
    FEATURE_MARK mark;
    mark.origin = 2;
    mark.pendingMatch = 1;
    for (int k = 0; k < 3; ++k) {
        mark.point[k] = c->cUniv[k];
        mark.direction[k] = view->matrix[2][k];
    }
    mark.diameter = 2 * c->rSup;
    mark.length = c->zSup - c->zInf;
    return mark;
}

// The marks are gathered and added at the end in one go: added one by one, each walked the whole list.
void addTapMark(std::vector<FEATURE_MARK>& marks, const VIEW_LIST* view, const CYL_LIST* c, const std::string& thread,
                double tapDiameter, double tapPitch) {
    FEATURE_MARK mark = markOf(view, c);
    mark.isTap = 1;
    mark.tapDiam = tapDiameter;
    mark.tapPitch = tapPitch;
    mark.threadKind = -1;
    mark.threadDepth = mark.length;
    std::snprintf(mark.threadName, sizeof mark.threadName, "%s", thread.c_str());
    marks.push_back(mark);
}

void addFitMark(std::vector<FEATURE_MARK>& marks, const VIEW_LIST* view, const CYL_LIST* c, const std::string& fitClass) {
    FEATURE_MARK mark = markOf(view, c);
    mark.isFit = 1;
    std::snprintf(mark.fitClass, sizeof mark.fitClass, "%s", fitClass.c_str());
    marks.push_back(mark);
}

template <class VISIT>
void forStraightSegments(VIEW_LIST* tree, VISIT visit) {
    for (VIEW_LIST* view = tree; view; view = view->next)
        for (POINT_LIST* point = view->firstPoint; point; point = point->next)
            for (CYL_LIST* c = point->firstCyl; c; c = c->next)
                if (std::fabs(c->secAng) <= kStraight) visit(view, c);
}

}  // namespace

int createColorFeatureMarks(VIEW_LIST* tree, const std::uint8_t reamColors[kReamColourCount],
                            const std::uint8_t threadColors[kThreadColourCount],
                            const std::string threadTables[kThreadColourCount],
                            const std::string reamTables[kReamColourCount]) {
    std::vector<FEATURE_MARK> marks;
    forStraightSegments(tree, [&](const VIEW_LIST* view, const CYL_LIST* c) {
        std::string thread, fitClass;
        double tapDiameter = 0, tapPitch = 0, third = 0;
        const int ents = std::clamp<int>(c->entCount, 0, kMaxCylEnts);
        for (int i = 0; i < ents; ++i) {
            const int colour = c->ents[i].colour;
            int j = 0;
            while (j < kThreadColourCount && colour != threadColors[j]) ++j;
            if (j < kThreadColourCount) {
                std::string table = threadTables[j];
                thread = findThreadByDiameter(2 * c->rSup, table.empty() ? 1 : -2, &table, &tapDiameter, &tapPitch,
                                              &third);
                break;
            }
            for (int r = 0; r < kReamColourCount; ++r) {
                if (colour != reamColors[r]) continue;
                fitClass = trimReplaceBlanksStr(textBetweenStr(reamTables[r], "{}"), 0);
                break;
            }
        }
        if (!thread.empty()) addTapMark(marks, view, c, thread, tapDiameter, tapPitch);
        if (!fitClass.empty()) addFitMark(marks, view, c, fitClass);
    });
    (void)addFeatureMarks(marks, 1, 0);
    matchImportedFeatures();
    return 0;
}

int createTapFeatureMarks(VIEW_LIST* tree) {
    // Fresh copies of the thread tables, read from their files once per run, when first needed.
    std::optional<std::vector<CTabColsDesc>> tables;
    const auto freshTables = [&]() -> const std::vector<CTabColsDesc>& {
        if (!tables) {
            tables.emplace();
            const std::span<CTabColsDesc> loadedTables = loadedThreadTables();
            for (std::size_t t = 1; t < loadedTables.size(); ++t) {
                const CTabColsDesc& loaded = loadedTables[t];
                if (loaded.tableClass != kTableThread) continue;
                CTabColsDesc copy;
                if (copy.read(loaded.path) != 0) continue;
                copy.readRows();
                tables->push_back(std::move(copy));
            }
        }
        return *tables;
    };

    std::vector<FEATURE_MARK> marks;
    forStraightSegments(tree, [&](const VIEW_LIST* view, const CYL_LIST* c) {
        if (c->ovlpCount != 1) return;
        const double d = 2 * c->rSup, dt = 2 * c->ovlp[0].rSup;
        std::vector<std::string> cells;
        for (const CTabColsDesc& table : freshTables()) {
            if (!table.findRowByTwoValues(dt, d, cells)) continue;
            addTapMark(marks, view, c, cells[0], dt, std::atof(cells[2].c_str()));
            break;
        }
    });
    (void)addFeatureMarks(marks, 1, 0);
    matchImportedFeatures();
    return 0;
}
