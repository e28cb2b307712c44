// The machine definition behind the machine group, read the way the plug-in reads it: the group names its
// definition entity, the definition's component tree is walked by ids among the associated entities, and
// the control's NC path values come through the control interface.
#include <gtest/gtest.h>

#include <bit>
#include <functional>
#include <map>

#include "support/ops_fixture.h"

namespace {

using Machine = OpsFixture;

std::map<std::uint32_t, ent> associationsById() {
    std::map<std::uint32_t, ent> out;
    db_ptr p = db_start();
    char found = 0;
    ent e{};
    for (get_ent_assoc(p, &e, &p, &found); found; get_ent_assoc(p, &e, &p, &found)) out[e.id] = e;
    return out;
}

struct Gathered {
    int components = 0;
    double spindleLimit = 0, toolChange = 0;
};

// Depth-first over nodes, their child and sibling lists and each node's items.
void walk(const std::map<std::uint32_t, ent>& all, std::uint32_t nodeId, Gathered& g) {
    for (std::uint32_t n = nodeId; n;) {
        auto node = compNodeFrom(all.at(n));
        ASSERT_TRUE(node);
        for (std::uint32_t i = node->firstItem; i;) {
            auto item = compItemFrom(all.at(i));
            ASSERT_TRUE(item);
            if (item->kind == kItemComponent) ++g.components;
            if (item->kind == kItemSpindleLimit) g.spindleLimit = item->value;
            if (item->kind == kItemToolChange) g.toolChange = item->value;
            i = item->next;
        }
        walk(all, node->child, g);
        n = node->sibling;
    }
}

TEST_F(Machine, TheGroupsDefinitionGivesComponentsSpindleLimitToolChangeAndControl) {
    host::MachineSetup setup;
    setup.spindleLimit = 8000;
    setup.toolChangeSeconds = 4.5;
    setup.components = 5;
    const std::uint32_t defId = host::storeMachineDefinition(setup);
    ASSERT_EQ(GroupsMachineGroup(nullptr)->machine.machineDefId, defId);
    const auto all = associationsById();
    const auto def = machineDefFrom(all.at(defId));
    ASSERT_TRUE(def);
    EXPECT_STREQ(def->name, "Generic 3-axis VMC");
    EXPECT_EQ(def->rapidRateMm, 12500.0);
    Gathered g;
    walk(all, def->rootNode, g);
    EXPECT_EQ(g.components, 5);
    EXPECT_EQ(g.spindleLimit, 8000.0);
    EXPECT_EQ(g.toolChange, 4.5);
    const auto control = controlDefFrom(all.at(def->controlDef));
    ASSERT_TRUE(control);
    nc_path_ctrl* nc = CControlInterface::GetControl()->GetControlNcPath(control->controlId);
    ASSERT_NE(nc, nullptr);
    EXPECT_EQ(nc->values[6], 1);
    EXPECT_EQ(CControlInterface::GetControl()->GetControlNcPath(2), nullptr);
    nc_path_ctrl other;
    other.values[4] = 1;
    other.values[7] = 10;
    host::setControl(2, other);
    EXPECT_EQ(CControlInterface::GetControl()->GetControlNcPath(2)->values[7], 10);
}

// The records as parts already saved hold them, little-endian in member order: the definition's 64-byte name,
// root node, control, two rapid rates; a node's child, sibling and first item; an item's kind, value, next;
// the control's id.
TEST_F(Machine, TheStoredRecordsKeepTheirByteLayout) {
    const auto le = [](std::uint64_t v, int n) {
        std::string out;
        for (int i = 0; i < n; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
        return out;
    };
    const auto f64 = [&](double v) { return le(std::bit_cast<std::uint64_t>(v), 8); };
    const auto bytes = [](const ent& e) { return std::string(e.assoc.data.begin(), e.assoc.data.end()); };
    host::MachineSetup setup;
    setup.name = "Mill 5";
    setup.rapidRateMm = 12000.5;
    setup.rapidRateInch = 472.25;
    setup.controlId = 3;
    setup.components = 2;
    const std::uint32_t defId = host::storeMachineDefinition(setup);
    const auto all = associationsById();
    const auto def = machineDefFrom(all.at(defId));
    ASSERT_TRUE(def);
    std::string name = "Mill 5";
    name.resize(64, '\0');
    EXPECT_EQ(bytes(all.at(defId)), name + le(def->rootNode, 4) + le(def->controlDef, 4) + f64(12000.5) + f64(472.25));
    EXPECT_EQ(bytes(all.at(def->controlDef)), le(3, 4));
    const auto root = compNodeFrom(all.at(def->rootNode));
    ASSERT_TRUE(root);
    EXPECT_EQ(bytes(all.at(def->rootNode)), le(root->child, 4) + le(0, 4) + le(0, 4));
    const auto spindle = compNodeFrom(all.at(root->child));
    ASSERT_TRUE(spindle);
    EXPECT_EQ(bytes(all.at(root->child)), le(0, 4) + le(spindle->sibling, 4) + le(spindle->firstItem, 4));
    const auto item = compItemFrom(all.at(spindle->firstItem));
    ASSERT_TRUE(item);
    EXPECT_EQ(bytes(all.at(spindle->firstItem)), le(kItemComponent, 4) + f64(1) + le(item->next, 4));
    EXPECT_EQ(bytes(all.at(item->next)), le(kItemSpindleLimit, 4) + f64(setup.spindleLimit) + le(0, 4));
    // And read from bytes made by hand.
    ent made = all.at(defId);
    const std::string hand = std::string("Other", 5) + std::string(59, '\0') + le(11, 4) + le(12, 4) + f64(1.5) + f64(-2);
    made.assoc.data.assign(hand.begin(), hand.end());
    const auto read = machineDefFrom(made);
    ASSERT_TRUE(read);
    EXPECT_STREQ(read->name, "Other");
    EXPECT_EQ(read->rootNode, 11u);
    EXPECT_EQ(read->controlDef, 12u);
    EXPECT_EQ(read->rapidRateMm, 1.5);
    EXPECT_EQ(read->rapidRateInch, -2.0);
}

TEST_F(Machine, RecordsOfAnotherKindOrLengthAreNotRead) {
    const std::uint32_t defId = host::storeMachineDefinition({});
    auto all = associationsById();
    ent def = all.at(defId);
    EXPECT_FALSE(compNodeFrom(def));
    EXPECT_FALSE(compItemFrom(def));
    EXPECT_FALSE(controlDefFrom(def));
    def.assoc.data.pop_back();
    EXPECT_FALSE(machineDefFrom(def));
    def.assoc.data.resize(kMachineDefSize + 1);
    EXPECT_FALSE(machineDefFrom(def));
    ent point = storePoint(0, 0, 0);
    EXPECT_FALSE(machineDefFrom(point));
}

}  // namespace
