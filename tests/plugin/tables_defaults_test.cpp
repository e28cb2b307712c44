// The host's operation defaults taken into operation definitions: which blocks each milled kind takes from
// the host's record, and what is set after the copy.
#include <gtest/gtest.h>

#include <cstring>
#include <numbers>

#include "host/api.h"
#include "plugin/tables/host_blocks.h"
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
