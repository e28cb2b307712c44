// The files stations share (password, flags, index, state) and the synchronisation of a station's tables
// with the shared library: what lands in the local and shared folders and what the user is told.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>

#include "platform/sys/clock.h"
#include "platform/sys/files.h"
#include "platform/sys/paths.h"
#include "platform/sys/process.h"
#include "plugin/base/settings.h"
#include "plugin/model/tab_cols_desc.h"
#include "plugin/settings/shared_data.h"
#include "plugin/services/tables.h"
#include "plugin/base/resource_switch.h"
#include "plugin/settings/shared_library.h"
#include "support/tables_fixture.h"

namespace {

class SharedLibraryTest : public TablesFixture {
protected:
    void SetUp() override {
        TablesFixture::SetUp();
        sharedRoot = dir.path() + "/shared";
        localForms = dir.path() + "/station/FORMS_MM";
        ASSERT_TRUE(plat::createDirectories(sharedRoot + "/FORMS_MM/Lib"));
        ASSERT_TRUE(plat::createDirectories(localForms + "/Lib"));
        station(localForms, 0);
    }
    void station(const std::string& forms, int readWrite) {
        g_globals->sharedDir = sharedRoot;
        g_globals->sharedFormsDir = sharedRoot + "/FORMS_MM";
        g_globals->formsDir = forms;
        g_globals->libraryName = "Lib";
        g_globals->sharedDataOn = 1;
        g_globals->sharedAccessMode = static_cast<std::int16_t>(readWrite);
        // A read-write station holds the running flag: only the station it names publishes.
        if (readWrite != 0) (void)claimRunningFlag(sharedRoot, g_globals->pluginDir);
    }
    std::string sharedLib() const { return sharedRoot + "/FORMS_MM/Lib"; }
    std::string localLib() const { return localForms + "/Lib"; }
    // A table (".tab" and ".txt") whose files say `content`, both written at `seconds`: a table file that reads,
    // its first heading saying it (tabOf) through a publisher's rewrite, and a rows file whose row ends, as one
    // that is not cut does.
    static void putTable(const std::string& lib, const std::string& title, const std::string& content,
                         std::int64_t seconds) {
        std::string tab = referenceTableText({});
        tab.replace(tab.find("Thread"), 6, content + ".tab");
        for (const std::string ext : {".tab", ".txt"}) {
            const std::string path = lib + "/" + title + ext;
            ASSERT_TRUE(plat::writeFile(path, ext == ".tab" ? tab : content + ext + "\r\n"));
            ASSERT_TRUE(plat::setLastWriteTime(path, seconds));
        }
    }
    // What a table file put by putTable says.
    static std::string tabOf(const std::string& lib, const std::string& title) {
        const auto text = plat::readFile(lib + "/" + title + ".tab");
        if (!text) return "<missing>";
        const std::size_t from = text->find("[Item 1] 0 1 \"") + 14;
        return text->substr(from, text->find('"', from) - from);
    }
    // A table the publisher can read (it stamps each with the time of the newest), its rows telling it apart.
    static void putReadableTable(const std::string& lib, const std::string& title, const std::string& rows,
                                 std::int64_t seconds) {
        ASSERT_TRUE(plat::writeFile(lib + "/" + title + ".tab", referenceTableText({})));
        ASSERT_TRUE(plat::writeFile(lib + "/" + title + ".txt", rows + ".txt\r\n"));
        ASSERT_TRUE(plat::setLastWriteTime(lib + "/" + title + ".tab", seconds));
    }
    // The rows file's text without its line end.
    std::string contentOf(const std::string& lib, const std::string& title) {
        std::string rows = plat::readFile(lib + "/" + title + ".txt").value_or("<missing>");
        if (rows.ends_with("\r\n")) rows.resize(rows.size() - 2);
        return rows;
    }
    std::vector<std::string> indexNames() {
        CSharedFolder shared(sharedRoot);
        shared.readIndexFile("Lib");
        std::vector<std::string> names;
        for (const SHARED_FILE_ENTRY& e : shared.indexEntries) names.push_back(e.name);
        return names;
    }
    void setSharedBusy(std::uint8_t busy) {
        CSharedFolder shared(sharedRoot);
        shared.readShBlock("Lib", g_globals->sharedFormsDir);
        shared.shBlock[0] = busy;
        shared.writeShBlock();
    }

    std::string transcriptText() {
        std::string text;
        for (const std::string& line : transcript().lines()) text += line + "\n";
        return text;
    }

    std::string sharedRoot, localForms;
};

// ---- password ----------------------------------------------------------------------------------------------------

TEST_F(SharedLibraryTest, PasswordsUpToSixCharactersSurviveTheFileAtAnyMoment) {
    const struct {
        const char* password;
        std::int64_t now;
    } cases[] = {{"", 1700000000}, {"a", 1700000059}, {"Ab", 1700003599}, {"x9Z", 1700001234},
                 {"\xE9t\xE9s", 1700000001}, {"Pass5", 1700002222}, {"S3cr~t", 1700000000 + 59 * 60 + 59}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.password);
        plat::setNowSeconds(c.now);
        CSharedFolder writer(sharedRoot);
        writer.readPasswordFile();
        ASSERT_EQ(writer.setPassword(c.password), 0);
        writer.writePasswordFile();
        CSharedFolder reader(sharedRoot);
        reader.readPasswordFile();
        EXPECT_EQ(reader.passwordInForce(), c.password);
        EXPECT_TRUE(reader.passwordMatches(c.password));
        EXPECT_FALSE(reader.passwordMatches(std::string(c.password) + "x"));
        EXPECT_EQ(plat::readFile(sharedRoot + "/Shared.Dat")->size(), kPasswordBlockSize);
    }
    plat::setNowSeconds(0);
}

TEST_F(SharedLibraryTest, WithoutThePasswordFileOnlyTheDefaultPasswordIsAccepted) {
    CSharedFolder shared(sharedRoot);
    shared.readPasswordFile();
    EXPECT_TRUE(shared.passwordMatches("quolberdant"));
    EXPECT_FALSE(shared.passwordMatches("Quolberdant"));
    EXPECT_FALSE(shared.passwordMatches(""));
    EXPECT_FALSE(plat::fileExists(sharedRoot + "/Shared.Dat"));   // the default is never written
}

TEST_F(SharedLibraryTest, APasswordLongerThanTheBlockHoldsIsRefusedAndTheOldOneKept) {
    CSharedFolder shared(sharedRoot);
    shared.readPasswordFile();
    ASSERT_EQ(shared.setPassword("abc"), 0);
    shared.writePasswordFile();
    EXPECT_EQ(shared.setPassword("sevench"), -1);
    shared.writePasswordFile();
    CSharedFolder reader(sharedRoot);
    reader.readPasswordFile();
    EXPECT_EQ(reader.passwordInForce(), "abc");
}

TEST_F(SharedLibraryTest, ADamagedPasswordBlockDecodesToAtMostSixCharacters) {
    float block[8] = {10.0f, 1000.0f, 20 * 65.0f, 20 * 66.0f, 20 * 67.0f, 20 * 68.0f, 20 * 69.0f, 20 * 70.0f};
    std::uint8_t bytes[32];
    std::memcpy(bytes, block, 32);
    std::string text;
    EXPECT_EQ(CSharedFolder::decodePassword(bytes, &text), 6);
    EXPECT_EQ(text, "ABCDEF");
    block[0] = 0;   // no key
    std::memcpy(bytes, block, 32);
    EXPECT_EQ(CSharedFolder::decodePassword(bytes, &text), 0);
    EXPECT_EQ(text, "");
}

// ---- flags, index, state -------------------------------------------------------------------------------------------

TEST_F(SharedLibraryTest, FlagFilesAreCreatedTestedAndRemoved) {
    CSharedFolder shared(sharedRoot);
    for (auto flag : {&CSharedFolder::runningFlag, &CSharedFolder::requestFlag}) {
        EXPECT_EQ((shared.*flag)(2), 0);
        EXPECT_EQ((shared.*flag)(0), 0);
        EXPECT_EQ((shared.*flag)(2), 1);
        EXPECT_EQ((shared.*flag)(1), 0);
        EXPECT_EQ((shared.*flag)(2), 0);
    }
    EXPECT_EQ(CSharedFolder(dir.path() + "/nowhere").requestFlag(0), 1);
}

