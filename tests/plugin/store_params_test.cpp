// The typed store's stored form, and its decoding of damaged payloads.
#include <gtest/gtest.h>

#include <random>

#include "plugin/base/byte_codec.h"
#include "plugin/base/store_params.h"

namespace {

std::uint32_t u32At(const std::vector<std::uint8_t>& p, std::size_t at) {
    ByteReader r(p.data() + at, 4);
    return r.get<std::uint32_t>();
}

TEST(StoreParams, AnEmptyStoreIsItsHeaderAlone) {
    CStoreParams s;
    s.init("DGPDd01");
    const auto payload = s.encode(1'700'000'000);
    ASSERT_EQ(payload.size(), 64u);
    EXPECT_EQ(u32At(payload, 0), 64u);
    EXPECT_EQ(u32At(payload, 4), 0u);
    EXPECT_EQ(u32At(payload, 8), 0u);
}

TEST(StoreParams, EntriesAreIndexedAndPackedInStoringOrder) {
    CStoreParams s;
    s.init("DGPDd01");
    s.setLong(4, 3, -7);
    s.setDouble(4, 16, 0.025);
    s.setString(7, 12, "abc");
    const auto payload = s.encode(0);
    ASSERT_EQ(payload.size(), 127u);
    EXPECT_EQ(u32At(payload, 4), 48u);
    EXPECT_EQ(u32At(payload, 8), 15u);
    EXPECT_EQ(u32At(payload, 64 + 8), 112u);
    EXPECT_EQ(u32At(payload, 80 + 8), 116u);
    EXPECT_EQ(u32At(payload, 96 + 8), 124u);

    CStoreParams back;
    back.init("DGPDd01");
    std::uint16_t unit = 9;
    ASSERT_TRUE(back.decode(payload, &unit, nullptr));
    std::int32_t i = 0;
    double d = 0;
    std::string t;
    EXPECT_EQ(back.getLong(4, 3, i, 0), 1);
    EXPECT_EQ(i, -7);
    EXPECT_EQ(back.getDouble(4, 16, d, 0), 1);
    EXPECT_DOUBLE_EQ(d, 0.025);
    EXPECT_EQ(back.getString(7, 12, t, ""), 1);
    EXPECT_EQ(t, "abc");
    EXPECT_EQ(unit, 0);
}

TEST(StoreParams, LookupsTakeTheFirstEntryOfTheirType) {
    CStoreParams s;
    s.init("X");
    s.setLong(1, 1, 10);
    s.setLong(1, 1, 20);
    s.setShort(1, 2, -2);
    s.setBool(1, 3, 200);
    s.setString(1, 4, "");
    std::int32_t v = 0;
    s.getLong(1, 1, v, 0);
    EXPECT_EQ(v, 10);
    std::string text = "x";
    EXPECT_EQ(s.getString(1, 1, text, "default"), 0);
    EXPECT_EQ(text, "default");
    std::int16_t sh = 0;
    s.getShort(1, 2, sh, 0);
    EXPECT_EQ(sh, -2);
    std::int32_t widened = 0;
    s.getLong(1, 3, widened, 0);
    EXPECT_EQ(widened, 200);   // 8-bit values are zero-extended
    EXPECT_EQ(s.getString(1, 4, text, "d"), 1);
    EXPECT_EQ(text, "");
}

TEST(StoreParams, ShortOrDamagedPayloadsLeaveTheStoreOrStopCleanly) {
    CStoreParams s;
    s.init("X");
    s.setLong(1, 1, 5);
    std::vector<std::uint8_t> shortPayload(40, 0);
    EXPECT_FALSE(s.decode(shortPayload, nullptr, nullptr));
    std::int32_t v = 0;
    EXPECT_EQ(s.getLong(1, 1, v, 0), 1);

    CStoreParams w;
    w.init("X");
    w.setString(1, 1, "hello");
    auto payload = w.encode(0);
    ByteWriter(payload).patch<std::uint32_t>(64 + 12, 0xFFFF);   // an entry claims more data than there is
    CStoreParams r;
    r.init("X");
    EXPECT_TRUE(r.decode(payload, nullptr, nullptr));
    std::string t;
    EXPECT_EQ(r.getString(1, 1, t, "none"), 0);

    // Random bytes never read outside the payload.
    std::mt19937 rng(7);
    for (int round = 0; round < 2000; ++round) {
        std::vector<std::uint8_t> junk(64 + rng() % 200);
        for (auto& b : junk) b = static_cast<std::uint8_t>(rng());
        if (rng() % 2) {
            ByteWriter fix(junk);
            fix.patch<std::uint32_t>(4, static_cast<std::uint32_t>((rng() % 8) * 16));
            fix.patch<std::uint32_t>(8, static_cast<std::uint32_t>(rng() % 64));
        }
        CStoreParams fuzz;
        fuzz.init("X");
        fuzz.decode(junk, nullptr, nullptr);
        std::string out;
        fuzz.getString(1, 1, out, "");
    }
}

}  // namespace
