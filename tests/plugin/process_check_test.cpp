// The process check (support/process_check.h) on what Execute makes of the example parts and of parts built
// from every row of the shipped form tables, run as a user runs it with the shipped host folder's tools;
// and the check's own remarks on the faults a machinist refuses, each made in a process Execute gave.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "host/builder/part_builder.h"
#include "host/geom/step_io.h"
#include "host/geom/surface_entities.h"
#include "host/tools/tool_library.h"
#include "plugin/cycle/records.h"
#include "plugin/model/ope_list.h"
#include "plugin/model/tool_records.h"
#include "plugin/model/tree.h"
#include "support/case_names.h"
#include "support/execute_session.h"
#include "support/hand_tree.h"
#include "support/host_folder.h"
#include "support/part_notes.h"
#include "support/process_check.h"
#include "support/step_parts.h"

namespace {

namespace hb = host::builder;
using process_check::joined;

const host::Vec3 kDown{0, 0, -1};

class ProcessCheckTest : public ExecuteSessionFixture {
protected:
    void SetUp() override {
        ExecuteSessionFixture::SetUp();
        hostDir = copyShippedHostFolder(dir.path());
        ASSERT_FALSE(hostDir.empty());
        host::setHostDir(hostDir + "/");
    }
    void TearDown() override {
        freeViewsTree(tree);
        ExecuteSessionFixture::TearDown();
    }

    // The user runs Execute on the open part; the tree and tools the cycle kept in the part are read back.
    void execute(const std::string& name, bool metric = true) {
        part.name = name;
        part.solids = process_check::partSolids();
        std::string why;
        const std::string library = hostDir + (metric ? "/Mill/Tools/Mill_mm.Tools" : "/Mill/Tools/Mill_Inch.Tools");
        ASSERT_TRUE(host::tools::readToolLibrary(library, part.library, why)) << why;
        load();
        executeOnce();
        reload();
    }
    void reload() {
        freeViewsTree(tree);
        tree = nullptr;
        loadAllRecords(&tree);
        ASSERT_NE(tree, nullptr);
    }
    std::vector<std::string> check() const {
        return process_check::checkProcesses(tree, *g_toolsArray, part, process_check::settingsRules());
    }
    // The hole of the view whose axis passes (x, y) of the view.
    POINT_LIST* holeAt(int viewNumber, double x, double y) const {
        for (VIEW_LIST* v = tree; v; v = v->next)
            for (POINT_LIST* p = v->firstPoint; v->viewNumber == viewNumber && p; p = p->next)
                if (std::hypot(p->ptView[0] - x, p->ptView[1] - y) < 1e-6) return p;
        return nullptr;
    }

