#include "plugin/cycle/main_menu.h"

#include "platform/sys/thread_queue.h"
#include "platform/ui/keys.h"
#include "plugin/cycle/command_loop.h"
#include "plugin/base/globals.h"

namespace {

struct MENU_BUTTON {
    int id;
    int textLine;
    int code;
};
constexpr MENU_BUTTON kButtons[] = {
    {18004, 11, 101}, {18005, 12, 102}, {18006, 13, 103}, {18007, 14, 104},
    {18008, 15, 105}, {18009, 16, 106}, {18010, 17, 107}, {CMainMenu::kEditReportsButton, 18, 108},
};

}  // namespace

void postPluginCommand(int code, bool startLoop) {
    plat::postThreadMessage(WM_PLUGIN_COMMAND, static_cast<std::uintptr_t>(code), 0);
    if (startLoop && g_commandLoopBusy == 0) (void)mainMenuEventLoop();
}

CMainMenu::CMainMenu() : plat::Dialog(kTemplate) {
    for (const MENU_BUTTON& b : kButtons) onCommand(b.id, [code = b.code] { postPluginCommand(code, true); });
    onCommand(kHiddenButton, [] { postPluginCommand(109, false); });
    onMessage(plat::Msg::Close, [this](plat::MsgArgs&) { onOK(); });
    onMessage(plat::Msg::KillFocus, [this](plat::MsgArgs&) {
        if (plat::getAsyncKeyState(plat::VK_ESCAPE) & 0x8000) onOK();
    });
}

bool CMainMenu::onInitDialog() {
    (void)texts.load(g_globals->uiTextFile, "MainMenu", true);
    setWindowText(caption);
    item(kVersionStatic).setText(versionText);
    for (const MENU_BUTTON& b : kButtons) item(b.id).setText(texts.getText(b.textLine));
    item(plat::IDOK).setText(texts.getText(2));
    item(kHiddenButton).show(false);
    return true;
}

void CMainMenu::onOK() {
    postPluginCommand(1, false);
    if (closeEnabled) {
        g_mainMenuShown = 0;
        endDialog(plat::IDOK);
    }
}
