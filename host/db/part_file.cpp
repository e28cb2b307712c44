// Part files: one SQLite database per part.
//   meta(key, value)       format = kPartFormat, version = kPartFormatVersion, release, state (a blob:
//                          main level/colour/attributes, construction/tool/graphics view, WCS, window,
//                          job set-up)
//   entities(handle, id, type, level, sel, kept, body, geom, geom_extra[, origin])   in database order;
//                          body is entity_codec's, geom the BRep text of a surface or solid, geom_extra a
//                          solid's face colours; from version 2 on both texts sealed (geometry_seal.h);
//                          from version 3 on body, geom and geom_extra packed blobs (blob_pack.h), and a
//                          surface whose geometry is still what a solid's face made has origin (the
//                          solid's handle, the face's place in it, and whether the surface is that face
//                          or its untrimmed base) instead of geometry of its own; from version 4 on a
//                          solid's geometry in the kernel's binary form, which keeps its numbers as they are
//                          (the BRep text keeps 15 digits), the texts of older files still read
//   levels(level, visible, name)   views(number, matrix)   named_views(pos, body)
//   tools(pos, body)      the part's tool list, rows of host/tools/part_tools.h's codec (absent in files
//                         saved before parts had tools)
// Saving writes "<file>.saving" in one transaction and renames it over the file; a solid's geometry goes as
// the solid keeps it (SolidGeom::fileText), and the kernel writes it only when the solid keeps none. Loading
// reads everything into a LoadedPart and checks it before anyone sees it; its geometry is made in the reader
// process first, under a time and memory limit, since a crafted text can make the kernel's making run
// without end.
#include "host/db/part_file.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <deque>
#include <filesystem>
#include <future>
#include <map>
#include <thread>
#include <vector>
#include <memory>
#include <new>
#include <optional>

#include "host/db/blob_pack.h"
#include "host/db/entity_codec.h"
#include "host/db/geometry_seal.h"
#include "host/db/part_records.h"
#include "host/db/sqlite_calls.h"
#include "host/geom/brep_text.h"
#include "host/geom/step_process.h"
#include "host/geom/step_reply.h"
#include "host/internal.h"
#include "host/tools/part_tools.h"
#include "platform/sys/files.h"

namespace host::db {
namespace {

namespace fs = std::filesystem;

struct DbCloser {
    void operator()(sqlite3* db) const { sq::close(db); }
};
struct StmtCloser {
    void operator()(sqlite3_stmt* s) const { sq::finalize(s); }
};
using DbHandle = std::unique_ptr<sqlite3, DbCloser>;
using Stmt = std::unique_ptr<sqlite3_stmt, StmtCloser>;

PartFileResult failure(std::string message) { return PartFileResult{false, std::move(message)}; }

// Opening a file read-only as immutable: a database in WAL mode would otherwise get "-wal" and "-shm" side
// files that a read-only connection can never remove. Every byte but letters, digits and "/-._~" is escaped.
std::string immutableUri(const std::string& path) {
    std::error_code ec;
    const std::string absolute = fs::absolute(path, ec).string();
    std::string uri = "file://";
    for (const char c : ec ? path : absolute) {
        const auto u = static_cast<unsigned char>(c);
        if (std::isalnum(u) || (c && std::strchr("/-._~", c))) {
            uri += c;
        } else {
            static const char hex[] = "0123456789ABCDEF";
            uri += '%';
            uri += hex[u >> 4];
            uri += hex[u & 15];
        }
    }
    return uri + "?immutable=1";
}

// ---- saving ----

class Writer {
public:
    Writer(sqlite3* db, int failAt) : db_(db), failAt_(failAt) {}

    bool exec(const char* sql) {
        if (!count()) return false;
        char* err = nullptr;
        const int rc = sq::exec(db_, sql, nullptr, nullptr, &err);
        if (rc != SQLITE_OK) error_ = err ? err : sq::errmsg(db_);
        sq::free(err);
        return rc == SQLITE_OK;
    }

    Stmt prepare(const char* sql) {
        sqlite3_stmt* s = nullptr;
        if (sq::prepare_v2(db_, sql, -1, &s, nullptr) != SQLITE_OK) error_ = sq::errmsg(db_);
        return Stmt(s);
    }

    // Runs a prepared insert once with what is bound, and resets it for the next row.
    bool step(sqlite3_stmt* s) {
        if (!s || !count()) return false;
        const int rc = sq::step(s);
        sq::reset(s);
        sq::clear_bindings(s);
        if (rc != SQLITE_DONE) error_ = sq::errmsg(db_);
        return rc == SQLITE_DONE;
    }

