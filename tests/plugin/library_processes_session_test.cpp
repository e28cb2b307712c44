// The shipped library's processes as Execute applies them to builder parts: the operations that land in the
// part for its standard holes, and what the user is told when a hole asks for a table the library lacks.
#include <gtest/gtest.h>

#include <string>

#include "host/api.h"
#include "plugin/core/message_box.h"
#include "plugin/core/records.h"
#include "plugin/engine/ope_list.h"
#include "recognition_pipeline_support.h"

namespace {

using namespace recog_q;

constexpr int kMenu = CMainMenu::kTemplate;
constexpr int kExecute = 18007, kProcessTree = 18021, kSummary = CMessageBox::kTemplate;

class LibraryProcessesSession : public PluginFixture {
protected:
    static void storePart(const PartBuilder& builder) {
        const BuiltPart part = builder.build();
        ASSERT_TRUE(part.ok()) << part.error;
        ASSERT_NE(host::storeSolidEntity(part.solid, 3, 1, "part"), 0u);
    }
    // A coded name on the hole at (x, y) of the top face, as a drawing carries it.
    static void nameHole(const std::string& name, double x, double y, double z) {
        ent e{};
        e.type = kEntNote;
        e.note.subKind = 2;
        e.note.name = name;
        e.note.view = 1;
        e.note.nodes.push_back({{x, y, z}, 0});
        db_ptr entry = 0;
        char ok = 0;
        store_ent(&e, &entry, 0, 3, 1, main_attrib, &ok);
        ASSERT_EQ(ok, 1);
    }
    // Execute, on from the summary, the process tree closed; `runs` times, then the cycle ends.
    void execute(int runs, int messagesPerRun = 0) {
        for (int i = 0; i < runs; ++i) {
            script().click(kMenu, kExecute);
            for (int m = 0; m < messagesPerRun; ++m) script().answer(plat::IDOK);
            script().click(kSummary, plat::IDOK).click(kProcessTree, plat::IDOK);
        }
        script().click(kMenu, plat::IDOK);
        EXPECT_EQ(m_main(), 0);
        expectScriptPlayed();
    }
    int count(std::string_view fragment) {
        int n = 0;
        for (const std::string& line : transcript().lines()) n += line.find(fragment) != std::string::npos;
        return n;
    }
    // The operations of the hole of the top view at (x, y), as the part keeps them.
    struct OP {
        std::uint32_t type;
        double toolDiam, angleDeg, zSup, zInf;
        double profile[5];
    };
    static std::vector<OP> operationsKept(double x, double y) {
        VIEW_LIST* tree = nullptr;
        loadAllRecords(&tree);
        std::vector<OP> ops;
        for (VIEW_LIST* v = tree; v; v = v->next)
            for (POINT_LIST* p = v->firstPoint; v->viewNumber == 1 && p; p = p->next)
                if (std::fabs(p->ptView[0] - x) < 1e-6 && std::fabs(p->ptView[1] - y) < 1e-6)
                    for (const OPE_LIST* o = p->opeList; o; o = o->next)
                        ops.push_back({o->toolType, o->toolDiam, o->angleDeg, o->zSup, o->zInf,
                                       {o->profile[0], o->profile[1], o->profile[2], o->profile[3], o->profile[4]}});
        freeViewsTree(tree);
        return ops;
    }
};

TEST_F(LibraryProcessesSession, ACountersunkHoleGetsItsCountersinkCutToTheConesDepth) {
    // Countersinks for M3 and M6 (90 degrees, 6.4 and 12.6 at the top) through a 12 mm plate.
    struct CASE {
        double x, d, top;
    };
    const CASE cases[] = {{10, 3.4, 6.4}, {30, 6.6, 12.6}};
    PartBuilder part = PartBuilder::block({40, 20, 12});
    for (const CASE& c : cases) part.hole(countersunk("cs", {c.x, 10, 12}, kDown, c.d, c.top, 90));
    storePart(part);
    load();
    execute(1);
    for (const CASE& c : cases) {
        SCOPED_TRACE(c.top);
        const std::vector<OP> ops = operationsKept(c.x, 10);
        ASSERT_EQ(ops.size(), 3u) << "spot drill, drill and countersink";
        EXPECT_EQ(ops[1].type, 3u);
        EXPECT_NEAR(ops[1].toolDiam, c.d, 1e-9);
        const OP& sink = ops[2];
        EXPECT_EQ(sink.type, 17u);
        EXPECT_NEAR(sink.toolDiam, c.d, 1e-9);   // the conical tool's small end: the bore it sits on
        EXPECT_NEAR(sink.angleDeg, 90, 1e-9);
        // From the face down to where the cone meets the bore, no deeper.
        const double depth = (c.top - c.d) / 2;
        EXPECT_NEAR(sink.zSup, 12, 1e-6);
        EXPECT_NEAR(sink.zInf, 12 - depth, 0.01);
        EXPECT_NEAR(sink.profile[0], depth, 0.01);   // cutting length
        // The tool meets the hole at the countersink's top edge and at the bore.
        EXPECT_NEAR(sink.profile[1], c.top, 0.01);
        EXPECT_NEAR(sink.profile[2], 12, 0.01);
        EXPECT_NEAR(sink.profile[3], c.d, 0.01);
        EXPECT_NEAR(sink.profile[4], 12 - depth, 0.01);
    }
    EXPECT_GE(count("dia6.600 depth3.00\""), 1) << "the process tree shows the M6 countersink";
}

TEST_F(LibraryProcessesSession, AFitTableTheLibraryLacksIsToldOncePerRun) {
    // Two reamed H7 holes: each of their drills and reamers looks the fit table up.
    storePart(PartBuilder::block({40, 20, 12})
                  .hole(throughHole("h8", {10, 10, 12}, kDown, 8))
                  .hole(throughHole("h10", {30, 10, 12}, kDown, 10)));
    nameHole("PD_H7_8", 10, 10, 12);
    nameHole("PD_H7_10", 30, 10, 12);
    load();
    execute(2, 1);
    EXPECT_EQ(count("No table is named H7 in the table library."), 2);
    // Without its table the run goes on: the holes are drilled and reamed to their size.
    for (const double x : {10.0, 30.0}) {
        const std::vector<OP> ops = operationsKept(x, 10);
        ASSERT_FALSE(ops.empty());
        EXPECT_EQ(ops.back().type, 6u) << x;
        EXPECT_NEAR(ops.back().toolDiam, x == 10 ? 8 : 10, 1e-9);
    }
}

}  // namespace
