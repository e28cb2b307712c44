// Part files as a user meets them: a saved part reopens with every entity, note byte, level, view and
// setting it had; a damaged, foreign or newer file is refused with a message and the open part stays as
// it was; a save that fails at any write leaves the old file intact; read_ent walks a file that is not open.
#include <gtest/gtest.h>

#include <bit>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <BRepPrimAPI_MakeBox.hxx>
#include <TopLoc_Location.hxx>
#include <TopoDS_Shape.hxx>
#include <gp.hxx>
#include <gp_Trsf.hxx>
#include <sqlite3.h>
#include <zlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "host/api.h"
#include "host/builder/hole_kinds.h"
#include "host/builder/part_builder.h"
#include "host/db/blob_pack.h"
#include "host/db/entity_codec.h"
#include "host/db/geometry_seal.h"
#include "host/geom/brep_text.h"
#include "host/geom/face_geom.h"
#include "host/geom/surface_entities.h"
#include "host/state.h"
#include "platform/ui/driver.h"
#include "support/fresh_part.h"
#include "support/temp_dir.h"

namespace {

// The open part saved in format `version` and opened again: the save's result when it failed, else the open's.
host::PartFileResult savedAndReopened(const std::string& path, int version) {
    host::PartSaveOptions options;
    options.formatVersion = version;
    const host::PartFileResult saved = host::savePart(path, options);
    if (!saved.ok) return saved;
    host::newPart();
    return host::openPart(path);
}

namespace fs = std::filesystem;

std::string bits(double d) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(std::bit_cast<std::uint64_t>(d)));
    return buf;
}
std::string pt(const p_3d& p) { return bits(p.x) + "," + bits(p.y) + "," + bits(p.z); }

// The id of the entity behind a handle, so descriptions do not depend on how handles are numbered. A
// handle of a deleted entity means nothing, as 0 does.
std::string idOf(db_ptr h) {
    ent e{};
    return get_ent_from_eptr(h, &e) ? std::to_string(e.id) : "none";
}

// Every stored field of an entity, doubles as bit patterns, note texts as their bytes.
std::string describe(const ent& e) {
    std::ostringstream o;
    o << e.type << '|' << e.id << '|' << e.level << '|' << e.color << '|' << e.sel << '|' << e.refs << '|'
      << idOf(e.owner) << '|' << bits(e.attrib.tag) << ',' << e.attrib.style << ',' << e.attrib.width << '|'
      << host::isKept(e.eptr) << '|';
    switch (e.type) {
    case kEntPoint: o << pt(e.pt.pt); break;
    case kEntLine: o << pt(e.ln.ln.e1) << pt(e.ln.ln.e2); break;
    case kEntArc:
        o << e.arc.view << pt(e.arc.c) << bits(e.arc.r) << bits(e.arc.sa) << bits(e.arc.sw);
        break;
    case kEntSpline:
        o << int(e.spl.kind) << e.spl.order << bits(e.spl.t0) << bits(e.spl.t1) << e.spl.segments
          << std::string(e.spl.data.begin(), e.spl.data.end());
        break;
    case kEntNote: {
        const ent_note& n = e.note;
        o << int(n.subKind) << n.view << pt(n.pos) << bits(n.height) << bits(n.width) << bits(n.angle)
          << n.leaderStyle << pt(n.leader.e1) << pt(n.leader.e2);
        for (auto f : n.flags) o << ',' << f;
        o << '[' << host::noteText(n.text) << ']' << n.name;
        for (const ent_node& node : n.nodes) o << pt(node.pt) << idOf(node.pointRef);
        break;
    }
    case kEntDrafting: {
        const ent_drafting& d = e.draft;
        o << int(d.subKind) << d.form << d.view << pt(d.line.e1) << pt(d.line.e2) << pt(d.anchor)
          << bits(d.radius) << bits(d.value) << d.text1 << '/' << d.text2;
        break;
    }
    case kEntSurface: {
        const ent_surface& s = e.surf;
        o << s.typeCode << idOf(s.base) << bits(s.uMin) << bits(s.uMax) << bits(s.vMin) << bits(s.vMax)
          << pt(s.boxMin) << pt(s.boxMax) << pt(s.sphereCentre) << bits(s.sphereRadius) << '/' << int(s.solidFace);
        for (const uv_pt& p : s.trimPoints) o << bits(p.u) << bits(p.v);
        for (const trim_bound& b : s.trimBounds) o << ';' << b.start << ',' << b.length;
        o << (s.geom ? "geom" : "");
        break;
    }
    case kEntSolid:
        o << e.solid.flags;
        for (const p_3d& p : e.solid.box) o << pt(p);
        o << e.solid.body << '/' << e.solid.history;
        break;
    case kEntAssoc: {
        const ent_assoc& a = e.assoc;
        o << a.kind << ',' << a.opId << ',' << idOf(a.target) << ',' << a.targetId << pt(a.pt) << bits(a.u)
          << bits(a.v) << bits(a.limits[0]) << bits(a.limits[1]) << std::string(a.data.begin(), a.data.end());
        break;
    }
    default: break;
    }
    return o.str();
}

std::vector<std::string> describeAll() {
    std::vector<std::string> out;
    for (const ent& e : host::allEntities()) out.push_back(describe(e));
    return out;
}

// What a file of format `version` gives back of the open part: before version 3 no surface knows it is a
// face of a solid.
std::vector<std::string> describeAllAsVersion(int version) {
    std::vector<std::string> out;
    for (ent e : host::allEntities()) {
        if (version < 3) e.surf.solidFace = 0;
        out.push_back(describe(e));
    }
    return out;
}

// Levels, views and the part's settings, as one comparable text.
std::string describeState() {
    std::ostringstream o;
    std::vector<std::int32_t> levels;
    get_visible_levels(&levels);
    for (auto l : levels) o << l << ':' << get_levname(l) << ' ';
    o << "| " << is_level_visible(1000254) << get_levname(1000254) << " | " << main_level << ',' << main_color
      << ',' << bits(main_attrib.tag) << ',' << main_attrib.style << ',' << main_attrib.width << " | " << constr_view_n
      << ',' << tool_view_n << ',' << get_gr_view_n() << " | ";
    for (const view_ent& v : NamedViews) {
        o << v.id << ':' << v.name << ':' << v.number << ':' << v.aux << ':' << pt(v.origin);
        for (auto& row : v.matrix)
            for (double d : row) o << bits(d);
        o << ' ';
    }
    double m[3][3];
    for (int n = 1; get_view_matrix(n, m); ++n)
        for (auto& row : m)
            for (double d : row) o << bits(d);
    o << " | " << wcs_is_on() << WCS.id << pt(WCS.origin) << " | " << bits(job_setup.stockSize[0]) << ','
      << int(job_setup.showStock);
    double x = 0, y = 0;
    get_wk_center(&x, &y);
    o << " | " << bits(x) << bits(y) << bits(get_wk_height());
    return o.str();
}

