// The table chooser: every table of the folder as a picture of its hole form with its name under it, 18 to a
// page, under tabs that filter them. A click on a picture chooses that table. The pictures are drawn only
// for the page shown, each table read again as it is drawn; the list of entries is rebuilt at every opening
// from one listing of the folder, so it holds whatever the folder holds then.
#include <algorithm>
#include <cctype>
#include <cstring>

#include "platform/sys/files.h"
#include "platform/sys/paths.h"
#include "platform/ui/canvas.h"
#include "platform/ui/list_view.h"
#include "platform/ui/message_box.h"
#include "plugin/base/globals.h"
#include "plugin/base/host_install.h"
#include "plugin/base/resource_switch.h"
#include "plugin/base/text_fill.h"
#include "plugin/base/utilities.h"
#include "plugin/model/tree.h"
#include "plugin/services/features.h"
#include "plugin/configuration/table_dialogs.h"

namespace {

constexpr int kLineCaption = 1, kLineExit = 2, kLinePrevious = 3, kLineNext = 4, kLineColours = 5;
constexpr int kLineNoTables = 62, kLineInfo = 101, kLineInfoShared = 102;
// The tab texts' lines, in tab order (the plug-in's own tables come last but take line 13).
constexpr int kTabLines[CSelectShapeTable::kTabCount] = {10, 11, 12, 14, 13};

void copyField(char* field, std::size_t capacity, const std::string& text) {
    const std::string fitted = fitText(text, capacity);
    std::fill(field, field + capacity, '\0');
    std::copy(fitted.begin(), fitted.end(), field);
}

// Names compared without case, a leading '_' taken as '~', so that they follow every name that begins
// with a letter or a digit.
bool nameBefore(const CHOOSER_ENTRY& a, const CHOOSER_ENTRY& b) {
    auto key = [](const char* name, std::size_t i) {
        const unsigned char c = static_cast<unsigned char>(name[i]);
        if (i == 0 && c == '_') return static_cast<int>('~');
        return std::tolower(c);
    };
    const char* x = a.ref.tableName;
    const char* y = b.ref.tableName;
    for (std::size_t i = 0;; ++i) {
        const int cx = key(x, i), cy = key(y, i);
        if (cx != cy) return cx < cy;
        if (cx == 0) return false;
    }
}

std::string unitText() {
    CTextSection menu;
    (void)menu.load(g_globals->uiTextFile, "ForantixMenu", false);
    return menu.getText(g_globals->metric() ? 1 : 2);
}

}  // namespace

CSelectShapeTable::CSelectShapeTable(plat::Dialog*) : plat::Dialog(kTemplate) {
    onMessage(plat::Msg::LButtonUp, [this](plat::MsgArgs& a) { onPictureClick(a.point); });
    onMessage(plat::Msg::Paint, [this](plat::MsgArgs& a) {
        bindPageSlots(*a.canvas);
        drawPage(*a.canvas);
    });
    onMessage(plat::Msg::Destroy, [this](plat::MsgArgs&) { onDestroy(); });
    onCommand(kPrevPage, [this] { onPrevPage(); });
    onCommand(kNextPage, [this] { onNextPage(); });
    onCommand(kColours, [this] { onColorSettings(); });
    on(kTab, plat::Ev::SelChange, [this](plat::Notify&) { onTabChange(); });
    on(kList, plat::Ev::Clicked, [this](plat::Notify& n) { onListClick(n); });
    on(kList, plat::Ev::RClick, [](plat::Notify&) {});
}

