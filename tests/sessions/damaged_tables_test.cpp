// Damaged process tables, rows files and tool libraries as a user meets them in hostcam: the damaged file
// lies in the tables folder or the host folder, Execute is played on the example plate, and the user is
// told once which file is refused and why; the file keeps its bytes, and the run goes on without it as it
// does without the file (or stops, for the drill-size table, as it does without one).
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>
#include <sstream>

#include "host/state.h"
#include "host/tools/part_tools.h"
#include "host/tools/tool_library.h"
#include "hostapp/hostcam.h"
#include "platform/sys/files.h"
#include "platform/ui/driver.h"
#include "support/host_folder.h"
#include "support/main_job.h"
#include "support/part_notes.h"
#include "support/private_module.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

const std::string kModule = privateModule();
const std::string kDamaged = "The table file is damaged and is not used:";
// The user's way through Execute: the run's summary, the process tree, and the main menu closed.
const std::string kThroughTheRun = "click 18036 1\nclick 18021 1\nclick 18048 1\n";
// The operations of the whole process tree created, which ends the cycle.
const std::string kCreateOperations = "click 18036 1\nclick 18021 4158\n";
// A library check that stops Execute: only the main menu is left to close.
const std::string kStopped = "click 18048 1\n";

// The tools of a "TLSTd05" note: a count, an item size and the tool images, two letters a byte.
std::vector<tp_tool> recordTools(const std::string& note) {
    std::vector<std::uint8_t> payload;
    for (std::size_t i = 16; i + 1 < note.size(); i += 2)
        payload.push_back(static_cast<std::uint8_t>((note[i] - 'a') | ((note[i + 1] - 'a') << 4)));
    std::vector<tp_tool> tools;
    if (payload.size() < 8) return tools;
    std::uint32_t count = 0, size = 0;
    std::memcpy(&count, payload.data(), 4);
    std::memcpy(&size, payload.data() + 4, 4);
    for (std::uint32_t i = 0; i < count && 8 + (i + 1) * std::size_t{size} <= payload.size(); ++i)
        tools.push_back(tpToolFromImage(payload.data() + 8 + i * std::size_t{size}, size));
    return tools;
}

std::string bytesOf(const std::string& path) { return plat::readFile(path).value_or("<missing>"); }

// Appends to a library a centre drill of diameter 1e20, which its reader leaves out, in slot 130.
void appendBadCentreDrill(const std::string& library) {
    std::vector<tp_tool> tools;
    std::string why;
    ASSERT_TRUE(host::tools::decodeToolLibrary(bytesOf(library), tools, why)) << why;
    tp_tool bad = tools.front();
    bad.diameter = bad.secondDiameter = 1e20;
    bad.slot = bad.number = 130;
    std::snprintf(bad.name, sizeof bad.name, "CENTRE DRILL 1e20");
    tools.push_back(bad);
    ASSERT_TRUE(plat::writeFile(library, host::tools::encodeToolLibrary(tools)));
}

void edit(const std::string& path, const std::function<void(std::string&)>& change) {
    std::string text = bytesOf(path);
    change(text);
    ASSERT_TRUE(plat::writeFile(path, text));
}

std::function<void(std::string&)> replacing(std::string from, std::string to) {
    return [from, to](std::string& text) {
        const std::size_t at = text.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        text.replace(at, from.size(), to);
    };
}

class DamagedTables : public testing::Test {
protected:
    void SetUp() override {
        // The module's table library as shipped, whatever a test before this one in the process did to it.
        const fs::path installed = fs::path(kModule).parent_path() / "Forantix";
        fs::remove_all(installed);
        PrivateModule::installShippedTables(installed);
        tables = (installed / "FORMS_MM" / "Standard").string();
        work = (installed / "Tmp").string();
        hostDir = dir.path() + "/host";
        fs::remove_all(hostDir);
        fs::copy(std::string(FX_SOURCE_DIR) + "/data/host", hostDir, fs::copy_options::recursive);
        library = hostDir + "/Mill/Tools/Mill_mm.Tools";
    }
    void TearDown() override {
        host::reset();
        plat::driver().reset();
    }