class PartFile : public FreshPart {
protected:
    void SetUp() override {
        FreshPart::SetUp();
        path = dir.path() + "/part.pfp";
    }

    static db_ptr store(ent e, std::int32_t level = 1, int colour = 12) {
        db_ptr entry = 0;
        char ok = 0;
        store_ent(&e, &entry, 0, colour, level, attr_block{2.0, 1, 3}, &ok);
        EXPECT_EQ(ok, 1);
        return entry;
    }

    // A part with every kind of entity and every piece of state a part file keeps.
    static void buildRichPart() {
        ent p{};
        p.type = kEntPoint;
        p.pt.pt = {1.5, -2.25, 1e-300};
        const db_ptr point = store(p, 1000252);

        ent l{};
        l.type = kEntLine;
        l.ln.ln = {{0, 0, 0}, {10, 20, 30}};
        l.sel = kSelBlank | 4;
        store(l);
        const db_ptr gap = store(p);   // removed: leaves a gap in the handles
        delete_ent(gap, 0, 0, 0, nullptr, 0);

        ent a{};
        a.type = kEntArc;
        a.arc = {2, {1, 2, 3}, 4.5, 0.25, 4.712388980384689 - 1234 * 1e-10};
        store(a, 1000254);

        ent s{};
        s.type = kEntSpline;
        s.spl.kind = 2;
        s.spl.order = 4;
        s.spl.t1 = 1.0;
        s.spl.segments = 1;
        for (int i = 0; i < 128; ++i) s.spl.data.push_back(static_cast<std::uint8_t>(255 - i));
        store(s);

        std::string allBytes;
        for (int b = 0; b < 256; ++b) allBytes.push_back(static_cast<char>(b));
        ent n{};
        calc_note(&n, 1, p_3d{}, "DRLUd66000000256" + allBytes + allBytes);
        n.note.flags[0] = 1;
        n.note.leaderStyle = 5;
        n.note.leader = {{1, 1, 0}, {2, 2, 0}};
        const db_ptr record = store(n, 1000254);
        delete_ent(record, 0, 1, 0, nullptr, 0);

        ent named{};
        named.type = kEntNote;
        named.note.subKind = 2;
        named.note.name = "GD_M8";
        named.note.nodes = {{{1, 2, 3}, point}, {{4, 5, 6}, 0}};
        store(named);

        ent label{};
        label.type = kEntDrafting;
        label.draft.subKind = 2;
        label.draft.text1 = "M10";
        label.draft.text2 = "THRU";
        label.draft.radius = 5;
        store(label);

        ent base{};
        base.type = kEntSurface;
        base.surf.typeCode = 1;
        base.surf.uMax = base.surf.vMax = 10;
        base.surf.geom = std::make_shared<host::FaceGeom>(
            host::FaceGeom::patchFrom4Points({0, 0, 0}, {10, 0, 0}, {0, 10, 0}, {10, 10, 0}));
        ASSERT_FALSE(base.surf.geom->empty());
        const db_ptr baseEntry = store(base, 1000254, 7);
        ent trimmed = base;
        trimmed.surf.typeCode = kSurfTrimmed;
        trimmed.surf.base = baseEntry;
        trimmed.surf.geom.reset();
        trimmed.surf.trimPoints = {{0, 0}, {1, 0}, {1, 1}, {0, 1}, {0, 0}};
        trimmed.surf.trimBounds = {{0, 3}};
        trimmed.surf.boxMax = {10, 10, 0};
        trimmed.surf.sphereRadius = 7.0710678118654755;
        trimmed.surf.solidFace = 1;
        store(trimmed, 1000254, 7);

        ent solid{};
        solid.type = kEntSolid;
        solid.solid.flags = kSolidExcluded;
        solid.solid.box[7] = {100, 50, 25};
        solid.solid.body = "Body 1";
        solid.solid.history = "Block; Cut";
        store(solid);

        ent assoc{};
        assoc.type = kEntAssoc;
        assoc.assoc.kind = 2;
        assoc.assoc.opId = 12;
        assoc.assoc.target = point;
        assoc.assoc.limits[1] = -3.5;
        char ok = 0;
        store_ent_assoc(&assoc, nullptr, 1000252, main_attrib, &ok);
        ASSERT_EQ(ok, 1);

        host::renumberIds(40);
        set_level_visible(1000254, 0);
        set_levname(1000254, "Features");
        main_level = 4;
        main_color = 12;
        main_attrib = attr_block{3.0, 2, 2};

        view_ent v{};
        const double dir[3] = {1, 1, 1};
        make_view_k(dir, v.matrix);
        std::snprintf(v.name, sizeof v.name, "Inclined");
        v.origin = {5, 5, 5};
        v.aux = -1;
        char viewOk = 0;
        ASSERT_EQ(named_view_manager(&v, 1, "", &viewOk), 1);
        named_view_manager(&v, 7, "", &viewOk);
        view_ent w = v;
        w.origin = {1, 2, 3};
        host::setWcs(w, true);
        job_setup.stockSize[0] = 120;
        job_setup.showStock = 1;
        host::setWorkWindow(3, 4, 55);
    }

    TempDir dir;
    std::string path;
};

TEST_F(PartFile, SaveAndReopenKeepsEveryEntityNoteByteAndSetting) {
    buildRichPart();
    const std::vector<std::string> before = describeAll();
    const std::string state = describeState();
    const host::EntityCounts counts = host::entityCounts();
    ASSERT_TRUE(host::savePart(path).ok);
    EXPECT_STREQ(geo_filename, path.c_str());
    EXPECT_FALSE(fs::exists(path + ".saving"));

    host::newPart();
    EXPECT_EQ(host::entityCounts().total, 0);
    const host::PartFileResult opened = host::openPart(path);
    ASSERT_TRUE(opened.ok) << opened.message;
    EXPECT_EQ(describeAll(), before);
    EXPECT_EQ(describeState(), state);
    EXPECT_EQ(host::entityCounts().kept, counts.kept);
    EXPECT_EQ(host::entityCounts().trimmedSurfaces, 1);

    // The kept record note is found by a raw walk and reads back with all 256 byte values, twice.
    db_ptr p = db_start();
    char found = 0;
    ent e{};
    get_raw_ent(p, 1, kEntNote, &e, &p, &found);
    ASSERT_EQ(found, 1);
    const std::string_view text = host::noteText(e.note.text);
    ASSERT_EQ(text.size(), 16u + 512u);
    for (int b = 0; b < 256; ++b) {
        EXPECT_EQ(static_cast<unsigned char>(text[16 + b]), b);
        EXPECT_EQ(static_cast<unsigned char>(text[16 + 256 + b]), b);
    }

    // Geometry came back through its BRep text; new ids continue after the highest one.
    int withGeometry = 0;
    for (const ent& s : host::allEntities()) {
        if (s.type != kEntSurface || s.surf.typeCode == kSurfTrimmed) continue;
        ASSERT_TRUE(s.surf.geom);
        EXPECT_NEAR(s.surf.geom->area(), 100.0, 1e-9);
        ++withGeometry;
    }
    EXPECT_EQ(withGeometry, 1);
    ent next{};
    next.type = kEntPoint;
    char ok = 0;
    EXPECT_GT(store_ent(&next, nullptr, 0, 1, 1, main_attrib, &ok), 40u + static_cast<unsigned>(counts.total) - 1);

    // Saving the reopened part again gives the same part once more.
    ASSERT_TRUE(host::savePart(path).ok);
}

