// The recognition dumps as a reader of the work folder finds them: written only under the debug switch,
// one file per stage named by its number and tag, and the tree's text line by line.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <numbers>
#include <sstream>
#include <vector>

#include "host/api.h"
#include "platform/sys/files.h"
#include "plugin/base/globals.h"
#include "plugin/model/tree.h"
#include "plugin/recognition/dumps.h"
#include "plugin/services/recognition.h"
#include "support/hand_tree.h"
#include "support/plugin_fixture.h"

using namespace hand_tree;

namespace {

class DumpsTest : public PluginFixture {
protected:
    void SetUp() override {
        PluginFixture::SetUp();
        load();
        workDir = dir.path() + "/Tmp";
        ASSERT_TRUE(plat::createDirectories(workDir));
        g_globals->tmpDir = workDir;
        g_globals->debugDumps = 1;
    }
    std::vector<std::string> filesInWorkDir() const {
        std::vector<std::string> names;
        for (const plat::FileEntry& e : plat::findFiles(workDir, "*.*")) names.push_back(e.name);
        return names;
    }
    std::string read(const std::string& name) const { return plat::readFile(workDir + "/" + name).value_or("<missing>"); }
    std::string pathOf(const std::string& name) const { return workDir + "/" + name; }

    std::string workDir;
    TREE tree;
};

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

std::string hex32(const void* p) {
    char text[16];
    std::snprintf(text, sizeof text, "%08x", static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(p)));
    return text;
}

TEST_F(DumpsTest, WithTheSwitchOffNoDumpIsWrittenWhateverThePath) {
    tree.hole(tree.view(1), 0, 0, {cyl(0, -10, 3)});
    g_globals->debugDumps = 0;
    EXPECT_EQ(dumpCylsViews(tree.head, pathOf("tree.txt").c_str()), 0);
    EXPECT_EQ(dumpViewsList(pathOf("views.txt").c_str()), 0);
    for (int stage = kFirstDumpStage; stage <= kLastDumpStage; ++stage) EXPECT_EQ(dumpStage(tree.head, stage), 0);
    EXPECT_TRUE(filesInWorkDir().empty());
}

TEST_F(DumpsTest, EveryStageWritesItsOwnNumberedFileIntoTheWorkFolder) {
    tree.hole(tree.view(1), 0, 0, {cyl(0, -10, 3)});
    for (int stage = kFirstDumpStage; stage <= kLastDumpStage; ++stage) EXPECT_EQ(dumpStage(tree.head, stage), 0);
    EXPECT_EQ(dumpStage(tree.head, 0), 0);
    EXPECT_EQ(dumpStage(tree.head, 21), 0);
    const std::vector<std::string> expected = {
        "01_CylsRaw.txt",          "02_JointAxis.txt",     "03_CylsPlanarRev.txt",  "04_CylsEnh.txt",
        "05_CylsDelOpen.txt",      "06_CylsDelAngDummy.txt", "07_CylsPlanar.txt",   "08_CylsOverlapp.txt",
        "09_CylsUnusedPts.txt",    "10_CylsRemovePockets.txt", "11_CylsSplitTipTool.txt", "12_CylsEraAOpq.txt",
        "13_CylsSplitFar.txt",     "14_CylsSplitTwin.txt", "15_CylsEraBelow.txt",   "16_CylsSetEntry.txt",
        "17_CylsEraCavern.txt",    "18_CylsSplitTwin2.txt", "19_CylsDelOpen.txt",   "20_EraVoidView.txt",
    };
    EXPECT_EQ(filesInWorkDir(), expected);
    EXPECT_EQ(read("20_EraVoidView.txt"), read("01_CylsRaw.txt"));
}

TEST_F(DumpsTest, WithoutATreeOrAWorkFolderNothingIsWritten) {
    EXPECT_EQ(dumpCylsViews(nullptr, pathOf("tree.txt").c_str()), 0);
    EXPECT_EQ(dumpStage(nullptr, 1), 0);
    tree.hole(tree.view(1), 0, 0, {cyl(0, -10, 3)});
    EXPECT_EQ(dumpCylsViews(tree.head, ""), 0);
    EXPECT_EQ(dumpCylsViews(tree.head, nullptr), 0);
    EXPECT_TRUE(filesInWorkDir().empty());
    g_globals->tmpDir.clear();
    EXPECT_EQ(stageDumpPath(1), "");
    EXPECT_EQ(dumpStage(tree.head, 1), 0);
    EXPECT_FALSE(plat::fileExists("01_CylsRaw.txt"));   // not into the current folder either
}

