// The host's operation defaults taken into operation definitions: which blocks each milled kind takes from
// the host's record, and what is set after the copy.
#include <gtest/gtest.h>

#include <cstring>
#include <cmath>
#include <numbers>
#include <ostream>
#include <vector>

#include "host/api.h"
#include "plugin/model/host_blocks.h"
#include "plugin/model/ope_list.h"
#include "plugin/model/process_ope.h"
#include "plugin/model/tab_cols_desc.h"
#include "plugin/services/tables.h"
#include "plugin/tables/host_op_defaults.h"
#include "support/tables_fixture.h"

namespace {

namespace po = process_ope;

class HostDefaultsTest : public TablesFixture {
protected:
    static OPERATION_BYTES hostRecord(std::uint8_t code, std::uint8_t subCode) {
        operation op{};
        op.code = code;
        op.subCode = subCode;
        db_ptr entity = 0;
        char failed = 0;
        EXPECT_EQ(operation_manager(&op, 10, &entity, &failed), 1);
        return operationToImage(op);
    }
    static bool same(const PROCESS_OPE& op, std::size_t at, const OPERATION_BYTES& host, std::size_t from,
                     std::size_t size) {
        return std::memcmp(op.bytes + at, host.data() + from, size) == 0;
    }
};

TEST_F(HostDefaultsTest, EachMilledKindTakesItsBlocksFromTheHostsRecord) {
    struct CASE {
        int kind;
        std::uint8_t code;
        std::size_t kindSize;
        bool common;   // the 64-, 40- and 168-byte blocks too
    };
    const CASE cases[] = {{kCircleMill, 18, kCircleMillSize, true}, {kContour, 1, kContourSize, true},
                          {kHelixBore, 106, kHelixBoreSize, false}, {kThreadMill, 100, kThreadMillSize, false}};
    for (const CASE& c : cases) {
        SCOPED_TRACE(c.kind);
        const OPERATION_BYTES host = hostRecord(c.code, 0);
        PROCESS_OPE op;
        std::memset(op.bytes, 0x77, PROCESS_OPE::kSize);
        std::uint8_t extra[kHostExtraSize];
        ASSERT_EQ(getHostOpDefaults(static_cast<std::int16_t>(c.kind), 10.0, &op, extra), 1);
        EXPECT_EQ(std::memcmp(extra, host.data() + 728, kHostExtraSize), 0);
        EXPECT_TRUE(same(op, kindBlockPlace(c.kind).at, host, 3288, c.kindSize));
        EXPECT_TRUE(same(op, po::hostBlock6 + 3, host, 1376 + 3, 3));
        EXPECT_EQ(op.bytes[po::hostBlock6], c.kind == kCircleMill ? host[1376] : 0);
        EXPECT_EQ(same(op, po::hostBlock64, host, 2040, kBlock64), c.common);
        EXPECT_EQ(same(op, po::hostBlock40, host, 2104, kBlock40), c.common);
        double value = 0;
        std::memcpy(&value, host.data() + 624, 8);
        EXPECT_DOUBLE_EQ(opeGet(op, po::hostValue), value);
        if (c.kind == kContour) {
            for (std::size_t group : {8u, 80u}) {
                EXPECT_DOUBLE_EQ(op.get<double>(po::hostBlock168 + group + 64), 20.0);
                EXPECT_DOUBLE_EQ(op.get<double>(po::hostBlock168 + group + 24), 2.0);
                EXPECT_DOUBLE_EQ(op.get<double>(po::hostBlock168 + group + 32), 80 * std::numbers::pi / 180);
                EXPECT_DOUBLE_EQ(op.get<double>(po::hostBlock168 + group + 56), 0.0);
                EXPECT_DOUBLE_EQ(op.get<double>(po::hostBlock168 + group + 8), 0.0);
                EXPECT_EQ(op.get<std::uint8_t>(po::hostBlock168 + group + 49), 1);
            }
            EXPECT_EQ(op.get<std::uint8_t>(po::hostBlock168 + 160), 0);
        } else {
            EXPECT_EQ(same(op, po::hostBlock168, host, 2176, kBlock168), c.common);
        }
        // The editor shows the host's defaults in its own fields: pitches where it reads pitches, an inside
        // right-hand thread, and no diameter before the hole gives one.
        if (c.kind == kHelixBore) {
            EXPECT_GT(op.get<double>(po::helixBoreBlock + helix_fields::roughPitch), 0);
            EXPECT_GT(op.get<double>(po::helixBoreBlock + helix_fields::finishPitch), 0);
            EXPECT_EQ(op.get<std::uint8_t>(po::helixBoreBlock + helix_fields::finishOn), 1);
            EXPECT_EQ(op.get<double>(po::helixBoreBlock + helix_fields::boreDiameter), 0.0);
            EXPECT_EQ(op.get<double>(po::helixBoreBlock + helix_fields::startAngle), 0.0);
        }
        if (c.kind == kThreadMill) {
            EXPECT_GT(op.get<double>(po::threadMillBlock + thread_fields::pitch), 0);
            EXPECT_EQ(op.get<std::int16_t>(po::threadMillBlock + thread_fields::side), 0);
            EXPECT_EQ(op.get<std::uint8_t>(po::threadMillBlock + thread_fields::hand), 0);
            EXPECT_EQ(op.get<double>(po::threadMillBlock + thread_fields::threadDiameter), 0.0);
        }
    }
}

TEST_F(HostDefaultsTest, AnOlderHostGivesCircleMillsTheHoleMillsCommonBlocksOnly) {
    g_globals->hostVersion[4] = 5;
    const OPERATION_BYTES host = hostRecord(47, 1);
    PROCESS_OPE op;
    opeSet(op, po::hostValue, 3.5);
    ASSERT_EQ(getHostOpDefaults(kCircleMill, 10.0, &op, nullptr), 1);
    EXPECT_TRUE(same(op, po::hostBlock64, host, 2040, kBlock64));
    EXPECT_TRUE(same(op, po::hostBlock168, host, 2176, kBlock168));
    EXPECT_DOUBLE_EQ(opeGet(op, po::hostValue), 3.5);
    for (std::size_t i = 0; i < kCircleMillSize; ++i) ASSERT_EQ(op.bytes[po::circleMillBlock + i], 0) << i;
    PROCESS_OPE none;
    EXPECT_EQ(getHostOpDefaults(7, 10.0, &none, nullptr), 0);
    EXPECT_TRUE(none == PROCESS_OPE{});
}

}  // namespace

