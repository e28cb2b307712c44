// The tree records' images, written and read in field order; each function ends where its record's size
// says it must (asserted), so a field added with the wrong width shows at once.
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
    void put(T value) { w.put(value); }
    template <std::size_t N>
    void bytes(const std::uint8_t (&area)[N]) { w.putBytes(area, N); }
    template <std::size_t N>
    void text(const char (&chars)[N]) { w.putBytes(chars, N); }
    void doubles(const double* v, int n) {
        for (int i = 0; i < n; ++i) w.put(v[i]);
    }
    void matrix(const double (&m)[3][3]) { doubles(&m[0][0], 9); }
    void link(const void* record) { w.put<std::uint32_t>(record ? linkId(record) : 0); }
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
    void get(T& value) { value = r.get<T>(); }
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
    void link(std::uint32_t& slot) { slot = r.get<std::uint32_t>(); }
    void ovlp(OVLP_ENTRY& e) {
        for (std::uint16_t& index : e.entIndex) index = r.get<std::uint16_t>();
        get(e.zSup);
        get(e.zInf);
        get(e.rSup);
        get(e.rInf);
    }
};

bool countInRange(std::int16_t count, int max) { return count >= 0 && count <= max; }

}  // namespace

std::uint32_t noLinkIds(const void*) { return 0; }

// ---- VIEW_LIST --------------------------------------------------------------------------------------------

void writeViewImage(const VIEW_LIST& v, const TREE_LINK_ID& linkId, ByteWriter& out) {
    [[maybe_unused]] const std::size_t start = out.size();
    IMAGE_OUT o{out, linkId};
    o.put(v.kind);
    o.put(v.orderNumber);
    o.bytes(v.area4);
    o.put(v.showOnFill);
    o.put(v.expandOnFill);
    o.put(v.selected);
    o.bytes(v.area10);
    o.put(v.viewNumber);
    o.put(v.groupNumber);
    o.put(v.sortIndex);
    o.put(v.selectedSaved);
    o.put(v.clearanceStartEnd);
    o.put(v.groupMember);
    o.put(v.endsToolPathGroup);
    o.bytes(v.area23);
    o.put(v.viewsSortOrder);
    o.bytes(v.area26);
    o.put(v.passMark);
    o.bytes(v.area42);
    o.matrix(v.matrix);
    o.bytes(v.area123);
    o.put(v.pointCount);
    o.link(v.firstPoint);
    o.link(v.prev);
    o.link(v.next);
    o.bytes(v.area489);
    o.put(v.idn);
    o.put(v.wcsViewNumber);
    o.bytes(v.area508);
    o.put(v.nearNamedViewId);
    o.put(v.nearViewNumber);
    o.put(v.nearAngle);
    o.bytes(v.area522);
    assert(out.size() - start == kViewListSize && "VIEW_LIST image size");
}

