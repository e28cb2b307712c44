// Stations on one shared folder, each a hostcam process with a plug-in folder, settings and forms folder of
// its own: read-write access is handed over, held by one station at a time and taken over from a holder that
// was killed, judged by the shared folder's clock; a holder whose access was taken over publishes nothing; a
// part saved elsewhere never takes a station over; a publication cut short or failing, or a staging folder
// left behind, leaves every table of the library whole.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <thread>

#include "hostapp/hostcam.h"
#include "platform/sys/files.h"
#include "platform/sys/process.h"
#include "support/private_module.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

// The user's way through Execute: the run's summary, the process tree, and the main menu closed.
const std::string kExecute = "invoke\nclick 18048 18007\nclick 18036 1\nclick 18021 1\nclick 18048 1\n";
const std::string kPlate = std::string(FX_SOURCE_DIR) + "/data/examples/holes_plate.step";

// A station's install: the module in a folder of its own, kept from one run of the station to the next.
class Station {
public:
    Station(std::string name, const std::string& dir) : name_(std::move(name)), dir_(dir) {}
    const std::string& name() const { return name_; }
    std::string folder() const { return fs::path(module_.path()).parent_path().string(); }
    std::string settingsFile() const { return folder() + "/Forantix_mm.prm"; }
    std::string library() const { return folder() + "/Forantix/FORMS_MM/Standard"; }
    std::string transcript(int run) const { return plat::readFile(file(run, ".txt")).value_or(""); }
    // Settings as a fresh install's user gave them: sharing, access and shared folder, and more sections.
    void settings(int sharing, int readWrite, const std::string& shared, const std::string& more = "") const {
        std::ofstream(settingsFile(), std::ios::binary) << "[SharedData]\r\n1. " << sharing << "\r\n2. " << readWrite
                                                        << "\r\n3. " << shared << "\r\n" << more;
    }
    // Forks hostcam playing `session` as run `run` of the station; its transcript goes to <dir>/<name><run>.txt.
    pid_t start(int run, const std::string& session, std::vector<std::string> more = {}, bool realClock = false) const {
        const std::string sessionFile = file(run, ".session");
        std::ofstream(sessionFile) << session;
        std::vector<std::string> args = {"--plugin", module_.path(), "--host-dir", dir_ + "/" + name_ + "-host",
                                         "--session", sessionFile};
        if (realClock) args.push_back("--real-clock");
        args.insert(args.end(), more.begin(), more.end());
        const pid_t pid = ::fork();
        if (pid != 0) return pid;
        int code = 3;
        {
            std::ofstream out(file(run, ".txt"));
            std::ofstream err(file(run, ".err"));
            code = host::hostcamMain(args, out, err);
        }
        std::_Exit(code);
    }
    int play(int run, const std::string& session, std::vector<std::string> more = {}) const {
        return exitCodeOf(start(run, session, std::move(more)));
    }
    std::string errors(int run) const { return plat::readFile(file(run, ".err")).value_or(""); }

    static int exitCodeOf(pid_t pid) {
        int status = 0;
        if (::waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
        return WEXITSTATUS(status);
    }

private:
    std::string file(int run, const char* ext) const { return dir_ + "/" + name_ + std::to_string(run) + ext; }
    std::string name_, dir_;
    PrivateModule module_;
};

// Item `id` of a section of a settings file, as the file holds it ("N. value" lines).
std::string settingsItem(const std::string& file, const std::string& section, int id) {
    std::istringstream in(plat::readFile(file).value_or(""));
    bool inSection = false;
    const std::string key = std::to_string(id) + ". ";
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line[0] == '[') inSection = line == "[" + section + "]";
        else if (inSection && line.rfind(key, 0) == 0) return line.substr(key.size());
    }
    return "<no item>";
}

// Every file of a folder with its bytes.
std::map<std::string, std::string> filesOf(const std::string& folder) {
    std::map<std::string, std::string> files;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec))
        if (entry.is_regular_file())
            files[entry.path().filename().string()] = plat::readFile(entry.path().string()).value_or("");
    return files;
}