    // hostcam on the example plate: the user starts the plug-in and clicks Execute, then plays `rest`.
    int execute(const std::string& rest, const std::vector<std::string>& more = {}) {
        const std::string file = dir.path() + "/s.session";
        std::ofstream(file) << "invoke\nclick 18048 18007\n" << rest;
        out.str("");
        err.str("");
        std::vector<std::string> args = {"--plugin", kModule, "--host-dir", hostDir, "--open",
                                         std::string(FX_SOURCE_DIR) + "/data/examples/holes_plate.step",
                                         "--session", file};
        args.insert(args.end(), more.begin(), more.end());
        return host::hostcamMain(args, out, err);
    }
    std::size_t count(const std::string& piece) const {
        std::size_t n = 0;
        for (std::size_t at = out.str().find(piece); at != std::string::npos; at = out.str().find(piece, at + 1)) ++n;
        return n;
    }
    // The operations the process tree shows ("T<n> ..." items; those of collapsed holes are not shown).
    std::size_t operations() const { return count("\", \"T"); }
    // The holes the process tree lists, each under its table and row ("Drilled D8 - 1").
    std::size_t holeItems() const {
        const std::string& text = out.str();
        const std::regex item("\"[^\"]+ - [0-9]+\"");
        return static_cast<std::size_t>(std::distance(std::sregex_iterator(text.begin(), text.end(), item),
                                                      std::sregex_iterator()));
    }
    // The module as installed, its settings gone (they name the last run's library), on a fresh host.
    void freshModule() {
        TearDown();
        resetPrivateModule();
        SetUp();
    }
    std::string table(const std::string& name, const char* extension = ".tab") const {
        return tables + "/" + name + extension;
    }

    TempDir dir;
    std::string tables, work, hostDir, library;
    std::ostringstream out, err;
};

TEST_F(DamagedTables, TheShippedLibraryGivesThePlateItsOperationsWithoutAWord) {
    ASSERT_EQ(execute(kThroughTheRun), 0) << err.str() << out.str();
    EXPECT_EQ(count("msgbox"), 0u) << out.str();
    // Every hole form of the plate has its row; the library lacks three cutters, made once and told.
    EXPECT_EQ(holeItems(), 11u) << out.str();
    EXPECT_EQ(count("3 tools were made and added to the tool library."), 1u) << out.str();
    EXPECT_EQ(count("tools were not found"), 0u) << out.str();
}

// Each damage in the form table the plate's drilled holes take: told once with the file and what is wrong,
// the file and its rows kept byte for byte, and the run ends with the holes of that form in a new table.
TEST_F(DamagedTables, ADamagedFormTableIsToldOnceKeptAndTheRunGoesOnWithoutIt) {
    struct CASE {
        const char* what;
        std::function<void(std::string&)> damage;
        const char* why;   // as the transcript quotes it
    };
    const CASE cases[] = {
        {"every column id 0",
         [](std::string& t) {
             for (const char* item : {"[Item 1] 0 1 ", "[Item 2] 1 2 ", "[Item 3] 3 3 ", "[Item 4] 8 4 "}) {
                 std::string zero = item;
                 zero[zero.size() - 2] = '0';
                 replacing(item, zero)(t);
             }
         },
         "column ids do not number its columns"},
        {"the D column past the column count", replacing("[Item 2] 1 2 \"D\"", "[Item 2] 1 9 \"D\""),
         "column ids do not number its columns"},
        {"the process column past the column count", replacing("[Item 3] 3 3 ", "[Item 3] 3 30 "),
         "column ids do not number its columns"},
        {"a word in its [BmpLastVal] line", replacing(" 0 0 0 0 0 0000000000", " 0 0 0 0 x 0000000000"),
         "[BmpLastVal]\\\" part holds"},
        {"no [Class] line", replacing("[Class] 0 21 0 0 0\r\n", ""), "[Class]\\\" part is missing"},
        {"NaN tolerances", replacing("0.010 0.160", "nan nan"), "[Prm]\\\" part holds a value that is not a number"},
        {"an infinite chamfer window", replacing("0.767945 0.802851", "0.767945 inf"), "[Prm]\\\" part holds"},
        {"a list column at version 3", replacing("[Class] 0 21", "[Class] 0 3"), "did not have yet"},
        {"a class that is not a number", replacing("[Class] 0 21", "[Class] x 21"), "class line"},
        {"NUL bytes where a write never came", replacing("[Class] 0 21", std::string("[Class] \0 21", 11)), "NUL bytes"},
        {"version -1", replacing("[Class] 0 21", "[Class] 0 -1"), "format version -1 is not one"},
    };
    for (const CASE& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        edit(table("Drilled"), c.damage);
        const std::string before = bytesOf(table("Drilled")), rows = bytesOf(table("Drilled", ".txt"));
        ASSERT_EQ(execute("answer 1\n" + kThroughTheRun), 0) << err.str() << out.str();
        EXPECT_EQ(count(kDamaged), 1u) << out.str();
        EXPECT_EQ(count("msgbox"), 1u) << out.str();
        EXPECT_NE(out.str().find(table("Drilled")), std::string::npos);
        EXPECT_NE(out.str().find(c.why), std::string::npos) << out.str();
        EXPECT_EQ(bytesOf(table("Drilled")), before);
        EXPECT_EQ(bytesOf(table("Drilled", ".txt")), rows);
        EXPECT_TRUE(fs::exists(table("_Forantix_1d_1"))) << "the drilled holes' new table";
        EXPECT_GT(operations(), 0u);
        TearDown();
    }
}

