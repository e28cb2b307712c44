// The main job on every example part shipped, every part of the STEP corpus (files as other CAD systems
// write them) and every repro part: each opens, Execute and "Create operations" run, and the NC listing and
// reports are written; or it is refused with a message and exit status 2. The example plate, however it was written, gives the plain
// plate's listing. In the sanitized build the same runs catch a memory fault on any of these parts.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <ostream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "host/state.h"
#include "platform/ui/driver.h"
#include "support/case_names.h"
#include "support/main_job.h"
#include "support/step_parts.h"

namespace {

namespace fs = std::filesystem;

struct CorpusPart {
    std::string path;
    std::string name;   // the test's name: the file's stem
};

// Named by its file, so that the test's name does not hold the addresses of its strings.
[[maybe_unused]] void PrintTo(const CorpusPart& part, std::ostream* os) { *os << part.name; }

std::vector<CorpusPart> corpusParts() {
    std::vector<fs::path> files = stepTestParts();
    for (const auto& file : fs::directory_iterator(std::string(FX_SOURCE_DIR) + "/data/examples"))
        if (file.path().extension() == ".step") files.push_back(file.path());
    std::vector<CorpusPart> parts;
    for (const fs::path& part : files) parts.push_back({part.string(), part.stem().string()});
    std::sort(parts.begin(), parts.end(), [](const CorpusPart& a, const CorpusPart& b) { return a.name < b.name; });
    return parts;
}

// The listing without its name line, which carries the part's name.
std::string withoutNameLine(const std::string& nc) {
    const std::size_t at = nc.find("\nO1000 (");
    if (at == std::string::npos) return nc;
    return nc.substr(0, at + 1) + nc.substr(nc.find('\n', at + 1) + 1);
}

const std::string& plainPlateListing() {
    static const std::string listing = [] {
        resetPrivateModule();
        TempDir dir;
        const MainJobRun run = runMainJob(dir);
        EXPECT_EQ(run.code, 0) << run.err;
        host::reset();
        plat::driver().reset();
        return withoutNameLine(run.nc);
    }();
    return listing;
}

// The listing's lines without the numbers of blocks, operations, tools and tool lengths, in order: the same
// operations, tools, cycles and points in whatever order the hole path found (points a ten-millionth of a
// micrometre apart may tie it the other way).
std::string sortedBlocks(const std::string& nc) {
    static const std::regex numbers(R"(^N\d+ |(OP |T|H)\d+)");
    std::vector<std::string> lines;
    std::istringstream in(nc);
    for (std::string line; std::getline(in, line);) lines.push_back(std::regex_replace(line, numbers, "$1"));
    std::sort(lines.begin(), lines.end());
    std::string out;
    for (const std::string& line : lines) out += line + "\n";
    return out;
}

// The corpus parts that are the example plate written another way.
bool isThePlate(const std::string& name) {
    for (const char* plate : {"ap242_pmi_plate", "ap203_styles_layers", "ap214_styles_layers", "inch_plate",
                              "utf8_names", "sparse_numbering", "crlf_lines", "long_lines", "holes_plate_ap242_pmi"})
        if (name == plate) return true;
    return false;
}

class StepCorpusMainJob : public testing::TestWithParam<CorpusPart> {
protected:
    void TearDown() override {
        host::reset();
        plat::driver().reset();
    }
};

TEST_P(StepCorpusMainJob, OpensAndMakesItsOperationsOrIsRefusedWithWhy) {
    const CorpusPart& part = GetParam();
    plainPlateListing();
    resetPrivateModule();   // each run from a fresh install: a run adds rows to the tables it matched
    TempDir dir;
    const MainJobRun run = runMainJob(dir, kMainSession, part.path, "part");
    if (part.name == "tessellated_only") {
        EXPECT_EQ(run.code, 2);
        EXPECT_NE(run.err.find(part.path + ": the file holds no solids"), std::string::npos) << run.err;
        EXPECT_FALSE(fs::exists(dir.path() + "/part.pfp"));
        return;
    }
    ASSERT_EQ(run.code, 0) << run.err << run.out;
    EXPECT_TRUE(fs::exists(dir.path() + "/part.pfp"));
    if (holdsNoHole(part.path)) {   // recognition finds none: the user is told, and nothing is made
        EXPECT_NE(run.out.find("No hole was found in the part."), std::string::npos) << run.out;
        EXPECT_EQ(run.nc.find("(OP "), std::string::npos) << run.nc;
        return;
    }
    EXPECT_NE(run.nc.find("(OP "), std::string::npos) << run.nc;
    EXPECT_NE(run.nc.find("M30"), std::string::npos);
    EXPECT_FALSE(run.drillingList.empty());
    EXPECT_FALSE(run.machiningTime.empty());
    if (part.name == "holes_plate_ap242_pmi") {   // the tolerance the kernel cannot read, told in one line
        EXPECT_NE(run.out.find(part.path + ": 2 entities of product data beside the shapes could not be read and "
                                           "were left aside (#3008, #3011)\n"),
                  std::string::npos)
            << run.out;
    }
    if (part.name == "arm_bracket") {
        // Played again, the tools the first run made are in the library: the summary has no tools' buttons,
        // and the shipped job goes on past it too (what is cut is held by the example listing's test).
        host::reset();
        plat::driver().reset();
        const MainJobRun again = runMainJob(dir, kMainSession, part.path, "again");
        EXPECT_EQ(again.code, 0) << again.err << again.out;
        EXPECT_NE(again.out.find("user click 18036 3"), std::string::npos) << again.out;
    }
    if (part.name == "inch_plate") {
        EXPECT_EQ(sortedBlocks(withoutNameLine(run.nc)), sortedBlocks(plainPlateListing()));
    } else if (isThePlate(part.name)) {
        EXPECT_EQ(withoutNameLine(run.nc), plainPlateListing());
    }
}

INSTANTIATE_TEST_SUITE_P(Parts, StepCorpusMainJob, testing::ValuesIn(corpusParts()), byCaseName);

}  // namespace
