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
#include "plugin/core/globals.h"
#include "plugin/core/load_time_objects.h"
#include "plugin/recognition/pipeline.h"
#include "plugin/recognition/tree.h"
#include "plugin/recognition/vectors.h"
#include "support/plugin_fixture.h"
#include "support/table_files.h"

namespace recog_p {

namespace hb = host::builder;

constexpr double kPi = std::numbers::pi;
constexpr double kDeg = kPi / 180;
constexpr double kT = 0.025;

// Thread rows: designation, thread diameter, pitch, tap-drill diameter.
constexpr const char* kThreadRows = "M6 6 1.0 5.0 \r\nM8 8 1.25 6.8 \r\nM10 10 1.5 8.5 \r\nM8x1 8 1.0 7.0 \r\n";

class RecogPTest : public PluginFixture {
protected:
    void SetUp() override {
        PluginFixture::SetUp();
        load();
        const std::string texts = installDir + "/Tool.txt";
        ASSERT_EQ(g_globals->errorMessages.load(texts, "ErrorMessages", true), 0);
        ASSERT_EQ(g_processMenu->load(texts, "ProcessMenu", true), 0);
        setUnitTolerances(true);
        ASSERT_DOUBLE_EQ(g_tolerances.tolT, kT);
        g_tolerances.axisAngle = 0.04 * kDeg;
        PRM_SETTINGS& s = g_globals->settings;
        s.axisAngleTolerance = 0.04;
        s.minDrawnTipAngle = 116;
        s.maxDrawnTipAngle = 136;
        g_nextHoleId = 1;
        tablesDir = dir.path() + "/tables";
        ASSERT_TRUE(plat::createDirectories(tablesDir));
        writeTable("DRILL", 1, "", 40 * kDeg, 50 * kDeg, 1.0);
        writeTable("METRIC", 2, kThreadRows);
        loadTables({"DRILL", "METRIC"});
    }
    void TearDown() override {
        freeViewsTree(head);
        head = nullptr;
        PluginFixture::TearDown();
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
        g_globals->threadTableCount = 0;
        for (const std::string& name : names) {
            CTabColsDesc& table = g_globals->threadTables[g_globals->threadTableCount++];
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

    VIEW_LIST* viewFor(const double dir[3]) {
        VIEW_LIST* last = nullptr;
        for (VIEW_LIST* v = head; v; v = v->next) {
            const double* z = v->matrix[2];
            if (std::fabs(z[0] - dir[0]) + std::fabs(z[1] - dir[1]) + std::fabs(z[2] - dir[2]) < 1e-9) return v;
            last = v;
        }
        VIEW_LIST* view = allocViewList();
        int number = 0;
        char found = 0;
        find_view_k(dir, &number, 1, &found);
        EXPECT_EQ(found, 1);
        get_view_matrix(number, view->matrix);
        view->viewNumber = static_cast<std::int16_t>(number);
        if (last) {
            last->next = view;
            view->prev = last;
        } else {
            head = view;
        }
        return view;
    }

    // The hole as recognition describes it, appended to the view of its drilling direction. Its bottom
    // is open when it runs through or `openEnd` says it reaches the far face.
    POINT_LIST* addHole(const hb::HoleSpec& spec, bool openEnd = false) {
        const double len = std::hypot(spec.direction[0], spec.direction[1], spec.direction[2]);
        const double out[3] = {-spec.direction[0] / len, -spec.direction[1] / len, -spec.direction[2] / len};
        VIEW_LIST* view = viewFor(out);
        double mt[3][3], entry[3];
        transpose_matrix_33(view->matrix, mt);
        mul_mat_vector(mt, spec.entry.data(), entry);

        POINT_LIST* point = allocPointList();
        point->id = g_nextHoleId++;
        point->view = view;
        POINT_LIST** link = &view->firstPoint;
        while (*link) {
            point->prev = *link;
            link = &(*link)->next;
        }
        *link = point;
        ++view->pointCount;

        double z = entry[2];
        CYL_LIST* prev = nullptr;
        for (const hb::HoleSegment& s : spec.segments) {
            CYL_LIST* c = allocCylList();
            copyMatrix33(c->matrix, view->matrix);
            c->viewNumber = static_cast<std::uint16_t>(view->viewNumber);
            c->zSup = z;
            c->zInf = z -= s.length;
            c->rSup = s.topDiameter / 2;
            c->rInf = s.bottomDiameter / 2;
            c->secAng = std::atan2(c->rSup - c->rInf, c->zSup - c->zInf);
            c->Asw = 2 * kPi;
            const double local[3] = {entry[0], entry[1], c->zSup};
            mul_mat_vector(view->matrix, local, c->cUniv);
            c->entCount = 1;
            c->ents[0] = {1, static_cast<std::uint16_t>(spec.colour < 0 ? 0 : spec.colour), 0, 0};
            if (prev && std::fabs(prev->rInf - c->rSup) >= kT) {   // a shoulder
                c->topFlat = 1;
                prev->bottomFlat = prev->rInf > c->rSup;
            }
            (prev ? prev->next : point->firstCyl) = c;
            c->prev = prev;
            ++point->cylCount;
            prev = c;
        }
        if (!spec.through && !openEnd && prev->rInf >= kT) prev->bottomFlat = prev->bottomClosed = 1;
        copyVector(point->ptUniv, point->firstCyl->cUniv);
        mul_mat_vector(mt, point->ptUniv, point->ptView);
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

    VIEW_LIST* head = nullptr;
    std::string tablesDir;
};

}  // namespace recog_p
