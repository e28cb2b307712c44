// The toolpath groups dialog: which drilling directions are machined together. The views of one group follow
// each other in the view list and share VIEW_LIST::groupNumber; the user arranges the views in two lists,
// the grouped one divided into groups by separator items, and OK relinks the whole view list in the order
// shown and numbers the groups. Nothing of the tree changes before OK. To pick a hole in the graphics the
// dialog ends with kPickFromGraphics, keeping its arrangement for the next showing, in which the picked
// hole's view is selected.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/dialog.h"
#include "plugin/base/text_section.h"

struct VIEW_LIST;
struct POINT_LIST;

class CDlgToolPathGroups : public plat::Dialog {
public:
    static constexpr int kTemplate = 18022, kUngrouped = 4051, kGrouped = 4052, kAddToGroups = 4187,
                         kRemoveFromGroups = 4188, kInsertSeparator = 4189, kRemoveSeparator = 4190,
                         kFiveAxis = 4019, kPick = 18041, kGroupedCaption = 4195, kUngroupedCaption = 4194;
    static constexpr int kPickFromGraphics = 171;
    static constexpr int kMaxMoved = 100;   // selected items one move takes

    CDlgToolPathGroups();

    // Set by the caller before the dialog shows again after a pick; forgotten once shown.
    POINT_LIST* pickedHole = nullptr;
    // Whether an arrangement waits for the next showing.
    bool arrangementSaved() const { return saved_.has_value(); }

protected:
    bool onInitDialog() override;
    void onOK() override;

private:
    struct SAVED_VIEW {
        VIEW_LIST* view = nullptr;
        bool selected = false;
        bool endsGroup = false;   // a separator follows it (grouped list only)
    };
    struct ARRANGEMENT {
        std::vector<SAVED_VIEW> ungrouped, grouped;
    };

    void fillFromTree();
    bool arrangementFitsTree(const ARRANGEMENT& a) const;
    void restore(const ARRANGEMENT& a);
    void addView(int listId, VIEW_LIST* view);
    void insertSeparator(int at);
    void tidySeparators();
    int groupedViewCount();

    void onAddToGroups();
    void onRemoveFromGroups();
    void onInsertSeparator();
    void onRemoveSeparator();
    void checkFiveAxisOption();
    void onSelectFromGraphics();
    void linkGroups();

    CTextSection texts_;
    std::string separatorText_;
    std::optional<ARRANGEMENT> saved_;
};

// The dialog kept for the next showing after a pick goes: its views belonged to a tree that is freed.
void forgetPendingPick();
