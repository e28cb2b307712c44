// The process tree dialog: its start, the tree fill with the state filters, the images and on marks, the
// clicks on icons, label editing and the Advanced layout.
#include "plugin/engine/process_tree.h"

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <map>

#include "host/api.h"
#include "platform/ui/image_list.h"
#include "platform/ui/keys.h"
#include "plugin/base/globals.h"
#include "plugin/base/host_views.h"
#include "plugin/base/text_fill.h"
#include "plugin/engine/engine_state.h"
#include "plugin/engine/hole_marks.h"
#include "plugin/engine/operation_comments.h"
#include "plugin/model/ope_list.h"
#include "plugin/engine/process_reassign.h"
#include "plugin/model/process_tree_fields.h"
#include "plugin/engine/run_statistics.h"
#include "plugin/engine/tool_sequencing.h"
#include "plugin/model/tool_records.h"
#include "plugin/model/tree.h"
#include "plugin/model/tree_views.h"
#include "plugin/model/work_records.h"
#include "plugin/resources/templates.h"
#include "plugin/services/tooling.h"

LoadTime<CDlgProcess> g_processDlg;

const TREE_FILTER kTreeFilters[10] = {
    {4302, 31, kStateAdapted},     {4116, 38, kStateCrashInto},  {4114, 32, kStateNoMeasures},
    {4035, 39, kStateNoProblem},   {4028, 34, kStateDepth},      {4019, 33, kStateChamfer},
    {4304, 40, kStateProvisional}, {4303, 41, kStateNotAccessible}, {4117, 42, kStateToolMissing},
    {4118, 43, kStateToolCreated},
};

namespace {

constexpr std::size_t kMaxItemText = 82;
constexpr int kClearSelectionTimer = 1;
constexpr int kClearSelectionDelayMs = 25;
constexpr int kStatControls[] = {4296, 4297, 4298};

std::string cut(std::string text) {
    if (text.size() > kMaxItemText) text.resize(kMaxItemText);
    return text;
}

// The explanation left after the label in the hole's item.
std::string explanationAfter(const std::string& label, const HOLE_EXPLANATION& e) {
    if (label.empty()) return e.whole();
    const bool named = label.compare(0, e.head.size(), e.head) == 0 &&
                       (label.size() == e.head.size() || label[e.head.size()] == ';' || label[e.head.size()] == ' ');
    return named ? e.tail : "  " + e.whole();
}

// The classes of the tables the fill meets, each table read once.
class TABLE_CLASSES {
public:
    int of(const POINT_LIST& hole) {
        const auto [it, added] = classes_.try_emplace(fieldText(hole.tableName), 0);
        if (added) it->second = holeTableClass(hole);
        return it->second;
    }

private:
    std::map<std::string, int> classes_;
};

template <class Visit>
void forEachChainMember(POINT_LIST& head, Visit visit) {
    for (POINT_LIST* p = &head; p; p = nextInChain(*p)) visit(*p);
}

// The per-hole states the fill computes: tool problems from the operations, and no problem at all.
void computeHoleStates(VIEW_LIST* views) {
    for (VIEW_LIST* v = views; v; v = v->next) {
        for (POINT_LIST* p = v->firstPoint; p; p = p->next) {
            if (chainFollower(*p)) continue;
            std::uint32_t missing = 0, created = 0;
            for (const OPE_LIST* o = p->opeList; o; o = o->next) {
                if (o->toolIndex < 0) missing = 1;
                if (o->newTool) created = 1;
            }
            p->toolMissing = static_cast<std::int32_t>(missing);
            p->toolCreated = static_cast<std::int32_t>(created);
            // Set both ways on the whole chain: a hole re-assigned into a problem loses the mark, and the
            // members are filtered with their head when their surfaces are highlighted.
            const std::int32_t noProblem = holeWithoutProblem(*p) ? 1 : 0;
            forEachChainMember(*p, [&](POINT_LIST& m) {
                m.toolMissing = p->toolMissing;
                m.toolCreated = p->toolCreated;
                m.noProblem = noProblem;
            });
        }
    }
}

std::uint32_t viewStates(const VIEW_LIST& v) {
    std::uint32_t states = 0;
    for (const POINT_LIST* p = v.firstPoint; p; p = p->next) {
        if (chainFollower(*p)) continue;
        for (const TREE_FILTER& f : kTreeFilters)
            if (holeHasState(*p, f.bit)) states |= f.bit;
    }
    return states;
}

}  // namespace

