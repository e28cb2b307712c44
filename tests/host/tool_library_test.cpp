// Tool library files as the plug-in meets them through list_manager and library_manager: tools written
// read back in every byte, rewrites by slot, next free numbers and slots, and damaged, cut or foreign files
// refused with a message (never read past their end); the spot-drill templates read and are added to.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "host/tools/record_file.h"
#include "host/tools/tool_library.h"
#include "platform/sys/files.h"
#include "platform/ui/message_box.h"
#include "plugin/services/tables.h"
#include "support/host_tools_fixture.h"

namespace {

// The tools of a library through list_manager, or nullopt when it refuses the file.
std::optional<std::vector<tp_tool>> load(const std::string& path) {
    tool_node* list = reinterpret_cast<tool_node*>(1);
    const int ok = list_manager(kListTools, path.c_str(), kListLoad, &list);
    std::vector<tp_tool> tools;
    for (tool_node* n = list; n; n = n->next) tools.push_back(n->tool);
    EXPECT_EQ(list_manager(kListTools, "", kListFree, &list), 1);
    EXPECT_EQ(list, nullptr);
    if (!ok) {
        EXPECT_TRUE(tools.empty());
        return std::nullopt;
    }
    return tools;
}

int store(const std::string& path, tp_tool& tool, int numberOrSlot, int option) {
    char buf[1024];
    std::snprintf(buf, sizeof buf, "%s", path.c_str());
    return library_manager(kLibraryStoreTool, buf, &tool, numberOrSlot, option);
}

std::string image(const tp_tool& t) {
    const TP_TOOL_BYTES b = tpToolImage(t);
    return std::string(reinterpret_cast<const char*>(b.data()), b.size());
}

using ToolLibraryFiles = HostTools;

TEST_F(ToolLibraryFiles, ToolsWrittenReadBackInEveryByteWithTheirSlotsAndNumbers) {
    const std::string lib = path("mine.Tools");
    tp_tool drill = sampleTool(3, 6.8, "DRILL 6.8");
    tp_tool tap = sampleTool(4, 8, "TAP M8x1.25");
    tap.pitch = 1.25;
    tp_tool mill = sampleTool(10, 10, "FLAT END MILL 10");
    mill.slot = 7;   // a free slot is kept
    EXPECT_EQ(store(lib, drill, 12, kLibraryOptionAdd), 1);
    EXPECT_EQ(store(lib, tap, 0, kLibraryOptionAdd), 1);
    EXPECT_EQ(store(lib, mill, 0, kLibraryOptionAdd), 1);
    EXPECT_EQ(drill.slot, 1);
    EXPECT_EQ(drill.number, 12);
    EXPECT_EQ(tap.slot, 2);
    EXPECT_EQ(tap.number, 13);
    EXPECT_EQ(mill.slot, 7);
    EXPECT_EQ(mill.number, 14);

    std::optional<std::vector<tp_tool>> tools = load(lib);
    ASSERT_TRUE(tools);
    ASSERT_EQ(tools->size(), 3u);
    EXPECT_EQ(image((*tools)[0]), image(drill));
    EXPECT_EQ(image((*tools)[1]), image(tap));
    EXPECT_EQ(image((*tools)[2]), image(mill));
    EXPECT_EQ((*tools)[2].reserved[7], 0x5A);

    // A slot already in the library is not taken twice; mode 1 hands back the slot it gave.
    tp_tool again = sampleTool(3, 5, "DRILL 5");
    again.slot = 2;
    char buf[1024];
    std::snprintf(buf, sizeof buf, "%s", lib.c_str());
    EXPECT_EQ(library_manager(kLibraryAddTool, buf, &again), 8);
    EXPECT_EQ(again.number, 15);

    const host::tools::NextFree next = host::tools::nextFree(*load(lib));
    EXPECT_EQ(next.number, 16);
    EXPECT_EQ(next.slot, 9);
    EXPECT_TRUE(plat::driver().transcript().contains("host.library added"));
}

TEST_F(ToolLibraryFiles, RewriteBySlotChangesOnlyThatTool) {
    const std::string lib = path("rewrite.Tools");
    tp_tool a = sampleTool(3, 4.2, "DRILL 4.2"), b = sampleTool(3, 5, "DRILL 5"), c = sampleTool(6, 6, "REAMER 6H7");
    ASSERT_EQ(store(lib, a, 0, kLibraryOptionAdd), 1);
    ASSERT_EQ(store(lib, b, 0, kLibraryOptionAdd), 1);
    ASSERT_EQ(store(lib, c, 0, kLibraryOptionAdd), 1);

    tp_tool edited = b;
    edited.diameter = 5.1;
    std::snprintf(edited.name, sizeof edited.name, "DRILL 5.1");
    edited.slot = 99;    // the slot argument decides, not the record's
    edited.number = 0;   // the tool keeps its number
    // The path as the plug-in may give it, lower-cased: the library is found and rewritten in place.
    EXPECT_EQ(store(path("REWRITE.TOOLS"), edited, b.slot, kLibraryOptionRewrite), 1);
    EXPECT_FALSE(plat::readFile(path("REWRITE.TOOLS"))) << "no second library beside the first";

    std::vector<tp_tool> tools = *load(lib);
    ASSERT_EQ(tools.size(), 3u);
    EXPECT_EQ(image(tools[0]), image(a));
    EXPECT_EQ(image(tools[2]), image(c));
    EXPECT_STREQ(tools[1].name, "DRILL 5.1");
    EXPECT_EQ(tools[1].diameter, 5.1);
    EXPECT_EQ(tools[1].slot, b.slot);
    EXPECT_EQ(tools[1].number, b.number);

    EXPECT_EQ(store(lib, edited, 42, kLibraryOptionRewrite), 0);
    EXPECT_NE(host::lastLibraryMessage().find("no tool in slot 42"), std::string::npos) << host::lastLibraryMessage();
    EXPECT_EQ(store(lib, edited, b.slot, 2), 0) << "an option the host does not know";
    EXPECT_STREQ((*load(lib))[1].name, "DRILL 5.1");
}

TEST_F(ToolLibraryFiles, AMissingOrEmptyLibraryStartsAtNumberAndSlotOne) {
    EXPECT_FALSE(load(path("none.Tools")));
    EXPECT_NE(host::lastLibraryMessage().find("does not exist"), std::string::npos);
    EXPECT_FALSE(plat::driver().transcript().contains("host.message")) << "a library about to be made is no fault";
    std::string message;
    ASSERT_TRUE(host::tools::writeToolLibrary(path("empty.Tools"), {}, message)) << message;
    const std::optional<std::vector<tp_tool>> tools = load(path("empty.Tools"));
    ASSERT_TRUE(tools);
    EXPECT_TRUE(tools->empty());
    const host::tools::NextFree next = host::tools::nextFree(*tools);
    EXPECT_EQ(next.number, 1);
    EXPECT_EQ(next.slot, 1);
}

// A library of three tools, changed in one way each; every one is refused with a message that says why.
TEST_F(ToolLibraryFiles, DamagedLibrariesAreRefusedWithAMessage) {
    std::vector<tp_tool> tools = {sampleTool(3, 3.3, "DRILL 3.3"), sampleTool(4, 4, "TAP M4"),
                                  sampleTool(2, 10, "SPOT 10")};
    for (std::size_t i = 0; i < tools.size(); ++i) tools[i].slot = static_cast<std::int32_t>(i + 1);
    const std::string good = host::tools::encodeToolLibrary(tools);
    auto withCrc = [](std::string b) {   // damage that the checksum does not catch, so the record checks must
        host::tools::putU32(b, 16, host::tools::crc32(std::string_view(b).substr(32)));
        return b;
    };
    struct Case {
        const char* what;
        std::string bytes;
        const char* says;
        std::size_t kept = 0;   // the tools read when one bad tool is left out; 0: the file is refused whole
    };
    std::vector<Case> cases;
    cases.push_back({"a text file", "slot;type;diameter\n1;3;6.8\n", "not a file of this kind"});
    cases.push_back({"one byte flipped in a record", good, "checksum"});
    cases.back().bytes[32 + 1680 + 100] ^= 0x01;
    cases.push_back({"a record cut off", good.substr(0, good.size() - 1), "cut short"});
    cases.push_back({"bytes after the last record", good + "x", "after its last record"});
    cases.push_back({"a newer format", good, "library format 4; this host reads library formats up to 3"});
    host::tools::putU16(cases.back().bytes, 8, 4);
    cases.push_back({"another record size", good, "records of 1600 bytes"});
    host::tools::putU16(cases.back().bytes, 14, 1600);
    cases.push_back({"a count beyond the file", good, "cut short"});
    host::tools::putU16(cases.back().bytes, 10, 4);
    std::string unterminated = good;
    std::memset(unterminated.data() + 32 + 1680 + tp_tool_layout::name, 'A', sizeof(tp_tool::name));
    cases.push_back({"a name without its end", withCrc(unterminated), "left out: the name of tool 2 runs past", 2});
    std::string twice = good;
    host::tools::putU32(twice, 32 + 2 * 1680, 1);
    cases.push_back({"a slot twice", withCrc(twice), "left out: tool 3 (SPOT 10): it has slot 1", 2});
    std::string huge = good;
    const double diameter = 1e20;
    std::memcpy(huge.data() + 32 + tp_tool_layout::diameter, &diameter, 8);
    cases.push_back({"a diameter of 1e20", withCrc(huge), "left out: tool 1 (DRILL 3.3): its diameter 1e+20", 2});

    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string file = path("damaged.Tools");
        ASSERT_TRUE(plat::writeFile(file, c.bytes));
        plat::driver().transcript().clear();
        const auto read = load(file);
        EXPECT_EQ(read ? read->size() : 0, c.kept);
        const std::string& message = host::lastLibraryMessage();
        EXPECT_NE(message.find(file), std::string::npos) << message;
        EXPECT_NE(message.find(c.says), std::string::npos) << message;
        EXPECT_TRUE(plat::driver().transcript().contains("host.message")) << "the user is told";
        // Nothing is stored into a library that does not read whole (the user keeping the tools left out when
        // asked), and the file stays as it was.
        if (c.kept) plat::driver().script().answer(plat::IDNO);
        tp_tool t = sampleTool(3, 8, "DRILL 8");
        EXPECT_EQ(store(file, t, 0, kLibraryOptionAdd), 0);
        EXPECT_EQ(plat::readFile(file).value_or(""), c.bytes);
        EXPECT_TRUE(plat::driver().errors().empty()) << plat::driver().errors().front();
    }
}

