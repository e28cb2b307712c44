// Chains as the contour and form code build them (a drill point then its circle, lines end to end), given
// to an operation with chain_manager, and what the operation keeps of them.
#include <gtest/gtest.h>

#include "support/ops_fixture.h"

namespace {

using Chains = OpsFixture;

ent storeLine(p_3d a, p_3d b) {
    ent e{};
    e.type = kEntLine;
    e.ln.ln = {a, b};
    char ok = 0;
    store_ent(&e, nullptr, 0, 12, 4, main_attrib, &ok);
    return e;
}

TEST_F(Chains, APointAndItsCircleGoToTheOperationAsOneChain) {
    const ent point = storePoint(10, 20, 0);
    const ent circle = storeCircle(10, 20, 0, 4);
    operation op = makeOp(1, 0, host::kActiveGroupId);
    CHAIN* chain = nullptr;
    ASSERT_EQ(alloc_chain(&chain), 1);
    CHAIN_ENT* last = nullptr;
    ASSERT_EQ(add_curve_to_chain(0, 1, 512, chain, &last, -1, &point), 1);
    ASSERT_EQ(add_curve_to_chain(0, 1, 512, chain, &last, -1, &circle), 1);
    EXPECT_EQ(chain->num_ents, 2);
    EXPECT_EQ(chain->start->next, last);
    EXPECT_EQ(last->eptr, circle.eptr);
    CHAIN* list = nullptr;
    ASSERT_EQ(append_chain(&list, chain), 1);
    ASSERT_EQ(chain_manager(list, op.id, 1), 1);
    free_chains(&list);
    EXPECT_EQ(list, nullptr);
    const std::string dump = host::dumpOperation(op.id);
    EXPECT_NE(dump.find("  chain 1 closed=0\n    point " + std::to_string(point.id) + " (10,20,0)\n    arc " +
                        std::to_string(circle.id) + " view=1 c=(10,20,0) r=4 sa=0 sw=6.283185307179586\n"),
              std::string::npos)
        << dump;
}

TEST_F(Chains, ChainEntitiesFollowARenumberingOfIds) {
    const ent point = storePoint(1, 1, 0);
    operation op = makeOp(1, 0, host::kActiveGroupId);
    CHAIN* c = nullptr;
    alloc_chain(&c);
    append_chain_ent(c, &point);
    ASSERT_EQ(chain_manager(c, op.id, 0), 1);
    free_chain(&c);
    host::renumberIds(500);
    ent now{};
    ASSERT_EQ(get_ent_from_eptr(point.eptr, &now), 1);
    EXPECT_NE(host::dumpOperation(op.id).find("    point " + std::to_string(now.id) + " (1,1,0)"), std::string::npos);
}

TEST_F(Chains, ModeZeroReplacesModeOneAddsAndAFullCircleIsClosed) {
    operation op = makeOp(1, 0, host::kActiveGroupId);
    auto circleChain = [&](double r) {
        CHAIN* c = nullptr;
        alloc_chain(&c);
        const ent circle = storeCircle(0, 0, 0, r);
        append_chain_ent(c, &circle);
        return c;
    };
    CHAIN* one = circleChain(3);
    EXPECT_EQ(one->closed, 1);
    ASSERT_EQ(chain_manager(one, op.id, 1), 1);
    ASSERT_EQ(chain_manager(one, op.id, 1), 1);
    EXPECT_NE(host::dumpOperation(op.id).find("chain 2 closed=1"), std::string::npos);
    CHAIN* other = circleChain(5);
    ASSERT_EQ(chain_manager(other, op.id, 0), 1);
    const std::string dump = host::dumpOperation(op.id);
    EXPECT_EQ(dump.find("chain 2"), std::string::npos);
    EXPECT_NE(dump.find("r=5"), std::string::npos);
    EXPECT_EQ(chain_manager(other, op.id + 1, 1), 0) << "no such operation";
    EXPECT_EQ(chain_manager(nullptr, op.id, 1), 0);
    EXPECT_EQ(chain_manager(other, op.id, 2), 0);
    free_chain(&one);
    free_chain(&other);
    EXPECT_EQ(one, nullptr);
}

TEST_F(Chains, LinesEndToEndCloseAndOnlyCurvesAndPointsJoin) {
    CHAIN* c = nullptr;
    alloc_chain(&c);
    const ent a = storeLine({0, 0, 0}, {10, 0, 0}), b = storeLine({10, 0, 0}, {10, 5, 0}),
              back = storeLine({0, 0, 0}, {10, 5, 0});
    append_chain_ent(c, &a);
    append_chain_ent(c, &b);
    EXPECT_EQ(c->closed, 0);
    CHAIN_ENT* last = c->last;
    ASSERT_EQ(add_curve_to_chain(0, 1, 512, c, &last, 1, &back), 1);   // run backwards: ends at (0,0,0)
    EXPECT_EQ(c->closed, 1);
    EXPECT_EQ(c->num_ents, 3);
    ent note{};
    note.type = kEntNote;
    EXPECT_EQ(append_chain_ent(c, &note), 0);
    EXPECT_EQ(c->num_ents, 3);
    // Inserted after the first entity, not at the end.
    CHAIN_ENT* first = c->start;
    const ent p = storePoint(1, 1, 1);
    ASSERT_EQ(add_curve_to_chain(0, 1, 512, c, &first, -1, &p), 1);
    EXPECT_EQ(c->start->next->eptr, p.eptr);
    EXPECT_EQ(c->start->next->next->eptr, b.eptr);
    EXPECT_EQ(c->start->next->next->prev, c->start->next);
    free_chain(&c);
}

}  // namespace
