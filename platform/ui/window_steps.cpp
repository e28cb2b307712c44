// Window steps of the script (click, type, check, select, key, close, focus-out): each goes to the shown
// window with the template id its first argument names, and acts there as the user would. A refusal is a
// script error naming the step.
#include "platform/ui/dialog.h"
#include "platform/ui/driver.h"
#include "platform/ui/keys.h"

namespace plat {

bool isWindowStep(const Step& step) {
    for (std::string_view v : {"click", "type", "check", "select", "key", "close", "focus-out"})
        if (step.verb == v) return true;
    return false;
}

Delivery deliverWindowStep(const Step& step) {
    if (!isWindowStep(step)) return Delivery::NotAWindowStep;
    UiDriver& d = driver();
    // After a script error the rest of the script is not acted on (the error is already recorded).
    if (d.aborted()) return Delivery::Refused;
    int window = step.intArg(0);
    Dialog* dlg = Dialog::shown(window);
    if (!dlg) {
        d.scriptError(&step, "window " + std::to_string(window) + " is not shown");
        return Delivery::Refused;
    }
    std::string why;
    if (step.verb == "click") {
        why = dlg->userClick(step.intArg(1));
    } else if (step.verb == "type") {
        why = dlg->userType(step.intArg(1), step.restFrom(2));
    } else if (step.verb == "check") {
        why = dlg->userCheck(step.intArg(1), step.intArg(2));
    } else if (step.verb == "select") {
        why = dlg->userSelect(step.intArg(1), step.intArg(2));
    } else if (step.verb == "key") {
        int vk = step.args.size() > 1 ? vkFromName(step.args[1]) : -1;
        why = vk > 0 ? dlg->userKey(vk) : "no key named";
    } else if (step.verb == "close") {
        why = dlg->userClose();
    } else {
        why = dlg->userFocusOut(step.args.size() > 1 && step.args[1] == "esc");
    }
    if (!why.empty()) {
        d.scriptError(&step, why);
        return Delivery::Refused;
    }
    return Delivery::Delivered;
}

}  // namespace plat