// A library's reading is kept with its bytes; one changed between two reads, in place with its size and within
// the same clock tick, or by the host's own store, is read afresh.
TEST_F(ToolLibraryFiles, ALibraryChangedBetweenTwoReadsIsReadAfresh) {
    std::vector<tp_tool> tools = {sampleTool(3, 3.3, "DRILL 3.3"), sampleTool(4, 4, "TAP M4")};
    tools[0].slot = 1, tools[1].slot = 2;
    const std::string good = host::tools::encodeToolLibrary(tools);
    std::string wider = good, flipped = good;
    const double diameter = 5.5;
    std::memcpy(wider.data() + 32 + tp_tool_layout::diameter, &diameter, 8);
    host::tools::putU32(wider, 16, host::tools::crc32(std::string_view(wider).substr(32)));
    flipped[32 + 100] ^= 0x01;
    const struct {
        const char* what;
        std::string after;   // written in place; empty: a tool stored by the host
        std::size_t count;   // the tools read then; 0: refused
        double firstDiameter;
    } cases[] = {{"a diameter changed with its checksum", wider, 2, 5.5}, {"a byte flipped", flipped, 0, 0},
                 {"a tool stored", "", 3, 3.3}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string file = path("changed.Tools");
        ASSERT_TRUE(plat::writeFile(file, good));
        ASSERT_EQ(load(file).value_or(std::vector<tp_tool>{}).size(), 2u);
        tp_tool t = sampleTool(3, 8, "DRILL 8");
        if (c.after.empty()) ASSERT_EQ(store(file, t, 0, kLibraryOptionAdd), 1);
        else std::ofstream(file, std::ios::binary) << c.after;
        const auto read = load(file);
        ASSERT_EQ(read ? read->size() : 0, c.count);
        EXPECT_DOUBLE_EQ(read ? read->front().diameter : 0, c.firstDiameter);
    }
}

