// hostcam, the host application: options, set-up of the host stand-in, the session, the plug-in module.
// hostcamMain is main() without the process around it, so tests can run it with their own streams.
// Exit codes: 0 the session played cleanly, 1 script errors (a `save` refused among them) or steps left over,
// 2 bad options, session file or module, an output that would replace a file the run reads or writes (or is a
// folder, or lies in the plug-in's folder), a part that cannot be opened or saved, a save refused because the
// session left the plug-in's work cycle paused (its records would be missing from the part), a window picture
// that could not be written (none is left half written) or was kept off a file of the run, or a standard
// output that would not take the transcript.
#pragma once
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace host {

struct HostcamOptions {
    std::string plugin;    // "" = Forantix.so next to the executable
    std::string session;   // "" = the built-in session (the main menu, closed with OK)
    std::string hostDir;   // "" = the host's default folder
    std::string part;      // "" = an unnamed part
    std::string open;      // "" = an empty part; else a STEP file whose solids make the part, or a part file
    std::string save;      // "" = nothing saved; else the part file written after the session (an unnamed
                           // part, a STEP file opened or none, is named after it from the start)
    std::string nc;        // "" = no NC listing; else the file the part's operations are written to as G-code
    std::string pictures;  // "" = no pictures; else the folder the windows' pictures are written to
    std::string costs;     // "" = none; else the file the CPU and peak memory after each stage are written to
    bool inch = false;
    bool noMachineGroup = false;
    bool noActiveGroup = false;
    bool realClock = false;
    bool help = false;
};

// Reads the arguments after the program name; on a bad one returns nothing and says why in `error`.
std::optional<HostcamOptions> parseOptions(const std::vector<std::string>& args, std::string& error);
std::string usage();

// The session run by hostcam without --session.
extern const char* const kBuiltInSession;

int hostcamMain(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace host
