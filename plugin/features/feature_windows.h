// The features manager's windows and working state that the work cycle holds from the library's load to its
// unload: the filter over the holes it recognises, the selection mask, the edit-feature dialog, the view-all
// panel, the reaming and tap features window, the preselection window (presel_view.h), and the command
// loop's codes it takes.
// Diameters and tolerances are in the part's units unless said to be fractions; T is g_tolerances.tolT.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "host/api.h"
#include "platform/ui/dialog.h"
#include "plugin/base/load_time.h"
#include "plugin/base/text_section.h"
#include "plugin/features/presel_view.h"
#include "plugin/model/feature_mark.h"
#include "plugin/services/configuration.h"
#include "plugin/services/engine.h"
#include "plugin/services/features.h"

struct VIEW_LIST;
struct CYL_LIST;

// One temporary 3D line of the host graphics, drawn again when the host repaints (kind 2).
struct DRAW_ENTS_LIST {
    std::int32_t id = 0;
    std::int16_t kind = 0;
    std::uint8_t colour = 0;
    l_3d line;
};

// Runs the features manager's share of a command code (101, 2001-2008); non-zero ends the command loop
// after this command. It may change the loop's event mask and the two further get_event arguments.
int featuresManagerMenu(int code, std::int16_t* state, long* mask, long* arg2, short* arg3);

// ---- the filter ---------------------------------------------------------------------------------------------
// The features manager's own recognition of the part (made with the drill-size table) and the display filter
// over its hole entities: they go to the features level ("Levels" 2) when shown and to "Levels" 3 when not,
// each keeping its level and colour in its CYL_ENT entry while a filter run lasts (apply mode 0 opens one,
// rewriteHoleEntities closes it). The settings it works on are copied in and out by the command loop.
class CFeatMgrFilter {
public:
    CFeatMgrFilter();
    ~CFeatMgrFilter();
    CFeatMgrFilter(const CFeatMgrFilter&) = delete;
    CFeatMgrFilter& operator=(const CFeatMgrFilter&) = delete;

    // 0 when viewsTree holds holes (built once a popup run, guarded by `recognized`), 1 when none were
    // found, -1 when the stock check failed or the user cancelled.
    int recognizeWithDrillTable();
    // Frees viewsTree and clears `recognized`: the end of a popup run.
    void releaseTree();

    // Ends a filter run: every hole entity takes back its stored level and colour, every mark's entities go
    // back to the mark's level, the graphics state saved by apply mode 0 is restored.
    void rewriteHoleEntities();
    // The segment one of whose stored entities has the id; null when none.
    CYL_LIST* findHoleByEntity(std::uint32_t id) const;
    // Gives selection bit 4 to every shown surface of the features level. Returns 0.
    int selectFeatureLevelEnts();
    // The smallest and largest diameter of the segments whose entities carry selection bit 4, written only
    // when there is one; the number of such entities.
    int maxHoleDiameter(double* low, double* high) const;
    // The display filter, mode 0 to 6 (0 opens a filter run, 1 the mask, 2-4 all holes shown, 5 and 6 the
    // see-all levels). -1 when the mask found nothing and rejected holes for their axis, else 0.
    int apply(int filterMode);
    // Marks for the holes chosen in the features window (selection bit 4): window mode 0 reaming with fit
    // class `name`, 1 tap with the row's two values, the table's kind and the depth. The number of marks
    // prepared; -1 when none was and holes were rejected for their axis, or a mark could not be added.
    int alignFeatures(std::int16_t windowMode, double value1, double value2, std::int16_t kind, double depth,
                      const std::string& name);
    // Moves the mark onto the segment of viewsTree that carries its feature (the one under it in the same
    // or the opposite direction, as the hole's description by the drill-size table places the thread or fit)
    // and draws it again on its level. Returns 0; a mark with no such hole stays where it is.
    int snapMarkToHole(FEATURE_MARK* mark);

    VIEW_LIST* viewsTree = nullptr;              // owned
    std::vector<std::int32_t> shownLevels;       // levels made visible for the window's see-all
    std::uint16_t color = 0;                     // of the mask
    std::int32_t level = 0;                      // of the mask
    double minDiameter = 0, maxDiameter = 0;
    double minTolerance = 0, maxTolerance = 0;   // fractions of the bounds
    double minDiameterTol = 0, maxDiameterTol = 0;
    double depth = 0;                            // the features window's depth
    std::uint16_t mode = 0;                      // 0 reaming, 1 tap
    std::int16_t foundCount = 0;                 // what the last filter pass found
    std::uint8_t useColor = 0, useLevel = 0, useMinDiameter = 0, useMaxDiameter = 0;
    std::uint8_t recognized = 0;
    std::uint32_t solidsConverted = 0;           // what the conversion of the solids for viewsTree gave
    std::uint8_t reamColors[6] = {};
    std::uint8_t threadColors[3] = {};
    std::string threadTables[3];
    std::string reamTables[6];
    // The table row the features window chose (row -1: none); a row of a table of kind below 1000 narrows
    // the mask's axis test.
    CONFIG_CHOICE tableChoice;

private:
    // The mask's diameter (by the window mode), colour and level tests of one segment; `shown` receives the
    // indices of the entities that the features level shows when it passes.
    bool passesMask(const CYL_LIST& c, std::vector<int>& shown) const;
};

