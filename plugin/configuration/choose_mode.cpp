// The configuration in choose mode: a dialog of its own on the chooser's tab of the wanted class, in which
// the user picks a table and a row; the row comes back with its cells.
#include <memory>

#include "plugin/base/resource_switch.h"
#include "plugin/configuration/config_dialogs.h"
#include "plugin/services/configuration.h"
#include "plugin/services/engine.h"

namespace {
// The chooser's tabs of the thread tables and of the tables looked up by name.
constexpr std::int16_t kThreadTab = 2, kNamedTab = 3;
}

CONFIG_CHOICE chooseTableRow(std::int16_t tableClass) {
    CONFIG_SHARED c = configShared();
    auto dlg = std::make_unique<CConfigProcess>();
    dlg->chooseFlag = 1;
    dlg->mode = CConfigProcess::kChooseMode;
    dlg->operationCount = 0;
    dlg->chooser.currentTab = tableClass == kTableThread ? kThreadTab : tableClass == kTableNamed ? kNamedTab : 0;
    dlg->chooser.currentPage = 0;
    c.chosenProcess[0] = -1;
    c.chosenProcess[1] = -1;
    c.action = 0;
    CONFIG_CHOICE choice;
    choice.result = doModalInPluginRes(*dlg);
    const int row = c.chosenProcess[0];
    if (choice.result == plat::IDCANCEL || row < 0 || row >= c.table.rowCount) return choice;
    choice.tableName = c.table.name;
    choice.tableKind = c.table.classValue4;
    choice.row = static_cast<std::int16_t>(row);
    (void)c.table.getRow(row, choice.rowCells);
    return choice;
}
