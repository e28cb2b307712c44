// The tool library dialog. Rows keep the library's tools sorted; each row's data is its tool's place in the
// sorted array. Texts of "ToolsMgrDlg": 1 caption, 2 OK, 3 Cancel, 81 the empty library, 91 and 92 the
// heads of the comparison, 100-115 the column slots ("KIND Title").
#include "plugin/tooling/tool_library_dialog.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/ui/image_list.h"
#include "platform/ui/list_view.h"
#include "platform/ui/message_box.h"
#include "plugin/base/globals.h"
#include "plugin/base/tool_types.h"
#include "plugin/tooling/tool_library.h"
#include "plugin/tooling/tools_view_texts.h"

namespace {

// The tool type of each bit of a type mask.
constexpr std::int16_t kMaskTypes[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 15, 17, 19, 0};

// What a column shows, by its kind.
enum ColumnKind : std::int16_t {
    kName = 1, kDiameter = 2, kTipAngle = 3, kShapeValue = 4, kCornerRadius = 5, kFirstLength = 6, kThirdLength = 7
};

std::string lengthText(double value) {
    char text[64];
    std::snprintf(text, sizeof text, g_fmtMedium, value);
    return text;
}

std::string numberText(std::int32_t number) {
    char text[32];
    std::snprintf(text, sizeof text, "%3.3i", number);
    return text;
}

// The measure a numeric column shows; false for the name and unknown kinds.
bool columnValue(const tp_tool& t, std::int16_t kind, double& value) {
    switch (kind) {
    case kDiameter: value = t.diameter; return true;
    case kTipAngle: value = t.angle; return true;
    case kShapeValue: value = t.shapeValue; return true;
    case kCornerRadius: value = t.cornerRadius; return true;
    case kFirstLength: value = t.fluteLength; return true;
    case kThirdLength: value = t.shoulderLength; return true;
    default: return false;
    }
}

const char* materialName(std::int16_t material) {
    for (const TOOL_MATERIAL& m : g_toolMaterials)
        if (m.id == material && material != 0) return m.name;
    return "";
}

}  // namespace

CDlgToolsMgr::CDlgToolsMgr() : plat::Dialog(kTemplate) {
    on(kList, plat::Ev::SetFocus, [this](plat::Notify&) { takeSelection(); });
    // The row the user selects is the one chosen: a click selects without moving the focus, which the
    // list already holds from the start, so the focus alone would leave the preselection chosen.
    on(kList, plat::Ev::ItemChanged, [this](plat::Notify& n) {
        if ((n.changed & plat::LVIF_STATE) != 0 && ((n.oldState ^ n.newState) & plat::LVIS_SELECTED) != 0)
            takeSelection();
    });
    on(kList, plat::Ev::DblClk, [this](plat::Notify&) { onListEdit(); });
    on(kList, plat::Ev::RClick, [this](plat::Notify&) { onListEdit(); });
    onMessage(plat::Msg::Destroy, [this](plat::MsgArgs&) { images_.reset(); });
}

CDlgToolsMgr::~CDlgToolsMgr() = default;

bool CDlgToolsMgr::fits(std::int32_t typeFilter, std::int16_t type) {
    const auto filter = static_cast<std::uint32_t>(typeFilter);
    if (const auto single = static_cast<std::int16_t>(filter & 0xFFFFu); single != 0) return type == single;
    const std::uint32_t mask = filter >> 16;
    for (int bit = 0; bit < 16; ++bit)
        if ((mask & (1u << bit)) != 0 && kMaskTypes[bit] == type) return true;
    return false;
}

void CDlgToolsMgr::readLibraryTools(const std::string& path, std::int32_t typeFilter, std::vector<tp_tool>& tools) {
    for (const tp_tool& t : loadLibraryTools(path))
        if (fits(typeFilter, t.type)) tools.push_back(t);
}

void CDlgToolsMgr::sortTools(std::vector<tp_tool>& tools) {
    const double tol = g_tolerances.tol004T;
    // Tolerances make this no strict order: a stable merge sort keeps equal tools in library order and stays
    // within bounds.
    std::stable_sort(tools.begin(), tools.end(), [tol](const tp_tool& a, const tp_tool& b) {
        if (a.type != b.type) return a.type < b.type;
        if (!(std::fabs(a.diameter - b.diameter) < tol)) return a.diameter < b.diameter;
        if (!(std::fabs(a.fluteLength - b.fluteLength) < tol)) return a.fluteLength < b.fluteLength;
        return false;
    });
}