    const std::string& error() const { return error_; }

private:
    bool count() {
        if (++writes_ == failAt_) {
            error_ = "write " + std::to_string(writes_) + " failed";
            return false;
        }
        return true;
    }
    sqlite3* db_;
    int failAt_;
    int writes_ = 0;
    std::string error_;
};

void bindBlob(sqlite3_stmt* s, int i, const std::string& b) {
    sq::bind_blob64(s, i, b.data(), b.size(), SQLITE_TRANSIENT);
}
void bindText(sqlite3_stmt* s, int i, const std::string& t) {
    sq::bind_text64(s, i, t.data(), t.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
}

// ---- operations, groups and chains: rows of host/ops/ops_part.h's codec ----

bool writeOpsTable(Writer& w) {
    if (!w.exec("CREATE TABLE host_ops(pos INTEGER PRIMARY KEY, kind INTEGER NOT NULL, body BLOB NOT NULL)"))
        return false;
    Stmt rows = w.prepare("INSERT INTO host_ops(pos, kind, body) VALUES(?, ?, ?)");
    const std::vector<ops::OpsRow> encoded = ops::encodeOpsRows();
    for (std::size_t i = 0; i < encoded.size(); ++i) {
        sq::bind_int64(rows.get(), 1, static_cast<sqlite3_int64>(i));
        sq::bind_int64(rows.get(), 2, encoded[i].first);
        bindBlob(rows.get(), 3, encoded[i].second);
        if (!w.step(rows.get())) return false;
    }
    return true;
}

// ---- tables of rows that another unit encodes: pos 0, 1, ... and the blob ----

bool writeBlobTable(Writer& w, const std::string& table, const std::vector<std::string>& rows) {
    if (!w.exec(("CREATE TABLE " + table + "(pos INTEGER PRIMARY KEY, body BLOB NOT NULL)").c_str())) return false;
    Stmt insert = w.prepare(("INSERT INTO " + table + "(pos, body) VALUES(?, ?)").c_str());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        sq::bind_int64(insert.get(), 1, static_cast<sqlite3_int64>(i));
        bindBlob(insert.get(), 2, rows[i]);
        if (!w.step(insert.get())) return false;
    }
    return true;
}

// Whether the surface's geometry is still what converting face `origin.index` of its solid made, so that
// the file may keep it as that face: the solid is there with that very face, and the surface holds what
// was made from it.
bool keptAsOrigin(const Database& db, const Stored& s) {
    if (!s.origin) return false;
    const SurfaceOrigin& o = *s.origin;
    if (s.head.type != kEntSurface || o.face.empty() || !s.surf().geom || s.surf().geom->impl() != o.made.impl())
        return false;
    auto solid = db.ents.find(o.solid);
    if (solid == db.ents.end() || solid->second.head.type != kEntSolid || !solid->second.solid().geom) return false;
    const std::vector<FaceGeom>& faces = solid->second.solid().geom->faces();
    return o.index >= 0 && static_cast<std::size_t>(o.index) < faces.size() && faces[o.index].impl() == o.face.impl();
}

// The entities table's columns, in order: its CREATE, INSERT and SELECT are made from this one list, and its
// writer binds and its reader reads each column by its name here. Files before version 3 keep geometry as
// text and have no origin.
enum EntityColumn { kHandle, kId, kType, kLevel, kSel, kKept, kBody, kGeom, kGeomExtra, kOrigin, kEntityColumns };
struct ENTITY_COLUMN {
    const char* name;
    const char* type;          // from version 3 on
    const char* typeBefore3;   // null: not there before version 3
};
constexpr ENTITY_COLUMN kEntityColumn[kEntityColumns] = {
    {"handle", "INTEGER PRIMARY KEY", "INTEGER PRIMARY KEY"},
    {"id", "INTEGER NOT NULL", "INTEGER NOT NULL"},
    {"type", "INTEGER NOT NULL", "INTEGER NOT NULL"},
    {"level", "INTEGER NOT NULL", "INTEGER NOT NULL"},
    {"sel", "INTEGER NOT NULL", "INTEGER NOT NULL"},
    {"kept", "INTEGER NOT NULL", "INTEGER NOT NULL"},
    {"body", "BLOB NOT NULL", "BLOB NOT NULL"},
    {"geom", "BLOB", "TEXT"},
    {"geom_extra", "BLOB", "TEXT"},
    {"origin", "BLOB", nullptr},
};

// The columns a file of that kind has, each as `item(column)` gives it, joined by ", ".
template <class F>
std::string entityColumns(bool packed, F&& item) {
    std::string out;
    for (const ENTITY_COLUMN& c : kEntityColumn) {
        if (!packed && !c.typeBefore3) continue;
        if (!out.empty()) out += ", ";
        out += item(c);
    }
    return out;
}

std::string createEntities(bool packed) {
    return "CREATE TABLE entities(" +
           entityColumns(packed, [&](const ENTITY_COLUMN& c) {
               return std::string(c.name) + " " + (packed ? c.type : c.typeBefore3);
           }) +
           ")";
}

std::string insertEntity(bool packed) {
    return "INSERT INTO entities(" + entityColumns(packed, [](const ENTITY_COLUMN& c) { return std::string(c.name); }) +
           ") VALUES(" + entityColumns(packed, [](const ENTITY_COLUMN&) { return std::string("?"); }) + ")";
}

// Every column, a file before version 3 giving NULL for those it does not have.
std::string selectEntities(bool packed) {
    return "SELECT " +
           entityColumns(true, [&](const ENTITY_COLUMN& c) {
               return std::string(packed || c.typeBefore3 ? c.name : "NULL");
           }) +
           " FROM entities ORDER BY handle";
}

// One entity's row: what the saving thread takes from the database and the kernel, then its blobs.
struct ENTITY_ROW {
    db_ptr handle = 0;
    const Stored* stored = nullptr;
    std::string_view text, packedText;   // a note's text, as the host keeps it
    bool fromOrigin = false;
    std::string body, geom, extra;       // geom and extra the BRep and colour texts until packed
    bool hasGeom = false, hasExtra = false;
    // A solid's geometry as the file keeps it, in place of geom: known to the solid already, or packed
    // here and then kept by it for the next save.
    std::shared_ptr<const std::string> solidText;
};
// A batch ends at so many rows or so many bytes of geometry text, whichever comes first.
constexpr std::size_t kRowsInBatch = 256, kTextInBatch = std::size_t{1} << 20;
struct ENTITY_BATCH {
    std::vector<ENTITY_ROW> rows;
    std::future<void> packed;
};

// The row's body made and its blobs packed: touches nothing but the row and what it points at.
void packEntityRow(ENTITY_ROW& row, const PartSaveOptions& options) {
    const ent e = row.stored->record();
    const bool packed = options.formatVersion >= 3;
    // A record's text goes into its packed body in place, not copied into a body first; one the host
    // keeps packed goes in a piece at a time. Only an unpacked body takes a packed text whole.
    std::string_view text = row.text;
    std::string whole;
    if (packed && !row.packedText.empty()) {
        const BODY_AROUND_TEXT around =
            encodeBodyAroundText(e, unpackedBlobLength(row.packedText), options.formatVersion);
        row.body = packBlobAroundPacked(around.before, row.packedText, around.after).value_or(std::string());
    }
    if (row.body.empty()) {
        if (!row.packedText.empty()) text = whole = unpackBlob(row.packedText).value_or(std::string());
        if (packed) {
            const BODY_AROUND_TEXT around = encodeBodyAroundText(e, text.size(), options.formatVersion);
            const std::string_view pieces[] = {around.before, text, around.after};
            row.body = packBlobPieces(pieces);
        } else {
            row.body = encodeBody(e, text, options.formatVersion);
        }
    }
    // A text the kernel failed to write is not kept for the next save.
    const bool keepSolidText = packed && row.hasGeom && !row.geom.empty() && row.stored->head.type == kEntSolid;
    // Geometry goes sealed with its checksum from format version 2 on, packed from version 3 on.
    auto geometry = [&](bool has, std::string& text) {
        if (!has || options.formatVersion < 2) return;
        text = packed ? packSealedGeometry(text) : sealGeometryText(text);
    };
    geometry(row.hasGeom, row.geom);
    geometry(row.hasExtra, row.extra);
    if (keepSolidText) {
        row.solidText = std::make_shared<const std::string>(std::move(row.geom));
        row.stored->solid().geom->keepFileText(row.solidText);
    }
}

bool writeEntityRow(Writer& w, sqlite3_stmt* st, const ENTITY_ROW& row, bool packed) {
    const Stored& s = *row.stored;
    const EntHead& e = s.head;
    // Parameters count from 1.
    auto bindInt = [&](EntityColumn c, std::int64_t v) { sq::bind_int64(st, c + 1, v); };
    bindInt(kHandle, row.handle);
    bindInt(kId, e.id);
    bindInt(kType, e.type);
    bindInt(kLevel, e.level);
    bindInt(kSel, e.sel);
    bindInt(kKept, s.kept ? 1 : 0);
    sq::bind_blob64(st, kBody + 1, row.body.data(), row.body.size(), SQLITE_STATIC);
    auto bindGeometry = [&](EntityColumn c, const std::string& bytes) {
        if (bytes.empty()) return;
        if (packed) sq::bind_blob64(st, c + 1, bytes.data(), bytes.size(), SQLITE_STATIC);
        else sq::bind_text64(st, c + 1, bytes.data(), bytes.size(), SQLITE_STATIC, SQLITE_UTF8);
    };
    bindGeometry(kGeom, row.solidText ? *row.solidText : row.geom);
    bindGeometry(kGeomExtra, row.extra);
    const std::string origin =
        row.fromOrigin ? encodeSurfaceOrigin({static_cast<std::uint32_t>(s.origin->solid),
                                              static_cast<std::uint32_t>(s.origin->index), s.origin->base})
                       : std::string();
    if (row.fromOrigin) sq::bind_blob64(st, kOrigin + 1, origin.data(), origin.size(), SQLITE_STATIC);
    return w.step(st);
}

bool writeAll(Writer& w, const PartSaveOptions& options) {
    const Database& db = current();
    // Version 3 packs the blobs and keeps converted faces as their origin; older versions are written for
    // tests of the readers.
    const bool packed = options.formatVersion >= 3;
    // The file is new and flushed whole before it takes the part's name (savePart): the database's own
    // flushes at its commit would only wait for the disk once more.
    if (!w.exec("PRAGMA journal_mode=MEMORY") || !w.exec("PRAGMA synchronous=OFF") || !w.exec("BEGIN") ||
        !w.exec("CREATE TABLE meta(key TEXT PRIMARY KEY, value)") || !w.exec(createEntities(packed).c_str()) ||
        !w.exec("CREATE TABLE levels(level INTEGER PRIMARY KEY, visible INTEGER NOT NULL, name BLOB NOT NULL)") ||
        !w.exec("CREATE TABLE views(number INTEGER PRIMARY KEY, matrix BLOB NOT NULL)") ||
        !w.exec("CREATE TABLE named_views(pos INTEGER PRIMARY KEY, body BLOB NOT NULL)"))
        return false;

    Stmt meta = w.prepare("INSERT INTO meta(key, value) VALUES(?, ?)");
    auto metaText = [&](const char* key, const std::string& value) {
        sq::bind_text(meta.get(), 1, key, -1, SQLITE_STATIC);
        bindText(meta.get(), 2, value);
        return w.step(meta.get());
    };
    sq::bind_text(meta.get(), 1, "state", -1, SQLITE_STATIC);
    bindBlob(meta.get(), 2, encodeOpenPartState());
    if (!w.step(meta.get()) || !metaText("format", options.format) ||
        !metaText("version", std::to_string(options.formatVersion)) ||
        !metaText("release", std::to_string(options.release)))
        return false;

    Stmt ents = w.prepare(insertEntity(packed).c_str());
    // Rows go in a batch at a time, each batch's blobs packed on a thread of its own while the next batch's
    // geometry texts are made and the one before is written: packing is most of a save. Only a few batches
    // are in hand at once, so saving still takes little more room than the part.
    const std::size_t inHand = std::max(2u, std::thread::hardware_concurrency());
    std::deque<ENTITY_BATCH> batches;
    auto writeFirst = [&] {
        ENTITY_BATCH& batch = batches.front();
        batch.packed.get();
        bool ok = true;
        for (const ENTITY_ROW& row : batch.rows)
            if (ok) ok = writeEntityRow(w, ents.get(), row, packed);
        batches.pop_front();
        return ok;
    };
    std::vector<ENTITY_ROW> rows;
    std::size_t textInBatch = 0;
    auto startPacking = [&] {
        if (rows.empty()) return;
        batches.push_back({std::move(rows), {}});
        rows.clear();
        textInBatch = 0;
        std::vector<ENTITY_ROW>* batch = &batches.back().rows;
        batches.back().packed = std::async(std::launch::async, [batch, &options] {
            for (ENTITY_ROW& row : *batch) packEntityRow(row, options);
        });
    };
    for (const auto& [h, s] : db.ents) {
        ENTITY_ROW& row = rows.emplace_back();
        row.handle = h;
        row.stored = &s;
        const std::uint32_t type = s.head.type;
        if (type == kEntNote) {
            auto t = db.texts.find(s.note().text);
            if (t != db.texts.end()) {
                row.text = t->second.bytes;
                row.packedText = t->second.packed;
            }
        }
        row.fromOrigin = packed && keptAsOrigin(db, s);
        // The kernel's texts are made here, on the saving thread alone.
        if (type == kEntSurface && s.surf().geom && !s.surf().geom->empty() && !row.fromOrigin) {
            row.geom = faceToBrepText(*s.surf().geom);
            row.hasGeom = true;
        }
        if (type == kEntSolid && s.solid().geom && !s.solid().geom->empty()) {
            const SolidGeom& solid = *s.solid().geom;
            // A kept form goes to files that read it; older formats take the text.
            if (options.formatVersion >= 4) row.solidText = solid.fileText();
            if (!row.solidText) {
                row.geom = options.formatVersion >= 4 ? solidToBinary(solid) : solidToBrepText(solid);
                row.hasGeom = true;
            }
            row.extra = faceColoursToText(solid);
            row.hasExtra = true;
        }
        textInBatch += row.geom.size() + row.extra.size();
        if (rows.size() < kRowsInBatch && textInBatch < kTextInBatch) continue;
        startPacking();
        if (batches.size() >= inHand && !writeFirst()) return false;
    }
    startPacking();
    while (!batches.empty())
        if (!writeFirst()) return false;

    Stmt levels = w.prepare("INSERT INTO levels(level, visible, name) VALUES(?, ?, ?)");
    for (const auto& [level, info] : db.levels) {
        sq::bind_int64(levels.get(), 1, level);
        sq::bind_int64(levels.get(), 2, info.visible ? 1 : 0);
        bindBlob(levels.get(), 3, info.name);
        if (!w.step(levels.get())) return false;
    }

    Stmt viewRows = w.prepare("INSERT INTO views(number, matrix) VALUES(?, ?)");
    const auto& table = views::state().views;
    for (std::size_t i = 0; i < table.size(); ++i) {
        double m[3][3];
        views::fromMat(table[i], m);
        sq::bind_int64(viewRows.get(), 1, static_cast<sqlite3_int64>(i + 1));
        bindBlob(viewRows.get(), 2, encodeViewMatrix(m));
        if (!w.step(viewRows.get())) return false;
    }

    Stmt named = w.prepare("INSERT INTO named_views(pos, body) VALUES(?, ?)");
    for (std::size_t i = 0; i < NamedViews.size(); ++i) {
        sq::bind_int64(named.get(), 1, static_cast<sqlite3_int64>(i));
        bindBlob(named.get(), 2, encodeView(NamedViews[i]));
        if (!w.step(named.get())) return false;
    }
    if (!writeBlobTable(w, "tools", tools::encodePartTools(tools::partTools()))) return false;
    return writeOpsTable(w) && w.exec("COMMIT");
}

// ---- loading ----

// Reads rows and remembers the first reason the file cannot be taken. A file that is no SQLite database,
// or one without our meta table or format name, is foreign rather than damaged.
class Reader {
public:
    Reader(sqlite3* db, std::string name) : db_(db), name_(std::move(name)) {}

