// Two stations on one shared folder, each a hostcam process with a plug-in folder, settings and forms folder
// of its own, on the real clock: the station holding read-write access hands it over when the other asks.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "hostapp/hostcam.h"
#include "platform/sys/files.h"
#include "support/private_module.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

struct Station {
    std::string name;
    std::string session;
    int readWrite = 0;
};

// Forks a hostcam process for the station; its transcript goes to <dir>/<name>.txt and its settings stay in
// <dir>/<name>.prm once it has ended.
pid_t startStation(const std::string& dir, const std::string& shared, const Station& s) {
    const pid_t pid = ::fork();
    if (pid != 0) return pid;
    int code = 3;
    {
        const PrivateModule module;
        const std::string moduleDir = fs::path(module.path()).parent_path().string();
        std::ofstream(moduleDir + "/Forantix_mm.prm", std::ios::binary)
            << "[SharedData]\r\n1. 1\r\n2. " << s.readWrite << "\r\n3. " << shared << "\r\n";
        const std::string sessionFile = dir + "/" + s.name + ".session";
        std::ofstream(sessionFile) << s.session;
        std::ofstream out(dir + "/" + s.name + ".txt");
        std::ofstream err(dir + "/" + s.name + ".err");
        code = host::hostcamMain({"--plugin", module.path(), "--host-dir", dir + "/" + s.name + "-host", "--real-clock",
                                  "--session", sessionFile},
                                 out, err);
        std::error_code ignored;
        fs::copy_file(moduleDir + "/Forantix_mm.prm", dir + "/" + s.name + ".prm", ignored);
    }
    std::_Exit(code);
}

int exitCodeOf(pid_t pid) {
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

// Item `id` of the settings file's "SharedData" section, as the file holds it ("N. value" lines).
std::string sharedDataItem(const std::string& file, int id) {
    std::istringstream in(plat::readFile(file).value_or(""));
    bool inSection = false;
    const std::string key = std::to_string(id) + ". ";
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line[0] == '[') inSection = line == "[SharedData]";
        else if (inSection && line.rfind(key, 0) == 0) return line.substr(key.size());
    }
    return "<no item>";
}

TEST(SharedStations, TheHolderHandsReadWriteAccessToAnotherStationThatAsks) {
    TempDir dir;
    const std::string shared = dir.path() + "/shared";
    fs::create_directories(shared + "/FORMS_MM");
    fs::copy(std::string(FX_SOURCE_DIR) + "/data/forms/FORMS_MM/Standard", shared + "/FORMS_MM/Standard",
             fs::copy_options::recursive);
    // A holds the access from the start of its work cycle and waits; its watcher's question takes the
    // answer while the wait lasts.
    const Station a{"A", "invoke\nwait 8000\nanswer IDYES\nclick 18048 1\n", 1};
    // B asks for the access in the shared data manager of its parameters.
    const Station b{"B",
                    "invoke\n"
                    "click 18048 18005\n"
                    "click 18031 4128\n"
                    "click 18030 4388\n"
                    "type 18039 18010 quolberdant\n"
                    "click 18039 1\n"
                    "click 18030 1\n"
                    "click 18031 1\n"
                    "click 18048 1\n",
                    0};
    const pid_t holder = startStation(dir.path(), shared, a);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!plat::fileExists(shared + "/RWrunning.dat") && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_TRUE(plat::fileExists(shared + "/RWrunning.dat")) << "the holder never took its access";
    const pid_t requester = startStation(dir.path(), shared, b);

    EXPECT_EQ(exitCodeOf(requester), 0) << plat::readFile(dir.path() + "/B.err").value_or("");
    EXPECT_EQ(exitCodeOf(holder), 0) << plat::readFile(dir.path() + "/A.err").value_or("");
    const std::string holderTranscript = plat::readFile(dir.path() + "/A.txt").value_or("");
    EXPECT_NE(holderTranscript.find("msgbox owner=- type=YESNO|ICONQUESTION|SYSTEMMODAL"), std::string::npos)
        << holderTranscript;
    EXPECT_NE(holderTranscript.find("-> IDYES"), std::string::npos);
    EXPECT_EQ(sharedDataItem(dir.path() + "/A.prm", 2), "0");
    EXPECT_EQ(sharedDataItem(dir.path() + "/B.prm", 2), "1");
    EXPECT_NE(plat::readFile(dir.path() + "/B.txt").value_or("").find("dialog.end 18030 code=1"), std::string::npos);
    // B gave its flag back at the end of its work cycle; no request is left.
    EXPECT_FALSE(plat::fileExists(shared + "/RWrunning.dat"));
    EXPECT_FALSE(plat::fileExists(shared + "/RWrequest.dat"));
}

}  // namespace
