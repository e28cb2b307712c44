// The tools view: the tools that the operations of a tool sequence use, as a tree with its context menu.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/ui/dialog.h"
#include "platform/ui/tree_view.h"
#include "plugin/base/text_section.h"
#include "plugin/model/tool_records.h"
#include "plugin/services/tooling.h"

namespace plat {
class ImageList;
}

// The tools that the operations of a tool sequence use, as a tree: a tool item per tool with an item per
// operation under it, and a context menu that replaces, edits, makes or stores a tool, shows the holes of a
// tool or an operation, or keeps only some operations on (tools_view*.cpp). The same object serves as a
// counter of the missing and made tools (buildToolsUsedList alone).
class CDlgToolsView : public plat::Dialog {
public:
    static constexpr int kTemplate = 18057, kTree = 18062;
    // End codes besides OK: the holes of a tool shown, the hole of one operation shown, only these on.
    static constexpr int kShowToolHoles = 903, kShowOperationHole = 904, kKeepOnlyThese = 915;

    // An operation's `active` before the last "keep only these operations active".
    struct OP_PREV_SEL {
        OPE_LIST* operation = nullptr;
        std::uint16_t active = 0;
    };

    CDlgToolsView();
    ~CDlgToolsView() override;

    std::vector<FULL_TOOLS_SEQ>* toolsSeq = nullptr;   // set by the caller
    std::int32_t selectedItem = -1;                    // usedOps index of the item clicked last; kept between runs
    std::vector<OP_PREV_SEL> prevActive;               // put back when the view opens again
    std::vector<std::int32_t> missingTools;            // distinct negative tool indexes
    std::vector<std::int32_t> createdTools;            // distinct indexes of tools the system made
    std::vector<OPE_LIST*> usedOps;                    // by tool: found tools by first use, then missing ones
    // What an end with 903, 904 or 915 hands the caller to highlight: the holes of a tool as copies this
    // object owns until it opens again (linked through `next` and `nextEqual`), or one operation's own hole.
    POINT_LIST* markedHoles = nullptr;

    // Fills the three lists from the sequence (tools_view_lists.cpp).
    void buildToolsUsedList();
    // Rebuilds the tree from usedOps.
    void fillToolsTree();
    // Forgets the holes of the last end; `caller`, when it still names one of the copies, is cleared.
    void releaseMarkedHoles(POINT_LIST** caller);

protected:
    bool onInitDialog() override;

private:
    void onClickTree(plat::Notify& n);
    void onRClickTree(plat::Notify& n);
    void onItemExpanded(plat::Notify& n);
    // The context menu's commands on the item with usedOps index `index` (tools_view_commands.cpp).
    void replaceTool(plat::TreeItem item, std::int32_t index);
    void editTool(std::int32_t index);
    void newToolFromLibrary(plat::TreeItem item, std::int32_t index);
    void storeToolInLibrary(std::int32_t index);
    void showHoles(plat::TreeItem item, std::int32_t index);
    void keepOnlyTheseActive(plat::TreeItem item, std::int32_t index);
    std::vector<OPE_LIST*> itemOperations(plat::TreeItem item) const;
    std::vector<tp_tool>& tools() const;
    // The operation's tool in the part's tools; null when it has none.
    tp_tool* toolOf(const OPE_LIST& op) const;
    int nextToolNumber() const;

    CTextSection texts_;
    std::unique_ptr<plat::ImageList> images_;
    std::vector<std::unique_ptr<POINT_LIST>> markedCopies_;
};
