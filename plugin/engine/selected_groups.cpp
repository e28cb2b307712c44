// Operation groups of selected holes: the selection words saved and restored around a group, the entities
// hidden around an isolated group, the pick of a hole on a level of its own and the marker entity.
#include "plugin/engine/selected_groups.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <unordered_set>
#include <vector>

#include "host/api.h"
#include "platform/ui/dialog.h"
#include "plugin/base/entity_utils.h"
#include "plugin/base/globals.h"
#include "plugin/base/host_views.h"
#include "plugin/base/utilities.h"
#include "plugin/engine/operation_comments.h"
#include "plugin/model/process_tree_fields.h"
#include "plugin/model/tree.h"
#include "plugin/model/tree_views.h"
#include "plugin/model/work_records.h"
#include "plugin/services/engine.h"
#include "plugin/services/tooling.h"

namespace {

constexpr std::uint32_t kAllEntities = 0x1f1fff;
constexpr int kGroupName = 20;   // "GroupOpNames"

// The entities an isolated creation hid, which its undo shows again. A list still held when the module goes
// (no undo came) goes with it.
struct HIDDEN_ENTITIES {
    EntityList list = nullptr;
    ~HIDDEN_ENTITIES() { std::free(list); }
} g_hidden;
// Whether the marker's level was visible when the marker was last blanked.
bool g_markerLevelWasVisible = false;

void toggleBlank(std::uint32_t entry) {
    ent e{};
    if (!get_ent_from_eptr(entry, &e)) return;
    e.sel ^= kSelBlank;
    rewrite_ent(&e, 0);
}

// A null-ended copy of the handles.
EntityList nullEnded(const std::vector<std::uint32_t>& entries) {
    auto* list = static_cast<std::uint32_t*>(std::calloc(entries.size() + 1, sizeof(std::uint32_t)));
    if (list) std::copy(entries.begin(), entries.end(), list);
    return list;
}

void showAgain(EntityList list) {
    if (!list) return;
    for (const std::uint32_t* at = list; *at; ++at) toggleBlank(*at);
    std::free(list);
}

// Blanks every entity on a visible level for which `hide` holds; their list.
template <class Hide>
EntityList blankWhere(Hide hide) {
    std::vector<std::uint32_t> blanked;
    forEachRawEnt(kAllEntities, [&](db_ptr entry, const ent& e) {
        if ((e.sel & kSelBlank) == 0 && is_level_visible(e.level) && hide(entry, e)) blanked.push_back(entry);
        return true;
    });
    for (std::uint32_t entry : blanked) toggleBlank(entry);
    return nullEnded(blanked);
}

template <class Visit>
void forEachHole(VIEW_LIST* tree, Visit visit) {
    for (VIEW_LIST* v = tree; v; v = v->next)
        for (POINT_LIST* p = v->firstPoint; p; p = p->next) visit(*v, *p);
}

// The selection of step 4: the chosen view and hole stay; a chosen hole that meets none of the filter's
// bits drops out with its chain.
void selectFor(VIEW_LIST* tree, VIEW_LIST* view, POINT_LIST* hole, std::uint32_t filter) {
    for (VIEW_LIST* v = tree; v; v = v->next) {
        if (view && v != view) {
            v->selected = 0;
            continue;
        }
        for (POINT_LIST* p = v->firstPoint; p; p = p->next) {
            if (p->excluded) continue;
            if (hole && p != hole) {
                p->selected = 0;
                continue;
            }
            // The filter's bits are the process tree's own: forms not found is an adapted row, 0 or more.
            // Testing that row against 0 instead would take every exactly matched hole (row -1) for one
            // whose form was not found and drop one adapted at row 0, unlike the tree the user filtered.
            if (chainFollower(*p) || filter == 0 || holeMeetsFilter(*p, filter)) continue;
            for (POINT_LIST* m = p; m; m = nextInChain(*m)) {
                m->selected = 0;
                m->selected2 = 0;
            }
        }
    }
}

void deleteGroup(std::uint32_t groupId) {
    if (groupId == 0) return;
    deleteGroupOperations(groupId);
    OMdeleteGroup(static_cast<std::int32_t>(groupId), 1);
}

}  // namespace

