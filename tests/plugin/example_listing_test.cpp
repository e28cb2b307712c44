// The example parts machined as the NC listing says, the README's main job played from the shipped session
// on a fresh install: Execute, then "Create operations" in the process tree; the listing the host writes is
// read back as a control would, and every hole the tree gave a process is held against it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <limits>
#include <regex>
#include <string>
#include <vector>

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

class ExampleListing : public ExecuteSessionFixture, public testing::WithParamInterface<std::string> {
protected:
    // The count of holes that cannot be reached, as the run's summary tells it (0 when it does not).
    int unreachableTold() {
        static const std::regex told(R"(Static ".*?(\d+) holes cannot be reached from their side\.)");
        for (const std::string& line : transcript().lines())
            if (std::smatch m; std::regex_search(line, m, told)) return std::stoi(m[1].str());
        return 0;
    }
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

// Every hole has a process and is machined at its place, down its own axis, and the deepest the listing goes
// there is where its deepest operation ends; the listing holds no hole that is not one of the part's. The
// holes the summary tells cannot be reached, which the user leaves out, are not cut from their side.
TEST_P(ExampleListing, EveryHoleIsMachinedAtItsPlaceToItsDepth) {
    // A fresh install with the shipped tool library: every operation finds or gets its tool and is on.
    const std::string hostDir = copyShippedHostFolder(dir.path());
    ASSERT_FALSE(hostDir.empty());
    host::setHostDir(hostDir + "/");
    ASSERT_EQ(host::openStepAsPart(GetParam()), "");
    load();
    playShippedSession();

    const NC_PROGRAM program = readNcListing(host::ncListing());
    EXPECT_TRUE(program.errors.empty()) << program.errors.front();
    ASSERT_FALSE(program.holes.empty());
    std::vector<bool> matched(program.holes.size(), false);

    loadAllRecords(&tree);
    ASSERT_NE(tree, nullptr);
    int checked = 0, unreachable = 0;
    for (VIEW_LIST* v = tree; v; v = v->next) {
        for (POINT_LIST* head = v->firstPoint; head; head = head->next) {
            if (head->chainMember || head->excluded) continue;
            double bottom = std::numeric_limits<double>::max();
            for (const OPE_LIST* o = head->opeList; o; o = o->next)
                if (o->active) bottom = std::min(bottom, deepestPoint(*o));
            EXPECT_NE(bottom, std::numeric_limits<double>::max()) << "a hole without a process";
            if (bottom == std::numeric_limits<double>::max()) continue;
            std::vector<double> ends;   // where each of its operations goes down to
            for (const OPE_LIST* o = head->opeList; o; o = o->next)
                if (o->active) ends.push_back(deepestPoint(*o));
            unreachable += head->notAccessible ? 1 : 0;
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
                    if (std::abs(axis[2]) < 0.999) continue;   // a hole of another direction passing there
                    // Its other half's, drilled from the other side: that half's view holds it to its own depths.
                    if (axis[2] < 0 && p->neckSplitted) continue;
                    EXPECT_NEAR(axis[2], 1, 1e-6) << "drilled along another axis than its view's";
                    EXPECT_EQ(p->notAccessible, 0) << "cut from the side it cannot be reached from";
                    // Each cycle ends where one of its operations does (a milled one cuts down in passes): a half
                    // drilled along the wrong axis ends at none of the depths of the half whose axis it took.
                    const bool endsWithAnOperation =
                        std::any_of(ends.begin(), ends.end(), [&](double e) { return std::abs(e - at[2]) < 1e-3; });
                    EXPECT_TRUE(h.cycle == "G1" || endsWithAnOperation)
                        << h.cycle << " down to " << at[2] << ", where none of its operations ends";
                    matched[i] = true;
                    deepest = std::min(deepest, at[2]);
                }
                if (p->notAccessible) continue;
                ASSERT_NE(deepest, std::numeric_limits<double>::max()) << "not in the listing";
                EXPECT_NEAR(deepest, bottom, 1e-3);
                ++checked;
            }
        }
    }
    EXPECT_GT(checked, 0);
    EXPECT_EQ(unreachable, unreachableTold());
    for (std::size_t i = 0; i < matched.size(); ++i)
        EXPECT_TRUE(matched[i]) << "a hole the part does not have: " << program.holes[i].world[0] << ", "
                                << program.holes[i].world[1] << ", " << program.holes[i].world[2];
}

std::vector<std::string> exampleFiles() {
    std::vector<std::string> paths;
    for (const auto& file : std::filesystem::directory_iterator(std::string(FX_SOURCE_DIR) + "/data/examples"))
        if (file.path().extension() == ".step") paths.push_back(file.path().string());
    std::sort(paths.begin(), paths.end());
    return paths;
}

INSTANTIATE_TEST_SUITE_P(Examples, ExampleListing, testing::ValuesIn(exampleFiles()),
                         [](const testing::TestParamInfo<std::string>& info) {
                             return std::filesystem::path(info.param).stem().string();
                         });

}  // namespace
