// What the reaming split, attribute and feature-mark tests share: a loaded plug-in with metric
// tolerances (T = 0.025), a drill-size table and a thread table (of thread kind 1) written as table files
// and loaded as the thread tables, and holes described by the part builder turned into recognition trees the
// way the pipeline leaves them: one view per drilling direction (the direction out of the hole, a host
// view), one point per hole at its entry, one segment per built segment from the entry down, shoulders
// as flat rings, a flat bottom closed, each segment holding one entity in the hole's colour.
#pragma once
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "host/builder/part_builder.h"
#include "platform/sys/files.h"
#include "plugin/base/globals.h"
#include "plugin/cycle/load_time_objects.h"
#include "plugin/model/tab_cols_desc.h"
#include "plugin/recognition/pipeline.h"
#include "plugin/model/tree.h"
#include "plugin/base/vectors.h"
#include "support/hand_tree.h"
#include "support/recognition_fixture.h"
#include "support/table_files.h"
#include "plugin/tables/thread_tables.h"

namespace recog_p {

namespace hb = host::builder;

constexpr double kPi = std::numbers::pi;
constexpr double kDeg = kPi / 180;

// Thread rows: designation, thread diameter, pitch, tap-drill diameter.
constexpr const char* kThreadRows = "M6 6 1.0 5.0 \r\nM8 8 1.25 6.8 \r\nM10 10 1.5 8.5 \r\nM8x1 8 1.0 7.0 \r\n";

class RecogPTest : public RecognitionFixture {
protected:
    void SetUp() override {
        RecognitionFixture::SetUp();
        ASSERT_EQ(g_processMenu->load(installDir + "/Tool.txt", "ProcessMenu", true), 0);
        PRM_SETTINGS& s = g_globals->settings;
        s.axisAngleTolerance = 0.04;
        s.minDrawnTipAngle = 116;
        s.maxDrawnTipAngle = 136;
        tablesDir = dir.path() + "/tables";
        ASSERT_TRUE(plat::createDirectories(tablesDir));
        writeTable("DRILL", 1, "", 40 * kDeg, 50 * kDeg, 1.0);
        writeTable("METRIC", 2, kThreadRows);
        loadTables({"DRILL", "METRIC"});
    }
    // A table file "<name>.tab" with its rows file "<name>.txt"; diameter tolerance 5 %.
    void writeTable(const std::string& name, int tableClass, const std::string& rows, double chamferA = 0,
                    double chamferB = 0, double maxChamfer = 0) {
        REFERENCE_TABLE t;
        t.tableClass = tableClass;
        t.diameterTolerance = 0.05;
        t.chamferA = chamferA;
        t.chamferB = chamferB;
        t.maxChamfer = maxChamfer;
        writeReferenceTable(tablesDir, name, t, rows);
    }
    void loadTables(const std::vector<std::string>& names) {
        g_threadTables->count = 0;
        for (const std::string& name : names) {
            CTabColsDesc& table = g_threadTables->tables[g_threadTables->count++];
            EXPECT_EQ(table.read(tablesDir + "/" + name + ".tab"), 0) << name;
            table.readRows();
        }
    }

    // Builds the holes in a block and returns them with their through lengths resolved.
    static std::vector<hb::HoleSpec> built(host::Vec3 size, const std::vector<hb::HoleSpec>& holes) {
        hb::PartBuilder builder = hb::PartBuilder::block(size);
        for (const hb::HoleSpec& h : holes) builder.hole(h);
        hb::BuiltPart part = builder.build();
        EXPECT_TRUE(part.ok()) << part.error;
        return part.holes;
    }

    // The hole as recognition describes it, appended to the view of its drilling direction. Its bottom
    // is open when it runs through or `openEnd` says it reaches the far face.
    POINT_LIST* addHole(const hb::HoleSpec& spec, bool openEnd = false) {
        POINT_LIST* point = hand_tree::appendSpecHole(head, spec);
        for (CYL_LIST* c = point->firstCyl; c; c = c->next) {
            c->entCount = 1;
            c->ents[0] = {1, static_cast<std::uint16_t>(spec.colour < 0 ? 0 : spec.colour), 0, 0};
            if (c->prev && std::fabs(c->prev->rInf - c->rSup) >= kT) {   // a shoulder
                c->topFlat = 1;
                c->prev->bottomFlat = c->prev->rInf > c->rSup;
            }
        }
        CYL_LIST* bottom = lastCyl(point);
        if (!spec.through && !openEnd && bottom->rInf >= kT) bottom->bottomFlat = bottom->bottomClosed = 1;
        return point;
    }

    static std::vector<POINT_LIST*> points(const VIEW_LIST* view) {
        std::vector<POINT_LIST*> out;
        for (POINT_LIST* p = view ? view->firstPoint : nullptr; p; p = p->next) out.push_back(p);
        return out;
    }
    static std::vector<CYL_LIST*> chain(const POINT_LIST* point) {
        std::vector<CYL_LIST*> out;
        for (CYL_LIST* c = point->firstCyl; c; c = c->next) out.push_back(c);
        return out;
    }
    VIEW_LIST* viewNumbered(int number) const {
        for (VIEW_LIST* v = head; v; v = v->next)
            if (v->viewNumber == number) return v;
        return nullptr;
    }

    std::string tablesDir;
};

}  // namespace recog_p
