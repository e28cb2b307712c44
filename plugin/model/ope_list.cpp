// Operations, process copies and description arrays of a hole: freeing, and the image codecs of the
// operation and the description item (every member at its image offset, little-endian; links as identity
// numbers).
#include "plugin/model/ope_list.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// Each member with its image offset; links apart.
template <class RECORD, class F>
void forEachMember(RECORD& o, F&& f) {
    using namespace ope_layout;
    f(kind, o.kind);
    f(active, o.active);
    f(comment, o.comment);
    f(name, o.name);
    f(opIndex, o.opIndex);
    f(cycle, o.cycle);
    f(drillMode, o.drillMode);
    f(through, o.through);
    f(flat, o.flat);
    f(milledDiam, o.milledDiam);
    f(holeTopZ, o.holeTopZ);
    f(zSup, o.zSup);
    f(zInf, o.zInf);
    f(threadDepth, o.threadDepth);
    f(brkthr, o.brkthr);
    f(tableValue, o.tableValue);
    f(tipTool, o.tipTool);
    f(angle, o.angle);
    f(clearanceZ, o.clearanceZ);
    f(area297, o.area297);
    f(toolType, o.toolType);
    f(toolIndex, o.toolIndex);
    f(toolValue, o.toolValue);
    f(toolDiam, o.toolDiam);
    f(pitch, o.pitch);
    f(tipDiam, o.tipDiam);
    f(toolDiam2, o.toolDiam2);
    f(angleDeg, o.angleDeg);
    f(cornerRadius, o.cornerRadius);
    f(showOnFill, o.showOnFill);
    f(area398, o.area398);
    f(btmRadius, o.btmRadius);
    f(splitSecond, o.splitSecond);
    f(threadCode, o.threadCode);
    f(coneAngle, o.coneAngle);
    f(chamferDiam, o.chamferDiam);
    f(chamferZ, o.chamferZ);
    f(area448, o.area448);
    f(profile, o.profile);
    f(toolName, o.toolName);
    f(altToolName, o.altToolName);
    f(altToolNumber, o.altToolNumber);
    f(newTool, o.newTool);
    f(toolAddedToLibrary, o.toolAddedToLibrary);
    f(toolChangedByUser, o.toolChangedByUser);
    f(stepCount, o.stepCount);
    f(entityId, o.entityId);
    f(toolLength, o.toolLength);
    f(material, o.material);
    f(neededLength, o.neededLength);
    f(wantedLength, o.wantedLength);
    f(longTool, o.longTool);
    f(toolInLibrary, o.toolInLibrary);
    f(holeRow, o.holeRow);
    f(layer, o.layer);
    f(pointCount, o.pointCount);
    f(toolNumber, o.toolNumber);
    f(groupId, o.groupId);
    f(toolExpanded, o.toolExpanded);
    f(area808, o.area808);
}

