// Operation line codec. The 47 fields are one table (kind, place in PROCESS_OPE, format), so that writing
// and reading cannot disagree on order; doubles print in the "C" locale.
#include "plugin/base/tool_types.h"
#include "plugin/model/ope_list.h"
#include "plugin/model/process_ope.h"
#include "plugin/services/import.h"
#include "plugin/services/tooling.h"
#include "plugin/tables/operation_line.h"

#include <cmath>
#include <cstring>

#include "plugin/base/globals.h"
#include "plugin/model/host_blocks.h"
#include "plugin/base/number_text.h"
#include "plugin/model/tab_cols_desc.h"
#include "plugin/tables/table_text.h"

namespace {

using namespace process_ope;

enum class FieldKind { u32, i16, f64, escapedText, plainText };

struct LINE_FIELD {
    FieldKind kind;
    std::size_t at;
    const char* format;
    std::size_t capacity;   // texts
};

constexpr LINE_FIELD I(FIELD<std::int16_t> f) { return {FieldKind::i16, f.at, "%i", 0}; }
constexpr LINE_FIELD U(FIELD<std::uint32_t> f) { return {FieldKind::u32, f.at, "%i", 0}; }
constexpr LINE_FIELD D(FIELD<double> f, const char* format = "%.4f") { return {FieldKind::f64, f.at, format, 0}; }
constexpr LINE_FIELD T(TEXT_FIELD f, FieldKind kind = FieldKind::escapedText) { return {kind, f.at, "{%s}", f.capacity}; }

const LINE_FIELD kFields[kOperationFields] = {
    U(operationType), I(toolDiamAssoc), I(toolDiamCol), I(toolDiamZPl), I(toolDiamCyl), D(toolDiam),
    I(zSupAssoc), I(zSupCol), I(zSupZPl), I(zSupCyl), D(zSup),
    I(zInfAssoc), I(zInfCol), I(zInfZPl), I(zInfCyl), D(zInf),
    I(lineInt17), I(lineInt18), I(lineInt19), D(lineValue20), T(opName),
    U(cycle), I(lineInt23), D(lineValue24), I(milledKind), D(hostValue),
    I(millDiamCol), I(lineInt28), I(toolDiamOffsetOn), D(toolDiamOffset, "%5f"), I(bottomStockOn), D(bottomStock, "%5f"),
    I(lineInt33), D(lineValue34), D(toolDiamSecond), T(toolName),
    I(cylDiamAssoc), I(cylDiamCol), I(cylDiamZPl), I(cylDiamCyl), D(cylDiam),
    I(lineInt42), I(lineInt43), I(lineInt44), I(lineInt45), T(lineText46, FieldKind::plainText), I(lineInt47),
};
constexpr int kOpNameToken = 20, kCycleToken = 21, kToolNameToken = 35;

constexpr char kEscapes[][2] = {{'\t', 1}, {'\r', 2}, {'\n', 3}, {' ', 4}};

// A Z at the form's top (-0.0, or a hair below 0 from the profile's arithmetic) is written "0.0000", not
// "-0.0000": the same number, without a sign that tells the reader of the table a depth that is not there.
std::string withoutNegativeZero(std::string text) {
    if (text.size() > 1 && text[0] == '-' && text.find_first_not_of("0.", 1) == std::string::npos) text.erase(0, 1);
    return text;
}

std::string fieldText(const PROCESS_OPE& op, const LINE_FIELD& f) {
    switch (f.kind) {
        case FieldKind::u32: return formatText(f.format, static_cast<int>(op.get<std::uint32_t>(f.at)));
        case FieldKind::i16: return formatText(f.format, op.get<std::int16_t>(f.at));
        case FieldKind::f64: return withoutNegativeZero(formatText(f.format, op.get<double>(f.at)));
        case FieldKind::escapedText: {
            std::string text = opeText(op, {f.at, f.capacity});
            escapeText(text);
            return "{" + text + "}";
        }
        case FieldKind::plainText: return "{" + opeText(op, {f.at, f.capacity}) + "}";
    }
    return {};
}

std::string_view withoutBraces(std::string_view token) {
    if (!token.empty() && token.front() == '{') token.remove_prefix(1);
    if (!token.empty() && token.back() == '}') token.remove_suffix(1);
    return token;
}

void setField(PROCESS_OPE& op, const LINE_FIELD& f, std::string_view token) {
    switch (f.kind) {
        case FieldKind::u32: op.set<std::uint32_t>(f.at, static_cast<std::uint32_t>(tokenLong(token))); break;
        case FieldKind::i16: op.set<std::int16_t>(f.at, static_cast<std::int16_t>(tokenLong(token))); break;
        case FieldKind::f64: op.set<double>(f.at, tokenDouble(token)); break;
        case FieldKind::escapedText: {
            std::string text(withoutBraces(token));
            unescapeText(text);
            setOpeText(op, {f.at, f.capacity}, text);
            break;
        }
        case FieldKind::plainText: setOpeText(op, {f.at, f.capacity}, withoutBraces(token)); break;
    }
}

void appendBlock(std::string& out, const PROCESS_OPE& op, std::size_t at, std::size_t size) {
    out += "    ";
    out += encodeBlock(op.bytes + at, size);
    out += "\r\n";
}

// The diameter a milled operation's label shows.
double milledDiameter(const PROCESS_OPE& op, int kind) {
    switch (kind) {
        case kCircleMill: return op.get<double>(circleMillBlock + 48);
        case kContour: return opeGet(op, cylDiam);
        case kHelixBore: return op.get<double>(helixBoreBlock + 24);
        case kThreadMill: return op.get<double>(threadMillBlock + 112);
        default: return 0;
    }
}

int milledNameLine(int kind, std::uint32_t type) {
    switch (kind) {
        case kContour: return type == 12 ? 15 : type == 15 ? 16 : 13;
        case kHelixBore: return 20;
        case kThreadMill: return 21;
        default: return 12;
    }
}

std::string typeName(std::uint32_t type) {
    for (const TOOL_OP_TYPE* row = g_toolOpTypes; row->type >= 0; ++row)
        if (static_cast<std::uint32_t>(row->type) == type) return row->operationName;
    return g_toolOpTypes[0].operationName;
}

std::string columnHeading(const CTabColsDesc& table, std::int16_t colId) {
    std::string heading;
    (void)table.findItemByColumn(colId, &heading, nullptr);
    return heading;
}

}  // namespace