// Shapes of the form table the plate's drilled holes take that the format allows, hand edits and the writer's
// own: nothing is told, the holes keep the table, and the run's write of it (a provisional row for the hole
// whose row was taken out) gives the file back as the writer writes it: the head whole again, the process
// part carried over as it was, extra cells dropped.
TEST_F(DamagedTables, TablesTheFormatAllowsAreUsedAndWrittenBackAsTheWriterWrites) {
    const std::string shipped = bytesOf(table("Drilled"));
    const std::string head = shipped.substr(0, shipped.find("[Process]")), process = shipped.substr(head.size());
    std::string defaults = head.substr(head.find("[Prm]"));   // the head's values as a file without them reads
    const std::size_t prm = defaults.find("\r\n") + 2;
    defaults.replace(prm, defaults.find("\r\n", prm) - prm,
                     "0 0.000 0.000 0 0.000 0 0.000 0 0.000000 0.000000 0.000 0 0.000 0 0.000 0 0.000 0.000 0.000");
    const std::string beforePrm = head.substr(0, head.find("[Prm]"));
    const std::string d8 = "D8 8 1 (0,0,6,10,16,25,40) \r\n";
    struct CASE {
        const char* what;
        std::string tab, rows;              // as the user left them (the D8 row taken out)
        std::string tabAfter, rowsAfter;    // "" where the run leaves it as it was
        std::string answers = "";
        std::size_t holes = 11;             // hole items of the process tree
    };
    std::string rows = bytesOf(table("Drilled", ".txt"));
    rows.erase(rows.find(d8), d8.size());
    std::string wide = rows, catalogue = rows, big = rows;
    wide.replace(wide.find("D9 9 1 (0,0,6,10,16,25,40) "), 27, "D9 9 1 (0,0,6,10,16,25,40) 77 spare");
    catalogue.replace(catalogue.find("D9 "), 3, "1234567 ");
    big.replace(big.find("D20 20 "), 7, "D20 2500000 ");
    const CASE cases[] = {
        // Its rows name process 1, which it has not: each hole's look-up is told.
        {"no [Process] part", head, rows, head, "", "answer 1\nanswer 1\nanswer 1\nanswer 1\nanswer 1\n", 6},
        {"[Process] before [Prm]", beforePrm + process + head.substr(beforePrm.size()), rows,
         beforePrm + defaults + process + head.substr(beforePrm.size()), ""},
        {"a [Class] line of two numbers", "[Class] 0 21" + shipped.substr(shipped.find("\r\n")), rows, shipped, ""},
        {"a row wider than the table", shipped, wide, shipped, rows},
        {"a 7-digit catalogue number as a row name", shipped, catalogue, shipped, catalogue},
        {"a measure above a million", shipped, big, shipped, big},
    };
    for (const CASE& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        ASSERT_TRUE(plat::writeFile(table("Drilled"), c.tab));
        ASSERT_TRUE(plat::writeFile(table("Drilled", ".txt"), c.rows));
        ASSERT_EQ(execute(c.answers + kThroughTheRun), 0) << err.str() << out.str();
        EXPECT_EQ(count(kDamaged), 0u) << out.str();
        EXPECT_FALSE(fs::exists(table("_Forantix_1d_1"))) << "the drilled holes keep their table";
        EXPECT_GT(count("\"Drilled "), 0u) << out.str();
        EXPECT_EQ(holeItems(), c.holes) << out.str();
        // The write stamps its time on the "[BmpLastVal]" line.
        std::string tabAfter = bytesOf(table("Drilled"));
        const std::size_t stamp = tabAfter.find("\r\n", tabAfter.find("[BmpLastVal]\r\n") + 14) - 10;
        ASSERT_LT(stamp, tabAfter.size());
        tabAfter.replace(stamp, 10, "0000000000");
        EXPECT_EQ(tabAfter, c.tabAfter);
        const std::string rowsAfter = bytesOf(table("Drilled", ".txt"));
        ASSERT_NE(rowsAfter.find("**8"), std::string::npos) << "the D8 hole's provisional row: " << rowsAfter;
        EXPECT_EQ(rowsAfter.substr(0, rowsAfter.find("**8")), c.rowsAfter.empty() ? c.rows : c.rowsAfter);
        TearDown();
    }
}

