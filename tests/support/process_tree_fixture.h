// The example plate recognised by Execute and kept in the part, its holes then given what the engine gives
// them (labels, a table and a process, operations with and without a tool, some hole states), so that a
// session can play a user's work in the process tree on it. Helpers read the tree back from the part.
#pragma once
#include <functional>
#include <string>

#include "host/geom/step_io.h"
#include "host/state.h"
#include "plugin/base/globals.h"
#include "plugin/cycle/records.h"
#include "plugin/engine/operation_comments.h"
#include "plugin/engine/process_tree.h"
#include "plugin/model/ope_list.h"
#include "plugin/model/process_tree_fields.h"
#include "plugin/model/tree.h"
#include "plugin/model/tab_cols_desc.h"
#include "support/execute_session.h"

class ProcessTreeFixture : public ExecuteSessionFixture {
protected:
    static constexpr int kViewProcess = 18008, kTreeDlg = kProcessTree, kTree = 4003, kPoints = 18009, kPointsTree = 4005;

    void SetUp() override {
        ExecuteSessionFixture::SetUp();
        ASSERT_EQ(host::openStepAsPart(std::string(FX_SOURCE_DIR) + "/data/examples/holes_plate.step"), "");
        load();
        executeOnce();
        // The library's order, as the cycle loads it from the shipped tables.
        if (g_globals->tablesDir.empty()) g_globals->tablesDir = installDir + "/Tool/FORMS_MM/Standard";
        std::vector<CTabColsDesc> tables;
        int drillIndex = -1;
        const int count = loadAllTables(tables, &drillIndex);
        for (int i = 0; i < count; ++i)
            if (tables[static_cast<std::size_t>(i)].name == "Drilled") drilledThrough = static_cast<std::int16_t>(i);
        ASSERT_GE(drilledThrough, 0) << "no table \"Drilled\" in " << g_globals->tablesDir;
        editPart([this](VIEW_LIST* tree) { giveProcesses(tree); });
        plat::driver().reset();
    }

    // Loads the tree kept in the part, lets `edit` change it and keeps it in the part again.
    void editPart(const std::function<void(VIEW_LIST*)>& edit) {
        VIEW_LIST* tree = nullptr;
        loadAllRecords(&tree);
        ASSERT_NE(tree, nullptr);
        edit(tree);
        saveAllRecords(tree);
        freeViewsTree(tree);
        freeCycleRecords();
    }

    // Hole n of the first view (from 1).
    static POINT_LIST* hole(VIEW_LIST* tree, int n) {
        POINT_LIST* p = tree ? tree->firstPoint : nullptr;
        for (int i = 1; p && i < n; ++i) p = p->next;
        return p;
    }
    static std::string label(int n) { return "Hole " + std::to_string(n); }
    // The text the tree lists hole n of the first view by: its label and its explanation.
    std::string item(int n) {
        return fromPart<std::string>([n](VIEW_LIST* tree) {
            const POINT_LIST& p = *hole(tree, n);
            return holeItemText(p, holeTableClass(p));
        });
    }

    // The holes are labelled "Hole n"; each has the process "1" of the table "Drilled" and two operations, a
    // drilling with its tool and a chamfer whose tool was not found (the last hole: both found, the drill's
    // made by the tool layout).
    // Hole 2 runs into another hole; hole 3's measures had to be added; holes 4 and 5 are exact matches.
    void giveProcesses(VIEW_LIST* tree) {
        // The top view alone, as the run left it but for what the tree showed last.
        freeViewsTree(tree->next);
        tree->next = nullptr;
        tree->expandOnFill = 0;
        tree->showOnFill = 0;
        holeCount = countPoints(tree);
        int n = 0;
        for (POINT_LIST* p = tree->firstPoint; p; p = p->next) {
            ++n;
            setFieldText(p->description, label(n));
            // Without the states and display requests the run left on it.
            p->deepSplitNext = p->deepSplitPrev = nullptr;   // the other side's halves went with their view
            p->noMeasures = p->provisionalRow = p->depthChecked = p->chamferCheck = p->notAccessible = 0;
            p->noProblem = 0;
            p->toolMissing = p->toolCreated = 0;
            p->expandOnFill = 0;
            p->showOnFill = 0;
            p->highlightOnFill = 0;
            std::snprintf(p->tableName, sizeof p->tableName, "Drilled");
            p->rowIndex = 0;
            p->tableIndex = drilledThrough;
            std::snprintf(p->processName, sizeof p->processName, "1");
            p->adaptedRow = n == 4 || n == 5 ? -1 : 0;
            p->crashInto = n == 2 ? 1 : 0;
            p->noMeasures = n == 3 ? 1 : 0;
            freeOpeChain(p->opeList);
            p->chainMember = 0;   // every hole stands alone here
            p->nextEqual = nullptr;
            p->chainCount = 0;
            OPE_LIST* drill = new OPE_LIST{};
            OPE_LIST* chamfer = new OPE_LIST{};
            std::snprintf(drill->comment, sizeof drill->comment, "Drill %d", n);
            std::snprintf(chamfer->comment, sizeof chamfer->comment, "Chamfer %d", n);
            chamfer->toolIndex = n == holeCount ? 1 : -1;
            drill->newTool = n == holeCount ? 1 : 0;
            for (OPE_LIST* o : {drill, chamfer}) {
                o->point = p;
                o->view = tree;
            }
            drill->next = chamfer;
            chamfer->prev = drill;
            p->opeList = drill;
        }
    }

    std::int16_t drilledThrough = -1;   // the table's place in the library
    int holeCount = 0;                  // in the top view

    std::string treeSnapshot() { return plat::lastSnapshot(kTreeDlg); }
    // The "image=a/b" of the tree item with that label when the tree last closed; "" when not shown.
    std::string imageOf(const std::string& label) {
        const std::string snap = treeSnapshot();
        const auto at = snap.find("\"" + label + "\" data=");
        if (at == std::string::npos) return "";
        const auto image = snap.find("image=", at);
        return snap.substr(image + 6, snap.find_first_of(" \n", image) - image - 6);
    }
};
