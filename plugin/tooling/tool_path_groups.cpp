// The toolpath groups dialog. A list item's data is its view, or 0 for a separator: separators are items of
// their own kind, never records dressed up as views, so no view record is written while the user arranges
// the lists. Texts of "ToolPathGroupsDlg": 1 caption, 2 and 3 the separator buttons, 4 OK, 5 Cancel, 6 the
// separator item, 7 and 8 the captions of the ungrouped and grouped lists, 9 the pick, 10 the option.
#include "plugin/tooling/tool_path_groups.h"

#include <algorithm>
#include <memory>
#include <unordered_set>

#include "platform/ui/message_box.h"
#include "plugin/base/globals.h"
#include "plugin/base/machine_info.h"
#include "plugin/base/resource_switch.h"
#include "plugin/base/text_fill.h"
#include "plugin/model/tree.h"
#include "plugin/model/tree_views.h"
#include "plugin/model/work_records.h"
#include "plugin/services/tooling.h"

namespace {

constexpr std::intptr_t kSeparatorItem = 0;
constexpr int kMsgFiveAxisComponents = 152, kMsgCaption = 1;

VIEW_LIST* viewOf(const plat::Control& list, int index) {
    return reinterpret_cast<VIEW_LIST*>(list.itemData(index));
}
bool isSeparator(const plat::Control& list, int index) { return list.itemData(index) == kSeparatorItem; }

// The list's selected items, the first kMaxMoved of them, ascending.
std::vector<int> selectedToMove(const plat::Control& list) {
    std::vector<int> selected = list.selectedItems();
    if (selected.size() > static_cast<std::size_t>(CDlgToolPathGroups::kMaxMoved))
        selected.resize(CDlgToolPathGroups::kMaxMoved);
    return selected;
}

}  // namespace

CDlgToolPathGroups::CDlgToolPathGroups() : plat::Dialog(kTemplate) {
    onCommand(kAddToGroups, [this] { onAddToGroups(); });
    onCommand(kRemoveFromGroups, [this] { onRemoveFromGroups(); });
    onCommand(kInsertSeparator, [this] { onInsertSeparator(); });
    onCommand(kRemoveSeparator, [this] { onRemoveSeparator(); });
    onCommand(kFiveAxis, [this] { checkFiveAxisOption(); });
    onCommand(kPick, [this] { onSelectFromGraphics(); });
}

bool CDlgToolPathGroups::onInitDialog() {
    if (texts_.load(g_globals->uiTextFile, "ToolPathGroupsDlg", false) != 0) {
        endDialog(0);
        return true;
    }
    setWindowText(texts_.getText(1));
    item(kInsertSeparator).setText(texts_.getText(2));
    item(kRemoveSeparator).setText(texts_.getText(3));
    item(plat::IDOK).setText(texts_.getText(4));
    item(plat::IDCANCEL).setText(texts_.getText(5));
    separatorText_ = texts_.getText(6);
    item(kUngroupedCaption).setText(texts_.getText(7));
    item(kGroupedCaption).setText(texts_.getText(8));
    item(kPick).setText(texts_.getText(9));
    item(kFiveAxis).setText(texts_.getText(10));

    // An arrangement saved for a pick is shown again only while it holds exactly the views of the tree: a
    // tree changed meanwhile would leave it naming views that are gone.
    if (saved_ && arrangementFitsTree(*saved_)) restore(*saved_);
    else fillFromTree();
    saved_.reset();
    item(kFiveAxis).setCheck(g_records->multiViewFiveAxis != 0 ? 1 : 0);

    if (pickedHole && pickedHole->view) {
        plat::Control& ungrouped = item(kUngrouped);
        for (int i = 0; i < ungrouped.count(); ++i)
            if (viewOf(ungrouped, i) == pickedHole->view) ungrouped.setSel(i, true);
    }
    pickedHole = nullptr;
    return true;
}

void CDlgToolPathGroups::fillFromTree() {
    const std::int16_t sortOrder = g_globals->settings.viewsSortOrder;
    for (VIEW_LIST* v = g_records->viewsTree; v; v = v->next) {
        v->viewsSortOrder = sortOrder;
        if (v->groupMember == 0) {
            addView(kUngrouped, v);
            continue;
        }
        addView(kGrouped, v);
        if (v->endsToolPathGroup != 0) insertSeparator(-1);
    }
}

