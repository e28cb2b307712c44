// The SDT reader: an SDT hole table's reamed and tapped holes as feature marks (origin 2, to be moved onto
// their recognised holes), the version and units checks, and the plain substring search the tables share.
// Lines end with CR, CR LF or LF; numbers are taken as the file writes them.
#include "plugin/import/sdt_reader.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <optional>

#include "platform/sys/files.h"
#include "platform/sys/text_lines.h"
#include "platform/ui/message_box.h"
#include "plugin/base/globals.h"
#include "plugin/base/text_fill.h"
#include "plugin/base/text_section.h"
#include "plugin/import/feature_readers.h"
#include "plugin/import/import_text.h"
#include "plugin/import/interchange_import.h"
#include "plugin/model/feature_mark.h"
#include "plugin/services/features.h"
#include "plugin/services/import.h"
#include "plugin/services/tables.h"

std::size_t findSubstring(std::string_view text, std::string_view pattern) { return text.find(pattern); }

namespace {

constexpr std::size_t kMaxLine = 1022;   // longer lines are no SDT lines
constexpr std::size_t kTextPart = 84;    // the numbers start at the 85th character
constexpr int kMsgThreadMissing = 24, kMsgMillimetreFile = 107, kMsgInchFile = 108, kMsgVersion = 109;

bool startsNoCase(std::string_view text, std::string_view head) {
    if (text.size() < head.size()) return false;
    for (std::size_t i = 0; i < head.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(text[i])) != head[i]) return false;
    return true;
}

bool containsNoCase(std::string_view text, std::string_view upperPart) {
    for (std::size_t at = 0; at + upperPart.size() <= text.size(); ++at)
        if (startsNoCase(text.substr(at), upperPart)) return true;
    return false;
}

std::size_t findNoCase(std::string_view text, std::string_view upperPart) {
    for (std::size_t at = 0; at + upperPart.size() <= text.size(); ++at)
        if (startsNoCase(text.substr(at), upperPart)) return at;
    return std::string_view::npos;
}

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n'; }

// The first blank-separated word from `at`.
std::string_view wordAt(std::string_view text, std::size_t at) {
    while (at < text.size() && isBlank(text[at])) ++at;
    std::size_t end = at;
    while (end < text.size() && !isBlank(text[end])) ++end;
    return text.substr(at, end - at);
}

// The text, one byte a character: UTF-16 characters keep their low byte.
std::string characters(std::string_view bytes) {
    if (bytes.size() < 2 || static_cast<unsigned char>(bytes[0]) != 0xFF || static_cast<unsigned char>(bytes[1]) != 0xFE)
        return std::string(bytes);
    std::string text;
    text.reserve(bytes.size() / 2);
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) text.push_back(bytes[i]);
    return text;
}

// The eight numbers after the text part; false when there are not eight or one is no number.
bool readNumbers(std::string_view line, double (&out)[8]) {
    std::size_t at = kTextPart;
    if (line.size() <= at) return false;
    for (double& value : out) {
        const std::string_view word = wordAt(line, at);
        if (word.empty()) return false;
        const char* end = word.data() + word.size();
        const auto [ptr, ec] = std::from_chars(word.data(), end, value);
        if (ec != std::errc() || ptr != end || !std::isfinite(value)) return false;
        at = static_cast<std::size_t>(end - line.data());
    }
    return true;
}

// The designation after a bracket word: blanks, then minus signs, then blanks skipped, up to "]" (or the
// end of the text part), trailing blanks dropped.
std::string bracketDesignation(std::string_view line, std::size_t at) {
    const std::size_t limit = std::min(line.size(), std::max(kTextPart, at));
    while (at < limit && isBlank(line[at])) ++at;
    while (at < limit && line[at] == '-') ++at;
    while (at < limit && isBlank(line[at])) ++at;
    std::size_t end = line.find(']', at);
    if (end == std::string_view::npos || end > limit) end = limit;
    while (end > at && isBlank(line[end - 1])) --end;
    return std::string(line.substr(at, end - at));
}

