// hostcam's start-up: options, the host's state, the session text and the plug-in module, then the run.
#include "hostapp/hostcam.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "host/api.h"
#include "host/geom/step_io.h"
#include "host/geom/step_process.h"
#include "host/state.h"
#include "hostapp/plugin_module.h"
#include "hostapp/run_files.h"
#include "hostapp/session_runner.h"
#include "platform/sys/clock.h"
#include "platform/sys/files.h"
#include "platform/sys/paths.h"
#include "platform/ui/driver.h"
#include "platform/ui/window_picture.h"

namespace host {

const char* const kBuiltInSession =
    "# The user starts the plug-in and closes its main menu with OK.\n"
    "invoke\n"
    "click 18048 1\n";

namespace {

std::string exeDir() {
    char buf[4096];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return ".";
    std::string exe(buf, static_cast<std::size_t>(n));
    std::size_t slash = exe.rfind('/');
    return slash == std::string::npos ? std::string(".") : exe.substr(0, slash);
}

std::string defaultPluginPath() { return exeDir() + "/Forantix.so"; }

// The shipped host folder (data/host), copied beside hostcam by the build.
std::string defaultHostDir() {
    const std::string dir = exeDir() + "/host/";
    return plat::dirExists(dir) ? dir : std::string();
}

std::optional<std::string> readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

std::string usage() {
    return "usage: hostcam [--plugin PATH] [--session FILE] [--inch] [--no-machine-group] [--no-active-group]\n"
           "               [--host-dir DIR] [--part PATH] [--open FILE] [--save FILE] [--nc FILE]\n"
           "               [--pictures DIR] [--real-clock] [--costs FILE]\n"
           "  --nc FILE       after the session, write the part's operations to FILE as a G-code listing for\n"
           "                  a generic 3-axis control\n"
           "  --pictures DIR  write each window's picture when it is shown (and again when it was drawn on\n"
           "                  since) as DIR/<caption or window id>-<n>.png\n"
           "  --real-clock    the session's waits take real time and watchers run on threads of their own, as\n"
           "                  on a station beside others (by default time is virtual: a wait passes at once)\n"
           "  --costs FILE    write a line to FILE after the part is opened, as each step of the session is taken,\n"
           "                  after the session, the save and the NC listing: CPU seconds so far (every thread,\n"
           "                  the STEP reader and other processes started), seconds of the clock since the\n"
           "                  start (the spawn, when the starter gave its instant in FX_STARTED_AT), peak\n"
           "                  resident MiB, what it follows\n";
}

std::optional<HostcamOptions> parseOptions(const std::vector<std::string>& args, std::string& error) {
    HostcamOptions o;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::string& into) {
            if (i + 1 >= args.size() || args[i + 1].empty()) {
                error = a + " needs a value";
                return false;
            }
            into = args[++i];
            return true;
        };
        if (a == "--plugin") {
            if (!value(o.plugin)) return std::nullopt;
        } else if (a == "--session") {
            if (!value(o.session)) return std::nullopt;
        } else if (a == "--host-dir") {
            if (!value(o.hostDir)) return std::nullopt;
        } else if (a == "--part") {
            if (!value(o.part)) return std::nullopt;
        } else if (a == "--open") {
            if (!value(o.open)) return std::nullopt;
        } else if (a == "--save") {
            if (!value(o.save)) return std::nullopt;
        } else if (a == "--nc") {
            if (!value(o.nc)) return std::nullopt;
        } else if (a == "--pictures") {
            if (!value(o.pictures)) return std::nullopt;
        } else if (a == "--costs") {
            if (!value(o.costs)) return std::nullopt;
        } else if (a == "--inch") {
            o.inch = true;
        } else if (a == "--no-machine-group") {
            o.noMachineGroup = true;
        } else if (a == "--no-active-group") {
            o.noActiveGroup = true;
        } else if (a == "--real-clock") {
            o.realClock = true;
        } else if (a == "--help" || a == "-h") {
            o.help = true;
        } else {
            error = "unknown option " + a;
            return std::nullopt;
        }
    }
    return o;
}