// The offsets leave no overlap and no byte unaccounted: each member ends where the next begins, links
// (4 bytes each in the image) included.
using namespace ope_layout;
#define FX_NEXT(a, member, b) static_assert(a + sizeof(OPE_LIST::member) == b)
FX_NEXT(kind, kind, active);
FX_NEXT(active, active, comment);
FX_NEXT(comment, comment, name);
FX_NEXT(name, name, opIndex);
FX_NEXT(opIndex, opIndex, cycle);
FX_NEXT(cycle, cycle, drillMode);
FX_NEXT(drillMode, drillMode, through);
FX_NEXT(through, through, flat);
FX_NEXT(flat, flat, milledDiam);
FX_NEXT(milledDiam, milledDiam, holeTopZ);
FX_NEXT(holeTopZ, holeTopZ, zSup);
FX_NEXT(zSup, zSup, zInf);
FX_NEXT(zInf, zInf, threadDepth);
FX_NEXT(threadDepth, threadDepth, brkthr);
FX_NEXT(brkthr, brkthr, tableValue);
FX_NEXT(tableValue, tableValue, tipTool);
FX_NEXT(tipTool, tipTool, angle);
FX_NEXT(angle, angle, clearanceZ);
FX_NEXT(clearanceZ, clearanceZ, area297);
FX_NEXT(area297, area297, view);
static_assert(view + 4 == toolType);
FX_NEXT(toolType, toolType, toolIndex);
FX_NEXT(toolIndex, toolIndex, toolValue);
FX_NEXT(toolValue, toolValue, toolDiam);
FX_NEXT(toolDiam, toolDiam, pitch);
FX_NEXT(pitch, pitch, tipDiam);
FX_NEXT(tipDiam, tipDiam, toolDiam2);
FX_NEXT(toolDiam2, toolDiam2, angleDeg);
FX_NEXT(angleDeg, angleDeg, cornerRadius);
FX_NEXT(cornerRadius, cornerRadius, showOnFill);
FX_NEXT(showOnFill, showOnFill, area398);
FX_NEXT(area398, area398, point);
static_assert(point + 4 == prev && prev + 4 == next && next + 4 == btmRadius);
FX_NEXT(btmRadius, btmRadius, splitSecond);
FX_NEXT(splitSecond, splitSecond, threadCode);
FX_NEXT(threadCode, threadCode, coneAngle);
FX_NEXT(coneAngle, coneAngle, chamferDiam);
FX_NEXT(chamferDiam, chamferDiam, chamferZ);
FX_NEXT(chamferZ, chamferZ, area448);
FX_NEXT(area448, area448, processOpe);
static_assert(processOpe + 4 == profile);
FX_NEXT(profile, profile, toolName);
FX_NEXT(toolName, toolName, altToolName);
FX_NEXT(altToolName, altToolName, altToolNumber);
FX_NEXT(altToolNumber, altToolNumber, newTool);
FX_NEXT(newTool, newTool, toolAddedToLibrary);
FX_NEXT(toolAddedToLibrary, toolAddedToLibrary, toolChangedByUser);
FX_NEXT(toolChangedByUser, toolChangedByUser, stepCount);
FX_NEXT(stepCount, stepCount, entityId);
FX_NEXT(entityId, entityId, toolLength);
FX_NEXT(toolLength, toolLength, material);
FX_NEXT(material, material, neededLength);
FX_NEXT(neededLength, neededLength, wantedLength);
FX_NEXT(wantedLength, wantedLength, longTool);
FX_NEXT(longTool, longTool, toolInLibrary);
FX_NEXT(toolInLibrary, toolInLibrary, holeRow);
FX_NEXT(holeRow, holeRow, layer);
FX_NEXT(layer, layer, pointCount);
FX_NEXT(pointCount, pointCount, toolNumber);
FX_NEXT(toolNumber, toolNumber, groupId);
FX_NEXT(groupId, groupId, toolExpanded);
FX_NEXT(toolExpanded, toolExpanded, area808);
static_assert(area808 + sizeof(OPE_LIST::area808) == OPE_LIST::kSize);
#undef FX_NEXT

// CIL_DESC's image: packed, in member order.
namespace cil_layout {
constexpr std::size_t opeGeo = 0, D = 2, zTop = 10, zBottom = 18, coneAngle = 26, L = 34, L2 = 42, reserved50 = 50,
                      Flat = 58, TipTool = 59, Through = 60, reserved61 = 61, flatInnerDiameter = 63, flipped = 71,
                      tipAngle = 72, threadCode = 80, threadDiameter = 82, threadPitch = 90, threadDepth = 98,
                      topChamfer = 106, chamferDiameter = 107, chamferZ = 115, chamferAngle = 123, bottomRound = 131,
                      bottomRoundCentreR = 139, bottomRoundCentreZ = 147, bottomArcStart = 155,
                      bottomArcSweep = 163, bottomArcEnds = 171, bottomRing = 203, bottomRingDiameter = 204,
                      bottomRingZ = 212, topRound = 220, topRoundTorus = 221, topRoundStart = 245,
                      topRoundSweep = 253, threadName = 261, entityId = 293, fitName = 297, carried = 329,
                      threadKind = 331;
}

namespace cl = cil_layout;

