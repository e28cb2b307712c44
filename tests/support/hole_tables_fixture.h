// A plug-in after one invocation (settings read, metric, T = 0.025) whose tables folder is a copy of the
// shipped library "FORMS_MM/Standard" with its thread tables loaded, and builder parts recognised the way
// the recognition command does it (solids to surfaces, the pipeline, coded hole names). Holes are drilled
// from the top face of a 100 x 60 x 30 block, so they land in view 1 at their (x, y). Segment chains made by
// hand stand for holes the builder would not make.
#pragma once
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "host/api.h"
#include "host/geom/step_io.h"
#include "plugin/base/globals.h"
#include "plugin/model/tree.h"
#include "plugin/recognition/name_attribs.h"
#include "plugin/model/tab_cols_desc.h"
#include "plugin/services/recognition.h"
#include "plugin/services/tables.h"
#include "plugin/tables/thread_tables.h"
#include "support/part_notes.h"
#include "support/part_recognition_fixture.h"

namespace hb = host::builder;

class HoleTablesFixture : public PartRecognitionFixture {
protected:
    static constexpr double kTop = 30;

    void SetUp() override {
        PartRecognitionFixture::SetUp();
        PLUGIN_GLOBALS& g = *g_globals;
        ASSERT_EQ(g.errorMessages.load(installDir + "/Tool.txt", "ErrorMessages", true), 0);
        g.uiTextFile = installDir + "/Tool.txt";
        ASSERT_EQ(g.isMetric(), 1);
        ASSERT_DOUBLE_EQ(g_tolerances.tolT, 0.025);
        // A library of the test's own, so that rows added to it stay with the test.
        tablesDir = dir.path() + "/forms";
        std::filesystem::copy(installDir + "/Tool/FORMS_MM/Standard", tablesDir, std::filesystem::copy_options::recursive);
        g.tablesDir = tablesDir;
        g.tmpDir = dir.path() + "/Tmp";
        ASSERT_TRUE(plat::createDirectories(g.tmpDir));
        g_threadTables->count = 0;
        ASSERT_GT(loadThreadTables(), 0);
    }
    void TearDown() override {
        freeViewsTree(tree);
        tree = nullptr;
        PluginFixture::TearDown();
    }

    // A hole of the block at (x, y) of its top face, drilled downwards.
    static hb::HoleSpec down(const std::string& name, double x, double y) {
        return hb::holeAt(name, {x, y, kTop}, {0, 0, -1});
    }
    // A coded name on the hole at (x, y) of the block's top face.
    static void nameHole(const std::string& name, double x, double y) { part_notes::nameHole(name, x, y, kTop); }
    // Builds the block with the holes, recognises it and keeps the tree in `tree`.
    void recognise(const std::vector<hb::HoleSpec>& holes) {
        hb::PartBuilder builder = hb::PartBuilder::block({100, 60, kTop});
        for (const hb::HoleSpec& h : holes) builder.hole(h);
        addPart(builder);
        recogniseConverted();
    }
    // Where the i-th hole of a grid of five a row lies on the top face.
    static double gridX(std::size_t i) { return 12 + 18.0 * static_cast<double>(i % 5); }
    static double gridY(std::size_t i) { return 15 + 30.0 * static_cast<double>(i / 5); }
    // Recognises the cases' holes (`hole`) laid on that grid, each with its coded name (`coded`, null none).
    template <class CASE>
    void recogniseGrid(const std::vector<CASE>& cases) {
        std::vector<hb::HoleSpec> holes;
        for (std::size_t i = 0; i < cases.size(); ++i) {
            hb::HoleSpec h = cases[i].hole;
            h.entry = {gridX(i), gridY(i), kTop};
            holes.push_back(h);
        }
        recognise(holes);
        for (std::size_t i = 0; i < cases.size(); ++i)
            if (cases[i].coded) nameHole(cases[i].coded, gridX(i), gridY(i));
        readNameHoleAttribs(tree);
    }
    // Opens a STEP file as the part and recognises it the same way.
    void recogniseStep(const std::string& path) {
        ASSERT_EQ(host::openStepAsPart(path), "");
        ASSERT_NE(solidsToEntities(g_globals->settings.featuresLevelCopy), 0);
        recogniseConverted();
    }
    void recogniseConverted() {
        tree = recognize().tree;
        ASSERT_NE(tree, nullptr);
        readNameHoleAttribs(tree);
    }
    // The hole of view 1 whose axis passes (x, y).
    POINT_LIST* holeAt(double x, double y) const {
        for (VIEW_LIST* v = tree; v; v = v->next) {
            if (v->viewNumber != 1) continue;
            for (POINT_LIST* p = v->firstPoint; p; p = p->next)
                if (std::hypot(p->ptView[0] - x, p->ptView[1] - y) < 1e-6) return p;
        }
        return nullptr;
    }
    // A chain of segments as the recognition links them, from the entry down at z 0: (radius top, radius
    // bottom, length) each, cylinders and cones joined end to end.
    static std::vector<CYL_LIST> chain(const std::vector<std::array<double, 3>>& segs) {
        std::vector<CYL_LIST> out(segs.size());
        double z = 0;
        for (std::size_t i = 0; i < segs.size(); ++i) {
            CYL_LIST& c = out[i];
            c.rSup = segs[i][0];
            c.rInf = segs[i][1];
            c.zSup = z;
            c.zInf = z -= segs[i][2];
            c.secAng = std::atan2(c.rSup - c.rInf, c.zSup - c.zInf);
            if (i) {
                c.prev = &out[i - 1];
                out[i - 1].next = &c;
            }
        }
        return out;
    }
    // A chain of `count` 1 mm cylinders of alternating radii 5 and 4, which no modelling split joins.
    static std::vector<CYL_LIST> alternating(int count) {
        std::vector<std::array<double, 3>> segs;
        for (int i = 0; i < count; ++i) segs.push_back({i % 2 ? 4.0 : 5.0, i % 2 ? 4.0 : 5.0, 1.0});
        return chain(segs);
    }
    // The shipped table of that name, read with its rows.
    CTabColsDesc table(const std::string& name) const {
        CTabColsDesc t;
        EXPECT_EQ(t.read(tablesDir + "/" + name + ".tab"), 0) << name;
        t.readRows();
        return t;
    }

    std::string tablesDir;
    VIEW_LIST* tree = nullptr;
};