// The drill-size table refused: Execute stops as it does without one, and nothing is migrated or written.
TEST_F(DamagedTables, ADamagedDrillSizeTableIsNeverMigratedAndExecuteStopsAsWithoutOne) {
    struct CASE {
        const char* what;
        const char* file;
        std::function<void(std::string&)> damage;
        const char* why;
    };
    const CASE cases[] = {
        {"NUL bytes in its class line", ".tab", replacing("[Class] 1 21", std::string("[Class] \0\0 21", 13)), "NUL bytes"},
        {"version 0", ".tab", replacing("[Class] 1 21", "[Class] 1 0"), "format version 0 is not one"},
        {"version 2 with its list column", ".tab", replacing("[Class] 1 21", "[Class] 1 2"), "did not have yet"},
        {"a NaN diameter in a row", ".txt", replacing("1 0.04 0.5", "nan 0.04 0.5"), "Row 1 holds a value that is not"},
        {"an infinite allowance in a row", ".txt", replacing("2 0.08 1", "2 inf 1"), "Row 3 holds a value that is not"},
        {"an allowance of 1e999 in a row", ".txt", replacing("1 0.04 0.5", "1 1e999 0.5"), "Row 1 holds a value that is not"},
    };
    for (const CASE& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        const std::string damaged = table("Drill sizes", c.file);
        edit(damaged, c.damage);
        const std::string tab = bytesOf(table("Drill sizes")), txt = bytesOf(table("Drill sizes", ".txt"));
        ASSERT_EQ(execute("answer 1\nanswer 1\n" + kStopped), 0) << err.str() << out.str();
        EXPECT_EQ(count(kDamaged), 1u) << out.str();
        EXPECT_NE(out.str().find(damaged), std::string::npos);
        EXPECT_NE(out.str().find(c.why), std::string::npos) << out.str();
        EXPECT_NE(out.str().find("has no drill-size table"), std::string::npos) << out.str();
        EXPECT_EQ(bytesOf(table("Drill sizes")), tab);
        EXPECT_EQ(bytesOf(table("Drill sizes", ".txt")), txt);
        EXPECT_FALSE(fs::exists(work + "/Drill sizes.Ta~")) << "no migration began";
        TearDown();
    }
}

// A table's rows that a hole does not find: the provisional row cannot reach the rows file when its safety
// copy cannot be made, and then the table file is not rewritten either.
TEST_F(DamagedTables, ARowThatCannotBeSavedLeavesTheTableAndItsRowsAsTheyWere) {
    edit(table("Drilled", ".txt"), replacing("D8 8 1 (0,0,6,10,16,25,40) \r\n", ""));
    ASSERT_EQ(execute(kThroughTheRun), 0) << err.str() << out.str();
    ASSERT_NE(bytesOf(table("Drilled", ".txt")).find("**8"), std::string::npos) << "a provisional row is made";

    SetUp();
    edit(table("Drilled", ".txt"), replacing("D8 8 1 (0,0,6,10,16,25,40) \r\n", ""));
    const std::string tab = bytesOf(table("Drilled")), txt = bytesOf(table("Drilled", ".txt"));
    fs::create_directories(work + "/Drilled.tx~");   // in the way of the rows file's safety copy
    ASSERT_EQ(execute("answer 1\n" + kThroughTheRun), 0) << err.str() << out.str();
    EXPECT_NE(out.str().find("The table could not be written; it is kept as it was:\\n" + table("Drilled", ".txt")),
              std::string::npos)
        << out.str();
    EXPECT_EQ(bytesOf(table("Drilled")), tab);
    EXPECT_EQ(bytesOf(table("Drilled", ".txt")), txt);
}

