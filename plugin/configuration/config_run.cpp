// The configuration run: the loop around the process configuration and its operation editor, doing the
// graphics work the dialogs end with (form previews, picks, drawing forms as solids, the process trial).
#include <algorithm>
#include <cstring>

#include "host/api.h"
#include "platform/ui/message_box.h"
#include "plugin/base/globals.h"
#include "plugin/base/host_install.h"
#include "plugin/base/resource_switch.h"
#include "plugin/base/text_section.h"
#include "plugin/base/utilities.h"
#include "plugin/configuration/config_dialogs.h"
#include "plugin/configuration/config_run.h"
#include "plugin/model/process_ope.h"
#include "plugin/model/tab_cols_desc.h"
#include "plugin/services/configuration.h"
#include "plugin/services/engine.h"
#include "plugin/services/features.h"
#include "plugin/services/tables.h"

namespace {

constexpr std::uint32_t kSolidMask = 0x10000;
constexpr int kSolidMark = 4;
constexpr int kMsgNoMachineGroup = 148;

}  // namespace

namespace {

// The forms levels shown, the points level the main level, the level that was main hidden.
void showFormsLevels() {
    const PRM_SETTINGS& s = g_globals->settings;
    const std::int32_t previous = main_level;
    set_level_visible(s.isolationLevel, 1);
    set_level_visible(s.featuresLevel, 1);
    main_level = s.featuresLevel;
    if (previous != main_level) set_level_visible(previous, 0);
}

void markSolids(bool on) {
    if (!on) {
        set_clr_sel_bits(0, kSolidMark, 0, 0, kSolidMask, 0, 0);
        return;
    }
    db_ptr p = db_start();
    char found = 0;
    ent e{};
    for (;;) {
        get_ent(p, 1, kSolidMask, &e, &p, &found);
        if (!found) break;
        if (sel_bit_is_on(&e, kSolidMark)) continue;
        sel_bit_turn_on(&e, kSolidMark);
        rewrite_ent(&e, 0);
    }
    repaint_graphics();
}

// Stores the operation the editor ended with by the action: appended (101), before the current one
// (103, which stays on the new one), after it (104, which moves on to it), or over the one edited (102).
void storeEditedOperation(CConfigProcess& dlg, std::int16_t& index) {
    const CONFIG_SHARED shared = configShared();
    CDlgEditProcessOpe& editor = dlg.editor;
    PROCESS_OPE op;
    (void)dlg.fillOperationFromEditor(&op, shared.rowCells);
    std::int16_t& count = dlg.operationCount;
    auto insertAt = [&](int at) {
        at = std::clamp(at, 0, static_cast<int>(count));
        std::move_backward(dlg.operations.begin() + at, dlg.operations.begin() + count, dlg.operations.begin() + count + 1);
        dlg.operations[static_cast<std::size_t>(at)] = op;
        ++count;
    };
    switch (shared.action) {
    case 101:
        insertAt(count);
        index = count;
        break;
    case 103:
        insertAt(index);
        break;
    case 104:
        insertAt(index + 1);
        index = static_cast<std::int16_t>(std::min<int>(index + 1, count - 1));
        break;
    default:
        // Editing an existing operation: it is stored at its place and the next one is edited.
        if (index >= 0 && index < count) dlg.operations[static_cast<std::size_t>(index)] = op;
        if (index + 1 < count) ++index;
        break;
    }
    editor.operationCount = count;
    editor.operationIndex = index;
}

}  // namespace

