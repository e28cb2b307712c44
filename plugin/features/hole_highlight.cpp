// Recognised holes shown in the host's selection colour and given their own colours back. Painting is
// idempotent: an entity already in the selection colour is not painted again, so the colour it keeps in its
// CYL_ENT entry stays its own; restoring touches only entities still in the selection colour, so a colour the
// user gave an entity meanwhile stays.
#include "host/api.h"
#include "plugin/model/process_tree_fields.h"
#include "plugin/model/tree.h"
#include "plugin/services/features.h"

namespace {

constexpr std::uint32_t kEveryHole = 0xFFFFFFFFu;

bool takesPart(const POINT_LIST& hole, std::uint32_t mask, std::uint8_t onlyMarked) {
    if (onlyMarked && hole.selected == 0) return false;
    return mask == kEveryHole || holeMeetsFilter(hole, mask);
}

void paintHole(POINT_LIST& hole, std::uint8_t paint) {
    forEachSegmentEnt(hole, [&](CYL_ENT& entry) {
        ent e{};
        if (get_ent_from_eptr(entry.entry, &e) != 1) return;
        if (paint) {
            if (e.color == select_color) return;
            entry.colour = static_cast<std::uint16_t>(e.color);
            e.color = static_cast<std::int16_t>(select_color);
        } else {
            if (e.color != select_color) return;
            e.color = static_cast<std::int16_t>(entry.colour);
        }
        (void)rewrite_ent(&e, 0);
    });
}

}  // namespace

int setHoleEntities(POINT_LIST* hole, std::int16_t single, std::uint8_t paint, std::uint32_t mask,
                    std::uint8_t onlyMarked) {
    for (POINT_LIST* p = hole; p; p = nextInChain(*p)) {
        if (takesPart(*p, mask, onlyMarked)) paintHole(*p, paint);
        if (single == 1) break;
    }
    return 0;
}

int setGroupEntities(VIEW_LIST* view, std::uint8_t paint, std::uint32_t mask, std::uint8_t onlyMarked) {
    for (POINT_LIST* p = view ? view->firstPoint : nullptr; p; p = p->next)
        if (!chainFollower(*p)) setHoleEntities(p, 0, paint, mask, onlyMarked);
    return 0;
}

int setGroupListEntities(VIEW_LIST* views, std::uint8_t paint, std::uint32_t mask, std::uint8_t onlyMarked) {
    for (VIEW_LIST* v = views; v; v = v->next) setGroupEntities(v, paint, mask, onlyMarked);
    return 0;
}
