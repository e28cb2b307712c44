// The table object's column descriptions on their own: how many columns its items give, which item a column
// belongs to with its heading and value, the cylinder values by column, and an allocation of no items.
#include <gtest/gtest.h>

#include <string>

#include "plugin/model/tab_cols_desc.h"

namespace {

// A kind-1 item over columns 1 and 2 (no third), and a kind-3 item over column 3.
CTabColsDesc twoItems() {
    CTabColsDesc t;
    EXPECT_EQ(t.allocItems(2), 0);
    EXPECT_EQ(t.addDescItem(1, 1, "D", 1, 0, 8.5, 2, "L", 0, "", 20.25), 0);
    EXPECT_EQ(t.addDescItem(3, 3, "Process", 0, 1, 0, 0, "", 0, "", 0), 0);
    return t;
}

TEST(TableItems, ColumnsAreCountedByTheIdsTheItemsUse) {
    EXPECT_EQ(twoItems().columnCount, 3);
}

// Each column gives its item and heading; the value is the item's first or second by the column's place,
// and a third column, an angle, has none.
TEST(TableItems, AColumnGivesItsItemHeadingAndValue) {
    CTabColsDesc t;
    ASSERT_EQ(t.allocItems(1), 0);
    ASSERT_EQ(t.addDescItem(1, 2, "D1", 1, 0, 8.5, 3, "L1", 4, "A1", 20.25), 0);
    struct CASE {
        std::int16_t column;
        int item;
        const char* heading;
        double value;
    } const cases[] = {{2, 0, "D1", 8.5}, {3, 0, "L1", 20.25}, {4, 0, "A1", 0.0}, {9, -1, "none", -1.0}};
    for (const CASE& c : cases) {
        SCOPED_TRACE(c.column);
        std::string heading = "none";
        double value = -1;
        EXPECT_EQ(t.findItemByColumn(c.column, &heading, &value), c.item);
        EXPECT_EQ(heading, c.heading);
        EXPECT_EQ(value, c.value);
    }
}

// A row's cylinder entries give their diameters by the column of their first id; any other column gives 0.
TEST(TableItems, CylinderValuesAreFoundByTheirFirstColumnOnly) {
    CTabColsDesc t = twoItems();
    ASSERT_EQ(t.buildCilColumns({"12", "30", "1"}), 0);
    ASSERT_EQ(t.cilEntries.size(), 1u);
    t.cilEntries[0].cil.D = 12.5;
    EXPECT_EQ(t.cilValueById(1), 12.5);
    EXPECT_EQ(t.cilValueById(2), 0.0);   // the length column of the same item
    EXPECT_EQ(t.cilValueById(7), 0.0);
}

TEST(TableItems, AllocatingNoItemsFailsAndLeavesNone) {
    CTabColsDesc t = twoItems();
    EXPECT_EQ(t.allocItems(0), 1);
    EXPECT_EQ(t.itemCount, 0);
    EXPECT_EQ(t.columnCount, 0);
    EXPECT_TRUE(t.items.empty());
    EXPECT_EQ(t.addDescItem(1, 1, "D", 1, 0, 8.5, 0, "", 0, "", 0), 1);   // no room for one
}

}  // namespace