std::string holeItemText(const POINT_LIST& hole, int tableClass) {
    const std::string label = fieldText(hole.description);
    return label + explanationAfter(label, explainHole(hole, tableClass));
}

std::string labelFromItemText(const POINT_LIST& hole, int tableClass, std::string text) {
    const std::string left = explanationAfter(text, explainHole(hole, tableClass));
    if (!left.empty() && text.size() > left.size() && text.compare(text.size() - left.size(), left.size(), left) == 0)
        text.resize(text.size() - left.size());
    return text;
}

CDlgProcess::CDlgProcess() : plat::Dialog(kTemplate) {
    onCommand(kCreate, [this] { endDialog(201); });
    onCommand(kGroups, [this] {
        g_engine->treeReturnAction = 3;
        endDialog(131);
    });
    onCommand(kToolsManager, [this] { endDialog(132); });
    onCommand(kAdvanced, [this] { onAdvanced(); });
    onMessage(plat::Msg::Close, [this](plat::MsgArgs&) { endDialog(plat::IDOK); });
    onMessage(plat::Msg::Destroy, [this](plat::MsgArgs&) {
        texts.clear();
        imageList.reset();
        highlightedItem = 0;
    });
    on(kTree, plat::Ev::Clicked, [this](plat::Notify& n) { onClickTree(n); });
    on(kTree, plat::Ev::RClick, [this](plat::Notify& n) { onRClickTree(n); });
    on(kTree, plat::Ev::ItemExpanded, [this](plat::Notify& n) { onItemExpanded(n); });
    on(kTree, plat::Ev::BeginLabelEdit, [this](plat::Notify& n) { onBeginLabelEdit(n); });
    on(kTree, plat::Ev::EndLabelEdit, [this](plat::Notify& n) { onEndLabelEdit(n); });
    for (const TREE_FILTER& f : kTreeFilters) {
        const TREE_FILTER filter = f;
        onCommand(f.checkId, [this, filter] { onFilter(filter.checkId, filter.bit); });
    }
}

CDlgProcess::~CDlgProcess() = default;

bool CDlgProcess::onInitDialog() {
    PLUGIN_GLOBALS& g = *g_globals;
    if (pendingScope == 108 || pendingScope == 109 || pendingScope == 111) {
        for (const OP_PREV_SEL& saved : savedActive) saved.operation->active = saved.active;
        savedActive.clear();
        pendingScope = 0;
    }
    if (texts.load(g.uiTextFile, "TreeProcessDlg", true) != 0) {
        endDialog(plat::IDOK);
        return true;
    }
    for (const TREE_FILTER& f : kTreeFilters) item(f.checkId).enable(true);
    setWindowText(texts.getText(1) + " - " + g.versionText);
    advancedTexts[0] = texts.getText(8);
    advancedTexts[1] = texts.getText(9);
    item(kCreate).setText(texts.getText(3));
    item(kGroups).setText(texts.getText(2));
    item(kToolsManager).setText(texts.getText(6));
    item(plat::IDOK).setText(texts.getText(4));
    item(kAdvanced).setText(advancedTexts[advancedShown ? 1 : 0]);
    highlightedItem = 0;
    imageList = std::make_unique<plat::ImageList>(25, 16, 12, 1);
    for (int id : kProcessTreeBitmaps) imageList->addBitmap(id, 0xFFFFFF);
    treeView(kTree).setImageList(imageList.get());
    actOnReturn();
    fillStatistics();
    labelFilters();
    fillTree(g_records->viewsTree, filterFlags);
    if (advancedShown == 0) {
        advancedShown = 1;
        collapseAdvanced();
    }
    return true;
}