TEST_F(SharedLibraryTest, AnIndexOfThreeWrittenOverOneOfFiveReadsBackThree) {
    CSharedFolder shared(sharedRoot);
    for (int i = 0; i < 5; ++i) shared.appendNewEntry({"Table" + std::to_string(i), fileTimeOfSeconds(1000 + i)});
    shared.writeIndexFile("Lib");
    shared.clearNewEntries();
    for (int i = 0; i < 3; ++i) shared.appendNewEntry({"New" + std::to_string(i), fileTimeOfSeconds(2000 + i)});
    shared.writeIndexFile("Lib");
    shared.readIndexFile("Lib");
    ASSERT_EQ(shared.indexEntries.size(), 3u);
    std::int64_t seconds = 0;
    EXPECT_EQ(shared.findIndexTime("new2", &seconds), 3);   // names compared without case
    EXPECT_EQ(seconds, 2002);
    seconds = -1;
    EXPECT_EQ(shared.findIndexTime("Table0", &seconds), 0);
    EXPECT_EQ(seconds, -1);
}

// The index as other stations write it: a 12-byte head with the 16-bit count, then per table 256 bytes of
// its zero-filled title and its FILETIME ticks (low, high 32 bits) in a 268-byte entry.
TEST_F(SharedLibraryTest, TheIndexFileKeepsItsByteLayout) {
    const std::string bytes = encodeIndexFile({{"Drilled", 0x0102030405060708ull}, {"T2", 9}});
    std::string expected(12 + 2 * 268, '\0');
    expected[0] = 2;
    expected.replace(12, 7, "Drilled");
    expected.replace(12 + 256, 8, "\x08\x07\x06\x05\x04\x03\x02\x01");
    expected.replace(12 + 268, 2, "T2");
    expected[12 + 268 + 256] = 9;
    EXPECT_EQ(bytes, expected);
    const std::vector<SHARED_FILE_ENTRY> back = decodeIndexFile(expected);
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[0].name, "Drilled");
    EXPECT_EQ(back[0].lastWrite, 0x0102030405060708ull);
    EXPECT_EQ(back[1].name, "T2");
    EXPECT_EQ(back[1].lastWrite, 9u);
}

TEST_F(SharedLibraryTest, AnIndexCountBeyondTheFileIsBoundedByItsSize) {
    std::string bytes = encodeIndexFile({{"A", 1}, {"B", 2}});
    const std::uint16_t count = 500;
    std::memcpy(bytes.data(), &count, 2);
    EXPECT_EQ(decodeIndexFile(bytes).size(), 2u);
    EXPECT_EQ(decodeIndexFile(bytes.substr(0, bytes.size() - 1)).size(), 1u);
    EXPECT_TRUE(decodeIndexFile(bytes.substr(0, 11)).empty());
    ASSERT_TRUE(plat::writeFile(localForms + "/Lib.dt", bytes));
    EXPECT_EQ(indexNames(), (std::vector<std::string>{"A", "B"}));
}

TEST_F(SharedLibraryTest, TheStateBlockIsZeroUntilWrittenAndKeepsItsOtherBytes) {
    CSharedFolder shared(sharedRoot);
    shared.readShBlock("Lib");
    EXPECT_EQ(std::count(shared.shBlock.begin(), shared.shBlock.end(), 0), static_cast<long>(kShBlockSize));
    shared.shBlock[0] = 1;
    shared.shBlock[2049] = 7;
    shared.writeShBlock();
    CSharedFolder again(sharedRoot);
    again.readShBlock("Lib");
    EXPECT_EQ(again.shBlock[0], 1);
    EXPECT_EQ(again.shBlock[2049], 7);
    EXPECT_EQ(plat::readFile(localForms + "/Lib.sh")->size(), kShBlockSize);
}

// ---- folders ---------------------------------------------------------------------------------------------------------

TEST_F(SharedLibraryTest, SubFoldersAreListedWithoutHiddenOnesAndTheLibraryFoundWithoutCase) {
    const std::string forms = dir.path() + "/listing";
    std::vector<std::string> names{"stale"};
    EXPECT_EQ(listSubFolders(forms, "Lib", &names), -1);
    EXPECT_TRUE(names.empty());
    ASSERT_TRUE(plat::createDirectories(forms + "/.backup"));
    ASSERT_TRUE(plat::writeFile(forms + "/file.tab", "x"));
    EXPECT_EQ(listSubFolders(forms, "Lib", &names), -2);
    ASSERT_TRUE(plat::createDirectories(forms + "/Metric"));
    ASSERT_TRUE(plat::createDirectories(forms + "/LIB"));
    EXPECT_EQ(listSubFolders(forms, "lib", &names), 0);
    EXPECT_EQ(names, (std::vector<std::string>{"LIB", "Metric"}));
    EXPECT_EQ(listSubFolders(forms, "Other", nullptr), 1);
}

TEST_F(SharedLibraryTest, TablesFolderIsCountedOrCreatedUpToTwoLevelsAbove) {
    EXPECT_EQ(countTabFiles(dir.path() + "/none"), -1);
    EXPECT_EQ(countTabFiles(localLib()), 1);
    putTable(localLib(), "A", "x", 1000);
    EXPECT_EQ(countTabFiles(localLib()), 0);
    EXPECT_EQ(ensureTablesFolder(localLib()), 0);
    EXPECT_EQ(ensureTablesFolder(dir.path() + "/new/level/Lib"), 1);
    EXPECT_TRUE(plat::dirExists(dir.path() + "/new/level/Lib"));
    EXPECT_EQ(count("msgbox"), 0);
    // A file where a folder should be: every level fails and the uppermost one tried is named.
    ASSERT_TRUE(plat::writeFile(dir.path() + "/blocker", "x"));
    expectMessage();
    EXPECT_EQ(ensureTablesFolder(dir.path() + "/blocker/a/b/c"), -1);
    EXPECT_TRUE(transcript().contains("The folder cannot be created:\\n" + dir.path() + "/blocker\""));
}

// ---- refresh -----------------------------------------------------------------------------------------------------------

TEST_F(SharedLibraryTest, RefreshCopiesWhatChangedAndDeletesWhatTheSharedLibraryLost) {
    putTable(sharedLib(), "A", "a1", 1000);
    putTable(sharedLib(), "B", "b1", 1000);
    putTable(sharedLib(), "C", "c1", 1000);
    putTable(localLib(), "D", "d-local", 1000);
    EXPECT_EQ(copyTablesToSharedData(), 0);   // no index yet: everything is new
    EXPECT_EQ(contentOf(localLib(), "A"), "a1.txt");
    EXPECT_EQ(tabOf(localLib(), "C"), "c1.tab");
    EXPECT_FALSE(plat::fileExists(localLib() + "/D.tab"));
    EXPECT_FALSE(plat::fileExists(localLib() + "/D.txt"));
    EXPECT_EQ(indexNames(), (std::vector<std::string>{"A", "B", "C"}));
    EXPECT_EQ(plat::lastWriteTime(localLib() + "/B.tab"), 1000);

    putTable(localLib(), "A", "a-edited", 1000);   // the same time as the index: left alone
    putTable(sharedLib(), "B", "b2", 1001);
    plat::removeFile(sharedLib() + "/C.tab");
    plat::removeFile(sharedLib() + "/C.txt");
    EXPECT_EQ(copyTablesToSharedData(), 0);
    EXPECT_EQ(contentOf(localLib(), "A"), "a-edited.txt");
    EXPECT_EQ(contentOf(localLib(), "B"), "b2.txt");
    EXPECT_FALSE(plat::fileExists(localLib() + "/C.tab"));
    EXPECT_FALSE(plat::fileExists(localLib() + "/C.txt"));
    EXPECT_EQ(indexNames(), (std::vector<std::string>{"A", "B"}));
    EXPECT_FALSE(plat::dirExists(localForms + "/.Lib.sync"));
    EXPECT_EQ(count("msgbox"), 0);
    expectScriptPlayed();
}

