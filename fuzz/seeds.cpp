// fx_fuzz_seeds OUTDIR: writes the seed corpora of the fuzz targets, one folder per target, from real data
// rather than files kept in git: the example plate opened and recognised by the plug-in (the main job's
// session), its records, its solid's BRep text, the settings file the cycle wrote, the UI texts and a STEP
// example with the reader's reply; the shipped tables, tool libraries, material files and sessions; the
// import fixtures of the tests (SDT tables, STEP hole features); the part's entity bodies, operation rows
// and a tool list.
#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <iostream>
#include <sstream>

#include "fuzz_support.h"
#include "host/api.h"
#include "host/db/blob_pack.h"
#include "host/db/entity_codec.h"
#include "host/db/geometry_seal.h"
#include "host/geom/brep_text.h"
#include "host/geom/step_io.h"
#include "host/geom/step_process.h"
#include "host/ops/ops_part.h"
#include "host/tools/part_tools.h"
#include "host/tools/tool_library.h"
#include "hostapp/plugin_module.h"
#include "hostapp/session_runner.h"
#include "plugin/cycle/exports.h"
#include "plugin/base/part_record.h"
#include "plugin/cycle/records.h"
#include "plugin/base/views_list.h"
#include "plugin/model/db_file_chunk.h"
#include "plugin/model/feature_mark.h"
#include "plugin/model/tree_codec.h"
#include "plugin/services/settings.h"
#include "platform/sys/paths.h"
#include "platform/sys/process.h"

