// The stored images of the recognition tree: sizes and field offsets, every byte through a round trip,
// the older forms, and damaged or random images refused without harm.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

#include "plugin/model/ope_list.h"
#include "plugin/model/tree.h"
#include "plugin/model/tree_codec.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

template <class T>
T at(const Bytes& image, std::size_t offset) {
    T value{};
    EXPECT_LE(offset + sizeof(T), image.size());
    if (offset + sizeof(T) <= image.size()) std::memcpy(&value, image.data() + offset, sizeof(T));
    return value;
}

template <class T>
void putAt(Bytes& image, std::size_t offset, T value) {
    std::memcpy(image.data() + offset, &value, sizeof(T));
}

Bytes randomBytes(std::mt19937& rng, std::size_t n) {
    Bytes bytes(n);
    for (auto& b : bytes) b = static_cast<std::uint8_t>(rng());
    return bytes;
}

// Stand-ins for linked records: the link id of each is its index + 100.
struct LINK_TARGETS {
    char records[16] = {};
    void* operator[](int i) { return &records[i]; }
    TREE_LINK_ID ids() const {
        return [this](const void* p) {
            return static_cast<std::uint32_t>(static_cast<const char*>(p) - records + 100);
        };
    }
};

Bytes viewImage(const VIEW_LIST& v, const TREE_LINK_ID& ids = noLinkIds) {
    Bytes out;
    ByteWriter w(out);
    writeViewImage(v, ids, w);
    return out;
}
Bytes pointImage(const POINT_LIST& p, const TREE_LINK_ID& ids = noLinkIds) {
    Bytes out;
    ByteWriter w(out);
    writePointImage(p, ids, w);
    return out;
}
Bytes cylImage(const CYL_LIST& c, const TREE_LINK_ID& ids = noLinkIds) {
    Bytes out;
    ByteWriter w(out);
    writeCylImage(c, ids, w);
    return out;
}

// ---- sizes and offsets ----------------------------------------------------------------------------------

TEST(TreeImageLayout, ViewFieldsSitAtTheirOffsets) {
    LINK_TARGETS t;
    VIEW_LIST v;
    v.orderNumber = -3;
    v.area4[1] = 0xA5;
    v.showOnFill = 0xA6;
    v.expandOnFill = 0xA7;
    v.selected = 1;
    v.area10[1] = 0xAB;
    v.viewNumber = -12;
    v.groupNumber = -14;
    v.sortIndex = 16;
    v.selectedSaved = 0x1812;
    v.clearanceStartEnd = 0x20;
    v.groupMember = 0x21;
    v.endsToolPathGroup = 0x22;
    v.area23[0] = 0xA8;
    v.viewsSortOrder = -24;
    v.area26[11] = 0xA9;
    v.passMark = 0x01020304;
    v.area42[8] = 0xB2;
    v.matrix[0][0] = 1.5;
    v.matrix[2][0] = 0.25;
    v.matrix[2][2] = -0.75;
    v.area123[0] = 0xC1;
    v.area123[349] = 0xC2;
    v.pointCount = 7;
    v.firstPoint = static_cast<POINT_LIST*>(t[1]);
    v.prev = static_cast<VIEW_LIST*>(t[2]);
    v.next = static_cast<VIEW_LIST*>(t[3]);
    v.area489[14] = 0xD1;
    v.idn = 321;
    v.wcsViewNumber = 5;
    v.nearNamedViewId = 0xBEEF;
    v.nearViewNumber = 6;
    v.nearAngle = 0.125;
    v.area522[11] = 0xE1;

    const Bytes image = viewImage(v, t.ids());
    ASSERT_EQ(image.size(), 534u);
    EXPECT_EQ(at<std::uint16_t>(image, 0), 1);
    EXPECT_EQ(at<std::int16_t>(image, 2), -3);
    EXPECT_EQ(image[5], 0xA5);
    EXPECT_EQ(image[6], 0xA6);
    EXPECT_EQ(image[7], 0xA7);
    EXPECT_EQ(at<std::uint16_t>(image, 8), 1);
    EXPECT_EQ(image[11], 0xAB);
    EXPECT_EQ(at<std::int16_t>(image, 12), -12);
    EXPECT_EQ(at<std::int16_t>(image, 14), -14);
    EXPECT_EQ(at<std::int16_t>(image, 16), 16);
    EXPECT_EQ(at<std::uint16_t>(image, 18), 0x1812);
    EXPECT_EQ(image[20], 0x20);
    EXPECT_EQ(image[21], 0x21);
    EXPECT_EQ(image[22], 0x22);
    EXPECT_EQ(image[23], 0xA8);
    EXPECT_EQ(at<std::int16_t>(image, 24), -24);
    EXPECT_EQ(image[37], 0xA9);
    EXPECT_EQ(at<std::int32_t>(image, 38), 0x01020304);
    EXPECT_EQ(image[50], 0xB2);
    EXPECT_EQ(at<double>(image, 51), 1.5);
    EXPECT_EQ(at<double>(image, 99), 0.25);    // the Z row: the drilling direction
    EXPECT_EQ(at<double>(image, 115), -0.75);
    EXPECT_EQ(image[123], 0xC1);
    EXPECT_EQ(image[472], 0xC2);
    EXPECT_EQ(at<std::int32_t>(image, 473), 7);
    EXPECT_EQ(at<std::uint32_t>(image, 477), 101u);
    EXPECT_EQ(at<std::uint32_t>(image, 481), 102u);
    EXPECT_EQ(at<std::uint32_t>(image, 485), 103u);
    EXPECT_EQ(image[503], 0xD1);
    EXPECT_EQ(at<std::int16_t>(image, 504), 321);
    EXPECT_EQ(at<std::uint16_t>(image, 506), 5);
    EXPECT_EQ(at<std::uint16_t>(image, 508), 0);
    EXPECT_EQ(at<std::uint16_t>(image, 510), 0xBEEF);
    EXPECT_EQ(at<std::uint16_t>(image, 512), 6);
    EXPECT_EQ(at<double>(image, 514), 0.125);
    EXPECT_EQ(image[533], 0xE1);
}