std::string opGroupName(const VIEW_LIST* view) {
    std::string name = uiText("GroupOpNames", kGroupName);
    if (view) name += " (" + viewDescription(view) + ")";
    return sanitizeGroupName(name);
}

int createGroupOperations(VIEW_LIST* view, POINT_LIST* hole, POINT_LIST* holes, std::uint32_t filter) {
    const std::string name = opGroupName(view);
    clearOperationsSelected();
    std::int32_t parent = 0;
    if (op_group* active = TpMainGrpMgr().GetMainGrpList().RetrieveActiveGroup()) parent = active->id;
    const auto groupId = static_cast<std::uint32_t>(findOrCreateOpGroup(name, parent));
    keepSelection(g_records->viewsTree);
    selectFor(g_records->viewsTree, view, hole, filter);
    g_records->runStats.stateCount6 = 0;   // the count of created points
    if (storeDrillPoints(g_records->viewsTree) != kDrillPointsStored) {
        deleteTempPoints();
        // The group stays, empty: the next run's undo takes it away, and not the group made before it.
        g_lastOpGroup = groupId;
        return 0;
    }
    for (VIEW_LIST* v = g_records->viewsTree; v; v = v->next) {
        double origin[3];
        if (v->selected) findGroupNotes(v, origin);
    }
    const PLUGIN_GLOBALS& g = *g_globals;
    const ToolsLogOpen log;
    const int wasRefreshing = OMenableRefresh(0);
    const bool locked = plat::lockWindowUpdate(true);
    const std::int32_t active = OMgetActiveGroup();
    const PRM_SETTINGS& s = g.settings;
    std::int16_t toolsMade = 0;
    const int failed = createDrillOperations(g_records->viewsTree, holes, static_cast<std::int16_t>(maxToolNumber() + 1),
                                             &toolsMade, static_cast<std::int16_t>(groupId), s.takeNearestTool,
                                             s.addNewTools, nullptr, s.drillingListOn != 0 ? 1 : 0,
                                             s.machiningTimeListOn != 0 ? 1 : 0);
    if (active) TpMainGrpMgr().GetMainGrpList().SetDefaultOperationGroup(active);
    if (locked) (void)plat::lockWindowUpdate(false);
    OMenableRefresh(wasRefreshing);
    OMrefreshOpManTree();
    ToolsLogOpen::close();
    if (failed == 0) {
        g_lastOpGroup = groupId;
    } else {
        deleteGroup(groupId);
    }
    return 0;
}

int createGroupOpsIsolated(VIEW_LIST* view, POINT_LIST* hole, POINT_LIST* target, std::uint32_t filter) {
    std::vector<std::uint32_t> keep;
    if (target) forEachSegmentEnt(*target, [&](const CYL_ENT& e) { keep.push_back(e.entry); });
    std::uint32_t* keepList = nullEnded(keep);
    // Only one hidden list is kept: a second isolation before an undo shows what the first hid, so that
    // nothing stays hidden for good once its list is replaced.
    if (g_hidden.list) {
        showAgain(g_hidden.list);
        g_hidden.list = nullptr;
    }
    EntityList hidden = hideEntitiesExcept(keepList, 0, nullptr);
    std::free(keepList);
    createGroupOperations(view, hole, target, filter);
    g_hidden.list = hidden;
    return 0;
}

int undoGroupOperations(std::uint32_t groupId) {
    deleteGroup(groupId);
    restoreSelection(g_records->viewsTree);
    deleteTempPoints();
    if (g_hidden.list) {
        hideEntitiesExcept(nullptr, 1, g_hidden.list);
        g_hidden.list = nullptr;
    }
    return 0;
}

