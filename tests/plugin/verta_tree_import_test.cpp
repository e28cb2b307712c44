// The tree import on a part that holds an exported feature tree (tests/support/verta_tree.xml) in its file
// "VERTATree": the items in document order, the id map, and the NC features with their ends found among
// the part's points; a part without the file is left alone.
#include <gtest/gtest.h>

#include "platform/sys/files.h"
#include "plugin/import/host_db_files.h"
#include "plugin/import/verta_tree_import.h"
#include "plugin/services/import.h"
#include "support/plugin_fixture.h"

namespace {

std::string fixture() { return plat::readFile(std::string(FX_SOURCE_DIR) + "/tests/support/verta_tree.xml").value_or(""); }

// An item as "name/type/geomId" with its children in brackets.
std::string describe(const VERTA_TREE_ITEM& item) {
    std::string out = item.name + "/" + item.type + "/" + std::to_string(item.geomId);
    if (item.children.empty()) return out;
    out += " [";
    for (std::size_t k = 0; k < item.children.size(); ++k) out += (k ? ", " : "") + describe(item.children[k]);
    return out + "]";
}

class VertaTreeImportTest : public PluginFixture {
protected:
    void SetUp() override {
        PluginFixture::SetUp();
        load();
    }
    static void storeFile(const std::string& text) {
        const std::unique_ptr<CHostDBFile> file = openDbFile(kVertaTreeFile, 1);
        ASSERT_TRUE(file);
        EXPECT_EQ(file->writeVector({text.begin(), text.end()}), text.size());
    }
    static void storePoint(p_3d at) {
        ent e{};
        e.type = kEntPoint;
        e.pt.pt = at;
        db_ptr entry = 0;
        char ok = 0;
        store_ent(&e, &entry, 0, 1, 1, main_attrib, &ok);
        ASSERT_EQ(ok, 1);
    }
};

TEST_F(VertaTreeImportTest, APartWithoutTheFileIsLeftAlone) {
    storePoint({1, 2, 3});
    const std::vector<ent> before = host::allEntities();
    EXPECT_FALSE(importVertaTree());
    EXPECT_EQ(host::allEntities().size(), before.size());
    EXPECT_TRUE(transcript().lines().empty());
}

TEST_F(VertaTreeImportTest, TheTreeTheIdMapAndTheFeaturesComeFromTheFile) {
    const std::string text = fixture();
    ASSERT_FALSE(text.empty());
    // Host ids 501 to 503 are points; 504 is the file's own chunk.
    storePoint({10, 20, 30});
    storePoint({10, 20, 5});
    storePoint({-4, 0, 12.5});
    host::renumberIds(501);
    storeFile(text);

    const std::optional<VERTA_TREE> tree = importVertaTree();
    ASSERT_TRUE(tree);
    EXPECT_EQ(tree->version, 3);
    ASSERT_EQ(tree->items.size(), 1u);
    EXPECT_EQ(describe(tree->items[0]),
              "Bracket/Part/1 [PartBody/Body/2 [Hole_NC_1/Hole/10 [Hole top/Point/11, Hole bottom/Point/12], "
              "Pocket & slot/Pocket/20, Tap_NC_2/Thread/30 [Thread top/Point/31, Thread end/Point <end>/99]], "
              "Sketch.1/Sketch/40]");

    const std::vector<std::pair<int, int>> expectedMap = {{11, 501}, {12, 502}, {31, 503}, {20, 9000}, {11, 777}};
    ASSERT_EQ(tree->idMap.size(), expectedMap.size());
    for (std::size_t k = 0; k < expectedMap.size(); ++k) {
        EXPECT_EQ(tree->idMap[k].verta, expectedMap[k].first) << k;
        EXPECT_EQ(tree->idMap[k].mc, expectedMap[k].second) << k;
    }

    ASSERT_EQ(tree->features.size(), 2u);
    const FEAT_VERTA_TREE& hole = tree->features[0];
    EXPECT_EQ(hole.name, "Hole_NC_1");
    EXPECT_EQ(hole.top.text, "Hole top");
    EXPECT_EQ(hole.top.id, 501) << "the first pair of a CAD id wins";
    EXPECT_EQ(hole.top.point[2], 30);
    EXPECT_EQ(hole.bottom.text, "Hole bottom");
    EXPECT_EQ(hole.bottom.id, 502);
    EXPECT_EQ(hole.bottom.point[2], 5);
    const FEAT_VERTA_TREE& tap = tree->features[1];
    EXPECT_EQ(tap.name, "Tap_NC_2");
    EXPECT_EQ(tap.top.id, 503);
    EXPECT_EQ(tap.top.point[0], -4);
    EXPECT_EQ(tap.top.point[2], 12.5);
    EXPECT_EQ(tap.bottom.text, "Thread end");
    EXPECT_EQ(tap.bottom.id, 0) << "the id map does not name 99";
    EXPECT_EQ(tap.bottom.point[0], 0);
}

TEST_F(VertaTreeImportTest, ADocumentThatDoesNotParseGivesNothing) {
    storeFile("<Root><Version>3</Version><Cat5ConsTree>");
    EXPECT_FALSE(importVertaTree());
    VERTA_TREE tree;
    tree.version = 7;
    EXPECT_FALSE(parseTreeXml("<Other/>", tree)) << "no Root";
    EXPECT_EQ(tree.version, 7) << "left as it was";
    EXPECT_TRUE(parseTreeXml("<Root/>", tree));
    EXPECT_EQ(tree.version, 0);
    EXPECT_TRUE(tree.items.empty());
}

TEST_F(VertaTreeImportTest, ItemsAreReadOneLevelAtATime) {
    CMarkup xml;
    ASSERT_TRUE(xml.setDoc("<T><x/><Cat5TreeItem><name>a</name><Cat5TreeItem><name>b</name></Cat5TreeItem>"
                           "</Cat5TreeItem><Cat5TreeItem><geom_id>x7</geom_id></Cat5TreeItem></T>"));
    ASSERT_TRUE(xml.findElem("T"));
    ASSERT_TRUE(xml.intoElem());
    const std::optional<VERTA_TREE_ITEM> first = readTreeItem(xml);
    ASSERT_TRUE(first);
    EXPECT_EQ(describe(*first), "a//0 [b//0]");
    const std::optional<VERTA_TREE_ITEM> second = readTreeItem(xml);
    ASSERT_TRUE(second);
    EXPECT_EQ(describe(*second), "//0") << "an id that is no number reads 0";
    EXPECT_FALSE(readTreeItem(xml));
}

}  // namespace