TEST(TreeImageLayout, PointFieldsSitAtTheirOffsets) {
    LINK_TARGETS t;
    POINT_LIST p;
    p.area2[3] = 0x05;
    p.showOnFill = 6;
    p.highlightOnFill = 7;
    p.expandOnFill = 8;
    p.treeChecked = 0x0909;
    p.selected = 0x0B0B;
    p.excluded = 13;
    std::strcpy(p.description, "A1_2");
    std::memset(p.whyText, 'w', sizeof p.whyText);
    p.area150[2] = 0x11;
    p.selectedSaved = 0x0246;
    p.selected2Saved = 0x0248;
    p.geometryProblem = 15;
    p.furtherMark = 16;
    p.splitByDepth = 17;
    p.simplified = 18;
    p.movedOpposite = 19;
    p.reprocessed = 0x0328;
    p.memberReprocessed = 0x0330;
    p.formState = -332;
    p.area334[13] = 0x47;
    p.axisLineId = 0x03970397;
    p.adaptedWindow[3] = 0.8;
    p.holeType = 4;
    p.ptView[0] = 1;
    p.ptView[2] = 3;
    p.ptUniv[0] = 4;
    p.ptUniv[2] = 6;
    p.chainMember = 1;
    p.chainCount = 3;
    p.nextEqual = static_cast<POINT_LIST*>(t[0]);
    p.descCount = 9;
    p.descs = static_cast<CIL_DESC*>(t[1]);
    p.opeList = static_cast<OPE_LIST*>(t[2]);
    std::strcpy(p.tableName, "Counterbored");
    p.rowIndex = 4;
    p.noMeasures = 1;
    p.adaptTableIndex = -1;
    p.adaptedRow = -1;
    p.provisionalRow = 1;
    p.outOfWindow = 1;
    p.tipOutside = 1;
    p.selected2 = 0x0102;
    p.movedMark = 1;
    p.deepSplitNext = static_cast<POINT_LIST*>(t[3]);
    p.deepSplitPrev = static_cast<POINT_LIST*>(t[4]);
    p.chamferCheck = 1;
    p.depthChecked = 0x23;
    p.neckSplitted = 1;
    p.twinSplitted = 2;
    p.farSplitted = 3;
    p.touchTop = 3;
    p.crashTop = 1;
    p.touchBottom = 2;
    p.crashBottom = -1;
    p.crashInto = 1;
    p.hillT = 1.25;
    p.hillB = 2.5;
    p.crashBottomZ = -3.75;
    p.id = 77;
    p.cylCount = 2;
    p.firstCyl = static_cast<CYL_LIST*>(t[5]);
    p.view = static_cast<VIEW_LIST*>(t[6]);
    p.prev = static_cast<POINT_LIST*>(t[7]);
    p.next = static_cast<POINT_LIST*>(t[8]);
    p.crashTopZ = 8.5;
    p.reamSplitted = 1;
    p.noProblem = 1;
    p.tableIndex = -1;
    std::strcpy(p.rowName, "12 x 30");
    std::strcpy(p.processName, "DRILL 12");
    p.reamPartnerId = 78;
    p.reamPart = 1;
    p.reamDepthSet = 1;
    p.reamSavedZInf = -9.5;
    p.splitFarZ = -4.5;
    p.splitPartnerId = 79;
    p.notAccessible = 1;
    p.toolMissing = 5;
    p.toolCreated = 6;
    p.area584[1] = 0x5F;

    const Bytes image = pointImage(p, t.ids());
    ASSERT_EQ(image.size(), 586u);
    EXPECT_EQ(at<std::uint16_t>(image, 0), 2);
    EXPECT_EQ(image[5], 0x05);
    EXPECT_EQ(image[6], 6);
    EXPECT_EQ(image[7], 7);
    EXPECT_EQ(image[8], 8);
    EXPECT_EQ(at<std::uint16_t>(image, 9), 0x0909);
    EXPECT_EQ(at<std::uint16_t>(image, 11), 0x0B0B);
    EXPECT_EQ(image[13], 13);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&image[14])), "A1_2");
    EXPECT_EQ(image[78], 'w');
    EXPECT_EQ(image[149], 'w');
    EXPECT_EQ(image[152], 0x11);
    EXPECT_EQ(at<double>(image, 177), 0.8);
    EXPECT_EQ(at<std::int32_t>(image, 185), 4);
    EXPECT_EQ(at<double>(image, 189), 1);
    EXPECT_EQ(at<double>(image, 205), 3);
    EXPECT_EQ(at<double>(image, 213), 4);
    EXPECT_EQ(at<double>(image, 229), 6);
    EXPECT_EQ(image[237], 1);
    EXPECT_EQ(at<std::int32_t>(image, 238), 3);
    EXPECT_EQ(at<std::uint32_t>(image, 242), 100u);
    EXPECT_EQ(at<std::uint16_t>(image, 246), 0x0246);
    EXPECT_EQ(at<std::uint16_t>(image, 248), 0x0248);
    EXPECT_EQ(at<std::uint16_t>(image, 250), 9);
    EXPECT_EQ(at<std::uint32_t>(image, 252), 101u);
    EXPECT_EQ(at<std::uint32_t>(image, 298), 102u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&image[256])), "Counterbored");
    EXPECT_EQ(at<std::int16_t>(image, 288), 4);
    EXPECT_EQ(at<std::uint16_t>(image, 290), 0x0102);
    EXPECT_EQ(at<std::int16_t>(image, 292), -1);
    EXPECT_EQ(at<std::int16_t>(image, 294), -1);
    EXPECT_EQ(image[296], 1);
    EXPECT_EQ(image[297], 1);
    EXPECT_EQ(at<std::int16_t>(image, 302), 1);
    EXPECT_EQ(image[305], 1);
    EXPECT_EQ(at<std::uint32_t>(image, 306), 103u);
    EXPECT_EQ(at<std::uint32_t>(image, 310), 104u);
    EXPECT_EQ(image[314], 1);
    for (std::size_t i = 315; i <= 319; ++i) EXPECT_EQ(image[i], i - 300) << i;
    EXPECT_EQ(image[323], 0x23);
    EXPECT_EQ(image[325], 1);
    EXPECT_EQ(image[326], 2);
    EXPECT_EQ(image[327], 3);
    EXPECT_EQ(at<std::uint16_t>(image, 328), 0x0328);
    EXPECT_EQ(at<std::uint16_t>(image, 330), 0x0330);
    EXPECT_EQ(at<std::int16_t>(image, 332), -332);
    EXPECT_EQ(image[347], 0x47);
    EXPECT_EQ(at<std::int16_t>(image, 348), 3);
    EXPECT_EQ(at<std::int16_t>(image, 350), 1);
    EXPECT_EQ(at<std::int16_t>(image, 352), 2);
    EXPECT_EQ(at<std::int16_t>(image, 354), -1);
    EXPECT_EQ(image[356], 1);
    EXPECT_EQ(at<double>(image, 357), 1.25);
    EXPECT_EQ(at<double>(image, 365), 2.5);
    EXPECT_EQ(at<double>(image, 373), -3.75);
    EXPECT_EQ(at<std::int32_t>(image, 381), 77);
    EXPECT_EQ(at<std::int32_t>(image, 385), 2);
    EXPECT_EQ(at<std::uint32_t>(image, 389), 105u);
    EXPECT_EQ(at<std::uint32_t>(image, 393), 106u);
    EXPECT_EQ(at<std::uint32_t>(image, 397), 0x03970397u);
    EXPECT_EQ(at<std::uint32_t>(image, 401), 107u);
    EXPECT_EQ(at<std::uint32_t>(image, 405), 108u);
    EXPECT_EQ(at<double>(image, 409), 8.5);
    EXPECT_EQ(image[421], 1);
    EXPECT_EQ(image[422], 1);
    EXPECT_EQ(at<std::int16_t>(image, 423), -1);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&image[425])), "12 x 30");
    EXPECT_EQ(image[502], 1);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&image[503])), "DRILL 12");
    EXPECT_EQ(at<std::int32_t>(image, 545), 78);
    EXPECT_EQ(image[550], 1);
    EXPECT_EQ(image[551], 1);
    EXPECT_EQ(at<double>(image, 552), -9.5);
    EXPECT_EQ(image[563], 1);
    EXPECT_EQ(at<double>(image, 564), -4.5);
    EXPECT_EQ(at<std::int32_t>(image, 572), 79);
    EXPECT_EQ(at<std::int32_t>(image, 576), 5);
    EXPECT_EQ(at<std::int32_t>(image, 580), 6);
    EXPECT_EQ(image[585], 0x5F);
}