namespace {

const char* const kCycleRecords[] = {"DRLUd66", "DRLTd66", "DFTUd05", "DFTTd05", "DREVddd", "TLSTd05",
                                     "TSEQd05", "DRLPp01"};

std::vector<std::uint8_t> bytesOf(std::string_view s) { return {s.begin(), s.end()}; }

std::vector<std::uint8_t> record(const char* name) {
    std::vector<std::uint8_t> payload;
    readPartRecord(name, payload);
    return payload;
}

std::vector<std::uint8_t> withKind(std::uint8_t kind, std::vector<std::uint8_t> bytes) {
    bytes.insert(bytes.begin(), kind);
    return bytes;
}

// A row as the part-rows target takes it: an optional kind byte, a 32-bit length and the bytes.
void appendRow(std::vector<std::uint8_t>& out, std::string_view bytes, int kind = -1) {
    if (kind >= 0) out.push_back(static_cast<std::uint8_t>(kind));
    for (int k = 0; k < 4; ++k) out.push_back(static_cast<std::uint8_t>(bytes.size() >> (8 * k)));
    out.insert(out.end(), bytes.begin(), bytes.end());
}

// The part-file target's seeds: the first blob of each query of a saved part, after the byte picking it.
void writePartFileSeeds(const std::string& out, const std::string& part) {
    const char* const queries[] = {"SELECT value FROM meta WHERE key = 'state'", "SELECT matrix FROM views WHERE number = 1",
                                   "SELECT matrix FROM views WHERE number = 8",
                                   "SELECT body FROM named_views ORDER BY pos LIMIT 1",
                                   "SELECT name FROM levels ORDER BY level LIMIT 1",
                                   "SELECT body FROM named_views ORDER BY pos DESC LIMIT 1"};
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(part.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        for (std::size_t k = 0; k < std::size(queries); ++k) {
            sqlite3_stmt* row = nullptr;
            if (sqlite3_prepare_v2(db, queries[k], -1, &row, nullptr) == SQLITE_OK && sqlite3_step(row) == SQLITE_ROW) {
                const auto* blob = static_cast<const std::uint8_t*>(sqlite3_column_blob(row, 0));
                std::vector<std::uint8_t> entry{static_cast<std::uint8_t>(k)};
                entry.insert(entry.end(), blob, blob + sqlite3_column_bytes(row, 0));
                fuzz::writeSeed(out + "/part_file", "part_" + std::to_string(k), entry);
            }
            sqlite3_finalize(row);
        }
    }
    sqlite3_close(db);
}

// The part-unpack target's seeds: a note's body as saved, and bodies of a run of one letter that unpack to
// 1 MiB, to 64 MiB (six of them past what the file may unpack) and, by a header that lies, to 900 MiB.
void writePartUnpackSeeds(const std::string& out) {
    ent n{};
    calc_note(&n, 1, p_3d{}, "note");
    auto seed = [&](const std::string& name, std::size_t textSize, std::uint64_t told) {
        const host::db::BODY_AROUND_TEXT around = host::db::encodeBodyAroundText(n, textSize);
        host::db::BlobPacker packer;
        packer.add(around.before);
        const std::string run(std::size_t{1} << 20, 'x');
        for (std::size_t left = textSize; left > 0; left -= std::min(left, run.size()))
            packer.add(std::string_view(run).substr(0, std::min(left, run.size())));
        packer.add(around.after);
        std::string body = packer.finish().value_or("");
        if (body.size() < 9) return;
        for (int i = 0; told && i < 8; ++i) body[1 + static_cast<std::size_t>(i)] = static_cast<char>(told >> (8 * i));
        fuzz::writeSeed(out + "/part_unpack", name, bytesOf(body));
    };
    fuzz::writeSeed(out + "/part_unpack", "saved", bytesOf(host::db::packBlob(host::db::encodeBody(n, "note"))));
    seed("one_mib", std::size_t{1} << 20, 0);
    seed("six_past_budget", std::size_t{64} << 20, 0);
    seed("lying_header", std::size_t{1} << 20, std::uint64_t{900} << 20);
}

std::string sourceFile(const std::string& path) { return plat::readFile(FX_SOURCE_DIR "/" + path).value_or(""); }

// The seeds of the readers of files the installation ships: tables, tool libraries, materials, sessions.
void writeFileSeeds(const std::string& out) {
    for (const bool metric : {true, false}) {
        const std::string folder = std::string("data/forms/") + (metric ? "FORMS_MM" : "FORMS_INCH") + "/Standard";
        for (const plat::FileEntry& f : plat::findFiles(FX_SOURCE_DIR "/" + folder, "*.tab")) {
            const std::string name = plat::splitPath(f.name).name, tab = sourceFile(folder + "/" + f.name);
            const std::string rows = sourceFile(folder + "/" + name + ".txt");
            const std::string seed = (metric ? "mm_" : "inch_") + name;
            fuzz::writeSeed(out + "/table_file", seed, bytesOf(tab));
            const std::size_t process = tab.find("[Process]");
            if (process != std::string::npos) {
                std::vector<std::uint8_t> part{0};
                const std::string lines = tab.substr(tab.find('\n', process) + 1);
                part.insert(part.end(), lines.begin(), lines.end());
                fuzz::writeSeed(out + "/process_lines", seed, part);
            }
            for (std::size_t k = 0; k < fuzz::kShippedTableCount; ++k) {
                if (!metric || name != fuzz::kShippedTables[k]) continue;
                std::vector<std::uint8_t> entry{static_cast<std::uint8_t>(k)};
                entry.insert(entry.end(), rows.begin(), rows.end());
                fuzz::writeSeed(out + "/table_rows", seed, entry);
            }
            if (metric && (name.rfind("Metric", 0) == 0)) fuzz::writeSeed(out + "/thread_tables", seed, bytesOf(rows));
            std::vector<std::uint8_t> snapshot{static_cast<std::uint8_t>(tab.size() & 0xFF),
                                               static_cast<std::uint8_t>((tab.size() >> 8) & 0xFF)};
            snapshot.insert(snapshot.end(), tab.begin(), tab.end());
            snapshot.insert(snapshot.end(), rows.begin(), rows.end());
            if (tab.size() <= 0xFFFF) fuzz::writeSeed(out + "/table_snapshots", seed, snapshot);
            // Older versions of the table, which the migration brings up to date.
            for (const char* version : {"2", "10", "19"}) {
                std::string old = tab, oldRows = rows;
                const std::size_t at = old.find(" 21 ");
                if (at == std::string::npos || at > 16) continue;
                old.replace(at, 4, std::string(" ") + version + " ");
                if (std::string(version) == "2") {
                    // Before version 4 a table had no list column: its item and its cells go.
                    const std::size_t list = old.find("\"\" 0 0 0.00");
                    const std::size_t start = list == std::string::npos ? list : old.rfind("[Item", list);
                    if (start != std::string::npos) old.erase(start, old.find('\n', start) + 1 - start);
                    for (std::size_t cell; (cell = oldRows.find(" (")) != std::string::npos;)
                        oldRows.erase(cell, oldRows.find(')', cell) + 1 - cell);
                }
                std::vector<std::uint8_t> entry{static_cast<std::uint8_t>(old.size() & 0xFF),
                                                static_cast<std::uint8_t>((old.size() >> 8) & 0xFF)};
                entry.insert(entry.end(), old.begin(), old.end());
                entry.insert(entry.end(), oldRows.begin(), oldRows.end());
                fuzz::writeSeed(out + "/table_migration", seed + "_v" + version, entry);
            }
        }
    }
    for (const char* library : {"Mill_mm", "Mill_Inch"}) {
        const std::string bytes = sourceFile(std::string("data/host/Mill/Tools/") + library + ".Tools");
        fuzz::writeSeed(out + "/tool_files", library, withKind(0, bytesOf(bytes)));
        std::vector<tp_tool> tools;
        std::string why;
        if (!host::tools::decodeToolLibrary(bytes, tools, why) || tools.size() < 3) continue;
        host::tools::PartToolState state;
        for (std::int32_t id = 1; id <= 3; ++id) {
            state.records[id] = tools[static_cast<std::size_t>(id - 1)];
            state.list.push_back(part_tool{id, tools[static_cast<std::size_t>(id - 1)]});
        }
        state.nextId = 4;
        std::vector<std::uint8_t> rows{2};
        for (const std::string& row : host::tools::encodePartTools(state)) appendRow(rows, row);
        fuzz::writeSeed(out + "/part_rows", std::string("tools_") + library, rows);
    }
    for (const char* materials : {"Mill_mm", "Mill_Inch"})
        fuzz::writeSeed(out + "/tool_files", std::string("materials_") + materials,
                        withKind(1, bytesOf(sourceFile(std::string("data/host/Materials/") + materials + ".Materials"))));
    for (const plat::FileEntry& f : plat::findFiles(FX_SOURCE_DIR "/data/sessions", "*.session"))
        fuzz::writeSeed(out + "/session_file", f.name, bytesOf(sourceFile("data/sessions/" + f.name)));
    // The interchange readers' fixtures, by their extension in either case.
    for (const plat::FileEntry& f : plat::findFiles(FX_SOURCE_DIR "/tests/data/import", "*")) {
        std::string ext = plat::splitPath(f.name).ext;
        for (char& c : ext) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        const char* target = ext == ".TFF" ? "/tff_file" : ext == ".KTW" ? "/ktw_file" : nullptr;
        if (target) fuzz::writeSeed(out + target, f.name, bytesOf(sourceFile("tests/data/import/" + f.name)));
        if (target)
            fuzz::writeSeed(out + "/import_marks", f.name,
                            withKind(ext == ".KTW" ? 1 : 0, bytesOf(sourceFile("tests/data/import/" + f.name))));
    }
}

// A spline as the named-files target takes it: its kind byte, a 16-bit length and its data block.
void appendSpline(std::vector<std::uint8_t>& out, std::uint8_t kind, const std::vector<std::uint8_t>& data) {
    out.push_back(kind);
    out.push_back(static_cast<std::uint8_t>(data.size()));
    out.push_back(static_cast<std::uint8_t>(data.size() >> 8));
    out.insert(out.end(), data.begin(), data.end());
}

std::vector<std::uint8_t> chunkOf(const std::string& name, int index, std::string_view payload) {
    DBFILE_ENTRY header;
    header.name = name;
    header.chunkIndex = static_cast<std::uint16_t>(index);
    return encodeDbChunk(header, bytesOf(payload));
}

// The exported feature tree of the tests, as a document and as the chunks of the part's file.
void writeImportSeeds(const std::string& out) {
    const std::string tree = sourceFile("tests/support/verta_tree.xml");
    fuzz::writeSeed(out + "/xml_document", "verta_tree", bytesOf(tree));
    fuzz::writeSeed(out + "/xml_document", "edits",
                    bytesOf("<?xml version=\"1.0\"?>\r\n<r a='1' b=\"&amp;\" c=d e>\r\n<s/><t><![CDATA[<x>]]>text"
                            "<!-- note --></t>\r\n</r>\r\n<r2/>"));
    const std::size_t half = tree.size() / 2;
    std::vector<std::uint8_t> part;
    appendSpline(part, 2, chunkOf("VERTATree", 0, std::string_view(tree).substr(0, half)));
    appendSpline(part, 2, bytesOf("a spline of the host's own"));
    appendSpline(part, 2, chunkOf("VERTATree", 1, std::string_view(tree).substr(half)));
    appendSpline(part, 2, chunkOf("Other", 0, "other file"));
    fuzz::writeSeed(out + "/named_files", "verta_tree", part);
    std::vector<std::uint8_t> damaged;
    std::vector<std::uint8_t> chunk = chunkOf("VERTATree", 1, std::string_view(tree).substr(half));
    chunk[11] = 0x7F;   // a payload length past the block
    appendSpline(damaged, 2, chunkOf("VERTATree", 0, std::string_view(tree).substr(0, half)));
    appendSpline(damaged, 2, chunk);
    appendSpline(damaged, 2, chunkOf("VERTATree", 0, "a second chunk 0"));
    fuzz::writeSeed(out + "/named_files", "damaged", damaged);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: fx_fuzz_seeds OUTDIR\n";
        return 2;
    }
    const std::string out = argv[1];
    fuzz::installPlugin();
    const std::string example = FX_SOURCE_DIR "/data/examples/holes_plate.step";
    if (const std::string why = host::openStepAsPart(example); !why.empty()) {
        std::cerr << why << '\n';
        return 1;
    }
    const plat::ParsedSession session =
        plat::parseSession(plat::readFile(FX_SOURCE_DIR "/data/sessions/execute.session").value_or(""));
    for (const plat::Step& s : session.steps) plat::driver().script().add(s);
    std::ostringstream transcript, errors;
    host::runSession(host::PluginExports{m_version, m_enter, m_main, m_notify}, transcript, errors);