    Stmt prepare(const char* sql) {
        sqlite3_stmt* s = nullptr;
        if (sq::prepare_v2(db_, sql, -1, &s, nullptr) != SQLITE_OK) sqliteFailed();
        return Stmt(s);
    }
    // SQLITE_ROW or SQLITE_DONE; anything else marks the file.
    int step(sqlite3_stmt* s) {
        const int rc = sq::step(s);
        if (rc != SQLITE_ROW && rc != SQLITE_DONE) sqliteFailed();
        return rc;
    }
    bool integer(sqlite3_stmt* s, int col, std::int64_t lo, std::int64_t hi, std::int64_t* out) {
        if (sq::column_type(s, col) != SQLITE_INTEGER) return damaged("a number is missing");
        *out = sq::column_int64(s, col);
        if (*out < lo || *out > hi) return damaged("a number is out of range");
        return true;
    }
    std::string_view blob(sqlite3_stmt* s, int col) {
        const void* p = sq::column_blob(s, col);
        const int n = sq::column_bytes(s, col);
        return p ? std::string_view(static_cast<const char*>(p), static_cast<std::size_t>(n)) : std::string_view();
    }
    std::string_view text(sqlite3_stmt* s, int col) {
        const unsigned char* p = sq::column_text(s, col);
        const int n = sq::column_bytes(s, col);
        return p ? std::string_view(reinterpret_cast<const char*>(p), static_cast<std::size_t>(n)) : std::string_view();
    }
    bool damaged(const std::string& why) {
        fail("The part file " + name_ + " is damaged: " + why + ".");
        return false;
    }
    bool newer(int version) {
        fail("The part file " + name_ + " was written in part format version " + std::to_string(version) +
             "; this host reads part format versions up to " + std::to_string(kPartFormatVersion) + ".");
        return false;
    }
    bool foreign() {
        fail("The file " + name_ + " is not a part file.");
        return false;
    }
    bool fail(std::string message) {
        if (message_.empty()) message_ = std::move(message);
        return false;
    }
    bool bad() const { return !message_.empty(); }
    const std::string& name() const { return name_; }
    const std::string& message() const { return message_; }