TEST(TreeImageLayout, SegmentFieldsSitAtTheirOffsets) {
    LINK_TARGETS t;
    CYL_LIST c;
    c.cUniv[0] = 1;
    c.cUniv[2] = 3;
    c.matrix[0][0] = 4;
    c.matrix[2][0] = 0.5;   // zDir
    c.viewNumber = 9;
    c.zSup = 10;
    c.rSup = 11;
    c.zInf = 12;
    c.rInf = 13;
    c.Ai = 14;
    c.Asw = 15;
    c.rFlatMinBtm = 16;
    c.secAng = 17;
    c.fitPreDrill = 18;
    c.threadDiam = 19;
    c.threadPitch = 20;
    c.threadTable = -2;
    c.isTap = 1;
    c.isFit = 2;
    c.attribSuffix = 3;
    c.topFlat = 4;
    c.bottomFlat = 5;
    c.topClosed = 6;
    c.bottomClosed = 7;
    c.topRingClosed = 8;
    c.bottomRingClosed = 9;
    c.entCount = 16;
    c.ents[0] = {-7, 12, 1001, 55};
    c.ents[15] = {8, 3, 1016, 66};
    c.prev = static_cast<CYL_LIST*>(t[0]);
    c.next = static_cast<CYL_LIST*>(t[1]);
    c.rToric = 21;
    c.rCtoric = 22;
    c.zToric = 23;
    c.featureDepth = 24;
    c.rFlatMinTop = 25;
    c.rFlatMaxTop = 26;
    c.rFlatMaxBtm = 27;
    c.ovlpCount = 2;
    c.ovlp[1] = {{1, 2, 3, 4}, 28, 29, 30, 31};
    c.viewIdn = 123;
    c.featureFromBottom = 1;
    std::strcpy(c.threadName, "M12x1.75");
    std::strcpy(c.fitClass, "H7");
    c.mergedCount = 1;
    c.merged[0] = {{5, 6, 7, 8}, 32, 33, 34, 35};
    c.featureOrigin = 1;

    const Bytes image = cylImage(c, t.ids());
    ASSERT_EQ(image.size(), 777u);
    EXPECT_EQ(at<double>(image, 0), 1);
    EXPECT_EQ(at<double>(image, 16), 3);
    EXPECT_EQ(at<double>(image, 24), 4);
    EXPECT_EQ(at<double>(image, 72), 0.5);
    EXPECT_EQ(at<std::uint16_t>(image, 96), 9);
    const double doubles[] = {10, 11, 12, 13, 14, 15};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(at<double>(image, 98 + 8 * i), doubles[i]) << i;
    EXPECT_EQ(at<std::uint64_t>(image, 146), 0u);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(at<double>(image, 154 + 8 * i), 16.0 + i) << i;
    EXPECT_EQ(at<std::int16_t>(image, 194), -2);
    for (int i = 0; i < 9; ++i) EXPECT_EQ(image[196 + i], i + 1) << i;
    EXPECT_EQ(at<std::int16_t>(image, 205), 16);
    EXPECT_EQ(at<std::int32_t>(image, 207), -7);
    EXPECT_EQ(at<std::uint16_t>(image, 211), 12);
    EXPECT_EQ(at<std::int32_t>(image, 213), 1001);
    EXPECT_EQ(at<std::uint32_t>(image, 217), 55u);
    EXPECT_EQ(at<std::int32_t>(image, 207 + 15 * 14 + 6), 1016);
    EXPECT_EQ(at<std::uint32_t>(image, 427), 66u);
    EXPECT_EQ(at<std::uint32_t>(image, 431), 100u);
    EXPECT_EQ(at<std::uint32_t>(image, 435), 101u);
    for (int i = 0; i < 7; ++i) EXPECT_EQ(at<double>(image, 439 + 8 * i), 21.0 + i) << i;
    EXPECT_EQ(at<std::int16_t>(image, 495), 2);
    EXPECT_EQ(at<std::uint16_t>(image, 537), 1);
    EXPECT_EQ(at<std::uint16_t>(image, 543), 4);
    EXPECT_EQ(at<double>(image, 545), 28);
    EXPECT_EQ(at<double>(image, 569), 31);
    EXPECT_EQ(at<std::int16_t>(image, 594), 123);
    EXPECT_EQ(image[596], 1);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&image[597])), "M12x1.75");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&image[661])), "H7");
    EXPECT_EQ(at<std::int16_t>(image, 693), 1);
    EXPECT_EQ(at<std::uint16_t>(image, 695), 5);
    EXPECT_EQ(at<double>(image, 703), 32);
    EXPECT_EQ(at<double>(image, 727), 35);
    EXPECT_EQ(at<std::int16_t>(image, 775), 1);
}