// The writer refuses what the reader would leave out: a tool that breaks the rule is never stored.
TEST_F(ToolLibraryFiles, AToolTheReaderWouldLeaveOutIsNeverWritten) {
    const std::string file = path("mill.Tools");
    tp_tool good = sampleTool(3, 8, "DRILL 8");
    ASSERT_EQ(store(file, good, 0, kLibraryOptionAdd), 1);
    const std::string before = plat::readFile(file).value_or("");
    tp_tool huge = sampleTool(2, 1e20, "SPOT 1e20");
    EXPECT_EQ(store(file, huge, 0, kLibraryOptionAdd), 0);
    EXPECT_EQ(store(file, huge, good.slot, kLibraryOptionRewrite), 0);
    EXPECT_EQ(library_manager(kLibraryAddTool, file.c_str(), &huge), 0);
    EXPECT_NE(host::lastLibraryMessage().find("its diameter 1e+20 is out of range"), std::string::npos);
    EXPECT_EQ(plat::readFile(file).value_or(""), before);
    std::string message;
    EXPECT_FALSE(host::tools::writeToolLibrary(file, {good, good}, message)) << "a slot twice";
    EXPECT_EQ(plat::readFile(file).value_or(""), before);
}

// A library holding a tool its reader leaves out takes a tool, added or rewritten, only once the user agrees
// to have it written again without that tool; the tools read are kept in it. Kept as it is, the file keeps its
// bytes. Read again and again, its left-out tool is told once.
TEST_F(ToolLibraryFiles, ALibraryWithAToolItLeavesOutTakesAToolOnceTheUserAgrees) {
    std::vector<tp_tool> tools = {sampleTool(3, 3.3, "DRILL 3.3"), sampleTool(1, 1e20, "CENTRE 1e20")};
    tools[0].slot = 1, tools[1].slot = 2;
    const std::string bad = host::tools::encodeToolLibrary(tools);
    const struct {
        const char* what;
        int option, answer;
        int stored;
        std::vector<std::string> names;   // of the tools it holds then
    } cases[] = {
        {"an add, kept as it is", kLibraryOptionAdd, plat::IDNO, 0, {"DRILL 3.3"}},
        {"an add, written again", kLibraryOptionAdd, plat::IDYES, 1, {"DRILL 3.3", "DRILL 8"}},
        {"a rewrite, written again", kLibraryOptionRewrite, plat::IDYES, 1, {"DRILL 8"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        host::reset();
        plat::driver().reset();
        const std::string file = path("bad.Tools");
        ASSERT_TRUE(plat::writeFile(file, bad));
        for (int i = 0; i < 2; ++i) EXPECT_EQ(load(file).value_or(std::vector<tp_tool>{}).size(), 1u);
        const auto& lines = plat::driver().transcript().lines();
        EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                                [](const std::string& l) { return l.find("left out: tool 2 (CENTRE 1e20)") != std::string::npos; }),
                  1);
        plat::driver().script().answer(c.answer);
        tp_tool t = sampleTool(3, 8, "DRILL 8");
        EXPECT_EQ(store(file, t, c.option == kLibraryOptionAdd ? 0 : 1, c.option), c.stored);
        EXPECT_TRUE(plat::driver().script().empty());
        EXPECT_TRUE(plat::driver().transcript().contains(
            "caption=\"Tool library\" text=\"The tool library " + file +
            " holds tools that cannot be read: tool 2 (CENTRE 1e20): its diameter 1e+20 is out of range."));
        if (!c.stored) {
            EXPECT_EQ(plat::readFile(file).value_or(""), bad);
        }
        std::vector<std::string> names;
        for (const tp_tool& held : load(file).value_or(std::vector<tp_tool>{})) names.emplace_back(held.name);
        EXPECT_EQ(names, c.names);
    }
}