TEST_F(PartFile, SolidsKeepTheirShapeAndFaceColours) {
    const host::builder::BuiltPart built =
        host::builder::PartBuilder::block({100, 50, 20}).stockColour(4).build();
    ASSERT_TRUE(built.ok()) << built.error;
    ent solid{};
    solid.type = kEntSolid;
    solid.solid.body = "Stock";
    solid.solid.geom = std::make_shared<host::SolidGeom>(built.solid);
    store(solid);
    ASSERT_TRUE(host::savePart(path).ok);
    host::newPart();
    ASSERT_TRUE(host::openPart(path).ok);

    ASSERT_EQ(host::allEntities().size(), 1u);
    const ent back = host::allEntities()[0];
    ASSERT_TRUE(back.solid.geom);
    EXPECT_NEAR(back.solid.geom->volume(), 100.0 * 50 * 20, 1e-6);
    EXPECT_EQ(back.solid.geom->faces().size(), built.solid.faces().size());
    EXPECT_EQ(back.solid.geom->faceColours(), built.solid.faceColours());
    EXPECT_EQ(back.solid.body, "Stock");
}

// One flipped bit anywhere in a solid's stored geometry or face colours of a version 2 file is refused by its
// checksum before the kernel reads the text; a file of format version 1, written without checksums, still
// opens whole.
TEST_F(PartFile, FlippedBitsInStoredGeometryAreRefusedAndOldFilesWithoutChecksumsOpen) {
    const host::builder::BuiltPart built = host::builder::PartBuilder::block({100, 50, 20}).stockColour(4).build();
    ASSERT_TRUE(built.ok()) << built.error;
    ent solid{};
    solid.type = kEntSolid;
    solid.solid.geom = std::make_shared<host::SolidGeom>(built.solid);
    store(solid);
    host::PartSaveOptions sealedText;   // geometry as sealed text, where a flipped bit can be found
    sealedText.formatVersion = 2;
    ASSERT_TRUE(host::savePart(path, sealedText).ok);
    std::string bytes;
    {
        std::ifstream in(path, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    const std::size_t geometry = bytes.find("CASCADE Topology");
    ASSERT_NE(geometry, std::string::npos);
    const std::size_t colours = bytes.find("\n4 4 4 4 4 4");   // the face colours' sealed text
    ASSERT_NE(colours, std::string::npos);

    host::newPart();
    const std::size_t flips[] = {geometry + 3, geometry + 400, geometry + 2000, colours + 1};
    for (std::size_t at : flips) {
        for (int bit : {0, 4}) {
            std::string damaged = bytes;
            damaged[at] = static_cast<char>(damaged[at] ^ (1 << bit));
            const std::string file = dir.path() + "/flipped.pfp";
            std::ofstream(file, std::ios::binary) << damaged;
            const host::PartFileResult r = host::openPart(file);
            EXPECT_FALSE(r.ok) << at << " bit " << bit;
            EXPECT_NE(r.message.find("flipped.pfp is damaged: the geometry of entity 1 does not match its checksum."),
                      std::string::npos)
                << r.message;
            EXPECT_EQ(read_ent_open(file.c_str()), nullptr);
        }
    }

    host::PartSaveOptions older;
    older.formatVersion = 1;
    ASSERT_TRUE(host::openPart(path).ok);
    ASSERT_TRUE(host::savePart(path, older).ok);
    host::newPart();
    const host::PartFileResult r = host::openPart(path);
    ASSERT_TRUE(r.ok) << r.message;
    ASSERT_EQ(host::allEntities().size(), 1u);
    const ent back = host::allEntities()[0];
    ASSERT_TRUE(back.solid.geom);
    EXPECT_NEAR(back.solid.geom->volume(), 100.0 * 50 * 20, 1e-6);
    EXPECT_EQ(back.solid.geom->faceColours(), built.solid.faceColours());
}

// A surface converted from a solid keeps its mark through a save; a file of format version 2 has no such
// mark, so its surfaces read back as free ones and all else as it was.
TEST_F(PartFile, SurfacesOfSolidsKeepTheirMarkAndOlderFilesReadThemFree) {
    const host::builder::BuiltPart built =
        host::builder::PartBuilder::block({40, 40, 20})
            .hole(host::builder::throughHole("h", {20, 20, 20}, {0, 0, -1}, 8))
            .build();
    ASSERT_TRUE(built.ok()) << built.error;
    ent solid{};
    ASSERT_EQ(get_ent_from_eptr(host::storeSolidEntity(built.solid, 3, 1, "part"), &solid), 1);
    sld_tag tag = 0;
    ASSERT_EQ(sld_get_tag_from_solid(&solid, &tag), 1);
    ASSERT_EQ(sld_convert_tags_to_mc_ents(&tag, 1, 0.0, 0, 1, 0), 7);
    auto surfaces = [] {
        std::vector<ent> out;
        for (const ent& e : host::allEntities())
            if (e.type == kEntSurface) out.push_back(e);
        return out;
    };
    const std::vector<ent> before = surfaces();
    ASSERT_EQ(before.size(), 13u);   // six planes with their bases, the wall
    for (int version : {host::kPartFormatVersion, 2}) {
        SCOPED_TRACE(version);
        const host::PartFileResult r = savedAndReopened(path, version);
        ASSERT_TRUE(r.ok) << r.message;
        const std::vector<ent> after = surfaces();
        ASSERT_EQ(after.size(), before.size());
        for (std::size_t i = 0; i < after.size(); ++i) {
            ent expected = before[i];
            if (version < 3) expected.surf.solidFace = 0;
            EXPECT_EQ(describe(after[i]), describe(expected)) << i;
        }
        if (version < 3) break;
    }
}

TEST_F(PartFile, DamagedForeignAndNewerFilesAreRefusedAndTheOpenPartStays) {
    buildRichPart();
    ASSERT_TRUE(host::savePart(path).ok);
    const std::string good = path;
    std::ifstream in(good, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(bytes.size(), 4096u);

    auto writeFile = [&](const std::string& name, const std::string& content) {
        std::ofstream(dir.path() + "/" + name, std::ios::binary) << content;
        return dir.path() + "/" + name;
    };
    std::string garbage;
    for (int i = 0; i < 5000; ++i) garbage.push_back(static_cast<char>((i * 7919) % 251));
    std::string overwritten = bytes;
    for (std::size_t i = bytes.size() / 2; i < bytes.size(); ++i) overwritten[i] = static_cast<char>(i * 31);

    host::PartSaveOptions foreignOptions;
    foreignOptions.format = "Spreadsheet";
    host::PartSaveOptions newerOptions;
    newerOptions.formatVersion = host::kPartFormatVersion + 1;
    const std::string foreign = dir.path() + "/foreign.db";
    const std::string newer = dir.path() + "/newer.pfp";
    ASSERT_TRUE(host::savePart(foreign, foreignOptions).ok);
    ASSERT_TRUE(host::savePart(newer, newerOptions).ok);

    struct Case {
        std::string file;
        std::string expected;   // a piece of the message
    };
    const std::vector<Case> cases = {
        {writeFile("truncated.pfp", bytes.substr(0, bytes.size() / 2)), "truncated.pfp"},
        {writeFile("last-byte-lost.pfp", bytes.substr(0, bytes.size() - 1)), "cut short"},
        {writeFile("header-only.pfp", bytes.substr(0, 60)), "damaged"},
        {writeFile("garbage.pfp", garbage), "not a part file"},
        {writeFile("empty.pfp", ""), "not a part file"},
        {writeFile("overwritten.pfp", overwritten), "damaged"},
        {foreign, "not a part file"},
        {newer, "version " + std::to_string(host::kPartFormatVersion + 1) +
                    "; this host reads part format versions up to " + std::to_string(host::kPartFormatVersion)},
        {dir.path() + "/missing.pfp", "does not exist"},
        {dir.path(), "is not a file"},
    };

    // The part open when the user tries is the rich part under its own name.
    host::newPart();
    ASSERT_TRUE(host::openPart(good).ok);
    const std::vector<std::string> before = describeAll();
    const std::string state = describeState();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const host::PartFileResult r = host::openPart(c.file);
        EXPECT_FALSE(r.ok);
        EXPECT_NE(r.message.find(c.expected), std::string::npos) << r.message;
        EXPECT_EQ(describeAll(), before);
        EXPECT_EQ(describeState(), state);
        EXPECT_STREQ(geo_filename, good.c_str());
        EXPECT_EQ(read_ent_open(c.file.c_str()), nullptr);
    }
}

TEST_F(PartFile, SaveFailingAtAnyWriteLeavesTheOldFileIntact) {
    buildRichPart();
    ASSERT_TRUE(host::savePart(path).ok);
    const std::vector<std::string> saved = describeAll();

    ent extra{};
    extra.type = kEntPoint;
    char ok = 0;
    store_ent(&extra, nullptr, 0, 1, 1, main_attrib, &ok);
    delete_ent(1, 0, 0, 0, nullptr, 0);
    const std::vector<std::string> changed = describeAll();
    ASSERT_NE(changed, saved);

    int failures = 0;
    for (int n = 1;; ++n) {
        host::PartSaveOptions options;
        options.failAtWrite = n;
        const host::PartFileResult r = host::savePart(path, options);
        if (r.ok) break;
        ++failures;
        EXPECT_NE(r.message.find("left as it was"), std::string::npos) << r.message;
        EXPECT_FALSE(fs::exists(path + ".saving"));
        ASSERT_LT(n, 1000);
    }
    // Every table, row and the commit counted as a write; each failure left the old file.
    EXPECT_GT(failures, 30);
    ASSERT_TRUE(host::openPart(path).ok);
    EXPECT_EQ(describeAll(), changed);

    // A failed save in the middle, then reopening the file, gives what was saved before the failure.
    ASSERT_TRUE(host::savePart(path).ok);
    const std::vector<std::string> good = describeAll();
    store_ent(&extra, nullptr, 0, 1, 1, main_attrib, &ok);
    host::PartSaveOptions midway;
    midway.failAtWrite = 20;
    EXPECT_FALSE(host::savePart(path, midway).ok);
    ASSERT_TRUE(host::openPart(path).ok);
    EXPECT_EQ(describeAll(), good);

    const host::PartFileResult nowhere = host::savePart(dir.path() + "/no/such/folder/part.pfp");
    EXPECT_FALSE(nowhere.ok);
    EXPECT_NE(nowhere.message.find("no/such/folder/part.pfp"), std::string::npos);
}

// A part of many rows is saved a batch of rows at a time, packed on other threads: every format version
// reads back row for row in the part's order, a solid's geometry among them, and a save failing at a row
// of any batch, early or late, leaves the old file whole and no file half written.
TEST_F(PartFile, ManyRowsSaveInOrderAndAFailureAmongThemLeavesTheOldFile) {
    const host::builder::BuiltPart built = host::builder::PartBuilder::block({40, 30, 10}).build();
    ASSERT_TRUE(built.ok()) << built.error;
    for (int i = 0; i < 1500; ++i) {
        ent e{};
        if (i % 3 == 0) {
            e.type = kEntPoint;
            e.pt.pt = {0.5 * i, -1.0 * i, 1e-3 * i};
        } else if (i % 3 == 1) {
            e.type = kEntLine;
            e.ln.ln = {{1.0 * i, 2, 3}, {4, 5.0 * i, 6}};
        } else {
            calc_note(&e, 1, p_3d{1, 2, 3}, "row " + std::to_string(i) + std::string(static_cast<std::size_t>(i % 50), 'x'));
        }
        store(e, 1 + i % 7);
        if (i == 700) {
            ent solid{};
            solid.type = kEntSolid;
            solid.solid.geom = std::make_shared<host::SolidGeom>(built.solid);
            store(solid);
        }
    }
    const std::vector<std::string> before = describeAll();
    for (int version : {1, 2, host::kPartFormatVersion}) {
        SCOPED_TRACE(version);
        const host::PartFileResult r = savedAndReopened(path, version);
        ASSERT_TRUE(r.ok) << r.message;
        EXPECT_EQ(describeAll(), before);
    }
    ent extra{};
    extra.type = kEntPoint;
    store(extra);
    for (int failAt : {12, 300, 1000, 1490}) {
        host::PartSaveOptions options;
        options.failAtWrite = failAt;
        const host::PartFileResult r = host::savePart(path, options);
        EXPECT_FALSE(r.ok) << failAt;
        EXPECT_NE(r.message.find("left as it was"), std::string::npos) << r.message;
        EXPECT_FALSE(fs::exists(path + ".saving")) << failAt;
    }
    host::newPart();
    ASSERT_TRUE(host::openPart(path).ok);
    EXPECT_EQ(describeAll(), before);
}

// A save that fails at the final rename names the rename's cause (a folder in the way, a file that cannot
// be replaced), not the clean-up's success.
TEST_F(PartFile, ASaveOverAFolderOrAnImmutableFileNamesTheCause) {
    buildRichPart();
    const std::string folder = dir.path() + "/a folder.pfp";
    fs::create_directories(folder + "/inside");
    const host::PartFileResult r = host::savePart(folder);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.message.find(folder + ": Is a directory. The file was left as it was."), std::string::npos)
        << r.message;
    EXPECT_EQ(r.message.find("Success"), std::string::npos) << r.message;
    EXPECT_TRUE(fs::is_directory(folder + "/inside"));
    EXPECT_FALSE(fs::exists(folder + ".saving"));

    // Where the file system takes the immutable attribute (root on most local file systems).
    ASSERT_TRUE(host::savePart(path).ok);
    if (std::system(("chattr +i '" + path + "' 2>/dev/null").c_str()) != 0) return;
    const host::PartFileResult locked = host::savePart(path);
    std::system(("chattr -i '" + path + "'").c_str());
    EXPECT_FALSE(locked.ok);
    EXPECT_NE(locked.message.find("Operation not permitted"), std::string::npos) << locked.message;
    EXPECT_TRUE(host::openPart(path).ok);
}

// A part file whose header says WAL mode (a file another program wrote) opens without leaving "-wal" or
// "-shm" files beside it, from a name with the characters a file URI treats specially.
TEST_F(PartFile, AFileInWalModeOpensWithoutSideFiles) {
    buildRichPart();
    const std::vector<std::string> before = describeAll();
    const std::string file = dir.path() + "/wal ?#%.pfp";
    ASSERT_TRUE(host::savePart(file).ok);
    {
        std::fstream f(file, std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(18);
        f.put(2).put(2);   // the header's write and read versions: 2 is WAL
    }
    host::newPart();
    const host::PartFileResult r = host::openPart(file);
    ASSERT_TRUE(r.ok) << r.message;
    EXPECT_EQ(describeAll(), before);
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir.path())) names.push_back(entry.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{"wal ?#%.pfp"});
}