// ---- every byte through a round trip ----------------------------------------------------------------------

// Offsets of the link slots, which a reader hands back instead of keeping.
const std::vector<std::size_t> kViewLinks = {477, 481, 485};
const std::vector<std::size_t> kPointLinks = {242, 252, 298, 306, 310, 389, 393, 401, 405};
const std::vector<std::size_t> kCylLinks = {431, 435};

// A random image that a reader takes: the right kind and counts in range.
Bytes validViewImage(std::mt19937& rng) {
    Bytes image = randomBytes(rng, kViewListSize);
    putAt<std::uint16_t>(image, 0, 1);
    return image;
}
Bytes validPointImage(std::mt19937& rng) {
    Bytes image = randomBytes(rng, kPointListSize);
    putAt<std::uint16_t>(image, 0, 2);
    return image;
}
Bytes validCylImage(std::mt19937& rng) {
    Bytes image = randomBytes(rng, kCylListSize);
    putAt<std::int16_t>(image, 205, static_cast<std::int16_t>(rng() % 17));
    putAt<std::int16_t>(image, 495, static_cast<std::int16_t>(rng() % 3));
    putAt<std::int16_t>(image, 693, static_cast<std::int16_t>(rng() % 3));
    return image;
}

// Relinks a read record to stand-ins whose ids are the slot values read, as the loader would.
struct RELINKED_IDS {
    std::vector<std::pair<const void*, std::uint32_t>> map;
    void* link(std::uint32_t id) {
        if (!id) return nullptr;
        auto* target = new char;
        map.emplace_back(target, id);
        return target;
    }
    ~RELINKED_IDS() {
        for (auto& [p, id] : map) delete static_cast<const char*>(p);
    }
    TREE_LINK_ID ids() const {
        return [this](const void* p) {
            for (auto& [q, id] : map)
                if (q == p) return id;
            ADD_FAILURE() << "unknown link";
            return 0u;
        };
    }
};

