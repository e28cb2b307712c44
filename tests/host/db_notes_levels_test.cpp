// Notes and their texts as part records use them (store, then delete with keep 1, and still read them),
// level visibility and lists, and the current colour, level and attribute globals of a new part.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/api.h"
#include "host/state.h"
#include "platform/ui/driver.h"
#include "support/fresh_part.h"
#include "support/temp_dir.h"

namespace {

class DbNotes : public FreshPart {
protected:
    // What a part record writer does: a note on a hidden level, stored, then taken out of the walks.
    static db_ptr writeRecord(const std::string& text, std::int32_t level) {
        ent e{};
        e.note.flags[0] = 1;
        EXPECT_EQ(calc_note(&e, 1, p_3d{}, text), 1);
        e.note.angle = 0;
        set_level_visible(level, 0);
        db_ptr entry = 0;
        char ok = 0;
        store_ent(&e, &entry, 0, main_color, level, main_attrib, &ok);
        EXPECT_EQ(ok, 1);
        EXPECT_EQ(delete_ent(entry, 0, 1, 1, nullptr, 0), 1);
        set_level_visible(level, 1);
        return entry;
    }

    // Every note text a raw walk over notes finds, as the record reader looks for them.
    static std::vector<std::string> rawNoteTexts() {
        std::vector<std::string> out;
        db_ptr p = db_start();
        char found = 0;
        ent e{};
        for (;;) {
            get_raw_ent(p, 1, kEntNote, &e, &p, &found);
            if (!found) break;
            out.emplace_back(mTableFindData(e.note.text));
        }
        return out;
    }

