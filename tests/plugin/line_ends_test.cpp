// Line ends in every kind of text file the system reads: a file saved with LF, CR LF, CR alone (as some
// editors save), CR CR LF (a CR LF file converted once more) or a mix of them, with a UTF-8 byte order mark
// or without, reads as the same lines. Each reader reads one shipped or fixture file.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/sys/files.h"
#include "platform/ui/driver.h"
#include "plugin/base/part_record.h"
#include "plugin/base/settings.h"
#include "plugin/base/text_section.h"
#include "plugin/import/interchange_import.h"
#include "plugin/import/sdt_reader.h"
#include "plugin/import/step_features.h"
#include "plugin/import/verta_tree_import.h"
#include "plugin/model/process_ope.h"
#include "plugin/model/tab_cols_desc.h"
#include "plugin/services/settings.h"
#include "support/tables_fixture.h"

namespace {

// The text with each line end replaced: the ends given are taken in turn, line by line.
std::string withLineEnds(const std::string& text, const std::vector<std::string>& ends) {
    std::string out;
    std::size_t line = 0;
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (text[at] != '\r' && text[at] != '\n') {
            out += text[at];
            continue;
        }
        if (text[at] == '\r' && at + 1 < text.size() && text[at + 1] == '\n') ++at;
        out += ends[line++ % ends.size()];
    }
    return out;
}

// How an editor saved the files of a case: their line ends, and whether a byte order mark leads them.
struct SAVED {
    std::vector<std::string> ends;
    bool mark = false;
    std::string operator()(const std::string& text) const { return (mark ? "\xEF\xBB\xBF" : "") + withLineEnds(text, ends); }
};

std::string source(const std::string& path) { return plat::readFile(std::string(FX_SOURCE_DIR) + path).value_or(""); }

// The features read: their count, and each one's positions and segment types.
std::string features(IMPORT_FEAT* head) {
    std::size_t n = 0;
    std::string each;
    for (IMPORT_FEAT* f = head; f; f = f->next) {
        ++n;
        each += " " + std::to_string(f->positionCount) + ":";
        for (int g = 0; g < f->segmentCount; ++g) each += std::to_string(f->segments[g].type);
    }
    freeImportFeats(head);
    return std::to_string(n) + each;
}

using LineEnds = TablesFixture;