// A share unmounted, or its library replaced, right after the refresh listed it, or unmounted while its
// changed table is copied, or a library that looked empty at the first listing and is whole at the scan,
// deletes and takes in no local table: the user is told once and works on them, and
// the index stays, so the changed table comes at the next refresh. A local table that is lost is copied
// again, though the index knows it.
TEST_F(SharedLibraryTest, AShareGoneOrChangedWhileReadCostsNoLocalTableAndALostOneComesBack) {
    putTable(sharedLib(), "A", "a1", 1000);
    putTable(sharedLib(), "B", "b1", 1000);
    ASSERT_EQ(copyTablesToSharedData(), 0);
    putTable(sharedLib(), "B", "b2", 2000);
    const std::string away = dir.path() + "/away";
    const struct {
        const char* name;
        std::string moved;   // goes away right after the shared library's listing number `atListing`
        bool emptyInPlace;
        int atListing;       // 1: the refresh's first look; 6: the one its copy walks (after two looks of times)
        bool backAfter = false;   // empty in place from the start, put back after that listing instead
    } cases[] = {{"the share unmounted", sharedRoot, false, 1},
                 {"the library replaced", sharedLib(), true, 1},
                 {"the share unmounted while copying", sharedRoot, false, 6},
                 {"the library empty at the first look", sharedLib(), true, 2, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        int listings = 0;
        if (c.backAfter) {
            ASSERT_TRUE(plat::moveFile(c.moved, away) && plat::createDirectory(c.moved));
        }
        plat::afterListing([&](std::string_view folder) {
            if (folder != sharedLib() || ++listings != c.atListing) return;
            if (c.backAfter) (void)(plat::removeTree(c.moved) && plat::moveFile(away, c.moved));
            else if (plat::moveFile(c.moved, away) && c.emptyInPlace) (void)plat::createDirectory(c.moved);
        });
        expectMessage();
        EXPECT_EQ(copyTablesToSharedData(), 0);
        plat::afterListing({});
        std::string told;   // this row's one message
        for (const std::string& line : transcript().lines())
            if (line.find("msgbox") != std::string::npos) told = line;
        EXPECT_NE(told.find("The shared library cannot be read, or it changed while it was read:\\n" + sharedLib()),
                  std::string::npos);
        EXPECT_EQ(contentOf(localLib(), "A"), "a1.txt");
        EXPECT_EQ(contentOf(localLib(), "B"), "b1.txt");
        EXPECT_EQ(indexNames(), (std::vector<std::string>{"A", "B"}));
        EXPECT_FALSE(plat::dirExists(localForms + "/.Lib.sync"));
        if (!c.backAfter) {
            if (c.emptyInPlace) {
                ASSERT_TRUE(plat::removeTree(c.moved));
            }
            ASSERT_TRUE(plat::moveFile(away, c.moved));
        }
        expectScriptPlayed();
    }
    plat::removeFile(localLib() + "/A.tab");
    EXPECT_EQ(copyTablesToSharedData(), 0);
    EXPECT_EQ(tabOf(localLib(), "A"), "a1.tab");
    EXPECT_EQ(contentOf(localLib(), "B"), "b2.txt");
    EXPECT_EQ(count("msgbox"), 4);
}

// A table whose copy failed is copied at the next refresh, though nothing changed in the shared library since:
// one not staged keeps what the index knew (the user is told), and one half taken in (its table file new, its
// rows file the old one) is marked as one whose rows file is lost, not indexed at its new time.
TEST_F(SharedLibraryTest, ATableWhoseCopyFailedIsCopiedAtTheNextRefresh) {
    const struct {
        const char* name;
        bool takenBefore;   // the station holds the first generation
        int goodWrites;     // before the one that fails
        const char* told;
        const char* tabAfter;
        const char* rowsAfter;
    } cases[] = {
        {"its table file not staged", false, 0, "The table cannot be copied", "<missing>", "<missing>"},
        {"its rows file not taken in", true, 3, nullptr, "a2.tab", "a1.txt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(plat::removeTree(localForms) && plat::removeTree(sharedLib()));
        ASSERT_TRUE(plat::createDirectories(localLib()) && plat::createDirectories(sharedLib()));
        putTable(sharedLib(), "A", "a1", 1000);
        putTable(sharedLib(), "B", "b1", 1000);
        if (c.takenBefore) {
            ASSERT_EQ(copyTablesToSharedData(), 0);
            putTable(sharedLib(), "A", "a2", 2000);
        }
        const std::string latest = c.takenBefore ? "a2" : "a1";
        plat::failWriteAfter(c.goodWrites, 0);
        if (c.told) expectMessage();
        EXPECT_EQ(copyTablesToSharedData(), 0);
        if (c.told) {
            EXPECT_TRUE(transcript().contains(c.told));
        }
        EXPECT_EQ(tabOf(localLib(), "A"), c.tabAfter);
        EXPECT_EQ(contentOf(localLib(), "A"), c.rowsAfter);
        EXPECT_EQ(contentOf(localLib(), "B"), "b1.txt");

        EXPECT_EQ(copyTablesToSharedData(), 0);   // nothing changed in the shared library
        EXPECT_EQ(tabOf(localLib(), "A"), latest + ".tab");
        EXPECT_EQ(contentOf(localLib(), "A"), latest + ".txt");
        EXPECT_EQ(indexNames(), (std::vector<std::string>{"A", "B"}));
        expectScriptPlayed();
    }
}

TEST_F(SharedLibraryTest, CancelAtAFailedCopyStopsAndKeepsWhatTheIndexKnew) {
    putTable(sharedLib(), "A", "a1", 1000);
    putTable(sharedLib(), "B", "b1", 1000);
    EXPECT_EQ(copyTablesToSharedData(), 0);
    putTable(sharedLib(), "A", "a2", 2000);
    putTable(sharedLib(), "B", "b2", 2000);
    plat::failNextWriteAfter(0);
    script().answer(plat::IDCANCEL);
    EXPECT_EQ(copyTablesToSharedData(), 0);
    EXPECT_EQ(contentOf(localLib(), "A"), "a1.txt");
    EXPECT_EQ(contentOf(localLib(), "B"), "b1.txt");
    EXPECT_EQ(copyTablesToSharedData(), 0);   // both are still due
    EXPECT_EQ(contentOf(localLib(), "A"), "a2.txt");
    EXPECT_EQ(contentOf(localLib(), "B"), "b2.txt");
    expectScriptPlayed();
}

TEST_F(SharedLibraryTest, AnEmptySharedLibraryIsReportedAndNothingDeleted) {
    putTable(localLib(), "A", "a", 1000);
    expectMessage();
    EXPECT_EQ(copyTablesToSharedData(), 0);
    EXPECT_TRUE(transcript().contains("The shared library holds no table"));
    EXPECT_TRUE(plat::fileExists(localLib() + "/A.tab"));
    expectScriptPlayed();
}

TEST_F(SharedLibraryTest, AReadOnlyStationWaitsForAPublisherAndGivesUpAfterSixteenReads) {
    putTable(sharedLib(), "A", "a1", 1000);
    setSharedBusy(1);
    plat::resetSleptMs();
    expectMessage();
    EXPECT_EQ(copyTablesToSharedData(), -1);
    EXPECT_EQ(plat::sleptMs(), 16 * 2000);
    EXPECT_TRUE(transcript().contains("still being published"));
    EXPECT_FALSE(plat::fileExists(localLib() + "/A.tab"));
    EXPECT_FALSE(plat::fileExists(localForms + "/Lib.dt"));
    expectScriptPlayed();
}

TEST_F(SharedLibraryTest, AReadOnlyStationCopiesOnceThePublisherIsDone) {
    putTable(sharedLib(), "A", "a1", 1000);
    setSharedBusy(1);
    plat::resetSleptMs();
    plat::Periodic publisherDone = plat::startPeriodic("publisher", 5000, [this] {
        setSharedBusy(0);
        return false;
    });
    EXPECT_EQ(copyTablesToSharedData(), 0);
    EXPECT_EQ(plat::sleptMs(), 3 * 2000);
    EXPECT_EQ(contentOf(localLib(), "A"), "a1.txt");
    EXPECT_EQ(count("msgbox"), 0);
}

// ---- publish --------------------------------------------------------------------------------------------------------------

TEST_F(SharedLibraryTest, TheReadWriteStationPublishesChangedTablesWithTheirNewTimeStamp) {
    station(localForms, 1);
    ASSERT_TRUE(plat::writeFile(localLib() + "/A.tab", referenceTableText({})));
    ASSERT_TRUE(plat::writeFile(localLib() + "/A.txt", "M6 6 1 5 0\r\n"));
    ASSERT_TRUE(plat::setLastWriteTime(localLib() + "/A.tab", 1500000000));
    putTable(localLib(), "B", "b1", 1500000100);
    EXPECT_EQ(copyTablesFromSharedData(), 0);
    EXPECT_EQ(plat::readFile(sharedLib() + "/A.txt"), "M6 6 1 5 0\r\n");
    EXPECT_EQ(contentOf(sharedLib(), "B"), "b1.txt");
    EXPECT_EQ(plat::readFile(sharedLib() + "/A.tab"), plat::readFile(localLib() + "/A.tab"));
    CTabColsDesc published;
    ASSERT_EQ(published.read(sharedLib() + "/A.tab"), 0);
    EXPECT_EQ(published.bmpTime, 1500000000);   // the newest time seen when A was written
    CSharedFolder shared(sharedRoot);
    for (const std::string& forms : {localForms, g_globals->sharedFormsDir}) {
        shared.readShBlock("Lib", forms);
        EXPECT_EQ(shared.shBlock[0], 0) << forms;
    }
    EXPECT_TRUE(plat::fileExists(g_globals->sharedFormsDir + "/Lib.sh"));
    shared.readIndexFile("Lib");
    std::int64_t seconds = 0;
    EXPECT_EQ(shared.findIndexTime("b", &seconds), 2);
    EXPECT_EQ(seconds, 1500000100);
}

// A change is seen whenever the table's bytes differ, however soon it follows the last synchronisation: rows
// rewritten within the second the publication and the refresh took the table in (also when a refresh of the
// publishing station took in another table since), or later without the table file, are published, and the
// read-only station takes them at its next refresh.
TEST_F(SharedLibraryTest, AChangeIsSeenWheneverItsBytesDifferHoweverSoon) {
    const std::string publisherForms = dir.path() + "/publisher/FORMS_MM", publisherLib = publisherForms + "/Lib";
    const struct {
        const char* name;
        std::int64_t syncedAt, editedAt;   // the clock's seconds; the table's files are written at 5000
        std::int64_t refreshedAt = 0;      // the read-write station takes another table from the share then
    } cases[] = {
        {"its rows rewritten within the second of the last synchronisation", 5000, 5000},
        {"its rows rewritten seconds later, its table file not", 6000, 6005},
        {"its rows rewritten within the second, another table refreshed later", 5000, 5000, 5010},
    };
    const struct CLOCK_BACK {
        ~CLOCK_BACK() { plat::setNowSeconds(0); }
    } clockBack;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(plat::removeTree(dir.path() + "/publisher") && plat::removeTree(localForms) &&
                    plat::removeTree(sharedLib()));
        ASSERT_TRUE(plat::createDirectories(publisherLib) && plat::createDirectories(localLib()) &&
                    plat::createDirectories(sharedLib()));
        plat::setNowSeconds(c.syncedAt);
        station(publisherForms, 1);
        putReadableTable(publisherLib, "A", "a1", 5000);
        ASSERT_TRUE(plat::setLastWriteTime(publisherLib + "/A.txt", 5000));
        ASSERT_EQ(copyTablesFromSharedData(), 0);
        station(localForms, 0);
        ASSERT_EQ(copyTablesToSharedData(), 0);
        ASSERT_EQ(contentOf(localLib(), "A"), "a1.txt");

        plat::setNowSeconds(c.editedAt);
        station(publisherForms, 1);
        ASSERT_TRUE(plat::writeFile(publisherLib + "/A.txt", "a2.txt\r\n"));
        ASSERT_TRUE(plat::setLastWriteTime(publisherLib + "/A.txt", c.editedAt));
        if (c.refreshedAt != 0) {
            plat::setNowSeconds(c.refreshedAt);
            putReadableTable(sharedLib(), "B", "b1", c.refreshedAt);
            ASSERT_EQ(copyTablesToSharedData(), 0);
            ASSERT_EQ(contentOf(publisherLib, "B"), "b1.txt");
        }
        EXPECT_EQ(copyTablesFromSharedData(), 0);
        EXPECT_EQ(contentOf(sharedLib(), "A"), "a2.txt");
        station(localForms, 0);
        EXPECT_EQ(copyTablesToSharedData(), 0);
        EXPECT_EQ(contentOf(localLib(), "A"), "a2.txt");
        expectScriptPlayed();
    }
}

TEST_F(SharedLibraryTest, OnlyTheReadWriteStationWithSharingOnPublishes) {
    putTable(localLib(), "A", "a1", 1000);
    EXPECT_EQ(copyTablesFromSharedData(), 0);   // read-only
    g_globals->sharedAccessMode = 1;
    g_globals->sharedDataOn = 0;
    EXPECT_EQ(copyTablesFromSharedData(), 0);
    EXPECT_EQ(copyTablesToSharedData(), 0);
    EXPECT_FALSE(plat::fileExists(sharedLib() + "/A.tab"));
    EXPECT_FALSE(plat::fileExists(localForms + "/Lib.dt"));
    g_globals->sharedDataOn = 1;
    plat::removeFile(localLib() + "/A.tab");
    plat::removeFile(localLib() + "/A.txt");
    expectMessage();
    EXPECT_EQ(copyTablesFromSharedData(), 0);
    EXPECT_TRUE(transcript().contains("The local library holds no table"));
    expectScriptPlayed();
}

// The share out of reach while the read-write station publishes: nothing of it is made again at its path, the
// user is told, and the local tables and the index stay. Back, they are published, though the renewal of the
// flag fails once (a brief outage), which takes the access away no more than the outage did.
TEST_F(SharedLibraryTest, APublicationThatCannotReachTheShareMakesNothingThereAndIsTold) {
    station(localForms, 1);
    putTable(sharedLib(), "A", "a1", 1000);
    ASSERT_EQ(copyTablesToSharedData(), 0);
    const std::string index = plat::readFile(localForms + "/Lib.dt").value_or("");
    putReadableTable(localLib(), "A", "a2", 2000);
    const std::string away = dir.path() + "/away";
    ASSERT_TRUE(plat::moveFile(sharedRoot, away));
    expectMessage();
    EXPECT_EQ(copyTablesFromSharedData(), 0);
    EXPECT_TRUE(transcript().contains("The shared library cannot be reached:\\n" + sharedLib()));
    EXPECT_FALSE(plat::dirExists(sharedRoot));
    EXPECT_EQ(plat::readFile(localForms + "/Lib.dt"), index);

    ASSERT_TRUE(plat::moveFile(away, sharedRoot));
    plat::failNextWriteAfter(0);   // the renewal's write of the flag, the publication's first write
    EXPECT_EQ(copyTablesFromSharedData(), 0);
    EXPECT_EQ(contentOf(sharedLib(), "A"), "a2.txt");
    EXPECT_EQ(g_globals->sharedAccessMode.load(), 1);
    EXPECT_EQ(count("msgbox"), 1);
    expectScriptPlayed();
}

// A share that holds other libraries but not this one is reachable: a refresh says that the library holds no
// table and deletes nothing, and the read-write station's publication makes the library there with every
// table, though its index says they were published; the next refresh is quiet.
TEST_F(SharedLibraryTest, AShareWithoutThisLibraryIsToldSoAndTheReadWriteStationMakesItThere) {
    ASSERT_TRUE(plat::removeTree(sharedLib()));
    ASSERT_TRUE(plat::createDirectories(sharedRoot + "/FORMS_MM/Other"));
    putTable(sharedRoot + "/FORMS_MM/Other", "X", "x", 1000);
    putReadableTable(localLib(), "A", "a1", 2000);
    CSharedFolder index(sharedRoot);
    index.appendNewEntry({"A", fileTimeOfSeconds(2000)});
    index.writeIndexFile("Lib");
    for (const int readWrite : {0, 1}) {
        SCOPED_TRACE(readWrite);
        station(localForms, readWrite);
        expectMessage();
        EXPECT_EQ(copyTablesToSharedData(), 0);
        EXPECT_TRUE(transcript().contains("The shared library holds no table:\\n" + sharedLib())) << transcriptText();
        EXPECT_FALSE(transcript().contains("cannot be rea"));
        EXPECT_EQ(contentOf(localLib(), "A"), "a1.txt");
        EXPECT_EQ(copyTablesFromSharedData(), 0);
        EXPECT_EQ(plat::dirExists(sharedLib()), readWrite == 1);
    }
    EXPECT_EQ(contentOf(sharedLib(), "A"), "a1.txt");
    EXPECT_EQ(copyTablesToSharedData(), 0);
    EXPECT_EQ(count("msgbox"), 2);
    expectScriptPlayed();
}

// A rows file lost on the read-write station, its table file kept, is seen by the first refresh, even one that
// cannot reach the share, or publication. Whatever writes a rows file for it after that, the file holds only
// what came since: no publication takes it, the next refresh copies the table again, and from then on it is
// published as any other table.
TEST_F(SharedLibraryTest, ALostRowsFileIsNeverPublishedWhateverWroteItAndIsCopiedAgain) {
    const struct {
        const char* name;
        bool seenByRefresh;
    } cases[] = {{"seen by a refresh that cannot reach the share", true}, {"seen by a publication", false}};
    const std::string away = dir.path() + "/away";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(plat::removeTree(localForms) && plat::removeTree(sharedLib()));
        ASSERT_TRUE(plat::createDirectories(localLib()) && plat::createDirectories(sharedLib()));
        station(localForms, 1);
        putReadableTable(sharedLib(), "A", "a1", 1000);
        putReadableTable(sharedLib(), "B", "b1", 1000);
        ASSERT_EQ(copyTablesToSharedData(), 0);
        ASSERT_TRUE(plat::removeFile(localLib() + "/A.txt"));
        if (c.seenByRefresh) {
            ASSERT_TRUE(plat::moveFile(sharedRoot, away));
            expectMessage();
            EXPECT_EQ(copyTablesToSharedData(), 0);
            ASSERT_TRUE(plat::moveFile(away, sharedRoot));
        } else {
            EXPECT_EQ(copyTablesFromSharedData(), 0);
        }
        putReadableTable(localLib(), "A", "a-added-since", 3000);
        putReadableTable(localLib(), "B", "b2", 3000);
        EXPECT_EQ(copyTablesFromSharedData(), 0);
        EXPECT_EQ(contentOf(sharedLib(), "A"), "a1.txt");
        EXPECT_EQ(contentOf(sharedLib(), "B"), "b2.txt");
        EXPECT_EQ(copyTablesToSharedData(), 0);
        EXPECT_EQ(contentOf(localLib(), "A"), "a1.txt");
        putReadableTable(localLib(), "A", "a2", 4000);
        EXPECT_EQ(copyTablesFromSharedData(), 0);
        EXPECT_EQ(contentOf(sharedLib(), "A"), "a2.txt");
        expectScriptPlayed();
    }
    EXPECT_EQ(count("msgbox"), 1);
}

