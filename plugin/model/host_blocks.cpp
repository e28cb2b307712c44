// Letter codec of the host blocks and the converter of their older packed layouts. A layout is written as
// its members' types in order ('c' one byte, 's' two, 'i' four, 'd' eight); the aligned places follow the
// host compiler's natural alignment, the packed ones follow each other without gaps.
#include "plugin/model/host_blocks.h"

#include <cstring>

namespace {

using namespace process_ope;

// The lead-in and lead-out parts of the 168-byte block have the same members; '|' starts a nested
// structure, aligned to eight bytes.
#define LEAD_PART "|cidddddccdd"

// The members of the structures whose older form was packed. The contour block's older structure is the
// first members of the current one: later releases appended to it.
constexpr int kLayoutCount = 8;
constexpr const char* kLayouts[kLayoutCount] = {
    "scs",                                                  // compensation: type, direction, a further value
    "cdsddcccdd",                                           // depth cuts
    "csdsdc",                                               // radial passes
    "c" LEAD_PART LEAD_PART "dccs",                         // lead: roughing, lead-in, lead-out, overlap ...
    "cdcddddcccddcdddddccdcdcdddcd",                        // circle mill
    "cdcdcdcdcdcdcdcdcdcdcdcdcdcdcdcdcdcdcdcdcdcdcdcdcdcdcdsc",   // contour, first members
    "ddddccdsdddccdddiddcd" "dddddddd",                     // helix bore, then its spare doubles
    "sdcddsdddddcccdsdccccdsdiccd",                         // thread mill
};

std::size_t memberSize(char type) {
    switch (type) {
        case 'c': return 1;
        case 's': return 2;
        case 'i': return 4;
        case 'd': return 8;
        default: return 0;
    }
}

template <class VISIT>
void walkLayout(int layoutKind, VISIT visit) {
    std::size_t aligned = 0, packed = 0;
    for (const char* m = kLayouts[layoutKind]; *m; ++m) {
        if (*m == '|') {
            aligned = (aligned + 7) / 8 * 8;
            continue;
        }
        const std::size_t size = memberSize(*m);
        aligned = (aligned + size - 1) / size * size;
        visit(size, packed, aligned);
        packed += size;
        aligned += size;
    }
}

}  // namespace

BLOCK_PLACE kindBlockPlace(int milledKind) {
    switch (milledKind) {
        case kCircleMill: return {circleMillBlock, kCircleMillSize};
        case kContour: return {contourBlock, kContourSize};
        case kHelixBore: return {helixBoreBlock, kHelixBoreSize};
        case kThreadMill: return {threadMillBlock, kThreadMillSize};
        default: return {0, 0};
    }
}

std::string encodeBlock(const std::uint8_t* bytes, std::size_t n) {
    std::string letters(2 * n, 'a');
    for (std::size_t i = 0; i < n; ++i) {
        letters[2 * i] = static_cast<char>('a' + (bytes[i] & 0x0F));
        letters[2 * i + 1] = static_cast<char>('a' + (bytes[i] >> 4));
    }
    return letters;
}

std::size_t decodeBlock(std::string_view letters, std::size_t n, std::uint8_t* out) {
    std::size_t i = 0;
    for (; i < n && 2 * i + 1 < letters.size(); ++i) {
        const int low = (letters[2 * i] - 'a') & 0x0F, high = (letters[2 * i + 1] - 'a') & 0x0F;
        out[i] = static_cast<std::uint8_t>(low | high << 4);
    }
    return i;
}

bool isBlockText(std::string_view letters) {
    if (letters.size() % 2) return false;
    for (char c : letters)
        if (c < 'a' || c > 'p') return false;
    return true;
}

std::size_t packedLayoutSize(int layoutKind) {
    std::size_t total = 0;
    walkLayout(layoutKind, [&](std::size_t size, std::size_t, std::size_t) { total += size; });
    return total;
}

std::size_t alignedLayoutSize(int layoutKind) {
    std::size_t end = 0, alignment = 1;
    walkLayout(layoutKind, [&](std::size_t size, std::size_t, std::size_t at) {
        end = at + size;
        if (size > alignment) alignment = size;
    });
    return (end + alignment - 1) / alignment * alignment;
}

bool isLayoutMember(int layoutKind, std::size_t at, std::size_t size) {
    if (layoutKind < 0 || layoutKind >= kLayoutCount) return false;
    bool found = false;
    walkLayout(layoutKind, [&](std::size_t s, std::size_t, std::size_t place) { found = found || (place == at && s == size); });
    return found;
}

std::size_t convertPackedBlock(int layoutKind, std::string_view letters, std::uint8_t* out) {
    if (layoutKind < 0 || layoutKind > 5) return 0;
    std::memset(out, 0, kAlignedSizes[layoutKind]);
    std::uint8_t packed[kPackedSizes[5]] = {};
    const std::size_t n = decodeBlock(letters, kPackedSizes[layoutKind], packed);
    walkLayout(layoutKind, [&](std::size_t size, std::size_t from, std::size_t to) {
        if (from + size <= n) std::memcpy(out + to, packed + from, size);
    });
    if (layoutKind == 4) {
        out[0] = 0;
        std::memset(out + 8, 0, 8);
    }
    return n;
}
