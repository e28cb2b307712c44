// The process configuration's dialogs: the configuration of a table's rows and processes and its operation
// editor, which the configuration run (config_run.cpp) shows again and again and whose picks it performs.
// Other subsystems reach them only through runConfigProcess (plugin/services/configuration.h).
#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/dialog.h"
#include "plugin/base/cycle_names.h"
#include "plugin/base/load_time.h"
#include "plugin/base/text_section.h"
#include "plugin/configuration/table_dialogs.h"
#include "plugin/model/process_ope.h"
#include "plugin/model/tab_cols_desc.h"
#include "plugin/model/work_records.h"
#include "plugin/resources/operation_editor_ids.h"

namespace plat {
class ImageList;
}

class CConfigProcess;

// One editable measure of the operation editor: typed, or associated to a step of the row's hole form. A
// block refers to the point at the start of step `stepIndex` + `stepEnd`.
struct ASSOC_VALUE {
    double value = 0;                // the diameter or Z
    double pickY = 0;                // the depth at which a diameter was picked on the form profile
    double spare = 0;
    std::int16_t mode = 0;           // 0 fixed, 1 associated; the tool diameter and the Z blocks have more
    std::uint16_t columnId = 0;      // the table column of the bound step, 0 none
    std::uint16_t topColumnId = 0;   // top Z: the diameter column of the step whose top depth it is
    std::int16_t stepEnd = 0;        // 1: the lower end of step `stepIndex`, where the next one begins
    std::int16_t stepIndex = 0;      // into the form steps of the table being configured
    std::int16_t offsetOn = 0;
    double offset = 0;               // signed: the tool diameter offset (block 0), the stock to leave (block 2)
};

// The measures, by block.
enum : int { kToolDiamBlock = 0, kTopZBlock = 1, kBottomZBlock = 2, kCircleDiamBlock = 3, kContourDiamBlock = 4,
             kHelixDiamBlock = 5, kThreadDiamBlock = 6, kAssocBlocks = 7 };

// A control of one page of the editor: kind 0 belongs to every milled kind the page is shown for, 1 to 4
// only to that kind. A control id 0 ends a page.
struct EDITOR_PAGE_ENTRY {
    int control = 0;
    std::int16_t kind = 0;
};
struct EDITOR_PAGES {
    static constexpr int kPages = 4, kEntries = 100;
    std::int16_t columnCount = 0, pageCount = 0;
    std::array<std::array<EDITOR_PAGE_ENTRY, kEntries>, kPages> entries{};
};

// The circle mill's helical entry (template 18077, texts "CircleMillHelicalEntryDlg"): the minimum and
// maximum helix radius, each also as a percentage of the tool diameter, the clearances and the plunge angle.
// It edits a copy; the editor takes the values back on OK.
class CDlgCircMillHelicalEntry : public plat::Dialog {
public:
    static constexpr int kTemplate = 18077;
    static constexpr int kMinRadiusLabel = 4332, kMinRadiusEdit = 4093, kMinPercentLabel = 4333, kMinPercentEdit = 4090,
                         kMaxRadiusLabel = 4334, kMaxRadiusEdit = 4097, kMaxPercentLabel = 4335, kMaxPercentEdit = 4091,
                         kXYClearanceLabel = 4336, kXYClearanceEdit = 4102, kZClearanceLabel = 4337,
                         kZClearanceEdit = 4103, kPlungeAngleLabel = 4338, kPlungeAngleEdit = 4104;
    // Bytes 88 to 191 of the circle-mill block, in this order.
    enum : int { kMinRadius = 0, kMaxRadius = 1, kZClearance = 2, kPlungeAngle = 3, kXYClearance = 4,
                 kMinPercent = 10, kMaxPercent = 11, kValues = 13 };
    CDlgCircMillHelicalEntry();
    CTextSection texts;
    ASSOC_VALUE tool;   // the editor's tool diameter block: `value` is the d of the percentages
    std::array<double, kValues> values{};

protected:
    bool onInitDialog() override;
    void onOK() override;

private:
    void onPercentPair(int edit, int partner, bool isPercent);
};

