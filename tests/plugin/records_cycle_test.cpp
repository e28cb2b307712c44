// A work cycle's data goes into the part at the end of the cycle and comes back in the next one, across
// saving the part to its file and reopening it: images byte for byte, every link rebuilt.
#include <gtest/gtest.h>

#include "plugin/cycle/exports.h"
#include "plugin/cycle/main_menu.h"
#include "plugin/cycle/work_cycle.h"
#include "plugin/model/ope_list.h"
#include "plugin/model/tool_records.h"
#include "plugin/model/tree.h"
#include "plugin/model/work_records.h"
#include "records_test_data.h"
#include "support/plugin_fixture.h"

namespace {

using namespace records_test;

class RecordsCycleTest : public PluginFixture {
protected:
    void SetUp() override {
        PluginFixture::SetUp();
        load();
    }
    void TearDown() override {
        if (g_globals.constructed()) freeCycleData(g_records->viewsTree);
        PluginFixture::TearDown();
    }
    // The tree saved into the part and loaded back in a paused cycle, the user answering `told` messages.
    VIEW_LIST* throughThePart(VIEW_LIST* head, int told) {
        pausedInvocation();   // texts loaded
        plat::driver().reset();
        for (int i = 0; i < told; ++i) script().answer(plat::IDOK);
        saveAllRecords(head);
        freeCycleData(head);
        VIEW_LIST* tree = nullptr;
        loadAllRecords(&tree);
        expectScriptPlayed();
        return tree;
    }
    static int boxes(const plat::Transcript& t) {
        int n = 0;
        for (const std::string& line : t.lines()) n += line.rfind("msgbox", 0) == 0;
        return n;
    }
};

TEST_F(RecordsCycleTest, TheNextCycleGetsBackEveryRecordEqualAndRelinked) {
    const std::vector<std::uint32_t> ids = storeSolids(5);
    SAMPLE_TREE t = sampleTree(ids);
    fillCycleData(t);
    g_globals->markerId = ids[4];
    const auto expectedImages = treeImages(t.head);
    t.view5->viewNumber = 42;   // a stale number: the host's view of the matrix is found again
    const std::vector<tp_tool> tools = *g_toolsArray;
    std::vector<std::array<std::uint8_t, GEN_OP_GROUP::kSize>> groups;
    for (GEN_OP_GROUP* g = g_records->genOpGroups; g; g = g->next) groups.push_back(genOpGroupImage(*g, noLinkIds));
    std::vector<std::array<std::uint8_t, FEATURE_MARK::kSize>> marks;
    for (FEATURE_MARK* m = g_records->featureMarks; m; m = m->next) marks.push_back(featureMarkImage(*m, noLinkIds));

    g_records->viewsTree = t.head;
    closingInvocation();
    const std::size_t heldWithoutTree = heldTreeRecords();
    EXPECT_EQ(g_records->viewsTree, nullptr);
    EXPECT_EQ(g_records->genOpGroups, nullptr);
    EXPECT_EQ(g_records->featureMarks, nullptr);
    EXPECT_TRUE(g_records->runBytes.empty());           // released once written
    EXPECT_TRUE(g_fullToolsSeq->front().opes.empty());
    reopenPart();
    g_toolsArray->clear();
    g_records->runStats = RUN_STATS{};

    pausedInvocation();
    expectScriptPlayed();
    EXPECT_EQ(boxes(transcript()), 0);
    VIEW_LIST* tree = g_records->viewsTree;
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(treeImages(tree), expectedImages);
    // The loaded holes and segments are the tree's own records, as freeing the tree gives them back there.
    std::size_t loadedRecords = 0;
    for (const VIEW_LIST* v = tree; v; v = v->next)
        for (const POINT_LIST* p = v->firstPoint; p; p = p->next) {
            ++loadedRecords;
            for (const CYL_LIST* c = p->firstCyl; c; c = c->next) ++loadedRecords;
        }
    EXPECT_EQ(heldTreeRecords(), heldWithoutTree + loadedRecords);

    // The tree's own links.
    VIEW_LIST* v1 = tree;
    ASSERT_NE(v1->next, nullptr);
    VIEW_LIST* v5 = v1->next;
    EXPECT_EQ(v5->prev, v1);
    EXPECT_EQ(v5->viewNumber, 5);
    POINT_LIST* a = v1->firstPoint;
    POINT_LIST* b = a->next;
    POINT_LIST* c = v5->firstPoint;
    POINT_LIST* d = c->next;
    ASSERT_TRUE(b && d);
    EXPECT_EQ(b->prev, a);
    for (POINT_LIST* p : {a, b}) EXPECT_EQ(p->view, v1);
    for (POINT_LIST* p : {c, d}) EXPECT_EQ(p->view, v5);
    EXPECT_EQ(a->nextEqual, b);
    EXPECT_EQ(c->deepSplitNext, d);
    EXPECT_EQ(d->deepSplitPrev, c);
    EXPECT_EQ(a->firstCyl->next->prev, a->firstCyl);

    // Operations: hung on their hole, each with a process copy of its own now.
    OPE_LIST* opes[3] = {a->opeList, nullptr, nullptr};
    ASSERT_NE(opes[0], nullptr);
    opes[1] = opes[0]->next;
    ASSERT_NE(opes[1], nullptr);
    opes[2] = opes[1]->next;
    ASSERT_NE(opes[2], nullptr);
    EXPECT_EQ(opes[2]->next, nullptr);
    EXPECT_EQ(opes[2]->prev, opes[1]);
    for (OPE_LIST* ope : opes) {
        EXPECT_EQ(ope->point, a);
        EXPECT_EQ(ope->view, v1);
        ASSERT_TRUE(ope->processOpe);
    }
    EXPECT_NE(opes[0]->processOpe, opes[1]->processOpe);
    EXPECT_EQ(*opes[0]->processOpe, *opes[1]->processOpe);

    // Entities are found by id in the reopened part, whose handles differ from the saving session's.
    for (std::size_t i = 0; i < 2; ++i) EXPECT_EQ(a->firstCyl->ents[i].entry, entryOfId(ids[i]));
    EXPECT_EQ(c->firstCyl->ents[0].entry, entryOfId(ids[4]));
    EXPECT_NE(entryOfId(ids[0]), 0u);
    EXPECT_EQ(g_globals->markerId, ids[4]);
    EXPECT_EQ(g_globals->markerEntry, entryOfId(ids[4]));

    // Groups and marks in order, the last one ending the list.
    std::vector<std::array<std::uint8_t, GEN_OP_GROUP::kSize>> groupsBack;
    for (GEN_OP_GROUP* g = g_records->genOpGroups; g; g = g->next) groupsBack.push_back(genOpGroupImage(*g, noLinkIds));
    EXPECT_EQ(groupsBack, groups);
    EXPECT_EQ(g_records->genOpGroupCount, 2);
    std::vector<std::array<std::uint8_t, FEATURE_MARK::kSize>> marksBack;
    for (FEATURE_MARK* m = g_records->featureMarks; m; m = m->next) marksBack.push_back(featureMarkImage(*m, noLinkIds));
    EXPECT_EQ(marksBack, marks);
    EXPECT_EQ(g_records->featureMarkCount, 2);

    // Tools and the sequence pointing into the new tree.
    EXPECT_EQ(*g_toolsArray, tools);
    ASSERT_EQ(g_fullToolsSeq->size(), 1u);
    const FULL_TOOLS_SEQ& entry = g_fullToolsSeq->front();
    EXPECT_EQ(entry.view, v5);
    EXPECT_EQ(entry.opes, (std::vector<OPE_LIST*>{opes[0], opes[2]}));
    EXPECT_EQ(entry.tools, g_toolsArray.get());
    EXPECT_EQ(entry.area20[1], 5);

    // The run block.
    const PLUGIN_GLOBALS& g = *g_globals;
    EXPECT_EQ(g.markerLevel, 250);
    EXPECT_EQ(g_records->runStats.holeCount, 3);
    EXPECT_EQ(g_records->runStats.stateCount3, 4);
    EXPECT_EQ(g_records->runStats.stateCount5, 5);
    EXPECT_EQ(g_records->runStats.toolsCount2, 6);
    EXPECT_STREQ(g_records->runTableRef.tabPath, "/forms/Standard/steel.tab");
    EXPECT_EQ(std::string(g_records->runTableRef.processName), std::string("A process name longer than the forty-one stored characters").substr(0, 41));
    EXPECT_EQ(g_records->runTableRef.fileTime, -1234567);
    EXPECT_EQ(g_records->runTableRef.flag, 1);
    EXPECT_EQ(g_records->runReservedWord, 17);
    EXPECT_EQ(g_records->runReservedBlock[35], 0xEE);
    EXPECT_EQ(g_records->runBytes, (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_EQ(g_records->runWords, (std::vector<std::int16_t>{-1, 300}));
    EXPECT_EQ(g_records->toolSequenceFlag, 2);
    EXPECT_EQ(g_records->formCounter, 41);
    EXPECT_EQ(g_records->processTreeFlags, 0x80000001u);
    EXPECT_EQ(g_records->multiViewFiveAxis, 1);
    EXPECT_EQ(g.createdViewCounter, 12);
    EXPECT_EQ(g_records->runSettings.processMach1, "/tools/library.tooldb");
    EXPECT_EQ(g_records->runSettings.processMach2, "Standard");
    EXPECT_EQ(g_records->runSettings.processMach11, 1.5);
    EXPECT_EQ(g_records->runSettings.processMach37, 1);
    EXPECT_EQ(g.partPoint[1], -3.5);
    EXPECT_EQ(g.partPointFlag2, 1);
}

TEST_F(RecordsCycleTest, APartWithoutRecordsStartsEmptyAndKeepsWhatTheRecordsDoNotCover) {
    FEATURE_MARK* mark = new FEATURE_MARK();
    g_records->featureMarks = mark;
    g_records->featureMarkCount = 1;
    g_toolsArray->push_back(tp_tool{});
    g_fullToolsSeq->push_back(FULL_TOOLS_SEQ{});
    g_records->runStats.stateCount5 = 3;
    g_records->runStats.holeCount = 9;
    g_records->formCounter = 9;
    g_globals->partPoint[0] = 4;
    g_globals->settings.toolLibraryPath = "/lib/now.tooldb";

    VIEW_LIST* tree = reinterpret_cast<VIEW_LIST*>(&mark);   // must be overwritten
    EXPECT_EQ(loadAllRecords(&tree), 0);
    EXPECT_EQ(tree, nullptr);
    EXPECT_TRUE(g_toolsArray->empty());
    EXPECT_TRUE(g_fullToolsSeq->empty());
    EXPECT_EQ(g_records->runStats.holeCount, 0);
    EXPECT_EQ(g_records->formCounter, 0);
    EXPECT_EQ(g_records->runStats.stateCount5, 3);
    EXPECT_EQ(g_globals->partPoint[0], 4);
    EXPECT_EQ(g_records->runSettings.processMach1, "/lib/now.tooldb");
    EXPECT_EQ(g_records->featureMarks, mark);
    EXPECT_EQ(g_records->featureMarkCount, 1);
}

TEST_F(RecordsCycleTest, AnEmptyTreeStoresItsGroupsAndTheMarkerAndLoadsThemWithoutATree) {
    fillCycleData(SAMPLE_TREE{});
    g_globals->markerId = 0;
    saveAllRecords(nullptr);
    const std::vector<std::uint8_t> stream = payloadOf("DRLUd66");
    EXPECT_EQ(stream.size(), 2 * GEN_OP_GROUP::kSize + 4);
    EXPECT_EQ(std::vector<std::uint8_t>(stream.end() - 4, stream.end()), std::vector<std::uint8_t>(4, 0));
    const std::vector<RECORD_ENTRY> table = decodeRecordTable(payloadOf("DRLTd66"));
    ASSERT_EQ(table.size(), 3u);
    EXPECT_EQ(table[0].kind, kRecMarker);
    EXPECT_EQ(table[1].kind, kRecGroup);
    EXPECT_EQ(table[2].offset, GEN_OP_GROUP::kSize);
    EXPECT_EQ(table[2].size, GEN_OP_GROUP::kSize);
    EXPECT_NE(table[1].oldAddress, table[2].oldAddress);
    // The last group's image ends the list; the first names the second.
    EXPECT_EQ(ByteReader(stream.data() + 2 * GEN_OP_GROUP::kSize - 4, 4).get<std::uint32_t>(), 0u);
    EXPECT_EQ(ByteReader(stream.data() + 262, 4).get<std::uint32_t>(), table[2].oldAddress);

    freeCycleData(nullptr);
    VIEW_LIST* tree = nullptr;
    loadAllRecords(&tree);
    EXPECT_EQ(tree, nullptr);
    EXPECT_EQ(g_records->genOpGroupCount, 2);
    ASSERT_NE(g_records->genOpGroups, nullptr);
    EXPECT_EQ(static_cast<std::uint8_t>(g_records->genOpGroups->name[0]), static_cast<std::uint8_t>(20 * 31 + 1));
    EXPECT_EQ(g_records->recordsLeftInPart, 0);
}

TEST_F(RecordsCycleTest, ChainsThatDisagreeWithTheirCountAreToldOnceAtSavingAndOnceAtLoading) {
    const std::vector<std::uint32_t> ids = storeSolids(5);
    SAMPLE_TREE t = sampleTree(ids);
    t.a->chainCount = 3;   // two copies missing
    SAMPLE_TREE t2 = sampleTree(ids);
    t2.a->chainCount = 3;
    VIEW_LIST* tree = throughThePart(t.head, 2);
    ASSERT_NE(tree, nullptr);
    freeCycleData(tree);
    const std::vector<std::string> lines = transcript().lines();
    std::vector<std::string> shown;
    for (const std::string& line : lines)
        if (line.rfind("msgbox", 0) == 0) shown.push_back(line);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_NE(shown[0].find("do not agree. 1 Pos 10.00 20.00 0.00"), std::string::npos) << shown[0];
    EXPECT_NE(shown[0].find("Copies recorded: 3, copies found: 1."), std::string::npos) << shown[0];
    EXPECT_NE(shown[0].find("caption=\"Forantix\""), std::string::npos) << shown[0];
    EXPECT_EQ(shown[1], shown[0]);

    // The count line is a text of the user's: only its integer conversions are filled in.
    g_globals->errorMessages.setText(12, "%s stored %i, found %03d%% %n");
    plat::driver().reset();
    script().answer(plat::IDOK);
    saveAllRecords(t2.head);
    expectScriptPlayed();
    EXPECT_TRUE(transcript().contains("\\n%s stored 3, found 001% %n\"")) << transcript().lines().back();
    freeCycleData(t2.head);
}

// A damaged part whose chain of equal holes runs back into itself loads with the loop cut, so that every
// walk of the chain ends (the save told the user about the chain; cut, it agrees with its count).
TEST_F(RecordsCycleTest, AChainThatLoopsIsCutWhereItClosesAtLoading) {
    const std::vector<std::uint32_t> ids = storeSolids(5);
    SAMPLE_TREE t = sampleTree(ids);
    t.b->nextEqual = t.a;   // a -> b -> a
    VIEW_LIST* tree = throughThePart(t.head, 1);
    ASSERT_NE(tree, nullptr);
    int steps = 0;
    for (const POINT_LIST* p = tree->firstPoint; p && steps < 10; p = p->nextEqual) ++steps;
    EXPECT_EQ(steps, 2);
    freeCycleData(tree);
}

}  // namespace
