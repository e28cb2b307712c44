// The operation editor as the user meets it: opened on operations of the shipped tables' rows, driven by a
// scripted user, with what it showed as the user left and what it leaves in its state and in the record.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <numbers>
#include <string>
#include <tuple>
#include <vector>

#include "host/api.h"
#include "host/state.h"
#include "plugin/base/globals.h"
#include "plugin/base/resource_switch.h"
#include "plugin/base/tool_types.h"
#include "plugin/configuration/editor_dialogs.h"
#include "plugin/configuration/editor_support.h"
#include "plugin/model/host_blocks.h"
#include "plugin/model/process_ope.h"
#include "plugin/model/tab_cols_desc.h"
#include "plugin/configuration/config_dialogs.h"
#include "plugin/services/configuration.h"
#include "plugin/services/tables.h"
#include "support/tables_fixture.h"

namespace {

constexpr int kEditor = 18015, kTab = CDlgEditProcessOpe::kTab;
using namespace process_ope;

// A control as the user saw it.
struct SHOWN {
    std::string text;
    bool enabled = false, visible = false;
    int check = 0, selected = -1;
    std::vector<std::string> items;
};

class OperationEditorTest : public TablesFixture {
protected:
    void SetUp() override {
        TablesFixture::SetUp();
        installShippedTables();
        g_threadTables->count = 0;
        loadThreadTables();
        // The sign texts, as the plug-in's start takes them.
        std::strcpy(g_txtPlus, "+");
        std::strcpy(g_txtMinus, "-");
    }
    void TearDown() override {
        plat::driver().transcript().setEcho({});
        TablesFixture::TearDown();
    }
    CConfigProcess& config() { return *g_configProcess; }
    CDlgEditProcessOpe& editor() { return config().editor; }

    // The editor set as the configuration sets it for operation `index` of the process of row `rowName`.
    void openOn(const std::string& table, const std::string& rowName, int index) {
        form = CTabColsDesc{};
        ASSERT_EQ(form.read(tablePath(table)), 0);
        ASSERT_GT(form.readRows(), 0);
        const int r = form.findRowByName(rowName);
        ASSERT_GE(r, 0);
        form.getRow(r, row);
        ASSERT_EQ(form.buildFormSteps(row), 0);
        const int n = form.readProcess(row[static_cast<std::size_t>(form.processColumn - 1)], config().operations.data());
        ASSERT_GT(n, index);
        config().operationCount = static_cast<std::int16_t>(n);
        config().fillEditorFromOperation(config().operations[static_cast<std::size_t>(index)]);
        CDlgEditProcessOpe& e = editor();
        e.operations = config().operations.data();
        e.operationCount = static_cast<std::int16_t>(n);
        e.operationIndex = static_cast<std::int16_t>(index);
        e.formTable = &form;
        e.currentPage = 0;
    }

    // Plays the script with the user leaving by `last`; `shown` holds the editor as it was then.
    // `answers` answer the message boxes that leaving shows.
    int run(int last = plat::IDCANCEL, const std::vector<int>& answers = {}) {
        script().click(kEditor, last);
        for (int a : answers) script().answer(a);
        const std::string leaving = "user click " + std::to_string(kEditor) + " " + std::to_string(last);
        plat::driver().transcript().setEcho([this, leaving](const std::string& line) {
            if (alsoEcho) alsoEcho(line);
            if (line != leaving) return;
            const plat::Dialog* d = plat::Dialog::shown(kEditor);
            caption = d->windowText();
            shown.clear();
            for (const auto& c : d->controls()) {
                SHOWN s{c->text(), c->enabled(), c->visible(), c->check(), c->curSel(), {}};
                for (int i = 0; i < c->count(); ++i) s.items.push_back(c->itemText(i));
                shown[c->id()] = s;
            }
        });
        const int result = doModalInPluginRes(editor());
        plat::driver().transcript().setEcho({});
        expectScriptPlayed();
        return result;
    }
    const SHOWN& at(int id) { return shown[id]; }

    // The entry of a tool type in the tool-type combo (centre drills not offered).
    static int toolEntry(int type) {
        int n = 0;
        for (const TOOL_OP_TYPE* t = g_toolOpTypes; t->type >= 0; ++t) {
            if (t->toolName[0] == '\0' || t->type == 1) continue;
            if (t->type == type) return n;
            ++n;
        }
        return -1;
    }
    // A milled operation of `kind` as the caller hands it over (its cycle entry is set on opening).
    void milled(std::int16_t kind, double toolDiameter) {
        editor().milledKind = kind;
        editor().assoc[kToolDiamBlock].value = toolDiameter;
        editor().assoc[kToolDiamBlock].mode = 0;
    }

