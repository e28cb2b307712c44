// The milled operations' last values after Execute: a hole that no table of the library fits gets a new
// table whose process mills its cone and its chamfer; the run completes their blocks from the hole.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "host/api_operation.h"
#include "plugin/cycle/records.h"
#include "plugin/engine/milled_completion.h"
#include "plugin/engine/operation_records.h"
#include "platform/sys/files.h"
#include "plugin/model/host_blocks.h"
#include "plugin/model/ope_list.h"
#include "plugin/model/process_ope.h"
#include "plugin/model/tab_cols_desc.h"
#include "plugin/model/tree.h"
#include "plugin/model/work_records.h"
#include "plugin/tables/thread_tables.h"
#include "recognition_pipeline_support.h"
#include "support/execute_session.h"

namespace {

using namespace recog_q;

using namespace process_ope;

class MilledCompletion : public ExecuteSessionFixture {
protected:
    // A bore of 22 with a chamfer of 26 at 90 degrees, 4 deep, then a cone down to 16 over 6, and 16 through.
    void SetUp() override {
        PluginFixture::SetUp();
        const BuiltPart part = PartBuilder::block({60, 60, 20})
                                   .hole(holeAt("taper", {30, 30, 20}, kDown)
                                             .chamfer(26, 22, 90)
                                             .cylinder(22, 4)
                                             .cone(22, 16, 6)
                                             .throughCylinder(16))
                                   .build();
        ASSERT_TRUE(part.ok()) << part.error;
        ASSERT_NE(host::storeSolidEntity(part.solid, 3, 1, "part"), 0u);
        load();
    }
    void TearDown() override {
        freeViewsTree(g_records->viewsTree);
        g_records->viewsTree = nullptr;
        PluginFixture::TearDown();
    }
    // One Execute; the tree is read back from the part's records and its hole returned.
    POINT_LIST* execute() {
        executeOnce();
        loadAllRecords(&g_records->viewsTree);
        return g_records->viewsTree ? g_records->viewsTree->firstPoint : nullptr;
    }
};

TEST_F(MilledCompletion, TheConesContourFollowsItsWallAndTheWideChamferIsEnteredBesideTheEdge) {
    const POINT_LIST* hole = execute();
    ASSERT_NE(hole, nullptr);
    struct Expect {
        std::uint32_t toolType;
        std::int16_t mode;
        bool taper;
        double width, entry;
    };
    // The cone falls from 22 to 16 over 6: a contour along a tapered wall. The 90-degree chamfer of 26 over
    // 22 is wider than a chamfer drill takes: a chamfer mill of 90 degrees enters 2 beside the bore and goes
    // a fifth of the chamfer's height below it.
    const Expect expected[] = {{17, 0, true, 0, 0}, {12, 2, false, 2, 0.4}};
    int seen = 0;
    for (const OPE_LIST* op = hole->opeList; op; op = op->next) {
        if (!op->processOpe || opeGet(*op->processOpe, process_ope::milledKind) != kContour) continue;
        const Expect* e = std::find_if(std::begin(expected), std::end(expected),
                                       [&](const Expect& x) { return x.toolType == op->toolType; });
        ASSERT_NE(e, std::end(expected)) << op->toolType;
        ++seen;
        const PROCESS_OPE& def = *op->processOpe;
        EXPECT_EQ(def.get<std::int16_t>(contourBlock + op_contour_layout::mode), e->mode) << op->toolType;
        EXPECT_EQ(def.bytes[hostBlock64 + op_depth_cuts_layout::taperOn] != 0, e->taper) << op->toolType;
        EXPECT_NEAR(def.get<double>(hostBlock64 + op_depth_cuts_layout::taperAngle),
                    e->taper ? std::atan(3.0 / 6.0) : 0.0, 1e-6);
        if (e->mode == 2) {
            EXPECT_NEAR(def.get<double>(contourBlock + op_contour_layout::chamferWidth), e->width, 1e-6);
            EXPECT_NEAR(def.get<double>(contourBlock + op_contour_layout::chamferTip), e->entry, 1e-6);
        }
        EXPECT_EQ(std::string(op->comment).rfind("Contour milling", 0), 0u) << op->comment;
    }
    EXPECT_EQ(seen, 2);
}

TEST_F(MilledCompletion, AContourWhoseProcessIsGoneIsSwitchedOffAndToldOncePerRow) {
    POINT_LIST* hole = execute();
    ASSERT_NE(hole, nullptr);
    const std::string table = g_globals->tablesDir + "/" + hole->tableName + ".tab";
    ASSERT_TRUE(plat::removeFile(table));
    for (OPE_LIST* op = hole->opeList; op; op = op->next) op->active = 1;
    script().answer(plat::IDOK);   // one message for the hole's two contours
    CTabColsDesc drillTable;
    completeMilledOperations(g_records->viewsTree, drillTable);
    expectScriptPlayed();
    EXPECT_TRUE(transcript().contains("row **22x6: the contour milling of its process cannot be read"));
    int off = 0;
    for (const OPE_LIST* op = hole->opeList; op; op = op->next) {
        const bool milled = op->cycle == 21;
        EXPECT_EQ(op->active, milled ? 0 : 1) << op->comment;
        off += milled;
    }
    EXPECT_EQ(off, 2);
}

TEST_F(MilledCompletion, AHelixBoreToAFitWithoutItsTableStartsFromTheDrillSizeTablesPilot) {
    POINT_LIST* hole = execute();
    ASSERT_NE(hole, nullptr);
    OPE_LIST* bore = hole->opeList;
    while (bore && bore->toolType != 17) bore = bore->next;
    ASSERT_NE(bore, nullptr);
    // The cone's contour becomes a helix bore of a fitted 22 bore; the library has no fit table.
    bore->cycle = 22;
    opeSet<std::int16_t>(*bore->processOpe, milledKind, kHelixBore);
    bore->active = 1;
    CIL_DESC& tied = hole->descs[tiedIndex(*hole, opeGet(*bore->processOpe, cylDiamCyl),
                                           opeGet(*bore->processOpe, cylDiamZPl))];
    tied.opeGeo = 2;
    tied.D = 22;
    script().answer(plat::IDOK);
    CTabColsDesc drillTable;
    ASSERT_EQ(drillTable.read(g_threadTables->tables[0].path), 0);
    completeMilledOperations(g_records->viewsTree, drillTable);
    expectScriptPlayed();
    EXPECT_TRUE(transcript().contains("No table is named"));
    // The 22 drill's allowance is 0.88 a side.
    EXPECT_NEAR(bore->milledDiam, 22 - 2 * 0.88, 1e-9);
    EXPECT_NEAR(bore->processOpe->get<double>(helixBoreBlock + op_helix_layout::boreDiameter), bore->milledDiam, 1e-9);
    EXPECT_EQ(std::string(bore->comment).rfind("Helix boring", 0), 0u) << bore->comment;
}

}  // namespace
