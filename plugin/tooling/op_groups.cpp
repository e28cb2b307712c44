// The host operation groups the generations make, found and purged by their names; the group notes whose
// position gives a view's operations their tool plane origin; and a level's point that can give it instead.
#include <algorithm>
#include <string>
#include <vector>

#include "host/api.h"
#include "platform/sys/paths.h"
#include "platform/ui/message_box.h"
#include "plugin/base/globals.h"
#include "plugin/base/machine_info.h"
#include "plugin/base/text_fill.h"
#include "plugin/model/tool_records.h"
#include "plugin/model/tree.h"
#include "plugin/model/tree_views.h"
#include "plugin/model/work_records.h"
#include "plugin/services/tooling.h"
#include "plugin/tooling/generated_groups.h"
#include "plugin/base/tool_types.h"

namespace {

constexpr int kNoteColour = 12;
constexpr int kMsgCaption = 1, kMsgSeveralNotes = 16;   // "ErrorMessages"
constexpr int kNoteText = 1, kNotePrompt = 2;            // "ProcessMenu"

std::string withoutControlChars(std::string text) {
    std::erase_if(text, [](char c) { return static_cast<unsigned char>(c) < 32; });
    return text;
}

std::string groupNoteText(const VIEW_LIST* view) {
    return fillText(g_processMenu->getMessage(kNoteText), {viewDescription(view)});
}

// The note's position: the point its leader shows, else where its text stands; world coordinates.
void notePosition(const ent& note, double out[3]) {
    const p_3d& p = note.note.leaderStyle != 0 ? note.note.leader.e2 : note.note.pos;
    const double inView[3] = {p.x, p.y, p.z};
    view_to_world_pt(inView, note.note.view, out);
}

// Calls visit(entry, note) for every note on a visible level in the view's plane whose text is the view's
// group-note text, compared without case.
template <class Visit>
void forEachGroupNote(const VIEW_LIST* view, Visit visit) {
    const std::string text = groupNoteText(view);
    db_ptr at = db_start();
    char found = 0;
    ent e{};
    for (get_ent(at, 1, kEntNote, &e, &at, &found); found; get_ent(at, 1, kEntNote, &e, &at, &found)) {
        if (e.note.subKind != 0 || !is_level_visible(e.level) || e.note.view != view->viewNumber) continue;
        if (!plat::equalsNoCase(mTableFindData(e.note.text), text)) continue;
        visit(at, e);
    }
}

}  // namespace

void appendGeneratedGroup(const std::string& name) {
    auto* record = new GEN_OP_GROUP();
    setFieldText(record->name, name);
    GEN_OP_GROUP** tail = &g_records->genOpGroups;
    while (*tail) tail = &(*tail)->next;
    *tail = record;
    ++g_records->genOpGroupCount;
}

std::string typeGroupName(std::uint32_t type) {
    for (const TOOL_OP_TYPE* row = g_toolOpTypes; row->type >= 0; ++row)
        if (row->type == static_cast<std::int32_t>(type)) return row->groupName;
    return "";
}

std::string sanitizeGroupName(std::string name) {
    std::erase_if(name, [](char c) { return c == '\\' || c == '/' || c == ':' || c == '?' || c == '|'; });
    return name;
}

std::uint32_t opGroupIdByName(const std::string& name, op_group** root) {
    TpGrpList& groups = TpMainGrpMgr().GetMainGrpList();
    if (root) *root = nullptr;
    const op_group* group = groups.GroupByName(name.c_str());
    if (!group) return 0;
    if (root) *root = groups.RetrieveRootMachineGroup(group->id);
    return static_cast<std::uint32_t>(group->id);
}

std::string opGroupName(std::int32_t groupId) {
    const op_group* group = TpMainGrpMgr().GetMainGrpList().GroupByID(groupId);
    return group ? std::string(group->name) : std::string();
}

std::int32_t findOrCreateOpGroup(const std::string& name, std::int32_t parent) {
    if (const std::uint32_t id = opGroupIdByName(name)) return static_cast<std::int32_t>(id);
    return OMcreateGroup(name.c_str(), 0, parent, 0, 1);
}

int deleteGroupOperations(std::uint32_t groupId) {
    TpPartOpList& ops = TpMainOpMgr().GetMainOpList();
    std::vector<std::int32_t> doomed;
    int kept = 0;
    for (int i = 0; i < ops.GetSize(); ++i) {
        const operation* op = ops.GetAt(i);
        if (!op || op->groupId != static_cast<std::int32_t>(groupId)) continue;
        if (op->keep) ++kept;
        else doomed.push_back(op->id);
    }
    for (std::int32_t id : doomed) ops.DeleteListAndDB(id, 1, 1);
    return kept;
}

int clearOperationsSelected() {
    op_list* list = nullptr;
    list_manager(kListOperations, "", kListLoad, &list);
    for (op_list* node = list; node; node = node->next) {
        if (node->op.selected != 1) continue;
        node->op.selected = 0;
        db_ptr entry = 0;
        char fail = 0;
        operation_manager(&node->op, 2, &entry, &fail);
    }
    if (list) list_manager(kListOperations, "", kListFree, &list);
    return 0;
}

