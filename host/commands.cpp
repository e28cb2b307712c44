// Commands posted to the host. The plug-in's own ("Forantix", "m_main") asks for one more invocation once
// the running one has returned; hostcam takes these requests after every step it plays.
#include <cstring>

#include "host/internal.h"
#include "host/state.h"

namespace host {
namespace {

struct Commands {
    int runAgain = 0;
    std::vector<std::string> others;
    std::vector<std::string> edited;
    bool cyclePaused = false;
};
Commands commands;

}  // namespace

namespace detail {
void resetCommands() { commands = Commands{}; }
}  // namespace detail

bool takeRunAgainRequest() {
    if (commands.runAgain == 0) return false;
    --commands.runAgain;
    return true;
}

int pendingRunAgainRequests() { return commands.runAgain; }
bool pluginCyclePaused() { return commands.cyclePaused; }
const std::vector<std::string>& hostCommands() { return commands.others; }
const std::vector<std::string>& editedFiles() { return commands.edited; }

}  // namespace host

void post_FT_command(const char* app, const char* command) {
    std::string a = app ? app : "", c = command ? command : "";
    host::detail::record("host.command " + a + " " + c);
    if (a == "Forantix" && c == "m_main") {
        ++host::commands.runAgain;
        return;
    }
    host::commands.others.push_back(a + " " + c);
}

void plugin_cycle_paused(int paused) {
    if (host::commands.cyclePaused == (paused != 0)) return;
    host::commands.cyclePaused = paused != 0;
    host::detail::record(paused ? "host.plugin cycle paused" : "host.plugin cycle ended");
}

void edit_filename(const char* path, int /*mode*/) {
    std::string p = path ? path : "";
    host::detail::record("host.editor " + host::detail::quote(p));
    host::commands.edited.push_back(p);
}
