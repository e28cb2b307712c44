// The points list dialog.
#include "plugin/engine/points_list.h"

#include <cstdio>

#include "host/api.h"
#include "platform/ui/image_list.h"
#include "platform/ui/keys.h"
#include "platform/ui/menu.h"
#include "platform/ui/tree_view.h"
#include "plugin/base/globals.h"
#include "plugin/engine/engine_state.h"
#include "plugin/engine/process_tree.h"
#include "plugin/model/ope_list.h"
#include "plugin/model/process_tree_fields.h"
#include "plugin/engine/selected_groups.h"
#include "plugin/model/tree.h"
#include "plugin/model/work_records.h"

namespace {

constexpr int kCheckOff = 18082, kCheckOn = 18010;   // the first two images of the process tree
constexpr int kMenuCreate = 1, kMenuCreateIsolated = 2, kMenuNothing = 3, kMenuHighlight = 4;

POINT_LIST* holeOf(const plat::TreeView& tree, plat::TreeItem item) {
    return reinterpret_cast<POINT_LIST*>(tree.itemData(item));
}

// The item under the cursor, with the hit-test flags.
plat::TreeItem itemUnderCursor(plat::Dialog& dlg, unsigned& flags) {
    plat::Control& c = dlg.item(CDlgPointsList::kTree);
    return c.treeView()->hitTest(c.screenToClient(plat::cursorPos()), &flags);
}

}  // namespace

CDlgPointsList::CDlgPointsList() : plat::Dialog(kTemplate) {
    on(kTree, plat::Ev::Clicked, [this](plat::Notify& n) { onClickTree(n); });
    on(kTree, plat::Ev::RClick, [this](plat::Notify& n) { onRClickTree(n); });
    on(kTree, plat::Ev::SelChange, [](plat::Notify&) {});
    onMessage(plat::Msg::Close, [this](plat::MsgArgs&) { endDialog(plat::IDOK); });
    onMessage(plat::Msg::Destroy, [this](plat::MsgArgs&) { images_.reset(); });
}

CDlgPointsList::~CDlgPointsList() = default;

bool CDlgPointsList::onInitDialog() {
    CTextSection texts;
    if (texts.load(g_globals->uiTextFile, "PointsListDlg", false) == 0) {
        setWindowText(texts.getText(1));
        item(plat::IDOK).setText(texts.getText(2));
    }
    item(kHeading).setText(heading);
    images_ = std::make_unique<plat::ImageList>(25, 16, 2, 1);
    images_->addBitmap(kCheckOff, 0xFFFFFF);
    images_->addBitmap(kCheckOn, 0xFFFFFF);
    plat::TreeView& tree = treeView(kTree);
    tree.setImageList(images_.get());
    for (POINT_LIST* p = g_engine->markedHoles; p; p = nextInChain(*p)) {
        char text[128];
        std::snprintf(text, sizeof text, "X%.2f Y%.2f Z%.2f", p->ptView[0], p->ptView[1], p->ptView[2]);
        const plat::TreeItem it = tree.insertItem(text);
        tree.setItemData(it, reinterpret_cast<std::intptr_t>(p));
    }
    refreshImages();
    return true;
}

void CDlgPointsList::refreshImages() {
    plat::TreeView& tree = treeView(kTree);
    for (plat::TreeItem it = tree.rootItem(); it; it = tree.nextSibling(it)) {
        const int image = holeOf(tree, it)->selected2 ? 1 : 0;
        tree.setItemImage(it, image, image);
    }
}

void CDlgPointsList::onClickTree(plat::Notify&) {
    unsigned flags = 0;
    const plat::TreeItem hit = itemUnderCursor(*this, flags);
    if (!hit || (flags & plat::TVHT_ONITEMICON) == 0) return;
    POINT_LIST& hole = *holeOf(treeView(kTree), hit);
    hole.selected2 = hole.selected2 ? 0 : 1;
    refreshImages();
}

void CDlgPointsList::onRClickTree(plat::Notify&) {
    unsigned flags = 0;
    const plat::TreeItem hit = itemUnderCursor(*this, flags);
    if (!hit || (flags & kTreeOutsideItems) != 0) return;
    CTextSection texts;
    (void)texts.load(g_globals->uiTextFile, "PointsListDlg", false);
    plat::Menu menu;
    menu.item(kMenuCreate, texts.getText(11));
    menu.item(kMenuCreateIsolated, texts.getText(12));
    menu.item(kMenuHighlight, texts.getText(13));
    menu.item(kMenuNothing, texts.getText(20));
    const int chosen = plat::trackPopupMenu(menu, plat::TPM_RETURNCMD, plat::cursorPos(), this);
    POINT_LIST* clicked = holeOf(treeView(kTree), hit);
    if (chosen == kMenuHighlight) {
        selectedHole = clicked;
        endDialog(kHighlight);
        return;
    }
    if (chosen != kMenuCreate && chosen != kMenuCreateIsolated) return;
    selectedHole = clicked;
    // Only the marked hole's operations that have a tool are made; the rest of the tree is switched off.
    for (VIEW_LIST* v = g_records->viewsTree; v; v = v->next) {
        for (POINT_LIST* p = v->firstPoint; p; p = p->next) {
            if (p->excluded) continue;
            const bool marked = p == g_engine->markedHoles;
            for (OPE_LIST* o = p->opeList; o; o = o->next) {
                previousSelection.push_back({o, o->active, 3});
                o->active = marked && o->toolIndex >= 0 ? 1 : 0;
            }
        }
    }
    for (POINT_LIST* p = g_engine->markedHoles; p; p = nextInChain(*p)) {
        previousSelection.push_back({p, p->selected2, 2});
        p->selected2 = p == selectedHole ? 1 : 0;
    }
    endDialog(chosen == kMenuCreate ? kCreate : kCreateIsolated);
}

void CDlgPointsList::restorePreviousSelection() {
    for (auto it = previousSelection.rbegin(); it != previousSelection.rend(); ++it) {
        if (it->kind == 3)
            static_cast<OPE_LIST*>(it->record)->active = it->previous;
        else
            static_cast<POINT_LIST*>(it->record)->selected2 = it->previous;
    }
    previousSelection.clear();
}

void CDlgPointsList::highlightSelectedForm(int mode) {
    for (POINT_LIST* p = g_engine->markedHoles; p; p = nextInChain(*p))
        setHoleEntities(p, 1, mode == 0 && p == selectedHole ? 1 : 0, 0xFFFFFFFFu, 0);
}
