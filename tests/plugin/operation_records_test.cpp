// Operation records made from computed definitions, their comments and tool-number prefixes.
#include <gtest/gtest.h>

#include <functional>
#include <numbers>

#include "plugin/base/globals.h"
#include "plugin/engine/operation_comments.h"
#include "plugin/model/ope_list.h"
#include "plugin/engine/operation_records.h"
#include "plugin/engine/operation_values.h"
#include "plugin/model/process_ope.h"
#include "plugin/model/tab_cols_desc.h"
#include "plugin/model/tree.h"
#include "support/process_fixture.h"

namespace {

namespace C = process_calc;
using namespace process_ope;

class OperationRecords : public ProcessFixture {};

TEST_F(OperationRecords, ToolNumberPrefixes) {
    struct CASE {
        const char* what;
        const char* prefix;
        const char* comment;
        int number;
        const char* expected;
    } cases[] = {
        {"an old prefix is replaced", "T", "T05 Drilling dia5.000", 7, "T07 Drilling dia5.000"},
        {"a digit then a letter is no prefix", "T", "T5x Drilling", 7, "T07 T5x Drilling"},
        {"the prefix letter without digits stays", "T", "Tapping M6", 12, "T12 Tapping M6"},
        {"a prefix of three characters", "Tol", "Tol123 Drilling", 4, "Tol04 Drilling"},
        {"a prefix alone", "T", "T05", 3, "T03 "},
        {"no number changes nothing", "T", "T05 Drilling", -1, "T05 Drilling"},
    };
    for (const CASE& c : cases) {
        std::snprintf(g_txtOpNumberPrefix, sizeof g_txtOpNumberPrefix, "%s", c.prefix);
        OPE_LIST op;
        setFieldText(op.comment, c.comment);
        EXPECT_EQ(setOperationNumberPrefix(op, c.number), 0);
        EXPECT_STREQ(op.comment, c.expected) << c.what;
    }
    g_txtOpNumberPrefix[0] = 0;
}

TEST_F(OperationRecords, CommentsByUnitsAndKind) {
    OPE_LIST drill;
    drill.toolType = 3;
    drill.toolDiam = 5;
    drill.zSup = 0;
    drill.zInf = -12;
    setUnitTolerances(false);
    composeOperationName(drill, nullptr);
    EXPECT_STREQ(drill.comment, "Drilling  dia5.00000 depth12.0000");
    setUnitTolerances(true);
    setFieldText(drill.toolName, "MY DRILL");
    composeOperationName(drill, nullptr);
    EXPECT_STREQ(drill.comment, "Drilling  'MY DRILL' depth12.00");

    // A milled operation: its type line, the milled diameter at its top, its depth and the tool diameter.
    PROCESS_OPE def;
    opeSet<std::int16_t>(def, milledKind, 1);
    OPE_LIST mill;
    mill.toolType = 10;
    mill.toolDiam = 8;
    mill.milledDiam = 20;
    mill.zSup = 0;
    mill.zInf = -4;
    composeOperationName(mill, &def);
    EXPECT_EQ(std::string(mill.comment), uiText("OperationTypes", 12) + " dia20.000 depth4.00 tlDiam8.00");

    // A comment longer than its field is cut to it.
    setFieldText(drill.toolName, std::string(100, 'x'));
    composeOperationName(drill, nullptr);
    EXPECT_EQ(std::string(drill.comment).size(), OPE_LIST::kCommentSize - 1);
}

// Definitions as computed, ready for the records.
PROCESS_OPE computed(std::uint32_t type, double toolDiam) {
    PROCESS_OPE d;
    opeSet(d, operationType, type);
    opeSet(d, C::calcToolDiam, toolDiam);
    opeSet(d, C::calcZSup, 0.0);
    opeSet(d, C::calcZInf, -10.0);
    opeSet<std::uint8_t>(d, C::bottomThrough, 1);
    opeSet(d, C::calcHalfAngle, 59 * std::numbers::pi / 180);
    setOpeText(d, opName, "op");
    return d;
}

TEST_F(OperationRecords, WhichDefinitionsBecomeRecords) {
    TEST_VIEW v;
    const CIL through{.D = 5, .zTop = 0, .zBottom = -10, .through = 1};
    POINT_LIST* head = v.hole({through});
    POINT_LIST* follower = v.hole({through}, 10);
    head->nextEqual = follower;
    head->chainCount = 1;
    follower->chainMember = 1;
    const double T = g_tolerances.tolT;
    std::vector<PROCESS_OPE> defs = {computed(3, 5), computed(3, T), computed(3, T * 0.99), computed(10, 8),
                                     computed(3, 6)};
    opeSet<std::uint8_t>(defs[0], disabled, 1);
    opeSet<std::int16_t>(defs[4], milledKind, 3);
    opeSet<std::uint32_t>(defs[4], cycle, 1);
    ASSERT_EQ(createProcessFromDef(static_cast<std::int16_t>(defs.size()), defs.data(), *head, 0), 0);
    const auto ops = operations(*head);
    ASSERT_EQ(ops.size(), 3u);
    EXPECT_EQ(ops[0]->opIndex, 1u);     // the diameter equal to T is kept
    EXPECT_EQ(ops[1]->opIndex, 3u);
    EXPECT_EQ(ops[1]->flat, 1);         // a flat mill: flat, not through
    EXPECT_EQ(ops[1]->through, 0);
    EXPECT_EQ(ops[0]->through, 1);      // a drill takes its definition's flags
    EXPECT_EQ(ops[2]->cycle, 22u);      // a helix bore whatever the definition's cycle
    EXPECT_EQ(ops[1]->prev, ops[0]);
    EXPECT_NE(ops[0]->processOpe.get(), ops[1]->processOpe.get());
    EXPECT_EQ(follower->memberReprocessed, 1);

    // Every definition disabled: no records, the chain still marked.
    follower->memberReprocessed = 0;
    for (PROCESS_OPE& d : defs) opeSet<std::uint8_t>(d, disabled, 1);
    ASSERT_EQ(createProcessFromDef(static_cast<std::int16_t>(defs.size()), defs.data(), *head, 0), 0);
    EXPECT_EQ(head->opeList, nullptr);
    EXPECT_EQ(follower->memberReprocessed, 1);
}

TEST_F(OperationRecords, TapDepthExtendedByTheTapSettings) {
    struct CASE {
        const char* what;
        std::int16_t threadKind;
        bool through;
        double expected;
    } cases[] = {
        {"a blind thread of kind 2 by 200% of its pitch", 2, false, 8 + 2 * 1.0},
        {"a through thread of kind 2 by the set length", 2, true, 8 + 3},
        {"another kind is not extended", 1, false, 8},
    };
    PRM_SETTINGS& s = g_globals->settings;
    s.blindTapAddOn = 1;
    s.blindTapAddByPitch = 1;
    s.blindTapAddPercent = 200;
    s.throughTapAddOn = 1;
    s.throughTapAddByPitch = 0;
    s.throughTapAddLength = 3;
    for (const CASE& c : cases) {
        TEST_VIEW v;
        POINT_LIST* h = v.hole({{.D = 5, .zTop = 0, .zBottom = -10, .through = c.through, .opeGeo = 1,
                                 .threadDiameter = 6, .threadPitch = 1, .threadDepth = 8, .threadKind = c.threadKind}});
        PROCESS_OPE tap = computed(4, 6);
        opeSet(tap, C::calcPitch, 1.0);
        opeSet<std::uint8_t>(tap, C::bottomThrough, c.through);
        setOpeText(tap, C::threadDesignation, "M6");
        ASSERT_EQ(createProcessFromDef(1, &tap, *h, 0), 0);
        ASSERT_NE(h->opeList, nullptr);
        EXPECT_DOUBLE_EQ(h->opeList->threadDepth, c.expected) << c.what;
        char comment[32];
        std::snprintf(comment, sizeof comment, "Tapping M6 depth%.2f", c.expected);
        EXPECT_STREQ(h->opeList->comment, comment) << c.what;
    }
}

// The explanation names the table and row, then how the row fits (the hole's state word: the adapted row),
// the process and the hole's marks.
TEST_F(OperationRecords, ExplanationOfAHole) {
    struct CASE {
        const char* what;
        int tableClass;
        std::function<void(POINT_LIST&)> state;
        const char* tail;   // after "Drilled D5"
    } cases[] = {
        {"matched exactly", kTableFormClass, [](POINT_LIST&) {}, " - 1"},
        {"a row added to a form table", kTableFormClass, [](POINT_LIST& h) { h.noMeasures = 1; },
         "; measures added to the table - 1"},
        {"... to a read-only shared library", kTableFormClass,
         [](POINT_LIST& h) {
             h.noMeasures = 1;
             g_globals->sharedDataOn = 1;
         },
         "; measures needed, the shared library is read-only - 1"},
        {"a drill size added", kTableDrillSize, [](POINT_LIST& h) { h.noMeasures = 1; },
         " dia5.000; drill size added to the drill-size table - 1"},
        {"a thread added", kTableThread, [](POINT_LIST& h) { h.noMeasures = 1; },
         "; thread added to the thread table - 1"},
        {"no process", kTableFormClass, [](POINT_LIST& h) { h.processName[0] = 0; }, "; no process"},
        {"adapted, within the window", kTableFormClass, [](POINT_LIST& h) { h.adaptedRow = 0; },
         "; adapted: no table has the exact form of the hole - 1"},
        {"adapted, a chamfer outside", kTableFormClass,
         [](POINT_LIST& h) {
             h.adaptedRow = 2;
             h.outOfWindow = 1;
         },
         "; adapted: no table has the exact form of the hole (43.0deg chamfer outside the table) - 1"},
        {"adapted, the tip outside", kTableFormClass,
         [](POINT_LIST& h) {
             h.adaptedRow = 2;
             h.tipOutside = 1;
         },
         "; adapted: no table has the exact form of the hole (43.0deg 47.0deg tip, chamfer depth 1.5 outside the "
         "table) - 1"},
        {"the head of equal holes, with marks", kTableFormClass,
         [](POINT_LIST& h) {
             static POINT_LIST follower;
             h.nextEqual = &follower;
             h.chamferCheck = 1;
             h.geometryProblem = 1;
             h.notAccessible = 2;
         },
         " - 1; one of identical holes; chamfer or centre drill to check; geometry to check; cannot be reached from "
         "its side (2)"},
    };
    for (const CASE& c : cases) {
        TEST_VIEW v;
        POINT_LIST* h = v.hole({{.D = 5, .zTop = 0, .zBottom = -12, .tipTool = 1, .tipAngleDeg = 118}});
        assign(*h, "Drilled", "D5");
        h->adaptedRow = -1;
        h->adaptedWindow[0] = 43 * std::numbers::pi / 180;
        h->adaptedWindow[1] = 1.5;
        h->adaptedWindow[3] = 47 * std::numbers::pi / 180;
        g_globals->sharedDataOn = 0;
        g_globals->sharedAccessMode = 0;
        c.state(*h);
        const HOLE_EXPLANATION e = explainHole(*h, c.tableClass);
        EXPECT_EQ(e.head, "Drilled D5") << c.what;
        EXPECT_EQ(e.tail, c.tail) << c.what;
        h->nextEqual = nullptr;
    }
}

TEST_F(OperationRecords, TheStoredExplanationIsAsMuchAsItsFieldHoldsAndARowTextShowsTheFittingRow) {
    TEST_VIEW v;
    POINT_LIST* h = v.hole({{.D = 5, .zTop = 0, .zBottom = -12, .tipTool = 1, .tipAngleDeg = 118}});
    assign(*h, "Drilled", "D5");
    ASSERT_EQ(apply(*h), 0);
    h->adaptedRow = -1;
    setFieldText(h->rowName, "renamed");
    buildOperationWhyText(*h, "row");
    EXPECT_EQ(operationWhyText(*h), "Drilled D5 row - 1");   // the row that fits, not the name kept
    setFieldText(h->rowName, std::string(70, 'r'));
    buildOperationWhyText(*h, "");
    const std::string whole = explainHole(*h, kTableFormClass).whole();
    ASSERT_GT(whole.size(), sizeof(POINT_LIST::whyText));
    EXPECT_EQ(operationWhyText(*h), whole.substr(0, sizeof(POINT_LIST::whyText) - 1));
}

}  // namespace