bool CDlgToolPathGroups::arrangementFitsTree(const ARRANGEMENT& a) const {
    std::unordered_set<const VIEW_LIST*> views;
    for (const VIEW_LIST* v = g_records->viewsTree; v; v = v->next) views.insert(v);
    if (views.size() != a.ungrouped.size() + a.grouped.size()) return false;
    for (const auto* list : {&a.ungrouped, &a.grouped})
        for (const SAVED_VIEW& s : *list)
            if (views.erase(s.view) == 0) return false;   // not in the tree, or saved twice
    return true;
}

void CDlgToolPathGroups::restore(const ARRANGEMENT& a) {
    plat::Control& ungrouped = item(kUngrouped);
    for (const SAVED_VIEW& s : a.ungrouped) {
        addView(kUngrouped, s.view);
        ungrouped.setSel(ungrouped.count() - 1, s.selected);
    }
    plat::Control& grouped = item(kGrouped);
    for (const SAVED_VIEW& s : a.grouped) {
        addView(kGrouped, s.view);
        grouped.setSel(grouped.count() - 1, s.selected);
        if (s.endsGroup) insertSeparator(-1);
    }
}

void CDlgToolPathGroups::addView(int listId, VIEW_LIST* view) {
    plat::Control& list = item(listId);
    const int at = list.addString(viewDescription(view));
    list.setItemData(at, reinterpret_cast<std::intptr_t>(view));
}

void CDlgToolPathGroups::insertSeparator(int at) {
    plat::Control& grouped = item(kGrouped);
    grouped.setItemData(grouped.insertString(at, separatorText_), kSeparatorItem);
}

// No two separators side by side, and none first: each would stand for an empty group.
void CDlgToolPathGroups::tidySeparators() {
    plat::Control& grouped = item(kGrouped);
    for (int i = 1; i < grouped.count();) {
        if (isSeparator(grouped, i) && isSeparator(grouped, i - 1)) grouped.deleteString(i);
        else ++i;
    }
    if (grouped.count() > 0 && isSeparator(grouped, 0)) grouped.deleteString(0);
}

int CDlgToolPathGroups::groupedViewCount() {
    const plat::Control& grouped = item(kGrouped);
    int n = 0;
    for (int i = 0; i < grouped.count(); ++i) n += isSeparator(grouped, i) ? 0 : 1;
    return n;
}

void CDlgToolPathGroups::onAddToGroups() {
    plat::Control& ungrouped = item(kUngrouped);
    const std::vector<int> moved = selectedToMove(ungrouped);
    for (int i : moved) addView(kGrouped, viewOf(ungrouped, i));
    for (auto i = moved.rbegin(); i != moved.rend(); ++i) ungrouped.deleteString(*i);
    checkFiveAxisOption();
}

void CDlgToolPathGroups::onRemoveFromGroups() {
    plat::Control& grouped = item(kGrouped);
    const std::vector<int> moved = selectedToMove(grouped);
    for (int i : moved)
        if (!isSeparator(grouped, i)) addView(kUngrouped, viewOf(grouped, i));
    for (auto i = moved.rbegin(); i != moved.rend(); ++i)
        if (!isSeparator(grouped, *i)) grouped.deleteString(*i);
    tidySeparators();
}

void CDlgToolPathGroups::onInsertSeparator() {
    plat::Control& grouped = item(kGrouped);
    const int n = grouped.count();
    if (n == 0) return;
    const std::vector<int> selected = grouped.selectedItems();
    int at = n;
    if (selected.empty()) {
        if (isSeparator(grouped, n - 1)) return;
    } else {
        const int last = selected.back();
        if (isSeparator(grouped, last) || (last + 1 < n && isSeparator(grouped, last + 1))) return;
        at = last + 1;
    }
    grouped.setSel(-1, false);
    insertSeparator(at);
}

void CDlgToolPathGroups::onRemoveSeparator() {
    plat::Control& grouped = item(kGrouped);
    const std::vector<int> selected = grouped.selectedItems();
    bool removed = false;
    for (auto i = selected.rbegin(); i != selected.rend(); ++i) {
        if (!isSeparator(grouped, *i)) continue;
        grouped.deleteString(*i);
        removed = true;
    }
    if (!removed && grouped.count() > 0 && isSeparator(grouped, grouped.count() - 1))
        grouped.deleteString(grouped.count() - 1);
}

