// The process tree: the modal dialog in which the user reviews a recognition run as a tree of drilling
// directions, their holes and each hole's operations, narrowed by state filters, with the run's statistics
// beside it. Actions that need the host or another dialog end it with a code that runProcessDialog carries
// out (process_tree_run.cpp); its context menu is in process_tree_menu.cpp.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/dialog.h"
#include "platform/ui/tree_view.h"
#include "plugin/base/load_time.h"
#include "plugin/base/text_section.h"

struct VIEW_LIST;
struct POINT_LIST;
struct OPE_LIST;
namespace plat { class ImageList; }

// Where a click on a tree of holes meets no item: the hit-test places beside and beyond the items.
constexpr unsigned kTreeOutsideItems = plat::TVHT_NOWHERE | plat::TVHT_ONITEMRIGHT | plat::TVHT_ABOVE |
                                       plat::TVHT_BELOW | plat::TVHT_TORIGHT | plat::TVHT_TOLEFT;
static_assert(kTreeOutsideItems == 0xF21);

class CDlgProcess : public plat::Dialog {
public:
    static constexpr int kTemplate = 18021, kTree = 4003;
    static constexpr int kAdvanced = 4307, kCreate = 4158, kGroups = 4181, kToolsManager = 18041;
    static constexpr int kTitleBox = 4124, kFiltersBox = 4186;

    // An operation and the on mark it had before a scoped creation changed it.
    struct OP_PREV_SEL {
        OPE_LIST* operation = nullptr;
        std::uint16_t active = 0;
    };

    CDlgProcess();
    ~CDlgProcess() override;

    CTextSection texts;
    std::unique_ptr<plat::ImageList> imageList;
    plat::TreeItem highlightedItem = 0;
    std::uint8_t advancedShown = 0;
    std::uint8_t expandToolProblems = 0;      // one fill expands the holes with tool problems
    std::string advancedTexts[2];
    std::uint8_t tableOpenedFromMenu = 0;
    std::uint8_t tableOpenKept = 0;
    POINT_LIST* selectHole = nullptr;         // shown and highlighted at the next fill
    std::uint32_t filterFlags = 0;
    std::vector<OP_PREV_SEL> savedActive;
    std::uint16_t pendingScope = 0;           // 108, 109 or 111 while savedActive waits to be restored

    // (Re)builds the tree from the views with a filter word.
    void fillTree(VIEW_LIST* views, std::uint32_t flags);
    // Images and on marks of an item chain and its children; whether any item of the chain is on.
    bool refreshItems(plat::TreeItem item);
    void setCheckedRecursive(plat::TreeItem item, std::uint16_t value);
    void setChecked(plat::TreeItem item, std::uint16_t value, bool withSiblings);
    static bool allChainSelected(const POINT_LIST& hole);
    void clearTreeSelection(plat::TreeItem item);
    void expandAdvanced();
    void collapseAdvanced();
    void onAdvanced();
    // Re-matches a hole against its adaptable table; checkAllHoleTables does it for every head hole.
    void checkHoleTable(POINT_LIST& hole);
    int checkAllHoleTables();

    // The record behind an item and its kind (1 view, 2 hole, 3 operation); 0 for none.
    int recordKind(plat::TreeItem item) const;
    void* recordOf(plat::TreeItem item) const;

protected:
    bool onInitDialog() override;

private:
    void onClickTree(plat::Notify& n);
    void onRClickTree(plat::Notify& n);
    void onItemExpanded(plat::Notify& n);
    void onBeginLabelEdit(plat::Notify& n);
    void onEndLabelEdit(plat::Notify& n);
    void onFilter(int checkId, std::uint32_t bit);
    void actOnReturn();
    void fillStatistics();
    void labelFilters();
    void setOn(plat::TreeItem item, std::uint16_t value);
    std::uint16_t onValue(plat::TreeItem item) const;
    void dropHighlight(plat::TreeItem item);
    void selectRecord(plat::TreeItem item);
    void refill();
    void moveButtons(int dy);
    int menuAction(int id, plat::TreeItem hit);
    void changeProcess(POINT_LIST& hole);
    void configureTable(POINT_LIST& hole);
    void endScoped(plat::TreeItem hit, VIEW_LIST* view, POINT_LIST* hole, std::uint16_t code);
};

// The state filters: check box, "TreeProcessDlg" line and state bit.
struct TREE_FILTER {
    int checkId;
    int line;
    std::uint32_t bit;
};
extern const TREE_FILTER kTreeFilters[10];

// What the tree lists a hole by: its label followed by its explanation (operation_comments.h), whole; the
// explanation's table and row are left out when the label already begins with them. `tableClass` is the
// class of the hole's table.
std::string holeItemText(const POINT_LIST& hole, int tableClass);
// The label in a text the user edited from the hole's item: an explanation left standing is dropped.
std::string labelFromItemText(const POINT_LIST& hole, int tableClass, std::string text);

// The process tree dialog, held from the library's load to its unload.
extern LoadTime<CDlgProcess> g_processDlg;