    CTabColsDesc form;
    std::vector<std::string> row;
    std::map<int, SHOWN> shown;
    std::string caption;
    std::function<void(const std::string&)> alsoEcho;   // sees the transcript's lines while run() plays
};

TEST_F(OperationEditorTest, AHelixBoreOpensOnItsCycleAndItsPage) {
    openOn("Drilled", "D8", 1);
    milled(kHelixBore, 6);
    editor().cycleIndex = 3;
    editor().currentPage = 1;
    run();
    EXPECT_EQ(at(4060).selected, 22);
    EXPECT_EQ(editor().cycleIndex, 22);
    EXPECT_TRUE(at(kTab).visible);
    EXPECT_EQ(at(kTab).selected, 1);
    ASSERT_EQ(at(kTab).items.size(), 2u);
    EXPECT_EQ(at(kTab).items[0], "      General");
    EXPECT_EQ(at(kTab).items[1], "      Helix bore");
    // The helix page alone: the general page and the other kinds' controls are hidden.
    EXPECT_TRUE(at(4074).visible);
    EXPECT_TRUE(at(18090).visible);
    EXPECT_FALSE(at(4058).visible);
    EXPECT_FALSE(at(4023).visible);
    EXPECT_FALSE(at(18098).visible);
    EXPECT_EQ(caption, "Operation");
}

TEST_F(OperationEditorTest, ADrillingOperationShowsTheGeneralPageWithoutTabs) {
    openOn("Drilled", "D8", 1);
    editor().currentPage = 1;   // where a milled operation edited before left the editor
    run();
    EXPECT_EQ(editor().currentPage, 0);
    EXPECT_FALSE(at(kTab).visible);
    EXPECT_TRUE(at(4058).visible);
    EXPECT_FALSE(at(4074).visible);
    EXPECT_FALSE(at(4023).visible);
    EXPECT_EQ(at(4058).items[static_cast<std::size_t>(at(4058).selected)], "Drill");
    EXPECT_EQ(at(4142).text, "Tool type");
    EXPECT_EQ(at(4144).text, "Tool diameter");
}

// A tap bound to a thread step shows the thread and takes its diameter from the first thread table; a drill
// on a fitted step leaves the drill-size table's allowance.
TEST_F(OperationEditorTest, TheAssociatedToolDiameterComesFromTheThreadOrDrillSizeTable) {
    openOn("Tapped", "M8", 2);
    ASSERT_EQ(editor().toolType, 4);
    ASSERT_EQ(editor().assoc[kToolDiamBlock].mode, 1);
    editor().assoc[kToolDiamBlock].value = 6.75;   // the step's tap drill, as the binding leaves it
    run();
    EXPECT_EQ(at(4101).text, "D =M8");
    EXPECT_EQ(at(4068).text, "8.00");
    EXPECT_FALSE(at(4068).enabled);
    EXPECT_EQ(editor().threadTableCount, 2);

    // The same form with its step marked as a fit (flag 2).
    std::string tab = bytesOf(tablePath("Drilled"));
    const std::string plain = "\"D\" 0 0", fitted = "\"D\" 2 0";
    ASSERT_NE(tab.find(plain), std::string::npos);
    tab.replace(tab.find(plain), plain.size(), fitted);
    ASSERT_TRUE(plat::writeFile(tablePath("Fitted"), tab));
    std::filesystem::copy_file(tablesDir + "/Drilled.txt", tablesDir + "/Fitted.txt");
    openOn("Fitted", "D4", 1);
    ASSERT_EQ(editor().toolType, 3);
    ASSERT_EQ(form.formSteps[0].threaded, 2);
    editor().assoc[kToolDiamBlock].value = 4;
    run();
    EXPECT_EQ(at(4068).text, "3.84");   // 4 less the allowance 0.16 of the drill-size row 4
    EXPECT_EQ(at(4101).text, "D =4.00");
}

TEST_F(OperationEditorTest, AReadOnlyStationChangesNothingButMayLook) {
    g_globals->sharedDataOn = 1;
    g_globals->sharedAccessMode = 0;
    openOn("Drilled", "D8", 1);
    run();
    EXPECT_EQ(caption, "Operation (read only)");
    const int locked[] = {4083, 4062, 4107, 4111, 4110, 4106, 4105, 4117, 4116, 4362, 4039, 4019, 4344, 4108, 4109,
                          4103, 4102, 4104, 4092, 4088, 4315, 4314, 4054, 4053, 4056, 4055, 4050, 4052, 4051, 4044,
                          4049, 4024, 4023, 4020, 4041, 18057, 4094, 4031, 4261, 4262, 4060, 4061, 4063, 4059, 4064,
                          4069, 4098, 4089, 4070, 4071, 4087, 4065, 4067, 4072, 4040, 4036, 4058, 4068, 4113, 4057};
    for (int id : locked) EXPECT_FALSE(at(id).enabled) << id;
    for (int id : {plat::IDOK, plat::IDCANCEL, kTab}) EXPECT_TRUE(at(id).enabled) << id;

    // A station that may write keeps them.
    g_globals->sharedAccessMode = 1;
    run();
    EXPECT_EQ(caption, "Operation");
    EXPECT_TRUE(at(4094).enabled);
    EXPECT_TRUE(at(4058).enabled);
}

TEST_F(OperationEditorTest, TheMilledTabIsRefusedWithoutAToolDiameter) {
    openOn("Drilled", "D8", 1);
    milled(kContour, 0);
    script().select(kEditor, kTab, 1).answer(plat::IDOK);
    run();
    EXPECT_TRUE(transcript().contains(R"(caption="Forantix" text="Enter the tool diameter first.")"));
    EXPECT_EQ(at(kTab).selected, 0);
    EXPECT_EQ(editor().currentPage, 0);
    EXPECT_TRUE(at(4058).visible);
    EXPECT_FALSE(at(4023).visible);

    // With a diameter the page changes.
    milled(kContour, 6);
    script().select(kEditor, kTab, 1);
    run();
    EXPECT_EQ(editor().currentPage, 1);
    EXPECT_TRUE(at(4023).visible);
    EXPECT_TRUE(at(18084).visible);
    EXPECT_FALSE(at(18080).visible);
    EXPECT_FALSE(at(4058).visible);
}

// A new tool type brings its default cycle, except on a circle mill, which keeps its own.
TEST_F(OperationEditorTest, AToolTypeBringsItsDefaultCycle) {
    struct CASE {
        const char* what;
        std::int16_t kind;
        int type, cycle;
    };
    const CASE cases[] = {
        {"a reamer reams", kMilledNone, 6, 4},
        {"a right-hand tap taps", kMilledNone, 4, 3},
        {"a boring bar bores", kMilledNone, 7, 6},
        {"a counterbore drills", kMilledNone, 8, 0},
        {"a circle mill keeps its cycle", kCircleMill, 6, 20},
    };
    for (const CASE& c : cases) {
        SCOPED_TRACE(c.what);
        openOn("Drilled", "D8", 1);
        if (c.kind != kMilledNone) milled(c.kind, 6);
        script().select(kEditor, 4058, toolEntry(c.type));
        run();
        EXPECT_EQ(editor().toolType, c.type);
        EXPECT_EQ(at(4060).selected, c.cycle);
        EXPECT_EQ(editor().cycleIndex, c.cycle);
    }
}

TEST_F(OperationEditorTest, OnlyDrillingToolsKeepTheFirstDrillsPercentage) {
    struct CASE {
        int type;
        std::int16_t mode;
        bool percentOffered;
    };
    for (const CASE c : {CASE{3, 3, true}, CASE{8, 1, false}, CASE{12, 3, true}, CASE{6, 1, false}}) {
        SCOPED_TRACE(c.type);
        openOn("Drilled", "D8", 1);
        editor().assoc[kBottomZBlock].mode = 3;
        script().select(kEditor, 4058, toolEntry(c.type));
        run();
        EXPECT_EQ(editor().assoc[kBottomZBlock].mode, c.mode);
        EXPECT_EQ(at(4087).check, c.mode == 3 ? 1 : 0);
        EXPECT_EQ(at(4071).check, c.mode == 1 ? 1 : 0);
        EXPECT_EQ(at(4087).enabled, c.percentOffered);
        EXPECT_EQ(at(4089).enabled, c.mode == 3);
        EXPECT_EQ(at(4069).enabled, c.mode == 1);
    }
}

// Percent-of-tool pairs: each edit the user types in sets its partner, and a partner set so does not write
// back.
TEST_F(OperationEditorTest, APercentOfTheToolSetsItsValueAndBack) {
    openOn("Drilled", "D8", 1);
    milled(kCircleMill, 8);
    editor().operation.set<std::uint8_t>(circleMillBlock + circle_fields::roughOn, 1);
    editor().currentPage = 1;
    script().type(kEditor, 4088, "25");
    run();
    EXPECT_EQ(at(4092).text, "2.0");
    EXPECT_EQ(at(4088).text, "25");

    script().type(kEditor, 4092, "4");
    run();
    EXPECT_EQ(at(4088).text, "50.0");
    EXPECT_EQ(at(4092).text, "4");

    // The contour's lead-in radius, and the radii follow a new tool diameter.
    milled(kContour, 10);
    PROCESS_OPE& op = editor().operation;
    op.set<std::uint8_t>(hostBlock168 + op_lead_layout::on, 1);
    op.set<std::uint8_t>(hostBlock168 + op_lead_layout::entry, 1);
    op.set<double>(hostBlock168 + op_lead_layout::entry + op_lead_layout::radiusPercent, 20);
    op.set<double>(hostBlock168 + op_lead_layout::exit + op_lead_layout::radiusPercent, 30);
    script().select(kEditor, kTab, 0).type(kEditor, 4068, "12");
    run();
    EXPECT_DOUBLE_EQ(op.get<double>(hostBlock168 + op_lead_layout::entry + op_lead_layout::arcRadius), 2.4);
    EXPECT_DOUBLE_EQ(op.get<double>(hostBlock168 + op_lead_layout::exit + op_lead_layout::arcRadius), 3.6);
    EXPECT_EQ(at(4106).text, "2.40");
    EXPECT_EQ(at(4111).text, "3.60");
    script().select(kEditor, kTab, 1).type(kEditor, 4106, "6");
    run();
    EXPECT_EQ(at(4105).text, "50.0");
}

TEST_F(OperationEditorTest, ACommentKeepsItsFirst120Characters) {
    openOn("Drilled", "D8", 1);
    std::string typed;
    for (int i = 0; i < 130; ++i) typed += static_cast<char>('a' + i % 26);
    script().type(kEditor, 4094, typed);
    run(plat::IDOK);
    EXPECT_EQ(at(4094).text, typed.substr(0, 120));
    EXPECT_EQ(editor().comment, typed.substr(0, 120));
    PROCESS_OPE slot;
    EXPECT_EQ(config().fillOperationFromEditor(&slot, row), 0);
    EXPECT_EQ(opeText(slot, opName), typed.substr(0, 120));
}

// The offset of the tool diameter is added for the tools that cut outside the hole (chamfer mills and
// countersinks) and taken off for every other.
TEST_F(OperationEditorTest, TheToolDiameterOffsetTakesItsSignFromTheToolType) {
    struct CASE {
        int type;
        const char* sign;
        double offset;
    };
    for (const CASE c : {CASE{12, "+", 0.2}, CASE{9, "+", 0.2}, CASE{10, "-", -0.2}, CASE{3, "-", -0.2}}) {
        SCOPED_TRACE(c.type);
        openOn("Drilled", "D8", 1);   // a drill associated to the form: its offset may be set
        script().select(kEditor, 4058, toolEntry(c.type)).click(kEditor, 4019).type(kEditor, 4039, "0.2");
        run(plat::IDOK);
        EXPECT_EQ(at(4362).text, c.sign);
        EXPECT_TRUE(at(4362).enabled);
        EXPECT_TRUE(at(4039).enabled);
        EXPECT_EQ(editor().assoc[kToolDiamBlock].offsetOn, 1);
        EXPECT_DOUBLE_EQ(editor().assoc[kToolDiamBlock].offset, c.offset);
    }
    // The sign button turns it round.
    openOn("Drilled", "D8", 1);
    script().click(kEditor, 4019).click(kEditor, 4362).type(kEditor, 4039, "0.1");
    run(plat::IDOK, {plat::IDOK});   // a positive offset of a drill is confirmed
    EXPECT_EQ(at(4362).text, "+");
    EXPECT_DOUBLE_EQ(editor().assoc[kToolDiamBlock].offset, 0.1);
}

TEST_F(OperationEditorTest, TheHelixBoresPassesEnableTheirFields) {
    openOn("Drilled", "D8", 1);
    milled(kHelixBore, 6);
    PROCESS_OPE& op = editor().operation;
    op.set<std::int16_t>(helixBoreBlock + helix_fields::roughPasses, 1);
    op.set<double>(helixBoreBlock + helix_fields::roughPitch, 2);
    editor().currentPage = 1;
    script().click(kEditor, 18128);
    run();
    EXPECT_FALSE(at(4076).enabled);
    EXPECT_TRUE(at(4118).enabled);   // the tolerance with the arcs
    EXPECT_FALSE(at(4079).enabled);  // no finish pass

    script().type(kEditor, 4075, "3").click(kEditor, 4038);
    run();
    EXPECT_TRUE(at(4076).enabled);
    EXPECT_EQ(op.get<std::int16_t>(helixBoreBlock + helix_fields::roughPasses), 3);
    for (int id : {4079, 4080, 4081, 4086, 4084, 4085}) EXPECT_TRUE(at(id).enabled) << id;
    EXPECT_EQ(op.get<std::uint8_t>(helixBoreBlock + helix_fields::finishOn), 1);

    // A count beyond its field is held to it.
    script().type(kEditor, 4075, "70000");
    run(plat::IDOK);
    EXPECT_EQ(op.get<std::int16_t>(helixBoreBlock + helix_fields::roughPasses), 32767);
}

// The thread mill's cut is climb or conventional by side, hand and direction together.
TEST_F(OperationEditorTest, TheThreadMillsCutFollowsTheParityOfItsChoices) {
    openOn("Drilled", "D8", 1);
    milled(kThreadMill, 6);
    PROCESS_OPE& op = editor().operation;
    op.set<std::int16_t>(threadMillBlock + thread_fields::side, 1);   // OD, right hand, top to bottom
    editor().currentPage = 1;
    run();
    EXPECT_EQ(at(18147).text, "Climb milling");
    EXPECT_EQ(at(18142).check, 1);
    EXPECT_EQ(at(18143).check, 1);

    script().click(kEditor, 18144);
    run();
    EXPECT_EQ(at(18147).text, "Conventional milling");
    EXPECT_EQ(op.get<std::uint8_t>(threadMillBlock + thread_fields::hand), 1);

    script().click(kEditor, 18146);
    run();
    EXPECT_EQ(at(18147).text, "Climb milling");
}

TEST_F(OperationEditorTest, CalculateCutsExplainsItselfInItsTip) {
    openOn("Drilled", "D8", 1);
    milled(kCircleMill, 6);
    editor().currentPage = 1;
    script().hover(kEditor, 4344).hover(kEditor, 4049);
    run();
    EXPECT_TRUE(transcript().contains(
        "dialog.tooltip 18015 4344 width=300 delays=100/20000/100 \"Proposes the radial passes"));
    EXPECT_EQ(count("dialog.tooltip"), 1);
}

// Every field the editor stores lands at its place in the record, and loading the record into the editor
// gives the same record again.
TEST_F(OperationEditorTest, TheRecordHoldsEveryFieldOfTheEditorAtItsPlace) {
    openOn("Drilled", "D8", 1);
    milled(kHelixBore, 6);
    CDlgEditProcessOpe& e = editor();
    e.assoc[kToolDiamBlock] = {6.5, -3, 0, 0, 0, 0, 0, 0, 0, 0};
    e.assoc[kTopZBlock] = {-1.5, 0, 0, 1, 4, 7, 1, 2, 0, 0};
    e.assoc[kBottomZBlock] = {-12, 0, 0, 1, 2, 9, 0, 1, 0, 0};
    e.assoc[kHelixDiamBlock] = {9.5, -7.25, 1.5, 1, 3, 5, 1, 0, 1, 0.125};
    e.assoc[kCircleDiamBlock] = {99, 99, 99, 1, 99, 99, 1, 9, 1, 99};
    e.operation.set<std::int16_t>(helixBoreBlock + helix_fields::roughPasses, 2);
    for (int i = 0; i < 6; ++i) g_toolMaterials[i] = TOOL_MATERIAL{i + 1, "M"};   // as the plug-in's start sets them
    e.materialWanted = 1;
    e.toolMaterial = 5;
    e.fromTopZNext = 6;
    e.cornerRadius = 0.75;
    e.calcEachForm = 1;
    opeSet(e.operation, lineInt33, std::int16_t{1});
    opeSet(e.operation, lineValue34, 2.5);
    opeSet(e.operation, disabled, std::uint8_t{1});
    e.currentPage = 1;
    script()
        .type(kEditor, 4074, "1.25")
        .type(kEditor, 4076, "0.4")
        .type(kEditor, 4113, "0.3")
        .type(kEditor, 4115, "0.05")
        .type(kEditor, 4057, "0.1")
        .click(kEditor, 4038)
        .type(kEditor, 4079, "0.8")
        .type(kEditor, 4085, "90")
        .type(kEditor, 4086, "80")
        .click(kEditor, 18128)
        .type(kEditor, 4118, "0.01")
        .select(kEditor, 4026, 2)
        .select(kEditor, 4027, 1)
        .select(kEditor, kTab, 0)
        .type(kEditor, 4094, "helix first")
        .type(kEditor, 4068, "7")
        .check(kEditor, 18069, 1)
        .type(kEditor, 18072, "HSS")
        .click(kEditor, 4020)
        .type(kEditor, 4041, "0.2");
    ASSERT_EQ(run(plat::IDOK), plat::IDOK);
    // OK binds the measures to the row's form; the record must keep whatever references they hold.
    for (std::size_t k : {kTopZBlock, kBottomZBlock, kHelixDiamBlock}) {
        static const std::array<std::array<int, 3>, kAssocBlocks> refs = {{{}, {4, 1, 2}, {2, 0, 1}, {}, {}, {3, 1, 0}, {}}};
        e.assoc[k].columnId = static_cast<std::uint16_t>(refs[k][0]);
        e.assoc[k].stepEnd = static_cast<std::int16_t>(refs[k][1]);
        e.assoc[k].stepIndex = static_cast<std::int16_t>(refs[k][2]);
    }

    PROCESS_OPE slot;
    std::memset(slot.bytes, 0xA5, sizeof slot.bytes);   // what an earlier operation left there
    ASSERT_EQ(config().fillOperationFromEditor(&slot, row), 0);

    enum class K { u8, i16, u32, i32, f64 };
    struct FIELD_AT {
        const char* what;
        std::size_t at;
        K kind;
        double expected;
    };
    const FIELD_AT fields[] = {
        {"disabled, kept", 0, K::u8, 1},
        {"tool type", 84, K::u32, 3},
        {"cycle", 88, K::u32, 22},
        {"milled kind", 92, K::i16, 3},
        {"circle cycle", 94, K::i16, 0},
        {"calculate for each form", 96, K::i16, 1},
        {"tool diameter", 104, K::f64, 7},
        {"its pick depth", 112, K::f64, -3},
        {"its mode", 120, K::i16, 0},
        {"its offset on", 130, K::i16, 0},
        {"top Z", 144, K::f64, -1.5},
        {"its mode, always associated for a milled kind", 152, K::i16, 1},
        {"its column", 154, K::i16, 4},
        {"its top column", 156, K::i16, 7},
        {"its step end", 158, K::i16, 1},
        {"its step", 160, K::i16, 2},
        {"bottom Z", 168, K::f64, -12},
        {"its mode", 176, K::i16, 1},
        {"its column", 178, K::i16, 2},
        {"its top column", 180, K::i16, 9},
        {"its step end", 182, K::i16, 0},
        {"its step", 184, K::i16, 1},
        {"stock on", 186, K::i16, 1},
        {"stock", 192, K::f64, 0.2},
        {"kept", 200, K::i16, 0},
        {"before the bottom Z options", 202, K::i16, 0},
        {"from top Z", 204, K::i16, 0},
        {"after it", 206, K::i16, 6},
        {"first drill percentage", 208, K::f64, 30},
        {"corner radius choice", 216, K::i16, 0},
        {"corner radius", 224, K::f64, 0.75},
        {"kept", 232, K::i16, 1},
        {"kept", 240, K::f64, 2.5},
        {"XY stock", 248, K::f64, 0.3},
        {"wanted material", 500, K::i16, 1},
        {"its code", 502, K::i16, 5},
        {"wanted name", 504, K::i16, 1},
        {"helix diameter", 880, K::f64, 9.5},
        {"its mode", 888, K::i16, 1},
        {"its column", 890, K::i16, 3},
        {"its step end", 892, K::i16, 1},
        {"its step", 894, K::i16, 0},
        {"its top column", 896, K::i16, 5},
        {"its offset on", 898, K::i16, 1},
        {"its pick depth", 904, K::f64, -7.25},
        {"its spare", 912, K::f64, 1.5},
        {"its offset", 920, K::f64, 0.125},
        {"compensation type", hostBlock6, K::i16, 2},
        {"compensation direction", hostBlock6 + 2, K::u8, 1},
        {"Z stock", hostBlock64 + op_depth_cuts_layout::stockOnBottom, K::f64, 0.05},
        {"helix: overlap", helixBoreBlock + 16, K::f64, 0.1},
        {"bore diameter", helixBoreBlock + 24, K::f64, 9.5},
        {"rough pitch", helixBoreBlock + 40, K::f64, 1.25},
        {"rough passes", helixBoreBlock + 48, K::i16, 2},
        {"rough stepover", helixBoreBlock + 56, K::f64, 0.4},
        {"finish on", helixBoreBlock + 80, K::u8, 1},
        {"finish pitch", helixBoreBlock + 88, K::f64, 0.8},
        {"speed percentage", helixBoreBlock + 104, K::f64, 90},
        {"feed percentage", helixBoreBlock + 120, K::f64, 80},
        {"arcs", helixBoreBlock + 136, K::u8, 1},
        {"tolerance", helixBoreBlock + 144, K::f64, 0.01},
    };
    for (const FIELD_AT& f : fields) {
        double v = 0;
        switch (f.kind) {
            case K::u8: v = slot.get<std::uint8_t>(f.at); break;
            case K::i16: v = slot.get<std::int16_t>(f.at); break;
            case K::u32: v = slot.get<std::uint32_t>(f.at); break;
            case K::i32: v = slot.get<std::int32_t>(f.at); break;
            case K::f64: v = slot.get<double>(f.at); break;
        }
        EXPECT_DOUBLE_EQ(v, f.expected) << f.what << " at " << f.at;
    }
    EXPECT_EQ(opeText(slot, opName), "helix first");
    EXPECT_EQ(opeText(slot, lineText46), "HSS");
    EXPECT_EQ(opeText(slot, label), "");
    // The run-time area is not the slot's.
    for (std::size_t i = runTimeArea; i < runTimeArea + runTimeAreaSize; ++i) ASSERT_EQ(slot.bytes[i], 0) << i;
    // The host blocks are the editor's copy, byte for byte.
    EXPECT_EQ(std::memcmp(slot.bytes + hostBlock6, e.operation.bytes + hostBlock6, threadMillBlock + 168 - hostBlock6), 0);

    // Loaded back, the editor stores the same record.
    PROCESS_OPE again;
    config().fillEditorFromOperation(slot);
    ASSERT_EQ(config().fillOperationFromEditor(&again, row), 0);
    EXPECT_EQ(std::memcmp(again.bytes, slot.bytes, sizeof slot.bytes), 0);
}

// Every field the editor keeps in the record comes back as it went in, each with a value of its own so that a
// field lost or crossed with another shows; a measure block comes back without the fields its group of the
// record has no place for, and the blocks of the other milled kinds start associated.
TEST_F(OperationEditorTest, EveryFieldStoredLoadsBackAsItWent) {
    const auto giveEachItsOwnValue = [](CDlgEditProcessOpe& e, int n) {
        e.toolType = ++n;
        e.cycleIndex = static_cast<std::int16_t>(++n);
        e.circleCycleIndex = static_cast<std::int16_t>(++n);
        e.materialWanted = static_cast<std::int16_t>(++n);
        e.toolMaterial = static_cast<std::int16_t>(++n);
        e.nameWanted = static_cast<std::int16_t>(++n);
        e.fromTopZ = static_cast<std::int16_t>(++n);
        e.fromTopZNext = static_cast<std::int16_t>(++n);
        e.firstDrillPercent = ++n + 0.5;
        e.cornerRadiusChoice = ++n;
        e.cornerRadius = ++n + 0.25;
        e.calcEachForm = static_cast<std::int16_t>(++n);
        e.wantedToolName = "wanted " + std::to_string(++n);
        e.comment = "comment " + std::to_string(++n);
        e.libraryToolName = "library " + std::to_string(++n);
        for (ASSOC_VALUE& b : e.assoc) {
            b = {++n + 0.5, ++n + 0.25, ++n + 0.125, static_cast<std::int16_t>(++n), static_cast<std::uint16_t>(++n),
                 static_cast<std::uint16_t>(++n), static_cast<std::int16_t>(++n), static_cast<std::int16_t>(++n),
                 static_cast<std::int16_t>(++n), ++n + 0.75};
        }
    };
    const auto editorValues = [](const CDlgEditProcessOpe& e) {
        return std::tuple{e.toolType, e.cycleIndex, e.milledKind, e.circleCycleIndex, e.materialWanted,
                          e.toolMaterial, e.nameWanted, e.fromTopZ, e.fromTopZNext, e.firstDrillPercent,
                          e.cornerRadiusChoice, e.cornerRadius, e.calcEachForm, e.wantedToolName, e.comment,
                          e.libraryToolName};
    };
    const auto blockValues = [](const ASSOC_VALUE& b) {
        return std::tuple{b.value, b.pickY, b.spare, b.mode, b.columnId, b.topColumnId, b.stepEnd, b.stepIndex,
                          b.offsetOn, b.offset};
    };
    // What each group of the record has no place for.
    const auto withoutUnkept = [](ASSOC_VALUE b, std::size_t block) {
        if (block == kToolDiamBlock) {
            b.spare = 0;
            b.topColumnId = 0;
        } else if (block == kTopZBlock) {
            b.pickY = b.spare = b.offset = 0;
            b.offsetOn = 0;
        } else if (block == kBottomZBlock) {
            b.pickY = b.spare = 0;
        }
        return b;
    };

    for (const std::int16_t kind : {kCircleMill, kContour, kHelixBore, kThreadMill}) {
        SCOPED_TRACE(kind);
        CDlgEditProcessOpe& e = editor();
        giveEachItsOwnValue(e, 100);
        e.milledKind = kind;
        const auto sentValues = editorValues(e);
        const std::array<ASSOC_VALUE, kAssocBlocks> sentBlocks = e.assoc;
        PROCESS_OPE slot;
        ASSERT_EQ(config().fillOperationFromEditor(&slot, row), 0);

        giveEachItsOwnValue(e, 1000);   // nothing of what went in is left in the editor
        e.milledKind = kMilledNone;
        config().fillEditorFromOperation(slot);
        EXPECT_EQ(editorValues(e), sentValues);
        for (std::size_t b = 0; b < kAssocBlocks; ++b) {
            ASSOC_VALUE expected = withoutUnkept(sentBlocks[b], b);
            if (b > kBottomZBlock && b != static_cast<std::size_t>(kBottomZBlock + kind)) expected = {.mode = 1};
            EXPECT_EQ(blockValues(e.assoc[b]), blockValues(expected)) << "block " << b;
        }
    }
}

// The kind's own diameter block is the one stored: a drilling operation stores none, a contour its own.
TEST_F(OperationEditorTest, TheMilledDiameterStoredIsTheKindsOwn) {
    struct CASE {
        std::int16_t kind;
        double diameter;
    };
    CDlgEditProcessOpe& e = editor();
    for (int b = kCircleDiamBlock; b <= kThreadDiamBlock; ++b) {
        e.assoc[static_cast<std::size_t>(b)] = ASSOC_VALUE{};
        e.assoc[static_cast<std::size_t>(b)].value = 10.0 + b;
        e.assoc[static_cast<std::size_t>(b)].mode = 1;
    }
    for (const CASE c : {CASE{kMilledNone, 0}, CASE{kCircleMill, 13}, CASE{kContour, 14}, CASE{kThreadMill, 16}}) {
        e.milledKind = c.kind;
        PROCESS_OPE slot;
        std::memset(slot.bytes, 0x5A, sizeof slot.bytes);
        ASSERT_EQ(config().fillOperationFromEditor(&slot, {}), 0);
        EXPECT_DOUBLE_EQ(opeGet(slot, cylDiam), c.diameter) << c.kind;
        EXPECT_EQ(opeGet(slot, cylDiamAssoc), c.kind == kMilledNone ? 0 : 1) << c.kind;
    }
}

// The tables folder is read in one order everywhere, names compared without case; ten thread tables at most.
TEST_F(OperationEditorTest, TheEditorTakesTheFirstTenThreadTablesByName) {
    const std::string coarse = bytesOf(tablePath("Metric coarse")), rows = bytesOf(tablesDir + "/Metric coarse.txt");
    for (const char* name : {"T05", "t01", "T11", "t02", "T03", "t04", "t06", "T07", "t08", "T09", "t10"}) {
        ASSERT_TRUE(plat::writeFile(tablePath(name), coarse));
        ASSERT_TRUE(plat::writeFile(tablesDir + "/" + name + ".txt", rows));
    }
    openOn("Drilled", "D8", 1);
    run();
    ASSERT_EQ(editor().threadTableCount, 10);
    const char* expected[] = {"Metric coarse", "Metric fine", "t01", "t02", "T03", "t04", "T05", "t06", "T07", "t08"};
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(editor().threadTables[static_cast<std::size_t>(i)].name, expected[i]) << i;
        EXPECT_GT(editor().threadTables[static_cast<std::size_t>(i)].rowCount, 0) << i;
    }
    EXPECT_EQ(editor().drillSizeTable.name, "Drill sizes");
}