template <class RECORD, class F>
void forEachCilMember(RECORD& d, F&& f) {
    f(cl::opeGeo, d.opeGeo);
    f(cl::D, d.D);
    f(cl::zTop, d.zTop);
    f(cl::zBottom, d.zBottom);
    f(cl::coneAngle, d.coneAngle);
    f(cl::L, d.L);
    f(cl::L2, d.L2);
    f(cl::reserved50, d.reserved50);
    f(cl::Flat, d.Flat);
    f(cl::TipTool, d.TipTool);
    f(cl::Through, d.Through);
    f(cl::reserved61, d.reserved61);
    f(cl::flatInnerDiameter, d.flatInnerDiameter);
    f(cl::flipped, d.flipped);
    f(cl::tipAngle, d.tipAngle);
    f(cl::threadCode, d.threadCode);
    f(cl::threadDiameter, d.threadDiameter);
    f(cl::threadPitch, d.threadPitch);
    f(cl::threadDepth, d.threadDepth);
    f(cl::topChamfer, d.topChamfer);
    f(cl::chamferDiameter, d.chamferDiameter);
    f(cl::chamferZ, d.chamferZ);
    f(cl::chamferAngle, d.chamferAngle);
    f(cl::bottomRound, d.bottomRound);
    f(cl::bottomRoundCentreR, d.bottomRoundCentreR);
    f(cl::bottomRoundCentreZ, d.bottomRoundCentreZ);
    f(cl::bottomArcStart, d.bottomArcStart);
    f(cl::bottomArcSweep, d.bottomArcSweep);
    f(cl::bottomArcEnds, d.bottomArcEnds);
    f(cl::bottomRing, d.bottomRing);
    f(cl::bottomRingDiameter, d.bottomRingDiameter);
    f(cl::bottomRingZ, d.bottomRingZ);
    f(cl::topRound, d.topRound);
    f(cl::topRoundTorus, d.topRoundTorus);
    f(cl::topRoundStart, d.topRoundStart);
    f(cl::topRoundSweep, d.topRoundSweep);
    f(cl::threadName, d.threadName);
    f(cl::entityId, d.entityId);
    f(cl::fitName, d.fitName);
    f(cl::carried, d.carried);
    f(cl::threadKind, d.threadKind);
}

#define FX_NEXT(a, member, b) static_assert(cl::a + sizeof(CIL_DESC::member) == cl::b)
FX_NEXT(opeGeo, opeGeo, D);
FX_NEXT(D, D, zTop);
FX_NEXT(zTop, zTop, zBottom);
FX_NEXT(zBottom, zBottom, coneAngle);
FX_NEXT(coneAngle, coneAngle, L);
FX_NEXT(L, L, L2);
FX_NEXT(L2, L2, reserved50);
FX_NEXT(reserved50, reserved50, Flat);
FX_NEXT(Flat, Flat, TipTool);
FX_NEXT(TipTool, TipTool, Through);
FX_NEXT(Through, Through, reserved61);
FX_NEXT(reserved61, reserved61, flatInnerDiameter);
FX_NEXT(flatInnerDiameter, flatInnerDiameter, flipped);
FX_NEXT(flipped, flipped, tipAngle);
FX_NEXT(tipAngle, tipAngle, threadCode);
FX_NEXT(threadCode, threadCode, threadDiameter);
FX_NEXT(threadDiameter, threadDiameter, threadPitch);
FX_NEXT(threadPitch, threadPitch, threadDepth);
FX_NEXT(threadDepth, threadDepth, topChamfer);
FX_NEXT(topChamfer, topChamfer, chamferDiameter);
FX_NEXT(chamferDiameter, chamferDiameter, chamferZ);
FX_NEXT(chamferZ, chamferZ, chamferAngle);
FX_NEXT(chamferAngle, chamferAngle, bottomRound);
FX_NEXT(bottomRound, bottomRound, bottomRoundCentreR);
FX_NEXT(bottomRoundCentreR, bottomRoundCentreR, bottomRoundCentreZ);
FX_NEXT(bottomRoundCentreZ, bottomRoundCentreZ, bottomArcStart);
FX_NEXT(bottomArcStart, bottomArcStart, bottomArcSweep);
FX_NEXT(bottomArcSweep, bottomArcSweep, bottomArcEnds);
FX_NEXT(bottomArcEnds, bottomArcEnds, bottomRing);
FX_NEXT(bottomRing, bottomRing, bottomRingDiameter);
FX_NEXT(bottomRingDiameter, bottomRingDiameter, bottomRingZ);
FX_NEXT(bottomRingZ, bottomRingZ, topRound);
FX_NEXT(topRound, topRound, topRoundTorus);
FX_NEXT(topRoundTorus, topRoundTorus, topRoundStart);
FX_NEXT(topRoundStart, topRoundStart, topRoundSweep);
FX_NEXT(topRoundSweep, topRoundSweep, threadName);
FX_NEXT(threadName, threadName, entityId);
FX_NEXT(entityId, entityId, fitName);
FX_NEXT(fitName, fitName, carried);
FX_NEXT(carried, carried, threadKind);
static_assert(cl::threadKind + sizeof(CIL_DESC::threadKind) == CIL_DESC::kSize);
#undef FX_NEXT

