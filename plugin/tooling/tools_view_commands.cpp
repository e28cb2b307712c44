// The tools view's commands on a tool item or an operation item. A command on a tool item changes every
// operation under it; on an operation item it changes the part's tools but no operation (the item has no
// children), except that showing and keeping active act on that one operation. The library is the
// configured one ("ProcessMach" 1). Tool numbers follow the machine group: numbered after the part's
// tools when its numbering flag is set, else from the library's next free number.
#include <algorithm>
#include <cstdio>
#include <set>
#include <string>

#include "host/api.h"
#include "platform/ui/message_box.h"
#include "plugin/base/globals.h"
#include "plugin/base/machine_info.h"
#include "plugin/base/resource_switch.h"
#include "plugin/model/ope_list.h"
#include "plugin/model/tool_records.h"
#include "plugin/model/tree.h"
#include "plugin/services/engine.h"
#include "plugin/services/features.h"
#include "plugin/services/tooling.h"
#include "plugin/tooling/tools_view.h"
#include "plugin/tooling/tool_library_dialog.h"

namespace {

constexpr double kRadToDeg = 57.29577951308233;
// Types 1 and 2 in a type mask (bits 0 and 1 of its high half).
constexpr std::int32_t kSpotAndCentreMask = 0x3 << 16;

bool numberedAfterPartTools() {
    const op_group* group = g_machineGroup ? g_machineGroup : g_machineInfo.rootMachineGroup;
    return group && group->machine.toolNumbering != 0;
}

int libraryNextNumber(const std::string& library) {
    int number = 1;
    (void)nextFreeToolNumber(library, &number, nullptr);
    return number;
}

int highestNumber(const std::vector<tp_tool>& tools) {
    int highest = 0;
    for (const tp_tool& t : tools) highest = std::max(highest, static_cast<int>(t.number));
    return highest;
}

bool numberTaken(const std::vector<tp_tool>& tools, int number) {
    return std::any_of(tools.begin(), tools.end(), [&](const tp_tool& t) { return t.number == number; });
}

// The operation takes the tool at `at` of the part's tools, as one the user changed.
void takeTool(OPE_LIST& o, std::int32_t at, const tp_tool& tool, std::int32_t number) {
    o.toolIndex = at;
    o.toolNumber = number;
    o.toolType = static_cast<std::uint32_t>(tool.type);
    o.newTool = 1;
    o.toolChangedByUser = 1;
    o.active = 1;
}

// The question boxes of the view: Yes and No with the exclamation icon, line 1 as caption.
int ask(plat::Dialog* owner, const CTextSection& texts, const std::string& text) {
    return plat::messageBox(owner, text, texts.getText(1), plat::MB_YESNO | plat::MB_ICONEXCLAMATION);
}

}  // namespace

int CDlgToolsView::nextToolNumber() const {
    if (numberedAfterPartTools()) return static_cast<int>(tools().size()) + 1;
    return libraryNextNumber(configuredToolLibrary());
}

