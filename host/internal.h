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

// A text as transcript lines show it: quoted, escaped, UTF-8.
std::string quote(std::string_view text);
// A number in its shortest round-trip form, "C" locale.
std::string number(double value);
void record(std::string line);

}  // namespace host::detail
