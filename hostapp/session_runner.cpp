// The host's top level: what happens between invocations of the plug-in.
#include "hostapp/session_runner.h"

#include <cstdio>
#include <optional>

#include "host/state.h"
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

void playStep(const PluginExports& plugin, const plat::Step& step) {
    plat::UiDriver& d = plat::driver();
    if (step.verb == "invoke") {
        callMain(plugin);
    } else if (step.verb == "notify") {
        int code = step.intArg(0);
        int r = plugin.notify(code);
        d.record("hostcam.call m_notify " + std::to_string(code) + " -> " + std::to_string(r));
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

SessionResult runSession(const PluginExports& plugin, std::ostream& out, std::ostream& err, int maxRunAgain) {
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
        playStep(plugin, *step);
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