    // The blob unpacked, its length taken from what is left of the part's budget first; nullopt when it
    // does not unpack, or, the file refused as damaged, when it would go past the budget. A length no blob
    // can have is left to unpackBlob to refuse.
    std::optional<std::string> unpack(std::string_view blob) {
        const std::uint64_t length = unpackedBlobLength(blob);
        if (length > unpackLeft && length <= kMaxUnpackedBlob) {
            damaged("it unpacks to more than a part file of " + std::to_string(fileSize) + " bytes can hold");
            return std::nullopt;
        }
        unpackLeft -= length;
        return unpackBlob(blob);
    }

    int version = 0;              // the file's format version, once read
    std::uint64_t fileSize = 0;
    std::uint64_t unpackLeft = 0;   // of the budget (unpackBudget)

private:
    void sqliteFailed() {
        if (sq::errcode(db_) == SQLITE_NOTADB) foreign();
        else damaged(sq::errmsg(db_));
    }
    sqlite3* db_;
    std::string name_;
    std::string message_;
};

bool parseInt(std::string_view text, int* out) {
    auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), *out);
    return ec == std::errc() && p == text.data() + text.size();
}

// Integrity, format name and version: whether this is a part file of a version this host reads.
bool readMeta(Reader& r, const std::string& path, LoadedPart& out, std::string* state) {
    Stmt check = r.prepare("PRAGMA quick_check");
    if (!check || r.step(check.get()) != SQLITE_ROW) return false;
    const std::string verdict(r.text(check.get(), 0));
    if (verdict != "ok") return r.damaged(verdict);
    // SQLite reads a last page that lost its tail as if the tail were zeros; the file's length tells.
    Stmt pageSize = r.prepare("PRAGMA page_size");
    Stmt pageCount = r.prepare("PRAGMA page_count");
    if (!pageSize || !pageCount || r.step(pageSize.get()) != SQLITE_ROW || r.step(pageCount.get()) != SQLITE_ROW)
        return false;
    std::error_code ec;
    const auto expected = static_cast<std::uintmax_t>(sq::column_int64(pageSize.get(), 0)) *
                          static_cast<std::uintmax_t>(sq::column_int64(pageCount.get(), 0));
    if (fs::file_size(path, ec) != expected || ec) return r.damaged("it is cut short");

    Stmt hasMeta = r.prepare("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = 'meta'");
    if (!hasMeta || r.step(hasMeta.get()) != SQLITE_ROW) return false;
    if (sq::column_int(hasMeta.get(), 0) != 1) return r.foreign();

    Stmt meta = r.prepare("SELECT key, value FROM meta");
    if (!meta) return false;
    std::map<std::string, std::string> values;
    while (r.step(meta.get()) == SQLITE_ROW) {
        const std::string key(r.text(meta.get(), 0));
        values[key] = std::string(key == "state" ? r.blob(meta.get(), 1) : r.text(meta.get(), 1));
    }
    if (r.bad()) return false;
    if (values["format"] != kPartFormat) return r.foreign();
    int version = 0;
    if (!parseInt(values["version"], &version) || version < 1) return r.damaged("its format version is unreadable");
    if (version > kPartFormatVersion) return r.newer(version);
    r.version = version;
    if (!parseInt(values["release"], &out.release)) return r.damaged("its release is unreadable");
    *state = values["state"];
    return true;
}

