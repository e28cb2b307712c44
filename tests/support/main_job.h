// The README's main job as a user runs it: hostcam opens a part, plays a session (Execute, then "Create
// operations" by default) and saves the part, with its NC listing and reports beside it in a test's folder.
#pragma once
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "host/state.h"
#include "hostapp/hostcam.h"
#include <gtest/gtest.h>

#include "support/host_folder.h"
#include "support/nc_reader.h"
#include "support/private_module.h"
#include "support/temp_dir.h"

inline const std::string kMainSession = std::string(FX_SOURCE_DIR) + "/data/sessions/execute.session";
inline const std::string kPlate = std::string(FX_SOURCE_DIR) + "/data/examples/holes_plate.step";

inline std::string readWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline std::string replaceAll(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

struct MainJobRun {
    int code = -1;
    std::string out, err;
    std::string operations, groups, drillingList, machiningTime, nc;
};

// The main job on a part in a folder of its own, with a copy of the shipped host folder (made once). Its
// listing is read back as a control would: a cycle a control refuses (one whose R plane is not above its
// depth, as a cycle at its plane's origin height, Z0. R0., is) fails the test that played it.
inline MainJobRun runMainJob(const TempDir& dir, const std::string& session = kMainSession,
                             const std::string& open = kPlate, const std::string& title = "holes_plate") {
    MainJobRun run;
    std::string hostDir = dir.path() + "/host";
    if (!std::filesystem::exists(hostDir)) hostDir = copyShippedHostFolder(dir.path());
    const std::string part = dir.path() + "/" + title + ".pfp";
    std::ostringstream out, err;
    run.code = host::hostcamMain({"--plugin", privateModule(), "--host-dir", hostDir, "--open", open, "--session",
                                  session, "--save", part, "--nc", dir.path() + "/" + title + ".nc"},
                                 out, err);
    run.out = out.str();
    run.err = err.str();
    run.operations = host::dumpOperations();
    run.groups = host::dumpGroups();
    run.drillingList = readWholeFile(dir.path() + "/" + title + ".txt");
    run.machiningTime =
        replaceAll(readWholeFile(dir.path() + "/" + title + "_Time.txt"), dir.path() + "/", "<part folder>/");
    run.nc = readWholeFile(dir.path() + "/" + title + ".nc");
    for (const std::string& refused : readNcListing(run.nc).errors) ADD_FAILURE() << open << ": " << refused;
    return run;
}