// Choosing a milled cycle makes the operation of that kind: its page behind a tab named after it, its hole
// diameter from the step its block is bound to on opening, and a tool of half that diameter when it had
// none. A form without steps binds nothing: the block's own diameter stands.
TEST_F(OperationEditorTest, AMilledCycleMakesTheOperationOfItsKind) {
    struct CASE {
        const char* what;
        std::int16_t stepIndex;
        double toolDiameter, blockValue;
        double hole, tool;
        std::uint16_t column;
    };
    const CASE cases[] = {
        {"a tool of half the step's diameter", 0, 0, 8, 8, 4, 2},
        {"a tool kept", 0, 5, 8, 8, 5, 2},
        {"a form without steps binds nothing", -1, 0, 6, 6, 3, 0},
    };
    for (const CASE& c : cases) {
        SCOPED_TRACE(c.what);
        openOn("Drilled", "D8", 1);
        if (c.stepIndex < 0) form.stepCount = 0;
        editor().assoc[kToolDiamBlock].value = c.toolDiameter;
        editor().assoc[kToolDiamBlock].mode = 0;
        ASSOC_VALUE& block = editor().assoc[kCircleDiamBlock];
        block = ASSOC_VALUE{};
        block.value = c.blockValue;
        block.mode = 1;
        block.columnId = 2;
        block.stepIndex = c.stepIndex;
        // The new kind's cuts are proposed at once.
        script().select(kEditor, 4060, 20).click(CDlgCircMillCalcResults::kTemplate, plat::IDCANCEL);
        run();
        EXPECT_EQ(editor().milledKind, kCircleMill);
        EXPECT_EQ(editor().cycleIndex, 20);
        EXPECT_TRUE(at(kTab).visible);
        EXPECT_EQ(at(kTab).items[1], "      Circle mill");
        EXPECT_DOUBLE_EQ(editor().operation.get<double>(circleMillBlock + circle_fields::circleDiameter), c.hole);
        EXPECT_DOUBLE_EQ(editor().assoc[kToolDiamBlock].value, c.tool);
        // The choice binds nothing; OK and the close box bind the block to its step.
        EXPECT_EQ(block.columnId, 0);
        editor().normalizeAssocValues();
        EXPECT_EQ(block.columnId, c.column);
        // A milled tool is typed; the top Z is the form's.
        EXPECT_TRUE(at(4068).enabled);
        EXPECT_FALSE(at(4063).enabled);
        EXPECT_EQ(editor().assoc[kTopZBlock].mode, 1);
    }
    // The kind it has already: only the cycle entry is taken.
    openOn("Drilled", "D8", 1);
    milled(kCircleMill, 6);
    editor().assoc[kCircleDiamBlock].value = 11;
    editor().operation.set<double>(circleMillBlock + circle_fields::circleDiameter, 11);
    script().select(kEditor, 4060, 20);
    run();
    EXPECT_DOUBLE_EQ(editor().operation.get<double>(circleMillBlock + circle_fields::circleDiameter), 11);
    // Back to a drill cycle: no tab.
    script().select(kEditor, 4060, 1);
    run();
    EXPECT_EQ(editor().milledKind, kMilledNone);
    EXPECT_FALSE(at(kTab).visible);
}

