// The order of a points-list run's operations by the tool matrix, on holes made by hand: a tool aligned in
// one column, a shift undone when it would empty a column, the gaps that keep tool types apart, the order
// within a column, and the tools numbered in the order of first use.
#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "plugin/base/globals.h"
#include "plugin/model/ope_list.h"
#include "plugin/model/tree.h"
#include "plugin/tooling/tool_matrix_order.h"

namespace {

class ToolMatrixOrder : public testing::Test {
protected:
    void SetUp() override {
        saved_ = g_tolerances;
        g_tolerances.tol04T = 0.01;
        view_.selected = 1;
    }
    void TearDown() override { g_tolerances = saved_; }

    // A hole with operations given as (tool index, tool type, diameter).
    POINT_LIST* hole(std::vector<std::array<double, 3>> operations) {
        POINT_LIST& p = points_.emplace_back();
        p.selected = 1;
        p.view = &view_;
        p.id = static_cast<std::int32_t>(points_.size());
        POINT_LIST** link = &view_.firstPoint;
        while (*link) link = &(*link)->next;
        *link = &p;
        OPE_LIST** at = &p.opeList;
        OPE_LIST* prev = nullptr;
        for (const auto& [tool, type, diameter] : operations) {
            OPE_LIST& o = opes_.emplace_back();
            o.active = 1;
            o.point = &p;
            o.view = &view_;
            o.toolIndex = static_cast<std::int32_t>(tool);
            o.toolNumber = o.toolIndex + 1;
            o.toolType = static_cast<std::uint32_t>(type);
            o.toolDiam = diameter;
            o.prev = prev;
            *at = &o;
            at = &o.next;
            prev = &o;
        }
        return &p;
    }
    // The order as "hole.operation" places, from 1.
    std::vector<std::string> order(std::int16_t tools) {
        std::vector<OPE_LIST*> result;
        const int n = orderOperationsByToolMatrix(&view_, 0, tools, result);
        EXPECT_EQ(n, static_cast<int>(result.size()));
        std::vector<std::string> names;
        for (const OPE_LIST* o : result) {
            int place = 1;
            for (const OPE_LIST* e = o->point->opeList; e != o; e = e->next) ++place;
            names.push_back(std::to_string(o->point->id) + "." + std::to_string(place));
        }
        return names;
    }

    TOLERANCES saved_{};
    VIEW_LIST view_;
    std::deque<POINT_LIST> points_;
    std::deque<OPE_LIST> opes_;
};

using Names = std::vector<std::string>;

TEST_F(ToolMatrixOrder, TheMatrixCases) {
    struct Case {
        const char* what;
        std::vector<std::vector<std::array<double, 3>>> holes;
        std::int16_t tools;
        Names order;
    };
    const Case cases[] = {
        // Hole 2 uses the drill first, hole 1 after its spot drill: the drill is aligned under hole 1's.
        {"same tool aligned", {{{0, 2, 10}, {1, 3, 8}}, {{1, 3, 8}}}, 2, {"1.1", "1.2", "2.1"}},
        // Aligning tool 1 would leave column 0 empty: that shift is undone, tool 0 stays aligned.
        {"empty column undone", {{{0, 3, 5}, {1, 3, 8}}, {{1, 3, 8}, {0, 3, 5}}}, 2, {"2.1", "1.1", "2.2", "1.2"}},
        // A drill meets a tap in one column: the tap moves on, the drill stays.
        {"tap before a drill gets the gap", {{{0, 4, 8}}, {{1, 3, 6.8}}}, 2, {"2.1", "1.1"}},
        {"a tap after a drill gets the gap", {{{1, 3, 6.8}}, {{0, 4, 8}}}, 2, {"1.1", "2.1"}},
        // A user operation (type 0) keeps its column to itself, whether it is held above a drill or below
        // one: the drills meet in the next column, the smaller first.
        {"a user operation above a drill", {{{0, 0, 10}, {2, 3, 5}}, {{1, 3, 8}}}, 3, {"1.1", "1.2", "2.1"}},
        {"a user operation below a drill", {{{1, 3, 8}}, {{0, 0, 10}, {2, 3, 5}}}, 3, {"2.1", "2.2", "1.1"}},
        // One column, one type: the smaller diameter first.
        {"a column by diameter", {{{0, 3, 8}}, {{1, 3, 5}}, {{0, 3, 8}}}, 2, {"2.1", "1.1", "3.1"}},
        {"no hole", {}, 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        points_.clear();
        opes_.clear();
        view_.firstPoint = nullptr;
        for (const auto& h : c.holes) hole(h);
        EXPECT_EQ(order(c.tools), c.order);
    }
}

TEST_F(ToolMatrixOrder, AColumnIsOrderedByDiameterRadiusAndConeAngleWithinTheTolerance) {
    OPE_LIST a, b;
    a.toolType = b.toolType = 3;
    a.toolDiam = 8;
    b.toolDiam = 8.005;   // within 0.4 T: equal, the radius decides
    a.cornerRadius = 1;
    b.cornerRadius = 0.5;
    EXPECT_EQ(compareMatrixOperations(a, b), 1);
    EXPECT_EQ(compareMatrixOperations(b, a), -1);
    b.cornerRadius = 1;
    a.coneAngle = 0.2;
    EXPECT_EQ(compareMatrixOperations(a, b), 1);
    b.coneAngle = 0.2;
    EXPECT_EQ(compareMatrixOperations(a, b), 0);
    b.toolType = 2;
    EXPECT_EQ(compareMatrixOperations(a, b), 1);
}

TEST_F(ToolMatrixOrder, ToolsAreNumberedInTheOrderOfFirstUse) {
    std::deque<OPE_LIST> ops(4);
    const int old[] = {5, 3, 5, 7};
    std::vector<OPE_LIST*> array;
    for (int i = 0; i < 4; ++i) {
        ops[static_cast<std::size_t>(i)].toolNumber = old[i];
        array.push_back(&ops[static_cast<std::size_t>(i)]);
    }
    EXPECT_EQ(renumberToolSequence(array.data(), 4), 4);
    std::vector<int> numbers;
    for (const OPE_LIST* o : array) numbers.push_back(o->toolNumber);
    EXPECT_EQ(numbers, (std::vector<int>{1, 2, 1, 3}));
}

TEST_F(ToolMatrixOrder, OnlySelectedHolesOfSelectedViewsTakePartAndNothingIsLostInALongRow) {
    // Every hole shifts against the others: the rows grow instead of dropping operations.
    hole({{0, 3, 5}, {1, 3, 6}, {2, 3, 7}});
    hole({{2, 3, 7}, {1, 3, 6}, {0, 3, 5}});
    hole({{1, 3, 6}, {2, 3, 7}, {0, 3, 5}});
    POINT_LIST* off = hole({{0, 3, 5}});
    off->selected = 0;
    EXPECT_EQ(order(3).size(), 9u);
    view_.selected = 0;
    std::vector<OPE_LIST*> none;
    EXPECT_EQ(orderOperationsByToolMatrix(&view_, 0, 3, none), 0);
    EXPECT_EQ(orderOperationsByToolMatrix(nullptr, 0, 3, none), 0);
}

}  // namespace