// A views table that lost its last rows: refused while the part names a view it no longer holds (here the
// graphics view) or while a standard view is gone; the boundary is exactly the rows named.
TEST_F(PartFile, AViewsTableCutShortByItsLastRowsIsRefusedWhereThePartNeedsThem) {
    const double dirs[4][3] = {{1, 1, 0}, {1, 0, 1}, {0, 1, 1}, {1, 1, 1}};
    int last = 0;
    for (const auto& d : dirs) {
        char ok = 0;
        ASSERT_EQ(find_view_k(d, &last, 1, &ok), 1);
    }
    ASSERT_EQ(last, 12);
    double m[3][3];
    get_view_matrix(last, m);
    set_gr_view(m);
    ASSERT_TRUE(host::savePart(path).ok);

    struct Case {
        int keep;              // the rows left: views 1..keep
        const char* expected;  // "" when the file opens
    };
    const Case cases[] = {
        {12, ""},
        {11, "it names a view it does not hold"},
        {8, "it names a view it does not hold"},
        {7, "standard views are missing"},
        {0, "standard views are missing"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keep);
        const std::string cut = dir.path() + "/cut.pfp";
        fs::copy_file(path, cut, fs::copy_options::overwrite_existing);
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(cut.c_str(), &db), SQLITE_OK);
        const std::string sql = "DELETE FROM views WHERE number > " + std::to_string(c.keep);
        EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(db);
        host::newPart();
        const host::PartFileResult r = host::openPart(cut);
        EXPECT_EQ(r.ok, std::string(c.expected).empty()) << r.message;
        if (!r.ok) {
            EXPECT_NE(r.message.find(c.expected), std::string::npos) << r.message;
        } else {
            EXPECT_EQ(get_gr_view_n(), 12);
        }
    }
}