// The rule of a tool's angle: within 0 to 180 degrees for every tool, and a drilling tool's point angle one
// such tools are ground to, or 0 for none given; the message says the range.
TEST_F(ToolLibraryFiles, TheRuleOfAnglesRefusesAnglesNoToolHas) {
    const struct {
        std::int16_t type;
        double angle;
        const char* why;   // "" when the tool may stand
    } cases[] = {
        {3, 118, ""},
        {3, 180, ""},
        {3, 30, ""},
        {3, 0, ""},
        {3, 1e-6, "its point angle 1e-06 is out of range: a drill's is 0 (none given) or 30 to 180 degrees"},
        {3, 29.9, "its point angle 29.9 is out of range"},
        {2, 90, ""},
        {2, 142, ""},
        {2, 180, "its point angle 180 is out of range: a spot drill's is 0 (none given) or 30 to 150 degrees"},
        {1, 1e-9, "its point angle 1e-09 is out of range: a centre drill's"},
        {9, 160, "its point angle 160 is out of range: a countersink's"},
        {17, 3, ""},
        {12, 45, ""},
        {10, 270, "its angle 270 is out of range"},
        {10, 180.5, "its angle 180.5 is out of range"},
        {10, -1, "its angle -1 is out of range"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.type) + " " + std::to_string(c.angle));
        tp_tool t = sampleTool(c.type, 10, "TOOL");
        t.angle = c.angle;
        const std::string why = tool_values_why(t);
        if (*c.why == '\0') EXPECT_EQ(why, "");
        else EXPECT_EQ(why.rfind(c.why, 0), 0u) << why;
    }
}

