// The tree records' images: each record's fields are listed once, in stored order, and both its writer and
// its reader walk that list; each ends where the record's size says it must (asserted), so a field added
// with the wrong width shows at once.
#include "plugin/model/tree_codec.h"
#include "plugin/model/tree.h"

#include <cassert>
#include <cstring>
#include <vector>

namespace {

// ---- writing ----------------------------------------------------------------------------------------------

struct IMAGE_OUT {
    ByteWriter& w;
    const TREE_LINK_ID& linkId;

    template <class T>
    void field(const T& value) { w.put(value); }
    template <std::size_t N>
    void bytes(const std::uint8_t (&area)[N]) { w.putBytes(area, N); }
    template <std::size_t N>
    void text(const char (&chars)[N]) { w.putBytes(chars, N); }
    void doubles(const double* v, int n) {
        for (int i = 0; i < n; ++i) w.put(v[i]);
    }
    void matrix(const double (&m)[3][3]) { doubles(&m[0][0], 9); }
    // The linked record's identity number; the slot is the reader's.
    void link(const void* record, const std::uint32_t&) { w.put<std::uint32_t>(record ? linkId(record) : 0); }
    void ovlp(const OVLP_ENTRY& e) {
        for (std::uint16_t index : e.entIndex) w.put(index);
        w.put(e.zSup);
        w.put(e.zInf);
        w.put(e.rSup);
        w.put(e.rInf);
    }
};

// ---- reading ----------------------------------------------------------------------------------------------

// Reads from a zero-filled copy of the full record, so an image from an earlier release, shorter than the
// record, leaves its missing fields zero.
struct IMAGE_IN {
    std::vector<std::uint8_t> full;
    ByteReader r;