void runEditorPass(CConfigProcess& dlg) {
    const CONFIG_SHARED shared = configShared();
    PLUGIN_GLOBALS& g = *g_globals;
    saveGraphicsState(true);
    showFormsLevels();
    mask_level = g.settings.featuresLevel;
    constr_view_n = 1;
    double top[3][3];
    if (get_view_matrix(1, top)) set_gr_view(top);
    job_setup.showStock = 0;
    rebuild_graphics();
    bool previewOk = true;
    if (shared.chosenProcess[0] >= 0) {
        deletePreviewEntities();
        previewOk = shared.table.drawFormPreview(shared.rowCells, 1, 1) == 0;
    }
    if (previewOk) {
        CDlgEditProcessOpe& editor = dlg.editor;
        std::int16_t index = dlg.operationCount;
        if (shared.action != 101 && dlg.currentOperation) {
            const auto at = dlg.currentOperation - dlg.operations.data();
            if (at >= 0 && at < dlg.operationCount) index = static_cast<std::int16_t>(at);
        }
        editor.operations = dlg.operations.data();
        editor.operationCount = dlg.operationCount;
        editor.operationIndex = index;
        editor.formTable = &shared.table;
        editor.processName = dlg.processName;
        bool editing = true;
        while (editing && dlg.operationCount + 1 < CConfigProcess::kMaxOperations) {
            switch (doModalInPluginRes(editor)) {
            case 501: editor.pickToolDiameter(); break;
            case 502: editor.pickTopZ(); break;
            case 503: editor.pickBottomZ(); break;
            case 505: editor.pickCircleMillDiameter(); break;
            case 515: editor.pickContourDiameter(); break;
            case 525: editor.pickHelixBoreDiameter(); break;
            case 535: editor.pickThreadDiameter(); break;
            case 504: storeEditedOperation(dlg, index); break;
            case plat::IDCANCEL:
                shared.action = 105;
                editing = false;
                break;
            case plat::IDOK: editing = false; break;
            default: break;
            }
        }
        if (index >= 0 && index < dlg.operationCount) dlg.currentOperation = &dlg.operations[static_cast<std::size_t>(index)];
    }
    deletePreviewEntities();
    restoreGraphicsState(g_globals->settings.featuresLevel);
    rebuild_graphics();
}

int runConfigProcess(std::int16_t preset) {
    const CONFIG_SHARED shared = configShared();
    CConfigProcess& dlg = *g_configProcess;
    if (preset == 122) markSolids(true);
    if (copyTablesToSharedData() != 0 || checkTablesLibrary(1) != 0) return 0;
    dlg.mode = preset;
    dlg.chooseFlag = 0;
    dlg.operationCount = 0;
    dlg.editPurpose = 0;
    dlg.chooser.currentTab = 0;
    dlg.chooser.currentPage = 0;
    int drawing = 0;
    std::int16_t drawingMode = 0;
    int result = 0;
    for (bool running = true; running;) {
        const int code = doModalInPluginRes(dlg);
        bool decide = true;
        switch (code) {
        case 101:
        case 102:
        case 103:
        case 104:
            shared.action = static_cast<std::int16_t>(code);
            runEditorPass(dlg);
            break;
        case 105:
            if (!g_machineGroup && !GroupsMachineGroup(nullptr)) {
                plat::messageBox(nullptr, errorMessage(kMsgNoMachineGroup), errorMessage(1), plat::MB_OK);
                break;
            }
            tryConfiguredProcess(dlg.operations.data(), dlg.operationCount, dlg.trialGroupId);
            saveGraphicsState(true);
            job_setup.showStock = 0;
            showFormsLevels();
            if (shared.table.drawFormPreview(shared.rowCells, 2, 0) == 0) {
                result = 1;
                running = false;
                decide = false;
            }
            break;
        case 120:
        case 122:
            drawingMode = code == 122 ? 1 : 0;
            drawing = drawShapesManager(&shared.table, static_cast<std::int16_t>(dlg.chosenRow), 0, drawingMode);
            break;
        case 121: break;
        default:
            if (drawing != 0) {
                drawing = drawShapesManager(&shared.table, static_cast<std::int16_t>(dlg.chosenRow), 1, drawingMode);
            } else {
                running = false;
                decide = false;
            }
            break;
        }
        if (!decide) break;
        if (drawing == 2) shared.action = 0;
        if (drawing == 3) running = false;
    }
    copyTablesFromSharedData();
    if (preset == 122) {
        markSolids(false);
        setFormsLevelVisible(g_globals->settings.formsLevel, g_globals->settings.formsLevelShowMode, false);
        rebuild_graphics();
    }
    return result;
}
