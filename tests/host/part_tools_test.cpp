// The part's mill tool list as the plug-in uses it (add, retrieve, remove by slot, index by slot, write
// through tool_manager) and as the part file keeps it: saved and reopened byte for byte in the same
// transaction as the entities, and refused when its rows are damaged.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "host/tools/part_tools.h"
#include "host/tools/record_file.h"
#include "platform/sys/files.h"
#include "platform/ui/dialog.h"
#include "plugin/services/tables.h"
#include "support/host_tools_fixture.h"

namespace {

TpPartToolList& partList() { return TpMainToolMgr().GetMainMillToolList(); }

std::vector<std::string> listNames() {
    std::vector<std::string> names;
    for (int i = 0; i < partList().GetSize(); ++i) names.emplace_back(partList().GetAt(i)->tool.name);
    return names;
}

std::string images() {
    std::string out;
    for (const auto& [id, tool] : host::tools::partTools().records) {
        const TP_TOOL_BYTES b = tpToolImage(tool);
        out += std::to_string(id) + ":" + std::string(reinterpret_cast<const char*>(b.data()), b.size());
    }
    return out;
}

using PartToolList = HostTools;

TEST_F(PartToolList, AddedToolsGetFreeSlotsAndIdsAndAreFoundBySlot) {
    tp_tool a = sampleTool(3, 6.8, "DRILL 6.8"), b = sampleTool(4, 8, "TAP M8"), c = sampleTool(6, 8, "REAMER 8");
    b.slot = 5;
    c.slot = 5;   // taken by b: c gets the next free slot
    EXPECT_EQ(partList().DatabaseAdd(&a), 1);
    EXPECT_EQ(partList().DatabaseAdd(&b), 2);
    EXPECT_EQ(partList().DatabaseAdd(&c), 3);
    EXPECT_EQ(partList().DatabaseAdd(nullptr), 0);
    // A tool the part file's reader would refuse never gets into the part, added or written over.
    tp_tool huge = sampleTool(2, 1e20, "SPOT 1e20");
    EXPECT_EQ(partList().DatabaseAdd(&huge), 0);
    huge.slot = 5;
    EXPECT_EQ(tool_manager(&huge, kToolManagerWrite), 0);
    EXPECT_EQ(a.slot, 1);
    EXPECT_EQ(b.slot, 5);
    EXPECT_EQ(c.slot, 6);
    EXPECT_EQ(partList().IndexBySlot(5), 1);
    EXPECT_EQ(partList().IndexBySlot(2), -1);
    EXPECT_EQ(partList().GetAt(3), nullptr);

    tp_tool got;
    ASSERT_TRUE(partList().DatabaseRetrieve(2, &got));
    EXPECT_EQ(got, b);
    EXPECT_FALSE(partList().DatabaseRetrieve(9, &got));

    // The part's current tool list through list_manager, in list order.
    tool_node* list = nullptr;
    ASSERT_EQ(list_manager(kListTools, "", kListLoad, &list), 1);
    std::vector<std::string> names;
    for (tool_node* n = list; n; n = n->next) names.emplace_back(n->tool.name);
    EXPECT_EQ(names, listNames());
    EXPECT_EQ(list_manager(kListTools, "", kListFree, &list), 1);
}

TEST_F(PartToolList, RemovingATakesItFromTheDatabaseAndTheListSeparately) {
    tp_tool a = sampleTool(3, 5, "DRILL 5"), b = sampleTool(3, 6, "DRILL 6"), c = sampleTool(3, 7, "DRILL 7");
    partList().DatabaseAdd(&a);
    const std::int32_t idB = partList().DatabaseAdd(&b);
    partList().DatabaseAdd(&c);

    const int index = partList().IndexBySlot(b.slot);
    EXPECT_TRUE(partList().DatabaseRemove(b.slot));
    EXPECT_FALSE(partList().DatabaseRetrieve(idB, nullptr));
    EXPECT_EQ(listNames(), (std::vector<std::string>{"DRILL 5", "DRILL 6", "DRILL 7"})) << "the list is the caller's";
    EXPECT_TRUE(partList().RemoveAt(index));
    EXPECT_EQ(listNames(), (std::vector<std::string>{"DRILL 5", "DRILL 7"}));
    EXPECT_FALSE(partList().DatabaseRemove(b.slot));
    EXPECT_FALSE(partList().RemoveAt(2));

    partList().RemoveAt(0);
    partList().Refresh();
    EXPECT_EQ(listNames(), (std::vector<std::string>{"DRILL 5", "DRILL 7"}));
}

TEST_F(PartToolList, ToolManagerWritesThePartToolWithTheSameSlot) {
    tp_tool a = sampleTool(3, 5, "DRILL 5");
    const std::int32_t id = partList().DatabaseAdd(&a);
    a.spindle = 4500;
    a.feeds[0] = a.feeds[1] = a.feeds[2] = 380.5;
    EXPECT_EQ(tool_manager(&a, kToolManagerWrite), 1);
    tp_tool got;
    ASSERT_TRUE(partList().DatabaseRetrieve(id, &got));
    EXPECT_EQ(got.spindle, 4500);
    EXPECT_EQ(partList().GetAt(0)->tool.feeds[2], 380.5);

    tp_tool stranger = sampleTool(3, 9, "DRILL 9");
    stranger.slot = 44;
    EXPECT_EQ(tool_manager(&stranger, kToolManagerWrite), 0);
    EXPECT_EQ(tool_manager(&a, 5), 0) << "the tool manager on a library is not offered";
    EXPECT_EQ(partList().GetSize(), 1);
}

// The tool editor (mode 6): the record takes what the user changed, only on OK; an edit left as shown keeps
// the record's value bit for bit, and a value that is no number keeps the window open after a message.
TEST_F(PartToolList, TheToolEditorChangesTheRecordOnlyWithTheValuesTheUserAccepts) {
    constexpr int kEditor = 30101;
    tp_tool tool = sampleTool(3, 5, "DRILL 5");
    tool.diameter = 5.0000001;   // shown rounded; never rounded when left alone
    tool.shoulderLength = 31.25;
    const tp_tool before = tool;

    plat::driver().script().type(kEditor, 1015, "80").click(kEditor, plat::IDCANCEL);
    EXPECT_EQ(tool_manager(&tool, kToolManagerEdit), 0);
    EXPECT_TRUE(tool == before) << "cancelled";

    plat::driver()
        .script()
        .type(kEditor, 1015, "eighty")
        .click(kEditor, plat::IDOK)
        .answer(plat::IDOK)
        .type(kEditor, 1015, " 80 ")
        .type(kEditor, 1012, "0.000001")
        .click(kEditor, plat::IDOK)
        .answer(plat::IDOK)
        .type(kEditor, 1012, "118")
        .type(kEditor, 1002, "DRILL 5 LONG")
        .type(kEditor, 1003, "3")
        .click(kEditor, plat::IDOK);
    EXPECT_EQ(tool_manager(&tool, kToolManagerEdit), 1);
    EXPECT_TRUE(plat::driver().errors().empty()) << plat::driver().errors().front();
    EXPECT_TRUE(plat::driver().script().empty());
    EXPECT_EQ(tool.overallLength, 80);
    EXPECT_STREQ(tool.name, "DRILL 5 LONG");
    EXPECT_EQ(tool.flutes, 3);
    EXPECT_EQ(tool.diameter, before.diameter);
    EXPECT_EQ(tool.shoulderLength, 31.25);
    EXPECT_EQ(tool.slot, before.slot);
    EXPECT_TRUE(plat::driver().transcript().contains("is not a number"));
    EXPECT_TRUE(plat::driver().transcript().contains(
        "The tool cannot be used: its point angle 1e-06 is out of range: a drill's is 0 (none given) or 30 to 180"));
    EXPECT_EQ(tool_manager(nullptr, kToolManagerEdit), 0);
}

TEST_F(PartToolList, ThePartsToolsSurviveSaveAndReopenByteForByte) {
    tp_tool a = sampleTool(3, 6.8, "DRILL 6.8"), b = sampleTool(4, 8, "TAP M8x1.25"),
            c = sampleTool(12, 10, "CHAMFER 10");
    b.pitch = 1.25;
    c.shapeValue = 2;
    c.peckPercent[1] = 33;
    c.offsetNumbers[1] = 12;
    partList().DatabaseAdd(&a);
    partList().DatabaseAdd(&b);
    partList().DatabaseAdd(&c);
    partList().DatabaseRemove(a.slot);   // the next id is kept, so no id is handed out twice
    const std::string dump = host::dumpPartTools();
    const std::string bytes = images();
    const std::string file = path("tools.pfp");
    ASSERT_TRUE(host::savePart(file).ok);

    host::newPart();
    EXPECT_EQ(partList().GetSize(), 0);
    const host::PartFileResult opened = host::openPart(file);
    ASSERT_TRUE(opened.ok) << opened.message;
    EXPECT_EQ(images(), bytes);
    EXPECT_EQ(host::dumpPartTools().substr(0, dump.find("list")), dump.substr(0, dump.find("list")));
    EXPECT_EQ(listNames(), (std::vector<std::string>{"TAP M8x1.25", "CHAMFER 10"}));
    tp_tool d = sampleTool(3, 3, "DRILL 3");
    EXPECT_EQ(partList().DatabaseAdd(&d), 4);
}

// The rows as parts already saved hold them: a 10-byte head (codec 1, count, next id) and per tool its id, the
// image size 1680 and the image, little-endian; they read back to the same records.
TEST_F(PartToolList, TheStoredRowsKeepTheirByteLayout) {
    host::tools::PartToolState state;
    state.records[7] = sampleTool(3, 6.8, "DRILL 6.8");
    state.records[0x01020304] = sampleTool(4, 8, "TAP M8");
    state.records[7].slot = 1;
    state.records[0x01020304].slot = 2;
    state.nextId = 0x01020305;
    const std::vector<std::string> rows = host::tools::encodePartTools(state);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0], std::string("\x01\x00\x02\x00\x00\x00\x05\x03\x02\x01", 10));
    for (const auto& [row, id] : {std::pair{1, 7}, std::pair{2, 0x01020304}}) {
        const TP_TOOL_BYTES image = tpToolImage(state.records[id]);
        std::string expected(6, '\0');
        for (int i = 0; i < 4; ++i) expected[i] = static_cast<char>((id >> (8 * i)) & 0xFF);
        expected[4] = static_cast<char>(0x90), expected[5] = 0x06;   // 1680
        expected.append(reinterpret_cast<const char*>(image.data()), image.size());
        EXPECT_EQ(rows[static_cast<std::size_t>(row)], expected) << row;
    }
    host::tools::PartToolState back;
    std::string why;
    ASSERT_TRUE(host::tools::decodePartTools(rows, back, why)) << why;
    EXPECT_EQ(back.nextId, 0x01020305);
    ASSERT_EQ(back.records.size(), 2u);
    EXPECT_EQ(host::tools::encodePartTools(back), rows);
}