TEST_F(PartFile, ReadEntWalksAFileWithoutOpeningIt) {
    ent version{};
    ent line{};
    line.type = kEntLine;
    line.ln.ln = {{0, 0, 0}, {0, 42, 0}};
    line.sel = 1;
    store(line);
    ent n{};
    calc_note(&n, 1, p_3d{}, "text");
    store(n);
    host::PartSaveOptions old;
    old.release = 11;
    ASSERT_TRUE(host::savePart(path, old).ok);
    host::newPart();

    part_reader* r = read_ent_open(path.c_str());
    ASSERT_NE(r, nullptr);
    ASSERT_EQ(read_ent(r, &version), 1);
    EXPECT_EQ(version.type, kEntInfo);
    EXPECT_EQ(version.info.subKind, 8);
    EXPECT_EQ(version.info.value, 11);
    ent e{};
    ASSERT_EQ(read_ent(r, &e), 1);
    EXPECT_EQ(e.type, kEntLine);
    EXPECT_EQ(e.ln.ln.e2.y, 42);
    EXPECT_EQ(sel_bit_is_on(&e, 1), 1);
    EXPECT_EQ(e.refs, 0);
    FreeEntAllocations(&e);
    ASSERT_EQ(read_ent(r, &e), 1);
    EXPECT_EQ(e.type, kEntNote);
    EXPECT_EQ(e.note.text, 0u);
    EXPECT_EQ(read_ent(r, &e), 0);
    EXPECT_EQ(read_ent(r, &e), 0);
    read_ent_close(r);
    // Reading did not touch the open part.
    EXPECT_EQ(host::entityCounts().total, 0);
    EXPECT_EQ(read_ent(nullptr, &e), -1);
}

// ---- what a part unpacks ------------------------------------------------------------------------------------