// What the previous display asked to be done when it ended.
void CDlgProcess::actOnReturn() {
    switch (g_engine->treeReturnAction) {
    case 1:
        if (g_engine->currentTable.restoredFromSnapshot) break;   // the configuration was cancelled
        if (!tableOpenedFromMenu || tableOpenKept) {
            reassignProcess(g_engine->markedHoles);
            g_toolsArray->clear();
            g_fullToolsSeq->clear();
            sequenceTools(*g_fullToolsSeq, g_records->viewsTree, 0);
            filterFlags = 0xFFFFFFFFu;
            countUsedTools(*g_fullToolsSeq, &g_records->runStats.toolsCount1, &g_records->runStats.toolsCount2);
        }
        if (g_engine->markedHoles && g_engine->markedHoles->noMeasures == 0) {
            countHoleStates(g_records->viewsTree);
            for (const TREE_FILTER& f : kTreeFilters)
                if (f.bit != kStateDepth && f.bit != kStateChamfer && holeHasState(*g_engine->markedHoles, f.bit))
                    filterFlags |= f.bit;
            highlightHole(g_engine->markedHoles, 1, false, 0);
            rebuild_graphics();
        }
        break;
    case 2: reassignProcessKeepOrder(g_records->viewsTree); break;
    case 3:
    case 4:
        fillTree(g_records->viewsTree, 0xFFFFFFFFu);
        if (g_engine->treeReturnAction == 4) {
            plat::TreeView& tree = treeView(kTree);
            for (plat::TreeItem it = tree.rootItem(); it; it = tree.nextSibling(it)) {
                setCheckedRecursive(it, static_cast<VIEW_LIST*>(recordOf(it))->groupMember);
                refreshItems(it);
            }
        }
        break;
    default: break;
    }
    g_engine->treeReturnAction = 0;
    tableOpenedFromMenu = 0;
}

void CDlgProcess::fillStatistics() {
    const PLUGIN_GLOBALS& g = *g_globals;
    const RUN_SETTINGS& run = g_records->runSettings;
    for (int i = 0; i < 3; ++i) item(kStatControls[i]).setText(texts.getText(21 + i));
    item(4031).setText(run.processMach2);
    item(4032).setText(run.processMach1);
    char low[64], high[64];
    std::snprintf(low, sizeof low, g_fmtMedium, run.processMach11);
    std::snprintf(high, sizeof high, g_fmtMedium, run.processMach9);
    item(4033).setText(fillText(texts.getText(24), {std::string(low), std::string(high)}));
    item(4365).setText(texts.getText(25));
    const bool onlySelected = run.onlySelectedViews != 0;
    item(4034).show(!onlySelected);
    item(4023).show(onlySelected);
    if (onlySelected) {
        plat::Control& views = item(4023);
        views.resetContent();
        for (int i = 0; i < g.viewsSnapshot.count(); ++i)
            views.addString(g.viewsSnapshot.getItem(i, nullptr, nullptr, nullptr));
        views.setCurSel(0);
    } else {
        item(4034).setText(texts.getText(26));
    }
    item(4299).setText(texts.getText(50));
    item(4036).setText(
        fillText(texts.getText(51), {texts.getText(53 + run.processMach39), texts.getText(53 + run.processMach37)}));
}

void CDlgProcess::labelFilters() {
    VIEW_LIST* tree = g_records->viewsTree;
    computeHoleStates(tree);
    int holes = 0;
    int counts[10] = {};
    for (VIEW_LIST* v = tree; v; v = v->next) {
        for (POINT_LIST* p = v->firstPoint; p; p = p->next) {
            if (chainFollower(*p)) continue;
            ++holes;
            for (int i = 0; i < 10; ++i) counts[i] += holeHasState(*p, kTreeFilters[i].bit);
        }
    }
    item(kFiltersBox).setText(fillText(texts.getText(30), {long{holes}}));
    for (int i = 0; i < 10; ++i) {
        const TREE_FILTER& f = kTreeFilters[i];
        plat::Control& box = item(f.checkId);
        box.setText(fillText(texts.getText(f.line), {long{counts[i]}}));
        if (counts[i] < 1) {
            box.enable(false);
            filterFlags &= ~f.bit;
        }
        box.setCheck((filterFlags & f.bit) ? 1 : 0);
    }
}

