// Nothing the recognition sees is lost without a word: after Execute on every example part, corpus part
// and test part, each concave cylindrical wall of the part lies in a hole of the tree the part keeps, or in
// what the run's summary counts and its list names (a wall the rules left out, by its axis and diameter).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "host/api.h"
#include "host/builder/part_builder.h"
#include "host/geom/step_io.h"
#include "plugin/base/globals.h"
#include "plugin/cycle/records.h"
#include "plugin/model/tree.h"
#include "plugin/recognition/surface_segment.h"
#include "plugin/services/recognition.h"
#include "support/execute_session.h"
#include "support/host_folder.h"
#include "support/part_recognition_fixture.h"
#include "support/recognition_fixture.h"
#include "support/step_parts.h"

namespace {

constexpr std::int32_t kWallsLevel = 240;   // a level of the test's own for the walls converted afresh

double dot(const double a[3], const double b[3]) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

// How far a point lies from the axis through `on` along the unit `dir`.
double distanceToAxis(const double on[3], const double dir[3], const double p[3]) {
    double d[3];
    for (int k = 0; k < 3; ++k) d[k] = p[k] - on[k];
    const double along = dot(d, dir);
    return std::hypot(d[0] - along * dir[0], d[1] - along * dir[1], d[2] - along * dir[2]);
}

// A segment's heights' range along `dir` (world).
void heightsAlong(const CYL_LIST& s, const double dir[3], double* low, double* high) {
    double bottom[3];
    for (int k = 0; k < 3; ++k) bottom[k] = s.cUniv[k] - (s.zSup - s.zInf) * s.matrix[2][k];
    *low = std::min(dot(s.cUniv, dir), dot(bottom, dir));
    *high = std::max(dot(s.cUniv, dir), dot(bottom, dir));
}

std::string described(const CYL_LIST& s) {
    std::ostringstream out;
    out << "D" << 2 * s.rSup << " at " << s.cUniv[0] << ", " << s.cUniv[1] << ", " << s.cUniv[2] << " along "
        << s.matrix[2][0] << ", " << s.matrix[2][1] << ", " << s.matrix[2][2];
    return out.str();
}

// The concave cylindrical walls the recognition sees among the surfaces of a level.
std::vector<CYL_LIST> wallsOnLevel(std::int32_t level) {
    std::vector<CYL_LIST> out;
    for (db_ptr at = db_start();;) {
        ent e{};
        char found = 0;
        get_raw_ent(at, 1, kEntSurface, &e, &at, &found);
        if (!found) break;
        CYL_LIST c{};
        if (e.level == level && surfaceToSegment(&c, e) == 1 && std::fabs(c.rSup - c.rInf) <= g_tolerances.tolT)
            out.push_back(c);
    }
    return out;
}

// A segment of the tree on the wall's axis, of its radius, over some of its height; or a wall the run told
// it left out on that axis, at least as wide.
bool accountedFor(const VIEW_LIST* tree, const CYL_LIST& wall) {
    const double tol = 2 * g_tolerances.tolT;
    for (const VIEW_LIST* v = tree; v; v = v->next)
        for (const POINT_LIST* p = v->firstPoint; p; p = p->next)
            for (const CYL_LIST* s = p->firstCyl; s; s = s->next) {
                const double* dir = s->matrix[2];
                if (std::fabs(std::fabs(dot(dir, wall.matrix[2])) - 1) > 1e-6) continue;
                if (distanceToAxis(s->cUniv, dir, wall.cUniv) > tol) continue;
                if (std::fabs(s->rSup - wall.rSup) > tol && std::fabs(s->rInf - wall.rSup) > tol) continue;
                double low = 0, high = 0, wallLow = 0, wallHigh = 0;
                heightsAlong(*s, dir, &low, &high);
                heightsAlong(wall, dir, &wallLow, &wallHigh);
                if (low < wallHigh + tol && wallLow < high + tol) return true;
            }
    return std::any_of(droppedWalls().begin(), droppedWalls().end(), [&](const DROPPED_WALL& w) {
        return distanceToAxis(wall.cUniv, wall.matrix[2], w.position) < tol && w.diameter > 2 * wall.rSup - tol;
    });
}

class WallsAccounted : public ExecuteSessionFixture, public testing::WithParamInterface<std::string> {
protected:
    void TearDown() override {
        freeViewsTree(tree);
        freeCycleRecords();
        ExecuteSessionFixture::TearDown();
    }

    // The walls of the part's solids, converted afresh (the run keeps only the surfaces its tree uses).
    static std::vector<CYL_LIST> walls() {
        const std::int32_t level = main_level;
        main_level = kWallsLevel;
        for (db_ptr at = db_start();;) {
            ent solid{};
            char found = 0;
            get_raw_ent(at, 1, kEntSolid, &solid, &at, &found);   // the run hides the solid it converted
            if (!found) break;
            sld_tag tag = 0;
            if (sld_get_tag_from_solid(&solid, &tag)) sld_convert_tags_to_mc_ents(&tag, 1, 0.0, 1, 0, 0);
        }
        main_level = level;
        return wallsOnLevel(kWallsLevel);
    }

