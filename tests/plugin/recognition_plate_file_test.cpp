// A part of several solids through its part file. The benchmark's plates are saved as solids, so that
// Execute on a reopened plate finds every tile's holes: a plate converted outside a work cycle and then
// saved kept its last tile hidden, while the note that the plug-in hid it stayed in the memory of the run
// that made the file, so a later run never showed it again and lost its 100 holes. And the solid that
// Execute hides is shown and converted again by the next Execute after the part went through its file, in
// a plug-in loaded afresh.
#include <gtest/gtest.h>

#include <string>

#include "host/builder/hole_plates.h"
#include "plugin/base/message_box.h"
#include "plugin/cycle/records.h"
#include "recognition_pipeline_support.h"
#include "plugin/model/tree.h"
#include "support/execute_session.h"

namespace {

class PlateFileTest : public ExecuteSessionFixture {
protected:
    // Drops the plug-in and the part, then opens the file in a plug-in loaded afresh, as a new run would.
    void reopenInANewRun(const std::string& path) {
        unload();
        host::reset();
        plat::driver().reset();
        ASSERT_TRUE(host::openPart(path).ok);
        load();
    }
    std::string path() const { return dir.path() + "/plate.pfp"; }
    // The holes drilled from the top in the tree the ended cycle left in the part, chain followers included
    // (holes the depth limit drills from both sides have copies in the bottom view).
    static int holesInThePart() {
        VIEW_LIST* tree = nullptr;
        loadAllRecords(&tree);
        int holes = 0;
        for (const VIEW_LIST* v = tree; v; v = v->next)
            if (v->viewNumber == 1) holes += countPoints(v);
        freeViewsTree(tree);
        return holes;
    }
};

TEST_F(PlateFileTest, ABenchmarkPlateReopenedFromItsFileGivesEveryTilesHoles) {
    ASSERT_EQ(host::builder::saveHolePlate(200, path()), "");
    reopenInANewRun(path());
    executeOnce();
    EXPECT_EQ(holesInThePart(), 200);
}

TEST_F(PlateFileTest, TheSolidExecuteHidIsConvertedAgainAfterTheFile) {
    ASSERT_EQ(host::builder::storeHolePlate(200), "");
    load();
    executeOnce();
    ASSERT_EQ(holesInThePart(), 200);
    EXPECT_EQ(host::entityCounts().blanked, 1);   // the last solid converted
    ASSERT_TRUE(host::savePart(path()).ok);

    reopenInANewRun(path());
    executeOnce();
    EXPECT_EQ(holesInThePart(), 200);
}

}  // namespace
