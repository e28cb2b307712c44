// Part after part in one host session: the plug-in stays loaded while the user opens the next part, and what
// the user gets for that part is what a host started for it alone gives (the module loaded afresh, the files
// as the part before left them): the NC listing, the reports, the records saved in the part, its operations
// and groups, and the tables left in the library. Whatever came first: another part's whole main job, a
// table edited between them, the shared library refreshed between them, or a run cancelled half way.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>
#include <sstream>

#include "host/state.h"
#include "host/state_ops.h"
#include "hostapp/hostcam.h"
#include "platform/sys/files.h"
#include "support/host_session.h"
#include "support/main_job.h"
#include "support/part_notes.h"

namespace {

namespace fs = std::filesystem;

const std::string kMainJob = readWholeFile(kMainSession);

// What the user gets for the open part, its folder's name left out.
struct OUTCOME {
    std::string transcript, nc, drillingList, machiningTime, operations, groups, tables;
    std::vector<std::string> records;
};

// A record note's header and its payload's bytes, which the note holds as two letters each (low half first).
std::string payloadOf(const std::string& note) {
    std::string text = note.substr(0, 16);
    for (std::size_t i = 16; i + 1 < note.size(); i += 2)
        text += static_cast<char>((note[i] - 'a') | (note[i + 1] - 'a') << 4);
    return text;
}

// Every file of the module's library, named and whole, with the times of its making (seconds since 1970, which
// a table made by a run keeps) left out; of the shared library's index of table times only its name.
std::string libraryText(const std::string& moduleDir) {
    std::string text;
    std::vector<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(moduleDir + "/Forantix/FORMS_MM"))
        if (entry.is_regular_file()) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    const std::regex time(R"(\b1[0-9]{9}\b)");
    for (const fs::path& f : files)
        text += f.filename().string() + "\n" +
                (f.extension() == ".dt" ? "" : std::regex_replace(readWholeFile(f.string()), time, "<time>")) + "\n";
    return text;
}

int count(const std::string& text, const std::string& piece) {
    int n = 0;
    for (std::size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) ++n;
    return n;
}

// One user's station: a module and a host folder of its own, and a folder for the parts.
struct STATION {
    PrivateModule module;
    TempDir dir;
    std::string hostDir = copyShippedHostFolder(dir.path());
    std::string moduleDir() const { return fs::path(module.path()).parent_path().string(); }
    std::string library() const { return moduleDir() + "/Forantix/FORMS_MM/Standard"; }

    std::string local(const std::string& text) const {
        return replaceAll(replaceAll(text, dir.path() + "/", "<parts>/"), moduleDir() + "/", "<module>/");
    }
    OUTCOME outcome(const std::string& title, const std::string& transcript) const {
        OUTCOME o;
        o.transcript = local(transcript);
        std::string refused;
        o.nc = host::ncListing(&refused);
        EXPECT_EQ(refused, "");
        o.drillingList = local(readWholeFile(dir.path() + "/" + title + ".txt"));
        o.machiningTime = local(readWholeFile(dir.path() + "/" + title + "_Time.txt"));
        o.operations = host::dumpOperations();
        o.groups = host::dumpGroups();
        for (const std::string& note : part_notes::cycleRecordsOfOpenPart()) o.records.push_back(local(payloadOf(note)));
        o.tables = libraryText(moduleDir());
        return o;
    }
};

// The main job on the part `title` (a copy of an example in the station's folder), saved beside it.
std::string mainJobOn(const STATION& s, const std::string& example, const std::string& title) {
    const std::string step = s.dir.path() + "/" + title + ".step";
    if (!fs::exists(step)) fs::copy_file(std::string(FX_SOURCE_DIR) + "/data/examples/" + example, step);
    return "open " + step + "\n" + kMainJob + "save " + s.dir.path() + "/" + title + ".pfp\n";
}

// The Drilled table's process cut to its first operation, the spot drill: its holes are only spotted.
void spotDrillAlone(const std::string& library) {
    const std::string table = library + "/Drilled.tab";
    const std::string text = readWholeFile(table);
    const std::size_t drill = text.find("[1 2] ");
    ASSERT_NE(drill, std::string::npos);
    ASSERT_TRUE(plat::writeFile(table, text.substr(0, drill)));
}

