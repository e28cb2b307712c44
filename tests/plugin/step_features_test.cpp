// The hole features of STEP files: what each feature of the fixture files of tests/data/import gives, the
// features left out and damaged files refused; and a STEP part that carries features beside its solid,
// opened as a part, recognised, and its features imported as marks on the recognised holes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "host/builder/part_builder.h"
#include "host/geom/step_io.h"
#include "platform/sys/files.h"
#include "plugin/cycle/records.h"
#include "plugin/features/feature_marks.h"
#include "plugin/import/feature_readers.h"
#include "plugin/import/import_text.h"
#include "plugin/import/step_features.h"
#include "plugin/model/tree.h"
#include "plugin/model/work_records.h"
#include "support/execute_session.h"

namespace {

const std::string kData = std::string(FX_SOURCE_DIR) + "/tests/data/import/";

std::string fixture(const char* name) { return plat::readFile(kData + name).value_or(""); }

// The 1-based line of the file that begins with `head`.
int lineOf(const std::string& text, const std::string& head) {
    int line = 1;
    for (std::size_t at = 0; at < text.size(); at = text.find('\n', at) + 1, ++line)
        if (text.compare(at, head.size(), head) == 0) return line;
    return 0;
}

struct EXPECTED {
    const char* what;
    bool tapped;
    double point[3], direction[3], length, diameter;
    std::int16_t threadKind;
    double tapPitch, threadDepth;
};

TEST(StepHoleFeatures, EachFeatureOfTheFileGivesItsMarkOrNone) {
    const std::string text = fixture("hole_features_mm.step");
    const STEP_HOLE_FEATURES read = readStepHoleFeatures(text);
    ASSERT_EQ(read.damagedLine, 0);
    const EXPECTED expected[] = {
        {"a fit by its upper and lower limits", false, {10, 10, 12}, {0, 0, 1}, 12, 10, 0, 0, 0},
        {"HOLE_..._THREAD: standard, axis (0, 0, -2) normalised", true, {50, 10, 12}, {0, 0, 1}, 10, 8, 0, 1.25, 12},
        {"POCKET_..._THREAD without a pitch: pitch 0, kind unknown", true, {0, 20, 6}, {-1, 0, 0}, 8, 6, -1, 0, 9},
        {"a pocket fit with a quoted diameter", false, {70, 10, 12}, {0, 0, 1}, 5.5, 6, 0, 0, 0},
        {"the last line of a renumbered point wins", false, {10, 30, 12}, {0, 0, 1}, 12, 10, 0, 0, 0},
    };
    // Not there: the hole with only its upper limit, the lower-case name, the feature over two lines.
    ASSERT_EQ(read.marks.size(), std::size(expected));
    for (std::size_t i = 0; i < read.marks.size(); ++i) {
        const FEATURE_MARK& m = read.marks[i];
        const EXPECTED& e = expected[i];
        SCOPED_TRACE(e.what);
        EXPECT_EQ(m.origin, 2);
        EXPECT_EQ(m.isTap, e.tapped ? 1 : 0);
        EXPECT_EQ(m.isFit, e.tapped ? 0 : 1);
        for (int k = 0; k < 3; ++k) {
            EXPECT_DOUBLE_EQ(m.point[k], e.point[k]);
            EXPECT_DOUBLE_EQ(m.direction[k], e.direction[k]);
        }
        EXPECT_DOUBLE_EQ(m.length, e.length);
        EXPECT_DOUBLE_EQ(m.diameter, e.diameter);
        EXPECT_EQ(m.threadKind, e.threadKind);
        EXPECT_DOUBLE_EQ(m.tapDiam, e.tapped ? e.diameter : 0);
        EXPECT_DOUBLE_EQ(m.tapPitch, e.tapPitch);
        EXPECT_DOUBLE_EQ(m.threadDepth, e.threadDepth);
        EXPECT_EQ(m.pendingMatch, 0);
    }
    // The unresolved reference and the zero axis.
    EXPECT_EQ(read.skipped, 2);
    EXPECT_EQ(read.firstSkippedLine, lineOf(text, "#70="));

    const STEP_HOLE_FEATURES inch = readStepHoleFeatures(fixture("hole_features_inch.step"));
    ASSERT_EQ(inch.marks.size(), 2u);
    EXPECT_DOUBLE_EQ(inch.marks[0].diameter, 0.375);
    EXPECT_DOUBLE_EQ(inch.marks[1].tapPitch, 0.05);
    EXPECT_DOUBLE_EQ(inch.marks[1].length, 0.4);
}

// Names far apart, written twice or not as plain numbers are found as written, the last line winning.
TEST(StepHoleFeatures, ReferencesAreFoundHoweverTheInstancesAreNumbered) {
    const std::string text = "DATA;\n"
                             "#7000000000=HOLE_ROUND_STRAIGHT('',#5,#x1,$,#012);\n"
                             "#5=CARTESIAN_POINT('',(9.,9.,9.));\n"
                             "#5=CARTESIAN_POINT('',(1.,2.,3.));\n"
                             "#x1=DIRECTION('',(0.,-1.,0.));\n"
                             "#012=PARAMETER_LIST((#12,#99999999999,#3000000000));\n"
                             "#12=PARAMETER('DIAMETER',4.);\n"
                             "#99999999999=PARAMETER('DIAMETER_UPPER',0.01);\n"
                             "#99999999999=PARAMETER('DEPTH',7.);\n"
                             "#3000000000=PARAMETER('DIAMETER_LOWER',0.);\n"
                             "#3000000000=PARAMETER('DIAMETER_UPPER',0.01);\n";
    STEP_HOLE_FEATURES read = readStepHoleFeatures(text);
    // "#99999999999" is the depth by its last line, so only the second "#3000000000" gives an upper limit.
    EXPECT_TRUE(read.marks.empty());
    // "#12" now names the lower limit: the hole has no diameter, which makes no hole.
    read = readStepHoleFeatures(text + "#12=PARAMETER('DIAMETER_LOWER',0.);\n");
    EXPECT_TRUE(read.marks.empty());
    EXPECT_EQ(read.damagedLine, 2);
    EXPECT_EQ(read.damage, import_texts::kBadDiameter);
    read = readStepHoleFeatures(text + "#12=PARAMETER('DIAMETER_LOWER',0.);\n#99999999999=PARAMETER('DIAMETER',7.);\n");
    ASSERT_EQ(read.marks.size(), 1u);
    EXPECT_DOUBLE_EQ(read.marks[0].point[1], 2);
    EXPECT_DOUBLE_EQ(read.marks[0].direction[1], 1);
    EXPECT_DOUBLE_EQ(read.marks[0].diameter, 7);
    EXPECT_DOUBLE_EQ(read.marks[0].length, 0);   // "#99999999999" is the diameter by its last line now
}

// Features that share a parameter list take it as each would alone: its values, or, when a reference of it is
// not found, every one of them left out and counted.
TEST(StepHoleFeatures, FeaturesSharingAParameterListTakeItEach) {
    const std::string head = "DATA;\n#1=DIRECTION('',(0.,0.,1.));\n#2=CARTESIAN_POINT('',(1.,2.,3.));\n"
                             "#3=PARAMETER_LIST((#5,#6,#7,#8));\n#4=PARAMETER_LIST((#5,#6,#9,#8));\n"
                             "#5=PARAMETER('DIAMETER',5.);\n#6=PARAMETER('DEPTH',4.);\n"
                             "#7=PARAMETER('DIAMETER_UPPER',0.012);\n#8=PARAMETER('DIAMETER_LOWER',0.);\n";
    std::string text = head;
    for (int n = 0; n < 6; ++n) text += "#" + std::to_string(20 + n) + "=HOLE_ROUND_STRAIGHT('',#2,#1,$,#" + (n % 2 ? "4" : "3") + ");\n";
    const STEP_HOLE_FEATURES read = readStepHoleFeatures(text);
    ASSERT_EQ(read.damagedLine, 0);
    ASSERT_EQ(read.marks.size(), 3u);
    for (const FEATURE_MARK& m : read.marks) {
        EXPECT_DOUBLE_EQ(m.diameter, 5);
        EXPECT_DOUBLE_EQ(m.length, 4);
    }
    EXPECT_EQ(read.skipped, 3);
    EXPECT_EQ(read.firstSkippedLine, lineOf(text, "#21="));
}

TEST(StepHoleFeatures, ADamagedFileGivesNoMarkAndItsLine) {
    struct CASE {
        const char* file;
        const char* line;   // the head of the line told; null: the last line
        int damage;
    } const cases[] = {
        {"damaged_point.step", "#31=", import_texts::kNotThreeNumbers},
        {"damaged_parameter.step", "#35=", import_texts::kBadNumber},
        {"no_data_section.step", nullptr, import_texts::kNoData},
    };
    for (const CASE& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string text = fixture(c.file);
        const STEP_HOLE_FEATURES read = readStepHoleFeatures(text);
        EXPECT_TRUE(read.marks.empty());
        EXPECT_EQ(read.damage, c.damage);
        EXPECT_EQ(read.damagedLine, c.line ? lineOf(text, c.line) : static_cast<int>(std::count(text.begin(), text.end(), '\n')));
    }
    EXPECT_EQ(readStepHoleFeatures(std::string("DATA;\n#1=HOLE_ROUND_STRAIGHT(\0);\n", 33)).damage,
              import_texts::kBadLine);
    EXPECT_EQ(readStepHoleFeatures("").damage, import_texts::kNoData);
}

// ---- a STEP part with its features ---------------------------------------------------------------------------

namespace hb = host::builder;

constexpr host::Vec3 kDownward{0, 0, -1};

// The feature lines added to the exported plate, numbered beyond its own instances.
const char* const kPlateFeatures =
    "#900001=HOLE_ROUND_STRAIGHT('H7',#900002,#900003,$,#900004);\n"
    "#900002=CARTESIAN_POINT('',(20.,20.,15.));\n"
    "#900003=DIRECTION('',(0.,0.,-1.));\n"
    "#900004=PARAMETER_LIST((#900005,#900006,#900007,#900008));\n"
    "#900005=PARAMETER('DIAMETER',10.);\n"
    "#900006=PARAMETER('DEPTH',15.);\n"
    "#900007=PARAMETER('DIAMETER_UPPER',0.015);\n"
    "#900008=PARAMETER('DIAMETER_LOWER',0.);\n"
    "#900011=HOLE_ROUND_STRAIGHT_THREAD('M8',#900012,#900003,$,#900014);\n"
    "#900012=CARTESIAN_POINT('',(60.,20.,15.));\n"
    "#900014=PARAMETER_LIST((#900015,#900016,#900017,#900018));\n"
    "#900015=PARAMETER('DIAMETER',8.);\n"
    "#900016=PARAMETER('PITCH',1.25);\n"
    "#900017=PARAMETER('THREAD_LENGTH',12.);\n"
    "#900018=PARAMETER('DEPTH',15.);\n"
    "#900021=HOLE_ROUND_STRAIGHT('no axis',#900002,#900023,$,#900004);\n"
    "#900023=DIRECTION('',(0.,0.,0.));\n";

class StepPartFeatures : public ExecuteSessionFixture {
protected:
    // A 80 x 40 x 15 plate with a through hole of 10 and one of 6.8 (the M8's core), exported with the
    // features and opened as the part.
    std::string plateWithFeatures() {
        hb::PartBuilder builder = hb::PartBuilder::block({80, 40, 15});
        builder.hole(hb::throughHole("fit", {20, 20, 15}, kDownward, 10));
        builder.hole(hb::throughHole("tap", {60, 20, 15}, kDownward, 6.8));
        const hb::BuiltPart part = builder.build();
        EXPECT_TRUE(part.ok()) << part.error;
        const std::string path = dir.path() + "/plate.step";
        EXPECT_EQ(host::exportStep({{part.solid, "plate", host::kNoColour}}, path), "");
        std::string text = plat::readFile(path).value_or("");
        const std::size_t data = text.find("DATA;");
        const std::size_t end = text.find("ENDSEC;", data);
        EXPECT_NE(end, std::string::npos);
        text.insert(end, kPlateFeatures);
        EXPECT_TRUE(plat::writeFile(path, text));
        EXPECT_EQ(host::openStepAsPart(path), "");
        return path;
    }
};

TEST_F(StepPartFeatures, TheGeometryIsRecognisedAndTheFeaturesBecomeMarksOnItsHoles) {
    const std::string path = plateWithFeatures();
    load();
    executeOnce();
    // The recognition read the solid of the file: both holes from the top.
    std::vector<std::pair<double, double>> holes = fromPart<std::vector<std::pair<double, double>>>([](VIEW_LIST* tree) {
        std::vector<std::pair<double, double>> out;
        for (VIEW_LIST* v = tree; v; v = v->next)
            for (POINT_LIST* p = v->firstPoint; v->viewNumber == 1 && p; p = p->next)
                out.emplace_back(p->ptView[0], p->ptView[1]);
        return out;
    });
    std::sort(holes.begin(), holes.end());
    ASSERT_EQ(holes.size(), 2u);
    EXPECT_NEAR(holes[0].first, 20, 1e-6);
    EXPECT_NEAR(holes[1].first, 60, 1e-6);

    // The features of the same file, read in a cycle that goes on, drawn at those holes.
    pausedInvocation();
    script().answer(plat::IDOK);   // the feature without an axis
    EXPECT_EQ(readStepFile(path), 0);
    expectScriptPlayed();
    EXPECT_EQ(count("1 hole features of " + path + " are not imported"), 1);
    std::vector<FEATURE_MARK> marks;
    for (FEATURE_MARK* m : listedMarks(g_records->featureMarks)) marks.push_back(*m);
    ASSERT_EQ(marks.size(), 2u);
    EXPECT_EQ(marks[0].isFit, 1);
    EXPECT_EQ(marks[1].isTap, 1);
    EXPECT_DOUBLE_EQ(marks[1].tapPitch, 1.25);
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_NEAR(marks[i].point[0], holes[i].first, 1e-6);
        EXPECT_NEAR(marks[i].point[1], holes[i].second, 1e-6);
        EXPECT_DOUBLE_EQ(marks[i].direction[2], 1);   // out of the hole: the file's axis turned round
        EXPECT_GT(marks[i].arcEntCount, 0);
    }
}

}  // namespace