// A saved part of `notes` notes whose packed bodies each unpack to a text of `textSize` bytes of one letter:
// a run of one byte packs about a thousandfold, so a file of a few megabytes asks for gigabytes.
std::string partOfInflatingNotes(const std::string& path, int notes, std::size_t textSize) {
    for (int k = 0; k < notes; ++k) {
        ent n{};
        calc_note(&n, 1, p_3d{}, "x");
        db_ptr entry = 0;
        char ok = 0;
        store_ent(&n, &entry, 0, 12, 1, attr_block{}, &ok);
        EXPECT_EQ(ok, 1);
    }
    EXPECT_TRUE(host::savePart(path).ok);
    ent n{};
    calc_note(&n, 1, p_3d{}, "x");
    const host::db::BODY_AROUND_TEXT around = host::db::encodeBodyAroundText(n, textSize);
    const std::uint64_t length = around.before.size() + textSize + around.after.size();
    std::string body(9, '\x01');
    for (int i = 0; i < 8; ++i) body[1 + static_cast<std::size_t>(i)] = static_cast<char>(length >> (8 * i));
    // Run-length deflate: any zlib stream unpacks, and this one packs the run as tightly as deflate can.
    z_stream z{};
    EXPECT_EQ(deflateInit2(&z, Z_BEST_COMPRESSION, Z_DEFLATED, 15, 9, Z_RLE), Z_OK);
    const std::string run(std::size_t{1} << 20, 'x');
    std::string out(std::size_t{1} << 16, '\0');
    auto feed = [&](std::string_view piece, int flush) {
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(piece.data()));
        z.avail_in = static_cast<uInt>(piece.size());
        do {
            z.next_out = reinterpret_cast<Bytef*>(out.data());
            z.avail_out = static_cast<uInt>(out.size());
            EXPECT_NE(deflate(&z, flush), Z_STREAM_ERROR);
            body.append(out.data(), out.size() - z.avail_out);
        } while (z.avail_out == 0);
    };
    feed(around.before, Z_NO_FLUSH);
    for (std::size_t left = textSize; left > 0; left -= std::min(left, run.size()))
        feed(std::string_view(run).substr(0, std::min(left, run.size())), Z_NO_FLUSH);
    feed(around.after, Z_FINISH);
    deflateEnd(&z);
    sqlite3* db = nullptr;
    EXPECT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    sqlite3_stmt* st = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(db, "UPDATE entities SET body = ?1 WHERE type = 16", -1, &st, nullptr), SQLITE_OK);
    sqlite3_bind_blob(st, 1, body.data(), static_cast<int>(body.size()), SQLITE_STATIC);
    EXPECT_EQ(sqlite3_step(st), SQLITE_DONE);
    sqlite3_finalize(st);
    sqlite3_close(db);
    return path;
}

// Opens the file in a child process whose address space may grow by `roomMb` at most (0: as much as it
// takes); what openPart said, or why the child did not end normally.
std::string openedInBoundedChild(const std::string& path, long roomMb) {
    const std::string said = path + ".said";
    const pid_t child = fork();
    if (child == 0) {
#if !defined(__SANITIZE_ADDRESS__)
        if (roomMb > 0) {
            long pages = 0;
            std::ifstream("/proc/self/statm") >> pages;
            const rlim_t limit = static_cast<rlim_t>(pages) * static_cast<rlim_t>(sysconf(_SC_PAGESIZE)) +
                                 (static_cast<rlim_t>(roomMb) << 20);
            const rlimit bound{limit, limit};
            if (setrlimit(RLIMIT_AS, &bound) != 0) _exit(3);
        }
#endif
        try {
            const host::PartFileResult r = host::openPart(path);
            std::ofstream(said) << (r.ok ? "opened" : r.message);
        } catch (...) {
            _exit(4);
        }
        _exit(0);
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child) return "no child";
    if (!WIFEXITED(status)) return "the child ended on signal " + std::to_string(WTERMSIG(status));
    if (WEXITSTATUS(status) == 4) return "opening threw";
    if (WEXITSTATUS(status) != 0) return "the child exited with " + std::to_string(WEXITSTATUS(status));
    std::ifstream in(said);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Six notes of 900 MiB each (each under the limit of one blob) in a file of about 5 MB: refused as damaged
// before their room is taken, in a process that may not grow by more than 1 GiB.
TEST_F(PartFile, NotesThatInflatePastThePartsBudgetAreRefusedWithinBoundedMemory) {
    const std::string file = partOfInflatingNotes(path, 6, std::size_t{900} << 20);
    EXPECT_LT(fs::file_size(file), std::uintmax_t{8} << 20);
    const std::string said = openedInBoundedChild(file, 1024);
    EXPECT_NE(said.find("part.pfp is damaged: it unpacks to more than a part file of"), std::string::npos) << said;
}

// Notes that unpack to a few hundred megabytes in all, within the room any part has, open whole.
TEST_F(PartFile, NotesWithinThePartsBudgetOpenWhole) {
    const std::string file = partOfInflatingNotes(path, 6, std::size_t{32} << 20);
    host::newPart();
    const host::PartFileResult opened = host::openPart(file);
    ASSERT_TRUE(opened.ok) << opened.message;
    int notes = 0;
    db_ptr at = db_start();
    for (;;) {
        ent e{};
        char found = 0;
        get_raw_ent(at, 1, kEntNote, &e, &at, &found);
        if (!found) break;
        const std::string_view text = host::noteText(e.note.text);
        EXPECT_EQ(text.size(), std::size_t{32} << 20);
        EXPECT_EQ(text.find_first_not_of('x'), std::string_view::npos);
        ++notes;
    }
    EXPECT_EQ(notes, 6);
}

// A box in the kernel's binary form, placed by a chain of two placements, with one placement more that the
// kernel's reader takes unchecked: the chain raised to the power 10^8, which the kernel works out by
// recursion until the stack runs out.
std::string binaryFormTheKernelCrashesOn() {
    TopoDS_Shape box = BRepPrimAPI_MakeBox(10, 20, 30).Shape();
    gp_Trsf move, turn;
    move.SetTranslation(gp_Vec(1, 2, 3));
    turn.SetRotation(gp::OZ(), 0.5);
    box.Location(TopLoc_Location(move) * TopLoc_Location(turn));
    std::string bytes = host::shapeToBinary(box);
    // The placements come first: the two and their chain, the third.
    const std::size_t head = bytes.find("Locations 3\n"), next = bytes.find("Curve2ds");
    if (head == std::string::npos || next == std::string::npos) return {};
    std::string power(1, '\x02');
    for (const std::uint32_t word : {3u, 100000000u, 0u})
        for (int b = 0; b < 4; ++b) power += static_cast<char>(word >> (8 * b) & 0xff);
    bytes.insert(next, power);
    bytes.replace(head, 12, "Locations 4\n");
    return bytes;
}

// A solid whose kept binary form, sealed and packed as the host writes it, crashes the kernel's reader: the
// reader process reads it first and crashes on it, and the host, which reads a binary form only once the
// reader process made its solid, refuses the part rather than crashing too.
TEST_F(PartFile, ASolidsBinaryFormThatCrashesTheKernelCrashesTheReaderProcessAlone) {
    const host::builder::BuiltPart built = host::builder::PartBuilder::block({100, 50, 20}).build();
    ASSERT_TRUE(built.ok()) << built.error;
    ent solid{};
    solid.type = kEntSolid;
    solid.solid.geom = std::make_shared<host::SolidGeom>(built.solid);
    store(solid);
    ASSERT_TRUE(host::savePart(path).ok);
    const std::string crafted = binaryFormTheKernelCrashesOn();
    ASSERT_TRUE(host::isBinaryBrep(crafted));
    const std::string blob = host::db::packBlob(host::db::sealGeometryText(crafted));
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    sqlite3_stmt* st = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(db, "UPDATE entities SET geom = ?1, geom_extra = NULL WHERE type = 65536", -1,
                                 &st, nullptr),
              SQLITE_OK);
    sqlite3_bind_blob(st, 1, blob.data(), static_cast<int>(blob.size()), SQLITE_STATIC);
    EXPECT_EQ(sqlite3_step(st), SQLITE_DONE);
    EXPECT_EQ(sqlite3_changes(db), 1);
    sqlite3_finalize(st);
    sqlite3_close(db);

    const std::string said = openedInBoundedChild(path, 0);
    EXPECT_EQ(said.rfind("The part file " + path + " is refused: the geometry reader ", 0), 0u) << said;
}

