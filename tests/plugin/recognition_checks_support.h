// Parts and trees for the tests of the checks after recognition (opaque surfaces, tool collision, stock):
// a loaded plug-in (metric, T = 0.025) with the default check settings; builder parts turned into surface
// entities; recognised holes made straight from the builder's hole descriptions (one view per drilling
// direction, one point per hole, one segment per described segment, the hole's faces as its entities), so
// that each check is tested on its own, apart from the pipeline's stages.
#pragma once
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "host/api.h"
#include "host/builder/part_builder.h"
#include "host/geom/surface_entities.h"
#include "plugin/base/globals.h"
#include "plugin/base/settings.h"
#include "plugin/recognition/pipeline.h"
#include "plugin/model/tree.h"
#include "plugin/base/vectors.h"
#include "support/part_recognition_fixture.h"
#include "support/recognition_fixture.h"

namespace recog_o {

using namespace host::builder;

constexpr double kDeg = std::numbers::pi / 180;

class CheckTest : public RecognitionFixture {
protected:
    void SetUp() override {
        RecognitionFixture::SetUp();
        g_globals->uiTextFile = installDir + "/Tool.txt";
        setDefaultSettings(0);
        PRM_SETTINGS& s = g_globals->settings;
        s.baseTolerance = kT;
        s.checkCollisions = 1;
        s.intelligentProcess = 1;
        s.defaultTipAngle = 118;
        s.minDrawnTipAngle = 116;
        s.maxDrawnTipAngle = 136;
        s.overrideSpotDrill = 0;
        s.spotDrillDiameter = 16;
        g_globals->tmpDir = dir.path();
        g_globals->debugDumps = 0;
        g_surfaceCount = 0;
    }

    // Builds the part and turns it into surface entities on level 1; remembers each hole's entities.
    void makePart(const PartBuilder& builder) {
        part = builder.build();
        ASSERT_TRUE(part.ok()) << part.error;
        ASSERT_EQ(storeAsSurfaces(part.solid, 1, false), static_cast<int>(part.solid.faces().size()));
        // The solid's faces become surfaces in face order (a planar face's hidden base plane does not count).
        faceEntries.clear();
        ent e{};
        db_ptr from = db_start();
        char found = 0;
        for (;;) {
            get_ent(from, 1, kEntSurface, &e, &from, &found);
            if (!found) break;
            faceEntries.push_back(e.eptr);
        }
        ASSERT_EQ(faceEntries.size(), part.solid.faces().size());
        g_surfaceCount = static_cast<std::int32_t>(faceEntries.size());
    }

    // Hole `index` of the built part as recognition gives it, the hole's faces as its entities.
    POINT_LIST* addHole(std::size_t index) {
        POINT_LIST* p = hand_tree::appendSpecHole(head, part.holes.at(index));
        CYL_LIST* holder = p->firstCyl;
        for (int face : part.holeFaces.at(index)) {
            if (holder->entCount == kMaxCylEnts) holder = holder->next;
            if (!holder) break;
            ent e{};
            const db_ptr entry = faceEntries.at(static_cast<std::size_t>(face));
            EXPECT_EQ(get_ent_from_eptr(entry, &e), 1);
            CYL_ENT& slot = holder->ents[holder->entCount++];
            slot.level = e.level;
            slot.colour = static_cast<std::uint16_t>(e.color);
            slot.id = static_cast<std::int32_t>(e.id);
            slot.entry = entry;
        }
        return p;
    }
    void addAllHoles() {
        for (std::size_t i = 0; i < part.holes.size(); ++i) holes.push_back(addHole(i));
    }

    BuiltPart part;
    std::vector<db_ptr> faceEntries;
    std::vector<POINT_LIST*> holes;
};

}  // namespace recog_o
