// The two small dialogs of the configuration's process buttons: the name of a new, renamed or copied
// process, and the processes of the table with the rows that use each, of which the unused ones may be
// marked for deletion. The caller applies their answers to the table.
#pragma once
#include <string>
#include <vector>

#include "platform/ui/dialog.h"
#include "plugin/base/text_section.h"

class CDlgNewProcess : public plat::Dialog {
public:
    static constexpr int kTemplate = 18094, kName = 18098, kPrompt = 18155;
    explicit CDlgNewProcess(plat::Dialog* parent = nullptr);
    std::string caption, prompt;
    std::string name;   // proposed in, typed out (after IDOK)

protected:
    bool onInitDialog() override;
    void onOK() override;
};

struct PROCESS_ENTRY {
    std::string name;
    int useCount = 0;   // rows whose process cell is this name
    int deleted = 0;    // marked for deletion
};

class CDlgHandleProcess : public plat::Dialog {
public:
    static constexpr int kTemplate = 18093, kList = 18124, kName = 18098, kDelete = 18041;
    static constexpr int kMaxEntries = 100;
    explicit CDlgHandleProcess(plat::Dialog* parent = nullptr);
    std::vector<PROCESS_ENTRY> entries;   // at most kMaxEntries
    std::string presetName;
    CTextSection texts;
    int currentItem = -1;

    void deleteSelected();

protected:
    bool onInitDialog() override;

private:
    void onListClick();
};
