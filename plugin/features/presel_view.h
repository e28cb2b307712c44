// The preselection window: the holes of the part gathered into numbered groups while the user looks from one
// direction, each hole (a form) with a range of its segments that can be trimmed from either end. The window
// keeps its own recognition of the part and an index from host entity ids to forms; the state shows in the
// graphics by entity colours and levels, a point per form and a marker line per form in the temporary
// drawing list (g_drawEnts).
// Item texts follow one rule: a group's root shows the group's number, a form its 1-based place in its group,
// when made and whenever rewritten.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/dialog.h"
#include "platform/ui/image_list.h"
#include "platform/ui/tree_view.h"

struct VIEW_LIST;
struct POINT_LIST;
struct CYL_LIST;
struct CYL_ENT;

// One preselected form of a group.
struct HOLE_SEL_LIST {
    std::uint32_t id = 0;               // from g_holeSelCounter
    std::uint32_t markerLineId = 0;     // its line in the drawing list, 0 none
    plat::TreeItem item = 0;
    POINT_LIST* form = nullptr;         // into the window's own tree
    std::int32_t cylinderCount = 0;
    std::int32_t firstCylinder = 0;     // the range, counted from the top; both ends included
    std::int32_t lastCylinder = 0;
    double topPoint[3] = {};            // world
    double bottomPoint[3] = {};         // the top point moved along the view axis to the last segment's bottom
    std::uint16_t oppositeSide = 0;     // picked from more than 90 degrees off the drilling direction
    std::uint32_t markPointId = 0;      // the host point stored for the form
    double pickDirection[3] = {};
};

// One numbered group of forms.
struct PRESEL_GROUPS_LIST {
    std::uint32_t id = 0;               // from g_preselGroupCounter
    plat::TreeItem root = 0;
    std::string name;
    std::unique_ptr<std::vector<HOLE_SEL_LIST>> holes = std::make_unique<std::vector<HOLE_SEL_LIST>>();
};

// Running numbers, incremented before use and never reset while the library is loaded (the window, made at
// load, starts them at 0).
extern std::uint32_t g_preselGroupCounter;
extern std::uint32_t g_holeSelCounter;
extern std::uint32_t g_markerLineCounter;

class CDlgPreselView : public plat::Dialog {
public:
    static constexpr int kTemplate = 18106;
    static constexpr int kTree = 18107, kAddGroup = 18108, kCylinders = 18109, kDiameters = 18110, kForms = 18111;
    // Colour-table indexes: every form of the scan, forms of the current group, forms of other groups.
    static constexpr int kAllColour = 0, kCurrentColour = 1, kOtherColour = 2;
    static constexpr int kMarkerCurrent = 9, kMarkerOther = 12, kMarkPointColour = 12;
    // The popup's commands on a form item.
    enum PopupCommand { kRemoveUpper = 1, kRestoreUpper, kRemoveLower, kRestoreLower, kAddEqual, kRemoveEqual };
    static constexpr const char* kNotAccessible = "Not accessible from this side";

    CDlgPreselView();
    ~CDlgPreselView() override;

    // ---- the core's calls ----
    void createImageList();
    // Drops every group (and the own recognition, which the host may have made stale), clears the built flag
    // and makes a new current group.
    void resetGroups();
    void init() {}
    // Only once a scan has built the own recognition: every form's entities back to their own colour and
    // level, unselected; the host's display mask off.
    void restoreColors();

    // ---- the own recognition and its index ----
    // Recognises the part's holes into the window's own tree, shows its statistics and builds the index.
    // 0 done; 1 no hole was found; -1 the stock check failed or the user cancelled.
    int scanPart();
    void buildEntityTable();
    POINT_LIST* findFormOfEntity(std::uint32_t id) const;
    // Appends the form of each entity that the list lacks; how many were added.
    int collectForms(const std::vector<std::uint32_t>& ids, std::vector<POINT_LIST*>& forms) const;
    // Keeps each entity's colour and level in its slot, paints every form in colour 0 of the table on the
    // features level and shows only that level.
    void colorAllForms();

    // ---- what a handler of host picks uses ----
    // 0 reached from this side (less than 85 degrees off the form's drilling direction), 1 from the other side
    // (more than 95 degrees, a through form with nothing below its exit), -1 neither.
    static int formSideInView(const POINT_LIST* form, const double direction[3]);
    int findHoleSel(const POINT_LIST* form) const;
    void colorForm(POINT_LIST* form, int colourIndex);
    int addFormToGroup(POINT_LIST* form, const double direction[3]);
    static HOLE_SEL_LIST makeHoleSel(POINT_LIST* form, const double direction[3]);
    static void storeMarkPoint(HOLE_SEL_LIST& entry);
    void showForm(const POINT_LIST* form);
    void colorFormRange(const HOLE_SEL_LIST& entry, int inside, int outside);
    void setFormLevels(POINT_LIST* form, int mode);
    // A pick of these entities seen along `direction`: forms already in the current group are shown, the
    // others added when the side test accepts them. "" or kNotAccessible when one was refused.
    std::string pickEntities(const std::vector<std::uint32_t>& ids, const double direction[3]);

    // ---- what the tests and the pick handler read ----
    const std::vector<PRESEL_GROUPS_LIST>& groups() const { return groups_; }
    int currentGroup() const { return current_; }
    bool built() const { return built_ != 0; }
    VIEW_LIST* viewsTree() const { return viewsTree_; }
    std::size_t entityTableSize() const { return table_.size(); }
    const int* colourTable() const { return colours_; }

protected:
    bool onInitDialog() override;
    void onOK() override;
    void onCancel() override { showWindow(false); }

private:
    struct ENT_FORM {
        std::uint32_t id;
        POINT_LIST* form;
    };
    void onAddGroup();
    void onTreeClick();
    void onTreeRightClick();
    void runPopupCommand(PRESEL_GROUPS_LIST& group, int entryIndex, int command);
    // The other forms of the own tree whose segments in the entry's range have its shape there.
    std::vector<POINT_LIST*> findEqualForms(const HOLE_SEL_LIST& entry) const;
    void addEqualForms(const HOLE_SEL_LIST& entry);
    void removeEqualForms(const HOLE_SEL_LIST& entry);

    void newGroup();
    // Paints its entries with kOtherColour on their ranges, sends their entities back to their levels and
    // takes their marker lines away.
    void closeGroup(PRESEL_GROUPS_LIST& group);
    void boldOnly(plat::TreeItem item);               // among its siblings
    void writeGroupText(const PRESEL_GROUPS_LIST& group);
    void writeFormText(const HOLE_SEL_LIST& entry, int place);
    int groupById(std::intptr_t id) const;
    int entryById(const PRESEL_GROUPS_LIST& group, std::intptr_t id) const;
    static void colourMarkers(std::uint32_t current);
    static void removeMarker(std::uint32_t id);
    static std::uint32_t addMarker(const HOLE_SEL_LIST& entry, int colour);
    static int paintColour(const CYL_ENT& slot, int index, const int* colours);
    void freeOwnTree();

    int colours_[3] = {55, 16, 12};
    VIEW_LIST* viewsTree_ = nullptr;      // owned
    std::uint32_t solidsConverted_ = 0;
    std::uint8_t built_ = 0;
    std::unique_ptr<plat::ImageList> images_;
    int current_ = -1;
    std::vector<ENT_FORM> table_;         // sorted by id
    std::vector<PRESEL_GROUPS_LIST> groups_;
    std::uint32_t cylinderCount_ = 0, formCount_ = 0;
    double smallestDiameter_ = 0, largestDiameter_ = 0;
};
