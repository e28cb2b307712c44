// The choice of the host's named views in which holes may be drilled: one row per named view, active or
// not, each active view also taking directions turned about its own X or Y axis within a range of angles.
// Ranges are kept in radians and shown in degrees. The dialog edits its own copy of the list; its opener
// takes the copy back on OK and writes it to the part only when the general parameters end with OK.
#pragma once
#include "platform/ui/dialog.h"
#include "plugin/base/text_section.h"
#include "plugin/base/views_list.h"

class CDlgOnlySelectedViewsEx : public plat::Dialog {
public:
    static constexpr int kTemplate = 18091, kList = 18108, kXActive = 18109, kXFrom = 18098, kXTo = 18099,
                         kYActive = 18110, kYFrom = 18100, kYTo = 18101;
    // Context-menu items, in menu order.
    static constexpr int kMenuActive = 1, kMenuInactive = 2, kMenuToggle = 3, kMenuAllActive = 4,
                         kMenuNoneActive = 5;

    CDlgOnlySelectedViewsEx();
    COnlySelViewsListEx list;

    // 0 toggles the selected rows, 1 makes them active, 2 not active; 3 makes every row active, 4 none.
    void markRows(int mode);

protected:
    bool onInitDialog() override;
    void onOK() override;

private:
    using ITEM = COnlySelViewsListEx::ONLY_SEL_VIEWS_ITEM;
    void fillRow(int row, const ITEM& item);
    void setActive(int row, bool active);
    void showRow(int row);
    void rangeTyped(bool aboutX, bool from);
    void activeClicked(bool aboutX);
    void listClicked(const plat::Notify& n);
    void listRightClicked();
    void listKey(int vk);
    int itemOfRow(int row);

    CTextSection texts_;
    int currentRow_ = -1;   // the row whose details show; -1 while the fields are being filled
    bool shift_ = false;    // Shift was pressed in the list since the last click
};
