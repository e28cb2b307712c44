// The views lists in the part: their stored forms, what survives the host's view changes, damaged
// records, and the one-time conversion of the old list.
#include <gtest/gtest.h>

#include "host/api.h"
#include "plugin/base/byte_codec.h"
#include "plugin/base/globals.h"
#include "plugin/base/part_record.h"
#include "plugin/base/views_list.h"
#include "support/plugin_fixture.h"

namespace {

class ViewsListTest : public PluginFixture {
protected:
    void SetUp() override {
        PluginFixture::SetUp();
        load();
        g_globals->settings.featuresLevel = 1000254;
    }
    static void addView(const char* name, const double z[3]) {
        view_ent v{};
        double m[3][3];
        make_view_k(z, m);
        std::memcpy(v.matrix, m, sizeof m);
        std::snprintf(v.name, sizeof v.name, "%s", name);
        char ok = 0;
        named_view_manager(&v, 1, "", &ok);
        ASSERT_EQ(ok, 1);
    }
};

constexpr double kIdentity[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};

TEST_F(ViewsListTest, OldListStoredFormAndLimits) {
    COnlySelViewsList list(0);
    list.add("TOP", 1, 1, kIdentity);
    EXPECT_EQ(list.encode().size(), 82u);   // 2 + name 3 + 1 + 76
    list.writeToPart(g_globals->settings.featuresLevel);
    COnlySelViewsList back(0);
    EXPECT_EQ(back.readFromPart(), 1);
    std::uint16_t number = 9, key = 9;
    double m[3][3] = {};
    EXPECT_EQ(back.getItem(0, &number, &key, m), "TOP");
    EXPECT_EQ(number, 1);
    EXPECT_DOUBLE_EQ(m[2][2], 1);
    EXPECT_EQ(back.getItem(1, &number, &key, m), "");
    EXPECT_EQ(number, 0);
    EXPECT_EQ(key, 1);   // left alone

    COnlySelViewsList empty(1);
    EXPECT_EQ(empty.encode(), (std::vector<std::uint8_t>{0, 0}));
}

TEST_F(ViewsListTest, BothListsComeBackFromASavedAndReopenedPart) {
    COnlySelViewsListEx list;
    list.fillFromNamedViews();
    auto item = list.getItem(2);
    item.selected = 1;
    item.xOn = 1;
    item.xFrom = -0.25;
    item.xTo = 0.75;
    item.focus = 1;
    list.setItem(2, item);
    list.writeToPart(g_globals->settings.featuresLevel);
    COnlySelViewsList snapshot(1);
    snapshot.add("BACK (X: -14.32\xBA 42.97\xBA)", 3, 3, kIdentity);
    snapshot.writeToPart(g_globals->settings.featuresLevel);

    const std::string file = dir.path() + "/views.pfp";
    ASSERT_TRUE(host::savePart(file).ok);
    host::reset();
    ASSERT_TRUE(host::openPart(file).ok);

    COnlySelViewsListEx back;
    ASSERT_EQ(back.readFromPart(), 6);
    const auto read = back.getItem(2);
    EXPECT_EQ(read.selected, 1);
    EXPECT_DOUBLE_EQ(read.xFrom, -0.25);
    EXPECT_DOUBLE_EQ(read.xTo, 0.75);
    EXPECT_EQ(read.focus, 1);
    EXPECT_EQ(read.viewId, static_cast<std::int32_t>(NamedViews[2].id));
    COnlySelViewsList snap(1);
    ASSERT_EQ(snap.readFromPart(), 1);
    EXPECT_EQ(snap.items()[0].name, "BACK (X: -14.32\xBA 42.97\xBA)");
}

TEST_F(ViewsListTest, DamagedOldListsAreRefusedWhole) {
    COnlySelViewsList list(0);
    list.add("FRONT", 2, 2, kIdentity);
    std::vector<std::uint8_t> payload = list.encode();
    ByteWriter(payload).patch<std::int16_t>(0, 5);   // a count past the end
    COnlySelViewsList back(0);
    EXPECT_FALSE(back.decode(payload));
    EXPECT_EQ(back.count(), 0);
    std::vector<std::uint8_t> noEnd{1, 0, 'A', 'B'};   // a name that never ends
    EXPECT_FALSE(back.decode(noEnd));
}

TEST_F(ViewsListTest, TheListInForceDropsViewsTheHostNoLongerHasAndRefusesMalformedRecords) {
    COnlySelViewsListEx list;
    EXPECT_EQ(list.encode(), (std::vector<std::uint8_t>{88, 0}));
    list.fillFromNamedViews();
    ASSERT_EQ(list.getCount(), 6);
    auto item = list.getItem(5);
    item.selected = 1;
    item.yOn = 1;
    item.yFrom = 0.5;
    item.yTo = 1.0;
    list.setItem(5, item);
    std::vector<std::uint8_t> payload = list.encode();
    ASSERT_EQ(payload.size(), 2u + 88 * 6);

    COnlySelViewsListEx back;
    EXPECT_EQ(back.decode(payload), 6);
    std::uint8_t selected = 0;
    EXPECT_EQ(back.getItemText(5, nullptr, nullptr, &selected, nullptr), "LEFT (Y: 28.65\xBA 57.30\xBA)");
    EXPECT_EQ(selected, 1);

    NamedViews.pop_back();   // the host dropped its last named view
    EXPECT_EQ(back.decode(payload), 6);
    EXPECT_EQ(back.getCount(), 5);

    payload.push_back(0);
    EXPECT_EQ(back.decode(payload), 0);
    EXPECT_EQ(back.getCount(), 0);
    EXPECT_EQ(back.decode({0, 0, 1, 2}), 0);   // an item size of 0
    std::vector<std::uint8_t> shortItems{4, 0, 1, 0, 0, 0, 1, 0, 0, 0};   // two 4-byte items
    EXPECT_EQ(back.decode(shortItems), 2);
    EXPECT_EQ(back.getItem(0).selected, 1);
    EXPECT_EQ(back.getItem(0).viewId, 0);
}

TEST_F(ViewsListTest, ViewsKeepTheirChoicesWhenTheHostReordersThem) {
    COnlySelViewsListEx list;
    list.fillFromNamedViews();
    auto front = list.getItem(1);
    front.selected = 1;
    front.xOn = 1;
    list.setItem(1, front);
    std::swap(NamedViews[1], NamedViews[2]);
    list.syncWithNamedViews();
    EXPECT_EQ(list.getItem(1).selected, 0);
    EXPECT_EQ(list.getItem(2).selected, 1);
    EXPECT_EQ(list.getItem(2).xOn, 1);
    EXPECT_EQ(list.getItem(2).viewIndex, 2);
}

TEST_F(ViewsListTest, TheOldChoiceIsConvertedOnce) {
    const double inclined[3] = {0, 0.6, 0.8};
    addView("INCLINED", inclined);
    COnlySelViewsList old(0);
    old.add("BOTTOM", 4, 0, kIdentity);
    old.add("INCLINED", 0, static_cast<std::uint16_t>(NamedViews.back().id), kIdentity);
    old.writeToPart(g_globals->settings.featuresLevel);
    ASSERT_EQ(g_globals->oldViewsList.readFromPart(), 2);

    convertOldViewsList(g_globals->settings.featuresLevel);
    COnlySelViewsListEx list;
    ASSERT_EQ(list.readFromPart(), 7);
    for (int i = 0; i < 7; ++i) EXPECT_EQ(list.getItem(i).selected, i == 3 || i == 6 ? 1 : 0) << i;
    EXPECT_EQ(g_globals->oldViewsList.count(), 0);
    COnlySelViewsList stored(0);
    EXPECT_EQ(stored.readFromPart(), 0);   // an empty "DOSV" record now

    // The snapshot of a recognition lists the selected views with their texts.
    takeViewsSnapshot();
    ASSERT_EQ(g_globals->viewsSnapshot.count(), 2);
    EXPECT_EQ(g_globals->viewsSnapshot.items()[0].name, "BOTTOM");
    EXPECT_EQ(g_globals->viewsSnapshot.items()[1].name, "INCLINED");
}

}  // namespace