// The operation editor (template 18015, texts "EditProcessOpeDlg"): one operation of a process, on a
// general page and the page of its milled-hole kind. It lives as long as its configuration dialog: the
// caller sets the state before each showing and reads it afterwards (CConfigProcess::fillEditorFromOperation
// and fillOperationFromEditor). Buttons that need the graphics end it with a private code in `endCode`:
// 501-503 and 505, 515, 525, 535 picks, 504 the next operation.
class CDlgEditProcessOpe : public plat::Dialog {
public:
    static constexpr int kTemplate = oe::kTemplate, kTab = oe::kTab;
    static constexpr int kCommentChars = 120;
    explicit CDlgEditProcessOpe(plat::Dialog* parent = nullptr);

    // ---- the state, as the caller sets it and the dialog leaves it ----
    CTextSection texts;
    std::int16_t currentPage = 0;              // 0 general, 1 the milled page
    EDITOR_PAGES pages;
    std::int32_t toolTypeIndex = 0;            // entry of the tool-type combo
    std::int32_t toolType = 0;                 // TOOL_OP_TYPE type of the tool
    std::int16_t materialWanted = 0;           // the tool's material must match `toolMaterial`
    std::int16_t toolMaterial = 0;             // TOOL_MATERIAL code
    std::int16_t nameWanted = 0;               // the tool's name must contain `wantedToolName`
    std::string wantedToolName;                // at most 121 characters
    std::int16_t offsetSign = 1, stockSign = 1;
    std::int16_t cycleIndex = 0;               // entry of `cycles`
    std::int16_t milledKind = 0;               // 0 none, 1 circle mill, 2 contour, 3 helix bore, 4 thread mill
    std::int16_t circleCycleIndex = 0;         // entry of the circle-mill cycle combo
    OP_CYCLE_LIST cycles;
    PROCESS_OPE* operations = nullptr;         // the process's operations, their count and the one edited
    std::int16_t operationCount = 0;
    std::int16_t operationIndex = 0;
    PROCESS_OPE operation;                     // the edited copy: its host blocks and XY stock
    std::array<ASSOC_VALUE, kAssocBlocks> assoc{};
    std::int16_t fromTopZ = 0;                 // a fixed bottom Z counts from the top Z
    std::int16_t fromTopZNext = 0;             // carried with it
    double firstDrillPercent = 0;              // bottom Z mode 3: share of the next tool's diameter
    double cornerRadius = 0;
    std::int16_t calcEachForm = 0;             // calculate the cuts for each form with the toolpath
    std::string comment;                       // at most kCommentChars characters
    std::string libraryToolName;               // the library tool when the diameter comes from the library
    std::int16_t endCode = 0;
    CTabColsDesc drillSizeTable;               // the class-1 table of the tables folder
    std::array<CTabColsDesc, 10> threadTables;  // its first ten class-2 tables
    std::int16_t threadTableCount = 0;
    // The table being configured, whose row's form steps the associated measures refer to; set by the
    // configuration run before each showing.
    CTabColsDesc* formTable = nullptr;
    // The process being configured: OK looks at the rows of `formTable` that name it.
    std::string processName;

    // The values the dialog exchanges with its controls (DDX).
    std::string toolDiameterText, topZText, bottomZText, commentText, firstDrillText, cornerRadiusText;
    int toolDiameterMode = -1, topZMode = -1, bottomZMode = -1, cornerRadiusChoice = -1;
    int fromTopZCheck = 0;

    // ---- operations of the editor ----
    void showPage(std::int16_t page);
    void readControls();
    void fillCompCombos();
    void enableByKind();
    double startDiameter() const;
    // The hole form's step that a block refers to; null when the table has no such step.
    const TAB_FORM_STEP* formStep(const ASSOC_VALUE& block) const;