TEST_F(PartToolList, ASaveThatFailsAtAnyWriteLeavesTheOldPartAndItsTools) {
    tp_tool a = sampleTool(3, 6.8, "DRILL 6.8");
    partList().DatabaseAdd(&a);
    const std::string file = path("kept.pfp");
    ASSERT_TRUE(host::savePart(file).ok);
    const std::string before = plat::readFile(file).value_or("");
    tp_tool b = sampleTool(10, 12, "MILL 12");
    partList().DatabaseAdd(&b);

    int failures = 0;
    for (int n = 1; n < 200; ++n) {
        host::PartSaveOptions options;
        options.failAtWrite = n;
        if (host::savePart(file, options).ok) break;
        ++failures;
        ASSERT_EQ(plat::readFile(file).value_or(""), before) << "write " << n;
    }
    EXPECT_GT(failures, 2);
    ASSERT_TRUE(host::openPart(file).ok);
    EXPECT_EQ(partList().GetSize(), 2) << "the last save went through";
}

TEST_F(PartToolList, DamagedToolRowsAreRefused) {
    tp_tool a = sampleTool(3, 5, "DRILL 5"), b = sampleTool(3, 6, "DRILL 6");
    partList().DatabaseAdd(&a);
    partList().DatabaseAdd(&b);
    const std::vector<std::string> good = host::tools::encodePartTools(host::tools::partTools());
    host::tools::PartToolState out;
    std::string why;
    ASSERT_TRUE(host::tools::decodePartTools(good, out, why)) << why;
    EXPECT_EQ(out.list.size(), 2u);
    ASSERT_TRUE(host::tools::decodePartTools({}, out, why)) << "a part saved before it had tools";
    EXPECT_TRUE(out.records.empty());

    struct Case {
        const char* what;
        std::vector<std::string> rows;
    };
    std::vector<Case> cases;
    cases.push_back({"a row missing", {good[0], good[1]}});
    cases.push_back({"a cut row", good});
    cases.back().rows[2].pop_back();
    cases.push_back({"another codec", good});
    host::tools::putU16(cases.back().rows[0], 0, 2);
    cases.push_back({"ids out of order", {good[0], good[2], good[1]}});
    cases.push_back({"an id past the next id", good});
    host::tools::putU32(cases.back().rows[0], 6, 2);
    cases.push_back({"a slot twice", good});
    host::tools::putU32(cases.back().rows[2], 6 + tp_tool_layout::slot, static_cast<std::uint32_t>(a.slot));
    cases.push_back({"a name without its end", good});
    cases.back().rows[1].replace(6 + tp_tool_layout::name, sizeof(tp_tool::name), sizeof(tp_tool::name), 'N');
    for (const Case& c : cases) {
        why.clear();
        EXPECT_FALSE(host::tools::decodePartTools(c.rows, out, why)) << c.what;
        EXPECT_FALSE(why.empty()) << c.what;
    }
}

}  // namespace

