// Tree views and image lists as the plug-in's process and feature trees use them: the item store and its
// navigation, states and the caret, expansion parity, hit tests from fixed metrics, and a user's clicks,
// expands and label edits from the script, with handlers that hit-test the cursor themselves.
#include <gtest/gtest.h>

#include "platform/ui/dialog.h"
#include "platform/ui/driver.h"
#include "platform/ui/image_list.h"
#include "platform/ui/keys.h"
#include "platform/ui/menu.h"
#include "platform/ui/resources.h"
#include "platform/ui/tree_view.h"

namespace {

using plat::Ctl;
using plat::CtlTemplate;
using plat::Ev;
using plat::TreeItem;

constexpr int kDlg = 9701, kPlainDlg = 9702;
constexpr int kTree = 4003, kViews = 9711;
constexpr unsigned kNotOnItem = 0xF21;  // what a handler masks to tell "no item here"
constexpr std::uint32_t kFullStyle =
    plat::TVS_HASBUTTONS | plat::TVS_HASLINES | plat::TVS_LINESATROOT | plat::TVS_EDITLABELS;

// The tree spans pixels (12,13)-(312,176): a client area of 296 x 159 inside its 2-pixel edge.
void registerTemplates() {
    for (auto [id, style] : {std::pair{kDlg, kFullStyle}, std::pair{kPlainDlg, plat::TVS_HASLINES}}) {
        CtlTemplate tree;
        tree.id = kTree;
        tree.kind = Ctl::TreeView;
        tree.dlu = {8, 8, 208, 108};
        tree.style = style;
        CtlTemplate ok;
        ok.id = plat::IDOK;
        ok.kind = Ctl::DefButton;
        ok.dlu = {200, 140, 250, 154};
        plat::registerDialog({id, "Processes", 260, 160, {tree, ok}});
    }
    plat::registerBitmap(kViews, 250, 16);  // ten 25 x 16 images
}

// A process tree as the plug-in builds one: views with holes under them, image 0/1 for views and 2 (or
// the ticked 3) for holes. A right click on an item opens a context menu; a click on a hole's icon ticks it.
class ProcessTree : public plat::Dialog {
public:
    std::vector<std::string> log;
    std::function<void(ProcessTree&)> init;
    bool withImages = true;
    std::string rclicked, caretAtMenu, caretAtClick;
    int menuPick = -1;

