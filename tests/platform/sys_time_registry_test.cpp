// Time texts, FILETIME conversion and the in-memory registry the host's install data is read from.
#include <gtest/gtest.h>

#include <clocale>

#include "platform/sys/registry.h"
#include "platform/sys/time_text.h"

namespace plat {
namespace {

constexpr std::int64_t kDec7th2026At1405 = 1796652300;  // 2026-12-07 14:05:00 UTC

TEST(TimeText, FormatsInTheCLocaleAndUtc) {
    EXPECT_EQ(formatTime(kDec7th2026At1405, "%B %d, %Y"), "December 07, 2026");
    EXPECT_EQ(formatTime(kDec7th2026At1405 + 59, "%H:%M:%S %a %b"), "14:05:59 Mon Dec");
    EXPECT_EQ(formatTime(0, "%Y-%m-%d %H:%M"), "1970-01-01 00:00");
    EXPECT_EQ(formatTime(kDec7th2026At1405, nullptr), "");
}

TEST(TimeText, DateTimeIsShortDateAnd24HourTimeWithoutSeconds) {
    EXPECT_EQ(formatDateTime(kDec7th2026At1405 + 59), "12/07/2026 14:05");
    EXPECT_EQ(formatDateTime(1798794420), "01/01/2027 09:07");  // zero-padded month, day, hour
}

TEST(TimeText, FileTimeRoundTripsWholeSeconds) {
    EXPECT_EQ(toFileTime(0), 116444736000000000ull);
    EXPECT_EQ(fromFileTime(116444736000000000ull), 0);
    EXPECT_EQ(fromFileTime(toFileTime(kDec7th2026At1405)), kDec7th2026At1405);
    EXPECT_EQ(fromFileTime(toFileTime(kDec7th2026At1405) + 9999999), kDec7th2026At1405) << "sub-second part dropped";
    EXPECT_EQ(fromFileTime(0), -11644473600);
}

class RegistryTest : public testing::Test {
protected:
    Registry reg;
    static constexpr const char* kProduct = "SOFTWARE\\Partforge Systems, Inc.\\Product 12";
};

TEST_F(RegistryTest, ValuesAreFoundIgnoringTheCaseOfKeysAndNames) {
    reg.setString(kProduct, "Directory", "C:\\Partforge\\");
    EXPECT_EQ(reg.queryString("software\\PARTFORGE SYSTEMS, INC.\\product 12", "directory"), "C:\\Partforge\\");
    EXPECT_EQ(reg.queryString(kProduct, "Directory"), "C:\\Partforge\\") << "the value itself keeps its bytes";
    EXPECT_FALSE(reg.queryString(kProduct, "Version"));
    EXPECT_FALSE(reg.queryString("SOFTWARE\\Other", "Directory"));
    EXPECT_FALSE(reg.queryString("SOFTWARE\\Partforge Systems, Inc.", "Directory")) << "values do not inherit";
}

TEST_F(RegistryTest, SettingAgainReplacesAndKeepsTheFirstSpelling) {
    reg.setString(kProduct, "Directory", "/old");
    reg.setString("SOFTWARE\\PARTFORGE SYSTEMS, INC.\\PRODUCT 12", "DIRECTORY", "/new");
    EXPECT_EQ(reg.queryString(kProduct, "Directory"), "/new");
    EXPECT_EQ(reg.enumSubKeys("SOFTWARE\\Partforge Systems, Inc."), std::vector<std::string>{"Product 12"});
}

TEST_F(RegistryTest, SubKeysAreDirectChildrenInListingOrder) {
    reg.setString("SOFTWARE\\Maker\\Product 9", "Directory", "/p9");
    reg.setString("SOFTWARE\\Maker\\product 10", "Directory", "/p10");
    reg.setString("SOFTWARE\\Maker\\Product 10\\Options", "Units", "mm");
    reg.setString("SOFTWARE\\Maker\\Product_X", "Directory", "/px");
    reg.setString("SOFTWARE\\Maker\\Beta", "Directory", "/b");
    EXPECT_EQ(reg.enumSubKeys("software\\maker"),
              (std::vector<std::string>{"Beta", "product 10", "Product 9", "Product_X"}));
    EXPECT_EQ(reg.enumSubKeys("SOFTWARE"), std::vector<std::string>{"Maker"});
    EXPECT_TRUE(reg.enumSubKeys("SOFTWARE\\Missing").empty());
    EXPECT_EQ(reg.queryString("SOFTWARE\\Maker\\PRODUCT 10\\options", "units"), "mm");
}

TEST_F(RegistryTest, KeysExistOnceCreatedAndClearEmptiesEverything) {
    EXPECT_TRUE(reg.keyExists(""));
    EXPECT_FALSE(reg.keyExists("SOFTWARE"));
    reg.setString(kProduct, "Directory", "/p");
    EXPECT_TRUE(reg.keyExists("SOFTWARE"));
    EXPECT_TRUE(reg.keyExists("\\SOFTWARE\\\\Partforge Systems, Inc.\\")) << "empty levels are ignored";
    EXPECT_FALSE(reg.keyExists("SOFTWARE\\Partforge"));
    reg.clear();
    EXPECT_FALSE(reg.keyExists("SOFTWARE"));
    EXPECT_TRUE(reg.enumSubKeys("").empty());
}

TEST(ProcessRegistry, IsOneInstance) {
    registry().setString("SOFTWARE\\RegistryTest", "Value", "1");
    EXPECT_EQ(&registry(), &registry());
    EXPECT_EQ(registry().queryString("software\\registrytest", "value"), "1");
    registry().clear();
}

}  // namespace
}  // namespace plat