void CDlgToolsView::replaceTool(plat::TreeItem item, std::int32_t index) {
    OPE_LIST& op = *usedOps[static_cast<std::size_t>(index)];
    std::vector<tp_tool>& partTools = tools();
    const std::string library = configuredToolLibrary();
    const tp_tool* const current = toolOf(op);
    const bool hasTool = current != nullptr;
    CDlgToolsMgr dlg;
    dlg.libraryPath = library;
    dlg.typeFilter = static_cast<std::int32_t>(op.toolType);
    if ((op.toolType == 1 || op.toolType == 2) && g_globals->settings.allowCenterDrill != 0)
        dlg.typeFilter = kSpotAndCentreMask;
    dlg.currentTool = current;
    dlg.wantedNumber = nextToolNumber();
    dlg.wantedType = static_cast<std::int32_t>(op.toolType);
    dlg.wantedDiameter = op.toolDiam;
    if (doModalInPluginRes(dlg, this) != plat::IDOK || dlg.chosenIndex < 0) return;

    // Without a tool the operation's own measures stand for it in the comparison.
    tp_tool wanted;
    if (!hasTool) {
        wanted.diameter = op.toolDiam;
        wanted.angle = op.angle * kRadToDeg;
        wanted.shapeValue = op.tipDiam;
        wanted.cornerRadius = op.cornerRadius;
        wanted.fluteLength = op.wantedLength;
        wanted.shoulderLength = op.wantedLength + op.toolDiam;
        dlg.currentTool = &wanted;
    }
    const std::string differences = dlg.compareWithCurrent();
    const std::string question =
        differences.empty() ? texts_.getMessage(81)
                            : texts_.getMessage(80) + "\n" + differences + "\n" + texts_.getMessage(81);
    if (ask(this, texts_, question) != plat::IDYES) return;

    tp_tool chosen = dlg.chosenTool;
    const bool ownNumbers = !numberedAfterPartTools();
    int number = ownNumbers ? chosen.number : static_cast<int>(partTools.size()) + 1;
    const auto same = std::find_if(partTools.begin(), partTools.end(), [&](const tp_tool& t) { return t.number == number; });
    // The number is free, or it is the chosen tool's own place in the part.
    const bool clash = same != partTools.end() && !(ownNumbers && *same == chosen);
    if (clash) number = 1 + std::max(libraryNextNumber(library), highestNumber(partTools));
    chosen.number = number;

    std::size_t at = 0;
    if (const auto identical = std::find(partTools.begin(), partTools.end(), chosen); identical != partTools.end()) {
        at = static_cast<std::size_t>(identical - partTools.begin());
    } else if (!hasTool) {
        partTools.push_back(chosen);
        at = partTools.size() - 1;
    } else {
        at = static_cast<std::size_t>(op.toolIndex);
        partTools[at] = chosen;
    }
    for (OPE_LIST* o : itemOperations(item)) {
        takeTool(*o, static_cast<std::int32_t>(at), chosen, number);
        o->toolDiam = chosen.diameter;
        composeOperationName(*o, o->processOpe.get());
        (void)setOperationNumberPrefix(*o, number);
    }
    buildToolsUsedList();
    fillToolsTree();
}

tp_tool* CDlgToolsView::toolOf(const OPE_LIST& op) const {
    std::vector<tp_tool>& partTools = tools();
    if (op.toolIndex < 0 || static_cast<std::size_t>(op.toolIndex) >= partTools.size()) return nullptr;
    return &partTools[static_cast<std::size_t>(op.toolIndex)];
}

void CDlgToolsView::editTool(std::int32_t index) {
    OPE_LIST& op = *usedOps[static_cast<std::size_t>(index)];
    tp_tool* const found = toolOf(op);
    if (!found) return;
    tp_tool& tool = *found;
    const std::string current = ToolLibrary();
    SetToolLibrary(current.c_str());
    // The editor works on a copy: a tool the user or the library refused stays as it was.
    tp_tool edited = tool;
    if (!toolStoredInLibrary(op)) {
        edited.slot = 0;   // a tool of the part alone has no place in a library
        if (tool_manager(&edited, kToolManagerEdit) == 1) {
            tool = edited;
            op.toolChangedByUser = 1;
            fillToolsTree();
        }
    } else if (tool_manager(&edited, kToolManagerEdit) == 1) {
        char path[2048];
        std::snprintf(path, sizeof path, "%s", configuredToolLibrary().c_str());
        if (library_manager(kLibraryStoreTool, path, &edited, edited.slot, kLibraryOptionRewrite) == 1) {
            tool = edited;
            op.toolChangedByUser = 1;
            fillToolsTree();
        }
    }
    SetToolLibrary(current.c_str());
}