// The read-write station makes the library on a share that lacks it, leaving out a table whose rows file it
// lost: the share never held that table, so no refresh deletes it (neither one that copies the published tables
// back nor a quiet one). It stays marked, so no rows file of only the rows added is made for it nor published,
// until its rows file is back whole (the user brought it back: cut or of no byte, it is not), when this copy is the table and
// is published; a table of its name published there by another is copied in, after which it is published as any other.
TEST_F(SharedLibraryTest, ATableLeftOutOfTheLibraryItsStationMadeIsKeptMarkedUntilItIsWholeAgain) {
    station(localForms, 1);
    putReadableTable(sharedLib(), "A", "a1", 1000);
    putReadableTable(sharedLib(), "B", "b1", 1000);
    ASSERT_EQ(copyTablesToSharedData(), 0);
    const std::string tableA = plat::readFile(localLib() + "/A.tab").value_or("");
    ASSERT_TRUE(plat::removeTree(sharedLib()));
    ASSERT_TRUE(plat::removeFile(localLib() + "/A.txt"));
    expectMessage();   // the share holds no library
    EXPECT_EQ(copyTablesToSharedData(), 0);
    EXPECT_EQ(copyTablesFromSharedData(), 0);
    ASSERT_EQ(contentOf(sharedLib(), "B"), "b1.txt");
    EXPECT_FALSE(plat::fileExists(sharedLib() + "/A.tab"));
    for (int refresh = 0; refresh < 2; ++refresh) {
        SCOPED_TRACE(refresh);
        EXPECT_EQ(copyTablesToSharedData(), 0);
        EXPECT_EQ(plat::readFile(localLib() + "/A.tab"), tableA);
        EXPECT_TRUE(synchronisedTable(localLib() + "/A.tab"));
        EXPECT_EQ(copyTablesFromSharedData(), 0);
        EXPECT_FALSE(plat::fileExists(sharedLib() + "/A.tab"));
    }
    for (const char* notWhole : {"a-back-cut", ""}) {   // cut inside its row; of no byte, while the table held rows
        ASSERT_TRUE(plat::writeFile(localLib() + "/A.txt", notWhole));
        EXPECT_EQ(copyTablesFromSharedData(), 0);
        EXPECT_FALSE(plat::fileExists(sharedLib() + "/A.tab")) << notWhole;
    }
    ASSERT_TRUE(plat::writeFile(localLib() + "/A.txt", "a-back.txt\r\n"));
    EXPECT_EQ(copyTablesFromSharedData(), 0);
    EXPECT_EQ(contentOf(sharedLib(), "A"), "a-back.txt");
    EXPECT_EQ(plat::readFile(sharedLib() + "/A.tab"), plat::readFile(localLib() + "/A.tab"));
    putReadableTable(sharedLib(), "A", "a-published", 5000);
    EXPECT_EQ(copyTablesToSharedData(), 0);
    EXPECT_EQ(contentOf(localLib(), "A"), "a-published.txt");
    putReadableTable(localLib(), "A", "a-edited", 6000);
    EXPECT_EQ(copyTablesFromSharedData(), 0);
    EXPECT_EQ(contentOf(sharedLib(), "A"), "a-edited.txt");
    EXPECT_EQ(count("msgbox"), 1);
    expectScriptPlayed();
}