bool readState(Reader& r, std::string_view blob, LoadedPart& out) {
    return decodePartState(blob, out) || r.damaged("its state record has the wrong length");
}

bool readViews(Reader& r, LoadedPart& out) {
    Stmt rows = r.prepare("SELECT number, matrix FROM views ORDER BY number");
    if (!rows) return false;
    while (r.step(rows.get()) == SQLITE_ROW) {
        std::int64_t number = 0;
        if (!r.integer(rows.get(), 0, 1, 1'000'000, &number)) return false;
        if (number != static_cast<std::int64_t>(out.views.views.size()) + 1) return r.damaged("a view is missing");
        double m[3][3];
        if (!decodeViewMatrix(r.blob(rows.get(), 1), m)) return r.damaged("a view matrix has the wrong length");
        out.views.views.push_back(views::toMat(m));
    }
    if (r.bad()) return false;
    const int count = static_cast<int>(out.views.views.size());
    if (count < 8) return r.damaged("standard views are missing");
    for (int n : {out.views.grView, out.constrView, out.toolView})
        if (n < 1 || n > count) return r.damaged("it names a view it does not hold");

    Stmt named = r.prepare("SELECT pos, body FROM named_views ORDER BY pos");
    if (!named) return false;
    while (r.step(named.get()) == SQLITE_ROW) {
        view_ent v;
        if (!decodeView(r.blob(named.get(), 1), v)) return r.damaged("a named view has the wrong length");
        out.namedViews.push_back(v);
    }
    if (r.bad()) return false;
    if (out.namedViews.size() < 6) return r.damaged("standard named views are missing");
    return true;
}

bool readLevels(Reader& r, LoadedPart& out) {
    Stmt rows = r.prepare("SELECT level, visible, name FROM levels ORDER BY level");
    if (!rows) return false;
    while (r.step(rows.get()) == SQLITE_ROW) {
        std::int64_t level = 0, visible = 0;
        if (!r.integer(rows.get(), 0, INT32_MIN, INT32_MAX, &level) || !r.integer(rows.get(), 1, 0, 1, &visible))
            return false;
        Level& l = out.db.levels[static_cast<std::int32_t>(level)];
        l.visible = visible != 0;
        l.name = std::string(r.blob(rows.get(), 2));
    }
    return !r.bad();
}

// A geometry column's text; from format version 2 on only behind a seal that matches it, so that damaged
// geometry never reaches the kernel's reader; from version 3 on unpacked first (into `room`).
std::optional<std::string_view> geometryText(Reader& r, sqlite3_stmt* row, int col, std::string& room) {
    if (r.version >= 3) {
        std::optional<std::string> unpacked = r.unpack(r.blob(row, col));
        if (!unpacked) return std::nullopt;
        room = std::move(*unpacked);
        return unsealGeometryText(room);
    }
    const std::string_view text = r.text(row, col);
    return r.version >= 2 ? unsealGeometryText(text) : std::optional<std::string_view>(text);
}

// An entity's geometry text, made into its face or solid once every row is read.
struct PENDING_GEOMETRY {
    db_ptr entry = 0;   // in memory
    std::uint32_t id = 0;
    bool solid = false;
    std::string text;
    std::optional<std::string> colours;
    std::string fileText;   // a solid's geometry as a file of format version 3 on holds it, kept by the solid
};

bool readGeometry(Reader& r, sqlite3_stmt* row, const ent& e, std::vector<PENDING_GEOMETRY>& pending) {
    if (sq::column_type(row, kGeom) == SQLITE_NULL) return true;
    std::string geomRoom, coloursRoom;
    const std::optional<std::string_view> sealed = geometryText(r, row, kGeom, geomRoom);
    const std::optional<std::string_view> colours = sq::column_type(row, kGeomExtra) == SQLITE_NULL
                                                        ? std::optional<std::string_view>()
                                                        : geometryText(r, row, kGeomExtra, coloursRoom);
    if (!sealed || (sq::column_type(row, kGeomExtra) != SQLITE_NULL && !colours))
        return r.damaged("the geometry of entity " + std::to_string(e.id) + " does not match its checksum");
    if (e.type != kEntSurface && e.type != kEntSolid)
        return r.damaged("entity " + std::to_string(e.id) + " carries geometry its kind has none of");
    PENDING_GEOMETRY p{0, e.id, e.type == kEntSolid, std::string(*sealed), std::nullopt, {}};
    if (colours) p.colours = std::string(*colours);
    if (p.solid && r.version >= 3) p.fileText = std::string(r.blob(row, kGeom));
    pending.push_back(std::move(p));
    return true;
}

