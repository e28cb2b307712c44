// Stand-in command loop (docs/seams.md): it shows the main menu, waits for posted codes and leaves on
// code 1 or when the user ends the host's prompt; 1002 hands over to the host's analysis and keeps the work
// cycle; every other code is taken and ignored.
#include "plugin/core/command_loop.h"

#include <string>

#include "host/api.h"
#include "plugin/core/globals.h"
#include "plugin/core/load_time_objects.h"
#include "plugin/core/main_menu.h"

namespace {

void showMainMenu() {
    if (g_mainMenu->hasWindow()) g_mainMenu->showWindow(g_mainMenuShown == 1);
}

}  // namespace

int mainMenuEventLoop() {
    g_commandLoopBusy = 1;
    std::string prompt = "ForantixX " + g_globals->versionText;
    std::erase(prompt, '\n');
    PFEvent event;
    long mask = 0x8200, arg2 = 0;
    short arg3 = 0;
    char out[256] = {};
    int keep = 0;
    for (bool done = false; !done;) {
        showMainMenu();
        const int result = get_event(prompt.c_str(), &event, &mask, &arg2, &arg3, out);
        if (result == 1 || result == 2) {
            g_mainMenuShown = 0;
            break;
        }
        if (event.type != kEventPosted || event.message != WM_PLUGIN_COMMAND) continue;
        cleartextall();
        switch (event.wParam) {
        case 1:
            done = true;
            break;
        case 1002:
            post_FT_command("Partforge", "AnalyzeDynoStart");
            done = true;
            keep = 1;
            break;
        default:
            break;
        }
    }
    showMainMenu();
    g_commandLoopBusy = 0;
    return keep;
}