TEST(TreeImageRoundTrip, ViewImagesComeBackByteForByteWithTheirLinks) {
    std::mt19937 rng(11);
    for (int round = 0; round < 50; ++round) {
        const Bytes image = validViewImage(rng);
        VIEW_LIST v;
        VIEW_LINKS links;
        ASSERT_EQ(readViewImage(image.data(), image.size(), v, &links), IMAGE_STATUS::ok);
        EXPECT_EQ(v.firstPoint, nullptr);
        EXPECT_EQ(v.next, nullptr);
        EXPECT_EQ(links.firstPoint, at<std::uint32_t>(image, 477));
        EXPECT_EQ(links.prev, at<std::uint32_t>(image, 481));
        EXPECT_EQ(links.next, at<std::uint32_t>(image, 485));
        RELINKED_IDS r;
        v.firstPoint = static_cast<POINT_LIST*>(r.link(links.firstPoint));
        v.prev = static_cast<VIEW_LIST*>(r.link(links.prev));
        v.next = static_cast<VIEW_LIST*>(r.link(links.next));
        EXPECT_EQ(viewImage(v, r.ids()), image);
    }
}

TEST(TreeImageRoundTrip, PointImagesComeBackByteForByteWithTheirLinks) {
    std::mt19937 rng(12);
    for (int round = 0; round < 50; ++round) {
        const Bytes image = validPointImage(rng);
        POINT_LIST p;
        POINT_LINKS l;
        ASSERT_EQ(readPointImage(image.data(), image.size(), p, &l), IMAGE_STATUS::ok);
        EXPECT_EQ(l.view, at<std::uint32_t>(image, 393));
        EXPECT_EQ(l.deepSplitPrev, at<std::uint32_t>(image, 310));
        RELINKED_IDS r;
        p.nextEqual = static_cast<POINT_LIST*>(r.link(l.nextEqual));
        p.descs = static_cast<CIL_DESC*>(r.link(l.descs));
        p.opeList = static_cast<OPE_LIST*>(r.link(l.opeList));
        p.deepSplitNext = static_cast<POINT_LIST*>(r.link(l.deepSplitNext));
        p.deepSplitPrev = static_cast<POINT_LIST*>(r.link(l.deepSplitPrev));
        p.firstCyl = static_cast<CYL_LIST*>(r.link(l.firstCyl));
        p.view = static_cast<VIEW_LIST*>(r.link(l.view));
        p.prev = static_cast<POINT_LIST*>(r.link(l.prev));
        p.next = static_cast<POINT_LIST*>(r.link(l.next));
        EXPECT_EQ(pointImage(p, r.ids()), image);
    }
}

