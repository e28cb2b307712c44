// The ".tab" file of a table: its class line, column descriptions, "[Prm]", "[BmpPrm]" and "[BmpLastVal]"
// parts, read into a CTabColsDesc and written back before the "[Process]" part, which a write carries over
// byte for byte from the safety copy. Lines end in CR LF on disk; a reader accepts LF alone too.
#include <cstdint>

#include "platform/sys/files.h"
#include "platform/sys/paths.h"
#include "plugin/base/globals.h"
#include "plugin/model/tab_cols_desc.h"
#include "plugin/tables/table_text.h"

namespace {

// The "[Prm]" line: i16 values as "%i", the ninth and tenth doubles with six decimals, others with three.
struct PRM_FIELD {
    std::int16_t CTabColsDesc::*i;
    double CTabColsDesc::*d;
    const char* format;
};
const PRM_FIELD kPrmFields[19] = {
    {&CTabColsDesc::prm1, nullptr, "%i"},           {nullptr, &CTabColsDesc::prm2, "%.3f"},
    {nullptr, &CTabColsDesc::prm3, "%.3f"},         {&CTabColsDesc::prm4, nullptr, "%i"},
    {nullptr, &CTabColsDesc::prm5, "%.3f"},         {&CTabColsDesc::prm6, nullptr, "%i"},
    {nullptr, &CTabColsDesc::prm7, "%.3f"},         {&CTabColsDesc::prm8, nullptr, "%i"},
    {nullptr, &CTabColsDesc::chamferAngleA, "%.6f"}, {nullptr, &CTabColsDesc::chamferAngleB, "%.6f"},
    {nullptr, &CTabColsDesc::maxChamfer, "%.3f"},   {&CTabColsDesc::autoChamferOn, nullptr, "%i"},
    {nullptr, &CTabColsDesc::autoChamferSize, "%.3f"}, {&CTabColsDesc::prm14, nullptr, "%i"},
    {nullptr, &CTabColsDesc::prm15, "%.3f"},        {&CTabColsDesc::prm16, nullptr, "%i"},
    {nullptr, &CTabColsDesc::prm17, "%.3f"},        {nullptr, &CTabColsDesc::diameterTolerance, "%.3f"},
    {nullptr, &CTabColsDesc::lengthTolerance, "%.3f"},
};

bool isSectionEnd(std::string_view line) {
    return startsWith(line, "[Process]") || startsWith(line, "[Prm]") || startsWith(line, "[BmpPrm]") ||
           startsWith(line, "[BmpLastVal]");
}
bool isItemLine(std::string_view line) { return startsWith(line, "[Item ") || startsWith(line, "[Cil "); }

std::int16_t toShort(std::string_view token) { return static_cast<std::int16_t>(tokenLong(token)); }
std::int64_t toTime(std::string_view token) { return static_cast<std::int32_t>(tokenLong(token)); }

// Reads the fields of an item line one after the other; a field that is not there fails the line.
class ItemCursor {
public:
    explicit ItemCursor(std::string_view text) : text_(text) {}
    bool skipMarker() {
        const std::size_t close = text_.find(']');
        if (close == std::string_view::npos) return false;
        pos_ = close + 1;
        return true;
    }
    bool number(long* out) {
        const std::string_view token = word();
        if (!isIntegerToken(token)) return false;
        *out = tokenLong(token);
        return true;
    }
    bool decimal(double* out) {
        const std::string_view token = word();
        if (!isNumberToken(token)) return false;
        *out = tokenDouble(token);
        return true;
    }
    // A heading between double quotes; a hand-edited heading without quotes is taken up to the next blank.
    bool heading(std::string* out) {
        skipBlanks();
        if (pos_ < text_.size() && text_[pos_] == '"') {
            const std::size_t close = text_.find('"', pos_ + 1);
            if (close == std::string_view::npos) return false;
            *out = std::string(text_.substr(pos_ + 1, close - pos_ - 1));
            pos_ = close + 1;
            return true;
        }
        const std::string_view token = word();
        *out = std::string(token);
        return !token.empty();
    }

private:
    void skipBlanks() {
        while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t')) ++pos_;
    }
    std::string_view word() {
        skipBlanks();
        const std::size_t start = pos_;
        while (pos_ < text_.size() && text_[pos_] != ' ' && text_[pos_] != '\t') ++pos_;
        return text_.substr(start, pos_ - start);
    }
    std::string_view text_;
    std::size_t pos_ = 0;
};

bool readItem(std::string_view line, CTabColsDesc& t) {
    ItemCursor in(line);
    long kind = 0, colId1 = 0, a = 0, b = 0, colId2 = 0, colId3 = 0;
    double value1 = 0, value2 = 0;
    std::string text1, text2, text3;
    if (!in.skipMarker() || !in.number(&kind) || !in.number(&colId1) || !in.heading(&text1) || !in.number(&a) ||
        !in.number(&b) || !in.decimal(&value1))
        return false;
    if (kind == kItemCylinder) {
        if (!in.number(&colId2) || !in.heading(&text2) || !in.number(&colId3) || !in.heading(&text3) ||
            !in.decimal(&value2))
            return false;
        ++t.cylinderItemCount;
    }
    const auto s = [](long v) { return static_cast<std::int16_t>(v); };
    (void)t.addDescItem(s(kind), s(colId1), text1, s(a), s(b), value1, s(colId2), text2, s(colId3), text3, value2);
    std::int16_t* column = nullptr;
    switch (kind) {
        case 3: column = &t.processColumn; break;
        case 4: column = &t.kind4Column; break;
        case 5: column = &t.kind5Column; break;
        case 6: column = &t.kind6Column; break;
        case 7: column = &t.kind7Column; break;
        case 8: column = &t.listColumn; break;
        default: break;
    }
    if (column) *column = s(colId1);
    return true;
}

void readPrm(const std::vector<std::string_view>& v, CTabColsDesc& t) {
    for (std::size_t i = 0; i < 19; ++i) {
        const std::string_view token = i < v.size() ? v[i] : std::string_view();
        if (kPrmFields[i].i)
            t.*kPrmFields[i].i = toShort(token);
        else
            t.*kPrmFields[i].d = tokenDouble(token);
    }
}

void readBmpPrm(const std::vector<std::string_view>& v, CTabColsDesc& t) {
    const auto at = [&](std::size_t i) { return i < v.size() ? v[i] : std::string_view(); };
    t.bmpScale = tokenDouble(at(0));
    t.bmpTime = toTime(at(1));
    for (std::size_t i = 0; i < kBmpParamCount; ++i) t.bmpParams[i] = toShort(at(2 + i));
}

void readBmpLastVal(const std::vector<std::string_view>& v, CTabColsDesc& t) {
    const auto at = [&](std::size_t i) { return i < v.size() ? v[i] : std::string_view(); };
    t.lastValues1 = tokenDouble(at(0));
    t.lastValues2 = tokenDouble(at(1));
    t.lastValues3 = tokenDouble(at(2));
    t.lastValues4 = toShort(at(3));
    t.lastValues5 = tokenDouble(at(4));
    for (std::size_t i = 0; i < kLastShortCount; ++i) t.lastShorts[i] = toShort(at(5 + i));
    t.lastTime = toTime(at(5 + kLastShortCount));
}

void setReadDefaults(CTabColsDesc& t) {
    const bool metric = g_globals->metric();
    t.lastValues1 = metric ? 12.0 : 0.5;
    t.lastValues2 = metric ? 1.0 : 0.05;
    t.lastValues3 = 45.0;
    t.lastValues4 = 0;
    t.lastValues5 = g_globals->settings.defaultTipAngle;
}

long asLong(std::int64_t time) { return static_cast<long>(static_cast<std::int32_t>(time)); }

std::string tableHead(const CTabColsDesc& t) {
    std::string out = formatText("[Class] %i %i %i %i %i\r\n", t.tableClass, t.formatVersion, t.classValue3,
                                 t.classValue4, t.classValue5);
    out += "[Desc]\r\n";
    for (int n = 0; n < t.itemCount; ++n) {
        const TAB_DESC_ITEM& m = t.items[static_cast<std::size_t>(n)];
        out += formatText("[Item %i] %i %i \"%s\" %i %i %.2f %i \"%s\" %i \"%s\" %.2f\r\n", n + 1, m.kind, m.colId1,
                          m.text1.c_str(), m.a, m.b, m.value1, m.colId2, m.text2.c_str(), m.colId3, m.text3.c_str(),
                          m.value2);
    }
    out += "[Prm]\r\n";
    for (std::size_t i = 0; i < 19; ++i) {
        if (i) out += ' ';
        out += kPrmFields[i].i ? formatText(kPrmFields[i].format, t.*kPrmFields[i].i)
                               : formatText(kPrmFields[i].format, t.*kPrmFields[i].d);
    }
    out += "\r\n[BmpPrm]\r\n";
    out += formatText("%.4f %li", t.bmpScale, asLong(t.bmpTime));
    for (std::int16_t v : t.bmpParams) out += formatText(" %i", v);
    out += " \r\n[BmpLastVal]\r\n";
    out += formatText("%.4f %.4f %.2f %i %.1f", t.lastValues1, t.lastValues2, t.lastValues3, t.lastValues4,
                      t.lastValues5);
    for (std::int16_t v : t.lastShorts) out += formatText(" %i", v);
    out += formatText(" %010li\r\n", asLong(t.lastTime));
    return out;
}

}  // namespace