// The rule of a drilling tool's pecks: none or a twentieth of the diameter and more (a peck near 0 asks a
// toolpath of millions of pecks), a peck clearance and chip-break retract not below 0 (which would rapid into
// the uncut bottom); a tool that does not drill keeps what it holds there.
TEST_F(ToolLibraryFiles, TheRuleOfPecksRefusesSharesNoDrillPecks) {
    const struct {
        std::int16_t type;
        int which;
        double percent;
        const char* why;   // "" when the tool may stand
    } cases[] = {
        {3, 0, 100, ""},
        {3, 1, 5, ""},
        {3, 1, 0, ""},
        {3, 3, 1000, ""},
        {3, 1, 1e-6, "its subsequent peck 1e-06 % is out of range: it is 0 (none) or 5 to 10000 % of its diameter"},
        {3, 0, 4.9, "its first peck 4.9 % is out of range: it is 0 (none) or 5 to 10000 %"},
        {1, 1, 20000, "its subsequent peck 20000 % is out of range"},
        {9, 2, -10, "its peck clearance -10 % is out of range: it is 0 to 1000 % of its diameter"},
        {2, 3, -5, "its chip-break retract -5 % is out of range: it is 0 to 1000 %"},
        {10, 1, 1e-6, ""},
        {12, 2, -10, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.type) + " " + std::to_string(c.which) + " " + std::to_string(c.percent));
        tp_tool t = sampleTool(c.type, 10, "TOOL");
        t.peckPercent[c.which] = c.percent;
        const std::string why = tool_values_why(t);
        if (*c.why == '\0') EXPECT_EQ(why, "");
        else EXPECT_EQ(why.rfind(c.why, 0), 0u) << why;
    }
}