void escapeText(std::string& text) {
    for (char& c : text)
        for (const auto& e : kEscapes)
            if (c == e[0]) c = e[1];
}

void unescapeText(std::string& text) {
    for (char& c : text)
        for (const auto& e : kEscapes)
            if (c == e[1]) c = e[0];
}

std::string formatOperation(std::string_view processName, int index, const PROCESS_OPE& op) {
    // Not through printf: a name read with a NUL byte in it would be cut there and name another process.
    std::string out = "[" + std::string(processName) + " " + std::to_string(index) + "]";
    for (const LINE_FIELD& f : kFields) {
        out += ' ';
        out += fieldText(op, f);
    }
    out += "\r\n";
    const int kind = opeGet(op, milledKind);
    if (kind == kMilledNone) return out;
    appendBlock(out, op, hostBlock6, kBlock6);
    appendBlock(out, op, hostBlock64, kBlock64);
    appendBlock(out, op, hostBlock40, kBlock40);
    appendBlock(out, op, hostBlock168, kBlock168);
    const BLOCK_PLACE place = kindBlockPlace(kind);
    if (place.size) appendBlock(out, op, place.at, place.size);
    out += "    " + std::string(2 * kZeroLineBytes, 'a') + "\r\n";
    return out;
}

void parseOperationFields(std::string_view fields, PROCESS_OPE& op) {
    std::vector<std::string_view> tokens = blankTokens(fields);
    tokens.resize(kOperationFields);
    if (tokens[32].size() > 1) tokens[32] = "0";
    if (tokens[33].size() > 8) tokens[33] = "0.0";
    if (tokens[27].size() > 2) tokens[27] = "0";
    for (int t : {kOpNameToken, kToolNameToken})
        if (findSubstring(tokens[t], "\xCC\xCC\xCC\xCC") != std::string_view::npos) tokens[t] = "{}";
    if (!tokens[kCycleToken].empty() && tokens[kCycleToken].front() == '{') {
        tokens[kOpNameToken] = tokens[kCycleToken];
        tokens[kCycleToken] = {};
    }
    for (int i = 0; i < kOperationFields; ++i) setField(op, kFields[i], tokens[i]);
    if (tokens[kCycleToken].empty())
        opeSet(op, cycle, static_cast<std::uint32_t>(mapToolTypeCode(static_cast<std::int16_t>(opeGet(op, operationType)))));
}