void CDlgToolPathGroups::checkFiveAxisOption() {
    const int components = g_machineInfo.componentCount;
    if (item(kFiveAxis).check() == 0 || components >= 2 || groupedViewCount() < 2) return;
    plat::messageBox(this, fillText(errorMessage(kMsgFiveAxisComponents), {std::to_string(components)}),
                     errorMessage(kMsgCaption), plat::MB_OK | plat::MB_ICONEXCLAMATION);
}

void CDlgToolPathGroups::onSelectFromGraphics() {
    ARRANGEMENT a;
    const plat::Control& ungrouped = item(kUngrouped);
    const std::vector<int> ungroupedSelected = ungrouped.selectedItems();
    for (int i = 0; i < ungrouped.count(); ++i) {
        const bool selected = std::find(ungroupedSelected.begin(), ungroupedSelected.end(), i) != ungroupedSelected.end();
        a.ungrouped.push_back({viewOf(ungrouped, i), selected, false});
    }
    const plat::Control& grouped = item(kGrouped);
    const std::vector<int> groupedSelected = grouped.selectedItems();
    for (int i = 0; i < grouped.count(); ++i) {
        if (isSeparator(grouped, i)) {
            if (!a.grouped.empty()) a.grouped.back().endsGroup = true;
            continue;
        }
        const bool selected = std::find(groupedSelected.begin(), groupedSelected.end(), i) != groupedSelected.end();
        a.grouped.push_back({viewOf(grouped, i), selected, false});
    }
    saved_ = std::move(a);
    endDialog(kPickFromGraphics);
}

void CDlgToolPathGroups::onOK() {
    linkGroups();
    endDialog(plat::IDOK);
}

// Without any separator every grouped view is a group of its own; every ungrouped view always is, after
// the groups.
void CDlgToolPathGroups::linkGroups() {
    const plat::Control& grouped = item(kGrouped);
    const plat::Control& ungrouped = item(kUngrouped);
    bool anySeparator = false;
    for (int i = 0; i < grouped.count(); ++i) anySeparator = anySeparator || isSeparator(grouped, i);

    VIEW_LIST* head = nullptr;
    VIEW_LIST* tail = nullptr;
    const auto append = [&](VIEW_LIST* v) {
        v->prev = tail;
        v->next = nullptr;
        (tail ? tail->next : head) = v;
        tail = v;
    };
    std::int16_t group = 1;
    for (int i = 0; i < grouped.count(); ++i) {
        if (isSeparator(grouped, i)) {
            ++group;
            if (tail) tail->endsToolPathGroup = 1;
            continue;
        }
        VIEW_LIST* v = viewOf(grouped, i);
        append(v);
        v->endsToolPathGroup = 0;
        v->groupNumber = group;
        v->groupMember = 1;
        if (!anySeparator) ++group;
    }
    // The last group open at the end of the grouped list is closed, so that the first ungrouped view does
    // not share its number and join it.
    if (anySeparator && grouped.count() > 0 && !isSeparator(grouped, grouped.count() - 1)) ++group;
    for (int i = 0; i < ungrouped.count(); ++i) {
        VIEW_LIST* v = viewOf(ungrouped, i);
        append(v);
        v->endsToolPathGroup = 0;
        v->groupNumber = group++;
        v->groupMember = 0;
    }
    g_records->viewsTree = head;
    g_records->multiViewFiveAxis = static_cast<std::int16_t>(item(kFiveAxis).check() != 0 ? 1 : 0);
}

// ---- the service ---------------------------------------------------------------------------------------------

namespace {

// The dialog between a pick request and its next showing, which restores its arrangement.
std::unique_ptr<CDlgToolPathGroups> g_pendingPick;

}  // namespace

int runToolPathGroups(POINT_LIST* pickedHole) {
    std::unique_ptr<CDlgToolPathGroups> dlg =
        g_pendingPick ? std::move(g_pendingPick) : std::make_unique<CDlgToolPathGroups>();
    dlg->pickedHole = pickedHole;
    const int end = doModalInPluginRes(*dlg);
    if (end == CDlgToolPathGroups::kPickFromGraphics) g_pendingPick = std::move(dlg);
    return end;
}

void forgetPendingPick() { g_pendingPick.reset(); }

bool toolPathGroupsOverViews() { return g_records->multiViewFiveAxis != 0; }