// The rule of a tool's speed and feeds: within what a spindle turns and a machine feeds, so that each is a word
// of the NC listing and the speed a whole number of the machine's; 0 stands for none given.
TEST_F(ToolLibraryFiles, TheRuleOfSpeedsAndFeedsRefusesRatesNoMachineRuns) {
    const struct {
        std::int32_t spindle;
        double feed, plunge;
        const char* why;   // "" when the tool may stand
    } cases[] = {
        {0, 0, 0, ""},
        {1000000, 1e6, 1e6, ""},
        {-1, 100, 100, "its spindle speed -1 is out of range: it is 0 to 1e+06 rpm"},
        {1000001, 100, 100, "its spindle speed 1000001 is out of range"},
        {2147483647, 100, 100, "its spindle speed 2147483647 is out of range"},
        {3000, 1e300, 100, "its feed 1e+300 is out of range: it is 0 to 1e+06 a minute"},
        {3000, 100, -5, "its plunge feed -5 is out of range"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.spindle) + " " + std::to_string(c.feed) + " " + std::to_string(c.plunge));
        tp_tool t = sampleTool(3, 10, "DRILL 10");
        t.spindle = c.spindle;
        t.feeds[0] = t.feeds[2] = c.feed;
        t.feeds[1] = c.plunge;
        const std::string why = tool_values_why(t);
        if (*c.why == '\0') EXPECT_EQ(why, "");
        else EXPECT_EQ(why.rfind(c.why, 0), 0u) << why;
    }
}

TEST_F(ToolLibraryFiles, EveryCutOfALibraryIsRefused) {
    std::vector<tp_tool> tools = {sampleTool(3, 6, "DRILL 6"), sampleTool(10, 12, "MILL 12")};
    tools[0].slot = 1;
    tools[1].slot = 2;
    const std::string good = host::tools::encodeToolLibrary(tools);
    for (std::size_t n = 0; n < good.size(); n += (n < 64 ? 1 : 97)) {
        std::vector<tp_tool> out;
        std::string why;
        // A copy of exactly n bytes, so that reading one byte too far is a fault the sanitizers see.
        const std::vector<char> cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(n));
        EXPECT_FALSE(host::tools::decodeToolLibrary(std::string_view(cut.data(), cut.size()), out, why)) << n;
        EXPECT_FALSE(why.empty());
        EXPECT_TRUE(out.empty());
    }
}

// The plug-in's spot-drill selection template: the older layout, read as spot drills, then added to.
TEST_F(ToolLibraryFiles, ASpotDrillTemplateReadsAndTakesNewTools) {
    std::string bytes(64 + 20 * 195, '\0');
    std::memcpy(bytes.data(), "FXTOOLS", 7);
    host::tools::putU16(bytes, 8, 1);
    host::tools::putU16(bytes, 10, 20);
    host::tools::putU16(bytes, 12, 64);
    host::tools::putU16(bytes, 14, 195);
    for (int i = 0; i < 20; ++i) {
        const std::size_t at = 64 + static_cast<std::size_t>(i) * 195;
        host::tools::putU32(bytes, at, static_cast<std::uint32_t>(i + 1));
        host::tools::putU16(bytes, at + 4, 1);
        bytes[at + 6] = 1;
        host::tools::putF64(bytes, at + 8, 3.0 + i);
        host::tools::putF64(bytes, at + 16, 90);
        std::snprintf(bytes.data() + at + 40, 32, "SPOT DRILL %d MM", 3 + i);
    }
    const std::string lib = path("SpotDrillSel.Tools");
    ASSERT_TRUE(plat::writeFile(lib, bytes));
    std::vector<tp_tool> tools = *load(lib);
    ASSERT_EQ(tools.size(), 20u);
    EXPECT_EQ(tools[4].type, 2);
    EXPECT_EQ(tools[4].slot, 5);
    EXPECT_EQ(tools[4].diameter, 7.0);
    EXPECT_STREQ(tools[4].name, "SPOT DRILL 7 MM");

    tp_tool centre = sampleTool(1, 3.15, "CENTRE DRILL A3.15");
    char buf[1024];
    std::snprintf(buf, sizeof buf, "%s", lib.c_str());
    EXPECT_EQ(library_manager(kLibraryAddTool, buf, &centre), 21);
    tools = *load(lib);
    ASSERT_EQ(tools.size(), 21u);
    EXPECT_STREQ(tools[20].name, "CENTRE DRILL A3.15");
    EXPECT_STREQ(tools[4].name, "SPOT DRILL 7 MM");
}