    explicit ProcessTree(int id = kDlg) : plat::Dialog(id) {
        on(kTree, Ev::RClick, [this](plat::Notify&) {
            log.push_back("rclick");
            unsigned flags = 0;
            TreeItem h = tree().hitTest(item(kTree).screenToClient(plat::cursorPos()), &flags);
            if (!h || (flags & kNotOnItem) != 0) return;
            rclicked = tree().itemText(h);
            caretAtMenu = tree().itemText(tree().selectedItem());
            plat::Menu menu;
            menu.item(101, "Edit");
            menu.item(104, "Delete");
            menu.item(106, "Paste", true);
            menuPick = plat::trackPopupMenu(menu, plat::TPM_RETURNCMD | plat::TPM_NONOTIFY, plat::cursorPos(), this);
            if (menuPick == 104) tree().deleteItem(h);
        });
        on(kTree, Ev::Clicked, [this](plat::Notify&) {
            log.push_back("click");
            unsigned flags = 0;
            TreeItem h = tree().hitTest(item(kTree).screenToClient(plat::cursorPos()), &flags);
            caretAtClick = tree().itemText(tree().selectedItem());
            int image = 0, selImage = 0;
            if (h && flags == plat::TVHT_ONITEMICON && tree().itemImage(h, image, selImage) && image >= 2)
                tree().setItemImage(h, 5 - image, 5 - image);  // 2 <-> 3
        });
        on(kTree, Ev::ItemExpanded, [this](plat::Notify& n) {
            log.push_back("expanded " + tree().itemText(n.item) + " " + std::to_string(n.action));
        });
        on(kTree, Ev::SelChange, [this](plat::Notify& n) { log.push_back("caret " + tree().itemText(n.item)); });
        on(kTree, Ev::BeginLabelEdit, [this](plat::Notify& n) {
            log.push_back("begin " + n.text.value_or("?"));
            n.result = tree().hasChildren(n.item) ? 1 : 0;  // views keep their names
        });
        on(kTree, Ev::EndLabelEdit, [this](plat::Notify& n) {
            log.push_back("end " + n.text.value_or("?"));
            n.result = n.text && !n.text->empty() ? 1 : 0;
        });
    }
    plat::TreeView& tree() { return treeView(kTree); }
    TreeItem at(std::string_view path) { return tree().findPath(path); }
    using plat::Dialog::on;

protected:
    bool onInitDialog() override {
        plat::TreeView& t = tree();
        if (withImages) {
            images_.addBitmap(kViews, plat::rgb(255, 255, 255));
            t.setImageList(&images_);
        }
        TreeItem v1 = t.insertItem("View 1", 0, 1);
        t.setItemData(v1, 1);
        for (int i = 1; i <= 2; ++i) t.setItemData(t.insertItem("Hole " + std::to_string(i), 2, 2, v1), 10 + i);
        TreeItem v2 = t.insertItem("View 2", 0, 1);
        t.insertItem("Hole 3", 2, 2, v2);
        t.expand(v1, plat::TVE_EXPAND);
        t.selectItem(t.findPath("View 1/Hole 1"));
        if (init) init(*this);
        log.clear();
        return true;
    }

private:
    plat::ImageList images_{25, 16, 10, 2};
};

class UiTreeView : public ::testing::Test {
protected:
    void SetUp() override {
        plat::driver().reset();
        plat::releaseAllKeys();
        registerTemplates();
    }
    plat::Script& script() { return plat::driver().script(); }
    const std::vector<std::string>& errors() { return plat::driver().errors(); }
};

// ---- store, navigation, states -------------------------------------------------------------------------

TEST_F(UiTreeView, ItemsAreInsertedWhereAskedAndNavigatedInOrder) {
    ProcessTree p;
    ASSERT_TRUE(p.create());
    plat::TreeView& t = p.tree();
    TreeItem v1 = p.at("View 1"), h1 = p.at("View 1/Hole 1"), h2 = p.at("View 1/Hole 2"), v2 = p.at("View 2");
    ASSERT_TRUE(v1 && h1 && h2 && v2);
    TreeItem first = t.insertItem("Hole 0", 2, 2, v1, plat::TVI_FIRST);
    TreeItem mid = t.insertItem("Hole 1.5", 2, 2, v1, h1);
    EXPECT_EQ(t.insertItem("x", 0, 0, 999), 0u) << "no such parent";
    EXPECT_EQ(t.insertItem("x", 0, 0, v1, v2), 0u) << "View 2 is no child of View 1";

    std::vector<std::string> order;
    for (TreeItem h = t.childItem(v1); h; h = t.nextSibling(h)) order.push_back(t.itemText(h));
    EXPECT_EQ(order, (std::vector<std::string>{"Hole 0", "Hole 1", "Hole 1.5", "Hole 2"}));
    EXPECT_EQ(t.rootItem(), v1);
    EXPECT_EQ(t.nextItem(0, plat::TVGN_CHILD), v1);
    EXPECT_EQ(t.prevSibling(first), 0u);
    EXPECT_EQ(t.prevSibling(mid), h1);
    EXPECT_EQ(t.parentItem(mid), v1);
    EXPECT_EQ(t.parentItem(v1), 0u);
    EXPECT_EQ(t.nextItem(h2, plat::TVGN_NEXTVISIBLE), v2);
    EXPECT_EQ(t.nextItem(v2, plat::TVGN_NEXTVISIBLE), 0u) << "Hole 3 is in a collapsed branch";
    EXPECT_EQ(t.itemData(h2), 12);

    EXPECT_TRUE(t.deleteItem(v2));
    EXPECT_EQ(t.count(), 5) << "View 2 went with its hole";
    EXPECT_FALSE(t.deleteItem(v2));
    TreeItem again = t.insertItem("View 2");
    EXPECT_GT(again, mid) << "handles are never reused";
    EXPECT_TRUE(t.deleteAllItems());
    EXPECT_EQ(t.count(), 0);
    EXPECT_EQ(t.selectedItem(), 0u);
    p.destroyWindow();
}

TEST_F(UiTreeView, RawStatesLeaveTheCaretAloneWhileSelectionAndDropTargetMoveIt) {
    ProcessTree p;
    ASSERT_TRUE(p.create());
    plat::TreeView& t = p.tree();
    TreeItem h1 = p.at("View 1/Hole 1"), h2 = p.at("View 1/Hole 2"), v2 = p.at("View 2");
    EXPECT_EQ(t.itemState(h1, plat::TVIS_SELECTED), plat::TVIS_SELECTED);
    t.setItemState(h2, plat::TVIS_SELECTED | plat::TVIS_BOLD, plat::TVIS_SELECTED | plat::TVIS_BOLD);
    EXPECT_EQ(t.selectedItem(), h1) << "marking an item selected does not move the caret";
    EXPECT_EQ(t.itemState(h1, plat::TVIS_SELECTED), plat::TVIS_SELECTED);
    EXPECT_TRUE(p.log.empty());

    t.selectDropTarget(h1);
    t.selectDropTarget(v2);
    EXPECT_EQ(t.itemState(h1, plat::TVIS_DROPHILITED), 0u);
    EXPECT_EQ(t.dropHighlightItem(), v2);

    EXPECT_TRUE(t.selectItem(v2));
    EXPECT_EQ(t.itemState(h1, plat::TVIS_SELECTED), 0u);
    EXPECT_EQ(p.log, (std::vector<std::string>{"caret View 2"}));
    std::string snap = plat::describeWindow(p);
    EXPECT_NE(snap.find("    \"Hole 2\" data=12 image=2/2 selected bold\n"
                        "  \"View 2\" data=0 image=0/1 collapsed caret selected drop\n"),
              std::string::npos)
        << snap;

    p.on(kTree, Ev::SelChanging, [](plat::Notify& n) { n.result = 1; });
    EXPECT_FALSE(t.selectItem(h1)) << "the handler refuses the change";
    EXPECT_EQ(t.selectedItem(), v2);
    p.destroyWindow();
}

TEST_F(UiTreeView, TheCaretLeavesADeletedBranchForNextSiblingElseParentElsePreviousSibling) {
    struct Case { const char* caret; const char* removed; const char* newCaret; };
    const Case cases[] = {
        {"View 1/Hole 1", "View 1/Hole 1", "View 1/Hole 2"},
        {"View 1/Hole 2", "View 1/Hole 2", "View 1"},
        {"View 2", "View 2", "View 1"},
        {"View 1/Hole 2", "View 1", "View 2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.removed);
        ProcessTree p;
        ASSERT_TRUE(p.create());
        ASSERT_TRUE(p.tree().selectItem(p.at(c.caret)));
        p.log.clear();
        ASSERT_TRUE(p.tree().deleteItem(p.at(c.removed)));
        EXPECT_EQ(p.tree().pathOf(p.tree().selectedItem()), c.newCaret);
        EXPECT_EQ(p.log.size(), 1u) << "one selection change, to the new caret";
        p.destroyWindow();
    }
}

TEST_F(UiTreeView, ExpandIsSilentButEnsureVisibleReportsTheParentsItOpens) {
    ProcessTree p;
    ASSERT_TRUE(p.create());
    plat::TreeView& t = p.tree();
    TreeItem v1 = p.at("View 1"), v2 = p.at("View 2");
    EXPECT_FALSE(t.expand(p.at("View 2/Hole 3"), plat::TVE_EXPAND)) << "no children";
    EXPECT_TRUE(t.expand(v2, plat::TVE_TOGGLE));
    EXPECT_TRUE(t.expand(v2, plat::TVE_COLLAPSE));
    EXPECT_TRUE(p.log.empty());

    // Collapsing the branch that holds the caret moves the caret up to the collapsed item.
    EXPECT_TRUE(t.expand(v1, plat::TVE_COLLAPSE));
    EXPECT_EQ(t.selectedItem(), v1);
    EXPECT_EQ(p.log, (std::vector<std::string>{"caret View 1"}));

    p.log.clear();
    TreeItem deep = t.insertItem("Step", 0, 0, p.at("View 2/Hole 3"));
    EXPECT_FALSE(t.itemRect(deep, false)) << "hidden in a collapsed branch";
    EXPECT_TRUE(t.ensureVisible(deep));
    EXPECT_EQ(p.log, (std::vector<std::string>{"expanded View 2 2", "expanded Hole 3 2"}));
    EXPECT_TRUE(t.itemRect(deep, false));
    p.destroyWindow();
}

// ---- geometry ------------------------------------------------------------------------------------------

TEST_F(UiTreeView, HitTestsReadTheRowLayoutFromFixedMetrics) {
    ProcessTree p;
    ASSERT_TRUE(p.create());
    plat::TreeView& t = p.tree();
    ASSERT_EQ(t.itemHeight(), 16);
    ASSERT_EQ(t.visibleCount(), 9);
    // Rows: View 1 (y 0-16), Hole 1, Hole 2 (y 32-48), View 2. Root items are indented one level for the
    // button at the root; icons are 25 wide; a label is 6 pixels a character plus 2 on each side.
    struct Case { plat::Point at; const char* item; unsigned flags; };
    const Case cases[] = {
        {{5, 8}, "View 1", plat::TVHT_ONITEMBUTTON},  {{18, 8}, "View 1", plat::TVHT_ONITEMBUTTON},
        {{19, 8}, "View 1", plat::TVHT_ONITEMICON},   {{30, 8}, "View 1", plat::TVHT_ONITEMICON},
        {{43, 8}, "View 1", plat::TVHT_ONITEMICON},   {{44, 8}, "View 1", plat::TVHT_ONITEMLABEL},
        {{18, 40}, "View 1/Hole 2", plat::TVHT_ONITEMINDENT}, {{37, 40}, "View 1/Hole 2", plat::TVHT_ONITEMBUTTON},
        {{50, 8}, "View 1", plat::TVHT_ONITEMLABEL},  {{83, 8}, "View 1", plat::TVHT_ONITEMLABEL},
        {{84, 8}, "View 1", plat::TVHT_ONITEMRIGHT},  {{5, 40}, "View 1/Hole 2", plat::TVHT_ONITEMINDENT},
        {{25, 40}, "View 1/Hole 2", plat::TVHT_ONITEMBUTTON}, {{45, 40}, "View 1/Hole 2", plat::TVHT_ONITEMICON},
        {{70, 40}, "View 1/Hole 2", plat::TVHT_ONITEMLABEL},  {{50, 100}, "", plat::TVHT_NOWHERE},
        {{-3, 5}, "", plat::TVHT_TOLEFT},              {{300, 170}, "", plat::TVHT_TORIGHT | plat::TVHT_BELOW},
        {{10, -1}, "", plat::TVHT_ABOVE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("at (" + std::to_string(c.at.x) + "," + std::to_string(c.at.y) + ")");
        unsigned flags = 0;
        TreeItem h = t.hitTest(c.at, &flags);
        EXPECT_EQ(t.pathOf(h), c.item);
        EXPECT_EQ(flags, c.flags);
        EXPECT_EQ((flags & kNotOnItem) != 0, c.flags == plat::TVHT_ONITEMRIGHT || !*c.item);
    }
    EXPECT_EQ(t.itemRect(p.at("View 1/Hole 2"), true)->left, 63);
    EXPECT_EQ(t.buttonRect(p.at("View 1"))->right, 19);
    EXPECT_FALSE(t.buttonRect(p.at("View 1/Hole 2"))) << "a hole has no children, so no button";

    // Without lines at the root and without images, a root item's label starts at the left edge.
    t.modifyStyle(plat::TVS_LINESATROOT, 0);
    t.setImageList(nullptr);
    unsigned flags = 0;
    EXPECT_EQ(t.hitTest({3, 8}, &flags), p.at("View 1"));
    EXPECT_EQ(flags, plat::TVHT_ONITEMLABEL);
    EXPECT_FALSE(t.iconRect(p.at("View 1")));
    p.destroyWindow();
}

TEST_F(UiTreeView, EnsureVisibleScrollsAndAShortenedTreeScrollsBack) {
    ProcessTree p;
    p.init = [](ProcessTree& d) {
        d.tree().deleteAllItems();
        for (int i = 0; i < 20; ++i) d.tree().insertItem("Item " + std::to_string(i));
    };
    ASSERT_TRUE(p.create());
    plat::TreeView& t = p.tree();
    EXPECT_TRUE(t.ensureVisible(p.at("Item 15")));
    EXPECT_EQ(t.itemText(t.firstVisible()), "Item 7");
    EXPECT_EQ(t.itemRect(p.at("Item 0"), false)->top, -7 * 16);
    EXPECT_EQ(t.itemText(t.hitTest({60, 1})), "Item 7");
    for (int i = 10; i < 20; ++i) t.deleteItem(p.at("Item " + std::to_string(i)));
    EXPECT_EQ(t.itemText(t.firstVisible()), "Item 1") << "ten items, nine rows: no empty rows at the bottom";
    p.destroyWindow();
}

TEST_F(UiTreeView, PathsMatchTextsThatHoldTheSeparator) {
    ProcessTree p;
    p.init = [](ProcessTree& d) {
        plat::TreeView& t = d.tree();
        t.deleteAllItems();
        t.insertItem("2 inch", 0, 0, t.insertItem("1"));
        t.insertItem("Hole", 0, 0, t.insertItem("1/2 inch"));
    };
    ASSERT_TRUE(p.create());
    EXPECT_EQ(p.tree().itemText(p.tree().parentItem(p.at("1/2 inch/Hole"))), "1/2 inch");
    EXPECT_EQ(p.tree().itemText(p.tree().parentItem(p.at("1/2 inch"))), "1") << "the first that leads on wins";
    EXPECT_EQ(p.at("1/2"), 0u);
    EXPECT_EQ(p.at(""), 0u);
    p.destroyWindow();
}

// ---- image lists ---------------------------------------------------------------------------------------

TEST(UiImageList, BitmapsAreCutIntoWholeImagesAndTheListGrowsByItsStep) {
    plat::registerBitmap(9712, 250, 16);
    plat::registerBitmap(9713, 60, 16);
    plat::registerBitmap(9714, 20, 16);
    plat::ImageList list(25, 16, 10, 2);
    EXPECT_EQ(list.addBitmap(9712, plat::rgb(255, 255, 255)), 0);
    EXPECT_EQ(list.count(), 10);
    EXPECT_EQ(list.capacity(), 10);
    EXPECT_EQ(list.addBitmap(9713, 0), 10) << "two images; the last 10 pixels are no whole image";
    EXPECT_EQ(list.count(), 12);
    EXPECT_EQ(list.capacity(), 12);
    EXPECT_EQ(list.addBitmap(9713, 0), 12);
    EXPECT_EQ(list.capacity(), 14);
    EXPECT_EQ(list.addBitmap(9714, 0), -1) << "narrower than one image";
    EXPECT_EQ(list.addBitmap(9799, 0), -1) << "not registered";
    ASSERT_NE(list.image(11), nullptr);
    EXPECT_EQ(list.image(11)->bitmapId, 9713);
    EXPECT_EQ(list.image(11)->slice, 1);
    EXPECT_EQ(list.image(14), nullptr);
    EXPECT_TRUE(list.remove(0));
    EXPECT_EQ(list.image(10)->slice, 1);
    EXPECT_TRUE(list.remove(-1));
    EXPECT_EQ(list.count(), 0);
}

// ---- a user's actions ----------------------------------------------------------------------------------

TEST_F(UiTreeView, ARightClickFindsItsItemThroughTheCursorAndTheMenuActsOnIt) {
    ProcessTree p;
    script().treeRClick(kDlg, kTree, "View 1/Hole 2").menu(104).click(kDlg, plat::IDOK);
    EXPECT_EQ(p.doModal(), plat::IDOK);
    EXPECT_TRUE(errors().empty()) << errors().front();
    EXPECT_EQ(p.rclicked, "Hole 2");
    EXPECT_EQ(p.caretAtMenu, "Hole 1") << "a right click does not move the caret";
    EXPECT_EQ(p.menuPick, 104);
    const auto& tr = plat::driver().transcript();
    std::size_t user = tr.find("user tree-rclick 9701 4003 \"View 1/Hole 2\" label");
    std::size_t menu = tr.find("menu owner=9701");
    ASSERT_NE(user, std::string::npos);
    ASSERT_NE(menu, std::string::npos);
    EXPECT_LT(user, menu);
    EXPECT_NE(tr.lines()[menu].find("[101 \"Edit\", 104 \"Delete\", 106 \"Paste\" grey] -> 104"), std::string::npos);
    std::string snap = plat::lastSnapshot(kDlg);
    EXPECT_EQ(snap.find("Hole 2"), std::string::npos) << snap;
    EXPECT_NE(snap.find("items=4"), std::string::npos) << snap;
}

TEST_F(UiTreeView, AClickNotifiesBeforeTheCaretMovesSoAnIconClickTicksTheClickedHole) {
    ProcessTree p;
    script().treeClick(kDlg, kTree, "View 1/Hole 2", true).treeClick(kDlg, kTree, "View 2").click(kDlg, plat::IDOK);
    EXPECT_EQ(p.doModal(), plat::IDOK);
    EXPECT_EQ(p.log, (std::vector<std::string>{"click", "caret Hole 2", "click", "caret View 2"}));
    EXPECT_EQ(p.caretAtClick, "Hole 2") << "at the second click the caret is still where the first one put it";
    std::string snap = plat::lastSnapshot(kDlg);
    EXPECT_NE(snap.find("\"Hole 2\" data=12 image=3/3\n"), std::string::npos) << "ticked by its icon: " << snap;
    EXPECT_NE(snap.find("\"View 2\" data=0 image=0/1 collapsed caret selected\n"), std::string::npos) << snap;
}

TEST_F(UiTreeView, AClickTheHandlerTakesOverLeavesTheCaret) {
    ProcessTree p;
    p.on(kTree, Ev::Clicked, [&](plat::Notify& n) { n.result = 1; });
    script().treeClick(kDlg, kTree, "View 2").click(kDlg, plat::IDOK);
    EXPECT_EQ(p.doModal(), plat::IDOK);
    EXPECT_NE(plat::lastSnapshot(kDlg).find("\"Hole 1\" data=11 image=2/2 caret"), std::string::npos);
}

TEST_F(UiTreeView, AUsersExpandClicksTheButtonAndReportsTheAction) {
    ProcessTree p;
    script().treeExpand(kDlg, kTree, "View 2").treeCollapse(kDlg, kTree, "View 1").click(kDlg, plat::IDOK);
    plat::Point cursorAtExpand{-1, -1};
    p.on(kTree, Ev::ItemExpanded, [&](plat::Notify& n) {
        if (cursorAtExpand.x < 0) cursorAtExpand = p.item(kTree).screenToClient(plat::cursorPos());
        p.log.push_back("expanded " + p.tree().itemText(n.item) + " " + std::to_string(n.action));
    });
    EXPECT_EQ(p.doModal(), plat::IDOK);
    EXPECT_EQ(p.log,
              (std::vector<std::string>{"click", "expanded View 2 2", "click", "caret View 1", "expanded View 1 1"}));
    // View 2 is the fourth row: its button is the first indent cell of y 48..64.
    EXPECT_TRUE(plat::Rect({0, 48, 19, 64}).contains(cursorAtExpand));
}

TEST_F(UiTreeView, LabelEditsAreRefusedAtTheStartOrTheEndOrAccepted) {
    ProcessTree p;
    script()
        .treeEdit(kDlg, kTree, "View 1", "Front")
        .treeEdit(kDlg, kTree, "View 1/Hole 2", "")
        .treeEdit(kDlg, kTree, "View 1/Hole 2", "Hole 2a")
        .click(kDlg, plat::IDOK);
    EXPECT_EQ(p.doModal(), plat::IDOK);
    EXPECT_TRUE(errors().empty()) << errors().front();
    EXPECT_EQ(p.log, (std::vector<std::string>{"caret View 1", "begin View 1", "caret Hole 2", "begin Hole 2", "end ",
                                               "begin Hole 2", "end Hole 2a"}));
    std::string snap = plat::lastSnapshot(kDlg);
    EXPECT_NE(snap.find("\"View 1\" data=1"), std::string::npos);
    EXPECT_NE(snap.find("\"Hole 2a\" data=12"), std::string::npos) << snap;
}

TEST_F(UiTreeView, StepsAUserCouldNotTakeAreScriptErrors) {
    struct Case { const char* name; int dlg; std::function<void(plat::Script&)> step; const char* why; };
    const Case cases[] = {
        {"unknown item", kDlg, [](plat::Script& s) { s.treeClick(kDlg, kTree, "View 1/Hole 9"); },
         "has no item \"View 1/Hole 9\""},
        {"collapsed branch", kDlg, [](plat::Script& s) { s.treeRClick(kDlg, kTree, "View 2/Hole 3"); },
         "hidden in a collapsed branch"},
        {"expanded already", kDlg, [](plat::Script& s) { s.treeExpand(kDlg, kTree, "View 1"); }, "is expanded already"},
        {"no children", kDlg, [](plat::Script& s) { s.treeCollapse(kDlg, kTree, "View 1/Hole 1"); }, "has no children"},
        {"no buttons", kPlainDlg, [](plat::Script& s) { s.treeExpand(kPlainDlg, kTree, "View 2"); }, "has no button"},
        {"no label editing", kPlainDlg, [](plat::Script& s) { s.treeEdit(kPlainDlg, kTree, "View 2", "x"); },
         "does not let labels be edited"},
        {"no icons", kPlainDlg, [](plat::Script& s) { s.treeClick(kPlainDlg, kTree, "View 2", true); },
         "shows no icons"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        plat::driver().reset();
        ProcessTree p(c.dlg);
        p.withImages = c.dlg == kDlg;
        c.step(script());
        EXPECT_EQ(p.doModal(), plat::IDCANCEL);
        ASSERT_EQ(errors().size(), 1u);
        EXPECT_NE(errors()[0].find(c.why), std::string::npos) << errors()[0];
        EXPECT_TRUE(p.log.empty());
    }
}

TEST_F(UiTreeView, SessionFilesNameTreeItemsByQuotedPaths) {
    plat::ParsedSession s = plat::parseSession(
        "tree-click 9701 4003 \"View 1/Hole 2\" icon\n"
        "tree-rclick 9701 4003 Root\n"
        "tree-expand 9701 4003 \"A \\\"B\\\"\"   # a quote inside\n"
        "tree-edit 9701 4003 \"View 1\" Front view # the rest of the line\n");
    ASSERT_EQ(s.error, "");
    ASSERT_EQ(s.steps.size(), 4u);
    EXPECT_EQ(s.steps[0].args, (std::vector<std::string>{"9701", "4003", "View 1/Hole 2", "icon"}));
    EXPECT_EQ(s.steps[1].args, (std::vector<std::string>{"9701", "4003", "Root", "label"}));
    EXPECT_EQ(s.steps[2].args, (std::vector<std::string>{"9701", "4003", "A \"B\""}));
    EXPECT_EQ(s.steps[3].args, (std::vector<std::string>{"9701", "4003", "View 1", "Front view"}));
    plat::Script built;
    built.treeClick(9701, 4003, "View 1/Hole 2", true).treeRClick(9701, 4003, "Root");
    EXPECT_EQ(built.take()->args, s.steps[0].args);
    EXPECT_EQ(built.take()->args, s.steps[1].args);
    for (const char* bad : {"tree-click 9701 4003 \"View 1\" middle", "tree-edit 9701 4003 \"View 1\"",
                            "tree-click 9701 4003 \"View 1", "tree-expand 9701 4003", "tree-click 9701 4003 \"a\"b",
                            "tree-collapse 9701 4003 a b"}) {
        EXPECT_NE(plat::parseSession(bad).error, "") << bad;
    }
}

// A timer runs on this thread before each of the user's steps, until it is killed or its window goes.
TEST_F(UiTreeView, ATimerTicksBeforeEveryStepUntilKilledAndGoesWithItsWindow) {
    ProcessTree p;
    int ticks = 0, once = 0;
    p.init = [&](ProcessTree& t) {
        t.setTimer(1, 10, [&] { ++ticks; });
        t.setTimer(2, 10, [&] {
            ++once;
            t.killTimer(2);
        });
    };
    script().treeExpand(kDlg, kTree, "View 2").treeCollapse(kDlg, kTree, "View 2").click(kDlg, plat::IDOK);
    EXPECT_EQ(p.doModal(), plat::IDOK);
    EXPECT_EQ(ticks, 3);
    EXPECT_EQ(once, 1);
    plat::runDueTimers();
    EXPECT_EQ(ticks, 3);
}

}  // namespace
