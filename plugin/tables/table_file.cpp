// The ".tab" file of a table: its class line, column descriptions, "[Prm]", "[BmpPrm]" and "[BmpLastVal]"
// parts, read into a CTabColsDesc and written back before the "[Process]" part, which a write carries over
// byte for byte from the safety copy. Lines end in CR LF on disk; a reader accepts LF alone too. Parts that
// are missing or short read as their defaults, as the writer's own files may end after "[BmpLastVal]"; a
// file holding what no table holds (a value that is not a number, a version that does not exist, column
// ids that do not number the columns, NUL bytes) is refused whole, with what is wrong (table_text.h), and the
// writer writes nothing its reader would refuse.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <optional>

#include "platform/sys/files.h"
#include "platform/sys/kept_reads.h"
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
        // A quote inside it would make the heading the write puts between quotes end early.
        const std::string_view token = word();
        *out = std::string(token);
        return !token.empty() && token.find('"') == std::string_view::npos;
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

// The item line read into the table; false when a field is missing or holds what no column description
// holds (a column id outside 0 .. 32767, a value that is not a finite number).
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
    const auto isShort = [](long v) { return v >= INT16_MIN && v <= INT16_MAX; };
    if (!isShort(kind) || !isShort(a) || !isShort(b) || !std::isfinite(value1) || !std::isfinite(value2))
        return false;
    for (long id : {colId1, colId2, colId3})
        if (id < 0 || id > INT16_MAX) return false;
    const auto s = [](long v) { return static_cast<std::int16_t>(v); };
    if (t.addDescItem(s(kind), s(colId1), text1, s(a), s(b), value1, s(colId2), text2, s(colId3), text3, value2) != 0)
        return false;
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

// The picture parts hold times in seconds besides their measures.
constexpr double kTimeLimit = 1e12;

// The values of a part's line, each a finite number of the kind its field takes; a short line reads zeros
// for the values it lacks, and tokens past the `count` fields are not read.
bool valuesSound(const std::vector<std::string_view>& v, std::size_t count, const std::function<bool(std::size_t)>& isShort,
                 double limit = 1e9) {
    for (std::size_t i = 0; i < v.size() && i < count; ++i) {
        if (!isFiniteNumberToken(v[i], limit)) return false;
        if (isShort(i) && (!isIntegerToken(v[i]) || tokenLong(v[i]) < INT16_MIN || tokenLong(v[i]) > INT16_MAX))
            return false;
    }
    return true;
}

