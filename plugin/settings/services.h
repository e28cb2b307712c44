// What the core uses of the settings dialogs and the shared library. Stand-ins until that subsystem is
// built (docs/seams.md).
#pragma once
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/sys/clock.h"
#include "platform/ui/dialog.h"
#include "plugin/base/text_section.h"

class CSharedData {
public:
    explicit CSharedData(std::string folder);
    // "RWrunning.dat" of the shared folder: 0 creates it (1 when it cannot be), 1 removes it, 2 tests it
    // (1 when it exists); 0 otherwise.
    int runningFlag(int mode) const;
    // The library's changed tables copied to and from the shared folder: nothing to copy yet; 0.
    int copyTablesToShared(const std::string& libraryName);
    void copyTablesFromShared(const std::string& libraryName);
    const CTextSection& texts() const { return texts_; }

private:
    std::string folder_;
    CTextSection texts_;
};

// -1: the folder does not exist; -2: it holds no sub-folder; 0: one sub-folder is the library (case
// ignored); 1: none is. The sub-folder names go into `names` when given.
int listSubFolders(const std::string& folder, const std::string& libraryName, std::vector<std::string>* names);

class CDlgSharedDataMgr : public plat::Dialog {
public:
    CDlgSharedDataMgr() : plat::Dialog(18030) {}
    std::string libraryName;
    std::string sharedFolder;
    int accessMode = 0;

protected:
    bool onInitDialog() override;
};

class CDlgSharedLibNF : public plat::Dialog {
public:
    CDlgSharedLibNF() : plat::Dialog(18074) {}
    std::string libraryName;
    std::vector<std::string> subFolders;

protected:
    bool onInitDialog() override;
};

// The general settings dialog. A result of 101 asks the caller to pick a point and show it again.
class CGeneralParameters : public plat::Dialog {
public:
    CGeneralParameters() : plat::Dialog(18031) {}
    int pickState = 0;
    double refPoint[3] = {};
    std::int16_t switch1 = 0, switch2 = 0;

protected:
    bool onInitDialog() override;
};

// The watcher's control block: a stop byte, then the shared folder the watcher reads once at its start.
struct WATCHER_CTL {
    std::atomic<std::uint8_t> stop{0};
    char folder[1024] = {};
};

// Starts the shared-data watcher on the block: a task polled every 200 ms that ends when the stop byte is set.
plat::Periodic startSharedDataWatcher(WATCHER_CTL* ctl);
