// Damaged records: cut short or overwritten with random bytes, every record of a saved cycle is either
// refused or read into a consistent state, and the load never reads past a payload (the sanitizer build
// runs these too).
#include <gtest/gtest.h>

#include <random>
#include <set>

#include "plugin/model/ope_list.h"
#include "plugin/model/tool_records.h"
#include "plugin/model/tree.h"
#include "plugin/model/work_records.h"
#include "records_test_data.h"
#include "support/plugin_fixture.h"

namespace {

using namespace records_test;

const char* const kRecords[] = {"DRLUd66", "DRLTd66", "DFTUd05", "DFTTd05", "DREVddd", "TLSTd05", "TSEQd05", "DRLPp01"};

class RecordsDamageTest : public PluginFixture {
protected:
    void SetUp() override {
        PluginFixture::SetUp();
        load();
        ASSERT_EQ(g_globals->errorMessages.load(installDir + "/Tool.txt", "ErrorMessages", false), 0);
        const std::vector<std::uint32_t> ids = storeSolids(5);
        SAMPLE_TREE t = sampleTree(ids);
        fillCycleData(t);
        g_globals->markerId = ids[4];
        saveAllRecords(t.head);
        freeCycleData(t.head);
        for (const char* name : kRecords) saved[name] = payloadOf(name);
    }

    // Loads, checks that what was loaded hangs together, and releases it. Returns the tree's view count
    // (-1 for no tree).
    int loadAndCheck() {
        VIEW_LIST* tree = nullptr;
        EXPECT_EQ(loadAllRecords(&tree), 0);
        const int views = tree ? countViews(tree) : -1;
        checkConsistent(tree);
        freeCycleData(tree);
        plat::driver().reset();   // message boxes the damage caused
        return views;
    }

    static void checkConsistent(VIEW_LIST* tree) {
        std::set<const void*> views, points, opes;
        for (VIEW_LIST* v = tree; v; v = v->next) {
            views.insert(v);
            for (POINT_LIST* p = v->firstPoint; p; p = p->next) {
                points.insert(p);
                for (OPE_LIST* o = p->opeList; o; o = o->next) opes.insert(o);
                if (p->descCount) {
                    EXPECT_NE(p->descs, nullptr);
                }
                for (CYL_LIST* c = p->firstCyl; c; c = c->next) {
                    ASSERT_GE(c->entCount, 0);
                    ASSERT_LE(c->entCount, kMaxCylEnts);
                    for (int i = 0; i < c->entCount; ++i) {
                        if (!c->ents[i].entry) continue;   // no entity with that id in the part
                        ent e{};
                        EXPECT_EQ(get_ent_from_eptr(c->ents[i].entry, &e), 1);
                        EXPECT_EQ(static_cast<std::int32_t>(e.id), c->ents[i].id);
                    }
                }
            }
        }
        for (VIEW_LIST* v = tree; v; v = v->next) {
            for (POINT_LIST* p = v->firstPoint; p; p = p->next) {
                EXPECT_TRUE(!p->view || views.count(p->view));
                EXPECT_TRUE(!p->nextEqual || points.count(p->nextEqual));
                EXPECT_TRUE(!p->deepSplitNext || points.count(p->deepSplitNext));
                for (OPE_LIST* o = p->opeList; o && !p->chainMember; o = o->next) {
                    EXPECT_EQ(o->point, p);
                }
            }
        }
        for (const FULL_TOOLS_SEQ& entry : *g_fullToolsSeq) {
            EXPECT_TRUE(!entry.view || views.count(entry.view));
            for (const OPE_LIST* o : entry.opes) EXPECT_TRUE(!o || opes.count(o));
            EXPECT_EQ(entry.tools, g_toolsArray.get());
        }
        int marks = 0;
        for (FEATURE_MARK* m = g_records->featureMarks; m; m = m->next) ++marks;
        EXPECT_EQ(marks, g_records->featureMarkCount);
        int groups = 0;
        for (GEN_OP_GROUP* g = g_records->genOpGroups; g; g = g->next) ++groups;
        EXPECT_EQ(groups, g_records->genOpGroupCount);
    }