// ---- the selection mask ------------------------------------------------------------------------------------
// Which holes the features manager selects: by colour, level and a diameter or a range, each bound with a
// tolerance in percent. Its values survive from one run to the next; picks in the graphics are the caller's:
// the dialog ends with 101 (lower bound), 102 (upper bound), 103 (colour) or 104 (level) and is run again.
class CDlgSelCylindersMask : public plat::Dialog {
public:
    static constexpr int kTemplate = 18013;
    static constexpr int kUseColour = 4019, kColour = 4033, kSwatch = 4286, kPickColour = 4271;
    static constexpr int kUseLevel = 4028, kLevel = 4034, kPickLevel = 4270, kDiameterFrame = 4272;
    static constexpr int kUseLower = 4035, kLower = 4031, kPickLower = 4268, kLowerTolerance = 4039;
    static constexpr int kUseUpper = 4114, kUpper = 4032, kPickUpper = 4269, kUpperTolerance = 4040;
    static constexpr int kPickBitmap = 18014;
    static constexpr double kLowestTolerance = 0.0001, kHighestTolerance = 1.0;

    CDlgSelCylindersMask();

    std::int16_t kind = 0;                       // 0 reaming, 1 tap
    std::int32_t level = 0;
    std::uint16_t color = 0;
    double minDiameter = 0, maxDiameter = 0;
    double minTolerance = 0, maxTolerance = 0;   // fractions
    std::uint8_t useColor = 0, useLevel = 0, useMinDiameter = 0, useMaxDiameter = 0;

protected:
    bool onInitDialog() override;
    void onOK() override;

private:
    void onUseColour();
    void onUseLevel();
    void onUseLower();
    void onUseUpper();
    void labelDiameterBoxes();
    void showUpper(bool shown);
    // The tolerance typed in percent as a fraction within the lowest and highest.
    static double toleranceOf(const std::string& text);
    void takeTolerance(int editId, double& tolerance);
    void setTolerance(int editId, double tolerance);

    CTextSection texts_;
};

// ---- the edit-feature dialog -----------------------------------------------------------------------------
// One mark's copy (or, with equalCount above 1, all marks of equal feature data) edited: reamed or tapped,
// the thread and its depth. Ends with IDOK (the copy holds the edits), IDCANCEL, 100 (delete the feature,
// confirmed) or 101 (copy it onto every equal arc of the part); the caller acts.
class CDlgEditFeature : public plat::Dialog {
public:
    static constexpr int kTemplate = 18019;
    static constexpr int kReaming = 4288, kTapping = 4289, kDiameter = 4290, kDiameterLabel = 4291;
    static constexpr int kDesignation = 4295, kTableName = 4296, kChange = 4292, kDepth = 4031, kDepthLabel = 4363;
    static constexpr int kCopyToEqualArcs = 4293, kDelete = 4294;
    static constexpr int kResultDelete = 100, kResultCopyToEqualArcs = 101;

    CDlgEditFeature();

    FEATURE_MARK mark;           // the copy being edited
    std::string titleSuffix;     // put after the caption
    int equalCount = 1;          // the marks the edit applies to
    int kindRadio = -1;          // 0 reaming, 1 tapping, -1 none

protected:
    void doDataExchange(plat::Ddx& ddx) override;
    bool onInitDialog() override;
    void onOK() override;

private:
    void showFeature();
    void onKindChanged();
    void onChangeProcess();
    void onDelete();

    CTextSection texts_;
};

// ---- the view-all panel ----------------------------------------------------------------------------------
// A small modeless panel over the host's graphics while the host has control: the geometry that is not
// selected shown or hidden, the host's dynamic analysis, and the way back to the plug-in (the command loop's
// pending command, g_pendingCommand).
class CDlgViewAllGeo : public plat::Dialog {
public:
    static constexpr int kTemplate = 18046;
    static constexpr int kSeeAll = 18022, kAnalyzeDynamic = 18023;

    CDlgViewAllGeo();
    ~CDlgViewAllGeo() override;

    EntityList hiddenEnts = nullptr;   // what toggleHideUnselected hid; null once shown again
    std::uint8_t seeAll = 1;           // all geometry shown

protected:
    bool onInitDialog() override;
    void onOK() override;

private:
    void onSeeAll();
    // Shows what was hidden (unless all is shown) and hands back to the plug-in.
    void leave();
};