TEST(TreeImageRoundTrip, SegmentImagesComeBackByteForByteWithTheirLinks) {
    std::mt19937 rng(13);
    for (int round = 0; round < 50; ++round) {
        const Bytes image = validCylImage(rng);
        CYL_LIST c;
        CYL_LINKS l;
        ASSERT_EQ(readCylImage(image.data(), image.size(), c, &l), IMAGE_STATUS::ok);
        RELINKED_IDS r;
        c.prev = static_cast<CYL_LIST*>(r.link(l.prev));
        c.next = static_cast<CYL_LIST*>(r.link(l.next));
        EXPECT_EQ(cylImage(c, r.ids()), image);
    }
}

// ---- earlier releases ------------------------------------------------------------------------------------

TEST(TreeImageOlderForms, AShorterImageLeavesTheMissingFieldsZero) {
    std::mt19937 rng(21);
    Bytes image = validPointImage(rng);
    image.resize(400);   // ends inside the axis line's id, before `prev`: the links and all after them are missing
    POINT_LIST p;
    POINT_LINKS l;
    ASSERT_EQ(readPointImage(image.data(), image.size(), p, &l), IMAGE_STATUS::ok);
    EXPECT_EQ(p.id, at<std::int32_t>(image, 381));
    EXPECT_EQ(l.prev, 0u);
    EXPECT_EQ(p.crashTopZ, 0);
    EXPECT_EQ(p.tableIndex, 0);
    EXPECT_STREQ(p.processName, "");
    EXPECT_EQ(p.splitPartnerId, 0);
    const Bytes back = pointImage(p);
    EXPECT_EQ(Bytes(back.begin() + 409, back.end()), Bytes(kPointListSize - 409, 0));
}