int CDlgToolsMgr::preselect(const std::vector<tp_tool>& tools, std::int32_t wantedType, double wantedDiameter,
                            const tp_tool* current) {
    int chosen = -1;
    if (wantedType != 0) {
        for (std::size_t i = 0; i < tools.size(); ++i) {
            if (tools[i].type != wantedType) continue;
            chosen = static_cast<int>(i);
            if (tools[i].diameter <= wantedDiameter) continue;
            // The first larger tool: the one before it (of whatever type the sort put there) when it is
            // strictly nearer, so that a wanted diameter midway keeps the larger tool.
            if (i > 0 && wantedDiameter - tools[i - 1].diameter < tools[i].diameter - wantedDiameter)
                chosen = static_cast<int>(i - 1);
            break;
        }
    }
    if (current)
        for (std::size_t i = 0; i < tools.size(); ++i)
            if (tools[i] == *current) return static_cast<int>(i);
    return chosen;
}

void CDlgToolsMgr::readColumnSlots() {
    for (int slot = 0; slot < kColumnSlots; ++slot) {
        COLUMN_SLOT& c = columns_[static_cast<std::size_t>(slot)];
        c = COLUMN_SLOT{};
        const std::string line = texts_.getText(100 + slot);
        if (line.empty()) continue;
        const auto blank = line.find(' ');
        c.used = true;
        c.kind = static_cast<std::int16_t>(std::atoi(line.substr(0, blank).c_str()));
        c.title = blank == std::string::npos ? "" : line.substr(blank + 1);
    }
}

void CDlgToolsMgr::insertColumns() {
    plat::Control& ctl = item(kList);
    plat::ListView& list = *ctl.listView();
    const int n = static_cast<int>(std::count_if(columns_.begin(), columns_.end(), [](const COLUMN_SLOT& c) { return c.used; }));
    if (n == 0) return;
    const int width = ctl.clientRect().width() / n - 2;
    for (int slot = 0; slot < n; ++slot) {
        const COLUMN_SLOT& c = columns_[static_cast<std::size_t>(slot)];
        if (c.used) list.insertColumn(slot, c.title, width, plat::LVCFMT_LEFT);
    }
}

std::string CDlgToolsMgr::cellText(const tp_tool& tool, std::int16_t kind) const {
    if (kind == kName) return tool.name;
    double value = 0;
    return columnValue(tool, kind, value) ? lengthText(value) : std::string();
}

void CDlgToolsMgr::updateRow(int row, const tp_tool& tool) {
    plat::ListView& list = listView(kList);
    list.setItemText(row, 0, numberText(tool.number));
    // Column j shows slot j: the column lines follow one another from line 100 on.
    for (int col = 1; col < list.columnCount() && col < kColumnSlots; ++col) {
        const COLUMN_SLOT& c = columns_[static_cast<std::size_t>(col)];
        if (c.used) list.setItemText(row, col, cellText(tool, c.kind));
    }
}

std::string CDlgToolsMgr::compareWithCurrent() const {
    if (!currentTool) return "";
    const double T = g_tolerances.tolT;
    std::string lines;
    auto line = [](const std::string& a, const std::string& b, const std::string& c) {
        return a + "\t " + b + "\t " + c + "\n";
    };
    for (int slot = 1; slot < kColumnSlots; ++slot) {
        const COLUMN_SLOT& c = columns_[static_cast<std::size_t>(slot)];
        if (!c.used) continue;
        if (c.kind == kName) {
            if (std::strncmp(currentTool->name, chosenTool.name, sizeof chosenTool.name) != 0)
                lines += line(c.title, currentTool->name, chosenTool.name);
            continue;
        }
        double now = 0, chosen = 0;
        if (!columnValue(*currentTool, c.kind, now) || !columnValue(chosenTool, c.kind, chosen)) continue;
        if (std::fabs(now - chosen) > T) lines += line(c.title, lengthText(now), lengthText(chosen));
    }
    if (lines.empty()) return "";
    return line("", texts_.getText(91), texts_.getText(92)) + lines;
}

