// Records of other releases and records the load refuses: older tables, streams and run blocks are
// converted; a newer data revision or a damaged tree loads nothing further, and what was not loaded stays in
// the part until the user makes new data of its kind. Every record kind is written and read through its one
// list of fields.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>

#include "plugin/base/host_views.h"
#include "plugin/base/store_params.h"
#include "plugin/base/views_list.h"

#include "plugin/model/db_file_chunk.h"
#include "plugin/model/tool_records.h"
#include "plugin/model/tree.h"
#include "plugin/model/work_records.h"
#include "records_test_data.h"
#include "support/plugin_fixture.h"

namespace {

using namespace records_test;

class RecordsVersionsTest : public PluginFixture {
protected:
    void SetUp() override {
        PluginFixture::SetUp();
        load();
        g_globals->settings.featuresLevel = 1000254;
        ASSERT_EQ(g_globals->errorMessages.load(installDir + "/Tool.txt", "ErrorMessages", false), 0);
        ids = storeSolids(5);
    }
    void TearDown() override {
        freeCycleData(tree);
        PluginFixture::TearDown();
    }
    // Saves the sample cycle and empties memory as the end of a cycle does.
    void saveSample() {
        SAMPLE_TREE t = sampleTree(ids);
        fillCycleData(t);
        saveAllRecords(t.head);
        freeCycleData(t.head);
    }
    static std::vector<std::string> sortedNotes() { return part_notes::sortedNotes(); }
    void load(VIEW_LIST** into) { loadAllRecords(into); }
    using PluginFixture::load;

