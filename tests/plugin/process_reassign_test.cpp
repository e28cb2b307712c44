// Re-assignment of a hole's process after its table changed, for one chain or for the holes waiting for
// their measures; and its tree operations: a hole chain moved to the opposite drilling direction, and the
// views sorted with their toolpath groups renumbered.
#include <gtest/gtest.h>

#include "host/state.h"

#include "plugin/base/globals.h"
#include "plugin/engine/apply_process.h"
#include "plugin/engine/opposite_view.h"
#include "plugin/engine/process_reassign.h"
#include "plugin/engine/table_assignment.h"
#include "plugin/base/directions.h"
#include "plugin/model/ope_list.h"
#include "plugin/model/process_ope.h"
#include "plugin/model/tab_cols_desc.h"
#include "plugin/model/tree.h"
#include "support/hole_tables_fixture.h"
#include "support/run_tree.h"
#include "plugin/model/work_records.h"

namespace {

class ProcessReassign : public RecognitionFixture {};

TEST_F(ProcessReassign, AChainMovesWholeIntoTheOppositeViewMadeForIt) {
    VIEW_LIST* top = addView(head, 1);
    POINT_LIST* chain[3];
    for (int i = 0; i < 3; ++i) chain[i] = addHole(top, 10.0 * i, 5, {{3, 0, 3, -8}, {2, -8, 2, -12}});
    POINT_LIST* other = addHole(top, 50, 5, {{3, 0, 3, -8}});
    chainHoles(chain[0], {chain[1], chain[2]});
    for (POINT_LIST* p : chain) {
        p->hillT = 1;
        p->hillB = 2;
        p->touchTop = 3;
        p->crashBottom = 1;
        p->crashTopZ = 4;
        p->crashBottomZ = -12;
    }
    chain[0]->neckSplitted = 1;

    ASSERT_EQ(moveHoleChainToOppView(chain[0]), 0);
    EXPECT_EQ(top->pointCount, 1);
    EXPECT_EQ(top->firstPoint, other);
    VIEW_LIST* opposite = top->next;
    ASSERT_NE(opposite, nullptr);
    EXPECT_EQ(opposite->viewNumber, getOppositeView(1));
    EXPECT_EQ(opposite->selected, 1);
    EXPECT_EQ(opposite->pointCount, 3);
    int i = 0;
    for (POINT_LIST* p = opposite->firstPoint; p; p = p->next, ++i) {
        EXPECT_EQ(p, chain[i]);
        EXPECT_EQ(p->view, opposite);
        EXPECT_EQ(p->hillT, 2);
        EXPECT_EQ(p->hillB, 1);
        EXPECT_EQ(p->touchBottom, 3);
        EXPECT_EQ(p->crashTop, 1);
        EXPECT_DOUBLE_EQ(p->crashTopZ, 12);
        EXPECT_DOUBLE_EQ(p->crashBottomZ, -4);
        // The old bottom, 12 deep, is the new top: 12 up in the opposite view.
        ASSERT_NE(p->firstCyl, nullptr);
        EXPECT_NEAR(p->firstCyl->rSup, 2, 1e-12);
        EXPECT_NEAR(p->ptView[2], 12, 1e-9);
        EXPECT_EQ(p->firstCyl->viewNumber, opposite->viewNumber);
    }
    EXPECT_EQ(chain[0]->neckSplitted, 0);

    // Back again: the view of the other direction is there and takes it.
    ASSERT_EQ(moveHoleChainToOppView(chain[2]), 0);
    EXPECT_EQ(countViews(head), 2);
    EXPECT_EQ(top->pointCount, 2);
    EXPECT_NEAR(chain[2]->ptView[2], 0, 1e-9);
}

TEST_F(ProcessReassign, ResortDropsEmptyViewsAndNumbersGroupsInListOrder) {
    struct Case {
        std::vector<std::int16_t> old, renumbered;
    };
    const Case cases[] = {
        {{3, 3, 5, 0}, {1, 1, 2, 3}},
        {{0, 0, 7, 7}, {1, 2, 3, 3}},
        {{2, 4, 2, 2}, {1, 2, 3, 3}},
    };
    g_globals->settings.viewsSortOrder = 0;   // by host view number
    for (const Case& c : cases) {
        freeViewsTree(head);
        head = nullptr;
        for (std::size_t i = 0; i < c.old.size(); ++i) {
            addHole(addView(head, static_cast<int>(i) + 1, c.old[i]), 0, 0, {{2, 0, 2, -4}});
            if (i == 1) addView(head, 6, 9);   // left empty
        }
        head = resortViews(head);
        std::vector<std::int16_t> groups;
        for (VIEW_LIST* v = head; v; v = v->next) groups.push_back(v->groupNumber);
        EXPECT_EQ(groups, c.renumbered);
    }
}

class ProcessReassignTables : public HoleTablesFixture {
protected:
    // The hole's table, row and process as the recognition run gives them, the chain's followers copying
    // their head.
    void assignAsTheRunDoes(POINT_LIST* head) {
        std::vector<CTabColsDesc> tables;
        int drill = -1;
        ASSERT_GT(loadAllTables(tables, &drill), 0);
        ASSERT_GE(assignTableToHole(head, tables, drill), 1);
        ASSERT_EQ(applyProcessToHole(tables.data(), static_cast<int>(tables.size()), *head, kApplyAll), 0);
        for (POINT_LIST* m = head->nextEqual; m; m = m->nextEqual) (void)copyHoleProcess(*head, *m);
    }
    static std::vector<std::uint32_t> toolTypes(const POINT_LIST* hole) {
        std::vector<std::uint32_t> types;
        for (const OPE_LIST* op = hole->opeList; op; op = op->next) types.push_back(op->toolType);
        return types;
    }
};

TEST_F(ProcessReassignTables, AChainTakesItsChangedRowAndProcessInItsOrder) {
    // Three equal 8 mm holes with a 10 mm one among them, in grid order.
    const double diameters[] = {8, 10, 8, 8};
    std::vector<hb::HoleSpec> holes;
    for (std::size_t i = 0; i < 4; ++i)
        holes.push_back(hb::throughHole(std::string(1, static_cast<char>('a' + i)), {gridX(i), gridY(i), kTop},
                                        {0, 0, -1}, diameters[i]));
    recognise(holes);
    ASSERT_EQ(numberIdenticalHoles(tree, false), 2);
    POINT_LIST* chain[] = {holeAt(gridX(0), gridY(0)), holeAt(gridX(2), gridY(2)), holeAt(gridX(3), gridY(3))};
    POINT_LIST* other = holeAt(gridX(1), gridY(1));
    ASSERT_TRUE(chain[0] && chain[1] && chain[2] && other);
    ASSERT_EQ(chain[0]->nextEqual, chain[1]);
    ASSERT_EQ(chain[1]->nextEqual, chain[2]);
    assignAsTheRunDoes(chain[0]);
    assignAsTheRunDoes(other);
    ASSERT_STREQ(chain[0]->rowName, "D8");
    const std::vector<std::uint32_t> firstTypes = toolTypes(chain[0]);
    ASSERT_GE(firstTypes.size(), 2u);
    const OPE_LIST* otherOps = other->opeList;
    std::vector<POINT_LIST*> order;
    for (POINT_LIST* p = chain[0]->view->firstPoint; p; p = p->next) order.push_back(p);

    // Each step edits the "Drilled" table, then re-assigns the chain: one hole, or the tree's holes that wait
    // for their measures (the head only).
    {
        CTabColsDesc drilled = table("Drilled");
        std::vector<PROCESS_OPE> defs(kMaxProcessOps);
        const int count = drilled.readProcess("1", defs.data());
        ASSERT_GE(count, 2);
        ASSERT_EQ(drilled.writeProcess("2", defs.data() + 1, count - 1), 0);
    }
    struct STEP {
        const char* what;
        const char* newRowName;      // the row "D8" (or its new name) renamed
        const char* process;         // and given this process
        bool keepOrder;
        std::vector<std::uint32_t> types;
        std::uint8_t rowChanged;     // marked by the re-assignment of one hole whose row name changed
    };
    const std::vector<std::uint32_t> withoutFirst(firstTypes.begin() + 1, firstTypes.end());
    const STEP steps[] = {
        {"row renamed", "D8-bore", "1", false, firstTypes, 1},
        {"row's process changed", "D8-bore", "2", false, withoutFirst, 0},
        {"waiting head, row renamed back", "D8", "1", true, firstTypes, 0},
        {"waiting head, process changed", "D8", "2", true, withoutFirst, 0},
    };
    std::string rowNow = "D8";
    for (const STEP& step : steps) {
        SCOPED_TRACE(step.what);
        CTabColsDesc drilled = table("Drilled");
        const int r = drilled.findRowByName(rowNow);
        ASSERT_GE(r, 0);
        std::vector<std::string> cells;
        drilled.getRow(r, cells);
        cells[0] = step.newRowName;
        cells[static_cast<std::size_t>(drilled.processColumn - 1)] = step.process;
        drilled.setRow(r, cells);
        ASSERT_EQ(drilled.writeRows(), 0);
        rowNow = step.newRowName;

        g_records->runStats.stateCount6 = 3;
        chain[0]->rowChanged = 0;
        if (step.keepOrder) {
            chain[0]->noMeasures = 1;
            reassignProcessKeepOrder(tree);
        } else {
            reassignProcess(chain[0]);
        }
        EXPECT_EQ(g_records->runStats.stateCount6, step.keepOrder ? 0 : 2);
        EXPECT_EQ(chain[0]->noMeasures, 0);
        EXPECT_EQ(chain[0]->rowChanged, step.rowChanged);
        EXPECT_EQ(fieldText(chain[0]->description), std::string("Drilled ") + step.newRowName);
        for (POINT_LIST* p : chain) {
            EXPECT_STREQ(p->tableName, "Drilled");
            EXPECT_STREQ(p->rowName, step.newRowName);
            EXPECT_STREQ(p->processName, step.process);
            EXPECT_EQ(toolTypes(p), step.types);
        }
        // The chain and the view keep their order; the other hole keeps its operations.
        EXPECT_EQ(chain[0]->nextEqual, chain[1]);
        EXPECT_EQ(chain[1]->nextEqual, chain[2]);
        std::vector<POINT_LIST*> now;
        for (POINT_LIST* p = chain[0]->view->firstPoint; p; p = p->next) now.push_back(p);
        EXPECT_EQ(now, order);
        EXPECT_EQ(other->opeList, otherOps);
        EXPECT_STREQ(other->rowName, "D10");
    }
}

// A process the row names but the table lacks: the run stops at that hole, told, and leaves the graphics
// and the views as they were (the view left empty stays: no re-sort).
TEST_F(ProcessReassignTables, AFailedReassignmentEndsTheRunWithoutRebuildOrResort) {
    recognise({hb::throughHole("a", {gridX(0), gridY(0), kTop}, {0, 0, -1}, 8)});
    POINT_LIST* hole = holeAt(gridX(0), gridY(0));
    ASSERT_NE(hole, nullptr);
    assignAsTheRunDoes(hole);
    CTabColsDesc drilled = table("Drilled");
    const int r = drilled.findRowByName(fieldText(hole->rowName));
    ASSERT_GE(r, 0);
    std::vector<std::string> cells;
    drilled.getRow(r, cells);
    cells[static_cast<std::size_t>(drilled.processColumn - 1)] = "99";
    drilled.setRow(r, cells);
    ASSERT_EQ(drilled.writeRows(), 0);
    addView(tree, 6, 9);   // left empty
    const int views = countViews(tree);
    const int rebuilds = host::rebuildCount();
    hole->noMeasures = 1;
    script().answer(plat::IDOK);
    reassignProcessKeepOrder(tree);
    expectScriptPlayed();
    EXPECT_TRUE(transcript().contains("msgbox"));
    EXPECT_EQ(host::rebuildCount(), rebuilds);
    EXPECT_EQ(countViews(tree), views);
}

}  // namespace