bool CDlgToolsMgr::onInitDialog() {
    images_ = std::make_unique<plat::ImageList>(16, 16, 1, 1);
    images_->addIcon(kRowIcon);
    plat::ListView& list = listView(kList);
    list.setImageList(images_.get(), plat::LVSIL_SMALL);
    list.setExtendedStyle(0, plat::LVS_EX_FULLROWSELECT | plat::LVS_EX_GRIDLINES);
    (void)texts_.load(g_globals->uiTextFile, "ToolsMgrDlg", true);
    setWindowText(texts_.getText(1));
    item(plat::IDOK).setText(texts_.getText(2));
    item(plat::IDCANCEL).setText(texts_.getText(3));
    readColumnSlots();
    insertColumns();

    tools_.clear();
    readLibraryTools(libraryPath, typeFilter, tools_);
    sortTools(tools_);
    int chosen = preselect(tools_, wantedType, wantedDiameter, currentTool);
    if (tools_.empty() && createMode == 0) {
        plat::messageBox(this, texts_.getMessage(81), texts_.getText(1), plat::MB_OK);
        createMode = 1;
    }
    if (chosen < 0 && createMode == 1) {
        std::vector<tp_tool> big;
        readLibraryTools(bigToolLibrary(g_globals->metric()), typeFilter, big);
        if (!big.empty()) {
            tools_ = std::move(big);
            sortTools(tools_);
            chosen = preselect(tools_, wantedType, wantedDiameter, currentTool);
        }
    }
    // Nothing to offer: an empty list the user could only leave with nothing chosen.
    if (chosen < 0) {
        endDialog(plat::IDCANCEL);
        return true;
    }
    for (std::size_t i = 0; i < tools_.size(); ++i) {
        const int row = list.insertItem(static_cast<int>(i), numberText(tools_[i].number), 0);
        list.setItemData(row, static_cast<std::intptr_t>(i));
        updateRow(row, tools_[i]);
    }
    preselected_ = chosen;
    chosenIndex = static_cast<std::int16_t>(chosen);
    list.setItemState(chosen, plat::LVIS_DROPHILITED, plat::LVIS_DROPHILITED);
    list.ensureVisible(chosen);
    chosenTool = tools_[static_cast<std::size_t>(chosen)];
    if (createMode == 1) endDialog(editTool(chosen, true) == 1 ? plat::IDOK : plat::IDCANCEL);
    return true;
}

void CDlgToolsMgr::takeSelection() {
    plat::ListView& list = listView(kList);
    const int row = list.nextItem(-1, plat::LVNI_SELECTED);
    // Without a selection the row still drawn highlighted, if any, stays the choice.
    if (row < 0) {
        chosenIndex = static_cast<std::int16_t>(preselected_);
        return;
    }
    chosenIndex = static_cast<std::int16_t>(row);
    chosenTool = tools_[static_cast<std::size_t>(list.itemData(row))];
    if (preselected_ != -1) {
        list.setItemState(preselected_, 0, plat::LVIS_DROPHILITED);
        preselected_ = -1;
    }
}

void CDlgToolsMgr::onListEdit() {
    plat::ListView& list = listView(kList);
    int row = list.nextItem(-1, plat::LVNI_SELECTED);
    if (row < 0) row = preselected_;
    if (row < 0) return;
    chosenIndex = static_cast<std::int16_t>(row);
    chosenTool = tools_[static_cast<std::size_t>(list.itemData(row))];
    (void)editTool(row, false);
}

int CDlgToolsMgr::editTool(int row, bool create) {
    const auto at = static_cast<std::size_t>(listView(kList).itemData(row));
    tp_tool t = tools_[at];
    if (create) {
        // The nearest library tool becomes the wanted one, its lengths 10 steps of 4 T apart.
        const double T4 = g_tolerances.tol4T;
        t.number = wantedNumber;
        t.diameter = wantedDiameter;
        if (wantedLength > 0) t.fluteLength = wantedLength;
        t.shoulderLength = t.fluteLength + 10 * T4;
        t.overallLength = t.shoulderLength + 10 * T4;
        t.secondDiameter = t.type == 7 ? t.diameter - T4 : t.diameter;
        if (t.type == 17) t.shoulderLength = t.fluteLength;
        const std::string name = lengthText(t.diameter) + " " + toolTypeName(t.type) + " " + materialName(t.material);
        std::memset(t.name, 0, sizeof t.name);
        std::memcpy(t.name, name.data(), std::min(name.size(), sizeof t.name - 1));
    }
    if (tool_manager(&t, kToolManagerEdit) != 1) return 0;
    if (create) {
        tools_[at] = t;
        chosenTool = t;
        return 1;
    }
    char path[2048];
    std::snprintf(path, sizeof path, "%s", libraryPath.c_str());
    if (library_manager(kLibraryStoreTool, path, &t, t.slot, kLibraryOptionRewrite) != 1) return 0;
    tools_[at] = t;
    chosenTool = t;
    updateRow(row, t);
    return 1;
}
