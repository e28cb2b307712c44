// The two small dialogs of the process tree's menu: the choice of another process of a hole's table, and a
// view's option to use the clearance plane only at the start and end of its operations.
#pragma once
#include <cstdint>
#include <string>

#include "platform/ui/dialog.h"
#include "plugin/base/text_section.h"

class CDlgChangeProcess : public plat::Dialog {
public:
    static constexpr int kTemplate = 18092, kList = 18123;
    explicit CDlgChangeProcess(plat::Dialog* parent = nullptr);
    ~CDlgChangeProcess() override = default;

    const std::string* processNames = nullptr;   // set by the caller
    int processCount = 0;
    std::string currentName;                      // the hole's process, set by the caller
    std::string chosenName;                       // the result; "" when nothing was chosen

    // Selects the last item equal to the name, ignoring case; its index, or -1.
    int selectCurrent(const std::string& name);

protected:
    bool onInitDialog() override;
    void onOK() override;
    void onCancel() override;
};

class CDlgOpDefaults : public plat::Dialog {
public:
    static constexpr int kTemplate = 18023, kClearanceCheck = 4019;
    explicit CDlgOpDefaults(plat::Dialog* parent = nullptr);
    ~CDlgOpDefaults() override = default;

    CTextSection texts;
    std::int16_t useClearanceStartEnd = 0;   // in and out
    int radioChoice = -1;                    // the template's hidden radio pair

protected:
    bool onInitDialog() override;
    void onOK() override;
    void doDataExchange(plat::Ddx& ddx) override;
};