// The hole the edited operation starts from: the widest earlier drill or mill that reaches as deep.
TEST_F(OperationEditorTest, TheStartDiameterIsTheWidestEarlierToolReachingAsDeep) {
    openOn("Drilled", "D8", 1);
    PROCESS_OPE* ops = config().operations.data();
    auto op = [&](int i, std::uint32_t type, double diameter, double bottom) {
        ops[i] = PROCESS_OPE{};
        opeSet(ops[i], operationType, type);
        opeSet(ops[i], toolDiam, diameter);
        opeSet(ops[i], zInf, bottom);
    };
    op(0, 3, 5, -20);      // a drill through
    op(1, 10, 7, -10);     // a mill as deep as the edited one
    op(2, 19, 9, -9.8);    // 0.2 above: 4 T short
    op(3, 6, 12, -30);     // a reamer does not open the hole
    op(4, 3, 0, -10);      // the edited one
    CDlgEditProcessOpe& e = editor();
    e.operationCount = 5;
    struct CASE {
        std::int16_t index;
        double start;
    };
    for (const CASE c : {CASE{0, 0}, CASE{1, 5}, CASE{4, 7}}) {
        e.operationIndex = c.index;
        EXPECT_DOUBLE_EQ(e.startDiameter(), c.start) << c.index;
    }
    // An earlier tool associated to the form counts with its step's diameter; a step the row lacks, its own.
    opeSet(ops[1], toolDiamAssoc, std::int16_t{1});
    opeSet(ops[1], toolDiamCyl, std::int16_t{0});
    EXPECT_DOUBLE_EQ(e.startDiameter(), 8);
    opeSet(ops[1], toolDiamCyl, std::int16_t{9});
    EXPECT_DOUBLE_EQ(e.startDiameter(), 7);
}

TEST_F(OperationEditorTest, TheToolComesFromTheLibraryWhereTheMachineHasAGroup) {
    openOn("Drilled", "D8", 1);
    script().click(kEditor, 4062).click(kEditor, 4083).answer(plat::IDOK);
    run();
    EXPECT_TRUE(transcript().contains("text=\"The machine has no machine group."));
    EXPECT_EQ(editor().toolType, 3);

    PRM_SETTINGS& s = g_globals->settings;
    s.toolLibraryPath = dir.path() + "/mill.Tools";
    tp_tool reamer;
    reamer.type = 6;
    reamer.diameter = 6.5;
    reamer.unitFlag = 1;
    std::snprintf(reamer.name, sizeof reamer.name, "  REAMER 6.5 H7 ");
    char path[1024];
    std::snprintf(path, sizeof path, "%s", s.toolLibraryPath.c_str());
    const int slot = library_manager(kLibraryAddTool, path, &reamer);
    ASSERT_GT(slot, 0);
    op_group machine{};
    g_machineGroup = &machine;
    script().click(kEditor, 4083).libraryPick(std::to_string(slot));
    run(plat::IDOK);
    g_machineGroup = nullptr;
    EXPECT_EQ(at(4112).text, "REAMER 6.5 H7");
    EXPECT_TRUE(at(4112).enabled);
    EXPECT_FALSE(at(4068).enabled);
    EXPECT_EQ(at(4068).text, "6.5");
    EXPECT_EQ(at(4058).items[static_cast<std::size_t>(at(4058).selected)], "Reamer");
    EXPECT_EQ(editor().toolType, 6);
    EXPECT_EQ(editor().libraryToolName, "REAMER 6.5 H7");
    EXPECT_EQ(editor().assoc[kToolDiamBlock].mode, 2);
    EXPECT_DOUBLE_EQ(editor().assoc[kToolDiamBlock].value, 6.5);
    PROCESS_OPE slotOp;
    ASSERT_EQ(config().fillOperationFromEditor(&slotOp, row), 0);
    EXPECT_EQ(opeText(slotOp, toolName), "REAMER 6.5 H7");
    EXPECT_EQ(opeGet(slotOp, operationType), 6u);
}