    std::string hostDir;
    process_check::PART part;
    VIEW_LIST* tree = nullptr;
};

// ---- the example parts ------------------------------------------------------------------------------------

class ExampleParts : public ProcessCheckTest, public testing::WithParamInterface<std::string> {};

TEST_P(ExampleParts, AMachinistTakesEveryProcessExecuteGives) {
    ASSERT_EQ(host::openStepAsPart(GetParam()), "");
    execute(std::filesystem::path(GetParam()).stem().string());
    const std::vector<std::string> remarks = check();
    EXPECT_TRUE(remarks.empty()) << remarks.size() << " remarks:" << joined(remarks);
}

// Every example part shipped, and every part of the STEP corpus and the repro parts that has holes.
std::vector<std::string> exampleParts() {
    std::vector<std::string> paths;
    for (const auto& file : std::filesystem::directory_iterator(std::string(FX_SOURCE_DIR) + "/data/examples"))
        if (file.path().extension() == ".step") paths.push_back(file.path().string());
    for (const std::filesystem::path& part : stepTestParts())
        if (!holdsNoHole(part)) paths.push_back(part.string());
    std::sort(paths.begin(), paths.end());
    return paths;
}

INSTANTIATE_TEST_SUITE_P(ProcessCheck, ExampleParts, testing::ValuesIn(exampleParts()),
                         [](const testing::TestParamInfo<std::string>& info) {
                             return std::filesystem::path(info.param).stem().string();
                         });

// ---- built parts of the shapes that led processes astray ---------------------------------------------------

struct BUILT_PART {
    const char* name;
    std::function<hb::PartBuilder()> build;
};
void PrintTo(const BUILT_PART& part, std::ostream* out) { *out << part.name; }

class BuiltParts : public ProcessCheckTest, public testing::WithParamInterface<BUILT_PART> {};

TEST_P(BuiltParts, AMachinistTakesEveryProcessExecuteGives) {
    const hb::BuiltPart built = GetParam().build().build();
    ASSERT_TRUE(built.ok()) << built.error;
    ASSERT_NE(host::storeSolidEntity(built.solid, 3, 1, "part"), 0u);
    execute(GetParam().name);
    const std::vector<std::string> remarks = check();
    EXPECT_TRUE(remarks.empty()) << remarks.size() << " remarks:" << joined(remarks);
}

const BUILT_PART kBuiltParts[] = {
    // A post with a sharp edge stands on the plate beside a hole.
    {"sharp_post", [] {
         return hb::PartBuilder::block({60, 40, 10})
             .boss({{40, 20, 10}, {0, 0, 1}, 16, 12, 0})
             .hole(hb::throughHole("d6", {15, 20, 10}, kDown, 6));
     }},
    // Sheets thinner than a spot drill's cone.
    {"thin_sheet", [] {
         return hb::PartBuilder::block({60, 30, 1.9})
             .hole(hb::throughHole("d10", {15, 15, 1.9}, kDown, 10))
             .hole(hb::throughHole("d12.7", {40, 15, 1.9}, kDown, 12.7));
     }},
    {"disc", [] { return hb::PartBuilder::block({40, 40, 3}).hole(hb::throughHole("d20", {20, 20, 3}, kDown, 20)); }},
    // A deep hole at the foot of a tower, the view's highest point.
    {"tower", [] {
         return hb::PartBuilder::block({80, 40, 20})
             .boss({{60, 20, 20}, {0, 0, 1}, 20, 60, 2})
             .hole(hb::blindTipped("deep d8", {20, 20, 20}, kDown, 8, 15));
     }},
};

INSTANTIATE_TEST_SUITE_P(ProcessCheck, BuiltParts, testing::ValuesIn(kBuiltParts), byCaseName);

// ---- every row of the shipped form tables -------------------------------------------------------------------

// The cells of each row of a table's rows file.
std::vector<std::vector<std::string>> rowsOf(const std::string& file) {
    std::vector<std::vector<std::string>> rows;
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        std::vector<std::string> cells;
        for (std::string w; words >> w;) cells.push_back(w);
        if (!cells.empty()) rows.push_back(cells);
    }
    return rows;
}

struct ROW_HOLE {
    std::string row;
    hb::HoleSpec spec;
    std::string coded;   // the coded name a drawing gives the hole, "" none
};

struct UNITS {
    const char* folder;
    bool metric;
    double thickness, pitch;   // of the plate and of the grid its holes stand on
};
const UNITS kMetric{"FORMS_MM", true, 30, 40}, kInch{"FORMS_INCH", false, 1.25, 1.5};

double cell(const std::vector<std::string>& row, std::size_t i) { return std::stod(row.at(i)); }

// A thread of the units' thread tables: its nominal and core (drill) diameters.
bool threadOf(const std::string& forms, const std::string& designation, double* nominal, double* core) {
    for (const char* table : {"Metric coarse", "Metric fine", "Unified coarse", "Unified fine"}) {
        const std::string file = forms + "/" + table + ".txt";
        if (!std::filesystem::exists(file)) continue;
        for (const auto& r : rowsOf(file))
            if (r[0] == designation) {
                *nominal = cell(r, 1);
                *core = cell(r, 3);
                return true;
            }
    }
    return false;
}