void CDlgProcess::onFilter(int checkId, std::uint32_t bit) {
    if (item(checkId).check() >= 1)
        filterFlags |= bit;
    else
        filterFlags &= ~bit;
    fillTree(g_records->viewsTree, filterFlags);
}

void CDlgProcess::fillTree(VIEW_LIST* views, std::uint32_t flags) {
    plat::TreeView& tree = treeView(kTree);
    tree.deleteAllItems();
    highlightedItem = 0;
    item(kTitleBox).setText(texts.getText(7));
    if (!views) return;
    computeHoleStates(views);
    TABLE_CLASSES classes;
    plat::TreeItem toShow = 0;
    for (VIEW_LIST* v = views; v; v = v->next) {
        if ((viewStates(*v) & flags) == 0) continue;
        char text[256];
        std::snprintf(text, sizeof text, "(%s %i)  %s", texts.getText(35).c_str(), v->groupNumber,
                      viewDescription(v).c_str());
        const plat::TreeItem viewItem = tree.insertItem(cut(text));
        tree.setItemData(viewItem, reinterpret_cast<std::intptr_t>(v));
        for (POINT_LIST* p = v->firstPoint; p; p = p->next) {
            if (chainFollower(*p) || !holeMeetsFilter(*p, flags)) continue;
            if (expandToolProblems && (p->toolMissing || p->toolCreated)) {
                p->expandOnFill = 1;
                v->expandOnFill = 1;
            }
            // Unlike a view's, a hole's text is not cut: it is built whole each time it is shown.
            const plat::TreeItem holeItem = tree.insertItem(holeItemText(*p, classes.of(*p)), 0, 0, viewItem);
            tree.setItemData(holeItem, reinterpret_cast<std::intptr_t>(p));
            if (p->showOnFill) {
                p->showOnFill = 0;
                toShow = holeItem;
            } else if (p == selectHole) {
                p->highlightOnFill = 1;
                toShow = holeItem;
            }
            for (OPE_LIST* o = p->opeList; o; o = o->next) {
                const plat::TreeItem opeItem = tree.insertItem(cut(std::string(o->comment)), 0, 0, holeItem);
                tree.setItemData(opeItem, reinterpret_cast<std::intptr_t>(o));
                if (o->showOnFill) {
                    o->showOnFill = 0;
                    toShow = opeItem;
                }
            }
            if (p->expandOnFill) tree.expand(holeItem, plat::TVE_EXPAND);
        }
        if (v->expandOnFill) tree.expand(viewItem, plat::TVE_EXPAND);
        if (v->showOnFill) {
            v->showOnFill = 0;
            toShow = viewItem;
        }
    }
    if (toShow) tree.ensureVisible(toShow);
    refreshItems(tree.rootItem());
    expandToolProblems = 0;
}

// The tree's items hold views, holes and operations alike, told apart by the kind each record begins with.
static_assert(offsetof(VIEW_LIST, kind) == 0 && offsetof(POINT_LIST, kind) == 0 && offsetof(OPE_LIST, kind) == 0,
              "a record of the process tree must begin with its kind");

int CDlgProcess::recordKind(plat::TreeItem item) const {
    const void* record = recordOf(item);
    if (!record) return 0;
    std::uint16_t kind = 0;
    std::memcpy(&kind, record, sizeof kind);   // every record of the tree begins with its kind
    return kind;
}

