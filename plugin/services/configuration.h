// What the other subsystems use of the process configuration: the configuration dialog and its operation
// editor, which the configuration run shows again and again and whose picks it performs. The configuration
// dialog is still a stand-in (docs/seams.md).
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/ui/dialog.h"
#include "plugin/base/cycle_names.h"
#include "plugin/base/load_time.h"
#include "plugin/base/text_section.h"
#include "plugin/model/process_ope.h"
#include "plugin/model/tab_cols_desc.h"

// The end codes of the configuration's buttons.
extern const int kConfigActions[8];

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
    static constexpr int kTemplate = 18015, kTab = 19205;
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
    // The editor's state into the slot, which is cleared first; the row's cells are not read. Returns 0.
    int fillOperationFromEditor(PROCESS_OPE* slot, const std::vector<std::string>& rowCells) const;
    // The editor's state from an operation, field for field as fillOperationFromEditor stores it.
    void fillEditorFromOperation(const PROCESS_OPE& op);
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