// A station left running by a test that stopped early is killed, not left waiting.
class KillAtEnd {
public:
    explicit KillAtEnd(pid_t pid) : pid_(pid) {}
    ~KillAtEnd() {
        if (::waitpid(pid_, nullptr, WNOHANG) == 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    KillAtEnd(const KillAtEnd&) = delete;
    KillAtEnd& operator=(const KillAtEnd&) = delete;

private:
    pid_t pid_;
};

bool busy(const std::string& sharedForms) {
    const std::string block = plat::readFile(sharedForms + "/Standard.sh").value_or("");
    return !block.empty() && block[0] != 0;
}

class SharedStations : public testing::Test {
protected:
    void SetUp() override {
        shared = dir.path() + "/shared";
        forms = shared + "/FORMS_MM";
        fs::create_directories(forms);
        fs::copy(std::string(FX_SOURCE_DIR) + "/data/forms/FORMS_MM/Standard", forms + "/Standard",
                 fs::copy_options::recursive);
        // The shared tables as an earlier publication left them, older than any local change.
        for (const auto& entry : fs::directory_iterator(forms + "/Standard"))
            ASSERT_TRUE(plat::setLastWriteTime(entry.path().string(), 1500000000));
        published = filesOf(forms + "/Standard");
    }
    std::unique_ptr<Station> station(const std::string& name) { return std::make_unique<Station>(name, dir.path()); }
    std::string flag() const { return plat::readFile(shared + "/RWrunning.dat").value_or("<none>"); }
    bool flagNames(pid_t holder) const {
        const std::string text = flag(), process = "process=" + std::to_string(holder);
        const std::size_t at = text.find(process);
        return at != std::string::npos && (at + process.size() == text.size() || !std::isdigit(static_cast<unsigned char>(text[at + process.size()])));
    }
    // Until the flag names `holder` (a flag is made empty and named after), or any holder when none is given.
    void waitForFlag(pid_t holder = 0) const {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        auto named = [&] { return holder == 0 ? plat::fileExists(shared + "/RWrunning.dat") : flagNames(holder); };
        while (!named() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    // No table of the shared library lost or changed, and nothing of a publication left.
    void expectLibraryWhole() const {
        EXPECT_EQ(filesOf(forms + "/Standard"), published);
        EXPECT_FALSE(fs::exists(forms + "/.Standard.publish"));
        EXPECT_FALSE(busy(forms));
    }

    TempDir dir;
    std::string shared, forms;
    std::map<std::string, std::string> published;
};

TEST_F(SharedStations, TheHolderHandsReadWriteAccessToAnotherStationThatAsks) {
    const auto a = station("A"), b = station("B");
    a->settings(1, 1, shared);
    b->settings(1, 0, shared);
    // A holds the access from the start of its work cycle and waits; its watcher's question takes the
    // answer while the wait lasts.
    const pid_t holder = a->start(1, "invoke\nwait 8000\nanswer IDYES\nclick 18048 1\n", {}, true);
    const KillAtEnd holderGoes(holder);
    waitForFlag();
    ASSERT_TRUE(plat::fileExists(shared + "/RWrunning.dat")) << "the holder never took its access";
    // B asks for the access in the shared data manager of its parameters.
    const pid_t requester = b->start(1,
                                     "invoke\n"
                                     "click 18048 18005\n"
                                     "click 18031 4128\n"
                                     "click 18030 4388\n"
                                     "type 18039 18010 quolberdant\n"
                                     "click 18039 1\n"
                                     "click 18030 1\n"
                                     "click 18031 1\n"
                                     "click 18048 1\n",
                                     {}, true);

    EXPECT_EQ(Station::exitCodeOf(requester), 0) << b->errors(1);
    EXPECT_EQ(Station::exitCodeOf(holder), 0) << a->errors(1);
    const std::string holderTranscript = a->transcript(1);
    EXPECT_NE(holderTranscript.find("msgbox owner=- type=YESNO|ICONQUESTION|SYSTEMMODAL"), std::string::npos)
        << holderTranscript;
    EXPECT_NE(holderTranscript.find("-> IDYES"), std::string::npos);
    EXPECT_EQ(settingsItem(a->settingsFile(), "SharedData", 2), "0");
    EXPECT_EQ(settingsItem(b->settingsFile(), "SharedData", 2), "1");
    EXPECT_NE(b->transcript(1).find("dialog.end 18030 code=1"), std::string::npos);
    // B gave its flag back at the end of its work cycle; no request is left.
    EXPECT_FALSE(plat::fileExists(shared + "/RWrunning.dat"));
    EXPECT_FALSE(plat::fileExists(shared + "/RWrequest.dat"));
}

// A part saved on a sharing station with read-write access and a tool library of its own, opened on a station
// that does not share and whose settings name a library path that climbs out of its forms folder.
TEST_F(SharedStations, APartSavedElsewhereNeverTakesTheStationOver) {
    const auto a = station("A"), b = station("B");
    const std::string tools = dir.path() + "/A-tools/Mill_mm.Tools";
    fs::create_directories(dir.path() + "/A-tools");
    fs::copy_file(std::string(FX_SOURCE_DIR) + "/data/host/Mill/Tools/Mill_mm.Tools", tools);
    a->settings(1, 1, shared, "[ProcessMach]\r\n1. " + tools + "\r\n");
    ASSERT_EQ(a->play(1, "invoke\nclick 18048 1\n", {"--open", kPlate, "--save", dir.path() + "/A.pfp"}), 0)
        << a->errors(1);
    const std::string aTools = plat::readFile(tools).value_or("");

    b->settings(0, 0, "", "[ProcessMach]\r\n2. ../../../../other/lib\r\n");
    const auto ownTables = filesOf(b->library());
    ASSERT_EQ(b->play(1, kExecute, {"--open", dir.path() + "/A.pfp"}), 0) << b->errors(1);
    const std::string seen = b->transcript(1);
    EXPECT_NE(seen.find("dialog.show 18036"), std::string::npos) << seen;   // the run went through
    EXPECT_NE(seen.find("The name ../../../../other/lib is refused"), std::string::npos);
    EXPECT_EQ(settingsItem(b->settingsFile(), "SharedData", 1), "0");
    EXPECT_EQ(settingsItem(b->settingsFile(), "SharedData", 3), "");
    EXPECT_EQ(settingsItem(b->settingsFile(), "ProcessMach", 2), "Standard");
    EXPECT_NE(settingsItem(b->settingsFile(), "ProcessMach", 1), tools);
    EXPECT_EQ(filesOf(b->library()).size(), ownTables.size());
    for (const auto& [name, bytes] : ownTables) EXPECT_TRUE(plat::fileExists(b->library() + "/" + name)) << name;
    EXPECT_EQ(plat::readFile(tools).value_or(""), aTools);   // no tool of B went into A's library
    EXPECT_FALSE(plat::fileExists(shared + "/RWrunning.dat"));
    expectLibraryWhole();
}

// H holds the access; a read-only station opens H's part and a station whose settings say read-write starts
// while H runs; H is killed, and the next station takes the access over after its user's yes.
TEST_F(SharedStations, OneHolderAtATimeAndAKilledHolderIsTakenOver) {
    const auto h = station("H"), r = station("R"), d = station("D"), c = station("C");
    h->settings(1, 1, shared);
    ASSERT_EQ(h->play(1, "invoke\nclick 18048 1\n", {"--open", kPlate, "--save", dir.path() + "/H.pfp"}), 0)
        << h->errors(1);
    EXPECT_FALSE(plat::fileExists(shared + "/RWrunning.dat")) << flag();   // given back as the cycle ended
    const pid_t holder = h->start(2, "invoke\nwait 600000\nclick 18048 1\n", {}, true);
    const KillAtEnd holderGoes(holder);
    waitForFlag(holder);
    ASSERT_TRUE(flagNames(holder)) << flag();
    const std::string holdersFlag = flag();

    r->settings(1, 0, shared);
    d->settings(1, 1, shared);
    const pid_t reader = r->start(1, kExecute, {"--open", dir.path() + "/H.pfp"});
    const pid_t second = d->start(1, "invoke\nanswer IDOK\nclick 18048 1\n");
    EXPECT_EQ(Station::exitCodeOf(reader), 0) << r->errors(1);
    EXPECT_EQ(Station::exitCodeOf(second), 0) << d->errors(1);
    EXPECT_NE(r->transcript(1).find("dialog.show 18036"), std::string::npos) << r->transcript(1);
    EXPECT_EQ(settingsItem(r->settingsFile(), "SharedData", 2), "0");
    EXPECT_NE(d->transcript(1).find("held by another station"), std::string::npos) << d->transcript(1);
    EXPECT_EQ(settingsItem(d->settingsFile(), "SharedData", 2), "0");
    EXPECT_EQ(flag(), holdersFlag);   // still H's, and only H's

    ::kill(holder, SIGKILL);
    EXPECT_EQ(Station::exitCodeOf(holder), -1);
    EXPECT_EQ(flag(), holdersFlag);
    c->settings(1, 1, shared);
    ASSERT_EQ(c->play(1, "invoke\nanswer IDYES\nclick 18048 1\n"), 0) << c->errors(1);
    const std::string taken = c->transcript(1);
    EXPECT_NE(taken.find("held by a station that no longer runs"), std::string::npos) << taken;
    EXPECT_EQ(settingsItem(c->settingsFile(), "SharedData", 2), "1");
    EXPECT_FALSE(plat::fileExists(shared + "/RWrunning.dat"));   // C gave back what it took
    expectLibraryWhole();
}

// A FIFO standing for a local table: every open of it for reading is served the table's bytes until the
// shared library is marked busy, when the reader (the publisher, loading the table) is left waiting.
class TableFifo {
public:
    TableFifo(const std::string& path, std::string bytes) : path_(path), bytes_(std::move(bytes)) {
        ::unlink(path_.c_str());
        if (::mkfifo(path_.c_str(), 0666) != 0) std::abort();
    }
    ~TableFifo() {
        if (held_ >= 0) ::close(held_);
        ::unlink(path_.c_str());
    }
    // Serves readers until the library is busy with a reader at the FIFO; false when `publisher` ended first.
    bool holdPublisher(pid_t publisher, const std::string& sharedForms) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(90);
        while (std::chrono::steady_clock::now() < deadline) {
            if (::waitpid(publisher, nullptr, WNOHANG) == publisher) return false;
            const int fd = ::open(path_.c_str(), O_WRONLY | O_NONBLOCK);
            if (fd < 0) {
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
                continue;
            }
            if (busy(sharedForms)) {
                held_ = fd;
                return true;
            }
            ::fcntl(fd, F_SETFL, 0);
            for (std::size_t done = 0; done < bytes_.size();) {
                const ssize_t n = ::write(fd, bytes_.data() + done, bytes_.size() - done);
                if (n <= 0) break;
                done += static_cast<std::size_t>(n);
            }
            ::close(fd);
            // The reader reads to the end before it opens again.
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }

private:
    std::string path_, bytes_;
    int held_ = -1;
};

// P publishes a changed table and is held in the middle; Q's wait for it is cancelled; P is killed, and Q's
// next Execute finds the library whole and free.
TEST_F(SharedStations, APublicationCutShortLeavesTheLibraryWholeAndItsWaitCanBeCancelled) {
    const auto p = station("P"), q = station("Q");
    p->settings(1, 1, shared);
    ASSERT_EQ(p->play(1, kExecute, {"--open", kPlate}), 0) << p->errors(1);   // P's index of the library
    published = filesOf(forms + "/Standard");
    const std::string table = p->library() + "/Drill sizes.tab";
    const std::string bytes = plat::readFile(table).value_or("");
    ASSERT_FALSE(bytes.empty());
    TableFifo fifo(dir.path() + "/fifo", bytes);
    fs::remove(table);
    fs::create_symlink(dir.path() + "/fifo", table);   // changed since P's index: P publishes it

    const pid_t publisher = p->start(2, kExecute, {"--open", kPlate});
    const KillAtEnd publisherGoes(publisher);
    ASSERT_TRUE(fifo.holdPublisher(publisher, forms)) << p->transcript(2) << p->errors(2);
    EXPECT_TRUE(fs::exists(forms + "/.Standard.publish"));

    q->settings(1, 0, shared);
    const auto qTables = filesOf(q->library());
    ASSERT_EQ(q->play(1, "invoke\nclick 18048 18007\ncancel-wait\nclick 18048 1\n", {"--open", kPlate}), 0)
        << q->errors(1);
    const std::string waited = q->transcript(1);
    EXPECT_NE(waited.find("host.wait.show"), std::string::npos) << waited;
    EXPECT_NE(waited.find("Waiting for it"), std::string::npos);
    EXPECT_EQ(waited.find("still being published"), std::string::npos);
    EXPECT_EQ(waited.find("dialog.show 18036"), std::string::npos);   // Execute stopped
    EXPECT_EQ(filesOf(q->library()), qTables);

    ::kill(publisher, SIGKILL);
    EXPECT_EQ(Station::exitCodeOf(publisher), -1);
    ASSERT_TRUE(busy(forms));
    ASSERT_EQ(q->play(2, kExecute, {"--open", kPlate}), 0) << q->errors(2);
    const std::string cleared = q->transcript(2);
    EXPECT_NE(cleared.find("dialog.show 18036"), std::string::npos) << cleared;
    EXPECT_EQ(cleared.find("host.wait.show \"Forantix\" \"Another"), std::string::npos);
    EXPECT_EQ(cleared.find("still being published"), std::string::npos);
    expectLibraryWhole();
    for (const auto& [name, content] : published) EXPECT_EQ(plat::readFile(q->library() + "/" + name), content) << name;
}

// The rows lines of a rows file.
std::set<std::string> rowsOf(const std::string& text) {
    std::set<std::string> rows;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.find_first_not_of(' ') != std::string::npos) rows.insert(line);
    }
    return rows;
}

// A station's copy of a shared table that cannot be read whole, on the read-write and the read-only station:
// its rows file lost, emptied, cut inside a row or left as NUL bytes, as a crash, a full disk or a sync
// client leaves it, its table file left as NUL bytes, or either holding a line its format cannot hold. The next main job copies the table again before it
// uses it, quietly, machines the plate as the whole table does, and publishes nothing: the shared library is
// as it was. A station that shares nothing is told of the damaged file and leaves the file as it is.
TEST_F(SharedStations, ACopyOfASharedTableThatCannotBeReadWholeIsCopiedAgainAndNeverPublished) {
    using Damage = std::string (*)(std::string);
    const struct {
        const char* what;
        const char* file;
        Damage damaged;   // nullptr: the file is lost
        bool told;        // to the station that shares nothing
    } damages[] = {
        {"rows file lost", "Drilled.txt", nullptr, false},
        {"rows file emptied", "Drilled.txt", [](std::string) { return std::string(); }, false},
        {"rows file cut inside a row", "Drilled.txt", [](std::string b) { return b.substr(0, b.size() / 2); }, true},
        {"rows file of NUL bytes", "Drilled.txt", [](std::string b) { return std::string(b.size(), '\0'); }, true},
        {"table file of NUL bytes", "Drilled.tab", [](std::string b) { return std::string(b.size(), '\0'); }, true},
        {"rows file with a measure that is not a number", "Drilled.txt",
         [](std::string b) { return b.replace(b.find("D4 4 "), 5, "D4 inf "); }, true},
        {"table file with a class line that is not one", "Drilled.tab",
         [](std::string b) { return b.replace(b.find("[Class] 0"), 9, "[Class] x"); }, true},
    };
    const auto w = station("W"), r = station("R"), alone = station("S");
    w->settings(1, 1, shared);
    r->settings(1, 0, shared);
    alone->settings(0, 0, "");
    const std::string told = "invoke\nclick 18048 18007\n? answer IDOK\n? answer IDOK\n? click 18036 1\n"
                             "? answer IDOK\nclick 18021 1\n? answer IDOK\nclick 18048 1\n";
    for (const Station* s : {w.get(), r.get(), alone.get()}) {
        SCOPED_TRACE(s->name());
        const std::string nc = dir.path() + "/" + s->name() + ".nc";
        ASSERT_EQ(s->play(1, kExecute, {"--open", kPlate, "--nc", nc}), 0) << s->errors(1);
        const std::string listing = plat::readFile(nc).value_or("");
        std::map<std::string, std::string> wholeFiles;
        for (const char* name : {"Drilled.txt", "Drilled.tab"})
            wholeFiles[name] = plat::readFile(s->library() + "/" + name).value_or("");
        int run = 1;
        for (const auto& d : damages) {
            SCOPED_TRACE(d.what);
            // A case that failed leaves its damage: the next begins from the whole files all the same.
            for (const auto& [name, bytes] : wholeFiles) {
                if (plat::readFile(s->library() + "/" + name) != bytes) {
                    ASSERT_TRUE(plat::writeFile(s->library() + "/" + name, bytes));
                }
            }
            const std::string file = s->library() + "/" + d.file;
            const std::string whole = wholeFiles[d.file];
            if (s == alone.get() && !d.told) continue;
            ASSERT_TRUE(d.damaged ? plat::writeFile(file, d.damaged(whole)) : fs::remove(file));
            const std::string damaged = plat::readFile(file).value_or("<lost>");
            ++run;
            ASSERT_EQ(s->play(run, told, {"--open", kPlate, "--nc", nc}), 0) << s->errors(run);
            const std::string seen = s->transcript(run);
            if (s == alone.get()) {
                EXPECT_NE(seen.find("damaged and is not used"), std::string::npos) << seen;
                EXPECT_EQ(plat::readFile(file), damaged);
                ASSERT_TRUE(plat::writeFile(file, whole));
                continue;
            }
            EXPECT_EQ(seen.find("msgbox"), std::string::npos) << seen;
            EXPECT_EQ(plat::readFile(file), whole);
            EXPECT_EQ(plat::readFile(nc), listing);
            expectLibraryWhole();
        }
    }
}

// The same while the share is out of reach at the refresh: it goes away as the refresh begins, after the
// work cycle took its access. The station makes no rows file of the rows it adds, which serve that run only,
// and tells so once; its tree and summary say what the rows did: on the read-write station they gave the holes
// their processes and are not in the table, on the read-only one they gave none, as the library is read-only.
// Once the share is back, the read-write station's refresh and publication and then the read-only station's
// refresh leave the shared table, and each station's copy, every row it had.
TEST_F(SharedStations, ARowsFileLostWhileTheShareIsOutOfReachIsNeitherMadeAgainNorPublished) {
    const std::string drilled = forms + "/Standard/Drilled.txt";
    const std::set<std::string> shipped = rowsOf(plat::readFile(drilled).value_or(""));
    ASSERT_EQ(shipped.size(), 20u);
    const auto w = station("W"), r = station("R");
    w->settings(1, 1, shared);
    r->settings(1, 0, shared);
    // Every message of the way taken with OK, wherever it comes, and the access the station held when the share
    // went away (its flag stayed there) taken over.
    const std::string told = "invoke\n? answer IDYES\nclick 18048 18007\n? answer IDOK\n? answer IDOK\n"
                             "click 18036 1\n? answer IDOK\nclick 18021 1\nclick 18048 1\n";
    const std::string away = dir.path() + "/away";
    const struct {
        const Station* station;
        std::vector<std::string> said, unsaid;
    } cases[] = {
        {w.get(), {"; measures that serve this run only and are not stored in the table - "},
         {"have no process", "measures added to the table", "read-only"}},
        {r.get(), {"holes need measures that cannot be stored: the shared library is read-only.",
                   "; measures needed, the shared library is read-only"},
         {"have no process", "measures added to the table", "; measures that serve this run only"}},
    };
    for (const auto& c : cases) {
        const Station* s = c.station;
        SCOPED_TRACE(s->name());
        ASSERT_EQ(s->play(1, kExecute, {"--open", kPlate}), 0) << s->errors(1);
        ASSERT_TRUE(fs::remove(s->library() + "/Drilled.txt"));
        plat::afterListing([shared = shared, library = s->library(), away](std::string_view listed) {
            if (listed == library && plat::dirExists(shared)) (void)plat::moveFile(shared, away);
        });
        const int outOfReach = s->play(2, told, {"--open", kPlate});
        plat::afterListing({});
        ASSERT_TRUE(plat::moveFile(away, shared));
        ASSERT_EQ(outOfReach, 0) << s->errors(2) << s->transcript(2);
        const std::string seen = s->transcript(2);
        EXPECT_NE(seen.find("The shared library cannot be read"), std::string::npos) << seen;
        const std::string lost = "The rows file of this table, taken from the shared library, is missing.";
        EXPECT_NE(seen.find(lost), std::string::npos) << seen;
        EXPECT_EQ(seen.find(lost), seen.rfind(lost));
        EXPECT_NE(seen.find("dialog.show 18021"), std::string::npos);
        EXPECT_FALSE(fs::exists(s->library() + "/Drilled.txt"));
        for (const std::string& text : c.said) EXPECT_NE(seen.find(text), std::string::npos) << text << "\n" << seen;
        for (const std::string& text : c.unsaid) EXPECT_EQ(seen.find(text), std::string::npos) << text << "\n" << seen;

        ASSERT_EQ(s->play(3, told, {"--open", kPlate}), 0) << s->errors(3);
        for (const std::string& file : {s->library() + "/Drilled.txt", drilled}) {
            const std::set<std::string> rows = rowsOf(plat::readFile(file).value_or(""));
            for (const std::string& row : shipped) EXPECT_TRUE(rows.contains(row)) << file << ": " << row;
        }
    }
}

// The process names a table file holds.
std::set<std::string> processesOf(const std::string& tab) {
    std::set<std::string> names;
    std::istringstream in(plat::readFile(tab).value_or(""));
    bool inProcess = false;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.rfind("[Process]", 0) == 0) inProcess = true;
        else if (inProcess && line.size() > 1 && line[0] == '[') names.insert(line.substr(1, line.find(' ') - 1));
    }
    return names;
}

