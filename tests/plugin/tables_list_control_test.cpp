// A table in a report-style list control and back: the columns shown in each mode, the rows with the unit
// of angle columns, reading rows back without losing the list cells, and splitting and joining the list
// cell.
#include <gtest/gtest.h>

#include "platform/ui/dialog.h"
#include "platform/ui/list_view.h"
#include "plugin/model/tab_cols_desc.h"
#include "support/form_tables.h"
#include "support/tables_fixture.h"

namespace {

using Row = std::vector<std::string>;
constexpr int kDlg = 9302, kList = 302;

class TableListTest : public TablesFixture {
protected:
    void SetUp() override {
        TablesFixture::SetUp();
        plat::CtlTemplate list;
        list.id = kList;
        list.kind = plat::Ctl::ListView;
        list.dlu = {5, 5, 195, 120};
        list.style = plat::LVS_REPORT;
        plat::registerDialog({kDlg, "Rows", 200, 130, {list}});
        dlg = std::make_unique<plat::Dialog>(kDlg);
        ASSERT_TRUE(dlg->create());
    }
    void TearDown() override {
        dlg->destroyWindow();
        TablesFixture::TearDown();
    }
    // Columns: 1 name, 2 D, 3 L, 4 A (angle), 5 process, 6 list.
    static CTabColsDesc table() {
        FORM_TABLE f;
        f.items = {{2, 3, 4}};
        f.processColumn = 5;
        f.listColumn = 6;
        f.rows = {{"R1", "10", "5", "90", "P_A", "(0,0,6,10)"}, {"R2", "12", "6", "118deg", "P_B", "()"}};
        return makeFormTable(f);
    }
    static Row headings(const plat::ListView& lv) {
        Row out;
        for (int c = 0; c < lv.columnCount(); ++c) out.push_back(lv.columnText(c));
        return out;
    }
    static Row listRow(const plat::ListView& lv, int r) {
        Row out;
        for (int c = 0; c < lv.columnCount(); ++c) out.push_back(lv.itemText(r, c));
        return out;
    }
    std::unique_ptr<plat::Dialog> dlg;
};

TEST_F(TableListTest, TheTableGoesIntoTheListWithoutItsListColumnAndComesBackWithIt) {
    CTabColsDesc t = table();
    plat::ListView& lv = dlg->listView(kList);
    ASSERT_EQ(t.toListCtrl(lv), 0);
    EXPECT_EQ(headings(lv), (Row{"Name", "D", "L", "A", "Process"}));
    EXPECT_EQ(lv.columnWidth(0), lv.control().clientRect().width() / 6 - 2);
    EXPECT_EQ(t.listRowCount, 2);
    EXPECT_EQ(listRow(lv, 0), (Row{"R1", "10", "5", "90deg", "P_A"}));
    EXPECT_EQ(listRow(lv, 1), (Row{"R2", "12", "6", "118deg", "P_B"}));   // the unit is not doubled
    EXPECT_EQ(lv.itemData(1), 1);

    // The user edits a cell; reading back keeps the list cells, which the list never showed.
    lv.setItemText(0, 1, "10.5");
    ASSERT_EQ(t.fromListCtrl(lv), 0);
    Row row;
    t.getRow(0, row);
    EXPECT_EQ(row, (Row{"R1", "10.5", "5", "90deg", "P_A", "(0,0,6,10)"}));
    t.getRow(1, row);
    EXPECT_EQ(row[5], "()");

    // Texts longer than 31 characters are cut.
    lv.setItemText(1, 4, std::string(40, 'x'));
    t.readListRow(lv, 1, row);
    EXPECT_EQ(row[4], std::string(31, 'x'));
    // A list row beyond the rows inserted is not read.
    Row untouched = {"keep"};
    EXPECT_EQ(t.readListRow(lv, 2, untouched), 0);
    EXPECT_EQ(untouched, Row{"keep"});
}

TEST_F(TableListTest, InModeOneTheProcessColumnIsNeitherShownNorReadBack) {
    CTabColsDesc t = table();
    plat::ListView& lv = dlg->listView(kList);
    t.fillListColumns(lv, 1);
    EXPECT_EQ(headings(lv), (Row{"Name", "D", "L", "A"}));
    t.listRowCount = 0;
    t.fillListRows(lv, {"R1", "10", "5", "90", "P_A", "(1)"}, 1);
    EXPECT_EQ(listRow(lv, 0), (Row{"R1", "10", "5", "90deg"}));
    Row row = {"", "", "", "", "P_KEEP", "(1)"};
    ASSERT_EQ(t.readListRow(lv, 0, row), 1);
    EXPECT_EQ(row, (Row{"R1", "10", "5", "90deg", "P_KEEP", "(1)"}));
    t.clearListColumns(lv);
    EXPECT_EQ(lv.columnCount(), 0);
}

TEST_F(TableListTest, TheListCellSplitsIntoItsValuesAndJoinsBack) {
    CTabColsDesc t = table();
    Row values;
    EXPECT_EQ(t.splitListCell(0, &values), 4);
    EXPECT_EQ(values, (Row{"0", "0", "6", "10"}));
    EXPECT_EQ(t.splitListCell(1, &values), 0);
    EXPECT_TRUE(values.empty());
    ASSERT_EQ(t.joinListCell(1, {"1", "2", "3"}, 2), 0);
    EXPECT_EQ(t.cell(1, 5), "(1,2)");
    EXPECT_EQ(t.splitListCell(1, nullptr), 2);
    // Empty values between commas are dropped.
    ASSERT_EQ(t.joinListCell(1, {"4", "", "5"}, 3), 0);
    EXPECT_EQ(t.cell(1, 5), "(4,,5)");
    EXPECT_EQ(t.splitListCell(1, &values), 2);
    EXPECT_EQ(values, (Row{"4", "5"}));

    FORM_TABLE plain;
    plain.items = {{2, 3}};
    plain.rows = {{"R", "1", "2"}};
    CTabColsDesc none = makeFormTable(plain);
    EXPECT_EQ(none.splitListCell(0, &values), 0);
    EXPECT_EQ(none.joinListCell(0, {"1"}, 1), 0);
    EXPECT_EQ(none.cell(0, 0), "R");
}

}  // namespace