    std::vector<std::uint32_t> ids;
    VIEW_LIST* tree = nullptr;
};

TEST_F(RecordsVersionsTest, ANewerRevisionLoadsNothingAndStaysUntilTheUserMakesNewData) {
    saveSample();
    writeRecord("DREVddd", {7, 0, 0, 0});
    const std::vector<std::string> before = sortedNotes();
    g_records->formCounter = 99;

    load(&tree);
    EXPECT_EQ(tree, nullptr);
    EXPECT_TRUE(g_toolsArray->empty());
    EXPECT_EQ(g_records->genOpGroups, nullptr);
    EXPECT_EQ(g_records->featureMarks, nullptr);
    EXPECT_EQ(g_records->formCounter, 99);   // the run block is not even reset

    saveAllRecords(nullptr);
    EXPECT_EQ(sortedNotes(), before);

    // A cycle that recognised replaces the newer set whole, revision included.
    load(&tree);
    SAMPLE_TREE t = sampleTree(ids);
    saveAllRecords(t.head);
    freeCycleData(t.head);
    EXPECT_EQ(payloadOf("DREVddd"), (std::vector<std::uint8_t>{6, 0, 0, 0}));
    load(&tree);
    EXPECT_NE(tree, nullptr);
    EXPECT_TRUE(g_toolsArray->empty());
}

TEST_F(RecordsVersionsTest, ATreeNamingAnEntityThePartLostIsDroppedWithEverythingAfterIt) {
    saveSample();
    ASSERT_EQ(delete_ent(entryOfId(ids[2]), 0, 0, 0, nullptr, 0), 1);
    const std::vector<std::string> before = sortedNotes();
    FEATURE_MARK* mine = new FEATURE_MARK();
    g_records->featureMarks = mine;
    g_records->featureMarkCount = 1;
    g_records->runStats.holeCount = 0;

    load(&tree);
    EXPECT_EQ(tree, nullptr);
    EXPECT_TRUE(g_toolsArray->empty());
    EXPECT_TRUE(g_fullToolsSeq->empty());
    EXPECT_EQ(g_records->featureMarks, mine);   // marks not read
    EXPECT_EQ(g_records->runStats.holeCount, 0);

    // Nothing new of any kind but marks: only the marks are written again.
    saveAllRecords(nullptr);
    std::vector<std::string> after = sortedNotes();
    auto isMarks = [](const std::string& s) { return s.rfind("DFTU", 0) == 0 || s.rfind("DFTT", 0) == 0; };
    std::vector<std::string> keptBefore, keptAfter;
    std::copy_if(before.begin(), before.end(), std::back_inserter(keptBefore), [&](auto& s) { return !isMarks(s); });
    std::copy_if(after.begin(), after.end(), std::back_inserter(keptAfter), [&](auto& s) { return !isMarks(s); });
    EXPECT_EQ(keptAfter, keptBefore);
    EXPECT_EQ(decodeRecordTable(payloadOf("DFTTd05")).size(), 1u);
}

TEST_F(RecordsVersionsTest, AnInconsistentToolRecordLoadsNoToolsNorSequenceAndIsKept) {
    saveSample();
    std::vector<std::uint8_t> tools = payloadOf("TLSTd05");
    tools.pop_back();
    writeRecord("TLSTd05", tools);
    load(&tree);
    ASSERT_NE(tree, nullptr);
    EXPECT_TRUE(g_toolsArray->empty());
    EXPECT_TRUE(g_fullToolsSeq->empty());
    EXPECT_EQ(g_records->runStats.holeCount, 3);   // the rest is read
    EXPECT_EQ(g_records->recordsLeftInPart, kLeftTools);
    const std::vector<std::uint8_t> sequence = payloadOf("TSEQd05");
    saveAllRecords(tree);
    EXPECT_EQ(payloadOf("TLSTd05"), tools);
    EXPECT_EQ(payloadOf("TSEQd05"), sequence);
}

// Tool records that claim items of size 0 agree with their length (count x 0 + 8) but hold no tools: they
// are refused and kept, and the user is told.
TEST_F(RecordsVersionsTest, ToolRecordsClaimingItemsOfSizeZeroAreRefusedAndKept) {
    saveSample();
    for (std::uint32_t count : {1u, 2u, 0xFFFFFFFFu}) {
        std::vector<std::uint8_t> tools;
        ByteWriter out(tools);
        out.put<std::uint32_t>(count);
        out.put<std::uint32_t>(0);
        writeRecord("TLSTd05", tools);
        script().answer(plat::IDOK);
        g_globals->damageToldFor = "-";
        load(&tree);
        expectScriptPlayed();
        ASSERT_NE(tree, nullptr);
        EXPECT_TRUE(g_toolsArray->empty());
        EXPECT_TRUE(g_fullToolsSeq->empty());
        EXPECT_EQ(g_records->recordsLeftInPart, kLeftTools) << count;
        saveAllRecords(tree);
        EXPECT_EQ(payloadOf("TLSTd05"), tools);
        freeCycleData(tree);
        tree = nullptr;
        plat::driver().reset();
    }
}

// A cylinder takes as many entity entries as it counts; entries past the count (a table of an older
// writer) are passed over, never written into the segment.
TEST_F(RecordsVersionsTest, EntityEntriesPastASegmentsCountArePassedOver) {
    saveSample();
    std::vector<RECORD_ENTRY> table = decodeRecordTable(payloadOf("DRLTd66"));
    std::size_t last = 0;
    for (std::size_t i = 0; i < table.size(); ++i)
        if (table[i].kind == kRecCylEntity) last = i;
    ASSERT_GT(last, 0u);
    RECORD_ENTRY extra = table[last];
    extra.value = ids[4];
    table.insert(table.begin() + static_cast<long>(last) + 1, extra);
    writeRecord("DRLTd66", encodeRecordTable(table));

    load(&tree);
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(g_records->recordsLeftInPart, 0);
    for (VIEW_LIST* v = tree; v; v = v->next)
        for (POINT_LIST* p = v->firstPoint; p; p = p->next)
            for (CYL_LIST* c = p->firstCyl; c; c = c->next)
                for (int i = 0; i < c->entCount; ++i) {
                    EXPECT_EQ(c->ents[i].entry, entryOfId(static_cast<std::uint32_t>(c->ents[i].id)));
                }
    for (VIEW_LIST* v = tree; v; v = v->next)
        for (POINT_LIST* p = v->firstPoint; p; p = p->next)
            for (CYL_LIST* c = p->firstCyl; c; c = c->next)
                if (c->entCount < kMaxCylEnts) {
                    EXPECT_EQ(c->ents[c->entCount].entry, 0u);
                }
}

TEST_F(RecordsVersionsTest, PointKindsZeroAndOtherAndOversizeImages) {
    saveSample();
    const std::vector<RECORD_ENTRY> table = decodeRecordTable(payloadOf("DRLTd66"));
    const std::vector<std::uint8_t> stream = payloadOf("DRLUd66");
    ASSERT_EQ(table[1].kind, kRecPoint);
    auto withPointKind = [&](std::uint16_t kind) {
        std::vector<std::uint8_t> s = stream;
        ByteWriter(s).patch(table[1].offset, kind);
        writeRecord("DRLUd66", s);
    };
    withPointKind(0);
    load(&tree);
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(tree->firstPoint->kind, 2);
    freeCycleData(tree);
    tree = nullptr;

    withPointKind(5);
    load(&tree);
    EXPECT_EQ(tree, nullptr);

    writeRecord("DRLUd66", stream);
    std::vector<RECORD_ENTRY> bigger = table;
    bigger[0].size = kViewListSize + 1;
    writeRecord("DRLTd66", encodeRecordTable(bigger));
    load(&tree);
    EXPECT_EQ(tree, nullptr);
}

TEST_F(RecordsVersionsTest, AnOldTableWidensItsSegmentsAndAnyOldStreamVersionIsRead) {
    SAMPLE_TREE t;
    t.view1 = addView(&t.head, 1);
    t.a = addPoint(t.view1, 10, 1);
    t.a->cylCount = 1;
    std::vector<std::uint8_t> stream;
    ByteWriter out(stream);
    writeViewImage(*t.view1, noLinkIds, out);
    writePointImage(*t.a, noLinkIds, out);
    freeViewsTree(t.head);
    const std::size_t cylAt = stream.size();
    out.putZeros(207);
    for (int i = 0; i < 16; ++i) {
        out.put<std::int16_t>(i == 0 ? -3 : 0);
        out.put<std::uint16_t>(i == 0 ? 9 : 0);
        out.put<std::uint32_t>(i == 0 ? ids[0] : 0);
        out.put<std::uint32_t>(0);
    }
    for (int i = 0; i < 230; ++i) out.put<std::uint8_t>(static_cast<std::uint8_t>(i < 16 ? i : 0));
    ByteWriter(stream).patch<std::int16_t>(cylAt + 205, 1);   // entCount
    out.putZeros(4);
    std::vector<RECORD_ENTRY> table(5);
    table[0] = {kRecView, 0, static_cast<std::uint32_t>(kViewListSize), 0, 0, 1};
    table[1] = {kRecPoint, static_cast<std::uint32_t>(kViewListSize), static_cast<std::uint32_t>(kPointListSize), 0, 0, 2};
    table[2] = {kRecDescs, static_cast<std::uint32_t>(cylAt), 0, 0, 0, 0};
    table[3] = {kRecCyl, static_cast<std::uint32_t>(cylAt), static_cast<std::uint32_t>(kOldCylListSize), 0, 0, 3};
    table[4] = {kRecCylEntity, 0, 0, ids[0], 0, 0};
    writeRecord("DRLTd65", encodeRecordTable(table));
    writeRecord("DRLUd63", stream);

    load(&tree);
    ASSERT_NE(tree, nullptr);
    const CYL_LIST* cyl = tree->firstPoint->firstCyl;
    ASSERT_NE(cyl, nullptr);
    EXPECT_EQ(cyl->ents[0].level, -3);
    EXPECT_EQ(cyl->ents[0].colour, 9);
    EXPECT_EQ(cyl->ents[0].id, static_cast<std::int32_t>(ids[0]));
    EXPECT_EQ(cyl->ents[0].entry, entryOfId(ids[0]));
    // Tail bytes 8-15 land on rToric, 8 bytes after `prev`.
    std::uint8_t expected[8];
    for (int i = 0; i < 8; ++i) expected[i] = static_cast<std::uint8_t>(8 + i);
    double rToric = 0;
    std::memcpy(&rToric, expected, 8);
    EXPECT_EQ(std::memcmp(&cyl->rToric, &rToric, 8), 0);
    EXPECT_EQ(cyl->prev, nullptr);
    EXPECT_EQ(cyl->next, nullptr);
}

TEST_F(RecordsVersionsTest, AnUnresolvedLinkIsToldAndLeftEmpty) {
    saveSample();
    const std::vector<RECORD_ENTRY> table = decodeRecordTable(payloadOf("DRLTd66"));
    std::vector<std::uint8_t> stream = payloadOf("DRLUd66");
    ByteWriter(stream).patch<std::uint32_t>(table[1].offset + 242, 987654);   // hole A's nextEqual
    writeRecord("DRLUd66", stream);
    script().answer(plat::IDOK).answer(plat::IDOK);
    load(&tree);
    expectScriptPlayed();
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(tree->firstPoint->nextEqual, nullptr);
    int linkBoxes = 0, chainBoxes = 0;
    for (const std::string& line : transcript().lines()) {
        if (line.rfind("msgbox", 0) != 0) continue;
        linkBoxes += line.find("A link between the hole records could not be restored.") != std::string::npos;
        chainBoxes += line.find("Copies recorded: 1, copies found: 0.") != std::string::npos;
    }
    EXPECT_EQ(linkBoxes, 1);
    EXPECT_EQ(chainBoxes, 1);   // the chain check after loading sees the lost copy
}

// ---- every record through its description -----------------------------------------------------------------

// Loaded and saved again, every record whose bytes do not hold the save's identity numbers is written byte
// for byte as it was read: the fields its reader takes are the fields its writer gives, in the same order and
// widths. (The tree's and the tool sequence's links are numbered anew by each save; their images are checked
// field by field in tree_codec_test.cpp and records_cycle_test.cpp.)
TEST_F(RecordsVersionsTest, EveryRecordLoadedAndSavedAgainKeepsItsBytes) {
    saveSample();
    const char* const records[] = {"DFTUd05", "DFTTd05", "DREVddd", "TLSTd05", "DRLPp01"};
    std::vector<std::vector<std::uint8_t>> before;
    for (const char* name : records) before.push_back(payloadOf(name));
    load(&tree);
    ASSERT_NE(tree, nullptr);
    saveAllRecords(tree);
    for (std::size_t i = 0; i < std::size(records); ++i) {
        SCOPED_TRACE(records[i]);
        EXPECT_FALSE(before[i].empty());
        EXPECT_EQ(payloadOf(records[i]), before[i]);
    }
}

// Each record kind's writer and reader walk one list of its fields: a record with every field set to a value of
// its own is written, read and written again, and reads back the same and gives the same bytes.
TEST_F(RecordsVersionsTest, EveryRecordKindRoundTripsThroughItsFieldList) {
    using BYTES = std::vector<std::uint8_t>;
    struct ROUND_TRIP {
        const char* kind;
        std::size_t size;                              // of the first writing
        std::function<std::pair<BYTES, BYTES>()> run;  // the first writing and the writing of what was read
    };
    int a = 0, b = 0, c = 0;   // records the links name
    const std::map<const void*, std::uint32_t> linkIds{{&a, 7}, {&b, 8}, {&c, 9}};
    const LinkIdOf idOf = [&](const void* record) { return linkIds.at(record); };

    const ROUND_TRIP rows[] = {
        {"image table entry", 2 * kRecordEntrySize,
         [] {
             const std::vector<RECORD_ENTRY> entries{{kRecCyl, 0x01020304, 0x0A0B0C0D, 0x11121314, 0x21222324, 0x31323334},
                                                     {kRecCylEntity, 5, 0, 77, 0, 0}};
             const BYTES first = encodeRecordTable(entries);
             const std::vector<RECORD_ENTRY> read = decodeRecordTable(first);
             EXPECT_EQ(read, entries);
             return std::pair{first, encodeRecordTable(read)};
         }},
        {"generated group", GEN_OP_GROUP::kSize,
         [&] {
             GEN_OP_GROUP group;
             std::snprintf(group.name, sizeof group.name, "Drills (Group 3)");
             const auto first = genOpGroupImage(group, idOf);
             GEN_OP_GROUP read;
             EXPECT_TRUE(genOpGroupFromImage(first.data(), first.size(), read));
             EXPECT_STREQ(read.name, group.name);
             EXPECT_EQ(read.next, nullptr);
             const auto again = genOpGroupImage(read, idOf);
             return std::pair{BYTES(first.begin(), first.end()), BYTES(again.begin(), again.end())};
         }},
        {"tool sequence entry", FULL_TOOLS_SEQ::kSize,
         [&] {
             FULL_TOOLS_SEQ entry;
             entry.view = reinterpret_cast<VIEW_LIST*>(&a);
             entry.viewCount = 3;
             entry.opes = {nullptr, nullptr};
             entry.tools = reinterpret_cast<std::vector<TP_TOOL_IMAGE>*>(&c);
             entry.area20[0] = 0xA1;
             entry.area20[3] = 0xA4;
             const LinkIdOf withOpes = [&](const void* r) { return r == entry.opes.data() ? 8u : idOf(r); };
             const auto first = toolsSeqImage(entry, withOpes);
             TOOLS_SEQ_SLOTS slots;
             FULL_TOOLS_SEQ read = toolsSeqFromImage(first.data(), slots);
             EXPECT_EQ(slots.view, 7u);
             EXPECT_EQ(slots.opeCount, 2);
             EXPECT_EQ(read.viewCount, 3);
             EXPECT_EQ(std::memcmp(read.area20, entry.area20, sizeof entry.area20), 0);
             // Relinked as the loader does.
             read.view = entry.view;
             read.opes.assign(static_cast<std::size_t>(slots.opeCount), nullptr);
             read.tools = entry.tools;
             const LinkIdOf readOpes = [&](const void* r) { return r == read.opes.data() ? 8u : idOf(r); };
             const auto again = toolsSeqImage(read, readOpes);
             return std::pair{BYTES(first.begin(), first.end()), BYTES(again.begin(), again.end())};
         }},
        {"views list", 2 + (4 + 1 + 76) + (6 + 1 + 76),
         [] {
             COnlySelViewsList list(0);
             const double m[3][3] = {{0, 1, 0}, {-1, 0, 0}, {0, 0, 1}};
             list.add("LEFT", 4, 0x1234, m);
             list.add("BOTTOM", 2, 0x5678, m);
             const BYTES first = list.encode();
             COnlySelViewsList read(0);
             EXPECT_TRUE(read.decode(first));
             std::uint16_t number = 0, key = 0;
             double back[3][3] = {};
             EXPECT_EQ(read.getItem(1, &number, &key, back), "BOTTOM");
             EXPECT_EQ(number, 2);
             EXPECT_EQ(key, 0x5678);
             EXPECT_EQ(back[1][0], -1);
             return std::pair{first, read.encode()};
         }},
        {"views list in force", 2 + NamedViews.size() * COnlySelViewsListEx::kItemSize,
         [] {
             COnlySelViewsListEx list;
             list.fillFromNamedViews();
             EXPECT_GE(list.getCount(), 2);
             auto item = list.getItem(1);
             item.selected = 1;
             item.xOn = 2;
             item.xFrom = 0.25;
             item.xTo = 0.5;
             item.yOn = 3;
             item.yFrom = -0.25;
             item.yTo = -0.5;
             item.thirdOn = 4;
             item.thirdFrom = 1.25;
             item.thirdTo = 1.5;
             item.focus = 5;
             list.setItem(1, item);
             const BYTES first = list.encode();
             COnlySelViewsListEx read;
             EXPECT_EQ(read.decode(first), list.getCount());
             const auto back = read.getItem(1);
             EXPECT_EQ(std::memcmp(&back.xFrom, &item.xFrom, sizeof(double)), 0);
             EXPECT_EQ(back.focus, 5);
             EXPECT_EQ(back.thirdTo, 1.5);
             EXPECT_EQ(back.viewId, item.viewId);
             return std::pair{first, read.encode()};
         }},
        {"database file chunk", kDbChunkUnit,
         [] {
             DBFILE_ENTRY header;
             header.reserved = 0x5A;
             header.chunkIndex = 0x0102;
             header.name = "Tree";
             const std::vector<std::uint8_t> payload{1, 2, 3, 4, 5};
             const ent e = makeDbChunkEntity(header, payload);
             DBFILE_ENTRY read;
             EXPECT_EQ(parseDbChunkHeader(e, read), DB_CHUNK_STATE::chunk);
             EXPECT_EQ(read.reserved, 0x5A);
             EXPECT_EQ(read.headerLength, 4 + 16);
             EXPECT_EQ(read.payloadLength, 5u);
             EXPECT_EQ(read.chunkIndex, 0x0102);
             EXPECT_EQ(read.name, "Tree");
             EXPECT_EQ(dbChunkPayload(e, read), payload);
             return std::pair{e.spl.data, encodeDbChunk(read, dbChunkPayload(e, read))};
         }},
        {"stored parameters", 64 + 3 * 16 + 4 + 8 + 4,
         [] {
             CStoreParams params;
             params.init("TSTPd01");
             params.setLong(2, 3, -5);
             params.setDouble(4, 5, 2.5);
             params.setString(6, 7, "text");
             const BYTES first = params.encode(1234);
             CStoreParams read;
             read.init("TSTPd01");
             EXPECT_TRUE(read.decode(first, nullptr, nullptr));
             std::int32_t number = 0;
             double value = 0;
             std::string text;
             EXPECT_EQ(read.getLong(2, 3, number, 0), 1);
             EXPECT_EQ(read.getDouble(4, 5, value, 0), 1);
             EXPECT_EQ(read.getString(6, 7, text, ""), 1);
             EXPECT_EQ(number, -5);
             EXPECT_EQ(value, 2.5);
             EXPECT_EQ(text, "text");
             return std::pair{first, read.encode(1234)};
         }},
    };
    for (const ROUND_TRIP& row : rows) {
        SCOPED_TRACE(row.kind);
        const auto [first, again] = row.run();
        EXPECT_EQ(first.size(), row.size);
        EXPECT_EQ(again, first);
    }
}

// ---- run blocks ---------------------------------------------------------------------------------------------

TEST_F(RecordsVersionsTest, ARunBlockCutShortLeavesTheLaterFieldsAtTheirResetValues) {
    saveSample();
    std::vector<std::uint8_t> block = payloadOf("DRLPp01");
    block.resize(12 + 2127);
    writeRecord("DRLPp01", block);
    g_globals->settings.toolLibraryPath = "/now/tools.tooldb";
    g_globals->settings.divideReamed = 1;
    g_records->runBytes = {9};
    load(&tree);
    const PLUGIN_GLOBALS& g = *g_globals;
    EXPECT_EQ(g.markerLevel, 250);
    EXPECT_STREQ(g_records->runTableRef.tabPath, "/forms/Standard/steel.tab");
    EXPECT_EQ(g_records->runReservedWord, 0);
    EXPECT_EQ(g_records->runStats.holeCount, 0);
    EXPECT_EQ(g_records->formCounter, 0);
    EXPECT_TRUE(g_records->runBytes.empty());
    EXPECT_TRUE(g_records->runWords.empty());
    EXPECT_EQ(g_records->runSettings.processMach1, "/now/tools.tooldb");
    EXPECT_EQ(g_records->runSettings.processMach37, 1);
}

TEST_F(RecordsVersionsTest, AnOldRunBlockSkipsItsGapByLength) {
    auto oldBlock = [](std::size_t length, std::size_t gap) {
        std::vector<std::uint8_t> b;
        ByteWriter out(b);
        out.put<std::int32_t>(7);
        for (std::int16_t v : {1, 2, 3, 4}) out.put(v);
        out.putZeros(gap);
        out.put<std::int16_t>(5);   // reserved word
        out.putZeros(36);
        out.put<std::uint16_t>(0);  // no bytes
        out.put<std::uint16_t>(1);  // one word
        out.put<std::int16_t>(1);   // only selected views
        out.put<std::int16_t>(8);   // holes
        b.resize(length);
        return b;
    };
    writeRecord("DRLPd66", oldBlock(3317, 3163));
    load(&tree);
    EXPECT_EQ(g_globals->markerLevel, 7);
    EXPECT_EQ(g_records->runStats.stateCount3, 4);
    EXPECT_EQ(g_records->runReservedWord, 5);
    EXPECT_EQ(g_records->runStats.holeCount, 8);
    EXPECT_EQ(g_records->runWords, std::vector<std::int16_t>(1, 0));
    EXPECT_EQ(g_records->runTableRef.tabPath[0], 0);

    writeRecord("DRLPd66", oldBlock(3320, 3163));
    load(&tree);
    EXPECT_EQ(g_globals->markerLevel, 7);
    EXPECT_EQ(g_records->runReservedWord, 0);
    EXPECT_EQ(g_records->runStats.holeCount, 0);
}

TEST_F(RecordsVersionsTest, TextsLongerThanTheLimitStopTheRunBlock) {
    g_records->runSettings.processMach1 = std::string(1500, 'x');
    g_records->runSettings.processMach2 = "lib";
    g_records->runSettings.processMach9 = 2.5;
    saveAllRecords(nullptr);
    std::vector<std::uint8_t> block = payloadOf("DRLPp01");
    // Written cut to 1023 characters and its terminator.
    const std::size_t textAt = block.size() - (2 + 1024) - (2 + 4) - 8 * 2 - 2 * 4 - 24 - 2 * 4 - 2;
    EXPECT_EQ(ByteReader(block.data() + textAt, 2).get<std::uint16_t>(), 1024);
    ByteWriter(block).patch<std::uint16_t>(textAt, 1025);
    writeRecord("DRLPp01", block);
    g_globals->libraryName = "now";
    load(&tree);
    EXPECT_EQ(g_records->runSettings.processMach1, "");
    EXPECT_EQ(g_records->runSettings.processMach2, "now");   // not reached: the current setting
    EXPECT_EQ(g_records->runSettings.processMach9, g_globals->settings.maxDiameter);
}

// ---- small services -----------------------------------------------------------------------------------------

TEST_F(RecordsVersionsTest, WithDebugDumpsTheLoadListsEveryNoteCutToEightyCharacters) {
    saveSample();
    g_globals->debugDumps = 1;
    g_globals->tmpDir = dir.path();
    load(&tree);
    const std::string dump = plat::readFile(dir.path() + "/RawFeatures.txt").value_or("");
    std::string expected;
    for (const std::string& text : noteTexts()) expected += text.substr(0, 80) + "\n";
    EXPECT_EQ(dump, expected);
    EXPECT_NE(dump.find("DREVddd000000004gaaaaaaa\n"), std::string::npos);
}

TEST(RecordsStrip, ControlCharactersGoBlanksStay) {
    char out[16];
    stripControlChars("\tA B\r\n\x1f" "C\x7f", out);
    EXPECT_STREQ(out, "A BC\x7f");
    EXPECT_EQ(stripControlCharsStr(std::string("x\0y\x01 z", 6)), "xy z");
}

}  // namespace