    IMAGE_IN(const std::uint8_t* image, std::size_t size, std::size_t recordSize)
        : full(recordSize, 0), r(full) {
        if (size) std::memcpy(full.data(), image, size);
    }
    template <class T>
    void field(T& value) { value = r.get<T>(); }
    template <std::size_t N>
    void bytes(std::uint8_t (&area)[N]) {
        for (auto& b : area) b = r.get<std::uint8_t>();
    }
    template <std::size_t N>
    void text(char (&chars)[N]) {
        for (auto& c : chars) c = static_cast<char>(r.get<std::uint8_t>());
    }
    void doubles(double* v, int n) {
        for (int i = 0; i < n; ++i) v[i] = r.get<double>();
    }
    void matrix(double (&m)[3][3]) { doubles(&m[0][0], 9); }
    // The slot as stored; the record's pointer stays null for the loader to relink.
    void link(const void*, std::uint32_t& slot) { slot = r.get<std::uint32_t>(); }
    void ovlp(OVLP_ENTRY& e) {
        for (std::uint16_t& index : e.entIndex) index = r.get<std::uint16_t>();
        field(e.zSup);
        field(e.zInf);
        field(e.rSup);
        field(e.rInf);
    }
};

// ---- the records' fields ------------------------------------------------------------------------------------
// One list per record, in stored order: the writer walks it with IMAGE_OUT over a const record, the reader
// with IMAGE_IN over a fresh one, so a field is named once for both. A link names the record's pointer (the
// writer's) and its slot in the links (the reader's).

template <class IO, class VIEW, class LINKS>
void viewFields(IO& io, VIEW& v, LINKS& l) {
    io.field(v.kind);
    io.field(v.orderNumber);
    io.bytes(v.area4);
    io.field(v.showOnFill);
    io.field(v.expandOnFill);
    io.field(v.selected);
    io.bytes(v.area10);
    io.field(v.viewNumber);
    io.field(v.groupNumber);
    io.field(v.sortIndex);
    io.field(v.selectedSaved);
    io.field(v.clearanceStartEnd);
    io.field(v.groupMember);
    io.field(v.endsToolPathGroup);
    io.bytes(v.area23);
    io.field(v.viewsSortOrder);
    io.bytes(v.area26);
    io.field(v.passMark);
    io.bytes(v.area42);
    io.matrix(v.matrix);
    io.bytes(v.area123);
    io.field(v.pointCount);
    io.link(v.firstPoint, l.firstPoint);
    io.link(v.prev, l.prev);
    io.link(v.next, l.next);
    io.bytes(v.area489);
    io.field(v.idn);
    io.field(v.wcsViewNumber);
    io.bytes(v.area508);
    io.field(v.nearNamedViewId);
    io.field(v.nearViewNumber);
    io.field(v.nearAngle);
    io.bytes(v.area522);
}

template <class IO, class POINT, class LINKS>
void pointFields(IO& io, POINT& p, LINKS& l) {
    io.field(p.kind);
    io.bytes(p.area2);
    io.field(p.showOnFill);
    io.field(p.highlightOnFill);
    io.field(p.expandOnFill);
    io.field(p.treeChecked);
    io.field(p.selected);
    io.field(p.excluded);
    io.text(p.description);
    io.text(p.whyText);
    io.bytes(p.area150);
    io.doubles(p.adaptedWindow, 4);
    io.field(p.holeType);
    io.doubles(p.ptView, 3);
    io.doubles(p.ptUniv, 3);
    io.field(p.chainMember);
    io.field(p.chainCount);
    io.link(p.nextEqual, l.nextEqual);
    io.field(p.selectedSaved);
    io.field(p.selected2Saved);
    io.field(p.descCount);
    io.link(p.descs, l.descs);
    io.text(p.tableName);
    io.field(p.rowIndex);
    io.field(p.selected2);
    io.field(p.adaptTableIndex);
    io.field(p.adaptedRow);
    io.field(p.tipOutside);
    io.field(p.outOfWindow);
    io.link(p.opeList, l.opeList);
    io.field(p.noMeasures);
    io.bytes(p.area304);
    io.field(p.movedMark);
    io.link(p.deepSplitNext, l.deepSplitNext);
    io.link(p.deepSplitPrev, l.deepSplitPrev);
    io.field(p.chamferCheck);
    io.field(p.geometryProblem);
    io.field(p.furtherMark);
    io.field(p.splitByDepth);
    io.field(p.simplified);
    io.field(p.movedOpposite);
    io.field(p.rowChanged);
    io.bytes(p.area321);
    io.field(p.depthChecked);
    io.bytes(p.area324);
    io.field(p.neckSplitted);
    io.field(p.twinSplitted);
    io.field(p.farSplitted);
    io.field(p.reprocessed);
    io.field(p.memberReprocessed);
    io.field(p.formState);
    io.bytes(p.area334);
    io.field(p.touchTop);
    io.field(p.crashTop);
    io.field(p.touchBottom);
    io.field(p.crashBottom);
    io.field(p.crashInto);
    io.field(p.hillT);
    io.field(p.hillB);
    io.field(p.crashBottomZ);
    io.field(p.id);
    io.field(p.cylCount);
    io.link(p.firstCyl, l.firstCyl);
    io.link(p.view, l.view);
    io.field(p.axisLineId);
    io.link(p.prev, l.prev);
    io.link(p.next, l.next);
    io.field(p.crashTopZ);
    io.bytes(p.area417);
    io.field(p.reamSplitted);
    io.field(p.noProblem);
    io.field(p.tableIndex);
    io.text(p.rowName);
    io.field(p.provisionalRow);
    io.text(p.processName);
    io.field(p.reamPartnerId);
    io.bytes(p.area549);
    io.field(p.reamPart);
    io.field(p.reamDepthSet);
    io.field(p.reamSavedZInf);
    io.bytes(p.area560);
    io.field(p.notAccessible);
    io.field(p.splitFarZ);
    io.field(p.splitPartnerId);
    io.field(p.toolMissing);
    io.field(p.toolCreated);
    io.bytes(p.area584);
}

template <class IO, class CYL, class LINKS>
void cylFields(IO& io, CYL& c, LINKS& l) {
    io.doubles(c.cUniv, 3);
    io.matrix(c.matrix);
    io.field(c.viewNumber);
    io.field(c.zSup);
    io.field(c.rSup);
    io.field(c.zInf);
    io.field(c.rInf);
    io.field(c.Ai);
    io.field(c.Asw);
    io.bytes(c.reserved146);
    io.field(c.rFlatMinBtm);
    io.field(c.secAng);
    io.field(c.fitPreDrill);
    io.field(c.threadDiam);
    io.field(c.threadPitch);
    io.field(c.threadTable);
    io.field(c.isTap);
    io.field(c.isFit);
    io.field(c.attribSuffix);
    io.field(c.topFlat);
    io.field(c.bottomFlat);
    io.field(c.topClosed);
    io.field(c.bottomClosed);
    io.field(c.topRingClosed);
    io.field(c.bottomRingClosed);
    io.field(c.entCount);
    for (auto& e : c.ents) {
        io.field(e.level);
        io.field(e.colour);
        io.field(e.id);
        io.field(e.entry);
    }
    io.link(c.prev, l.prev);
    io.link(c.next, l.next);
    io.field(c.rToric);
    io.field(c.rCtoric);
    io.field(c.zToric);
    io.field(c.featureDepth);
    io.field(c.rFlatMinTop);
    io.field(c.rFlatMaxTop);
    io.field(c.rFlatMaxBtm);
    io.field(c.ovlpCount);
    for (auto& e : c.ovlp) io.ovlp(e);
    io.bytes(c.reserved577);
    io.field(c.viewIdn);
    io.field(c.featureFromBottom);
    io.text(c.threadName);
    io.text(c.fitClass);
    io.field(c.mergedCount);
    for (auto& e : c.merged) io.ovlp(e);
    io.field(c.featureOrigin);
}

bool countInRange(std::int16_t count, int max) { return count >= 0 && count <= max; }

}  // namespace

std::uint32_t noLinkIds(const void*) { return 0; }

// ---- VIEW_LIST --------------------------------------------------------------------------------------------

void writeViewImage(const VIEW_LIST& v, const TREE_LINK_ID& linkId, ByteWriter& out) {
    [[maybe_unused]] const std::size_t start = out.size();
    IMAGE_OUT o{out, linkId};
    VIEW_LINKS unused;
    viewFields(o, v, unused);
    assert(out.size() - start == kViewListSize && "VIEW_LIST image size");
}

