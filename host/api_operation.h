// The host's operation record `operation`: 8984 bytes, handed to operation_manager zero-filled. Included by
// host/api_ops.h. The offsets the plug-in copies blocks from are the host's (code 4, sub-code 5, the double
// at 624, the extra block at 728, the blocks at 1376, 2040, 2104, 2176 and the kind block at 3288); every
// other field is this stand-in's and is placed here once. The in-memory record has exactly the image's
// layout (asserted below), and operationToImage/operationFromImage are its explicit little-endian codec.
// Lengths in part units, angles in radians, feeds in units per minute.
#pragma once
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <type_traits>

struct operation {
    std::int32_t id = 0;              // 0 until the operation is added
    std::uint8_t code = 0;            // operation code: 2 drill, 28 five-axis drill, 18 circle mill, 47 hole mill,
                                      // 1 contour, 106 helix bore, 100 thread mill
    std::uint8_t subCode = 0;
    std::uint8_t selected = 0;        // 1: selected in the operations manager
    std::uint8_t keep = 0;            // 1: a regeneration purge leaves the operation (and its group) alone
    std::int32_t groupId = 0;
    std::uint32_t dbEntity = 0;       // the operation's database entity (kOpEntityBase + id once added)
    char comment[120] = {};           // at most 119 characters
    // The tool part: what the operation keeps of its tool.
    std::int32_t toolSlot = 0;
    std::int32_t toolNumber = 0;
    std::int16_t toolType = 0;
    std::int16_t toolFlutes = 0;
    std::int32_t toolSpindle = 0;     // rpm
    double toolDiameter = 0;
    double toolCornerRadius = 0;
    double toolAngle = 0;             // tip angle, degrees (as the tool record keeps it)
    double toolPitch = 0;
    double toolFeeds[3] = {};         // feed, plunge, retract
    std::int32_t lengthOffset = 0;
    std::int32_t diameterOffset = 0;
    char toolName[72] = {};
    // Planes and origins.
    std::uint8_t toolPlaneOn = 0;
    std::uint8_t constrPlaneOn = 0;
    std::uint8_t wcsOn = 0;
    std::uint8_t levelOriginOn = 0;   // the origin comes from a point on `originLevel`
    std::int16_t toolPlaneView = 0;   // named view number, 0 for none
    std::int16_t constrPlaneView = 0;
    double toolPlaneMatrix[3][3] = {};
    double constrPlaneMatrix[3][3] = {};
    double planeOrigin[3] = {};
    double wcsMatrix[3][3] = {};
    double wcsOrigin[3] = {};
    std::int32_t originLevel = 0;
    // Heights: each on when its flag is 1; topOfStockIncremental 1 measures the top from the geometry.
    std::uint8_t clearanceOn = 0;
    std::uint8_t retractOn = 0;
    std::uint8_t topOfStockOn = 0;
    std::uint8_t topOfStockIncremental = 0;
    double levelOrigin[3] = {};
    double clearance = 0;
    double retract = 0;
    double topOfStock = 0;
    double depth = 0;
    double millOffset = 0;            // @624: XY stock to leave of the milled kinds
    std::uint8_t toolOptions[2] = {}; // two tool options the caller sets
    std::uint8_t firstHeight = 0;
    std::uint8_t tipOn = 0;           // depth measured to the tool's tip
    std::int16_t cycle = 0;           // drill cycle, 0..19 (0 simple drill, 1 peck, 2 chip break, 3 tap, ...)
    std::uint8_t clearanceAtEnds = 0; // 1: the clearance height only before the first and after the last point
    std::uint8_t reserved0 = 0;
    double tipValue = 0;              // breakthrough amount
    double pecks[4] = {};             // first peck, subsequent peck, peck clearance, chip-break retract
    double peckExtra[2] = {};         // shift, and the boring bar's second value
    double dwell = 0;                 // seconds
    std::uint8_t reserved1[24] = {};
    std::uint8_t extra[648] = {};     // @728: the milled kinds' filter and tolerance block (op_extra_layout)
    std::uint8_t compensation[6] = {};// @1376 (op_comp_layout)
    std::uint8_t reserved2[2] = {};
    std::int16_t fiveAxis[5] = {};    // tool-axis control, reserved, output (1 five-axis), two spare
    std::uint8_t reserved3[2] = {};
    std::int32_t singlePointOn = 0;   // single-point circle data: one hole per operation
    std::int32_t singlePointCount = 0;
    std::uint8_t reserved4[4] = {};
    double singlePointCentre[3] = {};
    double singlePointValues[2] = {}; // circle diameter and depth
    // Geometry counts, kept by the caller as it attaches geometry.
    std::int32_t geomEntities = 0;
    std::int32_t geomPoints = 0;
    std::int32_t chainCount = 0;
    std::int32_t chainCurves = 0;
    std::int32_t regenCount = 0;      // regenerations (nci_manager mode 8); the host's own
    std::uint8_t nciValid = 0;        // 1 after a regeneration that succeeded; the host's own
    std::uint8_t reserved5[571] = {};
    std::uint8_t depthCuts[64] = {};  // @2040 (op_depth_cuts_layout)
    std::uint8_t radialPasses[40] = {}; // @2104 (op_radial_layout)
    std::uint8_t reserved6[32] = {};
    std::uint8_t leadInOut[168] = {}; // @2176 (op_lead_layout)
    std::uint8_t reserved7[944] = {};
    std::uint8_t kindBlock[552] = {}; // @3288: circle 208 / contour 552 / helix 216 / thread 168 bytes
    std::uint8_t reserved8[5144] = {};
};

