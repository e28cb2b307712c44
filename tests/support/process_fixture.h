// A plug-in with the shipped metric table library as its tables folder (all tables loaded with their rows)
// and holes described directly by their CIL_DESC records, to apply processes to and check what lands on them.
#pragma once
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <numbers>
#include <memory>
#include <string>
#include <vector>

#include "plugin/engine/apply_process.h"
#include "plugin/model/ope_list.h"
#include "plugin/model/tree.h"
#include "plugin/model/tab_cols_desc.h"
#include "support/hand_tree.h"
#include "support/tables_fixture.h"

// One description record, by its usual fields.
struct CIL {
    double D = 0, zTop = 0, zBottom = 0;
    std::uint8_t flat = 0, tipTool = 0, through = 0;
    double tipAngleDeg = 0;
    std::int16_t opeGeo = 0;
    double threadDiameter = 0, threadPitch = 0, threadDepth = 0;
    std::int16_t threadKind = 0;
    double chamferDiameter = 0, chamferAngleDeg = 0;   // a top chamfer when the diameter is set
    double bottomRound = 0;
};

inline CIL_DESC cilDesc(const CIL& c) {
    CIL_DESC d{};
    d.opeGeo = c.opeGeo;
    d.D = c.D;
    d.zTop = c.zTop;
    d.zBottom = c.zBottom;
    d.L = c.zTop - c.zBottom;
    d.L2 = c.zTop - c.zBottom;
    d.Flat = c.flat;
    d.TipTool = c.tipTool;
    d.Through = c.through;
    d.tipAngle = c.tipAngleDeg * std::numbers::pi / 180;
    d.threadDiameter = c.threadDiameter;
    d.threadPitch = c.threadPitch;
    d.threadDepth = c.threadDepth;
    d.threadKind = c.threadKind;
    d.bottomRound = c.bottomRound;
    if (c.chamferDiameter > 0) {
        const double angle = c.chamferAngleDeg * std::numbers::pi / 180;
        d.topChamfer = 1;
        d.chamferDiameter = c.chamferDiameter;
        d.chamferAngle = angle;
        d.chamferZ = c.zTop - (c.chamferDiameter - c.D) / 2 / std::tan(angle);
    }
    return d;
}

// A view looking down Z, and its holes; everything is freed with it.
struct TEST_VIEW {
    VIEW_LIST* view = nullptr;
    TEST_VIEW() {
        const double identity[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
        hand_tree::appendView(view, 1, identity);
    }
    ~TEST_VIEW() { freeViewsTree(view); }
    // A hole at (x, y, top of its first record) with the given records, appended to the view, and a
    // cylinder segment per record, top down.
    POINT_LIST* hole(const std::vector<CIL>& cils, double x = 0, double y = 0) {
        POINT_LIST* p = hand_tree::appendPoint(view, x, y, 0);
        p->descs = allocCilDescs(cils.size());
        p->descCount = static_cast<std::uint16_t>(cils.size());
        for (std::size_t i = 0; i < cils.size(); ++i) p->descs[i] = cilDesc(cils[i]);
        p->tableIndex = -1;
        p->rowIndex = -1;
        for (const CIL& c : cils) {
            hand_tree::SEG s = hand_tree::cyl(c.zTop, c.zBottom, c.D / 2);
            s.bottomFlat = c.flat;
            hand_tree::appendSeg(p, s);
        }
        return p;
    }
};

// What one operation of a hole should be, in the order of the hole's operations.
struct EXPECTED_OP {
    std::uint32_t type;
    double toolDiam, zSup, zInf;
    std::uint8_t through;
};

inline void expectOperations(const POINT_LIST& hole, const std::vector<EXPECTED_OP>& expected) {
    std::size_t i = 0;
    for (const OPE_LIST* op = hole.opeList; op; op = op->next, ++i) {
        ASSERT_LT(i, expected.size()) << "more operations than expected";
        const EXPECTED_OP& e = expected[i];
        EXPECT_EQ(op->toolType, e.type) << "op " << i;
        EXPECT_NEAR(op->toolDiam, e.toolDiam, 1e-9) << "op " << i;
        EXPECT_NEAR(op->zSup, e.zSup, 1e-6) << "op " << i;
        EXPECT_NEAR(op->zInf, e.zInf, 0.01) << "op " << i;
        EXPECT_EQ(op->through, e.through) << "op " << i;
        EXPECT_EQ(op->point, &hole) << "op " << i;
        EXPECT_EQ(op->view, hole.view) << "op " << i;
    }
    EXPECT_EQ(i, expected.size()) << "fewer operations than expected";
}

class ProcessFixture : public TablesFixture {
protected:
    void SetUp() override {
        TablesFixture::SetUp();
        const std::filesystem::path shipped = std::string(FX_SOURCE_DIR) + "/data/forms/FORMS_MM/Standard";
        for (const auto& file : std::filesystem::directory_iterator(shipped))
            std::filesystem::copy_file(file.path(), std::filesystem::path(tablesDir) / file.path().filename());
        PRM_SETTINGS& s = g_globals->settings;
        s.minDrawnTipAngle = 116;
        s.maxDrawnTipAngle = 136;
        s.breakthroughLength = 1;
        loadAllTables(tables, &drillIndex);
    }
    int tableIndex(const std::string& name) const {
        for (std::size_t i = 0; i < tables.size(); ++i)
            if (tables[i].name == name) return static_cast<int>(i);
        ADD_FAILURE() << "no table " << name;
        return -1;
    }
    // The hole takes the table, its row of that name and the row's process.
    void assign(POINT_LIST& hole, const std::string& table, const std::string& row) {
        const int t = tableIndex(table);
        CTabColsDesc& tab = tables[static_cast<std::size_t>(t)];
        hole.tableIndex = static_cast<std::int16_t>(t);
        hole.rowIndex = static_cast<std::int16_t>(tab.findRowByName(row));
        ASSERT_GE(hole.rowIndex, 0) << row;
        std::vector<std::string> cells;
        tab.getRow(hole.rowIndex, cells);
        setFieldText(hole.tableName, tab.name);
        setFieldText(hole.rowName, row);
        setFieldText(hole.processName, cells[static_cast<std::size_t>(tab.processColumn - 1)]);
    }
    int apply(POINT_LIST& hole, int mode = 0) {
        return applyProcessToHole(tables.data(), static_cast<int>(tables.size()), hole, mode);
    }
    static std::vector<const OPE_LIST*> operations(const POINT_LIST& hole) {
        std::vector<const OPE_LIST*> out;
        for (const OPE_LIST* op = hole.opeList; op; op = op->next) out.push_back(op);
        return out;
    }

    std::vector<CTabColsDesc> tables;
    int drillIndex = -1;
};