void CDlgToolsView::newToolFromLibrary(plat::TreeItem item, std::int32_t index) {
    OPE_LIST& op = *usedOps[static_cast<std::size_t>(index)];
    std::vector<tp_tool>& partTools = tools();
    const std::string library = configuredToolLibrary();
    CDlgToolsMgr dlg;
    dlg.createMode = 1;
    dlg.libraryPath = library;
    dlg.typeFilter = static_cast<std::int32_t>(op.toolType);
    dlg.wantedType = static_cast<std::int32_t>(op.toolType);
    dlg.wantedDiameter = op.toolDiam;
    dlg.wantedLength = op.wantedLength;
    int number = nextToolNumber();
    if (numberTaken(partTools, number)) number = 1 + std::max(libraryNextNumber(library), highestNumber(partTools));
    dlg.wantedNumber = number;
    const std::string current = ToolLibrary();
    SetToolLibrary(current.c_str());
    const int end = doModalInPluginRes(dlg, this);
    SetToolLibrary(current.c_str());
    if (end != plat::IDOK || dlg.chosenIndex < 0) return;

    const bool toLibrary = g_globals->settings.addNewTools != 0;
    // Told, not asked: the tool is made whatever the answer.
    (void)ask(this, texts_, texts_.getMessage(toLibrary ? 82 : 83));
    tp_tool made = dlg.chosenTool;
    bool stored = false;
    if (toLibrary) {
        char path[2048];
        std::snprintf(path, sizeof path, "%s", library.c_str());
        stored = library_manager(kLibraryStoreTool, path, &made, made.number, kLibraryOptionAdd) == 1;
    }
    partTools.push_back(made);
    const auto at = static_cast<std::int32_t>(partTools.size() - 1);
    for (OPE_LIST* o : itemOperations(item)) {
        takeTool(*o, at, made, made.number);
        // In the library only when the library took it.
        o->toolInLibrary = stored ? 1 : 0;
        (void)setOperationNumberPrefix(*o, made.number);
    }
    buildToolsUsedList();
    fillToolsTree();
}

void CDlgToolsView::storeToolInLibrary(std::int32_t index) {
    OPE_LIST& op = *usedOps[static_cast<std::size_t>(index)];
    tp_tool* const tool = toolOf(op);
    if (!tool) return;
    int slot = 0;
    if (addToolToLibrary(configuredToolLibrary(), tool, nullptr, &slot) != 0) return;
    // The tool has its place in the library now: an edit rewrites it there. Every operation of the tool
    // knows it, so that the tool is never stored twice.
    tool->slot = slot;
    for (OPE_LIST* o : usedOps)
        if (o->toolIndex == op.toolIndex) o->toolInLibrary = 1;
    fillToolsTree();
}

void CDlgToolsView::showHoles(plat::TreeItem item, std::int32_t index) {
    OPE_LIST& op = *usedOps[static_cast<std::size_t>(index)];
    const std::vector<OPE_LIST*> ops = itemOperations(item);
    int code = kShowOperationHole;
    markedCopies_.clear();
    markedHoles = nullptr;
    if (!ops.empty()) {
        // Copies of the holes, each hole once with its equal holes, linked among themselves: the tree's
        // holes and chains stay as they are, and the copies are this view's until it opens again.
        std::set<const POINT_LIST*> taken;
        POINT_LIST* last = nullptr;
        for (const OPE_LIST* o : ops)
            for (const POINT_LIST* p = o->point; p; p = p->nextEqual) {
                if (!taken.insert(p).second) continue;
                auto copy = std::make_unique<POINT_LIST>(*p);
                copy->prev = last;
                copy->next = copy->nextEqual = nullptr;
                if (last) last->next = last->nextEqual = copy.get();
                last = copy.get();
                markedCopies_.push_back(std::move(copy));
            }
        markedHoles = markedCopies_.empty() ? nullptr : markedCopies_.front().get();
        code = kShowToolHoles;
    } else {
        markedHoles = op.point;
    }
    if (markedHoles) setHoleEntities(markedHoles, 0, 1, 0xFFFFFFFFu, 0);
    selectedItem = index;
    repaint_graphics();
    endDialog(code);
}

void CDlgToolsView::keepOnlyTheseActive(plat::TreeItem item, std::int32_t index) {
    OPE_LIST& op = *usedOps[static_cast<std::size_t>(index)];
    if (op.toolIndex < 0) return;
    const std::vector<OPE_LIST*> ops = itemOperations(item);
    const bool oneOperation = ops.empty();
    if (oneOperation) markedHoles = op.point;
    for (OPE_LIST* o : usedOps) {
        prevActive.push_back({o, o->active});
        const bool kept = oneOperation ? o == &op : std::find(ops.begin(), ops.end(), o) != ops.end();
        o->active = kept ? 1 : 0;
    }
    selectedItem = index;
    endDialog(kKeepOnlyThese);
}