// An operation line of a process whose decimal field is not a number: the process is refused once.
TEST_F(DamagedTables, AnOperationThatIsNotANumberRefusesItsProcess) {
    edit(table("Drilled"), replacing("[1 2] 3 1 2 0 0 8.0000", "[1 2] 3 1 2 0 0 nan"));
    const std::string before = bytesOf(table("Drilled"));
    ASSERT_EQ(execute("answer 1\n" + kThroughTheRun), 0) << err.str() << out.str();
    EXPECT_EQ(count(kDamaged), 1u) << out.str();
    EXPECT_NE(out.str().find("An operation of its process 1 is cut short or holds a value that is not a number"),
              std::string::npos)
        << out.str();
    EXPECT_EQ(bytesOf(table("Drilled")), before);
    EXPECT_EQ(out.str().find("nan"), std::string::npos) << out.str();
}

// A tool library whose checksum is right but one of whose tools breaks the rule of tools: that tool is told
// once and left out, every other tool of the library serves the run as before, and, the user keeping the
// library as it is when the host asks, it is not rewritten and takes none of the tools made, as the summary
// says.
TEST_F(DamagedTables, AToolLibraryWithOneBadToolKeepsItsOtherToolsAndTellsTheBadOne) {
    struct CASE {
        const char* what;
        std::function<void(tp_tool&)> damage;
        const char* why;
    };
    const CASE cases[] = {
        {"a NaN diameter", [](tp_tool& t) { t.diameter = std::nan(""); }, "its diameter is not a number"},
        {"an infinite flute length", [](tp_tool& t) { t.fluteLength = INFINITY; }, "its flute length is not a number"},
        {"a diameter of 1e20", [](tp_tool& t) { t.diameter = 1e20; }, "its diameter 1e+20 is out of range"},
        {"a negative overall length", [](tp_tool& t) { t.overallLength = -40; }, "its overall length -40 is out of range"},
        {"an angle of 400 degrees", [](tp_tool& t) { t.angle = 400; }, "its angle 400 is out of range"},
        {"an angle of 270 degrees", [](tp_tool& t) { t.angle = 270; }, "its angle 270 is out of range"},
        {"a point angle of 1e-6 degrees", [](tp_tool& t) { t.angle = 1e-6; },
         "its point angle 1e-06 is out of range: a centre drill's is 0 (none given) or 30 to 150 degrees"},
        {"a peck of 1e-6 % of its diameter", [](tp_tool& t) { t.peckPercent[1] = 1e-6; },
         "its subsequent peck 1e-06 % is out of range: it is 0 (none) or 5 to 10000 % of its diameter"},
        {"a NaN feed", [](tp_tool& t) { t.feeds[1] = std::nan(""); }, "a feed, speed, peck or dwell value of it is not"},
        {"a slot taken twice", [](tp_tool& t) { t.slot = 1; }, "it has slot 1, which is not a free positive slot"},
    };
    ASSERT_EQ(execute(kCreateOperations), 0) << err.str() << out.str();
    const std::size_t partTools = count("host.tool added");
    // The host asks once whether to write the library again without the bad tool; the user keeps it.
    const std::string notAdded = "answer IDNO\n";
    for (const CASE& c : cases) {
        SCOPED_TRACE(c.what);
        TearDown();
        SetUp();
        std::vector<tp_tool> tools;
        std::string why;
        ASSERT_TRUE(host::tools::decodeToolLibrary(bytesOf(library), tools, why)) << why;
        c.damage(tools[3]);
        ASSERT_TRUE(plat::writeFile(library, host::tools::encodeToolLibrary(tools)));
        const std::string before = bytesOf(library);
        const std::string part = dir.path() + "/plate.pfp";
        ASSERT_EQ(execute(notAdded + kCreateOperations, {"--save", part}), 0) << err.str() << out.str();
        EXPECT_NE(out.str().find("left out: tool 4 (" + std::string(tools[3].name) + "): " + c.why), std::string::npos)
            << out.str();
        EXPECT_EQ(count("left out: tool 4"), 1u) << out.str();
        EXPECT_EQ(count("msgbox"), 1u) << out.str();
        EXPECT_EQ(count("3 tools made for operations were not taken by the tool library " + library), 1u) << out.str();
        EXPECT_EQ(count(library + " cannot be read:"), 0u) << "the library is not refused whole";
        EXPECT_EQ(count("host.tool added"), partTools) << "its other tools reach the part";
        EXPECT_EQ(bytesOf(library), before);
        EXPECT_EQ(out.str().find("nan"), std::string::npos);
        EXPECT_EQ(out.str().find("inf "), std::string::npos);
        const std::vector<tp_tool> kept = recordTools(part_notes::noteOf(part_notes::notesOfFile(part), "TLST"));
        EXPECT_FALSE(kept.empty()) << "the run's tools are kept in the part";
        for (const tp_tool& t : kept) EXPECT_EQ(tool_values_why(t), "") << t.name;
    }
}

