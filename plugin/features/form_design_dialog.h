// The form design dialog: a table row's hole form as a dimensioned sketch, with the values the form is drawn
// with (diameter of drill-size tables, entry chamfer, point angle, depth from the row's list of depths,
// through, the steps that get a feature mark). The forms drawn into the part show it before the user places
// them.
#pragma once
#include <array>
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/sys/clock.h"
#include "platform/ui/dialog.h"
#include "plugin/base/text_section.h"

class CTabColsDesc;
namespace plat {
class Canvas;
}

// One item of the preview, in pixels relative to the preview frame.
struct PREVIEW_ITEM {
    std::int16_t kind = 0;
    std::int16_t step = 0;          // the form step an anchor of kind 200 belongs to
    plat::Point first, second;
    std::int32_t a = 0, b = 0, c = 0;
    std::string text;
};

// Kinds of PREVIEW_ITEM: drawn ones (lines, arcs with a = radius, b = start, c = sweep in degrees, arrowheads
// and mark symbols with b = direction, texts), and places of controls that are not drawn.
constexpr std::int16_t kPreviewDimension = 1, kPreviewOutline = 2, kPreviewAxis = 3, kPreviewArc = 101,
                       kPreviewArrow = 102, kPreviewMark = 103, kPreviewStepCheck = 200, kPreviewText = 201,
                       kPreviewAngleEdit = 203, kPreviewDepthCombo = 204, kPreviewDepthButton = 205,
                       kPreviewChamferEdit = 206, kPreviewDiameterEdit = 207, kPreviewThroughCheck = 208,
                       kPreviewDiameterPick = 209;

// The combo's view of a row's stored depth list (its first entry the index of the chosen depth, the others
// depth texts, "0" meaning through). Surface forms store one more entry, a "0" right after the index, which
// the combo does not show and the stored index counts.
struct DEPTH_CHOICES {
    std::vector<std::string> entries;
    int index = 0;
};
// `defaultLine` is the units' default list (its first word the through text) used for an empty list.
DEPTH_CHOICES decodeDepthList(const std::vector<std::string>& stored, bool surfaceMode, const std::string& defaultLine);
// An entry whose value is 0 (the through text) is stored as "0".
std::vector<std::string> encodeDepthList(const DEPTH_CHOICES& choices, bool surfaceMode);
// A typed depth added in order: ignored below 0.4T (false: nothing changes); within 0.4T of an entry it adds
// nothing and the first entry is chosen; otherwise it goes before the first larger entry, or at the end, and
// is chosen.
bool addDepthChoice(DEPTH_CHOICES& choices, double value);
// The chosen entry removed, unless it is the first; the choice stays at its index or moves to the last.
void removeDepthChoice(DEPTH_CHOICES& choices);

class CDlgDesignProp : public plat::Dialog {
public:
    static constexpr int kTemplate = 18037;
    static constexpr int kDiameter = 4039, kChamfer = 4032, kPointAngle = 4031, kDepthList = 4023,
                         kDepthDropDown = 4024, kDepthListButton = 4220, kThrough = 4035, kDiameterPick = 4371,
                         kPreview = 4196, kFirstStepCheck = 4240;
    static constexpr int kMaxSteps = 16;
    // End codes beside IDOK and IDCANCEL: the user asks to pick the diameter on an arc (the values are read
    // first), and Esc pressed in the graphics while the watcher runs.
    static constexpr int kEndPickDiameter = 100, kEndEsc = 0;
    static constexpr int kDepthMenuAdd = 2, kDepthMenuRemove = 3;

    CDlgDesignProp();
    ~CDlgDesignProp() override;

    // Set by the caller before the dialog runs, read after it.
    CTabColsDesc* table = nullptr;
    std::int16_t row = 0;
    std::string rowName;
    std::int16_t surfaceMode = 1;           // 0 when the forms are drawn as solids
    double diameter = 0, chamfer = 0;
    double carriedValue = 0;                // kept with the table's last values, not shown
    double pointAngle = 118;                // degrees
    std::array<std::int16_t, kMaxSteps> markStep{};
    std::int16_t through = 0;
    double depth = 0;
    std::int16_t depthIndex = 0;
    std::int16_t depthCount = 0;            // entries of the depth list last stored into the row

    // Built when the dialog opens, kept until it closes.
    std::vector<PREVIEW_ITEM> preview;
    std::size_t previewCapacity = 0;
    std::array<std::int16_t, kMaxSteps> canMark{};
    // 1 while escKeyWatcher may end the dialog; cleared before the dialog ends for any other reason.
    std::atomic<std::int16_t> watcherFlag{0};

    // The preview for a frame of that size (client pixels from 0, 0) from the table's form steps and the
    // row's cells; the control sizes place the anchors.
    void buildPreview(const plat::Rect& frame, const std::vector<std::string>& rowCells);
    // Every drawn item, offset by the frame's position.
    void paintPreview(plat::Canvas& dc, plat::Point offset) const;

protected:
    bool onInitDialog() override;
    void onOK() override;
    void onCancel() override;

private:
    friend bool escKeyWatcher(CDlgDesignProp& dialog);
    int depthComboId() const;
    void fillDepthCombo(const std::vector<std::string>& stored);
    DEPTH_CHOICES comboChoices();
    void showChoices(const DEPTH_CHOICES& choices);
    void readControls();
    void onDepthMenu();
    void onThrough();
    void onPickDiameter();
    void startWatcher();
    void stopWatcher();
    void endByEsc();
    void tell(int line, double value);

    CTextSection texts_;
    plat::Periodic watcher_;
};

// One poll of the Esc key for the dialog, on whatever thread runs it: false ends the watcher. With the flag
// set and Esc down it posts the end with kEndEsc to the dialog, which the user-interface thread carries out.
bool escKeyWatcher(CDlgDesignProp& dialog);