namespace {

// The part's file name while the session runs (geo_filename): a part file opened names the part; else
// --part; else a new part takes the name it will be saved under, so that what is written beside it lands
// there; "" leaves it unnamed.
std::string partFileOfRun(const HostcamOptions& o) {
    if (!o.open.empty() && !isStepFile(o.open)) return o.open;
    return o.part.empty() ? o.save : o.part;
}

// A picture is not written over a file that the run reads or writes, however the path reaches it (a file
// that appeared in the pictures folder during the run, a link there).
plat::PictureGuard pictureGuard(std::vector<NamedFile> files) {
    std::erase_if(files, [](const NamedFile& f) { return f.kind == NamedFile::Pictures || f.kind == NamedFile::PluginFolder; });
    return [files = std::move(files)](const std::string& path) {
        const FileIdentity id = identityOf(path);
        for (const NamedFile& f : files)
            if (identityOf(f.path) == id)
                return "it would replace " + f.role;
        return std::string();
    };
}

// An output: a FIFO or a device takes the bytes where it is (the reader at its other end, the device), any
// other file is replaced whole.
bool writeOutput(const std::string& path, const std::string& bytes) {
    const std::string native = plat::toNativePath(path);
    struct stat st {};
    if (::stat(native.c_str(), &st) != 0 || (!S_ISFIFO(st.st_mode) && !S_ISCHR(st.st_mode)))
        return plat::writeFile(path, bytes);
    const int fd = ::open(native.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return false;
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        written += static_cast<std::size_t>(n);
    }
    return ::close(fd) == 0 && written == bytes.size();
}

void printCounts(std::ostream& out, const std::string& path) { out << entityCountsText(path) << '\n'; }

// What each stage of a run cost, for --costs: a benchmark tells the main job's phases apart by the steps.
class StageCosts {
public:
    explicit StageCosts(bool on) : on_(on) {
        if (on_) plat::driver().script().setOnTake([this](const plat::Step& step) { mark("step " + step.describe()); });
    }
    ~StageCosts() {
        if (on_) plat::driver().script().setOnTake(nullptr);
    }
    StageCosts(const StageCosts&) = delete;
    StageCosts& operator=(const StageCosts&) = delete;

    void mark(const std::string& what) {
        if (!on_) return;
        const double cpu = plat::processCpuSeconds() + helperCpuSeconds();
        const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - begun_).count();
        char line[96];
        // The kernel's high-water mark is not kept by every runtime (it read lower later under the sanitizers):
        // the peak is the most seen so far.
        peak_ = std::max(peak_, peakMiB());
        std::snprintf(line, sizeof line, "%.6f %.6f %.1f ", cpu, wall, peak_);
        text_ += line + what + '\n';
    }
    bool write(const std::string& path) const { return !on_ || writeOutput(path, text_); }

private:
    static double peakMiB() {
        std::ifstream status("/proc/self/status");
        for (std::string line; std::getline(status, line);)
            if (line.rfind("VmHWM:", 0) == 0) return std::strtod(line.c_str() + 6, nullptr) / 1024.0;
        return 0;
    }
    bool on_;
    double peak_ = 0;
    std::chrono::steady_clock::time_point begun_ = plat::startedAt(std::chrono::steady_clock::now());
    std::string text_;
};

}  // namespace