// A table that cannot be read whole (as a crash, a full disk or a sync client leaves it) is taken for none.
// A shared one is not taken in by a refresh: the station is told, keeps its copy and takes the table once it
// is mended. A station's own table is left out of publications and kept, as one the share never held, until
// it is mended. A rows file of no byte is a lost one only when the shared table holds rows.
TEST_F(SharedLibraryTest, ATableThatCannotBeReadWholeIsNeitherTakenFromTheShareNorPublished) {
    station(localForms, 1);
    putReadableTable(sharedLib(), "A", "a1", 1000);
    putReadableTable(sharedLib(), "E", "", 1000);
    ASSERT_TRUE(plat::writeFile(sharedLib() + "/E.txt", ""));
    ASSERT_EQ(copyTablesToSharedData(), 0);
    // The shared table cut inside a row by its publisher's disk.
    putReadableTable(sharedLib(), "A", "a2", 2000);
    ASSERT_TRUE(plat::writeFile(sharedLib() + "/A.txt", "a2 cut"));
    expectMessage();
    EXPECT_EQ(copyTablesToSharedData(), 0);
    EXPECT_TRUE(transcript().contains("A table of the shared library cannot be read whole and is not taken"));
    EXPECT_TRUE(transcript().contains("Its last row has no line end"));
    EXPECT_EQ(contentOf(localLib(), "A"), "a1.txt");
    putReadableTable(sharedLib(), "A", "a2", 2000);
    EXPECT_EQ(copyTablesToSharedData(), 0);
    EXPECT_EQ(contentOf(localLib(), "A"), "a2.txt");
    // A table of the station's own holding NUL bytes.
    putReadableTable(localLib(), "B", std::string("b1\0\0", 4), 3000);
    EXPECT_EQ(copyTablesFromSharedData(), 0);
    EXPECT_FALSE(plat::fileExists(sharedLib() + "/B.tab"));
    EXPECT_EQ(copyTablesToSharedData(), 0);
    ASSERT_TRUE(plat::fileExists(localLib() + "/B.tab"));
    putReadableTable(localLib(), "B", "b1", 3000);
    EXPECT_EQ(copyTablesFromSharedData(), 0);
    EXPECT_EQ(contentOf(sharedLib(), "B"), "b1.txt");
    // The copy of an empty table, as empty as the shared one, is no lost rows file (one of a table with rows
    // is: SharedStations holds it).
    std::uint64_t indexed = kRowsFileLost;
    EXPECT_TRUE(synchronisedTable(localLib() + "/E.tab", &indexed));
    EXPECT_FALSE(rowsFileLostMark(indexed));
    EXPECT_EQ(contentOf(localLib(), "E"), "");
    EXPECT_EQ(count("msgbox"), 1);
    expectScriptPlayed();
}

