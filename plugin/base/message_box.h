// CMessageBox: the plug-in's own message dialog (template 18036), for messages whose buttons are worded by
// the UI texts ("MessageBoxDlg") or that carry a "don't show again" check box. The caller sets text, mode
// and dontShowAgain, runs it with run() (doModalInPluginRes) and reads the result and dontShowAgain.
//   mode 0  button 3 only            mode 2  check box, OK and Cancel
//   mode 1  OK and Cancel            mode 3  check box and OK          other: no control
// OK and button 3 end with 1; Cancel, the close box and Esc with 2.
#pragma once
#include <cstdint>
#include <string>

#include "platform/ui/dialog.h"
#include "plugin/base/text_section.h"

class CMessageBox : public plat::Dialog {
public:
    static constexpr int kTemplate = 18036;
    static constexpr int kCheck = 4019;
    static constexpr int kText = 4177;
    static constexpr int kThirdButton = 3;

    explicit CMessageBox(plat::Dialog* parent = nullptr);

    // Runs the box under the plug-in's resources; returns 1 or 2 (2 also when it cannot be shown).
    int run();

    int mode = 0;
    CTextSection texts;
    int dontShowAgain = 0;
    std::string text;
    std::int16_t result = 0;

protected:
    void doDataExchange(plat::Ddx& dx) override;
    bool onInitDialog() override;
    void onOK() override;
    void onCancel() override;

private:
    void finish(int code);
    plat::Dialog* parentWindow_;
};