TEST_F(ToolLibraryFiles, TheUserPicksALibraryToolThroughTheScript) {
    const std::string lib = path("pick.Tools");
    tp_tool a = sampleTool(2, 6, "SPOT 6"), b = sampleTool(2, 10, "SPOT 10");
    ASSERT_EQ(store(lib, a, 0, kLibraryOptionAdd), 1);
    ASSERT_EQ(store(lib, b, 0, kLibraryOptionAdd), 1);
    char buf[2048];
    std::snprintf(buf, sizeof buf, "%s", lib.c_str());

    plat::driver().script().libraryPick("2").libraryPick("");
    tp_tool chosen;
    EXPECT_EQ(library_manager(kLibraryPickTool, buf, &chosen, 1), 1);
    EXPECT_EQ(image(chosen), image(b));
    tp_tool untouched = sampleTool(3, 1, "X");
    EXPECT_EQ(library_manager(kLibraryPickTool, buf, &untouched, 2), 0);
    EXPECT_STREQ(untouched.name, "X");
    EXPECT_TRUE(plat::driver().transcript().contains("host.library pick tool"));
    EXPECT_TRUE(plat::driver().transcript().contains("host.library picked slot=2 \"SPOT 10\""));
    EXPECT_TRUE(plat::driver().transcript().contains("host.library pick cancel"));
    EXPECT_TRUE(plat::driver().errors().empty());

    plat::driver().script().libraryPick("9");
    EXPECT_EQ(library_manager(kLibraryPickTool, buf, &chosen, 1), 0);
    ASSERT_EQ(plat::driver().errors().size(), 1u);
    EXPECT_NE(plat::driver().errors()[0].find("has slot 9"), std::string::npos) << plat::driver().errors()[0];
}

TEST_F(ToolLibraryFiles, TheDumpShowsEveryToolAndTheNextFreeNumbers) {
    const std::string lib = path("dump.Tools");
    tp_tool a = sampleTool(3, 6.8, "DRILL 6.8");
    ASSERT_EQ(store(lib, a, 5, kLibraryOptionAdd), 1);
    const std::string dump = host::dumpToolLibrary(lib);
    EXPECT_EQ(dump.substr(0, dump.find('\n')), "tool library 1 tools, next number 6 slot 2");
    EXPECT_NE(dump.find("slot=1 number=5 type=3 sub=0 \"DRILL 6.8\" unit=mm D=6.8"), std::string::npos) << dump;
    EXPECT_EQ(host::dumpToolLibrary(path("none.Tools")),
              "The tool library " + path("none.Tools") + " does not exist.\n");
}

TEST_F(ToolLibraryFiles, ListKindsAndModesThatDoNotFitAreRefused) {
    tool_node* tools = nullptr;
    material_node* materials = nullptr;
    EXPECT_EQ(list_manager(kListOperations, "", kListLoad, &tools), 0);
    EXPECT_EQ(list_manager(kListMaterials, "", kListLoad, &tools), 0);
    EXPECT_EQ(list_manager(kListTools, "", kListLoad, &materials), 0);
    EXPECT_EQ(list_manager(kListTools, "", 7, &tools), 0);
    EXPECT_EQ(tools, nullptr);
    EXPECT_EQ(materials, nullptr);
    EXPECT_EQ(tool_suffix, std::string(".Tools"));
}

}  // namespace
