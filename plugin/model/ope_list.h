// The process engine's records that hang on a hole of the recognition tree (plugin/model/tree.h):
// its operations (OPE_LIST, a chain from POINT_LIST::opeList), each operation's process copy (PROCESS_OPE)
// and the hole's description array (CIL_DESC, POINT_LIST::descs). All are kept in the part as byte
// images of fixed size; the codecs below are the one place that knows their offsets. `areaN` members are
// image bytes at offset N that hold no field the plug-in uses; they are carried unchanged.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "plugin/model/record_image.h"
#include "plugin/model/process_ope.h"
#include "plugin/model/tree.h"

struct VIEW_LIST;
struct POINT_LIST;

// One item of a hole's description array: a cylinder or cone of the hole in one process table's terms, with
// the chamfer, tip, flat, rounds, thread and fit at its ends folded in. Lengths in the part's units, angles in
// radians; Z along the hole axis in the view's coordinates, zTop above zBottom. Texts are zero-ended.
struct CIL_DESC {
    static constexpr std::size_t kSize = 333, kTextSize = 32;

    std::int16_t opeGeo = 0;                // 0 plain bore, 1 threaded, 2 fitted
    double D = 0;                           // diameter
    double zTop = 0, zBottom = 0;
    double coneAngle = 0;                   // half angle of a cone, 0 for a cylinder
    double L = 0, L2 = 0;                   // length, and the length the row matching bounds (the same)
    std::uint8_t reserved50[8] = {};
    std::uint8_t Flat = 0;                  // the bottom is a flat ring or floor
    std::uint8_t TipTool = 0;               // the bottom is a cone left by the tool tip
    std::uint8_t Through = 0;               // on the last item: the hole is open at the bottom
    std::uint8_t reserved61[2] = {};
    double flatInnerDiameter = 0;           // of a flat ring between the bore and a narrower tip cone
    std::uint8_t flipped = 0;               // toggled each time the item is turned end for end
    double tipAngle = 0;                    // full angle of the tip cone
    std::int16_t threadCode = 0;
    double threadDiameter = 0, threadPitch = 0, threadDepth = 0;
    std::uint8_t topChamfer = 0;            // a chamfer cone at the top is folded in
    double chamferDiameter = 0;             // its outer diameter
    double chamferZ = 0;                    // Z of its lower edge
    double chamferAngle = 0;                // its half angle
    double bottomRound = 0;                 // torus radius of a rounded bottom, 0 none
    double bottomRoundCentreR = 0, bottomRoundCentreZ = 0;
    double bottomArcStart = 0, bottomArcSweep = 0;
    double bottomArcEnds[4] = {};           // zSup, rSup, zInf, rInf of the arc segment
    std::uint8_t bottomRing = 0;
    double bottomRingDiameter = 0, bottomRingZ = 0;
    std::uint8_t topRound = 0;              // a rounded (toric) edge at the top is folded in
    double topRoundTorus[3] = {};           // its rToric, rCtoric, zToric
    double topRoundStart = 0, topRoundSweep = 0;
    char threadName[kTextSize] = {};        // thread designation
    std::uint32_t entityId = 0;             // host entity of the segment's first surface, 0 none
    char fitName[kTextSize] = {};           // fit class
    std::int16_t carried = 0;               // a value carried over from the segment; nothing reads it
    std::int16_t threadKind = 0;

    bool operator==(const CIL_DESC&) const = default;
};

// One operation of a hole, allocated zero-filled but for `kind`. The members stand in their image order.
struct OPE_LIST {
    static constexpr std::size_t kSize = 816;
    static constexpr std::size_t kCommentSize = 82, kNameSize = 126, kToolNameSize = 120;