TEST(TreeImageOlderForms, APointWithoutKindIsReadAsAPoint) {
    Bytes image(kPointListSize, 0);
    POINT_LIST p;
    p.kind = 7;
    ASSERT_EQ(readPointImage(image.data(), image.size(), p, nullptr), IMAGE_STATUS::ok);
    EXPECT_EQ(p.kind, 2);
    EXPECT_EQ(pointImage(p)[0], 2);
}

// The 629-byte segment of "DRLTd65" tables: 12-byte entity entries with a 16-bit level.
TEST(TreeImageOlderForms, AnOldSegmentIsWidenedWithItsLevelsSignExtended) {
    std::mt19937 rng(22);
    Bytes old = randomBytes(rng, kOldCylListSize);
    putAt<std::int16_t>(old, 205, 16);
    for (int i = 0; i < 16; ++i) {
        const std::size_t e = 207 + 12 * static_cast<std::size_t>(i);
        putAt<std::int16_t>(old, e, static_cast<std::int16_t>(i % 2 ? -i : i * 1000));
        putAt<std::uint16_t>(old, e + 2, static_cast<std::uint16_t>(40000 + i));
        putAt<std::int32_t>(old, e + 4, 5000 + i);
        putAt<std::uint32_t>(old, e + 8, 900u + static_cast<std::uint32_t>(i));
    }
    const std::size_t tail = 207 + 16 * 12;   // 399
    putAt<std::int16_t>(old, tail + (495 - 431), 1);   // ovlpCount, moved with the tail
    putAt<std::int16_t>(old, tail + (594 - 431), 77);  // viewIdn

    CYL_LIST c;
    CYL_LINKS l;
    ASSERT_EQ(readOldCylImage(old.data(), old.size(), c, &l), IMAGE_STATUS::ok);
    EXPECT_EQ(c.entCount, 16);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(c.ents[i].level, i % 2 ? -i : i * 1000) << i;
        EXPECT_EQ(c.ents[i].colour, 40000 + i) << i;
        EXPECT_EQ(c.ents[i].id, 5000 + i) << i;
        EXPECT_EQ(c.ents[i].entry, 900u + static_cast<std::uint32_t>(i)) << i;
    }
    EXPECT_EQ(l.prev, at<std::uint32_t>(old, tail));
    EXPECT_EQ(l.next, at<std::uint32_t>(old, tail + 4));
    EXPECT_EQ(c.ovlpCount, 1);
    EXPECT_EQ(c.viewIdn, 77);

    const Bytes wide = cylImage(c);
    EXPECT_EQ(Bytes(wide.begin(), wide.begin() + 207), Bytes(old.begin(), old.begin() + 207));
    EXPECT_EQ(Bytes(wide.begin() + 439, wide.begin() + 661), Bytes(old.begin() + tail + 8, old.end()));
    EXPECT_EQ(Bytes(wide.begin() + 661, wide.end()), Bytes(kCylListSize - 661, 0));   // fitClass on: new
}

// ---- damaged images ----------------------------------------------------------------------------------------

