// What the other subsystems use of the process configuration: the configuration dialog and its operation
// editor, which the configuration run shows again and again. Stand-ins until the configuration is built
// (docs/seams.md).
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/ui/dialog.h"
#include "plugin/base/load_time.h"
#include "plugin/model/process_ope.h"

// The end codes of the configuration's and the editor's buttons.
extern const int kConfigActions[8];
extern const int kEditorActions[8];

class CConfigProcess;

// The operation editor. Until it is built, a frame (template 18015) whose buttons end it with their codes
// (501-535 picks, 504 next operation, OK, Cancel) and whose edit 1001 gives the operation's label.
class CDlgEditProcessOpe : public plat::Dialog {
public:
    static constexpr int kLabelEdit = 1001;
    CDlgEditProcessOpe();
    CConfigProcess* owner = nullptr;
    PROCESS_OPE* operations = nullptr;
    std::int16_t count = 0;
    std::int16_t index = 0;
    std::string label;   // what the user typed, taken when a button ends the editor
    // The picks on the drawn form; each stores its value in the edited operation.
    void pickToolDiameter();
    void pickTopZ();
    void pickBottomZ();
    void pickCircleMillDiameter();
    void pickContourDiameter();
    void pickHelixBoreDiameter();
    void pickThreadDiameter();
};

// The process configuration. Until it is built, a frame whose buttons end it with the action codes of the
// configuration run (101-105, 120-122), OK and Cancel.
class CConfigProcess : public plat::Dialog {
public:
    static constexpr int kMaxOperations = 100;
    CConfigProcess();
    std::int16_t preset = 0;                        // the start mode
    std::array<PROCESS_OPE, kMaxOperations> process{};
    std::int16_t operationCount = 0;
    PROCESS_OPE* currentOperation = nullptr;
    std::int16_t selectedRow = -1;
    std::int32_t trialGroupId = 0;
    std::int32_t workFields[4] = {};
    CDlgEditProcessOpe editor;
    // One operation from the editor's state.
    void fillOperationFromEditor(PROCESS_OPE* target, const std::string& tableName) const;
};

extern LoadTime<CConfigProcess> g_configProcess;

// ---- the choose mode ----------------------------------------------------------------------------------------
// The configuration run so that the user chooses one row of a table of a class (2: the thread tables), as the
// edit-feature dialog and the features window ask for a thread. Stand-in (docs/seams.md): the configuration's
// frame (18018) is shown in its choose mode and nothing can be chosen in it, so `row` stays -1.
struct CONFIG_CHOICE {
    int result = 2;                       // the run's end code: 2 cancelled, another code when it ended otherwise
    std::string tableName;                // the table the user was on
    std::int16_t tableKind = 0;           // its kind number (thread tables: below 1000 one family)
    std::int16_t row = -1;                // the row chosen, -1 none
    std::vector<std::string> rowCells;    // that row's cells
};
CONFIG_CHOICE chooseTableRow(std::int16_t tableClass);