    static int visibleNotes() {
        int n = 0;
        db_ptr p = db_start();
        char found = 0;
        ent e{};
        for (get_ent(p, 1, kEntNote, &e, &p, &found); found; get_ent(p, 1, kEntNote, &e, &p, &found)) ++n;
        return n;
    }
};

TEST_F(DbNotes, StoredRecordDeletedWithKeepStaysReadableButLeavesTheWalkAPlainDeleteRemoves) {
    const std::string text = "DRLUd66000000003aabbcc";
    const db_ptr entry = writeRecord(text, 1000254);
    EXPECT_EQ(visibleNotes(), 0);
    EXPECT_EQ(rawNoteTexts(), std::vector<std::string>{text});
    ent e{};
    ASSERT_EQ(get_ent_from_eptr(entry, &e), 1);
    EXPECT_EQ(mTableFindData(e.note.text), text);
    EXPECT_TRUE(host::isKept(entry));
    EXPECT_EQ(host::entityCounts().kept, 1);

    // Replacing a record deletes the old note for good.
    ASSERT_EQ(delete_ent(entry, 0, 0, 1, nullptr, 0), 1);
    EXPECT_TRUE(rawNoteTexts().empty());
    EXPECT_EQ(get_ent_from_eptr(entry, &e), 0);
    EXPECT_STREQ(mTableFindData(e.note.text), "");
    EXPECT_EQ(host::entityCounts().total, 0);
}

TEST_F(DbNotes, RecordsOfDifferentTagsLiveSideBySide) {
    writeRecord("DRLUd66000000000", 1000254);
    const db_ptr t = writeRecord("DRLTd66000000000", 1000254);
    delete_ent(t, 0, 0, 0, nullptr, 0);
    EXPECT_EQ(rawNoteTexts(), std::vector<std::string>{"DRLUd66000000000"});
}

TEST_F(DbNotes, NoteTextsHoldAnyBytesAndAnyLength) {
    std::string all;
    for (int b = 1; b < 256; ++b) all.push_back(static_cast<char>(b));
    std::string big(3'000'016, 'k');
    ent e{};
    ASSERT_EQ(calc_note(&e, 3, p_3d{1, 2, 3}, all), 1);
    EXPECT_EQ(e.type, kEntNote);
    EXPECT_EQ(e.note.view, 3);
    EXPECT_EQ(e.note.pos.z, 3);
    EXPECT_GT(e.note.height, 0);
    EXPECT_EQ(std::string(mTableFindData(e.note.text)), all);

    std::string withZero("a\0b", 3);
    ent z{};
    calc_note(&z, 1, p_3d{}, withZero);
    EXPECT_EQ(host::noteText(z.note.text), withZero);

    ent g{};
    calc_note(&g, 1, p_3d{}, big, 2.5, 1.0);
    EXPECT_EQ(g.note.height, 2.5);
    EXPECT_EQ(g.note.width, 1.0);
    char ok = 0;
    store_ent(&g, nullptr, 0, 1, 1, main_attrib, &ok);
    ASSERT_EQ(ok, 1);
    EXPECT_EQ(host::noteText(g.note.text).size(), big.size());
}

// A note written in pieces is kept packed: its head reads without making it whole, its text reads whole,
// and a part holding it saves and opens again with the same text, in the packed format and the one before.
// A write that says its text is not whole makes nothing.
TEST_F(DbNotes, ANoteWrittenInPiecesReadsAndSavesAsAnyNote) {
    std::string text = "DRLUd66000400000";
    for (int i = 0; i < 800000; ++i) text += static_cast<char>('a' + (i * 7 + i / 5) % 16);
    const auto write = [&](const NOTE_PIECE& put) {
        for (std::size_t at = 0; at < text.size(); at += 65536) put(std::string_view(text).substr(at, 65536));
        return true;
    };
    ent none{};
    EXPECT_EQ(calc_note_written(&none, 1, p_3d{}, [](const NOTE_PIECE& put) { put("DRLU"); return false; }), 0);
    EXPECT_EQ(host::entityCounts().total, 0);

    TempDir dir;
    const std::string path = dir.path() + "/notes.pfp";
    for (int version : {host::kPartFormatVersion, 2}) {
        SCOPED_TRACE(version);
        host::newPart();
        ent e{};
        ASSERT_EQ(calc_note_written(&e, 1, p_3d{}, write), 1);
        EXPECT_EQ(mTableFindHead(e.note.text, 7), "DRLUd66");
        EXPECT_EQ(mTableFindHead(e.note.text, 100000), text.substr(0, 100000));
        char ok = 0;
        store_ent(&e, nullptr, 0, 1, 1, main_attrib, &ok);
        ASSERT_EQ(ok, 1);
        host::PartSaveOptions options;
        options.formatVersion = version;
        ASSERT_TRUE(host::savePart(path, options).ok);
        EXPECT_EQ(rawNoteTexts(), std::vector<std::string>{text});
        host::newPart();
        ASSERT_TRUE(host::openPart(path).ok);
        EXPECT_EQ(rawNoteTexts(), std::vector<std::string>{text});
    }
}

TEST_F(DbNotes, CopiedNoteRecordsGetTextsOfTheirOwn) {
    ent e{};
    calc_note(&e, 1, p_3d{}, "first");
    db_ptr a = 0, b = 0;
    char ok = 0;
    store_ent(&e, &a, 0, 1, 1, main_attrib, &ok);
    ent copy = e;
    store_ent(&copy, &b, 0, 1, 1, main_attrib, &ok);
    ASSERT_EQ(ok, 1);
    EXPECT_NE(copy.note.text, e.note.text);

    // Deleting one leaves the other's text; rewriting one with a new text frees only its old one.
    delete_ent(a, 0, 0, 0, nullptr, 0);
    EXPECT_STREQ(mTableFindData(copy.note.text), "first");
    const std::uint32_t oldText = copy.note.text;
    calc_note(&copy, 1, p_3d{}, "second");
    ASSERT_EQ(rewrite_ent(&copy, 0), 1);
    EXPECT_STREQ(mTableFindData(copy.note.text), "second");
    EXPECT_STREQ(mTableFindData(oldText), "");
}

TEST_F(DbNotes, NamedEntitiesAndLabelsKeepTheirFields) {
    ent named{};
    named.type = kEntNote;
    named.note.subKind = 2;
    named.note.name = "M8 THRU";
    named.note.view = 5;
    named.note.nodes = {{{1, 2, 3}, 0}, {{0, 0, 0}, 77}};
    ent label{};
    label.type = kEntDrafting;
    label.draft.subKind = 2;
    label.draft.text1 = "10H7";
    label.draft.text2 = "DEEP 12";
    label.draft.anchor = {4, 5, 6};
    label.draft.radius = 5;
    db_ptr n = 0, l = 0;
    char ok = 0;
    store_ent(&named, &n, 0, 1, 1, main_attrib, &ok);
    store_ent(&label, &l, 0, 1, 1, main_attrib, &ok);
    ent read{};
    ASSERT_EQ(get_ent_from_eptr(n, &read), 1);
    EXPECT_EQ(read.note.name, "M8 THRU");
    ASSERT_EQ(read.note.nodes.size(), 2u);
    EXPECT_EQ(read.note.nodes[1].pointRef, 77u);
    ASSERT_EQ(get_ent_from_eptr(l, &read), 1);
    EXPECT_EQ(read.draft.text2, "DEEP 12");
    EXPECT_EQ(read.draft.anchor.y, 5);
    const host::EntityCounts c = host::entityCounts();
    EXPECT_EQ(c.namedEntities, 1);
    EXPECT_EQ(c.drafting, 1);
    EXPECT_EQ(c.notes, 0);
}

TEST_F(DbNotes, LevelsAreVisibleUntilHiddenAndListedInOrder) {
    EXPECT_EQ(is_level_visible(123456), 1);
    auto store = [](std::int32_t level) {
        ent e{};
        e.type = kEntPoint;
        char ok = 0;
        store_ent(&e, nullptr, 0, 1, level, main_attrib, &ok);
    };
    store(30);
    store(2);
    store(30);
    set_level_visible(1000254, 0);
    set_level_visible(5, 1);
    set_levname(5, "Forms");

    std::vector<std::int32_t> levels;
    EXPECT_EQ(get_active_levels(&levels), 2);
    EXPECT_EQ(levels, (std::vector<std::int32_t>{2, 30}));
    EXPECT_EQ(get_visible_levels(&levels), 3);
    EXPECT_EQ(levels, (std::vector<std::int32_t>{2, 5, 30}));
    set_level_visible(30, 0);
    EXPECT_EQ(is_level_visible(30), 0);
    get_visible_levels(&levels);
    EXPECT_EQ(levels, (std::vector<std::int32_t>{2, 5}));
    EXPECT_STREQ(get_levname(5), "Forms");
    EXPECT_STREQ(get_levname(6), "");
    EXPECT_EQ(set_levname(6, std::string(300, 'x').c_str()), 1);
    EXPECT_EQ(std::string(get_levname(6)).size(), 254u);

    host::newPart();
    EXPECT_EQ(is_level_visible(30), 1);
    EXPECT_EQ(get_active_levels(&levels), 0);
    EXPECT_STREQ(get_levname(5), "");
}

TEST_F(DbNotes, NewPartGivesTheCurrentSettingsAndPaletteTheirFreshValues) {
    main_level = 77;
    main_color = 3;
    main_attrib = attr_block{2.0, 9, 9};
    select_color = 1;
    Wd_colors[12] = 0;
    host::newPart();
    EXPECT_EQ(main_level, 1);
    EXPECT_EQ(main_color, 10);
    EXPECT_EQ(main_attrib.tag, 1.0);
    EXPECT_EQ(select_color, 13);
    // The first sixteen colours are the host's base colours, red in the low byte.
    EXPECT_EQ(Wd_colors[12], 0x0000FFu);
    EXPECT_EQ(Wd_colors[6], 128u | (66u << 8));
    EXPECT_EQ(Wd_colors[15], 0xFFFFFFu);
}

}  // namespace