constexpr std::size_t kOperationSize = 8984;
constexpr std::uint32_t kOpEntityBase = 0x40000000;   // dbEntity of an operation: base + id (no entity handle)
constexpr std::size_t kCircleBlockSize = 208, kContourBlockSize = 552, kHelixBlockSize = 216,
                      kThreadBlockSize = 168;

static_assert(std::endian::native == std::endian::little, "the codec copies little-endian values as they are");
static_assert(std::is_trivially_copyable_v<operation> && std::is_standard_layout_v<operation>);
static_assert(sizeof(operation) == kOperationSize, "the host's operation record is 8984 bytes");
static_assert(offsetof(operation, code) == 4 && offsetof(operation, subCode) == 5);
static_assert(offsetof(operation, millOffset) == 624 && offsetof(operation, extra) == 728);
static_assert(offsetof(operation, compensation) == 1376 && offsetof(operation, depthCuts) == 2040);
static_assert(offsetof(operation, radialPasses) == 2104 && offsetof(operation, leadInOut) == 2176);
static_assert(offsetof(operation, kindBlock) == 3288);
static_assert(offsetof(operation, comment) == 16 && offsetof(operation, toolSlot) == 136 &&
              offsetof(operation, toolDiameter) == 152 && offsetof(operation, toolName) == 216 &&
              offsetof(operation, toolPlaneOn) == 288 && offsetof(operation, toolPlaneMatrix) == 296 &&
              offsetof(operation, planeOrigin) == 440 && offsetof(operation, wcsMatrix) == 464 &&
              offsetof(operation, originLevel) == 560 && offsetof(operation, levelOrigin) == 568 &&
              offsetof(operation, clearance) == 592 && offsetof(operation, depth) == 616 &&
              offsetof(operation, cycle) == 636 && offsetof(operation, tipValue) == 640 &&
              offsetof(operation, pecks) == 648 && offsetof(operation, dwell) == 696 &&
              offsetof(operation, fiveAxis) == 1384 && offsetof(operation, singlePointOn) == 1396 &&
              offsetof(operation, singlePointCentre) == 1408 && offsetof(operation, geomEntities) == 1448 &&
              offsetof(operation, regenCount) == 1464 && offsetof(operation, reserved8) == 3840);

