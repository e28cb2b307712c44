// The host's top level: what happens between invocations of the plug-in.
#include "hostapp/session_runner.h"

#include <cstdio>
#include <optional>

#include "host/geom/step_io.h"
#include "host/state.h"
#include "platform/sys/paths.h"
#include "platform/sys/thread_queue.h"
#include "platform/ui/driver.h"

namespace host {
namespace {

void callMain(const PluginExports& plugin) {
    plat::driver().record("hostcam.call m_main");
    int r = plugin.main();
    plat::driver().record("hostcam.return m_main " + std::to_string(r));
}

// A thread message posted without a window reaches the host's own message pump once no loop of the
// plug-in waits; having no window to go to, it is lost there. Dropping it here keeps a message meant for
// one invocation from leaking into the next.
void dropPostedMessages() {
    while (std::optional<plat::ThreadMsg> msg = plat::takeThreadMessage()) {
        char text[96];
        std::snprintf(text, sizeof text, "hostcam.drop message 0x%X %llu", msg->message,
                      static_cast<unsigned long long>(msg->wParam));
        plat::driver().record(text);
    }
}

void honourRunAgain(const PluginExports& plugin, int maxRunAgain) {
    for (int n = 0; takeRunAgainRequest(); ++n) {
        if (n == maxRunAgain) {
            while (takeRunAgainRequest()) {
            }
            plat::driver().scriptError(nullptr, "the plug-in asked to be run again more than " +
                                                    std::to_string(maxRunAgain) + " times in a row");
            return;
        }
        plat::driver().record("hostcam.run-again");
        callMain(plugin);
    }
}

void notify(const PluginExports& plugin, int code) {
    const int r = plugin.notify(code);
    plat::driver().record("hostcam.call m_notify " + std::to_string(code) + " -> " + std::to_string(r));
}

// A paused cycle's records are in the plug-in's memory only: the part must not go, or be saved, without them.
constexpr const char* kCyclePaused =
    "the plug-in's work cycle is paused and its records are not in the part yet; end the cycle first (start "
    "the plug-in again and close its main menu)";

// The user opens another file in the same host: the part is replaced (a STEP file becomes a new part named
// after it, beside it, with the part files' suffix, not saved yet) and the loaded plug-in is told, as the
// host tells it of every part opened, with notification 3. A file that does not open leaves the part as it was.
void openFile(const PluginExports& plugin, const plat::Step& step, RunFiles& files) {
    plat::UiDriver& d = plat::driver();
    const std::string& path = step.args[0];
    if (path.empty()) return d.scriptError(&step, "no file is named");
    if (pluginCyclePaused()) return d.scriptError(&step, std::string("the part cannot be replaced: ") + kCyclePaused);
    std::string why;
    if (isStepFile(path)) {
        why = openStepAsPart(path);
        if (why.empty()) {
            const plat::PathParts parts = plat::splitPath(path);
            setPartFile(parts.drive + parts.dir + parts.name + kPartSuffix);
        }
    } else {
        why = openPart(path).message;
    }
    if (!why.empty()) return d.scriptError(&step, why);
    files.opened(path, step.line);
    d.record("hostcam.open " + entityCountsText(path));
    notify(plugin, 3);
}

// The user saves the part as `path` (which then names it); a save that fails leaves the file as it was, and
// one that would replace a file of the run, or could not be written, writes nothing.
void saveFile(const plat::Step& step, const RunFiles& files) {
    plat::UiDriver& d = plat::driver();
    const std::string& path = step.args[0];
    std::string why = pluginCyclePaused() ? std::string("the part is not saved: ") + kCyclePaused : files.saveRefusal(path);
    if (why.empty()) why = savePart(path).message;
    if (!why.empty()) return d.scriptError(&step, why);
    d.record("hostcam.save " + entityCountsText(path));
}

void playStep(const PluginExports& plugin, const plat::Step& step, RunFiles& files) {
    plat::UiDriver& d = plat::driver();
    if (step.verb == "invoke") {
        callMain(plugin);
    } else if (step.verb == "notify") {
        notify(plugin, step.intArg(0));
    } else if (step.verb == "open") {
        openFile(plugin, step, files);
    } else if (step.verb == "save") {
        saveFile(step, files);
    } else if (plat::isWindowStep(step)) {
        // A modeless window's button may start the plug-in's command loop itself, which then takes
        // further steps from inside.
        plat::deliverWindowStep(step);
    } else if (step.optional) {
        d.passOver(step);
    } else {
        d.scriptError(&step, "nothing waits for this step: the plug-in is not running");
    }
}

}  // namespace

std::string entityCountsText(const std::string& path) {
    const EntityCounts n = entityCounts();
    return path + ": points " + std::to_string(n.points) + ", lines " + std::to_string(n.lines) + ", arcs " +
           std::to_string(n.arcs) + ", splines " + std::to_string(n.splines) + ", notes " + std::to_string(n.notes) +
           ", surfaces " + std::to_string(n.surfaces) + ", solids " + std::to_string(n.solids) + ", total " +
           std::to_string(n.total);
}

SessionResult runSession(const PluginExports& plugin, std::ostream& out, std::ostream& err, RunFiles files, int maxRunAgain) {
    plat::UiDriver& d = plat::driver();
    d.transcript().setEcho([&out](const std::string& line) { out << line << '\n' << std::flush; });

    d.record("hostcam.call m_version -> " + std::to_string(plugin.version()));
    d.record("hostcam.call m_enter -> " + std::to_string(plugin.enter()));
    for (;;) {
        std::optional<plat::Step> step;
        {
            std::lock_guard lock(d.mutex());
            if (d.aborted()) break;
            step = d.script().take();
        }
        if (!step) break;
        playStep(plugin, *step, files);
        honourRunAgain(plugin, maxRunAgain);
        dropPostedMessages();
    }

    SessionResult result;
    {
        std::lock_guard lock(d.mutex());
        result.errors = d.errors();
        // Optional steps left over had nothing to take them.
        while (std::optional<plat::Step> left = d.script().take()) {
            if (left->optional) d.passOver(*left);
            else result.errors.push_back("step not played: " + left->describe());
        }
        d.transcript().setEcho(nullptr);
    }
    result.exitCode = result.errors.empty() ? 0 : 1;
    for (const std::string& e : result.errors) err << "hostcam: " << e << '\n';
    return result;
}

}  // namespace host