int cleanGeneratedGroups(std::int16_t onlyMachineGroup) {
    TpGrpList& groups = TpMainGrpMgr().GetMainGrpList();
    const op_group* active = groups.RetrieveActiveGroup();
    if (!active) return 0;
    CYCLE_RECORDS& records = *g_records;
    std::vector<std::int32_t> ids;
    std::vector<GEN_OP_GROUP*> found;
    GEN_OP_GROUP* record = records.genOpGroups;
    for (int i = 0; i < records.genOpGroupCount && record; ++i, record = record->next) {
        const op_group* group = groups.GroupByName(withoutControlChars(fieldText(record->name)).c_str());
        if (!group) continue;
        if (onlyMachineGroup) {
            const op_group* root = g_machineInfo.rootMachineGroup;
            if (!root || group->id != root->id) continue;
        }
        ids.push_back(group->id);
        found.push_back(record);
    }
    std::int32_t defaultId = active->id;
    if (ids.empty()) {
        freeGenOpGroupList(records.genOpGroups);
        records.genOpGroups = nullptr;
        records.genOpGroupCount = 0;
    }
    for (std::size_t i = 0; i < ids.size(); ++i) {
        // A group that keeps operations stays, and so does its record.
        if (deleteGroupOperations(static_cast<std::uint32_t>(ids[i])) > 0) continue;
        if (groups.IndexByID(ids[i]) < 0) continue;
        if (ids[i] == defaultId) {
            const op_group* group = groups.GroupByID(ids[i]);
            const std::int32_t parent = group ? group->parentId : 0;
            groups.SetDefaultOperationGroup(parent);
            defaultId = parent;
        }
        OMdeleteGroup(ids[i], 0);
        for (GEN_OP_GROUP** link = &records.genOpGroups; *link; link = &(*link)->next) {
            if (*link != found[i]) continue;
            *link = found[i]->next;
            delete found[i];
            --records.genOpGroupCount;
            break;
        }
    }
    if (records.genOpGroupCount < 1 || !records.genOpGroups) {
        freeGenOpGroupList(records.genOpGroups);
        records.genOpGroups = nullptr;
        records.genOpGroupCount = 0;
    }
    if (const op_group* now = groups.RetrieveActiveGroup()) {
        g_machineInfo.rootMachineGroup = groups.RetrieveRootMachineGroup(now->id);
        groups.SetDefaultOperationGroup(defaultId);
    }
    return 0;
}

void placeGroupNote(VIEW_LIST* view) {
    if (!view) return;
    const double h = g_globals->metric() ? 5.0 : 0.2;
    const std::string text = groupNoteText(view);
    cleartextall();
    const std::string prompt = g_processMenu->getMessage(kNotePrompt) + " " + text + "\n";
    char kind = 0, got = 0;
    double picked[3] = {};
    do {
        point_proc(prompt.c_str(), &kind, picked, &got);
    } while (got && kind == 'K');
    if (!got) return;
    double inView[3];
    mul_mat_vector(view->matrix, picked, inView);
    ent note{};
    calc_note(&note, view->viewNumber, {inView[0] + h, inView[1] + h, inView[2]}, text, h, 2.5 * h);
    // The text stands beside the point; its leader shows the point, which is the note's position.
    note.note.leaderStyle = 1;
    note.note.leader = {note.note.pos, {inView[0], inView[1], inView[2]}};
    db_ptr entry = 0;
    char ok = 0;
    store_ent(&note, &entry, 0, kNoteColour, main_level, main_attrib, &ok);
    if (ok) deleteGroupNotes(view, entry);
}

void deleteGroupNotes(VIEW_LIST* view, db_ptr keep) {
    if (!view) return;
    forEachGroupNote(view, [&](db_ptr entry, const ent&) {
        if (entry != keep) delete_ent(entry, 0, 0, 0, nullptr, 0);
    });
    repaint_graphics();
}

int findGroupNotes(VIEW_LIST* view, double position[3]) {
    position[0] = position[1] = position[2] = 0;
    if (!view) return 0;
    int count = 0;
    forEachGroupNote(view, [&](db_ptr, const ent& note) {
        ++count;
        notePosition(note, position);
    });
    if (count > 1) {
        const std::string text = fillText(errorMessage(kMsgSeveralNotes), {long{count}}) + " " + viewDescription(view);
        plat::messageBox(nullptr, text, errorMessage(kMsgCaption), plat::MB_OK);
    }
    return count;
}

int findLevelPoint(std::int32_t level, double position[3]) {
    if (!is_level_visible(level)) return 0;
    position[0] = position[1] = position[2] = 0;
    db_ptr at = db_start();
    char found = 0;
    ent e{};
    for (get_ent(at, 1, kEntPoint, &e, &at, &found); found; get_ent(at, 1, kEntPoint, &e, &at, &found)) {
        if (e.level != level) continue;
        position[0] = e.pt.pt.x;
        position[1] = e.pt.pt.y;
        position[2] = e.pt.pt.z;
        return 1;
    }
    return 0;
}
