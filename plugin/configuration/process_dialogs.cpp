// The name of a process, and the deletion of the processes no row uses. The deletion list offers no rename:
// the table deletes processes by their names as they stand, so a name typed there could only make a marked
// process miss its deletion; its edit, always disabled, shows the name of the one selected process.
#include "plugin/configuration/process_dialogs.h"

#include "platform/ui/list_view.h"
#include "platform/ui/message_box.h"
#include "plugin/base/globals.h"
#include "plugin/base/text_fill.h"

CDlgNewProcess::CDlgNewProcess(plat::Dialog*) : plat::Dialog(kTemplate) {}

bool CDlgNewProcess::onInitDialog() {
    setWindowText(caption);
    item(kPrompt).setText(prompt);
    plat::Control& edit = item(kName);
    edit.setText(name);
    edit.setFocus();
    edit.setEditSel(0, -1);
    return false;
}

void CDlgNewProcess::onOK() {
    name = item(kName).text();
    endDialog(plat::IDOK);
}

CDlgHandleProcess::CDlgHandleProcess(plat::Dialog*) : plat::Dialog(kTemplate) {
    on(kList, plat::Ev::Clicked, [this](plat::Notify&) { onListClick(); });
    onCommand(kDelete, [this] { deleteSelected(); });
}

bool CDlgHandleProcess::onInitDialog() {
    if (texts.load(g_globals->uiTextFile, "DeleteProcessDlg", false) != 0) {
        endDialog(plat::IDOK);
        return true;
    }
    setWindowText(texts.getText(1));
    item(plat::IDOK).setText(texts.getText(2));
    item(plat::IDCANCEL).setText(texts.getText(3));
    item(kDelete).setText(texts.getText(6));
    plat::ListView& list = listView(kList);
    list.insertColumn(0, texts.getText(11), 200);
    list.insertColumn(1, texts.getText(12), 75);
    list.setExtendedStyle(0, plat::LVS_EX_GRIDLINES | plat::LVS_EX_FULLROWSELECT);
    currentItem = -1;
    for (std::size_t i = 0; i < entries.size() && i < kMaxEntries; ++i) {
        const PROCESS_ENTRY& e = entries[i];
        if (e.deleted) continue;
        const int at = list.insertItem(list.itemCount(), e.name.substr(0, 256));
        list.setItemData(at, static_cast<std::intptr_t>(i));
        if (e.useCount != 0) list.setItemText(at, 1, std::to_string(e.useCount));
        if (e.name == presetName) currentItem = at;
    }
    plat::Control& edit = item(kName);
    edit.setText(currentItem >= 0 ? list.itemText(currentItem, 0) : "");
    edit.enable(false);
    return true;
}

void CDlgHandleProcess::onListClick() {
    plat::ListView& list = listView(kList);
    plat::Control& edit = item(kName);
    const int selected = list.selectedCount();
    if (selected == 0) return;
    currentItem = selected == 1 ? list.nextItem(-1, plat::LVNI_SELECTED) : -1;
    edit.setText(currentItem >= 0 ? list.itemText(currentItem, 0) : "");
}

void CDlgHandleProcess::deleteSelected() {
    plat::ListView& list = listView(kList);
    std::vector<int> remove;
    int inUse = 0;
    for (int row = list.nextItem(-1, plat::LVNI_SELECTED); row >= 0; row = list.nextItem(row, plat::LVNI_SELECTED)) {
        PROCESS_ENTRY& e = entries[static_cast<std::size_t>(list.itemData(row))];
        if (e.useCount != 0) {
            ++inUse;
            continue;
        }
        e.deleted = 1;
        remove.push_back(row);
    }
    // From the last down, so that the rows still to remove keep their places.
    for (auto it = remove.rbegin(); it != remove.rend(); ++it) list.deleteItem(*it);
    if (!remove.empty()) {
        currentItem = -1;
        item(kName).setText("");
    }
    if (inUse > 0)
        plat::messageBox(this, fillText(texts.getText(51), {static_cast<long>(inUse)}), errorMessage(1),
                         plat::MB_OK | plat::MB_ICONEXCLAMATION);
}