int hostcamMain(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::string error;
    std::optional<HostcamOptions> opts = parseOptions(args, error);
    if (!opts) {
        err << "hostcam: " << error << '\n' << usage();
        return 2;
    }
    if (opts->help) {
        out << usage();
        return 0;
    }
    plat::useVirtualClock(!opts->realClock);

    std::string sessionName = opts->session.empty() ? "built-in session" : opts->session;
    std::optional<std::string> text = opts->session.empty() ? std::string(kBuiltInSession) : readText(opts->session);
    if (!text) {
        err << "hostcam: " << opts->session << ": cannot read the session file\n";
        return 2;
    }
    plat::ParsedSession parsed = plat::parseSession(*text);
    if (!parsed.error.empty()) {
        err << sessionName << ": " << parsed.error << '\n';
        return 2;
    }

    plat::driver().reset();
    reset();
    if (opts->inch) setMetric(false);
    const std::string hostDir = opts->hostDir.empty() ? defaultHostDir() : opts->hostDir;
    if (!hostDir.empty()) setHostDir(hostDir);
    setPartFile(partFileOfRun(*opts));
    if (opts->noMachineGroup) setMachineGroup(false);
    if (opts->noActiveGroup) setActiveGroup(false);

    const std::string pluginPath = opts->plugin.empty() ? defaultPluginPath() : opts->plugin;
    RunFiles runFiles(*opts, pluginPath);
    const std::vector<NamedFile> files = runFiles.files();
    if (const std::string conflict = runFiles.conflict(); !conflict.empty()) {
        err << "hostcam: " << conflict << '\n';
        return 2;
    }
    if (!opts->pictures.empty()) {
        std::error_code ec;
        std::filesystem::create_directories(opts->pictures, ec);
        if (!std::filesystem::is_directory(opts->pictures, ec)) {
            err << "hostcam: " << opts->pictures << ": cannot make the pictures folder\n";
            return 2;
        }
    }

    {
        // The script is the user's from the start: a large STEP file opens under a wait dialog they may cancel.
        std::lock_guard lock(plat::driver().mutex());
        for (plat::Step& s : parsed.steps) plat::driver().script().add(std::move(s));
    }
    StageCosts costs(!opts->costs.empty());
    if (!opts->open.empty()) {
        // A STEP file becomes a new part; anything else is taken for a part file.
        const std::string why = isStepFile(opts->open) ? openStepAsPart(opts->open) : openPart(opts->open).message;
        if (!why.empty()) {
            err << "hostcam: " << why << '\n';
            return 2;
        }
        printCounts(out, opts->open);
        out << messageLine();   // what the import read otherwise than asked, a line each
        costs.mark("open");
    }
    PluginModule module;
    if (!module.load(pluginPath, error)) {
        err << "hostcam: " << error << '\n';
        return 2;
    }
    plat::setPictureFolder(opts->pictures, pictureGuard(files));
    SessionResult result = runSession(module.exports(), out, err, std::move(runFiles));
    costs.mark("session");
    module.unload();
    const std::vector<std::string> failedPictures = plat::failedPictures();
    plat::setPictureFolder("");
    if (!opts->save.empty() && pluginCyclePaused()) {
        // Saved now, the part would lack everything the paused cycle made, with nothing to tell.
        err << "hostcam: the part was not saved as " << opts->save
            << ": the session left the plug-in's work cycle paused, and its records are not in the part yet. "
               "End the cycle in the session (start the plug-in again and close its main menu).\n";
        return 2;
    }
    if (!opts->save.empty()) {
        const PartFileResult saved = savePart(opts->save);
        if (!saved.ok) {
            err << "hostcam: " << saved.message << '\n';
            return 2;
        }
        printCounts(out, opts->save);
        costs.mark("save");
    }
    if (!opts->nc.empty()) {
        std::string refused;
        const std::string listing = ncListing(&refused);
        if (!refused.empty()) {
            err << "hostcam: " << opts->nc << ": the NC listing is not written: " << refused << '\n';
            return 2;
        }
        if (!writeOutput(opts->nc, listing)) {
            err << "hostcam: " << opts->nc << ": the NC listing cannot be written\n";
            return 2;
        }
        out << opts->nc << ": NC listing of " << TpMainOpMgr().GetMainOpList().GetSize() << " operations\n";
        costs.mark("nc");
    }
    if (!costs.write(opts->costs)) {
        err << "hostcam: " << opts->costs << ": the costs cannot be written\n";
        return 2;
    }
    if (!failedPictures.empty()) {
        err << "hostcam: the window picture " << failedPictures.front() << " could not be written";
        if (failedPictures.size() > 1) err << " (nor " << failedPictures.size() - 1 << " more)";
        err << '\n';
        return 2;
    }
    // The transcript is the session's record: a standard output that took none of it is a failed run.
    if (!out.flush()) {
        err << "hostcam: the transcript could not be written to the standard output\n";
        return 2;
    }
    return result.exitCode;
}

}  // namespace host