// The hole a data line describes, after its separators were replaced; false for plain holes and lines of
// no kind.
bool holeOfLine(std::string_view line, SDT_HOLE& hole) {
    enum { None, Plain, Fit, Tapped } kind = None;
    if (containsNoCase(line, "HOLE") || containsNoCase(line, "CBORE") || containsNoCase(line, "PIPE")) {
        kind = Plain;
        if (findSubstring(line, "H7") != std::string_view::npos) kind = Fit;
    }
    if (findSubstring(line, "Tapped") != std::string_view::npos) {
        kind = Tapped;
        std::size_t at = 0;
        while (at < line.size() && isBlank(line[at])) ++at;
        while (at < line.size() && !isBlank(line[at])) ++at;
        hole.designation = std::string(wordAt(line, at));
        hole.family = -1;
    }
    if (const std::size_t at = findNoCase(line, "[TAP"); at != std::string_view::npos) {
        kind = Tapped;
        hole.designation = bracketDesignation(line, at + 4);
        hole.family = 0;
    }
    if (const std::size_t at = findNoCase(line, "[PIPETAP"); at != std::string_view::npos) {
        kind = Tapped;
        hole.designation = bracketDesignation(line, at + 8);
        hole.family = 1000;
    }
    if (kind == None || kind == Plain) return false;
    hole.kind = kind == Fit ? SdtKind::Fit : SdtKind::Tapped;
    return true;
}

void replaceSeparators(std::string& line, double version) {
    if (std::fabs(version - 1.0) < 1e-6) {
        std::replace(line.begin(), line.end(), ',', ' ');
    } else if (std::fabs(version - 1.01) < 1e-6) {
        std::replace(line.begin(), line.end(), ';', ' ');
        std::replace(line.begin(), line.end(), ',', '.');
    }
}

// The "ErrorMessages" line of a value of the hole that makes no hole; 0 when all do.
int unusableHole(const SDT_HOLE& hole) {
    if (!import_text::usableDiameter(hole.diameter)) return import_texts::kBadDiameter;
    if (hole.kind == SdtKind::Tapped && !import_text::usableDepth(hole.threadDepth)) return import_texts::kBadDepth;
    if (!import_text::withinReach(hole.top) || !import_text::withinReach(hole.bottom)) return import_texts::kOutOfReach;
    return 0;
}

double headerNumber(std::string_view word) {
    double value = 0;
    const auto [ptr, ec] = std::from_chars(word.data(), word.data() + word.size(), value);
    return ec == std::errc() && std::isfinite(value) ? value : 0;
}

}  // namespace

bool sdtVersionAccepted(double version) {
    for (double v : {1.0, 1.01, 1.02})
        if (std::fabs(version - v) < 1e-6) return true;
    return false;
}

SDT_TABLE parseSdtTable(std::string_view bytes) {
    SDT_TABLE table;
    const std::string text = characters(bytes);
    bool versionKnown = false, unitsKnown = false;
    int number = 0;
    for (const plat::TextLine& textLine : plat::splitLines(text)) {
        std::string line(textLine.text);
        ++number;
        const auto damaged = [&](int what) {
            table.damagedLine = number;
            table.damage = what;
            return table;
        };
        if (line.size() > kMaxLine || line.find('\0') != std::string::npos) return damaged(import_texts::kBadLine);
        if (line.empty()) continue;
        if (!versionKnown && startsNoCase(line, "VERSION:")) {
            versionKnown = true;
            table.version = headerNumber(wordAt(line, 8));
        }
        if (!unitsKnown && startsNoCase(line, "UNITS:")) {
            unitsKnown = true;
            const std::string_view word = wordAt(line, 6);
            const char first = word.empty() ? 0 : static_cast<char>(std::toupper(static_cast<unsigned char>(word[0])));
            if (first == 'I' || first == 'M') table.units = first;
        }
        if (!std::isdigit(static_cast<unsigned char>(line[0]))) continue;
        if (!table.hasData) {
            table.hasData = true;
            if (!sdtVersionAccepted(table.version)) return table;
        }
        replaceSeparators(line, table.version);
        SDT_HOLE hole;
        if (!holeOfLine(line, hole)) continue;
        double n[8];
        if (!readNumbers(line, n)) return damaged(import_texts::kBadNumber);
        hole.line = number;
        hole.diameter = n[0];
        std::copy(n + 1, n + 4, hole.top);
        std::copy(n + 4, n + 7, hole.bottom);
        hole.threadDepth = n[7];
        if (const int reason = unusableHole(hole)) return damaged(reason);
        table.holes.push_back(std::move(hole));
    }
    return table;
}