// A mill's corner radius is typed only when asked for, and never beyond half the tool.
TEST_F(OperationEditorTest, TheCornerRadiusStaysWithinHalfTheTool) {
    openOn("Drilled", "D8", 1);
    script().select(kEditor, 4058, toolEntry(10)).click(kEditor, 4262).type(kEditor, 4031, "5").answer(plat::IDOK);
    run();
    EXPECT_TRUE(transcript().contains("text=\"The corner radius cannot be larger than half the tool diameter"));
    EXPECT_EQ(at(4031).text, "4.00");
    EXPECT_DOUBLE_EQ(editor().cornerRadius, 4);
    EXPECT_TRUE(at(4031).enabled);

    // As geometry: the edit is closed; other tools have no corner radius.
    script().click(kEditor, 4261);
    run();
    EXPECT_FALSE(at(4031).enabled);
    script().select(kEditor, 4058, toolEntry(3));
    run();
    for (int id : {4267, 4261, 4262, 4031}) EXPECT_FALSE(at(id).enabled) << id;
}

TEST_F(OperationEditorTest, ACentreDrillBecomesASpotDrillWhereTheSettingsRefuseIt) {
    openOn("Drilled", "D8", 0);
    editor().toolType = 1;
    script().answer(plat::IDOK);
    run();
    EXPECT_TRUE(transcript().contains("text=\"Centre drills are not allowed by the settings."));
    EXPECT_EQ(editor().toolType, 2);
    for (const std::string& name : at(4058).items) EXPECT_NE(name, "Center drill");

    g_globals->settings.allowCenterDrill = 1;
    editor().toolType = 1;
    run();
    EXPECT_EQ(editor().toolType, 1);
    EXPECT_EQ(at(4058).items[static_cast<std::size_t>(at(4058).selected)], "Center drill");
}

// A drilling operation reads the circle-mill and contour page back, and nothing of a milled kind's own.
TEST_F(OperationEditorTest, ADrillingOperationKeepsItsMilledBlocksAsTheyAre) {
    openOn("Drilled", "D8", 1);
    PROCESS_OPE& op = editor().operation;
    op.set<std::int16_t>(hostBlock6 + comp_fields::type, 3);
    op.set<std::uint8_t>(hostBlock6 + comp_fields::direction, 1);
    opeSet(op, cylDiam, 42.0);
    op.set<double>(circleMillBlock + circle_fields::overlap, 0.7);
    op.set<double>(helixBoreBlock + helix_fields::overlap, 0.123);     // would read back as 0.12
    op.set<double>(threadMillBlock + thread_fields::allowance, 0.015);
    run(plat::IDOK);
    EXPECT_EQ(op.get<std::int16_t>(hostBlock6 + comp_fields::type), 3);
    EXPECT_EQ(op.get<std::uint8_t>(hostBlock6 + comp_fields::direction), 1);
    EXPECT_DOUBLE_EQ(opeGet(op, cylDiam), 42);
    EXPECT_DOUBLE_EQ(op.get<double>(circleMillBlock + circle_fields::overlap), 0.7);
    EXPECT_DOUBLE_EQ(op.get<double>(helixBoreBlock + helix_fields::overlap), 0.123);
    EXPECT_DOUBLE_EQ(op.get<double>(threadMillBlock + thread_fields::allowance), 0.015);
    EXPECT_EQ(at(4049).text, "0.70");
    EXPECT_EQ(at(4121).text, "0.01");
}

// What each mode of the tool diameter and of the bottom Z opens for typing.
TEST_F(OperationEditorTest, EachModeOpensItsOwnFields) {
    struct CASE {
        int radio;
        std::int16_t block, mode;
        std::vector<int> enabled, disabled;
    };
    const CASE cases[] = {
        {4061, kToolDiamBlock, 0, {4068, 18068, 18069}, {4019, 4112, 4083}},
        {4063, kToolDiamBlock, 1, {4019, 18068, 18069}, {4068, 4112, 4083}},
        {4062, kToolDiamBlock, 2, {4112, 4083}, {4068, 4019, 18068, 18069, 18071, 18072}},
        {4070, kBottomZBlock, 0, {4040, 4098}, {4069, 4100, 4089, 4020}},
        {4071, kBottomZBlock, 1, {4069, 4100, 4020}, {4040, 4098, 4089}},
        {4087, kBottomZBlock, 3, {4089}, {4040, 4098, 4069, 4100, 4020}},
    };
    for (const CASE& c : cases) {
        SCOPED_TRACE(c.radio);
        openOn("Drilled", "D8", 1);
        script().click(kEditor, c.radio);
        run();
        EXPECT_EQ(editor().assoc[static_cast<std::size_t>(c.block)].mode, c.mode);
        EXPECT_EQ(at(c.radio).check, 1);
        for (int id : c.enabled) EXPECT_TRUE(at(id).enabled) << id;
        for (int id : c.disabled) EXPECT_FALSE(at(id).enabled) << id;
    }
}

// Choosing to associate a typed top Z starts its pick at once; a fixed top Z is typed.
TEST_F(OperationEditorTest, AssociatingTheTopZPicksItAtOnce) {
    openOn("Drilled", "D8", 1);
    editor().assoc[kTopZBlock].mode = 0;
    script().click(kEditor, 4067);
    EXPECT_EQ(doModalInPluginRes(editor()), 502);
    expectScriptPlayed();
    EXPECT_EQ(editor().endCode, 502);
    EXPECT_EQ(editor().assoc[kTopZBlock].mode, 1);

    // Opened again after the pick, going back to a fixed top Z opens its edit.
    script().click(kEditor, 4065);
    run();
    EXPECT_EQ(editor().assoc[kTopZBlock].mode, 0);
    EXPECT_TRUE(at(4036).enabled);
}

// ---- binding to the form and the checks of OK ----

// The message boxes shown since transcript line `from`, their texts as recorded.
std::vector<std::string> messagesSince(const plat::Transcript& t, std::size_t from) {
    std::vector<std::string> out;
    for (std::size_t i = from; i < t.lines().size(); ++i) {
        const std::string& line = t.lines()[i];
        const std::size_t at = line.find("text=\"");
        if (line.rfind("msgbox", 0) == 0 && at != std::string::npos) out.push_back(line.substr(at + 6));
    }
    return out;
}

// Measures equal to a step's diameter or depth, within the binding's tolerance, refer to that step; a
// chamfer tool's top Z at the lower end of a step refers to the start of the next one.
TEST_F(OperationEditorTest, TheMeasuresAreBoundToTheStepsTheyEqual) {
    openOn("Counterbored", "CB9", 1);
    ASSERT_GE(form.stepCount, 2);
    const TAB_FORM_STEP s0 = form.formSteps[0], s1 = form.formSteps[1];
    const int last = form.stepCount - 1;
    const TAB_FORM_STEP sLast = form.formSteps[static_cast<std::size_t>(last)];
    const double near = 0.3 * g_tolerances.tolT;   // within 0.4T
    struct CASE {
        const char* what;
        int toolType;
        std::size_t block;
        double value, pickY;
        int columnId, stepIndex, stepEnd;
    };
    const CASE cases[] = {
        {"a tool of the first step's diameter", 3, kToolDiamBlock, s0.startDiameter + near, 0, s0.diameterColumn, 0, 0},
        {"a tool picked at the second step's bottom", 3, kToolDiamBlock, s1.startDiameter, s1.bottomDepth,
         s1.diameterColumn, 1, 1},
        {"a tool of no step's diameter", 3, kToolDiamBlock, 0.123, 0, 0, 0, 0},
        {"a top Z at the first step's bottom", 3, kTopZBlock, s0.bottomDepth, 0, s0.lengthColumn, 0, 1},
        {"a chamfer tool's top Z there is the next step's start", 12, kTopZBlock, s0.bottomDepth, 0,
         s0.lengthColumn, 1, 0},
        {"a chamfer tool's top Z at the last step's bottom stays", 9, kTopZBlock, sLast.bottomDepth, 0,
         sLast.lengthColumn, last, 1},
        {"a bottom Z at the second step's bottom", 3, kBottomZBlock, s1.bottomDepth - near, 0, s1.lengthColumn, 1, 1},
    };
    for (const CASE& c : cases) {
        SCOPED_TRACE(c.what);
        CDlgEditProcessOpe& e = editor();
        e.toolType = c.toolType;
        e.milledKind = 0;
        for (ASSOC_VALUE& b : e.assoc) b.value = 1e6;   // nothing else binds
        ASSOC_VALUE& b = e.assoc[c.block];
        b = ASSOC_VALUE{};
        b.value = c.value;
        b.pickY = c.pickY;
        b.columnId = 77;
        b.stepIndex = 5;
        e.normalizeAssocValues();
        EXPECT_EQ(b.columnId, c.columnId);
        EXPECT_EQ(b.stepIndex, c.stepIndex);
        EXPECT_EQ(b.stepEnd, c.stepEnd);
    }
    // A circle mill's hole diameter binds too and becomes the circle-mill block's diameter; a negative mode
    // of a milled diameter is fixed.
    CDlgEditProcessOpe& e = editor();
    e.milledKind = kCircleMill;
    e.assoc[kCircleDiamBlock] = ASSOC_VALUE{};
    e.assoc[kCircleDiamBlock].value = s1.startDiameter;
    e.assoc[kHelixDiamBlock].mode = -1;
    e.normalizeAssocValues();
    EXPECT_EQ(e.assoc[kCircleDiamBlock].columnId, s1.diameterColumn);
    EXPECT_EQ(e.assoc[kCircleDiamBlock].stepIndex, 1);
    EXPECT_EQ(e.assoc[kHelixDiamBlock].mode, 0);
    EXPECT_DOUBLE_EQ(e.operation.get<double>(circleMillBlock + circle_fields::circleDiameter), s1.startDiameter);
}