TEST_F(DumpsTest, ATreeIsWrittenViewByViewWithItsPointsAndSegments) {
    VIEW_LIST* v = tree.view(1);
    v->idn = 7;
    const double identity[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    copyMatrix33(v->matrix, identity);
    POINT_LIST* p = tree.hole(v, 1, 2, {cyl(0, -10, 3).floorAtBottom()});
    p->holeType = 4;
    p->neckSplitted = 1;
    p->crashInto = 1;
    p->hillT = 2.5;
    CYL_LIST* c = p->firstCyl;
    copyMatrix33(c->matrix, identity);
    c->Ai = std::numbers::pi / 2;
    c->isTap = 1;
    c->threadDiam = 6;
    c->threadPitch = 1;
    c->entCount = 2;
    c->ents[0] = {3, 0, 11, 0};
    c->ents[1] = {4, 0, 12, 0};
    c->ovlpCount = 1;
    c->ovlp[0].rSup = 3;
    c->ovlp[0].rInf = 2.5;

    ASSERT_EQ(dumpCylsViews(tree.head, pathOf("tree.txt").c_str()), 0);

    const std::string expected =
        "\nView 1 idn 7\n"
        "    Matrix: +1.000000 +0.000000 +0.000000\n"
        "            +0.000000 +1.000000 +0.000000\n"
        "            +0.000000 +0.000000 +1.000000\n"
        "    1 Points:\n"
        "\n        X1.000000 Y2.000000 Z0.000000 (Univ X1.000000 Y2.000000 Z0.000000) DRILLHOLE neckSplitted "
        "crashInto hillT=2.500000\n"
        "        1 Cyls:\n"
        "            zSup 0.000 rSup3.0000 Ai+90.00\xBA Asw+360.00\xBA (cUniv X1.000000 Y2.000000 Z0.000000) "
        "zDir(0.000000 0.000000 1.000000)  M6.00x1.000\n"
        "            zInf-10.000 rInf3.0000 secAng=0.000\xBA\n"
        "            rFlatMinBtm0.0000 rFlatMinTop0.0000 rFlatMaxBtm3.0000 rFlatMaxTop0.0000 rToric0.0000 "
        "rCtoric0.0000 zToric0.0000  bottomFlat\n"
        "            Ents 2( 11 12) in levels( 3 4)\n"
        "            this=" + hex32(c) + " Prev=00000000 Next=00000000\n"
        "            Ovlp 1: rSup 3.000 rInf 2.500\n"
        "\n";
    EXPECT_EQ(read("tree.txt"), expected);
}

TEST_F(DumpsTest, APointWithoutFlagsEndsItsLineAfterTheWorldPosition) {
    tree.hole(tree.view(1), 0, 0, {cyl(0, -10, 3)});
    ASSERT_EQ(dumpCylsViews(tree.head, pathOf("tree.txt").c_str()), 0);
    const std::vector<std::string> text = lines(read("tree.txt"));
    ASSERT_GE(text.size(), 8u);
    EXPECT_EQ(text[6], "");   // each point starts with an empty line
    EXPECT_EQ(text[7], "        X0.000000 Y0.000000 Z0.000000 (Univ X0.000000 Y0.000000 Z0.000000) ");
}

TEST_F(DumpsTest, EachWriteMakesTheFileAnewWithEveryViewInListOrder) {
    VIEW_LIST* front = tree.view(2);
    tree.hole(front, 0, 0, {cyl(0, -10, 3)});
    tree.hole(front, 5, 0, {cyl(0, -10, 3)});
    tree.hole(tree.view(5), 0, 0, {cyl(0, -10, 3)});
    ASSERT_EQ(dumpStage(tree.head, 3), 0);
    std::vector<std::string> heads;
    for (const std::string& line : lines(read("03_CylsPlanarRev.txt")))
        if (line.rfind("View ", 0) == 0 || line.find("Points:") != std::string::npos) heads.push_back(line);
    EXPECT_EQ(heads, (std::vector<std::string>{"View 2 idn 0", "    2 Points:", "View 5 idn 0", "    1 Points:"}));

    TREE smaller;
    smaller.hole(smaller.view(4), 0, 0, {cyl(0, -1, 1)});
    ASSERT_EQ(dumpStage(smaller.head, 3), 0);
    const std::string again = read("03_CylsPlanarRev.txt");
    EXPECT_EQ(again.find("View 2"), std::string::npos);
    EXPECT_NE(again.find("View 4 idn 0"), std::string::npos);
}

TEST_F(DumpsTest, TheNamedViewsAreListedInTheHostsOrder) {
    view_ent mine;
    const double m[3][3] = {{0, 1, 0}, {0, 0, 1}, {1, 0, 0}};
    copyMatrix33(mine.matrix, m);
    std::snprintf(mine.name, sizeof mine.name, "SIDE A");
    char ok = 0;
    ASSERT_EQ(named_view_manager(&mine, 1, "", &ok), 1);

    ASSERT_EQ(dumpViewsList(pathOf(kRawViewsBeforeFile).c_str()), 0);

    const std::vector<std::string> text = lines(read(kRawViewsBeforeFile));
    ASSERT_EQ(text.size(), 14u);
    EXPECT_EQ(text[0], "n= 1 id= 1 'TOP'");
    EXPECT_EQ(text[1], "    1.000000 0.000000 0.000000    0.000000 1.000000 0.000000    0.000000 0.000000 1.000000");
    EXPECT_EQ(text[6], "n= 4 id= 4 'BOTTOM'");
    char expected[64];
    std::snprintf(expected, sizeof expected, "n=%2i id=%2u 'SIDE A'", mine.number, mine.id);
    EXPECT_EQ(text[12], expected);
    EXPECT_EQ(text[13], "    0.000000 1.000000 0.000000    0.000000 0.000000 1.000000    1.000000 0.000000 0.000000");
}

}  // namespace