// ---- format version 3: packed blobs, converted faces kept as their origin -----------------------------------

// A plate with three kinds of holes, converted to surfaces as the recognition command does.
class ConvertedPart : public PartFile {
protected:
    void SetUp() override {
        PartFile::SetUp();
        buildConvertedSolid();
    }

    // A holed block stored as a solid and converted to surfaces.
    void buildConvertedSolid() {
        using namespace host::builder;
        const host::Vec3 down{0, 0, -1};
        const BuiltPart built = PartBuilder::block({60, 40, 12})
                                    .hole(throughHole("t", {10, 10, 12}, down, 6))
                                    .hole(counterbored("c", {30, 20, 12}, down, 6.6, 11, 4))
                                    .hole(blindTipped("b", {50, 30, 12}, down, 5, 6))
                                    .build();
        ASSERT_TRUE(built.ok()) << built.error;
        ent s{};
        s.type = kEntSolid;
        s.solid.geom = std::make_shared<host::SolidGeom>(built.solid);
        solid = store(s, 1, 3);
        ent stored{};
        ASSERT_EQ(get_ent_from_eptr(solid, &stored), 1);
        sld_tag tag = 0;
        ASSERT_EQ(sld_get_tag_from_solid(&stored, &tag), 1);
        ASSERT_GT(sld_convert_tags_to_mc_ents(&tag, 1, 0.0, 0, 1, 0), 10);
    }

    // Rows of the saved file's entities table: with an origin, with geometry.
    std::pair<int, int> originAndGeometryRows(const std::string& file, std::uint32_t type = kEntSurface) {
        sqlite3* db = nullptr;
        EXPECT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
        auto count = [&](const std::string& where) {
            sqlite3_stmt* st = nullptr;
            const std::string sql = "SELECT count(*) FROM entities WHERE type = " + std::to_string(type) + " AND " + where;
            EXPECT_EQ(sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr), SQLITE_OK);
            EXPECT_EQ(sqlite3_step(st), SQLITE_ROW);
            const int n = sqlite3_column_int(st, 0);
            sqlite3_finalize(st);
            return n;
        };
        const std::pair<int, int> rows{count("origin IS NOT NULL"), count("geom IS NOT NULL")};
        sqlite3_close(db);
        return rows;
    }

    static int surfaceCount() { return host::entityCounts().surfaces + host::entityCounts().trimmedSurfaces; }

    db_ptr solid = 0;
};

// Every surface made from the solid keeps its geometry as the face it came from, and the part reopens bit
// for bit; the reopened surfaces share their solid's faces, and saving the reopened part keeps them so
// again. The file is well under one that keeps each surface's geometry whole.
TEST_F(ConvertedPart, SurfacesAreKeptAsTheirSolidsFacesAndReopenBitForBit) {
    const std::vector<std::string> before = describeAll();
    const std::vector<std::string> beforeAsVersion2 = describeAllAsVersion(2);
    const int surfaces = surfaceCount();
    ASSERT_TRUE(host::savePart(path).ok);
    EXPECT_EQ(originAndGeometryRows(path), std::make_pair(surfaces, 0));
    host::PartSaveOptions whole;
    whole.formatVersion = 2;
    const std::string older = dir.path() + "/whole.pfp";
    ASSERT_TRUE(host::savePart(older, whole).ok);
    EXPECT_LT(3 * fs::file_size(path), 2 * fs::file_size(older));

    for (const std::string& file : {path, older}) {
        SCOPED_TRACE(file);
        host::newPart();
        const host::PartFileResult opened = host::openPart(file);
        ASSERT_TRUE(opened.ok) << opened.message;
        EXPECT_EQ(describeAll(), file == older ? beforeAsVersion2 : before);
    }
    host::newPart();
    ASSERT_TRUE(host::openPart(path).ok);
    const ent reopened = host::allEntities().front();
    ASSERT_EQ(reopened.type, kEntSolid);
    int shared = 0;
    for (const ent& e : host::allEntities()) {
        if (e.type != kEntSurface) continue;
        ASSERT_TRUE(e.surf.geom);
        for (const host::FaceGeom& face : reopened.solid.geom->faces()) shared += face.impl() == e.surf.geom->impl();
    }
    EXPECT_EQ(shared, static_cast<int>(reopened.solid.geom->faces().size()));
    const std::string again = dir.path() + "/again.pfp";
    ASSERT_TRUE(host::savePart(again).ok);
    EXPECT_EQ(originAndGeometryRows(again), std::make_pair(surfaces, 0));
}

// An opened part's faces take the boxes the reader process worked out as it made them: a solid's faces
// and surfaces kept whole (format version 2) have, bit for bit, the boxes the host works out on them itself.
TEST_F(ConvertedPart, ReopenedFacesTakeTheBoxesTheReaderWorkedOut) {
    host::PartSaveOptions whole;
    whole.formatVersion = 2;
    ASSERT_TRUE(host::savePart(path, whole).ok);
    host::newPart();
    ASSERT_TRUE(host::openPart(path).ok);
    auto expectOwnBox = [](const host::FaceGeom& face) {
        const std::optional<host::FaceGeom> alone = host::faceFromBrepText(host::faceToBrepText(face));
        ASSERT_TRUE(alone.has_value());
        const host::Box3 a = face.boundingBox(), b = alone->boundingBox();
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(std::bit_cast<std::uint64_t>(a.min[i]), std::bit_cast<std::uint64_t>(b.min[i]));
            EXPECT_EQ(std::bit_cast<std::uint64_t>(a.max[i]), std::bit_cast<std::uint64_t>(b.max[i]));
        }
    };
    int faces = 0, surfaces = 0;
    for (const ent& e : host::allEntities()) {
        if (e.type == kEntSolid)
            for (const host::FaceGeom& face : e.solid.geom->faces()) expectOwnBox(face), ++faces;
        if (e.type == kEntSurface && e.surf.geom) expectOwnBox(*e.surf.geom), ++surfaces;
    }
    EXPECT_GT(faces, 10);
    EXPECT_EQ(surfaces, surfaceCount());
}