TEST(TreeImageDamage, WrongKindsOversizeAndCountsPastTheArraysAreRefusedLeavingTheRecord) {
    std::mt19937 rng(31);
    VIEW_LIST v;
    v.viewNumber = 42;
    Bytes view = validViewImage(rng);
    putAt<std::uint16_t>(view, 0, 2);
    EXPECT_EQ(readViewImage(view.data(), view.size(), v, nullptr), IMAGE_STATUS::wrongKind);
    putAt<std::uint16_t>(view, 0, 1);
    view.push_back(0);
    EXPECT_EQ(readViewImage(view.data(), view.size(), v, nullptr), IMAGE_STATUS::oversize);
    EXPECT_EQ(v.viewNumber, 42);

    POINT_LIST p;
    p.id = 5;
    Bytes point = validPointImage(rng);
    putAt<std::uint16_t>(point, 0, 5);
    EXPECT_EQ(readPointImage(point.data(), point.size(), p, nullptr), IMAGE_STATUS::wrongKind);
    EXPECT_EQ(p.id, 5);

    CYL_LIST c;
    c.zSup = 3;
    CYL_LINKS links{7, 8};
    const std::pair<std::size_t, std::int16_t> badCounts[] = {{205, 17}, {205, -1}, {495, 3}, {693, 3}, {693, -2}};
    for (auto [offset, count] : badCounts) {
        Bytes cyl = validCylImage(rng);
        putAt(cyl, offset, count);
        EXPECT_EQ(readCylImage(cyl.data(), cyl.size(), c, &links), IMAGE_STATUS::badCount) << offset << " " << count;
    }
    EXPECT_EQ(c.zSup, 3);
    EXPECT_EQ(links.prev, 7u);
    Bytes old(kOldCylListSize + 1, 0);
    EXPECT_EQ(readOldCylImage(old.data(), old.size(), c, nullptr), IMAGE_STATUS::oversize);
    putAt<std::int16_t>(old, 205, 20);
    EXPECT_EQ(readOldCylImage(old.data(), kOldCylListSize, c, nullptr), IMAGE_STATUS::badCount);
}

// Random bytes of random lengths: every reader either refuses or reads exactly what the bytes say (the link
// slots handed back, the missing tail zero).
TEST(TreeImageDamage, RandomImagesAreRefusedOrReadExactly) {
    std::mt19937 rng(32);
    auto expected = [](const Bytes& image, std::size_t full, const std::vector<std::size_t>& linkSlots) {
        Bytes e(full, 0);
        std::copy_n(image.begin(), std::min(image.size(), full), e.begin());
        for (std::size_t slot : linkSlots) putAt<std::uint32_t>(e, slot, 0);
        return e;
    };
    int accepted = 0;
    for (int round = 0; round < 3000; ++round) {
        const std::size_t size = rng() % 900;
        Bytes image = randomBytes(rng, size);
        if (size >= 2 && rng() % 2) putAt<std::uint16_t>(image, 0, static_cast<std::uint16_t>(rng() % 3));

        VIEW_LIST v;
        const IMAGE_STATUS vs = readViewImage(image.data(), size, v, nullptr);
        if (size > kViewListSize) {
            EXPECT_EQ(vs, IMAGE_STATUS::oversize);
        }
        if (vs == IMAGE_STATUS::ok) {
            ++accepted;
            EXPECT_EQ(viewImage(v), expected(image, kViewListSize, kViewLinks));
        }

        POINT_LIST p;
        const IMAGE_STATUS ps = readPointImage(image.data(), size, p, nullptr);
        if (size > kPointListSize) {
            EXPECT_EQ(ps, IMAGE_STATUS::oversize);
        }
        if (ps == IMAGE_STATUS::ok) {
            ++accepted;
            Bytes e = expected(image, kPointListSize, kPointLinks);
            putAt<std::uint16_t>(e, 0, 2);
            EXPECT_EQ(pointImage(p), e);
        }

        CYL_LIST c;
        const IMAGE_STATUS cs = readCylImage(image.data(), size, c, nullptr);
        if (size > kCylListSize) {
            EXPECT_EQ(cs, IMAGE_STATUS::oversize);
        }
        if (cs == IMAGE_STATUS::ok) {
            ++accepted;
            EXPECT_EQ(cylImage(c), expected(image, kCylListSize, kCylLinks));
        }
        CYL_LIST old;
        const IMAGE_STATUS os = readOldCylImage(image.data(), size, old, nullptr);
        if (size > kOldCylListSize) {
            EXPECT_EQ(os, IMAGE_STATUS::oversize);
        }
        if (os == IMAGE_STATUS::ok) {
            EXPECT_LE(old.entCount, kMaxCylEnts);
        }
    }
    EXPECT_GT(accepted, 100);   // the inputs reach the reading, not only the refusals
}

}  // namespace
