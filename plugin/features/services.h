// What the core uses of features and forms. Stand-ins until that subsystem is built (docs/seams.md).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "host/api.h"
#include "platform/ui/dialog.h"

// One temporary 3D line of the host graphics, drawn again when the host repaints (kind 2).
struct DRAW_ENTS_LIST {
    std::int32_t id = 0;
    std::int16_t kind = 0;
    std::uint8_t colour = 0;
    l_3d line;
};

struct FEATURE_MARK;
void redrawFeatureMarks(FEATURE_MARK* marks);

class CDlgViewAllGeo : public plat::Dialog {
public:
    CDlgViewAllGeo() : plat::Dialog(18046) {}
};

class CDlgAssignFeatures : public plat::Dialog {
public:
    CDlgAssignFeatures() : plat::Dialog(18047) {}
};

class CDlgPreselView : public plat::Dialog {
public:
    CDlgPreselView() : plat::Dialog(18106) {}
    void createImageList() {}
    void resetGroups() { ++groupNumber; }
    void init() {}
    void restoreColors() {}
    int groupNumber = 0;
};

class CFeatMgrFilter {};
class CDlgSelCylindersMask {};
