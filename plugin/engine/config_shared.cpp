// What the configuration run shares with the engine: the engine's configuration state, the form preview's
// entities and the entity pick of the forms code.
#include "host/api.h"
#include "platform/ui/driver.h"
#include "plugin/base/globals.h"
#include "plugin/base/utilities.h"
#include "plugin/engine/engine_state.h"
#include "plugin/model/tab_cols_desc.h"
#include "plugin/services/engine.h"

void deletePreviewEntities() {
    PLUGIN_GLOBALS& g = *g_globals;
    for (int i = 0; i < g.previewEntityCount; ++i)
        delete_ent(g.previewEntities[static_cast<std::size_t>(i)], 0, 0, 0, nullptr, 0);
    g.previewEntityCount = 0;
}

CONFIG_SHARED configShared() {
    ENGINE_STATE& e = *g_engine;
    return {e.configTarget, e.configAction, e.chosenProcess, e.currentTable, e.currentRowCells};
}

int selectEntWithMask(ent* entity, std::uint32_t type, std::int16_t menuMode, const char*) {
    for (;;) {
        loadMenuItems(nullptr, menuMode);
        std::int16_t id = 0;
        const std::int16_t choice = trackMenuOrNone(&id);
        if (choice == -1) {
            db_ptr entry = 0;
            if (select_ent("*", 1, 0x1f1fff, 0, entity, &entry) == 1 && entity->type == type) return 1;
            // A script that does not fit ends the pick instead of asking for ever.
            if (!plat::driver().errors().empty()) return 2;
            continue;
        }
        if (choice == -4 || choice == -3 || choice == -2 || choice == 11) return 2;
    }
}