// The share comes back without the library (its forms folder holding another) while the read-write station's rows file of
// a table is lost: its Execute makes the library there without that table, which it keeps. Its next Executes
// keep the table with every process it had, and the holes take their processes; a read-only station takes
// the library the publication made.
TEST_F(SharedStations, ATableLeftOutOfTheLibraryAPublicationMadeKeepsItsProcesses) {
    const auto w = station("W"), r = station("R");
    w->settings(1, 1, shared);
    r->settings(1, 0, shared);
    ASSERT_EQ(w->play(1, kExecute, {"--open", kPlate}), 0) << w->errors(1);
    fs::remove_all(forms + "/Standard");
    fs::create_directories(forms + "/Other");
    ASSERT_TRUE(fs::remove(w->library() + "/Drilled.txt"));
    // The work cycle offers the share's other library, which the user declines; every message taken with OK.
    const std::string told = "invoke\n? click 18074 2\nclick 18048 18007\n? answer IDOK\n? answer IDOK\n"
                             "click 18036 1\n? answer IDOK\nclick 18021 1\nclick 18048 1\n";
    ASSERT_EQ(w->play(2, told, {"--open", kPlate}), 0) << w->errors(2) << w->transcript(2);
    EXPECT_NE(w->transcript(2).find("The shared library holds no table"), std::string::npos) << w->transcript(2);
    EXPECT_FALSE(fs::exists(forms + "/Standard/Drilled.tab"));
    EXPECT_TRUE(fs::exists(forms + "/Standard/Blind flat.tab"));
    const std::set<std::string> processes = processesOf(w->library() + "/Drilled.tab");
    ASSERT_FALSE(processes.empty());
    for (int run = 3; run <= 4; ++run) {
        SCOPED_TRACE(run);
        ASSERT_EQ(w->play(run, told, {"--open", kPlate}), 0) << w->errors(run);
        const std::set<std::string> kept = processesOf(w->library() + "/Drilled.tab");
        for (const std::string& name : processes) EXPECT_TRUE(kept.contains(name)) << name;
        EXPECT_EQ(w->transcript(run).find("have no process"), std::string::npos) << w->transcript(run);
        EXPECT_FALSE(fs::exists(forms + "/Standard/Drilled.tab"));
    }
    ASSERT_EQ(r->play(1, told, {"--open", kPlate}), 0) << r->errors(1);
    for (const auto& [name, bytes] : filesOf(forms + "/Standard"))
        EXPECT_EQ(plat::readFile(r->library() + "/" + name), bytes) << name;
}

