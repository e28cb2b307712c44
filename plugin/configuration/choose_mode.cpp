// Stand-in for the configuration's choose mode (docs/seams.md): a configuration of its own, started as the
// choose run starts it, whose frame offers no row to choose.
#include <memory>

#include "plugin/base/resource_switch.h"
#include "plugin/services/configuration.h"

namespace {
constexpr std::int16_t kChoosePreset = 123;
}

CONFIG_CHOICE chooseTableRow(std::int16_t) {
    auto chooser = std::make_unique<CConfigProcess>();
    chooser->preset = kChoosePreset;
    CONFIG_CHOICE choice;
    choice.result = doModalInPluginRes(*chooser);
    return choice;
}