PartGeometryLimits g_geometryLimits;

// The texts as the reader process takes them (step_process.h), moved out of `pending`; where each text lies
// in it goes into `places`.
std::string geometryRequest(std::vector<PENDING_GEOMETRY>& pending,
                            std::vector<std::pair<std::size_t, std::size_t>>& places) {
    std::size_t size = 0;
    for (const PENDING_GEOMETRY& p : pending) size += p.text.size() + 24;
    std::string payload;
    payload.reserve(size);
    for (PENDING_GEOMETRY& p : pending) {
        payload += p.solid ? "S " : "F ";
        payload += std::to_string(p.text.size());
        payload += '\n';
        places.emplace_back(payload.size(), p.text.size());
        payload += p.text;
        p.text = std::string();
    }
    return payload;
}

// Makes the faces and solids of the texts read, once the reader process has made them within the limits:
// what it made in time is made here the same way, with the faces' boxes it worked out (boxing is most of
// the making), and the part is refused when it was stopped or failed.
bool makeGeometry(Reader& r, Database& db, std::vector<PENDING_GEOMETRY>& pending) {
    if (pending.empty()) return true;
    std::vector<std::pair<std::size_t, std::size_t>> places;
    const unsigned flags = kReaderGeometry | (g_geometryLimits.stall ? kReaderStall : 0u);
    ReaderRequest request{flags, geometryRequest(pending, places), "reading its geometry", "the geometry reader",
                          "the part file", {}};
    const double megabytes = static_cast<double>(request.payload.size()) / (1 << 20);
    const double seconds = g_geometryLimits.seconds > 0 ? g_geometryLimits.seconds : 10 + megabytes;
    const long memoryMb =
        g_geometryLimits.memoryMb > 0 ? g_geometryLimits.memoryMb : 4096 + std::lround(64 * megabytes);
    // The texts are read here while the reader process makes them: the reading is most of the cost. A solid's
    // binary form, which the kernel reads unchecked, is read only once the reader process made it.
    std::vector<std::optional<ReadBrep>> read;
    auto readHere = [&] {
        if (!read.empty()) return;
        read.reserve(places.size());
        for (const auto& [at, length] : places) {
            const std::string_view text = std::string_view(request.payload).substr(at, length);
            read.push_back(isBinaryBrep(text) ? std::nullopt : readBrepText(text));
        }
    };
    // Six numbers of at most 25 bytes a face, and a face in the text takes at least three.
    const std::size_t maxOutput = 64 * (request.payload.size() + pending.size()) + 64;
    ProcessRun run;
    std::optional<std::vector<GeometryReplyText>> made;
    for (bool fresh : {false, true}) {
        run = askReader(request, memoryMb, g_geometryLimits.memoryMb > 0, fresh, seconds, maxOutput, readHere);
        made = run.failure.empty() ? parseGeometryReply(run.output, pending.size()) : std::nullopt;
        if (!run.reused || run.stopped || made) break;
    }
    if (made) readHere();
    if (!run.failure.empty()) return r.fail("The part file " + r.name() + " is refused: " + run.failure + ".");
    if (!made)
        return r.fail("The part file " + r.name() + " is refused: the reply of its geometry's reader is damaged.");
    for (std::size_t i = 0; i < pending.size(); ++i) {
        PENDING_GEOMETRY& p = pending[i];
        const std::string unreadable = "the geometry of entity " + std::to_string(p.id) + " is unreadable";
        const GeometryReplyText& reply = (*made)[i];
        const std::string_view text = std::string_view(request.payload).substr(places[i].first, places[i].second);
        if (reply.made && !read[i] && isBinaryBrep(text)) read[i] = readMadeBrep(text);
        if (!reply.made || !read[i]) return r.damaged(unreadable);
        Stored& e = db.ents.at(p.entry);
        if (!p.solid) {
            std::optional<FaceGeom> face =
                faceFromBrep(*read[i], reply.faceBoxes.size() == 1 ? &reply.faceBoxes[0] : nullptr);
            if (!face) return r.damaged(unreadable);
            e.surf().geom = std::make_shared<FaceGeom>(std::move(*face));
        } else {
            std::optional<SolidGeom> solid = solidFromBrep(*read[i], &reply.faceBoxes);
            if (solid && p.colours) solid = withFaceColoursFromText(*solid, *p.colours);
            if (!solid) return r.damaged(unreadable);
            if (!p.fileText.empty()) solid->keepFileText(std::make_shared<const std::string>(std::move(p.fileText)));
            e.solid().geom = std::make_shared<SolidGeom>(std::move(*solid));
        }
        read[i].reset();
    }
    request.payload = std::string();
    return true;
}

// A surface whose geometry is kept as the face of a solid it came from (format version 3), given it once
// every solid is read.
struct FROM_ORIGIN : SURFACE_ORIGIN {   // solid: its handle in the file
    db_ptr entry = 0;                     // in memory
};

bool readOrigin(Reader& r, sqlite3_stmt* row, const ent& e, FROM_ORIGIN& out) {
    if (!decodeSurfaceOrigin(r.blob(row, kOrigin), out) || e.type != kEntSurface)
        return r.damaged("the origin of entity " + std::to_string(e.id) + " is malformed");
    return true;
}

// The surface's geometry from its solid's face, as converting the solid made it.
bool geometryFromOrigin(Reader& r, Database& db, const FROM_ORIGIN& o, db_ptr solidEntry) {
    Stored& s = db.ents.at(o.entry);
    auto solid = db.ents.find(solidEntry);
    if (solid == db.ents.end() || solid->second.head.type != kEntSolid || !solid->second.solid().geom ||
        o.index >= solid->second.solid().geom->faces().size())
        return r.damaged("surface " + std::to_string(s.head.id) + " names a solid face the part does not hold");
    const FaceGeom& face = solid->second.solid().geom->faces()[o.index];
    const FaceGeom made = o.base ? face.untrimmed() : face;
    if (made.empty()) return r.damaged("the base surface " + std::to_string(s.head.id) + " cannot be made again");
    s.surf().geom = std::make_shared<FaceGeom>(made);
    s.origin = std::make_unique<SurfaceOrigin>(
        SurfaceOrigin{face, made, solidEntry, static_cast<std::int32_t>(o.index), o.base});
    return true;
}