IMAGE_STATUS readViewImage(const std::uint8_t* image, std::size_t size, VIEW_LIST& out, VIEW_LINKS* links) {
    if (size > kViewListSize) return IMAGE_STATUS::oversize;
    IMAGE_IN in(image, size, kViewListSize);
    VIEW_LIST v;
    VIEW_LINKS l;
    in.get(v.kind);
    in.get(v.orderNumber);
    in.bytes(v.area4);
    in.get(v.showOnFill);
    in.get(v.expandOnFill);
    in.get(v.selected);
    in.bytes(v.area10);
    in.get(v.viewNumber);
    in.get(v.groupNumber);
    in.get(v.sortIndex);
    in.get(v.selectedSaved);
    in.get(v.clearanceStartEnd);
    in.get(v.groupMember);
    in.get(v.endsToolPathGroup);
    in.bytes(v.area23);
    in.get(v.viewsSortOrder);
    in.bytes(v.area26);
    in.get(v.passMark);
    in.bytes(v.area42);
    in.matrix(v.matrix);
    in.bytes(v.area123);
    in.get(v.pointCount);
    in.link(l.firstPoint);
    in.link(l.prev);
    in.link(l.next);
    in.bytes(v.area489);
    in.get(v.idn);
    in.get(v.wcsViewNumber);
    in.bytes(v.area508);
    in.get(v.nearNamedViewId);
    in.get(v.nearViewNumber);
    in.get(v.nearAngle);
    in.bytes(v.area522);
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
    o.put(p.kind);
    o.bytes(p.area2);
    o.put(p.showOnFill);
    o.put(p.highlightOnFill);
    o.put(p.expandOnFill);
    o.put(p.treeChecked);
    o.put(p.selected);
    o.put(p.excluded);
    o.text(p.description);
    o.text(p.whyText);
    o.bytes(p.area150);
    o.doubles(p.adaptedWindow, 4);
    o.put(p.holeType);
    o.doubles(p.ptView, 3);
    o.doubles(p.ptUniv, 3);
    o.put(p.chainMember);
    o.put(p.chainCount);
    o.link(p.nextEqual);
    o.put(p.selectedSaved);
    o.put(p.selected2Saved);
    o.put(p.descCount);
    o.link(p.descs);
    o.text(p.tableName);
    o.put(p.rowIndex);
    o.put(p.selected2);
    o.put(p.adaptTableIndex);
    o.put(p.adaptedRow);
    o.put(p.tipOutside);
    o.put(p.outOfWindow);
    o.link(p.opeList);
    o.put(p.noMeasures);
    o.bytes(p.area304);
    o.put(p.movedMark);
    o.link(p.deepSplitNext);
    o.link(p.deepSplitPrev);
    o.put(p.chamferCheck);
    o.put(p.geometryProblem);
    o.put(p.furtherMark);
    o.put(p.splitByDepth);
    o.put(p.simplified);
    o.put(p.movedOpposite);
    o.put(p.rowChanged);
    o.bytes(p.area321);
    o.put(p.depthChecked);
    o.bytes(p.area324);
    o.put(p.neckSplitted);
    o.put(p.twinSplitted);
    o.put(p.farSplitted);
    o.put(p.reprocessed);
    o.put(p.memberReprocessed);
    o.put(p.formState);
    o.bytes(p.area334);
    o.put(p.touchTop);
    o.put(p.crashTop);
    o.put(p.touchBottom);
    o.put(p.crashBottom);
    o.put(p.crashInto);
    o.put(p.hillT);
    o.put(p.hillB);
    o.put(p.crashBottomZ);
    o.put(p.id);
    o.put(p.cylCount);
    o.link(p.firstCyl);
    o.link(p.view);
    o.put(p.axisLineId);
    o.link(p.prev);
    o.link(p.next);
    o.put(p.crashTopZ);
    o.bytes(p.area417);
    o.put(p.reamSplitted);
    o.put(p.noProblem);
    o.put(p.tableIndex);
    o.text(p.rowName);
    o.put(p.provisionalRow);
    o.text(p.processName);
    o.put(p.reamPartnerId);
    o.bytes(p.area549);
    o.put(p.reamPart);
    o.put(p.reamDepthSet);
    o.put(p.reamSavedZInf);
    o.bytes(p.area560);
    o.put(p.notAccessible);
    o.put(p.splitFarZ);
    o.put(p.splitPartnerId);
    o.put(p.toolMissing);
    o.put(p.toolCreated);
    o.bytes(p.area584);
    assert(out.size() - start == kPointListSize && "POINT_LIST image size");
}