// ---- the reaming and tap features window ------------------------------------------------------------------
// A modeless tool window in which the user gathers holes and has reaming (mode 0) or tap (mode 1) features
// made for them. It does no work itself: each button posts its command code (2001-2008) to the command loop,
// and "Do it", Cancel and the close box hide it and post `pendingCode`, which the features manager acts on.
class CDlgAssignFeatures : public plat::Dialog {
public:
    static constexpr int kTemplate = 18047;
    static constexpr int kAnalyzeDynamic = 18023, kFilter = 18024, kSelectAll = 18025, kSelectMultiple = 18026,
                         kUnselect = 18027, kSeeAll = 18028, kSelectTap = 18031, kInfo = 18032, kFrame = 18035,
                         kDepth = 18036, kDepthLabel = 18037, kDepthEcho = 18054, kTables = 18187,
                         kTablesFrame = 18188, kCancel = 4255;
    // The buffers filled from "msg" at every code 101: lines 20-28, 31 and 32 (index 0 is line 20).
    static constexpr int kBufferCount = 11, kBufferChars = 255;
    static constexpr int kTapInfo = 1, kReamUpperLabel = 2, kTapLowerLabel = 5, kTapUpperLabel = 6,
                         kNoProcess = 7, kReamLowerLabel = 8, kDepthText = 9, kFoundLabel = 10;

    CDlgAssignFeatures();

    // The info text: what the mask asks and how many holes the filter found; in tap mode the row's name
    // (`rowName`, or the no-process text) and the depth echo.
    void showSelectionInfo(const CDlgSelCylindersMask& mask, const std::string& rowName, const CFeatMgrFilter& filter);
    // Titles the window by its mode, shows the controls of that mode and the depth; the manager calls it
    // whenever it shows the window.
    void activate();
    // Takes a "msg" line into a buffer, cut to kBufferChars.
    void setBuffer(int index, const std::string& text);
    const std::string& buffer(int index) const { return buffers_[static_cast<std::size_t>(index)]; }

    std::int16_t mode = 0;              // 0 reaming, 1 tap
    int pendingCode = 0;                // posted by "Do it", Cancel and close
    std::uint8_t seeAll = 0;
    std::uint8_t doIt = 0;              // 1 after "Do it", 0 after Cancel or close
    CDlgSelCylindersMask* selMask = nullptr;
    std::string rowName;                // the tap row chosen
    double depth = 0;
    std::string tableName;              // the process table chosen in the combo; "" for "None"

protected:
    bool onInitDialog() override;
    void onOK() override;
    void onCancel() override;

private:
    // Posts the code to the running command loop, or hands it to the next invocation when none runs.
    void post(int code);
    void leave(std::uint8_t confirmed);
    void showDepthEcho();
    void listTables();

    std::array<std::string, kBufferCount> buffers_;
    std::string reamTitle_, tapTitle_;
};

// ---- the tap-depth additions ---------------------------------------------------------------------------------

// What a tapping operation goes deeper than its tapped hole, for blind or for through holes.
struct TAP_DEPTH_ADDITION {
    std::int32_t enabled = 0;
    std::int32_t mode = 0;              // 0 the fixed length, 1 the percentage of the pitch
    double fixedLength = 0;             // in the part's units
    double percentage = 0;
};

// The tap-depth additions edited on copies; the caller takes them back after IDOK. Nothing is range-checked:
// a text that is no number reads as 0.
class CDlgFeatSDTsettings : public plat::Dialog {
public:
    static constexpr int kTemplate = 18107;
    static constexpr int kBlind = 18204, kBlindFixed = 18214, kBlindPercent = 18215, kBlindLength = 18212,
                         kBlindPercentage = 18213;
    static constexpr int kThrough = 18205, kThroughFixed = 18218, kThroughPercent = 18219,
                         kThroughLength = 18216, kThroughPercentage = 18217;
    CDlgFeatSDTsettings();

    TAP_DEPTH_ADDITION blind, through;

protected:
    bool onInitDialog() override;
    void onOK() override;

private:
    void applyEnabling();
};

// The features manager's "Import settings": the dialog on the settings' additions, which take its values
// on OK. 1 when they were taken.
int editTapDepthAdditions();

extern LoadTime<CDlgViewAllGeo> g_viewAllGeo;
extern LoadTime<CDlgAssignFeatures> g_assignFeatures;
extern LoadTime<CDlgPreselView> g_preselView;
extern LoadTime<std::vector<DRAW_ENTS_LIST>> g_drawEnts;
extern LoadTime<CFeatMgrFilter> g_featMgrFilter;
extern LoadTime<CDlgSelCylindersMask> g_selCylindersMask;
// The cells of the table row chosen for the tap window (cell 0 its name, 1 to 3 its first values).
extern LoadTime<std::array<std::string, 40>> g_featMgrTexts;