void* CDlgProcess::recordOf(plat::TreeItem item) const {
    const plat::TreeView* tree = const_cast<CDlgProcess*>(this)->findItem(kTree)->treeView();
    return reinterpret_cast<void*>(tree->itemData(item));
}

bool CDlgProcess::allChainSelected(const POINT_LIST& hole) {
    for (const POINT_LIST* p = &hole; p; p = nextInChain(*p))
        if (!p->selected) return false;
    return true;
}

std::uint16_t CDlgProcess::onValue(plat::TreeItem item) const {
    switch (recordKind(item)) {
    case 1: return static_cast<VIEW_LIST*>(recordOf(item))->selected;
    case 2: return static_cast<POINT_LIST*>(recordOf(item))->treeChecked;
    case 3: return static_cast<OPE_LIST*>(recordOf(item))->active;
    default: return 0;
    }
}

void CDlgProcess::setOn(plat::TreeItem item, std::uint16_t value) {
    switch (recordKind(item)) {
    case 1: static_cast<VIEW_LIST*>(recordOf(item))->selected = value; break;
    case 2: {
        POINT_LIST& hole = *static_cast<POINT_LIST*>(recordOf(item));
        hole.treeChecked = value;
        forEachChainMember(hole, [&](POINT_LIST& m) { m.selected = value; });
        break;
    }
    case 3: static_cast<OPE_LIST*>(recordOf(item))->active = value; break;
    default: break;
    }
}

bool CDlgProcess::refreshItems(plat::TreeItem first) {
    plat::TreeView& tree = treeView(kTree);
    bool anyOn = false;
    for (plat::TreeItem it = first; it; it = tree.nextSibling(it)) {
        const int kind = recordKind(it);
        int image = 0;
        bool on = false;
        bool partial = false;
        if (kind == 1) {
            image = static_cast<VIEW_LIST*>(recordOf(it))->selected;
            on = image % 2 == 1;
        } else if (kind == 2) {
            POINT_LIST& hole = *static_cast<POINT_LIST*>(recordOf(it));
            partial = !allChainSelected(hole);
            image = hole.treeChecked + (partial ? 2 : 0);
            on = hole.treeChecked % 2 == 1;
            if (hole.highlightOnFill) {
                hole.highlightOnFill = 0;
                dropHighlight(it);
            }
        } else if (kind == 3) {
            const OPE_LIST& o = *static_cast<OPE_LIST*>(recordOf(it));
            const int base = o.active + 2;
            if (o.toolIndex < 0) {
                image = 4;
            } else {
                image = o.newTool ? base + (o.toolChangedByUser ? 8 : 6) : base;
                on = base % 2 == 1;
            }
        }
        if (const plat::TreeItem child = tree.childItem(it); child && refreshItems(child)) {
            setOn(it, 1);
            if (kind == 2) partial = !allChainSelected(*static_cast<POINT_LIST*>(recordOf(it)));
            image = partial ? 3 : 1;
            on = true;
        }
        tree.setItemImage(it, image, image);
        anyOn = anyOn || on;
    }
    return anyOn;
}

void CDlgProcess::setCheckedRecursive(plat::TreeItem item, std::uint16_t value) {
    setOn(item, value);
    plat::TreeView& tree = treeView(kTree);
    for (plat::TreeItem c = tree.childItem(item); c; c = tree.nextSibling(c)) setCheckedRecursive(c, value);
}

void CDlgProcess::setChecked(plat::TreeItem item, std::uint16_t value, bool withSiblings) {
    plat::TreeView& tree = treeView(kTree);
    for (plat::TreeItem it = item; it; it = withSiblings ? tree.nextSibling(it) : 0) setCheckedRecursive(it, value);
}

void CDlgProcess::clearTreeSelection(plat::TreeItem item) {
    plat::TreeView& tree = treeView(kTree);
    for (plat::TreeItem it = item; it; it = tree.nextSibling(it)) {
        tree.setItemState(it, 0, plat::TVIS_SELECTED | plat::TVIS_DROPHILITED);
        clearTreeSelection(tree.childItem(it));
    }
}