int CTabColsDesc::read(const std::string& tablePath) {
    const auto bytes = plat::readFile(tablePath);
    if (!bytes) return 1;
    const std::vector<TEXT_LINE> lines = splitLines(*bytes);

    int count = 0;
    for (const TEXT_LINE& line : lines) {
        if (isBlankLine(line.text)) continue;
        if (isSectionEnd(line.text)) break;
        if (isItemLine(line.text)) ++count;
    }
    if (count < 1 || count > INT16_MAX) {
        showTableMessage(kMsgNoItems, tablePath);
        return 1;
    }

    CTabColsDesc t;
    t.tableChanged = tableChanged;
    t.processesChanged = processesChanged;
    t.rowsChanged = rowsChanged;
    t.restoredFromSnapshot = restoredFromSnapshot;
    t.snapshotTaken = snapshotTaken;
    setReadDefaults(t);
    t.name = plat::splitPath(tablePath).name;
    t.path = tablePath;
    (void)t.allocItems(static_cast<std::int16_t>(count));

    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string_view text = lines[i].text;
        const auto nextLine = [&]() {
            return blankTokens(i + 1 < lines.size() ? lines[++i].text : std::string_view());
        };
        if (startsWith(text, "[Class]")) {
            const auto v = blankTokens(text.substr(7));
            const auto at = [&](std::size_t k) { return toShort(k < v.size() ? v[k] : std::string_view()); };
            t.tableClass = at(0);
            t.formatVersion = at(1);
            t.classValue3 = at(2);
            t.classValue4 = at(3);
            t.classValue5 = at(4);
        } else if (startsWith(text, "[Prm]")) {
            readPrm(nextLine(), t);
        } else if (startsWith(text, "[BmpPrm]")) {
            readBmpPrm(nextLine(), t);
        } else if (startsWith(text, "[BmpLastVal]")) {
            readBmpLastVal(nextLine(), t);
        } else if (startsWith(text, "[Process]")) {
            break;
        } else if (isItemLine(text) && !readItem(text, t)) {
            showTableMessage(kMsgTableDamaged, tablePath);
            return 1;
        }
    }
    *this = std::move(t);
    return 0;
}

int CTabColsDesc::write() const {
    const std::string copy = tableSafetyCopyPath(path);
    if (!takeSafetyCopy(path, copy)) return 1;
    std::string out = tableHead(*this);
    if (const auto old = plat::readFile(copy)) {
        const std::string_view bytes = *old;
        for (const TEXT_LINE& line : splitLines(bytes)) {
            if (!startsWith(line.text, "[Process]")) continue;
            const std::size_t rest = static_cast<std::size_t>(line.raw.data() - bytes.data()) + line.raw.size();
            out += "[Process]\r\n";
            out.append(bytes.substr(rest));
            break;
        }
    }
    return writeTableFile(path, out) ? 0 : 1;
}
