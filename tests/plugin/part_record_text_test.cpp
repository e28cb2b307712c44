// The letter form of part records and the foreign colour-table note.
#include <gtest/gtest.h>

#include <random>

#include "plugin/base/part_record.h"

namespace {

TEST(PartRecordText, EveryByteValueRoundTrips) {
    std::vector<std::uint8_t> payload(256);
    for (int i = 0; i < 256; ++i) payload[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
    const std::string text = encodeRecordText("DRLUd66000000256", payload);
    EXPECT_EQ(text.substr(0, 16), "DRLUd66000000256");
    EXPECT_EQ(text.substr(16, 2), "aa");                    // 0x00
    EXPECT_EQ(text.substr(16 + 2 * 0x4A, 2), "ke");         // 0x4A: low nibble first
    EXPECT_EQ(text.substr(text.size() - 2), "pp");          // 0xFF
    std::vector<std::uint8_t> back;
    ASSERT_TRUE(decodeRecordText(text, back));
    EXPECT_EQ(back, payload);
}

TEST(PartRecordText, AnEmptyPayloadIsTheHeaderAlone) {
    const std::string text = encodeRecordText("DGPDd01000000000", {});
    EXPECT_EQ(text, "DGPDd01000000000");
    std::vector<std::uint8_t> back{1, 2};
    ASSERT_TRUE(decodeRecordText(text, back));
    EXPECT_TRUE(back.empty());
}

TEST(PartRecordText, TextsThatAreNoWholeRecordAreRefused) {
    std::vector<std::uint8_t> back;
    EXPECT_FALSE(decodeRecordText("DRLUd66", back));                    // shorter than a header
    EXPECT_FALSE(decodeRecordText("DRLUd6600000x003aabb", back));       // a count that is no number
    EXPECT_FALSE(decodeRecordText("DRLUd66000000003aabb", back));       // three bytes promised, two there
    EXPECT_FALSE(decodeRecordText("DRLUd66000000001aabb", back));       // one promised, two there
    EXPECT_FALSE(decodeRecordText("DRLUd66000000002aaqa", back));       // 'q' is no nibble
    EXPECT_FALSE(decodeRecordText("DRLUd66000000002aa`a", back));
    EXPECT_FALSE(decodeRecordText("DRLUd66000000002aab", back));        // half a byte over
    EXPECT_TRUE(back.empty());                                          // a refusal leaves the payload
    std::mt19937 rng(11);
    for (int round = 0; round < 3000; ++round) {
        std::string junk(rng() % 60, ' ');
        for (char& c : junk) c = static_cast<char>(rng());
        (void)decodeRecordText(junk, back);   // must neither crash nor read outside the text
    }
}

TEST(PartRecordText, ColourTableLines) {
    std::vector<RGB_COLOR_NUM> table;
    EXPECT_EQ(parseVertaColorTable("---VERTA Color Table---\nnum rgb host\n17 255-128-0 5\n3 1-2\n", table), 4);
    ASSERT_EQ(table.size(), 2u);
    EXPECT_EQ(table[0].vertaNumber, 17);
    EXPECT_EQ(table[0].red, 255);
    EXPECT_EQ(table[0].green, 128);
    EXPECT_EQ(table[0].blue, 0);
    EXPECT_EQ(table[0].colorNumber, 4);   // the note holds the host colour plus one
    EXPECT_EQ(table[1].green, 2);
    EXPECT_EQ(table[1].blue, 0);   // missing values are 0
    EXPECT_EQ(table[1].colorNumber, 255);   // a missing host word is 0: host colour 255, kept to 8 bits

    std::vector<RGB_COLOR_NUM> none;
    EXPECT_EQ(parseVertaColorTable("---VERTA Color Table---\nheader\n", none), 2);
    EXPECT_TRUE(none.empty());
    EXPECT_EQ(parseVertaColorTable("---VERTA Color Table---\nheader\n9 1-1-1 2", none), 2);
    EXPECT_EQ(none.size(), 1u);   // a last line without a line end is data too
}

}  // namespace