// What OK refuses, warns about and lets through: the user always gets out with OK or Cancel and is told
// why OK was refused.
TEST_F(OperationEditorTest, OkChecksTheOperationAndSaysWhy) {
    struct CASE {
        const char* what;
        int toolType;
        std::int16_t kind;
        double tool, hole;
        int toolMode;            // 1: the tool follows the row's diameter column
        double offset;           // with the offset on when not 0
        std::int16_t sign;
        double helixPercent;     // circle mill: helical entry on when not 0
        std::vector<int> answers;
        int result;              // IDCANCEL: OK was refused and the user left with Cancel
        std::vector<std::string> messages;
    };
    const CASE cases[] = {
        {"a tool below 0.4T", 3, 0, 0.005, 0, 0, 0, -1, 0, {plat::IDOK}, plat::IDCANCEL,
         {"Enter the tool diameter first."}},
        {"a drill", 3, 0, 8, 0, 1, 0, -1, 0, {}, plat::IDOK, {}},
        {"an offset leaving no tool on a row of the process", 3, 0, 8, 0, 1, -3.5, -1, 0, {plat::IDOK},
         plat::IDCANCEL, {"Row D3: with this diameter offset no tool is left of the diameter 3.00."}},
        {"an offset leaving no typed tool", 3, 0, 8, 0, 0, -8, -1, 0, {plat::IDOK}, plat::IDCANCEL,
         {"With this diameter offset no tool is left."}},
        {"a positive offset of a drill, kept", 3, 0, 8, 0, 0, 0.2, 1, 0, {plat::IDOK}, plat::IDOK,
         {"The diameter offset is usually negative. Keep it positive?"}},
        {"a negative offset of a chamfer tool, refused", 12, 0, 8, 0, 0, -0.2, -1, 0, {plat::IDCANCEL},
         plat::IDCANCEL, {"The diameter offset of a chamfer tool is usually positive. Keep it negative?"}},
        {"a circle mill with a drill, refused", 3, kCircleMill, 6, 12, 0, 0, -1, 0, {plat::IDCANCEL},
         plat::IDCANCEL, {"A circle mill is usually made with an end mill. Keep this tool type?"}},
        {"a contour with a drill, refused", 3, kContour, 6, 12, 0, 0, -1, 0, {plat::IDCANCEL}, plat::IDCANCEL,
         {"A contour is usually milled with an end mill. Keep this tool type?"}},
        {"a tool too large for the hole still closes", 10, kCircleMill, 10, 10.1, 0, 0, -1, 0, {plat::IDOK},
         plat::IDOK, {"The tool (10.00) is too large for the hole (10.10)."}},
        {"a helical entry too wide proposes a radius and a step", 10, kCircleMill, 10, 12, 0, 0, -1, 10,
         {plat::IDOK}, plat::IDOK,
         {"The tool and its entry do not fit into the hole.\\nHelical entry radius at most 4.81 % of the tool "
          "diameter.\\nStepover at most 0.48."}},
        {"a circle mill that fits", 10, kCircleMill, 6, 12, 0, 0, -1, 10, {}, plat::IDOK, {}},
        {"a contour that fits", 17, kContour, 6, 12, 0, 0, -1, 0, {}, plat::IDOK, {}},
    };
    for (const CASE& c : cases) {
        SCOPED_TRACE(c.what);
        openOn("Drilled", "D8", 1);
        CDlgEditProcessOpe& e = editor();
        e.processName = row[static_cast<std::size_t>(form.processColumn - 1)];
        milled(c.kind, c.tool);
        e.assoc[kToolDiamBlock].mode = static_cast<std::int16_t>(c.toolMode);
        e.assoc[kToolDiamBlock].offsetOn = c.offset != 0 ? 1 : 0;
        e.assoc[kToolDiamBlock].offset = c.offset;
        e.offsetSign = c.sign;
        e.assoc[kCircleDiamBlock].value = c.hole;
        e.assoc[kContourDiamBlock].value = c.hole;
        e.operation.set<std::uint8_t>(circleMillBlock + circle_fields::helixOn, c.helixPercent != 0 ? 1 : 0);
        e.operation.set<double>(circleMillBlock + circle_fields::helixMaxPercent, c.helixPercent);
        script().select(kEditor, 4058, toolEntry(c.toolType));
        // The tool diameter as the user typed it last: the tool type's choice may have shown another.
        if (c.kind != 0) script().type(kEditor, 4068, numberText("%.3f", c.tool));
        const std::size_t from = transcript().lines().size();
        if (c.result == plat::IDCANCEL) {
            script().click(kEditor, plat::IDOK);
            for (int a : c.answers) script().answer(a);
            EXPECT_EQ(run(plat::IDCANCEL), plat::IDCANCEL);
        } else {
            EXPECT_EQ(run(plat::IDOK, c.answers), plat::IDOK);
            if (c.kind != 0) {
                EXPECT_DOUBLE_EQ(opeGet(e.operation, toolDiam), c.tool);
            }
        }
        EXPECT_EQ(messagesSince(transcript(), from).size(), c.messages.size());
        for (const std::string& m : c.messages) EXPECT_TRUE(transcript().contains("text=\"" + m + "\"")) << m;
    }
}

// OK refuses a pitch or depth step near 0 that the milled kind turns or cuts by, as it refuses a tool without
// diameter: its toolpath would take as many turns as the height holds such steps. A finish pitch of 0 climbs
// at the rough pitch, and a depth step is only read with the depth cuts on.
TEST_F(OperationEditorTest, OkRefusesAPitchOrDepthStepNearZero) {
    struct CASE {
        const char* what;
        std::int16_t kind;
        std::vector<std::pair<std::size_t, double>> values;   // at, value in the record as the editor opens
        bool depthCuts, finish;
        const char* refused;   // the label of the value refused; "" when OK takes the operation
    };
    const std::size_t thread = threadMillBlock + thread_fields::pitch, rough = helixBoreBlock + helix_fields::roughPitch,
                      finish = helixBoreBlock + helix_fields::finishPitch,
                      step = hostBlock64 + op_depth_cuts_layout::maxRough;
    const CASE cases[] = {
        {"a thread pitch of 0", kThreadMill, {{thread, 0}}, false, false, "Thread pitch"},
        {"a thread pitch of 0.005", kThreadMill, {{thread, 0.005}}, false, false, "Thread pitch"},
        {"a thread pitch of -1.5", kThreadMill, {{thread, -1.5}}, false, false, "Thread pitch"},
        {"a thread pitch of 1.5", kThreadMill, {{thread, 1.5}}, false, false, ""},
        {"a rough pitch of 0", kHelixBore, {{rough, 0}}, false, false, "Rough pitch"},
        {"a finish pitch of -1", kHelixBore, {{rough, 2}, {finish, -1}}, false, true, "Finish pitch"},
        {"a finish pitch of 0: the rough one", kHelixBore, {{rough, 2}, {finish, 0}}, false, true, ""},
        {"a finish pitch of 0 with the finish off", kHelixBore, {{rough, 2}, {finish, -1}}, false, false, ""},
        {"a depth step of 0", kContour, {{step, 0}}, true, false, "Max. rough step"},
        {"a depth step of 0.001", kCircleMill, {{step, 0.001}}, true, false, "Max. rough step"},
        {"a depth step of 0 without depth cuts", kContour, {{step, 0}}, false, false, ""},
        {"a depth step of 2", kContour, {{step, 2}}, true, false, ""},
    };
    for (const CASE& c : cases) {
        SCOPED_TRACE(c.what);
        openOn("Drilled", "D8", 1);
        CDlgEditProcessOpe& e = editor();
        e.processName = row[static_cast<std::size_t>(form.processColumn - 1)];
        milled(c.kind, 6);
        e.assoc[kCircleDiamBlock].value = e.assoc[kContourDiamBlock].value = e.assoc[kHelixDiamBlock].value = 12;
        for (const auto& [at, value] : c.values) e.operation.set<double>(at, value);
        e.operation.set<std::uint8_t>(hostBlock64 + op_depth_cuts_layout::on, c.depthCuts ? 1 : 0);
        e.operation.set<std::uint8_t>(helixBoreBlock + helix_fields::finishOn, c.finish ? 1 : 0);
        script().select(kEditor, 4058, toolEntry(10));
        script().type(kEditor, 4068, "6.000");
        const std::size_t from = transcript().lines().size();
        if (*c.refused != '\0') {
            script().click(kEditor, plat::IDOK);
            script().answer(plat::IDOK);
            EXPECT_EQ(run(plat::IDCANCEL), plat::IDCANCEL);
            EXPECT_EQ(messagesSince(transcript(), from).size(), 1u);
            EXPECT_TRUE(transcript().contains("text=\"" + std::string(c.refused) + ": enter a value of at least 0.01.\""))
                << c.refused;
        } else {
            EXPECT_EQ(run(plat::IDOK), plat::IDOK);
            EXPECT_EQ(messagesSince(transcript(), from).size(), 0u);
        }
    }
}

// The close box binds and reads like OK but takes nothing: the run treats it as Cancel.
TEST_F(OperationEditorTest, TheCloseBoxBindsAndCancels) {
    openOn("Drilled", "D8", 1);
    editor().assoc[kToolDiamBlock] = ASSOC_VALUE{};
    editor().assoc[kToolDiamBlock].value = form.formSteps[0].startDiameter;
    editor().assoc[kToolDiamBlock].mode = 1;
    script().close(kEditor);
    EXPECT_EQ(doModalInPluginRes(editor()), plat::IDCANCEL);
    expectScriptPlayed();
    EXPECT_EQ(editor().assoc[kToolDiamBlock].columnId, form.formSteps[0].diameterColumn);
}

// A circle mill whose hole follows the form is checked on every row of its process, each with its own
// hole; a row where it does not fit is named, and Cancel ends the row checks but not OK.
TEST_F(OperationEditorTest, ACircleMillIsCheckedOnEveryRowOfItsProcess) {
    openOn("Drilled", "D8", 1);
    CDlgEditProcessOpe& e = editor();
    e.processName = row[static_cast<std::size_t>(form.processColumn - 1)];
    milled(kCircleMill, 3.5);
    e.assoc[kCircleDiamBlock].value = form.formSteps[0].startDiameter;   // 8, bound on OK
    script().select(kEditor, 4058, toolEntry(10)).type(kEditor, 4068, "3.5");
    // D3 and D3.4 are too narrow for a tool of 3.5; Cancel at the first ends the checks.
    EXPECT_EQ(run(plat::IDOK, {plat::IDCANCEL}), plat::IDOK);
    EXPECT_TRUE(transcript().contains("text=\"Row D3: the tool and its entry do not fit into the hole."));
    EXPECT_FALSE(transcript().contains("text=\"Row D3.4:"));
    // Without a process column nothing is checked row by row.
    openOn("Drilled", "D8", 1);
    editor().processName = row[static_cast<std::size_t>(form.processColumn - 1)];
    milled(kCircleMill, 3.5);
    editor().assoc[kCircleDiamBlock].value = form.formSteps[0].startDiameter;
    form.processColumn = 0;
    script().select(kEditor, 4058, toolEntry(10)).type(kEditor, 4068, "3.5");
    const std::size_t from = transcript().lines().size();
    EXPECT_EQ(run(plat::IDOK), plat::IDOK);
    EXPECT_TRUE(messagesSince(transcript(), from).empty());
}

