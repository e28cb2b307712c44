// What the other subsystems use of the settings dialogs and the shared library: the copies of the tables
// between the local tables folder and the shared folder. Stand-ins where docs/seams.md says so.
#pragma once
#include <string>

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
