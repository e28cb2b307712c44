// STEP import against hostile and awkward files: what the kernel cannot survive is refused by the pre-scan
// with a message naming it, and the same files let through to the kernel end in the reader process with a
// message instead of crashing or hanging the host; a folder, a failed names-and-colours transfer.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>

#include "host/api.h"
#include "host/builder/part_builder.h"
#include "host/geom/brep_text.h"
#include "host/geom/face_box.h"
#include "host/geom/occt_impl.h"
#include "host/geom/step_io.h"
#include "host/geom/step_reply.h"
#include "host/geom/step_scan.h"
#include "host/state.h"
#include "platform/sys/files.h"
#include "platform/ui/driver.h"
#include "support/step_parts.h"
#include "support/temp_dir.h"

namespace {

using namespace host;

const std::string kExample = std::string(FX_SOURCE_DIR) + "/data/examples/boss_part.step";

std::string example() { return plat::readFile(kExample).value_or(""); }

// The example with its DATA section's text rewritten by `edit`.
std::string withData(const std::function<std::string(std::string)>& edit) {
    const std::string text = example();
    const std::size_t data = text.find("DATA;");
    return text.substr(0, data) + edit(text.substr(data));
}

std::string nested(int depth) {
    return withData([depth](std::string data) {
        return data.insert(6, "#999999=CARTESIAN_POINT(''," + std::string(depth, '(') + std::string(depth, ')') + ");\n");
    });
}

// Every real number outside the strings multiplied by 1e200.
std::string scaled() {
    return withData([](std::string data) {
        static const std::regex real(R"((^|[^#\w'])(-?\d+\.\d*(E[+-]?\d+)?))");
        std::string out;
        auto begin = data.cbegin();
        for (std::sregex_iterator it(data.begin(), data.end(), real), end; it != end; ++it) {
            out.append(begin, (*it)[2].first);
            char number[40];
            std::snprintf(number, sizeof number, "%.6E", std::stod((*it)[2].str()) * 1e200);
            out += number;
            begin = (*it)[2].second;
        }
        return out.append(begin, data.cend());
    });
}

// The first coordinate of the eighth point NAN: the kernel's import of this file never ends.
std::string withNan() {
    return withData([](std::string data) {
        std::size_t at = 0;
        for (int i = 0; i < 8; ++i) at = data.find("CARTESIAN_POINT('',(", at) + 20;
        return data.replace(at, data.find(',', at) - at, "NAN");
    });
}

// The definition of the first edge curve renamed, so that its oriented edges name no entity: the kernel's
// reader takes such a reference as one to another entity, and the wrong one crashed its own check.
std::string dangling() {
    return withData([](std::string data) {
        const std::size_t at = data.find("= EDGE_CURVE(");
        const std::size_t start = data.rfind('#', at);
        return data.replace(start, at - start, "#999999 ");
    });
}

struct Hostile {
    const char* name;
    std::string (*make)();
    const char* finding;
};

class StepImportTest : public testing::Test {
protected:
    std::string write(const std::string& name, const std::string& text) {
        const std::string path = dir.path() + "/" + name;
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
    TempDir dir;
};

TEST_F(StepImportTest, HostileFilesAreRefusedBeforeTheKernelAndSurvivedInsideIt) {
    const Hostile files[] = {
        {"nested", [] { return nested(100000); }, "nested deeper than 64 levels"},
        {"scaled", scaled, "an absurd number"},
        {"nan", withNan, "a number that is not finite (NAN)"},
        {"dangling", dangling, "a reference to #21, an entity it does not define"},
    };
    for (const Hostile& h : files) {
        SCOPED_TRACE(h.name);
        const std::string path = write(std::string(h.name) + ".step", h.make());
        const StepImport refused = importStep(path);
        EXPECT_TRUE(refused.solids.empty());
        EXPECT_NE(refused.error.find(path + ": not read, it holds"), std::string::npos) << refused.error;
        EXPECT_NE(refused.error.find(h.finding), std::string::npos) << refused.error;

        // The kernel crashes or hangs on each, or the reader finds an entity its load failed (NAN is not a
        // number to it): the host only hears of it.
        const StepImport survived = importStep(path, {.timeLimitSeconds = 5, .skipPreScan = true});
        EXPECT_TRUE(survived.solids.empty());
        EXPECT_TRUE(survived.error.find("the STEP reader") != std::string::npos ||
                    survived.error.find(" is malformed (") != std::string::npos ||
                    survived.error.find("took longer than 5 s and was stopped") != std::string::npos)
            << survived.error;
    }
    const StepImport fine = importStep(write("deep.step", nested(kStepMaxNesting - 2)));
    EXPECT_TRUE(fine.ok()) << fine.error;
}

// One line of the example's DATA section replaced.
std::string withLine(const std::string& line, const std::string& replacement) {
    return withData([&](std::string data) { return data.replace(data.find(line), line.size(), replacement); });
}

// The build's corpus assembly of the plate and the boss part, its placements' names and descriptions unset, with
// one line replaced.
std::string assemblyWithLine(const std::string& line, const std::string& replacement) {
    std::string text = plat::readFile(std::string(FX_BINARY_DIR) + "/step_corpus/assembly_unset_names.stp").value_or("");
    const std::size_t at = text.find(line);
    return at == std::string::npos ? "" : text.replace(at, line.size(), replacement);
}

const std::string kNone = "#18446744073709551615";   // 2^64-1, which a system writes for no entity

// Entities the kernel's translators or its own load check do not survive, where another entity names them:
// a pcurve's representation holding itself in place of its curve, or a point; an oriented edge that is its
// own edge; a circle whose radius or position the load check failed. Each file is refused naming the
// entity, whichever transfer reads it. One that no entity names leaves the import as it was.
TEST_F(StepImportTest, AMalformedEntityTheTransferMeetsIsRefusedNamingIt) {
    const struct {
        const char* name;
        std::string text;
        std::string refusal;
    } files[] = {
        {"self", withLine("#48 = DEFINITIONAL_REPRESENTATION('',(#49)", "#48 = DEFINITIONAL_REPRESENTATION('',(#48)"),
         "entity #42 is malformed (a pcurve without its curve)"},
        {"point", withLine("#48 = DEFINITIONAL_REPRESENTATION('',(#49)", "#48 = DEFINITIONAL_REPRESENTATION('',(#50)"),
         "entity #42 is malformed (a pcurve without its curve)"},
        {"loop", withLine("#20 = ORIENTED_EDGE('',*,*,#21,", "#20 = ORIENTED_EDGE('',*,*,#20,"),
         "entity #20 is malformed (an oriented edge that never reaches its edge)"},
        {"radius", withLine("#175 = CIRCLE('',#176,14.);", "#175 = CIRCLE('',#176,'abc');"),
         "entity #175 is malformed (Parameter n0.3 (radius) not a Real)"},
        {"position", withLine("#175 = CIRCLE('',#176,14.);", "#175 = CIRCLE('',#175,14.);"),
         "entity #175 is malformed (Parameter n0.2 (position) : Entity has illegal type)"},
        // Unset (`$`): a number, an enumeration the geometry takes, a name beside a number that fails.
        {"unset radius", withLine("#175 = CIRCLE('',#176,14.);", "#175 = CIRCLE('',#176,$);"),
         "entity #175 is malformed (Parameter n0.3 (radius) not a Real)"},
        {"unset sense", withLine("#17 = ADVANCED_FACE('',(#18,#54,#168,#199),#31,.T.);",
                                 "#17 = ADVANCED_FACE('',(#18,#54,#168,#199),#31,$);"),
         "entity #17 is malformed (Parameter n0.4 (same_sense) not a Boolean. It was set to true)"},
        {"unset name", withLine("#175 = CIRCLE('',#176,14.);", "#175 = CIRCLE($,#176,'abc');"),
         "entity #175 is malformed (Parameter n0.3 (radius) not a Real)"},
        // A placement whose unset name alone would be set empty where it was loaded: its reference too.
        {"unset name and reference", assemblyWithLine("#3123=ITEM_DEFINED_TRANSFORMATION($,$,#11,#3114);",
                                                      "#3123=ITEM_DEFINED_TRANSFORMATION($,$,$,#3114);"),
         "entity #3123 is malformed (Parameter n0.3 (transform_item_1) not an Entity)"},
        // A reference the reader cannot take, where the shape needs it.
        {"unreadable position", withLine("#175 = CIRCLE('',#176,14.);", "#175 = CIRCLE(''," + kNone + ",14.);"),
         "it holds line 207: an entity number past the reader's range (" + kNone + ")"},
    };
    for (const auto& file : files) {
        SCOPED_TRACE(file.name);
        const std::string path = write(std::string(file.name) + ".step", file.text);
        const StepImport refused = importStep(path);
        EXPECT_TRUE(refused.solids.empty());
        EXPECT_EQ(refused.error, path + ": not read, " + file.refusal);
        EXPECT_EQ(importStep(path, {.failNamesAndColours = true}).error, refused.error);
    }

    const StepImport unnamed = importStep(write("unnamed.step", withData([](std::string data) {
        return data.insert(6, "#999999=CARTESIAN_POINT('',(1.,'x',2.));\n");
    })));
    ASSERT_TRUE(unnamed.ok()) << unnamed.error;
    EXPECT_EQ(unnamed.solids.size(), importStep(kExample).solids.size());
}

// What carries no shape and is left unset, or given unset, is read so: a name or description read as empty,
// mended in the loaded entities where their kind is known (the accuracy's description) or by reading the
// file again where it is not (a curve's name, a point's, which the kernel words otherwise, every name of the
// file); references to an entity number the reader cannot take (2^64-1, which one system writes for none)
// on product data beside the shapes, here a person and organisation assigned to the product. The part is
// the one the file gives without them, and the user is told once.
TEST_F(StepImportTest, WhatCarriesNoShapeIsReadAsUnsetWhateverItsEntity) {
    const StepImport plain = importStep(kExample);
    ASSERT_TRUE(plain.ok()) << plain.error;
    const std::string one = "1 name or description left unset \\(\\$\\) was read as empty";
    const struct {
        const char* name;
        std::string text;
        std::string warning;   // a pattern
    } files[] = {
        {"accuracy", withLine("'distance_accuracy_value','confusion accuracy');", "'distance_accuracy_value',$);"), one},
        {"curve", withLine("#175 = CIRCLE('',#176,14.);", "#175 = CIRCLE($,#176,14.);"), one},
        {"point", withLine("#12 = CARTESIAN_POINT('',(0.,0.,0.));", "#12 = CARTESIAN_POINT($,(0.,0.,0.));"), one},
        {"every name", std::regex_replace(example(), std::regex("\\(''"), "($"),
         "[0-9]{3} names or descriptions left unset \\(\\$\\) were read as empty"},
        {"person", withData([](std::string data) {
             return data.insert(6, "#999990=PERSON_AND_ORGANIZATION(" + kNone + "," + kNone + ");\n" +
                                       "#999991=PERSON_AND_ORGANIZATION_ROLE('design_owner');\n" +
                                       "#999992=APPLIED_PERSON_AND_ORGANIZATION_ASSIGNMENT(#999990,#999991,(#5));\n");
         }),
         "2 references to entity numbers past the reader's range were read as unset, on product data beside the "
         "shapes \\(line 10 #999990\\)"},
    };
    for (const auto& file : files) {
        SCOPED_TRACE(file.name);
        const StepImport read = importStep(write(std::string(file.name) + ".step", file.text));
        ASSERT_TRUE(read.ok()) << read.error;
        ASSERT_EQ(read.warnings.size(), 1u);
        EXPECT_TRUE(std::regex_match(read.warnings[0], std::regex(file.warning))) << read.warnings[0];
        ASSERT_EQ(read.solids.size(), plain.solids.size());
        EXPECT_EQ(*read.solids[0].solid.fileText(), *plain.solids[0].solid.fileText());
        EXPECT_EQ(read.solids[0].name, plain.solids[0].name);
    }
}

// The file of the system that writes 2^64-1 for no entity, on eight persons and organisations: its three
// solids open, and the references are told once.
TEST_F(StepImportTest, AFileWhoseProductDataRefersToNoEntityOpens) {
    const StepImport read = importStep(realPartsDir() + "/solidworks_koch_hn11_horn_set.step");
    ASSERT_TRUE(read.ok()) << read.error;
    EXPECT_EQ(read.solids.size(), 3u);
    EXPECT_EQ(read.warnings, std::vector<std::string>{
                                 "16 references to entity numbers past the reader's range were read as unset, on product "
                                 "data beside the shapes (line 277 #262, line 517 #502, line 602 #587, line 627 #612, "
                                 "line 998 #973, ...)"});
}

TEST_F(StepImportTest, AFolderIsNoStepFile) {
    const std::string folder = dir.path() + "/part.step";
    std::filesystem::create_directory(folder);
    EXPECT_EQ(importStep(folder).error, folder + ": is a folder, not a STEP file");
    EXPECT_EQ(importStep(dir.path() + "/none.step").error, dir.path() + "/none.step: no such file");
}

// The transfer with names and colours throws: the file is read again without them and the user is told
// on the message line; every solid is there.
TEST_F(StepImportTest, AFailedNamesAndColoursTransferStillOpensTheSolids) {
    using namespace host::builder;
    BuiltPart a = PartBuilder::block({40, 40, 20}).hole(throughHole("h", {20, 20, 20}, {0, 0, -1}, 6)).build();
    BuiltPart b = PartBuilder::block({10, 10, 10}, {100, 0, 0}).build();
    ASSERT_TRUE(a.ok() && b.ok());
    const std::string path = dir.path() + "/two.step";
    ASSERT_EQ(exportStep({{a.solid, "a", 4}, {b.solid, "b", 5}}, path), "");

    newPart();
    plat::driver().reset();
    ASSERT_EQ(openStepAsPart(path, {.failNamesAndColours = true}), "");
    const std::vector<ent> solids = allEntities();
    ASSERT_EQ(solids.size(), 2u);
    EXPECT_EQ(solids[0].color, main_color);
    EXPECT_EQ(solids[0].solid.body, "");
    ASSERT_TRUE(solids[0].solid.geom && solids[1].solid.geom);
    EXPECT_NEAR(solids[0].solid.geom->volume(), a.solid.volume(), 1e-6 * a.solid.volume());
    EXPECT_NEAR(solids[1].solid.geom->volume(), b.solid.volume(), 1e-6 * b.solid.volume());
    const std::string said = path + ": names and colours could not be read (a fault injected for a test); "
                                    "the solids are read without them\n";
    EXPECT_EQ(messageLine(), said);

    const StepImport kept = importStep(path);   // the same file read whole
    ASSERT_TRUE(kept.ok()) << kept.error;
    EXPECT_TRUE(kept.warnings.empty());
    ASSERT_EQ(kept.solids.size(), 2u);
    EXPECT_EQ(kept.solids[1].name, "b");
    EXPECT_EQ(kept.solids[1].colour, 5);
}

// A reader that crashes in the transfer with names and colours (as the kernel's colour reading did on a
// malformed style) is asked again for the solids alone: the part opens, and the message line says why it
// has no names and colours.
TEST_F(StepImportTest, AReaderThatCrashesInNamesAndColoursStillOpensTheSolids) {
    host::reset();
    newPart();
    plat::driver().reset();
    ASSERT_EQ(openStepAsPart(kExample, {.crashNamesAndColours = true}), "");
    const std::vector<ent> solids = allEntities();
    ASSERT_EQ(solids.size(), 1u);
    EXPECT_EQ(solids[0].color, main_color);
    // The signal is the crash's own, or an abort where AddressSanitizer catches the crash first.
    const std::string said = messageLine();
    const std::string head = kExample + ": names and colours could not be read (the STEP reader crashed on the file (";
    const std::string tail = ")); the solids are read without them\n";
    ASSERT_GT(said.size(), head.size() + tail.size()) << said;
    EXPECT_EQ(said.substr(0, head.size()), head) << said;
    EXPECT_EQ(said.substr(said.size() - tail.size()), tail) << said;
    const std::string signal = said.substr(head.size(), said.size() - head.size() - tail.size());
    EXPECT_TRUE(signal == "Segmentation fault" || signal == "Aborted") << said;
}

// A burst of imports shares one reader: a file the kernel crashes or hangs on ends that reader with the
// message of its own, and every file before and after reads as it reads alone, in whatever order.
TEST_F(StepImportTest, ABurstOfImportsReadsEachFileAsAloneAroundOnesTheKernelCannotSurvive) {
    auto describe = [](const StepImport& in) {
        std::string d = in.error;
        for (const StepSolid& s : in.solids)
            d += "|" + s.name + ":" + std::to_string(s.colour) + ":" + std::to_string(s.solid.faces().size()) + ":" +
                 std::to_string(s.solid.volume());
        return d;
    };
    const std::string examples = std::string(FX_SOURCE_DIR) + "/data/examples/";
    const std::string files[] = {examples + "boss_part.step", examples + "holes_plate.step",
                                 examples + "directions_block.step"};
    std::vector<std::string> alone;
    for (const std::string& f : files) {
        alone.push_back(describe(importStep(f)));
        EXPECT_EQ(alone.back().find(':') == std::string::npos, false) << f;
    }
    const std::string nan = write("nan.step", withNan());
    const std::string nested100k = write("nested.step", nested(100000));
    auto failsInTheReader = [&](const std::string& path) {
        const StepImport survived = importStep(path, {.timeLimitSeconds = 1, .skipPreScan = true});
        EXPECT_TRUE(survived.solids.empty());
        EXPECT_TRUE(survived.error.find("the STEP reader") != std::string::npos ||
                    survived.error.find(" is malformed (") != std::string::npos ||
                    survived.error.find("took longer than 1 s and was stopped") != std::string::npos)
            << survived.error;
    };
    for (std::size_t i = 0; i < std::size(files); ++i) {
        EXPECT_EQ(describe(importStep(files[i])), alone[i]) << files[i];
        failsInTheReader(nested100k);
    }
    failsInTheReader(nan);
    for (std::size_t i = std::size(files); i-- > 0;) EXPECT_EQ(describe(importStep(files[i])), alone[i]) << files[i];
}

// The boss example with a chain of `levels` assemblies, each the one component of the one before; with
// `closed`, the last holds the first again; with `deepestFirst`, written from the last level up.
std::string assemblyChain(int levels, bool closed, bool deepestFirst = false) {
    return withData([&](std::string data) {
        std::smatch product, definition;
        std::regex_search(data, product, std::regex(R"(#(\d+) = PRODUCT_CONTEXT\()"));
        std::regex_search(data, definition, std::regex(R"(#(\d+) = PRODUCT_DEFINITION_CONTEXT\()"));
        std::string chain;
        auto pd = [](int level) { return "#" + std::to_string(800000 + 4 * level + 2); };
        for (int step = 0; step < levels; ++step) {
            const int level = deepestFirst ? levels - 1 - step : step;
            const int at = 800000 + 4 * level;
            chain += "#" + std::to_string(at) + "=PRODUCT('a','a','',(#" + product[1].str() + "));\n#" +
                     std::to_string(at + 1) + "=PRODUCT_DEFINITION_FORMATION('','',#" + std::to_string(at) + ");\n" +
                     pd(level) + "=PRODUCT_DEFINITION('design','',#" + std::to_string(at + 1) + ",#" +
                     definition[1].str() + ");\n";
            if (level > 0 || closed)
                chain += "#" + std::to_string(at + 3) + "=NEXT_ASSEMBLY_USAGE_OCCURRENCE('u','','',"
                         + pd(level > 0 ? level - 1 : levels - 1) + "," + pd(level) + ",$);\n";
        }
        return data.insert(6, chain);
    });
}

// The reader follows an assembly's levels by recursion: a chain of 10,000 overflowed its stack. Deeper than
// the limit is refused, naming the link past it; within it the part opens. An assembly that holds itself,
// and a link from the product to its shape that the kernel cannot read, are told.
TEST_F(StepImportTest, AssembliesNestWithinALimitAndOneThatHoldsItselfIsTold) {
    const StepImport deep = importStep(write("deep.step", assemblyChain(10000, false)));
    EXPECT_TRUE(deep.solids.empty());
    EXPECT_NE(deep.error.find(": not read, its assemblies nest deeper than 200 levels (#800803)"), std::string::npos)
        << deep.error;
    const StepImport upward = importStep(write("upward.step", assemblyChain(10000, false, true)));
    EXPECT_NE(upward.error.find(": not read, its assemblies nest deeper than 200 levels (#"), std::string::npos)
        << upward.error;
    const StepImport fine = importStep(write("fine.step", assemblyChain(150, false)));
    EXPECT_TRUE(fine.ok()) << fine.error;
    // The product's link to its shape naming the product in place of the shape: no solid, and why.
    const std::string broken = write("broken.step", withLine("#3 = SHAPE_DEFINITION_REPRESENTATION(#4,#10);",
                                                             "#3 = SHAPE_DEFINITION_REPRESENTATION(#4,#5);"));
    EXPECT_EQ(importStep(broken).error.rfind(broken + ": the file holds no solids (1 link from the product to its "
                                                      "shapes could not be read and was left aside (#3);",
                                             0),
              0u)
        << importStep(broken).error;
    const StepImport cycle = importStep(write("cycle.step", assemblyChain(3, true)));
    const std::string said = "an assembly holds itself, through #800011";
    EXPECT_NE(std::find(cycle.warnings.begin(), cycle.warnings.end(), said), cycle.warnings.end())
        << (cycle.warnings.empty() ? cycle.error : cycle.warnings[0]);
}

// An entity with `count` parameters of 16,000 characters, a line each: strings ("'"), binaries ("\"") or words
// ("").
std::string longTokens(int count, const std::string& quote, char filler) {
    std::string text = "#1=A(";
    for (int i = 0; i < count; ++i)
        text += "\n" + quote + std::string(16000 - 2 * quote.size(), filler) + quote + ",";
    return text + "'');";
}

TEST(StepPreScan, FindsOnlyWhatIsOutsideStringsAndComments) {
    struct Case {
        const char* text;
        const char* finding;   // "" for none
    };
    const Case cases[] = {
        {"#1=A('NAN ((((((((',1.E-07,-2.5,.T.,\"0FF\");", ""},
        {"/* 1.E300 INF ) */ #2=B((1.,2.,3.));", ""},
        {"#3=B('it''s',(NAN));", "line 1: a number that is not finite (NAN)"},
        {"#4=B(\n(1.E16));", "line 2: an absurd number (1.E16)"},
        {"#5=B((-1.E999));", "line 1: a number out of range (-1.E999)"},
        // At the limits, and what only looks like a number.
        {"#5=B(999999999999999.9,1.E15,-0.001E-297,0.E99999,00001.E14,1.5.3,.5E,-.5);", ""},
        {"#5=B(1000000000000000.1);", "line 1: an absurd number (1000000000000000.1)"},
        {"#5=B(1.E00016);", "line 1: an absurd number (1.E00016)"},
        {"#5=B(1.E-00000000000000000016,1.E+0000000000000000000000016);",
         "line 1: an absurd number (1.E+0000000000000000000000016)"},
        {"#5=B(1.E-400);", "line 1: a number out of range (1.E-400)"},
        {"#6=B(+1.#INF);", "line 1: a number that is not finite (INF)"},
        // An entity number past the reader's range: refused where it is defined, not where it is referred to.
        {"#7=B(#2147483648);\n#99999999999 /* x */ =B();", "line 2: an entity number past the reader's range (#99999999999)"},
        {"END-ISO-10303-21;", ""},
        {"#8 /* a note */ =B(#9,#8);\n#9\t= C(#8, #ANY);", ""},
        {"#8=B(#9);\n#10=C(#8);", "a reference to #9, an entity it does not define"},
        {"#9=B(#8,#4);\n#2=C(#3,#2);", "a reference to #3, an entity it does not define"},   // the least
        {"#1=B(#7,#5);\n#900000=C(#1,#900001);", "a reference to #5, an entity it does not define"},   // sparse
        {"#1=A(1.E16", "line 1: an absurd number (1.E16)"},
        {"#1=A(1.E999\n);", "line 1: a number out of range (1.E999)"},   // on the line it ends
        {"#8=B();\n#8 = C(#8);", "a second entity #8"},
        // Whatever never closes would hide the rest of the file: here a second entity #1.
        {"#1=A('it);\n#1=B();", "line 1: a string that never ends"},
        {"#1=A();\n/* a note\n#1=B();", "line 2: a comment that never ends"},
        {"#1=A(\n\"0FF);\n#1=B(\"0F\");", "line 2: a binary with a character that is no hexadecimal digit"},
        {"#1=A(\"3ABC", "line 1: a binary that never ends"},
        {"#1=A('two\nlines',\"\");", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(stepPreScan(c.text), c.finding) << c.text;
        StepPreScan bytes;   // fed one byte at a time: the same finding
        for (const char* p = c.text; *p; ++p) bytes.feed(std::string_view(p, 1));
        EXPECT_EQ(bytes.finish(), c.finding) << c.text;
    }
    EXPECT_EQ(stepPreScan(std::string(kStepMaxNesting, '(')), "");
    EXPECT_EQ(stepPreScan(std::string(kStepMaxNesting + 1, '(')), "line 1: lists nested deeper than 64 levels");
    EXPECT_EQ(stepPreScan(std::string(400, '7')), "line 1: a number of more than 320 characters");
    EXPECT_EQ(stepPreScan(example()), "");

    // A string or binary the kernel's reader cannot hold (its quotes and doubled quotes counted), named
    // on the line where it begins, whole or fed in pieces.
    auto quoted = [](std::size_t bytes, char quote, const std::string& filler) {
        std::string inside;
        while (inside.size() < bytes - 2) inside += filler;
        inside.resize(bytes - 2);
        return "#1=A(\n" + std::string(1, quote) + inside + std::string(1, quote) + ");";
    };
    const std::string tooLong = "line 2: a string of 16383 characters, longer than the reader takes (16382)";
    const std::pair<std::string, std::string> strings[] = {
        {quoted(kStepMaxString, '\'', "x"), ""},
        {quoted(kStepMaxString + 1, '\'', "x"), tooLong},
        {quoted(kStepMaxString + 1, '\'', "it''s\nx"), tooLong},
        {quoted(kStepMaxString, '"', "0F"), ""},
        {quoted(kStepMaxString + 1, '"', "0F"),
         "line 2: a binary of 16383 characters, longer than the reader takes (16382)"},
        // A comment as long as the reader takes, and one longer, named where it begins.
        {"#1=A();\n/*" + std::string(kStepMaxComment - 4, '*') + "*/", ""},
        {"#1=A();\n/*" + std::string(kStepMaxComment - 3, 'x') + "*/#2=B();",
         "line 2: a comment of 16387 characters, longer than the reader takes (16386)"},
        // Long tokens cost the reader the square of their lengths: four words or binaries of 16,000 are read, a
        // fifth is not. Strings reach it cut, any number of them.
        {longTokens(4, "", 'A'), ""},
        {longTokens(5, "", 'A'),
         "line 6: a word of 16000 characters, one too many of that length: the reader would take minutes over them all"},
        {longTokens(5, "\"", 'F'),
         "line 6: a binary of 16000 characters, one too many of that length: the reader would take minutes over them "
         "all"},
        {longTokens(20, "'", 'x'), ""},
    };
    for (const auto& [text, finding] : strings) {
        EXPECT_EQ(stepPreScan(text), finding);
        for (std::size_t piece : {1, 7, 4096}) {
            StepPreScan pieces;
            for (std::size_t at = 0; at < text.size(); at += piece) pieces.feed(std::string_view(text).substr(at, piece));
            EXPECT_EQ(pieces.finish(), finding) << piece;
        }
    }
}

// A finding and a noted definition name the same line whether the file's lines end in LF, CR LF or a lone
// CR, whole or fed in pieces that part a CR from its LF.
TEST(StepPreScan, NamesTheSameLineWhateverEndsTheLines) {
    const std::pair<std::string, std::string> cases[] = {
        {"#1=A(\n'two\nlines',\n\n(1.E16));", "line 5: an absurd number (1.E16)"},
        {"#1=A();\n/* a\nnote */\n#2=B(\n'never\nends);", "line 5: a string that never ends"},
        {"#1=A(\n\n\"0FF);", "line 3: a binary with a character that is no hexadecimal digit"},
        {"#1=A('a',\n1.E999\n);", "line 2: a number out of range (1.E999)"},
        {"#1=A();\n\n#7=DOCUMENT_FILE(\n);", ""},
    };
    for (const auto& [lf, finding] : cases) {
        for (const std::string end : {"\n", "\r\n", "\r"}) {
            const std::string text = std::regex_replace(lf, std::regex("\n"), end);
            for (std::size_t piece : {std::size_t{1}, std::size_t{2}, std::size_t{3}, text.size()}) {
                StepPreScan scan;
                scan.noteDefinitions({7});
                for (std::size_t at = 0; at < text.size(); at += piece) scan.feed(std::string_view(text).substr(at, piece));
                EXPECT_EQ(scan.finish(), finding) << lf << " ends " << end.size() << " piece " << piece;
                if (finding.empty()) {
                    ASSERT_EQ(scan.noted().size(), 1u);
                    EXPECT_EQ(scan.noted()[0].line, 3u) << end.size() << " piece " << piece;
                }
            }
        }
    }
}

// The reader is given no byte order mark, no comments and strings cut to kStepLongToken bytes, whole
// escapes and doubled quotes kept and a run of escapes cut at a character and closed; a complex entity's
// parts in alphabetical order; a number's exponent written "e" as "E", which alone the kernel's reader
// takes; every line keeps its number.
TEST(StepPreScan, TheReaderIsGivenNoCommentsLongStringsCutAndPartsInOrder) {
    const std::size_t most = kStepLongToken - 2;   // between the quotes
    const std::string x(most, 'x'), y(most - 4, 'y'), a(100, 'a');
    auto run = [](const std::string& hex) { return "\\X2\\" + hex + "\\X0\\"; };
    std::string forty;   // a name of forty characters, each its escape
    for (int i = 0; i < 40; ++i) forty += "04" + std::string(1, "123456789ABCDEF"[i % 15]) + "0";
    struct Case {
        std::string text, given;
        std::size_t cut = 0, reordered = 0;
        std::string unset = "";
    };
    const Case cases[] = {
        {"#1=A('a /* b',/* c\n'd */\n#2=B(\"0F\",1/2);", "#1=A('a /* b', \n\n#2=B(\"0F\",1/2);"},
        {"#1=A('" + x + "');", "#1=A('" + x + "');"},
        {"#1=A('" + x + "z\nz');\n#2=B('" + x + "zz');", "#1=A('" + x + "'\n);\n#2=B('" + x + "');", 2},
        {"#1=A('" + y + "abc''d');", "#1=A('" + y + "abc');", 1},
        {"#1=A('" + y + "ab''cd');", "#1=A('" + y + "ab''');", 1},
        {"#1=A('" + y + "\\X2\\00E9\\X0\\');", "#1=A('" + y + "');", 1},
        {"#1=A('" + y + "\\S\\a\\X\\E9');", "#1=A('" + y + "\\S\\a');", 1},
        // A run of escapes longer than the room is cut at a character and closed: 29 of 40 fit.
        {"#1=A('" + run(forty) + "');", "#1=A('" + run(forty.substr(0, 4 * 29)) + "');", 1},
        {"#1=A('" + a + run(forty) + "');", "#1=A('" + a + run(forty.substr(0, 16)) + "');", 1},
        {"#1=A('" + a + "\\X4\\0001F600000000E9000000E9\\X0\\b');", "#1=A('" + a + "\\X4\\0001F600000000E9\\X0\\');", 1},
        // Not within a character of two halves (a UTF-16 pair); a run never closed is closed.
        {"#1=A('" + a + "0123456789" + run("0041D83DDE000042") + "');", "#1=A('" + a + "0123456789" + run("0041") + "');", 1},
        {"#1=A('" + a + "\\X2\\00E900E900E900E900E900E9');", "#1=A('" + a + run("00E900E900E900E9") + "');", 1},
        // A doubled quote before a comma or parenthesis, which the kernel's reader took for the string's end.
        {"#1=A('a'',b'' )c''d','''');", "#1=A('a\\X\\27,b\\X\\27 )c''d','''');"},
        {"#1=A('never ends", "#1=A('never ends"},
        // A byte order mark; a complex entity's parts in the order the format asks, blanks and lines kept.
        {"\xEF\xBB\xBFISO-10303-21;\r\n#1=A();", "ISO-10303-21;\r\n#1=A();"},
        {"#1=(NAMED_UNIT(#2)SOLID_ANGLE_UNIT()SI_UNIT($,.STERADIAN.));",
         "#1=(NAMED_UNIT(#2)SI_UNIT($,.STERADIAN.)SOLID_ANGLE_UNIT());", 0, 1},
        {"#1 = ( b_part(1,\n(2)) /* A( */ A_PART('s)') )\n;#2=(A()B(#1));#3=A((B(1)));",
         "#1 = ( A_PART('s)')   b_part(1,\n(2)) )\n;#2=(A()B(#1));#3=A((B(1)));", 0, 1},
        {"#1=(B()A);#2=(B(A(1)));", "#1=(B()A);#2=(B(A(1)));"},   // not parts: left as written
        // Only a number's "e": not in a string, an enumeration, a word or what is no number.
        {"#1=A('1e5',(1.5e-05,-2.e3,+.5e+2,7e1,1.5E-05),.e.,1e,e1,X1e5,1.2.3e4);#2=A(2.5e1",
         "#1=A('1e5',(1.5E-05,-2.E3,+.5E+2,7E1,1.5E-05),.e.,1e,e1,X1e5,1.2.3e4);#2=A(2.5E1"},
        // References past the reader's range, as one system writes none, given unset: said with their entity.
        {"#1=A();\n#262 = B ( #18446744073709551615, (#1,\n#2147483648) ) ;#3=(Z(#99999999999)A(#1));",
         "#1=A();\n#262 = B ( $, (#1,\n$) ) ;#3=(A(#1)Z($));", 0, 1,
         "#262 line 2: an entity number past the reader's range (#18446744073709551615); #262 line 3: an entity number "
         "past the reader's range (#2147483648); #3 line 3: an entity number past the reader's range (#99999999999); "},
    };
    for (const Case& c : cases) {
        const StepReaderText given = stepTextForReader(c.text);
        EXPECT_EQ(given.text, c.given) << c.text;
        EXPECT_EQ(given.cut, c.cut) << c.text;
        EXPECT_EQ(given.reordered, c.reordered) << c.text;
        std::string unset;
        for (const StepPreScan::Unreadable& u : given.unset)
            unset += "#" + std::to_string(u.entity) + " line " + std::to_string(u.line) + ": " + u.what + "; ";
        EXPECT_EQ(unset, c.unset) << c.text;
    }
}

// The parameters the kernel found unset among strings are set to '' where they are `$`: in a complex entity,
// in the one part that has it so.
TEST(StepPreScan, UnsetStringsAreSetEmptyWhereTheyAreDollars) {
    const struct {
        std::string text;
        std::vector<std::pair<std::uint32_t, int>> asked;
        std::string mended;
        std::size_t set;
    } cases[] = {
        {"#5=UNCERTAINTY_MEASURE_WITH_UNIT(1.E-05,#1,'D',$);", {{5, 4}},
         "#5=UNCERTAINTY_MEASURE_WITH_UNIT(1.E-05,#1,'D','');", 1},
        {"#6 = ITEM_DEFINED_TRANSFORMATION( $ , $,#1,#2);\n#7=A($);", {{6, 1}, {6, 2}},
         "#6 = ITEM_DEFINED_TRANSFORMATION( '' , '',#1,#2);\n#7=A($);", 2},
        {"#1=A('a,(b''',(1,$),$);", {{1, 3}}, "#1=A('a,(b''',(1,$),'');", 1},
        {"#7=(A($,'x')B(1,$));", {{7, 1}}, "#7=(A('','x')B(1,$));", 1},
        {"#7=(A($,'x')B(1,$));", {{7, 2}}, "#7=(A($,'x')B(1,''));", 1},
        // Nothing where it is not `$`, where several parts have it so, or where the entity is not there.
        {"#8=(A($)B($));#9=A(1.,2.);", {{8, 1}, {9, 2}, {9, 3}, {10, 1}}, "#8=(A($)B($));#9=A(1.,2.);", 0},
    };
    for (const auto& c : cases) {
        std::string text = c.text;
        EXPECT_EQ(setUnsetStringsEmpty(text, c.asked), c.set) << c.text;
        EXPECT_EQ(text, c.mended) << c.text;
    }
}

// Product names of 1,022 characters, and comments, two megabytes: the part opens with its name cut and the
// cut said, its quotes as written (the kernel's reader took "'', " for the name's end and refused the file).
// Cancel on the wait dialog while the reader reads stops it, and the next import reads the file.
TEST_F(StepImportTest, LongNamesAreReadCutAndSaidAndTheReadingCancels) {
    const std::string name(1022, 'n'), quoted = "boss ''part'', cut " + name;
    const std::string path = write("names.step", withData([&](std::string data) {
        data = data.replace(data.find("'boss_part','boss_part'"), 23, "'" + quoted + "','" + quoted + "'");
        for (int i = 0; i < 1000; ++i)
            data.insert(6, "/* " + name + " */ #" + std::to_string(900000 + i) + "=PRODUCT('" + name + "','','',(#8));\n");
        return data;
    }));
    const StepImport read = importStep(path);
    ASSERT_TRUE(read.ok()) << read.error;
    ASSERT_EQ(read.solids.size(), 1u);
    // 22 of the 124 characters the reader is given: "boss ''part\X\27, cut ".
    EXPECT_EQ(read.solids[0].name, "boss 'part', cut " + name.substr(0, kStepLongToken - 2 - 22));
    EXPECT_EQ(read.warnings,
              std::vector<std::string>{"1002 strings (names, descriptions) longer than 126 characters were read cut to that "
                                       "length"});
    {
        std::lock_guard lock(plat::driver().mutex());
        plat::driver().script().cancelWait();
    }
    EXPECT_EQ(importStep(path, {.skipPreScan = true}).error, path + ": the open was cancelled");
    EXPECT_TRUE(importStep(path).ok());
}

TEST(StepReply, IsReadOnlyWhole) {
    // Two faces: their colours, then their boxes in hexadecimal floating point, bit for bit.
    const std::string whole =
        "FXSTEP 1\nW 2\nhi\nS 1 255 4 2\nnBREP-1 7 \n0p+0 0p+0 -0p+0 1p+0 1p+0 1p+0 -1.8p+1 0p+0 0p+0 1p-1 1p+0 "
        "1.999999999999ap-4 \nE\n";
    StepReply reply;
    ASSERT_TRUE(parseStepReply(whole, reply));
    ASSERT_EQ(reply.bodies.size(), 1u);
    EXPECT_EQ(reply.bodies[0].name, "n");
    EXPECT_EQ(reply.bodies[0].brep, "BREP");
    EXPECT_EQ(reply.bodies[0].faceColours, (std::vector<int>{-1, 7}));
    ASSERT_EQ(reply.bodies[0].faceBoxes.size(), 2u);
    EXPECT_EQ(reply.bodies[0].faceBoxes[0].max, (Vec3{1, 1, 1}));
    EXPECT_TRUE(std::signbit(reply.bodies[0].faceBoxes[0].min[2]));
    EXPECT_EQ(reply.bodies[0].faceBoxes[1].min, (Vec3{-3, 0, 0}));
    EXPECT_EQ(reply.bodies[0].faceBoxes[1].max, (Vec3{0.5, 1, 0.1}));
    EXPECT_EQ(reply.warnings, std::vector<std::string>{"hi"});
    for (std::size_t cut = 0; cut < whole.size(); ++cut) {
        StepReply part;
        EXPECT_FALSE(parseStepReply(whole.substr(0, cut), part)) << cut;
    }
    const std::string faceless = "FXSTEP 1\nS 1 255 4 0\nnBREP\n\nE\n";
    StepReply none;
    ASSERT_TRUE(parseStepReply(faceless, none));
    EXPECT_TRUE(none.bodies.at(0).faceBoxes.empty());
    for (const char* bad : {
             "FXSTEP 1\nS 1 255 4 99999999999\nnBREP\nE\n",            // more faces than bytes
             "FXSTEP 1\nS 1 16777216 4 0\nnBREP\n\nE\n",               // a colour out of range
             "FXSTEP 1\nS 1 255 4 0\nnBREP\nE\n",                      // no line of boxes
             "FXSTEP 1\nS 1 255 4 1\nnBREP1 \n0p+0 0p+0 0p+0 1p+0 1p+0 \nE\n",          // a box of five
             "FXSTEP 1\nS 1 255 4 1\nnBREP1 \n0p+0 0p+0 0p+0 1p+0 1p+0 inf \nE\n",      // not finite
             "FXSTEP 1\nS 1 255 4 1\nnBREP1 \n0p+0 0p+0 0p+0 1p+0 1p+0 x1p+0 \nE\n",    // not a number
         }) {
        StepReply refused;
        EXPECT_FALSE(parseStepReply(bad, refused)) << bad;
    }
}

// The reader's answer to a part's geometry texts: which it made and, for each made, its faces' boxes.
TEST(GeometryReply, IsReadOnlyWholeAndForItsTexts) {
    const std::string whole = "FXGEOM 2\n101\n1\n0p+0 0p+0 -0p+0 1p+0 1p+0 1.8p+1 \n0\n\nE\n";
    const std::optional<std::vector<GeometryReplyText>> reply = parseGeometryReply(whole, 3);
    ASSERT_TRUE(reply.has_value());
    ASSERT_EQ(reply->size(), 3u);
    EXPECT_TRUE((*reply)[0].made);
    ASSERT_EQ((*reply)[0].faceBoxes.size(), 1u);
    EXPECT_TRUE(std::signbit((*reply)[0].faceBoxes[0].min[2]));
    EXPECT_EQ((*reply)[0].faceBoxes[0].max, (Vec3{1, 1, 3}));
    EXPECT_FALSE((*reply)[1].made);
    EXPECT_TRUE((*reply)[2].made);
    EXPECT_TRUE((*reply)[2].faceBoxes.empty());
    for (std::size_t cut = 0; cut < whole.size(); ++cut) EXPECT_FALSE(parseGeometryReply(whole.substr(0, cut), 3)) << cut;
    EXPECT_FALSE(parseGeometryReply(whole, 2));
    EXPECT_FALSE(parseGeometryReply(whole, 4));
    for (const char* bad : {
             "FXGEOM 1\n1\nE\n",                                         // the form that carried no boxes
             "FXGEOM 2\n2\n0\n\nE\n",                                    // neither made nor refused
             "FXGEOM 2\n1\nE\n",                                         // made, without its boxes
             "FXGEOM 2\n1\n99999999999\n\nE\n",                          // more boxes than bytes
             "FXGEOM 2\n1\n1\n0p+0 0p+0 0p+0 1p+0 1p+0 \nE\n",             // a box of five
             "FXGEOM 2\n1\n1\n0p+0 0p+0 0p+0 1p+0 1p+0 inf \n\nE\n",      // not finite
             "FXGEOM 2\n0\nE\nE\n",                                       // more after its end
         })
        EXPECT_FALSE(parseGeometryReply(bad, 1)) << bad;
}

// The host takes every face's box from the reader's reply: each is the box the host works out on the face
// itself, bit for bit, and the solid's box is their union.
TEST_F(StepImportTest, FacesTakeTheBoxesTheReaderWorkedOut) {
    const std::string examples = std::string(FX_SOURCE_DIR) + "/data/examples/";
    auto same = [](const Box3& a, const Box3& b) {
        for (int i = 0; i < 3; ++i)
            if (std::bit_cast<std::uint64_t>(a.min[i]) != std::bit_cast<std::uint64_t>(b.min[i]) ||
                std::bit_cast<std::uint64_t>(a.max[i]) != std::bit_cast<std::uint64_t>(b.max[i]))
                return false;
        return true;
    };
    for (const char* name : {"boss_part", "directions_block", "holes_plate", "mixed_tolerance_plate"}) {
        const StepImport imported = importStep(examples + name + ".step");
        ASSERT_TRUE(imported.ok()) << name << ": " << imported.error;
        int faces = 0;
        for (const StepSolid& s : imported.solids) {
            Box3 all = s.solid.faces().at(0).boundingBox();
            for (const FaceGeom& f : s.solid.faces()) {
                EXPECT_TRUE(same(f.boundingBox(), boxOf(occtFace(f)))) << name << " face " << faces;
                for (int i = 0; i < 3; ++i) {
                    all.min[i] = std::min(all.min[i], f.boundingBox().min[i]);
                    all.max[i] = std::max(all.max[i], f.boundingBox().max[i]);
                }
                ++faces;
            }
            EXPECT_TRUE(same(s.solid.boundingBox(), all)) << name;
        }
        EXPECT_GT(faces, 0) << name;
    }
}

}  // namespace