// ---- the cut calculation, the picks and the entry dialogs ----

constexpr int kResults = CDlgCircMillCalcResults::kTemplate, kHelical = CDlgCircMillHelicalEntry::kTemplate,
              kEntryExit = CDlgCircMillEntryExit::kTemplate;
namespace C = circle_fields;
namespace R = op_radial_layout;
namespace D = op_depth_cuts_layout;
namespace L = op_lead_layout;

// The blocks the calculation looks at, as a case sets them up.
struct CUT_BLOCKS {
    bool radialOn = false, roughOn = false, depthOn = false, helixOn = false;
    std::int16_t finishCount = 0;
    double finish = 0, rough = 0;
    double minPercent = 10, maxPercent = 40, stepoverPercent = 50;
    double leadIn = 0, leadOut = 0;
};

PROCESS_OPE cutOperation(const CUT_BLOCKS& b) {
    PROCESS_OPE op;
    op.set<std::uint8_t>(hostBlock40 + R::on, b.radialOn);
    op.set<std::int16_t>(hostBlock40 + R::finishCount, b.finishCount);
    op.set<double>(hostBlock40 + R::finishSpacing, b.finish);
    op.set<double>(hostBlock40 + R::roughSpacing, b.rough);
    op.set<std::uint8_t>(hostBlock64 + D::on, b.depthOn);
    op.set<std::int16_t>(hostBlock64 + D::finishCount, 3);
    op.set<std::uint8_t>(circleMillBlock + C::roughOn, b.roughOn);
    op.set<std::uint8_t>(circleMillBlock + C::helixOn, b.helixOn);
    op.set<double>(circleMillBlock + C::helixMinPercent, b.minPercent);
    op.set<double>(circleMillBlock + C::helixMaxPercent, b.maxPercent);
    op.set<double>(circleMillBlock + C::stepoverPercent, b.stepoverPercent);
    op.set<double>(circleMillBlock + C::helixXYClearance, 0.3);
    op.set<double>(hostBlock168 + L::entry + L::arcRadius, b.leadIn);
    op.set<double>(hostBlock168 + L::exit + L::arcRadius, b.leadOut);
    op.set<double>(hostBlock168 + L::entry + L::lineLength, 2);
    return op;
}

class CutCalculationTest : public OperationEditorTest {
protected:
    void SetUp() override {
        OperationEditorTest::SetUp();
        std::strcpy(g_txtDegree, "deg");
        ASSERT_EQ(editor().texts.load(g_globals->uiTextFile, "EditProcessOpeDlg", true), 0);
    }
    // The calculation with the user leaving its results by `button`; the texts it showed.
    void calculate(PROCESS_OPE& op, std::int16_t kind, double tool, double d1, double d2, double start, int button) {
        script().click(kResults, button);
        plat::driver().transcript().setEcho([this](const std::string& line) {
            if (line.rfind("user click " + std::to_string(kResults), 0) != 0) return;
            plat::Dialog* d = plat::Dialog::shown(kResults);
            startShown = d->item(18077).text();
            resultsShown = d->item(18079).text();
        });
        EXPECT_EQ(editor().calculateCuts(op, kind, tool, d1, d2, start), 0);
        plat::driver().transcript().setEcho({});
        expectScriptPlayed();
    }
    std::string startShown, resultsShown;
};

// The proposal for each case; Accept writes it into the operation, Discard leaves the operation as it was.
TEST_F(CutCalculationTest, TheProposalIsShownAndTakenOnlyOnAccept) {
    struct CASE {
        const char* what;
        std::int16_t kind;
        double tool, d1, d2, start;
        CUT_BLOCKS blocks;
        const char* startText;
        const char* results;
        // After Accept (radial passes, depth cuts, circle switches; for the contour the lead radii).
        double rough;
        std::int16_t roughCount;
        bool helixAndRoughing;
        double helixMin, helixMax, stepover, leadRadius, leadPercent;
        bool unchanged;
    };
    const CASE cases[] = {
        {"the tool fits the start hole: 3.8 in two rough passes", kCircleMill, 10, 20, 20, 12,
         {.finishCount = 1, .finish = 0.2, .rough = 1.5},
         "Hole diameter 20.00, tool diameter 10.00, start hole 12.00",
         "Rough passes of 1.90: 2; finish passes of 0.20: 1", 1.9, 2, false, 0, 0, 0, 0, 0, false},
        {"a rough spacing of 0 is one pass", kCircleMill, 10, 20, 20, 12, {.rough = 0},
         "Hole diameter 20.00, tool diameter 10.00, start hole 12.00",
         "Rough passes of 4.00: 1; finish passes of 0.00: 0", 4, 1, false, 0, 0, 0, 0, 0, false},
        {"no start hole: a helical entry from the percentages", kCircleMill, 10, 20, 20, 0, {.finish = 0.2},
         "Hole diameter 20.00, tool diameter 10.00, start hole  ---- ",
         "The tool does not fit into the start hole: helical entry from radius 1.00 to 4.00, roughing stepover 5.00",
         0, 0, true, 1, 4, 5, 0, 0, false},
        {"helical entry alone: the radius is only limited in the text", kCircleMill, 10, 12, 12, 0,
         {.helixOn = true, .maxPercent = 150}, "Hole diameter 12.00, tool diameter 10.00, start hole  ---- ",
         "Helical entry only: minimum radius 10 % of the tool (1.00), maximum radius 120 % (12.00)", 0, 0, false,
         0, 0, 0, 0, 0, true},
        {"a contour's leads from its room", kContour, 10, 30, 30, 20, {.finishCount = 1, .finish = 0.5, .rough = 2},
         "Contour of diameter 30.00, tool diameter 10.00, start hole 20.00",
         "Lead-in and lead-out arcs of 90deg, radius 3.75; 2 rough passes of 2.25; 1 finish passes of 0.50", 2.25, 2,
         false, 0, 0, 0, 3.75, 37.5, false},
        {"a rest below 4T is no rough pass, but one pass is left", kContour, 10, 30, 20.1, 20,
         {.leadIn = 9, .leadOut = 8}, "Contour of diameter 30.00, tool diameter 10.00, start hole 20.00",
         "Lead-in and lead-out arcs of 90deg, radius 7.50; 1 rough passes of 0.00; 0 finish passes of 0.00", 0, 1,
         false, 0, 0, 0, 7.5, 75, false},
        {"a rest the finish pass takes whole is no rough pass", kContour, 10, 30, 21, 20,
         {.finishCount = 1, .finish = 0.5, .rough = 2}, "Contour of diameter 30.00, tool diameter 10.00, start hole 20.00",
         "Lead-in and lead-out arcs of 90deg, radius 3.75; 0 rough passes of 0.00; 1 finish passes of 0.50", 0, 0,
         false, 0, 0, 0, 3.75, 37.5, false},
        {"a contour without a tool diameter", kContour, 0, 20, 30, 20, {.rough = 10},
         "Contour of diameter 20.00, tool diameter 0.00, start hole 20.00",
         "Lead-in and lead-out arcs of 90deg, radius 3.75; 1 rough passes of 5.00; 0 finish passes of 0.00", 5, 1,
         false, 0, 0, 0, 3.75, 0, false},
    };
    for (const CASE& c : cases) {
        SCOPED_TRACE(c.what);
        const PROCESS_OPE before = cutOperation(c.blocks);
        PROCESS_OPE op = before;
        calculate(op, c.kind, c.tool, c.d1, c.d2, c.start, plat::IDCANCEL);
        EXPECT_EQ(startShown, c.startText);
        EXPECT_EQ(resultsShown, c.results);
        EXPECT_EQ(std::memcmp(op.bytes, before.bytes, PROCESS_OPE::kSize), 0) << "discarded";

        calculate(op, c.kind, c.tool, c.d1, c.d2, c.start, plat::IDOK);
        if (c.unchanged) {
            EXPECT_EQ(std::memcmp(op.bytes, before.bytes, PROCESS_OPE::kSize), 0) << "accepted";
            continue;
        }
        EXPECT_EQ(op.get<std::uint8_t>(hostBlock40 + R::on), 1);
        EXPECT_EQ(op.get<std::uint8_t>(hostBlock40 + R::finalDepthOnly), 1);
        EXPECT_NEAR(op.get<double>(hostBlock40 + R::roughSpacing), c.rough, 1e-12);
        EXPECT_EQ(op.get<std::int16_t>(hostBlock40 + R::roughCount), c.roughCount);
        EXPECT_DOUBLE_EQ(op.get<double>(hostBlock40 + R::finishSpacing), c.blocks.finish);
        EXPECT_EQ(op.get<std::uint8_t>(hostBlock64 + D::on), 1);
        EXPECT_EQ(op.get<std::uint8_t>(hostBlock64 + D::keepTool), 1);
        if (c.kind == kCircleMill) {
            EXPECT_EQ(op.get<std::int16_t>(hostBlock64 + D::finishCount), 0);
            EXPECT_EQ(op.get<std::uint8_t>(circleMillBlock + C::helixOn) != 0, c.helixAndRoughing);
            EXPECT_EQ(op.get<std::uint8_t>(circleMillBlock + C::roughOn) != 0, c.helixAndRoughing);
            if (c.helixAndRoughing) {
                EXPECT_DOUBLE_EQ(op.get<double>(circleMillBlock + C::helixMinRadius), c.helixMin);
                EXPECT_DOUBLE_EQ(op.get<double>(circleMillBlock + C::helixMaxRadius), c.helixMax);
                EXPECT_DOUBLE_EQ(op.get<double>(circleMillBlock + C::stepover), c.stepover);
                EXPECT_DOUBLE_EQ(op.get<double>(circleMillBlock + C::helixXYClearance), 0);
            }
            EXPECT_EQ(std::memcmp(op.bytes + hostBlock168, before.bytes + hostBlock168, kBlock168), 0);
        } else {
            EXPECT_EQ(op.get<std::int16_t>(hostBlock64 + D::finishCount), 3);
            EXPECT_EQ(op.get<std::uint8_t>(hostBlock168 + L::on), 1);
            for (std::size_t group : {L::entry, L::exit}) {
                const std::size_t g = hostBlock168 + group;
                EXPECT_EQ(op.get<std::uint8_t>(g + L::groupOn), 1);
                EXPECT_EQ(op.get<std::uint8_t>(g + L::arcOn), 1);
                EXPECT_DOUBLE_EQ(op.get<double>(g + L::arcSweep), std::numbers::pi / 2);
                EXPECT_DOUBLE_EQ(op.get<double>(g + L::lineLength), 0);
                EXPECT_DOUBLE_EQ(op.get<double>(g + L::arcRadius), c.leadRadius);
                EXPECT_DOUBLE_EQ(op.get<double>(g + L::radiusPercent), c.leadPercent);
            }
            EXPECT_EQ(std::memcmp(op.bytes + circleMillBlock, before.bytes + circleMillBlock, kCircleMillSize), 0);
        }
    }
}