// The main job on the example plate, the second part of every case but those that say otherwise.
std::string secondPlate(const STATION& s) { return mainJobOn(s, "holes_plate.step", "second"); }

// A recognised plate whose run block was damaged on disk (a digit of its count changed): the user is told of
// it at the first invocation on the part.
void damagedPart(STATION& s) {
    const std::string recognised = s.dir.path() + "/recognised.pfp";
    std::ostringstream out, err;
    ASSERT_EQ(host::hostcamMain({"--plugin", s.module.path(), "--host-dir", s.hostDir, "--open", kPlate, "--session",
                                 kMainSession, "--save", recognised},
                                out, err),
              0)
        << err.str();
    part_notes::editNote(recognised, s.dir.path() + "/damaged.pfp", "DRLP", [](const std::string& text) {
        std::string t = text;
        t[14] = t[14] == '9' ? '0' : static_cast<char>(t[14] + 1);
        return std::vector<std::string>{t};
    });
}
std::string lookAtDamagedPart(const STATION& s) {
    return "open " + s.dir.path() + "/damaged.pfp\ninvoke\n? answer IDOK\nclick 18048 1\n";
}

// The user sets the part's drilling side: its single through holes are drilled from the side of point P.
std::string drillingSideOfFirst(const STATION& s) {
    const std::string step = s.dir.path() + "/first.step";
    fs::copy_file(kPlate, step);
    return "open " + step +
           "\ninvoke\nclick 18048 18005\ncheck 18031 4119 1\nclick 18031 4120\nclick 18078 18041\n"
           "point 50 40 -100\nclick 18078 1\nclick 18031 1\nclick 18048 1\nsave " +
           s.dir.path() + "/first.pfp\n";
}

struct CASE {
    const char* what;
    // The stations' set-up before anything is played, the first part's script, what happens between the
    // parts, and the second part's script (the main job on the example plate when none).
    std::function<void(STATION&)> setUp;
    std::function<std::string(const STATION&)> first;
    std::function<void(STATION&)> between;
    std::function<std::string(const STATION&)> second;
    int drilledD8 = 2;   // operations of the D8 holes: spot and drill, or the spot alone once the edit is seen
    const char* recordsHold = "";   // a text the second part's records hold once the edit is seen
};
// A plate whose identical holes are told so in their records.
const char* const kTolerancePlate = "mixed_tolerance_plate.step";
// The plug-in's texts beside the module say otherwise how a hole is one of identical holes.
void identicalHolesSaidOtherwise(STATION& s) {
    const std::string texts = s.moduleDir() + "/Forantix.txt";
    const std::string said = "10. ; one of identical holes";
    ASSERT_NE(readWholeFile(texts).find(said), std::string::npos);
    ASSERT_TRUE(plat::writeFile(texts, replaceAll(readWholeFile(texts), said, "10. ; one of holes alike")));
}

// A shared library on the station's share, which the station reads only; it takes the share's tables at
// Execute.
void shareLibrary(STATION& s) {
    const std::string share = s.dir.path() + "/share";
    PrivateModule::installShippedTables(share);
    std::ofstream(s.moduleDir() + "/Forantix_mm.prm", std::ios::binary)
        << "[SharedData]\r\n1. 1\r\n2. 0\r\n3. " << share << "\r\n";
}

// Another station publishes the spot drill alone to the share, a while later than the station last looked.
void publishSpotDrillAlone(STATION& s) {
    const std::string shared = s.dir.path() + "/share/FORMS_MM/Standard";
    spotDrillAlone(shared);
    std::error_code ec;
    const fs::file_time_type later = fs::last_write_time(shared + "/Drilled.tab", ec) + std::chrono::seconds(5);
    fs::last_write_time(shared + "/Drilled.tab", later, ec);
    ASSERT_FALSE(ec) << ec.message();
}