bool readEntities(Reader& r, LoadedPart& out) {
    Database& db = out.db;
    Stmt rows = r.prepare(selectEntities(r.version >= 3).c_str());
    if (!rows) return false;
    std::map<db_ptr, db_ptr> renumbered;   // file handle -> handle in memory
    std::vector<FROM_ORIGIN> fromOrigin;
    std::vector<PENDING_GEOMETRY> pending;
    while (r.step(rows.get()) == SQLITE_ROW) {
        std::int64_t handle = 0, id = 0, type = 0, level = 0, sel = 0, kept = 0;
        sqlite3_stmt* row = rows.get();
        if (!r.integer(row, kHandle, 1, UINT32_MAX, &handle) || !r.integer(row, kId, 0, UINT32_MAX, &id) ||
            !r.integer(row, kType, 0, UINT32_MAX, &type) || !r.integer(row, kLevel, INT32_MIN, INT32_MAX, &level) ||
            !r.integer(row, kSel, 0, UINT16_MAX, &sel) || !r.integer(row, kKept, 0, 1, &kept))
            return false;
        ent e{};
        e.type = static_cast<std::uint32_t>(type);
        if (!isKnownType(e.type) || e.type == kEntInfo) return r.damaged("an entity has an unknown type");
        e.id = static_cast<std::uint32_t>(id);
        e.level = static_cast<std::int32_t>(level);
        e.sel = static_cast<std::uint16_t>(sel);
        std::string text;
        FROM_ORIGIN origin;
        const bool made = sq::column_type(row, kOrigin) != SQLITE_NULL;
        if (made && !readOrigin(r, row, e, origin)) return false;
        std::optional<std::string> unpacked;
        if (r.version >= 3 && !(unpacked = r.unpack(r.blob(row, kBody))))
            return r.damaged("the record of entity " + std::to_string(e.id) + " does not unpack");
        if (!decodeBody(unpacked ? std::string_view(*unpacked) : r.blob(row, kBody), e, &text, r.version))
            return r.damaged("the record of entity " + std::to_string(e.id) + " is cut short or malformed");
        unpacked.reset();
        if (made && sq::column_type(row, kGeom) != SQLITE_NULL)
            return r.damaged("entity " + std::to_string(e.id) + " has both geometry and an origin");
        const std::size_t pendingBefore = pending.size();
        if (!readGeometry(r, rows.get(), e, pending)) return false;
        const db_ptr h = db.nextHandle++;
        if (pending.size() > pendingBefore) pending.back().entry = h;
        e.eptr = h;
        if (e.type == kEntNote) {
            const std::uint32_t t = db.nextText++;
            db.texts[t] = Text{std::move(text), h, {}};
            e.note.text = t;
        }
        renumbered[static_cast<db_ptr>(handle)] = h;
        db.nextId = std::max(db.nextId, e.id + 1);
        Stored& stored = db.ents.emplace(h, Stored(std::move(e), kept != 0)).first->second;
        shareTrims(db, stored);
        if (made) {
            origin.entry = h;
            fromOrigin.push_back(origin);
        }
    }
    if (r.bad() || !makeGeometry(r, db, pending)) return false;

    auto inMemory = [&](db_ptr fileHandle) {
        auto it = renumbered.find(fileHandle);
        return it == renumbered.end() ? db_ptr(0) : it->second;
    };
    for (const FROM_ORIGIN& o : fromOrigin)
        if (!geometryFromOrigin(r, db, o, inMemory(o.solid))) return false;
    for (auto& [h, s] : db.ents) {
        const std::uint32_t type = s.head.type;
        if (type == kEntSurface && s.surf().typeCode == kSurfTrimmed) {
            ent_surface& surf = s.surf();
            surf.base = inMemory(surf.base);
            auto base = db.ents.find(surf.base);
            if (base == db.ents.end() || base->second.head.type != kEntSurface ||
                base->second.surf().typeCode == kSurfTrimmed || base->second.head.owner != 0)
                return r.damaged("trimmed surface " + std::to_string(s.head.id) + " has lost its base surface");
            base->second.head.owner = h;
        }
        if (type == kEntNote)
            for (ent_node& node : s.note().nodes) node.pointRef = inMemory(node.pointRef);
        if (type == kEntAssoc) {
            // A target deleted before the save leaves the association pointing nowhere, as it did then.
            ent_assoc& assoc = s.assoc();
            assoc.target = inMemory(assoc.target);
            auto target = db.ents.find(assoc.target);
            if (target != db.ents.end()) ++target->second.head.refs;
        }
    }
    return true;
}

// A file written before there were operations has no table: it reads as a part without them.
bool readOpsTable(Reader& r, LoadedPart& out) {
    Stmt has = r.prepare("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = 'host_ops'");
    if (!has || r.step(has.get()) != SQLITE_ROW) return false;
    if (sq::column_int(has.get(), 0) == 0) return true;
    Stmt rows = r.prepare("SELECT pos, kind, body FROM host_ops ORDER BY pos");
    if (!rows) return false;
    std::vector<ops::OpsRow> encoded;
    while (r.step(rows.get()) == SQLITE_ROW) {
        std::int64_t pos = 0, kind = 0;
        if (!r.integer(rows.get(), 0, 0, INT32_MAX, &pos) || !r.integer(rows.get(), 1, 0, 255, &kind)) return false;
        if (pos != static_cast<std::int64_t>(encoded.size())) return r.damaged("an operations record is missing");
        encoded.emplace_back(static_cast<int>(kind), std::string(r.blob(rows.get(), 2)));
    }
    if (r.bad()) return false;
    std::string why;
    if (!ops::decodeOpsRows(encoded, out.ops, &why)) return r.damaged(why);
    return true;
}