    // ---- the binding to the form and the checks of OK (editor_checks.cpp) ----
    // Binds the measures to the steps of `formTable`'s form they equal.
    void normalizeAssocValues();
    // 0 the tool and its entry fit into the hole, 1 the tool is too large, 2 the entry or the finish
    // allowance does not fit; with showMessages the user is told why.
    int checkOperation(PROCESS_OPE& op, bool showMessages);
    // ---- the cut calculation (editor_cuts.cpp) ----
    // Proposes the radial passes, depth cuts and entry of a circle mill (kind 1) or contour (kind 2) cut to
    // d1 (a contour's step ending at d2) from a hole of startDiam, and writes them into `op` when the user
    // accepts them. Other kinds are not calculated. Returns 0.
    int calculateCuts(PROCESS_OPE& op, std::int16_t kind, double toolDiameter, double d1, double d2,
                      double startDiam);
    void onCalculateCuts();
    // ---- the entry dialogs (editor_entry_dialogs.cpp) ----
    void runHelicalEntry();
    void runCircleEntryExit();
    void runHelixEntryExit();
    CDlgCircMillHelicalEntry helicalEntry;
    // ---- the picks on the drawn form (editor_picks.cpp), which the configuration run performs for the end
    // codes; a cancelled pick leaves the measure as it was ----
    void pickToolDiameter();
    void pickTopZ();
    void pickBottomZ();
    void pickCircleMillDiameter();
    void pickContourDiameter();
    void pickHelixBoreDiameter();
    void pickThreadDiameter();

protected:
    bool onInitDialog() override;
    void onOK() override;
    void doDataExchange(plat::Ddx& ddx) override;

private:
    // Opening (operation_editor.cpp).
    void loadTables();
    void setLabels();
    void fillToolTypeCombo();
    void fillMaterialCombo();
    void fillCycleCombos();
    void showAssociations();
    void disableForReadOnly();
    std::string associationText(const ASSOC_VALUE& block) const;
    void updateToolDiameterText();
    // Pages and choices (editor_pages.cpp).
    void buildPages();
    void onTabClick();
    void onToolTypeChange();
    void onCycleChange();
    void onToolDiameterMode();
    void applyToolDiameterMode();
    void enableWishes();
    void onTopZMode();
    void onBottomZMode();
    void applyBottomZMode();
    void onMilledDiameterMode(int block);
    void enableCornerRadius();
    void enableBottomZModes();
    void enableGroups();
    void onDepthCuts();
    void onCircleRoughing();
    void onRadialCuts();
    void onContourRoughing();
    void onLeadIn();
    void onLeadOut();
    void onHelicalEntryCheck();
    void onMilledFlag(std::size_t at, int check);
    void toggleOffsetSign();
    void toggleStockSign();
    void showSign(int button, std::int16_t sign);
    void endForPick(int code);
    // OK and the close box (editor_checks.cpp).
    void onClose();
    void checkProcessRows();
    // Values and controls (editor_values.cpp).
    void bindValueHandlers();
    void onToolDiameterChange();
    void onCommentChange();
    void onCornerRadiusChange();
    void onCornerRadiusChoice();
    void onWishCheck(int check, int control);
    void onOffsetCheck();
    void enableOffset();
    void onStockCheck();
    void onPercentOfToolChange(int edit, int partner, bool isPercent);
    void toolFromLibrary();
    void onToolTip(plat::Notify& n);
    void enableCheckedGroups();
    void onThreadRadio(std::size_t at, int zeroRadio);
    void onPageValue(int edit);

    bool focused(int id) const { return focusedId() == id; }
    std::string tipText;              // the tool tip shown, kept beyond the notification
    bool limitingCornerRadius = false;
};

// The process configuration (template 18018, texts "ConfigProcessDlg"): the rows of one process table, the
// named processes they point to and the operations of the current one. The configuration run shows it again
// and again: a command that needs the operation editor or the graphics ends it with an action code
// (101-105, 120-122), and the next showing takes the result in. Every change is written to the table's files
// as it is made; the safety copies taken at the first showing are what the cancel button puts back.
class CConfigProcess : public plat::Dialog {
public:
    static constexpr int kTemplate = 18018, kMaxOperations = 100;
    static constexpr int kRows = 4054, kTree = 4056, kProcessCombo = 18122, kCellEdit = 4076, kTablePicture = 4080,
                         kFormPicture = 4082, kTableTitle = 4265, kInfoLine = 4390, kProcessLabel = 4097,
                         kChooseTable = 4075, kTableProperties = 4106, kSimulate = 4055, kCancelRestore = 4255,
                         kProcessFrame = 18154, kNewProcess = 18150, kRenameProcess = 18151, kCopyProcess = 18152,
                         kDeleteProcesses = 18041, kRowHint = 18153;
    // Modes: how the dialog was started.
    static constexpr std::int16_t kFormsManager = 0, kFromProcessTree = 106, kFormsFromSurfaces = 120,
                                  kFormsFromSolids = 122, kChooseMode = 123;

    explicit CConfigProcess(plat::Dialog* parent = nullptr);
    ~CConfigProcess() override;