// The rows writer makes no rows file for a table taken from the shared library (the station's index knows it)
// whose rows it did not read from one: they would stand for the whole table. A table of the station's own
// gets its first rows file, and a rows file read is written over. A refusal is told once a run, and a table
// the shared library never held is not said to come back from it.
TEST_F(SharedLibraryTest, TheRowsWriterMakesNoRowsFileOfASharedTableItDidNotRead) {
    CSharedFolder index(sharedRoot);
    index.appendNewEntry({"Shared", fileTimeOfSeconds(1000)});
    index.appendNewEntry({"Unshared", kRowsFileLostUnshared});
    index.writeIndexFile("Lib");
    const struct {
        const char* name;
        const char* table;
        const char* atRead;    // the rows file when the rows are read (nullptr: none)
        const char* atWrite;   // the rows file when they are written
        bool written;
    } cases[] = {
        {"a new table of the station", "Own", nullptr, nullptr, true},
        {"a shared table, its rows file lost", "Shared", nullptr, nullptr, false},
        {"a shared table, its rows file back after the read", "Shared", nullptr, "M6 6 1 5 0\r\n", false},
        {"a shared table, its rows file read", "Shared", "M6 6 1 5 0\r\n", "M6 6 1 5 0\r\n", true},
        {"a table the share never held, its rows file lost", "Unshared", nullptr, nullptr, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        forgetRowsKeptForRun();
        const std::string tab = localLib() + "/" + c.table + ".tab", rows = localLib() + "/" + c.table + ".txt";
        ASSERT_TRUE(plat::writeFile(tab, referenceTableText({})));
        (void)plat::removeFile(rows);
        if (c.atRead) {
            ASSERT_TRUE(plat::writeFile(rows, c.atRead));
        }
        CTabColsDesc t;
        ASSERT_EQ(t.read(tab), 0);
        ASSERT_GE(t.readRows(), 0);
        if (c.atWrite) {
            ASSERT_TRUE(plat::writeFile(rows, c.atWrite));
        }
        (void)t.appendRow({"M8", "8", "1.25", "6.8", "0"});
        if (!c.written) expectMessage();
        for (int twice = 0; twice < 2; ++twice) EXPECT_EQ(t.writeRows(), c.written ? 0 : 1);
        // Not written, the rows file is left as it was.
        const std::string after = plat::readFile(rows).value_or("<missing>");
        EXPECT_EQ(after.find("M8 8 1.25 6.8 0") != std::string::npos, c.written) << after;
        if (!c.written) {
            EXPECT_EQ(after, c.atWrite ? c.atWrite : "<missing>");
        }
        expectScriptPlayed();
    }
    EXPECT_EQ(count("The rows file of this table, taken from the shared library, is missing."), 2);
    EXPECT_EQ(count("The rows file of this table is missing, and the shared library does not hold the table."), 1);
}

// Two stations on one shared folder: one publishes generation after generation while the other refreshes;
// every refresh leaves the library of one generation whole.
TEST_F(SharedLibraryTest, ARefreshDuringPublicationsNeverMixesTwoLibraries) {
    const std::string publisherForms = dir.path() + "/publisher/FORMS_MM";
    ASSERT_TRUE(plat::createDirectories(publisherForms + "/Lib"));
    const char* titles[] = {"A", "B", "C", "D", "E"};
    constexpr int kGenerations = 120;
    for (const char* t : titles) putTable(sharedLib(), t, "g0", 1000);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        station(publisherForms, 1);
        for (int g = 1; g <= kGenerations; ++g) {
            for (const char* t : titles) putTable(publisherForms + "/Lib", t, "g" + std::to_string(g), 1000 + 10 * g);
            (void)copyTablesFromSharedData();
        }
        _exit(0);
    }
    // A refresh that fails the test ends the publisher too, before the fixture removes its folders.
    struct Publisher {
        pid_t pid;
        ~Publisher() {
            if (pid <= 0) return;
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    } publisher{child};
    int refreshes = 0, finished = 0;
    std::set<std::string> seen;
    while (finished < 2) {
        if (finished == 0 && waitpid(child, nullptr, WNOHANG) == child) {
            publisher.pid = 0;
            finished = 1;
        }
        else if (finished == 1) finished = 2;   // one more refresh after the last publication
        plat::driver().reset();
        (void)copyTablesToSharedData();
        ++refreshes;
        const std::string first = contentOf(localLib(), "A");
        seen.insert(first);
        for (const char* t : titles) {
            ASSERT_EQ(contentOf(localLib(), t), first) << "refresh " << refreshes;
            const std::string tab = first == "<missing>" ? first : first.substr(0, first.size() - 4) + ".tab";
            ASSERT_EQ(tabOf(localLib(), t), tab);
        }
    }
    EXPECT_EQ(contentOf(localLib(), "A"), "g" + std::to_string(kGenerations) + ".txt");
    EXPECT_GT(seen.size(), 1u);
}

// ---- who holds read-write access ------------------------------------------------------------------------------

// A process id that ran on this machine and has ended.
std::int64_t endedProcess() {
    const pid_t child = fork();
    if (child == 0) _exit(0);
    waitpid(child, nullptr, 0);
    return child;
}

TEST_F(SharedLibraryTest, TheRunningFlagTellsWhetherItsHolderStillRuns) {
    const std::string here = plat::machineName(), station = g_globals->pluginDir;
    const std::int64_t now = plat::nowSeconds(), self = plat::processId();
    const struct {
        const char* name;
        std::optional<std::string> flag;   // nullopt: no flag
        std::int64_t age;                  // of the file, seconds
        HolderState state;
    } cases[] = {
        {"no flag", std::nullopt, 0, HolderState::None},
        {"this process of this station", encodeAccessHolder({station, here, self, now}), 0, HolderState::Mine},
        {"another station's running process", encodeAccessHolder({"/other", here, self, now}), 0, HolderState::Running},
        {"a process here that has ended", encodeAccessHolder({station, here, endedProcess(), now}), 0,
         HolderState::Gone},
        {"another machine, renewed lately", encodeAccessHolder({"/b", "elsewhere", 7, now - 60}), 0,
         HolderState::Running},
        {"another machine, silent too long",
         encodeAccessHolder({"/b", "elsewhere", 7, now}), kHolderGoneSeconds + 1, HolderState::Gone},
        // Its own clock an hour behind, or ten years ahead: only the file's time counts.
        {"another machine whose clock is behind, renewed lately",
         encodeAccessHolder({"/b", "elsewhere", 7, now - 3600}), 0, HolderState::Running},
        {"another machine whose clock is ahead, silent too long",
         encodeAccessHolder({"/b", "elsewhere", 7, now + 315360000}), kHolderGoneSeconds + 1, HolderState::Gone},
        {"a renewal from ten years ahead", encodeAccessHolder({"/b", "elsewhere", 7, now + 315360000}), -315360000,
         HolderState::Gone},
        {"a renewal from just ahead", encodeAccessHolder({"/b", "elsewhere", 7, now}), -kHolderGoneSeconds + 5,
         HolderState::Running},
        // The process id of a holder long silent, given since to another process.
        {"a process here silent for a day", encodeAccessHolder({"/other", here, self, now - 86400}), 86400,
         HolderState::Gone},
        {"an empty flag just made", "", 0, HolderState::Running},
        {"an empty flag long left", "", kHolderGoneSeconds + 5, HolderState::Gone},
        {"damaged text", "station\x01=\nprocess=x9\nrenewed=-\n", kHolderGoneSeconds + 5, HolderState::Gone},
    };
    // This station's own clock, right or an hour off, changes nothing: the shared folder's clock judges.
    for (const std::int64_t off : {0, 3600, -3600})
        for (const auto& c : cases) {
            SCOPED_TRACE(off);
            plat::setNowSeconds(off == 0 ? 0 : now + off);
            plat::removeFile(sharedRoot + "/RWrunning.dat");
            if (c.flag) {
                ASSERT_TRUE(plat::writeFile(sharedRoot + "/RWrunning.dat", *c.flag));
                ASSERT_TRUE(plat::setLastWriteTime(sharedRoot + "/RWrunning.dat", now - c.age));
            }
            ACCESS_HOLDER holder;
            EXPECT_EQ(runningFlagHolder(sharedRoot, station, &holder), c.state) << c.name;
            // Only the holder removes its flag.
            EXPECT_EQ(releaseRunningFlag(sharedRoot, station), c.state == HolderState::Mine) << c.name;
            EXPECT_EQ(plat::fileExists(sharedRoot + "/RWrunning.dat"), c.flag && c.state != HolderState::Mine)
                << c.name;
        }
    plat::setNowSeconds(0);
}

// A renewal time that fits no calendar (another version's, or written by hand) is no time: the holder is
// judged by the file's age alone, and its time shown as unknown.
TEST_F(SharedLibraryTest, RenewalTimesThatFitNoCalendarAreNotTaken) {
    for (const char* renewed : {"-9223372036854775808", "9223372036854775807", "253402300800", "-1", "0", "1e9"}) {
        SCOPED_TRACE(renewed);
        const ACCESS_HOLDER h = decodeAccessHolder(std::string("station=/b\nmachine=far\nprocess=1\nrenewed=") +
                                                   renewed + "\n");
        EXPECT_EQ(h.renewed, 0);
        EXPECT_EQ(holderText(h), "/b @ far (1, ?)");
    }
    EXPECT_EQ(holderText(decodeAccessHolder("machine=far\nprocess=1\nrenewed=253402300799")),
              " @ far (1, 12/31/9999 23:59)");
}

TEST_F(SharedLibraryTest, AGoneHoldersFlagIsTakenOverUnlessItWasRenewedMeanwhile) {
    const std::string station = g_globals->pluginDir;
    const ACCESS_HOLDER gone{"/b", "elsewhere", 7, plat::nowSeconds() - kHolderGoneSeconds - 10};
    ASSERT_TRUE(plat::writeFile(sharedRoot + "/RWrunning.dat", encodeAccessHolder(gone)));
    // Renewed between the look and the take-over: the holder keeps it.
    ACCESS_HOLDER renewed = gone;
    renewed.renewed = plat::nowSeconds();
    ASSERT_TRUE(plat::writeFile(sharedRoot + "/RWrunning.dat", encodeAccessHolder(renewed)));
    EXPECT_FALSE(takeOverRunningFlag(sharedRoot, station, gone));
    EXPECT_EQ(decodeAccessHolder(plat::readFile(sharedRoot + "/RWrunning.dat").value_or("")).renewed, renewed.renewed);
    ASSERT_TRUE(plat::writeFile(sharedRoot + "/RWrunning.dat", encodeAccessHolder(gone)));
    EXPECT_TRUE(takeOverRunningFlag(sharedRoot, station, gone));
    ACCESS_HOLDER holder;
    EXPECT_EQ(runningFlagHolder(sharedRoot, station, &holder), HolderState::Mine);
    EXPECT_EQ(holder.pid, plat::processId());
    EXPECT_EQ(plat::findFiles(sharedRoot, ".RWrunning*").size(), 0u);   // nothing left aside
    // A second claim finds the flag taken.
    EXPECT_FALSE(claimRunningFlag(sharedRoot, "/other"));
}

// ---- publications that fail or are cut short --------------------------------------------------------------------

TEST_F(SharedLibraryTest, ATableThatCannotBeCopiedPublishesNothingAndIsNamed) {
    station(localForms, 1);
    const auto table = putReadableTable;
    table(sharedLib(), "A", "a0", 1000);
    table(localLib(), "A", "a1", 2000);
    table(localLib(), "B", "b1", 2000);
    plat::removeFile(localLib() + "/B.txt");
    expectMessage();
    EXPECT_EQ(copyTablesFromSharedData(), 0);
    EXPECT_TRUE(transcript().contains("Nothing was published")) << transcriptText();
    EXPECT_TRUE(transcript().contains(localLib() + "/B.txt"));
    EXPECT_TRUE(transcript().contains("The file is missing."));
    EXPECT_EQ(contentOf(sharedLib(), "A"), "a0.txt");   // A waits with B
    EXPECT_FALSE(plat::fileExists(sharedLib() + "/B.tab"));
    EXPECT_FALSE(plat::fileExists(localForms + "/Lib.dt"));
    // A copy cut short by the disk: the same.
    ASSERT_TRUE(plat::writeFile(localLib() + "/B.txt", "b1.txt\r\n"));
    plat::failWriteAfter(7, 2);   // the copy of A.tab, after the flag renewed, the clock read and its new stamp
    expectMessage();
    EXPECT_EQ(copyTablesFromSharedData(), 0);
    EXPECT_EQ(count("Nothing was published"), 2) << transcriptText();
    EXPECT_TRUE(transcript().contains("Lib/A.tab\\n"));
    EXPECT_EQ(contentOf(sharedLib(), "A"), "a0.txt");
    EXPECT_FALSE(plat::fileExists(localForms + "/Lib.dt"));
    // Mended, the next publication takes both.
    EXPECT_EQ(copyTablesFromSharedData(), 0);
    EXPECT_EQ(contentOf(sharedLib(), "A"), "a1.txt");
    EXPECT_EQ(contentOf(sharedLib(), "B"), "b1.txt");
    EXPECT_EQ(indexNames(), (std::vector<std::string>{"A", "B"}));
    EXPECT_FALSE(plat::dirExists(g_globals->sharedFormsDir + "/.Lib.publish"));
    CSharedFolder shared(sharedRoot);
    for (const std::string& forms : {localForms, g_globals->sharedFormsDir}) {
        shared.readShBlock("Lib", forms);
        EXPECT_EQ(shared.shBlock[0], 0) << forms;
    }
    expectScriptPlayed();
}

// A publication making the library on a share that lacks it, failing before its tables are in, leaves no library there:
// an empty one would pass for a library holding every table the index lists, and none would be published.
TEST_F(SharedLibraryTest, APublicationThatFailsMakingTheLibraryLeavesNoneAndTheNextMakesItWhole) {
    ASSERT_TRUE(plat::removeTree(sharedLib()));
    station(localForms, 1);
    putReadableTable(localLib(), "A", "a1", 2000);
    putReadableTable(localLib(), "B", "b1", 2000);
    CSharedFolder index(sharedRoot);
    for (const char* title : {"A", "B"}) index.appendNewEntry({title, fileTimeOfSeconds(2000)});
    index.writeIndexFile("Lib");
    plat::refuseChangesUnder(g_globals->sharedFormsDir + "/.Lib.publish." + plat::machineName() + "." +
                             std::to_string(plat::processId()));
    expectMessage();
    EXPECT_EQ(copyTablesFromSharedData(), 0);
    EXPECT_TRUE(transcript().contains("Nothing was published")) << transcriptText();
    EXPECT_FALSE(plat::dirExists(sharedLib()));
    plat::refuseChangesUnder("");
    EXPECT_EQ(copyTablesFromSharedData(), 0);
    EXPECT_EQ(contentOf(sharedLib(), "A"), "a1.txt");
    EXPECT_EQ(contentOf(sharedLib(), "B"), "b1.txt");
    expectScriptPlayed();
}

// Staged in full, a table that cannot be taken into the library (a folder stands where its file goes) keeps
// its old index entry and is published again once the way is clear; the others go in.
TEST_F(SharedLibraryTest, ATableThatCannotBeTakenInIsNamedAndPublishedAgain) {
    station(localForms, 1);
    for (const char* title : {"A", "B"}) {
        ASSERT_TRUE(plat::writeFile(localLib() + "/" + title + ".tab", referenceTableText({})));
        ASSERT_TRUE(plat::writeFile(localLib() + "/" + title + ".txt", std::string(title) + ".txt\r\n"));
        ASSERT_TRUE(plat::setLastWriteTime(localLib() + "/" + title + ".tab", 2000));
    }
    ASSERT_TRUE(plat::createDirectories(sharedLib() + "/B.txt"));
    expectMessage();
    EXPECT_EQ(copyTablesFromSharedData(), 0);
    EXPECT_TRUE(transcript().contains("A table cannot be taken into the shared library"));
    EXPECT_TRUE(transcript().contains(sharedLib() + "/B.txt"));
    EXPECT_EQ(contentOf(sharedLib(), "A"), "A.txt");
    CSharedFolder shared(sharedRoot);
    shared.readIndexFile("Lib");
    std::int64_t seconds = -1;
    EXPECT_EQ(shared.findIndexTime("A", &seconds), 1);
    EXPECT_EQ(seconds, 2000);
    EXPECT_EQ(shared.findIndexTime("B", &seconds), 2);
    EXPECT_EQ(seconds, 0);   // not known: published again
    EXPECT_FALSE(plat::dirExists(g_globals->sharedFormsDir + "/.Lib.publish"));
    ASSERT_TRUE(plat::removeDirectory(sharedLib() + "/B.txt"));
    EXPECT_EQ(copyTablesFromSharedData(), 0);
    EXPECT_EQ(contentOf(sharedLib(), "B"), "B.txt");
    EXPECT_EQ(count("msgbox"), 1);
    expectScriptPlayed();
}

// What a publisher killed in the middle leaves: the busy mark and its staging folder, complete or not. A link
// in the staging folder's place is no publication, whatever the folder it names holds; nor is a list whose
// last line was cut short, or a folder that names no publisher.
TEST_F(SharedLibraryTest, APublicationLeftByAGonePublisherIsFinishedOrDropped) {
    const std::string staging = g_globals->sharedFormsDir + "/.Lib.publish";
    enum Left { Part, Whole, LinkToWhole, ListCut, NoPublisher };
    for (const Left left : {Part, Whole, LinkToWhole, ListCut, NoPublisher}) {
        SCOPED_TRACE(left);
        const bool complete = left != Part;
        const std::string made = left == LinkToWhole ? dir.path() + "/elsewhere" : staging;
        putTable(sharedLib(), "A", "a0", 1000);
        putTable(sharedLib(), "B", "b0", 1000);
        plat::removeFile(localForms + "/Lib.dt");
        ASSERT_TRUE(plat::createDirectories(made));
        const ACCESS_HOLDER killed{"/b", plat::machineName(), endedProcess(), plat::nowSeconds()};
        if (left != NoPublisher) {
            ASSERT_TRUE(plat::writeFile(made + "/publisher.dat", encodeAccessHolder(killed)));
        }
        // And one killed before it gave its staging folder the library's name.
        const std::string unnamed = staging + "." + plat::machineName() + "." + std::to_string(killed.pid + 1);
        ASSERT_TRUE(plat::createDirectories(unnamed));
        ASSERT_TRUE(plat::writeFile(unnamed + "/publisher.dat",
                                    encodeAccessHolder({"/b", plat::machineName(), endedProcess(), 1})));
        putTable(made, "A", "a1", 2000);
        putTable(made, "B", "b1", 2000);
        if (complete) {
            ASSERT_TRUE(plat::writeFile(made + "/complete.dat", left == ListCut ? "A\nB" : "A\nB\n"));
        }
        if (left == LinkToWhole) std::filesystem::create_symlink(made, staging);
        setSharedBusy(1);
        plat::resetSleptMs();
        EXPECT_EQ(copyTablesToSharedData(), 0);
        EXPECT_EQ(plat::sleptMs(), 0);
        const std::string generation = left == Whole ? "1" : "0";
        for (const char* t : {"A", "B"}) {
            const std::string rows = std::string(1, static_cast<char>(std::tolower(t[0]))) + generation + ".txt";
            EXPECT_EQ(contentOf(sharedLib(), t), rows);
            EXPECT_EQ(contentOf(localLib(), t), contentOf(sharedLib(), t));
        }
        EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(staging)));
        EXPECT_FALSE(plat::dirExists(unnamed));
        if (left == LinkToWhole) {
            EXPECT_EQ(plat::readFile(made + "/A.txt"), "a1.txt\r\n");   // the link went alone
        }
        CSharedFolder shared(sharedRoot);
        shared.readShBlock("Lib", g_globals->sharedFormsDir);
        EXPECT_EQ(shared.shBlock[0], 0);
    }
    EXPECT_EQ(count("msgbox"), 0);
}

