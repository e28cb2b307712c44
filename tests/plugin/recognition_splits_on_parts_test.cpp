// The splitting stages seen through the whole recognition of builder parts: holes that meet on one axis
// from both sides come out as separate holes of opposite views, and the stage dumps appear in the work
// folder only under the debug switch. Blocks lie on z = 0 with their top face up (view 1).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/builder/part_builder.h"
#include "host/geom/surface_entities.h"
#include "platform/sys/files.h"
#include "plugin/base/globals.h"
#include "plugin/recognition/pipeline.h"
#include "plugin/model/tree.h"
#include "plugin/services/recognition.h"
#include "support/hand_tree.h"
#include "support/part_recognition_fixture.h"
#include "support/plugin_fixture.h"

using namespace host::builder;
using namespace hand_tree;

namespace {

const host::Vec3 kDown{0, 0, -1}, kUp{0, 0, 1};

class SplitPartsTest : public PluginFixture {
protected:
    void SetUp() override {
        PluginFixture::SetUp();
        load();
        ASSERT_EQ(g_globals->errorMessages.load(installDir + "/Tool.txt", "ErrorMessages", true), 0);
        g_globals->settings.baseTolerance = g_tolerances.tolT;
        g_globals->settings.roundnessTolerance = g_tolerances.tol02T;
        g_globals->settings.axisAngleTolerance = 0.04;
        g_globals->settings.onlySelectedViews = 0;
        workDir = dir.path() + "/Tmp";
        ASSERT_TRUE(plat::createDirectories(workDir));
        g_globals->tmpDir = workDir;
    }
    void TearDown() override {
        freeViewsTree(tree);
        PluginFixture::TearDown();
    }

    // Builds the part, turns it into surfaces and recognises it in the recognition command's mode.
    void recognize(const PartBuilder& builder) {
        const BuiltPart part = builder.build();
        ASSERT_TRUE(part.ok()) << part.error;
        ASSERT_GT(storeAsSurfaces(part.solid, main_level, true), 0);
        std::int32_t wide = 0, narrow = 0, direction = 0;
        g_nextHoleId = 1;
        tree = recognizeCylinders(kRecognizeCommand, nullptr, &wide, &narrow, &direction, 0, 0, nullptr);
        ASSERT_NE(tree, nullptr);
        EXPECT_EQ(checkTree(tree), "");
    }
    // The only hole of the view with that host number.
    POINT_LIST* onlyHole(int viewNumber) {
        VIEW_LIST* v = findView(tree, viewNumber);
        if (!v || v->pointCount != 1) {
            ADD_FAILURE() << "view " << viewNumber << (v ? " has " + std::to_string(v->pointCount) + " holes" : " missing");
            return nullptr;
        }
        return v->firstPoint;
    }

    VIEW_LIST* tree = nullptr;
    std::string workDir;
};

TEST_F(SplitPartsTest, BlindHolesBackToBackOnOneAxisBecomeOneHoleFromEachSide) {
    recognize(PartBuilder::block({40, 40, 30})
                  .hole(blindFlat("upper", {20, 20, 30}, kDown, 8, 10))
                  .hole(blindFlat("lower", {20, 20, 0}, kUp, 6, 12)));
    ASSERT_EQ(countViews(tree), 2);
    POINT_LIST* upper = onlyHole(1);
    POINT_LIST* lower = onlyHole(4);
    ASSERT_TRUE(upper && lower);
    EXPECT_EQ(chain(upper), "30.0:4.0>20.0:4.0");
    EXPECT_EQ(chain(lower), "0.0:3.0>-12.0:3.0");   // view 4 measures z downwards: world z 0 is its 0
    EXPECT_TRUE(upper->firstCyl->bottomClosed);
    EXPECT_TRUE(lower->firstCyl->bottomClosed);
}

TEST_F(SplitPartsTest, AThroughHoleWiderAtBothEndsIsCutAtItsNeckIntoTwoPartners) {
    recognize(PartBuilder::block({40, 40, 30}).hole(stepped("neck", {20, 20, 30}, kDown, {{10, 8}, {6, 12}, {10, 0}})));
    POINT_LIST* top = onlyHole(1);
    POINT_LIST* bottom = onlyHole(4);
    ASSERT_TRUE(top && bottom);
    EXPECT_EQ(chain(top), "30.0:5.0>22.0:5.0 22.0:3.0>16.0:3.0");
    EXPECT_EQ(chain(bottom), "0.0:5.0>-10.0:5.0 -10.0:3.0>-16.0:3.0");
    EXPECT_TRUE(top->neckSplitted && bottom->neckSplitted);
    EXPECT_EQ(top->splitPartnerId, bottom->id);
    EXPECT_EQ(bottom->splitPartnerId, top->id);
}

TEST_F(SplitPartsTest, TheTwentyStageDumpsAppearOnlyUnderTheDebugSwitch) {
    const PartBuilder part = PartBuilder::block({40, 40, 30}).hole(throughHole("plain", {20, 20, 30}, kDown, 8));
    g_globals->debugDumps = 0;
    recognize(part);
    EXPECT_TRUE(plat::findFiles(workDir, "*.txt").empty());

    freeViewsTree(tree);
    tree = nullptr;
    g_globals->debugDumps = 1;
    recognize(part);
    std::vector<std::string> names;
    for (const plat::FileEntry& e : plat::findFiles(workDir, "*.txt")) names.push_back(e.name);
    ASSERT_EQ(names.size(), 20u);
    EXPECT_EQ(names.front(), "01_CylsRaw.txt");
    EXPECT_EQ(names.back(), "20_EraVoidView.txt");
    const std::string last = plat::readFile(workDir + "/20_EraVoidView.txt").value_or("");
    EXPECT_NE(last.find("\nView 1 idn 0\n"), std::string::npos);
    EXPECT_NE(last.find("        1 Cyls:\n"), std::string::npos);
}

}  // namespace
