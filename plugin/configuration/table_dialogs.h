// The two table dialogs of the process configuration that its dialog holds and runs: the chooser, which
// shows the tables of the folder as pages of pictures, and the table's properties (chamfer recognition,
// location tolerances, the D-value rule and the rename of a provisional table).
#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/dialog.h"
#include "plugin/base/text_section.h"
#include "plugin/model/tab_cols_desc.h"
#include "plugin/model/work_records.h"

// One table file of the chooser: its reference (paths, name, last-write time; `flag` set when a recognised
// hole uses the table), its class as read when the chooser opened, and while a page is bound the picture and
// label controls of its slot.
struct CHOOSER_ENTRY {
    TABLE_FILE_REF ref;
    std::int16_t tableClass = 0;
    plat::Control* picture = nullptr;
    plat::Control* label = nullptr;
};

// The table chooser (template 18017, texts "SelectShapeDlg"). Its owner sets `currentTab` and `currentPage`
// before a run and reads `chosenTable` after result 142; tab, page and the last choice survive between runs.
// Results: 142 a table was chosen, 100 the folder holds no table, 1 exit, 2 closed (also: no texts).
class CSelectShapeTable : public plat::Dialog {
public:
    static constexpr int kTemplate = 18017, kPageSize = 18;
    static constexpr int kChosen = 142, kNoTables = 100;
    static constexpr int kTab = 4283, kPrevPage = 4251, kNextPage = 4250, kColours = 18041, kInfo = 4390,
                         kList = 4083;
    static constexpr std::array<int, kPageSize> kPictureSlots = {4235, 4236, 4237, 4238, 4239, 4240, 4241, 4242, 4243,
                                                                 4244, 4245, 4246, 4247, 4248, 4249, 4255, 4256, 4257};
    static constexpr std::array<int, kPageSize> kLabelSlots = {4264, 4265, 4266, 4267, 4268, 4269, 4270, 4271, 4272,
                                                               4273, 4274, 4275, 4276, 4277, 4278, 4279, 4280, 4281};
    // The tabs: every table, those the recognised holes use, class 2, class 3, the plug-in's own tables.
    static constexpr int kTabCount = 5;

    explicit CSelectShapeTable(plat::Dialog* parent = nullptr);

    CTextSection texts;
    TABLE_FILE_REF chosenTable;           // its process name is empty
    std::vector<CHOOSER_ENTRY> entries;   // one per table file, in the order of the file search
    std::vector<CHOOSER_ENTRY> shown;     // the entries of the current tab, in display order
    std::int16_t currentTab = 0;
    std::int16_t pageSize = kPageSize;
    std::int16_t firstShown = 0;          // index in `shown` of the page's first slot
    std::int16_t pageCount = 0;
    std::int16_t currentPage = 0;
    std::int16_t lastChosen = 0;          // index in `shown` of the table chosen last, drawn framed; -1 none

    void markUsedTables();
    bool entryInTab(const CHOOSER_ENTRY& entry, int tab) const;
    void filterAndSort(int tab);
    void bindPageSlots(plat::Canvas& dc);
    void drawPage(plat::Canvas& dc);

protected:
    bool onInitDialog() override;

private:
    void onPictureClick(plat::Point point);
    void onPrevPage();
    void onNextPage();
    void onTabChange();
    void onListClick(plat::Notify& n);
    void onColorSettings();
    void onDestroy();
    void countPages();
    void redrawPage();
    void choose(const CHOOSER_ENTRY& entry);
    // A damaged table is told once while the chooser is open, however often its page is drawn.
    std::optional<TableDamageNotices> notices_;
};

// The table properties dialog (template 18020, texts "TablePropDlg"). The caller sets `table` and the six
// texts, runs it and reads the texts, `makeChamfer`, `nearestDValue` and `newName` after IDOK; the dialog
// converts nothing. `newName` is empty unless OK confirmed a rename; a taken name is never confirmed.
class CDlgShapeProp : public plat::Dialog {
public:
    static constexpr int kTemplate = 18020;
    static constexpr int kAngleFrom = 4090, kAngleTo = 4093, kMaxChamfer = 4109, kMakeChamfer = 4038,
                         kDefaultChamfer = 4111, kDiameterTolerance = 4031, kLengthTolerance = 4032,
                         kNote = 4164, kDefiniteD = 18084, kNearestD = 18085, kRename = 4019, kNewName = 4039;

    explicit CDlgShapeProp(plat::Dialog* parent = nullptr);

    const CTabColsDesc* table = nullptr;
    std::string defaultChamferText, angleToText, angleFromText, maxChamferText, diameterToleranceText,
        lengthToleranceText;
    int makeChamfer = 0;
    std::string newName;
    std::int16_t nearestDValue = 0;

protected:
    bool onInitDialog() override;
    void onOK() override;
    void doDataExchange(plat::Ddx& ddx) override;

private:
    void onRenameCheck();
    void onDValueChoice();
    void showDiameterTolerance(bool shown);
    void showLengthTolerance(bool shown);
    bool dValueChoiceShown();
    CTextSection texts_;
};

// What the configuration's table-properties button does around the dialog: the table's values shown as
// texts (angles in degrees, tolerances in percent), and on OK taken back; a text that is no number, or a
// tolerance outside 0 to 100 %, is told (line 37) and the dialog shown again with what was typed. When a
// value changed, the values are stored and the ".tab" written (through its safety copy); *written tells
// whether it was, *newName receives a confirmed new name ("" none; the files are renamed by the caller when
// the configuration is left with OK). Returns the dialog's result, IDOK or IDCANCEL; a write that failed
// leaves the table in memory as it was and returns IDCANCEL.
int runTableProperties(CTabColsDesc& table, std::string* newName, bool* written, plat::Dialog* parent = nullptr);