// Rows of a table written by writeBlobTable, in order; a table the file does not have gives no rows.
bool readBlobTable(Reader& r, const std::string& table, std::vector<std::string>& out) {
    Stmt has = r.prepare("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = ?");
    if (!has) return false;
    sq::bind_text(has.get(), 1, table.c_str(), -1, SQLITE_TRANSIENT);
    if (r.step(has.get()) != SQLITE_ROW) return false;
    if (sq::column_int(has.get(), 0) == 0) return true;
    Stmt rows = r.prepare(("SELECT pos, body FROM " + table + " ORDER BY pos").c_str());
    if (!rows) return false;
    while (r.step(rows.get()) == SQLITE_ROW) {
        std::int64_t pos = 0;
        if (!r.integer(rows.get(), 0, 0, INT32_MAX, &pos)) return false;
        if (pos != static_cast<std::int64_t>(out.size())) return r.damaged("a row of its " + table + " is missing");
        if (sq::column_type(rows.get(), 1) != SQLITE_BLOB) return r.damaged("a row of its " + table + " is not a record");
        out.emplace_back(r.blob(rows.get(), 1));
    }
    return !r.bad();
}

bool readPartTools(Reader& r, LoadedPart& out) {
    std::vector<std::string> rows;
    if (!readBlobTable(r, "tools", rows)) return false;
    std::string why;
    return tools::decodePartTools(rows, out.tools, why) || r.damaged(why);
}

}  // namespace

PartFileResult loadPartFile(std::string_view path, LoadedPart& out) {
    const std::string name(path);
    std::error_code ec;
    if (!fs::exists(name, ec)) return failure("The part file " + name + " does not exist.");
    if (!fs::is_regular_file(name, ec)) return failure("The part file " + name + " is not a file.");
    sqlite3* raw = nullptr;
    const int rc = sq::open_v2(immutableUri(name).c_str(), &raw, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr);
    DbHandle db(raw);
    if (rc != SQLITE_OK) return failure("The part file " + name + " cannot be opened: " + sq::errstr(rc) + ".");

    Reader r(db.get(), name);
    r.fileSize = fs::file_size(name, ec);
    r.unpackLeft = unpackBudget(ec ? 0 : r.fileSize);
    try {
        out = LoadedPart{};
        std::string state;
        if (readMeta(r, name, out, &state) && readState(r, state, out) && readViews(r, out) && readLevels(r, out) &&
            readEntities(r, out) && readOpsTable(r, out) && readPartTools(r, out))
            return PartFileResult{true, {}};
    } catch (const std::bad_alloc&) {
        out = LoadedPart{};
        return failure("The part file " + name + " is refused: the station has not the memory to open it.");
    }
    return failure(r.bad() ? r.message() : "The part file " + name + " cannot be read.");
}

std::uint64_t unpackBudget(std::uint64_t fileSize) {
    const std::uint64_t floor = std::uint64_t{256} << 20, perByte = 64, cap = std::uint64_t{2} << 30;
    return std::min(cap, floor + perByte * std::min(fileSize, cap));
}

}  // namespace host::db

namespace host {

PartFileResult savePart(std::string_view path, const PartSaveOptions& options) {
    namespace fs = std::filesystem;
    const std::string target(path);
    const std::string temp = target + ".saving";
    std::error_code ec;
    fs::remove(temp, ec);
    sqlite3* raw = nullptr;
    const int rc = db::sq::open_v2(temp.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    db::DbHandle file(raw);
    if (rc != SQLITE_OK) {
        file.reset();
        fs::remove(temp, ec);
        return db::failure("The part cannot be saved as " + target + ": " + db::sq::errstr(rc) + ".");
    }
    auto lock = db::guard();
    db::Writer w(file.get(), options.failAtWrite);
    const bool written = db::writeAll(w, options);
    const std::string why = w.error();
    if (!written) db::sq::exec(file.get(), "ROLLBACK", nullptr, nullptr, nullptr);
    const bool closed = db::sq::close(file.release()) == SQLITE_OK;
    if (!written || !closed) {
        fs::remove(temp, ec);
        return db::failure("The part cannot be saved as " + target + ": " + (why.empty() ? "closing failed" : why) +
                           ". The file was left as it was.");
    }
    if (!plat::flushToDisk(temp)) {
        const std::string cause = std::strerror(errno);
        fs::remove(temp, ec);
        return db::failure("The part cannot be saved as " + target + ": " + cause + ". The file was left as it was.");
    }
    fs::rename(temp, target, ec);
    if (ec) {
        // The rename's error is the cause; the clean-up's own result must not replace it.
        const std::string cause = ec.message();
        std::error_code ignored;
        fs::remove(temp, ignored);
        return db::failure("The part cannot be saved as " + target + ": " + cause + ". The file was left as it was.");
    }
    if (!plat::flushToDisk(fs::path(target).parent_path().string()))
        return db::failure("The part was saved as " + target + ", but the disk did not confirm it: " +
                           std::strerror(errno) + ".");
    setPartFile(target);
    detail::record("host.part saved " + detail::quote(target));
    return PartFileResult{true, {}};
}

void setPartGeometryLimits(const PartGeometryLimits& limits) { db::g_geometryLimits = limits; }

PartFileResult openPart(std::string_view path) {
    db::LoadedPart part;
    PartFileResult result = db::loadPartFile(path, part);
    if (!result.ok) {
        detail::record("host.part refused " + detail::quote(result.message));
        return result;
    }
    auto lock = db::guard();
    db::current() = std::move(part.db);
    db::noteRemoval();
    part.views.fits = views::state().fits;
    views::state() = part.views;
    NamedViews = std::move(part.namedViews);
    WCS = part.wcs;
    constr_view_n = part.constrView;
    tool_view_n = part.toolView;
    job_setup = part.jobSetup;
    main_level = part.mainLevel;
    main_color = part.mainColor;
    main_attrib = part.mainAttrib;
    ops::installOps(std::move(part.ops));
    tools::installPartTools(std::move(part.tools));
    setPartFile(path);
    detail::record("host.part opened " + detail::quote(std::string(path)));
    return result;
}

}  // namespace host
