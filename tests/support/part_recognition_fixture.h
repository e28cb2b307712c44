// A plug-in after one invocation whose main menu the user closed at once (settings read, metric,
// T = 0.025), builder parts stored as solids on level 1 and turned into surfaces as the recognition command
// does it (or straight by the host's conversion), and the recognition run of that command with hole ids from 1.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>

#include "host/api.h"
#include "host/builder/part_builder.h"
#include "host/geom/surface_entities.h"
#include "plugin/base/entity_utils.h"
#include "plugin/base/globals.h"
#include "plugin/cycle/main_menu.h"
#include "plugin/recognition/pipeline.h"
#include "plugin/model/tree.h"
#include "plugin/services/recognition.h"
#include "support/plugin_fixture.h"

// Stores the solid on `level` and turns its faces into surface entities in face order, each face in its own
// colour when asked; the number of faces converted, 0 when the solid could not be stored.
inline int storeAsSurfaces(const host::SolidGeom& solid, std::int32_t level, bool faceColours,
                           const char* name = "part") {
    ent e{};
    if (get_ent_from_eptr(host::storeSolidEntity(solid, 3, level, name), &e) != 1) return 0;
    sld_tag tag = 0;
    if (sld_get_tag_from_solid(&e, &tag) != 1) return 0;
    return sld_convert_tags_to_mc_ents(&tag, 1, 0.0, 1, faceColours ? 1 : 0, 0);
}

class PartRecognitionFixture : public PluginFixture {
protected:
    void SetUp() override {
        PluginFixture::SetUp();
        loadAndCloseOnce();
    }

    // Stores the part as a solid on level 1 and converts it as the recognition command does.
    static void addPart(const host::builder::PartBuilder& builder) {
        const host::builder::BuiltPart part = builder.build();
        ASSERT_TRUE(part.ok()) << part.error;
        ASSERT_NE(host::storeSolidEntity(part.solid, 3, 1, "part"), 0u);
        ASSERT_NE(solidsToEntities(g_globals->settings.featuresLevelCopy), 0);
    }

    struct RUN {
        VIEW_LIST* tree = nullptr;
        std::int32_t wide = 0, narrow = 0, refused = 0;
        int outcome = -2;
    };
    static RUN recognize(bool maxOn = false, bool minOn = false, CProgressBox* progress = nullptr) {
        RUN run;
        g_nextHoleId = 1;
        run.tree = recognizeCylinders(kRecognizeCommand, progress, &run.wide, &run.narrow, &run.refused, maxOn, minOn,
                                      nullptr, &run.outcome);
        return run;
    }
};
