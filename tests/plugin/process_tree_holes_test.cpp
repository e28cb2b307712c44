// The holes of a run in the process tree, as the user meets them after Execute on a builder part: each listed
// by its label (the table and row it got) and its explanation (how the row fits, the process, the hole's
// states), whole, however long; the points list of a hole headed by the same text, its brackets on a line of
// their own; and the check of an adaptable table, after which the next run finds the hole's form in it.
#include <gtest/gtest.h>

#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include "host/builder/hole_kinds.h"
#include "host/builder/part_builder.h"
#include "host/geom/surface_entities.h"
#include "platform/ui/text_quote.h"
#include "plugin/cycle/records.h"
#include "plugin/engine/operation_comments.h"
#include "plugin/model/tree.h"
#include "plugin/model/tab_cols_desc.h"
#include "plugin/model/work_records.h"
#include "platform/sys/files.h"
#include "support/execute_session.h"

namespace {

using namespace host::builder;
using host::Vec3;

constexpr Vec3 kDown{0, 0, -1};
constexpr int kViewProcess = 18008, kTree = 4003, kPoints = 18009, kPointsHeading = 4102;

const std::string kTop = "(Group 0)  TOP", kBottom = "(Group 0)  BOTTOM";
// A counterbore whose mouth has a 100 degree chamfer: no table has that form, the counterbore table does
// once its chamfer window is widened. Split by depth like every hole of this thick block but one.
const std::string kAdapted =
    "Counterbored CB6.6; split by depth; adapted: no table has the exact form of the hole (44.0deg chamfer "
    "outside the table) - 1";

class ProcessTreeHoles : public ExecuteSessionFixture {
protected:
    void SetUp() override {
        ExecuteSessionFixture::SetUp();
        const BuiltPart part =
            PartBuilder::block({120, 60, 120})
                .hole(throughHole("deep", {15, 15, 120}, kDown, 5))
                .hole(blindFlat("odd", {35, 15, 120}, kDown, 7.3, 10))   // two equal holes of a size no row has
                .hole(blindFlat("odd", {55, 15, 120}, kDown, 7.3, 10))
                .hole(countersunk("sunk", {95, 15, 120}, kDown, 6.6, 12, 82))   // an 82 degree countersink
                .hole(holeAt("chamfered", {15, 45, 120}, kDown).chamfer(13, 11, 100).cylinder(11, 5.6).throughCylinder(6.6))
                .build();
        ASSERT_TRUE(part.ok()) << part.error;
        ASSERT_NE(host::storeSolidEntity(part.solid, 3, 1, "part"), 0u);
        load();
    }
    // The operations listed under the hole item of that text when the tree last closed.
    static std::vector<std::string> operationsOf(const std::string& hole) {
        std::istringstream snap(plat::lastSnapshot(kProcessTree));
        std::vector<std::string> out;
        bool under = false;
        for (std::string line; std::getline(snap, line);) {
            if (line.rfind("    \"", 0) == 0) under = line.rfind("    \"" + hole + "\" data=", 0) == 0;
            else if (under && line.rfind("      \"", 0) == 0) out.push_back(line.substr(7, line.find("\" data=") - 7));
            else under = false;
        }
        return out;
    }
    std::string counterbored() const { return installDir + "/Tool/FORMS_MM/Standard/Counterbored.tab"; }
    // The views and holes of the tree when it last closed, in order; a hole's text indented by two blanks.
    static std::vector<std::string> outline() {
        std::istringstream snap(plat::lastSnapshot(kProcessTree));
        std::vector<std::string> out;
        bool inTree = false;
        for (std::string line; std::getline(snap, line);) {
            if (line.rfind("4003 TreeView", 0) == 0) {
                inTree = true;
                continue;
            }
            if (!inTree || line.empty() || line[0] != ' ') {
                inTree = false;
                continue;
            }
            const std::size_t quote = line.find('"');
            if (quote != 2 && quote != 4) continue;   // an operation
            const std::size_t end = line.find("\" data=", quote);
            out.push_back(std::string(quote - 2, ' ') + line.substr(quote + 1, end - quote - 1));
        }
        return out;
    }
};

TEST_F(ProcessTreeHoles, EachHoleIsListedByItsTableAndRowAndItsWholeExplanation) {
    executeOnce();
    const std::vector<std::string> expected = {
        kTop,
        "  Countersunk **6.6x3.11; split by depth; measures added to the table - 1",
        // A row was added for the two equal holes; the chain is told.
        "  Blind flat **7.3; measures added to the table - 1; one of identical holes",
        "  Drilled D5; split by depth - 1",
        "  " + kAdapted,
        kBottom,
        // The lower halves: the label they took over, then the table and row they got, matched exactly.
        "  Countersunk **6.6x3.11; split by depth  Drilled D6.6 - 1",
        "  Drilled D5; split by depth - 1",
        "  Counterbored CB6.6; split by depth  Drilled D6.6 - 1",
    };
    EXPECT_EQ(outline(), expected) << plat::lastSnapshot(kProcessTree);
    EXPECT_NE(plat::lastSnapshot(kProcessTree).find("4302 Check text=\"Adaptable tables (1)\""), std::string::npos);

    // The part keeps as much of the explanation as its field holds; the tree built it whole.
    VIEW_LIST* tree = nullptr;
    loadAllRecords(&tree);
    ASSERT_NE(tree, nullptr);
    const POINT_LIST* adapted = nullptr;
    for (const POINT_LIST* p = tree->firstPoint; p; p = p->next)
        if (p->adaptedRow >= 0) adapted = p;
    ASSERT_NE(adapted, nullptr);
    EXPECT_EQ(fieldText(adapted->description), "Counterbored CB6.6; split by depth");
    const std::string whole = explainHole(*adapted, holeTableClass(*adapted)).whole();
    EXPECT_GT(whole.size(), sizeof(POINT_LIST::whyText));
    EXPECT_EQ(operationWhyText(*adapted), whole.substr(0, sizeof(POINT_LIST::whyText) - 1));
    freeViewsTree(tree);
    freeCycleRecords();
}

TEST_F(ProcessTreeHoles, ThePointsListIsHeadedByTheHolesTextWithItsBracketsOnALineOfTheirOwn) {
    executeOnce();
    script()
        .click(kMenu, kViewProcess)
        .treeRClick(kProcessTree, kTree, kTop + "/" + kAdapted)
        .menu(4)
        .click(kPoints, plat::IDOK)
        .click(kProcessTree, plat::IDOK)
        .click(kMenu, plat::IDOK);
    m_main();
    expectScriptPlayed();
    std::string heading = kAdapted;
    heading.replace(heading.find(" ("), 2, " \n(");
    EXPECT_NE(plat::lastSnapshot(kPoints).find(std::to_string(kPointsHeading) + " Static text=" + plat::quoteText(heading)),
              std::string::npos)
        << plat::lastSnapshot(kPoints);
}

TEST_F(ProcessTreeHoles, CheckingAnAdaptableTableWidensItSoThatTheNextRunFindsTheHolesForm) {
    const std::string table = plat::readFile(counterbored()).value_or("");
    ASSERT_FALSE(table.empty());
    struct CASE {
        const char* what;
        std::string item;   // right-clicked
        int menu;
    } cases[] = {
        {"the hole's own check", kTop + "/" + kAdapted, 25},
        {"every hole's, from the empty area below the views", "", 29},
    };
    for (const CASE& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(plat::writeFile(counterbored(), table));
        executeOnce();
        ASSERT_EQ(outline()[4], "  " + kAdapted);
        const std::vector<std::string> operations = operationsOf(kAdapted);
        ASSERT_FALSE(operations.empty());
        script().click(kMenu, kViewProcess);
        if (c.item.empty()) script().treeCollapse(kProcessTree, kTree, kTop).treeCollapse(kProcessTree, kTree, kBottom);
        script()
            .treeRClick(kProcessTree, kTree, c.item)
            .menu(c.menu)
            .click(kProcessTree, plat::IDOK)
            .click(kMenu, plat::IDOK);
        m_main();
        expectScriptPlayed();
        // The table's chamfer window now reaches the hole's 50 degree chamfer (and a degree beyond).
        CTabColsDesc widened;
        ASSERT_EQ(widened.read(counterbored()), 0);
        EXPECT_NEAR(widened.chamferAngleA * 180 / std::numbers::pi, 44, 1e-3);
        EXPECT_NEAR(widened.chamferAngleB * 180 / std::numbers::pi, 51, 1e-3);
        EXPECT_NE(plat::readFile(counterbored()).value_or("").find("[Process]"), std::string::npos);
        // The hole kept its row, its label and its operations (its split by depth too) through the check.
        EXPECT_EQ(operationsOf(kAdapted), operations) << plat::lastSnapshot(kProcessTree);

        executeOnce();
        EXPECT_EQ(outline()[4], "  Counterbored CB6.6; split by depth - 1");
        EXPECT_NE(plat::lastSnapshot(kProcessTree).find("4302 Check text=\"Adaptable tables (0)\""), std::string::npos);
    }
}

// A chamfered counterbore of a size no row has, in a plate thin enough to be drilled from the top alone: the
// run widens the counterbore table's window to its chamfer and adds a row for it there.
class ProcessTreeCheck : public ProcessTreeHoles {
protected:
    void SetUp() override { build(30, 7.7); }
    void build(double thickness, double bore) {
        ExecuteSessionFixture::SetUp();
        HoleSpec hole = holeAt("chamfered", {20, 15, thickness}, kDown).chamfer(14, 12, 100).cylinder(12, 5);
        hole.throughCylinder(bore);
        const BuiltPart part = PartBuilder::block({40, 30, thickness}).hole(hole).build();
        ASSERT_TRUE(part.ok()) << part.error;
        ASSERT_NE(host::storeSolidEntity(part.solid, 3, 1, "part"), 0u);
        load();
    }
    std::string library() const { return installDir + "/Tool/FORMS_MM/Standard/"; }
};

// The library changed since the run: the user moved the chamfered counterbores into a table of their own,
// whose window takes the 50 degree chamfer and which lists before the counterbore table, and the row the run
// added is no longer in the counterbore table. Checked, the hole's row goes into the new table, the first of
// its form, and the hole takes that table, its row and its process; the counterbore table is left alone.
TEST_F(ProcessTreeCheck, AHoleWhoseRowGoesIntoAnotherTableTakesThatTable) {
    const std::string shippedRows = plat::readFile(library() + "Counterbored.txt").value_or("");
    const std::string shippedTable = plat::readFile(library() + "Counterbored.tab").value_or("");
    ASSERT_FALSE(shippedRows.empty());
    executeOnce();
    const std::string adapted = "Counterbored **12x5.84; adapted: no table has the exact form of the hole (44.0deg "
                                "chamfer outside the table) - 1";
    ASSERT_EQ(outline(), (std::vector<std::string>{kTop, "  " + adapted}));

    std::string own = shippedTable;
    const std::string window = " 0.767945 0.802851 ";
    ASSERT_NE(own.find(window), std::string::npos);
    own.replace(own.find(window), window.size(), " 0.767945 0.890118 ");   // up to 51 degrees
    ASSERT_TRUE(plat::writeFile(library() + "Chamfered counterbores.tab", own));
    ASSERT_TRUE(plat::writeFile(library() + "Chamfered counterbores.txt", shippedRows));
    ASSERT_TRUE(plat::writeFile(library() + "Counterbored.txt", shippedRows));
    const std::string counterbored = plat::readFile(library() + "Counterbored.tab").value_or("");

    script()
        .click(kMenu, kViewProcess)
        .treeRClick(kProcessTree, kTree, kTop + "/" + adapted)
        .menu(25)
        .click(kProcessTree, plat::IDOK)
        .click(kMenu, plat::IDOK);
    m_main();
    expectScriptPlayed();
    const std::string taken = "Chamfered counterbores **12x5.84; measures added to the table - 1";
    EXPECT_EQ(outline(), (std::vector<std::string>{kTop, "  " + taken})) << plat::lastSnapshot(kProcessTree);
    EXPECT_EQ(operationsOf(taken),
              (std::vector<std::string>{"Spot drilling - dia10.000 depth2.31", "Drilling - dia7.700 depth30.00",
                                        "Milling - dia12.000 depth5.84"}));
    EXPECT_NE(plat::readFile(library() + "Chamfered counterbores.txt").value_or("").find("\n**12x5.84 12 5.84 "),
              std::string::npos);
    EXPECT_EQ(plat::readFile(library() + "Counterbored.txt").value_or(""), shippedRows);
    EXPECT_EQ(plat::readFile(library() + "Counterbored.tab").value_or(""), counterbored);
}

// The same counterbore over a D6.6 bore in a block so thick that the bore is drilled half from each side: the
// lower half is a plain drilled hole of its own.
class ProcessTreeCheckSplit : public ProcessTreeCheck {
protected:
    void SetUp() override { build(120, 6.6); }
};

// The user took the unreviewed row the run added out of the counterbore table, whose own window does not take
// the 50 degree chamfer, and no other table has the hole's form: checked, the hole gets no row. Both halves
// stay as they were, each drilling its share of the bore.
TEST_F(ProcessTreeCheckSplit, AHoleNoTableTakesKeepsBothHalvesOfItsSplit) {
    const std::string shippedRows = plat::readFile(library() + "Counterbored.txt").value_or("");
    ASSERT_FALSE(shippedRows.empty());
    executeOnce();
    const std::string top = "Counterbored **12x5.84; split by depth; adapted: no table has the exact form of the "
                            "hole (44.0deg chamfer outside the table) - 1";
    const std::string bottom = "Counterbored **12x5.84; split by depth  Drilled D6.6 - 1";
    ASSERT_EQ(outline(), (std::vector<std::string>{kTop, "  " + top, kBottom, "  " + bottom}));
    const std::vector<std::string> topOperations = operationsOf(top), bottomOperations = operationsOf(bottom);
    ASSERT_FALSE(bottomOperations.empty());
    ASSERT_TRUE(plat::writeFile(library() + "Counterbored.txt", shippedRows));

    script()
        .click(kMenu, kViewProcess)
        .treeRClick(kProcessTree, kTree, kTop + "/" + top)
        .menu(25)
        .answer(plat::IDOK)
        .click(kProcessTree, plat::IDOK)
        .click(kMenu, plat::IDOK);
    m_main();
    expectScriptPlayed();
    EXPECT_EQ(count("msgbox owner=- type=OK caption=\"Forantix\" text=\"No table of the library has the form of this hole:"), 1);
    EXPECT_EQ(outline(), (std::vector<std::string>{kTop, "  " + top, kBottom, "  " + bottom}))
        << plat::lastSnapshot(kProcessTree);
    EXPECT_EQ(operationsOf(top), topOperations);
    EXPECT_EQ(operationsOf(bottom), bottomOperations);
}

}  // namespace