TEST_F(LineEnds, EveryReaderReadsLfCrLfCrAndAMixAlike) {
    const std::string tab = tablesDir + "/Drilled.tab", rows = tablesDir + "/Drilled.txt";
    struct READER {
        const char* kind;
        std::string text;
        // What the reader made of the text, saved as given; a file beside it is saved the same way.
        std::function<std::string(const std::string&, const SAVED&)> read;
        std::string expected;
    };
    const READER readers[] = {
        {"a table, its process and its rows written back", source("/data/forms/FORMS_MM/Standard/Drilled.tab"),
         [&](const std::string& text, const SAVED& saved) {
             EXPECT_TRUE(plat::writeFile(tab, text));
             const std::string shippedRows = source("/data/forms/FORMS_MM/Standard/Drilled.txt");
             EXPECT_TRUE(plat::writeFile(rows, saved(shippedRows)));
             CTabColsDesc t;
             if (t.read(tab) != 0) return std::string("refused");
             t.readRows();
             std::vector<PROCESS_OPE> ops(kMaxProcessOps);
             const int count = t.readProcess("1", ops.data());
             EXPECT_EQ(t.writeRows(), 0);
             CTabColsDesc again;
             EXPECT_EQ(again.read(tab), 0);
             again.readRows();
             return std::to_string(t.itemCount) + " items, process of " + std::to_string(count) + ", " +
                    std::to_string(again.rowCount) + " rows, the last " + again.cell(again.rowCount - 1, 0);
         },
         "4 items, process of 3, 20 rows, the last D20"},
        {"UI texts", source("/data/Forantix.txt"),
         [&](const std::string& text, const SAVED&) {
             EXPECT_TRUE(plat::writeFile(tmpDir + "/texts.txt", text));
             CTextSection section;
             if (section.load(tmpDir + "/texts.txt", "ErrorMessages", false) != 0) return std::string("refused");
             return std::to_string(section.count()) + " " + section.getText(129).substr(0, 9) + "|" +
                    section.getText(1) + "|";
         },
         "133 Table %s,|Forantix|"},
        {"a session script", source("/data/sessions/execute.session"),
         [](const std::string& text, const SAVED&) {
             const plat::ParsedSession parsed = plat::parseSession(text);
             return std::to_string(parsed.steps.size()) + " steps" + parsed.error;
         },
         "10 steps"},
        {"a TFF import", source("/tests/data/import/plate_mm.TFF"),
         [](const std::string& text, const SAVED&) {
             IMPORT_FAULT fault;
             return features(readTffText(text, fault)) + " at " + std::to_string(fault.line);
         },
         "3 2:12 1:3 1:1 at 0"},
        {"a KTW import", source("/tests/data/import/plate_mm.KTW"),
         [](const std::string& text, const SAVED&) {
             IMPORT_FAULT fault;
             return features(readKtwText(text, fault)) + " at " + std::to_string(fault.line);
         },
         "2 2:2 1:13 at 0"},
        {"an SDT import", source("/tests/data/import/plate_v102_mm.sdt"),
         [](const std::string& text, const SAVED&) {
             const SDT_TABLE t = parseSdtTable(text);
             return std::to_string(t.holes.size()) + " at " + std::to_string(t.damagedLine);
         },
         "7 at 0"},
        {"a STEP hole-features import", source("/tests/data/import/hole_features_mm.step"),
         [](const std::string& text, const SAVED&) {
             const STEP_HOLE_FEATURES read = readStepHoleFeatures(text);
             return std::to_string(read.marks.size()) + " at " + std::to_string(read.damagedLine);
         },
         "5 at 0"},
        {"a shared folder's access flag", encodeAccessHolder({"Station 2", "host-b", 4242, 1765000000}),
         [](const std::string& text, const SAVED&) {
             const ACCESS_HOLDER h = decodeAccessHolder(text);
             return h.station + "/" + h.machine + "/" + std::to_string(h.pid) + "/" + std::to_string(h.renewed);
         },
         "Station 2/host-b/4242/1765000000"},
        {"a settings file, read and written back",
         "[SharedData]\r\n1. 1\r\n2. 0\r\n3. /mnt/share\r\n[General]\r\n1. 33\r\n",
         [&](const std::string& text, const SAVED&) {
             g_globals->settingsFile = tmpDir + "/Tool_mm.prm";
             EXPECT_TRUE(plat::writeFile(g_globals->settingsFile, text));
             (void)readSettings();
             (void)writeSettings(1);
             const std::string written = plat::readFile(g_globals->settingsFile).value_or("");
             std::size_t headers = 0;
             for (std::size_t at = written.find("[SharedData]"); at != std::string::npos;
                  at = written.find("[SharedData]", at + 1))
                 ++headers;
             return "shared " + std::to_string(g_globals->sharedDataOn) + " at " + g_globals->sharedDir + ", " +
                    std::to_string(headers) + " [SharedData]";
         },
         "shared 1 at /mnt/share, 1 [SharedData]"},
        {"an exported feature tree", source("/tests/support/verta_tree.xml"),
         [](const std::string& text, const SAVED&) {
             VERTA_TREE tree;
             if (!parseTreeXml(text, tree)) return std::string("refused");
             return std::to_string(tree.items.size()) + " items, " + std::to_string(tree.idMap.size()) + " ids";
         },
         "1 items, 5 ids"},
        {"a foreign colour table", "---VERTA Color Table---\r\nnum rgb host\r\n17 255-128-0 5\r\n3 1-2-3 9\r\n",
         [](const std::string& text, const SAVED&) {
             std::vector<RGB_COLOR_NUM> table;
             const int ends = parseVertaColorTable(text, table);
             return std::to_string(ends) + " ends, " + std::to_string(table.size()) + " colours, the last " +
                    std::to_string(table.empty() ? 0 : table.back().vertaNumber);
         },
         "4 ends, 2 colours, the last 3"},
    };
    const std::vector<std::vector<std::string>> endings = {
        {"\n"}, {"\r\n"}, {"\r"}, {"\r\r\n"}, {"\r\n", "\r", "\n", "\r\n", "\r\r\n"}};
    for (const READER& r : readers) {
        SCOPED_TRACE(r.kind);
        ASSERT_FALSE(r.text.empty());
        for (std::size_t e = 0; e < endings.size(); ++e)
            for (const bool mark : {false, true}) {
                SCOPED_TRACE("line ends " + std::to_string(e) + (mark ? " after a byte order mark" : ""));
                const SAVED saved{endings[e], mark};
                EXPECT_EQ(r.read(saved(r.text), saved), r.expected);
            }
    }
}

}  // namespace
