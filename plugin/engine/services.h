// What the core uses of the process engine. Stand-ins until the engine is built (docs/seams.md).
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/ui/dialog.h"
#include "plugin/engine/points_list.h"
#include "plugin/engine/process_tree.h"
#include "plugin/engine/table_measures.h"
#include "plugin/model/process_ope.h"

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
    void pickToolDiameter() {}
    void pickTopZ() {}
    void pickBottomZ() {}
    void pickCircleMillDiameter() {}
    void pickContourDiameter() {}
    void pickHelixBoreDiameter() {}
    void pickThreadDiameter() {}
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

// Recognises the part: -1 cancelled or failed, else the button of the run summary (1 or 2).
std::int16_t runRecognition(std::uint32_t* processTreeFlags);
// Shows the process tree; returns the next preset, on which the command loop acts.
std::int16_t runProcessDialog(std::uint32_t* processTreeFlags, std::int16_t* option, std::int16_t preset);
// The configuration run (config_run.cpp): 1 when it ended after a trial drawn for the user to inspect.
int runConfigProcess(std::int16_t preset);
int tryConfiguredProcess(CConfigProcess& dialog);
struct ent;
// Picks one entity of `type`: 1 picked (in *entity), 2 cancelled.
int selectEntWithMask(ent* entity, std::uint32_t type, std::int16_t menuMode, const char* prompt);
void blankMarkerEnt();
void unblankMarkerEnt();
struct VIEW_LIST;
// The hole labels (hole_marks.cpp).
void drawHoleLabels(VIEW_LIST* tree, long level, std::int16_t mode);

int undoGroupOperations(std::uint32_t groupId);
int cancelGroupOperations(std::uint32_t groupId);

// 1 when no view restriction is set or the reversed direction (a unit vector) is an allowed view in its
// own sense; else 0.
int isOppositeDirAllowed(const double direction[3]);

// ---- operation generation, for the process tree and the groups of selected holes (docs/seams.md) --------
struct POINT_LIST;
struct FULL_TOOLS_SEQ;
// Stores the drill points of what is on in the tree; 0 done.
int storeDrillPoints(VIEW_LIST* tree);
void deleteTempPoints();
// Finds the operation group's notes of a view.
void findGroupNotes(VIEW_LIST* view);
// Creates the host operations of what is on in the tree, numbering tools from `firstToolNumber`; 0 done.
int createDrillOperations(VIEW_LIST* tree, POINT_LIST* holes, int firstToolNumber);
int maxToolNumber();

// ---- the engine's runs that the process tree calls (docs/seams.md) --------------------------------------
// The user tools manager on a hole; places the operation group's note of a view.
void runUserToolsManager(POINT_LIST* hole);
void placeGroupNote(VIEW_LIST* view);
// The tool-path groups dialog (end code; 171 asks for a hole pick, then runs again with pickedHole set) and
// the tools view (end code) over the flattened tool sequence.
int runToolPathGroups(POINT_LIST* pickedHole);
int runToolsView(std::vector<FULL_TOOLS_SEQ>& sequence);
