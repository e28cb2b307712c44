// The "[Process]" part of a table file: named processes read into PROCESS_OPE arrays, written, deleted,
// purged, counted and listed. A process shows at each line that begins with "[" after the "[Process]" line,
// its name the first word between "[" and "]". Rewrites go through the table's working copy in the work
// folder and keep every other line byte for byte.
#include <optional>

#include "platform/sys/files.h"
#include "platform/sys/paths.h"
#include "plugin/base/globals.h"
#include "plugin/model/process_ope.h"
#include "plugin/tables/operation_line.h"
#include "plugin/model/tab_cols_desc.h"
#include "plugin/tables/table_text.h"

namespace {

struct PROCESS_PART {
    std::string bytes;
    std::vector<plat::TextLine> lines;
    std::size_t first = 0;   // the line after "[Process]"; lines.size() when the part is missing
    bool found = false;
};

std::optional<PROCESS_PART> processPart(std::optional<std::string> bytes) {
    if (!bytes) return std::nullopt;
    PROCESS_PART part;
    part.bytes = std::move(*bytes);
    part.lines = plat::splitLines(part.bytes);
    part.first = part.lines.size();
    for (std::size_t i = 0; i < part.lines.size(); ++i) {
        if (!startsWith(part.lines[i].text, "[Process]")) continue;
        part.first = i + 1;
        part.found = true;
        break;
    }
    return part;
}

// The name and the number of a process line ("[name n] ..."); false for a line not beginning with "[".
bool processLineName(std::string_view line, std::string_view* name, long* number = nullptr) {
    if (!startsWith(line, "[")) return false;
    const std::size_t close = line.find(']');
    const auto words = blankTokens(line.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
    *name = words.empty() ? std::string_view() : words[0];
    if (number) *number = words.size() > 1 ? tokenLong(words[1]) : 0;
    return true;
}

std::string_view fieldsAfterBracket(std::string_view line) {
    const std::size_t close = line.find(']');
    return close == std::string_view::npos ? std::string_view() : line.substr(close + 1);
}

// Older files left blanks in the first text: between the first "{" and the next "}" of a line's fields they
// become byte 4.
std::string escapeFirstText(std::string_view fields) {
    std::string text(fields);
    const std::size_t open = text.find('{');
    if (open == std::string::npos) return text;
    const std::size_t close = text.find('}', open + 1);
    for (std::size_t i = open + 1; i < (close == std::string::npos ? text.size() : close); ++i)
        if (text[i] == ' ') text[i] = 4;
    return text;
}

// Rewrites the table file with the lines of process `name` replaced by `replacement` (none: deleted).
// A missing "[Process]" part is added for a replacement. 0 done, 1 when nothing could be written.
int rewriteProcess(const CTabColsDesc& table, const std::string& name, const std::string* replacement) {
    if (table.path.empty()) return 1;
    const std::string copy = tableSafetyCopyPath(table.path);
    if (!plat::fileExists(table.path) || !takeSafetyCopy(table.path, copy)) return 1;
    const auto part = processPart(plat::readFile(copy));
    if (!part) return 1;
    const std::string_view bytes = part->bytes;
    const auto offsetOf = [&](std::size_t line) {
        return line < part->lines.size() ? static_cast<std::size_t>(part->lines[line].raw.data() - bytes.data())
                                         : bytes.size();
    };
    std::string out(bytes.substr(0, offsetOf(part->first)));
    if (!part->found) {
        if (!replacement) return writeTableFile(table.path, out) ? 0 : 1;
        if (!out.empty() && !plat::endsLine(out)) out += "\r\n";
        out += "[Process]\r\n";
    }
    std::size_t i = part->first;
    std::string_view lineName;
    while (i < part->lines.size() && !(processLineName(part->lines[i].text, &lineName) && lineName == name)) ++i;
    out.append(bytes.substr(offsetOf(part->first), offsetOf(i) - offsetOf(part->first)));
    if (i < part->lines.size()) {
        ++i;
        while (i < part->lines.size() && !(processLineName(part->lines[i].text, &lineName) && lineName != name)) ++i;
    }
    if (replacement) out += *replacement;
    out.append(bytes.substr(offsetOf(i)));
    return writeTableFile(table.path, out) ? 0 : 1;
}

// The process names in file order, a name counted again only when it differs (ignoring case) from the
// name of the line before.
std::vector<std::string> processNames(const CTabColsDesc& table, std::size_t maximum) {
    std::vector<std::string> names;
    if (table.path.empty()) return names;
    const auto part = processPart(plat::readFile(table.path));
    if (!part || !part->found) return names;
    std::string_view previous, lineName;
    bool first = true;
    for (std::size_t i = part->first; i < part->lines.size() && names.size() < maximum; ++i) {
        if (!processLineName(part->lines[i].text, &lineName)) continue;
        if (first || !plat::equalsNoCase(lineName, previous)) names.emplace_back(lineName);
        previous = lineName;
        first = false;
    }
    return names;
}

}  // namespace

int CTabColsDesc::readProcess(const std::string& processName, PROCESS_OPE* out,
                              const ProcessLineCallback& callback) const {
    int count = 0;
    return readProcessChecked(processName, out, &count, callback) == ProcessRead::missing ? -1 : count;
}

ProcessRead CTabColsDesc::readProcessChecked(const std::string& processName, PROCESS_OPE* out, int* countOut,
                                             const ProcessLineCallback& callback) const {
    *countOut = 0;
    if (processName.empty() || path.empty()) return ProcessRead::read;
    const auto part = processPart(plat::readFile(path));
    // A file without its "[Process]" part holds no process: reading one as empty would lose its operations.
    if (!part || !part->found) return ProcessRead::missing;
    const std::vector<plat::TextLine>& lines = part->lines;
    const auto refuse = [&]() {
        showTableDamage(path, part->bytes, damageText(kMsgOperationDamaged, processName));
        *countOut = 0;
        return ProcessRead::refused;
    };
    std::size_t i = part->first;
    std::string_view lineName;
    long number = 0;
    while (i < lines.size() && !(processLineName(lines[i].text, &lineName, &number) && lineName == processName)) ++i;
    if (i == lines.size()) return ProcessRead::missing;
    if (number == 0) return ProcessRead::read;

    CTextSection operationTypes;
    (void)operationTypes.load(g_globals->uiTextFile, "OperationTypes", false);
    int count = 0;
    while (i < lines.size()) {
        if (!processLineName(lines[i].text, &lineName)) {
            ++i;
            continue;
        }
        if (lineName != processName) break;
        if (count == kMaxProcessOps) return ProcessRead::refused;   // the caller's array is full
        PROCESS_OPE& op = out[count];
        op = PROCESS_OPE{};
        // The name is no text: a "{" in it must not take the fields' blanks.
        std::string fields = escapeFirstText(fieldsAfterBracket(lines[i].text));
        if (callback) callback(fields);
        if (!operationFieldsSound(fields, formatVersion >= kCurrentTableVersion)) return refuse();
        parseOperationFields(fields, op);
        ++i;
        if (opeGet(op, process_ope::milledKind) != 0) {
            std::vector<std::string_view> letters;
            for (; i < lines.size() && letters.size() < 5 && !startsWith(lines[i].text, "["); ++i) {
                const auto tokens = blankTokens(lines[i].text);
                letters.push_back(tokens.empty() ? std::string_view() : tokens[0]);
            }
            if (!readBlockLines(letters, op)) return refuse();
        }
        setOpeText(op, process_ope::label, operationLabel(op, *this, operationTypes));
        *countOut = ++count;
    }
    return ProcessRead::read;
}

int CTabColsDesc::writeProcess(const std::string& processName, const PROCESS_OPE* ops, int count) const {
    if (processName.empty() || path.empty()) return 0;
    std::string lines;
    if (count <= 0) lines = "[" + processName + " 0]\r\n";
    for (int i = 0; i < count; ++i) lines += formatOperation(processName, i + 1, ops[i]);
    return rewriteProcess(*this, processName, &lines);
}

int CTabColsDesc::deleteProcess(const std::string& processName) const {
    if (path.empty()) return 0;
    return rewriteProcess(*this, processName, nullptr);
}

int CTabColsDesc::purgeUnusedProcesses() const {
    int failed = 0;
    for (const std::string& processName : processNames(*this, kMaxProcessOps)) {
        bool used = false;
        for (int r = 0; r < rowCount && !used && processColumn > 0 && processColumn <= columnCount; ++r)
            used = cell(r, processColumn - 1) == processName;
        if (!used) failed |= deleteProcess(processName);
    }
    return failed;
}

int CTabColsDesc::countProcesses() const { return static_cast<int>(processNames(*this, SIZE_MAX).size()); }

int CTabColsDesc::listProcessNames(std::vector<std::string>& out, int maximum) const {
    out = processNames(*this, maximum > 0 ? static_cast<std::size_t>(maximum) : 0);
    return static_cast<int>(out.size());
}

std::string CTabColsDesc::newProcessName() const {
    const auto names = processNames(*this, SIZE_MAX);
    for (std::size_t i = 1;; ++i) {
        const std::string candidate = formatText("*%02zu", i);
        bool taken = false;
        for (const std::string& n : names) taken = taken || plat::equalsNoCase(n, candidate);
        if (!taken) return candidate;
    }
}
