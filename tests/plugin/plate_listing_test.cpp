// The example plate machined as the NC listing says: Execute, then "Create operations" in the process tree;
// the listing the host writes is read back as a control would, and every hole the tree gave a process is
// held against it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "host/geom/step_io.h"
#include "host/state.h"
#include "plugin/cycle/records.h"
#include "plugin/engine/process_tree.h"
#include "plugin/model/ope_list.h"
#include "plugin/model/tree.h"
#include "support/execute_session.h"
#include "support/host_folder.h"
#include "support/nc_reader.h"

namespace {

class PlateListing : public ExecuteSessionFixture {
protected:
    void TearDown() override {
        freeViewsTree(tree);
        freeCycleRecords();
        ExecuteSessionFixture::TearDown();
    }
    VIEW_LIST* tree = nullptr;
};

// A point of the world in the view's coordinates (the rows of a view matrix are its axes in the world).
void toView(const VIEW_LIST& v, const double world[3], double out[3]) {
    for (int i = 0; i < 3; ++i) out[i] = v.matrix[i][0] * world[0] + v.matrix[i][1] * world[1] + v.matrix[i][2] * world[2];
}

// Where an operation's tool goes down to, in its view: the bottom of the hole's step, below it by the
// breakthrough when it goes through, and a drill's point below the depth of its full diameter.
double deepestPoint(const OPE_LIST& o) {
    double z = o.zInf - (o.through == 1 ? o.brkthr : 0);
    if (o.toolType == 3 && o.angle > 0) z -= o.toolDiam / 2 / std::tan(o.angle / 2);
    return z;
}

// Every hole with a process is machined at its place, down its own axis, and the deepest the listing goes
// there is where its deepest operation ends; the listing holds no hole that is not one of the part's.
TEST_F(PlateListing, EveryHoleWithAProcessIsMachinedAtItsPlaceToItsDepth) {
    // The shipped tool library: every operation finds or gets its tool and is on.
    const std::string hostDir = copyShippedHostFolder(dir.path());
    ASSERT_FALSE(hostDir.empty());
    host::setHostDir(hostDir + "/");
    ASSERT_EQ(host::openStepAsPart(std::string(FX_SOURCE_DIR) + "/data/examples/holes_plate.step"), "");
    load();
    plat::Step summary{0, "click", {std::to_string(kSummary), std::to_string(plat::IDOK)}, true};
    script().click(kMenu, kExecute).add(summary).click(kProcessTree, CDlgProcess::kCreate);
    EXPECT_EQ(m_main(), 0);
    expectScriptPlayed();

    const NC_PROGRAM program = readNcListing(host::ncListing());
    EXPECT_TRUE(program.errors.empty()) << program.errors.front();
    ASSERT_FALSE(program.holes.empty());
    std::vector<bool> matched(program.holes.size(), false);

    loadAllRecords(&tree);
    ASSERT_NE(tree, nullptr);
    int checked = 0;
    for (VIEW_LIST* v = tree; v; v = v->next) {
        for (POINT_LIST* head = v->firstPoint; head; head = head->next) {
            if (head->chainMember || head->excluded) continue;
            double bottom = std::numeric_limits<double>::max();
            for (const OPE_LIST* o = head->opeList; o; o = o->next)
                if (o->active) bottom = std::min(bottom, deepestPoint(*o));
            if (bottom == std::numeric_limits<double>::max()) continue;
            for (POINT_LIST* p = head; p; p = p->nextEqual) {
                SCOPED_TRACE("hole at " + std::to_string(p->ptUniv[0]) + ", " + std::to_string(p->ptUniv[1]) + ", " +
                             std::to_string(p->ptUniv[2]) + " of view " + std::to_string(v->viewNumber));
                double deepest = std::numeric_limits<double>::max();
                for (std::size_t i = 0; i < program.holes.size(); ++i) {
                    const NC_HOLE& h = program.holes[i];
                    double at[3], axis[3];
                    toView(*v, h.world, at);
                    toView(*v, h.worldAxis, axis);
                    if (std::abs(at[0] - p->ptView[0]) > 1e-3 || std::abs(at[1] - p->ptView[1]) > 1e-3) continue;
                    EXPECT_NEAR(axis[2], 1, 1e-9) << "drilled along another axis than its view's";
                    matched[i] = true;
                    deepest = std::min(deepest, at[2]);
                }
                ASSERT_NE(deepest, std::numeric_limits<double>::max()) << "not in the listing";
                EXPECT_NEAR(deepest, bottom, 1e-3);
                ++checked;
            }
        }
    }
    EXPECT_EQ(checked, 11);
    for (std::size_t i = 0; i < matched.size(); ++i)
        EXPECT_TRUE(matched[i]) << "a hole the part does not have: " << program.holes[i].world[0] << ", "
                                << program.holes[i].world[1] << ", " << program.holes[i].world[2];
}

}  // namespace
