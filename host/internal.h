// Private to the host stand-in: the reset of each unit and the transcript helpers they share.
#pragma once
#include <string>
#include <string_view>

namespace host::detail {

void resetEnvironment();
void resetGroups();
void resetEvents();
void resetWaitDialog();
void resetDisplay();
void resetCommands();
void resetTools();   // host/tools/: library paths and the current material list
// What a new part starts with: the standard groups as the host is set up (setMachineGroup, setActiveGroup),
// and a prompt area without the messages and point markers of the part that went.
void standardGroupsAfresh();
void promptAreaOfNewPart();

// A text as transcript lines show it: quoted, escaped, UTF-8.
std::string quote(std::string_view text);
// A number in its shortest round-trip form, "C" locale.
std::string number(double value);
void record(std::string line);

}  // namespace host::detail