bool CSelectShapeTable::onInitDialog() {
    entries.clear();
    shown.clear();
    if (texts.load(g_globals->uiTextFile, "SelectShapeDlg", true) != 0) {
        endDialog(plat::IDCANCEL);
        return true;
    }
    notices_.emplace();
    item(kList).enable(false);
    setWindowText(fillText(texts.getText(kLineCaption), {g_globals->libraryName, unitText()}));
    item(plat::IDOK).setText(texts.getText(kLineExit));
    item(kPrevPage).setText(texts.getText(kLinePrevious));
    item(kNextPage).setText(texts.getText(kLineNext));
    item(kColours).setText(texts.getText(kLineColours));

    const std::string& folder = g_globals->tablesDir;
    std::vector<plat::FileEntry> files = plat::findFiles(folder, "*.tab");
    std::erase_if(files, [](const plat::FileEntry& f) { return f.isDir; });
    if (files.empty()) {
        plat::messageBox(this, texts.getMessage(kLineNoTables) + "\n(" + folder + ")", windowText(), plat::MB_OK);
        endDialog(kNoTables);
        return true;
    }
    std::int64_t newest = 0;
    entries.reserve(files.size());
    for (const plat::FileEntry& file : files) {
        CHOOSER_ENTRY entry;
        const std::string tabPath = plat::joinPath(folder, file.name);
        const std::string title = plat::splitPath(file.name).name;
        CTabColsDesc table;
        // A table that cannot be read is still listed, with whatever class the reader left.
        (void)table.read(tabPath);
        entry.tableClass = table.tableClass;
        copyField(entry.ref.tabPath, sizeof entry.ref.tabPath, tabPath);
        copyField(entry.ref.txtPath, sizeof entry.ref.txtPath, plat::joinPath(folder, title + ".TXT"));
        copyField(entry.ref.tableName, sizeof entry.ref.tableName, title);
        entry.ref.fileTime = file.lastWrite;
        newest = std::max(newest, file.lastWrite);
        entries.push_back(entry);
    }
    markUsedTables();

    plat::Control& tab = item(kTab);
    tab.resetContent();
    for (int i = 0; i < kTabCount; ++i) tab.insertString(i, " " + texts.getText(kTabLines[i]) + " ");
    pageSize = kPageSize;
    currentTab = static_cast<std::int16_t>(std::clamp<int>(currentTab, 0, tab.count() - 1));
    tab.setCurSel(currentTab);
    filterAndSort(currentTab);
    countPages();
    currentPage = static_cast<std::int16_t>(std::clamp<int>(currentPage, 0, std::max(pageCount - 1, 0)));

    item(kInfo).setText(g_globals->sharedDataOn != 0
                            ? fillText(texts.getText(kLineInfoShared), {formatDateTime(newest)})
                            : texts.getText(kLineInfo));
    return true;
}

void CSelectShapeTable::markUsedTables() {
    for (VIEW_LIST* view = g_records->viewsTree; view; view = view->next)
        for (POINT_LIST* hole = view->firstPoint; hole; hole = hole->next) {
            if (hole->excluded) continue;
            const std::string name(hole->tableName, strnlen(hole->tableName, sizeof hole->tableName));
            for (CHOOSER_ENTRY& entry : entries)
                if (plat::equalsNoCase(entry.ref.tableName, name)) {
                    entry.ref.flag = 1;
                    break;
                }
        }
}

bool CSelectShapeTable::entryInTab(const CHOOSER_ENTRY& entry, int tab) const {
    switch (tab) {
    case 0:
        return true;
    case 1:
        return entry.ref.flag != 0;
    case 2:
        return entry.tableClass == kTableThread;
    case 3:
        return entry.tableClass == kTableNamed;
    case 4:
        return std::string_view(entry.ref.tableName).starts_with(g_globals->tableNamePrefix);
    default:
        return false;
    }
}

void CSelectShapeTable::filterAndSort(int tab) {
    shown.clear();
    for (const CHOOSER_ENTRY& entry : entries)
        if (entryInTab(entry, tab)) shown.push_back(entry);
    if (tab == 4)
        std::stable_sort(shown.begin(), shown.end(), [](const CHOOSER_ENTRY& a, const CHOOSER_ENTRY& b) {
            return a.ref.fileTime < b.ref.fileTime;
        });
    else
        std::stable_sort(shown.begin(), shown.end(), nameBefore);
}

void CSelectShapeTable::countPages() {
    const std::size_t pages = (shown.size() + kPageSize - 1) / kPageSize;
    pageCount = static_cast<std::int16_t>(std::min<std::size_t>(pages, INT16_MAX));
}

