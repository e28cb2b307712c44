// Running a dialog with the plug-in's own resources: the resource module is switched to the plug-in's for
// the span of a scope and switched back after it.
#pragma once
#include "platform/sys/module.h"
#include "platform/ui/dialog.h"

class CResourceSwitch {
public:
    explicit CResourceSwitch(plat::ModuleHandle module);
    ~CResourceSwitch();
    CResourceSwitch(const CResourceSwitch&) = delete;
    CResourceSwitch& operator=(const CResourceSwitch&) = delete;
    void restore();

private:
    plat::ModuleHandle saved_ = nullptr;
    bool remembered_ = false;
};

// Runs the dialog's modal loop under the plug-in's resources; returns the dialog's result.
int doModalInPluginRes(plat::Dialog& dialog, plat::Dialog* parent = nullptr);
