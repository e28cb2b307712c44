// Plays the script of plat::driver() against a loaded plug-in, as the host would: at the top level the
// user starts the plug-in (`invoke`), the host sends notifications (`notify N`), or the user clicks in a
// modeless window of the plug-in; every other step belongs to a wait inside the plug-in. After each step
// the plug-in's run-again requests are honoured. Read docs/sessions.md for the language.
#pragma once
#include <ostream>
#include <string>
#include <vector>

#include "hostapp/plugin_module.h"
#include "hostapp/run_files.h"

namespace host {

// Run-again requests honoured in a row after one step; more means the plug-in keeps asking forever.
constexpr int kMaxRunAgain = 32;

struct SessionResult {
    int exitCode = 0;                  // 0: every step played and no script error; 1 otherwise
    std::vector<std::string> errors;   // script errors, then the steps left over
};

// The open part's entity counts after its file's name, as hostcam tells them after an open or a save.
std::string entityCountsText(const std::string& path);

// Echoes every transcript line to `out` as it is recorded and prints the errors to `err` at the end.
// The script and the host are not reset here; the caller sets them up. `files` are the run's, which no
// `save` of the session replaces.
SessionResult runSession(const PluginExports& plugin, std::ostream& out, std::ostream& err, RunFiles files = {},
                         int maxRunAgain = kMaxRunAgain);

}  // namespace host