// "Calculate cuts" on the page: the hole is the form step of the circle diameter, the start hole the drill
// before; the page shows what was accepted. Without a form step there is nothing to calculate.
TEST_F(CutCalculationTest, CalculateCutsTakesTheHoleFromTheFormAndShowsTheAcceptedPasses) {
    openOn("Drilled", "D8", 1);
    form.formSteps[0].startDiameter = form.formSteps[0].endDiameter = 20;
    PROCESS_OPE* ops = config().operations.data();
    ops[0] = PROCESS_OPE{};
    opeSet(ops[0], operationType, std::uint32_t{3});
    opeSet(ops[0], toolDiam, 12.0);
    opeSet(ops[0], zInf, -50.0);
    milled(kCircleMill, 10);
    ASSOC_VALUE& hole = editor().assoc[kCircleDiamBlock];
    hole = ASSOC_VALUE{};
    hole.value = 20;
    hole.mode = 1;
    editor().operation = cutOperation({.radialOn = true, .finishCount = 1, .finish = 0.2, .rough = 1.5});
    editor().currentPage = 1;
    script().click(kEditor, 4344).click(kResults, plat::IDOK);
    run();
    EXPECT_EQ(at(4054).text, "1.90");
    EXPECT_EQ(at(4053).text, "2");
    EXPECT_EQ(at(4029).check, 1);
    EXPECT_DOUBLE_EQ(editor().operation.get<double>(circleMillBlock + C::circleDiameter), 20);

    const PROCESS_OPE before = editor().operation;
    form.stepCount = 0;
    script().click(kEditor, 4344).answer(plat::IDOK);
    run();
    EXPECT_TRUE(transcript().contains("text=\"The milled diameter is bound to no step of the hole form"));
    EXPECT_EQ(std::memcmp(editor().operation.bytes + hostBlock40, before.bytes + hostBlock40, kBlock40), 0);
}

// Each pick writes its block from the point picked on the profile (x the radius, y the depth); a point
// given another way is asked for again, Esc keeps the block as it was.
TEST_F(CutCalculationTest, APickWritesItsMeasureFromThePointAndEscKeepsIt) {
    ASSERT_EQ(g_processMenu->load(g_globals->uiTextFile, "ProcessMenu", true), 0);
    struct CASE {
        void (CDlgEditProcessOpe::*pick)();
        int block;
        bool diameter;
        const char* prompt;
    };
    const CASE cases[] = {
        {&CDlgEditProcessOpe::pickToolDiameter, kToolDiamBlock, true, "Pick the tool diameter on the form profile"},
        {&CDlgEditProcessOpe::pickTopZ, kTopZBlock, false, "Pick the top Z on the form profile"},
        {&CDlgEditProcessOpe::pickBottomZ, kBottomZBlock, false, "Pick the bottom Z on the form profile"},
        {&CDlgEditProcessOpe::pickCircleMillDiameter, kCircleDiamBlock, true, "Pick the circle diameter on the form profile"},
        {&CDlgEditProcessOpe::pickContourDiameter, kContourDiamBlock, true, "Pick the contour diameter on the form profile"},
        {&CDlgEditProcessOpe::pickHelixBoreDiameter, kHelixDiamBlock, true, "Pick the bore diameter on the form profile"},
        {&CDlgEditProcessOpe::pickThreadDiameter, kThreadDiamBlock, true, "Pick the thread diameter on the form profile"},
    };
    for (const CASE& c : cases) {
        SCOPED_TRACE(c.prompt);
        ASSOC_VALUE& b = editor().assoc[static_cast<std::size_t>(c.block)];
        b = ASSOC_VALUE{};
        b.value = 7;
        b.pickY = -3;
        script().esc();
        (editor().*c.pick)();
        expectScriptPlayed();
        EXPECT_TRUE(transcript().contains("host.prompt \"" + std::string(c.prompt) + "\""));
        EXPECT_EQ(b.value, 7);
        EXPECT_EQ(b.pickY, -3);
        EXPECT_EQ(b.mode, 0);

        script().pointEntry('K', 1, 1, 0).point(-4.5, -12, 0);
        (editor().*c.pick)();
        expectScriptPlayed();
        EXPECT_EQ(b.value, c.diameter ? 9 : -12);
        EXPECT_EQ(b.pickY, c.diameter ? -12 : -3);
        EXPECT_EQ(b.mode, 1);
        EXPECT_TRUE(transcript().contains("host.pick clean (-4.5,-12,0)"));
        EXPECT_TRUE(host::currentPrompt().empty());
    }
    // A prompt longer than the host's buffer is cut to 255 characters.
    g_processMenu->setText(3, std::string(300, 'x'));
    script().esc();
    editor().pickToolDiameter();
    expectScriptPlayed();
    EXPECT_TRUE(transcript().contains("host.prompt \"" + std::string(255, 'x') + "\""));
    EXPECT_FALSE(transcript().contains(std::string(256, 'x')));
}

// The helical entry keeps a radius and its percentage of the tool in step while one is typed; OK gives all
// its values back and switches helical entry and roughing on, Cancel leaves the operation alone.
TEST_F(CutCalculationTest, TheHelicalEntryKeepsItsPercentPairsAndOkSwitchesItOn) {
    openOn("Drilled", "D8", 1);
    milled(kCircleMill, 8);
    editor().operation = cutOperation({.minPercent = 20, .maxPercent = 40});
    editor().operation.set<double>(circleMillBlock + C::helixMinRadius + 8 * 6, 2.5);   // carried unchanged
    editor().currentPage = 1;
    std::map<int, std::string> helical;
    auto capture = [&](int button) {
        alsoEcho = [&, button](const std::string& line) {
            if (line != "user click " + std::to_string(kHelical) + " " + std::to_string(button)) return;
            for (int id : {4090, 4091, 4093, 4097, 4102, 4104}) helical[id] = plat::Dialog::shown(kHelical)->findItem(id)->text();
        };
    };
    const PROCESS_OPE before = editor().operation;
    script().click(kEditor, 18041).type(kHelical, 4090, "50").type(kHelical, 4097, "3").click(kHelical, plat::IDCANCEL);
    capture(plat::IDCANCEL);
    run();
    EXPECT_EQ(helical[4093], "4.0");
    EXPECT_EQ(helical[4091], "37.5");
    EXPECT_EQ(helical[4102], "0.30");
    EXPECT_EQ(helical[4104], "0.000");
    EXPECT_EQ(std::memcmp(editor().operation.bytes + circleMillBlock, before.bytes + circleMillBlock, kCircleMillSize), 0);

    script().click(kEditor, 18041).type(kHelical, 4093, "3").type(kHelical, 4104, "2.5").click(kHelical, plat::IDOK);
    capture(plat::IDOK);
    run();
    EXPECT_EQ(helical[4090], "37.5");
    const PROCESS_OPE& op = editor().operation;
    EXPECT_DOUBLE_EQ(op.get<double>(circleMillBlock + C::helixMinRadius), 3);
    EXPECT_DOUBLE_EQ(op.get<double>(circleMillBlock + C::helixMinPercent), 37.5);
    EXPECT_DOUBLE_EQ(op.get<double>(circleMillBlock + C::helixMaxPercent), 40);
    EXPECT_DOUBLE_EQ(op.get<double>(circleMillBlock + C::helixPlungeAngle), 2.5);
    EXPECT_DOUBLE_EQ(op.get<double>(circleMillBlock + C::helixMinRadius + 8 * 6), 2.5);
    EXPECT_EQ(op.get<std::uint8_t>(circleMillBlock + C::helixOn), 1);
    EXPECT_EQ(op.get<std::uint8_t>(circleMillBlock + C::roughOn), 1);
    EXPECT_EQ(at(4114).check, 1);
    EXPECT_EQ(at(4035).check, 1);
}

// The entry and exit of each page edits its own block.
TEST_F(CutCalculationTest, EachPagesEntryAndExitEditsItsOwnBlock) {
    struct CASE {
        std::int16_t kind;
        int button;
        std::size_t angle, sweep, centre, perpendicular, other;
    };
    const CASE cases[] = {
        {kCircleMill, 18042, circleMillBlock + C::startAngle, circleMillBlock + C::entrySweep,
         circleMillBlock + C::startAtCentre, circleMillBlock + C::perpendicularEntry, helixBoreBlock + helix_fields::startAngle},
        {kHelixBore, 18043, helixBoreBlock + helix_fields::startAngle, helixBoreBlock + helix_fields::entrySweep,
         helixBoreBlock + helix_fields::startAtCentre, helixBoreBlock + helix_fields::perpendicularEntry,
         circleMillBlock + C::startAngle},
    };
    for (const CASE& c : cases) {
        SCOPED_TRACE(c.button);
        openOn("Drilled", "D8", 1);
        milled(c.kind, 6);
        editor().operation = PROCESS_OPE{};
        editor().operation.set<double>(c.angle, 1.5);
        editor().currentPage = 1;
        const PROCESS_OPE before = editor().operation;
        script().click(kEditor, c.button).type(kEntryExit, 4044, "30").click(kEntryExit, plat::IDCANCEL);
        run();
        EXPECT_EQ(std::memcmp(editor().operation.bytes, before.bytes, PROCESS_OPE::kSize), 0);
        script().click(kEditor, c.button).type(kEntryExit, 4044, "30").type(kEntryExit, 4045, "1.25");
        script().click(kEntryExit, 18074).click(kEntryExit, plat::IDOK);
        run();
        const PROCESS_OPE& op = editor().operation;
        EXPECT_DOUBLE_EQ(op.get<double>(c.angle), 30);
        EXPECT_DOUBLE_EQ(op.get<double>(c.sweep), 1.25);
        EXPECT_EQ(op.get<std::uint8_t>(c.centre), 1);
        EXPECT_EQ(op.get<std::uint8_t>(c.perpendicular), 0);
        EXPECT_DOUBLE_EQ(op.get<double>(c.other), 0);
    }
}

}  // namespace
