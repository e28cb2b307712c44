// The shared library's dialogs and the watcher of the shared library's request flag.
// Stand-ins where docs/seams.md says so.
#pragma once
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/sys/clock.h"
#include "platform/ui/dialog.h"
#include "plugin/services/settings.h"

class CDlgSharedDataMgr : public plat::Dialog {
public:
    CDlgSharedDataMgr() : plat::Dialog(18030) {}
    std::string libraryName;
    std::string sharedFolder;
    int accessMode = 0;

protected:
    bool onInitDialog() override;
};

// The choice of another table library from a forms folder's libraries. The caller sets `library` (the one
// not found) and `folders`; `choice` is the entry selected at OK, "" when none is (a typed name that is no
// entry, or Cancel).
class CDlgSharedLibNF : public plat::Dialog {
public:
    explicit CDlgSharedLibNF(int variant = 0) : plat::Dialog(18074), variant(variant) {}
    int variant = 0;   // 0 the shared folder's libraries, 1 the local ones
    std::string library;
    std::string choice;
    const std::vector<std::string>* folders = nullptr;

protected:
    bool onInitDialog() override;
    void onOK() override;
};

// The watcher's control block: a stop byte, then the shared folder the watcher reads once at its start.
struct WATCHER_CTL {
    std::atomic<std::uint8_t> stop{0};
    char folder[1024] = {};
};

// Starts the shared-data watcher on the block: a task polled every 200 ms that ends when the stop byte is set.
plat::Periodic startSharedDataWatcher(WATCHER_CTL* ctl);

extern WATCHER_CTL g_watcherCtl;