    VIEW_LIST* tree = nullptr;
};

TEST_P(WallsAccounted, EveryConcaveCylindricalWallEndsInAHoleOrIsTold) {
    host::setHostDir(copyShippedHostFolder(dir.path()) + "/");
    ASSERT_EQ(host::openStepAsPart(GetParam()), "");
    load();
    // Execute; past the summary, the process tree, or the message that no hole was found, as the run shows.
    const auto optional = [](std::string verb, std::vector<std::string> args) {
        return plat::Step{0, std::move(verb), std::move(args), true};
    };
    script()
        .click(kMenu, kExecute)
        .add(optional("answer", {std::to_string(plat::IDOK)}))
        .add(optional("click", {std::to_string(kSummary), std::to_string(plat::IDOK)}))
        .add(optional("click", {std::to_string(kProcessTree), std::to_string(plat::IDOK)}))
        .click(kMenu, plat::IDOK);
    EXPECT_EQ(m_main(), 0);
    expectScriptPlayed();
    loadAllRecords(&tree);
    const std::vector<CYL_LIST> seen = walls();
    EXPECT_FALSE(seen.empty());
    for (const CYL_LIST& wall : seen)
        EXPECT_TRUE(accountedFor(tree, wall)) << "a wall neither in a hole nor told: " << described(wall);
}

std::vector<std::string> parts() {
    std::vector<std::string> paths;
    for (const auto& file : std::filesystem::directory_iterator(std::string(FX_SOURCE_DIR) + "/data/examples"))
        if (file.path().extension() == ".step") paths.push_back(file.path().string());
    for (const std::filesystem::path& part : stepTestParts())
        if (part.stem() != "tessellated_only") paths.push_back(part.string());
    std::sort(paths.begin(), paths.end());
    return paths;
}

INSTANTIATE_TEST_SUITE_P(Parts, WallsAccounted, testing::ValuesIn(parts()),
                         [](const testing::TestParamInfo<std::string>& info) {
                             return std::filesystem::path(info.param).stem().string();
                         });

// The recognition alone on stacks of walls drawn at random (fixed seeds): a block drilled from its top and
// its bottom on one axis, each hole a few cylinders and cones, some walls in half faces, a slot across the
// bottom, covers over and under it as an assembly's parts; the drilling directions free, and only the top
// one allowed.
class RandomWalls : public PartRecognitionFixture {};

TEST_F(RandomWalls, EveryConcaveCylindricalWallEndsInAHoleOrIsTold) {
    namespace hb = host::builder;
    for (const bool topOnly : {false, true}) {
        for (unsigned seed = 1; seed <= 60; ++seed) {
            SCOPED_TRACE((topOnly ? "top only, seed " : "seed ") + std::to_string(seed));
            std::mt19937 draw(seed);
            const auto within = [&](double a, double b) { return std::uniform_real_distribution<double>(a, b)(draw); };
            const auto oneIn = [&](int n) { return std::uniform_int_distribution<int>(1, n)(draw) == 1; };
            host::reset();
            plat::driver().reset();
            host::newPart();
            constexpr double kHeight = 20;
            hb::PartBuilder block = hb::PartBuilder::block({40, 40, kHeight}, {30, -70, 15});
            for (const bool fromBelow : {false, true}) {
                if (oneIn(3)) continue;
                hb::HoleSpec hole = hb::holeAt("h", {50, -50, fromBelow ? 15 : 15 + kHeight}, {0, 0, fromBelow ? 1.0 : -1.0});
                double diameter = within(14, 24), depth = 0;
                for (int i = 0; i < 3; ++i) {
                    const double length = within(1, 5), next = oneIn(2) ? diameter : within(4, 24);
                    if (depth + length > 0.45 * kHeight) break;
                    hole.cone(diameter, next, length);
                    depth += length;
                    diameter = oneIn(3) ? within(4, 24) : next;
                }
                if (oneIn(2)) hole.tip();
                hole.splitWall = oneIn(4);
                block.hole(hole);
            }
            if (oneIn(3)) {
                const double width = within(1, 6);
                block.cut({40, width, within(1, 6)}, {30, -50 - width / 2, 15});
            }
            const hb::BuiltPart part = block.build();
            if (!part.ok()) continue;   // a stack the kernel cannot cut
            ASSERT_NE(host::storeSolidEntity(part.solid, 3, 1, "block"), 0u);
            for (const double coverAt : {15 + kHeight, 10.0}) {
                if (!oneIn(3)) continue;
                const hb::BuiltPart cover = hb::PartBuilder::block({40, 40, 5}, {30, -70, coverAt}).build();
                ASSERT_NE(host::storeSolidEntity(cover.solid, 3, 1, "cover"), 0u);
            }
            g_globals->settings.onlySelectedViews = 0;
            if (topOnly) allowOnlyTopView();
            ASSERT_NE(solidsToEntities(g_globals->settings.featuresLevelCopy), 0);
            const std::vector<CYL_LIST> seen = wallsOnLevel(g_globals->settings.featuresLevelCopy);
            RUN run = recognize();
            for (const CYL_LIST& wall : seen)
                EXPECT_TRUE(accountedFor(run.tree, wall)) << "a wall neither in a hole nor told: " << described(wall);
            freeViewsTree(run.tree);
        }
    }
}

}  // namespace
