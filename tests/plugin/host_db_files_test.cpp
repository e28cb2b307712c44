// Named files kept in the part: chunking at the payload limit, opening for reading and writing, splines
// that are no chunks, damaged chunks left out with a message and nothing else lost, and files that survive
// saving and reopening the part.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "plugin/import/host_db_files.h"
#include "support/plugin_fixture.h"

namespace {

class HostDbFilesTest : public PluginFixture {
protected:
    void SetUp() override {
        PluginFixture::SetUp();
        load();
        ASSERT_EQ(g_globals->errorMessages.load(installDir + "/Tool.txt", "ErrorMessages", false), 0);
    }

    static std::vector<std::uint8_t> pattern(std::size_t size, unsigned seed) {
        std::vector<std::uint8_t> bytes(size);
        for (std::size_t k = 0; k < size; ++k) bytes[k] = static_cast<std::uint8_t>((k * 131 + seed) >> 3);
        return bytes;
    }
    static void writeFile(std::string_view name, const std::vector<std::uint8_t>& bytes) {
        const std::unique_ptr<CHostDBFile> file = openDbFile(name, 1);
        ASSERT_TRUE(file);
        EXPECT_EQ(file->writeVector(bytes), bytes.size());
    }
    static std::optional<std::vector<std::uint8_t>> readFile(std::string_view name) {
        const std::unique_ptr<CHostDBFile> file = openDbFile(name, 0);
        if (!file) return std::nullopt;
        std::vector<std::uint8_t> bytes;
        const std::size_t read = file->read(bytes);
        EXPECT_EQ(read, bytes.size());
        return bytes;
    }
    // The chunk splines of the part by file name, each as (index, payload length, data size), in
    // database order.
    struct CHUNK_SEEN {
        int index;
        std::uint32_t payload;
        std::size_t block;
        bool operator==(const CHUNK_SEEN&) const = default;
    };
    static std::map<std::string, std::vector<CHUNK_SEEN>> chunksInPart() {
        std::map<std::string, std::vector<CHUNK_SEEN>> out;
        for (const ent& e : host::allEntities()) {
            DBFILE_ENTRY header;
            if (parseDbChunkHeader(e, header) == DB_CHUNK_STATE::chunk)
                out[header.name].push_back({header.chunkIndex, header.payloadLength, e.spl.data.size()});
        }
        return out;
    }
    static db_ptr storeSpline(std::uint8_t kind, std::vector<std::uint8_t> data) {
        ent e{};
        e.type = kEntSpline;
        e.spl.kind = kind;
        e.spl.data = std::move(data);
        db_ptr at = 0;
        char ok = 0;
        store_ent(&e, &at, 0, 3, 7, main_attrib, &ok);
        EXPECT_EQ(ok, 1);
        return at;
    }
    static std::vector<std::uint8_t> chunkData(std::string_view name, int index, const std::vector<std::uint8_t>& payload) {
        DBFILE_ENTRY header;
        header.name = name;
        header.chunkIndex = static_cast<std::uint16_t>(index);
        return encodeDbChunk(header, payload);
    }
};

TEST_F(HostDbFilesTest, AFileLongerThanAChunkContinuesInTheNext) {
    const std::vector<std::uint8_t> bytes = pattern(262144 + 100, 1);
    writeFile("VERTATree", bytes);
    const std::size_t header = 16 + 9;   // "VERTATree" and the fixed fields
    const std::vector<CHUNK_SEEN> expected = {{0, 262144, (header + 262144 + 63) / 64 * 64},
                                              {1, 100, (header + 100 + 63) / 64 * 64}};
    EXPECT_EQ(chunksInPart()["VERTATree"], expected);
    EXPECT_EQ(readFile("VERTATree"), bytes);

    // Stored as the host's splines of kind 2 with the current colour, level and attributes.
    for (const ent& e : host::allEntities()) {
        EXPECT_EQ(e.type, kEntSpline);
        EXPECT_EQ(e.spl.kind, 2);
        EXPECT_EQ(e.spl.order, 4);
        EXPECT_EQ(e.spl.t0, 0.0);
        EXPECT_EQ(e.spl.t1, 1.0);
        EXPECT_EQ(e.spl.segments, 1);
        EXPECT_EQ(e.color, main_color);
        EXPECT_EQ(e.level, main_level);
        EXPECT_EQ(e.attrib.tag, main_attrib.tag);
    }

    // Written in pieces that straddle the chunk boundary, the same bytes land in the same chunks.
    const std::unique_ptr<CHostDBFile> file = openDbFile("VERTATree", 1);
    ASSERT_TRUE(file);
    for (std::size_t at = 0; at < bytes.size(); at += 100000)
        EXPECT_EQ(file->write(bytes.data() + at, std::min<std::size_t>(100000, bytes.size() - at)),
                  std::min<std::size_t>(100000, bytes.size() - at));
    EXPECT_EQ(chunksInPart()["VERTATree"], expected);
    EXPECT_EQ(readFile("VERTATree"), bytes);
    std::vector<std::uint8_t> none;
    EXPECT_EQ(file->read(none), 0u) << "a writer reads nothing";
}

TEST_F(HostDbFilesTest, OpeningSelectsByNameAndMode) {
    EXPECT_FALSE(openDbFile("VERTATree", 0)) << "no chunk of that name";
    writeFile("Other", pattern(10, 2));
    EXPECT_FALSE(openDbFile("VERTATree", 0));
    EXPECT_FALSE(openDbFile("Other", 2)) << "no such mode";
    EXPECT_FALSE(openDbFile("", 1));
    const std::unique_ptr<CHostDBFile> reader = openDbFile("Other", 0);
    ASSERT_TRUE(reader);
    const std::uint8_t byte = 1;
    EXPECT_EQ(reader->write(&byte, 1), 0u) << "a reader writes nothing";
    std::vector<std::uint8_t> bytes;
    EXPECT_EQ(reader->read(bytes), 10u);
    EXPECT_EQ(reader->read(bytes), 0u) << "read to the end already";
    EXPECT_EQ(chunksInPart().size(), 1u);
}

TEST_F(HostDbFilesTest, OpeningForWritingRemovesEveryOlderChunk) {
    writeFile("VERTATree", pattern(3 * 262144 + 5, 3));
    writeFile("Other", pattern(70, 4));
    // A stray chunk of the file at an index past its end, and a second chunk 0, go too.
    storeSpline(2, chunkData("VERTATree", 9, pattern(20, 5)));
    storeSpline(2, chunkData("VERTATree", 0, pattern(20, 6)));
    EXPECT_EQ(chunksInPart()["VERTATree"].size(), 6u);
    script().answer(plat::IDOK);   // the second chunk 0 is told of

    writeFile("VERTATree", pattern(30, 7));
    const auto chunks = chunksInPart();
    EXPECT_EQ(chunks.at("VERTATree"), (std::vector<CHUNK_SEEN>{{0, 30, 64}}));
    EXPECT_EQ(chunks.at("Other"), (std::vector<CHUNK_SEEN>{{0, 70, 128}}));
    EXPECT_EQ(readFile("VERTATree"), pattern(30, 7));
    EXPECT_EQ(readFile("Other"), pattern(70, 4));
    expectScriptPlayed();
}

TEST_F(HostDbFilesTest, OnlySplinesOfTheChunkKindWithTheSignatureAreChunks) {
    std::vector<std::uint8_t> unsigned_ = chunkData("VERTATree", 0, pattern(10, 8));
    unsigned_[0] ^= 0xFF;
    const db_ptr plain = storeSpline(2, unsigned_);
    const db_ptr otherKind = storeSpline(3, chunkData("VERTATree", 0, pattern(10, 8)));
    const db_ptr shortData = storeSpline(2, {0xB4, 0xC9, 0x3F});
    EXPECT_FALSE(openDbFile("VERTATree", 0));
    EXPECT_TRUE(g_dbFiles->empty());

    writeFile("VERTATree", pattern(5, 9));
    EXPECT_EQ(readFile("VERTATree"), pattern(5, 9));
    ent e{};
    for (db_ptr kept : {plain, otherKind, shortData}) EXPECT_EQ(get_ent_from_eptr(kept, &e), 1) << "not deleted";
    EXPECT_EQ(count("msgbox"), 0) << "no damage to tell";
}

TEST_F(HostDbFilesTest, FilesSurviveSavingAndReopeningThePart) {
    const std::vector<std::uint8_t> tree = pattern(262144 + 4000, 10), small = pattern(1, 11);
    writeFile("VERTATree", tree);
    writeFile("small", small);
    reopenPart();
    EXPECT_EQ(readFile("VERTATree"), tree);
    EXPECT_EQ(readFile("small"), small);
    EXPECT_EQ(chunksInPart()["VERTATree"].size(), 2u);
}

// Each damage: what is done to chunk 1 of the three chunks of "VERTATree".
TEST_F(HostDbFilesTest, ADamagedChunkIsLeftOutWithAMessageAndNothingElseIsLost) {
    struct Case {
        const char* what;
        void (*damage)(std::vector<std::uint8_t>& data);
    };
    const Case cases[] = {
        {"block cut short of the payload", [](std::vector<std::uint8_t>& d) { d.resize(25 + 1000); }},
        {"payload above the limit", [](std::vector<std::uint8_t>& d) { d[9] = 0x10; }},
        {"header length off", [](std::vector<std::uint8_t>& d) { d[8] += 1; }},
        {"name without its end", [](std::vector<std::uint8_t>& d) { d.resize(15 + 9); }},
        {"cut short in the header", [](std::vector<std::uint8_t>& d) { d.resize(10); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        host::reset();
        plat::driver().transcript().clear();
        const std::vector<std::uint8_t> bytes = pattern(2 * 262144 + 50, 12);
        writeFile("VERTATree", bytes);
        writeFile("Other", pattern(40, 13));
        const db_ptr chunk1 = findDbChunk("VERTATree", 1)->entity;
        ent e{};
        ASSERT_EQ(get_ent_from_eptr(chunk1, &e), 1);
        c.damage(e.spl.data);
        ASSERT_EQ(rewrite_ent(&e, 0), 1);
        const int entities = host::entityCounts().total;
        script().answer(plat::IDOK).answer(plat::IDOK);

        // The file reads up to the damaged chunk; the other file whole; the message names the piece.
        const auto read = readFile("VERTATree");
        ASSERT_TRUE(read);
        EXPECT_EQ(*read, std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 262144));
        EXPECT_EQ(findDbChunk("VERTATree", 1), nullptr);
        ASSERT_TRUE(findDbChunk("VERTATree", 2));
        EXPECT_EQ(readFile("Other"), pattern(40, 13));
        EXPECT_EQ(count("msgbox"), 2) << "one per scan";
        EXPECT_EQ(count("msgbox owner=- type=OK|ICONWARNING caption=\"Forantix\" text=\"Pieces of the files kept in "
                        "this part are damaged; they are left out:\\n"),
                  2);
        const bool named = e.spl.data.size() > 15 + 9;
        if (named) {
            EXPECT_EQ(count("damaged; they are left out:\\nVERTATree, piece 1\""), 2);
        }
        EXPECT_EQ(host::entityCounts().total, entities) << "reading deletes nothing";
        expectScriptPlayed();

        // Writing the file again replaces the damaged chunk with the rest, when its name says whose it is;
        // one without its name stays, and is told of at every open.
        const bool unnamed = !named;
        script().answer(plat::IDOK);
        if (unnamed) script().answer(plat::IDOK).answer(plat::IDOK);
        writeFile("VERTATree", pattern(10, 14));
        EXPECT_EQ(get_ent_from_eptr(chunk1, &e), named ? 0 : 1);
        EXPECT_EQ(readFile("VERTATree"), pattern(10, 14));
        EXPECT_EQ(readFile("Other"), pattern(40, 13));
        expectScriptPlayed();
    }
}

TEST_F(HostDbFilesTest, ASecondChunkOfOneIndexIsLeftOut) {
    writeFile("VERTATree", pattern(100, 15));
    storeSpline(2, chunkData("VERTATree", 0, pattern(50, 16)));
    script().answer(plat::IDOK);
    EXPECT_EQ(readFile("VERTATree"), pattern(100, 15)) << "the first chunk stored stays";
    EXPECT_EQ(count("left out:\\nVERTATree, piece 0\""), 1);
    expectScriptPlayed();
}

TEST_F(HostDbFilesTest, AChunkWhoseEntityWentIsNeitherReadNorWritten) {
    writeFile("VERTATree", pattern(100, 17));
    const std::unique_ptr<CHostDBFile> reader = openDbFile("VERTATree", 0);
    ASSERT_TRUE(reader);
    DBFILE_ENTRY chunk = *findDbChunk("VERTATree", 0);
    ASSERT_EQ(delete_ent(chunk.entity, 0, 0, 0, nullptr, 0), 1);
    std::vector<std::uint8_t> bytes;
    EXPECT_FALSE(readDbChunk(chunk, bytes));
    EXPECT_FALSE(writeDbChunk(chunk, pattern(5, 18)));
    EXPECT_EQ(reader->read(bytes), 0u);
    EXPECT_EQ(host::entityCounts().total, 0);
}

}  // namespace
