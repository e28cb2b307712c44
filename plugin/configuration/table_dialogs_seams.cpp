// Stand-ins for the table chooser and the table properties dialog (docs/seams.md): frames that can only be
// left, so that the configuration runs whole around them. The chooser chooses nothing; the properties
// dialog gives the values back as they came.
#include "plugin/base/resource_switch.h"
#include "plugin/configuration/table_dialogs.h"

namespace {

using plat::Ctl;
using plat::Rect;

constexpr int kChooserTemplate = 18017, kPropertiesTemplate = 18020;

class FRAME : public plat::Dialog {
public:
    explicit FRAME(int id) : plat::Dialog(id) {}
};

}  // namespace

int runSelectShapeTable(TABLE_CHOOSER&, plat::Dialog* parent) {
    FRAME frame(kChooserTemplate);
    return doModalInPluginRes(frame, parent);
}

int runShapeProp(CTabColsDesc&, SHAPE_PROPERTIES&, plat::Dialog* parent) {
    FRAME frame(kPropertiesTemplate);
    return doModalInPluginRes(frame, parent) == plat::IDOK ? plat::IDOK : plat::IDCANCEL;
}

void registerConfigurationFrames() {
    plat::registerDialog({kChooserTemplate, "Tables", 200, 40,
                          {{plat::IDOK, Ctl::DefButton, Rect{7, 7, 62, 21}, "Exit"}}, false});
    plat::registerDialog({kPropertiesTemplate, "Table properties", 200, 40,
                          {{plat::IDOK, Ctl::DefButton, Rect{7, 7, 62, 21}, "OK"},
                           {plat::IDCANCEL, Ctl::Button, Rect{67, 7, 122, 21}, "Cancel"}},
                          false});
}