TEST_F(SharedLibraryTest, TheWaitForARunningPublisherShowsProgressAndCanBeCancelled) {
    putTable(sharedLib(), "A", "a0", 1000);
    const std::string staging = g_globals->sharedFormsDir + "/.Lib.publish";
    ASSERT_TRUE(plat::createDirectories(staging));
    const ACCESS_HOLDER running{"/b", plat::machineName(), plat::processId(), plat::nowSeconds()};
    ASSERT_TRUE(plat::writeFile(staging + "/publisher.dat", encodeAccessHolder(running)));
    setSharedBusy(1);
    plat::resetSleptMs();
    script().cancelWait();
    EXPECT_EQ(copyTablesToSharedData(), -1);
    EXPECT_LT(plat::sleptMs(), 2000);
    EXPECT_TRUE(transcript().contains("host.wait.show")) << transcriptText();
    EXPECT_TRUE(transcript().contains("Waiting for it"));
    EXPECT_EQ(count("msgbox"), 0);   // the user cancelled: nothing to tell
    EXPECT_FALSE(plat::fileExists(localLib() + "/A.tab"));
    EXPECT_TRUE(plat::dirExists(staging));   // a running publisher's work is left alone
    expectScriptPlayed();
}

TEST_F(SharedLibraryTest, NamesThatReachOutsideTheLibraryAreRefusedWhereverTheyAreRead) {
    // The shared index and the shared library's files.
    CSharedFolder shared(sharedRoot);
    shared.newEntries = {{"A", 1}, {"..\\..\\x", 2}, {"C:evil", 3}};
    shared.writeIndexFile("Lib");
    shared.readIndexFile("Lib");
    ASSERT_EQ(shared.indexEntries.size(), 1u);
    EXPECT_EQ(shared.indexEntries[0].name, "A");
    EXPECT_TRUE(transcript().contains(" is refused: a library or table name"));
    // A file of that name as another system may have left it ('\\' no separator there).
    for (const char* ext : {".tab", ".txt"}) std::ofstream(sharedLib() + "/..\\..\\Up" + ext) << "up";
    putTable(sharedLib(), "Fine", "fine", 1000);
    EXPECT_EQ(copyTablesToSharedData(), 0);
    EXPECT_EQ(contentOf(localLib(), "Fine"), "fine.txt");
    EXPECT_EQ(plat::findFiles(localForms, "*.tab").size(), 0u);
    EXPECT_EQ(plat::findFiles(localLib(), "*.tab").size(), 1u);
    // A library folder so named is no choice.
    ASSERT_TRUE(std::filesystem::create_directory(g_globals->sharedFormsDir + "/a\\..\\b"));
    std::vector<std::string> names;
    EXPECT_EQ(listSubFolders(g_globals->sharedFormsDir, "a\\..\\b", &names), 1);
    EXPECT_EQ(names, std::vector<std::string>{"Lib"});
    for (const char* name : {"../../../../other/lib", "..", "a/b", "a\\b", "/abs", "C:lib"})
        EXPECT_FALSE(isPlainName(name)) << name;
    for (const char* name : {"Standard", "Lib.v2", "", "x y"}) EXPECT_TRUE(isPlainName(name)) << name;
}

}  // namespace

