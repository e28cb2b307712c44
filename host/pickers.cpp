// The host's colour chooser. It is the host's own modal dialog; here the user's choice is the next script
// step ("colour-pick N|cancel"), and the transcript shows the dialog opening on its start value and what was
// chosen.
#include <optional>
#include <string>

#include "host/api.h"
#include "host/internal.h"
#include "platform/ui/driver.h"

namespace {

// The chosen number, or nothing when the user cancelled (or the step did not fit, a script error).
std::optional<long> choose(const std::string& what, long start, long lowest, long highest) {
    host::detail::record("host." + what + " pick start=" + std::to_string(start));
    std::optional<plat::Step> step = plat::driver().expect({what + "-pick"}, what + " chooser");
    if (!step) return std::nullopt;
    if (step->args.at(0) == "cancel") {
        host::detail::record("host." + what + " pick cancel");
        return std::nullopt;
    }
    const long chosen = step->intArg(0);
    if (chosen < lowest || chosen > highest) {
        plat::driver().scriptError(&*step, "the " + what + " chooser offers no " + what + " " + step->args.at(0));
        return std::nullopt;
    }
    host::detail::record("host." + what + " picked " + std::to_string(chosen));
    return chosen;
}

}  // namespace

int sel_color_dialog(int* colour) {
    if (!colour) return 0;
    const std::optional<long> chosen = choose("colour", *colour, 0, 255);
    if (!chosen) return 0;
    *colour = static_cast<int>(*chosen);
    return 1;
}