// A library holding one tool its reader leaves out (an unused centre drill of 1e20, as earlier releases left
// libraries), played with the shipped session on every example part: the host asks once whether to write the
// library again without it, the session keeps it, and the job plays to its end with the operations of a sound
// library (the made tools numbered after the library's highest), its made tools kept in the part only, the
// library's bytes as they were and the summary saying it took none of them. The plate whose D8 row the user
// took out has its D8 holes in an adapted row, whose tools meet the question too.
TEST_F(DamagedTables, TheShippedSessionPlaysEveryExampleWithABadToolInTheLibrary) {
    const auto masked = [](const std::string& nc) { return std::regex_replace(nc, std::regex(R"(([TH])\d+)"), "$1#"); };
    struct CASE {
        fs::path part;
        bool withoutD8 = false;   // the Drilled table's D8 row taken out
    };
    std::vector<CASE> cases;
    for (const auto& file : fs::directory_iterator(std::string(FX_SOURCE_DIR) + "/data/examples")) cases.push_back({file.path()});
    cases.push_back({kPlate, true});
    for (const CASE& c : cases) {
        const std::string title = c.part.stem().string();
        SCOPED_TRACE(title + (c.withoutD8 ? " without its D8 row" : ""));
        TempDir sound, bad;
        const auto tables = [&] {
            freshModule();
            if (c.withoutD8) edit(table("Drilled", ".txt"), replacing("D8 8 1 (0,0,6,10,16,25,40) \r\n", ""));
        };
        tables();
        const MainJobRun expected = runMainJob(sound, kMainSession, c.part.string(), title);
        ASSERT_EQ(expected.code, 0) << expected.err << expected.out;
        if (c.withoutD8) {
            ASSERT_NE(bytesOf(table("Drilled", ".txt")).find("**8"), std::string::npos) << "an adapted row";
        }
        tables();
        const std::string badLibrary = copyShippedHostFolder(bad.path()) + "/Mill/Tools/Mill_mm.Tools";
        appendBadCentreDrill(badLibrary);
        const std::string before = bytesOf(badLibrary);
        const MainJobRun run = runMainJob(bad, kMainSession, c.part.string(), title);
        ASSERT_EQ(run.code, 0) << run.err << run.out;
        const auto times = [&](const std::string& piece) {
            std::size_t n = 0;
            for (std::size_t at = run.out.find(piece); at != std::string::npos; at = run.out.find(piece, at + 1)) ++n;
            return n;
        };
        EXPECT_EQ(times("caption=\"Tool library\" text=\"The tool library " + badLibrary +
                        " holds tools that cannot be read: tool 130 (CENTRE DRILL 1e20): its diameter 1e+20 is out of "
                        "range. It takes no tool until they are mended or removed."),
                  1u)
            << run.out;
        EXPECT_EQ(times("-> IDNO"), times("msgbox")) << run.out;
        EXPECT_EQ(times("left out: tool 130"), 1u) << run.out;
        EXPECT_EQ(times("host.library added"), 0u) << run.out;
        EXPECT_EQ(times("tools made for operations were not taken by the tool library " + badLibrary), 1u) << run.out;
        EXPECT_EQ(bytesOf(badLibrary), before);
        EXPECT_EQ(masked(run.nc), masked(expected.nc));
        EXPECT_EQ(run.operations.size(), expected.operations.size());
        const auto made = [](const std::vector<tp_tool>& tools) {
            return std::count_if(tools.begin(), tools.end(), [](const tp_tool& t) { return t.name[0] == '*'; });
        };
        const std::vector<tp_tool> kept =
            recordTools(part_notes::noteOf(part_notes::notesOfFile(bad.path() + "/" + title + ".pfp"), "TLST"));
        EXPECT_GT(made(kept), 0) << "the made tools are kept in the part";
        EXPECT_EQ(made(kept),
                  made(recordTools(part_notes::noteOf(part_notes::notesOfFile(sound.path() + "/" + title + ".pfp"), "TLST"))));
    }
}

