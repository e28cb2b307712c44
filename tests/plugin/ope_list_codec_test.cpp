// The stored images of a hole's operation and description items: the named fields at the offsets parts
// already hold them at, every byte through a round trip, shorter images from earlier releases and oversize ones.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "plugin/model/ope_list.h"

namespace {

template <class T, std::size_t N>
T at(const std::array<std::uint8_t, N>& image, std::size_t offset) {
    T value{};
    EXPECT_LE(offset + sizeof(T), N);
    if (offset + sizeof(T) <= N) std::memcpy(&value, image.data() + offset, sizeof(T));
    return value;
}

template <std::size_t N>
std::string textAt(const std::array<std::uint8_t, N>& image, std::size_t offset) {
    return std::string(reinterpret_cast<const char*>(image.data() + offset));
}

std::uint32_t noLinks(const void*) { return 0; }

// ---- the description item -------------------------------------------------------------------------------

TEST(CilDescImage, FieldsSitAtTheirOffsets) {
    CIL_DESC d;
    d.opeGeo = 2;
    d.D = 12.5;
    d.zTop = -1;
    d.zBottom = -31;
    d.coneAngle = 0.25;
    d.L = 30;
    d.L2 = 29;
    d.reserved50[7] = 0x57;
    d.Flat = 1;
    d.TipTool = 2;
    d.Through = 3;
    d.reserved61[1] = 0x3E;
    d.flatInnerDiameter = 4.5;
    d.flipped = 1;
    d.tipAngle = 2.0625;
    d.threadCode = -1001;
    d.threadDiameter = 16;
    d.threadPitch = 1.5;
    d.threadDepth = 22;
    d.topChamfer = 1;
    d.chamferDiameter = 14;
    d.chamferZ = -2;
    d.chamferAngle = 0.75;
    d.bottomRound = 3;
    d.bottomRoundCentreR = 3.25;
    d.bottomRoundCentreZ = -28;
    d.bottomArcStart = -1.5;
    d.bottomArcSweep = -1.25;
    d.bottomArcEnds[0] = -28.5;
    d.bottomArcEnds[3] = 6.25;
    d.bottomRing = 1;
    d.bottomRingDiameter = 9;
    d.bottomRingZ = -30;
    d.topRound = 1;
    d.topRoundTorus[0] = 0.5;
    d.topRoundTorus[2] = -0.5;
    d.topRoundStart = 1.75;
    d.topRoundSweep = 1.375;
    setFieldText(d.threadName, "M16x1.5");
    d.entityId = 0xA1B2C3D4;
    setFieldText(d.fitName, "H7");
    d.carried = 329;
    d.threadKind = -331;

    const auto image = cilDescImage(d);
    static_assert(image.size() == 333);
    EXPECT_EQ(at<std::int16_t>(image, 0), 2);
    EXPECT_EQ(at<double>(image, 2), 12.5);
    EXPECT_EQ(at<double>(image, 10), -1);
    EXPECT_EQ(at<double>(image, 18), -31);
    EXPECT_EQ(at<double>(image, 26), 0.25);
    EXPECT_EQ(at<double>(image, 34), 30);
    EXPECT_EQ(at<double>(image, 42), 29);
    EXPECT_EQ(image[57], 0x57);
    EXPECT_EQ(image[58], 1);
    EXPECT_EQ(image[59], 2);
    EXPECT_EQ(image[60], 3);
    EXPECT_EQ(image[62], 0x3E);
    EXPECT_EQ(at<double>(image, 63), 4.5);
    EXPECT_EQ(image[71], 1);
    EXPECT_EQ(at<double>(image, 72), 2.0625);
    EXPECT_EQ(at<std::int16_t>(image, 80), -1001);
    EXPECT_EQ(at<double>(image, 82), 16);
    EXPECT_EQ(at<double>(image, 90), 1.5);
    EXPECT_EQ(at<double>(image, 98), 22);
    EXPECT_EQ(image[106], 1);
    EXPECT_EQ(at<double>(image, 107), 14);
    EXPECT_EQ(at<double>(image, 115), -2);
    EXPECT_EQ(at<double>(image, 123), 0.75);
    EXPECT_EQ(at<double>(image, 131), 3);
    EXPECT_EQ(at<double>(image, 139), 3.25);
    EXPECT_EQ(at<double>(image, 147), -28);
    EXPECT_EQ(at<double>(image, 155), -1.5);
    EXPECT_EQ(at<double>(image, 163), -1.25);
    EXPECT_EQ(at<double>(image, 171), -28.5);
    EXPECT_EQ(at<double>(image, 195), 6.25);
    EXPECT_EQ(image[203], 1);
    EXPECT_EQ(at<double>(image, 204), 9);
    EXPECT_EQ(at<double>(image, 212), -30);
    EXPECT_EQ(image[220], 1);
    EXPECT_EQ(at<double>(image, 221), 0.5);
    EXPECT_EQ(at<double>(image, 237), -0.5);
    EXPECT_EQ(at<double>(image, 245), 1.75);
    EXPECT_EQ(at<double>(image, 253), 1.375);
    EXPECT_EQ(textAt(image, 261), "M16x1.5");
    EXPECT_EQ(at<std::uint32_t>(image, 293), 0xA1B2C3D4u);
    EXPECT_EQ(textAt(image, 297), "H7");
    EXPECT_EQ(at<std::int16_t>(image, 329), 329);
    EXPECT_EQ(at<std::int16_t>(image, 331), -331);
}

TEST(CilDescImage, EveryByteComesBackAndAShortImageLeavesTheTailZero) {
    std::mt19937 rng(333);
    for (int round = 0; round < 50; ++round) {
        std::array<std::uint8_t, CIL_DESC::kSize> image{};
        for (auto& b : image) b = static_cast<std::uint8_t>(rng());
        CIL_DESC d;
        ASSERT_TRUE(cilDescFromImage(image.data(), image.size(), d));
        EXPECT_EQ(cilDescImage(d), image) << round;
    }
    std::array<std::uint8_t, CIL_DESC::kSize> image{};
    image.fill(0xC5);
    CIL_DESC d;
    ASSERT_TRUE(cilDescFromImage(image.data(), 100, d));   // ends inside chamferDiameter
    const auto back = cilDescImage(d);
    for (std::size_t i = 0; i < CIL_DESC::kSize; ++i) EXPECT_EQ(back[i], i < 100 ? 0xC5 : 0) << i;
    EXPECT_EQ(d.threadPitch, at<double>(image, 90));
    EXPECT_EQ(d.chamferZ, 0);
    EXPECT_EQ(fieldText(d.fitName), "");

    std::array<std::uint8_t, CIL_DESC::kSize + 1> big{};
    d.D = 7;
    EXPECT_FALSE(cilDescFromImage(big.data(), big.size(), d));
    EXPECT_EQ(d.D, 7);   // untouched
}

// A text without its zero (a damaged part) keeps its 32 characters and takes nothing of the next field.
TEST(CilDescImage, ATextFilledToTheEndReadsNoFurther) {
    std::array<std::uint8_t, CIL_DESC::kSize> image{};
    std::memset(image.data() + 261, 'T', 32);   // threadName, no zero; entityId follows
    std::memset(image.data() + 293, 'E', 4);
    CIL_DESC d;
    ASSERT_TRUE(cilDescFromImage(image.data(), image.size(), d));
    EXPECT_EQ(fieldText(d.threadName), std::string(32, 'T'));
}

// ---- the operation ---------------------------------------------------------------------------------------

TEST(OpeListImage, TheToolFieldsAndTheDisplayRequestSitAtTheirOffsets) {
    OPE_LIST o;
    o.cornerRadius = 0.4;
    o.showOnFill = 1;
    o.area398[2] = 0x9E;
    o.toolLength = 85;
    o.material = 2;
    o.neededLength = 41.5;
    o.wantedLength = 60;
    o.longTool = 1;
    o.toolInLibrary = 1;
    o.holeRow = 3;
    o.layer = -2;
    o.pointCount = 17;
    o.toolNumber = -5;
    o.groupId = 0x0BADF00D;
    o.toolExpanded = 1;
    o.area808[7] = 0xEF;

    const auto image = opeImage(o, noLinks);
    static_assert(image.size() == 816);
    EXPECT_EQ(at<double>(image, 389), 0.4);
    EXPECT_EQ(image[397], 1);
    EXPECT_EQ(image[400], 0x9E);
    EXPECT_EQ(at<double>(image, 759), 85);
    EXPECT_EQ(at<std::int16_t>(image, 767), 2);
    EXPECT_EQ(at<double>(image, 769), 41.5);
    EXPECT_EQ(at<double>(image, 777), 60);
    EXPECT_EQ(image[785], 1);
    EXPECT_EQ(image[786], 1);
    EXPECT_EQ(at<std::int32_t>(image, 787), 3);
    EXPECT_EQ(at<std::int32_t>(image, 791), -2);
    EXPECT_EQ(at<std::int32_t>(image, 795), 17);
    EXPECT_EQ(at<std::int32_t>(image, 799), -5);
    EXPECT_EQ(at<std::int32_t>(image, 803), 0x0BADF00D);
    EXPECT_EQ(image[807], 1);
    EXPECT_EQ(image[815], 0xEF);
}

TEST(OpeListImage, EveryByteButTheLinksComesBack) {
    constexpr std::size_t kLinks[] = {333, 401, 405, 409, 464};
    std::mt19937 rng(816);
    for (int round = 0; round < 50; ++round) {
        std::array<std::uint8_t, OPE_LIST::kSize> image{};
        for (auto& b : image) b = static_cast<std::uint8_t>(rng());
        for (std::size_t link : kLinks) std::memset(image.data() + link, 0, 4);
        OPE_LIST o;
        ASSERT_TRUE(opeFromImage(image.data(), image.size(), o));
        EXPECT_EQ(opeImage(o, noLinks), image) << round;
    }
}

}  // namespace
