// What the core uses of the process configuration. Stand-in until it is built (docs/seams.md).
#pragma once
#include "platform/ui/dialog.h"

class CConfigProcess : public plat::Dialog {
public:
    CConfigProcess() : plat::Dialog(18018) {}
};
