// The view-all panel: while the host has control the user shows or hides what is not selected, starts the
// host's dynamic analysis or goes back to the plug-in's pending command.
#include "host/api.h"
#include "platform/sys/thread_queue.h"
#include "platform/ui/keys.h"
#include "plugin/base/globals.h"
#include "plugin/base/text_section.h"
#include "plugin/features/feature_windows.h"

namespace {
constexpr int kAnalyzeDynamicCommand = 1002;
}

CDlgViewAllGeo::CDlgViewAllGeo() : plat::Dialog(kTemplate) {
    onCommand(kSeeAll, [this] { onSeeAll(); });
    onCommand(kAnalyzeDynamic, [] { plat::postThreadMessage(WM_PLUGIN_COMMAND, kAnalyzeDynamicCommand, 0); });
    onMessage(plat::Msg::KillFocus, [this](plat::MsgArgs&) {
        if (plat::getAsyncKeyState(plat::VK_ESCAPE) & 0x8000) leave();
    });
}

// What is still hidden when the library unloads is shown again: the list is the panel's to give back.
CDlgViewAllGeo::~CDlgViewAllGeo() {
    if (hiddenEnts) hiddenEnts = toggleHideUnselected(1, hiddenEnts);
}

bool CDlgViewAllGeo::onInitDialog() {
    CTextSection texts;
    if (texts.load(g_globals->uiTextFile, "ViewGeometriesMenu", true) == 0) {
        setWindowText(texts.getText(1));
        item(kSeeAll).setText(texts.getText(11));
        item(kAnalyzeDynamic).setText(texts.getText(12));
        item(plat::IDOK).setText(texts.getText(2));
    }
    return true;
}

void CDlgViewAllGeo::onSeeAll() {
    seeAll = seeAll ? 0 : 1;
    hiddenEnts = toggleHideUnselected(seeAll, hiddenEnts);
}

void CDlgViewAllGeo::onOK() {
    showWindow(false);
    leave();
}

void CDlgViewAllGeo::leave() {
    if (!seeAll) hiddenEnts = toggleHideUnselected(1, hiddenEnts);
    if (g_commandLoopBusy)
        plat::postThreadMessage(WM_PLUGIN_COMMAND, static_cast<std::uintptr_t>(g_pendingCommand), 0);
    else
        post_FT_command("Forantix", "m_main");
}
