// The tools view: a tree of the tools a tool sequence uses, one top item per tool (found tools in order of
// first use, then one per missing tool) with one child per operation; every item's data is its index in
// usedOps. The global instance keeps the item clicked last and the operations' `active` flags saved by
// "keep only these operations active" from one opening to the next. Texts of "ToolsViewDlg": 1 caption,
// 2 OK, 21-23 parts of item texts, 51-56 and 69 the menu, 80-83 the questions.
#include <set>
#include <string>

#include "host/api.h"
#include "platform/ui/image_list.h"
#include "platform/ui/keys.h"
#include "platform/ui/menu.h"
#include "plugin/base/globals.h"
#include "plugin/base/resource_switch.h"
#include "plugin/base/tool_types.h"
#include "plugin/model/ope_list.h"
#include "plugin/model/tool_records.h"
#include "plugin/model/tree.h"
#include "plugin/resources/templates.h"
#include "plugin/services/tooling.h"
#include "plugin/tooling/tools_view.h"
#include "plugin/tooling/tool_dialogs.h"
#include "plugin/tooling/tools_view_texts.h"

namespace {

// The tree's images, in kToolsViewBitmaps order.
enum Image { kOperation = 0, kTool = 1, kMade = 2, kMadeStored = 3, kMadeChanged = 4, kMadeStoredChanged = 5, kMissing = 6 };

// The menu's commands; 30 closes the menu with nothing done.
enum Command { kReplace = 1, kEdit = 2, kNewTool = 3, kStore = 4, kShowHoles = 5, kKeepOnly = 6, kNothing = 30 };

int toolImage(const OPE_LIST& op) {
    if (!op.newTool) return kTool;
    if (toolStoredInLibrary(op)) return op.toolChangedByUser ? kMadeStoredChanged : kMadeStored;
    return op.toolChangedByUser ? kMadeChanged : kMade;
}

// The operations of the sequence, to know which saved flags still belong to a live operation.
std::set<const OPE_LIST*> sequenceOperations(const std::vector<FULL_TOOLS_SEQ>* sequence) {
    std::set<const OPE_LIST*> all;
    if (sequence)
        for (const FULL_TOOLS_SEQ& entry : *sequence)
            for (const OPE_LIST* op : entry.opes)
                if (op) all.insert(op);
    return all;
}

}  // namespace

CDlgToolsView::CDlgToolsView() : plat::Dialog(kTemplate) {
    on(kTree, plat::Ev::Clicked, [this](plat::Notify& n) { onClickTree(n); });
    on(kTree, plat::Ev::RClick, [this](plat::Notify& n) { onRClickTree(n); });
    on(kTree, plat::Ev::ItemExpanded, [this](plat::Notify& n) { onItemExpanded(n); });
    onMessage(plat::Msg::Destroy, [this](plat::MsgArgs&) { images_.reset(); });
}

CDlgToolsView::~CDlgToolsView() = default;

std::vector<tp_tool>& CDlgToolsView::tools() const {
    if (toolsSeq && !toolsSeq->empty() && toolsSeq->front().tools) return *toolsSeq->front().tools;
    return partToolArray();
}

bool CDlgToolsView::onInitDialog() {
    // "Keep only these operations active" lasts until the view opens again. Only operations still in the
    // sequence are put back: the others went with the tree they belonged to.
    const std::set<const OPE_LIST*> live = sequenceOperations(toolsSeq);
    for (const OP_PREV_SEL& saved : prevActive)
        if (live.count(saved.operation)) saved.operation->active = saved.active;
    prevActive.clear();
    images_ = std::make_unique<plat::ImageList>(25, 16, 7, 1);
    for (int id : kToolsViewBitmaps) images_->addBitmap(id, 0xFFFFFF);
    plat::TreeView& tree = treeView(kTree);
    tree.setImageList(images_.get());
    if (!toolsSeq || toolsSeq->empty()) return true;
    (void)texts_.load(g_globals->uiTextFile, "ToolsViewDlg", true);
    setWindowText(texts_.getText(1));
    item(plat::IDOK).setText(texts_.getText(2));
    buildToolsUsedList();
    fillToolsTree();
    return true;
}

void CDlgToolsView::fillToolsTree() {
    if (usedOps.empty()) return;
    plat::TreeView& tree = treeView(kTree);
    tree.deleteAllItems();
    const TOOLS_VIEW_TEXTS words = toolsViewTexts(texts_);
    bool first = true;
    std::int32_t previous = 0;
    plat::TreeItem top = 0, remembered = 0;
    for (std::size_t i = 0; i < usedOps.size(); ++i) {
        const OPE_LIST& op = *usedOps[i];
        const auto index = static_cast<std::int32_t>(i);
        if (first || op.toolIndex != previous) {
            first = false;
            previous = op.toolIndex;
            const tp_tool* tool = toolOf(op);
            const int image = tool ? toolImage(op) : kMissing;
            const std::string text = tool ? toolItemText(*tool) : missingToolItemText(op, words);
            top = tree.insertItem(text, image, image, plat::TVI_ROOT, plat::TVI_LAST);
            tree.setItemData(top, index);
            if (selectedItem == index) remembered = top;
        }
        const plat::TreeItem child =
            tree.insertItem(operationItemText(op, words), kOperation, kOperation, top, plat::TVI_LAST);
        tree.setItemData(child, index);
        if (selectedItem == index) remembered = top;
    }
    for (plat::TreeItem it = tree.rootItem(); it; it = tree.nextSibling(it)) {
        const OPE_LIST& op = *usedOps[static_cast<std::size_t>(tree.itemData(it))];
        tree.expand(it, op.toolExpanded ? plat::TVE_EXPAND : plat::TVE_COLLAPSE);
    }
    if (remembered) {
        tree.selectItem(remembered);
        tree.setItemState(remembered, plat::TVIS_SELECTED, plat::TVIS_SELECTED);
        tree.selectDropTarget(remembered);
        tree.ensureVisible(remembered);
    }
}