    // Records, as note texts and as the payloads each reader takes.
    std::vector<std::uint8_t> cycle;
    for (std::size_t i = 0; i < std::size(kCycleRecords); ++i) {
        const std::vector<std::uint8_t> payload = record(kCycleRecords[i]);
        if (payload.empty()) continue;   // no data of that kind on this part
        const std::string header = fuzz::recordHeader(kCycleRecords[i], payload.size());
        fuzz::writeSeed(out + "/record_text", kCycleRecords[i], bytesOf(encodeRecordText(header, payload)));
        std::vector<std::uint8_t> entry{static_cast<std::uint8_t>(i)};
        for (int k = 0; k < 4; ++k) entry.push_back(static_cast<std::uint8_t>(payload.size() >> (8 * k)));
        entry.insert(entry.end(), payload.begin(), payload.end());
        fuzz::writeSeed(out + "/cycle_records", kCycleRecords[i], entry);
        cycle.insert(cycle.end(), entry.begin(), entry.end());
    }
    if (record("DRLUd66").empty()) {
        std::cerr << "the session left no recognition tree in the part:\n" << errors.str();
        return 1;
    }
    fuzz::writeSeed(out + "/cycle_records", "all", cycle);

    // Feature marks: a tapped, a fitted and an imported one naming the arcs the target draws first.
    {
        std::vector<std::uint8_t> images;
        std::vector<RECORD_ENTRY> table;
        for (int i = 0; i < 3; ++i) {
            FEATURE_MARK m{};
            m.origin = static_cast<std::int16_t>(i == 2 ? 2 : 1);
            m.point[0] = 20.0 * (i % 2);
            m.direction[2] = 1;
            m.length = 8;
            m.diameter = 10;
            m.isTap = static_cast<std::uint8_t>(i != 1);
            m.isFit = static_cast<std::uint8_t>(i == 1);
            m.tapDiam = 8;
            m.arcEnts[0] = static_cast<std::uint32_t>(i + 1);
            m.arcEntCount = 1;
            if (i == 1) std::snprintf(m.fitClass, sizeof m.fitClass, "H7");
            RECORD_ENTRY entry;
            entry.kind = kRecFeatureMark;
            entry.offset = static_cast<std::uint32_t>(images.size());
            entry.size = FEATURE_MARK::kSize;
            const auto image = featureMarkImage(m, [](const void*) { return 0u; });
            images.insert(images.end(), image.begin(), image.end());
            table.push_back(entry);
        }
        const std::vector<std::uint8_t> tableBytes = encodeRecordTable(table);
        for (std::uint8_t drop : {0, 2}) {
            std::vector<std::uint8_t> seed{drop};
            for (int k = 0; k < 4; ++k) seed.push_back(static_cast<std::uint8_t>(tableBytes.size() >> (8 * k)));
            seed.insert(seed.end(), tableBytes.begin(), tableBytes.end());
            seed.insert(seed.end(), images.begin(), images.end());
            fuzz::writeSeed(out + "/feature_marks", drop ? "drop_imported" : "three", seed);
        }
    }