    std::uint16_t kind = 3;
    std::uint16_t active = 0;               // on in the process tree; operation creation takes only these
    char comment[kCommentSize] = {};        // the host operation's comment
    char name[kNameSize] = {};              // the definition's name
    std::uint32_t opIndex = 0;              // index of the definition within its process
    std::uint32_t cycle = 0;
    std::int16_t drillMode = 0;             // drills: where the diameter came from; 12 limited by depth
    std::uint8_t through = 0;
    std::uint8_t flat = 0;
    double milledDiam = 0;
    double holeTopZ = 0;
    double zSup = 0;
    double zInf = 0;
    double threadDepth = 0;
    double brkthr = 0;
    double tableValue = 0;                  // taps: the thread value; reamers and boring bars: the fit value
    std::uint8_t tipTool = 0;
    double angle = 0;                       // full tip angle, radians
    double clearanceZ = 0;                  // the view's clearance plane, set by the recognition run
    std::uint8_t area297[36] = {};
    VIEW_LIST* view = nullptr;              // owner's view
    std::uint32_t toolType = 0;
    std::int32_t toolIndex = 0;             // into the plug-in's tool array; -1 none (set by the tool layout)
    std::uint32_t toolValue = 0;            // set with toolIndex by the tool layout
    double toolDiam = 0;
    double pitch = 0;
    double tipDiam = 0;
    double toolDiam2 = 0;
    double angleDeg = 0;                    // full tip angle, degrees
    double cornerRadius = 0;
    std::uint8_t showOnFill = 0;            // the process tree scrolls to the operation at its next fill
    std::uint8_t area398[3] = {};
    POINT_LIST* point = nullptr;            // owner hole
    OPE_LIST* prev = nullptr;
    OPE_LIST* next = nullptr;
    double btmRadius = 0;
    std::uint8_t splitSecond = 0;           // the second operation of a depth split
    std::uint16_t threadCode = 0;
    double coneAngle = 0;
    double chamferDiam = 0;
    double chamferZ = 0;
    std::uint8_t area448[16] = {};
    // The operation's own copy of its process definition. Operations made by the engine each hold one;
    // freeing a tree never frees a copy twice nor keeps one alive.
    std::shared_ptr<PROCESS_OPE> processOpe;
    double profile[5] = {};                 // conical mill: cutting length, then two points (diameter, Z)
    char toolName[kToolNameSize] = {};
    char altToolName[kToolNameSize] = {};
    std::uint16_t altToolNumber = 0;
    std::uint8_t newTool = 0;
    std::uint8_t toolAddedToLibrary = 0;    // the sequencing run put the made tool into the tool library
    std::uint8_t toolChangedByUser = 0;
    std::uint16_t stepCount = 0;
    std::uint32_t entityId = 0;
    double toolLength = 0;
    // The tool layout's own fields.
    std::int16_t material = 0;              // tool material code wanted
    double neededLength = 0;                // the length a made tool must have
    double wantedLength = 0;                // the length a tool should have
    std::uint8_t longTool = 0;              // a run of one diameter takes only operations with the same value
    std::uint8_t toolInLibrary = 0;         // the tools view put the operation's tool into the tool library
    std::int32_t holeRow = 0;               // row of its hole in the tool matrix
    std::int32_t layer = 0;                 // layer of the tool matrix
    std::int32_t pointCount = 0;            // holes the operation machines
    std::int32_t toolNumber = 0;            // the tool's number on the machine
    std::int32_t groupId = 0;               // the host operation group made for it
    std::uint8_t toolExpanded = 0;          // the tools view left the item of its tool expanded
    std::uint8_t area808[8] = {};
};

