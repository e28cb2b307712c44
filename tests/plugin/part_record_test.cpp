// Part records inside the host's database: replacing by tag, reading by tag and version, never losing the
// old record to a failed store, and the foreign colour table.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "host/api.h"
#include "plugin/base/globals.h"
#include "plugin/base/part_record.h"
#include "support/part_notes.h"
#include "support/plugin_fixture.h"

namespace {

using part_notes::noteTexts;

class PartRecordTest : public PluginFixture {
protected:
    static constexpr std::int32_t kLevel = 1000254;   // the features level
    void SetUp() override {
        PluginFixture::SetUp();
        load();
    }
    static void storeNote(const std::string& text) {
        ent e{};
        calc_note(&e, 1, p_3d{}, text);
        db_ptr entry = 0;
        char ok = 0;
        store_ent(&e, &entry, 0, main_color, main_level, main_attrib, &ok);
        ASSERT_EQ(ok, 1);
    }
};

TEST_F(PartRecordTest, ANewVersionReplacesEveryRecordOfItsTagAndLeavesOthersAlone) {
    writePartRecord(kLevel, "DRLUd63000000002", {1, 2});
    writePartRecord(kLevel, "DGPDd01000000001", {9});
    writePartRecord(kLevel, "DRLUd66000000003", {3, 4, 5});
    std::vector<std::uint8_t> payload{42};
    EXPECT_EQ(readPartRecord("DRLUd63", payload), 0);
    EXPECT_EQ(payload, std::vector<std::uint8_t>{42});   // left as it was
    EXPECT_EQ(readPartRecord("DRLUd66", payload), 3);
    EXPECT_EQ(payload, (std::vector<std::uint8_t>{3, 4, 5}));
    EXPECT_EQ(readPartRecord("DGPDd01", payload), 1);
    EXPECT_EQ(noteTexts().size(), 2u);
}

// A large record's text goes to the host a megabyte at a time and is kept packed: its text must be the one
// a small record's is made as, up to the last byte of every piece, before and after the part is saved.
TEST_F(PartRecordTest, EveryByteValueSurvivesASavedAndReopenedPart) {
    for (const std::size_t size : {std::size_t{512}, (std::size_t{1} << 20) + 1, std::size_t{3} << 20}) {
        SCOPED_TRACE(size);
        std::vector<std::uint8_t> payload(size);
        for (std::size_t i = 0; i < payload.size(); ++i) payload[i] = static_cast<std::uint8_t>(i * 7 + i / 4096);
        char header[32];
        std::snprintf(header, sizeof header, "DRLTd66%09zu", size);
        writePartRecord(kLevel, header, payload);
        const std::string file = dir.path() + "/part.pfp";
        ASSERT_TRUE(host::savePart(file).ok);   // before the text is read whole
        ASSERT_EQ(noteTexts().size(), 1u);
        EXPECT_EQ(noteTexts()[0], encodeRecordText(header, payload));
        host::reset();
        std::vector<std::uint8_t> back;
        EXPECT_EQ(readPartRecord("DRLTd66", back), 0);
        ASSERT_TRUE(host::openPart(file).ok);
        EXPECT_EQ(readPartRecord("DRLTd66", back), static_cast<long>(size));
        EXPECT_EQ(back, payload);
    }
}

// A record written as it is made is the record its payload makes; one whose payload is not the size its
// header says is not stored, and the record before it stays.
TEST_F(PartRecordTest, ARecordWrittenAsItIsMadeIsStoredOnlyWhole) {
    std::vector<std::uint8_t> payload(std::size_t{5} << 19);
    for (std::size_t i = 0; i < payload.size(); ++i) payload[i] = static_cast<std::uint8_t>(i * 13 + i / 977);
    const auto writeAll = [&](ByteWriter& out) {
        for (std::size_t at = 0; at < payload.size(); at += 1000)
            out.putBytes(payload.data() + at, std::min<std::size_t>(1000, payload.size() - at));
    };
    char header[32];
    std::snprintf(header, sizeof header, "DRLUd66%09zu", payload.size());
    EXPECT_EQ(writePartRecordWritten(kLevel, header, payload.size(), writeAll), 0);
    EXPECT_EQ(noteTexts(), std::vector<std::string>{encodeRecordText(header, payload)});

    EXPECT_EQ(writePartRecordWritten(kLevel, "DRLUd66000000002", 2, writeAll), 1);
    EXPECT_EQ(writePartRecordWritten(kLevel, header, payload.size(), [](ByteWriter& out) { out.put(std::uint8_t{1}); }), 1);
    std::vector<std::uint8_t> back;
    EXPECT_EQ(readPartRecord("DRLUd66", back), static_cast<long>(payload.size()));
    EXPECT_EQ(back, payload);
}

TEST_F(PartRecordTest, RecordsStayOutOfWhatTheUserSeesButOnTheFeaturesLevel) {
    writePartRecord(kLevel, "DREVddd000000001", {7});
    db_ptr at = db_start();
    ent e{};
    char found = 0;
    get_ent(at, 1, kEntNote, &e, &at, &found);
    EXPECT_EQ(found, 0);
    get_raw_ent(db_start(), 1, kEntNote, &e, &at, &found);
    ASSERT_EQ(found, 1);
    EXPECT_EQ(e.level, kLevel);
    EXPECT_TRUE(is_level_visible(kLevel));
}

TEST_F(PartRecordTest, AnEmptyPayloadIsStoredAndReadsAsAbsent) {
    writePartRecord(kLevel, "TSEQd05000000000", {});
    EXPECT_EQ(noteTexts(), std::vector<std::string>{"TSEQd05000000000"});
    std::vector<std::uint8_t> payload;
    EXPECT_EQ(readPartRecord("TSEQd05", payload), 0);
    EXPECT_TRUE(payload.empty());
}

TEST_F(PartRecordTest, ADamagedRecordReadsAsAbsent) {
    storeNote("DRLTd66000000009abab");
    std::vector<std::uint8_t> payload;
    EXPECT_EQ(readPartRecord("DRLTd66", payload), 0);
}

TEST_F(PartRecordTest, TheColourTableNoteIsFoundAmongOtherNotes) {
    storeNote("a plain note");
    storeNote("---VERTA Color Table---\nnumber rgb host\n17 255-128-0 5\n");
    std::vector<RGB_COLOR_NUM> table;
    EXPECT_EQ(readVertaColorTable(table), 3);
    ASSERT_EQ(table.size(), 1u);
    EXPECT_EQ(table[0].vertaNumber, 17);
    EXPECT_EQ(table[0].colorNumber, 4);
    std::vector<RGB_COLOR_NUM> none;
    host::reset();
    EXPECT_EQ(readVertaColorTable(none), 0);
}

}  // namespace
