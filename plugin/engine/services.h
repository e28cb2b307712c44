// What the core uses of the process engine. Stand-ins until the engine is built (docs/seams.md).
#pragma once
#include <cstdint>

#include "platform/ui/dialog.h"

struct TABLE_FILE_REF {
    char tabPath[1024] = {};
    char txtPath[1024] = {};
    char tableName[32] = {};
    char processName[50] = {};
    std::int64_t fileTime = 0;
    std::uint8_t flag = 0;
};

class CDlgPointsList {
public:
    CDlgPointsList() = default;
};

// The global process tree dialog; the command loop sets its after-recognition flag before it runs.
class CDlgProcess : public plat::Dialog {
public:
    CDlgProcess() : plat::Dialog(18021) {}
    std::uint8_t afterRecognition = 0;
};

int undoGroupOperations(std::uint32_t groupId);
int cancelGroupOperations(std::uint32_t groupId);