// The way through Execute when its publication has something to tell: the message taken with OK.
const std::string kExecuteTold =
    "invoke\nclick 18048 18007\nclick 18036 1\nanswer IDOK\nclick 18021 1\nclick 18048 1\n";

// The running flag as a station writes it: who, where, which process and when by its own clock.
std::string flagText(const std::string& station, const std::string& machine, std::int64_t pid, std::int64_t renewed) {
    return "station=" + station + "\r\nmachine=" + machine + "\r\nprocess=" + std::to_string(pid) +
           "\r\nrenewed=" + std::to_string(renewed) + "\r\n";
}

// A process id that ran on this machine and has ended.
pid_t endedProcess() {
    const pid_t child = ::fork();
    if (child == 0) std::_Exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
}

// H holds the access and cannot renew it for a while; a station on another machine, its clock an hour
// behind, takes it over meanwhile (the flag is its own and just written). H's next Execute publishes nothing
// of its changed table and tells its user who holds the access now; from then on H is read-only.
TEST_F(SharedStations, AHolderWhoseAccessWasTakenOverPublishesNothingAndIsTold) {
    const auto h = station("H");
    h->settings(1, 1, shared);
    ASSERT_EQ(h->play(1, kExecute, {"--open", kPlate}), 0) << h->errors(1);   // H's index of the library
    published = filesOf(forms + "/Standard");
    ASSERT_TRUE(plat::setLastWriteTime(h->library() + "/Drill sizes.tab", 1600000000));   // changed since

    const pid_t holder = h->start(2, "invoke\nwait 4000\n" + kExecuteTold.substr(7), {"--open", kPlate}, true);
    const KillAtEnd holderGoes(holder);
    waitForFlag(holder);
    ASSERT_TRUE(flagNames(holder)) << flag();
    const std::string taker =
        flagText("/far/B", "far-machine", 4242, static_cast<std::int64_t>(::time(nullptr)) - 3600);
    ASSERT_TRUE(plat::writeFile(shared + "/RWrunning.dat", taker));
    EXPECT_EQ(Station::exitCodeOf(holder), 0) << h->errors(2);

    const std::string told = h->transcript(2);
    EXPECT_NE(told.find("was taken over by another station"), std::string::npos) << told;
    EXPECT_NE(told.find("/far/B @ far-machine (4242, "), std::string::npos);
    EXPECT_EQ(settingsItem(h->settingsFile(), "SharedData", 2), "0");
    EXPECT_EQ(flag(), taker);   // B's flag stays B's
    expectLibraryWhole();
}

