// The general parameters dialog: five pages of settings laid over one another behind a tab control. Every
// opening loads the pages from the settings; OK stores them once the precision lies within the unit's
// limits, Cancel stores nothing. Buttons open the small setting dialogs (most of which change the settings
// at once, so that their changes outlive a Cancel here) or act at once; the enabling rules set which
// controls the user may change. Result 101 asks the caller to pick point P of the drilling side and run
// the dialog again with reopenCode 101, which opens the drilling side again at once.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/ui/dialog.h"
#include "plugin/base/text_section.h"
#include "plugin/base/views_list.h"
#include "plugin/resources/general_parameters_ids.h"

class CGeneralParameters : public plat::Dialog {
public:
    static constexpr int kTemplate = gp::kTemplate;
    static constexpr int kPickPoint = 101;

    CGeneralParameters();

    // Handed in by the caller before every run: 0 or kPickPoint, and the drilling side of the part's
    // records (stored back only by OK).
    std::int32_t reopenCode = 0;
    double sidePoint[3] = {};
    std::int16_t sideEnabled = 0, sideMode = 0;

    // The user's list of allowed views: read from the part at every opening, written to it by OK.
    COnlySelViewsListEx selViews;

    void showPage(int index);
    void loadValues();
    void storeValues();
    // The precision held in the unit's limits: 0 within, 1 raised to the smallest (line 301), 2 lowered to
    // the largest (line 302); the field is rewritten either way.
    int validate(bool showMessages);
    void fillLibraryCombo(const std::string& name);

    // The unit's precisions offered, smallest first.
    static std::vector<double> precisions(bool metric);

protected:
    bool onInitDialog() override;
    void onOK() override;

private:
    void buildPages();
    void layPagesOver();
    void setTexts();
    void bindHandlers();

    // Values of the pages (general_parameters_values.cpp).
    void loadPrecision();
    void loadLongToolCycles();
    void runEnablingRules();

    // Buttons (general_parameters_buttons.cpp).
    void onResetDefaults();
    void onViewsSort();
    void onLevels();
    void onSelectedViews();
    void onReportFile(bool drillingList);
    void onSharedLibrary();
    void onSharedDataMgr();
    void onAdvFormsRecognize();
    void onColors();
    void onDrillingSide();
    void onReadWriteOptions();
    void onToolSelCriteria();
    void onChangeToolLibrary();
    void onEditToolLibrary();
    void chooseSpotDrill();
    void onAdvancedStrategies();

    // Enabling rules (general_parameters_rules.cpp).
    void onFormsMode();
    void onDrillAngleMode();
    void onBreakthroughMode();
    void onSubprograms();
    void onPartialDrilling();
    void onDrillingSideCheck();
    void enableByCheck(int check, int button);
    void onSpotDrillOverride();
    void onSpotDrillByDiameter();
    void onSpotDrillFromLibrary();
    void onCentreDrill();
    void onSpotDiameterChange();
    void onSpotDepthPercentChange();
    void onSpotDepthChange();
    void onFirstToolNumberChange();
    void onDivide(int neverRadio, int oppositeCheck);
    void onLongToolMode();

    std::string selectedLibrary();
    bool checked(int id) { return item(id).check() != 0; }
    void enable(int id, bool on) { item(id).enable(on); }

    CTextSection texts_;
    std::int16_t pageCount_ = 0;
    std::array<std::vector<int>, gp::kPageCount> pages_;
    bool loading_ = false;   // the fields are being filled: their change notices tie nothing
};