// The hole a row of a form table describes, drilled down into the plate's top at `entry`. Each shipped form
// has its builder here; a form without one fails the test that names the shipped tables.
bool rowHole(const std::string& forms, const std::string& table, const std::vector<std::string>& r,
             const UNITS& u, host::Vec3 entry, ROW_HOLE* out) {
    out->row = r[0];
    const double depthLimit = u.thickness * 2 / 3;
    if (table == "Drilled") {
        out->spec = hb::throughHole(r[0], entry, kDown, cell(r, 1));
    } else if (table == "Blind flat") {
        out->spec = hb::blindFlat(r[0], entry, kDown, cell(r, 1), std::min(cell(r, 1), depthLimit));
    } else if (table == "Counterbored") {
        out->spec = hb::counterbored(r[0], entry, kDown, cell(r, 3), cell(r, 1), cell(r, 2));
    } else if (table == "Countersunk") {
        const double top = cell(r, 1) + 2 * cell(r, 2) * std::tan(cell(r, 3) / 2 * M_PI / 180);
        out->spec = hb::countersunk(r[0], entry, kDown, cell(r, 4), top, cell(r, 3));
    } else if (table == "Stepped") {
        out->spec =
            hb::stepped(r[0], entry, kDown, {{cell(r, 1), cell(r, 2)}, {cell(r, 3), cell(r, 4)}, {cell(r, 5), 0}});
    } else if (table == "Tapped") {
        double nominal = 0, core = 0;
        if (!threadOf(forms, r[1], &nominal, &core)) return false;
        out->spec = hb::throughHole(r[0], entry, kDown, core);
        char depth[32];
        std::snprintf(depth, sizeof depth, "%g", u.thickness);
        out->coded = "GD_" + r[1] + "_" + depth;
    } else {
        return false;
    }
    return true;
}

