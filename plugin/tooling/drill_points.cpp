// The drill points the generations store at the holes on the forms level, and their removal before the next
// generation; the part's tools that no operation uses any more; the highest tool number of the part.
// A drill point is known by its level (the forms level) and its colour 12.
#include <algorithm>
#include <string>
#include <vector>

#include "host/api.h"
#include "plugin/base/globals.h"
#include "plugin/base/host_install.h"
#include "plugin/base/message_box.h"
#include "plugin/model/tree.h"
#include "plugin/model/tree_views.h"
#include "plugin/model/work_records.h"
#include "plugin/services/tooling.h"
#include "plugin/tooling/equal_holes.h"

namespace {

constexpr int kDrillPointColour = 12;
// "ErrorMessages": the warning of a hole without a drill point, its view and hole labels, the question.
constexpr int kMsgNoPoint = 98, kMsgGoOn = 99, kMsgViewLabel = 118, kMsgHoleLabel = 119;

bool storePoint(POINT_LIST& hole) {
    ent e{};
    e.type = kEntPoint;
    e.pt.pt = {hole.ptUniv[0], hole.ptUniv[1], hole.ptUniv[2]};
    attr_block attributes = main_attrib;
    attributes.width = 1;
    attributes.style = 1;
    db_ptr entry = 0;
    char ok = 0;
    const std::uint32_t id = store_ent(&e, &entry, 0, kDrillPointColour, g_globals->settings.formsLevel, attributes, &ok);
    if (!ok) return false;
    hole.drillPointEntity = entry;
    hole.drillPointId = id;
    return true;
}

// Whether the chain of equal holes from `head` holds `hole`.
bool chainHolds(POINT_LIST* head, const POINT_LIST* hole) {
    bool held = false;
    forEachEqualHole(head, [&](const POINT_LIST& p) { held = held || &p == hole; });
    return held;
}

// The warning of a hole whose walk stored no point; false when the user cancelled.
bool warnNoPoint(const POINT_LIST& hole) {
    RUN_STATS& stats = g_records->runStats;
    if (stats.quietNoDrillPoint) return true;
    CMessageBox box;
    box.mode = 2;
    box.text = errorMessage(kMsgNoPoint) + "\n" + errorMessage(kMsgViewLabel) + " " + viewDescription(hole.view) + "\n" +
               errorMessage(kMsgHoleLabel) + " " + fieldText(hole.description) + "\n" + errorMessage(kMsgGoOn);
    const int answer = box.run();
    if (box.dontShowAgain) stats.quietNoDrillPoint = 1;
    return answer != 2;
}

}  // namespace

int storeDrillPoints(VIEW_LIST* views, POINT_LIST* only) {
    int stored = 0;
    for (VIEW_LIST* view = views; view; view = view->next) {
        if (!view->selected) continue;
        for (POINT_LIST* hole = view->firstPoint; hole; hole = hole->next) {
            // The members of a chain of equal holes are walked from its head.
            if (hole->excluded || !hole->selected || hole->chainMember) continue;
            if (only && !chainHolds(hole, only)) continue;
            int walk = 0;
            forEachEqualHole(hole, [&](POINT_LIST& p) {
                if (only && &p != only) return;
                p.drillPointId = 0;
                if (!p.selected2 || !storePoint(p)) return;
                ++walk;
                ++g_records->runStats.stateCount6;
            });
            if (walk == 0 && !warnNoPoint(*hole)) return kDrillPointsCancelled;
            stored += walk;
        }
    }
    return stored > 0 ? kDrillPointsStored : kNoDrillPointStored;
}

int deleteTempPoints() {
    const std::int32_t level = g_globals->settings.formsLevel;
    const int wasVisible = is_level_visible(level);
    set_level_visible(level, 1);
    std::vector<db_ptr> doomed;
    db_ptr at = db_start();
    char found = 0;
    ent e{};
    for (get_ent(at, 1, kEntPoint, &e, &at, &found); found; get_ent(at, 1, kEntPoint, &e, &at, &found))
        if (e.level == level && e.color == kDrillPointColour && e.refs == 0) doomed.push_back(at);
    for (db_ptr entry : doomed) delete_ent(entry, 0, 0, 0, nullptr, 0);
    set_level_visible(level, wasVisible);
    return 0;
}

int deleteUnusedTools() {
    TpPartToolList& tools = TpMainToolMgr().GetMainMillToolList();
    TpPartOpList& ops = TpMainOpMgr().GetMainOpList();
    std::vector<std::int32_t> unused;
    for (int i = 0; i < tools.GetSize(); ++i) {
        const part_tool* tool = tools.GetAt(i);
        if (!tool) continue;
        bool used = false;
        for (int k = 0; k < ops.GetSize() && !used; ++k)
            if (const operation* op = ops.GetAt(k)) used = op->toolSlot == tool->tool.slot;
        if (!used) unused.push_back(tool->tool.slot);
    }
    for (std::int32_t slot : unused) {
        tools.DatabaseRemove(slot);
        const int index = tools.IndexBySlot(slot);
        if (index >= 0) tools.RemoveAt(index);
    }
    return 0;
}

int maxToolNumber() {
    tool_node* list = nullptr;
    list_manager(kListTools, "", kListLoad, &list);
    int highest = 0;
    for (const tool_node* node = list; node; node = node->next) highest = std::max(highest, node->tool.number);
    if (list) list_manager(kListTools, "", kListFree, &list);
    return highest;
}