// Agreeing when the host asks, the user has the library written again without its bad tool: it takes the tools
// made, the job is the sound library's to the listing, and Execute again on the saved part, whose tools were
// made and stored the first time, asks nothing and stores nothing more.
TEST_F(DamagedTables, AgreeingTheLibraryIsWrittenAgainWithoutTheBadToolAndTakesTheMadeOnes) {
    TempDir sound, bad;
    freshModule();
    const MainJobRun expected = runMainJob(sound);
    ASSERT_EQ(expected.code, 0) << expected.err << expected.out;
    freshModule();
    const std::string badLibrary = copyShippedHostFolder(bad.path()) + "/Mill/Tools/Mill_mm.Tools";
    appendBadCentreDrill(badLibrary);
    std::string session = bytesOf(kMainSession);
    const std::size_t no = session.find("? answer IDNO");
    ASSERT_NE(no, std::string::npos);
    session.replace(no, 13, "answer IDYES");
    const std::string agreeing = bad.path() + "/agree.session";
    ASSERT_TRUE(plat::writeFile(agreeing, session));
    const MainJobRun run = runMainJob(bad, agreeing);
    ASSERT_EQ(run.code, 0) << run.err << run.out;
    EXPECT_NE(run.out.find("host.library without the tools left out \"" + badLibrary + "\""), std::string::npos);
    EXPECT_NE(run.out.find("3 tools were made and added to the tool library."), std::string::npos) << run.out;
    EXPECT_EQ(run.nc, expected.nc);
    std::vector<tp_tool> tools;
    std::string refusal, leftOut;
    ASSERT_TRUE(host::tools::readToolLibrary(badLibrary, tools, refusal, &leftOut)) << refusal;
    EXPECT_EQ(leftOut, "");
    EXPECT_EQ(tools.size(), 129u + 3u) << "the shipped tools and the three made";
    const std::string mended = bytesOf(badLibrary);

    host::reset();
    plat::driver().reset();
    const MainJobRun again = runMainJob(bad, kMainSession, bad.path() + "/holes_plate.pfp", "again");
    ASSERT_EQ(again.code, 0) << again.err << again.out;
    EXPECT_EQ(again.out.find("msgbox"), std::string::npos) << again.out;
    EXPECT_EQ(again.out.find("host.library added"), std::string::npos) << again.out;
    EXPECT_EQ(bytesOf(badLibrary), mended);
}

// A process line asking for a tool no library may hold (a spot drill of 1e20 or 1e308 mm, which the table
// reader takes as finite numbers): the line is told, the operation gets no tool, the library takes none and
// the listing drills with no such tool; the next run reads the library whole.
TEST_F(DamagedTables, AProcessLineAskingForAToolOutOfRangeIsToldAndMakesNoTool) {
    for (const char* diameter : {"1e20", "1e308"}) {
        SCOPED_TRACE(diameter);
        TearDown();
        SetUp();
        edit(table("Drilled"), replacing("[1 1] 2 0 2 0 0 10.0000", std::string("[1 1] 2 0 2 0 0 ") + diameter));
        const std::string nc = dir.path() + "/plate.nc";
        ASSERT_EQ(execute("answer IDOK\n" + kCreateOperations, {"--nc", nc}), 0) << err.str() << out.str();
        EXPECT_EQ(count("Table " + table("Drilled") + ", process line [1 1]: the tool it asks for cannot be made, as "
                        "its diameter "),
                  1u)
            << out.str();
        std::vector<tp_tool> tools;
        std::string message;
        ASSERT_TRUE(host::tools::readToolLibrary(library, tools, message));
        EXPECT_EQ(message, "") << "nothing the reader leaves out was written";
        for (const tp_tool& t : tools) EXPECT_LE(t.diameter, 100) << t.name;
        const std::string listing = bytesOf(nc);
        EXPECT_NE(listing.find("G81"), std::string::npos) << "the other spot drills drill";
        EXPECT_EQ(listing.find("inf"), std::string::npos) << listing;
        EXPECT_EQ(listing.find("Z1120"), std::string::npos) << listing;
        ASSERT_EQ(execute("answer IDOK\n" + kThroughTheRun), 0) << err.str() << out.str();
        EXPECT_EQ(count("left out: tool"), 0u) << out.str();
        EXPECT_EQ(count("cannot be read:"), 0u) << out.str();
    }
}

