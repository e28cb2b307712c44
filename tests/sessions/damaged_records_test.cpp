// A recognised part whose plug-in records were damaged on disk, as a user meets it in hostcam: the damage
// is told once, the damaged records leave the session byte for byte as they came (open, close, save), and
// a new Execute replaces them with the part's holes.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <sstream>

#include "hostapp/hostcam.h"
#include "platform/ui/driver.h"
#include "support/private_module.h"
#include "support/part_notes.h"
#include "support/temp_dir.h"

namespace {

using part_notes::editNote;
using part_notes::noteOf;
using part_notes::notesOfFile;
using part_notes::cycleRecordsOfFile;

const std::string kModule = privateModule();
const std::string kDamageLine = "Some of the records Forantix keeps in this part are damaged.";

class DamagedRecords : public testing::Test {
protected:
    // One recognised plate for every test: Execute found its 11 holes and the part was saved.
    static void SetUpTestSuite() {
        shared = new TempDir();
        recognised = shared->path() + "/plate.pfp";
        std::ostringstream out, err;
        const int code = host::hostcamMain({"--plugin", kModule, "--host-dir", shared->path() + "/host", "--open",
                                            std::string(FX_SOURCE_DIR) + "/data/examples/holes_plate.step",
                                            "--session", std::string(FX_SOURCE_DIR) + "/data/sessions/execute.session",
                                            "--save", recognised},
                                           out, err);
        ASSERT_EQ(code, 0) << err.str();
    }
    static void TearDownTestSuite() {
        delete shared;
        shared = nullptr;
    }
    void TearDown() override {
        host::reset();
        plat::driver().reset();
    }

    // hostcam on `part` with a session of these lines; the part is saved to `saveAs` when given.
    int run(const std::string& part, const std::string& session, const std::string& saveAs = "") {
        const std::string file = dir.path() + "/s.session";
        std::ofstream(file) << session;
        out.str("");
        err.str("");
        std::vector<std::string> args = {"--plugin", kModule, "--host-dir", dir.path() + "/host", "--open", part,
                                         "--session", file};
        if (!saveAs.empty()) args.insert(args.end(), {"--save", saveAs});
        return host::hostcamMain(args, out, err);
    }
    std::size_t count(const std::string& piece) const {
        std::size_t n = 0;
        for (std::size_t at = out.str().find(piece); at != std::string::npos; at = out.str().find(piece, at + 1)) ++n;
        return n;
    }