    const std::vector<std::uint8_t> stream = record("DRLUd66");
    const std::vector<std::uint8_t> table = record("DRLTd66");
    fuzz::writeSeed(out + "/tree_images", "table", withKind(4, table));
    int perKind[4] = {};
    for (const RECORD_ENTRY& e : decodeRecordTable(table)) {
        if (e.kind < kRecView || e.kind > kRecCyl || e.offset + e.size > stream.size() || perKind[e.kind]++ >= 2)
            continue;
        const std::vector<std::uint8_t> image(stream.begin() + e.offset, stream.begin() + e.offset + e.size);
        const std::string name = "kind" + std::to_string(e.kind) + "_" + std::to_string(perKind[e.kind]);
        fuzz::writeSeed(out + "/tree_images", name, withKind(static_cast<std::uint8_t>(e.kind - 1), image));
        if (e.kind == kRecCyl) {
            const std::vector<std::uint8_t> old(image.begin(), image.begin() + std::min(image.size(), kOldCylListSize));
            fuzz::writeSeed(out + "/tree_images", name + "_old", withKind(3, old));
        }
    }
    COnlySelViewsListEx inForce;
    inForce.fillFromNamedViews();
    fuzz::writeSeed(out + "/views_list", "OSVSd01", withKind(1, inForce.encode()));
    COnlySelViewsList snapshot(1);
    const double identity[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    snapshot.add("Top", 1, 1, identity);
    snapshot.add("Front", 2, 2, identity);
    fuzz::writeSeed(out + "/views_list", "DOSWd02", withKind(0, snapshot.encode()));
    fuzz::writeSeed(out + "/store_params", "DGPDd01", record("DGPDd01"));
    fuzz::writeSeed(out + "/settings_record", "DGPDd01", record("DGPDd01"));

    // The files stations share: kind byte 0 password block, 1 index, 2 state block.
    {
        std::vector<std::uint8_t> password{0, 0};
        const float block[4] = {150.0f, 2.0f, 97.0f * 300.0f, 98.0f * 300.0f};
        password.insert(password.end(), reinterpret_cast<const std::uint8_t*>(block),
                        reinterpret_cast<const std::uint8_t*>(block) + sizeof block);
        fuzz::writeSeed(out + "/shared_files", "password", password);
        std::vector<std::uint8_t> index{1};
        const std::string encoded = encodeIndexFile({{"Drill", 0x01D0000000000000ULL}, {"Tap", 42}});
        index.insert(index.end(), encoded.begin(), encoded.end());
        fuzz::writeSeed(out + "/shared_files", "index", index);
        std::vector<std::uint8_t> state(kShBlockSize + 1, 0);
        state[0] = 2;
        state[1] = 1;
        fuzz::writeSeed(out + "/shared_files", "state", state);
    }
    // What the synchronisation meets in the shared folder: kind byte 0 a running flag, 1 a busy mark (and what
    // else lies in the staging folder) with a publication's publisher, list and staged table, 2 the names of
    // the shared library's tables, 3 a running flag with its file's time against the folder's clock.
    {
        const auto flagAt = [](std::int32_t offset, const std::string& flag) {
            std::vector<std::uint8_t> bytes;
            for (int k = 0; k < 4; ++k)
                bytes.push_back(static_cast<std::uint8_t>(static_cast<std::uint32_t>(offset) >> (8 * k)));
            bytes.insert(bytes.end(), flag.begin(), flag.end());
            return withKind(3, bytes);
        };
        const std::string behind = encodeAccessHolder({"/stations/B", "elsewhere", 4242, 1000});
        fuzz::writeSeed(out + "/shared_sync", "flag_clock_behind", flagAt(0, behind));
        fuzz::writeSeed(out + "/shared_sync", "flag_future", flagAt(315360000, behind));
        fuzz::writeSeed(out + "/shared_sync", "flag_silent_here",
                        flagAt(-86400, encodeAccessHolder({"/stations/B", plat::machineName(), 1, 1000})));
        fuzz::writeSeed(out + "/shared_sync", "flag_crafted_time",
                        flagAt(-600, "station=/b\r\nmachine=far\r\nprocess=1\r\nrenewed=-9223372036854775808\r\n"));
        std::string gonePublisher = encodeAccessHolder({"/stations/A", plat::machineName(), 0, 1000});
        std::replace(gonePublisher.begin(), gonePublisher.end(), '\n', ';');
        const std::string leftBehind = "\x17" + gonePublisher + "\nLinked;Drill\nDrill";
        fuzz::writeSeed(out + "/shared_sync", "staging_left_behind", withKind(1, bytesOf(leftBehind)));
        fuzz::writeSeed(out + "/shared_sync", "staging_subfolder", withKind(1, bytesOf("\x02")));
        fuzz::writeSeed(out + "/shared_sync", "staging_publisher_folder", withKind(1, bytesOf("\x09")));
        const std::string gone = encodeAccessHolder({"/stations/B", "elsewhere", 4242, 1000});
        fuzz::writeSeed(out + "/shared_sync", "flag", withKind(0, bytesOf(gone)));
        fuzz::writeSeed(out + "/shared_sync", "flag_empty", withKind(0, bytesOf("")));
        const std::string publication = "\x01" + encodeAccessHolder({"/stations/A", "elsewhere", 7, 1000}) + "\n" +
                                        "Drill\n..\\Tap\n" + "Drill";
        fuzz::writeSeed(out + "/shared_sync", "publication", withKind(1, bytesOf(publication)));
        const std::string tables = std::string(1, '\0') + "Drill\n..\\..\\x\nTap\n..";
        fuzz::writeSeed(out + "/shared_sync", "tables", withKind(2, bytesOf(tables)));
        fuzz::writeSeed(out + "/settings_paths", "unit_folder", withKind(14, bytesOf("/opt/a_mm.b/X_mm.prmStandard")));
        fuzz::writeSeed(out + "/settings_paths", "climbing", withKind(5, bytesOf("x.prm../../../../other/lib")));
    }
    // Files and geometry.
    const std::string settings = plat::readFile(g_globals->settingsFile).value_or("");
    const std::string uiTexts = plat::readFile(FX_SOURCE_DIR "/data/Forantix.txt").value_or("");
    fuzz::writeSeed(out + "/settings_file", "settings", bytesOf(settings));
    fuzz::writeSeed(out + "/text_section", "settings", bytesOf(settings));
    fuzz::writeSeed(out + "/text_section", "ui_texts", bytesOf(uiTexts));
    for (const ent& e : host::allEntities()) {
        if (!e.solid.geom) continue;
        const std::string solid = host::solidToBrepText(*e.solid.geom);
        fuzz::writeSeed(out + "/brep_text", "solid", bytesOf(solid));
        fuzz::writeSeed(out + "/brep_text", "sealed", bytesOf(host::db::sealGeometryText(solid)));
        fuzz::writeSeed(out + "/brep_text", "face", bytesOf(host::faceToBrepText(e.solid.geom->faces()[0])));
        fuzz::writeSeed(out + "/brep_text", "colours", bytesOf("7 -1 12 3 4 5"));
        break;
    }
    const std::string step = FX_SOURCE_DIR "/data/examples/boss_part.step";
    fuzz::writeSeed(out + "/step_scan", "boss_part", bytesOf(plat::readFile(step).value_or("")));
    fuzz::writeSeed(out + "/step_scan", "reply", bytesOf(host::runProcess(host::stepReaderPath(), {step}, 60, 1u << 30).output));
    for (const auto& example : std::filesystem::directory_iterator(FX_SOURCE_DIR "/data/examples"))
        if (example.path().extension() == ".step")
            fuzz::writeSeed(out + "/step_read", example.path().stem().string(),
                            bytesOf(plat::readFile(example.path().string()).value_or("")));
    // The boss with a component in other files, named by an absolute path and a relative one, as a multi-file
    // assembly names them: the reader reads neither.
    std::string boss = plat::readFile(step).value_or("");
    const std::size_t definition = boss.find(" = PRODUCT_DEFINITION(");
    const std::string product = definition == std::string::npos
                                    ? std::string("#1")
                                    : boss.substr(boss.rfind('#', definition), definition - boss.rfind('#', definition));
    for (const char* file : {FX_SOURCE_DIR "/data/examples/holes_plate.step", "holes_plate.step"}) {
        const std::string named = std::string("'") + file + "'";
        const std::size_t at = boss.find("ENDSEC;", boss.find("DATA;"));
        if (at == std::string::npos) break;
        const int n = file[0] == '/' ? 900000 : 901000;
        auto id = [n](int k) { return "#" + std::to_string(n + k); };
        boss.insert(at, id(0) + "=DOCUMENT_TYPE('');\n" + id(1) + "=DOCUMENT_FILE(" + named + ",'',$," + id(0) +
                            ",'',$);\n" + id(2) + "=IDENTIFICATION_ROLE('external document id and location',$);\n" +
                            id(3) + "=EXTERNAL_SOURCE(IDENTIFIER(" + named + "));\n" + id(4) +
                            "=APPLIED_EXTERNAL_IDENTIFICATION_ASSIGNMENT(" + named + "," + id(2) + "," + id(3) + ",(" +
                            id(1) + "));\n" + id(5) + "=DOCUMENT('','',$," + id(0) + ");\n" + id(6) +
                            "=APPLIED_DOCUMENT_REFERENCE(" + id(5) + ",'',(" + product + "));\n");
    }
    fuzz::writeSeed(out + "/step_read", "other_files", bytesOf(boss));
    fuzz::writeSeed(out + "/step_scan", "other_files", bytesOf(boss));
    // The import fixtures: SDT tables and STEP files with hole features, damaged ones among them.
    for (const auto& f : std::filesystem::directory_iterator(FX_SOURCE_DIR "/tests/data/import")) {
        const std::string ext = f.path().extension().string();
        const char* target = ext == ".sdt" ? "/sdt_file" : ext == ".step" ? "/step_features" : nullptr;
        if (target) fuzz::writeSeed(out + target, f.path().stem().string(), bytesOf(plat::readFile(f.path().string()).value_or("")));
    }
    writeFileSeeds(out);
    writeImportSeeds(out);
    for (const ent& e : host::allEntities()) {
        const std::string note = e.type == kEntNote ? std::string(host::noteText(e.note.text)) : std::string();
        const std::string body = host::db::encodeBody(e, note);
        std::vector<std::uint8_t> entry{0, static_cast<std::uint8_t>(e.type)};
        entry.insert(entry.end(), body.begin(), body.end());
        fuzz::writeSeed(out + "/part_rows", "body_" + std::to_string(e.id), entry);
    }
    std::vector<std::uint8_t> ops{1};
    for (const host::ops::OpsRow& row : host::ops::encodeOpsRows()) appendRow(ops, row.second, row.first);
    fuzz::writeSeed(out + "/part_rows", "ops", ops);
    const std::string part = fuzz::installPlugin() + "/seed.pfp";
    if (host::savePart(part).ok) writePartFileSeeds(out, part);
    writePartUnpackSeeds(out);
    std::cout << "seeds written to " << out << '\n';
    return 0;
}