namespace {

// ---- the choice of a local library ------------------------------------------------------------------------------------

TEST_F(SharedLibraryTest, TheLocalVariantSpeaksOfTheLocalLibraryAndCancelChoosesNothing) {
    const std::vector<std::string> names{"Zeta", "Eta"};
    const struct {
        std::string library;
        int button;
        const char* message;
        const char* choice;
    } cases[] = {{"Old", plat::IDCANCEL, "The local folder holds no table library \\\"Old\\\".", ""},
                 {"", plat::IDOK, "Choose the local table library.", "Eta"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.library);
        plat::driver().reset();
        CDlgSharedLibNF dlg(1);
        dlg.library = c.library;
        dlg.folders = &names;
        script().click(18074, c.button);
        EXPECT_EQ(doModalInPluginRes(dlg), c.button);
        EXPECT_EQ(dlg.choice, c.choice);
        EXPECT_TRUE(transcript().contains("caption=\"Local library\""));
        EXPECT_TRUE(transcript().contains(std::string("18063 Static \"") + c.message + "\""));
        EXPECT_TRUE(transcript().contains("18062 ComboDropDown \"Eta\""));
        expectScriptPlayed();
    }
}

TEST_F(SharedLibraryTest, WithoutAListTheChoiceIsEmpty) {
    CDlgSharedLibNF dlg(0);
    script().click(18074, plat::IDOK);
    EXPECT_EQ(doModalInPluginRes(dlg), plat::IDOK);
    EXPECT_EQ(dlg.choice, "");
    EXPECT_TRUE(transcript().contains("The shared folder holds no table library of that name."));
    expectScriptPlayed();
}

}  // namespace