void CDlgProcess::dropHighlight(plat::TreeItem item) {
    plat::TreeView& tree = treeView(kTree);
    if (highlightedItem && tree.exists(highlightedItem))
        tree.setItemState(highlightedItem, 0, plat::TVIS_DROPHILITED);
    highlightedItem = item;
    if (item) tree.setItemState(item, plat::TVIS_DROPHILITED, plat::TVIS_DROPHILITED);
}

void CDlgProcess::onClickTree(plat::Notify& n) {
    n.result = 0;
    plat::Control& c = item(kTree);
    plat::TreeView& tree = *c.treeView();
    unsigned flags = 0;
    const plat::TreeItem hit = tree.hitTest(c.screenToClient(plat::cursorPos()), &flags);
    if (!hit || (flags & kTreeOutsideItems) != 0) {
        // The selection is cleared on the interface thread a moment later, when the click is done with.
        setTimer(kClearSelectionTimer, kClearSelectionDelayMs, [this] {
            killTimer(kClearSelectionTimer);
            clearTreeSelection(treeView(kTree).rootItem());
        });
        return;
    }
    if (highlightedItem && tree.exists(highlightedItem)) tree.setItemState(highlightedItem, 0, plat::TVIS_DROPHILITED);
    if ((flags & plat::TVHT_ONITEMICON) == 0) return;
    const std::uint16_t value = onValue(hit) % 2 == 1 ? 0 : 1;
    setCheckedRecursive(hit, value);
    if (value == 1)
        for (plat::TreeItem up = tree.parentItem(hit); up; up = tree.parentItem(up)) setOn(up, 1);
    refreshItems(tree.rootItem());
    dropHighlight(hit);
}

void CDlgProcess::onItemExpanded(plat::Notify& n) {
    const std::uint8_t expanded = n.action == plat::TVE_EXPAND ? 1 : 0;
    switch (recordKind(n.item)) {
    case 1: static_cast<VIEW_LIST*>(recordOf(n.item))->expandOnFill = expanded; break;
    case 2: static_cast<POINT_LIST*>(recordOf(n.item))->expandOnFill = expanded; break;
    default: break;
    }
}

void CDlgProcess::onBeginLabelEdit(plat::Notify& n) { n.result = recordKind(n.item) == 2 ? 0 : 1; }

void CDlgProcess::onEndLabelEdit(plat::Notify& n) {
    n.result = 0;
    if (recordKind(n.item) != 2 || !n.text || n.text->empty()) return;
    POINT_LIST& hole = *static_cast<POINT_LIST*>(recordOf(n.item));
    setFieldText(hole.description, labelFromItemText(hole, holeTableClass(hole), *n.text));
    n.result = 1;
}

void CDlgProcess::moveButtons(int dy) {
    for (int id : {kCreate, kToolsManager, static_cast<int>(plat::IDOK), kGroups, kAdvanced}) {
        plat::Control& b = item(id);
        plat::Rect r = b.rect();
        r.top += dy;
        r.bottom += dy;
        b.move(r);
    }
    plat::Rect w = windowRect();
    w.bottom += dy;
    moveWindow(w);
}

void CDlgProcess::expandAdvanced() {
    item(kFiltersBox).show(true);
    for (const TREE_FILTER& f : kTreeFilters) item(f.checkId).show(true);
    moveButtons(item(kFiltersBox).rect().height());
    advancedShown = 1;
    item(kAdvanced).setText(advancedTexts[1]);
}

void CDlgProcess::collapseAdvanced() {
    item(kFiltersBox).show(false);
    for (const TREE_FILTER& f : kTreeFilters) item(f.checkId).show(false);
    moveButtons(-item(kFiltersBox).rect().height());
    advancedShown = 0;
    item(kAdvanced).setText(advancedTexts[0]);
}

void CDlgProcess::onAdvanced() {
    if (advancedShown)
        collapseAdvanced();
    else
        expandAdvanced();
}