// The shipped form tables (class 0) of a units' library.
std::vector<std::string> formTables(const UNITS& u) {
    std::vector<std::string> names;
    const std::string forms = std::string(FX_SOURCE_DIR) + "/data/forms/" + u.folder + "/Standard";
    for (const auto& file : std::filesystem::directory_iterator(forms)) {
        if (file.path().extension() != ".tab") continue;
        std::ifstream in(file.path());
        std::string first;
        std::getline(in, first);
        if (first.rfind("[Class] 0 ", 0) == 0) names.push_back(file.path().stem().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

const char* const kFormTables[] = {"Blind flat", "Counterbored", "Countersunk", "Drilled", "Stepped", "Tapped"};

TEST(ProcessCheckTables, EveryShippedFormTableHasItsRowsMachinedBelow) {
    for (const UNITS* u : {&kMetric, &kInch})
        EXPECT_EQ(formTables(*u), std::vector<std::string>(std::begin(kFormTables), std::end(kFormTables)))
            << u->folder;
}

struct TABLE_CASE {
    const UNITS* units;
    const char* table;
};
void PrintTo(const TABLE_CASE& c, std::ostream* out) { *out << c.units->folder << " " << c.table; }

class ShippedRows : public ProcessCheckTest, public testing::WithParamInterface<TABLE_CASE> {};

// One plate holds a hole for every row of the table; each hole takes its own row, and the process the row
// gives it is one a machinist takes.
TEST_P(ShippedRows, EveryRowTakesItsHoleAndMachinesItAsAMachinistWould) {
    const UNITS& u = *GetParam().units;
    const std::string table = GetParam().table;
    const std::string forms = std::string(FX_SOURCE_DIR) + "/data/forms/" + u.folder + "/Standard";
    const auto rows = rowsOf(forms + "/" + table + ".txt");
    ASSERT_FALSE(rows.empty());
    const int across = 5;
    const int down = static_cast<int>((rows.size() + across - 1) / across);
    hb::PartBuilder plate = hb::PartBuilder::block({u.pitch * across, u.pitch * down, u.thickness});
    std::vector<ROW_HOLE> holes;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const double x = u.pitch * (0.5 + static_cast<double>(i % across));
        const double y = u.pitch * (0.5 + static_cast<double>(i / across));
        ROW_HOLE h;
        ASSERT_TRUE(rowHole(forms, table, rows[i], u, {x, y, u.thickness}, &h)) << table << " " << rows[i][0];
        plate.hole(h.spec);
        holes.push_back(h);
    }
    host::setMetric(u.metric);
    const hb::BuiltPart built = plate.build();
    ASSERT_TRUE(built.ok()) << built.error;
    ASSERT_NE(host::storeSolidEntity(built.solid, 3, 1, "plate"), 0u);
    for (const ROW_HOLE& h : holes)
        if (!h.coded.empty()) part_notes::nameHole(h.coded, h.spec.entry[0], h.spec.entry[1], u.thickness);
    execute(std::string(u.folder) + " " + table, u.metric);

    for (const ROW_HOLE& h : holes) {
        const POINT_LIST* p = holeAt(1, h.spec.entry[0], h.spec.entry[1]);
        ASSERT_NE(p, nullptr) << h.row;
        EXPECT_EQ(fieldText(p->tableName) + " " + fieldText(p->rowName), table + " " + h.row);
        EXPECT_NE(p->opeList, nullptr) << h.row;
    }
    const std::vector<std::string> remarks = check();
    EXPECT_TRUE(remarks.empty()) << remarks.size() << " remarks:" << joined(remarks);
}

std::vector<TABLE_CASE> tableCases() {
    std::vector<TABLE_CASE> cases;
    for (const UNITS* u : {&kMetric, &kInch})
        for (const char* t : kFormTables) cases.push_back({u, t});
    return cases;
}

INSTANTIATE_TEST_SUITE_P(ProcessCheck, ShippedRows, testing::ValuesIn(tableCases()),
                         [](const testing::TestParamInfo<TABLE_CASE>& info) {
                             std::string name =
                                 std::string(info.param.units->metric ? "MM_" : "INCH_") + info.param.table;
                             std::replace(name.begin(), name.end(), ' ', '_');
                             return name;
                         });

// ---- the check's remarks ----------------------------------------------------------------------------------

// A plate of a stepped, a through and a blind tipped hole, through Execute; each case
// then spoils what the run gave one hole as a faulty engine would, and the check says so in a machinist's
// words.
class CheckRemarks : public ProcessCheckTest {
protected:
    void SetUp() override {
        ProcessCheckTest::SetUp();
        const hb::BuiltPart built = hb::PartBuilder::block({120, 60, 20})
                                        .hole(hb::stepped("stepped", {20, 20, 20}, kDown, {{12, 4}, {8, 4}, {5, 0}}))
                                        .hole(hb::throughHole("through", {50, 20, 20}, kDown, 8))
                                        .hole(hb::blindTipped("tipped", {20, 45, 20}, kDown, 8.5, 10))
                                        .build();
        ASSERT_TRUE(built.ok()) << built.error;
        ASSERT_NE(host::storeSolidEntity(built.solid, 3, 1, "plate"), 0u);
        execute("plate");
    }
    // The hole's operation of that tool type (the first one, or the last when `last`).
    static OPE_LIST* op(POINT_LIST* hole, std::uint32_t type, bool last = false) {
        static OPE_LIST none;
        if (!hole) {
            ADD_FAILURE() << "no such hole";
            return &none;
        }
        OPE_LIST* found = nullptr;
        for (OPE_LIST* o = hole->opeList; o; o = o->next)
            if (o->toolType == type && (!found || last)) found = o;
        if (!found) {
            ADD_FAILURE() << "no operation of type " << type;
            return &none;
        }
        return found;
    }
    tp_tool& toolOf(const OPE_LIST* o) { return (*g_toolsArray)[static_cast<std::size_t>(o->toolIndex)]; }
};

TEST_F(CheckRemarks, EachFaultIsToldNamingThePartHoleStepAndOperation) {
    struct Case {
        const char* fault;
        std::function<void()> spoil;
        std::string remark;
    };
    const std::string stepped = "plate: hole (20, 20, 20) of view 1 [Stepped S12-8-5]: ";
    const std::string through = "plate: hole (50, 20, 20) of view 1 [Drilled D8]: ";
    const std::string tipped = "plate: hole (20, 45, 20) of view 1 [Drilled D8.5]: ";
    const Case cases[] = {
        {"the drill tied to the middle step", [&] { op(holeAt(1, 20, 20), 3)->zInf = 12; },
         stepped + "step 3 (Ø5, Z 12 to 0) is cut to Z 12 only, by op 2 (Drill Ø5, Z 20 to 12)"},
        {"the middle mill one step too shallow", [&] { op(holeAt(1, 20, 20), 10)->zInf = 16; },
         stepped + "step 2 (Ø8, Z 16 to 12) is cut to Z 16 only, by op 3 (Flat mill Ø8, Z 20 to 16)"},
        {"no tool of the step's diameter",
         [&] {
             OPE_LIST* mill = op(holeAt(1, 20, 20), 10);
             mill->toolIndex = -1;
             mill->toolDiam = 7.5;
         },
         stepped + "step 2 (Ø8, Z 16 to 12) is cut by no operation of its diameter (the widest that fits is op 3 "
                   "(Flat mill Ø7.5, Z 20 to 12))"},
        {"a made drill rounded up past its hole",
         [&] {
             OPE_LIST* drill = op(holeAt(1, 50, 20), 3);
             drill->newTool = 1;
             tp_tool& t = toolOf(drill);
             t.diameter = 8.012;
             std::snprintf(t.name, sizeof t.name, "** 8.012 x 30.00 Drill");
         },
         through + "op 2 (Drill Ø8.012, Z 20 to 0) is wider than step 1 (Ø8, Z 20 to 0), its tool '** 8.012 x 30.00 "
                   "Drill'"},
        {"a library drill wider than a drawing rounds", [&] { toolOf(op(holeAt(1, 50, 20), 3)).diameter = 8.025; },
         through + "op 2 (Drill Ø8.025, Z 20 to 0) is wider than step 1 (Ø8, Z 20 to 0), its tool 'DRILL 8'"},
        {"a mill plunged into the narrower step", [&] { op(holeAt(1, 20, 20), 10, true)->zInf = 14; },
         stepped + "op 4 (Flat mill Ø12, Z 20 to 14) is wider than step 2 (Ø8, Z 16 to 12), its tool"},
        {"a blind drill too deep", [&] { op(holeAt(1, 20, 45), 3)->zInf = 8; },
         tipped + "op 2 (Drill Ø8.5, Z 20 to 8) goes to Z 5.446, past the hole's bottom Z 7.446"},
        {"a through drill past the part", [&] { op(holeAt(1, 50, 20), 3)->zInf = -12; },
         through + "op 2 (Drill Ø8, Z 20 to -12) goes to Z -18.403, below the part (its lowest Z 0)"},
        {"a spot drill past its cone", [&] { op(holeAt(1, 50, 20), 2)->zInf = 8; },
         through + "op 1 (Spot drill Ø10 90°, Z 20 to 8) is 12 deep, past its cone (5)"},
        {"a spot drill past the first step", [&] { op(holeAt(1, 20, 20), 2)->zInf = 15.5; },
         stepped + "op 1 (Spot drill Ø10 90°, Z 20 to 15.5) goes past the bottom of step 1 (Ø12, Z 20 to 16)"},
        {"a spot drill in the air above its hole", [&] { op(holeAt(1, 50, 20), 2)->zSup = op(holeAt(1, 50, 20), 2)->zInf = 28.5; },
         through + "op 1 (Spot drill Ø10 90°, Z 28.5 to 28.5) cuts nothing: it stays above the hole's top Z 20"},
        {"a tool too short", [&] { toolOf(op(holeAt(1, 20, 45), 3)).shoulderLength = 9; },
         tipped + "op 2 (Drill Ø8.5, Z 20 to 10): its tool 'DRILL 8.5' reaches 9 where it needs 12.553 (from Z 20 "
                  "to 7.447)"},
        {"a made tool of negative length",
         [&] {
             OPE_LIST* drill = op(holeAt(1, 20, 45), 3);
             drill->newTool = 1;
             toolOf(drill).shoulderLength = -13;
         },
         tipped + "op 2 (Drill Ø8.5, Z 20 to 10): its tool 'DRILL 8.5' reaches -13 where it needs"},
        {"a made tool far too long",
         [&] {
             OPE_LIST* drill = op(holeAt(1, 50, 20), 3);
             drill->newTool = 1;
             tp_tool& t = toolOf(drill);
             std::snprintf(t.name, sizeof t.name, "** 8.00 x 458.00 Drill");
             t.shoulderLength = 458;
         },
         through + "op 2 (Drill Ø8, Z 20 to 0): its made tool '** 8.00 x 458.00 Drill' reaches 458 where 26.403 (from "
                   "Z 20 to -6.403) and 11 of clearance would do"},
        {"a tool made though the library has one",
         [&] {
             OPE_LIST* drill = op(holeAt(1, 50, 20), 3);
             drill->newTool = 1;
             std::snprintf(toolOf(drill).name, sizeof toolOf(drill).name, "** 8.00 x 30.00 Drill");
             toolOf(drill).shoulderLength = 30;
         },
         through + "op 2 (Drill Ø8, Z 20 to 0): its tool '** 8.00 x 30.00 Drill' was made although the library's "
                   "'DRILL 8' reaches 70"},
    };
    const std::vector<std::string> before = check();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        reload();
        for (const std::string& r : before) ASSERT_EQ(r.find(c.remark), std::string::npos) << "before: " << r;
        c.spoil();
        const std::vector<std::string> remarks = check();
        EXPECT_TRUE(std::any_of(remarks.begin(), remarks.end(),
                                [&](const std::string& r) { return r.rfind(c.remark, 0) == 0; }))
            << c.remark << "\nnot among:" << joined(remarks);
    }
}

// A boss is no hole, whatever process it was given.
TEST_F(ProcessCheckTest, ABossTakenForAHoleIsToldWhateverItsProcess) {
    const hb::BuiltPart built = hb::PartBuilder::block({60, 60, 15})
                                    .boss({{30, 30, 15}, {0, 0, 1}, 24, 10, 2})
                                    .hole(hb::blindFlat("hole", {10, 10, 15}, kDown, 6, 10))
                                    .build();
    ASSERT_TRUE(built.ok()) << built.error;
    part.name = "boss";
    part.solids = {built.solid};
    hand_tree::TREE hand;
    VIEW_LIST* top = hand.view(1);
    POINT_LIST* boss = hand.hole(top, 30, 30, {hand_tree::cyl(25, 17, 12)});
    POINT_LIST* hole = hand.hole(top, 10, 10, {hand_tree::cyl(15, 5, 3)});
    for (POINT_LIST* p : {boss, hole}) {
        auto* o = new OPE_LIST{};
        o->point = p;
        o->view = top;
        o->toolType = 10;
        o->toolDiam = 6;
        o->toolIndex = -1;
        o->zSup = p->firstCyl->zSup;
        o->zInf = p->firstCyl->zInf;
        p->opeList = o;
    }
    const std::vector<tp_tool> none;
    const std::vector<std::string> remarks =
        process_check::checkProcesses(hand.head, none, part, process_check::RULES{});
    EXPECT_EQ(remarks, std::vector<std::string>{
                           "boss: hole (30, 30, 25) of view 1 [ ]: is a boss (material inside its wall), yet it has 1 "
                           "operations"});
}

}  // namespace
