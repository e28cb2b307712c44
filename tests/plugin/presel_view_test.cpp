// The preselection window on a plate with holes from the top, the bottom and a side: its creation at the
// first invocation and its reset on the host's notifications, the side test at its limits, picks gathered
// into groups, the range commands of its popup, equal forms, and the colours put back only after a scan.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "host/api.h"
#include "host/builder/part_builder.h"
#include "host/geom/surface_entities.h"
#include "host/state.h"
#include "platform/ui/image_list.h"
#include "platform/ui/tree_view.h"
#include "plugin/base/entity_utils.h"
#include "plugin/base/globals.h"
#include "plugin/features/feature_windows.h"
#include "plugin/model/tree.h"
#include "support/plugin_fixture.h"

namespace {

using namespace host::builder;
using host::Vec3;
constexpr Vec3 kDown{0, 0, -1};
constexpr Vec3 kUp{0, 0, 1};
constexpr int kTree = CDlgPreselView::kTree;

class PreselViewSession : public PluginFixture {
protected:
    void SetUp() override {
        PluginFixture::SetUp();
        loadAndCloseOnce();
        PartBuilder builder = PartBuilder::block({80, 40, 20});
        builder.hole(throughHole("a", {10, 10, 20}, kDown, 10));
        builder.hole(throughHole("b", {30, 10, 20}, kDown, 10));
        builder.hole(blindFlat("c", {50, 10, 20}, kDown, 6, 8));
        builder.hole(blindFlat("d", {30, 30, 0}, kUp, 8, 6));
        builder.hole(blindFlat("e", {80, 30, 10}, {-1, 0, 0}, 6, 10));
        builder.hole(stepped("f", {60, 30, 20}, kDown, {{14, 4}, {9, 6}, {5, 0}}));
        const BuiltPart part = builder.build();
        ASSERT_TRUE(part.ok()) << part.error;
        ASSERT_NE(host::storeSolidEntity(part.solid, 3, 1, "part"), 0u);
    }

    CDlgPreselView& view() { return *g_preselView; }
    plat::TreeView& tree() { return view().treeView(kTree); }

