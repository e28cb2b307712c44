// The plug-in's main menu: a modeless window with one button per command. A button runs nothing itself:
// it posts its command code to the thread and starts the command loop when none runs.
#pragma once
#include <string>

#include "platform/ui/dialog.h"
#include "plugin/base/globals.h"
#include "plugin/base/text_section.h"

// Posts a command code to the command loop; starts the loop when none runs (its result is dropped: a
// loop started by a button never ends the work cycle).
void postPluginCommand(int code, bool startLoop);

class CMainMenu : public plat::Dialog {
public:
    static constexpr int kTemplate = 18048;
    static constexpr int kVersionStatic = 18038;
    static constexpr int kHiddenButton = 18041;
    static constexpr int kEditReportsButton = 18034;

    CMainMenu();

    bool closeEnabled = true;   // while false, OK, close and Esc post 1 but leave the window shown
    std::string caption;
    std::string versionText;
    CTextSection texts;

protected:
    bool onInitDialog() override;
    void onOK() override;
};