void CSelectShapeTable::bindPageSlots(plat::Canvas& dc) {
    firstShown = static_cast<std::int16_t>(kPageSize * currentPage);
    for (CHOOSER_ENTRY& entry : shown) entry.picture = entry.label = nullptr;
    for (std::size_t slot = 0; slot < kPageSize; ++slot) {
        const std::size_t index = static_cast<std::size_t>(firstShown) + slot;
        if (index >= shown.size()) break;
        shown[index].picture = &item(kPictureSlots[slot]);
        shown[index].label = &item(kLabelSlots[slot]);
    }
    const CTabColsDesc blank;
    for (std::size_t slot = 0; slot < kPageSize; ++slot) {
        blank.clearTablePicture(dc, 0, 0, item(kPictureSlots[slot]));
        item(kLabelSlots[slot]).setText("");
    }
}

void CSelectShapeTable::drawPage(plat::Canvas& dc) {
    for (std::size_t index = static_cast<std::size_t>(firstShown);
         index < shown.size() && index < static_cast<std::size_t>(firstShown) + kPageSize; ++index) {
        CHOOSER_ENTRY& entry = shown[index];
        if (!entry.picture) continue;
        CTabColsDesc table;
        // A table that cannot be read draws what the reader left of it, which may be nothing.
        (void)table.read(entry.ref.tabPath);
        const bool chosen = static_cast<std::int64_t>(index) == lastChosen;
        (void)table.drawTablePicture(dc, 0, 0, *entry.picture, 0, 0, chosen ? 1 : 0, nullptr);
        const std::string name = table.name.empty() ? std::string(entry.ref.tableName) : table.name;
        entry.label->setText(table.tableClass == kTableNamed ? textBetweenStr(name, "{}") : name);
    }
}

void CSelectShapeTable::redrawPage() {
    plat::Canvas& dc = clientDC();
    bindPageSlots(dc);
    drawPage(dc);
}

void CSelectShapeTable::onPrevPage() {
    if (currentPage <= 0) return;
    --currentPage;
    redrawPage();
}

void CSelectShapeTable::onNextPage() {
    if (currentPage + 1 >= pageCount) return;
    ++currentPage;
    redrawPage();
}

void CSelectShapeTable::onTabChange() {
    currentTab = static_cast<std::int16_t>(std::max(item(kTab).curSel(), 0));
    filterAndSort(currentTab);
    countPages();
    currentPage = static_cast<std::int16_t>(std::max(std::min<int>(currentPage, pageCount - 1), 0));
    redrawPage();
}

void CSelectShapeTable::choose(const CHOOSER_ENTRY& entry) {
    chosenTable = entry.ref;
    std::fill(std::begin(chosenTable.processName), std::end(chosenTable.processName), '\0');
    endDialog(kChosen);
}

void CSelectShapeTable::onPictureClick(plat::Point point) {
    for (std::size_t slot = 0; slot < kPageSize; ++slot) {
        const std::size_t index = static_cast<std::size_t>(firstShown) + slot;
        if (index >= shown.size()) return;
        const plat::Control* picture = shown[index].picture;
        if (!picture) continue;
        // The picture's edges count as the picture, its right and bottom edge included.
        const plat::Rect r = picture->rect();
        if (point.x < r.left || point.x > r.right || point.y < r.top || point.y > r.bottom) continue;
        lastChosen = static_cast<std::int16_t>(index);
        choose(shown[index]);
        return;
    }
}

void CSelectShapeTable::onListClick(plat::Notify& n) {
    // Nothing fills the list; an item would carry the index of its entry in its data.
    if (n.row < 0) return;
    const plat::ListView& list = listView(kList);
    if (n.row >= list.itemCount()) return;
    const std::intptr_t at = list.itemData(n.row);
    if (at < 0 || static_cast<std::size_t>(at) >= entries.size()) return;
    choose(entries[static_cast<std::size_t>(at)]);
}

void CSelectShapeTable::onColorSettings() {
    PRM_SETTINGS& s = g_globals->settings;
    std::string name = s.colourConfigName;
    COLOURED_FEATURES classes{s.reamClassColours, s.reamClassTables, s.threadClassColours, s.threadClassTables};
    if (!editColouredFeatures(name, classes, this)) return;
    s.colourConfigName = name;
    s.reamClassColours = classes.reamColors;
    s.reamClassTables = classes.reamTables;
    s.threadClassColours = classes.threadColors;
    s.threadClassTables = classes.threadTables;
}

void CSelectShapeTable::onDestroy() {
    for (CHOOSER_ENTRY& entry : shown) entry.picture = entry.label = nullptr;
    entries.clear();
    shown.clear();
    notices_.reset();
}