int cancelGroupOperations(std::uint32_t groupId) {
    deleteGroup(groupId);
    deletePreviewEntities();
    restoreGraphicsState(g_globals->settings.featuresLevel);
    return 0;
}

bool isolationPending() { return g_hidden.list != nullptr; }

void forgetIsolation() {
    std::free(g_hidden.list);
    g_hidden.list = nullptr;
    g_markerLevelWasVisible = false;
}

EntityList hideEntitiesExcept(const std::uint32_t* keep, int mode, EntityList hidden) {
    if (mode == 1) {
        showAgain(hidden);
        return nullptr;
    }
    std::unordered_set<std::uint32_t> kept;
    for (const std::uint32_t* at = keep; at && *at; ++at) kept.insert(*at);
    return blankWhere([&](db_ptr entry, const ent&) { return kept.count(entry) == 0; });
}

EntityList toggleHideUnselected(int mode, EntityList list) {
    EntityList result = nullptr;
    if (mode == 1) {
        showAgain(list);
    } else {
        std::free(list);
        result = blankWhere([](db_ptr, const ent& e) { return e.color != select_color; });
    }
    rebuild_graphics();
    return result;
}

POINT_LIST* isolateFeatureLevel() {
    PLUGIN_GLOBALS& g = *g_globals;
    const std::int32_t level = g.settings.isolationLevel;
    const int savedMask = mask_level;
    const int wasVisible = is_level_visible(level);
    forEachHole(g_records->viewsTree, [&](VIEW_LIST&, POINT_LIST& p) {
        forEachSegmentEnt(p, [&](CYL_ENT& entry) {
            ent e{};
            if (!get_ent_from_eptr(entry.entry, &e)) return;
            entry.level = e.level;
            entry.colour = static_cast<std::uint16_t>(e.color);
            e.level = level;
            rewrite_ent(&e, 0);
        });
    });
    mask_level = level;
    set_level_visible(level, 1);
    repaint_graphics();
    ent picked{};
    db_ptr pickedEntry = 0;
    const bool hit = select_ent("*", 1, kEntSurface, 0, &picked, &pickedEntry) == 1;
    POINT_LIST* result = nullptr;
    // Every entity goes back, removed holes' included, so that no surface stays on the isolation level.
    forEachHole(g_records->viewsTree, [&](VIEW_LIST&, POINT_LIST& p) {
        forEachSegmentEnt(p, [&](CYL_ENT& entry) {
            ent e{};
            if (get_ent_from_eptr(entry.entry, &e)) {
                e.level = entry.level;
                rewrite_ent(&e, 0);
            }
            if (hit && !result && !p.excluded && entry.id == static_cast<std::int32_t>(picked.id))
                result = &p;
        });
    });
    mask_level = savedMask;
    set_level_visible(level, wasVisible);
    repaint_graphics();
    return result;
}

void blankMarkerEnt() {
    PLUGIN_GLOBALS& g = *g_globals;
    if (g.markerLevel == 0 || !is_level_visible(g.markerLevel)) return;
    g_markerLevelWasVisible = true;
    if (unblankWorkLevelEnts(g_globals->settings.featuresLevelCopy) > 0) {
        ent marker{};
        if (get_ent_from_eptr(g.markerEntry, &marker) && (marker.sel & kSelBlank) == 0) {
            marker.sel |= kSelBlank;
            rewrite_ent(&marker, 0);
        }
    } else {
        g.markerLevel = 0;
        g_markerLevelWasVisible = false;
    }
}

void unblankMarkerEnt() {
    PLUGIN_GLOBALS& g = *g_globals;
    if (g.markerLevel == 0 || !g_markerLevelWasVisible) return;
    ent marker{};
    if (get_ent_from_eptr(g.markerEntry, &marker) && (marker.sel & kSelBlank) != 0) {
        marker.sel &= static_cast<std::uint16_t>(~kSelBlank);
        rewrite_ent(&marker, 0);
    }
    blankWorkLevelEnts(g_globals->settings.featuresLevelCopy);
}