// A part whose kept tools hold a diameter that breaks the rule of tools (as an earlier release saved them, or
// a process line of 1e20 made them): the damaged record is told, kept byte for byte through open and save,
// and its tools are not used.
TEST_F(DamagedTables, ToolsKeptInThePartThatBreakTheRuleAreToldAndKeptAsTheyAre) {
    const std::string part = dir.path() + "/plate.pfp", damaged = dir.path() + "/bad.pfp";
    ASSERT_EQ(execute(kCreateOperations, {"--save", part}), 0) << err.str() << out.str();
    for (const double diameter : {std::nan(""), 1e20}) {
        SCOPED_TRACE(diameter);
        part_notes::editNote(part, damaged, "TLST", [diameter](const std::string& text) {
            std::string edited = text;
            std::uint8_t bytes[8];
            std::memcpy(bytes, &diameter, 8);
            const std::size_t at = 16 + 2 * (8 + 8);   // the first tool's diameter, two letters a byte
            for (int i = 0; i < 8; ++i) {
                edited[at + 2 * i] = static_cast<char>('a' + (bytes[i] & 15));
                edited[at + 2 * i + 1] = static_cast<char>('a' + (bytes[i] >> 4));
            }
            return std::vector<std::string>{edited};
        });
        const std::string before = part_notes::noteOf(part_notes::notesOfFile(damaged), "TLST");
        const double kept = recordTools(before).at(0).diameter;
        ASSERT_TRUE(std::isnan(diameter) ? std::isnan(kept) : kept == diameter);
        const std::string file = dir.path() + "/open.session";
        std::ofstream(file) << "invoke\nanswer 1\nclick 18048 1\n";
        out.str("");
        err.str("");
        ASSERT_EQ(host::hostcamMain({"--plugin", kModule, "--host-dir", hostDir, "--open", damaged, "--session",
                                     file, "--save", dir.path() + "/again.pfp"},
                                    out, err),
                  0)
            << err.str() << out.str();
        EXPECT_EQ(count("Some of the records Forantix keeps in this part are damaged."), 1u) << out.str();
        EXPECT_EQ(part_notes::noteOf(part_notes::notesOfFile(dir.path() + "/again.pfp"), "TLST"), before);
        host::reset();
        plat::driver().reset();
    }
}

// Execute again and again on the same part: the tools it made the first time are in the library already,
// and are taken from it: the summary then tells no tool made (its Continue is its third button), and the
// countersink, whose conical mill was made the first time, is opened in the tree to show its tool.
TEST_F(DamagedTables, AMadeToolIsAddedToTheLibraryOnce) {
    ASSERT_EQ(execute(kThroughTheRun), 0) << err.str() << out.str();
    EXPECT_EQ(count("host.library added"), 3u) << out.str();
    EXPECT_NE(out.str().find("host.library added \"" + library + "\" slot=130 number=130 \"** 6.60 x 9.80 Conical mill"),
              std::string::npos)
        << out.str();
    const std::string once = bytesOf(library);
    for (int again = 0; again < 2; ++again) {
        host::reset();
        plat::driver().reset();
        ASSERT_EQ(execute("click 18036 3\ntree-expand 18021 4003 \"(Group 0)  TOP\"\n"
                          "tree-expand 18021 4003 \"(Group 0)  TOP/Countersunk CS12.6 - 1\"\n"
                          "click 18021 1\nclick 18048 1\n"),
                  0)
            << err.str() << out.str();
        EXPECT_EQ(count("host.library added"), 0u) << out.str();
        EXPECT_EQ(bytesOf(library), once);
        EXPECT_NE(out.str().find("T130 "), std::string::npos) << "the stored tool's number";
    }
}

// Execute reads each library once, however many tools it looks up or misses (a library at the format's
// limit of 65,535 tools costs a run what reading it once costs).
TEST_F(DamagedTables, EachLibraryIsReadOncePerRun) {
    ASSERT_EQ(execute(kThroughTheRun), 0) << err.str() << out.str();
    EXPECT_EQ(count("host.library added"), 3u) << "tools were missed and made";
    EXPECT_EQ(host::libraryReads(library), 1);
    EXPECT_LE(host::libraryReads(hostDir + "/Mill/Tools/big_mm.Tools"), 1);
}

}  // namespace
