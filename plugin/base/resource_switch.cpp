#include "plugin/base/resource_switch.h"

#include "plugin/base/globals.h"

CResourceSwitch::CResourceSwitch(plat::ModuleHandle module) {
    if (module && module != plat::resourceModule()) {
        saved_ = plat::resourceModule();
        remembered_ = true;
        plat::setResourceModule(module);
    }
}

CResourceSwitch::~CResourceSwitch() { restore(); }

void CResourceSwitch::restore() {
    if (remembered_) plat::setResourceModule(saved_);
    remembered_ = false;
    saved_ = nullptr;
}

int doModalInPluginRes(plat::Dialog& dialog, plat::Dialog* parent) {
    CResourceSwitch sw(g_pluginInstance);
    return dialog.doModal(parent);
}