    // The scan of the part, its forms painted as a pick session starts.
    void scan() {
        ASSERT_EQ(view().scanPart(), 0);
        view().colorAllForms();
    }
    POINT_LIST* formAt(double x, double y, double z) {
        for (VIEW_LIST* v = view().viewsTree(); v; v = v->next)
            for (POINT_LIST* p = v->firstPoint; p; p = p->next)
                if (std::fabs(p->ptUniv[0] - x) < 0.01 && std::fabs(p->ptUniv[1] - y) < 0.01 &&
                    std::fabs(p->ptUniv[2] - z) < 0.01)
                    return p;
        ADD_FAILURE() << "no form at " << x << " " << y << " " << z;
        return nullptr;
    }
    static std::vector<std::uint32_t> idsOf(const POINT_LIST* form) {
        std::vector<std::uint32_t> ids;
        for (const CYL_LIST* c = form->firstCyl; c; c = c->next)
            for (int i = 0; i < c->entCount; ++i) ids.push_back(static_cast<std::uint32_t>(c->ents[i].id));
        return ids;
    }
    static const double* dirOf(const POINT_LIST* form) { return form->view->matrix[2]; }
    static std::vector<double> opposite(const POINT_LIST* form) {
        return {-dirOf(form)[0], -dirOf(form)[1], -dirOf(form)[2]};
    }
    static ent entOf(const CYL_ENT& slot) {
        ent e{};
        EXPECT_EQ(get_ent_from_eptr(slot.entry, &e), 1);
        return e;
    }
    // The colour of each segment's first entity, from the top.
    static std::vector<int> segmentColours(const POINT_LIST* form) {
        std::vector<int> colours;
        for (const CYL_LIST* c = form->firstCyl; c; c = c->next) colours.push_back(entOf(c->ents[0]).color);
        return colours;
    }
    const HOLE_SEL_LIST& entry(int index) {
        const PRESEL_GROUPS_LIST& group = view().groups()[static_cast<std::size_t>(view().currentGroup())];
        return (*group.holes)[static_cast<std::size_t>(index)];
    }
    // A right click on the entry's item answered by the popup's command.
    void popup(int index, int command) {
        script().menu(command);
        const std::string path = tree().pathOf(entry(index).item);
        EXPECT_EQ(view().userTreeClick(kTree, plat::MouseClick::Right, path, plat::TreePart::Label), "");
        expectScriptPlayed();
    }
    static int markerColour(std::uint32_t id) {
        for (const DRAW_ENTS_LIST& line : *g_drawEnts)
            if (static_cast<std::uint32_t>(line.id) == id) return line.colour;
        return -1;
    }
};

TEST_F(PreselViewSession, MadeHiddenAtTheFirstInvocationAndResetByNotificationsWithTheGroupNumbersGoingOn) {
    ASSERT_TRUE(view().hasWindow());
    EXPECT_FALSE(view().isVisible());
    EXPECT_EQ(view().windowText(), "Presel View");
    ASSERT_NE(tree().imageList(), nullptr);
    EXPECT_EQ(tree().imageList()->count(), 2);
    ASSERT_EQ(view().groups().size(), 1u);
    EXPECT_EQ(tree().itemText(tree().rootItem()), "Group 1 - 0 Forms");
    EXPECT_EQ(tree().itemState(tree().rootItem(), plat::TVIS_BOLD), plat::TVIS_BOLD);

    scan();
    ASSERT_TRUE(view().built());
    POINT_LIST* a = formAt(10, 10, 20);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(view().pickEntities(idsOf(a), dirOf(a)), "");
    const std::uint32_t firstEntry = entry(0).id;
    const std::uint32_t picked = idsOf(a)[0];
    m_notify(3);
    EXPECT_FALSE(view().built());
    EXPECT_EQ(view().viewsTree(), nullptr);
    EXPECT_EQ(view().findFormOfEntity(picked), nullptr);
    ASSERT_EQ(view().groups().size(), 1u);
    EXPECT_EQ(tree().count(), 1);
    EXPECT_EQ(tree().itemText(tree().rootItem()), "Group 2 - 0 Forms");
    m_notify(6);
    EXPECT_EQ(tree().itemText(tree().rootItem()), "Group 3 - 0 Forms");
    // The form numbers go on too, and the next invocation does not make the window again.
    scan();
    a = formAt(10, 10, 20);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(view().pickEntities(idsOf(a), dirOf(a)), "");
    EXPECT_EQ(entry(0).id, firstEntry + 1);
    pausedInvocation();
    EXPECT_EQ(tree().itemText(tree().rootItem()), "Group 3 - 1 Forms");
    EXPECT_EQ(view().groups()[0].holes->size(), 1u);
}

TEST_F(PreselViewSession, TheSideTestKeepsItsLimitsStrict) {
    scan();
    POINT_LIST* through = formAt(10, 10, 20);
    POINT_LIST* blind = formAt(50, 10, 20);
    ASSERT_TRUE(through && blind);
    struct CASE {
        double degrees;
        int through, blind;
    };
    const CASE cases[] = {{0, 0, 0},      {84.99, 0, 0},  {85, -1, -1},  {85.01, -1, -1}, {90, -1, -1},
                          {94.99, -1, -1}, {95, -1, -1},   {95.01, 1, -1}, {180, 1, -1}};
    for (const CASE& c : cases) {
        for (POINT_LIST* form : {through, blind}) {
            // The form's direction turned about an axis across it.
            const double* z = dirOf(form);
            const double* x = form->view->matrix[0];
            const double t = c.degrees * 3.14159265358979323846 / 180;
            const double d[3] = {z[0] * std::cos(t) + x[0] * std::sin(t), z[1] * std::cos(t) + x[1] * std::sin(t),
                                 z[2] * std::cos(t) + x[2] * std::sin(t)};
            EXPECT_EQ(CDlgPreselView::formSideInView(form, d), form == through ? c.through : c.blind)
                << c.degrees << (form == through ? " through" : " blind");
        }
    }
    // Something below the exit closes the other side.
    EXPECT_EQ(through->crashBottom, 0);
    through->crashBottom = 1;
    EXPECT_EQ(CDlgPreselView::formSideInView(through, opposite(through).data()), -1);
    through->crashBottom = 0;
    // A form of another view is not reached along this one.
    POINT_LIST* side = formAt(80, 30, 10);
    ASSERT_NE(side, nullptr);
    EXPECT_EQ(CDlgPreselView::formSideInView(side, dirOf(through)), -1);
}

TEST_F(PreselViewSession, PicksGatherFormsFromWhereTheyCanBeMachined) {
    scan();
    EXPECT_EQ(view().item(CDlgPreselView::kForms).text(), "6");
    EXPECT_EQ(view().item(CDlgPreselView::kDiameters).text(), "5.00/14.00");
    POINT_LIST* a = formAt(10, 10, 20);
    POINT_LIST* b = formAt(30, 10, 20);
    POINT_LIST* c = formAt(50, 10, 20);
    POINT_LIST* side = formAt(80, 30, 10);
    ASSERT_TRUE(a && b && c && side);
    std::vector<POINT_LIST*> forms;
    std::vector<std::uint32_t> ids = idsOf(a);
    ids.push_back(idsOf(a)[0]);
    ids.push_back(0xFFFFFFF0u);   // no form's entity
    EXPECT_EQ(view().collectForms(ids, forms), 1);
    EXPECT_EQ(view().collectForms(idsOf(a), forms), 0);

    EXPECT_EQ(view().pickEntities(idsOf(a), dirOf(a)), "");
    EXPECT_EQ(view().pickEntities(idsOf(c), opposite(c).data()), CDlgPreselView::kNotAccessible);
    EXPECT_EQ(view().pickEntities(idsOf(side), dirOf(a)), CDlgPreselView::kNotAccessible);
    // The through hole from below: its point goes to its exit.
    EXPECT_EQ(view().pickEntities(idsOf(b), opposite(b).data()), "");
    ASSERT_EQ(view().groups()[0].holes->size(), 2u);
    EXPECT_EQ(tree().itemText(view().groups()[0].root), "Group 1 - 2 Forms");
    EXPECT_EQ(entry(0).oppositeSide, 0);
    EXPECT_EQ(entry(1).oppositeSide, 1);
    EXPECT_EQ(tree().itemText(entry(1).item), "Form 2 - " + std::to_string(countCyls(b)) + " Cylinders");
    EXPECT_EQ(tree().itemState(entry(1).item, plat::TVIS_BOLD), plat::TVIS_BOLD);
    EXPECT_EQ(tree().itemState(entry(0).item, plat::TVIS_BOLD), 0u);
    for (int k = 0; k < 2; ++k) {
        ent point{};
        ASSERT_NE(findEntById(entry(k).markPointId, 1, kEntPoint), 0u);
        ASSERT_EQ(get_ent_from_eptr(findEntById(entry(k).markPointId, 1, kEntPoint), &point), 1);
        EXPECT_EQ(point.color, 12);
        EXPECT_EQ(point.level, g_globals->settings.formsLevel);
        EXPECT_NEAR(point.pt.pt.z, k == 0 ? 20 : 0, 1e-6);
    }
    ASSERT_EQ(g_drawEnts->size(), 2u);
    EXPECT_EQ(markerColour(entry(1).markerLineId), 9);
    EXPECT_EQ(markerColour(entry(0).markerLineId), 12);
    EXPECT_DOUBLE_EQ((*g_drawEnts)[0].line.e1.z, 250.0);
    EXPECT_NEAR((*g_drawEnts)[1].line.e2.x, 30, 1e-6);
    // A form picked again is shown, not added again.
    EXPECT_EQ(view().pickEntities(idsOf(a), dirOf(a)), "");
    EXPECT_EQ(view().groups()[0].holes->size(), 2u);
    EXPECT_EQ(markerColour(entry(0).markerLineId), 9);
    for (int colour : segmentColours(a)) EXPECT_EQ(colour, 16);
}

TEST_F(PreselViewSession, TheRangeCommandsStopAtTheEnds) {
    scan();
    POINT_LIST* f = formAt(60, 30, 20);
    ASSERT_NE(f, nullptr);
    const int n = countCyls(f);
    ASSERT_GE(n, 2);
    const std::vector<int> own = [&] {
        std::vector<int> colours;
        for (const CYL_LIST* c = f->firstCyl; c; c = c->next) colours.push_back(c->ents[0].colour);
        return colours;
    }();
    view().showWindow(true);
    EXPECT_EQ(view().pickEntities(idsOf(f), dirOf(f)), "");
    popup(0, CDlgPreselView::kRestoreLower);
    EXPECT_EQ(entry(0).lastCylinder, n - 1);
    popup(0, CDlgPreselView::kRemoveUpper);
    EXPECT_EQ(entry(0).firstCylinder, 1);
    EXPECT_EQ(segmentColours(f)[0], own[0]);
    EXPECT_EQ(segmentColours(f)[1], 16);
    for (int k = 0; k < n; ++k) popup(0, CDlgPreselView::kRemoveUpper);
    EXPECT_EQ(entry(0).firstCylinder, n - 1);
    EXPECT_EQ(tree().itemText(entry(0).item), "Form 1 - 1 Cylinders");
    popup(0, CDlgPreselView::kRemoveLower);
    EXPECT_EQ(entry(0).lastCylinder, n - 1);
    for (int k = 0; k < n + 1; ++k) popup(0, CDlgPreselView::kRestoreUpper);
    EXPECT_EQ(entry(0).firstCylinder, 0);
    popup(0, CDlgPreselView::kRemoveLower);
    EXPECT_EQ(entry(0).lastCylinder, n - 2);
    EXPECT_EQ(tree().itemText(entry(0).item), "Form 1 - " + std::to_string(n - 1) + " Cylinders");
    EXPECT_EQ(segmentColours(f)[static_cast<std::size_t>(n - 1)], own[static_cast<std::size_t>(n - 1)]);
}

TEST_F(PreselViewSession, EqualFormsAreAddedAndRemovedTogether) {
    scan();
    POINT_LIST* a = formAt(10, 10, 20);
    POINT_LIST* b = formAt(30, 10, 20);
    ASSERT_TRUE(a && b);
    view().showWindow(true);
    EXPECT_EQ(view().pickEntities(idsOf(a), dirOf(a)), "");
    popup(0, CDlgPreselView::kAddEqual);
    ASSERT_EQ(view().groups()[0].holes->size(), 2u);
    EXPECT_EQ(entry(1).form, b);
    EXPECT_EQ(tree().itemText(view().groups()[0].root), "Group 1 - 2 Forms");
    for (int colour : segmentColours(b)) EXPECT_EQ(colour, 16);
    // The popup acts on the selected or bold item: the new form is bold now, so the user clicks the first.
    const int menus = count("menu owner");
    const std::string first = tree().pathOf(entry(0).item);
    EXPECT_EQ(view().userTreeClick(kTree, plat::MouseClick::Right, first, plat::TreePart::Label), "");
    EXPECT_EQ(count("menu owner"), menus);
    EXPECT_EQ(view().userTreeClick(kTree, plat::MouseClick::Left, first, plat::TreePart::Label), "");
    const std::uint32_t point = entry(1).markPointId, marker = entry(1).markerLineId;
    popup(0, CDlgPreselView::kRemoveEqual);
    ASSERT_EQ(view().groups()[0].holes->size(), 1u);
    EXPECT_EQ(entry(0).form, a);
    EXPECT_EQ(findEntById(point, 1, kEntPoint), 0u);
    EXPECT_EQ(markerColour(marker), -1);
    EXPECT_EQ(tree().itemText(view().groups()[0].root), "Group 1 - 1 Forms");
    EXPECT_EQ(tree().count(), 2);
}

TEST_F(PreselViewSession, AddGroupClosesTheCurrentOneAndAClickReopensIt) {
    scan();
    POINT_LIST* a = formAt(10, 10, 20);
    ASSERT_NE(a, nullptr);
    view().showWindow(true);
    EXPECT_EQ(view().pickEntities(idsOf(a), dirOf(a)), "");
    EXPECT_EQ(view().userClick(CDlgPreselView::kAddGroup), "");
    ASSERT_EQ(view().groups().size(), 2u);
    EXPECT_EQ(view().currentGroup(), 1);
    EXPECT_TRUE(g_drawEnts->empty());
    for (int colour : segmentColours(a)) EXPECT_EQ(colour, 12);
    EXPECT_EQ(tree().itemState(view().groups()[1].root, plat::TVIS_BOLD), plat::TVIS_BOLD);
    EXPECT_EQ(tree().itemState(view().groups()[0].root, plat::TVIS_BOLD), 0u);

    EXPECT_EQ(view().userTreeClick(kTree, plat::MouseClick::Left, "Group 1 - 1 Forms", plat::TreePart::Label), "");
    EXPECT_EQ(view().currentGroup(), 0);
    for (int colour : segmentColours(a)) EXPECT_EQ(colour, 16);
    EXPECT_EQ(markerColour(entry(0).markerLineId), 12);
    EXPECT_EQ(view().userTreeClick(kTree, plat::MouseClick::Left, "Group 1 - 1 Forms/Form 1 - 1 Cylinders",
                                   plat::TreePart::Label),
              "");
    EXPECT_EQ(markerColour(entry(0).markerLineId), 9);
    EXPECT_EQ(g_drawEnts->size(), 1u);
    EXPECT_EQ(view().userClick(plat::IDOK), "");
    EXPECT_TRUE(g_drawEnts->empty());
    EXPECT_FALSE(view().isVisible());
}

TEST_F(PreselViewSession, ColoursAreRestoredOnlyAfterAScan) {
    mask_level = 77;
    view().restoreColors();
    EXPECT_EQ(mask_level, 77);
    mask_level = 0;

    ASSERT_EQ(view().scanPart(), 0);
    POINT_LIST* a = formAt(10, 10, 20);
    ASSERT_NE(a, nullptr);
    const ent before = entOf(a->firstCyl->ents[0]);
    view().colorAllForms();
    EXPECT_EQ(entOf(a->firstCyl->ents[0]).color, 55);
    EXPECT_EQ(entOf(a->firstCyl->ents[0]).level, g_globals->settings.featuresLevel);
    EXPECT_EQ(mask_level, g_globals->settings.featuresLevel);
    // The end of the command loop puts them back.
    closingInvocation();
    EXPECT_EQ(mask_level, 0);
    EXPECT_EQ(entOf(a->firstCyl->ents[0]).color, before.color);
    EXPECT_EQ(entOf(a->firstCyl->ents[0]).level, before.level);
}

}  // namespace
