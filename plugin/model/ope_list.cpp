// Operations, process copies and description arrays of a hole: freeing, and the operation's image codec
// (every member at its image offset, little-endian; links as identity numbers).
#include "plugin/model/ope_list.h"

#include <algorithm>
#include <cstring>
#include <type_traits>

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
    f(area397, o.area397);
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
    f(area767, o.area767);
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
FX_NEXT(cornerRadius, cornerRadius, area397);
FX_NEXT(area397, area397, point);
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
FX_NEXT(toolLength, toolLength, area767);
static_assert(area767 + sizeof(OPE_LIST::area767) == OPE_LIST::kSize);
#undef FX_NEXT

// Every field of CIL_DESC with its offset; one list for both directions.
template <class VALUES, class F>
void eachCilField(VALUES& v, F&& f) {
    namespace c = cil_desc_layout;
    f(c::opeGeo, v.opeGeo), f(c::D, v.D), f(c::zTop, v.zTop), f(c::zBottom, v.zBottom);
    f(c::coneAngle, v.coneAngle), f(c::L, v.L), f(c::L2, v.L2), f(c::Flat, v.Flat), f(c::TipTool, v.TipTool);
    f(c::Through, v.Through), f(c::flatInnerDiameter, v.flatInnerDiameter), f(c::flipped, v.flipped);
    f(c::tipAngle, v.tipAngle), f(c::threadCode, v.threadCode), f(c::threadDiameter, v.threadDiameter);
    f(c::threadPitch, v.threadPitch), f(c::threadDepth, v.threadDepth), f(c::topChamfer, v.topChamfer);
    f(c::chamferDiameter, v.chamferDiameter), f(c::chamferZ, v.chamferZ), f(c::chamferAngle, v.chamferAngle);
    f(c::bottomRound, v.bottomRound), f(c::bottomRoundCentreR, v.bottomRoundCentreR);
    f(c::bottomRoundCentreZ, v.bottomRoundCentreZ), f(c::bottomArcStart, v.bottomArcStart);
    f(c::bottomArcSweep, v.bottomArcSweep), f(c::bottomArcEnds, v.bottomArcEnds), f(c::bottomRing, v.bottomRing);
    f(c::bottomRingDiameter, v.bottomRingDiameter), f(c::bottomRingZ, v.bottomRingZ), f(c::topRound, v.topRound);
    f(c::topRoundTorus, v.topRoundTorus), f(c::topRoundStart, v.topRoundStart);
    f(c::topRoundSweep, v.topRoundSweep), f(c::threadName, v.threadName), f(c::entityId, v.entityId);
    f(c::fitName, v.fitName), f(c::carried, v.carried), f(c::threadKind, v.threadKind);
}

static_assert(cil_desc_layout::threadKind + 2 == CIL_DESC::kSize);
static_assert(cil_desc_layout::bottomArcEnds + 4 * 8 == cil_desc_layout::bottomRing);
static_assert(cil_desc_layout::topRoundTorus + 3 * 8 == cil_desc_layout::topRoundStart);
static_assert(cil_desc_layout::threadName + cil_desc_layout::kTextSize == cil_desc_layout::entityId);

}  // namespace

std::string cilText(const CIL_DESC& desc, std::size_t at) {
    const char* text = reinterpret_cast<const char*>(desc.bytes + at);
    return std::string(text, strnlen(text, cil_desc_layout::kTextSize));
}

void setCilText(CIL_DESC& desc, std::size_t at, std::string_view text) {
    std::memset(desc.bytes + at, 0, cil_desc_layout::kTextSize);
    std::memcpy(desc.bytes + at, text.data(), std::min(text.size(), cil_desc_layout::kTextSize - 1));
}

CIL_VALUES cilValues(const CIL_DESC& desc) {
    CIL_VALUES v;
    eachCilField(v, [&](std::size_t at, auto& field) {
        using T = std::remove_reference_t<decltype(field)>;
        if constexpr (std::is_same_v<T, std::string>) {
            field = cilText(desc, at);
        } else if constexpr (std::is_array_v<T>) {
            for (std::size_t i = 0; i < std::extent_v<T>; ++i) field[i] = desc.get<double>(at + 8 * i);
        } else {
            field = desc.get<T>(at);
        }
    });
    return v;
}

CIL_DESC toCilDesc(const CIL_VALUES& values) {
    CIL_DESC desc;
    eachCilField(values, [&](std::size_t at, const auto& field) {
        using T = std::remove_cvref_t<decltype(field)>;
        if constexpr (std::is_same_v<T, std::string>) {
            setCilText(desc, at, field);
        } else if constexpr (std::is_array_v<T>) {
            for (std::size_t i = 0; i < std::extent_v<T>; ++i) desc.set(at + 8 * i, field[i]);
        } else {
            desc.set(at, field);
        }
    });
    return desc;
}

void freeOpeChain(OPE_LIST* first) {
    while (first) {
        OPE_LIST* next = first->next;
        delete first;
        first = next;
    }
}

CIL_DESC* allocCilDescs(std::size_t count) { return count ? new CIL_DESC[count]{} : nullptr; }

void freeCilDescs(CIL_DESC* descs) { delete[] descs; }

std::uint8_t* opeFieldBytes(OPE_LIST& ope, std::size_t at, std::size_t n) {
    std::uint8_t* found = nullptr;
    forEachMember(ope, [&](std::size_t offset, auto& member) {
        if (at >= offset && at + n <= offset + sizeof member)
            found = reinterpret_cast<std::uint8_t*>(&member) + (at - offset);
    });
    return found;
}

std::array<std::uint8_t, OPE_LIST::kSize> opeImage(const OPE_LIST& ope, const LinkIdOf& idOf) {
    std::array<std::uint8_t, OPE_LIST::kSize> image{};
    std::uint8_t* at = image.data();
    forEachMember(ope, [at](std::size_t offset, const auto& member) { putField(at, offset, member); });
    putLink(at, view, idOf, ope.view);
    putLink(at, point, idOf, ope.point);
    putLink(at, prev, idOf, ope.prev);
    putLink(at, next, idOf, ope.next);
    putLink(at, processOpe, idOf, ope.processOpe.get());
    return image;
}

bool opeFromImage(const std::uint8_t* image, std::size_t n, OPE_LIST& ope) {
    if (n > OPE_LIST::kSize) return false;
    std::array<std::uint8_t, OPE_LIST::kSize> full{};
    if (n) std::memcpy(full.data(), image, n);
    const std::uint8_t* at = full.data();
    ope = OPE_LIST{};
    forEachMember(ope, [at](std::size_t offset, auto& member) { getField(at, offset, member); });
    return true;
}