bool operationFieldsSound(std::string_view fields, bool whole) {
    const std::vector<std::string_view> tokens = blankTokens(fields);
    if (whole && tokens.size() < static_cast<std::size_t>(kOperationFields)) return false;
    for (std::size_t i = 0; i < tokens.size() && i < static_cast<std::size_t>(kOperationFields); ++i)
        if (kFields[i].kind == FieldKind::f64 && !std::isfinite(tokenDouble(tokens[i]))) return false;
    return true;
}

bool readBlockLines(const std::vector<std::string_view>& letterTexts, PROCESS_OPE& op) {
    struct COMMON {
        std::size_t at, size, packedLetters;
        int layout;
    };
    constexpr COMMON kCommon[4] = {
        {hostBlock6, kBlock6, 10, 0}, {hostBlock64, kBlock64, 92, 1}, {hostBlock40, kBlock40, 44, 2},
        {hostBlock168, kBlock168, 278, 3}};
    for (std::string_view letters : letterTexts)
        if (!isBlockText(letters)) return false;
    const int kind = opeGet(op, milledKind);
    for (std::size_t line = 0; line < letterTexts.size() && line < 5; ++line) {
        const std::string_view letters = letterTexts[line];
        if (line < 4) {
            const COMMON& c = kCommon[line];
            if (letters.size() <= c.packedLetters)
                (void)convertPackedBlock(c.layout, letters, op.bytes + c.at);
            else
                (void)decodeBlock(letters, c.size, op.bytes + c.at);
            continue;
        }
        const BLOCK_PLACE place = kindBlockPlace(kind);
        if (!place.size) continue;
        if (kind == kCircleMill && letters.size() == 400) {
            std::memset(op.bytes + place.at, 0, place.size);
            (void)decodeBlock(letters, 200, op.bytes + place.at);
        } else if (kind == kCircleMill && letters.size() <= 310) {
            (void)convertPackedBlock(4, letters, op.bytes + place.at);
        } else if (kind == kContour && letters.size() <= 492) {
            (void)convertPackedBlock(5, letters, op.bytes + place.at);
        } else {
            (void)decodeBlock(letters, place.size, op.bytes + place.at);
        }
    }
    return true;
}

std::string operationLabel(const PROCESS_OPE& op, const CTabColsDesc& table, const CTextSection& operationTypes) {
    const std::uint32_t type = opeGet(op, operationType);
    const int kind = opeGet(op, milledKind);
    std::string name, measure;
    if (kind != kMilledNone) {
        name = operationTypes.getText(milledNameLine(kind, type));
        const std::int16_t col = opeGet(op, cylDiamCol);
        measure = col != 0 ? columnHeading(table, col) : formatText(g_fmtMedium, milledDiameter(op, kind));
    } else {
        name = typeName(type);
        std::string offset;
        if (opeGet(op, toolDiamOffsetOn)) offset = trimNumberText(formatText(g_fmtSigned, opeGet(op, toolDiamOffset)), 0);
        const std::int16_t col = opeGet(op, toolDiamCol);
        measure = "(" + (col != 0 ? columnHeading(table, col) : formatText(g_fmtMedium, opeGet(op, toolDiam))) + offset + ")";
        if (opeGet(op, bottomStockOn))
            measure += " (" + std::string(g_txtStock) +
                       trimNumberText(formatText(g_fmtSigned, opeGet(op, bottomStock)), 0) + ")";
        const std::string tool = opeText(op, toolName);
        if (opeGet(op, toolDiamAssoc) == 2 && !tool.empty()) measure += " '" + tool + "'";
    }
    return name + " " + measure + " - " + opeText(op, opName);
}