// Only what the table could not hold or write back as read is refused: a value that is not a finite number,
// or a 16-bit value that is not a whole number within its range. An angle, a size or a tolerance of any size
// is the user's to set (a window no hole fits, a tolerance no row meets) and makes no fault.
bool prmSound(const std::vector<std::string_view>& v) {
    return valuesSound(v, 19, [](std::size_t i) { return kPrmFields[i].i != nullptr; },
                       std::numeric_limits<double>::max());
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

bool bmpPrmSound(const std::vector<std::string_view>& v) {
    return valuesSound(v, 2 + kBmpParamCount, [](std::size_t i) { return i >= 2; }, kTimeLimit);
}

void readBmpPrm(const std::vector<std::string_view>& v, CTabColsDesc& t) {
    const auto at = [&](std::size_t i) { return i < v.size() ? v[i] : std::string_view(); };
    t.bmpScale = tokenDouble(at(0));
    t.bmpTime = toTime(at(1));
    for (std::size_t i = 0; i < kBmpParamCount; ++i) t.bmpParams[i] = toShort(at(2 + i));
}

bool bmpLastValSound(const std::vector<std::string_view>& v) {
    constexpr std::size_t count = 6 + kLastShortCount;
    return valuesSound(v, count, [](std::size_t i) { return i == 3 || (i >= 5 && i < 5 + kLastShortCount); },
                       kTimeLimit);
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

// The class line's five values, a missing one 0 and further words not read; false unless each is a whole
// number and the class a known one.
bool readClassLine(std::string_view text, CTabColsDesc& t) {
    auto v = blankTokens(text);
    if (v.size() > 5) v.resize(5);
    for (std::string_view token : v)
        if (!isIntegerToken(token) || tokenLong(token) < INT16_MIN || tokenLong(token) > INT16_MAX) return false;
    const auto at = [&](std::size_t i) { return i < v.size() ? toShort(v[i]) : std::int16_t{0}; };
    t.tableClass = at(0);
    t.formatVersion = at(1);
    t.classValue3 = at(2);
    t.classValue4 = at(3);
    t.classValue5 = at(4);
    return t.tableClass >= kTableFormClass && t.tableClass <= kTableNamed;
}

// The column ids of the items number the columns 1 .. columnCount, each once, and every item has a first
// column; the kind columns name one of them.
bool columnIdsSound(const CTabColsDesc& t) {
    std::vector<bool> seen(static_cast<std::size_t>(std::max<int>(t.columnCount, 0)) + 1, false);
    for (int i = 0; i < t.itemCount; ++i) {
        const TAB_DESC_ITEM& m = t.items[static_cast<std::size_t>(i)];
        if (m.colId1 < 1) return false;
        for (std::int16_t id : {m.colId1, m.colId2, m.colId3}) {
            if (id == 0) continue;
            if (id < 0 || id > t.columnCount || seen[static_cast<std::size_t>(id)]) return false;
            seen[static_cast<std::size_t>(id)] = true;
        }
    }
    for (std::int16_t id : {t.processColumn, t.kind4Column, t.kind5Column, t.kind6Column, t.kind7Column, t.listColumn})
        if (id < 0 || id > t.columnCount) return false;
    return t.columnCount >= 1;
}

// The list column came with version 4: a table below it that has one would get a second.
bool columnsFitVersion(const CTabColsDesc& t) {
    if (t.formatVersion >= 4) return true;
    for (int i = 0; i < t.itemCount; ++i)
        if (t.items[static_cast<std::size_t>(i)].kind == kItemList) return false;
    return true;
}

void setReadDefaults(CTabColsDesc& t) {
    const bool metric = g_globals->metric();
    t.lastValues1 = metric ? 12.0 : 0.5;
    t.lastValues2 = metric ? 1.0 : 0.05;
    t.lastValues3 = 45.0;
    t.lastValues4 = 0;
    t.lastValues5 = g_globals->settings.defaultTipAngle;
}

// A run reads the same tables hole after hole; what a read made of them is kept with what it depended on.
plat::KeptReads<CTabColsDesc> g_keptTables;

std::string readContext() {
    const double tip = g_globals->settings.defaultTipAngle;
    std::string context(1, g_globals->metric() ? 'm' : 'i');
    context.append(reinterpret_cast<const char*>(&tip), sizeof tip);
    return context;
}

// The flags that a read carries over from the object read into.
void carryFlags(const CTabColsDesc& from, CTabColsDesc& to) {
    to.tableChanged = from.tableChanged;
    to.processesChanged = from.processesChanged;
    to.rowsChanged = from.rowsChanged;
    to.restoredFromSnapshot = from.restoredFromSnapshot;
    to.snapshotTaken = from.snapshotTaken;
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

std::string parseTable(const std::string& tablePath, const std::string& bytes, CTabColsDesc& t) {
    if (std::string damage = tableBytesDamage(bytes); !damage.empty()) return damage;
    const std::vector<plat::TextLine> lines = plat::splitLines(bytes);
    int count = 0;
    for (const plat::TextLine& line : lines) {
        if (isBlankLine(line.text)) continue;
        if (isSectionEnd(line.text)) break;
        if (isItemLine(line.text)) ++count;
    }
    if (count < 1 || count > INT16_MAX) return errorMessage(kMsgNoItems);

    setReadDefaults(t);
    t.name = plat::splitPath(tablePath).name;
    t.path = tablePath;
    (void)t.allocItems(static_cast<std::int16_t>(count));

    // Reading ends at "[Process]": a part after it is not the table's, and its values keep their defaults.
    bool classRead = false, processFound = false;
    std::optional<std::vector<std::string_view>> prm, bmpPrm, lastVal;
    for (std::size_t i = 0; i < lines.size() && !processFound; ++i) {
        const std::string_view text = lines[i].text;
        const auto nextLine = [&]() {
            return blankTokens(i + 1 < lines.size() ? lines[++i].text : std::string_view());
        };
        if (startsWith(text, "[Class]")) {
            if (!readClassLine(text.substr(7), t)) return damageText(kMsgClassLine);
            classRead = true;
        } else if (startsWith(text, "[Prm]")) {
            prm = nextLine();
        } else if (startsWith(text, "[BmpPrm]")) {
            bmpPrm = nextLine();
        } else if (startsWith(text, "[BmpLastVal]")) {
            lastVal = nextLine();
        } else if (startsWith(text, "[Process]")) {
            processFound = true;
        } else if (isItemLine(text) && !readItem(text, t)) {
            return damageText(kMsgItemLine, text.substr(0, 60));
        }
    }
    if (!classRead) return damageText(kMsgPartMissing, "[Class]");
    // Versions 1 to 20 are the migration's to bring up to date; newer ones the library check reports.
    if (t.formatVersion < 1) return damageText(kMsgUnknownVersion, std::to_string(t.formatVersion));
    if (!columnIdsSound(t)) return damageText(kMsgColumnIds);
    if (!columnsFitVersion(t)) return damageText(kMsgVersionColumns);
    if (prm && !prmSound(*prm)) return damageText(kMsgNotANumber, "[Prm]");
    if (bmpPrm && !bmpPrmSound(*bmpPrm)) return damageText(kMsgNotANumber, "[BmpPrm]");
    if (lastVal && !bmpLastValSound(*lastVal)) return damageText(kMsgNotANumber, "[BmpLastVal]");
    // A part not read keeps the values set above; one read short reads zeros for what it lacks.
    if (prm) readPrm(*prm, t);
    if (bmpPrm) readBmpPrm(*bmpPrm, t);
    if (lastVal) readBmpLastVal(*lastVal, t);
    return {};
}

int CTabColsDesc::read(const std::string& tablePath) {
    const auto bytes = plat::readFile(tablePath);
    if (!bytes) return 1;
    const std::string context = readContext();
    CTabColsDesc t;
    if (g_keptTables.take(tablePath, *bytes, context, t)) {
        carryFlags(*this, t);
        *this = std::move(t);
        return 0;
    }
    carryFlags(*this, t);
    if (const std::string damage = parseTable(tablePath, *bytes, t); !damage.empty()) {
        showTableDamage(tablePath, *bytes, damage);
        return 1;
    }
    g_keptTables.keep(tablePath, *bytes, context, t);
    *this = std::move(t);
    return 0;
}

int CTabColsDesc::write() const {
    const std::string copy = tableSafetyCopyPath(path);
    if (!takeSafetyCopy(path, copy)) return 1;
    std::string out = tableHead(*this);
    if (const auto old = plat::readFile(copy)) {
        const std::string_view bytes = *old;
        for (const plat::TextLine& line : plat::splitLines(bytes)) {
            if (!startsWith(line.text, "[Process]")) continue;
            const std::size_t rest = static_cast<std::size_t>(line.raw.data() - bytes.data()) + line.raw.size();
            out += "[Process]\r\n";
            out.append(bytes.substr(rest));
            break;
        }
    }
    // The writer makes its reader's checks: a table that would not read back (a heading holding a quote, a
    // value that is not a finite number) is not written.
    CTabColsDesc back;
    if (const std::string damage = parseTable(path, out, back); !damage.empty()) {
        showTableMessage(kMsgTableNotWritten, path + "\n" + damage);
        return 1;
    }
    return writeTableFile(path, out) ? 0 : 1;
}
