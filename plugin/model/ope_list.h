// The process engine's records that hang on a hole of the recognition tree (plugin/recognition/tree.h):
// its operations (OPE_LIST, a chain from POINT_LIST::opeList), each operation's process copy (PROCESS_OPE)
// and the hole's description array (CIL_DESC, POINT_LIST::descs). All are kept in the part as byte
// images of fixed size; the codecs below are the one place that knows their offsets. `areaN` members are
// image bytes at offset N whose fields the engine has not named yet; they are carried unchanged.
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

// One item of a hole's description array.
struct CIL_DESC : BYTE_RECORD<333> {};

// The fields of CIL_DESC, a packed record: byte offsets in order (u8 flags, i16 codes, f64 values; texts of
// 32 bytes). Lengths in the part's units, angles in radians; Z along the hole axis in the view's coordinates.
namespace cil_desc_layout {
constexpr std::size_t opeGeo = 0, D = 2, zTop = 10, zBottom = 18, coneAngle = 26, L = 34, L2 = 42, Flat = 58,
                      TipTool = 59, Through = 60, flatInnerDiameter = 63, flipped = 71, tipAngle = 72,
                      threadCode = 80, threadDiameter = 82, threadPitch = 90, threadDepth = 98, topChamfer = 106,
                      chamferDiameter = 107, chamferZ = 115, chamferAngle = 123, bottomRound = 131,
                      bottomRoundCentreR = 139, bottomRoundCentreZ = 147, bottomArcStart = 155,
                      bottomArcSweep = 163, bottomArcEnds = 171, bottomRing = 203, bottomRingDiameter = 204,
                      bottomRingZ = 212, topRound = 220, topRoundTorus = 221, topRoundStart = 245,
                      topRoundSweep = 253, threadName = 261, entityId = 293, fitName = 297, carried = 329,
                      threadKind = 331;
constexpr std::size_t kTextSize = 32;
}  // namespace cil_desc_layout

// CIL_DESC unpacked, for code that works on many of its fields; `cilValues` and `toCilDesc` convert
// field by field (texts cut to 31 characters).
struct CIL_VALUES {
    std::int16_t opeGeo = 0;        // 0 plain bore, 1 threaded, 2 fitted
    double D = 0, zTop = 0, zBottom = 0, coneAngle = 0, L = 0, L2 = 0;
    std::uint8_t Flat = 0, TipTool = 0, Through = 0;
    double flatInnerDiameter = 0;
    std::uint8_t flipped = 0;
    double tipAngle = 0;            // full angle
    std::int16_t threadCode = 0;
    double threadDiameter = 0, threadPitch = 0, threadDepth = 0;
    std::uint8_t topChamfer = 0;
    double chamferDiameter = 0, chamferZ = 0, chamferAngle = 0;
    double bottomRound = 0, bottomRoundCentreR = 0, bottomRoundCentreZ = 0, bottomArcStart = 0,
           bottomArcSweep = 0;
    double bottomArcEnds[4] = {};   // zSup, rSup, zInf, rInf of the arc segment
    std::uint8_t bottomRing = 0;
    double bottomRingDiameter = 0, bottomRingZ = 0;
    std::uint8_t topRound = 0;
    double topRoundTorus[3] = {};   // rToric, rCtoric, zToric
    double topRoundStart = 0, topRoundSweep = 0;
    std::string threadName;
    std::uint32_t entityId = 0;
    std::string fitName;
    std::int16_t carried = 0;
    std::int16_t threadKind = 0;
};
CIL_VALUES cilValues(const CIL_DESC& desc);
CIL_DESC toCilDesc(const CIL_VALUES& values);
// A text field of the record (threadName, fitName), ended by its first zero or the field's end.
std::string cilText(const CIL_DESC& desc, std::size_t at);
// Cut to kTextSize - 1 characters, the rest zero-filled.
void setCilText(CIL_DESC& desc, std::size_t at, std::string_view text);

// One operation of a hole, allocated zero-filled but for `kind`. The members stand in their image order;
// `areaN` members are image bytes at offset N that hold no field of the engine (kept unchanged, the tool
// layout's own fields among them).
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
    std::uint8_t area397[4] = {};
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
    std::uint8_t toolAddedToLibrary = 0;
    std::uint8_t toolChangedByUser = 0;
    std::uint16_t stepCount = 0;
    std::uint32_t entityId = 0;
    double toolLength = 0;
    std::uint8_t area767[49] = {};
};

namespace ope_layout {
constexpr std::size_t kind = 0, active = 2, comment = 4, name = 86, opIndex = 212, cycle = 216, drillMode = 220,
                      through = 222, flat = 223, milledDiam = 224, holeTopZ = 232, zSup = 240, zInf = 248,
                      threadDepth = 256, brkthr = 264, tableValue = 272, tipTool = 280, angle = 281,
                      clearanceZ = 289, area297 = 297, view = 333, toolType = 337, toolIndex = 341,
                      toolValue = 345, toolDiam = 349, pitch = 357, tipDiam = 365, toolDiam2 = 373,
                      angleDeg = 381, cornerRadius = 389, area397 = 397, point = 401, prev = 405, next = 409,
                      btmRadius = 413, splitSecond = 421, threadCode = 422, coneAngle = 424, chamferDiam = 432,
                      chamferZ = 440, area448 = 448, processOpe = 464, profile = 468, toolName = 508,
                      altToolName = 628, altToolNumber = 748, newTool = 750, toolAddedToLibrary = 751,
                      toolChangedByUser = 752, stepCount = 753, entityId = 755, toolLength = 759, area767 = 767;
}

// The bytes of an operation's member that holds image bytes [at, at + n), null when they are not all in
// one member or fall on a link. Callers that address operation fields by image offset go through here.
std::uint8_t* opeFieldBytes(OPE_LIST& ope, std::size_t at, std::size_t n);

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

// The same for the records that are all bytes.
template <class RECORD>
[[nodiscard]] bool byteRecordFromImage(const std::uint8_t* image, std::size_t n, RECORD& record) {
    if (n > RECORD::kSize) return false;
    record = RECORD{};
    if (n) std::memcpy(record.bytes, image, n);
    return true;
}