const CASE kCases[] = {
    {"another part's main job", {}, [](const STATION& s) { return mainJobOn(s, "arm_bracket.step", "first"); }, {}, {}},
    {"the same part's main job", {}, [](const STATION& s) { return mainJobOn(s, "holes_plate.step", "first"); }, {},
     {}},
    {"a table edited between them", {}, [](const STATION& s) { return mainJobOn(s, "holes_plate.step", "first"); },
     [](STATION& s) { spotDrillAlone(s.library()); }, {}, 1},
    {"the shared library refreshed between them", shareLibrary,
     [](const STATION& s) { return mainJobOn(s, "holes_plate.step", "first"); }, publishSpotDrillAlone, {}, 1},
    {"the first part's run cancelled half way", {},
     [](const STATION& s) {
         const std::string step = s.dir.path() + "/first.step";
         fs::copy_file(std::string(FX_SOURCE_DIR) + "/data/examples/arm_bracket.step", step);
         return "open " + step + "\ninvoke\nclick 18048 18007\ncancel-wait\n? answer IDOK\nclick 18048 1\n";
     },
     {}, {}},
    {"the first part's drilling side", {}, drillingSideOfFirst, {}, {}},
    {"a damaged part opened again", damagedPart, lookAtDamagedPart, {}, lookAtDamagedPart, -1},
    {"the texts edited between them", {}, [](const STATION& s) { return mainJobOn(s, kTolerancePlate, "first"); },
     identicalHolesSaidOtherwise, [](const STATION& s) { return mainJobOn(s, kTolerancePlate, "second"); }, -1,
     "; one of holes alike"},
};

void PrintTo(const CASE& c, std::ostream* out) { *out << c.what; }

class PartAfterPart : public testing::TestWithParam<CASE> {};

// The second part's main job after the case's first part: in a host session of its own, and in the same
// session as the first.
TEST_P(PartAfterPart, TheNextPartGetsWhatItGetsAlone) {
    const CASE& c = GetParam();
    STATION alone, after;
    for (STATION* s : {&alone, &after}) {
        ASSERT_NE(s->hostDir, "");
        if (c.setUp) c.setUp(*s);
    }
    const auto secondOf = c.second ? c.second : secondPlate;
    const std::string second = secondOf(alone);
    ASSERT_EQ(secondOf(after), replaceAll(second, alone.dir.path(), after.dir.path()));

    OUTCOME expected;
    {
        HostSession first(alone.module, alone.hostDir);
        ASSERT_EQ(first.play(c.first(alone)), 0) << first.errors << first.transcript;
    }
    if (c.between) c.between(alone);
    {
        HostSession next(alone.module, alone.hostDir);
        ASSERT_EQ(next.play(second), 0) << next.errors << next.transcript;
        expected = alone.outcome("second", next.transcript);
    }

    HostSession session(after.module, after.hostDir);
    ASSERT_EQ(session.play(c.first(after)), 0) << session.errors << session.transcript;
    if (c.between) c.between(after);
    ASSERT_EQ(session.play(replaceAll(second, alone.dir.path(), after.dir.path())), 0)
        << session.errors << session.transcript;
    const OUTCOME got = after.outcome("second", session.transcript);

    EXPECT_EQ(got.transcript, expected.transcript);
    EXPECT_EQ(got.nc, expected.nc);
    EXPECT_EQ(got.drillingList, expected.drillingList);
    EXPECT_EQ(got.machiningTime, expected.machiningTime);
    EXPECT_EQ(got.operations, expected.operations);
    EXPECT_EQ(got.groups, expected.groups);
    EXPECT_TRUE(got.records == expected.records);
    EXPECT_EQ(got.tables, expected.tables);
    if (*c.recordsHold) {
        std::string records;
        for (const std::string& r : got.records) records += r;
        EXPECT_NE(records.find(c.recordsHold), std::string::npos);
    }
    const NC_PROGRAM program = readNcListing(got.nc);
    EXPECT_TRUE(program.errors.empty()) << got.nc;
    if (c.drilledD8 >= 0) {
        EXPECT_EQ(count(got.nc, "DRILLED D8)"), c.drilledD8) << got.nc;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, PartAfterPart, testing::ValuesIn(kCases), [](const auto& info) {
    std::string name;
    for (const char* p = info.param.what; *p; ++p)
        if (std::isalnum(static_cast<unsigned char>(*p))) name += *p;
    return name;
});

}  // namespace