    CTextSection texts;
    std::unique_ptr<plat::ImageList> treeImages;
    std::int16_t chooseFlag = 0;
    std::int16_t mode = 0;
    // The in-place cell editor: its cell, what committing it means (0 nothing pending, 1 a cell, 2 the name
    // of a pasted process, 3 a process renamed) and whether it is shown.
    std::int32_t editRow = -1, editPurpose = 0, editColumn = 0, editActive = 0;
    CDlgEditProcessOpe editor;
    CSelectShapeTable chooser;   // its tab, page and last choice kept from one run to the next
    std::int32_t chosenRow = -1;
    PROCESS_OPE* currentOperation = nullptr;   // the operation an editor command works on; null for a new one
    std::array<PROCESS_OPE, kMaxOperations> operations{};
    std::int16_t operationCount = 0;
    std::int32_t trialGroupId = 0;
    // The current process, whole (the target's field holds its first 49 characters). A process whose lines
    // could not be read is never written back from the empty list it gave.
    std::string processName;
    bool processRefused = false;
    // The selected rows an edit or apply command works on, in list order.
    std::vector<int> selectedRows;
    // The new name the table properties gave the table; its files take it when the dialog is left with OK.
    std::string newTableName;
    // The tables whose safety copies this run of the configuration took: the cancel button restores each.
    std::vector<std::string> copiedTables;
    // The form picture stays empty until a row is drawn again: the paint takes row 0 for no chosen row.
    bool formCleared = false;

    // The editor's state into the slot, which is cleared first; the row's cells are not read. Returns 0.
    int fillOperationFromEditor(PROCESS_OPE* slot, const std::vector<std::string>& rowCells) const;
    // The editor's state from an operation, field for field as fillOperationFromEditor stores it.
    void fillEditorFromOperation(const PROCESS_OPE& op);

    // ---- the dialog (config_process.cpp) ----
    // 0, or the table reader's result. `row` -1: the first row.
    int loadCurrentTable(int row, int listMode = 0);
    // 0 cancelled, 100 no table in the folder, 142 a table chosen and loaded.
    int chooseTable();
    // The table's rows into its rows file (through its safety copy); false when it could not be written.
    bool writeRowsFile();
    bool writeCurrentProcess();
    // The current process and the rows file; false when either could not be written.
    bool saveIfModified();
    // ---- the rows list (config_rows.cpp) ----
    void fillRowsList();
    void fillProcessCombo(const std::string& name);
    // ---- processes and operations (config_processes.cpp) ----
    // 0 renamed or nothing to rename, 1 refused or failed (the old name kept, the user told).
    int renameTableFiles();

protected:
    bool onInitDialog() override;
    void onOK() override;
    void onCancel() override;

private:
    // config_process.cpp
    void setLabels();
    void takeEditedOperation(int action);
    void writeCaption();
    void onPaint(plat::MsgArgs& args);
    void onCancelRestore();
    void drawRowPicture(int row);
    void clearFormPicture();
    void rememberCopies();
    // config_rows.cpp
    int rowUnderCursor() const;
    int listColumnOf(int colId) const;
    std::string processCell(int row) const;
    void setProcessCell(int row, const std::string& name);
    void takeRowProcess(int row);
    void selectRow(int row);
    void onListClick(plat::Notify& n);
    void onListDblClick(plat::Notify& n);
    void onListKey(plat::Notify& n);
    void onColumnClick(plat::Notify& n);
    void onListRClick(plat::Notify& n);
    void startCellEdit(int row, int column);
    bool commitCellEdit();
    void leaveCellEdit();
    void renameProcess(std::string oldName, std::string newName, int row);   // copies: the names may be members
    void newRow(int under);
    void deleteSelectedRows();
    bool sharedReadOnly() const;
    // config_processes.cpp
    bool collectSelectedRows();
    void onTreeClick();
    void onTreeRClick();
    void newOperation(int action, std::uint32_t hit);
    void editSelectedOperation(std::uint32_t item);
    void deleteOperation(std::uint32_t item);
    void onProcessComboChange();
    std::string askProcessName(int titleLine, int promptLine, const std::string& allowed);
    void onNewProcess();
    void onRenameProcess();
    void onCopyProcess();
    void onDeleteProcesses();
    void onTableProperties();
    void onSelectTable();
    void onSimulate();
    bool nameTaken(const std::string& name) const;
    void refillCombo();
};

extern LoadTime<CConfigProcess> g_configProcess;