// ---- the blocks' own fields (offsets inside each block) ----------------------------------------------------
// Cutter compensation, 6 bytes: type (0 off, 1 computer, 2 control, 3 wear, 4 reverse wear), side (1 left,
// 2 right), tip (0 centre, 1 tip), corner roll (0 none, 1 sharp, 2 all), two spare bytes.
namespace op_comp_layout {
constexpr std::size_t type = 0, side = 1, tip = 2, roll = 3;
}
// Depth cuts, 64 bytes: on (u8), the maximum rough step, the finish count (i16) and step, the Z stock to
// leave, three switches (taper on, keep the tool down between cuts, order by depth), the taper as the wall's
// angle from the tool axis, and an extra depth below the operation's depth (a tool whose corner is rounded
// reaches a cone's bottom edge only that much deeper). Process tables keep this block byte for byte.
namespace op_depth_cuts_layout {
constexpr std::size_t on = 0, maxRough = 8, finishCount = 16, finishStep = 24, stockOnBottom = 32, taperOn = 40,
                      keepTool = 41, byDepth = 42, taperAngle = 48, extraDepth = 56;
}
// Radial (multi-) passes, 40 bytes: passes on (u8), rough count (i16) and spacing, finish count (i16) and
// spacing, and a further switch: finish passes only at the final depth. Process tables keep this block
// byte for byte, so the plug-in reads it with these offsets too.
namespace op_radial_layout {
constexpr std::size_t on = 0, roughCount = 2, roughSpacing = 8, finishCount = 16, finishSpacing = 24,
                      finalDepthOnly = 32, keepTool = 33;
}
// Lead in and out, 168 bytes: a switch, then the entry group at 8 and the exit group at 80 (72 bytes each,
// field offsets below relative to the group), an overlap and two switches.
namespace op_lead_layout {
constexpr std::size_t on = 0, entry = 8, exit = 80, overlap = 152, entryFirstOnly = 160, exitLastOnly = 161;
// In a group: its switch, line length, line ramp height, arc radius, arc sweep, arc helix height, line tangent
// switch, arc switch, the group's plunge height and the arc radius as a percentage of the tool diameter.
constexpr std::size_t groupOn = 0, lineLength = 8, lineRamp = 16, arcRadius = 24, arcSweep = 32, helixHeight = 40,
                      lineTangent = 48, arcOn = 49, plungeHeight = 56, radiusPercent = 64;
}
// The extra block, 648 bytes.
namespace op_extra_layout {
constexpr std::size_t filterOn = 0, filterTolerance = 8, cutTolerance = 16, filterMaxRadius = 24;
}
// Kind blocks at 3288, by code.
// 18: circle mill, 208 bytes, kept byte for byte by process tables. The helical entry's values are the 13
// eight-byte slots from helixMinRadius to byte 191; helixPitch is the pitch of the circle's own helix down
// to depth.
namespace op_circle_layout {
constexpr std::size_t helixPitch = 8, tipComp = 16 /* u8 */, startAngle = 24, entrySweep = 32, overlap = 40,
                      circleDiameter = 48, startAtCentre = 56 /* u8 */, perpendicularEntry = 57 /* u8 */,
                      roughOn = 58 /* u8 */, stepoverPercent = 64, stepover = 72, helixOn = 80 /* u8 */,
                      helixMinRadius = 88, helixMaxRadius = 96, helixZClearance = 104, helixPlungeAngle = 112,
                      helixXYClearance = 120, helixMinPercent = 168, helixMaxPercent = 176,
                      finishAtEachDepth = 192 /* u8 */;
}
namespace op_contour_layout {  // 1: contour, 552 bytes; mode 2 chamfers the edge: width, then the tip's depth
constexpr std::size_t mode = 0, chamferWidth = 8, chamferTip = 16, rampAngle = 24, rampDepth = 32,
                      rampPlunge = 40, stockZ = 48;
}
// 106: helix bore, 216 bytes, kept byte for byte by process tables: the entry (start angle, arc sweep), the
// overlap, the bore's diameter, two entry switches (start at centre, perpendicular entry), the rough pitch,
// pass count (i16) and stepover, the finish value as a percentage and as a length, the finish switch, a
// switch of this host's own (leave the bore at rapid), the finish pitch and stepover, the spindle speed as a
// percentage and in rpm (i32), the feed as a percentage and in units per minute, arc output (u8) and the
// tolerance; eight spare doubles from 152.
namespace op_helix_layout {
constexpr std::size_t startAngle = 0, entrySweep = 8, overlap = 16, boreDiameter = 24, startAtCentre = 32 /* u8 */,
                      perpendicularEntry = 33 /* u8 */, roughPitch = 40, roughPasses = 48 /* i16 */,
                      roughStepover = 56, finishPercent = 64, finishValue = 72, finishOn = 80 /* u8 */,
                      rapidOut = 81 /* u8 */, finishPitch = 88, finishStepover = 96, speedPercent = 104,
                      speed = 112 /* i32 */, feedPercent = 120, feed = 128, arcOutput = 136 /* u8 */, tolerance = 144;
}
// 100: thread mill, 168 bytes, kept byte for byte by process tables. side 0 is an inside (ID) thread, hand 0
// right hand, direction 0 top to bottom. threadDepth, internal, clearance and starts are this host's own, in
// places the tables leave unused: the generation sets the depth, the clearance and `internal` (its mark that
// the thread is a hole's), and the host's defaults one start.
namespace op_thread_layout {
constexpr std::size_t activeTeeth = 0 /* i16 */, threadDepth = 8, internal = 16 /* u8 */, topOfThread = 24,
                      clearance = 32, starts = 40 /* i16 */, pitch = 48, startAngle = 56, allowance = 64,
                      arcClearance = 72, lineLength = 80, helicalTop = 88 /* u8 */, helicalBottom = 89 /* u8 */,
                      linearize = 90 /* u8 */, tolerance = 96, side = 104 /* i16 */, threadDiameter = 112,
                      hand = 120 /* u8 */, direction = 122 /* u8 */, perpendicularEntry = 123 /* u8 */,
                      taperAngle = 128, springPasses = 136 /* i16 */, feedOverride = 144, speedOverride = 152 /* i32 */,
                      feedOverrideOn = 156 /* u8 */, speedOverrideOn = 157 /* u8 */;
}

using OPERATION_BYTES = std::array<std::uint8_t, kOperationSize>;

// The explicit codec: field by field into a little-endian image, and back. Bytes no field names are
// carried by the reserved members, so an image read and written again comes out byte for byte.
OPERATION_BYTES operationToImage(const operation& op);
operation operationFromImage(const OPERATION_BYTES& image);
