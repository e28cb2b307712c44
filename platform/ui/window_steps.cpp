// Window steps of the script (click, type, check, select, key, close, focus-out, and the item-addressed
// list-, column- and tree- steps): each goes to the shown window with the template id its first argument
// names, and acts there as the user would. A refusal is a script error naming the step (an optional step is
// passed over instead).
#include "platform/sys/clock.h"
#include "platform/ui/dialog.h"
#include "platform/ui/driver.h"
#include "platform/ui/keys.h"

namespace plat {

namespace {

// A step the window cannot take is a script error, or passed over when it is optional.
Delivery refuse(const Step& step, const std::string& why) {
    if (step.optional) {
        driver().passOver(step);
        return Delivery::PassedOver;
    }
    driver().scriptError(&step, why);
    return Delivery::Refused;
}

MouseClick clickOf(std::string_view verb) {
    if (verb == "list-dblclick") return MouseClick::Double;
    if (verb == "list-rclick" || verb == "tree-rclick") return MouseClick::Right;
    return MouseClick::Left;
}

}  // namespace

std::initializer_list<std::string_view> windowStepVerbs() {
    // A static list keeps its elements for the program's life, so the copies handed out stay valid.
    static const std::initializer_list<std::string_view> verbs = {
        "click",        "type",         "check",       "select",        "key",
        "close",        "focus-out",    "list-click",  "list-dblclick", "list-rclick",
        "list-key",     "column-click", "tree-click",  "tree-rclick",   "tree-expand",
        "tree-collapse", "tree-edit",   "hover",       "click-at",      "wait"};
    return verbs;
}

bool isWindowStep(const Step& step) {
    for (std::string_view v : windowStepVerbs())
        if (step.verb == v) return true;
    return false;
}

Delivery deliverWindowStep(const Step& step) {
    if (!isWindowStep(step)) return Delivery::NotAWindowStep;
    UiDriver& d = driver();
    // After a script error the rest of the script is not acted on (the error is already recorded).
    if (d.aborted()) return Delivery::Refused;
    // The user does nothing for a while: the clock runs (and with it the watchers and timers due) wherever
    // a window step would be taken.
    if (step.verb == "wait") {
        sleepMs(step.intArg(0));
        return Delivery::Delivered;
    }
    runDueTimers();   // the user is slower than the windows' timers
    updateWindows();  // the user sees what was drawn or invalidated since the last step before acting
    int window = step.intArg(0);
    Dialog* dlg = Dialog::shown(window);
    if (!dlg) return refuse(step, "window " + std::to_string(window) + " is not shown");
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
    } else if (step.verb == "click-at") {
        why = dlg->userClickAt({step.intArg(1), step.intArg(2)});
    } else if (step.verb == "hover") {
        why = dlg->userHover(step.intArg(1));
    } else if (step.verb == "focus-out") {
        why = dlg->userFocusOut(step.args.size() > 1 && step.args[1] == "esc");
    } else if (step.verb == "list-click" || step.verb == "list-dblclick" || step.verb == "list-rclick") {
        why = dlg->userListClick(step.intArg(1), clickOf(step.verb), step.intArg(2), step.intArg(3),
                                 step.args.size() > 4 && step.args[4] == "ctrl");
    } else if (step.verb == "list-key") {
        int vk = step.args.size() > 2 ? vkFromName(step.args[2]) : -1;
        why = vk > 0 ? dlg->userListKey(step.intArg(1), vk) : "no key named";
    } else if (step.verb == "column-click") {
        why = dlg->userColumnClick(step.intArg(1), step.intArg(2));
    } else if (step.verb == "tree-click" || step.verb == "tree-rclick") {
        TreePart part = step.args.size() > 3 && step.args[3] == "icon" ? TreePart::Icon : TreePart::Label;
        why = dlg->userTreeClick(step.intArg(1), clickOf(step.verb), step.args.size() > 2 ? step.args[2] : "", part);
    } else if (step.verb == "tree-expand" || step.verb == "tree-collapse") {
        why = dlg->userTreeExpand(step.intArg(1), step.args.size() > 2 ? step.args[2] : "", step.verb == "tree-expand");
    } else {
        why = dlg->userTreeEdit(step.intArg(1), step.args.size() > 2 ? step.args[2] : "",
                                step.args.size() > 3 ? step.args[3] : "");
    }
    if (!why.empty()) return refuse(step, why);
    updateWindows();  // and what the step itself drew
    return Delivery::Delivered;
}

}  // namespace plat
