// Operations, process copies and description arrays of a hole: freeing and their images.
#include "plugin/engine/ope_list.h"

namespace {

using namespace ope_layout;
static_assert(view == kind + 2 + sizeof(OPE_LIST::area2));
static_assert(point == view + 4 + sizeof(OPE_LIST::area337));
static_assert(processOpe == next + 4 + sizeof(OPE_LIST::area413));
static_assert(processOpe + 4 + sizeof(OPE_LIST::area468) == OPE_LIST::kSize);

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