#include "plugin/tables/default_table.h"

namespace {


struct DESC {
    double D, length;
    std::uint8_t flat = 0;
    std::int16_t opeGeo = 0;
    double coneAngle = 0, chamferDiameter = 0;
};

// One operation of a default process: its type, its tool diameter and the tool diameter's tie.
struct OP {
    std::uint32_t type;
    double tool;
    std::int16_t toolAssoc, toolCol;
};

class DefaultTableTest : public TablesFixture {
protected:
    // Descriptors from the entry down; Z from 0 downwards.
    static std::vector<CIL_DESC> descs(const std::vector<DESC>& in) {
        std::vector<CIL_DESC> out(in.size());
        double z = 0;
        for (std::size_t i = 0; i < in.size(); ++i) {
            CIL_DESC& d = out[i];
            d.D = in[i].D;
            d.zTop = z;
            d.zBottom = z -= in[i].length;
            d.L = in[i].length;
            d.L2 = in[i].length;
            d.Flat = in[i].flat;
            d.opeGeo = in[i].opeGeo;
            d.coneAngle = in[i].coneAngle;
            if (in[i].chamferDiameter > 0) {
                d.topChamfer = 1;
                d.chamferDiameter = in[i].chamferDiameter;
            }
        }
        return out;
    }
    CTabColsDesc made(const std::vector<DESC>& in, const std::string& name = "_Forantix_1d_1") {
        const std::vector<CIL_DESC> d = descs(in);
        CTabColsDesc t;
        EXPECT_EQ(createDefaultTable(t, name, "", d.data(), static_cast<std::int16_t>(d.size()), 0.767944870877505,
                                     0.802851455917392, 1.5),
                  0);
        CTabColsDesc back;
        EXPECT_EQ(back.read(tablePath(name)), 0);
        return back;
    }
    std::vector<OP> process(const CTabColsDesc& t) {
        PROCESS_OPE ops[kMaxProcessOps];
        const int n = t.readProcess("1", ops);
        std::vector<OP> out;
        for (int i = 0; i < n; ++i)
            out.push_back({opeGet(ops[i], po::operationType), opeGet(ops[i], po::toolDiam),
                           opeGet(ops[i], po::toolDiamAssoc), opeGet(ops[i], po::toolDiamCol)});
        return out;
    }
};

bool operator==(const OP& a, const OP& b) {
    return a.type == b.type && std::fabs(a.tool - b.tool) < 1e-3 && a.toolAssoc == b.toolAssoc && a.toolCol == b.toolCol;
}
std::ostream& operator<<(std::ostream& out, const OP& op) {
    return out << "{" << op.type << " " << op.tool << " " << op.toolAssoc << "/" << op.toolCol << "}";
}

TEST_F(DefaultTableTest, TheNewTablesColumnsFollowTheHole) {
    CTabColsDesc one = made({{8, 20}});
    ASSERT_EQ(one.itemCount, 4);
    EXPECT_EQ(one.items[1].colId1, 2);
    EXPECT_EQ(one.items[1].colId2, 0);
    EXPECT_EQ(one.items[1].text1, "d");
    EXPECT_EQ(one.processColumn, 3);
    EXPECT_EQ(one.listColumn, 4);
    EXPECT_EQ(one.formatVersion, 21);
    EXPECT_DOUBLE_EQ(one.autoChamferSize, 2.0);
    EXPECT_DOUBLE_EQ(one.diameterTolerance, 0.08);
    EXPECT_DOUBLE_EQ(one.lengthTolerance, 0.16);
    EXPECT_NEAR(one.chamferAngleB, 0.802851, 1e-6);

    CTabColsDesc cone = made({{8, 20, 0, 0, 0.5}}, "cone");
    EXPECT_EQ(cone.items[1].colId3, 3);
    EXPECT_EQ(cone.items[1].text3, "A");
    EXPECT_EQ(cone.processColumn, 4);

    CTabColsDesc three = made({{20, 5, 1}, {12, 10, 0, 1}, {8, 15}}, "three");
    ASSERT_EQ(three.itemCount, 6);
    EXPECT_EQ(three.items[1].text1, "D");
    EXPECT_EQ(three.items[2].text1, "d1");
    EXPECT_EQ(three.items[3].text1, "d");
    EXPECT_EQ(three.items[1].text2, "L");
    EXPECT_EQ(three.items[2].text2, "L1");
    EXPECT_EQ(std::vector<int>({three.items[1].colId1, three.items[1].colId2, three.items[2].colId1,
                                three.items[2].colId2, three.items[3].colId1, three.processColumn, three.listColumn}),
              std::vector<int>({2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(three.items[1].b, 1);   // flat
    EXPECT_EQ(three.items[2].a, 1);   // threaded
    EXPECT_DOUBLE_EQ(three.items[1].value2, 5);

    g_globals->hostVersion[7] = 0;
    EXPECT_DOUBLE_EQ(made({{0.3, 1}}, "inch").autoChamferSize, 0.08);
}

TEST_F(DefaultTableTest, DefaultProcessesOpenTheHoleInSteps) {
    struct CASE {
        const char* what;
        std::vector<DESC> hole;
        std::vector<OP> ops;
    };
    const CASE cases[] = {
        {"8 through", {{8, 20}}, {{2, 10, 0, 2}, {3, 8, 1, 2}}},
        {"9 through", {{9, 20}}, {{2, 11, 0, 2}, {3, 9, 1, 2}}},
        {"25 through: three drills", {{25, 20}}, {{2, 12, 0, 2}, {3, 8, 0, 0}, {3, 16, 0, 0}, {3, 24.333, 1, 2}}},
        {"close diameters: the lower only", {{8.04, 5}, {8, 10}}, {{2, 10, 0, 4}, {3, 8, 1, 4}}},
        {"a short flat bottom: only the end mill", {{10, 2, 1}}, {{2, 12, 0, 2}, {10, 10, 1, 2}}},
        {"counterbore and tapped hole", {{11, 6, 1}, {6.8, 15, 0, 1}},
         {{2, 8, 0, 4}, {3, 6.8, 1, 4}, {3, 11, 1, 2}, {10, 11, 1, 2}, {4, 6.8, 1, 4}}},
        {"a chamfer of 20: a chamfer mill of 23", {{10, 20, 0, 0, 0, 20}}, {{2, 12, 0, 2}, {3, 10, 1, 2}, {12, 23, 0, 2}}},
        {"a chamfer of 21: a contour (no milled cycle here)", {{10, 20, 0, 0, 0, 21}}, {{2, 12, 0, 2}, {3, 10, 1, 2}}},
        {"reaming", {{10, 20, 0, 2}}, {{2, 12, 0, 2}, {3, 10, 1, 2}, {6, 10, 1, 2}}},
    };
    for (const CASE& c : cases) EXPECT_EQ(process(made(c.hole)), c.ops) << c.what;

    OP_CYCLE_LIST& cycles = g_globals->cycleNames;   // a drill cycle, then two milled kinds
    cycles.count = 3;
    cycles.entries[1].milled = cycles.entries[2].milled = 1;
    const CTabColsDesc contour = made({{10, 20, 0, 0, 0, 21}});
    PROCESS_OPE ops[kMaxProcessOps];
    ASSERT_EQ(contour.readProcess("1", ops), 3);
    EXPECT_EQ(opeGet(ops[2], po::operationType), 12u);
    EXPECT_EQ(opeGet(ops[2], po::milledKind), kContour);
    EXPECT_EQ(opeGet(ops[2], po::cycle), 2u);                          // the second milled entry
    EXPECT_DOUBLE_EQ(opeGet(ops[2], po::toolDiam), 5);
    EXPECT_DOUBLE_EQ(ops[2].get<double>(po::hostBlock40 + 8), 1.25);   // a quarter of the tool
    EXPECT_DOUBLE_EQ(opeGet(ops[2], po::cylDiam), 10);
    EXPECT_DOUBLE_EQ(opeGet(ops[2], po::hostValue), 0);
    EXPECT_DOUBLE_EQ(opeGet(ops[1], po::zInf), -20);
    EXPECT_DOUBLE_EQ(opeGet(ops[1], po::lineValue20), 30);
    cycles = OP_CYCLE_LIST{};

    // Inch: S = 0.4, R = 0.04 (T = 0.001). Three steps of 0.3, the first two on the 0.04 grid (halves to
    // even); the last is tied to the diameter column, its stored value what the steps add up to.
    setUnitTolerances(false);
    EXPECT_EQ(process(made({{0.9, 1}}, "inch")),
              (std::vector<OP>{{2, 0.48, 0, 2}, {3, 0.32, 0, 0}, {3, 0.64, 0, 0}, {3, 0.94, 1, 2}}));
}

}  // namespace
