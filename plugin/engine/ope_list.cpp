// Operations, process copies and description arrays of a hole: freeing and their images.
#include "plugin/engine/ope_list.h"

#include <algorithm>
#include <cstring>
#include <type_traits>

namespace {

using namespace ope_layout;
static_assert(view == kind + 2 + sizeof(OPE_LIST::area2));
static_assert(point == view + 4 + sizeof(OPE_LIST::area337));
static_assert(processOpe == next + 4 + sizeof(OPE_LIST::area413));
static_assert(processOpe + 4 + sizeof(OPE_LIST::area468) == OPE_LIST::kSize);

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

CIL_VALUES cilValues(const CIL_DESC& desc) {
    CIL_VALUES v;
    eachCilField(v, [&](std::size_t at, auto& field) {
        using T = std::remove_reference_t<decltype(field)>;
        if constexpr (std::is_same_v<T, std::string>) {
            const char* text = reinterpret_cast<const char*>(desc.bytes + at);
            field.assign(text, strnlen(text, cil_desc_layout::kTextSize));
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
            std::memcpy(desc.bytes + at, field.data(), std::min(field.size(), cil_desc_layout::kTextSize - 1));
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

std::array<std::uint8_t, OPE_LIST::kSize> opeImage(const OPE_LIST& ope, const LinkIdOf& idOf) {
    std::array<std::uint8_t, OPE_LIST::kSize> image{};
    std::uint8_t* at = image.data();
    putField(at, kind, ope.kind);
    putField(at, kind + 2, ope.area2);
    putLink(at, view, idOf, ope.view);
    putField(at, view + 4, ope.area337);
    putLink(at, point, idOf, ope.point);
    putLink(at, prev, idOf, ope.prev);
    putLink(at, next, idOf, ope.next);
    putField(at, next + 4, ope.area413);
    putLink(at, processOpe, idOf, ope.processOpe.get());
    putField(at, processOpe + 4, ope.area468);
    return image;
}

bool opeFromImage(const std::uint8_t* image, std::size_t n, OPE_LIST& ope) {
    if (n > OPE_LIST::kSize) return false;
    std::array<std::uint8_t, OPE_LIST::kSize> full{};
    if (n) std::memcpy(full.data(), image, n);
    const std::uint8_t* at = full.data();
    ope = OPE_LIST{};
    getField(at, kind, ope.kind);
    getField(at, kind + 2, ope.area2);
    getField(at, view + 4, ope.area337);
    getField(at, next + 4, ope.area413);
    getField(at, processOpe + 4, ope.area468);
    return true;
}