IMAGE_STATUS readPointImage(const std::uint8_t* image, std::size_t size, POINT_LIST& out, POINT_LINKS* links) {
    if (size > kPointListSize) return IMAGE_STATUS::oversize;
    IMAGE_IN in(image, size, kPointListSize);
    POINT_LIST p;
    POINT_LINKS l;
    in.get(p.kind);
    in.bytes(p.area2);
    in.get(p.showOnFill);
    in.get(p.highlightOnFill);
    in.get(p.expandOnFill);
    in.get(p.treeChecked);
    in.get(p.selected);
    in.get(p.excluded);
    in.text(p.description);
    in.text(p.whyText);
    in.bytes(p.area150);
    in.doubles(p.adaptedWindow, 4);
    in.get(p.holeType);
    in.doubles(p.ptView, 3);
    in.doubles(p.ptUniv, 3);
    in.get(p.chainMember);
    in.get(p.chainCount);
    in.link(l.nextEqual);
    in.get(p.selectedSaved);
    in.get(p.selected2Saved);
    in.get(p.descCount);
    in.link(l.descs);
    in.text(p.tableName);
    in.get(p.rowIndex);
    in.get(p.selected2);
    in.get(p.adaptTableIndex);
    in.get(p.adaptedRow);
    in.get(p.tipOutside);
    in.get(p.outOfWindow);
    in.link(l.opeList);
    in.get(p.noMeasures);
    in.bytes(p.area304);
    in.get(p.movedMark);
    in.link(l.deepSplitNext);
    in.link(l.deepSplitPrev);
    in.get(p.chamferCheck);
    in.get(p.geometryProblem);
    in.get(p.furtherMark);
    in.get(p.splitByDepth);
    in.get(p.simplified);
    in.get(p.movedOpposite);
    in.get(p.rowChanged);
    in.bytes(p.area321);
    in.get(p.depthChecked);
    in.bytes(p.area324);
    in.get(p.neckSplitted);
    in.get(p.twinSplitted);
    in.get(p.farSplitted);
    in.get(p.reprocessed);
    in.get(p.memberReprocessed);
    in.get(p.formState);
    in.bytes(p.area334);
    in.get(p.touchTop);
    in.get(p.crashTop);
    in.get(p.touchBottom);
    in.get(p.crashBottom);
    in.get(p.crashInto);
    in.get(p.hillT);
    in.get(p.hillB);
    in.get(p.crashBottomZ);
    in.get(p.id);
    in.get(p.cylCount);
    in.link(l.firstCyl);
    in.link(l.view);
    in.get(p.axisLineId);
    in.link(l.prev);
    in.link(l.next);
    in.get(p.crashTopZ);
    in.bytes(p.area417);
    in.get(p.reamSplitted);
    in.get(p.noProblem);
    in.get(p.tableIndex);
    in.text(p.rowName);
    in.get(p.provisionalRow);
    in.text(p.processName);
    in.get(p.reamPartnerId);
    in.bytes(p.area549);
    in.get(p.reamPart);
    in.get(p.reamDepthSet);
    in.get(p.reamSavedZInf);
    in.bytes(p.area560);
    in.get(p.notAccessible);
    in.get(p.splitFarZ);
    in.get(p.splitPartnerId);
    in.get(p.toolMissing);
    in.get(p.toolCreated);
    in.bytes(p.area584);
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
    o.doubles(c.cUniv, 3);
    o.matrix(c.matrix);
    o.put(c.viewNumber);
    o.put(c.zSup);
    o.put(c.rSup);
    o.put(c.zInf);
    o.put(c.rInf);
    o.put(c.Ai);
    o.put(c.Asw);
    o.bytes(c.reserved146);
    o.put(c.rFlatMinBtm);
    o.put(c.secAng);
    o.put(c.fitPreDrill);
    o.put(c.threadDiam);
    o.put(c.threadPitch);
    o.put(c.threadTable);
    o.put(c.isTap);
    o.put(c.isFit);
    o.put(c.attribSuffix);
    o.put(c.topFlat);
    o.put(c.bottomFlat);
    o.put(c.topClosed);
    o.put(c.bottomClosed);
    o.put(c.topRingClosed);
    o.put(c.bottomRingClosed);
    o.put(c.entCount);
    for (const CYL_ENT& e : c.ents) {
        o.put(e.level);
        o.put(e.colour);
        o.put(e.id);
        o.put(e.entry);
    }
    o.link(c.prev);
    o.link(c.next);
    o.put(c.rToric);
    o.put(c.rCtoric);
    o.put(c.zToric);
    o.put(c.featureDepth);
    o.put(c.rFlatMinTop);
    o.put(c.rFlatMaxTop);
    o.put(c.rFlatMaxBtm);
    o.put(c.ovlpCount);
    for (const OVLP_ENTRY& e : c.ovlp) o.ovlp(e);
    o.bytes(c.reserved577);
    o.put(c.viewIdn);
    o.put(c.featureFromBottom);
    o.text(c.threadName);
    o.text(c.fitClass);
    o.put(c.mergedCount);
    for (const OVLP_ENTRY& e : c.merged) o.ovlp(e);
    o.put(c.featureOrigin);
    assert(out.size() - start == kCylListSize && "CYL_LIST image size");
}

namespace {

IMAGE_STATUS readFullCylImage(const std::uint8_t* image, std::size_t size, CYL_LIST& out, CYL_LINKS* links) {
    IMAGE_IN in(image, size, kCylListSize);
    CYL_LIST c;
    CYL_LINKS l;
    in.doubles(c.cUniv, 3);
    in.matrix(c.matrix);
    in.get(c.viewNumber);
    in.get(c.zSup);
    in.get(c.rSup);
    in.get(c.zInf);
    in.get(c.rInf);
    in.get(c.Ai);
    in.get(c.Asw);
    in.bytes(c.reserved146);
    in.get(c.rFlatMinBtm);
    in.get(c.secAng);
    in.get(c.fitPreDrill);
    in.get(c.threadDiam);
    in.get(c.threadPitch);
    in.get(c.threadTable);
    in.get(c.isTap);
    in.get(c.isFit);
    in.get(c.attribSuffix);
    in.get(c.topFlat);
    in.get(c.bottomFlat);
    in.get(c.topClosed);
    in.get(c.bottomClosed);
    in.get(c.topRingClosed);
    in.get(c.bottomRingClosed);
    in.get(c.entCount);
    for (CYL_ENT& e : c.ents) {
        in.get(e.level);
        in.get(e.colour);
        in.get(e.id);
        in.get(e.entry);
    }
    in.link(l.prev);
    in.link(l.next);
    in.get(c.rToric);
    in.get(c.rCtoric);
    in.get(c.zToric);
    in.get(c.featureDepth);
    in.get(c.rFlatMinTop);
    in.get(c.rFlatMaxTop);
    in.get(c.rFlatMaxBtm);
    in.get(c.ovlpCount);
    for (OVLP_ENTRY& e : c.ovlp) in.ovlp(e);
    in.bytes(c.reserved577);
    in.get(c.viewIdn);
    in.get(c.featureFromBottom);
    in.text(c.threadName);
    in.text(c.fitClass);
    in.get(c.mergedCount);
    for (OVLP_ENTRY& e : c.merged) in.ovlp(e);
    in.get(c.featureOrigin);
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