namespace {

// A record the plug-in filled to the field's last byte must not make the part file or the library
// unreadable: the text is cut to its field.
TEST_F(PartToolList, ANameFillingItsWholeFieldIsCutToItsField) {
    tp_tool full = sampleTool(3, 5, "");
    std::memset(full.name, 'N', sizeof full.name);
    std::memset(full.profilePath, 'P', sizeof full.profilePath);
    partList().DatabaseAdd(&full);
    const std::string file = path("full.pfp");
    ASSERT_TRUE(host::savePart(file).ok);
    ASSERT_TRUE(host::openPart(file).ok);
    EXPECT_EQ(std::string(partList().GetAt(0)->tool.name), std::string(sizeof full.name - 1, 'N'));

    tp_tool again = sampleTool(3, 6, "");
    std::memset(again.name, 'M', sizeof again.name);
    char lib[1024];
    std::snprintf(lib, sizeof lib, "%s", path("full.Tools").c_str());
    ASSERT_EQ(library_manager(kLibraryStoreTool, lib, &again, 0, kLibraryOptionAdd), 1);
    tool_node* list = nullptr;
    ASSERT_EQ(list_manager(kListTools, lib, kListLoad, &list), 1) << host::lastLibraryMessage();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(std::string(list->tool.name), std::string(sizeof again.name - 1, 'M'));
    list_manager(kListTools, "", kListFree, &list);
}

}  // namespace