// Flags that no running station holds, whatever the clocks their holders had; and one that a running holder
// on another machine renewed just now by the shared folder's clock, though its own is an hour behind.
TEST_F(SharedStations, AFlagIsJudgedByTheSharedFoldersClockAndTimesThatFitNothingAreRefused) {
    const auto c = station("C");
    const std::int64_t now = ::time(nullptr), tenYears = 315360000;
    const struct {
        const char* name;
        std::string flag;
        std::int64_t written;   // the flag file's time
        bool gone;
        const char* shown;      // how the question or the message names the holder
    } cases[] = {
        {"a clock an hour behind, renewed now", flagText("/far/A", "far-machine", 7, now - 3600), now,
         false, "/far/A @ far-machine (7, "},
        {"a clock ten years ahead, then killed", flagText("/far/A", "far-machine", 7, now + tenYears),
         now + tenYears, true, "/far/A @ far-machine (7, "},
        {"a process id of this machine reused", flagText("/old/A", plat::machineName(), ::getpid(),
                                                                     now - 86400),
         now - 86400, true, "/old/A @ "},
        {"a crafted renewal time",
         "station=/far/A\r\nmachine=far-machine\r\nprocess=1\r\nrenewed=-9223372036854775808\r\n", now - 600, true,
         "/far/A @ far-machine (1, ?)"},
    };
    int run = 0;
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        ASSERT_TRUE(plat::writeFile(shared + "/RWrunning.dat", k.flag));
        ASSERT_TRUE(plat::setLastWriteTime(shared + "/RWrunning.dat", k.written));
        c->settings(1, 1, shared);
        ++run;
        const char* answer = k.gone ? "invoke\nanswer IDYES\nclick 18048 1\n" : "invoke\nanswer IDOK\nclick 18048 1\n";
        EXPECT_EQ(c->play(run, answer), 0) << c->errors(run);
        const std::string seen = c->transcript(run);
        EXPECT_NE(seen.find(k.gone ? "held by a station that no longer runs" : "held by another station"),
                  std::string::npos)
            << seen;
        EXPECT_NE(seen.find(k.shown), std::string::npos) << seen;
        EXPECT_EQ(settingsItem(c->settingsFile(), "SharedData", 2), k.gone ? "1" : "0");
        // Taken over, the flag was C's and went at the end of its cycle; held, it stays as it was.
        EXPECT_EQ(flag(), k.gone ? "<none>" : k.flag);
    }
    expectLibraryWhole();
}