IMAGE_STATUS readViewImage(const std::uint8_t* image, std::size_t size, VIEW_LIST& out, VIEW_LINKS* links) {
    if (size > kViewListSize) return IMAGE_STATUS::oversize;
    IMAGE_IN in(image, size, kViewListSize);
    VIEW_LIST v;
    VIEW_LINKS l;
    viewFields(in, v, l);
    assert(in.r.ok() && in.r.remaining() == 0 && "VIEW_LIST image size");
    if (v.kind != 1) return IMAGE_STATUS::wrongKind;
    out = v;
    if (links) *links = l;
    return IMAGE_STATUS::ok;
}

// ---- POINT_LIST -------------------------------------------------------------------------------------------

void writePointImage(const POINT_LIST& p, const TREE_LINK_ID& linkId, ByteWriter& out) {
    [[maybe_unused]] const std::size_t start = out.size();
    IMAGE_OUT o{out, linkId};
    POINT_LINKS unused;
    pointFields(o, p, unused);
    assert(out.size() - start == kPointListSize && "POINT_LIST image size");
}

IMAGE_STATUS readPointImage(const std::uint8_t* image, std::size_t size, POINT_LIST& out, POINT_LINKS* links) {
    if (size > kPointListSize) return IMAGE_STATUS::oversize;
    IMAGE_IN in(image, size, kPointListSize);
    POINT_LIST p;
    POINT_LINKS l;
    pointFields(in, p, l);
    assert(in.r.ok() && in.r.remaining() == 0 && "POINT_LIST image size");
    if (p.kind == 0) p.kind = 2;   // points of earlier releases carry no kind
    if (p.kind != 2) return IMAGE_STATUS::wrongKind;
    out = p;
    if (links) *links = l;
    return IMAGE_STATUS::ok;
}

// ---- CYL_LIST ---------------------------------------------------------------------------------------------

void writeCylImage(const CYL_LIST& c, const TREE_LINK_ID& linkId, ByteWriter& out) {
    [[maybe_unused]] const std::size_t start = out.size();
    IMAGE_OUT o{out, linkId};
    CYL_LINKS unused;
    cylFields(o, c, unused);
    assert(out.size() - start == kCylListSize && "CYL_LIST image size");
}

namespace {

IMAGE_STATUS readFullCylImage(const std::uint8_t* image, std::size_t size, CYL_LIST& out, CYL_LINKS* links) {
    IMAGE_IN in(image, size, kCylListSize);
    CYL_LIST c;
    CYL_LINKS l;
    cylFields(in, c, l);
    assert(in.r.ok() && in.r.remaining() == 0 && "CYL_LIST image size");
    // Code that walks `ents`, `ovlp` or `merged` trusts these counts; a damaged one would send it past the
    // arrays.
    if (!countInRange(c.entCount, kMaxCylEnts) || !countInRange(c.ovlpCount, kMaxOvlp) ||
        !countInRange(c.mergedCount, kMaxOvlp))
        return IMAGE_STATUS::badCount;
    out = c;
    if (links) *links = l;
    return IMAGE_STATUS::ok;
}

}  // namespace

IMAGE_STATUS readCylImage(const std::uint8_t* image, std::size_t size, CYL_LIST& out, CYL_LINKS* links) {
    if (size > kCylListSize) return IMAGE_STATUS::oversize;
    return readFullCylImage(image, size, out, links);
}

IMAGE_STATUS readOldCylImage(const std::uint8_t* image, std::size_t size, CYL_LIST& out, CYL_LINKS* links) {
    constexpr std::size_t kHead = 207;         // up to and including entCount, as today
    constexpr std::size_t kOldEntSize = 12;
    constexpr std::size_t kNewEntSize = 14;
    constexpr std::size_t kTail = kOldCylListSize - kHead - kMaxCylEnts * kOldEntSize;   // 230 bytes
    constexpr std::size_t kTailAt = kHead + kMaxCylEnts * kNewEntSize;                    // 431, `prev`
    static_assert(kTail == 230 && kTailAt == 431);

    if (size > kOldCylListSize) return IMAGE_STATUS::oversize;
    std::vector<std::uint8_t> old(kOldCylListSize, 0);
    if (size) std::memcpy(old.data(), image, size);

    std::vector<std::uint8_t> wide;
    wide.reserve(kCylListSize);
    ByteWriter w(wide);
    w.putBytes(old.data(), kHead);
    ByteReader entries(old.data() + kHead, kMaxCylEnts * kOldEntSize);
    for (int i = 0; i < kMaxCylEnts; ++i) {
        w.put(static_cast<std::int32_t>(entries.get<std::int16_t>()));
        w.put(entries.get<std::uint16_t>());
        w.put(entries.get<std::int32_t>());
        w.put(entries.get<std::uint32_t>());
    }
    w.putBytes(old.data() + kHead + kMaxCylEnts * kOldEntSize, kTail);
    w.putZeros(kCylListSize - w.size());
    return readFullCylImage(wide.data(), wide.size(), out, links);
}