namespace {

int ask(const std::string& text) {
    return plat::messageBox(nullptr, text, errorMessage(1), plat::MB_OKCANCEL | plat::MB_ICONWARNING);
}

// The mark of a hole; false when its top and bottom points coincide.
bool markOf(const SDT_HOLE& hole, FEATURE_MARK& mark) {
    double axis[3];
    for (int k = 0; k < 3; ++k) axis[k] = hole.top[k] - hole.bottom[k];
    const double length = std::sqrt(axis[0] * axis[0] + axis[1] * axis[1] + axis[2] * axis[2]);
    if (!(length >= 4 * g_tolerances.tolT) || !std::isfinite(length)) return false;
    mark = FEATURE_MARK{};
    mark.origin = 2;
    mark.pendingMatch = 1;
    for (int k = 0; k < 3; ++k) {
        mark.point[k] = hole.top[k];
        mark.direction[k] = axis[k] / length;
    }
    mark.length = length;
    mark.diameter = hole.diameter;
    return true;
}

}  // namespace

int readSdtFile(const std::string& path) {
    const std::optional<std::string> bytes = import_text::readImportFile(path);
    if (!bytes) return 2;
    const SDT_TABLE table = parseSdtTable(*bytes);
    if (table.hasData && !sdtVersionAccepted(table.version)) {
        (void)ask(fillText(errorMessage(kMsgVersion), {path, std::string("1.0, 1.01 1.02")}));
        return 1;
    }
    if (table.damagedLine) {
        import_text::refuseDamagedFile(path, {table.damagedLine, table.damage});
        return 2;
    }
    // The units are asked about at the first data line: a file without one is not asked about.
    const bool metricPart = g_globals->metric();
    const char otherUnits = metricPart ? 'I' : 'M';
    if (table.hasData && table.units == otherUnits &&
        ask(fillText(errorMessage(metricPart ? kMsgInchFile : kMsgMillimetreFile), {path})) != plat::IDOK)
        return 1;
    std::vector<FEATURE_MARK> marks;
    for (const SDT_HOLE& hole : table.holes) {
        FEATURE_MARK mark;
        if (!markOf(hole, mark)) continue;
        if (hole.kind == SdtKind::Fit) {
            mark.isFit = 1;
        } else {
            double nominal = 0, pitch = 0, drilled = 0, safety = 0;
            std::int16_t kind = 0;
            if (!findThreadRow(hole.designation, hole.family, &nominal, &pitch, &drilled, &safety, &kind, nullptr)) {
                CTextSection families;
                (void)families.load(g_globals->uiTextFile, "ConfigProcessDlg", false);
                const std::string family = families.getText(hole.family == 1000 ? 32 : 31);
                if (ask(fillText(errorMessage(kMsgThreadMissing), {family, hole.designation})) != plat::IDOK) {
                    // Stopped by the user: the holes before this one are added and stay.
                    const int added = addImportedMarks(marks, path);
                    return added == 0 ? kImportStoppedKept : added;
                }
                continue;
            }
            mark.isTap = 1;
            mark.threadKind = kind;
            mark.tapDiam = nominal;
            mark.tapPitch = pitch;
            mark.threadDepth = hole.threadDepth;
        }
        marks.push_back(mark);
    }
    if (const int added = addImportedMarks(marks, path); added != 0) return added;
    (void)matchImportedFeatures();
    return 0;
}