void CDlgToolsView::onClickTree(plat::Notify&) {
    plat::Control& c = item(kTree);
    plat::TreeView& tree = *c.treeView();
    unsigned flags = 0;
    const plat::TreeItem hit = tree.hitTest(c.screenToClient(plat::cursorPos()), &flags);
    if (!hit || (flags & plat::TVHT_ONITEM) == 0) return;
    for (plat::TreeItem it = tree.rootItem(); it; it = tree.nextSibling(it))
        if (it != hit) tree.setItemState(it, 0, plat::TVIS_SELECTED | plat::TVIS_DROPHILITED);
    if (tree.dropHighlightItem() != hit) tree.selectDropTarget(0);
    selectedItem = static_cast<std::int32_t>(tree.itemData(hit));
}

void CDlgToolsView::onItemExpanded(plat::Notify& n) {
    const plat::TreeView& tree = treeView(kTree);
    const auto index = static_cast<std::size_t>(tree.itemData(n.item));
    if (index < usedOps.size()) usedOps[index]->toolExpanded = n.action == plat::TVE_EXPAND ? 1 : 0;
}

void CDlgToolsView::onRClickTree(plat::Notify&) {
    plat::Control& c = item(kTree);
    plat::TreeView& tree = *c.treeView();
    unsigned flags = 0;
    const plat::TreeItem hit = tree.hitTest(c.screenToClient(plat::cursorPos()), &flags);
    if (!hit || (flags & (plat::TVHT_ONITEM | plat::TVHT_ONITEMINDENT | plat::TVHT_ONITEMBUTTON)) == 0) return;
    const auto index = static_cast<std::int32_t>(tree.itemData(hit));
    if (index < 0 || static_cast<std::size_t>(index) >= usedOps.size()) return;
    selectedItem = index;
    const OPE_LIST& op = *usedOps[static_cast<std::size_t>(index)];
    const bool hasTool = op.toolIndex >= 0;
    plat::Menu menu;
    menu.item(kReplace, texts_.getMessage(54));
    menu.item(kEdit, texts_.getMessage(51), !hasTool);
    menu.item(kNewTool, texts_.getMessage(53));
    menu.item(kStore, texts_.getMessage(52), !(op.newTool && !toolStoredInLibrary(op)));
    menu.item(kShowHoles, texts_.getMessage(55));
    menu.item(kKeepOnly, texts_.getMessage(56));
    menu.item(kNothing, texts_.getMessage(69));
    switch (plat::trackPopupMenu(menu, plat::TPM_RETURNCMD | plat::TPM_NONOTIFY, plat::cursorPos(), this)) {
    case kReplace: replaceTool(hit, index); break;
    case kEdit: editTool(index); break;
    case kNewTool: newToolFromLibrary(hit, index); break;
    case kStore: storeToolInLibrary(index); break;
    case kShowHoles: showHoles(hit, index); break;
    case kKeepOnly: keepOnlyTheseActive(hit, index); break;
    default: break;
    }
}

std::vector<OPE_LIST*> CDlgToolsView::itemOperations(plat::TreeItem item) const {
    const plat::TreeView& tree = const_cast<CDlgToolsView*>(this)->treeView(kTree);
    std::vector<OPE_LIST*> ops;
    for (plat::TreeItem child = tree.childItem(item); child; child = tree.nextSibling(child)) {
        const auto index = static_cast<std::size_t>(tree.itemData(child));
        if (index < usedOps.size()) ops.push_back(usedOps[index]);
    }
    return ops;
}

void CDlgToolsView::releaseMarkedHoles(POINT_LIST** caller) {
    if (caller && *caller)
        for (const auto& copy : markedCopies_)
            if (copy.get() == *caller) *caller = nullptr;
    markedCopies_.clear();
    markedHoles = nullptr;
}

int runToolsView(std::vector<FULL_TOOLS_SEQ>& sequence, POINT_LIST** markedHoles) {
    CDlgToolsView& view = *g_toolsView;
    view.releaseMarkedHoles(markedHoles);
    view.toolsSeq = &sequence;
    const int end = doModalInPluginRes(view);
    const bool marks = end == CDlgToolsView::kShowToolHoles || end == CDlgToolsView::kShowOperationHole ||
                       end == CDlgToolsView::kKeepOnlyThese;
    if (marks && markedHoles && view.markedHoles) *markedHoles = view.markedHoles;
    return end;
}
