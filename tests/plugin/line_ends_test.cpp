// Line ends in every kind of text file the system reads: a file saved with LF, CR LF, CR alone (as some
// editors save) or a mix of them reads as the same lines. Each reader reads one shipped or fixture file.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/sys/files.h"
#include "platform/ui/driver.h"
#include "plugin/base/part_record.h"
#include "plugin/base/text_section.h"
#include "plugin/import/interchange_import.h"
#include "plugin/import/sdt_reader.h"
#include "plugin/import/step_features.h"
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

std::string source(const std::string& path) { return plat::readFile(std::string(FX_SOURCE_DIR) + path).value_or(""); }

std::size_t featureCount(IMPORT_FEAT* head) {
    std::size_t n = 0;
    for (IMPORT_FEAT* f = head; f; f = f->next) ++n;
    freeImportFeats(head);
    return n;
}

using LineEnds = TablesFixture;

TEST_F(LineEnds, EveryReaderReadsLfCrLfCrAndAMixAlike) {
    const std::string tab = tablesDir + "/Drilled.tab", rows = tablesDir + "/Drilled.txt";
    struct READER {
        const char* kind;
        std::string text;
        // What the reader made of the text, whose line ends are given; a file beside it takes the same ones.
        std::function<std::string(const std::string&, const std::vector<std::string>&)> read;
        std::string expected;
    };
    const READER readers[] = {
        {"a table, its process and its rows written back", source("/data/forms/FORMS_MM/Standard/Drilled.tab"),
         [&](const std::string& text, const std::vector<std::string>& ends) {
             EXPECT_TRUE(plat::writeFile(tab, text));
             const std::string shippedRows = source("/data/forms/FORMS_MM/Standard/Drilled.txt");
             EXPECT_TRUE(plat::writeFile(rows, withLineEnds(shippedRows, ends)));
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
         [&](const std::string& text, const std::vector<std::string>&) {
             EXPECT_TRUE(plat::writeFile(tmpDir + "/texts.txt", text));
             CTextSection section;
             if (section.load(tmpDir + "/texts.txt", "ErrorMessages", false) != 0) return std::string("refused");
             return std::to_string(section.count()) + " " + section.getText(129).substr(0, 9) + "|" +
                    section.getText(1) + "|";
         },
         "125 Table %s,|Forantix|"},
        {"a session script", source("/data/sessions/execute.session"),
         [](const std::string& text, const std::vector<std::string>&) {
             const plat::ParsedSession parsed = plat::parseSession(text);
             return std::to_string(parsed.steps.size()) + " steps" + parsed.error;
         },
         "10 steps"},
        {"a TFF import", source("/tests/data/import/plate_mm.TFF"),
         [](const std::string& text, const std::vector<std::string>&) {
             IMPORT_FAULT fault;
             return std::to_string(featureCount(readTffText(text, fault))) + " at " + std::to_string(fault.line);
         },
         "3 at 0"},
        {"a KTW import", source("/tests/data/import/plate_mm.KTW"),
         [](const std::string& text, const std::vector<std::string>&) {
             IMPORT_FAULT fault;
             return std::to_string(featureCount(readKtwText(text, fault))) + " at " + std::to_string(fault.line);
         },
         "2 at 0"},
        {"an SDT import", source("/tests/data/import/plate_v102_mm.sdt"),
         [](const std::string& text, const std::vector<std::string>&) {
             const SDT_TABLE t = parseSdtTable(text);
             return std::to_string(t.holes.size()) + " at " + std::to_string(t.damagedLine);
         },
         "7 at 0"},
        {"a STEP hole-features import", source("/tests/data/import/hole_features_mm.step"),
         [](const std::string& text, const std::vector<std::string>&) {
             const STEP_HOLE_FEATURES read = readStepHoleFeatures(text);
             return std::to_string(read.marks.size()) + " at " + std::to_string(read.damagedLine);
         },
         "5 at 0"},
        {"a shared folder's access flag", encodeAccessHolder({"Station 2", "host-b", 4242, 1765000000}),
         [](const std::string& text, const std::vector<std::string>&) {
             const ACCESS_HOLDER h = decodeAccessHolder(text);
             return h.station + "/" + h.machine + "/" + std::to_string(h.pid) + "/" + std::to_string(h.renewed);
         },
         "Station 2/host-b/4242/1765000000"},
        {"a foreign colour table", "---VERTA Color Table---\r\nnum rgb host\r\n17 255-128-0 5\r\n3 1-2-3 9\r\n",
         [](const std::string& text, const std::vector<std::string>&) {
             std::vector<RGB_COLOR_NUM> table;
             const int ends = parseVertaColorTable(text, table);
             return std::to_string(ends) + " ends, " + std::to_string(table.size()) + " colours, the last " +
                    std::to_string(table.empty() ? 0 : table.back().vertaNumber);
         },
         "4 ends, 2 colours, the last 3"},
    };
    const std::vector<std::vector<std::string>> endings = {{"\n"}, {"\r\n"}, {"\r"}, {"\r\n", "\r", "\n", "\r\n"}};
    for (const READER& r : readers) {
        SCOPED_TRACE(r.kind);
        ASSERT_FALSE(r.text.empty());
        for (std::size_t e = 0; e < endings.size(); ++e) {
            SCOPED_TRACE("line ends " + std::to_string(e));
            EXPECT_EQ(r.read(withLineEnds(r.text, endings[e]), endings[e]), r.expected);
        }
    }
}

}  // namespace