constexpr auto kOpeMembers = [](auto& record, auto&& f) { forEachMember(record, f); };
constexpr auto kCilMembers = [](auto& record, auto&& f) { forEachCilMember(record, f); };

// A record's image from its members (links left zero), and the record from the first `n` bytes of one, the
// rest read as zero; false, and the record untouched, when n exceeds it.
template <class RECORD, class MEMBERS>
std::array<std::uint8_t, RECORD::kSize> membersImage(const RECORD& record, MEMBERS members) {
    std::array<std::uint8_t, RECORD::kSize> image{};
    std::uint8_t* at = image.data();
    members(record, [at](std::size_t offset, const auto& member) { putField(at, offset, member); });
    return image;
}

template <class RECORD, class MEMBERS>
bool membersFromImage(const std::uint8_t* image, std::size_t n, RECORD& record, MEMBERS members) {
    if (n > RECORD::kSize) return false;
    std::array<std::uint8_t, RECORD::kSize> full{};
    if (n) std::memcpy(full.data(), image, n);
    const std::uint8_t* at = full.data();
    record = RECORD{};
    members(record, [at](std::size_t offset, auto& member) { getField(at, offset, member); });
    return true;
}

}  // namespace

void freeOpeChain(OPE_LIST* first) {
    while (first) {
        OPE_LIST* next = first->next;
        delete first;
        first = next;
    }
}

CIL_DESC* allocCilDescs(std::size_t count) { return count ? new CIL_DESC[count]{} : nullptr; }

void freeCilDescs(CIL_DESC* descs) { delete[] descs; }

std::array<std::uint8_t, OPE_LIST::kSize> opeImage(const OPE_LIST& ope, const LinkIdOf& idOf) {
    std::array<std::uint8_t, OPE_LIST::kSize> image = membersImage(ope, kOpeMembers);
    std::uint8_t* at = image.data();
    putLink(at, view, idOf, ope.view);
    putLink(at, point, idOf, ope.point);
    putLink(at, prev, idOf, ope.prev);
    putLink(at, next, idOf, ope.next);
    putLink(at, processOpe, idOf, ope.processOpe.get());
    return image;
}

bool opeFromImage(const std::uint8_t* image, std::size_t n, OPE_LIST& ope) {
    return membersFromImage(image, n, ope, kOpeMembers);
}

std::array<std::uint8_t, CIL_DESC::kSize> cilDescImage(const CIL_DESC& desc) {
    return membersImage(desc, kCilMembers);
}

bool cilDescFromImage(const std::uint8_t* image, std::size_t n, CIL_DESC& desc) {
    return membersFromImage(image, n, desc, kCilMembers);
}

double chamferMillWidth(const OPE_LIST& op) { return (op.chamferDiam - op.milledDiam) / 2; }

double chamferMillEntry(const OPE_LIST& op, double height) {
    const double halfTipRad = op.angleDeg / 2 * 3.141592653589793 / 180;
    const double flank = std::tan(halfTipRad);
    return height - (flank > 0 ? chamferMillWidth(op) / flank : 0) + 0.2 * height;
}
