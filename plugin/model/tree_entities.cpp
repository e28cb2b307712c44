#include "plugin/model/tree_entities.h"

#include <algorithm>
#include <vector>

#include "host/api.h"
#include "plugin/base/entity_utils.h"
#include "plugin/model/tree.h"

namespace {

// Calls visit(slot) for every entity slot that a segment of the tree uses.
template <class Visit>
void forTreeSlots(const VIEW_LIST* tree, Visit visit) {
    for (const VIEW_LIST* v = tree; v; v = v->next) {
        for (const POINT_LIST* p = v->firstPoint; p; p = p->next) {
            for (const CYL_LIST* c = p->firstCyl; c; c = c->next) {
                const int n = std::clamp<int>(c->entCount, 0, kMaxCylEnts);
                for (int i = 0; i < n; ++i) visit(c->ents[i]);
            }
        }
    }
}

// Calls visit(entity record) for every entity the tree holds. A handle whose entity no longer carries the
// stored id is stale (the part changed under the tree) and is passed over.
template <class Visit>
void forTreeEntities(const VIEW_LIST* tree, Visit visit) {
    forTreeSlots(tree, [&](const CYL_ENT& slot) {
        ent e{};
        if (get_ent_from_eptr(slot.entry, &e) && e.id == static_cast<std::uint32_t>(slot.id)) visit(e);
    });
}

}  // namespace

void deleteUnusedWorkLevelEnts(const VIEW_LIST* tree, std::int32_t level) {
    std::vector<std::uint32_t> used;
    forTreeSlots(tree, [&](const CYL_ENT& slot) { used.push_back(static_cast<std::uint32_t>(slot.id)); });
    std::sort(used.begin(), used.end());
    deleteWorkLevelEntsExcept(level, used);
}

int unblankFeatureEnts(const VIEW_LIST* tree) {
    int wasBlank = 0;
    forTreeEntities(tree, [&](const ent& e) {
        if (e.sel & kSelBlank) {
            ++wasBlank;
            setEntBlank(e, false);
        }
    });
    repaint_graphics();
    return wasBlank;
}

void blankFeatureEnts(const VIEW_LIST* tree) {
    forTreeEntities(tree, [](const ent& e) { setEntBlank(e, true); });
    repaint_graphics();
}
