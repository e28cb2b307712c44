// A loaded plug-in set up for recognition tests: error texts loaded, metric start tolerances, the axis
// angle tolerance of the default settings, hole ids from 1; and the tree under test freed afterwards.
#pragma once
#include <numbers>

#include "host/api.h"
#include "plugin/base/globals.h"
#include "plugin/base/views_list.h"
#include "plugin/recognition/pipeline.h"
#include "plugin/model/tree.h"
#include "plugin/services/recognition.h"
#include "support/hand_tree.h"
#include "support/plugin_fixture.h"

// The metric base tolerance T of the tests.
inline constexpr double kT = 0.025;

using hand_tree::toView;

// Only the top view may be drilled (its reverse then counts as the opposite sense only).
inline void allowOnlyTopView() {
    COnlySelViewsListEx list;
    list.fillFromNamedViews();
    auto item = list.getItem(0);
    item.selected = 1;
    list.setItem(0, item);
    list.writeToPart(g_globals->settings.featuresLevel);
    g_globals->settings.onlySelectedViews = 1;
}

class RecognitionFixture : public PluginFixture {
protected:
    void SetUp() override {
        PluginFixture::SetUp();
        load();
        ASSERT_EQ(g_globals->errorMessages.load(installDir + "/Tool.txt", "ErrorMessages", true), 0);
        setUnitTolerances(true);
        ASSERT_DOUBLE_EQ(g_tolerances.tolT, kT);
        g_tolerances.axisAngle = 0.04 * std::numbers::pi / 180;
        g_nextHoleId = 1;
    }
    void TearDown() override {
        freeViewsTree(head);
        head = nullptr;
        PluginFixture::TearDown();
    }

    VIEW_LIST* head = nullptr;
};
