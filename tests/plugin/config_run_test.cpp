// The configuration run as the user drives it: operations appended, inserted before and after, edited and
// cancelled in the operation editor over the drawn form; the trial in its own operation group; the pick of
// an entity of a given type.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <numbers>

#include "host/builder/part_builder.h"
#include "host/geom/surface_entities.h"
#include "host/state.h"
#include "plugin/cycle/load_time_objects.h"
#include "plugin/base/globals.h"
#include "plugin/base/utilities.h"
#include "plugin/configuration/config_run.h"
#include "plugin/engine/engine_state.h"
#include "plugin/engine/process_trial.h"
#include "plugin/engine/operation_values.h"
#include "plugin/model/ope_list.h"
#include "plugin/model/process_ope.h"
#include "plugin/model/tab_cols_desc.h"
#include "plugin/configuration/config_dialogs.h"
#include "plugin/services/configuration.h"
#include "plugin/services/engine.h"
#include "support/form_tables.h"
#include "support/tables_fixture.h"
#include "plugin/tables/thread_tables.h"

namespace {

constexpr int kConfiguration = 18018, kEditor = 18015;
using Labels = std::vector<std::string>;

class ConfigRunTest : public TablesFixture {
protected:
    void SetUp() override {
        TablesFixture::SetUp();
        PLUGIN_GLOBALS& g = *g_globals;
        g.settings.featuresLevel = 1000254;
        g.settings.isolationLevel = 1000253;
        g.settings.defaultTipAngle = 118;
        g.settings.configListSwitch = 1;   // forms from solids offered, as the shipped defaults have it
        g.previewEntityCount = 0;
        counterbore();
        g_engine->chosenProcess[0] = 0;
        // A copy of the shipped library, which the library check accepts.
        installShippedTables();
        g_threadTables->count = 0;
    }
    // The table being configured: a counterbore form of one row.
    void counterbore() {
        FORM_TABLE form;
        form.name = "CBORE";
        form.items = {{2, 3, 0, 0, 1}, {4, 0}};
        g_engine->currentTable = makeFormTable(form);
        g_engine->currentRowCells = {"R1", "12", "6", "6.5"};
    }
    // The configuration opens on the first row of the shipped "Counterbored", as the process tree opens it.
    void openOnCounterbored() {
        TABLE_FILE_REF& t = g_engine->configTarget;
        t = TABLE_FILE_REF{};
        setFieldText(t.tabPath, tablePath("Counterbored"));
        setFieldText(t.txtPath, tablesDir + "/Counterbored.TXT");
        setFieldText(t.tableName, "Counterbored");
        g_engine->chosenProcess[0] = 0;
        g_engine->configAction = 110;
    }
    CConfigProcess& dialog() { return *g_configProcess; }
    // The dialog's process as its configuration left it: operations known by their comments, the current
    // operation one of them.
    void process(const Labels& labels, int current) {
        CConfigProcess& d = dialog();
        d.operationCount = 0;
        for (const std::string& l : labels) {
            PROCESS_OPE op;
            setOpeText(op, process_ope::opName, l);
            d.operations[static_cast<std::size_t>(d.operationCount++)] = op;
        }
        d.currentOperation = current >= 0 ? &d.operations[static_cast<std::size_t>(current)] : nullptr;
    }
    Labels labels() {
        Labels out;
        for (int i = 0; i < dialog().operationCount; ++i)
            out.push_back(opeText(dialog().operations[static_cast<std::size_t>(i)], process_ope::opName));
        return out;
    }
    // Each showing of the editor gets the next comment and goes on to the next operation, then the user
    // leaves with `last`. The editor's template keeps its other-operation button hidden, so no user reaches
    // it: the test sends its command as the editor shows.
    void enter(const Labels& typed, int last) {
        pending = typed;
        plat::driver().transcript().setEcho([this](const std::string& line) {
            if (line.rfind("dialog.show 18015", 0) != 0) return;
            plat::Dialog* shown = plat::Dialog::shown(kEditor);
            // OK takes no operation without a tool diameter.
            if (pending.empty() && dialog().editor.assoc[kToolDiamBlock].value == 0)
                dialog().editor.assoc[kToolDiamBlock].value = 6;
            if (pending.empty()) return;
            const std::string comment = pending.front();
            pending.erase(pending.begin());
            shown->item(4094).setText(comment);
            shown->sendCommand(4095);
        });
        script().click(kEditor, last);
    }
    void TearDown() override {
        plat::driver().transcript().setEcho({});
        TablesFixture::TearDown();
    }
    Labels pending;
};

TEST_F(ConfigRunTest, NewOperationsGoWhereTheActionPutsThem) {
    struct ORDER_CASE {
        const char* what;
        std::int16_t action;
        int current;
        Labels expected;
        const char* currentAfter;
    };
    const ORDER_CASE cases[] = {
        {"insert before puts them in reverse order before the current one", 103, 1, {"A", "Z", "Y", "X", "B", "C"}, "Z"},
        {"insert after puts them in order after it", 104, 1, {"A", "B", "X", "Y", "Z", "C"}, "Z"},
        {"append puts them at the end", 101, 1, {"A", "B", "C", "X", "Y", "Z"}, "B"},
    };
    for (const ORDER_CASE& c : cases) {
        process({"A", "B", "C"}, c.current);
        g_engine->configAction = c.action;
        enter({"X", "Y", "Z"}, plat::IDOK);
        runEditorPass(dialog());
        plat::driver().transcript().setEcho({});
        expectScriptPlayed();
        EXPECT_EQ(labels(), c.expected) << c.what;
        ASSERT_NE(dialog().currentOperation, nullptr) << c.what;
        EXPECT_EQ(opeText(*dialog().currentOperation, process_ope::opName), c.currentAfter) << c.what;
        EXPECT_EQ(g_engine->configAction, c.action) << c.what;
    }
}

TEST_F(ConfigRunTest, TheEditorWorksOverTheDrawnFormWhichGoesAwayAfterwards) {
    process({"A"}, 0);
    g_engine->configAction = 103;
    int entitiesWhileEditing = -1;
    ASSERT_EQ(g_processMenu->load(g_globals->uiTextFile, "ProcessMenu", true), 0);
    // The tool diameter picked on the drawn profile, at the radius of the second step: the editor opens again
    // with it bound to that step's column.
    script().click(kEditor, 4059).point(-3.25, -8, 0).click(kEditor, plat::IDCANCEL);
    plat::driver().transcript().setEcho([&](const std::string& line) {
        if (line.find("dialog.show 18015") != std::string::npos && entitiesWhileEditing < 0)
            entitiesWhileEditing = g_globals->previewEntityCount;
    });
    runEditorPass(dialog());
    plat::driver().transcript().setEcho({});
    expectScriptPlayed();
    // Cancel leaves the process as it was and asks the dialog to reload the table.
    EXPECT_EQ(labels(), Labels{"A"});
    EXPECT_EQ(g_engine->configAction, 105);
    EXPECT_GT(entitiesWhileEditing, 10);
    EXPECT_EQ(g_globals->previewEntityCount, 0);
    EXPECT_TRUE(host::allEntities().empty());
    const ASSOC_VALUE& tool = dialog().editor.assoc[kToolDiamBlock];
    EXPECT_DOUBLE_EQ(tool.value, 6.5);
    EXPECT_EQ(tool.mode, 1);
    EXPECT_EQ(tool.columnId, 4);
    EXPECT_TRUE(transcript().contains("host.prompt \"Pick the tool diameter on the form profile\""));
}

// Going on to the next operation while editing stores the edited one at its place: nothing stale or empty
// is added.
TEST_F(ConfigRunTest, NextOperationWhileEditingStoresTheOperationAtItsPlace) {
    process({"A", "B", "C"}, 1);
    g_engine->configAction = 102;
    enter({"B2", "C2", "C3"}, plat::IDOK);
    runEditorPass(dialog());
    plat::driver().transcript().setEcho({});
    expectScriptPlayed();
    EXPECT_EQ(labels(), (Labels{"A", "B2", "C3"}));
}

TEST_F(ConfigRunTest, AProcessOf99OperationsDoesNotOpenTheEditor) {
    process(Labels(99, "OP"), 0);
    g_engine->configAction = 101;
    runEditorPass(dialog());
    expectScriptPlayed();
    EXPECT_EQ(dialog().operationCount, 99);
    EXPECT_FALSE(transcript().contains("dialog.show 18015"));
}

TEST_F(ConfigRunTest, ATrialMakesItsOwnGroupMarksTheHoleAndEndsTheRun) {
    host::setMachineGroup(true);
    openOnCounterbored();
    script().click(kConfiguration, CConfigProcess::kSimulate);
    EXPECT_EQ(runConfigProcess(0), 1);
    expectScriptPlayed();
    const std::int32_t group = dialog().trialGroupId;
    ASSERT_GT(group, 0);
    const op_group* made = host::findGroup(group);
    ASSERT_NE(made, nullptr);
    EXPECT_STREQ(made->name, "Forantix trial");
    EXPECT_EQ(g_lastOpGroup, static_cast<std::uint32_t>(group));
    // The marker at the origin first, then the section in the front view (no notes).
    ASSERT_GT(g_globals->previewEntityCount, 10);
    ent marker{};
    ASSERT_TRUE(get_ent_from_eptr(g_globals->previewEntities[0], &marker));
    EXPECT_EQ(marker.type, kEntPoint);
    EXPECT_EQ(marker.color, 12);
    EXPECT_DOUBLE_EQ(marker.pt.pt.x, 0);
    EXPECT_DOUBLE_EQ(marker.pt.pt.y, 0);
    for (const ent& e : host::allEntities()) EXPECT_NE(e.type, kEntNote);

    // A second trial reuses the group.
    openOnCounterbored();
    script().click(kConfiguration, CConfigProcess::kSimulate);
    EXPECT_EQ(runConfigProcess(0), 1);
    EXPECT_EQ(dialog().trialGroupId, group);
    counterbore();

    // The dialog's process as it loaded it: a drill through the lower step, a chamfer mill at the top and a
    // reamer ending on the lower step, which is not fitted: the values are computed on the trial hole and the
    // reamer is switched off.
    process({"Drill", "Chamfer", "Ream"}, 0);
    opeSet(dialog().operations[0], process_ope::operationType, tool_type::drill);
    opeSet<std::int16_t>(dialog().operations[0], process_ope::zSupCyl, 1);
    opeSet<std::int16_t>(dialog().operations[0], process_ope::zInfCyl, 1);
    opeSet<std::int16_t>(dialog().operations[0], process_ope::toolDiamCyl, 1);
    opeSet<std::int16_t>(dialog().operations[0], process_ope::toolDiamAssoc, 1);
    opeSet(dialog().operations[1], process_ope::operationType, tool_type::chamferMill);
    opeSet(dialog().operations[2], process_ope::operationType, tool_type::reamer);
    opeSet<std::int16_t>(dialog().operations[2], process_ope::zInfCyl, 1);
    EXPECT_EQ(tryConfiguredProcess(dialog().operations.data(), dialog().operationCount, dialog().trialGroupId), 0);
    EXPECT_EQ(dialog().trialGroupId, group);
    EXPECT_DOUBLE_EQ(opeGet(dialog().operations[0], process_calc::calcToolDiam), 6.5);
    EXPECT_EQ(opeGet(dialog().operations[1], process_ope::disabled), 0);   // the top step has its chamfer
    EXPECT_EQ(opeGet(dialog().operations[2], process_ope::disabled), 1);
}

TEST_F(ConfigRunTest, WithoutAMachineGroupTheTrialOnlyTellsTheUser) {
    host::setMachineGroup(false);
    openOnCounterbored();
    script().click(kConfiguration, CConfigProcess::kSimulate).answer(plat::IDOK).key(kConfiguration, plat::VK_ESCAPE);
    EXPECT_EQ(runConfigProcess(0), 0);
    expectScriptPlayed();
    EXPECT_TRUE(transcript().contains("The machine has no machine group."));
    EXPECT_EQ(g_globals->previewEntityCount, 0);
}

TEST_F(ConfigRunTest, DrawingFormsShowsTheConfigurationAgain) {
    openOnCounterbored();
    // The form design dialog comes first; its Cancel draws nothing.
    script().listRClick(kConfiguration, CConfigProcess::kRows, 0).menu(11).click(18037, plat::IDCANCEL);
    script().key(kConfiguration, plat::VK_ESCAPE);
    EXPECT_EQ(runConfigProcess(122), 0);
    expectScriptPlayed();
    int shown = 0;
    for (const std::string& line : transcript().lines()) shown += line.find("dialog.show 18018") != std::string::npos;
    EXPECT_EQ(shown, 2);
}

// "From solids" in the row menu: the form design dialog, the place picked and Enter: the row's form (CB3.4,
// through: no depth kept yet) is cut out of the visible solid, which the run marked for it, and the run ends.
TEST_F(ConfigRunTest, FormsDrawnAsSolidsAreCutOutOfTheVisibleSolidsAndEndTheRun) {
    openOnCounterbored();
    const host::builder::BuiltPart part = host::builder::PartBuilder::block({40, 40, 20}).build();
    ASSERT_TRUE(part.ok());
    const db_ptr block = host::storeSolidEntity(part.solid, 3, 1, "part");
    const double before = part.solid.volume();
    script().listRClick(kConfiguration, CConfigProcess::kRows, 0).menu(11).click(18037, plat::IDOK);
    script().point(20, 20, 20).enter();
    EXPECT_EQ(runConfigProcess(122), 0);
    expectScriptPlayed();
    EXPECT_EQ(count("dialog.show 18018"), 1);
    ent cut{};
    ASSERT_EQ(get_ent_from_eptr(block, &cut), 1);
    const double pi = std::numbers::pi;
    const double removed = pi * (16 + 12 + 9) / 3 + pi * 9 * 2.4 + pi * 1.7 * 1.7 * 16.6;
    EXPECT_NEAR(cut.solid.geom->volume(), before - removed, 1e-6 * removed);
    EXPECT_EQ(sel_bit_is_on(&cut, 4), 0);   // the run's mark is taken off again
}

// The trial's hole comes from the row's form and the process tried: flats and tips, the open bottom, a
// step's top lowered onto the tip cone above it, chamfers where a chamfering operation starts, fits where a
// reamer does.
TEST_F(ConfigRunTest, TheTrialHoleIsTheRowsFormAsTheProcessWorksIt) {
    struct OP {
        std::uint32_t type;
        std::int16_t step;
    };
    struct CASE {
        const char* name;
        std::int16_t upperFlat, lowerFlat;
        std::vector<OP> ops;
        double lowerTop;
        std::uint8_t lowerFlatBit, lowerThrough;
        double upperChamferDiameter, lowerChamferDiameter;   // 0: no chamfer
        std::int16_t lowerOpeGeo;
    };
    // The rows: 12 x 6 over 6.5 x 19 (no length column: 2 x 6.5 + 12 / 2); a 118 degree tip's cone falls
    // (6 - 3.25) tan 31 degrees onto the lower wall.
    const double underTip = -6 - 2.75 * std::tan(31 * std::numbers::pi / 180);
    const CASE cases[] = {
        {"flat shoulder, open bottom", 1, 0, {}, -6, 0, 1, 0, 0, 0},
        {"tip above", 0, 0, {}, underTip, 0, 1, 0, 0, 0},
        {"flat bottom", 1, 1, {}, -6, 1, 0, 0, 0, 0},
        {"chamfer mills on both steps", 1, 0, {{tool_type::chamferMill, 0}, {tool_type::chamferMill, 1}}, -6, 0, 1,
         13, 7.5, 0},
        {"reamer on the lower step", 1, 0, {{tool_type::reamer, 1}}, -6, 0, 1, 0, 0, 2},
    };
    for (const CASE& c : cases) {
        SCOPED_TRACE(c.name);
        FORM_TABLE form;
        form.items = {{2, 3, 0, 0, c.upperFlat}, {4, 0, 0, 0, c.lowerFlat}};
        CTabColsDesc table = makeFormTable(form);
        table.autoChamferSize = 0.5;
        const std::vector<std::string> row = {"R1", "12", "6", "6.5"};
        table.buildCilColumns(row);
        ASSERT_EQ(table.buildFormSteps(row), 0);
        std::vector<PROCESS_OPE> ops(c.ops.size());
        for (std::size_t i = 0; i < ops.size(); ++i) {
            opeSet(ops[i], process_ope::operationType, c.ops[i].type);
            opeSet(ops[i], process_ope::zSupCyl, c.ops[i].step);
        }
        describeTrialForm(table, row, ops.data(), static_cast<int>(ops.size()));
        ASSERT_EQ(table.cilEntries.size(), 2u);
        const CIL_DESC &upper = table.cilEntries[0].cil, &lower = table.cilEntries[1].cil;
        EXPECT_DOUBLE_EQ(upper.D, 12);
        EXPECT_DOUBLE_EQ(upper.zBottom, -6);
        EXPECT_EQ(upper.Flat, c.upperFlat);
        EXPECT_EQ(upper.TipTool, c.upperFlat ? 0 : 1);
        EXPECT_NEAR(lower.zTop, c.lowerTop, 1e-9);
        EXPECT_DOUBLE_EQ(lower.zBottom, -25);
        EXPECT_NEAR(lower.L, lower.zTop + 25, 1e-9);
        EXPECT_EQ(lower.Flat, c.lowerFlatBit);
        EXPECT_EQ(lower.Through, c.lowerThrough);
        EXPECT_EQ(upper.topChamfer, c.upperChamferDiameter > 0);
        EXPECT_DOUBLE_EQ(upper.topChamfer ? upper.chamferDiameter : 0, c.upperChamferDiameter);
        EXPECT_DOUBLE_EQ(upper.topChamfer ? upper.chamferZ : -0.5, -0.5);
        EXPECT_EQ(lower.topChamfer, c.lowerChamferDiameter > 0);
        EXPECT_DOUBLE_EQ(lower.topChamfer ? lower.chamferDiameter : 0, c.lowerChamferDiameter);
        EXPECT_EQ(lower.opeGeo, c.lowerOpeGeo);
    }
}

TEST_F(ConfigRunTest, AnEntityOfTheWantedTypeIsPickedOrThePickIsLeft) {
    ent line{}, point{};
    line.type = kEntLine;
    line.ln.ln = {{0, 0, 0}, {1, 0, 0}};
    point.type = kEntPoint;
    db_ptr entry = 0;
    char ok = 0;
    store_ent(&line, &entry, 0, 10, 1, main_attrib, &ok);
    store_ent(&point, &entry, 0, 10, 1, main_attrib, &ok);
    script().menu(0).entity(static_cast<int>(line.id)).menu(0).entity(static_cast<int>(point.id));
    ent picked{};
    EXPECT_EQ(selectEntWithMask(&picked, kEntPoint, 4, "Point"), 1);
    EXPECT_EQ(picked.id, point.id);
    script().menu(kMenuExit);
    EXPECT_EQ(selectEntWithMask(&picked, kEntPoint, 4, "Point"), 2);
    expectScriptPlayed();
}

}  // namespace