namespace ope_layout {
constexpr std::size_t kind = 0, active = 2, comment = 4, name = 86, opIndex = 212, cycle = 216, drillMode = 220,
                      through = 222, flat = 223, milledDiam = 224, holeTopZ = 232, zSup = 240, zInf = 248,
                      threadDepth = 256, brkthr = 264, tableValue = 272, tipTool = 280, angle = 281,
                      clearanceZ = 289, area297 = 297, view = 333, toolType = 337, toolIndex = 341,
                      toolValue = 345, toolDiam = 349, pitch = 357, tipDiam = 365, toolDiam2 = 373,
                      angleDeg = 381, cornerRadius = 389, showOnFill = 397, area398 = 398, point = 401,
                      prev = 405, next = 409, btmRadius = 413, splitSecond = 421, threadCode = 422,
                      coneAngle = 424, chamferDiam = 432, chamferZ = 440, area448 = 448, processOpe = 464,
                      profile = 468, toolName = 508, altToolName = 628, altToolNumber = 748, newTool = 750,
                      toolAddedToLibrary = 751,
                      toolChangedByUser = 752, stepCount = 753, entityId = 755, toolLength = 759, material = 767,
                      neededLength = 769, wantedLength = 777, longTool = 785, toolInLibrary = 786, holeRow = 787,
                      layer = 791, pointCount = 795, toolNumber = 799, groupId = 803, toolExpanded = 807,
                      area808 = 808;
}

// Whether the operation's tool is in the tool library: stored by the sequencing run or from the tools view.
// Records kept by releases whose run marked toolInLibrary read the same.
inline bool toolStoredInLibrary(const OPE_LIST& op) { return op.toolInLibrary != 0 || op.toolAddedToLibrary != 0; }

// The text of a character field, ended by its first zero or the field's end.
template <std::size_t N>
std::string fieldText(const char (&field)[N]) {
    const void* end = std::memchr(field, 0, N);
    return std::string(field, end ? static_cast<const char*>(end) - field : N);
}
// Cut to N - 1 characters, the rest zero-filled.
template <std::size_t N>
void setFieldText(char (&field)[N], std::string_view text) {
    std::memset(field, 0, N);
    std::memcpy(field, text.data(), std::min(text.size(), N - 1));
}

// ---- chamfer milling -----------------------------------------------------------------------------------------
// A chamfer mill enters beside the bore by the chamfer's width and goes a fifth of the chamfer's `height`
// below its foot, so that the edge is cut whole. The entry length is the tip's depth below the chamfer's
// top edge for the tool's full point angle `angleDeg`.
[[nodiscard]] double chamferMillWidth(const OPE_LIST& op);
[[nodiscard]] double chamferMillEntry(const OPE_LIST& op, double height);

// ---- allocation -------------------------------------------------------------------------------------------
// Declared with the tree (plugin/recognition/tree.h) too: the tree's freeing releases a hole's records.
// Releases the chain from `first` following `next`; process copies go with their last operation.
void freeOpeChain(OPE_LIST* first);
// `count` zero-filled items; null for 0.
CIL_DESC* allocCilDescs(std::size_t count);
void freeCilDescs(CIL_DESC* descs);

// ---- images ------------------------------------------------------------------------------------------------
// The image of an operation: every byte as held, the links as the identity numbers of the records they
// point to.
std::array<std::uint8_t, OPE_LIST::kSize> opeImage(const OPE_LIST& ope, const LinkIdOf& idOf);
// Fills `ope` from the first `n` bytes of an image, the rest zero (an earlier release's shorter record);
// every link null. False, and `ope` untouched, when n exceeds the record.
[[nodiscard]] bool opeFromImage(const std::uint8_t* image, std::size_t n, OPE_LIST& ope);

// The image of a description item, and back from the first `n` bytes of one (the rest zero). False, and
// `desc` untouched, when n exceeds the record.
std::array<std::uint8_t, CIL_DESC::kSize> cilDescImage(const CIL_DESC& desc);
[[nodiscard]] bool cilDescFromImage(const std::uint8_t* image, std::size_t n, CIL_DESC& desc);

// The same for the records that are all bytes.
template <class RECORD>
[[nodiscard]] bool byteRecordFromImage(const std::uint8_t* image, std::size_t n, RECORD& record) {
    if (n > RECORD::kSize) return false;
    record = RECORD{};
    if (n) std::memcpy(record.bytes, image, n);
    return true;
}