    void restore() {
        for (const char* name : kRecords) writeRecord(name, saved[name]);
    }

    std::map<std::string, std::vector<std::uint8_t>> saved;
};

TEST_F(RecordsDamageTest, TheSavedCycleLoadsWhole) {
    EXPECT_EQ(loadAndCheck(), 2);
}

TEST_F(RecordsDamageTest, AStreamCutBeforeItsLastImageDropsTheTree) {
    const std::vector<RECORD_ENTRY> table = decodeRecordTable(saved["DRLTd66"]);
    std::size_t end = 0;
    for (const RECORD_ENTRY& e : table) end = std::max<std::size_t>(end, e.offset + e.size);
    const std::vector<std::uint8_t>& stream = saved["DRLUd66"];
    for (std::size_t cut : {std::size_t{1}, std::size_t{533}, std::size_t{534}, std::size_t{1500}, end / 2, end - 1}) {
        writeRecord("DRLUd66", std::vector<std::uint8_t>(stream.begin(), stream.begin() + static_cast<long>(cut)));
        EXPECT_EQ(loadAndCheck(), -1) << "cut at " << cut;
        EXPECT_TRUE(g_toolsArray->empty());
    }
    // Without its four closing bytes, or with one more, the stream is not the one the table describes.
    writeRecord("DRLUd66", std::vector<std::uint8_t>(stream.begin(), stream.begin() + static_cast<long>(end)));
    EXPECT_EQ(loadAndCheck(), -1);
    std::vector<std::uint8_t> longer = stream;
    longer.push_back(0);
    writeRecord("DRLUd66", longer);
    EXPECT_EQ(loadAndCheck(), -1);
    writeRecord("DRLUd66", stream);
    EXPECT_EQ(loadAndCheck(), 2);
}

TEST_F(RecordsDamageTest, EveryRecordCutAtEveryLengthLoadsSafely) {
    for (const char* name : kRecords) {
        const std::vector<std::uint8_t>& full = saved[name];
        const std::size_t step = std::max<std::size_t>(1, full.size() / 97);
        for (std::size_t cut = 0; cut < full.size(); cut += step) {
            writeRecord(name, std::vector<std::uint8_t>(full.begin(), full.begin() + static_cast<long>(cut)));
            loadAndCheck();
        }
        restore();
    }
    EXPECT_EQ(loadAndCheck(), 2);
}

TEST_F(RecordsDamageTest, RandomBytesInAnyRecordLoadSafely) {
    std::mt19937 random(20240611);
    for (int round = 0; round < 400; ++round) {
        const char* name = kRecords[random() % std::size(kRecords)];
        std::vector<std::uint8_t> bytes = saved[name];
        switch (random() % 3) {
        case 0:   // a few bytes overwritten
            for (int i = 0, n = 1 + static_cast<int>(random() % 8); i < n && !bytes.empty(); ++i)
                bytes[random() % bytes.size()] = static_cast<std::uint8_t>(random());
            break;
        case 1:   // a 32-bit value overwritten with an extreme one
            if (bytes.size() >= 4) {
                const std::uint32_t values[] = {0, 1, 0x7FFFFFFF, 0xFFFFFFFF, 0x10000, 22, 1680};
                ByteWriter(bytes).patch(random() % (bytes.size() - 3), values[random() % std::size(values)]);
            }
            break;
        default:   // noise of any length
            bytes.resize(random() % 3000);
            for (std::uint8_t& b : bytes) b = static_cast<std::uint8_t>(random());
            break;
        }
        writeRecord(name, bytes);
        loadAndCheck();
        writeRecord(name, saved[name]);
    }
    EXPECT_EQ(loadAndCheck(), 2);
}

}  // namespace