// What a gone publisher, a hand or another program left in the staging folder never holds P's publication
// back without a word, and only plain files of a complete publication go into the library; a publication
// still running elsewhere makes P's wait, and P's user is told.
TEST_F(SharedStations, AStagingFolderLeftBehindNeverHoldsAPublicationBackUnsaid) {
    const auto p = station("P");
    p->settings(1, 1, shared);
    ASSERT_EQ(p->play(1, kExecute, {"--open", kPlate}), 0) << p->errors(1);
    const std::string staging = forms + "/.Standard.publish";
    const std::string table = p->library() + "/Drill sizes.tab", sharedTable = forms + "/Standard/Drill sizes.tab";
    int run = 1;
    // P's table changed after a run that took back what P published last (the refresh after a publication).
    const auto change = [&] {
        ASSERT_EQ(p->play(++run, kExecute, {"--open", kPlate}), 0) << p->errors(run);
        ASSERT_TRUE(plat::setLastWriteTime(table, 1900000000 + run));   // later than any copy made now
    };
    const auto published = [&] { return plat::lastWriteTime(sharedTable) == plat::lastWriteTime(table); };

    // A sub-folder and no publisher: nobody publishes.
    change();
    fs::create_directories(staging + "/sub");
    std::ofstream(staging + "/sub/left.txt") << "left";
    ASSERT_EQ(p->play(++run, kExecute, {"--open", kPlate}), 0) << p->errors(run);
    EXPECT_TRUE(published()) << p->transcript(run);
    EXPECT_FALSE(fs::exists(staging));

    // A complete publication of a killed publisher whose tables are links to a file of this machine.
    change();
    const std::string secret = dir.path() + "/secret.txt";
    std::ofstream(secret) << "not a table";
    fs::create_directories(staging);
    ASSERT_TRUE(plat::writeFile(staging + "/publisher.dat",
                                flagText("/gone/Q", plat::machineName(), endedProcess(), 1500000000)));
    fs::create_symlink(secret, staging + "/Linked.tab");
    fs::create_symlink(secret, staging + "/Linked.txt");
    ASSERT_TRUE(plat::writeFile(staging + "/complete.dat", "Linked\n"));
    ASSERT_EQ(p->play(++run, kExecute, {"--open", kPlate}), 0) << p->errors(run);
    EXPECT_TRUE(published()) << p->transcript(run);
    EXPECT_FALSE(fs::exists(fs::symlink_status(forms + "/Standard/Linked.tab")));
    EXPECT_FALSE(fs::exists(fs::symlink_status(forms + "/Standard/Linked.txt")));
    EXPECT_FALSE(fs::exists(staging));
    EXPECT_EQ(plat::readFile(secret), "not a table");

    // A publication that still runs (its publisher, this test's process, alive and just named).
    change();
    fs::create_directories(staging);
    ASSERT_TRUE(plat::writeFile(staging + "/publisher.dat",
                                flagText("/running/Q", plat::machineName(), ::getpid(), 1500000000)));
    ASSERT_EQ(p->play(++run, kExecuteTold, {"--open", kPlate}), 0) << p->errors(run);
    const std::string waited = p->transcript(run);
    EXPECT_NE(waited.find("still publishing the shared library"), std::string::npos) << waited;
    EXPECT_NE(waited.find("/running/Q @ "), std::string::npos);
    EXPECT_FALSE(published());
    EXPECT_TRUE(fs::exists(staging + "/publisher.dat"));
}

}  // namespace