// A surface whose geometry or solid changed after it was made keeps geometry of its own; every part reopens
// as it was.
TEST_F(ConvertedPart, SurfacesChangedSinceTheyWereMadeAreKeptWhole) {
    std::vector<db_ptr> trimmed, plain;
    for (const ent& e : host::allEntities())
        if (e.type == kEntSurface && !e.owner) (e.surf.typeCode == kSurfTrimmed ? trimmed : plain).push_back(e.eptr);
    ASSERT_FALSE(trimmed.empty());
    ASSERT_FALSE(plain.empty());
    const int surfaces = surfaceCount();
    struct CASE {
        const char* what;
        std::function<void()> change;
        int whole;   // surfaces kept whole afterwards
    };
    auto rewrite = [](db_ptr entry, auto&& edit) {
        ent e{};
        ASSERT_EQ(get_ent_from_eptr(entry, &e), 1);
        edit(e);
        ASSERT_EQ(rewrite_ent(&e, 0), 1);
    };
    const CASE cases[] = {
        {"a level and a colour changed", [&] { rewrite(plain[0], [](ent& e) { e.level = 7, e.color = 2; }); }, 0},
        {"a trim point moved", [&] { rewrite(trimmed[0], [](ent& e) { e.surf.trimPoints[1].u += 1e-9; }); }, 0},
        {"a box widened", [&] { rewrite(plain[0], [](ent& e) { e.surf.boxMax.z += 1; }); }, 0},
        {"other geometry", [&] { rewrite(plain[0], [&](ent& e) {
             ent other{};
             get_ent_from_eptr(plain[1], &other);
             e.surf.geom = other.surf.geom;
         }); }, 1},
        {"the solid kept when deleted", [&] { delete_ent(solid, 0, 1, 0, nullptr, 0); }, 0},
        {"the solid deleted", [&] { delete_ent(solid, 0, 0, 0, nullptr, 0); }, surfaces},
        {"the solid given another shape", [&] {
             const host::builder::BuiltPart block = host::builder::PartBuilder::block({60, 40, 12}).build();
             rewrite(solid, [&](ent& e) { e.solid.geom = std::make_shared<host::SolidGeom>(block.solid); });
         }, surfaces},
    };
    for (const CASE& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        ASSERT_EQ(surfaceCount(), surfaces);
        trimmed.clear();
        plain.clear();
        for (const ent& e : host::allEntities())
            if (e.type == kEntSurface && !e.owner) (e.surf.typeCode == kSurfTrimmed ? trimmed : plain).push_back(e.eptr);
        c.change();
        const std::vector<std::string> before = describeAll();
        ASSERT_TRUE(host::savePart(path).ok);
        EXPECT_EQ(originAndGeometryRows(path), std::make_pair(surfaces - c.whole, c.whole));
        host::newPart();
        const host::PartFileResult opened = host::openPart(path);
        ASSERT_TRUE(opened.ok) << opened.message;
        EXPECT_EQ(describeAll(), before);
    }
}

// Every format version this host wrote opens whole: the rich part and a converted solid.
TEST_F(ConvertedPart, FilesOfEveryFormatVersionOpen) {
    for (int version = 1; version <= host::kPartFormatVersion; ++version) {
        // Each version from the part as built: a part reopened from an older file has less to save.
        host::newPart();
        buildConvertedSolid();
        buildRichPart();
        const std::vector<std::string> before = describeAllAsVersion(version);
        const std::string state = describeState();
        SCOPED_TRACE(version);
        host::PartSaveOptions options;
        options.formatVersion = version;
        const std::string file = dir.path() + "/v" + std::to_string(version) + ".pfp";
        ASSERT_TRUE(host::savePart(file, options).ok);
        host::newPart();
        const host::PartFileResult opened = host::openPart(file);
        ASSERT_TRUE(opened.ok) << opened.message;
        EXPECT_EQ(describeAll(), before);
        EXPECT_EQ(describeState(), state);
    }
}

// Damage to a version 3 file that SQLite itself does not see is refused with a message naming it.
TEST_F(ConvertedPart, DamagedPackedRecordsAndOriginsAreRefused) {
    ASSERT_TRUE(host::savePart(path).ok);
    const std::vector<std::string> before = describeAll();
    struct CASE {
        const char* sql;
        const char* expected;
    };
    const CASE cases[] = {
        {"UPDATE entities SET geom = substr(geom, 1, length(geom) - 9) WHERE type = 65536",
         "does not match its checksum"},
        {"UPDATE entities SET geom = CAST(replace(CAST(geom AS TEXT), 'a', 'b') AS BLOB) WHERE type = 65536",
         "does not match its checksum"},
        {"UPDATE entities SET body = substr(body, 1, length(body) - 1) WHERE type = 65536", "does not unpack"},
        {"UPDATE entities SET body = X'01FFFFFFFF00000000' || substr(body, 10) WHERE type = 65536",
         "does not unpack"},
        {"UPDATE entities SET origin = X'01' || substr(origin, 2, 4) || X'FFFF0000' WHERE origin IS NOT NULL",
         "names a solid face the part does not hold"},
        {"UPDATE entities SET origin = X'03' || substr(origin, 2) WHERE origin IS NOT NULL", "is malformed"},
        {"UPDATE entities SET origin = substr(origin, 1, 5) WHERE origin IS NOT NULL", "is malformed"},
        {"UPDATE entities SET origin = (SELECT origin FROM entities WHERE origin IS NOT NULL LIMIT 1) "
         "WHERE type = 65536", "is malformed"},
        {"UPDATE entities SET geom = (SELECT geom FROM entities WHERE type = 65536) WHERE origin IS NOT NULL",
         "has both geometry and an origin"},
        {"DELETE FROM entities WHERE type = 65536", "names a solid face the part does not hold"},
    };
    for (const CASE& c : cases) {
        SCOPED_TRACE(c.sql);
        const std::string damaged = dir.path() + "/damaged.pfp";
        fs::copy_file(path, damaged, fs::copy_options::overwrite_existing);
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(damaged.c_str(), &db), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(db, c.sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
        EXPECT_GT(sqlite3_changes(db), 0);
        sqlite3_close(db);
        const host::PartFileResult r = host::openPart(damaged);
        EXPECT_FALSE(r.ok);
        EXPECT_NE(r.message.find("damaged.pfp is damaged: "), std::string::npos) << r.message;
        EXPECT_NE(r.message.find(c.expected), std::string::npos) << r.message;
        EXPECT_EQ(describeAll(), before);
    }
}

}  // namespace