    static inline TempDir* shared = nullptr;
    static inline std::string recognised;
    TempDir dir;
    std::ostringstream out, err;
};

// The header's count, one digit changed.
std::vector<std::string> countDigit(const std::string& text) {
    std::string t = text;
    t[14] = t[14] == '9' ? '0' : static_cast<char>(t[14] + 1);
    return {t};
}
// A record of `count` bytes made of the note's first bytes; the header says so.
std::vector<std::string> cutTo(const std::string& text, std::size_t count) {
    char header[17];
    std::snprintf(header, sizeof header, "%.7s%09zu", text.c_str(), count);
    return {header + text.substr(16, 2 * count)};
}
std::size_t payloadSize(const std::string& text) { return (text.size() - 16) / 2; }

TEST_F(DamagedRecords, AWholeRecognitionReopensWithoutAWordAndSavesTheSameRecords) {
    ASSERT_EQ(run(recognised, "invoke\nclick 18048 1\n", dir.path() + "/again.pfp"), 0) << err.str();
    EXPECT_EQ(out.str().find("msgbox"), std::string::npos);
    EXPECT_TRUE(cycleRecordsOfFile(dir.path() + "/again.pfp") == cycleRecordsOfFile(recognised));
}

TEST_F(DamagedRecords, EveryDamagedRecordIsToldAndKeptByteForByteThroughOpenAndSave) {
    struct Case {
        const char* what;
        const char* prefix;
        std::function<std::vector<std::string>(const std::string&)> edit;
    };
    const std::vector<Case> cases = {
        {"tree stream count", "DRLU", countDigit},
        {"tree table count", "DRLT", countDigit},
        {"revision count", "DREV", countDigit},
        {"revision version", "DREV", [](const std::string& t) { return std::vector<std::string>{"DREVdde" + t.substr(7)}; }},
        {"tree stream missing", "DRLU", [](const std::string&) { return std::vector<std::string>{}; }},
        {"tree table twice", "DRLT", [](const std::string& t) { return std::vector<std::string>{t, t}; }},
        {"tree table cut by whole entries", "DRLT", [](const std::string& t) { return cutTo(t, payloadSize(t) - 5 * 22); }},
        {"tree table cut inside an entry", "DRLT", [](const std::string& t) { return cutTo(t, payloadSize(t) - 7); }},
        {"tree stream with one byte more", "DRLU", [](const std::string& t) { return cutTo(t + "aa", payloadSize(t) + 1); }},
        {"a payload letter", "DRLU", [](const std::string& t) { std::string d = t; d[40] = 'z'; return std::vector<std::string>{d}; }},
        {"tools count", "TLST", countDigit},
        {"tool sequence missing", "TSEQ", [](const std::string&) { return std::vector<std::string>{}; }},
        {"run block count", "DRLP", countDigit},
        {"marks table count", "DFTT", countDigit},
        {"views snapshot cut", "DOSW", [](const std::string& t) { return cutTo(t, payloadSize(t) - 1); }},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // A part of its own each time: the plug-in tells once per part for as long as it stays loaded, and
        // whether hostcam's unload really unloads it is the loader's business.
        const std::string damaged = dir.path() + "/damaged-" + std::to_string(++n) + ".pfp";
        const std::string saved = dir.path() + "/saved.pfp";
        editNote(recognised, damaged, c.prefix, c.edit);
        const std::vector<std::string> before = cycleRecordsOfFile(damaged);
        ASSERT_FALSE(before == cycleRecordsOfFile(recognised));

        // Two work cycles in one session: the user is told at the first, not again.
        EXPECT_EQ(run(damaged, "invoke\nanswer IDOK\nclick 18048 1\ninvoke\nclick 18048 1\n", saved), 0)
            << err.str();
        EXPECT_EQ(count(kDamageLine), 1u) << err.str();
        EXPECT_TRUE(cycleRecordsOfFile(saved) == before);
    }
}

// A table and stream cut short together by the same last holes look whole but for the counts of the view
// they left: the tree is not loaded as a smaller one.
TEST_F(DamagedRecords, ATreeCutShortWithItsTableIsNotLoadedAsASmallerOne) {
    const std::vector<std::string> notes = notesOfFile(recognised);
    const std::string table = noteOf(notes, "DRLT");
    const std::string stream = noteOf(notes, "DRLU");
    ASSERT_FALSE(table.empty());
    // The entries are 22 bytes: kind (2), offset (4), size (4) ... Cut before the 6th hole's image.
    auto entry = [&](std::size_t i, std::size_t at, std::size_t n) {
        std::uint64_t v = 0;
        for (std::size_t b = 0; b < n; ++b) {
            const std::size_t k = 16 + 2 * (22 * i + at + b);
            v |= static_cast<std::uint64_t>((table[k] - 'a') | ((table[k + 1] - 'a') << 4)) << (8 * b);
        }
        return v;
    };
    std::size_t holes = 0, cutEntry = 0;
    for (std::size_t i = 0; 16 + 2 * 22 * (i + 1) <= table.size(); ++i) {
        if (entry(i, 0, 2) == 2 && ++holes == 6) {
            cutEntry = i;
            break;
        }
    }
    ASSERT_EQ(holes, 6u);
    const std::size_t cutAt = entry(cutEntry, 2, 4);
    const std::string damaged = dir.path() + "/damaged.pfp";
    editNote(recognised, damaged, "DRLT", [&](const std::string& t) { return cutTo(t, 22 * cutEntry); });
    editNote(damaged, damaged, "DRLU", [&](const std::string& t) {
        std::string s = cutTo(t, cutAt + 4)[0];
        s.replace(s.size() - 8, 8, "aaaaaaaa");   // the closing zero bytes
        return std::vector<std::string>{s};
    });
    (void)stream;
    const std::vector<std::string> before = cycleRecordsOfFile(damaged);
    const std::string saved = dir.path() + "/saved.pfp";
    EXPECT_EQ(run(damaged, "invoke\nanswer IDOK\nclick 18048 1\n", saved), 0) << err.str();
    EXPECT_EQ(count(kDamageLine), 1u);
    EXPECT_TRUE(cycleRecordsOfFile(saved) == before);
}

// The user's own Execute replaces the damaged tree: the solid the last recognition hid is found again, so
// the part's holes come back whole.
TEST_F(DamagedRecords, ExecuteReplacesADamagedTreeWithTheWholePart) {
    const std::string damaged = dir.path() + "/damaged.pfp";
    const std::string saved = dir.path() + "/saved.pfp";
    editNote(recognised, damaged, "DRLU", countDigit);
    ASSERT_EQ(run(damaged, "invoke\nanswer IDOK\nclick 18048 18007\nclick 18036 1\nclick 18021 1\nclick 18048 1\n",
                  saved),
              0)
        << err.str();
    EXPECT_NE(out.str().find("dialog.show 18036"), std::string::npos);   // the run went through to its summary
    // The new tree is whole: the next session reads it without a word.
    ASSERT_EQ(run(saved, "invoke\nclick 18048 1\n"), 0) << err.str();
    EXPECT_EQ(out.str().find("msgbox"), std::string::npos);
    EXPECT_EQ(noteOf(notesOfFile(saved), "DRLU").size(), noteOf(notesOfFile(recognised), "DRLU").size());
}

}  // namespace
